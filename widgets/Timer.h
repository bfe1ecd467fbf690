#pragma once

#include <QObject>
#include <QTimer>

// A timer with an enabled flag and an interval, ticking only while both are set: an enabled timer
// whose interval was never set does nothing (a bare QTimer with interval 0 would spin).
class Timer : public QObject {
    Q_OBJECT
  public:
    explicit Timer(QObject* parent = nullptr);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int interval() const { return interval_; }
    void setInterval(int ms);
    bool isTicking() const { return timer_.isActive(); }

  signals:
    void tick();

  private:
    void sync();
    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 0;
};
