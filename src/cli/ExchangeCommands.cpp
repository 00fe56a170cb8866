// The import of a CSV file and the exports, as the Import and Export windows
// make them.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "cli/CommandContext.h"
#include "cli/CommandDatabase.h"
#include "cli/CommandFailure.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "exchange/CsvImport.h"
#include "exchange/RecordExport.h"
#include "store/Clock.h"
#include "store/RecordManager.h"

namespace {

QStringList listed(const QString& names) {
    return names.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// The file's columns as the database's fields: as named by --fields, else as
// the file's first line names them (which is then not a record).
CsvImport::Layout importLayout(const CommandCall& call, const CommandDatabase& database,
                               const QString& path, bool& firstLineNamesFields) {
    const std::optional<QStringList> order =
        CsvImport::ColumnOrder(CsvImport::ReadFirstLine(path), database.fieldNames());
    firstLineNamesFields = order.has_value();
    CsvImport::Layout layout{int(database.fieldSlots().size()), {}};
    if (call.parser.isSet(QStringLiteral("fields"))) {
        layout.fields = Commands::NamedSlots(database, listed(call.parser.value("fields")));
    } else if (order) {
        layout.fields = Commands::NamedSlots(database, *order);
    } else {
        throw CommandFailure(ExitStatus::BadArguments,
                             QStringLiteral("name the fields of the file's columns in order with "
                                            "--fields (the fields of \"%1\" are %2)")
                                 .arg(database.name(), database.fieldNames().join(',')));
    }
    if (layout.fields.empty())
        throw CommandFailure(ExitStatus::BadArguments, QStringLiteral("--fields names no field"));
    return layout;
}

ExportFormat exportFormat(const CommandCall& call, const QString& file) {
    const QString named = call.parser.value(QStringLiteral("format"));
    for (const ExportFormat format : {ExportFormat::Csv, ExportFormat::Html, ExportFormat::Text}) {
        if (named.isEmpty() ? file.endsWith(ExtensionOf(format)) : named == KindOf(format))
            return format;
    }
    if (named.isEmpty()) return ExportFormat::Csv;
    throw CommandFailure(ExitStatus::BadArguments,
                         QStringLiteral("--format is csv, html or text, not \"%1\"").arg(named));
}

// The columns --fields names, the user's fields and the five fixed ones, or
// else every field of the database.
ExportColumns exportColumns(const CommandCall& call, const CommandDatabase& database) {
    ExportColumns::Choice chosen{};
    if (!call.parser.isSet(QStringLiteral("fields"))) {
        for (const int slot : database.fieldSlots()) chosen[std::size_t(slot)] = true;
        return ExportColumns(database.definitions(), chosen);
    }
    QStringList fieldNames;
    for (const QString& name : listed(call.parser.value(QStringLiteral("fields")))) {
        const QStringList& fixed = ExportColumns::FixedHeaders();
        const auto found = std::find_if(fixed.begin(), fixed.end(), [&](const QString& header) {
            return header.compare(name.simplified(), Qt::CaseInsensitive) == 0;
        });
        if (found != fixed.end()) {
            chosen[std::size_t(DataRecord::FieldCount + (found - fixed.begin()))] = true;
        } else {
            fieldNames << name;
        }
    }
    for (const int slot : Commands::NamedSlots(database, fieldNames)) chosen[std::size_t(slot)] = true;
    const ExportColumns columns(database.definitions(), chosen);
    if (columns.isEmpty())
        throw CommandFailure(ExitStatus::BadArguments, QStringLiteral("--fields names no column"));
    return columns;
}

}  // namespace

void Commands::Import(const CommandCall& call) {
    const QString& path = call.arguments.at(1);
    const CommandDatabase database(call.context, call.folder, call.arguments.at(0));
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        throw CommandFailure(ExitStatus::Unreadable,
                             QStringLiteral("the file %1 cannot be read: %2")
                                 .arg(QDir::toNativeSeparators(path),
                                      file.exists() ? QStringLiteral("it is not a readable file")
                                                    : QStringLiteral("there is no such file")));
    }
    bool firstLineNamesFields = false;
    const CsvImport::Layout layout = importLayout(call, database, path, firstLineNamesFields);
    // As the Import window does: a first line that names the fields is no record.
    const bool skip = firstLineNamesFields || call.parser.isSet(QStringLiteral("skip-first-line"));

    CsvImport::SurveyOutcome surveyed;
    {
        TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                                  QStringLiteral("Reading the file"));
        surveyed = CsvImport::SurveyFile(path, layout.valuesPerRecord, skip, std::ref(progress));
    }
    if (surveyed.status != CsvImport::Status::Done) {
        throw CommandFailure(ExitStatus::Unreadable,
                             QStringLiteral("the file %1 cannot be imported: %2")
                                 .arg(QDir::toNativeSeparators(path), surveyed.reason));
    }
    const CsvImport::Survey& survey = surveyed.survey;
    call.print(QStringLiteral("%1 read from %2")
                   .arg(CsvImport::Counted(survey.records, "record"),
                        QDir::toNativeSeparators(path)));
    for (const QString& warning : CsvImport::Warnings(survey, layout.valuesPerRecord))
        call.print(warning);

    CsvImport::ImportOutcome outcome;
    CommandDatabase::WhileBusy(call.context, [&] {
        TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                                  QStringLiteral("Importing"));
        outcome = CsvImport::ImportFile(path, database.handle(), layout, survey, skip,
                                        call.context.clock.now().date(), std::ref(progress));
        return outcome.status == CsvImport::Status::Failed ? outcome.code : TrmCode::Ok;
    });
    if (outcome.status != CsvImport::Status::Done) {
        throw CommandDatabase::Failure(
            database.name(),
            QStringLiteral("the file could not be imported; no records were added: %1")
                .arg(outcome.reason),
            outcome.code);
    }
    call.print(QStringLiteral("%1 added to \"%2\", which now holds %3")
                   .arg(CsvImport::Counted(outcome.records, "record"), database.name(),
                        CsvImport::Counted(outcome.total, "record")));
    if (outcome.cut > 0) call.print(CsvImport::CutValues(outcome.cut));
}

void Commands::Export(const CommandCall& call) {
    const QString& file = call.arguments.at(1);
    const ExportFormat format = exportFormat(call, file);
    const bool pickResults = call.parser.isSet(QStringLiteral("pick-results")) ||
                             call.parser.isSet(QStringLiteral("pick"));
    if (!pickResults && format != ExportFormat::Csv) {
        throw CommandFailure(ExitStatus::BadArguments,
                             QStringLiteral("a whole database is exported as csv; html and text "
                                            "are for a pick's results (--pick-results)"));
    }
    const CommandDatabase database(call.context, call.folder, call.arguments.at(0));

    // The file as named, its extension added when it has not got it, as the
    // Export window always adds it.
    const QFileInfo target(file);
    QString name = target.fileName();
    if (name.endsWith(ExtensionOf(format))) name.chop(ExtensionOf(format).size());
    RecordExport::Request request{target.absolutePath(), name, format,
                                  call.parser.isSet(QStringLiteral("header")),
                                  exportColumns(call, database), {}, {}};

    RecordExport::Outcome outcome;
    TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                              QStringLiteral("Exporting"));
    if (pickResults) {
        const ChosenPick pick = FindPick(call, database, call.parser.value(QStringLiteral("pick")));
        request.pickDate = pick.date.trimmed();
        request.pickTime = pick.time.trimmed();
        outcome = RecordExport::ExportPickResults(request, database.historyPath(), std::ref(progress));
    } else {
        outcome = RecordExport::ExportDatabase(request, database.handle(), std::ref(progress));
    }
    if (outcome.status != RecordExport::Status::Written)
        throw CommandDatabase::Failure(database.name(), outcome.reason, outcome.code);
    call.print(QStringLiteral("%1 written to %2")
                   .arg(CsvImport::Counted(outcome.rows, "record"),
                        QDir::toNativeSeparators(outcome.path)));
}
