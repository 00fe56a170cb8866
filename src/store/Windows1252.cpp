#include "store/Windows1252.h"

#include <array>

namespace {

// 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t unicodeOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t u = kHighControls[byte - 0x80];
        return u != 0 ? u : char16_t(byte);  // unassigned bytes pass through as C1 controls
    }
    return char16_t(byte);
}

}  // namespace

namespace Windows1252 {

QString toUnicode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (const char b : bytes) *to++ = QChar(unicodeOf(static_cast<unsigned char>(b)));
    return out;
}

}  // namespace Windows1252
