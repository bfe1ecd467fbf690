#include "copy/frmEventsText.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "studio/StudioContext.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"

#include <QBoxLayout>

namespace {
constexpr int kEvents = 7;
}

QString eventTitleField(int line) {
    return catalogue::eventFields().at(line - 1);
}
QString eventNotesField(int line) {
    return catalogue::eventFields().at(kEvents + line - 1);
}

frmEventsText::frmEventsText(StudioContext& context)
    : CopyWindow(context, QStringLiteral("frmEventsText"), catalogue::kEventsTable) {
    setWindowTitle(QStringLiteral("Event Detail"));
    // Event 1 until the main board names the event that was double-clicked.
    text2_ = boundLine(QStringLiteral("Text2"), eventTitleField(1), QStringLiteral("Event title"));
    text1_ = boundText(QStringLiteral("Text1"), eventNotesField(1), QStringLiteral("Event notes"));
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text2_->setBackColor(colors::kLightGrey);
    text1_->setBackColor(colors::kLightGrey);
    text2_->setFont(pointFont(12, true));
    text1_->setFont(pointFont(12, true));
    body()->addWidget(text2_);
    body()->addWidget(text1_, 1);
    lockBoxes(false);
    windows::closeOnEscape(this);
    resize(600, 420);
}

void frmEventsText::Form_Load() {
    const catalogue::Weekday* day = catalogue::weekdayNamed(context().dayLabel());
    if (!day) return; // a day label that names no day opens nothing
    // With no data folder text the board reads the program folder; the bare file name would name
    // the root of the file system.
    openFile(paths::withFallback(context().dataFolderText(), context().programFolder(), day->eventsFile));
}
