#include "data/storage/KeysetRecordset.h"

namespace {

const QString kNoCurrentRecord = QStringLiteral("No current record.");

} // namespace

KeysetRecordset::KeysetRecordset(QString table, QStringList fields)
    : table_(std::move(table)), fields_(std::move(fields)) {
    for (int i = 0; i < fields_.size(); ++i)
        fieldIndex_.insert(fields_[i].toLower(), i);
}

void KeysetRecordset::open() {
    keys_ = readKeys();
    pos_ = keys_.isEmpty() ? -1 : 0;
    load();
}

void KeysetRecordset::open(const TableSnapshot& snapshot) {
    keys_ = snapshot.keys;
    pos_ = keys_.isEmpty() ? -1 : 0;
    values_ = snapshot.first;
}

bool KeysetRecordset::describeIn(TableSnapshot& snapshot) const {
    if (!keys_.isEmpty() && !(pos_ == 0 && hasCurrent())) return false;
    snapshot.table = table_;
    snapshot.fields = fields_;
    snapshot.keys = keys_;
    snapshot.first = values_;
    return true;
}

void KeysetRecordset::moveFirst() {
    moveTo(0);
}

void KeysetRecordset::moveLast() {
    moveTo(int(keys_.size()) - 1);
}

void KeysetRecordset::moveNext() {
    if (eof()) throw StorageError(kNoCurrentRecord);
    // After a delete the next record has moved up into the current position.
    if (!deleted_) ++pos_;
    deleted_ = false;
    load();
}

void KeysetRecordset::movePrevious() {
    if (bof()) throw StorageError(kNoCurrentRecord);
    --pos_;
    deleted_ = false;
    load();
}

QByteArray KeysetRecordset::bookmark() const {
    requireCurrent();
    return QByteArray::number(keys_[pos_]);
}

void KeysetRecordset::setBookmark(const QByteArray& bookmark) {
    bool ok = false;
    const qint64 key = bookmark.toLongLong(&ok);
    const int at = ok ? int(keys_.indexOf(key)) : -1;
    if (at < 0) throw StorageError(QStringLiteral("Not a valid bookmark."));
    pos_ = at;
    deleted_ = false;
    load();
}

bool KeysetRecordset::findFirst(const QString& field, const QString& value) {
    for (const qint64 key : keysWhere(columnFor(field), value)) {
        const int at = int(keys_.indexOf(key));
        if (at >= 0) {
            pos_ = at;
            deleted_ = false;
            load();
            return true;
        }
    }
    return false;
}

QVariant KeysetRecordset::value(const QString& field) const {
    const int i = indexOf(field);
    requireCurrent();
    return values_.value(i);
}

void KeysetRecordset::updateCurrent(const FieldValues& changes, const ExpectedValues& expected) {
    requireCurrent();
    if (changes.isEmpty()) return;
    const qint64 key = keys_[pos_];
    if (!writeRecord(key, byColumn(changes), byColumn(expected)) && !alreadyHolds(key, changes))
        throw conflictOn(key, expected.keys());
    load();
}

void KeysetRecordset::append(const FieldValues& values) {
    const qint64 key = insertRecord(byColumn(values));
    const bool atEnd = eof();
    const bool wasEmpty = keys_.isEmpty();
    keys_.push_back(key);
    // An empty set was both before-first and after-last; it is now before its first record.
    // A set read to its end stays there: the new record is not current, as none was before.
    if (wasEmpty)
        pos_ = -1;
    else if (atEnd)
        pos_ = int(keys_.size());
}

void KeysetRecordset::deleteCurrent() {
    requireCurrent();
    deleteRecord(keys_[pos_]);
    keys_.removeAt(pos_);
    deleted_ = true;
    values_.clear();
}

int KeysetRecordset::indexOf(const QString& field) const {
    const auto it = fieldIndex_.constFind(field.toLower());
    if (it == fieldIndex_.cend()) throw StorageError(QStringLiteral("Item not found in this collection."));
    return *it;
}

template <class Map> Map KeysetRecordset::byColumn(const Map& byField) const {
    Map columns;
    for (auto it = byField.cbegin(); it != byField.cend(); ++it)
        columns.insert(columnFor(it.key()), it.value());
    return columns;
}

void KeysetRecordset::requireCurrent() const {
    if (!hasCurrent()) throw StorageError(kNoCurrentRecord);
}

void KeysetRecordset::moveTo(int at) {
    if (keys_.isEmpty()) throw StorageError(kNoCurrentRecord);
    pos_ = at;
    deleted_ = false;
    load();
}

void KeysetRecordset::load() {
    values_.clear();
    if (!hasCurrent()) return;
    std::optional<QVector<QVariant>> record = readRecord(keys_[pos_]);
    if (!record) {
        // Deleted meanwhile by another studio: as after a delete here, no record is current
        // until the next move, which finds the following record in this position.
        keys_.removeAt(pos_);
        deleted_ = true;
        return;
    }
    values_ = std::move(*record);
}

// A write that was reported failed (the server gave no answer in time) may have landed all the
// same: written again, it finds its own text and is stored, not a conflict with itself.
bool KeysetRecordset::alreadyHolds(qint64 key, const FieldValues& changes) {
    const std::optional<QVector<QVariant>> now = readRecord(key);
    if (!now) return false;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const QVariant& stored = now->at(indexOf(it.key()));
        if (stored.isNull() || stored.toString() != it.value()) return false;
    }
    return true;
}

ConflictError KeysetRecordset::conflictOn(qint64 key, const QStringList& fields) {
    if (!recordExists(key)) return ConflictError(QStringLiteral("The record was deleted by another user."));
    return ConflictError(QStringLiteral("The record was changed by another user (%1).")
                             .arg(fields.join(QStringLiteral(", "))));
}
