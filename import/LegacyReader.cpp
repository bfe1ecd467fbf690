#include "import/LegacyReader.h"

#include "import/JetHeader.h"
#include "import/JetPages.h"
#include "import/JetTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <memory>
#include <vector>

// libmdb's header uses glib types without including glib.
#include <glib.h>
#include <mdbtools.h>

namespace legacy {

namespace {

constexpr qint64 kCataloguePage = 2;

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

MdbColumn* columnAt(MdbTableDef* t, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
}

// One bound buffer per column of text (or number). libmdb cuts a value at the bind size without
// saying so, so the buffers grow (and the row is read again) whenever a value fills one. Memos are
// never bound: libmdb would follow their page chains blindly, so they are read from the pages here.
class Binding {
  public:
    Binding(MdbHandle* mdb, MdbTableDef* t, qint64 mostBytes) : mdb_(mdb), t_(t), mostBytes_(mostBytes) {
        lengths_.assign(t->num_cols, 0);
        bind(MDB_BIND_SIZE);
    }

    // The value libmdb read for a column of the row mdb_fetch_row has just fetched.
    QString value(unsigned column) const {
        return QString::fromUtf8(buffers_[column].data(), lengths_[column]);
    }

    void readWhole() {
        while (anyFull()) {
            // No value of a file can be longer than twice the file (one-byte text read as UTF-8).
            if (qint64(size_) > mostBytes_)
                throw ReadError(QStringLiteral("a value is longer than the whole file"));
            bind(size_ * 4);
            if (!mdb_read_row(t_, t_->cur_row - 1))
                throw ReadError(QStringLiteral("a record could not be read again"));
        }
    }

  private:
    static bool bound(const MdbColumn* col) { return col->col_type != MDB_MEMO && col->col_type != MDB_OLE; }

    void bind(size_t size) {
        size_ = size;
        mdb_set_bind_size(mdb_, size_);
        buffers_.assign(t_->num_cols, std::vector<char>(size_, '\0'));
        for (unsigned c = 0; c < t_->num_cols; ++c)
            if (bound(columnAt(t_, c))) mdb_bind_column(t_, int(c) + 1, buffers_[c].data(), &lengths_[c]);
    }

    bool anyFull() const {
        for (int len : lengths_)
            if (size_t(len) + 1 >= size_) return true;
        return false;
    }

    MdbHandle* mdb_;
    MdbTableDef* t_;
    qint64 mostBytes_;
    size_t size_ = 0;
    std::vector<std::vector<char>> buffers_;
    std::vector<int> lengths_;
};

// One table read through libmdb, each record checked against its own bytes on the page.
class TableReading {
  public:
    TableReading(MdbHandle* mdb, MdbTableDef* t, const jet::TableDefinition& definition,
                 const jet::Pages& pages, Table& table)
        : t_(t), definition_(definition), pages_(pages), table_(table),
          binding_(mdb, t, 2 * pages.count() * jet::kPageSize) {
        for (unsigned c = 0; c < t->num_cols; ++c) {
            const QString name = QString::fromUtf8(columnAt(t, c)->name);
            int own = -1;
            for (int i = 0; i < definition.columns.size(); ++i)
                if (definition.columns[i].name == name) own = i;
            if (own < 0)
                throw ReadError(QStringLiteral("table %1: its fields cannot be told apart").arg(table.name));
            own_ << own;
        }
    }

    void readAll() {
        mdb_rewind_table(t_);
        while (mdb_fetch_row(t_)) {
            binding_.readWhole();
            table_.records.push_back(currentRecord(int(table_.records.size()) + 1));
        }
    }

  private:
    QVector<QVariant> currentRecord(int number) {
        const qint64 page = qint64(t_->cur_phys_pg);
        const auto damage = [&](const QString& why, const QString& separator = QStringLiteral(": ")) {
            table_.damage << QStringLiteral("record %1%2%3").arg(number).arg(separator, why);
        };
        QVector<std::optional<QByteArray>> values;
        try {
            if (!checkedPages_.contains(page)) jet::checkRowPlaces(pages_.page(page), page);
            checkedPages_.insert(page);
            values = jet::valuesOf(definition_, pages_.rowAt(page, int(t_->cur_row) - 1, 0x01));
        } catch (const ReadError& e) {
            damage(e.why()); // what libmdb made of the record is all there is
            return libmdbRecord();
        }
        QVector<QVariant> record(int(t_->num_cols));
        for (unsigned c = 0; c < t_->num_cols; ++c) {
            const jet::Column& col = definition_.columns[own_[int(c)]];
            const std::optional<QByteArray>& stored = values[own_[int(c)]];
            if (!stored || col.type == jet::Ole) continue;
            try {
                if (col.type == jet::Memo) {
                    record[int(c)] =
                        stored->isEmpty()
                            ? QStringLiteral("")
                            : jet::textOf(jet::memoBytes(pages_, memoHeader(*stored)), col.compressed);
                    continue;
                }
                record[int(c)] = binding_.value(c);
                if (col.type == jet::Text && jet::textOf(*stored, col.compressed) != binding_.value(c))
                    throw ReadError(QStringLiteral("it reads differently from its bytes"));
            } catch (const ReadError& e) {
                damage(
                    QStringLiteral("%1 %2: %3")
                        .arg(col.type == jet::Memo ? QStringLiteral("memo field") : QStringLiteral("field"),
                             col.name, e.why()),
                    QStringLiteral(", "));
            }
        }
        return record;
    }

    static QByteArray memoHeader(const QByteArray& stored) {
        if (stored.size() < 12) throw ReadError(QStringLiteral("its header is cut short"));
        return stored;
    }

    QVector<QVariant> libmdbRecord() const {
        QVector<QVariant> record(int(t_->num_cols));
        for (unsigned c = 0; c < t_->num_cols; ++c) {
            const MdbColumn* col = columnAt(t_, c);
            if (col->col_type != MDB_MEMO && col->col_type != MDB_OLE && col->cur_value_len > 0)
                record[int(c)] = binding_.value(c);
        }
        return record;
    }

    MdbTableDef* t_;
    const jet::TableDefinition& definition_;
    const jet::Pages& pages_;
    Table& table_;
    Binding binding_;
    QVector<int> own_; // libmdb's column -> the definition's
    QSet<qint64> checkedPages_;
};

Table readTable(MdbHandle* mdb, MdbCatalogEntry* entry, const jet::Pages& pages) {
    const QString name = QString::fromUtf8(entry->object_name);
    // libmdb would describe a table whose definition page lies past the end from whatever page it read last.
    if (qint64(entry->table_pg) >= pages.count())
        throw ReadError(
            QStringLiteral("truncated: the definition of table %1 lies past the end of the file").arg(name));
    const jet::TableDefinition definition =
        jet::readDefinition(pages, qint64(entry->table_pg), QStringLiteral("table %1").arg(name));
    // A definition page replaced, or an entry of another kind damaged into a table's, shows one of
    // Access's own tables.
    if (!definition.user)
        throw ReadError(
            QStringLiteral("the definition of table %1 is that of one of Access's own tables").arg(name));
    std::unique_ptr<MdbTableDef, TableFreer> t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()) || t->num_cols != unsigned(definition.columns.size()))
        throw ReadError(QStringLiteral("table %1 cannot be read").arg(name));
    Table table{name, {}, {}, {}, {}, {}};
    for (unsigned c = 0; c < t->num_cols; ++c) {
        MdbColumn* col = columnAt(t.get(), c);
        table.fields << QString::fromUtf8(col->name);
        if (col->col_type == MDB_OLE) table.binaryFields << table.fields.last();
        if (col->col_type != MDB_TEXT && col->col_type != MDB_MEMO)
            table.otherKindFields << table.fields.last();
    }
    TableReading(mdb, t.get(), definition, pages, table).readAll();
    // A page missing from the file ends the scan early without an error.
    if (unsigned(table.records.size()) != t->num_rows)
        throw ReadError(QStringLiteral("table %1: only %2 of its %3 records could be read")
                            .arg(name)
                            .arg(table.records.size())
                            .arg(t->num_rows));
    return table;
}

// libmdb ends a scan quietly at a page it cannot read, and a catalogue cut short that way would
// make tables look absent; the catalogue table's own record count shows whether it was read whole.
void checkCatalogueWhole(MdbHandle* mdb) {
    gchar name[] = "MSysObjects";
    std::unique_ptr<MdbTableDef, TableFreer> t(mdb_read_table_by_name(mdb, name, MDB_TABLE));
    if (!t || !mdb_read_columns(t.get()))
        throw ReadError(QStringLiteral("its list of tables cannot be read"));
    unsigned rows = 0;
    mdb_rewind_table(t.get());
    while (mdb_fetch_row(t.get()))
        ++rows;
    if (rows != t->num_rows) throw ReadError(QStringLiteral("truncated: its list of tables ends early"));
}

// Opened without blocking and refused unless a regular file: a legacy name may be a link to a pipe.
QByteArray firstPage(const QString& path) {
    const jet::Pages pages(path);
    return pages.count() > 0 ? pages.page(0) : QByteArray();
}

} // namespace

QString passwordOf(const QString& path) {
    const std::optional<QString> password = jet::passwordOf(firstPage(path));
    if (!password) throw ReadError(QStringLiteral("not an Access 2000 (Jet 4.0) file"));
    return *password;
}

QVector<Table> readTables(const QString& path) {
    passwordOf(path); // the same check as for the password, so both say the same about a foreign file
    const qint64 size = QFileInfo(path).size();
    if (size % jet::kPageSize != 0)
        throw ReadError(QStringLiteral("truncated: %1 bytes is not a whole number of %2-byte pages")
                            .arg(size)
                            .arg(jet::kPageSize));
    const jet::Pages pages(path);
    // The catalogue is a table too, with its definition on page 2.
    try {
        jet::checkCatalogueRows(
            pages, kCataloguePage,
            jet::readDefinition(pages, kCataloguePage, QStringLiteral("its list of tables")));
    } catch (const ReadError& e) {
        throw ReadError(QStringLiteral("its list of tables is damaged: %1").arg(e.why()));
    }
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb) throw ReadError(QStringLiteral("cannot be opened as an Access file"));
    mdb_set_boolean_fmt_numbers(mdb.get());
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw ReadError(QStringLiteral("its list of tables cannot be read"));
    checkCatalogueWhole(mdb.get());
    QVector<Table> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
        try {
            tables.push_back(readTable(mdb.get(), entry, pages));
        } catch (const ReadError& e) {
            // The other tables may still be whole; what this one lost is said with its name.
            Table lost;
            lost.name = QString::fromUtf8(entry->object_name);
            lost.unreadable = true;
            lost.damage << (e.why().contains(lost.name)
                                ? e.why()
                                : QStringLiteral("table %1: %2").arg(lost.name, e.why()));
            tables.push_back(lost);
        }
    }
    return tables;
}

} // namespace legacy
