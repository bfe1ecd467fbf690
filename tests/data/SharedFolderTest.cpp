#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tests/support/Fixture.h"
#include "tests/support/RawConnection.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <atomic>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Two or three studios on one data folder: each studio is a provider of its own (its own
// connections), the way each board opens the files of the share.
namespace {

// Studios on one data folder or one database server.
class Studios {
  protected:
    explicit Studios(Engine engine) : fx(false, "<data>", engine) {
        for (const char* name : {"B", "A", "C"})
            fx.append(promo, "Main", {{"PromoName", name}, {"BodyText", name}});
    }

    Fixture fx;
    QTemporaryDir home; // this computer's program folder, never the share
    KeptEdits kept{home.path() + QStringLiteral("/KeptEdits.json")};
    RoutingProvider here;
    EditJournal* hereJournal = &kept; // where this studio's controls keep what they cannot store
    RoutingProvider there;
    QString promo = fx.dataFile(catalogue::libraryFiles()[0]);

    std::unique_ptr<DataControl> control(DatabaseProvider& provider, const QString& path,
                                         const QString& table) {
        auto dc = std::make_unique<DataControl>(
            provider, &provider == &here ? *hereJournal : EditJournal::none(), "Data1");
        dc->setConnect(catalogue::connectString());
        dc->setDatabaseName(path);
        dc->setRecordSource(table);
        dc->refresh();
        return dc;
    }
    static void moveTo(DataControl& dc, int row) {
        dc.moveFirst();
        for (int i = 0; i < row; ++i)
            dc.moveNext();
    }
    QStringList rows(const QString& field) {
        QStringList out;
        for (int i = 0; i < fx.count(promo, "Main"); ++i)
            out << fx.read(promo, "Main", field, i);
        return out;
    }
};

class SharedFolder : public Studios, public ::testing::Test {
  protected:
    SharedFolder() : Studios(Engine::Files) {}
};

// What holds for studios sharing files and for studios sharing a server.
class SharedData : public Studios, public ::testing::TestWithParam<Engine> {
  protected:
    SharedData() : Studios(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(BothEngines, SharedData, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

struct OtherStudio {
    const char* what;
    int row; // the record both studios work on: 0 B, 1 A, 2 C
    std::function<void(DataControl&)> act;
    const char* ourField;
    // What is stored afterwards, in record order, and what is kept on this computer.
    QStringList promoNames, bodyTexts;
    const char* keptReason; // nullptr: our text was stored
};

TEST_P(SharedData, EditsOfTheSameRecordAreMergedByFieldAndConflictsAreKeptNotOverwritten) {
    const std::vector<OtherStudio> table = {
        {"changes the same field",
         1,
         [](DataControl& o) {
             o.setFieldText("BodyText", "theirs");
             o.update();
         },
         "BodyText",
         {"B", "A", "C"},
         {"B", "theirs", "C"},
         "The record was changed by another user (BodyText)."},
        {"changes another field",
         1,
         [](DataControl& o) {
             o.setFieldText("PromoName", "theirs");
             o.update();
         },
         "BodyText",
         {"B", "theirs", "C"},
         {"B", "ours", "C"},
         nullptr},
        // What was read as empty is a value too: filling it elsewhere is a change.
        {"fills a field that was empty",
         0,
         [](DataControl& o) {
             o.setFieldText("EnteredBy", "theirs");
             o.update();
         },
         "EnteredBy",
         {"B", "A", "C"},
         {"B", "A", "C"},
         "The record was changed by another user (EnteredBy)."},
        {"deletes the record",
         1,
         [](DataControl& o) { o.deleteRecord(); },
         "BodyText",
         {"B", "C"},
         {"B", "C"},
         "The record was deleted by another user."},
        // The new record must not take over the deleted one's key and with it our text.
        {"deletes the last record and adds one",
         2,
         [](DataControl& o) {
             o.deleteRecord();
             o.addNew();
             o.setFieldText("PromoName", "D");
             o.setFieldText("BodyText", "D");
             o.update();
         },
         "BodyText",
         {"B", "A", "D"},
         {"B", "A", "D"},
         "The record was deleted by another user."},
    };
    for (const OtherStudio& t : table) {
        SCOPED_TRACE(t.what);
        fx.removeAll(promo, "Main");
        for (const char* name : {"B", "A", "C"})
            fx.append(promo, "Main", {{"PromoName", name}, {"BodyText", name}});
        QFile::remove(kept.storePath());
        KeptEdits fresh(kept.storePath());
        hereJournal = &fresh;

        auto ours = control(here, promo, "Main");
        auto theirs = control(there, promo, "Main");
        moveTo(*ours, t.row);
        ours->setFieldText(t.ourField, "ours");
        moveTo(*theirs, t.row);
        t.act(*theirs);
        ours->moveFirst(); // our pending text is written as the control moves on

        EXPECT_EQ(rows("PromoName"), t.promoNames);
        EXPECT_EQ(rows("BodyText"), t.bodyTexts);
        if (!t.keptReason) {
            EXPECT_TRUE(fresh.edits().isEmpty());
            continue;
        }
        ASSERT_EQ(fresh.edits().size(), 1);
        EXPECT_TRUE(fresh.edits()[0].conflict);
        EXPECT_EQ(fresh.edits()[0].reason, t.keptReason);
        EXPECT_EQ(fresh.edits()[0].fields.value(t.ourField), "ours");
        // A conflict waits for a person: trying again never writes it over the other studio's work.
        EXPECT_EQ(fresh.retry(here, catalogue::connectString()), 0);
        EXPECT_EQ(rows("BodyText"), t.bodyTexts);
    }
    hereJournal = &kept;
}

TEST_F(SharedFolder, ALockedShareNeitherStopsTheControlNorLosesTheTextWhichIsStoredLaterEvenAfterARestart) {
    const QString monday = fx.dataFile(catalogue::weekdays().front().dayFile);
    const QString slot = catalogue::slotFields().front();
    auto dc = control(here, monday, "12am");
    dc->setFieldText(slot, "typed at midnight");
    {
        RawConnection otherStudio(monday);
        otherStudio.exec("BEGIN IMMEDIATE"); // others may still read, nobody else may write
        dc->setRecordSource("1am");          // the hour roll
        dc->refresh();
        otherStudio.exec("ROLLBACK");
    }
    EXPECT_EQ(dc->recordSource(), "1am");
    EXPECT_TRUE(dc->isOpen());
    dc->setFieldText(slot, "one o'clock");
    dc->moveFirst();
    EXPECT_EQ(fx.read(monday, "1am", slot), "one o'clock");
    EXPECT_EQ(fx.read(monday, "12am", slot), "");
    // Closing with the share locked (the board or a copy window closing) keeps the text as well.
    dc->setFieldText(slot, "typed while closing");
    {
        RawConnection otherStudio(monday);
        otherStudio.exec("BEGIN IMMEDIATE");
        dc->close();
        otherStudio.exec("ROLLBACK");
    }
    EXPECT_EQ(kept.edits().size(), 2);
    ASSERT_TRUE(kept.writtenWithin(5000));

    KeptEdits afterRestart(kept.storePath());
    ASSERT_EQ(afterRestart.edits().size(), 2);
    EXPECT_FALSE(afterRestart.edits()[0].conflict);
    EXPECT_FALSE(afterRestart.notice().isEmpty());
    EXPECT_EQ(afterRestart.retry(here, catalogue::connectString()), 2);
    EXPECT_EQ(fx.read(monday, "12am", slot), "typed at midnight");
    EXPECT_EQ(fx.read(monday, "1am", slot), "typed while closing");
    EXPECT_TRUE(afterRestart.edits().isEmpty());
    ASSERT_TRUE(afterRestart.writtenWithin(5000));
    EXPECT_TRUE(KeptEdits(kept.storePath()).edits().isEmpty());

    // A store that cannot be written still keeps the text for this run, and says a restart loses it.
    KeptEdits unwritable(home.path() + QStringLiteral("/no such folder/KeptEdits.json"));
    unwritable.keep(KeptEdit{monday, "12am", {}, {{slot, "typed"}}, {}, "locked", false});
    ASSERT_EQ(unwritable.edits().size(), 1);
    ASSERT_TRUE(unwritable.writtenWithin(5000));
    EXPECT_TRUE(unwritable.notice().contains("until the board closes")) << unwritable.notice().toStdString();
}

TEST_F(SharedFolder, AFileRestoredInPlaceFromAnotherInstallationIsReadWithoutARestart) {
    auto dc = control(here, promo, "Main");
    EXPECT_EQ(dc->fieldText("PromoName"), "B");

    const QString other = home.path() + QStringLiteral("/Promo.mdb");
    const QByteArray salt(16, 'r');
    auto builder =
        SqlCipherProvider::createFile(other, SqlCipherProvider::deriveKey(catalogue::kPassword, salt), salt);
    builder->createTable("Main", catalogue::libraryFields());
    // Under a key of that installation's own: the record the control was on is not in it.
    builder->insertKeyed("Main", 7, {{"PromoName", "Restored"}});
    builder->commit();
    builder.reset();
    QFile source(other), target(promo);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    ASSERT_TRUE(target.open(QIODevice::ReadWrite)); // same inode, as a restore writes it
    target.resize(0);
    target.write(source.readAll());
    target.close();

    dc->pollForChanges();
    EXPECT_EQ(dc->fieldText("PromoName"), "Restored");
    // Nothing was typed over the record that is gone: nothing is kept for a person.
    EXPECT_TRUE(kept.edits().isEmpty()) << kept.edits().front().reason.toStdString();
    dc->refresh();
    EXPECT_EQ(dc->recordCount(), 1);
}

TEST_F(SharedFolder, AFileOpenedAheadIsReadAsItIsWhenTheBoardSwitchesToIt) {
    // Written by another studio after it was opened ahead.
    here.openAhead(promo, catalogue::connectString());
    fx.write(promo, "Main", "PromoName", "Written since");
    EXPECT_EQ(control(here, promo, "Main")->fieldText("PromoName"), "Written since");

    // Replaced on the share by another file after it was opened ahead.
    const QString monday = fx.dataFile(catalogue::weekdays().front().dayFile);
    here.openAhead(monday, catalogue::connectString());
    const QString other = home.path() + QStringLiteral("/Monday.mdb");
    const QByteArray salt(16, 'n');
    auto builder =
        SqlCipherProvider::createFile(other, SqlCipherProvider::deriveKey(catalogue::kPassword, salt), salt);
    builder->createTable("3am", catalogue::slotFields());
    builder->insert("3am", {{catalogue::slotFields().front(), "From the new file"}});
    builder->commit();
    builder.reset();
    ASSERT_TRUE(QFile::remove(monday));
    ASSERT_TRUE(QFile::rename(other, monday));
    EXPECT_EQ(control(here, monday, "3am")->fieldText(catalogue::slotFields().front()), "From the new file");
}

TEST_F(SharedFolder, FilesOpenWhateverCipherDefaultsTheEngineWasBuiltWith) {
    RawConnection settings(QStringLiteral(":memory:"));
    // The defaults of a later SQLCipher major version.
    settings.exec("PRAGMA cipher_default_page_size = 4096");
    settings.exec("PRAGMA cipher_default_kdf_iter = 256000");
    EXPECT_EQ(RawConnection(promo).text("SELECT count(*) FROM Main"), ""); // unpinned, it cannot read
    SqlCipherProvider later;
    bool read = false;
    try {
        read = later.open(promo, catalogue::connectString())->openTable("Main")->recordCount() == 3;
    } catch (const StorageError&) {
    }
    settings.exec("PRAGMA cipher_default_page_size = 1024");
    settings.exec("PRAGMA cipher_default_kdf_iter = 64000");
    EXPECT_TRUE(read);

    // And the installation tool never takes over a file that is already there.
    EXPECT_THROW(SqlCipherProvider::createFile(promo, QByteArray(32, 'k'), QByteArray(16, 's')),
                 FileExistsError);
    EXPECT_EQ(fx.count(promo, "Main"), 3);
}

// Studios as real processes, writing at random into one file at once; one studio after another is
// killed in the middle of its work and another takes its place. The files stay sound, no record
// mixes two studios' writes, and every write a studio was told had been stored is there.
// Each studio reads ahead as a board does, reopening the files others change, while it writes.
void studioAtWork(int studio, int ackFd, const QString& promo, const QString& phone) {
    SqlCipherProvider own;
    QRandomGenerator random(studio + 1);
    std::atomic<bool> working{true};
    std::thread readingAhead([&] {
        while (working) {
            own.openAheadReading(phone, catalogue::connectString(), {"List"});
            own.openAheadReading(promo, catalogue::connectString(), {"Main"});
        }
    });
    for (int i = 0; i < 40; ++i) {
        const QString mark = QStringLiteral("s%1-%2").arg(studio).arg(i);
        try {
            if (i % 2 == 0) {
                own.open(phone, catalogue::connectString())->openTable("List")->append({{"Name", mark}});
                const QByteArray line = mark.toUtf8() + '\n';
                if (write(ackFd, line.constData(), size_t(line.size())) < 0) _exit(2);
            } else {
                auto rs = own.open(promo, catalogue::connectString())->openTable("Main");
                rs->moveFirst();
                for (int n = random.bounded(3); n > 0; --n)
                    rs->moveNext();
                rs->updateCurrent(
                    {{"PromoName", mark}, {"BodyText", mark}},
                    {{"PromoName", rs->value("PromoName")}, {"BodyText", rs->value("BodyText")}});
            }
        } catch (const StorageError&) {
            // Busy or changed meanwhile: that write is simply not acknowledged.
        }
    }
    working = false;
    readingAhead.join();
    _exit(0);
}

TEST_F(SharedFolder, StudiosWritingAtOnceAndKilledOverAndOverLeaveSoundFilesWithEveryAcknowledgedWrite) {
    const QString phone = fx.dataFile(catalogue::kPhoneFile);
    constexpr int kStudios = 3, kKills = 4;
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    std::vector<pid_t> studios;
    int started = 0;
    auto spawn = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            close(acks[0]);
            studioAtWork(started, acks[1], promo, phone);
        }
        ASSERT_GT(pid, 0);
        studios.push_back(pid);
        ++started;
    };
    for (int s = 0; s < kStudios; ++s)
        spawn();
    QByteArray acknowledged;
    char buffer[256];
    for (int kills = 0; kills < kKills;) {
        const ssize_t n = read(acks[0], buffer, sizeof buffer);
        if (n <= 0) break;
        acknowledged.append(buffer, int(n));
        if (acknowledged.count('\n') < 6 * (kills + 1)) continue;
        kill(studios[size_t(kills)], SIGKILL); // the oldest still at work, mid-write as likely as not
        ++kills;
        spawn();
    }
    close(acks[1]); // the last studios hold the only write ends now
    for (ssize_t n; (n = read(acks[0], buffer, sizeof buffer)) > 0;)
        acknowledged.append(buffer, int(n));
    close(acks[0]);
    for (pid_t pid : studios)
        waitpid(pid, nullptr, 0);

    for (const QString& file : {promo, phone})
        EXPECT_EQ(RawConnection(file).text("PRAGMA integrity_check"), "ok");
    QSet<QString> stored;
    for (int i = 0; i < fx.count(phone, "List"); ++i)
        stored.insert(fx.read(phone, "List", "Name", i));
    const QStringList lines = QString::fromUtf8(acknowledged).split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 6 * kKills);
    for (const QString& mark : lines)
        EXPECT_TRUE(stored.contains(mark)) << mark.toStdString();
    EXPECT_EQ(rows("PromoName"), rows("BodyText"));
    EXPECT_EQ(fx.count(promo, "Main"), 3);
}

} // namespace
