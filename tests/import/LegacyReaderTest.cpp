#include "tests/import/LegacyStation.h"

#include "import/IsolatedReader.h"
#include "import/JetHeader.h"
#include "import/LegacyReader.h"

#include <QDir>
#include <gtest/gtest.h>

namespace legacy {
bool operator==(const Table& a, const Table& b) {
    return a.name == b.name && a.fields == b.fields && a.binaryFields == b.binaryFields &&
           a.records == b.records && a.damage == b.damage;
}
} // namespace legacy

namespace {

TEST(JetHeader, ThePasswordIsReadFromEveryFileAndCanBeWrittenBack) {
    const QDir sample(LegacyStation::sample());
    int files = 0;
    for (const QString& folder : {QStringLiteral("data"), QStringLiteral("program")})
        for (const QString& name : QDir(sample.filePath(folder)).entryList({"*.mdb"})) {
            ++files;
            EXPECT_EQ(legacy::passwordOf(sample.filePath(folder + "/" + name)), "4821kq")
                << name.toStdString();
        }
    EXPECT_EQ(files, 39);

    const QByteArray page = fileBytes(sample.filePath("data/Slogan.mdb")).left(jet::kPageSize);
    for (const QString& password : {QString(), QStringLiteral("x"), QStringLiteral("Zwanzig Zeichen lang")}) {
        const QByteArray changed = jet::withPassword(page, password);
        EXPECT_EQ(jet::passwordOf(changed), password);
        EXPECT_EQ(jet::withPassword(changed, "4821kq"), page);
    }
    EXPECT_EQ(jet::passwordOf(QByteArray(jet::kPageSize, 'x')), std::nullopt);
    EXPECT_EQ(jet::passwordOf(page.left(100)), std::nullopt);
}

// libmdb stops quietly at a page it cannot read. A cut-off file must either be refused or named
// damaged or, when the cut took nothing the tables need, read exactly as the whole file.
TEST(LegacyReader, ACutOffFileIsRefusedOrReadWhole) {
    LegacyStation station;
    for (const char* name : {"Prep.mdb", "Phone.mdb", "MonReminder.mdb"}) {
        SCOPED_TRACE(name);
        const QString path = station.legacyFile(name);
        const QByteArray whole = fileBytes(path);
        const QVector<legacy::Table> full = legacy::readTables(path);
        int refused = 0;
        QVector<int> cuts;
        for (int pages = 1; pages < whole.size() / jet::kPageSize; ++pages)
            cuts << pages * jet::kPageSize;
        cuts << whole.size() - 1 << 100;
        for (int cut : cuts) {
            writeFile(path, whole.left(cut));
            const legacy::Reading read = legacy::readApart(path, {});
            bool damageSaid = read.result != legacy::Reading::Result::Read;
            for (const legacy::Table& t : read.tables)
                damageSaid = damageSaid || !t.damage.isEmpty();
            if (damageSaid)
                ++refused;
            else
                EXPECT_TRUE(read.tables == full) << "cut at " << cut;
        }
        EXPECT_GT(refused, cuts.size() / 2);
    }
}

} // namespace
