#include "tests/board/Board.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "widgets/TextBox.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

struct DayRow {
    const char* item;
    const char* caption;
    const char* name;
    const char* prefix;
};
const DayRow kDays[7] = {
    {"mnuMonday", "&Monday", "Monday", "Mon"},          {"mnuTuesday", "&Tuesday", "Tuesday", "Tue"},
    {"mnuWednesday", "&Wednesday", "Wednesday", "Wed"}, {"mnuThursday", "T&hursday", "Thursday", "Thu"},
    {"mnuFriday", "&Friday", "Friday", "Fri"},          {"mnuSaturday", "&Saturday", "Saturday", "Sat"},
    {"mnuSunday", "Sun&day", "Sunday", "Sun"},
};

QString dayFile(int d) {
    return QStringLiteral("\\%1.mdb").arg(QLatin1String(kDays[d].name));
}
QString kindFile(int d, const char* kind) {
    return QStringLiteral("\\%1%2.mdb").arg(QLatin1String(kDays[d].prefix), QLatin1String(kind));
}

// Each weekday's reminder file says whose it is, so the boxes show where they read from.
void markReminderFiles(const Board& b) {
    for (int d = 0; d < 7; ++d)
        for (const char* table : {"Reminder1", "Reminder2"})
            b.fx.write(b.file(kindFile(d, "Reminder")), QLatin1String(table), QStringLiteral("Text"),
                       QStringLiteral("%1 %2").arg(QLatin1String(kDays[d].prefix), QLatin1String(table)));
}

TEST(DaysMenu, SevenItemsInOrderWithTheirCaptions) {
    Board b;
    const QList<QAction*> items = b.c.mnuDays->actions();
    ASSERT_EQ(items.size(), 7);
    for (int d = 0; d < 7; ++d) {
        EXPECT_EQ(items[d], b.c.dayItem[d]);
        EXPECT_EQ(items[d]->objectName(), QLatin1String(kDays[d].item));
        EXPECT_EQ(items[d]->text(), QLatin1String(kDays[d].caption));
    }
}

TEST(DaysMenu, EveryDaySwitchesItsFilesAndKeepsTheHour) {
    Board b;
    markReminderFiles(b);
    b.chooseHour(15);
    const QString slogans = b.c.data[4]->databaseName();
    for (int d : {3, 1, 6, 0, 2, 5, 4}) {
        SCOPED_TRACE(kDays[d].name);
        b.takeOpens();
        b.chooseDay(d);
        const QString pre = QLatin1String(kDays[d].prefix);
        // The order of the reads, and Slogan.mdb left alone.
        EXPECT_EQ(b.takeOpens(), (QStringList{QLatin1String(kDays[d].name) + QStringLiteral(".mdb 3pm"),
                                              pre + QStringLiteral("Events.mdb Events"),
                                              pre + QStringLiteral("Wx.mdb MonWx"),
                                              pre + QStringLiteral("Reminder.mdb Reminder2"),
                                              pre + QStringLiteral("Reminder.mdb Reminder1")}));
        EXPECT_EQ(paths::fold(b.c.data[1]->databaseName()), b.file(dayFile(d)));
        EXPECT_EQ(paths::fold(b.c.data[5]->databaseName()), b.file(kindFile(d, "Reminder")));
        EXPECT_EQ(paths::fold(b.c.data[6]->databaseName()), b.file(kindFile(d, "Reminder")));
        EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("3pm"));
        EXPECT_EQ(b.c.data[3]->recordSource(), QStringLiteral("MonWx"));
        EXPECT_EQ(b.c.data[4]->databaseName(), slogans);
        EXPECT_EQ(b.c.Label31->text(), QLatin1String(kDays[d].name));
        EXPECT_EQ(b.c.Label32->text(), QStringLiteral("3:00 PM - 4:00 PM"));
        EXPECT_EQ(b.c.slotLabel[1]->text(), QStringLiteral("3:00 PM"));
        EXPECT_EQ(b.c.slotBox[1]->text(),
                  b.fx.read(b.file(dayFile(d)), QStringLiteral("3pm"), QStringLiteral("00am")));
        EXPECT_EQ(b.c.eventBox[1]->text(),
                  b.fx.read(b.file(kindFile(d, "Events")), QStringLiteral("Events"), QStringLiteral("me1")));
        EXPECT_EQ(b.c.Text20->text(),
                  b.fx.read(b.file(kindFile(d, "Wx")), QStringLiteral("MonWx"), QStringLiteral("Wx")));
        EXPECT_EQ(b.c.Text24->text(), pre + QStringLiteral(" Reminder1"));
        EXPECT_EQ(b.c.Text25->text(), pre + QStringLiteral(" Reminder2"));
        EXPECT_TRUE(b.statusText().isEmpty());
    }
}

TEST(DaysMenu, ChoosingTheShownDayReopensItsFiles) {
    Board b;
    b.takeOpens();
    b.chooseDay(0);
    EXPECT_EQ(b.takeOpens().size(), 5);
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
}

TEST(DaysMenu, EmptyDataFolderMeansTheProgramFolder) {
    Board b(true, QString());
    ASSERT_TRUE(b.c.Text26->text().isEmpty());
    for (const QString& f : {dayFile(4), kindFile(4, "Events"), kindFile(4, "Wx"), kindFile(4, "Reminder")})
        ASSERT_TRUE(QFile::copy(b.file(f), paths::fold(b.fx.programFolder() + f)));
    b.chooseDay(4);
    EXPECT_EQ(paths::fold(b.c.data[1]->databaseName()), paths::fold(b.fx.programFolder() + dayFile(4)));
    EXPECT_EQ(paths::fold(b.c.data[2]->databaseName()),
              paths::fold(b.fx.programFolder() + kindFile(4, "Events")));
    EXPECT_EQ(b.c.eventBox[1]->text(),
              b.fx.read(b.file(kindFile(4, "Events")), QStringLiteral("Events"), QStringLiteral("me1")));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Friday"));
}

TEST(DaysMenu, AMissingFileIsSkippedAndTheRestStillSwitch) {
    Board b;
    markReminderFiles(b);
    b.fx.remove(b.file(kindFile(1, "Events")));
    b.takeOpens();
    b.chooseDay(1);
    EXPECT_EQ(b.takeOpens(),
              (QStringList{QStringLiteral("Tuesday.mdb 12am"), QStringLiteral("TueWx.mdb MonWx"),
                           QStringLiteral("TueReminder.mdb Reminder2"),
                           QStringLiteral("TueReminder.mdb Reminder1")}));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
    EXPECT_EQ(b.c.Text24->text(), QStringLiteral("Tue Reminder1"));
    EXPECT_TRUE(b.statusText().isEmpty());
}

} // namespace
