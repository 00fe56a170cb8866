#pragma once

#include <functional>
#include <memory>

#include "net/TransferLimits.h"
#include "ui/SystemLinePrinter.h"

class Clock;
class DataFolder;
class Prompter;
class RandomSource;
class Shell;
class UpdateService;
struct Session;

// What every window is built with: the shared session and the program's seams.
// The seams that reach past the windows (the random source of the pick, the
// update service) are only declared here: the program wires its real ones
// (WireRealSeams), a test its own.
struct AppContext {
    Session& session;
    Prompter& prompter;
    const Clock& clock;
    const DataFolder& folder;
    Shell& shell;
    // A fresh random source for each pick.
    std::function<std::unique_ptr<RandomSource>()> randomSource = {};
    // Where printouts of lines go; the prompter speaks for the printer (no printer installed).
    std::function<std::unique_ptr<LinePrinter>(Prompter&)> linePrinter = &SystemLinePrinter::create;
    // How long mail and the update check wait for their servers.
    TransferLimits transferLimits = {};
    // The update service asked whether a newer version exists.
    std::function<UpdateService()> updateService = {};
};
