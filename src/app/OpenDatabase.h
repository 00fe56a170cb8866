#pragma once

#include <QString>

struct AppContext;

// Makes `name` the session's database, shows its record count in the main
// title and refreshes the menus. When it cannot be opened, says why and
// leaves the session with no database. Returns whether it opened.
bool OpenDatabase(AppContext& context, const QString& name);

// The message for a data file the record manager would not open.
QString OpenFailureText(int code);
