#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// How the bytes of an imported file stand for characters: UTF-8 when the
// whole file is valid UTF-8 (with or without a byte order mark), else
// Windows-1252, the character set records keep.
enum class CsvEncoding { Utf8, Windows1252 };

// A value of an imported file as a record keeps it.
namespace ImportText {

struct Stored {
    QByteArray bytes;      // Windows-1252, at most one field wide
    bool changed = false;  // a character Windows-1252 cannot hold became "?"
    bool cut = false;      // the value was longer than a field
};

Stored store(QByteArrayView raw, CsvEncoding encoding);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(QByteArrayView raw);

// The value as the user reads it.
QString text(QByteArrayView raw, CsvEncoding encoding);

}  // namespace ImportText
