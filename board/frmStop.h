#pragma once

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <array>

class Clock;
class QLabel;
class Timer;
struct BoardControls;

// The week-end pause: a small notice window that holds the board's Timer1, Timer2 and Timer3 still
// from the Sunday roll (11:59:53 PM) until midnight has come, so the switch to Monday is not
// followed by a switch to Tuesday.
class frmStop : public QWidget {
    Q_OBJECT
  public:
    // Shows the pause window (the open one, if any) and runs its first tick at once, so the board
    // stops within the same second even when the day roll before it was slow. The board is held
    // until the midnight that ends the night given (by default the clock's date now): a slow roll
    // that ends after midnight must not hold the board for another day.
    static frmStop* open(BoardControls& board, const Clock& clock, QDate night = {});

    // The pause tick.
    void Timer1_Timer();

  protected:
    // Whatever closes the window, the board's clock must not stay frozen.
    void closeEvent(QCloseEvent* event) override;

  private:
    frmStop(BoardControls& board, const Clock& clock, const QDate& night);
    void switchBoardTimers(bool on);

    const Clock& clock_;
    qint64 releaseAt_; // the midnight that ends the Sunday night, in wall seconds
    // The board may be gone before this window (it has no owner).
    std::array<QPointer<Timer>, 3> boardTimers_;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    Timer* Timer1 = nullptr;
};
