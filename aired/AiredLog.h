#pragma once

#include "data/storage/Database.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

// One confirmed read of a copy on air: when, where, by whom, which copy and what its text was.
struct AiredRead {
    QString id;          // unique, so a mistaken press can be taken back
    QDateTime at;        // the board's clock, to the second
    QString studio;      // the computer
    QString user;        // who was signed in on it
    QString library;     // "Live", "Promo", ...: the library file the copy is in
    QString copy;        // the copy's name
    QString fingerprint; // of the text as read: a later edit of the copy shows as another text
};

// The record of reads in Aired.mdb of a data folder (or its schema on a server), through the
// storage layer's own interfaces. Every failure throws StorageError with the engine's words.
class AiredLog {
  public:
    // path: the data folder text (or server address) followed by the file constant.
    AiredLog(DatabaseProvider& provider, QString path);

    // The file of a data folder text, the program folder standing in for an empty text.
    static QString pathIn(const QString& folderText, const QString& programFolder);
    // 16 hex digits of the SHA-256 of the text, line ends folded: enough to tell two texts apart.
    static QString fingerprint(const QString& text);

    // Stores a read by this computer and user. Makes the file first where it is missing.
    AiredRead record(const QString& library, const QString& copy, const QString& text, const QDateTime& at);
    // Takes a read back; false when it is not there (any more).
    bool remove(const QString& id);
    // The latest read of that copy on that day, searched from the newest record back; none where
    // the folder has no file yet.
    std::optional<QDateTime> lastReadOn(const QString& library, const QString& copy, const QDate& day);
    // Every read on the days from..to, of one copy where a name is given, in record order.
    QVector<AiredRead> readsBetween(const QDate& from, const QDate& to, const QString& copy = QString());
    // Changes whenever anyone stored or took back a read; the file must exist.
    quint64 changeStamp();

    QString path() const { return path_; }

  private:
    bool missingFile() const;
    std::unique_ptr<Recordset> openTable();
    // As openTable, making a missing file first.
    std::unique_ptr<Recordset> openOrCreateTable();
    void create();

    DatabaseProvider& provider_;
    QString path_;
};
