#include "aired/AiredLog.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/storage/Engines.h"
#include "data/storage/StorageError.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSysInfo>
#include <QUuid>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString field(const Recordset& rs, const QString& name) {
    return rs.value(name).toString();
}

QDateTime readAt(const Recordset& rs) {
    return QDateTime::fromString(field(rs, QStringLiteral("ReadAt")), kTimeFormat);
}

AiredRead currentRead(const Recordset& rs) {
    return {field(rs, QStringLiteral("ReadId")),     readAt(rs),
            field(rs, QStringLiteral("Studio")),     field(rs, QStringLiteral("User")),
            field(rs, QStringLiteral("Library")),    field(rs, QStringLiteral("CopyName")),
            field(rs, QStringLiteral("Fingerprint"))};
}

// The account itself where the system can say: a board started without a login shell (a session
// manager, a service) has no USER to read.
QString signedInUser() {
#ifdef Q_OS_UNIX
    if (const passwd* account = getpwuid(geteuid())) return QString::fromLocal8Bit(account->pw_name);
#endif
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

} // namespace

AiredLog::AiredLog(DatabaseProvider& provider, QString path) : provider_(provider), path_(std::move(path)) {}

QString AiredLog::pathIn(const QString& folderText, const QString& programFolder) {
    return paths::withFallback(folderText, programFolder, catalogue::kAiredFile);
}

QString AiredLog::fingerprint(const QString& text) {
    QString folded = text;
    folded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QString::fromLatin1(
        QCryptographicHash::hash(folded.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

bool AiredLog::missingFile() const {
    // A server's schemas cannot be looked at without signing in: there, opening tells.
    return !paths::isServer(path_) && !QFileInfo::exists(paths::fold(path_));
}

std::unique_ptr<Recordset> AiredLog::openTable() {
    return provider_.open(path_, catalogue::connectString())->openTable(catalogue::kAiredTable);
}

void AiredLog::create() {
    const catalogue::FileSpec& aired = catalogue::airedFile();
    engines::NewFileKey key;
    const std::unique_ptr<FileBuilder> builder = engines::createFile(path_, key);
    for (const catalogue::TableSpec& table : aired.tables)
        builder->createTable(table.name, table.fields);
    builder->commit();
}

std::unique_ptr<Recordset> AiredLog::openOrCreateTable() {
    if (missingFile()) {
        try {
            create();
        } catch (const FileExistsError&) {
            // Another studio's first press made it a moment ago.
        }
        return openTable();
    }
    try {
        return openTable();
    } catch (const StorageError& opening) {
        if (!paths::isServer(path_)) throw;
        // A server whose schema was never made: make it where this sign-in may; otherwise the
        // reason it could not be opened is the one that counts.
        try {
            create();
        } catch (const FileExistsError&) {
        } catch (const StorageError&) {
            throw opening;
        }
        return openTable();
    }
}

AiredRead AiredLog::record(const QString& library, const QString& copy, const QString& text,
                           const QDateTime& at) {
    const AiredRead read = {QUuid::createUuid().toString(QUuid::WithoutBraces),
                            at.addMSecs(-at.time().msec()),
                            QSysInfo::machineHostName(),
                            signedInUser(),
                            library,
                            copy,
                            fingerprint(text)};
    openOrCreateTable()->append({{QStringLiteral("ReadId"), read.id},
                                 {QStringLiteral("ReadAt"), read.at.toString(kTimeFormat)},
                                 {QStringLiteral("Studio"), read.studio},
                                 {QStringLiteral("User"), read.user},
                                 {QStringLiteral("Library"), read.library},
                                 {QStringLiteral("CopyName"), read.copy},
                                 {QStringLiteral("Fingerprint"), read.fingerprint}});
    return read;
}

bool AiredLog::remove(const QString& id) {
    const std::unique_ptr<Recordset> rs = openTable();
    if (!rs->findFirst(QStringLiteral("ReadId"), id)) return false;
    rs->deleteCurrent();
    return true;
}

std::optional<QDateTime> AiredLog::lastReadOn(const QString& library, const QString& copy, const QDate& day) {
    // No file yet: nothing was ever read here; the first press makes it.
    if (missingFile()) return std::nullopt;
    const std::unique_ptr<Recordset> rs = openTable();
    if (rs->recordCount() == 0) return std::nullopt;
    // Reads are appended as they happen: the day's reads are the last records.
    for (rs->moveLast(); !rs->bof(); rs->movePrevious()) {
        const QDateTime at = readAt(*rs);
        if (at.isValid() && at.date() < day) break;
        if (at.date() == day && field(*rs, QStringLiteral("Library")) == library &&
            field(*rs, QStringLiteral("CopyName")) == copy)
            return at;
    }
    return std::nullopt;
}

QVector<AiredRead> AiredLog::readsBetween(const QDate& from, const QDate& to, const QString& copy) {
    const std::unique_ptr<Recordset> rs = openTable();
    QVector<AiredRead> out;
    if (rs->recordCount() == 0) return out;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        const QDateTime at = readAt(*rs);
        if (!at.isValid() || at.date() < from || at.date() > to) continue;
        if (!copy.isEmpty() && field(*rs, QStringLiteral("CopyName")).compare(copy, Qt::CaseInsensitive) != 0)
            continue;
        out.push_back(currentRead(*rs));
    }
    return out;
}

quint64 AiredLog::changeStamp() {
    return provider_.open(path_, catalogue::connectString())->changeStamp();
}
