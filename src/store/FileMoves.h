#pragma once

#include <QString>
#include <optional>
#include <system_error>

// Renames and removals of whole files in the data folder, each saying why it
// failed instead of throwing: the callers undo what came before.
namespace FileMoves {

// Whether anything (a file, a folder, a dangling link) stands at `path`.
bool Present(const QString& path);

// Renames `from` to `to`, replacing what stood there.
std::error_code Move(const QString& from, const QString& to);

// Removes a file or an empty folder.
std::error_code Remove(const QString& path);

// Removes a file, or a folder with all it holds: for what the program itself
// moved out of the way.
std::error_code RemoveTree(const QString& path);

// Whether a file of a few bytes can still be written in `folder`: false when
// the disk (or the user's share of it) is full.
bool RoomIn(const QString& folder);

// The record manager's result code for a failed file operation.
int CodeFor(const std::error_code& ec);

// "name: reason", the way a failed move is told to the user.
QString Failure(const QString& path, const std::error_code& ec);

}  // namespace FileMoves
