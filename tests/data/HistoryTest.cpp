#include "base/Steps.h"
#include "data/history/HistorySource.h"
#include "data/rescue/KeptPlace.h"
#include "data/sharing/HistoryPruning.h"
#include "data/sharing/HistoryRestore.h"
#include "tests/data/StorageSuite.h"

#include <QThread>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QVariant kNull;
const QVariant kEmpty = QStringLiteral("");

class History : public StorageBase, public ::testing::TestWithParam<Engine> {
  protected:
    History() : StorageBase(GetParam()) {}

    Database& db(const QString& path) {
        opened_ = provider.open(path, catalogue::connectString());
        return *opened_;
    }
    HistorySource& source(const QString& path) { return dynamic_cast<HistorySource&>(db(path)); }
    QVector<HistoryEntry> entries(const QString& path, const QString& table) {
        HistoryFilter filter;
        filter.table = table;
        return source(path).historyEntries(filter);
    }
    // The entries made after the given id, oldest first.
    QVector<HistoryEntry> entriesAfter(const QString& path, const QString& table, qint64 id) {
        QVector<HistoryEntry> made;
        for (const HistoryEntry& e : entries(path, table))
            if (e.id > id) made.prepend(e);
        return made;
    }
    qint64 lastId(const QString& path, const QString& table) {
        const QVector<HistoryEntry> all = entries(path, table);
        return all.isEmpty() ? 0 : all.front().id;
    }
    // The stored values of one record, null apart from empty text; nothing when it is gone.
    std::optional<RecordValues> record(const QString& path, const QString& table, qint64 key) {
        std::unique_ptr<Recordset> rs = db(path).openTable(table);
        if (!skipOnFailure([&] { rs->setBookmark(QByteArray::number(key)); })) return std::nullopt;
        RecordValues values;
        for (const QString& f : rs->fieldNames())
            values.insert(f, rs->value(f));
        return values;
    }
    QStringList names(const QString& path) {
        std::unique_ptr<Recordset> rs = db(path).openTable("Main");
        QStringList all;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            all << rs->value("PromoName").toString();
        return all;
    }

    QString events = fx.dataFile(catalogue::weekdays()[0].eventsFile);
    std::shared_ptr<Database> opened_;
};

INSTANTIATE_TEST_SUITE_P(BothEngines, History, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

std::string shown(const QVariant& v) {
    return v.isNull() ? "<null>" : '"' + v.toString().toStdString() + '"';
}

bool same(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && a.toString() == b.toString();
}

struct Change {
    ChangeKind kind;
    QString field;
    QVariant before, after;
};

enum class Restore { Field, RecordAsBefore, Deleted };

// One write as a studio makes it, what the history must hold of it, and how it is put back.
struct WriteCase {
    const char* name;
    bool events; // on the day's events, else on the first promo library
    std::function<void(History&, DataControl&)> write;
    QVector<Change> kept;
    Restore restore;
    // After the restore, by field (fields not named: not looked at); empty for a record gone.
    RecordValues restored;
};

} // namespace

TEST_P(History, KeepsEachWriteExactlyAndPutsItBack) {
    const std::vector<WriteCase> cases = {
        {"update of one field, back to null",
         false,
         [](History&, DataControl& dc) {
             dc.moveNext(); // A
             dc.setFieldText("StartDate", "June");
             dc.update();
         },
         {{ChangeKind::Update, "StartDate", kNull, "June"}},
         Restore::Field,
         {{"StartDate", kNull}, {"PromoName", "A"}}},
        {"update of several fields",
         false,
         [](History&, DataControl& dc) {
             dc.moveNext();
             dc.setFieldText("PromoName", "A2");
             dc.setFieldText("BodyText", "");
             dc.update();
         },
         {{ChangeKind::Update, "BodyText", "A", kEmpty}, {ChangeKind::Update, "PromoName", "A", "A2"}},
         Restore::RecordAsBefore,
         {{"PromoName", "A"}, {"BodyText", "A"}, {"StartDate", kNull}}},
        {"add",
         false,
         [](History&, DataControl& dc) {
             dc.addNew();
             dc.setFieldText("PromoName", "D");
             dc.setFieldText("EnteredBy", "");
             dc.update();
         },
         {{ChangeKind::Add, "EnteredBy", kNull, kEmpty}, {ChangeKind::Add, "PromoName", kNull, "D"}},
         Restore::Field, // the last entry (PromoName) back to before it was added
         {{"PromoName", kNull}, {"EnteredBy", kEmpty}}},
        {"delete",
         false,
         [](History&, DataControl& dc) {
             dc.moveNext();
             dc.deleteRecord();
         },
         {{ChangeKind::Delete, "PromoName", "A", kNull},
          {ChangeKind::Delete, "StartDate", kNull, kNull},
          {ChangeKind::Delete, "EndDate", kNull, kNull},
          {ChangeKind::Delete, "EnteredBy", kNull, kNull},
          {ChangeKind::Delete, "BodyText", "A", kNull}},
         Restore::Deleted,
         {{"PromoName", "A"}, {"StartDate", kNull}, {"BodyText", "A"}}},
        {"clear and save",
         true,
         [](History&, DataControl& dc) {
             for (int i = 1; i <= 7; ++i)
                 dc.setFieldText(QStringLiteral("me%1").arg(i), "");
             dc.update();
         },
         // An empty text typed over an empty text is no change; a null one is left alone by the box.
         {{ChangeKind::Update, "me1", "Morning show", kEmpty}},
         Restore::RecordAsBefore,
         {{"me1", "Morning show"}, {"me2", kEmpty}, {"me3", kNull}}},
        {"conflict: only the write that was stored",
         false,
         [this](History&, DataControl& dc) {
             dc.setFieldText("EndDate", "mine");
             fx.write(promo, "Main", "EndDate", "theirs");
             EXPECT_THROW(dc.update(), ConflictError);
         },
         {{ChangeKind::Update, "EndDate", kNull, "theirs"}},
         Restore::Field,
         {{"EndDate", kNull}}},
    };
    // The events' first two lines hold text and an empty text before the clear.
    fx.write(events, "Events", "me1", "Morning show");
    fx.write(events, "Events", "me2", "");
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.events ? events : promo;
        const QString table = c.events ? "Events" : "Main";
        const qint64 before = lastId(path, table);
        QThread::msleep(5); // earlier writes are at an earlier time than this one
        auto dc = control(path, table);
        dc->refresh();
        c.write(*this, *dc);
        dc->close();

        QVector<HistoryEntry> made = entriesAfter(path, table, before);
        ASSERT_EQ(made.size(), c.kept.size());
        // One write's entries share their time; compared in field order.
        std::sort(made.begin(), made.end(), [](auto& a, auto& b) { return a.field < b.field; });
        QVector<Change> kept = c.kept;
        std::sort(kept.begin(), kept.end(), [](auto& a, auto& b) { return a.field < b.field; });
        for (int i = 0; i < made.size(); ++i) {
            EXPECT_EQ(made[i].kind, kept[i].kind);
            EXPECT_EQ(made[i].field, kept[i].field);
            EXPECT_TRUE(same(made[i].before, kept[i].before)) << shown(made[i].before);
            EXPECT_TRUE(same(made[i].after, kept[i].after)) << shown(made[i].after);
            EXPECT_EQ(made[i].table, table);
            EXPECT_EQ(made[i].computer, thisAuthor().computer);
            EXPECT_EQ(made[i].user, thisAuthor().user);
            EXPECT_LE(made[i].at.secsTo(QDateTime::currentDateTimeUtc()), 60);
        }

        const HistoryEntry& chosen = made.back();
        const qint64 beforeRestore = lastId(path, table);
        switch (c.restore) {
        case Restore::Field:
            history::restoreField(db(path), chosen);
            break;
        case Restore::RecordAsBefore:
            history::restoreRecordAsAt(db(path), table, chosen.record, chosen.at.addMSecs(-1));
            break;
        case Restore::Deleted:
            history::restoreDeletedRecord(db(path), table, chosen.record);
            EXPECT_EQ(names(path).mid(0, 3), QStringList({"B", "A", "C"}));
            break;
        }
        const std::optional<RecordValues> now = record(path, table, chosen.record);
        ASSERT_TRUE(now.has_value());
        for (auto it = c.restored.cbegin(); it != c.restored.cend(); ++it)
            EXPECT_TRUE(same(now->value(it.key()), it.value()))
                << it.key().toStdString() << " is " << shown(now->value(it.key()));
        // The restore is a write of its own, kept like any other.
        EXPECT_FALSE(entriesAfter(path, table, beforeRestore).isEmpty());
    }
}

TEST_P(History, ARestoredRecordTakesItsPlaceInRecordOrder) {
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveNext(); // A, between B and C
    dc->deleteRecord();
    dc->close();
    ASSERT_EQ(names(promo), QStringList({"B", "C"}));
    const HistoryEntry deleted = entries(promo, "Main").front();
    history::restoreEntry(db(promo), deleted);
    EXPECT_EQ(names(promo), QStringList({"B", "A", "C"}));
    // Once back, it cannot come back twice.
    try {
        history::restoreDeletedRecord(db(promo), "Main", deleted.record);
        ADD_FAILURE() << "put back twice";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.message(), "The record is back already; nothing was put back.");
    }
}

TEST_P(History, EntriesOlderThanTheirTimeArePrunedAtTheEdge) {
    fx.write(promo, "Main", "BodyText", "now"); // the file has its history table from here on
    const QDateTime now = QDateTime::currentDateTimeUtc();
    HistoryEntry old{0, now.addDays(-89),   "studio-a", "ann", "Main",
                     1, ChangeKind::Update, "BodyText", "x",   "y"};
    HistoryEntry older = old;
    older.at = now.addDays(-91);
    older.after = "z";
    source(promo).addHistoryEntries({old, older});
    const int before = int(entries(promo, "Main").size());

    EXPECT_EQ(source(promo).pruneHistoryBefore(now.addDays(-kHistoryKeptDays)), 1);
    const QVector<HistoryEntry> left = entries(promo, "Main");
    ASSERT_EQ(left.size(), before - 1);
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](auto& e) { return e.computer == "studio-a"; }));
    EXPECT_FALSE(std::any_of(left.begin(), left.end(), [](auto& e) { return e.after == "z"; }));

    // The board prunes every data file of its folder or server in the background, once a day.
    opened_.reset();
    HistoryPruning pruning([] { return std::make_unique<RoutingProvider>(); }, catalogue::connectString());
    const QDate today = QDate::currentDate();
    const struct {
        QDate day;
        bool pruned;
    } sweeps[] = {{today, true}, {today, false}, {today.addDays(1), true}};
    for (const auto& sweep : sweeps) {
        source(promo).addHistoryEntries({older});
        opened_.reset();
        pruning.sweepIfDue({KeptPlace::folderOf(promo)}, sweep.day);
        pruning.waitUntilSwept();
        EXPECT_EQ(entries(promo, "Main").size(), sweep.pruned ? left.size() : left.size() + 1)
            << sweep.day.toString().toStdString();
        if (!sweep.pruned) source(promo).pruneHistoryBefore(now.addDays(-kHistoryKeptDays));
    }
}

// "Put Back Old Value" writes over the version the list showed, and only over that one: a third
// studio's save made after the list was read is kept, and the put-back is a conflict.
TEST_P(History, APutBackWritesOnlyOverTheVersionShown) {
    fx.write(promo, "Main", "BodyText", "first");
    fx.write(promo, "Main", "BodyText", "second");
    const QVector<HistoryEntry> listed = entries(promo, "Main");
    const HistoryEntry first = listed[1];
    ASSERT_EQ(first.after, QStringLiteral("first"));
    const qint64 shownUpTo = listed.front().id;

    const struct {
        const char* what;
        const char* thirdStudio; // saved after the list was shown; none: nothing
        bool putBack;
        const char* after;
    } cases[] = {
        {"nothing saved since", nullptr, true, "B"},
        {"a third studio's save since", "third", false, "third"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fx.write(promo, "Main", "BodyText", "second");
        const qint64 shown = c.thirdStudio ? shownUpTo : lastId(promo, "Main");
        if (c.thirdStudio) fx.write(promo, "Main", "BodyText", c.thirdStudio);
        if (c.putBack)
            history::restoreField(db(promo), first, false, shown); // back to the seed's text
        else
            EXPECT_THROW(history::restoreField(db(promo), first, false, shown), ConflictError);
        EXPECT_EQ(fx.read(promo, "Main", "BodyText"), QString::fromUtf8(c.after));
    }
}

// Content copied before keys travelled with it may have given a deleted record's key to a new
// record: nothing of the deleted record is put back over the new one, and the words say why.
TEST_P(History, APutBackIntoAKeyGivenToAnotherRecordIsAConflict) {
    fx.write(promo, "Main", "BodyText", "A's text", 1);
    const HistoryEntry edit = entries(promo, "Main").front();
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveNext(); // A
    dc->deleteRecord();
    dc->close();
    // Added under the key A had, as a copy that lost the key counter did.
    source(promo).reinsertRecord("Main", edit.record, {{"PromoName", "D"}, {"BodyText", "D's text"}});
    const RecordValues d{{"PromoName", "D"}, {"BodyText", "D's text"}, {"StartDate", kNull}};

    const struct {
        const char* what;
        std::function<void()> putBack;
    } cases[] = {
        {"old value", [&] { history::restoreField(db(promo), edit); }},
        {"new value", [&] { history::restoreField(db(promo), edit, true); }},
        {"record as before",
         [&] { history::restoreRecordAsAt(db(promo), "Main", edit.record, edit.at.addMSecs(-1)); }},
        {"deleted record", [&] { history::restoreDeletedRecord(db(promo), "Main", edit.record); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.putBack();
            ADD_FAILURE() << "put back into another record";
        } catch (const ConflictError& e) {
            EXPECT_TRUE(e.message().contains("Another record has this record's key")) << e.what();
        }
        const std::optional<RecordValues> now = record(promo, "Main", edit.record);
        ASSERT_TRUE(now.has_value());
        for (auto it = d.cbegin(); it != d.cend(); ++it)
            EXPECT_TRUE(same(now->value(it.key()), it.value())) << it.key().toStdString();
    }

    // The record itself brought back is the same record: its edits go back into it.
    source(promo).reinsertRecord("Main", 99, {{"PromoName", "E"}});
    fx.write(promo, "Main", "BodyText", "E's text", 3);
    const HistoryEntry eEdit = entries(promo, "Main").front();
    ASSERT_EQ(eEdit.record, 99);
    auto e = control(promo, "Main");
    e->refresh();
    e->moveLast();
    e->deleteRecord();
    e->close();
    history::restoreDeletedRecord(db(promo), "Main", 99);
    try {
        history::restoreDeletedRecord(db(promo), "Main", 99);
        ADD_FAILURE() << "brought back twice";
    } catch (const StorageError& again) {
        EXPECT_EQ(again.message(), "The record is back already; nothing was put back.");
    }
    history::restoreField(db(promo), eEdit);
    EXPECT_TRUE(same(record(promo, "Main", 99)->value("BodyText"), kNull));
}

namespace {

// A station's long history of one field: count entries, newest last, three to a time (as one
// write of three fields stores them), the oldest `daysAgo` days back.
QVector<HistoryEntry> longHistory(int count, int daysAgo) {
    QVector<HistoryEntry> entries;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-daysAgo);
    for (int i = 0; i < count; ++i)
        entries.push_back({0, start.addSecs(i / 3), "studio-b", "presenter", "Main", 1, ChangeKind::Update,
                           "BodyText", QString::number(i), QString::number(i + 1)});
    return entries;
}

} // namespace

// 90 days of history are read a page at a time, newest first: the pages follow one another
// without a gap or a repeat, entries of one time included.
TEST_P(History, ALongHistoryIsReadAPageAtATimeNewestFirst) {
    fx.write(promo, "Main", "BodyText", "now"); // the file has its history table from here on
    source(promo).addHistoryEntries(longHistory(30000, 89));
    HistoryFilter all;
    all.table = "Main";
    const QVector<HistoryEntry> whole = source(promo).historyEntries(all);
    ASSERT_GT(whole.size(), 30000);

    HistoryFilter page = all;
    page.limit = 1000;
    QVector<qint64> paged;
    for (;;) {
        const QVector<HistoryEntry> read = source(promo).historyEntries(page);
        ASSERT_LE(read.size(), page.limit);
        for (const HistoryEntry& e : read)
            paged << e.id;
        if (read.size() < page.limit) break;
        page.olderThan = read.back().at;
        page.olderThanId = read.back().id;
    }
    QVector<qint64> ids;
    for (const HistoryEntry& e : whole)
        ids << e.id;
    EXPECT_EQ(paged, ids);
    EXPECT_EQ(whole.front().after, QStringLiteral("now"));
}

// Pruning 60,000 old entries while another studio saves, one save after the other: no save
// waits on the pruning longer than its busy timeout, and every old entry goes.
TEST_P(History, PruningALongHistoryLetsEverySaveThrough) {
    fx.write(promo, "Main", "BodyText", "now");
    source(promo).addHistoryEntries(longHistory(60000, 120));
    opened_.reset();
    std::atomic<bool> done{false};
    int pruned = 0;
    // On a connection of its own, as the board's pruning worker has.
    QString pruneFailed;
    std::thread pruning([&] {
        try {
            RoutingProvider own;
            const std::shared_ptr<Database> file = own.open(promo, catalogue::connectString());
            pruned = dynamic_cast<HistorySource&>(*file).pruneHistoryBefore(
                QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays));
        } catch (const StorageError& e) {
            pruneFailed = e.message();
        }
        done = true;
    });
    RoutingProvider studio;
    int saves = 0;
    QStringList failures;
    // Saves as often as three busy studios could make them.
    while (!done) {
        try {
            auto rs = studio.open(promo, catalogue::connectString())->openTable("Main");
            rs->updateCurrent({{"BodyText", QString::number(saves)}}, {});
            ++saves;
        } catch (const StorageError& e) {
            failures << e.message();
        }
        QThread::msleep(10);
    }
    pruning.join();
    EXPECT_TRUE(pruneFailed.isEmpty()) << pruneFailed.toStdString();
    EXPECT_EQ(pruned, 60000);
    EXPECT_GT(saves, 0);
    EXPECT_TRUE(failures.isEmpty()) << failures.size()
                                    << " saves failed: " << failures.value(0).toStdString();
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), QString::number(saves - 1));
}
