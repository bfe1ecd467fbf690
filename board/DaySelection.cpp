#include "board/DaySelection.h"

#include "base/Steps.h"
#include "board/BoardControls.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/sharing/ReadAhead.h"
#include "widgets/TextBox.h"

#include <QLabel>
#include <utility>

void reopenOn(DataControl& source, const QString& path) {
    source.setDatabaseName(path);
    source.refresh();
}

DaySelection::DaySelection(BoardControls& controls, QString programFolder)
    : c_(controls), programFolder_(std::move(programFolder)) {}

QVector<std::pair<DataControl*, QString>> DaySelection::switchesFor(const catalogue::Weekday& day) const {
    const QString folder = c_.Text26->text();
    const auto in = [&](const QString& file) { return paths::withFallback(folder, programFolder_, file); };
    // Data1 keeps its hour table, so the grid shows the same hour of the chosen day.
    return {{c_.data[1], in(day.dayFile)},
            {c_.data[2], in(day.eventsFile)},
            {c_.data[3], in(day.weatherFile)},
            {c_.data[5], in(day.reminderFile)},
            {c_.data[6], in(day.reminderFile)}};
}

void DaySelection::showDay(const catalogue::Weekday& day) {
    const OneSwitch oneSwitch(c_.data[1]->provider());
    for (const auto& [source, path] : switchesFor(day))
        skipOnFailure([&, source = source, path = path] { reopenOn(*source, path); });
    c_.Label31->setText(day.name);
}

QVector<TableRef> DaySelection::tablesOfOtherDays() const {
    QVector<TableRef> tables;
    for (const catalogue::Weekday& day : catalogue::weekdays()) {
        if (day.name == c_.Label31->text()) continue;
        for (const auto& [source, path] : switchesFor(day))
            tables << TableRef{path, source->recordSource()};
    }
    return tables;
}
