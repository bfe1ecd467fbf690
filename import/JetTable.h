#pragma once

#include "import/JetPages.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

// A Jet 4.0 table as its own pages describe it: the columns of its definition, each row's values
// and each text. libmdb takes all of these as they come; here every part must agree with the rest,
// and whatever does not is named in the staff's words.
namespace jet {

enum ColumnType : quint8 { Text = 0x0a, Ole = 0x0b, Memo = 0x0c };

struct Column {
    QString name;
    quint8 type = 0;
    int number = 0;      // its bit in a row's null mask
    int varIndex = 0;    // its place among the variable-length values of a row
    int fixedOffset = 0; // where a fixed-length value starts, after the row's column count
    int length = 0;      // in bytes; 510 for a text of 255 characters
    bool fixed = false;
    bool compressed = false; // text may be stored one byte a character
};

struct TableDefinition {
    int varCount = 0;
    int fixedLength = 0; // bytes of the fixed-length values of a row
    bool user = false;   // a table of the file's own, not one of Access's system tables
    QVector<Column> columns;
};

// Reads the table definition starting on the given page (and the pages it continues on) and checks
// it: a field count Access allows, page maps on pages of the file, column numbers unique and below
// the field count, variable-length indexes unique and below their count, each column's kind, fixed
// flag and length agreeing, field names present and not repeated. Throws legacy::ReadError.
TableDefinition readDefinition(const Pages& pages, qint64 definitionPage, const QString& what);

// The rows of a data page must lie one after another between its row table and its end.
void checkRowPlaces(const QByteArray& page, qint64 number);

// The values of one row of the table, by column (nothing for a null), from the row's own bytes:
// its column and variable-length counts must be the table's, its offsets ascend inside the row, a
// null column holds nothing. Throws legacy::ReadError saying what is wrong.
QVector<std::optional<QByteArray>> valuesOf(const TableDefinition& table, const QByteArray& row);

// The property block of a table or field (its list of blocks, each with its length) must add up:
// libmdb reads it as it comes, and loops or reads past it when it does not.
void checkProperties(const QByteArray& blob);

// Every record of the list of tables (whose definition is given) must be whole, properties too.
void checkCatalogueRows(const Pages& pages, qint64 definitionPage, const TableDefinition& catalogue);

// The text of a stored text or memo value, as libmdb decodes it; throws legacy::ReadError when the
// bytes cannot be a text Access wrote: an odd length where uncompressed, a damaged compression
// marker, a zero character, a switch between one- and two-byte characters that does not add up.
QString textOf(const QByteArray& stored, bool compressedColumn);

} // namespace jet
