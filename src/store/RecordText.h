#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Records hold text in the system's character set, UTF-8: each member is
// padded with spaces to its width in bytes, and a value too long for it is
// cut at the end of the last whole character that fits. The windows work in
// Unicode; every reader and writer of record text goes through here.
namespace RecordText {

QByteArray fromUnicode(const QString& text);
QString toUnicode(QByteArrayView bytes);

// How many bytes of `bytes` fit in `width` without cutting a character.
qsizetype fittingLength(QByteArrayView bytes, int width);

// Pads with spaces, or cuts at a character boundary, to exactly `width` bytes.
QByteArray fixedWidth(QByteArrayView bytes, int width);

// Unicode text as a record member of `width` bytes.
inline QByteArray field(const QString& text, int width) {
    return fixedWidth(fromUnicode(text), width);
}

// The bytes with surrounding spaces removed (records pad with spaces only).
QByteArray trimmed(QByteArrayView bytes);
QByteArrayView trimmedView(QByteArrayView bytes);
// The bytes without the spaces that pad them.
QByteArrayView withoutPadding(QByteArrayView bytes);

}  // namespace RecordText
