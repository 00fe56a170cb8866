#pragma once

#include <QStringList>

struct CommandContext;

// `randola COMMAND [options]`: one operation on the databases, without a
// window, through the same core operations and data folder as the windows.
// Text goes to the output, one line a record or an item, so that a script can
// read it; each failure is one line on the error stream and a status of its
// own (see CommandFailure.h).
namespace CommandLine {

// The program's version, as --version tells it.
inline constexpr const char* Version = "3.00";

// Whether the program's arguments (the program's own path first) ask for a
// command, help or the version rather than the windows. The windows' own
// options (--data-dir DIR, --update-url URL, Qt's) alone do not.
bool Wanted(const QStringList& arguments);

// Runs the command the arguments name. Returns the exit status.
int Run(const QStringList& arguments, const CommandContext& context);

// The program started for a command: no window, no display needed.
int Main(int argc, char* argv[]);

}  // namespace CommandLine
