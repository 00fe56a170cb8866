#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "store/Records.h"

// The field definition file: twelve 26-byte entries, no header.
namespace DefinitionFile {

// Entries 1..n hold the names and "T", the rest a blank name and "F".
QByteArray Build(const QStringList& fieldNames);

// Writes the whole file or nothing (an earlier file stays until the new one is
// complete). Throws StoreError.
void Write(const QString& path, const QStringList& fieldNames);

// Entries 1..(length / 26). Throws StoreError when the file is missing or
// unreadable, or is not a definition file (no whole entry, a partial entry,
// more than twelve entries, or no field in use).
std::vector<FieldDefinition> Read(const QString& path);

// The names of the slots in use, trimmed, in slot order.
QStringList FieldNames(const std::vector<FieldDefinition>& definitions);

}  // namespace DefinitionFile
