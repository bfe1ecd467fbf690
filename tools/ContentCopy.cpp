#include "tools/ContentCopy.h"

#include "data/catalogue/Catalogue.h"
#include "data/sharing/FileCopy.h"
#include "data/storage/Engines.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"

namespace contentcopy {

Report copy(const QString& from, const QString& to, const QString& role) {
    Report report;
    RoutingProvider sources;
    // One salt and one key derivation for the whole folder.
    engines::NewFileKey key;
    const std::unique_ptr<FileCreator> target = engines::creatorFor(to, key, role);
    for (const catalogue::FileSpec& file : catalogue::files()) {
        if (file.folder != catalogue::Folder::Data) continue;
        const QString path = target->pathOf(file.constant);
        try {
            const std::shared_ptr<Database> source =
                sources.open(from + file.constant, catalogue::connectString());
            std::unique_ptr<FileBuilder> builder;
            try {
                builder = target->create(file.constant);
            } catch (const FileExistsError&) {
                report.skipped << path;
                continue;
            }
            copyFileContent(*source, file, *builder);
            builder->commit();
            report.copied << path;
        } catch (const StorageError& e) {
            report.failed << QStringLiteral("%1: %2").arg(path, e.message());
        }
    }
    return report;
}

} // namespace contentcopy
