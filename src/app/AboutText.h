#pragma once

#include <QString>
#include <QtGlobal>

// What the about box says about the parts the program is built on.
namespace AboutText {

// The record manager's version number as "major.minor": the major number is
// the version divided by 256 twice, the minor the version modulo 256.
QString recordManagerVersion(qint32 version);

// "Record Manager 3.2 over SQLite 3.40.1"
QString recordManagerCaption(qint32 version);

// The mail (and update check) library with its version.
QString mailCaption();

}  // namespace AboutText
