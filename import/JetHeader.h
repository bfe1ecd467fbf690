#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The database definition page (page 0) of an Access 2000 (Jet 4.0) file. Part of it is masked
// with a fixed RC4 key, and the database password inside is further XORed with four bytes taken
// from the creation date; neither is encryption, so the password can be read back and compared.
namespace jet {

inline constexpr int kPageSize = 4096;

// The password the header holds (empty when none is set), or nothing when the page is not the
// first page of a Jet 4.0 file.
std::optional<QString> passwordOf(const QByteArray& page0);

// The key its pages from page 1 on are RC4-encoded with (0: not encoded), as libmdb reads it.
quint32 pageKeyOf(const QByteArray& page0);
// A copy of the first page with another page key (the pages themselves are not touched).
QByteArray withPageKey(const QByteArray& page0, quint32 key);
// Encodes or decodes (the same) one page of a file whose page key is given: RC4, keyed with the
// page key XOR the page number. Page 0 and files without a key are left as they are.
void togglePageEncoding(quint32 key, qint64 number, char* page);
void rc4(const unsigned char* key, int keyLength, char* data, qsizetype length);

// A copy of the page with another password written in (at most 20 characters).
QByteArray withPassword(const QByteArray& page0, const QString& password);

} // namespace jet
