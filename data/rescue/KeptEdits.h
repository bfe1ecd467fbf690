#pragma once

#include "data/storage/Recordset.h"

#include <QObject>
#include <QString>
#include <QVector>

class DatabaseProvider;

// Text that could not be stored when its data control moved on or closed: the share was locked,
// read-only or away, or another studio had changed or deleted the record. It is kept in a file on
// this computer (never on the share), so a restart does not lose it, and written again later.
struct KeptEdit {
    QString file; // the database file as the data control named it
    QString table;
    QByteArray key; // the record's bookmark; empty for a new record
    FieldValues fields;
    ExpectedValues expected;
    QString reason;        // the engine's words
    bool conflict = false; // another studio changed the record: only a person can settle it
};

class KeptEdits : public QObject {
    Q_OBJECT
  public:
    explicit KeptEdits(QString storePath, QObject* parent = nullptr);

    QString storePath() const { return storePath_; }
    const QVector<KeptEdit>& edits() const { return edits_; }
    bool hasRetryable() const;

    // Saved to the store file before returning; announces what was kept and why.
    void keep(KeptEdit edit);
    // Writes every kept edit that is not a conflict again, through the engine, with the same
    // record and old-value checks as the first try. Returns how many were stored.
    int retry(DatabaseProvider& provider, const QString& connect);
    // What a presenter should know of the store: empty when nothing is kept.
    QString notice() const;

  signals:
    void changed(const QString& notice);

  private:
    void load();
    void save();

    QString storePath_;
    QVector<KeptEdit> edits_;
    bool saved_ = true; // the store file holds what is kept
};
