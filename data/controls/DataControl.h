#pragma once

#include "base/Steps.h"
#include "data/rescue/EditJournal.h"
#include "data/storage/Database.h"
#include "data/storage/Recordset.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class FieldBinding;

// A write asked of a control whose file is not open: what was typed stays in its boxes and in the
// rescue store, and a record set takes it once the file opens again.
class NotOpenError : public StorageError {
  public:
    using StorageError::StorageError;
};

// A data control: connect string, database file and table (record source), and the record set
// it opens on refresh. Bound boxes (FieldBinding) show fields of the current record and collect
// what is typed into an edit buffer; the binding rule writes a changed buffer to the record before
// the control moves, adds a record, refreshes or closes. Every failing operation throws StorageError.
class DataControl : public QObject {
    Q_OBJECT
  public:
    enum class EditMode { None, Editing, Adding };

    // What is typed goes to the journal until it is stored, and what cannot be stored as the control
    // moves on is kept there (EditJournal::none() keeps nothing: such a failure is thrown).
    DataControl(DatabaseProvider& provider, EditJournal& journal, const QString& name,
                QObject* parent = nullptr);
    ~DataControl() override;

    DatabaseProvider& provider() const { return provider_; }
    EditJournal& journal() const { return *journal_; }
    // For a write whose failure its caller must hear of (Network Setup's): what is typed is journaled
    // where it says, as long as it says.
    void setJournal(EditJournal& journal) { journal_ = &journal; }
    QString connect() const { return connect_; }
    void setConnect(const QString& connect) { connect_ = connect; }
    QString databaseName() const { return databaseName_; }
    void setDatabaseName(const QString& path) { databaseName_ = path; }
    QString recordSource() const { return recordSource_; }
    void setRecordSource(const QString& table) { recordSource_ = table; }

    // Binding rule, then (re)open the file and table with the settings in force; the first record
    // becomes current and every bound box shows it. A pending write that fails goes to the kept
    // edits, or, where there are none, is thrown after the new table is open: the control always
    // lands where it was sent.
    void refresh();
    // Binding rule, then release the record set. A failed pending write is kept, or goes to the
    // lost-write sink.
    void close();
    // Called every couple of seconds: when another connection has changed the file, the current
    // record is read again and every box without typing in it shows it; a file or table that could
    // not be opened is tried again. Returns whether anything was read. Throws StorageError.
    bool pollForChanges();
    // Open, and usable: a record set whose statement went unanswered waits to be opened afresh.
    bool isOpen() const { return recordset_ && recordset_->usable(); }
    // Whether the share or server its file lies on has a question unanswered: what is asked of it
    // now would fail or wait.
    bool placeAwaited() const {
        return !databaseName_.isEmpty() && provider_.unanswered({databaseName_}).forMs >= 0;
    }

    bool bof() const;
    bool eof() const;
    bool hasCurrent() const;
    int recordCount() const;
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    QByteArray bookmark() const;
    void setBookmark(const QByteArray& bookmark);
    // Criteria text of the form [Field] ="value": the field between the brackets, the value
    // between the first and the last double quote. Returns whether a record matched.
    bool findFirst(const QString& criteria);

    // Value of the current record as the boxes see it (the edit buffer first); null reads as "".
    QString fieldText(const QString& field) const;
    // The stored value, null as an invalid QVariant.
    QVariant storedValue(const QString& field) const;
    bool hasField(const QString& field) const;
    // The stored value of one field in every record of the open table, in record order, read through
    // a record set of its own on the same connection: the control does not move, so its record, its
    // boxes and what was typed stay as they are.
    QVector<QVariant> storedColumn(const QString& field) const;

    void edit();
    void addNew();
    // Writes the edit buffer: inserts the new record while adding, otherwise writes the changed
    // fields of the current record. The buffer stays when the write fails, so nothing typed is lost.
    // Without a record set, what was typed stays typed and NotOpenError says so.
    void update();
    void cancelUpdate();
    void deleteRecord();
    EditMode editMode() const { return editMode_; }
    bool isDirty() const { return !buffer_.isEmpty(); }

    // Writes a value into the edit buffer, as a bound box does when its text changes.
    void setFieldText(const QString& field, const QString& text);

    // Where a write that fails while closing is reported (it cannot be thrown from there).
    void setLostWriteSink(ErrorSink sink) { lostWriteSink_ = std::move(sink); }

    // For FieldBinding.
    void attach(FieldBinding* binding);
    void detach(FieldBinding* binding);
    void showCurrentIn(FieldBinding* binding);

  signals:
    // The current record changed (move, refresh, add, delete).
    void repositioned();

  private:
    Recordset& openRecordset() const;
    // Opens the table from what was read ahead of need, when that is still current. Throws
    // StorageError when the share does not answer.
    bool openReadAhead();
    // Binding rule, then the move, then the boxes show the record now current.
    void reposition(const std::function<void(Recordset&)>& move);
    void applyBindingRule();
    // The binding rule where the control moves on: a write that fails is kept (see KeptEdits) and
    // the move goes ahead. Returns whether the write was stored; throws only without kept edits.
    bool storeOrKeep();
    void clearBuffer();
    // What was typed cannot go to any record this control will show: it goes to the kept edits as a
    // conflict for a person to settle. Without kept edits, the failure to throw once the control
    // has landed.
    std::exception_ptr keepForAPerson(const QString& reason);
    // The rescue store follows the edit buffer: what is typed is in it within a second and before it
    // is sent, and leaves it once stored, kept or cancelled.
    KeptEdit bufferAsKept() const;
    void journalBuffer();
    void journalBeforeWriting() const;
    void reopenKeepingTyping();
    // What the boxes show: the current record with what is typed over it; without a record set,
    // what they went on showing when it went, or only the file and table when nothing was shown.
    struct Shown {
        QString file; // folded
        QString table;
        QByteArray key;        // empty when no record was shown
        ExpectedValues values; // by lower-case field name
    };
    Shown shownNow() const;
    bool isShownPlace(const Shown& shown) const;
    // Text typed while the control had no record set, now that one is open on the place it was typed
    // over: stored into that record, carried, or kept for a person. The failure to throw, if any.
    std::exception_ptr placeTypedWhileAway(const Shown& over, const FieldValues& typed, ExpectedValues base);
    // What was typed over a record the control cannot reach now is kept, to be stored there later
    // with the usual record and old-value checks; typed with no record shown, for a person to settle.
    // Without kept edits the failure is thrown and the text stays typed.
    void keepTypedOver(const Shown& over, const QString& reason);
    QString notOpenReason() const;
    static std::optional<quint64> stampOf(Database& db);
    void showCurrent();
    void clearBoxes();

    DatabaseProvider& provider_;
    EditJournal* journal_; // never null
    QString connect_;
    QString databaseName_;
    QString recordSource_;
    std::shared_ptr<Database> database_;
    std::unique_ptr<Recordset> recordset_;
    EditMode editMode_ = EditMode::None;
    FieldValues buffer_;
    ExpectedValues base_;
    std::optional<quint64> stamp_;
    // What the record set was opened from, when it came from the tables read ahead: until the file
    // changes after it, a report of a change need not read anything.
    std::shared_ptr<const TableSnapshot> openedFrom_;
    // Set while there is no record set: what the boxes show, which typing meanwhile goes over.
    std::optional<Shown> shown_;
    // Why the last opening failed, for what a write without a record set says.
    QString notOpenBecause_;
    QVector<FieldBinding*> bindings_;
    ErrorSink lostWriteSink_;
};
