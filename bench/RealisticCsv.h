#pragma once

#include <QString>
#include <QtGlobal>

// A CSV file such as a registration system exports: names (some in other
// scripts than Latin), places, addresses, words and numbers, some values
// quoted for the commas or quotes they hold. `fields` values a line, one line
// a row; the same file for the same arguments. False when it cannot be written.
bool WriteRealisticCsv(const QString& path, qint64 rows, int fields);
