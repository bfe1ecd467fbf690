#include "tests/board/Board.h"
#include "tests/board/HourRows.h"

#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

QStringList captions(const std::array<QLabel*, 13>& labels) {
    QStringList out;
    for (int k = 1; k <= 12; ++k)
        out << labels[k]->text();
    return out;
}

// What the grid shows must be the hour's record in the day file, field by field.
void expectSlotsShow(const Board& b, const QString& dayFile, const QString& table) {
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(b.c.slotBox[k]->text(), b.fx.read(b.file(dayFile), table, catalogue::slotFields()[k - 1]))
            << table.toStdString() << " slot " << k;
}

TEST(HoursMenu, TwentyFourItemsInOrderWithTheirCaptions) {
    Board b;
    const QList<QAction*> items = b.c.mnuHours->actions();
    ASSERT_EQ(items.size(), 24);
    for (int h = 0; h < 24; ++h) {
        SCOPED_TRACE(kHourRows[h].item);
        EXPECT_EQ(items[h], b.c.hourItem[h]);
        EXPECT_EQ(items[h]->objectName(), QLatin1String(kHourRows[h].item));
        EXPECT_EQ(items[h]->text(), QLatin1String(kHourRows[h].caption));
    }
    EXPECT_EQ(b.c.mnuHours->title(), QStringLiteral("H&ours"));
}

TEST(HoursMenu, EveryHourShowsItsTableLabelsKeysAndShortHeader) {
    Board b;
    const QString monday = catalogue::weekdays()[0].dayFile;
    for (int h = 0; h < 24; ++h) {
        SCOPED_TRACE(kHourRows[h].item);
        b.takeOpens();
        b.chooseHour(h);
        EXPECT_EQ(b.c.data[1]->recordSource(), QLatin1String(kHourRows[h].table));
        EXPECT_EQ(b.takeOpens(),
                  QStringList{QStringLiteral("Monday.mdb ") + QLatin1String(kHourRows[h].table)});
        EXPECT_EQ(captions(b.c.slotLabel), slotTimes(h, false));
        EXPECT_EQ(captions(b.c.slotKey), slotTimes(h, true));
        EXPECT_EQ(b.c.Label32->text(), QLatin1String(kHourRows[h].menuHeader));
        expectSlotsShow(b, monday, QLatin1String(kHourRows[h].table));
        EXPECT_FALSE(b.c.slotBox[1]->text().isEmpty()); // demo content: the comparison means something
    }
}

TEST(HoursMenu, SpotChecksOfTheDocumentedTexts) {
    Board b;
    b.chooseHour(3);
    EXPECT_EQ(b.c.slotLabel[3]->text(), QStringLiteral("3:10 AM"));
    EXPECT_EQ(b.c.slotLabel[12]->text(), QStringLiteral("3:55 AM"));
    b.chooseHour(12);
    EXPECT_EQ(b.c.slotKey[1]->text(), QStringLiteral("12:00:00 PM"));
    EXPECT_EQ(b.c.slotKey[12]->text(), QStringLiteral("12:55:00 PM"));
    b.chooseHour(1);
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("1:00 - 2:00 AM"));
}

TEST(HoursMenu, StartUpShowsTheMidnightHourWithItsOwnHeader) {
    Board b;
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12am"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 - 1:00 AM"));
    EXPECT_EQ(captions(b.c.slotLabel), slotTimes(0, false));
    EXPECT_EQ(captions(b.c.slotKey), slotTimes(0, true));
}

TEST(HoursMenu, ChoosingTheShownHourReadsTheTableAgain) {
    Board b;
    b.chooseHour(15);
    b.fx.write(b.file(QStringLiteral("\\Monday.mdb")), QStringLiteral("3pm"), QStringLiteral("00am"),
               QStringLiteral("Changed by another studio"));
    b.chooseHour(15);
    EXPECT_EQ(b.c.slotBox[1]->text(), QStringLiteral("Changed by another studio"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("3:00 PM - 4:00 PM"));
}

TEST(HoursMenu, LeavesTheSlotColoursAlone) {
    Board b;
    b.at(QTime(0, 10, 0));
    b.tick1();
    ASSERT_EQ(b.c.slotBox[3]->backColor(), colors::kGreen);
    b.chooseHour(15);
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(b.c.slotBox[k]->backColor(), k == 3 ? colors::kGreen : colors::kYellow) << k;
}

// A refresh that fails takes the default error path: the engine's message in the status bar,
// the table name already changed, the captions still naming the hour shown before.
void expectFailedChoiceKeepsCaptions(Board& b, int hour) {
    const QStringList labels = captions(b.c.slotLabel), keys = captions(b.c.slotKey);
    const QString header = b.c.Label32->text();
    ASSERT_TRUE(b.statusText().isEmpty());
    b.chooseHour(hour);
    EXPECT_FALSE(b.statusText().isEmpty());
    EXPECT_EQ(b.c.data[1]->recordSource(), QLatin1String(kHourRows[hour].table));
    EXPECT_EQ(captions(b.c.slotLabel), labels);
    EXPECT_EQ(captions(b.c.slotKey), keys);
    EXPECT_EQ(b.c.Label32->text(), header);
}

TEST(HoursMenuFailure, DayFileWithoutTheHourTable) {
    Board b;
    b.chooseHour(2);
    // A file of ours that holds no hour tables stands in for Tuesday's day file.
    b.fx.remove(b.file(QStringLiteral("\\Tuesday.mdb")));
    ASSERT_TRUE(
        QFile::copy(b.file(QStringLiteral("\\TueEvents.mdb")), b.file(QStringLiteral("\\Tuesday.mdb"))));
    b.chooseDay(1);
    expectFailedChoiceKeepsCaptions(b, 17);
}

TEST(HoursMenuFailure, DayFileThatCouldNotBeOpened) {
    Board b;
    b.fx.remove(b.file(QStringLiteral("\\Wednesday.mdb")));
    b.chooseDay(2);
    expectFailedChoiceKeepsCaptions(b, 5);
}

} // namespace
