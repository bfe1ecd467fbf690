#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tests/support/Fixture.h"
#include "tests/support/TestServer.h"

#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <vector>

// A blank installation on one engine, whose first promo library holds B, A, C in that order, and
// data controls opened as the board opens them.
class StorageBase {
  protected:
    explicit StorageBase(Engine engine) : fx(false, "<data>", engine) { seed(); }
    explicit StorageBase(TestServer& server) : fx(false, "<data>", server) { seed(); }

    void seed() {
        for (const char* name : {"B", "A", "C"})
            fx.append(promo, "Main", {{"PromoName", name}, {"BodyText", name}});
    }

    // Where this studio's controls journal their typing: a rescue store, or nothing.
    EditJournal* journal = &EditJournal::none();

    // Through this studio's engine, or another studio's.
    std::unique_ptr<DataControl> control(const QString& path, const QString& table) {
        return control(path, table, provider, *journal);
    }
    static std::unique_ptr<DataControl> control(const QString& path, const QString& table,
                                                DatabaseProvider& engine,
                                                EditJournal& journal = EditJournal::none()) {
        auto dc = std::make_unique<DataControl>(engine, journal, "Data1");
        dc->setConnect(catalogue::kConnectType);
        dc->setConnect(catalogue::connectString());
        dc->setDatabaseName(path);
        dc->setRecordSource(table);
        return dc;
    }
    QString name(DataControl& dc) { return dc.fieldText("PromoName"); }

    // Each case fails to open with the engine's words in its message, and the control stays closed.
    struct OpeningFailure {
        QString path, connect, table, message;
    };
    void expectEachFailsToOpen(const std::vector<OpeningFailure>& cases) {
        for (const OpeningFailure& c : cases) {
            auto dc = control(c.path, c.table);
            dc->setConnect(c.connect);
            try {
                dc->refresh();
                ADD_FAILURE() << "opened " << c.path.toStdString() << " " << c.table.toStdString();
            } catch (const StorageError& e) {
                EXPECT_TRUE(e.message().contains(c.message)) << e.what();
                EXPECT_FALSE(dc->isOpen());
            }
        }
    }

    Fixture fx;
    RoutingProvider provider;
    QString promo = fx.dataFile(catalogue::libraryFiles()[0]);
};

// News of another connection's change may take a moment to arrive from a server, and a server
// just back is not tried again at once: poll as the board does, going on past failures, until news
// comes, giving up after a generous while.
inline bool pollUntilNews(DataControl& dc) {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        try {
            if (dc.pollForChanges()) return true;
        } catch (const StorageError&) {
        }
        QThread::msleep(5);
    }
    return false;
}
