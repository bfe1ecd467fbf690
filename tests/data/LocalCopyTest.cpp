#include "data/sharing/LocalCopy.h"
#include "data/catalogue/Catalogue.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/SqlCipherProvider.h"
#include "tests/support/Fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The copy a board keeps on this computer of its data folder's or server's content.
class LocalCopyOf : public ::testing::TestWithParam<Engine> {
  protected:
    LocalCopyOf()
        : fx(true, QStringLiteral("<data>"), GetParam()), other(true, QStringLiteral("<data>"), GetParam()) {}

    std::unique_ptr<LocalCopy> copyIn(const QString& root) const {
        return std::make_unique<LocalCopy>([] { return std::make_unique<RoutingProvider>(); }, root,
                                           catalogue::connectString(), [] { return madeAt; }, 20);
    }
    // What the copy holds, read as the board reads it: a file keyed with the station password.
    static QString readCopy(const QString& copyPath, const QString& table, const QString& field) {
        SqlCipherProvider files;
        const std::unique_ptr<Recordset> rs =
            files.open(copyPath, catalogue::connectString())->openTable(table);
        rs->moveFirst();
        return rs->value(field).toString();
    }
    QString mondayIn(const Fixture& f) const { return f.dataFile(catalogue::weekdays().front().dayFile); }

    static inline const QDateTime madeAt{QDate(2026, 12, 7), QTime(9, 5)};
    Fixture fx;
    Fixture other; // another station's data folder or server
    QTemporaryDir root;
};

TEST_P(LocalCopyOf, IsFilledKeptUpAndShownOnlyForItsOwnPlace) {
    fx.write(mondayIn(fx), "9am", "00am", "Nine o'clock");
    const std::unique_ptr<LocalCopy> copy = copyIn(root.path());
    copy->setPlace(fx.dataFolder());
    copy->start();
    ASSERT_TRUE(copy->waitUntilCurrent(60000));

    const LocalCopies::Copy monday = copy->copyOf(mondayIn(fx));
    ASSERT_FALSE(monday.path.isEmpty());
    EXPECT_EQ(monday.madeAt, madeAt);
    EXPECT_EQ(readCopy(monday.path, "9am", "00am"), "Nine o'clock");
    // Every content file the board may show is there, and only this user may read it.
    for (const catalogue::FileSpec& file : catalogue::files()) {
        if (file.folder != catalogue::Folder::Data) continue;
        EXPECT_FALSE(copy->copyOf(fx.dataFile(file.constant)).path.isEmpty()) << file.constant.toStdString();
    }
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteGroup | QFileDevice::WriteOther |
                                            QFileDevice::ExeGroup | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(monday.path).permissions() & others, 0);
    EXPECT_EQ(QFileInfo(QFileInfo(monday.path).path()).permissions() & others, 0);

    // Another studio's change reaches the copy; a change in another place's files does not.
    fx.write(mondayIn(fx), "9am", "00am", "Changed at nine");
    other.write(mondayIn(other), "9am", "00am", "Another station's");
    ASSERT_TRUE(copy->waitUntilCurrent(60000));
    EXPECT_EQ(readCopy(copy->copyOf(mondayIn(fx)).path, "9am", "00am"), "Changed at nine");
    EXPECT_TRUE(copy->copyOf(mondayIn(other)).path.isEmpty());
    copy->stop();

    // A board started later finds the copy; a copy put where another place's would be (a folder
    // moved by hand) is never taken for that place's.
    EXPECT_EQ(copyIn(root.path())->copyOf(mondayIn(fx)).madeAt, madeAt);
    ASSERT_TRUE(QDir().rename(LocalCopy::folderFor(root.path(), mondayIn(fx)),
                              LocalCopy::folderFor(root.path(), mondayIn(other))));
    const std::unique_ptr<LocalCopy> later = copyIn(root.path());
    EXPECT_TRUE(later->copyOf(mondayIn(other)).path.isEmpty());
    EXPECT_TRUE(later->copyOf(mondayIn(fx)).path.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(FolderAndServer, LocalCopyOf, ::testing::Values(Engine::Files, Engine::Server),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::Files ? std::string("Folder")
                                                                : std::string("Server");
                         });

} // namespace
