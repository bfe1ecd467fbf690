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

// A copy of the page with another password written in (at most 20 characters).
QByteArray withPassword(const QByteArray& page0, const QString& password);

} // namespace jet
