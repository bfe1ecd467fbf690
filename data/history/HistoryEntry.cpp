#include "data/history/HistoryEntry.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

QString kindName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Add:
        return QStringLiteral("add");
    case ChangeKind::Delete:
        return QStringLiteral("delete");
    case ChangeKind::Update:
        break;
    }
    return QStringLiteral("update");
}

ChangeKind kindFromName(const QString& name) {
    if (name == QLatin1String("add")) return ChangeKind::Add;
    if (name == QLatin1String("delete")) return ChangeKind::Delete;
    return ChangeKind::Update;
}

static bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

RecordValues writtenValues(const QMap<QString, QString>& texts) {
    RecordValues values;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        values.insert(it.key(), it.value().isNull() ? QVariant() : QVariant(it.value()));
    return values;
}

RecordValues namedValues(const QStringList& fields, const QVector<QVariant>& values) {
    RecordValues named;
    for (int i = 0; i < fields.size() && i < values.size(); ++i)
        named.insert(fields[i], values[i]);
    return named;
}

RecordValues ownFields(const QStringList& tableFields, const RecordValues& values) {
    RecordValues own;
    for (const QString& field : tableFields)
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (it.key().compare(field, Qt::CaseInsensitive) == 0) {
                own.insert(field, it.value());
                break;
            }
    return own;
}

QVector<FieldChange> deletedFields(const QStringList& fields, const QVector<QVariant>& values) {
    QVector<FieldChange> all;
    for (int i = 0; i < fields.size() && i < values.size(); ++i)
        all.push_back({fields[i], values[i], QVariant()});
    return all;
}

QVector<FieldChange> changedFields(const QStringList& fields, const RecordValues& before,
                                   const RecordValues& after) {
    QVector<FieldChange> changes;
    for (const QString& field : fields) {
        const QVariant was = before.value(field);
        const QVariant now = after.value(field);
        if (!sameValue(was, now)) changes.push_back({field, was, now});
    }
    return changes;
}

QString shownValue(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("(null)");
    QString text = value.toString();
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString storedTime(const QDateTime& at) {
    return at.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime timeFromStored(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
}

static QString signedInUser() {
    for (const char* name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty()) return user;
    }
    // Started without a login's environment (a service, a display manager's session script): the
    // account itself.
    if (const passwd* account = ::getpwuid(::geteuid())) return QString::fromLocal8Bit(account->pw_name);
    return QString();
}

const Author& thisAuthor() {
    static const Author author{QSysInfo::machineHostName(), signedInUser()};
    return author;
}
