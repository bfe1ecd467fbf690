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
    const QString text = failure_.isEmpty() ? notice_ : failure_;
    if (text.isEmpty())
        bar_->clearMessage();
    else
        bar_->showMessage(text);
}
