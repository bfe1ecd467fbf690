#include "widgets/Timer.h"

Timer::Timer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    sync();
}

void Timer::setInterval(int ms) {
    interval_ = ms;
    sync();
}

void Timer::sync() {
    if (enabled_ && interval_ > 0) {
        if (!timer_.isActive() || timer_.interval() != interval_) timer_.start(interval_);
    } else {
        timer_.stop();
    }
}
