#pragma once

#include <functional>
#include <memory>

#include <QCoreApplication>

#include "net/TransferLimits.h"
#include "records/RandomSource.h"
#include "ui/SystemLinePrinter.h"
#include "update/UpdateService.h"

class Clock;
class DataFolder;
class Prompter;
class Shell;
struct Session;

// What every window is built with: the shared session and the program's seams.
struct AppContext {
    Session& session;
    Prompter& prompter;
    const Clock& clock;
    const DataFolder& folder;
    Shell& shell;
    // A fresh random source for each pick.
    std::function<std::unique_ptr<RandomSource>()> randomSource = &SystemRandomSource::create;
    // Where printouts of lines go; the prompter speaks for the printer (no printer installed).
    std::function<std::unique_ptr<LinePrinter>(Prompter&)> linePrinter = &SystemLinePrinter::create;
    // How long mail and the update check wait for their servers.
    TransferLimits transferLimits = {};
    UpdateService updateService = UpdateService::configured(QCoreApplication::arguments());
};
