#include "data/rescue/KeptEdits.h"

#include "data/storage/Database.h"
#include "data/storage/StorageError.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonObject toJson(const KeptEdit& e) {
    QJsonObject fields, expected;
    for (auto it = e.fields.cbegin(); it != e.fields.cend(); ++it)
        fields.insert(it.key(), it.value());
    for (auto it = e.expected.cbegin(); it != e.expected.cend(); ++it)
        expected.insert(it.key(), it.value().isNull() ? QJsonValue() : QJsonValue(it.value().toString()));
    return {{"file", e.file},        {"table", e.table},     {"key", QString::fromLatin1(e.key)},
            {"fields", fields},      {"expected", expected}, {"reason", e.reason},
            {"conflict", e.conflict}};
}

KeptEdit fromJson(const QJsonObject& o) {
    KeptEdit e;
    e.file = o.value("file").toString();
    e.table = o.value("table").toString();
    e.key = o.value("key").toString().toLatin1();
    const QJsonObject fields = o.value("fields").toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it)
        e.fields.insert(it.key(), it.value().toString());
    const QJsonObject expected = o.value("expected").toObject();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        e.expected.insert(it.key(), it.value().isNull() ? QVariant() : QVariant(it.value().toString()));
    e.reason = o.value("reason").toString();
    e.conflict = o.value("conflict").toBool();
    return e;
}

void store(Recordset& rs, const KeptEdit& e) {
    if (e.key.isEmpty()) {
        rs.append(e.fields);
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
    load();
}

bool KeptEdits::hasRetryable() const {
    for (const KeptEdit& e : edits_)
        if (!e.conflict) return true;
    return false;
}

void KeptEdits::keep(KeptEdit edit) {
    edits_.push_back(std::move(edit));
    save();
    emit changed(notice());
}

int KeptEdits::retry(DatabaseProvider& provider, const QString& connect) {
    int stored = 0;
    bool touched = false;
    for (int i = 0; i < edits_.size();) {
        KeptEdit& e = edits_[i];
        if (e.conflict) {
            ++i;
            continue;
        }
        try {
            auto rs = provider.open(e.file, connect)->openTable(e.table);
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
        }
        ++i;
    }
    if (touched) {
        save();
        emit changed(notice());
    }
    return stored;
}

QString KeptEdits::notice() const {
    if (edits_.isEmpty()) return QString();
    const KeptEdit& last = edits_.back();
    QStringList fields = last.fields.keys();
    const QString what =
        QStringLiteral("%1, %2 (%3)")
            .arg(QFileInfo(last.file).fileName(), last.table, fields.join(QStringLiteral(", ")));
    const QString how = last.conflict
                            ? QStringLiteral("not stored: %1").arg(last.reason)
                            : QStringLiteral("not yet stored, will be tried again: %1").arg(last.reason);
    const QString count =
        edits_.size() == 1 ? QString() : QStringLiteral(" (%1 kept in all)").arg(edits_.size());
    const QString where =
        saved_ ? QStringLiteral("on this computer in %1").arg(storePath_)
               : QStringLiteral("until the board closes (%1 cannot be written)").arg(storePath_);
    return QStringLiteral("Typed text kept %1%2. %3 %4").arg(where, count, what, how);
}

void KeptEdits::load() {
    QFile f(storePath_);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QJsonArray all = QJsonDocument::fromJson(f.readAll()).array();
    for (const QJsonValue& v : all)
        edits_.push_back(fromJson(v.toObject()));
}

void KeptEdits::save() {
    QJsonArray all;
    for (const KeptEdit& e : edits_)
        all.push_back(toJson(e));
    QSaveFile f(storePath_);
    // When it cannot be saved the text is still kept in memory and tried again during this run;
    // the notice says a restart would lose it.
    saved_ = f.open(QIODevice::WriteOnly) && f.write(QJsonDocument(all).toJson()) >= 0 && f.commit();
}
