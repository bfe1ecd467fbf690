#include "import/LegacyReader.h"

#include "import/JetHeader.h"
#include "import/JetPages.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

// libmdb's header uses glib types without including glib.
#include <glib.h>
#include <mdbtools.h>

namespace legacy {

namespace {

constexpr int kOffsetMask = 0x1fff; // row offsets on a data page carry flags in their top bits
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

// One bound buffer per column. libmdb cuts a value at the bind size without saying so, so the
// buffers grow (and the row is read again) whenever a value fills one.
class Binding {
  public:
    Binding(MdbHandle* mdb, MdbTableDef* t, const jet::Pages& pages, QStringList& damage)
        : mdb_(mdb), t_(t), pages_(pages), damage_(damage), lengths_(t->num_cols) {
        bind(MDB_BIND_SIZE);
    }

    // Reads the row that mdb_fetch_row has just fetched; nulls as invalid QVariants.
    QVector<QVariant> currentRecord() {
        const unsigned row = t_->cur_row - 1;
        while (anyFull()) {
            // No value of a file can be longer than twice the file (one-byte text read as UTF-8).
            if (qint64(size_) > 2 * pages_.count() * jet::kPageSize)
                throw ReadError(QStringLiteral("a value is longer than the whole file"));
            bind(size_ * 4);
            if (!mdb_read_row(t_, row)) throw ReadError(QStringLiteral("a record could not be read again"));
        }
        const std::vector<bool> nulls = nullFlags(row);
        QVector<QVariant> record(int(t_->num_cols));
        for (unsigned c = 0; c < t_->num_cols; ++c) {
            MdbColumn* col = columnAt(t_, c);
            if (nulls[c] || col->col_type == MDB_OLE) continue;
            const QString text = QString::fromUtf8(buffers_[c].data(), lengths_[c]);
            if (col->col_type == MDB_MEMO) checkMemo(col, text);
            record[int(c)] = text;
        }
        return record;
    }

  private:
    void bind(size_t size) {
        size_ = size;
        mdb_set_bind_size(mdb_, size_);
        buffers_.assign(t_->num_cols, std::vector<char>(size_, '\0'));
        for (unsigned c = 0; c < t_->num_cols; ++c)
            mdb_bind_column(t_, int(c) + 1, buffers_[c].data(), &lengths_[c]);
    }

    bool anyFull() const {
        for (int len : lengths_)
            if (size_t(len) + 1 >= size_) return true;
        return false;
    }

    // A null and an empty text both bind as length 0; the row's null mask tells them apart.
    std::vector<bool> nullFlags(unsigned row) const {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb_, int(row), &start, &size) != 0)
            throw ReadError(QStringLiteral("a record's place on its page is damaged"));
        std::vector<MdbField> fields(t_->num_cols);
        if (mdb_crack_row(t_, start & kOffsetMask, size, fields.data()) < 0)
            throw ReadError(QStringLiteral("a record is damaged"));
        std::vector<bool> nulls(t_->num_cols, false);
        for (const MdbField& f : fields)
            if (f.colnum >= 0 && unsigned(f.colnum) < t_->num_cols) nulls[f.colnum] = f.is_null != 0;
        return nulls;
    }

    // libmdb gives back what it found of a memo without a word when its pages are missing, lost or
    // replaced; the memo's own header and pages, read here, say how long the text must be.
    void checkMemo(MdbColumn* col, const QString& text) const {
        const QByteArray field(reinterpret_cast<const char*>(mdb_->pg_buf) + col->cur_value_start,
                               col->cur_value_len);
        const auto memoDamage = [&](const QString& why) {
            damage_ << QStringLiteral("record %1, memo field %2: %3").arg(t_->cur_row).arg(col->name, why);
        };
        if (field.size() < 12) {
            if (!field.isEmpty()) memoDamage(QStringLiteral("its header is cut short"));
            return;
        }
        try {
            const qsizetype expected = jet::memoLength(pages_, field);
            if (expected != text.size())
                memoDamage(
                    QStringLiteral("%1 of its %2 characters could be read").arg(text.size()).arg(expected));
        } catch (const ReadError& e) {
            memoDamage(e.why());
        }
    }

    MdbHandle* mdb_;
    MdbTableDef* t_;
    const jet::Pages& pages_;
    QStringList& damage_;
    size_t size_ = 0;
    std::vector<std::vector<char>> buffers_;
    std::vector<int> lengths_;
};

Table readTable(MdbHandle* mdb, MdbCatalogEntry* entry, const jet::Pages& pages) {
    const QString name = QString::fromUtf8(entry->object_name);
    // libmdb would describe a table whose definition page lies past the end from whatever page it read last.
    if (qint64(entry->table_pg) >= pages.count())
        throw ReadError(
            QStringLiteral("truncated: the definition of table %1 lies past the end of the file").arg(name));
    jet::checkTableDefinition(pages, qint64(entry->table_pg), QStringLiteral("table %1").arg(name));
    std::unique_ptr<MdbTableDef, TableFreer> t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()))
        throw ReadError(QStringLiteral("table %1 cannot be read").arg(name));
    Table table{name, {}, {}, {}, {}};
    for (unsigned c = 0; c < t->num_cols; ++c) {
        MdbColumn* col = columnAt(t.get(), c);
        table.fields << QString::fromUtf8(col->name);
        if (col->col_type == MDB_OLE) table.binaryFields << table.fields.last();
    }
    Binding binding(mdb, t.get(), pages, table.damage);
    mdb_rewind_table(t.get());
    while (mdb_fetch_row(t.get()))
        table.records.push_back(binding.currentRecord());
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
    jet::checkTableDefinition(pages, kCataloguePage, QStringLiteral("its list of tables"));
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
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            tables.push_back(readTable(mdb.get(), entry, pages));
    }
    return tables;
}

} // namespace legacy
