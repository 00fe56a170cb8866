#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

// The key layout string handed to trm_Create: the bytes 4, 1 and the key
// count, then 30 bytes per key (name padded to 25, key number, start position
// counted from 1 low byte first, length, flags).
namespace KeyLayout {

constexpr int HeaderSize = 3;
constexpr int EntrySize = 30;
constexpr int NameWidth = 25;
constexpr int KeyLength = 50;
constexpr int MaxKeys = 12;

// One key per field name, in order; names are trimmed of surrounding spaces.
QByteArray Build(const QStringList& fieldNames);

// The number of keys a layout describes, or nothing when the string is not a
// layout this store can keep (wrong header, size, positions or lengths).
std::optional<int> KeyCount(const QByteArray& layout);

}  // namespace KeyLayout
