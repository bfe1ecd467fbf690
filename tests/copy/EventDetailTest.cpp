#include "copy/CopyOpeners.h"
#include "copy/frmEventsText.h"
#include "data/controls/DataControl.h" // FieldBinding.h needs it complete
#include "data/controls/FieldBinding.h"
#include "tests/copy/CopyTestSupport.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

namespace {

class EventDetail : public CopyTest {
  protected:
    // Title and notes of every event of a day, named after the day and the line.
    void fillDay(int day) const {
        const QString name = catalogue::weekdays().at(day).prefix;
        for (int line = 1; line <= 7; ++line) {
            fx.write(eventsFile(day), "Events", eventTitleField(line),
                     QString("%1 event %2").arg(name).arg(line));
            fx.write(eventsFile(day), "Events", eventNotesField(line),
                     QString("%1 notes %2").arg(name).arg(line));
        }
    }
    static QString field(QWidget* box) { return FieldBinding::of(box)->dataField(); }
};

TEST_F(EventDetail, LineThreeShowsEventThreesTitleAndNotes) {
    fillDay(0);
    frmEventsText* w = openEventDetail(studio, 3);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Event Detail");
    EXPECT_EQ(field(w->Text2()), "me3");
    EXPECT_EQ(field(w->Text1()), "me3txt");
    EXPECT_EQ(text(w, "Text2"), "Mon event 3");
    EXPECT_EQ(text(w, "Text1"), "Mon notes 3");
    for (QWidget* box : {static_cast<QWidget*>(w->Text2()), static_cast<QWidget*>(w->Text1())}) {
        EXPECT_TRUE(box->font().bold());
        EXPECT_DOUBLE_EQ(box->font().pointSizeF(), 12);
    }
    EXPECT_FALSE(w->Text2()->isReadOnly());
    EXPECT_FALSE(w->Text1()->isReadOnly());
    EXPECT_EQ(w->Text2()->backColor(), colors::kLightGrey);
    EXPECT_EQ(w->Text1()->backColor(), colors::kLightGrey);
    EXPECT_EQ(w->Text1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w->findChildren<QPushButton*>().size(), 0);
}

TEST_F(EventDetail, AnotherLineSwitchesTheOpenWindowAndStoresWhatWasTypedFirst) {
    fillDay(0);
    frmEventsText* w = openEventDetail(studio, 3);
    type(w, "Text1", "Bring the banner");
    type(w, "Text2", "Concert moved");
    EXPECT_EQ(openEventDetail(studio, 5), w);
    EXPECT_EQ(text(w, "Text2"), "Mon event 5");
    EXPECT_EQ(text(w, "Text1"), "Mon notes 5");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me3txt"), "Bring the banner");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me3"), "Concert moved");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me5txt"), "Mon notes 5");
}

TEST_F(EventDetail, TypedNotesSurviveCloseAndReopen) {
    frmEventsText* w = openEventDetail(studio, 2);
    EXPECT_EQ(text(w, "Text1"), "");
    type(w, "Text1", "Call the sponsor at ten");
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me2txt"), "Call the sponsor at ten");
    frmEventsText* again = openEventDetail(studio, 2);
    EXPECT_EQ(text(again, "Text1"), "Call the sponsor at ten");
}

TEST_F(EventDetail, TheWindowKeepsItsDaysFileUntilItIsReopened) {
    fillDay(0);
    fillDay(1);
    frmEventsText* w = openEventDetail(studio, 1);
    studio.day = "Tuesday";
    EXPECT_EQ(openEventDetail(studio, 2), w);
    EXPECT_EQ(text(w, "Text2"), "Mon event 2");
    w->close();
    EXPECT_EQ(text(openEventDetail(studio, 2), "Text2"), "Tue event 2");
}

TEST_F(EventDetail, EmptyDataFolderTextReadsTheProgramFolder) {
    studio.folder.clear();
    studio.program = fx.dataFolder();
    studio.day = "Sunday";
    fillDay(6);
    frmEventsText* w = openEventDetail(studio, 7);
    EXPECT_EQ(text(w, "Text2"), "Sun event 7");
    EXPECT_EQ(status(w), "");
}

TEST_F(EventDetail, AMissingFileLeavesBothBoxesEmptyAndIsNamed) {
    fx.remove(eventsFile());
    frmEventsText* w = openEventDetail(studio, 4);
    EXPECT_EQ(text(w, "Text2"), "");
    EXPECT_EQ(text(w, "Text1"), "");
    EXPECT_TRUE(status(w).contains("MonEvents.mdb")) << status(w).toStdString();
}

TEST_F(EventDetail, ADayLabelNamingNoDayOpensNothing) {
    fillDay(0);
    studio.day = "Funday";
    frmEventsText* w = openEventDetail(studio, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(text(w, "Text2"), "");
    EXPECT_EQ(text(w, "Text1"), "");
}

} // namespace
