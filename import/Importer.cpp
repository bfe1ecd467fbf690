#include "import/Importer.h"

#include "data/catalogue/Paths.h"
#include "data/storage/SqlCipherProvider.h"
#include "data/storage/StorageError.h"
#include "import/LegacyReader.h"
#include "tools/Installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace legacy_import {

namespace {

using Outcome = FileResult::Outcome;

int indexOfIgnoringCase(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString quotedList(const QStringList& names) {
    QStringList q;
    for (const QString& n : names)
        q << QLatin1Char('"') + n + QLatin1Char('"');
    return q.join(QStringLiteral(", "));
}

// Copies one legacy table. The catalogue's fields come first, under the catalogue's spelling;
// a field the legacy table lacks is created empty, since the board binds to it by name.
void copyTable(FileBuilder& builder, const legacy::Table& legacy, const catalogue::TableSpec* known,
               FileResult& result) {
    const QString name = known ? known->name : legacy.name;
    QStringList columns; // as created
    QVector<int> source; // legacy field index per column, -1 for none
    QStringList missing, extra;
    if (known) {
        for (const QString& f : known->fields) {
            const int i = indexOfIgnoringCase(legacy.fields, f);
            columns << f;
            source << i;
            if (i < 0) missing << f;
        }
    }
    for (int i = 0; i < legacy.fields.size(); ++i) {
        if (source.contains(i) || legacy.binaryFields.contains(legacy.fields[i])) continue;
        columns << legacy.fields[i];
        source << i;
        if (known) extra << legacy.fields[i];
    }
    builder.createTable(name, columns);
    for (const QVector<QVariant>& record : legacy.records) {
        FieldValues values;
        for (int c = 0; c < columns.size(); ++c)
            if (source[c] >= 0 && record[source[c]].isValid())
                values.insert(columns[c], record[source[c]].toString());
        builder.insert(name, values);
    }
    int records = int(legacy.records.size());
    if (known && known->records == catalogue::Records::Single && records == 0) {
        builder.insert(name, {});
        records = 1;
        result.notes
            << QStringLiteral("table \"%1\" had no record; its one blank record was added").arg(name);
    }
    if (!missing.isEmpty())
        result.notes << QStringLiteral("table \"%1\": field(s) %2 not in the legacy table; created empty")
                            .arg(name, quotedList(missing));
    if (!extra.isEmpty())
        result.notes << QStringLiteral("table \"%1\": field(s) %2 unknown to the board; copied as they are")
                            .arg(name, quotedList(extra));
    if (!legacy.binaryFields.isEmpty()) {
        result.whole = false;
        result.notes << QStringLiteral("table \"%1\": binary field(s) %2 not copied")
                            .arg(name, quotedList(legacy.binaryFields));
    }
    result.tables.push_back({name, records});
}

void copyFile(const QString& target, const catalogue::FileSpec& file, const QVector<legacy::Table>& tables,
              const installation::Keying& keying, FileResult& result) {
    auto builder = SqlCipherProvider::createFile(target, keying.key, keying.salt);
    QStringList legacyNames;
    for (const legacy::Table& t : tables)
        legacyNames << t.name;
    QVector<bool> used(tables.size(), false);
    for (const catalogue::TableSpec& t : file.tables) {
        const int i = indexOfIgnoringCase(legacyNames, t.name);
        if (i >= 0) {
            used[i] = true;
            copyTable(*builder, tables[i], &t, result);
            continue;
        }
        // As the installation makes it: the fields, and the one blank record of a single-record table.
        builder->createTable(t.name, t.fields);
        const bool single = t.records == catalogue::Records::Single;
        if (single) builder->insert(t.name, {});
        result.tables.push_back({t.name, single ? 1 : 0});
        result.notes << QStringLiteral("table \"%1\" not in the legacy file; created blank").arg(t.name);
    }
    for (int i = 0; i < tables.size(); ++i) {
        if (used[i]) continue;
        copyTable(*builder, tables[i], nullptr, result);
        result.notes
            << QStringLiteral("table \"%1\" unknown to the board; copied as it is").arg(tables[i].name);
    }
    builder->commit();
}

FileResult importFile(const catalogue::FileSpec& file, const QString& legacyPath, const QString& target,
                      const Options& options, const installation::Keying& keying) {
    FileResult result;
    result.name = QFileInfo(target).fileName();
    const auto skip = [&](const QString& why) {
        result.outcome = Outcome::Skipped;
        result.reason = why;
        result.tables.clear();
        result.notes.clear();
        return result;
    };
    if (QFileInfo::exists(target)) return skip(QStringLiteral("already in the target folder; left as it is"));
    try {
        if (legacyPath.isEmpty()) {
            installation::createBlank(target, file, keying.key, keying.salt);
            result.outcome = Outcome::CreatedBlank;
            result.notes << QStringLiteral(
                "not in the legacy folder; created blank, as cuepilot-init makes it");
            for (const catalogue::TableSpec& t : file.tables)
                result.tables.push_back({t.name, t.records == catalogue::Records::Single ? 1 : 0});
            return result;
        }
        // Jet ignores the password given when a file has none, so the board opened such a file too.
        const QString password = legacy::passwordOf(legacyPath);
        if (!options.anyPassword && !password.isEmpty() && password != catalogue::kPassword)
            return skip(QStringLiteral(
                "its database password is not the station's (--any-password takes it anyway)"));
        const QVector<legacy::Table> tables = legacy::readTables(legacyPath);
        try {
            copyFile(target, file, tables, keying, result);
        } catch (...) {
            QFile::remove(target); // never leave a half-made file that a re-run would take for done
            throw;
        }
        result.outcome = Outcome::Copied;
        return result;
    } catch (const legacy::ReadError& e) {
        return skip(e.why());
    } catch (const StorageError& e) {
        return skip(QStringLiteral("cannot be written: ") + e.message());
    }
}

// The folder as it will be once made: the real path of its deepest existing ancestor, links resolved,
// with the parts still to be made appended.
QString resolvedFolder(const QString& folder) {
    QString existing = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QStringList toMake;
    while (!QFileInfo::exists(existing)) {
        const QFileInfo info(existing);
        toMake.prepend(info.fileName());
        existing = info.path();
    }
    toMake.prepend(QFileInfo(existing).canonicalFilePath());
    return QDir::cleanPath(toMake.join(QLatin1Char('/')));
}

bool isWithin(const QString& folder, const QString& outer) {
    return folder == outer ||
           folder.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

} // namespace

Report run(const Options& options) {
    const QDir legacyDir(options.legacyFolder);
    if (!legacyDir.exists())
        throw StorageError(QStringLiteral("no such folder: %1").arg(options.legacyFolder));
    // Checked before anything is made: not even an empty folder goes into the legacy folder.
    if (isWithin(resolvedFolder(options.targetFolder), legacyDir.canonicalPath()))
        throw StorageError(QStringLiteral("the target folder must lie outside the legacy folder"));
    if (!QDir().mkpath(options.targetFolder))
        throw StorageError(QStringLiteral("cannot create folder %1").arg(options.targetFolder));

    // Legacy names are matched ignoring case: the files come from a case-blind file system.
    QHash<QString, QString> legacyFiles;
    for (const QString& name :
         legacyDir.entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name | QDir::IgnoreCase))
        legacyFiles.insert(name.toLower(), name);

    const installation::Keying keying = installation::newKeying();
    Report report;
    report.kind = options.kind;
    for (const catalogue::FileSpec& file : catalogue::files()) {
        const QString target = paths::fold(options.targetFolder + file.constant);
        const QString key = QFileInfo(target).fileName().toLower();
        if (file.folder != options.kind) {
            // A station that kept its content beside the program has both kinds in one folder.
            if (legacyFiles.contains(key)) report.otherKindFiles << legacyFiles.take(key);
            continue;
        }
        const QString legacyPath =
            legacyFiles.contains(key) ? legacyDir.filePath(legacyFiles.take(key)) : QString();
        report.files.push_back(importFile(file, legacyPath, target, options, keying));
    }
    report.unknownFiles = legacyFiles.values();
    report.unknownFiles.sort(Qt::CaseInsensitive);
    return report;
}

bool Report::everythingTaken() const {
    for (const FileResult& f : files)
        if (f.outcome == Outcome::Skipped || !f.whole) return false;
    return true;
}

QString Report::text() const {
    QString out;
    int copied = 0, blank = 0, skipped = 0, tableCount = 0, recordCount = 0;
    for (const FileResult& f : files) {
        int records = 0;
        QStringList tables;
        for (const TableResult& t : f.tables) {
            records += t.records;
            tables << QStringLiteral("%1 (%2)").arg(t.name).arg(t.records);
        }
        switch (f.outcome) {
        case Outcome::Copied:
            ++copied;
            tableCount += int(f.tables.size());
            recordCount += records;
            out += QStringLiteral("%1: copied%2 %3 table(s), %4 record(s): %5\n")
                       .arg(f.name, f.whole ? QString() : QStringLiteral(" IN PART"))
                       .arg(f.tables.size())
                       .arg(records)
                       .arg(tables.join(QStringLiteral(", ")));
            break;
        case Outcome::CreatedBlank:
            ++blank;
            out += QStringLiteral("%1: MISSING\n").arg(f.name);
            break;
        case Outcome::Skipped:
            ++skipped;
            out += QStringLiteral("%1: SKIPPED, nothing written: %2\n").arg(f.name, f.reason);
            break;
        }
        for (const QString& n : f.notes)
            out += QStringLiteral("    %1\n").arg(n);
    }
    for (const QString& f : otherKindFiles)
        out +=
            QStringLiteral("%1: belongs in the %2 folder; left alone (%3)\n")
                .arg(f, kind == catalogue::Folder::Data ? QStringLiteral("program") : QStringLiteral("data"),
                     kind == catalogue::Folder::Data ? QStringLiteral("take it with --setup")
                                                     : QStringLiteral("take it without --setup"));
    for (const QString& u : unknownFiles)
        out += QStringLiteral("%1: not a file of the board; left alone\n").arg(u);
    out += QStringLiteral(
               "%1 file(s) copied (%2 tables, %3 records), %4 missing and created blank, %5 skipped.\n")
               .arg(copied)
               .arg(tableCount)
               .arg(recordCount)
               .arg(blank)
               .arg(skipped);
    return out;
}

} // namespace legacy_import
