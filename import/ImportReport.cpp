#include "import/Importer.h"

namespace legacy_import {

namespace {

using Outcome = FileResult::Outcome;
using Trouble = FileResult::Trouble;

// "Tag.mdb has another password (run again with --any-password to take it)"
QString whySkipped(const FileResult& f) {
    switch (f.trouble) {
    case Trouble::Damaged:
        return QStringLiteral("%1 is damaged (%2)").arg(f.name, f.reason);
    case Trouble::OtherPassword:
        return QStringLiteral("%1 has another password (run again with --any-password to take it)")
            .arg(f.name);
    case Trouble::AlreadyThere:
        return QStringLiteral("%1 is already in the target folder").arg(f.name);
    case Trouble::CannotBeWritten:
        return QStringLiteral("%1 could not be written (%2)").arg(f.name, f.reason);
    case Trouble::Unreadable:
    case Trouble::None:
        break;
    }
    return QStringLiteral("%1 cannot be read (%2)").arg(f.name, f.reason);
}

QString sentence(const QString& lead, const QStringList& items) {
    return items.isEmpty() ? QString() : lead + items.join(QStringLiteral(", ")) + QStringLiteral(".\n");
}

} // namespace

QString printable(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x2028 || u == 0x2029 ||
                             (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (!control)
            out += c;
        else if (u < 0x100)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return out;
}

bool Report::everythingTaken() const {
    for (const FileResult& f : files)
        if (f.outcome == Outcome::Skipped || !f.whole) return false;
    return true;
}

QString Report::summary() const {
    QStringList skipped, blank, damaged, inPart, leftAlone, windows;
    int taken = 0;
    bool anyDamagedSkipped = false;
    for (const FileResult& f : files) {
        if (f.outcome == Outcome::Copied) ++taken;
        if (f.outcome == Outcome::CreatedBlank) blank << f.name;
        if (f.outcome == Outcome::Skipped) skipped << whySkipped(f);
        anyDamagedSkipped =
            anyDamagedSkipped || (f.outcome == Outcome::Skipped && f.trouble == Trouble::Damaged);
        if (f.outcome == Outcome::Copied && f.trouble == Trouble::Damaged)
            damaged << QStringLiteral("%1 (%2)").arg(f.name, f.reason);
        else if (f.outcome == Outcome::Copied && !f.whole)
            inPart << f.name;
    }
    const QString otherFolder = kind == catalogue::Folder::Data
                                    ? QStringLiteral("program folder (take it with --setup)")
                                    : QStringLiteral("data folder (take it without --setup)");
    for (const QString& f : otherKindFiles)
        leftAlone << QStringLiteral("%1 belongs in the %2").arg(f, otherFolder);
    for (const QString& f : unknownFiles)
        leftAlone << QStringLiteral("%1 is not a file of the board").arg(f);
    for (const WindowsPath& w : windowsPaths)
        windows << QStringLiteral("%1 (%2)").arg(w.name, w.path);

    QString out = QStringLiteral("%1 of %2 files taken").arg(taken).arg(files.size());
    out += skipped.isEmpty() ? QStringLiteral(".\n")
                             : QStringLiteral("; %1 skipped: %2.\n")
                                   .arg(skipped.size())
                                   .arg(skipped.join(QStringLiteral(", ")));
    out += sentence(QStringLiteral("Not in the legacy folder, so made blank: "), blank);
    out += sentence(QStringLiteral("Taken although damaged: "), damaged);
    out += sentence(QStringLiteral("Taken without their binary (OLE) fields: "), inPart);
    if (anyDamagedSkipped)
        out += QStringLiteral(
            "A damaged file is best taken from a backup; --keep-damaged takes what can be read of it.\n");
    if (!windows.isEmpty())
        out += sentence(
            QStringLiteral("Windows paths, which the board cannot reach here; set them anew in Network "
                           "Setup: "),
            windows);
    out += sentence(QStringLiteral("Left alone: "), leftAlone);
    return out;
}

QString Report::details() const {
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
                       .arg(f.name, f.trouble == Trouble::Damaged ? QStringLiteral(" DAMAGED")
                                    : f.whole                     ? QString()
                                                                  : QStringLiteral(" IN PART"))
                       .arg(f.tables.size())
                       .arg(records)
                       .arg(tables.join(QStringLiteral(", ")));
            if (f.trouble == Trouble::Damaged) out += QStringLiteral("    damaged: %1\n").arg(f.reason);
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
        for (const QString& line : f.messages.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out += QStringLiteral("    the Access library said: %1\n").arg(line);
    }
    for (const QString& f : otherKindFiles)
        out += QStringLiteral("%1: belongs in the %2 folder; left alone\n")
                   .arg(f, kind == catalogue::Folder::Data ? QStringLiteral("program (--setup)")
                                                           : QStringLiteral("data"));
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
