#pragma once

#include "app/frmMain.h"
#include "board/BoardControls.h"
#include "data/catalogue/Catalogue.h"
#include "data/storage/BoardStorage.h"
#include "data/storage/RoutingProvider.h"
#include "tests/board/StatusText.h"
#include "tests/support/FakeClock.h"
#include "tests/support/Fixture.h"
#include "tests/support/TestServer.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A real main board over a temporary installation (its content in files, or on the test server),
// loaded as at start-up, for the edit-mode and reminder tests. Arrange the files first, then call
// load().
class EditingBoard : public ::testing::Test {
  protected:
    explicit EditingBoard(Engine engine = Engine::Files, const QString& setupPath = QStringLiteral("<data>"))
        : fx(true, setupPath, engine) {}
    // On a server of the test's own, which it may stop.
    explicit EditingBoard(TestServer& server) : fx(true, QStringLiteral("<data>"), server) {}

    Fixture fx;
    FakeClock clock{QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0))};
    BoardStorage provider;
    // As the program runs: a rescue store for what cannot be stored. None when null.
    KeptEdits* rescue = nullptr;
    std::unique_ptr<frmMain> board;
    // As the program runs: the tables ahead read from a thread of their own.
    bool readAhead = false;
    // As the program runs: the files watched for changes from a thread of their own.
    bool watchChanges = false;
    // As the program runs: a copy of the content kept in this folder, shown while the place does
    // not answer. None when empty.
    QString localCopyRoot;

    void load() {
        board = std::make_unique<frmMain>(clock, provider, rescue, fx.programFolder());
        board->setEndProgram([] {});
        // The program's own engines for the threads: a file or the server, as the address says.
        if (readAhead) board->readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
        if (watchChanges) board->watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
        if (!localCopyRoot.isEmpty())
            board->keepLocalCopy([] { return std::make_unique<RoutingProvider>(); }, localCopyRoot);
        board->Form_Load();
        board->show();
        QApplication::setActiveWindow(board.get());
    }
    BoardControls& c() { return board->controls(); }

    QString mondayFile() const { return fx.dataFile(catalogue::weekdays().front().dayFile); }
    QString eventsFile() const { return fx.dataFile(catalogue::weekdays().front().eventsFile); }
    QString weatherFile() const { return fx.dataFile(catalogue::weekdays().front().weatherFile); }
    QString reminderFile() const { return fx.dataFile(catalogue::weekdays().front().reminderFile); }
    QString sloganFile() const { return fx.dataFile(catalogue::kSloganFile); }

    QString statusText() { return wholeStatus(c().statusBar); }

    // Types as the user does: a locked box takes no keys.
    static void type(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static void type(QPlainTextEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static void type(QComboBox* list, const QString& text) { type(list->lineEdit(), text); }

    // Focus into the box and out again, to a box without focus handlers.
    void focusThrough(QWidget* box) {
        box->setFocus(Qt::TabFocusReason);
        c().Text20->setFocus(Qt::TabFocusReason);
    }

    // Tried until met, the board's events (its timers, late answers) running between the tries.
    static bool eventually(const std::function<bool()>& met, int withinMs = 30000) {
        for (const QDeadlineTimer deadline(withinMs); !deadline.hasExpired(); QThread::msleep(20)) {
            QCoreApplication::processEvents();
            if (met()) return true;
        }
        return met();
    }

    void tickAt(const QTime& t) {
        clock.setTime(t);
        board->Timer1_Timer();
    }
};
