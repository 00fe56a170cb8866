#include "exchange/ExportFormat.h"

QString ExtensionOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Html:
            return QStringLiteral(".html");
        case ExportFormat::Text:
            return QStringLiteral(".txt");
        case ExportFormat::Csv:
            break;
    }
    return QStringLiteral(".csv");
}

QString KindOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Html:
            return QStringLiteral("html");
        case ExportFormat::Text:
            return QStringLiteral("text");
        case ExportFormat::Csv:
            break;
    }
    return QStringLiteral("csv");
}
