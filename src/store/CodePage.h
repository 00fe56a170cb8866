#pragma once

#include <QByteArray>
#include <QString>

// Records hold text as Windows-1252, one byte per character; the windows work
// in Unicode. These are the only places the two meet.
namespace CodePage {

// A character with no Windows-1252 byte is stored as '?'.
QByteArray fromUnicode(const QString& text);
QString toUnicode(const QByteArray& bytes);
// Windows-1252 bytes as UTF-8, the character set of the files written for
// people and other programs.
QByteArray toUtf8(const QByteArray& bytes);

// Pads with spaces or cuts to exactly `width` bytes.
QByteArray fixedWidth(const QByteArray& bytes, int width);

// Unicode text as a fixed-width record member.
inline QByteArray field(const QString& text, int width) {
    return fixedWidth(fromUnicode(text), width);
}

// The byte string with surrounding spaces removed (records pad with spaces only).
QByteArray trimmed(const QByteArray& bytes);

// Upper-case form of Windows-1252 bytes (ASCII and the accented Latin letters);
// keys compare on this form so that browsing is not split by case.
QByteArray foldCase(const QByteArray& bytes);

}  // namespace CodePage
