#pragma once

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
};
