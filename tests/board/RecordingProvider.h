#pragma once

#include "data/storage/SqlCipherProvider.h"

#include <QString>
#include <QVector>

// The real engine, noting every table a data control opens (successfully), so a test can tell which
// refreshes a tick made.
class RecordingProvider : public DatabaseProvider {
  public:
    struct Open {
        QString path; // folded, as the engine sees it
        QString table;
    };

    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;

    QVector<Open> opens;
    SqlCipherProvider engine;
};
