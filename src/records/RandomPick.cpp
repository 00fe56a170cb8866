#include "records/RandomPick.h"

#include "records/TypedValues.h"

#include <QDir>
#include <QSet>
#include <limits>
#include <optional>
#include <variant>

#include "records/RandomSource.h"
#include "store/RecordText.h"
#include "store/RecordManager.h"

namespace {

using Outcome = RandomPick::Outcome;
using Status = RandomPick::Status;

// The twelve user fields at full width, or nothing when every field is blank
// (such a record repeats nothing and nothing repeats it).
std::optional<QByteArray> contentKey(const DataRecord& record) {
    QByteArray key;
    bool blank = true;
    for (const QByteArray& field : record.Field) {
        const QByteArray value = RecordText::fixedWidth(field, DataRecord::FieldWidth);
        blank = blank && RecordText::trimmed(value).isEmpty();
        key += value;
    }
    if (blank) return std::nullopt;
    return key;
}

Outcome notEnough(qint32 wanted, qint64 drawable, const QString& because) {
    Outcome out;
    out.status = Status::NotEnough;
    out.reason = QStringLiteral("You asked for %1 picks, but only %2 %3.\r\nNothing was picked.")
                     .arg(wanted)
                     .arg(drawable)
                     .arg(because);
    return out;
}

Outcome storeFailed(int handle, int code, const QString& file = QString()) {
    Outcome out;
    out.status = Status::StoreFailed;
    out.code = code;
    out.reason = QStringLiteral("The pick could not be stored, so nothing was picked.\r\n") +
                 trm_FailureText(handle, code);
    if (!file.isEmpty()) out.reason += QStringLiteral("\r\n") + file;
    return out;
}

struct Drawn {
    qint64 identity = 0;  // the store's identity of the record, to act on it later
    DataRecord record;
};

// Draws `wanted` records among `pool` (identities of records not omitted).
// Each draw takes an identity out of the pool, so none is fetched twice.
std::variant<std::vector<Drawn>, Outcome> draw(int handle, std::vector<qint64> pool, qint32 wanted,
                                               RandomSource& random) {
    std::vector<Drawn> drawn;
    drawn.reserve(static_cast<std::size_t>(wanted));
    QSet<QByteArray> pickedContents;
    std::size_t remaining = pool.size();
    while (drawn.size() < static_cast<std::size_t>(wanted)) {
        if (remaining == 0) {
            // Every record left repeats one already drawn: what was drawn is all there is.
            return notEnough(wanted, static_cast<qint64>(drawn.size()),
                             QStringLiteral("different entries can be drawn: the other records "
                                            "repeat them or are omitted from picks"));
        }
        const auto k = static_cast<std::size_t>(random.below(static_cast<qint64>(remaining)));
        const qint64 identity = pool[k];
        std::swap(pool[k], pool[remaining - 1]);
        --remaining;

        const QByteArray text = trm_GetDirect(handle, identity);
        if (const int code = trm_Result(handle); code != TrmCode::Ok) {
            return storeFailed(handle, code);
        }
        Drawn candidate{identity, RecordFromString<DataRecord>(text)};
        if (candidate.record.Omit == "T") continue;
        if (const auto key = contentKey(candidate.record)) {
            if (pickedContents.contains(*key)) continue;
            pickedContents.insert(*key);
        }
        drawn.push_back(std::move(candidate));
    }
    return drawn;
}

}  // namespace

bool RandomPick::repeats(const DataRecord& candidate, const DataRecord& earlier) {
    const auto key = contentKey(candidate);
    return key && key == contentKey(earlier);
}

QString RandomPick::resultLine(const DataRecord& record) {
    QStringList fields;
    for (const QByteArray& field : record.Field) {
        fields << RecordText::toUnicode(RecordText::trimmed(field));
    }
    return fields.join(QLatin1Char(',')) + QStringLiteral("\r\n======");
}

qint32 RandomPick::countAfterPick(qint32 timesPicked) {
    constexpr qint32 most = std::numeric_limits<qint32>::max();
    return timesPicked == most ? most : timesPicked + 1;
}

RandomPick::Outcome RandomPick::run(const Request& request, RandomSource& random) {
    const int data = request.dataHandle;
    const qint32 wanted = request.count;
    if (wanted < 1) return Outcome{Status::Picked, {}, 0, {}, {}};

    std::vector<qint64> drawable = trm_IdentitiesWhere(data, DataRecord::OmitOffset, 'T', false);
    if (const int code = trm_Result(data); code != TrmCode::Ok) return storeFailed(data, code);
    if (drawable.size() < static_cast<std::size_t>(wanted)) {
        return notEnough(wanted, static_cast<qint64>(drawable.size()),
                         QStringLiteral("of the %1 records can be drawn: the others are omitted "
                                        "from picks")
                             .arg(trm_Count(data)));
    }

    const TrmOpenFile history(trm_OpenShared(request.historyPath, data));
    if (history.handle() <= 0) {
        return storeFailed(data, -history.handle(), QDir::toNativeSeparators(request.historyPath));
    }
    // Drawn inside the transaction, so that each record drawn is written as it
    // was read, without a second fetch.
    TrmTransaction transaction(data);
    if (transaction.begun() != TrmCode::Ok) return storeFailed(data, transaction.begun());
    auto drawnOrFailure = draw(data, std::move(drawable), wanted, random);
    if (auto* failure = std::get_if<Outcome>(&drawnOrFailure)) return std::move(*failure);

    Outcome out;
    out.status = Status::Picked;
    const QByteArray pickDate = RecordText::fromUnicode(request.pickDate);
    const QByteArray pickTime = RecordText::fromUnicode(request.pickTime);
    for (Drawn& one : std::get<std::vector<Drawn>>(drawnOrFailure)) {
        HistoryRecord entry;
        entry.Record = std::move(one.record);
        entry.Record.LastPicked = pickDate;
        entry.Record.TimesPicked = countAfterPick(entry.Record.TimesPicked);
        entry.PickDate = pickDate;
        entry.PickTime = pickTime;
        const QByteArray stamped = RecordToString(entry.Record);
        if (const int code = trm_UpdateDirect(data, one.identity, stamped); code != 0) {
            return storeFailed(data, code);
        }
        if (const int code = trm_Insert(history.handle(), RecordToString(entry)); code != 0) {
            return storeFailed(history.handle(), code);
        }
        out.lines << resultLine(entry.Record);
        out.history.push_back(std::move(entry));
    }
    if (const int code = transaction.commit(); code != TrmCode::Ok) return storeFailed(data, code);
    return out;
}

RandomPick::Stamp RandomPick::stampFor(const QDateTime& now, const QString& lastDate,
                                       const QString& lastTime) {
    const QDateTime last = QDateTime::fromString(lastDate + QLatin1Char(' ') + lastTime,
                                                 QStringLiteral("MM-dd-yyyy HH:mm:ss"));
    const QDateTime at = last.isValid() && now <= last ? last.addSecs(1) : now;
    return {TypedValues::HyphenatedDate(at.date()), at.toString(QStringLiteral("HH:mm:ss"))};
}
