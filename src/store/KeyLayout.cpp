#include "store/KeyLayout.h"

#include "store/RecordText.h"

namespace KeyLayout {

QByteArray Build(const QStringList& fieldNames) {
    QByteArray out;
    out.append(char(4));
    out.append(char(1));
    out.append(char(fieldNames.size()));
    for (int k = 1; k <= fieldNames.size(); ++k) {
        out.append(RecordText::field(fieldNames.at(k - 1).trimmed(), NameWidth));
        const int start = 1 + KeyLength * (k - 1);
        out.append(char(k));
        out.append(char(start & 0xFF));
        out.append(char((start >> 8) & 0xFF));
        out.append(char(KeyLength));
        out.append(char(0));
    }
    return out;
}

std::optional<int> KeyCount(const QByteArray& layout) {
    if (layout.size() < HeaderSize || layout.at(0) != 4 || layout.at(1) != 1) return std::nullopt;
    const int n = static_cast<unsigned char>(layout.at(2));
    if (n < 1 || n > MaxKeys || layout.size() != HeaderSize + EntrySize * n) return std::nullopt;
    for (int k = 1; k <= n; ++k) {
        const int at = HeaderSize + EntrySize * (k - 1) + NameWidth;
        const auto byte = [&](int i) { return static_cast<unsigned char>(layout.at(at + i)); };
        const int start = byte(1) | (byte(2) << 8);
        if (byte(0) != k || start != 1 + KeyLength * (k - 1) || byte(3) != KeyLength) {
            return std::nullopt;
        }
    }
    return n;
}

}  // namespace KeyLayout
