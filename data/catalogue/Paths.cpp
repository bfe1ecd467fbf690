#include "data/catalogue/Paths.h"

#include <QRegularExpression>

namespace paths {

namespace {

// Length of the "scheme://" prefix of a server address, 0 for a folder path.
int serverPrefixLength(const QString& text) {
    for (const QLatin1String scheme : {QLatin1String("postgresql://"), QLatin1String("postgres://")})
        if (text.startsWith(scheme, Qt::CaseInsensitive)) return int(scheme.size());
    return 0;
}

} // namespace

QString fold(const QString& path) {
    const int prefix = serverPrefixLength(path);
    QString p = path.mid(prefix);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool unc = prefix == 0 && p.startsWith(QLatin1String("//")) && !p.startsWith(QLatin1String("///"));
    // An empty host ("postgresql:///station") keeps its third slash: it starts the database name.
    static const QRegularExpression runs(QStringLiteral("/{2,}"));
    p.replace(runs, QStringLiteral("/"));
    if (unc) p.prepend(QLatin1Char('/'));
    return path.left(prefix) + p;
}

QString passwordOf(const QString& connect) {
    // Connect strings are ";"-separated key=value pairs; keys are case-insensitive.
    const QStringList parts = connect.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Pwd"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return QString();
}

QString withFallback(const QString& folderText, const QString& programFolder, const QString& fileConstant) {
    return (folderText.isEmpty() ? programFolder : folderText) + fileConstant;
}

bool isServer(const QString& text) {
    return serverPrefixLength(text) > 0;
}

ServerFile splitServerFile(const QString& path) {
    const int prefix = serverPrefixLength(path);
    const QString folded = fold(path);
    // The address needs its host part: "postgresql://host/db" has its database after the first
    // slash past the prefix, and the file constant comes after the last one.
    const int databaseSlash = folded.indexOf(QLatin1Char('/'), prefix);
    const int lastSlash = folded.lastIndexOf(QLatin1Char('/'));
    if (prefix == 0 || databaseSlash < 0 || lastSlash == databaseSlash) return {folded, QString()};
    return {folded.left(lastSlash), folded.mid(lastSlash + 1)};
}

QString withoutPassword(const QString& text) {
    static const QRegularExpression userPassword(
        QStringLiteral(R"((postgres(?:ql)?://[^:/@\s]*):[^@/\s]*@)"));
    static const QRegularExpression setting(QStringLiteral(R"([?&]password=[^&\s]*)"),
                                            QRegularExpression::CaseInsensitiveOption);
    // "db?password=x&sslmode=require" lost its "?" with the setting.
    static const QRegularExpression firstSetting(QStringLiteral(R"((postgres(?:ql)?://[^?&\s]*)&)"));
    QString out = text;
    out.replace(userPassword, QStringLiteral("\\1@"));
    out.replace(setting, QString());
    out.replace(firstSetting, QStringLiteral("\\1?"));
    return out;
}

} // namespace paths
