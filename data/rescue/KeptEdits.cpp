#include "data/rescue/KeptEdits.h"

#include "data/rescue/KeptPlace.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

namespace {

const QString kEndedBeforeStored = QStringLiteral("the board ended before it was stored");

QJsonObject toJson(const KeptEdit& e) {
    QJsonObject fields, expected;
    for (auto it = e.fields.cbegin(); it != e.fields.cend(); ++it)
        fields.insert(it.key(), it.value());
    for (auto it = e.expected.cbegin(); it != e.expected.cend(); ++it)
        expected.insert(it.key(), it.value().isNull() ? QJsonValue() : QJsonValue(it.value().toString()));
    return {
        {"file", e.file},   {"folder", e.folder},   {"table", e.table},   {"key", QString::fromLatin1(e.key)},
        {"fields", fields}, {"expected", expected}, {"reason", e.reason}, {"conflict", e.conflict}};
}

// The file and its folder apart, never with a password: stores written before they were kept
// apart name the whole path.
void placeApart(KeptEdit& e) {
    if (!e.folder.isEmpty()) return;
    const KeptPlace place = KeptPlace::of(e.file);
    e.folder = place.folder;
    e.file = place.file;
}

KeptEdit fromJson(const QJsonObject& o) {
    KeptEdit e;
    e.file = o.value("file").toString();
    e.folder = o.value("folder").toString();
    e.table = o.value("table").toString();
    e.key = o.value("key").toString().toLatin1();
    const QJsonObject fields = o.value("fields").toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QString text = it.value().toString();
        e.fields.insert(it.key(), text.isNull() ? QStringLiteral("") : text); // typed text is never null
    }
    const QJsonObject expected = o.value("expected").toObject();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        e.expected.insert(it.key(), it.value().isNull() ? QVariant() : QVariant(it.value().toString()));
    e.reason = o.value("reason").toString();
    e.conflict = o.value("conflict").toBool();
    placeApart(e);
    return e;
}

bool holds(const Recordset& rs, const FieldValues& fields) {
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        if (!rs.hasField(it.key()) || rs.value(it.key()).toString() != it.value()) return false;
    return true;
}

bool holdsAnywhere(Recordset& rs, const FieldValues& fields) {
    if (rs.recordCount() == 0) return false;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        if (holds(rs, fields)) return true;
    return false;
}

void store(Recordset& rs, const KeptEdit& e) {
    // A write that reported failure may have landed all the same (the answer was lost, or the board
    // ended between the two): a record already there is not added twice. An update that landed is
    // recognised by the record set itself, which finds its own text instead of a conflict.
    if (e.key.isEmpty()) {
        if (!holdsAnywhere(rs, e.fields)) rs.append(e.fields);
        return;
    }
    try {
        rs.setBookmark(e.key);
    } catch (const StorageError&) {
        throw ConflictError(QStringLiteral("The record was deleted by another user."));
    }
    rs.updateCurrent(e.fields, e.expected);
}

} // namespace

KeptEdits::KeptEdits(QString storePath, QObject* parent) : QObject(parent), storePath_(std::move(storePath)) {
    typingSaver_.setSingleShot(true);
    typingSaver_.setInterval(kTypingSavedWithinMs);
    connect(&typingSaver_, &QTimer::timeout, this, &KeptEdits::save);
    loadOwn();
}

KeptEdits::~KeptEdits() {
    flush();
    // A board that ends with nothing kept leaves nothing behind for the next start to adopt.
    if (lock_ && saved_ && edits_.isEmpty() && typing_.isEmpty()) QFile::remove(storePath_);
}

std::unique_ptr<KeptEdits> KeptEdits::forThisProcess(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString own =
        QStringLiteral("%1/board-%2.json").arg(folder).arg(QCoreApplication::applicationPid());
    auto lock = std::make_unique<QLockFile>(own + QStringLiteral(".lock"));
    // Only a lock whose process has ended is taken over, however old it is.
    lock->setStaleLockTime(0);
    lock->tryLock(0);
    auto kept = std::make_unique<KeptEdits>(own);
    kept->lock_ = std::move(lock);
    const QStringList others = QDir(folder).entryList({QStringLiteral("board-*.json")}, QDir::Files);
    for (const QString& name : others)
        if (folder + QLatin1Char('/') + name != own) kept->adopt(folder + QLatin1Char('/') + name);
    return kept;
}

void KeptEdits::adopt(const QString& otherStorePath) {
    if (!QFile::exists(otherStorePath)) return;
    QLockFile theirs(otherStorePath + QStringLiteral(".lock"));
    theirs.setStaleLockTime(0);
    // A board still running keeps its own store.
    if (!theirs.tryLock(0)) return;
    const Contents contents = read(otherStorePath);
    if (!contents.readable) {
        setAside(otherStorePath);
        emit changed(notice());
        return;
    }
    if (contents.edits.isEmpty()) {
        QFile::remove(otherStorePath);
        return;
    }
    edits_ += contents.edits;
    save();
    // Removed only once its text is safe in this store.
    if (saved_) QFile::remove(otherStorePath);
    emit changed(notice());
}

bool KeptEdits::hasRetryable() const {
    for (const KeptEdit& e : edits_)
        if (!e.conflict && inUse(e)) return true;
    return false;
}

void KeptEdits::keep(KeptEdit edit) {
    placeApart(edit);
    edits_.push_back(std::move(edit));
    save();
    emit changed(notice());
}

bool KeptEdits::settle(const KeptEdit& edit) {
    for (int i = 0; i < edits_.size(); ++i) {
        const KeptEdit& e = edits_[i];
        if (e.file != edit.file || e.folder != edit.folder || e.table != edit.table || e.key != edit.key ||
            e.fields != edit.fields)
            continue;
        edits_.removeAt(i);
        save();
        emit changed(notice());
        return true;
    }
    return false;
}

void KeptEdits::typing(const void* source, KeptEdit edit) {
    placeApart(edit);
    edit.reason = kEndedBeforeStored;
    typing_.insert(source, std::move(edit));
    if (!typingSaver_.isActive()) typingSaver_.start();
}

void KeptEdits::settled(const void* source) {
    if (typing_.remove(source) && !typingSaver_.isActive()) typingSaver_.start();
}

void KeptEdits::flush() {
    if (typingSaver_.isActive()) save();
}

int KeptEdits::retry(DatabaseProvider& provider, const QString& connect, const QStringList& foldersInUse) {
    bool touched = foldersInUse != foldersInUse_;
    foldersInUse_ = foldersInUse;
    int stored = 0;
    // A file that is locked or away costs one wait per round, however much is kept for it.
    QSet<QString> unanswered;
    for (int i = 0; i < edits_.size();) {
        KeptEdit& e = edits_[i];
        const QString path = inUse(e) ? pathOf(e) : QString();
        if (e.conflict || path.isEmpty() || unanswered.contains(path)) {
            ++i;
            continue;
        }
        try {
            auto rs = provider.open(path, connect)->openTable(e.table);
            store(*rs, e);
            edits_.removeAt(i);
            ++stored;
            touched = true;
            continue;
        } catch (const ConflictError& error) {
            e.conflict = true;
            e.reason = error.message();
            touched = true;
        } catch (const std::exception&) {
            // Still away or locked: tried again next time.
            unanswered.insert(path);
        }
        ++i;
    }
    if (touched) {
        save();
        emit changed(notice());
    }
    return stored;
}

bool KeptEdits::inUse(const KeptEdit& edit) const {
    if (foldersInUse_.isEmpty()) return true;
    for (const QString& folder : foldersInUse_)
        if (KeptPlace{edit.folder, edit.file}.isIn(folder)) return true;
    return false;
}

// The file's path through the folder the board uses now, password and all.
QString KeptEdits::pathOf(const KeptEdit& edit) const {
    QString through = edit.folder;
    for (const QString& used : foldersInUse_)
        if (KeptPlace{edit.folder, edit.file}.isIn(used)) through = used;
    return through.isEmpty() ? edit.file : through + QLatin1Char('/') + edit.file;
}

QString KeptEdits::notice() const {
    const QString setAside = setAside_.join(QLatin1Char(' '));
    if (edits_.isEmpty()) return setAside;
    const KeptEdit& last = edits_.back();
    QStringList fields = last.fields.keys();
    const QString what = QStringLiteral("%1 in %2, %3 (%4)")
                             .arg(last.file, last.folder, last.table, fields.join(QStringLiteral(", ")));
    QString how;
    if (last.conflict)
        // The presenter settles it where the file's version is shown beside the kept text.
        how = QStringLiteral(
                  "not stored: %1 Both versions are side by side in History, where either can be taken.")
                  .arg(last.reason);
    else if (!inUse(last))
        how = QStringLiteral("not stored: the board no longer uses %1").arg(last.folder);
    else
        how = QStringLiteral("not yet stored, will be tried again: %1").arg(last.reason);
    const QString count =
        edits_.size() == 1 ? QString() : QStringLiteral(" (%1 kept in all)").arg(edits_.size());
    const QString where =
        saved_ ? QStringLiteral("on this computer in %1").arg(storePath_)
               : QStringLiteral("until the board closes (%1 cannot be written)").arg(storePath_);
    const QString kept = QStringLiteral("Typed text kept %1%2. %3 %4").arg(where, count, what, how);
    return setAside.isEmpty() ? kept : setAside + QLatin1Char(' ') + kept;
}

KeptEdits::Contents KeptEdits::read(const QString& path) {
    Contents contents;
    QFile f(path);
    if (!f.exists()) return contents;
    if (!f.open(QIODevice::ReadOnly)) {
        contents.readable = false;
        return contents;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (error.error != QJsonParseError::NoError || (!doc.isArray() && !doc.isObject())) {
        contents.readable = false;
        return contents;
    }
    // Stores written before typing was saved as it went hold a bare list of kept edits.
    const QJsonArray kept = doc.isArray() ? doc.array() : doc.object().value("kept").toArray();
    for (const QJsonValue& v : kept)
        contents.edits.push_back(fromJson(v.toObject()));
    // Typing that was never acknowledged is kept text now, written or offered like any other.
    for (const QJsonValue& v : doc.object().value("typing").toArray()) {
        KeptEdit e = fromJson(v.toObject());
        e.reason = kEndedBeforeStored;
        contents.edits.push_back(std::move(e));
    }
    return contents;
}

void KeptEdits::loadOwn() {
    const Contents contents = read(storePath_);
    if (contents.readable)
        edits_ = contents.edits;
    else
        setAside(storePath_);
}

void KeptEdits::setAside(const QString& path) {
    const QString aside =
        path + QStringLiteral(".unreadable-") + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    if (QFile::rename(path, aside)) {
        setAside_ << QStringLiteral("Kept text in %1 could not be read; the file was set aside as %2.")
                         .arg(path, aside);
        return;
    }
    setAside_ << QStringLiteral("Kept text in %1 could not be read and is left as it is.").arg(path);
    // Never written over: what it holds may still be rescued by hand.
    if (path == storePath_) writable_ = false;
}

void KeptEdits::save() {
    typingSaver_.stop();
    QJsonArray kept, typing;
    for (const KeptEdit& e : edits_)
        kept.push_back(toJson(e));
    for (const KeptEdit& e : typing_)
        typing.push_back(toJson(e));
    const QJsonObject all{{"kept", kept}, {"typing", typing}};
    QSaveFile f(storePath_);
    // When it cannot be saved the text is still kept in memory and tried again during this run;
    // the notice says a restart would lose it.
    saved_ =
        writable_ && f.open(QIODevice::WriteOnly) && f.write(QJsonDocument(all).toJson()) >= 0 && f.commit();
}
