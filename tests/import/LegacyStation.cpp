#include "tests/import/LegacyStation.h"

#include "data/catalogue/Catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <stdexcept>

LegacyStation::LegacyStation() {
    copyFolder(sample() + QStringLiteral("/data"), legacyData());
    copyFolder(sample() + QStringLiteral("/program"), legacyProgram());
}

QString LegacyStation::sample() {
    return QStringLiteral(CUEPILOT_LEGACY_SAMPLE);
}

QVariant LegacyStation::Rows::at(int record, const QString& field) const {
    const int column = int(fields.indexOf(field));
    if (record < 1 || record > records.size() || column < 0)
        throw std::out_of_range(QStringLiteral("no record %1 field %2").arg(record).arg(field).toStdString());
    return records[record - 1][column];
}

LegacyStation::Rows LegacyStation::rows(const QString& path, const QString& table) {
    auto rs = provider_.open(path, catalogue::connectString())->openTable(table);
    Rows out;
    out.fields = rs->fieldNames();
    if (rs->recordCount() == 0) return out;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        QVector<QVariant> record;
        for (const QString& f : out.fields)
            record << rs->value(f);
        out.records << record;
    }
    return out;
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name))
            throw std::runtime_error("cannot copy " + name.toStdString());
}

QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        // A link to a pipe or device is recorded by where it points: reading it could block.
        out[name] = it.fileInfo().isDir() ? QByteArray("folder")
                    : !it.fileInfo().isFile()
                        ? it.fileInfo().symLinkTarget().toUtf8()
                        : QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
    }
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

int renameInFile(const QString& path, const QString& from, const QString& to) {
    const auto utf16 = [](const QString& s) { // names in Jet 4.0 pages are UTF-16, little-endian
        QByteArray out;
        for (QChar c : s)
            out.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        return out;
    };
    QByteArray bytes = fileBytes(path);
    const int count = int(bytes.count(utf16(from)));
    writeFile(path, bytes.replace(utf16(from), utf16(to)));
    return count;
}
