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

constexpr int kKeyOffset = 0x3e;         // the page-encoding key, within the masked region
constexpr quint32 kKeyMask = 0x4ebc8afb; // what the masked region holds there for "no key"

// XORs the masked region with the RC4 key stream of the fixed key 0x6b39dac7 (stored little-endian).
void toggleRc4(QByteArray& page) {
    const unsigned char key[] = {0xc7, 0xda, 0x39, 0x6b};
    rc4(key, sizeof key, page.data() + kMaskedStart, kMaskedLength);
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

void rc4(const unsigned char* key, int keyLength, char* data, qsizetype length) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (qsizetype n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xff]);
    }
}

quint32 pageKeyOf(const QByteArray& page0) {
    if (!isJet4(page0)) return 0;
    return qFromLittleEndian<quint32>(page0.constData() + kKeyOffset) ^ kKeyMask;
}

QByteArray withPageKey(const QByteArray& page0, quint32 key) {
    QByteArray page = page0;
    qToLittleEndian(key ^ kKeyMask, page.data() + kKeyOffset);
    return page;
}

void togglePageEncoding(quint32 key, qint64 number, char* page) {
    if (key == 0 || number == 0) return;
    unsigned char pageKey[4];
    qToLittleEndian(quint32(key ^ quint32(number)), pageKey);
    rc4(pageKey, sizeof pageKey, page, kPageSize);
}

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
