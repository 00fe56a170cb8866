#pragma once

#include <QString>

// The kinds of file an export writes.
enum class ExportFormat { Csv, Html, Text };

// What the export file's name ends in: ".csv", ".html" or ".txt".
QString ExtensionOf(ExportFormat format);
// How messages name the kind of file: "csv", "html" or "text".
QString KindOf(ExportFormat format);
