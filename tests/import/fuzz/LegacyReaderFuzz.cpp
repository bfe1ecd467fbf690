// A bounded fuzz run of the legacy reader: mutants of the sample's files, of the kinds a dying share
// or a careless copy makes, each read apart as the importer reads it. Whatever a mutant does to
// libmdb, the reading must come back (read, refused, or damaged), and a file the importer would
// take as sound must hold exactly what the original holds. One code unit changed inside a text, or
// one bit of a null mask turning an empty field's null into an empty text (or back), is the
// exception: Jet pages carry no checksum, so no reader can see it; those are counted and printed.
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "import/Importer.h"
#include "import/IsolatedReader.h"
#include "import/JetHeader.h"
#include "tests/import/LegacyStation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/resource.h>

namespace {

using legacy::Reading;

enum class Mutation {
    FlippedBytes,
    PageHeaderByte,
    DefinitionField,
    ZeroedPage,
    CopiedPage,
    Truncated,
    MemoPointer,
    ColumnDefinition,
    RowLayout,
    RowPlace,
    CatalogueRecord,
    TextValue,
    EncodedPages
};
constexpr int kMutationKinds = 13;
const char* nameOf(Mutation m) {
    static const char* names[] = {"bytes flipped anywhere",
                                  "a byte of a page header",
                                  "a 16/32-bit field of a table definition",
                                  "a page zeroed",
                                  "a page copied over another",
                                  "truncated",
                                  "a memo page's next pointer",
                                  "a column definition",
                                  "a record's counts, offsets, null mask",
                                  "a record's place on its page",
                                  "a byte of a record of the catalogue",
                                  "a text value's bytes",
                                  "encoded pages (and a byte of one)"};
    return names[int(m)];
}

constexpr int kPage = jet::kPageSize;

quint16 u16At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// The pages of the file's own tables (user table definitions, and the data pages that belong to them).
struct Layout {
    QVector<int> definitions, dataPages, cataloguePages;
    explicit Layout(const QByteArray& bytes) {
        const int pages = int(bytes.size() / kPage);
        for (int p = 3; p < pages; ++p)
            if (bytes[p * kPage] == 0x02 && bytes[p * kPage + 40] == 0x4e) definitions << p;
        for (int p = 1; p < pages; ++p) {
            if (bytes[p * kPage] != 0x01 || bytes.mid(p * kPage + 4, 4) == "LVAL") continue;
            const int owner = int(qFromLittleEndian<quint32>(bytes.constData() + p * kPage + 4));
            if (owner == 2) cataloguePages << p;
            if (definitions.contains(owner) && u16At(bytes, p * kPage + 12) > 0) dataPages << p;
        }
    }
};

class Mutator {
  public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    QByteArray mutate(QByteArray bytes, Mutation kind) {
        const int pages = int(bytes.size() / jet::kPageSize);
        const Layout layout(bytes);
        switch (kind) {
        case Mutation::FlippedBytes: // one byte, so that a change inside a text is one code unit
            bytes[pick(jet::kPageSize, bytes.size() - 1)] ^= char(pick(1, 255));
            break;
        case Mutation::PageHeaderByte:
            bytes[pick(1, pages - 1) * jet::kPageSize + pick(0, 63)] = char(pick(0, 255));
            break;
        case Mutation::DefinitionField: {
            QVector<int> definitions;
            for (int p = 1; p < pages; ++p)
                if (bytes[p * jet::kPageSize] == 0x02) definitions << p;
            const qsizetype at = definitions[pick(0, definitions.size() - 1)] * jet::kPageSize + pick(8, 120);
            static const quint32 extremes[] = {0, 1, 0xff, 0xffff, 0x7fffffff, 0xffffffff};
            const quint32 value = extremes[pick(0, 5)];
            for (int i = 0; i < (pick(0, 1) ? 2 : 4); ++i)
                bytes[at + i] = char(value >> (8 * i));
            break;
        }
        case Mutation::ZeroedPage:
            bytes.replace(pick(1, pages - 1) * jet::kPageSize, jet::kPageSize,
                          QByteArray(jet::kPageSize, '\0'));
            break;
        case Mutation::CopiedPage:
            bytes.replace(pick(1, pages - 1) * jet::kPageSize, jet::kPageSize,
                          bytes.mid(pick(1, pages - 1) * jet::kPageSize, jet::kPageSize));
            break;
        case Mutation::Truncated:
            bytes.truncate(pick(jet::kPageSize, bytes.size() - 1));
            break;
        case Mutation::MemoPointer: {
            QVector<int> longValues; // pages of memo text, whose rows start with the next piece's place
            for (int p = 1; p < pages; ++p)
                if (bytes.mid(p * jet::kPageSize + 4, 4) == "LVAL") longValues << p;
            if (longValues.isEmpty()) return mutate(bytes, Mutation::FlippedBytes);
            const int page = longValues[pick(0, longValues.size() - 1)];
            const int rowStart =
                qFromLittleEndian<quint16>(bytes.constData() + page * jet::kPageSize + 14) & 0x1fff;
            const quint32 targets[] = {0, quint32(page) << 8,
                                       quint32(pick(1, pages - 1)) << 8 | quint32(pick(0, 3)),
                                       quint32(pages + 5) << 8};
            qToLittleEndian(targets[pick(0, 3)], bytes.data() + page * jet::kPageSize + rowStart);
            break;
        }
        case Mutation::ColumnDefinition: {
            const qsizetype page =
                layout.definitions[pick(0, layout.definitions.size() - 1)] * qsizetype(kPage);
            const int columns = u16At(bytes, page + 45);
            const qsizetype column =
                page + 63 + 12 * qsizetype(u16At(bytes, page + 51)) + 25 * pick(0, columns - 1);
            static const int fields[] = {0, 5, 7, 15, 23}; // type, number, var index, flags, length
            const int field = fields[pick(0, 4)];
            static const quint16 values[] = {0, 1, 2, 4, 0x0b, 0x0f, 0x10, 0x1f, 255, 508, 511, 0xffff};
            if (field == 0 || field == 15)
                bytes[column + field] = char(field == 15 ? bytes[column + 15] ^ 1 : values[pick(0, 11)]);
            else if (pick(0, 1))
                qToLittleEndian<quint16>(values[pick(0, 11)], bytes.data() + column + field);
            else
                qToLittleEndian<quint16>(quint16(columns + pick(-2, 1)), bytes.data() + column + field);
            break;
        }
        case Mutation::RowLayout:
        case Mutation::TextValue: {
            const auto [start, end] = someRow(bytes, layout);
            const int columns = u16At(bytes, start);
            const qsizetype mask = (columns + 7) / 8;
            const qsizetype varCount = end - mask - 2;
            const int vars = u16At(bytes, varCount);
            // One of the offsets of the values (stored last to first); for a record's layout, its end too.
            const qsizetype offset =
                varCount - 2 * (1 + pick(0, kind == Mutation::RowLayout ? vars : vars - 1));
            if (kind == Mutation::RowLayout) {
                switch (pick(0, 3)) {
                case 0:
                    qToLittleEndian<quint16>(quint16(columns + pick(-2, 2)), bytes.data() + start);
                    break;
                case 1:
                    bytes[end - 1 - pick(0, mask - 1)] ^= char(1 << pick(0, 7));
                    break;
                case 2:
                    qToLittleEndian<quint16>(quint16(vars + pick(-2, 2)), bytes.data() + varCount);
                    break;
                default:
                    qToLittleEndian<quint16>(quint16(u16At(bytes, offset) + pick(-3, 3)),
                                             bytes.data() + offset);
                }
                break;
            }
            // A byte of one text: its marker, a zero put in, or any byte (one character changed).
            const qsizetype from = start + u16At(bytes, offset), to = start + u16At(bytes, offset - 2);
            if (to - from < 3) return mutate(bytes, Mutation::RowLayout);
            switch (pick(0, 3)) {
            case 0:
                bytes[from + pick(0, 1)] = char(pick(0, 255));
                break;
            case 1:
                bytes[pick(from + 2, to - 1)] = 0;
                break;
            case 2:
                qToLittleEndian<quint16>(quint16(u16At(bytes, offset) + 1), bytes.data() + offset);
                break;
            default:
                bytes[pick(from + 2, to - 1)] = char(pick(0x20, 0x7e));
            }
            break;
        }
        case Mutation::RowPlace: {
            const qsizetype page = layout.dataPages[pick(0, layout.dataPages.size() - 1)] * qsizetype(kPage);
            const qsizetype at = page + 14 + 2 * pick(0, u16At(bytes, page + 12) - 1);
            qToLittleEndian<quint16>(quint16(u16At(bytes, at) + pick(-8, 8)), bytes.data() + at);
            break;
        }
        case Mutation::CatalogueRecord: {
            const qsizetype page =
                layout.cataloguePages[pick(0, layout.cataloguePages.size() - 1)] * qsizetype(kPage);
            const int rows = u16At(bytes, page + 12);
            const qsizetype first = u16At(bytes, page + 14 + 2 * (rows - 1)) & 0x1fff;
            if (pick(0, 1)) {
                bytes[page + pick(first, kPage - 1)] = char(pick(0, 255));
                break;
            }
            // The kind of an entry (a table, a query, ...): two bytes at offset 8 of the fixed part.
            const qsizetype row = page + (u16At(bytes, page + 14 + 2 * pick(0, rows - 1)) & 0x1fff);
            static const qint16 kinds[] = {1, 2, 3, 5, 8, -32768, 0x4101};
            qToLittleEndian<qint16>(kinds[pick(0, 6)], bytes.data() + row + 2 + 8);
            break;
        }
        case Mutation::EncodedPages: {
            const quint32 key = quint32(pick(1, 0x7fffffff));
            bytes.replace(0, kPage, jet::withPageKey(bytes.left(kPage), key));
            for (int p = 1; p < pages; ++p)
                jet::togglePageEncoding(key, p, bytes.data() + qsizetype(p) * kPage);
            if (pick(0, 1)) bytes[pick(kPage, bytes.size() - 1)] ^= char(pick(1, 255));
            break;
        }
        }
        return bytes;
    }

  private:
    // A record of one of the file's own tables: where it starts and ends in the file.
    std::pair<qsizetype, qsizetype> someRow(const QByteArray& bytes, const Layout& layout) {
        const qsizetype page = layout.dataPages[pick(0, layout.dataPages.size() - 1)] * qsizetype(kPage);
        const int row = int(pick(0, u16At(bytes, page + 12) - 1));
        const qsizetype start = page + (u16At(bytes, page + 14 + 2 * row) & 0x1fff);
        const qsizetype end = page + (row == 0 ? kPage : u16At(bytes, page + 12 + 2 * row) & 0x1fff);
        return {start, end};
    }

    qsizetype pick(qsizetype from, qsizetype to) {
        return std::uniform_int_distribution<qsizetype>(from, to)(random_);
    }
    std::mt19937 random_;
};

// How a taken mutant's content differs from the original's: not at all, in one code unit of one
// text, in one null taken as an empty text or back (one bit of a null mask), or in more.
enum class Difference { None, OneCodeUnit, NullOrEmpty, More };

QString oneLine(const QString& text) {
    return text.left(60)
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

Difference compare(const QVector<legacy::Table>& taken, const QVector<legacy::Table>& original,
                   QString& first) {
    if (taken.size() != original.size()) return Difference::More;
    int changedUnits = 0, nullOrEmpty = 0;
    for (int t = 0; t < taken.size(); ++t) {
        const legacy::Table &a = taken[t], &b = original[t];
        if (a.name != b.name || a.fields != b.fields || a.records.size() != b.records.size())
            return Difference::More;
        for (int r = 0; r < a.records.size(); ++r)
            for (int f = 0; f < a.fields.size(); ++f) {
                const QVariant &x = a.records[r][f], &y = b.records[r][f];
                const QString u = x.toString(), v = y.toString();
                if (u != v || x.isValid() != y.isValid())
                    first = QStringLiteral("%1 record %2 %3: \"%4\" for \"%5\"")
                                .arg(a.name)
                                .arg(r + 1)
                                .arg(a.fields[f], oneLine(u), oneLine(v));
                if (x.isValid() != y.isValid() && u.isEmpty() && v.isEmpty()) {
                    ++nullOrEmpty;
                    continue;
                }
                if (x.isValid() != y.isValid() || u.size() != v.size()) return Difference::More;
                for (qsizetype i = 0; i < u.size(); ++i)
                    changedUnits += u[i] != v[i];
            }
    }
    if (changedUnits + nullOrEmpty > 1) return Difference::More;
    if (nullOrEmpty == 1) return Difference::NullOrEmpty;
    return changedUnits == 1 ? Difference::OneCodeUnit : Difference::None;
}

const catalogue::FileSpec& specOf(const QString& file) {
    for (const catalogue::FileSpec& spec : catalogue::files())
        if (QFileInfo(paths::fold(spec.constant)).fileName() == QFileInfo(file).fileName()) return spec;
    throw std::out_of_range(file.toStdString());
}

struct Totals {
    int runs = 0, refused = 0, identical = 0, oneUnit = 0, nullOrEmpty = 0, changed = 0, crashes = 0,
        hangs = 0;
    qint64 mostMs = 0;
};

TEST(LegacyReaderFuzz, EveryMutantComesBackAndNoneLosesRecordsSilently) {
    const QStringList files = {"data/Monday.mdb", "data/Prep.mdb",        "data/Notes.mdb",
                               "data/Phone.mdb",  "data/MonReminder.mdb", "program/Location.mdb",
                               "data/Friday.mdb", "data/SatReminder.mdb"};
    constexpr int kMutantsPerFile = 24 * kMutationKinds;
    legacy::Limits limits;
    limits.wallSeconds = 2;
    limits.cpuSeconds = 1;
    limits.memoryBytes = qint64(512) << 20;
    QTemporaryDir dir;
    Mutator mutator(20261210);
    std::map<Mutation, Totals> totals;
    QStringList changedUnsaid, unseeable;
    int mutants = 0;
    for (const QString& file : files) {
        const QString original = LegacyStation::sample() + QLatin1Char('/') + file;
        const QVector<legacy::Table> whole = legacy::readTables(original);
        const catalogue::FileSpec& spec = specOf(file);
        ASSERT_TRUE(legacy_import::damageIn(spec, whole).isEmpty()) << file.toStdString();
        const QByteArray bytes = fileBytes(original);
        for (int i = 0; i < kMutantsPerFile; ++i, ++mutants) {
            const Mutation kind = Mutation(i % kMutationKinds);
            const QString path = dir.filePath(QStringLiteral("mutant-%1.mdb").arg(mutants));
            writeFile(path, mutator.mutate(bytes, kind));
            QElapsedTimer clock;
            clock.start();
            const Reading reading = legacy::readApart(path, limits);
            Totals& t = totals[kind];
            ++t.runs;
            t.mostMs = std::max(t.mostMs, clock.elapsed());
            if (reading.result != Reading::Result::Read) {
                EXPECT_FALSE(reading.why.isEmpty()) << path.toStdString();
                ++t.refused;
                t.crashes += reading.why.contains(QStringLiteral("broke down"));
                t.hangs += reading.why.contains(QStringLiteral("did not end")) ||
                           reading.why.contains(QStringLiteral("seconds of work"));
                QFile::remove(path);
                continue;
            }
            if (!legacy_import::damageIn(spec, reading.tables).isEmpty()) {
                ++t.refused;
                QFile::remove(path);
                continue;
            }
            QString what =
                QStringLiteral("%1 (%2, from %3)").arg(path, QString::fromLatin1(nameOf(kind)), file);
            QString first;
            const Difference difference = compare(reading.tables, whole, first);
            what += QStringLiteral(": ") + first;
            switch (difference) {
            case Difference::None:
                ++t.identical;
                QFile::remove(path);
                break;
            case Difference::OneCodeUnit:
            case Difference::NullOrEmpty:
                ++(difference == Difference::OneCodeUnit ? t.oneUnit : t.nullOrEmpty);
                unseeable << what;
                QFile::remove(path);
                break;
            case Difference::More:
                ++t.changed;
                changedUnsaid << what; // kept, to be looked at
                break;
            }
        }
    }
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    std::printf("%d mutants of %lld files (max RSS of a reader %ld MB):\n", mutants,
                static_cast<long long>(files.size()), children.ru_maxrss / 1024);
    std::printf("  %-40s %5s %7s %9s %6s %6s %7s %7s %5s %6s\n", "kind", "runs", "refused", "identical",
                "1 unit", "null/\"\"", "changed", "crashes", "hangs", "max ms");
    for (const auto& [kind, t] : totals)
        std::printf("  %-40s %5d %7d %9d %6d %6d %7d %7d %5d %6lld\n", nameOf(kind), t.runs, t.refused,
                    t.identical, t.oneUnit, t.nullOrEmpty, t.changed, t.crashes, t.hangs,
                    static_cast<long long>(t.mostMs));
    for (const QString& m : unseeable)
        std::printf("  taken with one code unit or one null bit changed (unseeable): %s\n", qPrintable(m));
    EXPECT_TRUE(changedUnsaid.isEmpty()) << changedUnsaid.join('\n').toStdString();
    dir.setAutoRemove(changedUnsaid.isEmpty());
}

} // namespace
