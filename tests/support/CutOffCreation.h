#pragma once

#include <QString>

class TestFolder;

// Leaves a data folder as a crash during the creation of a database would.
class CutOffCreation {
public:
    // A crash while the new files were still being built: one of them is.
    static constexpr int WhileBuilding = -1;

    // Plans the creation of `name`, builds its new files (each holding "new "
    // and its name) and then takes the first `steps` steps of putting them in
    // place, as the program takes them: moving each earlier file aside,
    // moving each new file in, removing each earlier file. The journal stays.
    // Returns how many steps the whole creation takes.
    static int Leave(const TestFolder& folder, const QString& name, int steps);
};
