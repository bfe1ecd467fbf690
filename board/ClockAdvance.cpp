#include "board/ClockAdvance.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "board/ClockDisplay.h"
#include "board/DaySelection.h"
#include "board/HourTable.h"
#include "board/frmStop.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QLabel>
#include <QTime>
#include <cstdlib>

namespace {
const QString kMidnightTable = QStringLiteral("12am");
constexpr int kWeekdays = 7;
constexpr int kHour = 3600;
constexpr int kLastHour = 23;

// Each weekday rolls one second earlier than the one before: Monday at 11:59:59 PM, Sunday at
// 11:59:53 PM.
QTime rollSecondOf(int weekday) {
    return QTime(23, 59, 59 - weekday);
}

// The last second of every hour but the last of the day; that one belongs to the day roll.
bool isHourRollSecond(qint64 w) {
    const int t = wall::timeOfDay(w);
    return t % kHour == kHour - 1 && t / kHour < kLastHour;
}

// The hour the grid shows at that second when every roll was seen: from an hour's roll second on,
// the next hour.
int boardHour(qint64 w) {
    const int hour = wall::timeOfDay(w) / kHour;
    return isHourRollSecond(w) ? hour + 1 : hour;
}

// The hour the latest hour roll second in (from, last] rolls to, if there is one.
std::optional<int> lastHourRollIn(qint64 from, qint64 last) {
    std::optional<qint64> latest;
    for (int h = 0; h < kLastHour; ++h)
        if (const auto at = wall::lastBetween(from, last + 1, h * kHour + kHour - 1);
            at && (!latest || *at > *latest))
            latest = at;
    if (!latest) return std::nullopt;
    return boardHour(*latest);
}

QString wallText(qint64 w) {
    return dateText(wall::date(w)) + QLatin1Char(' ') + clockText(wall::time(w));
}
} // namespace

ClockAdvance::ClockAdvance(BoardControls& controls, HourGrid& grid, ClockDisplay& display, const Clock& clock,
                           QString programFolder, ErrorSink errors)
    : c_(controls), grid_(grid), display_(display), clock_(clock), programFolder_(std::move(programFolder)),
      errors_(std::move(errors)) {
    const auto& days = catalogue::weekdays();
    for (int d = 0; d < kWeekdays; ++d) {
        const QTime roll = rollSecondOf(d);
        dayChecks_.push_back({clockText(roll) + QLatin1Char(' ') + days[d].name,
                              roll.msecsSinceStartOfDay() / 1000, &days[(d + 1) % kWeekdays],
                              d == kWeekdays - 1});
    }
    // The midnight hour has no check: only the day roll reaches it.
    for (const HourRow& row : hourRows())
        if (!row.rollCheck.isEmpty()) hourChecks_.push_back({row.rollCheck, row.hour});
}

void ClockAdvance::timer3Tick() {
    const std::optional<wall::Reading> shown = display_.shownReading();
    if (shown && (!seen_ || shown->wall != seen_->wall)) {
        jump_.reset();
        if (seen_ && shown->wall != seen_->wall + 1)
            jump_ =
                Jump{seen_->wall, seen_->wall + std::max<qint64>(0, shown->real - seen_->real), shown->wall};
        seen_ = shown;
    }
    // A day chosen from the Days menu since the clock went back decides that night's roll.
    if (replay_ && c_.Label31->text() != dayChecks_[replay_->check].next->name) replay_.reset();
    reportOnFailure(errors_, [this] {
        if (jump_) {
            followJump(*jump_);
            jump_.reset();
        }
        runDayChecks();
        runHourChecks();
        payOwedRoll();
    });
}

void ClockAdvance::followJump(Jump& jump) {
    if (std::max(std::abs(jump.to - jump.from), jump.via - jump.from) > wall::kDay) {
        // The weekday on the board is the user's to choose; a clock this far off is no guide to it.
        if (errors_)
            errors_(QStringLiteral("The clock jumped from %1 to %2. The board was left on %3: "
                                   "choose the day and the hour from the menus.")
                        .arg(wallText(jump.from), wallText(jump.to), c_.Label31->text()));
        return;
    }
    if (jump.via > jump.to) {
        // Time ran on past where the clock stands now: it was set back on the way (the end of
        // summer time, a step of the time service). What ran on rolls first, then the going back.
        catchUp(jump, jump.via);
        goBack(jump.via, jump.to);
    } else {
        // The clock text itself is matched by the checks as usual.
        catchUp(jump, jump.to - 1);
    }
}

void ClockAdvance::catchUp(Jump& jump, qint64 last) {
    if (const std::optional<DayRollAt> roll = dayRollPassed(jump.from, last)) {
        dayRoll(roll->check, roll->at);
        replay_.reset();
        // Done: a retry of this jump starts after it, and the hours before it were the old day's.
        jump.from = roll->at;
    }
    if (const std::optional<int> hour = lastHourRollIn(jump.from, last)) hourRoll(*hour);
    jump.from = std::max(jump.from, last);
}

void ClockAdvance::goBack(qint64 from, qint64 to) {
    if (!replay_ && lastDayRoll_ && lastDayRoll_->at >= to && lastDayRoll_->at <= from)
        replay_ = lastDayRoll_;
    // A roll second that is the clock text itself is matched by its check.
    if (isHourRollSecond(to) || (replay_ && replay_->at == to)) return;
    const bool dayRollRepeats = replay_ && replay_->at > to && replay_->at <= from;
    if (dayRollRepeats || lastHourRollIn(to, from)) hourRoll(boardHour(to));
}

std::optional<ClockAdvance::DayRollAt> ClockAdvance::dayRollPassed(qint64 from, qint64 last) const {
    if (replay_) {
        if (replay_->at > from && replay_->at <= last) return replay_;
        return std::nullopt;
    }
    const QString day = c_.Label31->text();
    for (int i = 0; i < dayChecks_.size(); ++i) {
        if (catalogue::weekdays()[i].name != day) continue;
        const std::optional<qint64> at = wall::lastBetween(from, last + 1, dayChecks_[i].timeOfDay);
        if (!at || dayRollsHeld(*at)) return std::nullopt;
        return DayRollAt{*at, i};
    }
    return std::nullopt;
}

bool ClockAdvance::dayRollsHeld(qint64 at) const {
    return weekTurnNight_ && wall::dayOf(at) == *weekTurnNight_;
}

void ClockAdvance::runDayChecks() {
    if (replay_ && seen_ && seen_->wall > replay_->at) replay_.reset(); // its second passed without it
    if (replay_) {
        if (seen_ && seen_->wall == replay_->at) {
            dayRoll(replay_->check, replay_->at);
            replay_.reset();
        }
        dayDone_ = -1;
        return;
    }
    const bool held = seen_ && dayRollsHeld(seen_->wall);
    // No roll writes the day-time text or the clock text, so each is read once per tick.
    const QString dayTime = c_.Label34->text();
    int matched = -1;
    for (int i = 0; i < dayChecks_.size() && !held; ++i) {
        if (dayTime != dayChecks_[i].dayTime) continue;
        matched = i;
        if (dayDone_ == i && dayRollShown(dayChecks_[i])) continue;
        dayDone_ = -1;
        dayRoll(i, seen_ ? seen_->wall : 0);
        dayDone_ = i;
    }
    if (matched < 0) dayDone_ = -1;
}

void ClockAdvance::runHourChecks() {
    const QString clock = c_.Lbl3D1->caption();
    int matched = -1;
    for (int i = 0; i < hourChecks_.size(); ++i) {
        if (clock != hourChecks_[i].clock) continue;
        matched = i;
        if (hourDone_ == i && hourRollShown(hourChecks_[i].hour)) continue;
        hourDone_ = -1;
        hourRoll(hourChecks_[i].hour);
        hourDone_ = i;
        hourDoneFile_ = c_.data[1]->databaseName();
    }
    if (matched < 0) hourDone_ = -1;
}

ClockAdvance::Switches ClockAdvance::dayRollFiles(const catalogue::Weekday& next) const {
    // An empty data folder text means the program folder here too, as at start-up and in the Days
    // menu: the bare file constant would name a file at the root of the file system.
    const QString folder = c_.Text26->text();
    const auto in = [&](const QString& file) { return paths::withFallback(folder, programFolder_, file); };
    // After a day roll both reminder sources read the shared reminder file.
    return {{c_.data[1], in(next.dayFile)},
            {c_.data[2], in(next.eventsFile)},
            {c_.data[3], in(next.weatherFile)},
            {c_.data[4], in(catalogue::kSloganFile)},
            {c_.data[5], in(catalogue::kSharedReminderFile)},
            {c_.data[6], in(catalogue::kSharedReminderFile)}};
}

QVector<TableRef> ClockAdvance::upcomingTables() const {
    QVector<TableRef> tables;
    const int hour = wall::timeOfDay(wall::second(clock_.now())) / kHour;
    if (hour < kLastHour) tables << TableRef{c_.data[1]->databaseName(), hourRows()[hour + 1].table};
    const QString tonight = QLatin1Char(' ') + c_.Label31->text();
    for (const DayCheck& check : dayChecks_) {
        if (!check.dayTime.endsWith(tonight)) continue;
        // The day file is read at the hour shown first, then at midnight.
        for (const auto& [source, path] : dayRollFiles(*check.next)) {
            tables << TableRef{path, source->recordSource()};
            if (source == c_.data[1]) tables << TableRef{path, kMidnightTable};
        }
    }
    return tables;
}

void ClockAdvance::dayRoll(int i, qint64 at) {
    const OneSwitch oneSwitch(c_.data[1]->provider());
    const DayCheck& check = dayChecks_[i];
    // Each source by itself: a file that cannot be opened is reported and does not keep the
    // others, or the day label, on the old day.
    for (const auto& [source, path] : dayRollFiles(*check.next)) {
        const bool opened =
            reportOnFailure(errors_, [&, source = source, path = path] { reopenOn(*source, path); });
        if (source != c_.data[1]) continue;
        source->setRecordSource(kMidnightTable);
        if (opened) reportOnFailure(errors_, [source = source] { source->refresh(); });
    }
    c_.Label31->setText(check.next->name);
    grid_.writeCaptions(0, HourGrid::Header::Clock);
    owedRoll_.reset();
    grid_.clearSlotMark();
    lastDayRoll_ = DayRollAt{at, i};
    if (check.weekEnd) {
        weekTurnNight_ = wall::dayOf(at);
        // Caught up only after midnight, the pause is over already.
        if (!seen_ || wall::dayOf(seen_->wall) == wall::dayOf(at)) frmStop::open(c_, clock_, wall::date(at));
    }
}

bool ClockAdvance::dayRollShown(const DayCheck& check) const {
    if (c_.Label31->text() != check.next->name || !grid_.shows(0, HourGrid::Header::Clock)) return false;
    for (const auto& [source, path] : dayRollFiles(*check.next))
        if (source->databaseName() != path) return false;
    return !check.weekEnd || windows::find<frmStop>(QStringLiteral("frmStop"));
}

void ClockAdvance::hourRoll(int hour) {
    try {
        grid_.showHour(hour, HourGrid::Header::Clock);
    } catch (const ShareNotAnsweringError&) {
        owedRoll_ = OwedRoll{c_.data[1]->recordSource(), c_.Label32->text()};
        throw;
    } catch (...) {
        owedRoll_.reset();
        throw;
    }
    owedRoll_.reset();
    grid_.clearSlotMark();
}

void ClockAdvance::payOwedRoll() {
    if (!owedRoll_ || !seen_) return;
    if (c_.data[1]->recordSource() != owedRoll_->table || c_.Label32->text() != owedRoll_->header) {
        owedRoll_.reset();
        return;
    }
    if (c_.data[1]->placeAwaited()) return;
    hourRoll(boardHour(seen_->wall));
    display_.markSlotOnceShown(seen_->wall);
}

bool ClockAdvance::hourRollShown(int hour) const {
    return grid_.shows(hour, HourGrid::Header::Clock) && c_.data[1]->databaseName() == hourDoneFile_;
}
