#pragma once

#include "app/frmMain.h"
#include "board/BoardControls.h"
#include "data/rescue/KeptEdits.h"
#include "tests/board/StatusText.h"
#include "tests/support/FakeClock.h"

#include <QStatusBar>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// One row of the tables that act on what a presenter typed just as the share or the server stops
// answering: what the presenter does, and what the board shows once it has found out (nothing where
// the board closes).
struct ActOnTyping {
    const char* name;
    std::function<void(frmMain&, BoardControls&, FakeClock&)> act;
    std::function<bool(BoardControls&)> shows;
};

inline void PrintTo(const ActOnTyping& acting, std::ostream* os) {
    *os << acting.name;
}

inline std::string actingName(const ::testing::TestParamInfo<ActOnTyping>& info) {
    return info.param.name;
}

// The status bar says the message.
inline std::function<bool(BoardControls&)> says(const QString& message) {
    return [message](BoardControls& c) { return wholeStatus(c.statusBar).contains(message); };
}

// The rescue store holds the typed text, for the next start.
inline bool holdsTyped(const KeptEdits& kept, const QString& text) {
    const auto edits = kept.edits();
    return std::any_of(edits.cbegin(), edits.cend(),
                       [&](const KeptEdit& e) { return e.fields.values().contains(text); });
}
