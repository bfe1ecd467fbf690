#pragma once

#include "data/storage/SqlCipherProvider.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>

// The sample legacy station (KLGC 98.1) copied into a temporary folder that tests may damage, and
// readers for the board's files the import makes.
class LegacyStation {
  public:
    LegacyStation();

    static QString sample(); // the unpacked sample, never written to
    QString root() const { return dir_.path(); }
    QString legacyData() const { return root() + QStringLiteral("/legacy/data"); }
    QString legacyProgram() const { return root() + QStringLiteral("/legacy/program"); }
    QString legacyFile(const QString& name) const { return legacyData() + QLatin1Char('/') + name; }

    // Every record of a table of one of the board's files, in record order; a null is an invalid QVariant.
    struct Rows {
        QStringList fields;
        QVector<QVector<QVariant>> records;
        QVariant at(int record, const QString& field) const; // record counts from 1, as the legacy files do
    };
    Rows rows(const QString& path, const QString& table);

  private:
    QTemporaryDir dir_;
    SqlCipherProvider provider_;
};

void copyFolder(const QString& from, const QString& to);
// File name (relative to the folder) -> SHA-256 of its bytes, for every file below the folder.
QMap<QString, QByteArray> snapshot(const QString& folder);
QByteArray fileBytes(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Replaces every UTF-16LE occurrence of a name in a legacy file's bytes; returns how many there were.
int renameInFile(const QString& path, const QString& from, const QString& to);

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
