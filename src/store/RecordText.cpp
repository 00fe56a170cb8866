#include "store/RecordText.h"

#include <cstring>

namespace {

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

namespace RecordText {

QByteArray fromUnicode(const QString& text) {
    return text.toUtf8();
}

QString toUnicode(QByteArrayView bytes) {
    return QString::fromUtf8(bytes);
}

qsizetype fittingLength(QByteArrayView bytes, int width) {
    if (bytes.size() <= width) return bytes.size();
    qsizetype cut = width;
    // Back to the first byte of the character that would be split.
    while (cut > 0 && continuesCharacter(bytes[cut])) --cut;
    return cut;
}

QByteArray fixedWidth(QByteArrayView bytes, int width) {
    QByteArray out(width, ' ');
    const qsizetype kept = fittingLength(bytes, width);
    std::copy(bytes.begin(), bytes.begin() + kept, out.begin());
    return out;
}

QByteArray trimmed(QByteArrayView bytes) {
    return trimmedView(bytes).toByteArray();
}

QByteArrayView trimmedView(QByteArrayView bytes) {
    qsizetype begin = 0;
    const QByteArrayView kept = withoutPadding(bytes);
    while (begin < kept.size() && kept[begin] == ' ') ++begin;
    return kept.sliced(begin);
}

QByteArrayView withoutPadding(QByteArrayView bytes) {
    // Eight spaces at a time: most of a member is often its padding.
    constexpr quint64 kSpaces = 0x2020202020202020ULL;
    qsizetype end = bytes.size();
    while (end >= 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + end - 8, 8);
        if (word != kSpaces) break;
        end -= 8;
    }
    while (end > 0 && bytes[end - 1] == ' ') --end;
    return bytes.first(end);
}

}  // namespace RecordText
