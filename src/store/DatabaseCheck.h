#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class DataFolder;

// A look for damage inside a database's record files: SQLite's integrity
// check of every page, index and row of the data file and the history file,
// after the record manager's own look at what each file says it is.
namespace DatabaseCheck {

struct Outcome {
    enum class Status { Sound, Damaged, Stopped };
    Status status = Status::Sound;
    QStringList problems;  // "shop.dat: ..." per problem found, the first few of each file
};

// `keepGoing` is asked often and returns false to stop.
Outcome Run(const DataFolder& folder, const QString& name,
            const std::function<bool()>& keepGoing = {});

// What the user is told of an outcome, and under which title.
QString Told(const QString& name, const Outcome& outcome);

}  // namespace DatabaseCheck
