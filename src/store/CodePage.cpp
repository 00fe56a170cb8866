#include "store/CodePage.h"

#include <array>

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t unicodeOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        char16_t u = kHighControls[byte - 0x80];
        return u != 0 ? u : char16_t(byte);  // unassigned bytes pass through as C1 controls
    }
    return char16_t(byte);
}

char byteOf(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return char(u);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == u) return char(0x80 + i);
    }
    if (u >= 0x80 && u <= 0x9F) return char(u);
    return '?';
}

}  // namespace

namespace CodePage {

QByteArray fromUnicode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page, one '?'
            out.append('?');
            continue;
        }
        out.append(byteOf(c.unicode()));
    }
    return out;
}

QString toUnicode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) out.append(QChar(unicodeOf(static_cast<unsigned char>(b))));
    return out;
}

QByteArray toUtf8(const QByteArray& bytes) {
    // Plain ASCII is the same in both; exports of large files are mostly that.
    for (char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) return toUnicode(bytes).toUtf8();
    }
    return bytes;
}

QByteArray fixedWidth(const QByteArray& bytes, int width) {
    if (bytes.size() >= width) return bytes.left(width);
    QByteArray out = bytes;
    out.append(width - bytes.size(), ' ');
    return out;
}

QByteArray trimmed(const QByteArray& bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && bytes.at(begin) == ' ') ++begin;
    while (end > begin && bytes.at(end - 1) == ' ') --end;
    return bytes.mid(begin, end - begin);
}

QByteArray foldCase(const QByteArray& bytes) {
    QByteArray out = bytes;
    for (char& c : out) {
        auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
            b -= 0x20;
        } else if (b == 0x9A || b == 0x9C || b == 0x9E) {
            b -= 0x10;  // š œ ž
        } else if (b == 0xFF) {
            b = 0x9F;  // ÿ
        }
        c = char(b);
    }
    return out;
}

}  // namespace CodePage
