#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// Changed field values of one record, by field name.
using FieldValues = QMap<QString, QString>;
// What this studio read in the fields it changed (null as an invalid QVariant). An update is
// stored only while the record still holds these values, so another studio's change to the same
// field is never overwritten unseen.
using ExpectedValues = QMap<QString, QVariant>;

// A keyset record set over one table: the keys are read when it opens, in record order.
// Every operation that cannot be done throws StorageError with the engine's message.
class Recordset {
  public:
    virtual ~Recordset() = default;

    virtual QString tableName() const = 0;
    virtual QStringList fieldNames() const = 0;
    virtual bool hasField(const QString& field) const = 0;

    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual bool hasCurrent() const = 0;
    virtual int recordCount() const = 0;

    virtual void moveFirst() = 0;
    virtual void movePrevious() = 0;
    virtual void moveNext() = 0;
    virtual void moveLast() = 0;

    virtual QByteArray bookmark() const = 0;
    virtual void setBookmark(const QByteArray& bookmark) = 0;

    // Moves to the first record, in record order, whose field equals the value; stays put when none does.
    virtual bool findFirst(const QString& field, const QString& value) = 0;

    // Null reads as an invalid QVariant.
    virtual QVariant value(const QString& field) const = 0;

    // Throws ConflictError when the record was deleted, or changed in one of these fields, by
    // another connection since it was read.
    virtual void updateCurrent(const FieldValues& changes, const ExpectedValues& expected) = 0;
    // Stores a new record at the end of the set; the current record stays current.
    virtual void append(const FieldValues& values) = 0;
    // Afterwards there is no current record until the next move.
    virtual void deleteCurrent() = 0;

    // Reads the current record again, for changes another connection made; a record deleted
    // meanwhile is no longer current.
    virtual void reread() = 0;

    // False once a statement of it went unanswered: it still shows where it was, but takes no
    // more statements and has to be opened afresh.
    virtual bool usable() const { return true; }
};
