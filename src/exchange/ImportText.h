#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// How the bytes of an imported file's values stand for characters: UTF-8
// when the whole file is valid UTF-8 (with or without a byte order mark, and
// a UTF-16 file read as UTF-8), else Windows-1252, which spreadsheets of
// Western Europe write.
enum class CsvEncoding { Utf8, Windows1252 };

// A value of an imported file as a record keeps it.
namespace ImportText {

// Writes the value into the field at `field` (its whole width: the value,
// then spaces) as UTF-8, composed, and cut at a character boundary when it
// is longer than a field. Returns whether it was cut.
bool place(QByteArrayView raw, CsvEncoding encoding, char* field);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(QByteArrayView raw);

// The value as the user reads it.
QString text(QByteArrayView raw, CsvEncoding encoding);

}  // namespace ImportText
