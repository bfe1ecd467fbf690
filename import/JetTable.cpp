#include "import/JetTable.h"

#include "import/JetHeader.h"
#include "import/LegacyReader.h"

#include <QSet>
#include <QtEndian>
#include <algorithm>

namespace jet {

namespace {

using legacy::ReadError;

constexpr char kDataPage = 0x01;
constexpr char kTableDefinitionPage = 0x02;
constexpr int kContinuationHeader = 8; // a definition's further pages start with type and next page
constexpr int kNextPageOffset = 4;
constexpr int kVarCountOffset = 43;
constexpr int kFieldCountOffset = 45;
constexpr int kRealIndexCountOffset = 51;
constexpr int kUsageMapOffset = 55;
constexpr int kFreeMapOffset = 59;
constexpr int kColumnsStart = 63;
constexpr int kRealIndexEntry = 12;
constexpr int kColumnEntry = 25;
constexpr int kMostFields = 255;           // Access's own limit on the fields of a table
constexpr int kMostDefinitionPages = 16;   // 255 fields with long names fit in far fewer
constexpr quint8 kFixedFlag = 0x01;        // column flags byte
constexpr quint8 kCompressedFlag = 0x01;   // extended flags byte
constexpr int kMostTextBytes = 510;        // 255 characters
constexpr int kMostCompressedUnits = 1024; // longer texts are stored uncompressed
constexpr quint8 kBool = 0x01;
constexpr int kRowCountOffset = 0x0c;
constexpr int kRowOffsetMask = 0x1fff;
constexpr int kTableKindOffset = 40;
constexpr quint8 kUserTable = 0x4e;
constexpr qint16 kLocalTable = 1;
constexpr qint16 kOdbcTable = 4;
constexpr qint16 kLinkedTable = 6;
constexpr quint32 kSystemFlags = 0x80000002; // libmdb leaves out the tables with either
constexpr int kDeletedRow = 0x4000;

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// Whether a column of the kind may have the fixed flag and length given; -1 lengths vary.
bool kindAgrees(quint8 type, bool fixed, int length) {
    struct Kind {
        quint8 type;
        bool fixed;
        int length; // -1: 2..510 and even (text), -2: up to 510 (binary), -3: 0 (memo, OLE), -4: 0 or 1
    };
    static const Kind kinds[] = {{kBool, true, -4}, {0x02, true, 1},   {0x03, true, 2},    {0x04, true, 4},
                                 {0x05, true, 8},   {0x06, true, 4},   {0x07, true, 8},    {0x08, true, 8},
                                 {0x09, false, -2}, {Text, false, -1}, {Ole, false, -3},   {Memo, false, -3},
                                 {0x0f, true, 16},  {0x10, true, 17},  {0x11, true, 3992}, {0x12, true, 4},
                                 {0x13, true, 8}};
    for (const Kind& k : kinds) {
        if (k.type != type) continue;
        if (k.fixed != fixed) return false;
        switch (k.length) {
        case -1:
            return length >= 2 && length <= kMostTextBytes && length % 2 == 0;
        case -2:
            return length >= 0 && length <= kMostTextBytes;
        case -3:
            return length == 0;
        case -4:
            return length == 0 || length == 1;
        default:
            return length == k.length;
        }
    }
    return false;
}

QString kindName(quint8 type) {
    switch (type) {
    case Text:
        return QStringLiteral("text");
    case Memo:
        return QStringLiteral("memo");
    case Ole:
        return QStringLiteral("binary (OLE)");
    default:
        return QStringLiteral("of kind %1").arg(type);
    }
}

// The definition's bytes: the first page whole, then each further page without its header.
QByteArray definitionBytes(const Pages& pages, qint64 first, const QString& what) {
    QByteArray bytes = pages.page(first);
    if (bytes[0] != kTableDefinitionPage)
        throw ReadError(QStringLiteral("the definition of %1 is missing").arg(what));
    QSet<quint32> seen{quint32(first)};
    for (quint32 next = u32(bytes, kNextPageOffset); next != 0;) {
        if (seen.contains(next) || seen.size() >= kMostDefinitionPages)
            throw ReadError(QStringLiteral("the definition of %1 runs in a circle").arg(what));
        seen.insert(next);
        const QByteArray page = pages.page(next);
        if (page[0] != kTableDefinitionPage)
            throw ReadError(
                QStringLiteral("the definition of %1 goes on on a page of another kind").arg(what));
        bytes += page.mid(kContinuationHeader);
        next = u32(page, kNextPageOffset);
    }
    return bytes;
}

bool isHighSurrogate(char16_t u) {
    return u >= 0xd800 && u < 0xdc00;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xdc00 && u < 0xe000;
}

// Two letters of plain text read as one two-byte character: what a text read from one byte off,
// or after a stray zero byte, turns into.
bool looksLikeShiftedText(char16_t u) {
    const auto printable = [](int b) { return b >= 0x20 && b < 0x7f; };
    return printable(u & 0xff) && printable(u >> 8);
}

void checkTwoByteRun(const QVector<char16_t>& run) {
    if (run.isEmpty()) return;
    qsizetype shifted = 0;
    for (char16_t u : run) {
        if (u == 0) throw ReadError(QStringLiteral("a text holds a zero character"));
        shifted += looksLikeShiftedText(u);
    }
    // Real two-byte text (Greek, CJK) seldom has both bytes of most characters in plain ASCII.
    if (2 * shifted > run.size())
        throw ReadError(QStringLiteral("a text turns into foreign characters (its bytes are out of step)"));
    for (qsizetype i = 0; i < run.size(); ++i) {
        const bool pairedHigh = isHighSurrogate(run[i]) && i + 1 < run.size() && isLowSurrogate(run[i + 1]);
        if (pairedHigh)
            ++i;
        else if (isHighSurrogate(run[i]) || isLowSurrogate(run[i]))
            throw ReadError(QStringLiteral("a text holds half of a character"));
    }
}

// One entry of the list of tables, as far as the checks below need it.
struct Entry {
    qint32 id = 0; // a table's definition page
    qint16 kind = 0;
    quint32 flags = 0;
    QString name;
};

bool isUserDefinition(const Pages& pages, qint32 page) {
    if (page <= 2 || page >= pages.count()) return false;
    const QByteArray definition = pages.page(page);
    return definition[0] == kTableDefinitionPage && quint8(definition[kTableKindOffset]) == kUserTable;
}

// A table's entry carries its definition page as its id. An entry of another kind whose id is the
// definition page of a table is that table with its kind damaged; a table of the station's marked
// as one of Access's own (or the other way round) has its flags damaged. Either would make the
// table vanish from the file, or an Access table appear in it.
void checkEntry(const Pages& pages, const Entry& e) {
    const bool table = e.kind == kLocalTable || e.kind == kLinkedTable || e.kind == kOdbcTable;
    if (!table && isUserDefinition(pages, e.id))
        throw ReadError(
            QStringLiteral("the table %1 is listed as something else (kind %2)").arg(e.name).arg(e.kind));
    if (e.kind != kLocalTable) return;
    const bool markedOwn = e.flags & kSystemFlags;
    const bool accessName = e.name.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive);
    if (markedOwn && !accessName && isUserDefinition(pages, e.id))
        throw ReadError(QStringLiteral("the table %1 is marked as one of Access's own").arg(e.name));
    if (!markedOwn && accessName)
        throw ReadError(
            QStringLiteral("Access's own table %1 is marked as one of the station's").arg(e.name));
}

} // namespace

TableDefinition readDefinition(const Pages& pages, qint64 definitionPage, const QString& what) {
    const QByteArray d = definitionBytes(pages, definitionPage, what);
    const int fields = u16(d, kFieldCountOffset);
    if (fields > kMostFields || fields == 0)
        throw ReadError(QStringLiteral("%1 claims %2 fields").arg(what).arg(fields));
    for (const int map : {kUsageMapOffset, kFreeMapOffset})
        if (pages.row(u32(d, map), kDataPage).isEmpty())
            throw ReadError(QStringLiteral("the page map of %1 is empty").arg(what));
    TableDefinition t;
    t.varCount = u16(d, kVarCountOffset);
    t.user = quint8(d[kTableKindOffset]) == kUserTable;
    const auto damaged = [&](const QString& why) {
        return ReadError(QStringLiteral("the definition of %1 is damaged (%2)").arg(what, why));
    };
    qsizetype at = kColumnsStart + qsizetype(u32(d, kRealIndexCountOffset)) * kRealIndexEntry;
    if (u32(d, kRealIndexCountOffset) > kMostFields || at + qsizetype(fields) * kColumnEntry > d.size())
        throw damaged(QStringLiteral("its fields lie past its end"));
    for (int i = 0; i < fields; ++i, at += kColumnEntry) {
        Column c;
        c.type = quint8(d[at]);
        c.number = u16(d, at + 5);
        c.varIndex = u16(d, at + 7);
        c.fixed = quint8(d[at + 15]) & kFixedFlag;
        c.compressed = quint8(d[at + 16]) & kCompressedFlag;
        c.fixedOffset = u16(d, at + 21);
        c.length = u16(d, at + 23);
        t.columns << c;
    }
    QSet<QString> names;
    for (Column& c : t.columns) {
        if (at + 2 > d.size()) throw damaged(QStringLiteral("its field names lie past its end"));
        const int bytes = u16(d, at);
        if (bytes == 0 || bytes % 2 != 0 || at + 2 + bytes > d.size())
            throw damaged(QStringLiteral("a field name of %1 bytes").arg(bytes));
        c.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(d.constData() + at + 2), bytes / 2);
        at += 2 + bytes;
        if (names.contains(c.name.toLower()))
            throw damaged(QStringLiteral("the field %1 appears twice").arg(c.name));
        names.insert(c.name.toLower());
    }
    QSet<int> numbers, varIndexes;
    for (const Column& c : t.columns) {
        if (c.number >= fields || numbers.contains(c.number))
            throw damaged(
                QStringLiteral("the field %1 has number %2 of %3").arg(c.name).arg(c.number).arg(fields));
        numbers.insert(c.number);
        if (!kindAgrees(c.type, c.fixed, c.length))
            throw damaged(
                QStringLiteral("the field %1 is described as %2 %3, %4 bytes long, which cannot be")
                    .arg(c.name, kindName(c.type))
                    .arg(c.fixed ? QStringLiteral("of fixed length") : QStringLiteral("of any length"))
                    .arg(c.length));
        if (!c.fixed && (c.varIndex >= t.varCount || varIndexes.contains(c.varIndex)))
            throw damaged(QStringLiteral("the field %1 is stored at place %2 of %3")
                              .arg(c.name)
                              .arg(c.varIndex)
                              .arg(t.varCount));
        if (!c.fixed) varIndexes.insert(c.varIndex);
        if (c.fixed && c.type != kBool) t.fixedLength = std::max(t.fixedLength, c.fixedOffset + c.length);
    }
    if (varIndexes.size() != t.varCount)
        throw damaged(QStringLiteral("%1 fields of any length counted, %2 found")
                          .arg(t.varCount)
                          .arg(varIndexes.size()));
    return t;
}

void checkRowPlaces(const QByteArray& page, qint64 number) {
    const int count = u16(page, kRowCountOffset);
    const int tableEnd = kRowCountOffset + 2 + 2 * count;
    int previous = kPageSize;
    for (int r = 0; r < count && tableEnd <= kPageSize; ++r) {
        const int start = u16(page, kRowCountOffset + 2 + 2 * r) & kRowOffsetMask;
        if (start < tableEnd || start > previous)
            throw ReadError(QStringLiteral("the records on page %1 overlap").arg(number));
        previous = start;
    }
    if (tableEnd > kPageSize)
        throw ReadError(QStringLiteral("page %1 claims %2 records").arg(number).arg(count));
}

QVector<std::optional<QByteArray>> valuesOf(const TableDefinition& table, const QByteArray& row) {
    const qsizetype size = row.size();
    if (size < 2) throw ReadError(QStringLiteral("a record is cut short"));
    const int columns = u16(row, 0);
    if (columns != table.columns.size())
        throw ReadError(QStringLiteral("a record holds %1 fields where its table has %2")
                            .arg(columns)
                            .arg(table.columns.size()));
    const qsizetype maskBytes = (columns + 7) / 8;
    const qsizetype varTable = table.varCount > 0 ? 2 + 2 * qsizetype(table.varCount + 1) : 0;
    if (2 + table.fixedLength + maskBytes + varTable > size)
        throw ReadError(QStringLiteral("a record is cut short"));
    const QByteArray mask = row.right(maskBytes);
    QVector<int> offsets;
    qsizetype dataEnd = size - maskBytes;
    if (table.varCount > 0) {
        const int varCount = u16(row, size - maskBytes - 2);
        if (varCount != table.varCount)
            throw ReadError(QStringLiteral("a record holds %1 values of any length where its table has %2")
                                .arg(varCount)
                                .arg(table.varCount));
        for (int i = 0; i <= varCount; ++i)
            offsets << u16(row, size - maskBytes - 4 - 2 * i);
        dataEnd = size - maskBytes - varTable;
        if (offsets.first() < 2 + table.fixedLength || offsets.last() != dataEnd ||
            !std::is_sorted(offsets.begin(), offsets.end()))
            throw ReadError(QStringLiteral("the places of a record's values are damaged"));
    }
    QVector<std::optional<QByteArray>> values(table.columns.size());
    for (int i = 0; i < table.columns.size(); ++i) {
        const Column& c = table.columns[i];
        const bool present = quint8(mask[c.number / 8]) & (1 << (c.number % 8));
        if (c.type == kBool) {
            values[i] = QByteArray(1, present ? '\1' : '\0');
            continue;
        }
        const qsizetype start = c.fixed ? 2 + c.fixedOffset : offsets[c.varIndex];
        const qsizetype length = c.fixed ? c.length : offsets[c.varIndex + 1] - start;
        if (!present && !c.fixed && length > 0)
            throw ReadError(
                QStringLiteral("its field %1 is marked empty but holds %2 bytes").arg(c.name).arg(length));
        if (c.type == Text && length > c.length)
            throw ReadError(QStringLiteral("its field %1 holds more than the field allows").arg(c.name));
        if (present) values[i] = row.mid(start, length);
    }
    return values;
}

void checkProperties(const QByteArray& blob) {
    static const QByteArray signature("MR2\0", 4);
    if (!blob.startsWith(signature))
        throw ReadError(QStringLiteral("the properties of a table or field do not add up"));
    for (qsizetype at = signature.size(); at < blob.size();) {
        const qsizetype block = at + 6 <= blob.size() ? qsizetype(u32(blob, at)) : 0;
        if (block < 6 || block > blob.size() - at)
            throw ReadError(QStringLiteral("the properties of a table or field do not add up"));
        at += block;
    }
}

void checkCatalogueRows(const Pages& pages, qint64 definitionPage, const TableDefinition& catalogue) {
    const auto column = [&](const char* name) {
        for (int i = 0; i < catalogue.columns.size(); ++i)
            if (catalogue.columns[i].name == QLatin1String(name)) return i;
        throw ReadError(QStringLiteral("its field %1 is missing").arg(QLatin1String(name)));
    };
    const int properties = column("LvProp"), id = column("Id"), type = column("Type"), name = column("Name"),
              flags = column("Flags");
    for (qint64 n = 1; n < pages.count(); ++n) {
        const QByteArray page = pages.page(n);
        if (page[0] != kDataPage || u32(page, 4) != quint32(definitionPage)) continue;
        checkRowPlaces(page, n);
        for (int r = 0; r < u16(page, kRowCountOffset); ++r) {
            if (u16(page, kRowCountOffset + 2 + 2 * r) & kDeletedRow) continue; // libmdb skips only these
            const QVector<std::optional<QByteArray>> values =
                valuesOf(catalogue, pages.rowAt(n, r, kDataPage));
            if (values[properties] && !values[properties]->isEmpty())
                checkProperties(memoBytes(pages, *values[properties]));
            Entry e;
            if (values[id] && values[id]->size() == 4)
                e.id = qFromLittleEndian<qint32>(values[id]->constData());
            if (values[type] && values[type]->size() == 2)
                e.kind = qFromLittleEndian<qint16>(values[type]->constData());
            if (values[flags] && values[flags]->size() == 4)
                e.flags = qFromLittleEndian<quint32>(values[flags]->constData());
            if (values[name]) e.name = textOf(*values[name], catalogue.columns[name].compressed);
            checkEntry(pages, e);
        }
    }
}

QString textOf(const QByteArray& stored, bool compressedColumn) {
    const auto byte = [&](qsizetype i) { return quint8(stored[i]); };
    // A second marker inside, or the first half of one at the end: two texts run together.
    static const QByteArray marker("\xff\xfe", 2);
    if (stored.indexOf(marker, 1) > 0 ||
        (stored.startsWith(marker) && stored.size() > 2 && stored.endsWith('\xff')))
        throw ReadError(QStringLiteral("a text runs into the next one"));
    QVector<char16_t> units;
    if (stored.size() >= 2 && byte(0) == 0xff && byte(1) == 0xfe) {
        // One byte a character; a zero byte switches to two bytes a character and back.
        bool oneByte = true;
        QVector<char16_t> run;
        qsizetype switched = -1; // where the last switch was; Access never switches twice in a row or last
        const auto switchedForNothing = [&] {
            if (switched >= 0 && switched == units.size())
                throw ReadError(QStringLiteral("a text holds a stray zero byte"));
        };
        for (qsizetype i = 2; i < stored.size();) {
            if (byte(i) == 0) {
                if (i > 2) switchedForNothing();
                switched = units.size();
                checkTwoByteRun(run);
                run.clear();
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                units << byte(i++);
            } else {
                if (i + 1 >= stored.size())
                    throw ReadError(QStringLiteral("a text ends in half a character"));
                const char16_t u = char16_t(byte(i) | byte(i + 1) << 8);
                if (u < 0x100)
                    throw ReadError(
                        QStringLiteral("a text's one-byte characters are stored as two-byte ones"));
                run << u;
                units << u;
                i += 2;
            }
        }
        switchedForNothing();
        checkTwoByteRun(run);
    } else {
        if (stored.size() % 2 != 0)
            throw ReadError(QStringLiteral("a text has an odd number of bytes (its last character is cut)"));
        if (stored.size() >= 2 && (byte(0) == 0xff || byte(0) == 0xfe || byte(1) == 0xfe))
            throw ReadError(QStringLiteral("a text's compression marker is damaged"));
        bool allOneByte = true;
        for (qsizetype i = 0; i < stored.size(); i += 2) {
            units << char16_t(byte(i) | byte(i + 1) << 8);
            allOneByte = allOneByte && units.last() < 0x100;
        }
        // Access stores such a text compressed; plain, it has lost its marker.
        if (compressedColumn && allOneByte && units.size() >= 3 && units.size() <= kMostCompressedUnits)
            throw ReadError(QStringLiteral("a text's compression marker is missing"));
        if (units.size() >= 2)
            checkTwoByteRun(units);
        else if (units.contains(0))
            throw ReadError(QStringLiteral("a text holds a zero character"));
    }
    const QString text = QString::fromUtf16(units.constData(), units.size());
    return text.isNull() ? QStringLiteral("") : text; // empty, never null: a null is a missing value
}

} // namespace jet
