#include "import/Importer.h"

#include "data/catalogue/Paths.h"
#include "data/storage/Engines.h"
#include "data/storage/StorageError.h"
#include "import/LegacyFolder.h"
#include "import/LegacyReader.h"
#include "import/TargetFolder.h"
#include "tools/Installation.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>

namespace legacy_import {

namespace {

using Outcome = FileResult::Outcome;
using Trouble = FileResult::Trouble;

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
        // A damaged file taken as it is may name a field twice: the first is taken.
        if (source.contains(i) || legacy.binaryFields.contains(legacy.fields[i]) ||
            indexOfIgnoringCase(columns, legacy.fields[i]) >= 0)
            continue;
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
    engines::NewFileKey key(keying.salt, keying.key);
    const std::unique_ptr<FileBuilder> builder = engines::createFile(target, key);
    QStringList legacyNames;
    for (const legacy::Table& t : tables)
        legacyNames << t.name;
    QVector<bool> used(tables.size(), false);
    for (const catalogue::TableSpec& t : file.tables) {
        const int i = indexOfIgnoringCase(legacyNames, t.name);
        if (i >= 0) used[i] = true;
        if (i >= 0 && !tables[i].unreadable) {
            copyTable(*builder, tables[i], &t, result);
            continue;
        }
        // As the installation makes it: the fields, and the one blank record of a single-record table.
        builder->createTable(t.name, t.fields);
        const bool single = t.records == catalogue::Records::Single;
        if (single) builder->insert(t.name, {});
        result.tables.push_back({t.name, single ? 1 : 0});
        result.notes << (i >= 0 ? QStringLiteral("table \"%1\" could not be read; created blank")
                                : QStringLiteral("table \"%1\" not in the legacy file; created blank"))
                            .arg(t.name);
    }
    for (int i = 0; i < tables.size(); ++i) {
        if (used[i] || tables[i].unreadable ||
            indexOfIgnoringCase(legacyNames.mid(0, i), legacyNames[i]) >= 0)
            continue;
        copyTable(*builder, tables[i], nullptr, result);
        result.notes
            << QStringLiteral("table \"%1\" unknown to the board; copied as it is").arg(tables[i].name);
    }
    builder->commit();
}

QStringList namesOf(const QVector<legacy::Table>& tables) {
    QStringList names;
    for (const legacy::Table& t : tables)
        names << t.name;
    return names;
}

QStringList knownNames(const QVector<catalogue::TableSpec>& tables) {
    QStringList names;
    for (const catalogue::TableSpec& t : tables)
        names << t.name;
    return names;
}

QStringList unknownOf(const QStringList& present, const QStringList& known) {
    QStringList unknown;
    for (const QString& n : present)
        if (indexOfIgnoringCase(known, n) < 0) unknown << n;
    return unknown;
}

QStringList repeatedOf(const QStringList& names) {
    QStringList repeated;
    for (int i = 0; i < names.size(); ++i)
        if (indexOfIgnoringCase(names.mid(0, i), names[i]) >= 0 &&
            indexOfIgnoringCase(repeated, names[i]) < 0)
            repeated << names[i];
    return repeated;
}

// What a known table of the file has lost: a field gone while one the board does not know stands
// in its place (a damaged name), or a field that is no longer text.
void fieldDamage(const catalogue::TableSpec& known, const legacy::Table& table, QStringList& damage) {
    QStringList missing;
    for (const QString& f : known.fields)
        if (indexOfIgnoringCase(table.fields, f) < 0) missing << f;
    const QStringList unknown = unknownOf(table.fields, known.fields);
    if (missing.size() == known.fields.size() && !known.fields.isEmpty())
        damage << QStringLiteral("its %1 table has lost its fields, so nothing of it would be taken")
                      .arg(known.name);
    else if (!missing.isEmpty() && !unknown.isEmpty())
        damage << QStringLiteral("in its %1 table the field(s) %2 are missing while unknown %3 are there, "
                                 "so %2 would be taken empty")
                      .arg(known.name, quotedList(missing), quotedList(unknown));
    for (const QString& f : table.otherKindFields)
        if (indexOfIgnoringCase(known.fields, f) >= 0)
            damage << QStringLiteral(
                          "the field \"%1\" of its %2 table is no longer text, so its text would be lost")
                          .arg(f, known.name);
    for (const QString& f : repeatedOf(table.fields))
        damage << QStringLiteral("its %1 table holds the field \"%2\" twice").arg(table.name, f);
}

// " (it holds "Pr.p" instead)": what a file holds in place of its own tables, if anything.
QString instead(const QStringList& unknown) {
    return unknown.isEmpty() ? QString() : QStringLiteral(" (it holds %1 instead)").arg(quotedList(unknown));
}

} // namespace

// What the catalogue shows to be lost. A station's older files may lack a field or a table; they
// never have one missing while an unknown one stands in its place, hold none of their tables, nor
// lose a few hours of a day.
QStringList damageIn(const catalogue::FileSpec& file, const QVector<legacy::Table>& tables) {
    QStringList damage;
    const QStringList present = namesOf(tables);
    const QStringList known = knownNames(file.tables);
    const QStringList unknown = unknownOf(present, known);
    QStringList missing, missingHours;
    for (const catalogue::TableSpec& table : file.tables) {
        const int i = indexOfIgnoringCase(present, table.name);
        if (i >= 0) {
            if (!tables[i].unreadable) fieldDamage(table, tables[i], damage);
            continue;
        }
        missing << table.name;
        if (catalogue::hourTables().contains(table.name)) missingHours << table.name;
    }
    if (!known.isEmpty() && missing.size() == known.size())
        damage << (known.size() == 1
                       ? QStringLiteral("its %1 table is missing%2, so nothing of it would be taken")
                             .arg(known.first(), instead(unknown))
                       : QStringLiteral("none of its %1 tables is there%2, so nothing of it would "
                                        "be taken")
                             .arg(known.size())
                             .arg(instead(unknown)));
    else if (!missing.isEmpty() && !unknown.isEmpty())
        damage << QStringLiteral("its table(s) %1 are missing while unknown %2 are there, so %1 would be "
                                 "taken blank")
                      .arg(missing.join(QStringLiteral(", ")), quotedList(unknown));
    else if (!missingHours.isEmpty() && missingHours.size() < catalogue::hourTables().size())
        damage
            << QStringLiteral("the hour table(s) %1 are gone").arg(missingHours.join(QStringLiteral(", ")));
    for (const QString& t : repeatedOf(present))
        damage << QStringLiteral("it holds the table %1 twice").arg(t);
    for (const legacy::Table& t : tables)
        for (const QString& d : t.damage)
            damage << (t.unreadable ? d : QStringLiteral("table %1, %2").arg(t.name, d));
    return damage;
}

namespace {

// "Z:/klgc/Data/", "Z:\klgc", "\\STUDIO-B\Cuepilot": paths the board on this system cannot reach.
bool looksLikeWindows(const QString& path) {
    static const QRegularExpression windows(QStringLiteral(R"(^([A-Za-z]:[\\/]|\\\\|//[^/])|\\)"));
    return windows.match(path).hasMatch();
}

QVector<WindowsPath> windowsPathsIn(const QVector<legacy::Table>& tables) {
    QVector<WindowsPath> found;
    for (const legacy::Table& t : tables) {
        const bool locations = t.name.compare(catalogue::kLocationTable, Qt::CaseInsensitive) == 0;
        const bool setup = t.name.compare(catalogue::kSetupTable, Qt::CaseInsensitive) == 0;
        if (!locations && !setup) continue;
        const int pathField =
            indexOfIgnoringCase(t.fields, locations ? QStringLiteral("Location") : QStringLiteral("Setup"));
        const int nameField = indexOfIgnoringCase(t.fields, QStringLiteral("LocationName"));
        if (pathField < 0) continue;
        for (const QVector<QVariant>& record : t.records) {
            const QString path = record[pathField].toString();
            if (!looksLikeWindows(path)) continue;
            const QString name = locations && nameField >= 0 ? record[nameField].toString()
                                                             : QStringLiteral("the data folder");
            found.push_back({name, path});
        }
    }
    return found;
}

bool isRegularFile(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// One file of the board: made blank, or taken from its legacy file.
class FileImport {
  public:
    FileImport(const catalogue::FileSpec& file, const Options& options, const installation::Keying& keying,
               const TargetFolder& target, Report& report)
        : file_(file), options_(options), keying_(keying), target_(target), report_(report) {
        result_.name = QFileInfo(paths::fold(file.constant)).fileName();
    }

    FileResult blank() {
        return place(Outcome::CreatedBlank, [&](const QString& path) {
            installation::createBlank(path, file_, keying_.key, keying_.salt);
            result_.notes << QStringLiteral(
                "not in the legacy folder; created blank, as cuepilot-init makes it");
            for (const catalogue::TableSpec& t : file_.tables)
                result_.tables.push_back({t.name, t.records == catalogue::Records::Single ? 1 : 0});
        });
    }

    FileResult from(const QStringList& spellings, const LegacyFolder& legacyFolder) {
        if (spellings.size() > 1)
            return skip(Trouble::Unreadable, QStringLiteral("the legacy folder holds it under %1 names (%2); "
                                                            "keep the station's one and run again")
                                                 .arg(spellings.size())
                                                 .arg(spellings.join(QStringLiteral(", "))));
        const QString legacyPath = legacyFolder.pathOf(spellings.first());
        if (!isRegularFile(legacyPath))
            return skip(Trouble::Unreadable, QStringLiteral("not a regular file"));
        if (target_.holds(result_.name)) return alreadyThere();
        legacy::Reading reading;
        try {
            // Jet ignores the password given when a file has none, so the board opened such a file too.
            const QString password = legacy::passwordOf(legacyPath);
            if (!options_.anyPassword && !password.isEmpty() && password != catalogue::kPassword)
                return skip(Trouble::OtherPassword,
                            QStringLiteral("its database password is not the station's"));
            reading = legacy::readApart(legacyPath, options_.limits);
        } catch (const legacy::ReadError& e) {
            return skip(Trouble::Unreadable, e.why());
        }
        result_.messages = reading.messages;
        // A file with a Jet 4.0 header that cannot be read to its end is damaged (cut short, or worse).
        if (reading.result != legacy::Reading::Result::Read) return skip(Trouble::Damaged, reading.why);
        const QStringList damage = damageIn(file_, reading.tables);
        if (!damage.isEmpty() && !options_.keepDamaged)
            return skip(Trouble::Damaged, damage.join(QStringLiteral("; ")));
        place(Outcome::Copied,
              [&](const QString& path) { copyFile(path, file_, reading.tables, keying_, result_); });
        if (result_.outcome != Outcome::Copied) return result_;
        report_.windowsPaths += windowsPathsIn(reading.tables);
        if (!damage.isEmpty()) {
            result_.trouble = Trouble::Damaged;
            result_.reason = damage.join(QStringLiteral("; "));
            result_.whole = false;
        }
        return result_;
    }

  private:
    FileResult skip(Trouble trouble, const QString& why) {
        result_.outcome = Outcome::Skipped;
        result_.trouble = trouble;
        result_.reason = why;
        result_.tables.clear();
        result_.notes.clear();
        return result_;
    }
    FileResult alreadyThere() {
        return skip(Trouble::AlreadyThere, QStringLiteral("already in the target folder; left as it is"));
    }

    FileResult place(Outcome outcome, const std::function<void(const QString&)>& build) {
        try {
            if (target_.place(result_.name, build) == TargetFolder::Placed::AlreadyThere)
                return alreadyThere();
            result_.outcome = outcome;
            return result_;
        } catch (const StorageError& e) {
            return skip(Trouble::CannotBeWritten, QStringLiteral("cannot be written: ") + e.message());
        }
    }

    const catalogue::FileSpec& file_;
    const Options& options_;
    const installation::Keying& keying_;
    const TargetFolder& target_;
    Report& report_;
    FileResult result_;
};

QStringList printableEach(const QStringList& texts) {
    QStringList out;
    for (const QString& t : texts)
        out << printable(t);
    return out;
}

// Everything the report says that came from the legacy folder's names or the files' content.
void makePrintable(Report& report) {
    for (FileResult& f : report.files) {
        f.reason = printable(f.reason);
        f.notes = printableEach(f.notes);
        f.messages = printableEach(f.messages.split(QLatin1Char('\n'))).join(QLatin1Char('\n'));
        for (TableResult& t : f.tables)
            t.name = printable(t.name);
    }
    report.otherKindFiles = printableEach(report.otherKindFiles);
    report.unknownFiles = printableEach(report.unknownFiles);
    for (WindowsPath& w : report.windowsPaths) {
        w.name = printable(w.name);
        w.path = printable(w.path);
    }
}

} // namespace

Report run(const Options& options) {
    LegacyFolder legacy(options.legacyFolder);
    bool anyStationFile = false;
    for (const catalogue::FileSpec& file : catalogue::files())
        anyStationFile =
            anyStationFile || (file.folder == options.kind &&
                               legacy.contains(QFileInfo(paths::fold(file.constant)).fileName()));
    if (!anyStationFile)
        throw StorageError(QStringLiteral("%1 holds none of the station's %2 files; nothing was made")
                               .arg(options.legacyFolder, options.kind == catalogue::Folder::Data
                                                              ? QStringLiteral("content")
                                                              : QStringLiteral("setup")));
    const TargetFolder target(options.targetFolder, options.legacyFolder);

    const installation::Keying keying = installation::newKeying();
    Report report;
    report.kind = options.kind;
    for (const catalogue::FileSpec& file : catalogue::files()) {
        const QString name = QFileInfo(paths::fold(file.constant)).fileName();
        if (file.folder != options.kind) {
            // A station that kept its content beside the program has both kinds in one folder.
            report.otherKindFiles << legacy.take(name);
            continue;
        }
        FileImport one(file, options, keying, target, report);
        const QStringList spellings = legacy.take(name);
        report.files.push_back(spellings.isEmpty() ? one.blank() : one.from(spellings, legacy));
    }
    report.unknownFiles = legacy.rest();
    makePrintable(report);
    return report;
}

} // namespace legacy_import
