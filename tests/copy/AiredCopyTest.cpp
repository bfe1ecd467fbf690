#include "aired/AiredLog.h"
#include "copy/CopyOpeners.h"
#include "copy/frmNotes.h"
#include "data/controls/DataControl.h"
#include "data/storage/RoutingProvider.h"
#include "tests/copy/CopyTestSupport.h"
#include "tests/support/Legibility.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <optional>

namespace {

class AiredCopy : public CopyTest {
  protected:
    frmNotes* promoEditor() {
        // Record order: Old, Soon, Now, Always.
        const QStringList runs[] = {{"Old", "11/1/26", "11/30/26"},
                                    {"Soon", "Dec 10 2026", "TBA"},
                                    {"Now", "2026-12-01", "12/31/2026"},
                                    {"Always", "", "ongoing"}};
        for (const QStringList& r : runs)
            fx.append(
                library(0), "Main",
                {{"PromoName", r[0]}, {"StartDate", r[1]}, {"EndDate", r[2]}, {"BodyText", r[0] + " copy"}});
        return openLibrary(studio, libraryButtons().at(0));
    }
    // The mark beside the name and the reason in words, for the record shown.
    static QString marked(frmNotes* w) {
        auto* mark = child<TextBox>(w, "Text2")->findChild<QAction*>("RunMark");
        const QString reason = child<QLabel>(w, "RunReason")->text();
        EXPECT_EQ(mark->isVisible(), !reason.isEmpty());
        EXPECT_EQ(mark->toolTip(), reason);
        EXPECT_EQ(child<MultiLineBox>(w, "Text1")->styleSheet().contains("border"), !reason.isEmpty());
        return reason;
    }
    QString airedFile() const { return fx.dataFile(catalogue::kAiredFile); }
    static QString readCaption(frmNotes* w) { return child<QPushButton>(w, "ReadOnAir")->text(); }
    // The caption is read again once the editor has stopped moving.
    static bool captionBecomes(frmNotes* w, const QString& caption) {
        return QTest::qWaitFor([&] { return readCaption(w) == caption; }, 10000);
    }
    // Answers the question the next press asks (none asked fails); with no answer given, a question
    // asked fails and is declined.
    static void answerNextQuestion(std::optional<QMessageBox::StandardButton> answer,
                                   QString* asked = nullptr) {
        QTimer::singleShot(0, [=] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                if (answer) ADD_FAILURE() << "no question was asked";
                return;
            }
            if (asked) *asked = box->text();
            if (!answer) ADD_FAILURE() << "asked: " << box->text().toStdString();
            box->button(answer.value_or(QMessageBox::No))->click();
        });
    }
};

// Each record's marks in the editor, and the picker's order, on days before, on and after the limits.
TEST_F(AiredCopy, RunsEndedOrNotBegunAreMarkedAndListedLast) {
    const struct {
        QDate today;
        QStringList reasons; // Old, Soon, Now, Always
        QStringList picker;
    } days[] = {
        {{2026, 11, 30},
         {"", "Starts Dec 10 2026", "Starts Dec 1 2026", ""},
         {"Old", "Always", "Soon", "Now"}},
        {{2026, 12, 7},
         {"Ended Nov 30 2026", "Starts Dec 10 2026", "", ""},
         {"Now", "Always", "Soon", "Old"}},
        {{2026, 12, 10}, {"Ended Nov 30 2026", "", "", ""}, {"Soon", "Now", "Always", "Old"}},
        {{2027, 1, 1}, {"Ended Nov 30 2026", "", "Ended Dec 31 2026", ""}, {"Soon", "Always", "Old", "Now"}},
    };
    frmNotes* w = promoEditor();
    for (const auto& day : days) {
        SCOPED_TRACE(day.today.toString().toStdString());
        studio.clock.set(day.today, QTime(9, 0));
        w->data1().moveFirst();
        QStringList reasons;
        for (int i = 0; i < 4; ++i, click(w, "Command4"))
            reasons << marked(w);
        EXPECT_EQ(reasons, day.reasons);

        click(w, "Command8");
        QWidget* picker = windows::find<QWidget>("frmPromoList");
        EXPECT_EQ(lines(picker), day.picker);
        auto* list = child<QListWidget>(picker, "List1");
        for (int i = 0; i < list->count(); ++i)
            EXPECT_EQ(list->item(i)->toolTip(),
                      day.reasons[QStringList({"Old", "Soon", "Now", "Always"}).indexOf(day.picker[i])]);
        // A marked name is still chosen as any other: the editor moves to it.
        clickLine(picker, 3);
        EXPECT_EQ(text(w, "Text2"), day.picker[3]);
    }
    // What is typed into End Date marks the record at once; nothing stored changes.
    w->data1().moveFirst();
    click(w, "Command6");
    type(w, "Text4", "12/6/26");
    EXPECT_EQ(marked(w), "Ended Dec 6 2026");
    EXPECT_EQ(fx.read(library(0), "Main", "EndDate", 0), "11/30/26");
}

// A press records the copy as read, the caption says when, another studio's press shows too, and
// only a press younger than a minute can be taken back.
TEST_F(AiredCopy, ReadOnAirIsRecordedShownAndUndoneWithinAMinute) {
    studio.clock.set(QDate(2026, 12, 7), QTime(9, 5, 0));
    frmNotes* w = promoEditor();
    EXPECT_TRUE(captionBecomes(w, "&Read on Air"));
    answerNextQuestion(QMessageBox::Yes); // its run has ended
    click(w, "ReadOnAir");
    EXPECT_EQ(fx.read(airedFile(), "Aired", "CopyName"), "Old");
    EXPECT_EQ(fx.read(airedFile(), "Aired", "Library"), "Promo");
    EXPECT_EQ(fx.read(airedFile(), "Aired", "ReadAt"), "2026-12-07 09:05:00");
    EXPECT_EQ(fx.read(airedFile(), "Aired", "Fingerprint"), AiredLog::fingerprint("Old copy"));
    EXPECT_EQ(readCaption(w), "&Read on Air (last read 9:05 AM)");
    click(w, "Command4");
    EXPECT_TRUE(captionBecomes(w, "&Read on Air")) << readCaption(w).toStdString();

    studio.clock.advance(59);
    click(w, "UndoRead");
    EXPECT_EQ(fx.count(airedFile(), "Aired"), 0);
    EXPECT_FALSE(child<QPushButton>(w, "UndoRead")->isEnabled());

    answerNextQuestion(QMessageBox::Yes); // not begun yet
    click(w, "ReadOnAir");                // Soon, 9:05:59
    studio.clock.advance(61);
    click(w, "UndoRead");
    EXPECT_EQ(fx.count(airedFile(), "Aired"), 1);
    EXPECT_EQ(status(w), "A read can be taken back only within a minute.");

    // Another studio reads the copy shown; the caption follows without a move.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    RoutingProvider elsewhere;
    AiredLog(elsewhere, airedFile())
        .record("Promo", "Soon", "Soon copy", QDateTime(QDate(2026, 12, 7), QTime(14, 30)));
    EXPECT_TRUE(captionBecomes(w, "&Read on Air (last read 2:30 PM)")) << readCaption(w).toStdString();
}

// A press a moment after the last one for the same copy is the same read; copy out of its run is
// recorded only when the presenter says so, and asked about once.
TEST_F(AiredCopy, ADoublePressIsOneReadAndCopyOutOfItsRunIsAskedAboutOnce) {
    studio.clock.set(QDate(2026, 12, 7), QTime(9, 5, 0));
    frmNotes* w = promoEditor(); // Old: ended Nov 30
    EXPECT_TRUE(captionBecomes(w, "&Read on Air"));
    QString asked;
    answerNextQuestion(QMessageBox::No, &asked);
    click(w, "ReadOnAir");
    EXPECT_EQ(asked, "Old: Ended Nov 30 2026. Record it as read on air all the same?");
    EXPECT_EQ(fx.count(airedFile(), "Aired"), 0);
    answerNextQuestion(QMessageBox::Yes);
    click(w, "ReadOnAir");
    EXPECT_EQ(fx.count(airedFile(), "Aired"), 1);

    const struct {
        int after; // seconds since the last press
        int reads;
        const char* caption;
    } presses[] = {
        {0, 1, "&Read on Air (same read, 9:05:00 AM)"},
        {9, 1, "&Read on Air (same read, 9:05:00 AM)"},
        {1, 2, "&Read on Air (last read 9:05 AM)"}, // ten seconds on: a read of its own, not asked again
        {3, 2, "&Read on Air (same read, 9:05:10 AM)"},
    };
    for (const auto& p : presses) {
        studio.clock.advance(p.after);
        answerNextQuestion(std::nullopt);
        click(w, "ReadOnAir");
        EXPECT_EQ(fx.count(airedFile(), "Aired"), p.reads) << p.after;
        EXPECT_EQ(readCaption(w), p.caption);
    }
    // Copy in its run is never asked about; another copy is never the same read.
    click(w, "Command4"); // Soon
    click(w, "Command4"); // Now
    EXPECT_TRUE(captionBecomes(w, "&Read on Air"));
    answerNextQuestion(std::nullopt);
    click(w, "ReadOnAir");
    EXPECT_EQ(fx.count(airedFile(), "Aired"), 3);
}

// The run warnings read on the editor's dark red, and neither they nor the Read on Air caption make
// the window wider as they grow: it would creep over the board's clock and stay there.
TEST_F(AiredCopy, RunWarningsReadAndGrowingCaptionsLeaveTheEditorsWidth) {
    studio.clock.set(QDate(2026, 12, 7), QTime(9, 5, 0));
    frmNotes* w = promoEditor();
    w->show();
    QCoreApplication::processEvents();
    const int width = w->width();
    const int least = w->minimumSizeHint().width();
    for (const char* reason : {"Ended Nov 30 2026", "Starts Dec 10 2026"}) {
        EXPECT_EQ(marked(w), reason);
        EXPECT_GE(legibility::readContrast(child<QLabel>(w, "RunReason")), contrast::kReadable) << reason;
        // The copy box's frame in the warning's colour.
        EXPECT_GE(legibility::edgeContrast(child<MultiLineBox>(w, "Text1")), contrast::kReadable) << reason;
        answerNextQuestion(QMessageBox::Yes);
        click(w, "ReadOnAir");
        EXPECT_EQ(readCaption(w), "&Read on Air (last read 9:05 AM)");
        QCoreApplication::processEvents();
        EXPECT_EQ(w->width(), width) << reason;
        EXPECT_LE(w->minimumSizeHint().width(), least) << reason;
        click(w, "Command4");
    }
}

} // namespace
