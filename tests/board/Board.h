#pragma once

#include "app/frmMain.h"
#include "board/BoardControls.h"
#include "tests/board/RecordingProvider.h"
#include "tests/support/FakeClock.h"
#include "tests/support/Fixture.h"

#include <QDate>
#include <QTime>
#include <memory>

class frmStop;

// A loaded main board over a fixture installation, on the fake clock. The ticks are run by hand;
// like the real timers, a timer that is switched off does not tick.
class Board {
  public:
    explicit Board(bool demo = true, const QString& setupPath = QStringLiteral("<data>"));
    ~Board();

    static const QDate& monday(); // a Monday in a week without a change of summer time

    // Sets the fake clock to a second of the test week (0 = Monday .. 6 = Sunday, 7 = next Monday).
    void at(int weekday, const QTime& time);
    void at(const QTime& time) { at(0, time); }

    void tick1(); // main board Timer1, if on
    void tick3(); // main board Timer3, if on
    void tick4();
    void tickStop(); // the pause window's timer, if the window is open
    // Timer1 then Timer3: the day-time text is fresh when the checks run.
    void second() {
        tick1();
        tick3();
    }

    void chooseHour(int hour);   // Hours menu, 0 = 12 AM
    void chooseDay(int weekday); // Days menu, 0 = Monday

    frmStop* pauseWindow() const;
    // Closes any pause window and lets Qt delete it.
    static void closePauseWindow();

    QString file(const QString& constant) const { return fx.dataFile(constant); }
    QString statusText() const;
    // Tables opened since the last call: "Tuesday.mdb 12am", file name only.
    QStringList takeOpens();

    Fixture fx;
    FakeClock clock;
    RecordingProvider provider;
    std::unique_ptr<frmMain> form;
    BoardControls& c;
};
