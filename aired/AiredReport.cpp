#include "aired/AiredReport.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace airedreport {

namespace {

QString day(const QDateTime& at) {
    return at.toString(QStringLiteral("yyyy-MM-dd"));
}
QString time(const QDateTime& at) {
    return at.toString(QStringLiteral("HH:mm:ss"));
}

// A cell as a spreadsheet takes it: quoted where it holds a separator, a quote or a line end, and
// never read as a formula (a copy named "=HYPERLINK(...)" stays text; a spreadsheet skips a leading
// tab or line end before it looks for one).
QString cell(QString value) {
    if (!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front()))
        value.prepend(QLatin1Char('\''));
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        value.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

// One line of the text report for whatever a name holds.
QString oneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return value;
}

QString counted(qsizetype n, const QString& one, const QString& many) {
    return QString::number(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

} // namespace

QVector<CopyReads> grouped(QVector<AiredRead> reads) {
    std::stable_sort(reads.begin(), reads.end(), [](const AiredRead& a, const AiredRead& b) {
        const int byName = a.copy.compare(b.copy, Qt::CaseInsensitive);
        if (byName != 0) return byName < 0;
        if (a.library != b.library) return a.library < b.library;
        return a.at < b.at;
    });
    QVector<CopyReads> out;
    for (const AiredRead& r : reads) {
        if (out.isEmpty() || out.back().copy != r.copy || out.back().library != r.library)
            out.push_back({r.copy, r.library, {}});
        out.back().reads.push_back(r);
    }
    return out;
}

QString text(const QVector<CopyReads>& groups, const QDate& from, const QDate& to) {
    const QLocale english = QLocale::c();
    const QString format = QStringLiteral("MMM d yyyy");
    QString out = QStringLiteral("Reads on air %1 to %2\n")
                      .arg(english.toString(from, format), english.toString(to, format));
    int total = 0;
    for (const CopyReads& g : groups) {
        const qsizetype n = g.reads.size();
        out += QStringLiteral("\n%1 (%2): %3\n")
                   .arg(oneLine(g.copy), oneLine(g.library), counted(n, "read", "reads"));
        for (const AiredRead& r : g.reads)
            out += QStringLiteral("  %1  %2  %3  %4  %5\n")
                       .arg(day(r.at), time(r.at), oneLine(r.studio), oneLine(r.user), r.fingerprint);
        total += int(n);
    }
    out += QStringLiteral("\nTotal: %1 of %2\n")
               .arg(counted(total, "read", "reads"), counted(groups.size(), "copy", "copies"));
    return out;
}

QString csv(const QVector<CopyReads>& groups, bool byteOrderMark) {
    QString out = QStringLiteral("Copy,Library,Read,Date,Time,Studio,User,Fingerprint\r\n");
    // Some spreadsheets take a file for UTF-8 only by its byte-order mark.
    if (byteOrderMark) out.prepend(QChar(0xFEFF));
    for (const CopyReads& g : groups) {
        int n = 0;
        for (const AiredRead& r : g.reads) {
            const QStringList row = {cell(r.copy), cell(r.library),    QString::number(++n),
                                     day(r.at),    time(r.at),         cell(r.studio),
                                     cell(r.user), cell(r.fingerprint)};
            out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
    }
    return out;
}

} // namespace airedreport
