#pragma once

#include <QCommandLineParser>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include "store/DataFolder.h"

class CommandDatabase;
struct CommandContext;

// One command being run: what it runs with, the data folder as the windows
// choose it, and what it was given. A command that cannot go on throws
// CommandFailure; one that returns has succeeded.
struct CommandCall {
    const CommandContext& context;
    DataFolder folder;
    const QCommandLineParser& parser;
    QStringList arguments;  // the positional ones, after the command's name
    bool json = false;

    // A line of plain text on the output.
    void print(const QString& line) const;
    // The command's one JSON document on the output.
    void print(const QJsonValue& document) const;
};

// The commands, one per core operation. Each reads its positional arguments
// and options from the call (their number is checked before).
namespace Commands {

void List(const CommandCall& call);
void Create(const CommandCall& call);
void Fields(const CommandCall& call);
void Pick(const CommandCall& call);
void Import(const CommandCall& call);
void Export(const CommandCall& call);
void History(const CommandCall& call);
void Report(const CommandCall& call);
void Check(const CommandCall& call);

// A pick of the database's history by its "mm-dd-yyyy hh:mm:ss", or its
// latest when `asked` is empty, as the history entry's date and time (10
// characters each). Throws CommandFailure: NotFound when there is none,
// BadArguments when `asked` is not a date and time.
struct ChosenPick {
    QString date;
    QString time;
};
ChosenPick FindPick(const CommandCall& call, const CommandDatabase& database, const QString& asked);

// The database's columns named in a list like "NAME,CITY": the slot (0..11)
// of each name in turn, the n-th mention of a name that several fields share
// taking the n-th of them. Letter case and blanks around names do not
// matter. Throws CommandFailure (BadArguments) for a name the database lacks.
std::vector<int> NamedSlots(const CommandDatabase& database, const QStringList& names);

}  // namespace Commands
