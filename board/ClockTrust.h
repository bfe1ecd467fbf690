#pragma once

#include <QColor>
#include <QObject>
#include <QTimer>

#include "widgets/Looks.h"

class Clock;
class QLabel;
struct BoardControls;

// Every roll of the board follows the computer's clock, so the presenter should know when that
// clock is adrift: while the operating system says it is not kept in step with a time server, a
// small notice stands under the clock. Where the system cannot tell, nothing is shown.
class ClockTrust : public QObject {
    Q_OBJECT
  public:
    // Asking may cost a system call: a few seconds apart is often enough, never on a clock tick.
    static constexpr int kCheckIntervalMs = 5000;
    static inline const QColor kWarningRed = looks::warnings(looks::Look::Light).word;

    ClockTrust(BoardControls& controls, const Clock& clock);

    // Asks the clock once and shows or hides the notice.
    void check();
    QLabel* notice() const { return notice_; }
    // The look's warning colour, as light or dark as the window's own colour needs to read.
    void setWarningColour(const QColor& warning);

  private:
    const Clock& clock_;
    QLabel* notice_ = nullptr;
    QTimer timer_;
};
