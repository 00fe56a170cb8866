#pragma once

#include <QApplication>
#include <QTemporaryDir>

#include "store/DataFolder.h"

// How a window benchmark starts from its command line, `NAME [records] [folder]`:
// the application off screen unless a platform is named, the number of records
// (a million unless given) and the data folder (a temporary one unless given).
class BenchStart {
public:
    BenchStart(int& argc, char** argv);

    qint64 total() const { return total_; }
    const DataFolder& folder() const { return folder_; }

private:
    // The platform must be chosen before the application is made.
    static int& offscreen(int& argc);

    QApplication app_;
    QTemporaryDir temp_;
    qint64 total_;
    DataFolder folder_;
};
