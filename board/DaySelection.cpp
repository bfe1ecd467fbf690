#include "board/DaySelection.h"

#include "board/BoardControls.h"
#include "data/Catalogue.h"
#include "data/DataControl.h"
#include "data/Paths.h"
#include "data/ReadAhead.h"
#include "data/Steps.h"
#include "widgets/TextBox.h"

#include <QLabel>
#include <utility>

void reopenOn(DataControl& source, const QString& path) {
    source.setDatabaseName(path);
    source.refresh();
}

DaySelection::DaySelection(BoardControls& controls, QString programFolder)
    : c_(controls), programFolder_(std::move(programFolder)) {}

void DaySelection::showDay(const catalogue::Weekday& day) {
    const OneSwitch oneSwitch(c_.data[1]->provider());
    const QString folder = c_.Text26->text();
    const auto in = [&](const QString& file) { return paths::withFallback(folder, programFolder_, file); };
    // Data1 keeps its hour table, so the grid shows the same hour of the chosen day.
    const std::pair<int, QString> switches[] = {{1, day.dayFile},
                                                {2, day.eventsFile},
                                                {3, day.weatherFile},
                                                {5, day.reminderFile},
                                                {6, day.reminderFile}};
    for (const auto& [source, file] : switches)
        skipOnFailure([&] { reopenOn(*c_.data[source], in(file)); });
    c_.Label31->setText(day.name);
}
