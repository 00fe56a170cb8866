#pragma once

struct AppContext;

// Finishes or undoes any database creation in the data folder that a crash
// cut off, and tells the user about one that could not be mended.
void MendCutOffCreations(AppContext& context);
