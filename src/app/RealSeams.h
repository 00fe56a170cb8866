#pragma once

#include <QStringList>

struct AppContext;

// The program's own seams: picks drawn from keys the system's random source
// gives, and the update service the command line or the environment names.
void WireRealSeams(AppContext& context, const QStringList& arguments);
