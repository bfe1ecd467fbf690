#include "import/JetPages.h"

#include "import/JetHeader.h"
#include "import/LegacyReader.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {

namespace {

constexpr char kDataPage = 0x01;
constexpr qint64 kLargestFile = qint64(2) << 30; // Jet 4.0's own limit
constexpr qint64 kSparseFrom = qint64(16) << 20;
constexpr int kRowCountOffset = 0x0c; // row offsets follow, two bytes each
constexpr int kRowOffsetMask = 0x1fff;
constexpr char kLongValueSignature[] = "LVAL"; // at offset 4 of a page holding memo text only
constexpr quint32 kInlineMemo = 0x80000000;
constexpr quint32 kSingleRowMemo = 0x40000000;
constexpr quint32 kMemoLengthMask = 0x3fffffff;

using legacy::ReadError;

quint16 u16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

} // namespace

Pages::Pages(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    try {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0)
            throw ReadError(
                QStringLiteral("cannot be opened: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        if (!S_ISREG(st.st_mode)) throw ReadError(QStringLiteral("not a regular file"));
        count_ = st.st_size / kPageSize;
        // Refused before anything is read: a length no Access file has, or one that is mostly holes.
        if (st.st_size > kLargestFile) throw ReadError(QStringLiteral("larger than an Access file can be"));
        if (st.st_size > kSparseFrom && qint64(st.st_blocks) * 512 * 4 < st.st_size)
            throw ReadError(
                QStringLiteral("most of it was never written: %1 MB long, only %2 KB of it on the disk")
                    .arg(st.st_size >> 20)
                    .arg((qint64(st.st_blocks) * 512) >> 10));
        if (count_ > 0) key_ = pageKeyOf(page(0));
    } catch (...) {
        if (fd_ >= 0) ::close(fd_);
        throw;
    }
}

Pages::~Pages() {
    if (fd_ >= 0) ::close(fd_);
}

QByteArray Pages::page(qint64 number) const {
    if (number < 0 || number >= count_)
        throw ReadError(QStringLiteral("truncated or damaged: it refers to page %1 of a file of %2 pages")
                            .arg(number)
                            .arg(count_));
    QByteArray bytes(kPageSize, Qt::Uninitialized);
    if (::pread(fd_, bytes.data(), kPageSize, number * kPageSize) != kPageSize)
        throw ReadError(QStringLiteral("page %1 cannot be read").arg(number));
    togglePageEncoding(key_, number, bytes.data());
    return bytes;
}

QByteArray Pages::row(quint32 pageRow, char pageType) const {
    return rowAt(pageRow >> 8, int(pageRow & 0xff), pageType);
}

QByteArray Pages::rowAt(qint64 number, int row, char pageType) const {
    const QByteArray p = page(number);
    if (p[0] != pageType) throw ReadError(QStringLiteral("page %1 is not of the kind expected").arg(number));
    if (row >= u16(p, kRowCountOffset) || kRowCountOffset + 4 + 2 * row > kPageSize)
        throw ReadError(QStringLiteral("row %1 is not on page %2").arg(row).arg(number));
    const int at = kRowCountOffset + 2 + 2 * row;
    const int start = u16(p, at) & kRowOffsetMask;
    const int end = row == 0 ? kPageSize : u16(p, at - 2) & kRowOffsetMask;
    if (start < at + 2 || end > kPageSize || start > end)
        throw ReadError(QStringLiteral("row %1 of page %2 lies outside its page").arg(row).arg(number));
    return p.mid(start, end - start);
}

QByteArray memoBytes(const Pages& pages, const QByteArray& header) {
    const quint32 word = u32(header, 0);
    const qint64 stored = word & kMemoLengthMask;
    if (word & kInlineMemo) {
        if (header.size() - 12 != stored)
            throw ReadError(
                QStringLiteral("a memo holds %1 of its %2 bytes").arg(header.size() - 12).arg(stored));
        return header.mid(12);
    }
    quint32 pageRow = u32(header, 4);
    QByteArray text;
    QSet<quint32> visited;
    while (pageRow != 0 && text.size() < stored) {
        if (visited.contains(pageRow)) throw ReadError(QStringLiteral("a memo's pages run in a circle"));
        visited.insert(pageRow);
        const QByteArray row = pages.row(pageRow, kDataPage);
        if (pages.page(pageRow >> 8).mid(4, 4) != kLongValueSignature)
            throw ReadError(QStringLiteral("a memo's text lies on a page of another kind"));
        if (word & kSingleRowMemo) {
            text = row;
            break;
        }
        if (row.size() < 4) throw ReadError(QStringLiteral("a piece of a memo is cut short"));
        pageRow = u32(row, 0);
        text += row.mid(4);
    }
    if (text.size() != stored)
        throw ReadError(QStringLiteral("a memo holds %1 of its %2 bytes").arg(text.size()).arg(stored));
    if (!(word & kSingleRowMemo) && pageRow != 0)
        throw ReadError(QStringLiteral("a memo's pages run on past its end"));
    // libmdb takes a memo of several pieces only when the top byte is clear, else gives it back empty.
    if (!(word & kSingleRowMemo) && (word & 0xff000000) != 0)
        throw ReadError(QStringLiteral("a memo's header is of no known kind"));
    return text;
}

} // namespace jet
