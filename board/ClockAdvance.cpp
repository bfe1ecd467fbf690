#include "board/ClockAdvance.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "board/DaySelection.h"
#include "board/HourTable.h"
#include "board/frmStop.h"
#include "data/Catalogue.h"
#include "data/DataControl.h"
#include "data/Paths.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QLabel>
#include <QTime>

namespace {
const QString kMidnightTable = QStringLiteral("12am");
constexpr int kWeekdays = 7;

// Each weekday rolls one second earlier than the one before: Monday at 11:59:59 PM, Sunday at
// 11:59:53 PM. The night's last seven seconds are the only ones a day check can match.
QTime rollSecondOf(int weekday) {
    return QTime(23, 59, 59 - weekday);
}

bool inRollSeconds(const QString& clock) {
    for (int d = 0; d < kWeekdays; ++d)
        if (clock == clockText(rollSecondOf(d))) return true;
    return false;
}
} // namespace

ClockAdvance::ClockAdvance(BoardControls& controls, HourGrid& grid, const Clock& clock, QString programFolder,
                           ErrorSink errors)
    : c_(controls), grid_(grid), clock_(clock), programFolder_(std::move(programFolder)),
      errors_(std::move(errors)) {
    const auto& days = catalogue::weekdays();
    for (int d = 0; d < kWeekdays; ++d)
        dayChecks_.push_back({clockText(rollSecondOf(d)) + QLatin1Char(' ') + days[d].name,
                              &days[(d + 1) % kWeekdays], d == kWeekdays - 1});
    // The midnight hour has no check: only the day roll reaches it.
    for (const HourRow& row : hourRows())
        if (!row.rollCheck.isEmpty()) hourChecks_.push_back({row.rollCheck, row.hour});
}

void ClockAdvance::timer3Tick() {
    reportOnFailure(errors_, [this] {
        runDayChecks();
        runHourChecks();
    });
}

void ClockAdvance::runDayChecks() {
    if (weekTurning_ && !inRollSeconds(c_.Lbl3D1->caption())) weekTurning_ = false;
    // No roll writes the day-time text or the clock text, so each is read once per tick.
    const QString dayTime = c_.Label34->text();
    int matched = -1;
    for (int i = 0; i < dayChecks_.size() && !weekTurning_; ++i) {
        if (dayTime != dayChecks_[i].dayTime) continue;
        matched = i;
        if (dayDone_ == i && dayRollShown(dayChecks_[i])) continue;
        dayDone_ = -1;
        dayRoll(dayChecks_[i]);
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

void ClockAdvance::dayRoll(const DayCheck& check) {
    for (const auto& [source, path] : dayRollFiles(*check.next)) {
        reopenOn(*source, path);
        if (source == c_.data[1]) {
            source->setRecordSource(kMidnightTable);
            source->refresh();
        }
    }
    // Written only once every source is open, so a failure above leaves the check true and the
    // roll is tried again on the next tick of the same second.
    c_.Label31->setText(check.next->name);
    grid_.writeCaptions(0, HourGrid::Header::Clock);
    grid_.clearSlotMark();
    if (check.weekEnd) {
        weekTurning_ = true;
        frmStop::open(c_, clock_);
    }
}

bool ClockAdvance::dayRollShown(const DayCheck& check) const {
    if (c_.Label31->text() != check.next->name || !grid_.shows(0, HourGrid::Header::Clock)) return false;
    for (const auto& [source, path] : dayRollFiles(*check.next))
        if (source->databaseName() != path) return false;
    return !check.weekEnd || windows::find<frmStop>(QStringLiteral("frmStop"));
}

void ClockAdvance::hourRoll(int hour) {
    grid_.showHour(hour, HourGrid::Header::Clock);
    grid_.clearSlotMark();
}

bool ClockAdvance::hourRollShown(int hour) const {
    return grid_.shows(hour, HourGrid::Header::Clock) && c_.data[1]->databaseName() == hourDoneFile_;
}
