#include "data/DataControl.h"

#include "data/FieldBinding.h"
#include "data/Paths.h"
#include "data/StorageError.h"


namespace {

const QString kNoCurrentRecord = QStringLiteral("No current record.");

struct Criteria {
    QString field;
    QString value;
};

// [Field] ="value": the field between the brackets; the value between the first and the last
// double quote, so a value that itself holds a quote is still found.
Criteria parseCriteria(const QString& criteria) {
    const int open = criteria.indexOf(QLatin1Char('['));
    const int close = criteria.indexOf(QLatin1Char(']'), open + 1);
    const int eq = criteria.indexOf(QLatin1Char('='), close + 1);
    const int first = criteria.indexOf(QLatin1Char('"'), eq + 1);
    const int last = criteria.lastIndexOf(QLatin1Char('"'));
    if (open < 0 || close < 0 || eq < 0 || first < 0 || last <= first ||
        !criteria.mid(close + 1, eq - close - 1).trimmed().isEmpty())
        throw StorageError(QStringLiteral("Syntax error in criteria expression: %1").arg(criteria));
    return {criteria.mid(open + 1, close - open - 1), criteria.mid(first + 1, last - first - 1)};
}

} // namespace

DataControl::DataControl(DatabaseProvider& provider, const QString& name, QObject* parent)
    : QObject(parent), provider_(provider) {
    setObjectName(name);
}

DataControl::~DataControl() {
    close();
    for (FieldBinding* b : bindings_) b->detachSource();
}

Recordset& DataControl::openRecordset() const {
    if (!recordset_) throw StorageError(QStringLiteral("Object variable or With block variable not set"));
    return *recordset_;
}

void DataControl::applyBindingRule() {
    if (!recordset_) return;
    if (editMode_ == EditMode::Adding) {
        // A new record on which nothing was typed is dropped.
        if (!buffer_.isEmpty()) recordset_->append(buffer_);
    } else if (!buffer_.isEmpty()) {
        if (!recordset_->hasCurrent()) throw StorageError(kNoCurrentRecord);
        recordset_->updateCurrent(buffer_);
    }
    buffer_.clear();
    editMode_ = EditMode::None;
}

void DataControl::refresh() {
    FieldValues kept;
    if (recordset_ && !buffer_.isEmpty() && editMode_ != EditMode::Adding && !recordset_->hasCurrent()) {
        // Nothing can receive the typed text yet (a table without rows): it stays in the buffer while
        // the same table is read again, and is dropped only when the control is pointed elsewhere.
        const bool sameTable = database_ && database_->path() == paths::fold(databaseName_) &&
                               recordset_->tableName().compare(recordSource_, Qt::CaseInsensitive) == 0;
        if (sameTable) kept = buffer_;
    } else {
        applyBindingRule(); // throws with the buffer kept, so a failed write never loses what was typed
    }
    buffer_.clear();
    editMode_ = EditMode::None;
    recordset_.reset();
    database_.reset();
    database_ = provider_.open(databaseName_, connect_);
    recordset_ = database_->openTable(recordSource_);
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        if (recordset_->hasField(it.key())) buffer_.insert(it.key(), it.value());
    if (recordset_->recordCount() > 0) recordset_->moveFirst();
    showCurrent();
    emit repositioned();
}

void DataControl::close() {
    try {
        applyBindingRule();
    } catch (const std::exception& e) {
        if (lostWriteSink_) lostWriteSink_(QString::fromUtf8(e.what()));
    }
    buffer_.clear();
    editMode_ = EditMode::None;
    recordset_.reset();
    database_.reset();
}

bool DataControl::bof() const { return openRecordset().bof(); }
bool DataControl::eof() const { return openRecordset().eof(); }
bool DataControl::hasCurrent() const { return recordset_ && recordset_->hasCurrent(); }
int DataControl::recordCount() const { return openRecordset().recordCount(); }

void DataControl::moveFirst() { reposition([](Recordset& rs) { rs.moveFirst(); }); }
void DataControl::movePrevious() { reposition([](Recordset& rs) { rs.movePrevious(); }); }
void DataControl::moveNext() { reposition([](Recordset& rs) { rs.moveNext(); }); }
void DataControl::moveLast() { reposition([](Recordset& rs) { rs.moveLast(); }); }

void DataControl::reposition(const std::function<void(Recordset&)>& move) {
    Recordset& rs = openRecordset();
    applyBindingRule();
    move(rs);
    showCurrent();
    emit repositioned();
}

QByteArray DataControl::bookmark() const { return openRecordset().bookmark(); }

void DataControl::setBookmark(const QByteArray& bookmark) {
    reposition([&](Recordset& rs) { rs.setBookmark(bookmark); });
}

bool DataControl::findFirst(const QString& criteria) {
    openRecordset();
    const Criteria c = parseCriteria(criteria);
    bool found = false;
    reposition([&](Recordset& rs) { found = rs.findFirst(c.field, c.value); });
    return found;
}

QString DataControl::fieldText(const QString& field) const {
    const auto it = buffer_.constFind(field);
    if (it != buffer_.cend()) return *it;
    if (!hasCurrent() || editMode_ == EditMode::Adding || !recordset_->hasField(field)) return QString();
    return recordset_->value(field).toString();
}

QVariant DataControl::storedValue(const QString& field) const {
    if (!hasCurrent()) throw StorageError(kNoCurrentRecord);
    return recordset_->value(field);
}

bool DataControl::hasField(const QString& field) const { return recordset_ && recordset_->hasField(field); }

QVector<QVariant> DataControl::storedColumn(const QString& field) const {
    const QString table = openRecordset().tableName();
    const std::unique_ptr<Recordset> rs = database_->openTable(table);
    QVector<QVariant> values;
    if (rs->recordCount() == 0) return values;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        values << rs->value(field);
    return values;
}

void DataControl::edit() {
    if (!hasCurrent()) throw StorageError(kNoCurrentRecord);
    if (editMode_ != EditMode::Adding) editMode_ = EditMode::Editing;
}

void DataControl::addNew() {
    openRecordset();
    applyBindingRule();
    editMode_ = EditMode::Adding;
    clearBoxes();
    emit repositioned();
}

void DataControl::update() {
    Recordset& rs = openRecordset();
    if (editMode_ == EditMode::Adding) {
        rs.append(buffer_);
        buffer_.clear();
        editMode_ = EditMode::None;
        // The record that was current before the new one is current again.
        if (rs.hasCurrent())
            showCurrent();
        else
            clearBoxes();
        emit repositioned();
        return;
    }
    if (!buffer_.isEmpty()) {
        if (!rs.hasCurrent()) throw StorageError(kNoCurrentRecord);
        rs.updateCurrent(buffer_);
    }
    buffer_.clear();
    editMode_ = EditMode::None;
}

void DataControl::cancelUpdate() {
    buffer_.clear();
    editMode_ = EditMode::None;
    showCurrent();
}

void DataControl::deleteRecord() {
    Recordset& rs = openRecordset();
    if (editMode_ == EditMode::Adding) {
        cancelUpdate();
        return;
    }
    rs.deleteCurrent();
    buffer_.clear();
    editMode_ = EditMode::None;
    clearBoxes();
    emit repositioned();
}

void DataControl::setFieldText(const QString& field, const QString& text) {
    if (recordset_ && !recordset_->hasField(field)) return;
    // Typing back the stored value is no change, so another studio's edit of the field is kept.
    if (editMode_ != EditMode::Adding && hasCurrent() && recordset_->value(field).toString() == text) {
        buffer_.remove(field);
        return;
    }
    buffer_.insert(field, text);
}

void DataControl::attach(FieldBinding* binding) {
    if (!bindings_.contains(binding)) bindings_.push_back(binding);
}

void DataControl::detach(FieldBinding* binding) { bindings_.removeAll(binding); }

void DataControl::showCurrentIn(FieldBinding* binding) {
    if (hasCurrent() || buffer_.contains(binding->dataField()) || editMode_ == EditMode::Adding)
        binding->show(fieldText(binding->dataField()));
}

void DataControl::showCurrent() {
    // With no current record the boxes keep what they show (the placeholder words, say).
    if (!hasCurrent()) return;
    for (FieldBinding* b : bindings_) b->show(fieldText(b->dataField()));
}

void DataControl::clearBoxes() {
    for (FieldBinding* b : bindings_) b->show(QString());
}
