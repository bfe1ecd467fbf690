#pragma once

#include <QByteArray>
#include <QString>

// Reads a Jet 4.0 file's pages ourselves, to check what libmdb would follow blindly: a page number
// outside the file, a row that is not on its page, a long-value chain that loops or ends early.
// Every check throws legacy::ReadError in the staff's words.
namespace jet {

class Pages {
  public:
    // Opens the file read-only; the size is taken once, so a file growing meanwhile changes nothing.
    explicit Pages(const QString& path);
    ~Pages();
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;

    qint64 count() const { return count_; }
    QByteArray page(qint64 number) const;
    // The bytes of one row, addressed as Jet does: the row number in the low byte, the page above it.
    QByteArray row(quint32 pageRow, char pageType) const;
    QByteArray rowAt(qint64 number, int row, char pageType) const;

  private:
    int fd_ = -1;
    qint64 count_ = 0;
    quint32 key_ = 0; // pages from 1 on are RC4-encoded with it when set
};

// The stored bytes of the memo whose 12-byte field header (and inline text) is given, gathered from
// the pages its text lies on; throws when a page is missing, of another kind, or the chain loops or
// ends short. Read before libmdb would follow the chain, so a loop is named at once.
QByteArray memoBytes(const Pages& pages, const QByteArray& header);

} // namespace jet
