#include "tools/Installation.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/storage/SqlCipherProvider.h"
#include "data/storage/StorageError.h"
#include "tools/DemoContent.h"

#include <QRandomGenerator>

namespace installation {

namespace {

void fill(FileBuilder& builder, const catalogue::FileSpec& file, const Options& options) {
    for (const catalogue::TableSpec& table : file.tables) {
        builder.createTable(table.name, table.fields);
        QVector<FieldValues> records =
            options.demo ? demo::recordsFor(file.constant, table.name) : QVector<FieldValues>();
        if (table.name == catalogue::kSetupTable)
            records = {{{"Setup", options.setupPath}, {"SetupName", options.stationName}}};
        // Single-record tables hold their one record from the start.
        if (records.isEmpty() && table.records == catalogue::Records::Single) records.push_back({});
        for (const FieldValues& r : records)
            builder.insert(table.name, r);
    }
    builder.commit();
}

void buildFile(FileCreator& creator, const catalogue::FileSpec& file, const Options& options) {
    fill(*creator.create(file.constant), file, options);
}

} // namespace

Keying newKeying() {
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return {salt, SqlCipherProvider::deriveKey(catalogue::kPassword, salt)};
}

void createBlank(const QString& path, const catalogue::FileSpec& file, const QByteArray& key,
                 const QByteArray& salt) {
    fill(*SqlCipherProvider::createFile(path, key, salt), file, Options());
}

Report create(const Options& options) {
    // One salt and one key derivation for all the files of the run.
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    QByteArray key;
    auto folder = [&](const QString& path) {
        if (key.isEmpty()) key = SqlCipherProvider::deriveKey(catalogue::kPassword, salt);
        return SqlCipherProvider::folderCreator(path, key, salt);
    };
    std::unique_ptr<FileCreator> program =
        options.programFolder.isEmpty() ? nullptr : folder(options.programFolder);
    std::unique_ptr<FileCreator> data;
    if (paths::isServer(options.dataFolder))
        data = PostgresProvider::serverCreator(options.dataFolder, options.serverRole);
    else if (!options.dataFolder.isEmpty())
        data = folder(options.dataFolder);

    Report report;
    // The record of reads on air belongs to a new installation, though to no imported one.
    for (const catalogue::FileSpec& file : catalogue::files() + QVector{catalogue::airedFile()}) {
        FileCreator* creator = file.folder == catalogue::Folder::Program ? program.get() : data.get();
        if (!creator) continue;
        const QString path = creator->pathOf(file.constant);
        try {
            buildFile(*creator, file, options);
        } catch (const FileExistsError&) {
            report.skipped << path;
            continue;
        }
        report.created << path;
    }
    return report;
}

} // namespace installation
