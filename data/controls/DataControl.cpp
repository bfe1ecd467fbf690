#include "data/controls/DataControl.h"

#include "base/Steps.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/controls/FieldBinding.h"
#include "data/storage/StorageError.h"

#include <exception>

namespace {

const QString kNoCurrentRecord = QStringLiteral("No current record.");
const QString kRecordGone = QStringLiteral("The record was deleted by another user.");
const QString kNotOpen = QStringLiteral("The file is not open.");
const QString kNoLongerShown =
    QStringLiteral("Typed while the file could not be read, over a record that is no longer shown.");
const QString kWhichRecord = QStringLiteral(
    "Typed while the file could not be read, with no record shown: which one it was meant for is not known.");

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

DataControl::DataControl(DatabaseProvider& provider, EditJournal& journal, const QString& name,
                         QObject* parent)
    : QObject(parent), provider_(provider), journal_(&journal) {
    setObjectName(name);
}

DataControl::~DataControl() {
    close();
    for (FieldBinding* b : bindings_)
        b->detachSource();
}

Recordset& DataControl::openRecordset() const {
    if (!recordset_) throw StorageError(QStringLiteral("Object variable or With block variable not set"));
    return *recordset_;
}

void DataControl::applyBindingRule() {
    if (!recordset_) return;
    if (!buffer_.isEmpty()) journalBeforeWriting();
    if (editMode_ == EditMode::Adding) {
        // A new record on which nothing was typed is dropped.
        if (!buffer_.isEmpty()) recordset_->append(buffer_);
    } else if (!buffer_.isEmpty()) {
        if (!recordset_->hasCurrent()) throw ConflictError(kNoCurrentRecord);
        recordset_->updateCurrent(buffer_, base_);
    }
    clearBuffer();
}

void DataControl::clearBuffer() {
    const bool typed = !buffer_.isEmpty();
    buffer_.clear();
    base_.clear();
    editMode_ = EditMode::None;
    if (typed) journalBuffer();
}

KeptEdit DataControl::bufferAsKept() const {
    KeptEdit edit;
    if (!recordset_ && shown_) {
        // Typed with no record set: over what the boxes went on showing.
        edit.file = shown_->file;
        edit.table = shown_->table;
        edit.key = shown_->key;
    } else {
        edit.file = database_ ? database_->path() : databaseName_;
        edit.table = recordset_ ? recordset_->tableName() : recordSource_;
        if (editMode_ != EditMode::Adding && hasCurrent()) edit.key = recordset_->bookmark();
    }
    edit.fields = buffer_;
    edit.expected = base_;
    return edit;
}

void DataControl::journalBuffer() {
    if (buffer_.isEmpty())
        journal_->settled(this);
    else
        journal_->typing(this, bufferAsKept());
}

void DataControl::journalBeforeWriting() const {
    journal_->flush();
}

bool DataControl::storeOrKeep() {
    try {
        applyBindingRule();
        return true;
    } catch (const StorageError& e) {
        if (!journal_->keeps()) throw;
        KeptEdit edit = bufferAsKept();
        edit.reason = e.message();
        // A record gone or changed underneath cannot take the text by trying again.
        // Nor can a file this user may not write.
        edit.refused = e.kind() == FailureKind::Refused;
        edit.conflict = dynamic_cast<const ConflictError*>(&e) != nullptr || edit.refused;
        clearBuffer();
        journal_->keep(std::move(edit));
        return false;
    }
}

std::exception_ptr DataControl::keepForAPerson(const QString& reason) {
    if (!journal_->keeps()) return std::make_exception_ptr(ConflictError(reason));
    KeptEdit edit = bufferAsKept();
    edit.key.clear(); // no record of this control's takes it
    edit.reason = reason;
    edit.conflict = true;
    clearBuffer();
    journal_->keep(std::move(edit));
    return nullptr;
}

void DataControl::refresh() {
    // What the boxes show now: they go on showing it should the file not open.
    const Shown before = shownNow();
    FieldValues carried;
    ExpectedValues carriedBase;
    std::exception_ptr failedWrite;
    const bool sameTable = database_ && database_->path() == paths::fold(databaseName_) && recordset_ &&
                           recordset_->tableName().compare(recordSource_, Qt::CaseInsensitive) == 0;
    // Typed while there was no record set: nothing has taken it yet. Where the control still points at
    // the record it was typed over, that record takes it once the file is open; pointed elsewhere since
    // (a day switch that came late), it belongs to no record the control will show.
    bool typedWhileAway = false;
    if (!recordset_ && !buffer_.isEmpty()) {
        if (isShownPlace(before)) {
            typedWhileAway = true;
            carried = buffer_;
            carriedBase = base_;
        } else {
            failedWrite = keepForAPerson(kNoLongerShown);
        }
    } else if (recordset_ && !buffer_.isEmpty() && editMode_ != EditMode::Adding &&
               !recordset_->hasCurrent()) {
        // Typed into a table without rows: nothing can receive it yet, so it stays in the buffer
        // while the same table is read again. Typed over a record that is gone since (its old values
        // are known), or with the control pointed elsewhere, it belongs to no record the control will
        // show: it is kept for a person, never written into whatever record comes first.
        if (sameTable && base_.isEmpty())
            carried = buffer_;
        else
            failedWrite = keepForAPerson(base_.isEmpty() ? kNoCurrentRecord : kRecordGone);
    } else {
        try {
            storeOrKeep();
        } catch (const StorageError&) {
            // No store to keep it in: the text stays typed while the same table is read again, and
            // the failure is reported once the control has landed where it was sent.
            failedWrite = std::current_exception();
            if (sameTable) {
                carried = buffer_;
                carriedBase = base_;
            }
        }
    }
    clearBuffer();
    recordset_.reset();
    database_.reset();
    openedFrom_.reset();
    try {
        if (!openReadAhead()) {
            database_ = provider_.open(databaseName_, connect_);
            Database::OpenedTable opened = database_->openAtFirst(recordSource_);
            recordset_ = std::move(opened.records);
            stamp_ = opened.stamp;
        }
    } catch (const StorageError& e) {
        // The boxes go on showing what they showed, and what was typed and not stored stays typed
        // over it, in the rescue store too, until a record set takes it.
        shown_ = before;
        // Said later, when typing meets the closed file: then as a sentence naming the file.
        notOpenBecause_ = saidOf(Failure::of(e), databaseName_);
        buffer_ = carried;
        base_ = carriedBase;
        if (!buffer_.isEmpty()) journalBuffer();
        throw;
    }
    shown_.reset();
    notOpenBecause_.clear();
    if (typedWhileAway) {
        if (std::exception_ptr failed = placeTypedWhileAway(before, carried, carriedBase))
            failedWrite = failed;
    } else {
        for (auto it = carried.cbegin(); it != carried.cend(); ++it)
            if (recordset_->hasField(it.key())) buffer_.insert(it.key(), it.value());
        for (auto it = carriedBase.cbegin(); it != carriedBase.cend(); ++it)
            if (buffer_.contains(it.key())) base_.insert(it.key(), it.value());
    }
    if (!buffer_.isEmpty()) journalBuffer();
    showCurrent();
    emit repositioned();
    if (failedWrite) std::rethrow_exception(failedWrite);
}

bool DataControl::openReadAhead() {
    DatabaseProvider::OpenedAhead opened = provider_.openReadAhead(databaseName_, connect_, recordSource_);
    if (!opened.records) return false;
    recordset_ = std::move(opened.records);
    database_ = std::move(opened.database);
    openedFrom_ = std::move(opened.snapshot);
    // This connection's own change count is read when the file is next reported changed; until
    // then any report reads the record again.
    stamp_.reset();
    return true;
}

void DataControl::close() {
    try {
        if (!recordset_ && !buffer_.isEmpty())
            keepTypedOver(shownNow(), notOpenReason());
        else
            storeOrKeep();
    } catch (const std::exception& e) {
        if (lostWriteSink_) lostWriteSink_(Failure::of(e));
    }
    clearBuffer();
    // The boxes go on showing the record: what is typed into them now is kept as typed over it.
    if (recordset_) shown_ = shownNow();
    recordset_.reset();
    database_.reset();
    openedFrom_.reset();
}

std::optional<quint64> DataControl::stampOf(Database& db) {
    try {
        return db.changeStamp();
    } catch (const StorageError&) {
        return std::nullopt;
    }
}

bool DataControl::pollForChanges() {
    if (!recordset_) {
        // The file or table was away when last opened: it is tried again, so the board recovers
        // by itself when the share comes back, and what was typed meanwhile reaches its record.
        if (databaseName_.isEmpty() || recordSource_.isEmpty()) return false;
        refresh();
        return true;
    }
    if (!recordset_->usable()) {
        // A statement of it went unanswered: the file is opened afresh where the control was.
        reopenKeepingTyping();
        return true;
    }
    // A file first watched after a roll is reported as changed: one look tells whether it was.
    if (openedFrom_ && provider_.unchangedSinceReadAhead(*openedFrom_)) return false;
    openedFrom_.reset();
    const std::optional<quint64> now = stampOf(*database_);
    if (now && stamp_ && *now == *stamp_) return false;
    if (!now) {
        // Unreadable through this connection: replaced on the share, say. Open it afresh, keeping
        // what is being typed, which the next move or refresh stores.
        reopenKeepingTyping();
        return true;
    }
    stamp_ = now;
    if (editMode_ == EditMode::Adding) return false;
    recordset_->reread();
    showCurrent();
    return true;
}

void DataControl::reopenKeepingTyping() {
    if (database_->path() != paths::fold(databaseName_) ||
        recordset_->tableName().compare(recordSource_, Qt::CaseInsensitive) != 0) {
        // Pointed elsewhere since: the typing cannot be carried over to the same bookmark there.
        refresh();
        return;
    }
    const FieldValues typed = buffer_;
    const ExpectedValues base = base_;
    const EditMode mode = editMode_;
    const QByteArray at = recordset_->hasCurrent() ? recordset_->bookmark() : QByteArray();
    // Opened before the old ones go: when the file or server is still away, the control stays as
    // it was, typing and all, and the next poll tries again.
    std::shared_ptr<Database> database = provider_.open(databaseName_, connect_);
    std::unique_ptr<Recordset> recordset = database->openTable(recordSource_);
    recordset_ = std::move(recordset);
    database_ = std::move(database);
    stamp_ = stampOf(*database_);
    buffer_ = typed;
    base_ = base;
    editMode_ = mode;
    journalBuffer();
    if (!at.isEmpty() && !skipOnFailure([&] { recordset_->setBookmark(at); })) {
        // The record is not in the file put in place of the old one: what was typed over it is
        // kept for a person, and the control shows the new file's first record.
        // (Without kept edits there is nowhere else for it.) Nothing typed, nothing kept.
        if (!buffer_.isEmpty()) keepForAPerson(kRecordGone);
        clearBuffer();
        if (recordset_->recordCount() > 0) recordset_->moveFirst();
    } else if (at.isEmpty() && mode != EditMode::Adding && recordset_->recordCount() > 0) {
        recordset_->moveFirst();
    }
    showCurrent();
    emit repositioned();
}

DataControl::Shown DataControl::shownNow() const {
    if (!recordset_) return shown_ ? *shown_ : Shown{paths::fold(databaseName_), recordSource_, {}, {}};
    Shown shown{database_ ? database_->path() : paths::fold(databaseName_), recordset_->tableName(), {}, {}};
    if (editMode_ == EditMode::Adding || !recordset_->hasCurrent()) return shown;
    Shown record = shown;
    const bool read = skipOnFailure([&] {
        record.key = recordset_->bookmark();
        for (const QString& field : recordset_->fieldNames())
            record.values.insert(field.toLower(), recordset_->value(field));
    });
    if (!read) return shown;
    for (auto it = buffer_.cbegin(); it != buffer_.cend(); ++it)
        record.values.insert(it.key().toLower(), it.value());
    return record;
}

QString DataControl::notOpenReason() const {
    return notOpenBecause_.isEmpty() ? kNotOpen : notOpenBecause_;
}

void DataControl::keepTypedOver(const Shown& over, const QString& reason) {
    if (!journal_->keeps()) throw StorageError(reason);
    KeptEdit edit;
    edit.file = over.file;
    edit.table = over.table;
    edit.key = over.key;
    edit.fields = buffer_;
    edit.expected = base_;
    edit.conflict = over.key.isEmpty();
    edit.reason = edit.conflict ? kWhichRecord : reason;
    clearBuffer();
    journal_->keep(std::move(edit));
}

bool DataControl::isShownPlace(const Shown& shown) const {
    return shown.file == paths::fold(databaseName_) &&
           shown.table.compare(recordSource_, Qt::CaseInsensitive) == 0;
}

std::exception_ptr DataControl::placeTypedWhileAway(const Shown& over, const FieldValues& typed,
                                                    ExpectedValues base) {
    Recordset& rs = *recordset_;
    // Without kept edits the failure is thrown, and the text never waits on a record it was not
    // typed over.
    const auto forAPerson = [this](const QString& reason) {
        std::exception_ptr failed = keepForAPerson(reason);
        clearBuffer();
        return failed;
    };
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        if (rs.hasField(it.key())) buffer_.insert(it.key(), it.value());
    for (auto it = base.cbegin(); it != base.cend(); ++it)
        if (buffer_.contains(it.key())) base_.insert(it.key(), it.value());
    if (buffer_.isEmpty()) return nullptr;
    if (over.key.isEmpty()) {
        // Typed with no record shown: it is the table's one record's, the one the boxes would have
        // shown. In a table without rows it waits for one, as text typed there does.
        if (rs.recordCount() == 0) return nullptr;
        if (rs.recordCount() > 1) return forAPerson(kWhichRecord);
        for (auto it = buffer_.cbegin(); it != buffer_.cend(); ++it) {
            // The boxes showed the field empty: stored only over a field that is empty still.
            const QVariant stored = rs.value(it.key());
            base_.insert(it.key(), stored.toString().isEmpty() ? stored : QVariant(QStringLiteral("")));
        }
    } else {
        try {
            rs.setBookmark(over.key);
        } catch (const AnswerLateError& e) {
            try {
                keepTypedOver(over, e.message());
            } catch (const StorageError&) {
                clearBuffer();
                return std::current_exception();
            }
            return nullptr;
        } catch (const StorageError&) {
            return forAPerson(kRecordGone);
        }
    }
    try {
        storeOrKeep();
    } catch (const StorageError&) {
        // No store to keep it in: it stays typed, on the record it was typed over.
        return std::current_exception();
    }
    if (rs.recordCount() > 1) skipOnFailure([&] { rs.moveFirst(); });
    return nullptr;
}

bool DataControl::bof() const {
    return openRecordset().bof();
}
bool DataControl::eof() const {
    return openRecordset().eof();
}
bool DataControl::hasCurrent() const {
    return recordset_ && recordset_->hasCurrent();
}
int DataControl::recordCount() const {
    return openRecordset().recordCount();
}

void DataControl::moveFirst() {
    reposition([](Recordset& rs) { rs.moveFirst(); });
}
void DataControl::movePrevious() {
    reposition([](Recordset& rs) { rs.movePrevious(); });
}
void DataControl::moveNext() {
    reposition([](Recordset& rs) { rs.moveNext(); });
}
void DataControl::moveLast() {
    reposition([](Recordset& rs) { rs.moveLast(); });
}

void DataControl::reposition(const std::function<void(Recordset&)>& move) {
    Recordset& rs = openRecordset();
    storeOrKeep();
    move(rs);
    showCurrent();
    emit repositioned();
}

QByteArray DataControl::bookmark() const {
    return openRecordset().bookmark();
}

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

bool DataControl::hasField(const QString& field) const {
    return recordset_ && recordset_->hasField(field);
}

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
    storeOrKeep();
    editMode_ = EditMode::Adding;
    clearBoxes();
    emit repositioned();
}

void DataControl::update() {
    if (!recordset_ && !buffer_.isEmpty()) {
        // Nothing can take it now: it stays typed, in the boxes and in the rescue store, until a
        // record set does (the next refresh, which the board's own rounds make).
        journalBeforeWriting();
        QString why = notOpenReason();
        if (!why.endsWith(QLatin1Char('.'))) why += QLatin1Char('.');
        throw NotOpenError(
            QStringLiteral("Not stored yet: %1 What was typed stays, and is stored once the file opens.")
                .arg(why));
    }
    Recordset& rs = openRecordset();
    if (!buffer_.isEmpty()) journalBeforeWriting();
    if (editMode_ == EditMode::Adding) {
        rs.append(buffer_);
        clearBuffer();
        // The record that was current before the new one is current again.
        if (rs.hasCurrent())
            showCurrent();
        else
            clearBoxes();
        emit repositioned();
        return;
    }
    if (!buffer_.isEmpty()) {
        if (!rs.hasCurrent()) throw ConflictError(kNoCurrentRecord);
        rs.updateCurrent(buffer_, base_);
    }
    clearBuffer();
}

void DataControl::cancelUpdate() {
    clearBuffer();
    showCurrent();
}

void DataControl::deleteRecord() {
    Recordset& rs = openRecordset();
    if (editMode_ == EditMode::Adding) {
        cancelUpdate();
        return;
    }
    rs.deleteCurrent();
    clearBuffer();
    clearBoxes();
    emit repositioned();
}

void DataControl::setFieldText(const QString& field, const QString& text) {
    if (recordset_ && !recordset_->hasField(field)) return;
    if (!recordset_) {
        // No record set (the file could not be opened): the text goes over what the boxes show,
        // and waits for a record set to take it.
        if (!shown_) shown_ = shownNow();
        const auto showed = shown_->values.constFind(field.toLower());
        if (!shown_->key.isEmpty() && showed == shown_->values.cend()) return;
        // Emptying a box that showed no record is no change either (code clears boxes so).
        const QString before = shown_->key.isEmpty() ? QString() : showed->toString();
        if (before == text) {
            buffer_.remove(field);
            base_.remove(field);
            journalBuffer();
            return;
        }
        if (!shown_->key.isEmpty() && !base_.contains(field)) base_.insert(field, *showed);
    } else if (editMode_ != EditMode::Adding && hasCurrent()) {
        // Typing back the stored value is no change, so another studio's edit of the field is kept.
        const QVariant stored = recordset_->value(field);
        if (stored.toString() == text) {
            buffer_.remove(field);
            base_.remove(field);
            journalBuffer();
            return;
        }
        // What the record held when typing began: the write is stored only over that.
        if (!base_.contains(field)) base_.insert(field, stored);
    }
    // Typed text is text, even when a box hands over a null one: only a value put back is null.
    buffer_.insert(field, text.isNull() ? QStringLiteral("") : text);
    journalBuffer();
}

void DataControl::attach(FieldBinding* binding) {
    if (!bindings_.contains(binding)) bindings_.push_back(binding);
}

void DataControl::detach(FieldBinding* binding) {
    bindings_.removeAll(binding);
}

void DataControl::showCurrentIn(FieldBinding* binding) {
    if (hasCurrent() || buffer_.contains(binding->dataField()) || editMode_ == EditMode::Adding)
        binding->show(fieldText(binding->dataField()));
}

void DataControl::showCurrent() {
    // With no current record the boxes keep what they show (the placeholder words, say).
    if (!hasCurrent()) return;
    for (FieldBinding* b : bindings_)
        b->show(fieldText(b->dataField()));
}

void DataControl::clearBoxes() {
    for (FieldBinding* b : bindings_)
        b->show(QString());
}
