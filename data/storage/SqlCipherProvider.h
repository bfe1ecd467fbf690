#pragma once

#include "data/storage/Database.h"
#include "data/storage/FileBuilder.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct FileIdentity;

// The SQLCipher engine. One open connection per file per process, shared by every data control
// that points at the file, so no file pays its key derivation twice in a run; raw keys are also
// cached per salt, so files that share a salt derive one key in all.
class SqlCipherProvider : public DatabaseProvider {
  public:
    SqlCipherProvider();
    ~SqlCipherProvider() override;

    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;
    QVector<std::shared_ptr<const TableSnapshot>>
    openAheadReading(const QString& path, const QString& connect, const QStringList& tables) override;
    std::shared_ptr<Database> openKnown(const QString& path, const QString& connect,
                                        const TableSnapshot& snapshot) override;

    // Creates a new database file keyed with the raw key of the password over the salt, and keeps
    // it open in one transaction while its tables are built. Never overwrites: throws FileExistsError
    // when the file exists. A builder destroyed before commit removes its file. Used by the tools.
    static std::unique_ptr<FileBuilder> createFile(const QString& path, const QByteArray& rawKey,
                                                   const QByteArray& salt);
    // New files in a folder (made when missing), as createFile makes them.
    static std::unique_ptr<FileCreator> folderCreator(const QString& folder, const QByteArray& rawKey,
                                                      const QByteArray& salt);

    // Whether writes through the connections opened from now on are kept in their files' history
    // (always, but for the benchmark, which measures what keeping it costs).
    void setKeepHistory(bool keep) { keepHistory_ = keep; }

    // Number of key derivations done so far (for the benchmark and tests).
    int derivations() const { return derivations_; }

    // The raw 32-byte key of a passphrase over a salt (PBKDF2-HMAC-SHA1, 64,000 rounds).
    static QByteArray deriveKey(const QString& password, const QByteArray& salt);

  private:
    QByteArray keyFor(const QString& password, const QByteArray& salt);
    // readFirst, when given, reads through the new connection in the very read that tries its key.
    std::shared_ptr<Database> connectTo(const QString& folded, const QString& password,
                                        const FileIdentity& id,
                                        const std::function<void(Database&)>& readFirst = nullptr);
    std::shared_ptr<Database> takeAhead(const QString& cacheKey, const FileIdentity& id);
    std::shared_ptr<Database> openAs(const QString& cacheKey);
    void forgetOpen(const QString& cacheKey);

    // Guards what follows: each share's worker opens its own files, and open-ahead runs elsewhere.
    // Only the lists are guarded; a file is only ever opened by the worker of its share.
    QMutex mutex_;
    QHash<QString, std::shared_ptr<Database>> open_;
    QHash<QString, std::shared_ptr<Database>> ahead_;
    QHash<QByteArray, QByteArray> keys_;
    int derivations_ = 0;
    bool keepHistory_ = true;
};
