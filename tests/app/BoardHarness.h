#pragma once

#include "app/frmMain.h"
#include "data/storage/BoardStorage.h"
#include "tests/support/FakeClock.h"
#include "tests/support/Fixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

// A main board over a temporary installation, started on a Wednesday afternoon, with the end of
// the program recorded instead of leaving the event loop.
struct BoardHarness {
    explicit BoardHarness(const QString& setupPath = QStringLiteral("<data>"), Engine engine = Engine::Files)
        : fx(true, setupPath, engine), clock(QDateTime(QDate(2026, 12, 9), QTime(15, 20, 0))),
          board(clock, provider, nullptr, fx.programFolder()) {
        board.setEndProgram([this] { ++ended; });
    }

    BoardControls& c() { return board.controls(); }
    template <class W = QObject> W* find(const QString& name) {
        W* w = board.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString statusMessage() { return c().statusBar->currentMessage(); }

    Fixture fx;
    BoardStorage provider;
    FakeClock clock;
    frmMain board;
    int ended = 0;
};

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// What a control shows as its caption or text, whatever its kind.
inline QString shownText(QObject* o) {
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(o)) return p->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(o)) return c->currentText();
    ADD_FAILURE() << "no text on " << (o ? o->objectName().toStdString() : std::string("null"));
    return QString();
}

inline QString nth(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}
