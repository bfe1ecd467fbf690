#include "tests/board/Board.h"

#include "board/frmStop.h"
#include "tests/board/StatusText.h"
#include "widgets/Timer.h"
#include "widgets/Windows.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QStatusBar>

Board::Board(bool demo, const QString& setupPath)
    : fx(demo, setupPath), clock(QDateTime(monday(), QTime(0, 0, 0))),
      form(std::make_unique<frmMain>(clock, provider, nullptr, fx.programFolder())), c(form->controls()) {
    form->Form_Load();
}

Board::~Board() {
    closePauseWindow();
    form.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QDate& Board::monday() {
    static const QDate d(2026, 12, 7);
    return d;
}

// The board reads only the date and the time of day; a clock without a time zone spares the
// simulated week a look-up of the zone on every second.
void Board::at(int weekday, const QTime& time) {
    clock.set(QDateTime(monday().addDays(weekday), time, Qt::UTC));
}

void Board::tick1() {
    if (c.timer[1]->isEnabled()) form->Timer1_Timer();
}
void Board::tick3() {
    if (c.timer[3]->isEnabled()) form->Timer3_Timer();
}
void Board::tick4() {
    if (c.timer[4]->isEnabled()) form->Timer4_Timer();
}

void Board::tickStop() {
    if (frmStop* w = pauseWindow()) w->Timer1_Timer();
}

void Board::chooseHour(int hour) {
    c.hourItem[hour]->trigger();
}
void Board::chooseDay(int weekday) {
    c.dayItem[weekday]->trigger();
}

frmStop* Board::pauseWindow() const {
    return windows::find<frmStop>(QStringLiteral("frmStop"));
}

void Board::closePauseWindow() {
    if (frmStop* w = windows::find<frmStop>(QStringLiteral("frmStop"))) w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString Board::statusText() const {
    return wholeStatus(c.statusBar);
}

QStringList Board::takeOpens() {
    QStringList out;
    for (const RecordingProvider::Open& o : provider.opens)
        out << QFileInfo(o.path).fileName() + QLatin1Char(' ') + o.table;
    provider.opens.clear();
    return out;
}
