#include "exchange/ExportWriter.h"

#include "exchange/CsvExportWriter.h"
#include "exchange/HtmlExportWriter.h"
#include "exchange/TextExportWriter.h"

std::unique_ptr<ExportWriter> ExportWriter::create(ExportFormat format, const QString& pickDate,
                                                   const QString& pickTime) {
    switch (format) {
        case ExportFormat::Html:
            return std::make_unique<HtmlExportWriter>(pickDate, pickTime);
        case ExportFormat::Text:
            return std::make_unique<TextExportWriter>();
        case ExportFormat::Csv:
            break;
    }
    return std::make_unique<CsvExportWriter>();
}
