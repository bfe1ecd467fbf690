#include "tests/import/LegacyStation.h"

#include "app/frmMain.h"
#include "board/BoardControls.h"
#include "data/catalogue/Catalogue.h"
#include "import/Importer.h"
#include "import/LegacyReader.h"
#include "tests/support/FakeClock.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QCryptographicHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <optional>

namespace {

using Outcome = legacy_import::FileResult::Outcome;
const QString kCrLf = QStringLiteral("\r\n");

// The whole sample station imported once: its content files and its setup files, into one
// program folder, as the legacy station kept them (its data folder text is empty).
class ImportSampleTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        station = new LegacyStation;
        before = snapshot(station->root() + "/legacy");
        legacy_import::Options options;
        options.legacyFolder = station->legacyData();
        options.targetFolder = target();
        data = new legacy_import::Report(legacy_import::run(options));
        options.legacyFolder = station->legacyProgram();
        options.kind = catalogue::Folder::Program;
        setup = new legacy_import::Report(legacy_import::run(options));
    }
    static void TearDownTestSuite() {
        delete data;
        delete setup;
        delete station;
    }
    static QString target() { return station->root() + "/program"; }
    static QString file(const QString& name) { return target() + "/" + name; }
    static LegacyStation::Rows rows(const QString& name, const QString& table) {
        return station->rows(file(name), table);
    }

    static LegacyStation* station;
    static QMap<QString, QByteArray> before;
    static legacy_import::Report* data;
    static legacy_import::Report* setup;
};
LegacyStation* ImportSampleTest::station = nullptr;
QMap<QString, QByteArray> ImportSampleTest::before;
legacy_import::Report* ImportSampleTest::data = nullptr;
legacy_import::Report* ImportSampleTest::setup = nullptr;

TEST_F(ImportSampleTest, EveryFileTableAndRecordArrivesAndTheLegacyFolderIsUntouched) {
    EXPECT_TRUE(data->everythingTaken());
    EXPECT_TRUE(setup->everythingTaken());
    EXPECT_TRUE(data->unknownFiles.isEmpty());
    EXPECT_EQ(snapshot(station->root() + "/legacy"), before);

    // The sample's manifest: table -> records, per file; every single-record table holds one.
    QMap<QString, QMap<QString, int>> manifest;
    for (const catalogue::FileSpec& file : catalogue::files())
        for (const catalogue::TableSpec& t : file.tables)
            manifest[file.constant.mid(1)][t.name] = t.records == catalogue::Records::Single ? 1 : 0;
    const QVector<QPair<QString, int>> lists = {{"Promo.mdb", 5}, {"Live.mdb", 4},    {"Psa.mdb", 4},
                                                {"Notes.mdb", 4}, {"Tag.mdb", 3},     {"Prep.mdb", 4},
                                                {"Phone.mdb", 5}, {"Location.mdb", 2}};
    for (const auto& [name, records] : lists)
        manifest[name].first() = records;

    int files = 0, tables = 0, records = 0;
    for (const legacy_import::Report* report : {data, setup})
        for (const legacy_import::FileResult& f : report->files) {
            SCOPED_TRACE(f.name.toStdString());
            ++files;
            EXPECT_EQ(f.outcome, Outcome::Copied);
            QMap<QString, int> arrived;
            for (const legacy_import::TableResult& t : f.tables) {
                arrived[t.name] = t.records;
                EXPECT_EQ(rows(f.name, t.name).records.size(), t.records) << t.name.toStdString();
                ++tables;
                records += t.records;
            }
            EXPECT_EQ(arrived, manifest.value(f.name));
        }
    EXPECT_EQ(files, 39);
    EXPECT_EQ(tables, 208);
    EXPECT_EQ(records, 231);
}

TEST_F(ImportSampleTest, PlantedValuesArriveCharacterForCharacterWithNullsAndEmptyTextsApart) {
    struct Edge {
        const char* file;
        const char* table;
        int record;
        const char* field;
        std::optional<QString> value; // nothing: NULL
    };
    const Edge edges[] = {
        {"Phone.mdb", "List", 2, "Name", R"(Miller, Joe "The Voice")"},
        {"Phone.mdb", "List", 2, "String",
         R"(Miller, Joe "The Voice",    Hm. 555-0166   Title - Production / VO)"},
        {"Phone.mdb", "List", 3, "Name", "O'Brien, Kathleen"},
        {"TueEvents.mdb", "Events", 1, "me5txt",
         R"(Read at 10:40a and 2:40p. Copy in Promo, "Bakery Grand Opening".)"},
        {"Monday.mdb", "10am", 1, "35am", "Live read: Café Luna - soup & sandwich $5.99"},
        {"Promo.mdb", "Main", 3, "BodyText",
         "Mill Street Bakery celebrates its grand opening Saturday at 301 Mill Street." + kCrLf +
             "Free cinnamon rolls for the first 98 people, and coffee from our friends at Café Luna."},
        {"Notes.mdb", "Main", 3, "PromoName", "Zürich Sister City Visit"},
        {"Notes.mdb", "Main", 2, "BodyText",
         "St. George Greek Festival, June 4-6." + kCrLf + "Ελληνικά: say 'el-lee-nee-KAH'." + kCrLf +
             "Spanakopita = spah-nah-KOH-pee-tah. Baklava = bahk-lah-VAH."},
        {"Psa.mdb", "Main", 3, "BodyText",
         "Harlan Public Library celebrates Lunar New Year with storytime Saturday at 10." + kCrLf +
             "Say it with us: 新年快乐 (xin nian kuai le) - Happy New Year!"},
        {"Phone.mdb", "List", 5, "Name", "Dubois, Renée"},
        {"Phone.mdb", "List", 3, "Pager", std::nullopt},
        {"Phone.mdb", "List", 3, "String", "O'Brien, Kathleen,    Hm. 555-0119   Title - Sales Manager"},
        {"Promo.mdb", "Main", 2, "EndDate", ""},
        {"Setup.mdb", "Setup", 1, "Setup", ""},
        {"Setup.mdb", "Setup", 1, "SetupName", "KLGC 98.1"},
        {"Location.mdb", "Location", 1, "Location", "Z:/klgc/Cuepilot/Data/"},
        {"Location.mdb", "Location", 2, "Location", R"(\\STUDIO-B\Cuepilot\Data)"},
        {"Location.mdb", "Location", 2, "LocationName", "Studio B"},
        {"MonEvents.mdb", "Events", 1, "me1txt",
         "Carla live from Harlan Furniture, 1200 W Main." + kCrLf +
             "Breaks at :10 and :40, 60-sec live read each." + kCrLf +
             "Prize table: 2 pairs Auto Show tix, 98.1 mugs."},
        {"Slogan.mdb", "Slogan", 1, "Slogan10",
         "Today's soft rock and yesterday's favorites." + kCrLf + "Lite 98.1 KLGC."},
    };
    for (const Edge& e : edges) {
        SCOPED_TRACE(std::string(e.file) + " " + e.table + " " + e.field);
        const QVariant v = rows(e.file, e.table).at(e.record, e.field);
        ASSERT_EQ(v.isValid(), e.value.has_value());
        if (e.value) {
            EXPECT_EQ(v.toString(), *e.value);
        }
    }
}

TEST_F(ImportSampleTest, TheLongMemoArrivesWhole) {
    const QString text = rows("Prep.mdb", "Prep").at(2, "Text").toString();
    const QByteArray utf8 = text.toUtf8();
    EXPECT_EQ(utf8.size(), 40054);
    EXPECT_EQ(QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex(),
              "01d92bee124a351554924e0b5f33e50e4f3aa896e0d60e9976a04f0025685983");
    const QStringList lines = text.split(kCrLf);
    EXPECT_EQ(lines.size(), 310);
    EXPECT_EQ(lines.first(), "WEEKLY PREP SERVICE - KLGC EDITION");
    EXPECT_EQ(lines.last(), "307. THIS DAY: On this date in 1920, the first wedding ring show opened in Des "
                            "Moines. Tie-in: what's the oddest thing you collect?");
}

TEST_F(ImportSampleTest, RecordsKeepTheirOrder) {
    struct Listing {
        const char* file;
        const char* table;
        const char* field;
        QStringList names;
    };
    const Listing listings[] = {
        {"Promo.mdb",
         "Main",
         "PromoName",
         {"Winter Sale", "Auto Show", "Bakery Grand Opening", "Station Birthday Bash", "Concert Cash"}},
        {"Live.mdb",
         "Main",
         "PromoName",
         {"Valley Credit Union - Home Loans", "Riverside Dental", "Big Creek Hardware Snow Blowers",
          "Harlan Ford Truck Month"}},
        {"Psa.mdb",
         "Main",
         "PromoName",
         {"Red Cross Blood Drive", "Food Bank Holiday Drive", "Library Lunar New Year Storytime",
          "Smoke Alarm Check"}},
        {"Notes.mdb",
         "Main",
         "PromoName",
         {"Staff Meeting Friday", "Greek Festival Pronunciations", "Zürich Sister City Visit",
          "Snow Closings Procedure"}},
        {"Tag.mdb", "Main", "PromoName", {"Harlan Ford Tag", "Weather Tag", "Concert Cash Tag"}},
        {"Prep.mdb",
         "Prep",
         "Title",
         {"Monday Show Prep", "Weekly Prep Service Bundle", "Celebrity Birthdays - December",
          "This Day in History: Dec 9"}},
        {"Phone.mdb",
         "List",
         "Name",
         {"Alvarez, Rick", R"(Miller, Joe "The Voice")", "O'Brien, Kathleen", "Nguyen, Carla",
          "Dubois, Renée"}},
        {"Location.mdb", "Location", "LocationName", {"KLGC Main", "Studio B"}},
    };
    for (const Listing& l : listings) {
        const LegacyStation::Rows r = rows(l.file, l.table);
        QStringList names;
        for (int i = 1; i <= r.records.size(); ++i)
            names << r.at(i, l.field).toString();
        EXPECT_EQ(names, l.names) << l.file;
    }
}

// Where the sample left fields unfilled, and only there, the board's files hold NULL.
TEST_F(ImportSampleTest, UnfilledFieldsStayNullAndFilledOnesStayFilled) {
    struct Filled {
        QString file;
        QString table;
        QStringList fields; // every other field of the table is NULL
    };
    QVector<Filled> expected = {
        {"Wednesday.mdb", "6am", {"00am", "20am"}},
        {"Wednesday.mdb", "7am", {"35am"}},
        {"Wednesday.mdb", "4pm", {"15am"}},
        {"Thursday.mdb", "8am", {"10am"}},
        {"Thursday.mdb", "12pm", {"00am", "35am"}},
        {"Friday.mdb", "7am", {"45am"}},
        {"Friday.mdb", "5pm", {"20am"}},
        {"Saturday.mdb", "9am", {"00am", "30am"}},
        {"Saturday.mdb", "10am", {"55am"}},
        {"Sunday.mdb", "11am", {"00am", "55am"}},
        {"ThuWx.mdb", "MonWx", {"Wx", "Contest", "Show"}},
        {"FriWx.mdb", "MonWx", {"Wx", "Contest", "Remote"}},
        {"SatWx.mdb", "MonWx", {"Wx", "Remote", "Show"}},
        {"SunWx.mdb", "MonWx", {"Wx", "Show"}},
        {"MonReminder.mdb", "Reminder1", {"Time1", "Time2", "Time3", "Time4", "Text"}},
        {"MonReminder.mdb", "Reminder2", {"Time1", "Time2", "Text"}},
        {"TueReminder.mdb", "Reminder1", {"Time1", "Time2", "Time3", "Text"}},
        {"TueReminder.mdb", "Reminder2", {"Time1", "Time2", "Text"}},
        {"WedReminder.mdb", "Reminder1", {"Time1", "Text"}},
        {"WedReminder.mdb", "Reminder2", {}},
        {"ThuReminder.mdb", "Reminder1", {}},
        {"ThuReminder.mdb", "Reminder2", {}},
        {"FriReminder.mdb", "Reminder1", {"Time1", "Text"}},
        {"SatReminder.mdb", "Reminder1", {"Time1", "Time2", "Text"}},
        {"SunReminder.mdb", "Reminder1", {"Time1", "Text"}},
        {"Reminder1.mdb", "Reminder1", {"Time1", "Time2", "Time3", "Text"}},
        {"Reminder1.mdb", "Reminder2", {"Time1", "Text"}},
    };
    for (const char* day : {"Wednesday.mdb", "Thursday.mdb", "Friday.mdb", "Saturday.mdb", "Sunday.mdb"})
        for (const QString& hour : catalogue::hourTables()) {
            bool listed = false;
            for (const Filled& f : expected)
                listed = listed || (f.file == day && f.table == hour);
            if (!listed) expected.push_back({day, hour, {}});
        }
    for (const char* day : {"Monday.mdb", "Tuesday.mdb"})
        for (const QString& hour : catalogue::hourTables())
            expected.push_back({day, hour, catalogue::slotFields()});
    for (const Filled& f : expected) {
        const LegacyStation::Rows r = rows(f.file, f.table);
        const std::string where = (f.file + " " + f.table).toStdString();
        ASSERT_EQ(r.records.size(), 1) << where;
        QStringList filled;
        for (const QString& field : r.fields)
            if (r.at(1, field).isValid()) filled << field;
        EXPECT_EQ(filled, f.fields) << where;
    }
    EXPECT_EQ(rows("MonReminder.mdb", "Reminder2").at(1, "Time2").toString(), "4:20:00 PM");
    EXPECT_EQ(rows("Reminder1.mdb", "Reminder1").at(1, "Time3").toString(), "12:00:00 AM");
    EXPECT_EQ(rows("Reminder1.mdb", "Reminder1").at(1, "Text").toString(),
              "Log check: sign the transmitter log." + kCrLf + "Meter readings every 3 hours.");
}

// The catalogue's "Ext" field, which the station's phone list never had, is made empty and reported.
TEST_F(ImportSampleTest, AFieldTheLegacyTableLacksIsMadeEmptyAndReported) {
    const LegacyStation::Rows phone = rows("Phone.mdb", "List");
    ASSERT_EQ(phone.fields, catalogue::phoneFields());
    for (int i = 1; i <= phone.records.size(); ++i)
        EXPECT_FALSE(phone.at(i, "Ext").isValid());
    const legacy_import::FileResult& f = data->files.last();
    ASSERT_EQ(f.name, "Phone.mdb");
    EXPECT_EQ(f.notes.join("\n"), R"(table "List": field(s) "Ext" not in the legacy table; created empty)");
}

// The board started on the imported program folder shows the legacy station's Monday midnight hour,
// its events and its slogans.
TEST_F(ImportSampleTest, TheBoardOpensTheImportedStation) {
    SqlCipherProvider provider;
    FakeClock clock(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 5)));
    frmMain board(clock, provider, nullptr, target());
    board.Form_Load();
    BoardControls& c = board.controls();
    const auto legacy = [](const QString& file, const QString& table) {
        for (const legacy::Table& t : legacy::readTables(LegacyStation::sample() + "/data/" + file))
            if (t.name == table) return t;
        throw std::runtime_error("no table " + table.toStdString());
    };
    const legacy::Table midnight = legacy("Monday.mdb", "12am");
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(c.slotBox[k]->text(), midnight.records[0][k - 1].toString()) << k;
    const legacy::Table events = legacy("MonEvents.mdb", "Events");
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c.eventBox[n]->text(),
                  events.records[0][events.fields.indexOf(QString("me%1").arg(n))].toString());
    const legacy::Table slogans = legacy("Slogan.mdb", "Slogan");
    for (int line = 1; line <= 3; ++line)
        EXPECT_EQ(c.sloganBox[line]->text(), slogans.records[0][line - 1].toString());
    EXPECT_EQ(c.Lbl3D2->caption(), "KLGC 98.1");
}

} // namespace
