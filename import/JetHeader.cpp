#include "import/JetHeader.h"

#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>

namespace jet {

namespace {

constexpr char kSignature[] = "Standard Jet DB"; // at offset 4, with its terminating zero
constexpr int kVersionOffset = 0x14;             // 1 = Jet 4.0
constexpr int kMaskedStart = 0x18;
constexpr int kMaskedLength = 128;
constexpr int kPasswordOffset = 0x42;
constexpr int kPasswordBytes = 40; // 20 UCS-2 characters
constexpr int kDateOffset = 0x72;  // creation date, an OLE date (double)

bool isJet4(const QByteArray& page) {
    return page.size() >= kPageSize &&
           std::memcmp(page.constData() + 4, kSignature, sizeof kSignature) == 0 && page[kVersionOffset] == 1;
}

// XORs the masked region with the RC4 key stream of the fixed key 0x6b39dac7 (stored little-endian).
void toggleRc4(QByteArray& page) {
    const std::array<unsigned char, 4> key = {0xc7, 0xda, 0x39, 0x6b};
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < kMaskedLength; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        page[kMaskedStart + n] = static_cast<char>(page[kMaskedStart + n] ^ s[(s[i] + s[j]) & 0xff]);
    }
}

// The whole days of the creation date, as four little-endian bytes.
std::array<unsigned char, 4> dateMask(const QByteArray& unmasked) {
    const double date = qFromLittleEndian<double>(unmasked.constData() + kDateOffset);
    const qint32 days = std::isfinite(date) && std::abs(date) < 2e9 ? static_cast<qint32>(date) : 0;
    std::array<unsigned char, 4> mask{};
    qToLittleEndian(days, mask.data());
    return mask;
}

void toggleDateMask(QByteArray& unmasked) {
    const auto mask = dateMask(unmasked);
    for (int i = 0; i < kPasswordBytes; ++i)
        unmasked[kPasswordOffset + i] = static_cast<char>(unmasked[kPasswordOffset + i] ^ mask[i % 4]);
}

} // namespace

std::optional<QString> passwordOf(const QByteArray& page0) {
    if (!isJet4(page0)) return std::nullopt;
    QByteArray page = page0.left(kPageSize);
    toggleRc4(page);
    toggleDateMask(page);
    QString password;
    for (int i = 0; i < kPasswordBytes; i += 2) {
        const char16_t c = qFromLittleEndian<char16_t>(page.constData() + kPasswordOffset + i);
        if (c == 0) break;
        password += QChar(c);
    }
    return password;
}

QByteArray withPassword(const QByteArray& page0, const QString& password) {
    QByteArray page = page0;
    toggleRc4(page);
    for (int i = 0; i < kPasswordBytes; i += 2) {
        const char16_t c = i / 2 < password.size() ? password[i / 2].unicode() : 0;
        qToLittleEndian(c, page.data() + kPasswordOffset + i);
    }
    toggleDateMask(page);
    toggleRc4(page);
    return page;
}

} // namespace jet
