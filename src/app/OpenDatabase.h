#pragma once

#include <QString>
#include <optional>

#include "ui/Prompter.h"

struct AppContext;

// Why a database could not be opened, as a message box would tell it.
struct OpenFailure {
    QString text;
    QString title;
    Prompter::Icon icon;
};

// Makes `name` the session's database, shows its record count in the main
// title and refreshes the menus. When it cannot be opened, leaves the session
// with no database and returns why, without saying it.
std::optional<OpenFailure> TryOpenDatabase(AppContext& context, const QString& name);

// TryOpenDatabase, then tells the user why it failed. Returns whether it opened.
bool OpenDatabase(AppContext& context, const QString& name);

// The message for a data file the record manager would not open.
QString OpenFailureText(int code, const QString& dataFile);
