#pragma once

#include <QByteArrayView>
#include <QString>

// The character set of files written by earlier versions of the program, and
// of many files other programs still write: one byte per character.
namespace Windows1252 {

QString toUnicode(QByteArrayView bytes);

}  // namespace Windows1252
