#include "base/Steps.h"
#include "data/history/HistorySource.h"
#include "data/rescue/KeptPlace.h"
#include "data/sharing/HistoryPruning.h"
#include "data/sharing/HistoryRestore.h"
#include "tests/data/StorageSuite.h"

#include <QThread>
#include <functional>
#include <gtest/gtest.h>

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
