#include "data/Paths.h"

#include <QRegularExpression>

namespace paths {

QString fold(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool unc = p.startsWith(QLatin1String("//")) && !p.startsWith(QLatin1String("///"));
    static const QRegularExpression runs(QStringLiteral("/{2,}"));
    p.replace(runs, QStringLiteral("/"));
    if (unc) p.prepend(QLatin1Char('/'));
    return p;
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

} // namespace paths
