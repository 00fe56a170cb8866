#include "store/KeyOrder.h"

#include <QString>
#include <algorithm>

#include "store/RecordText.h"

namespace {

// Folds into a buffer with room for the end byte: ASCII, what most keys are,
// by itself; anything else through Unicode's folding of the whole key.
QByteArray folded(QByteArrayView bytes) {
    QByteArray out(bytes.size() + 1, Qt::Uninitialized);
    char* to = out.data();
    for (const char c : bytes) {
        if (c & 0x80) {
            out = RecordText::toUnicode(bytes).toCaseFolded().toUtf8();
            out.reserve(out.size() + 1);
            return out;
        }
        *to++ = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    out.resize(bytes.size());
    return out;
}

constexpr char kSpace = ' ';
constexpr char kUnitSeparator = 0x1F;

// Ends every key: stands for the spaces that pad it, and sorts above every
// byte below the space and below every byte above it.
constexpr char kEnd = kSpace;

// Bytes below the space need the encoding below: a space is written as the
// two bytes 1F FF when the next byte that is not a space lies below the
// space (so the run sorts below the end of a key, as padding would make it),
// and the byte 1F itself as 1F 00, so that it stays below such a space.
QByteArray withControls(QByteArrayView key) {
    QByteArray out;
    out.reserve(key.size() * 2 + 1);
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char c = key[i];
        if (c == kSpace) {
            qsizetype next = i + 1;
            while (next < key.size() && key[next] == kSpace) ++next;
            const bool runsIntoControl = static_cast<unsigned char>(key[next]) < 0x20;
            if (runsIntoControl) {
                out.append(kUnitSeparator).append(char(0xFF));
            } else {
                out.append(kSpace);
            }
        } else if (c == kUnitSeparator) {
            out.append(kUnitSeparator).append('\0');
        } else {
            out.append(c);
        }
    }
    return out.append(kEnd);
}

}  // namespace

namespace KeyOrder {

QByteArray Key(QByteArrayView member) {
    QByteArray key = folded(RecordText::withoutPadding(member));
    const bool plain = std::none_of(key.begin(), key.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    return plain ? key.append(kEnd) : withControls(key);
}

}  // namespace KeyOrder
