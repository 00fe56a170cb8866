// The commands that read: the databases, their fields, their history, the reports.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>

#include "cli/CommandContext.h"
#include "cli/CommandDatabase.h"
#include "cli/CommandFailure.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "reports/ListingReport.h"
#include "reports/PickHistory.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/DefinitionFile.h"
#include "store/FieldRules.h"
#include "store/RecordManager.h"

void CommandCall::print(const QString& line) const {
    context.out.write(line.toUtf8() + '\n');
}

void CommandCall::print(const QJsonValue& document) const {
    const QJsonDocument whole = document.isArray() ? QJsonDocument(document.toArray())
                                                   : QJsonDocument(document.toObject());
    context.out.write(whole.toJson(QJsonDocument::Compact) + '\n');
}

namespace {

// A report file read back onto the output. The file's lines end in CR LF, as
// the printer and other systems want them; on standard output they end as
// this system's text does.
void copyReport(const CommandCall& call, const QString& path) {
    QFile report(path);
    if (!report.open(QIODevice::ReadOnly)) {
        throw CommandFailure(ExitStatus::Failed,
                             QStringLiteral("the report could not be read back: %1")
                                 .arg(report.errorString()));
    }
    QByteArray carried;
    while (!report.atEnd()) {
        QByteArray chunk = carried + report.read(1 << 20);
        carried.clear();
        // A CR at the end of a chunk may start the next chunk's CR LF.
        if (chunk.endsWith('\r')) {
            chunk.chop(1);
            carried = "\r";
        }
        call.context.out.write(chunk.replace("\r\n", "\n"));
    }
    call.context.out.write(carried);
}

void requireWritten(const ReportOutcome& outcome) {
    if (!outcome.written()) throw CommandFailure(ExitStatus::Failed, outcome.reason);
}

PickHistory::PickList pickList(const CommandCall& call, const CommandDatabase& database) {
    TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                              QStringLiteral("Reading the history"));
    PickHistory::PickList list = PickHistory::LoadPickList(database.historyPath(), std::ref(progress));
    requireWritten(list.outcome);
    return list;
}

}  // namespace

void Commands::List(const CommandCall& call) {
    QJsonArray databases;
    for (const QString& name : DatabaseFiles::List(call.folder)) {
        const TrmOpenFile file(trm_Open(call.folder.dataFile(name), 0));
        QJsonObject entry{{QStringLiteral("name"), name}};
        if (file.handle() > 0) {
            const qint64 records = trm_Count(file.handle());
            entry[QStringLiteral("records")] = records;
            if (!call.json) call.print(name + QLatin1Char('\t') + QString::number(records));
        } else {
            // Listed all the same, so that a script sees every database there is.
            entry[QStringLiteral("records")] = QJsonValue::Null;
            entry[QStringLiteral("problem")] = trm_ResultText(-file.handle());
            if (!call.json) call.print(name + QStringLiteral("\t?"));
        }
        databases.append(entry);
    }
    if (call.json) {
        call.print(QJsonObject{{QStringLiteral("folder"), call.folder.path()},
                               {QStringLiteral("databases"), databases}});
    }
}

void Commands::Create(const CommandCall& call) {
    const QString& name = call.arguments.at(0);
    QString problem = DatabaseFiles::NameProblem(name);
    if (name.trimmed().isEmpty()) problem = QStringLiteral("A database needs a name.");
    if (!problem.isEmpty()) throw CommandFailure(ExitStatus::BadArguments, problem);
    QStringList fields;
    for (const QString& typed : call.arguments.at(1).split(QLatin1Char(','))) {
        const FieldRules::Verdict verdict = FieldRules::Check(typed.trimmed(), int(fields.size()));
        if (verdict != FieldRules::Verdict::Accepted) {
            throw CommandFailure(ExitStatus::BadArguments,
                                 QStringLiteral("\"%1\" cannot be a field name: %2")
                                     .arg(typed, FieldRules::RefusalFor(verdict).text));
        }
        fields << typed.trimmed().toUpper();
    }
    // The window asks before it replaces a database; a script is not asked.
    if (DatabaseFiles::List(call.folder).contains(name)) {
        throw CommandFailure(ExitStatus::Failed,
                             QStringLiteral("there is already a database \"%1\"; nothing was "
                                            "changed")
                                 .arg(name));
    }
    const DatabaseFiles::CreateOutcome outcome = DatabaseFiles::Create(call.folder, name, fields);
    if (!outcome.ok()) {
        throw CommandFailure(
            ExitStatus::Failed,
            QStringLiteral("the database \"%1\" could not be created: %2").arg(name, outcome.reason));
    }
    call.print(QStringLiteral("\"%1\" created with the fields %2").arg(name, fields.join(',')));
}

void Commands::Fields(const CommandCall& call) {
    const QString& name = call.arguments.at(0);
    const QStringList names =
        DefinitionFile::FieldNames(CommandDatabase::Definitions(call.folder, name));
    if (call.json) {
        call.print(QJsonObject{{QStringLiteral("database"), name},
                               {QStringLiteral("fields"), QJsonArray::fromStringList(names)}});
        return;
    }
    for (const QString& field : names) call.print(field);
}

void Commands::Check(const CommandCall& call) {
    const CommandDatabase database(call.context, call.folder, call.arguments.at(0));
    DatabaseCheck::Outcome outcome;
    {
        TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                                  QStringLiteral("Checking"));
        outcome = DatabaseCheck::Run(call.folder, database.name(),
                                     [&progress] { return progress(0, 0); });
    }
    if (outcome.status == DatabaseCheck::Outcome::Status::Sound) {
        call.print(QStringLiteral("sound"));
        return;
    }
    call.print(QStringLiteral("damaged"));
    for (const QString& problem : outcome.problems) call.print(problem);
    throw CommandFailure(ExitStatus::Damaged,
                         QStringLiteral("the database \"%1\" is damaged").arg(database.name()));
}

void Commands::History(const CommandCall& call) {
    const CommandDatabase database(call.context, call.folder, call.arguments.at(0));
    const PickHistory::PickList list = pickList(call, database);
    QJsonArray picks;
    for (const QString& entry : list.entries) {
        const QString date = PickHistory::DateOf(entry).trimmed();
        const QString time = PickHistory::TimeOf(entry).trimmed();
        if (call.json) {
            picks.append(QJsonObject{{QStringLiteral("date"), date}, {QStringLiteral("time"), time}});
        } else {
            call.print(date + QLatin1Char(' ') + time);
        }
    }
    if (call.json) {
        call.print(QJsonObject{{QStringLiteral("database"), database.name()},
                               {QStringLiteral("picks"), picks}});
    }
}

void Commands::Report(const CommandCall& call) {
    const CommandDatabase database(call.context, call.folder, call.arguments.at(0));
    // Written aside: the windows' report file may be open in a viewer.
    const QTemporaryDir aside;
    if (!aside.isValid()) {
        throw CommandFailure(ExitStatus::Failed,
                             QStringLiteral("no room for the report: %1").arg(aside.errorString()));
    }
    const QString path = aside.filePath(QStringLiteral("report.txt"));
    TerminalProgress progress(call.context.err, call.context.errIsTerminal,
                              QStringLiteral("Writing the report"));
    if (call.parser.isSet(QStringLiteral("pick"))) {
        const ChosenPick pick = FindPick(call, database, call.parser.value(QStringLiteral("pick")));
        requireWritten(PickHistory::WriteReport(
            {database.historyPath(), database.definitionPath(), path, pick.date, pick.time},
            std::ref(progress)));
    } else {
        requireWritten(ListingReport::Write(
            {database.handle(), database.name(), database.definitionPath(), path},
            std::ref(progress)));
    }
    copyReport(call, path);
}

Commands::ChosenPick Commands::FindPick(const CommandCall& call, const CommandDatabase& database,
                                        const QString& asked) {
    QString wanted;
    if (!asked.isEmpty()) {
        static const QRegularExpression stamp(
            QStringLiteral("^\\s*(\\d\\d-\\d\\d-\\d{4})\\s+(\\d\\d:\\d\\d:\\d\\d)\\s*$"));
        const QRegularExpressionMatch match = stamp.match(asked);
        if (!match.hasMatch()) {
            throw CommandFailure(ExitStatus::BadArguments,
                                 QStringLiteral("a pick is named by its date and time as "
                                                "\"randola history\" lists it, "
                                                "\"mm-dd-yyyy hh:mm:ss\", not \"%1\"")
                                     .arg(asked));
        }
        wanted = PickHistory::Entry(match.captured(1), match.captured(2));
    }
    const PickHistory::PickList list = pickList(call, database);
    if (wanted.isEmpty()) {
        if (list.entries.isEmpty()) {
            throw CommandFailure(
                ExitStatus::NotFound,
                QStringLiteral("no pick has been made from \"%1\" yet").arg(database.name()));
        }
        wanted = list.entries.first();  // newest first
    } else if (!list.entries.contains(wanted)) {
        throw CommandFailure(ExitStatus::NotFound,
                             QStringLiteral("\"%1\" has no pick made on %2")
                                 .arg(database.name(), asked.simplified()));
    }
    return {PickHistory::DateOf(wanted), PickHistory::TimeOf(wanted)};
}

std::vector<int> Commands::NamedSlots(const CommandDatabase& database, const QStringList& names) {
    std::vector<int> chosen;
    std::map<QString, int> mentions;  // of each name so far, in folded case
    for (const QString& given : names) {
        const QString name = given.trimmed();
        int& seen = mentions[name.toCaseFolded()];
        int slot = -1;
        for (std::size_t i = 0, match = 0; i < database.fieldSlots().size() && slot < 0; ++i) {
            if (database.fieldNames().at(qsizetype(i)).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (int(match++) == seen) slot = database.fieldSlots()[i];
        }
        if (slot < 0) {
            throw CommandFailure(
                ExitStatus::BadArguments,
                QStringLiteral("\"%1\" has %2 field \"%3\"; its fields are %4")
                    .arg(database.name(), seen > 0 ? QStringLiteral("no other") : QStringLiteral("no"),
                         name, database.fieldNames().join(QLatin1Char(','))));
        }
        ++seen;
        chosen.push_back(slot);
    }
    return chosen;
}
