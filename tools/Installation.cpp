#include "tools/Installation.h"

#include "data/catalogue/Catalogue.h"
#include "data/storage/Engines.h"
#include "data/storage/StorageError.h"
#include "tools/DemoContent.h"

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
    engines::NewFileKey key;
    return {key.salt(), key.rawKey()};
}

void createBlank(const QString& path, const catalogue::FileSpec& file, const QByteArray& key,
                 const QByteArray& salt) {
    engines::NewFileKey keying(salt, key);
    fill(*engines::createFile(path, keying), file, Options());
}

Report create(const Options& options) {
    // One salt and one key derivation for all the files of the run.
    engines::NewFileKey key;
    Report report;
    // A folder that cannot be made fails each of its files, with its reason.
    QString programFailure, dataFailure;
    auto creator = [&](const QString& folderOrServer, QString& failure) -> std::unique_ptr<FileCreator> {
        if (folderOrServer.isEmpty()) return nullptr;
        try {
            return engines::creatorFor(folderOrServer, key, options.serverRole);
        } catch (const StorageError& e) {
            if (!options.goOnPastFailures) throw;
            failure = e.message();
            return nullptr;
        }
    };
    const std::unique_ptr<FileCreator> program = creator(options.programFolder, programFailure);
    const std::unique_ptr<FileCreator> data = creator(options.dataFolder, dataFailure);

    // The record of reads on air belongs to a new installation, though to no imported one.
    for (const catalogue::FileSpec& file : catalogue::files() + QVector{catalogue::airedFile()}) {
        const bool inProgram = file.folder == catalogue::Folder::Program;
        FileCreator* creator = inProgram ? program.get() : data.get();
        const QString& folderFailure = inProgram ? programFailure : dataFailure;
        if (!creator) {
            if (!folderFailure.isEmpty())
                report.failed << QStringLiteral("%1 in %2: %3")
                                     .arg(file.constant.mid(1),
                                          inProgram ? options.programFolder : options.dataFolder,
                                          folderFailure);
            continue;
        }
        const QString path = creator->pathOf(file.constant);
        try {
            buildFile(*creator, file, options);
        } catch (const FileExistsError&) {
            report.skipped << path;
            continue;
        } catch (const StorageError& e) {
            if (!options.goOnPastFailures) throw;
            report.failed << QStringLiteral("%1: %2").arg(path, e.message());
            continue;
        }
        report.created << path;
    }
    return report;
}

} // namespace installation
