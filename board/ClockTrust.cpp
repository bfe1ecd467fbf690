#include "board/ClockTrust.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "widgets/Contrast.h"
#include "widgets/Lbl3D.h"

#include <QBoxLayout>
#include <QLabel>

namespace {

// The box layout that holds the widget, searched from the top layout down.
QBoxLayout* boxHolding(QLayout* layout, QWidget* w) {
    if (!layout) return nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(w) >= 0) return box;
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = boxHolding(layout->itemAt(i)->layout(), w)) return found;
    return nullptr;
}

} // namespace

// A child of the clock label, so whoever holds the board can find it there.
ClockTrust::ClockTrust(BoardControls& controls, const Clock& clock)
    : QObject(controls.Lbl3D1), clock_(clock) {
    QWidget* clockLabel = controls.Lbl3D1;
    notice_ = new QLabel(QStringLiteral("Clock not synchronised"), clockLabel->parentWidget());
    notice_->setObjectName(QStringLiteral("lblClockSync"));
    notice_->setAlignment(Qt::AlignCenter);
    setWarningColour(kWarningRed);
    notice_->setToolTip(QStringLiteral("The computer's clock is not kept in step with a time server: "
                                       "the hour and day changes of the board may come early or late."));
    notice_->hide();
    if (QBoxLayout* column = boxHolding(clockLabel->parentWidget()->layout(), clockLabel))
        column->insertWidget(column->indexOf(clockLabel) + 1, notice_);

    timer_.setInterval(kCheckIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ClockTrust::check);
    timer_.start();
    check();
}

void ClockTrust::setWarningColour(const QColor& warning) {
    QPalette p;
    p.setColor(QPalette::WindowText, contrast::readableOn(warning, contrast::backgroundBehind(notice_)));
    notice_->setPalette(p);
}

void ClockTrust::check() {
    notice_->setVisible(clock_.sync() == ClockSync::Unsynchronised);
}
