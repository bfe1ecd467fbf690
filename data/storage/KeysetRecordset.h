#pragma once

#include "data/storage/Recordset.h"
#include "data/storage/StorageError.h"
#include "data/storage/TableSnapshot.h"

#include <QHash>
#include <QVector>
#include <optional>

// The record set both engines share: the table's record keys, read when it opens, in record
// order (keys only grow, so that is insertion order), and the current record read by its key.
// An engine supplies the reads and writes by key; field names reach it as the table's own
// column names only, never as text from elsewhere.
class KeysetRecordset : public Recordset {
  public:
    QString tableName() const override { return table_; }
    QStringList fieldNames() const override { return fields_; }
    bool hasField(const QString& field) const override { return fieldIndex_.contains(field.toLower()); }

    bool bof() const override { return keys_.isEmpty() || pos_ < 0; }
    bool eof() const override { return keys_.isEmpty() || pos_ >= keys_.size(); }
    bool hasCurrent() const override { return !bof() && !eof() && !deleted_; }
    int recordCount() const override { return int(keys_.size()); }

    void moveFirst() override;
    void movePrevious() override;
    void moveNext() override;
    void moveLast() override;

    QByteArray bookmark() const override;
    void setBookmark(const QByteArray& bookmark) override;
    bool findFirst(const QString& field, const QString& value) override;

    QVariant value(const QString& field) const override;
    void updateCurrent(const FieldValues& changes, const ExpectedValues& expected) override;
    void append(const FieldValues& values) override;
    void deleteCurrent() override;
    void reread() override { load(); }

    // What a refresh shows of this set (its keys and first record), for a snapshot; false when the
    // set is not as a refresh leaves it.
    bool describeIn(TableSnapshot& snapshot) const;

  protected:
    KeysetRecordset(QString table, QStringList fields);
    // Reads the keys and the first record; called once by the engine's constructor.
    void open();
    // Takes the keys and the first record from a snapshot instead of reading them.
    void open(const TableSnapshot& snapshot);

    // The keys of every record, in record order.
    virtual QVector<qint64> readKeys() = 0;
    // The record's values in field order; nothing when the record is gone.
    virtual std::optional<QVector<QVariant>> readRecord(qint64 key) = 0;
    // Keys of the records whose column equals the value, in record order.
    virtual QVector<qint64> keysWhere(const QString& column, const QString& value) = 0;
    // Stores the changes only while the record holds the expected values; false when it does not
    // (or is gone).
    virtual bool writeRecord(qint64 key, const FieldValues& changes, const ExpectedValues& expected) = 0;
    // Stores a new record under a key never used before in the table; returns that key.
    virtual qint64 insertRecord(const FieldValues& values) = 0;
    virtual void deleteRecord(qint64 key) = 0;
    virtual bool recordExists(qint64 key) = 0;

  private:
    int indexOf(const QString& field) const;
    QString columnFor(const QString& field) const { return fields_[indexOf(field)]; }
    template <class Map> Map byColumn(const Map& byField) const;
    void requireCurrent() const;
    void moveTo(int at);
    void load();
    bool alreadyHolds(qint64 key, const FieldValues& changes);
    ConflictError conflictOn(qint64 key, const QStringList& fields);

    QString table_;
    QStringList fields_;
    QHash<QString, int> fieldIndex_;
    QVector<qint64> keys_;
    QVector<QVariant> values_;
    int pos_ = -1;
    bool deleted_ = false;
};
