#pragma once

#include "data/history/HistoryEntry.h"

#include "data/rescue/KeptEdits.h"
#include "data/storage/Recordset.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <memory>
#include <optional>

struct Failure;

class Database;
class DatabaseProvider;
class DataControl;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// What the window can list: the changes to one table of one file, or to one record of it.
struct HistoryTopic {
    QString caption; // "This hour", "Today's events", ...
    QString path;    // the file, as its data control names it
    QString table;
    qint64 record = 0; // 0: every record of the table (deleted ones too)
};

// The topic of what a data control shows now: its table, or only its current record.
HistoryTopic topicOf(const DataControl& data, const QString& caption, bool currentRecordOnly);

// The History window: the changes kept for the chosen topic, newest first (time, computer, user,
// field, old -> new), and putting back a field's version, a whole record as it was before a
// change, or a deleted record. Every put-back is an ordinary write with the usual check that
// nobody changed the field meanwhile; it is kept itself and reaches every board like any change.
// Text of this studio's that another studio's change kept out of the file is shown beside the
// file's version, and either can be taken.
class ReadUntilAnswered;

class frmHistory : public QWidget {
    Q_OBJECT
  public:
    // The store is where this board keeps text it could not store: none in a program without one.
    frmHistory(DatabaseProvider& provider, KeptEdits* store, QWidget* parent = nullptr);

    void setTopics(const QVector<HistoryTopic>& topics);
    QTreeWidget* list() const { return list_; }
    QLabel* message() const { return message_; }
    const QVector<HistoryEntry>& entries() const { return entries_; }

    void Combo1_Click();   // topic chosen
    void Command1_Click(); // "Put Back &Old Value"
    void Command2_Click(); // "Put Back &New Value"
    void Command3_Click(); // "Whole &Record As Before"
    void Command4_Click(); // "Bring Back &Deleted Record"
    void Command5_Click(); // "Re&fresh"
    void Command6_Click(); // "&Close"
    void Command7_Click(); // "Take &Mine" (kept text)
    void Command8_Click(); // "Keep T&heirs" (the file's version)
    void Command9_Click(); // "O&lder…": the next page of older changes

  private:
    void buildLayout();
    void showEntries();
    // Throws StorageError; a late answer is read again once it came (see ReadUntilAnswered).
    void readEntries();
    void listEntries();
    void addRows(const QVector<HistoryEntry>& entries);
    void readNames(Database& db, const QString& table);
    QString recordName(const HistoryEntry& e) const;
    void showKept();
    void showKeptEdit(const KeptEdit& edit);
    void showChoice();
    void followFile();
    using Restore = std::function<void(Database&, const HistoryEntry&)>;
    // Runs a put-back on the chosen entry's file, then lists again; says how it went.
    void putBack(const Restore& restore, const QString& done);
    // The entry of the row chosen, by its identity.
    const HistoryEntry* chosen() const;
    // A failure on the topic's file, as a sentence naming the file and its folder or server.
    QString saidOfTopic(const Failure& failure) const;
    // The kept edit of the row chosen, as the store holds it now; nothing once it was settled.
    std::optional<KeptEdit> keptChosen() const;
    std::shared_ptr<Database> database() const;
    const HistoryTopic* topic() const;

    DatabaseProvider& provider_;
    QPointer<KeptEdits> store_;
    ReadUntilAnswered* reading_;
    QVector<HistoryTopic> topics_;
    QVector<HistoryEntry> entries_;
    qint64 shownUpTo_ = 0;         // the newest entry listed
    int listed_ = 0;               // how many entries a read of the topic lists
    QHash<qint64, QString> names_; // the records of a list table by key, as named now
    // What the file held beside each kept edit shown, by the edit's identity.
    QHash<QString, ExpectedValues> shownBeside_;
    QPointer<KeptEdits> watched_;
    QTimer fileWatch_;
    std::optional<quint64> fileStamp_;
    QComboBox* topicBox_;
    QTreeWidget* list_;
    QTreeWidget* kept_;
    QLabel* keptHeading_;
    QLabel* message_;
    QLabel* elsewhere_;
    QPushButton* oldValue_;
    QPushButton* newValue_;
    QPushButton* asBefore_;
    QPushButton* deleted_;
    QPushButton* takeMine_;
    QPushButton* keepTheirs_;
    QPushButton* older_;
};

// Opens the one History window (or brings it to the front) on these topics.
frmHistory* showHistory(DatabaseProvider& provider, KeptEdits* store, const QVector<HistoryTopic>& topics);

// The "&History..." button of a window that shows one record of a list table at a time: the
// changes to the record shown, or to every record (deleted ones too), as the presenter chooses.
QPushButton* historyButton(QWidget* window, const QString& name, DatabaseProvider& provider, KeptEdits* store,
                           DataControl& data);
