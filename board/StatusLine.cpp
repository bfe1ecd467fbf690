#include "board/StatusLine.h"

#include "data/storage/AskedOnItsOwn.h"

#include <QPointer>
#include <QStatusBar>

void StatusLine::showFailure(const Failure& failure) {
    if (failure.onlySlow()) return;
    failure_ = failure.words;
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

void StatusLine::refresh() {
    // Only when that changed: the bar may show another window's message meanwhile.
    if (onlySlowSoFar(notice_) != noticeHeldBack_) show();
}

void StatusLine::show() {
    if (!bar_) return;
    paintFailure(!failure_.isEmpty());
    // Text kept for want of an answer that is only a moment late is said once the answer stays away.
    noticeHeldBack_ = onlySlowSoFar(notice_);
    const QString notice = noticeHeldBack_ ? QString() : notice_;
    // A refused write is followed by where its text was kept: both are said, the failure first.
    const QString text =
        failure_.isEmpty() ? notice : (notice.isEmpty() ? failure_ : failure_ + QLatin1Char(' ') + notice);
    // Heard by what it says, and announced when that changes.
    bar_->setAccessibleName(text);
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
