#pragma once

#include <QString>

struct Session;

// The main window's title: the program's name alone while no database is
// open, else with the database's name, and with its record count after an
// open or a recount.
QString MainTitle(const Session& session, bool withCount);
