#include "board/Reminders.h"

#include "widgets/CoveringPanel.h"
#include "widgets/TextBox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QVector>
#include <functional>

namespace {

constexpr int kTimesPerReminder = 16;

struct Panel {
    QGroupBox* frame;
    int firstList; // number of its first time list: Combo1 or Combo17
    MultiLineBox* message;
    // Reminder #1's clear skips a failing step and goes on; #2's stops at it and says why.
    bool skipsFailingSteps;
};

Panel panel(const BoardControls& b, int reminder) {
    if (reminder == 1) return {b.Frame8, 1, b.Text24, true};
    return {b.Frame9, 17, b.Text25, false};
}

void showPanel(QGroupBox* frame) {
    // A panel already on view is left as it is, so a time that matches for a whole second of ticks
    // does not keep pulling it to the front.
    if (!frame->isHidden()) return;
    CoveringPanel::showQuietly(frame);
    frame->raise();
}

void firePanel(const BoardControls& b, int reminder, const QString& clockText) {
    const Panel p = panel(b, reminder);
    for (int i = 0; i < kTimesPerReminder; ++i)
        if (b.combo[p.firstList + i]->currentText() == clockText) showPanel(p.frame);
}

} // namespace

Reminders::Reminders(BoardControls& board, ErrorSink report) : b_(board), report_(std::move(report)) {}

void Reminders::popUp(int reminder) {
    QGroupBox* frame = panel(b_, reminder).frame;
    frame->show();
    frame->raise();
    panel(b_, reminder == 1 ? 2 : 1).frame->hide();
}

void Reminders::closeSetUp(int reminder) {
    panel(b_, reminder).frame->hide();
}

void Reminders::clearAll(int reminder) {
    const Panel p = panel(b_, reminder);
    QVector<std::function<void()>> steps;
    for (int i = 0; i < kTimesPerReminder; ++i) {
        QComboBox* list = b_.combo[p.firstList + i];
        steps.push_back([list] { list->setCurrentText(QString()); });
    }
    steps.push_back([box = p.message] { box->setText(QString()); });

    if (p.skipsFailingSteps) {
        for (const auto& step : steps)
            skipOnFailure(step);
    } else {
        reportOnFailure(report_, [&steps] {
            for (const auto& step : steps)
                step();
        });
    }
}

void checkReminders(BoardControls& board, const QString& clockText) {
    firePanel(board, 2, clockText);
    firePanel(board, 1, clockText);
}
