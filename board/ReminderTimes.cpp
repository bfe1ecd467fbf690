#include "board/ReminderTimes.h"

#include "board/Clock.h"

#include <QTime>

const QStringList& reminderTimes() {
    static const QStringList times = [] {
        QStringList out;
        const QTime first(5, 0, 0);
        for (int step = 0; step < 144; ++step)
            out << clockText(first.addSecs(step * 600));
        return out;
    }();
    return times;
}
