#include "board/StatusLine.h"

#include <QPointer>
#include <QStatusBar>

void StatusLine::showFailure(const QString& message) {
    failure_ = message;
    show();
}

void StatusLine::setNotice(const QString& notice) {
    notice_ = notice;
    show();
}

void StatusLine::healthy() {
    if (failure_.isEmpty()) return;
    failure_.clear();
    show();
}

void StatusLine::show() {
    if (!bar_) return;
    paintFailure(!failure_.isEmpty());
    // A refused write is followed by where its text was kept: both are said, the failure first.
    const QString text =
        failure_.isEmpty() ? notice_ : (notice_.isEmpty() ? failure_ : failure_ + QLatin1Char(' ') + notice_);
    if (text.isEmpty())
        bar_->clearMessage();
    else
        bar_->showMessage(text);
}

void StatusLine::paintFailure(bool failing) {
    if (!standing_) standing_ = bar_->palette();
    QPalette p = *standing_;
    if (failing) {
        p.setColor(QPalette::Window, kFailureBack);
        p.setColor(QPalette::WindowText, kFailureText);
    }
    bar_->setPalette(p);
    bar_->setAutoFillBackground(failing);
    QFont f = bar_->font();
    f.setBold(failing);
    bar_->setFont(f);
}
