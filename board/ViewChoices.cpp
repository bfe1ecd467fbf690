#include "board/ViewChoices.h"

#include "board/BoardControls.h"
#include "board/BoardFonts.h"
#include "board/ClockTrust.h"
#include "board/StatusLine.h"
#include "widgets/WindowPlace.h"

#include <QAction>

ViewChoices::ViewChoices(BoardControls& controls, BoardFonts& fonts, StatusLine& status,
                         ClockTrust& clockTrust)
    : c_(controls), fonts_(fonts), status_(status), clockTrust_(clockTrust) {}

const char* ViewChoices::scaleKey() {
    return "board/textScale";
}

void ViewChoices::restore() {
    // A size that is not a number (a settings file edited by hand) is the normal size.
    bool number = false;
    const int kept = windows::userSettings().value(QLatin1String(scaleKey())).toInt(&number);
    fonts_.setScale(number ? kept : BoardFonts::kNormalScale);
    showLook(looks::remembered());
}

void ViewChoices::larger() {
    setScale(fonts_.scale() + BoardFonts::kScaleStep);
}

void ViewChoices::smaller() {
    // From the size shown: where the window holds less than was chosen, each press still shows.
    setScale(fonts_.shownScale() - BoardFonts::kScaleStep);
}

void ViewChoices::normalSize() {
    setScale(BoardFonts::kNormalScale);
}

void ViewChoices::setScale(int percent) {
    fonts_.setScale(percent);
    QSettings settings = windows::userSettings();
    settings.setValue(QLatin1String(scaleKey()), fonts_.scale());
}

void ViewChoices::choose(looks::Look look) {
    showLook(look);
    looks::remember(look);
}

void ViewChoices::showLook(looks::Look look) {
    look_ = look;
    looks::apply(look);
    const looks::Warnings& warnings = looks::warnings(look);
    status_.setBands(warnings.failure, warnings.copy);
    clockTrust_.setWarningColour(warnings.word);
    c_.lookItem[size_t(look)]->setChecked(true);
}
