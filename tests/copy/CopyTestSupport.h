#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/storage/SqlCipherProvider.h"
#include "studio/StudioContext.h"
#include "tests/support/FakeClock.h"
#include "tests/support/Fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}

// What the main board would hand the copy windows, over a fixture's folders.
class FakeStudio : public StudioContext {
  public:
    FakeStudio(QString folder, QString program) : folder(std::move(folder)), program(std::move(program)) {}
    QString dataFolderText() const override { return folder; }
    QString dayLabel() const override { return day; }
    QString programFolder() const override { return program; }
    DatabaseProvider& provider() override { return engine; }
    QDateTime now() const override { return clock.now(); }

    QString folder;
    QString day = QStringLiteral("Monday");
    QString program;
    SqlCipherProvider engine;
    FakeClock clock; // the board's
};

// Closes and deletes every window a test left open, before the engine they use goes away.
inline void closeAllWindows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qDeleteAll(QApplication::topLevelWidgets());
}

class CopyTest : public ::testing::Test {
  protected:
    Fixture fx{false};
    FakeStudio studio{fx.dataFolder(), fx.programFolder()};

    void TearDown() override { closeAllWindows(); }

    QString library(int index) const { return fx.dataFile(catalogue::libraryFiles().at(index)); }
    QString prepFile() const { return fx.dataFile(catalogue::kPrepFile); }
    QString eventsFile(int day = 0) const { return fx.dataFile(catalogue::weekdays().at(day).eventsFile); }

    // Entries in record order, one per name, each with its own copy text.
    void fillLibrary(const QString& path, const QStringList& names) const {
        for (const QString& n : names)
            fx.append(path, "Main", {{"PromoName", n}, {"BodyText", n + " copy"}});
    }
    void fillPrep(const QStringList& titles) const {
        for (const QString& t : titles)
            fx.append(prepFile(), "Prep", {{"Title", t}, {"Text", t + " copy"}});
    }
    QStringList column(const QString& path, const QString& table, const QString& field) const {
        QStringList out;
        for (int i = 0; i < fx.count(path, table); ++i)
            out << fx.read(path, table, field, i);
        return out;
    }

    template <class T = QWidget> static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QString text(QWidget* w, const char* box) {
        if (auto* line = w->findChild<QLineEdit*>(QString::fromLatin1(box))) return line->text();
        return child<QPlainTextEdit>(w, box)->toPlainText();
    }
    static bool locked(QWidget* w, const char* box) {
        if (auto* line = w->findChild<QLineEdit*>(QString::fromLatin1(box))) return line->isReadOnly();
        return child<QPlainTextEdit>(w, box)->isReadOnly();
    }
    // A click as the user makes it: a disabled button ignores it.
    static void click(QWidget* w, const char* button) {
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    }
    // Replaces the box's text by typing, as the user does (a read-only box takes nothing).
    static void type(QWidget* w, const char* box, const QString& typed) {
        if (auto* line = w->findChild<QLineEdit*>(QString::fromLatin1(box))) {
            line->selectAll();
            QTest::keyClicks(line, typed);
            return;
        }
        auto* multi = child<QPlainTextEdit>(w, box);
        multi->selectAll();
        QTest::keyClicks(multi, typed);
    }
    static QString status(QWidget* w) { return child<QStatusBar>(w, "StatusBar")->currentMessage(); }

    static QStringList lines(QWidget* picker) {
        QStringList out;
        auto* list = child<QListWidget>(picker, "List1");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    static void clickLine(QWidget* picker, int row) {
        auto* list = child<QListWidget>(picker, "List1");
        ASSERT_LT(row, list->count());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
};
