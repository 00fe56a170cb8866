#pragma once

#include <QString>

// Makes renames and new files in a folder durable: without it a crash can
// forget a file that was already reported as written.
void SyncFolder(const QString& folder);
