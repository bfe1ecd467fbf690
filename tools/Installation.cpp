#include "tools/Installation.h"

#include "data/Catalogue.h"
#include "data/Paths.h"
#include "data/SqlCipherProvider.h"
#include "data/StorageError.h"
#include "tools/DemoContent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace installation {

namespace {

void buildFile(const QString& path, const catalogue::FileSpec& file, const Options& options,
               const QByteArray& key, const QByteArray& salt) {
    auto builder = SqlCipherProvider::createFile(path, key, salt);
    for (const catalogue::TableSpec& table : file.tables) {
        builder->createTable(table.name, table.fields);
        QVector<FieldValues> records =
            options.demo ? demo::recordsFor(file.constant, table.name) : QVector<FieldValues>();
        if (table.name == catalogue::kSetupTable)
            records = {{{"Setup", options.setupPath}, {"SetupName", options.stationName}}};
        // Single-record tables hold their one record from the start.
        if (records.isEmpty() && table.records == catalogue::Records::Single) records.push_back({});
        for (const FieldValues& r : records)
            builder->insert(table.name, r);
    }
    builder->commit();
}

} // namespace

Keying newKeying() {
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return {salt, SqlCipherProvider::deriveKey(catalogue::kPassword, salt)};
}

void createBlank(const QString& path, const catalogue::FileSpec& file, const QByteArray& key,
                 const QByteArray& salt) {
    buildFile(path, file, Options(), key, salt);
}

Report create(const Options& options) {
    Report report;
    for (const QString& folder : {options.programFolder, options.dataFolder})
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            throw StorageError(QStringLiteral("cannot create folder %1").arg(folder));

    // One salt and one key derivation for the whole run.
    const Keying keying = newKeying();

    for (const catalogue::FileSpec& file : catalogue::files()) {
        const QString folder =
            file.folder == catalogue::Folder::Program ? options.programFolder : options.dataFolder;
        if (folder.isEmpty()) continue;
        const QString path = paths::fold(folder + file.constant);
        try {
            buildFile(path, file, options, keying.key, keying.salt);
        } catch (const FileExistsError&) {
            report.skipped << path;
            continue;
        }
        report.created << path;
    }
    return report;
}

} // namespace installation
