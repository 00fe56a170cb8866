#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

// Writes a record file as the earlier version of the program did: each
// record string whole (its text in Windows-1252) beside a padded, upper-cased
// copy of each key.
void WriteEarlierVersionFile(const QString& path, const QStringList& fields,
                             const QByteArrayList& records);
