// The pick: drawn, stamped and kept in the history by the same operation as
// the record window's pick button.
#include <QJsonArray>
#include <QJsonObject>

#include "cli/CommandContext.h"
#include "cli/CommandDatabase.h"
#include "cli/CommandFailure.h"
#include "cli/Commands.h"
#include "records/RandomPick.h"
#include "reports/PickHistory.h"
#include "store/Clock.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"

void Commands::Pick(const CommandCall& call) {
    const QString& name = call.arguments.at(0);
    const QString& asked = call.arguments.at(1);
    bool number = false;
    const qint32 wanted = asked.toInt(&number);
    if (!number || wanted < 1) {
        throw CommandFailure(ExitStatus::BadArguments,
                             QStringLiteral("the number of picks must be a whole number of 1 or "
                                            "more, not \"%1\"")
                                 .arg(asked));
    }
    const CommandDatabase database(call.context, call.folder, name);
    const qint32 total = trm_Count(database.handle());
    if (wanted > total) {
        throw CommandFailure(ExitStatus::NotEnough,
                             QStringLiteral("%1 picks were asked for, but \"%2\" holds only %3 "
                                            "records; nothing was picked")
                                 .arg(wanted)
                                 .arg(name)
                                 .arg(total));
    }
    // The window keeps its latest pick's stamp in the session, so that a pick
    // within the same second stays apart from it; here the history tells it.
    QString lastDate, lastTime;
    const PickHistory::PickList earlier = PickHistory::LoadPickList(database.historyPath());
    if (!earlier.outcome.written()) throw CommandFailure(ExitStatus::Failed, earlier.outcome.reason);
    if (!earlier.entries.isEmpty()) {
        lastDate = PickHistory::DateOf(earlier.entries.first()).trimmed();
        lastTime = PickHistory::TimeOf(earlier.entries.first()).trimmed();
    }

    RandomPick::Stamp stamp;
    RandomPick::Outcome outcome;
    CommandDatabase::WhileBusy(call.context, [&] {
        stamp = RandomPick::stampFor(call.context.clock.now(), lastDate, lastTime);
        const std::unique_ptr<RandomSource> random = call.context.randomSource();
        outcome = RandomPick::run(
            {database.handle(), database.historyPath(), wanted, stamp.date, stamp.time}, *random);
        return outcome.status == RandomPick::Status::StoreFailed ? outcome.code : TrmCode::Ok;
    });
    if (outcome.status == RandomPick::Status::NotEnough)
        throw CommandFailure(ExitStatus::NotEnough, outcome.reason);
    if (outcome.status != RandomPick::Status::Picked)
        throw CommandDatabase::Failure(name, outcome.reason, outcome.code);

    QJsonArray records;
    if (!call.json) call.print(stamp.date + QLatin1Char(' ') + stamp.time);
    for (const HistoryRecord& entry : outcome.history) {
        QStringList values;
        for (const int slot : database.fieldSlots()) {
            values << RecordText::toUnicode(
                RecordText::trimmed(entry.Record.Field[std::size_t(slot)]));
        }
        if (call.json) {
            records.append(QJsonArray::fromStringList(values));
        } else {
            call.print(values.join(QLatin1Char('\t')));
        }
    }
    if (call.json) {
        call.print(QJsonObject{{QStringLiteral("database"), name},
                               {QStringLiteral("date"), stamp.date},
                               {QStringLiteral("time"), stamp.time},
                               {QStringLiteral("fields"),
                                QJsonArray::fromStringList(database.fieldNames())},
                               {QStringLiteral("records"), records}});
    }
}
