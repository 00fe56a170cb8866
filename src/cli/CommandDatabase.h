#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "store/DataFolder.h"
#include "store/Records.h"

class CommandFailure;
struct CommandContext;

// A database opened for the length of one command, as the Open window opens
// one: found among the data folder's databases, converted first when an
// earlier version wrote it, its data file open and its field names read.
// Only its own file is closed at the end; any other open file (a window's,
// when a test runs a command beside one) stays as it was.
class CommandDatabase {
public:
    // Throws CommandFailure.
    CommandDatabase(const CommandContext& context, const DataFolder& folder, const QString& name);
    ~CommandDatabase();
    CommandDatabase(const CommandDatabase&) = delete;
    CommandDatabase& operator=(const CommandDatabase&) = delete;

    const QString& name() const { return name_; }
    int handle() const { return handle_; }
    const DataFolder& folder() const { return folder_; }
    QString historyPath() const { return folder_.historyFile(name_); }
    QString definitionPath() const { return folder_.definitionFile(name_); }
    const std::vector<FieldDefinition>& definitions() const { return definitions_; }
    // The slots that hold a field (0..11), and their names, trimmed.
    const std::vector<int>& fieldSlots() const { return fieldSlots_; }
    const QStringList& fieldNames() const { return names_; }

    // Throws CommandFailure (NotFound) unless the folder lists a database `name`.
    static void Require(const DataFolder& folder, const QString& name);
    // The field definitions of a listed database, without opening its records.
    static std::vector<FieldDefinition> Definitions(const DataFolder& folder, const QString& name);
    // Runs `attempt` (which returns a record manager code) again while it
    // finds the database held by another copy of the program, for as long as
    // the context allows; returns the last code.
    static int WhileBusy(const CommandContext& context, const std::function<int()>& attempt);
    // The failure for a record manager code: Busy gets its own status.
    static CommandFailure Failure(const QString& name, const QString& reason, int code);

private:
    void upgrade(const CommandContext& context);

    QString name_;
    DataFolder folder_;
    int handle_ = 0;
    std::vector<FieldDefinition> definitions_;
    std::vector<int> fieldSlots_;
    QStringList names_;
};
