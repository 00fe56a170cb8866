#pragma once

#include <QIODevice>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "records/RandomSource.h"

class Clock;

// What a command runs with: where its text goes, and the seams the windows
// have too (the clock, the random source of the pick), so that a test can fix
// them and read what a command said.
struct CommandContext {
    QIODevice& out;
    QIODevice& err;
    // Progress is drawn on the error stream only when a person watches it.
    bool errIsTerminal = false;
    // The program's own folder: the data folder unless another is named.
    QString programFolder;
    const Clock& clock;
    // A fresh random source for each pick, as the record window has.
    std::function<std::unique_ptr<RandomSource>()> randomSource = &SystemRandomSource::create;
    // How long a command keeps trying a database that another copy of the
    // program holds, on top of the store's own wait for each try.
    std::chrono::milliseconds busyWait{4000};
};
