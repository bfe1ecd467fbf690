#pragma once

#include "data/Database.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

// The SQLCipher engine. One open connection per file per process, shared by every data control
// that points at the file, so no file pays its key derivation twice in a run; raw keys are also
// cached per salt, so files that share a salt derive one key in all.
class SqlCipherProvider : public DatabaseProvider {
public:
    SqlCipherProvider();
    ~SqlCipherProvider() override;

    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;

    // Creates a new, empty database file keyed with the password (never overwrites: throws
    // StorageError when the file exists). Used only by the installation tool and tests.
    static void createFile(const QString& path, const QString& password, const QByteArray& salt);
    // Creates a plain table of text fields in an existing file of ours.
    static void createTable(const QString& path, const QString& password, const QString& table,
                            const QStringList& fields);

    // Number of key derivations done so far (for the benchmark and tests).
    int derivations() const { return derivations_; }

    // The raw 32-byte key of a passphrase over a salt (PBKDF2-HMAC-SHA1, 64,000 rounds).
    static QByteArray deriveKey(const QString& password, const QByteArray& salt);

private:
    QByteArray keyFor(const QString& password, const QByteArray& salt);

    QHash<QString, std::shared_ptr<Database>> open_;
    QHash<QByteArray, QByteArray> keys_;
    int derivations_ = 0;
};
