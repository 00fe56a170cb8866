#include "records/RandomPick.h"

#include <QLocale>

#include "records/TypedValues.h"

#include <QDir>
#include <QHash>
#include <limits>
#include <optional>
#include <variant>

#include "records/DrawPool.h"
#include "records/DrawReceipt.h"
#include "records/RandomSource.h"
#include "records/Rfc3797.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"

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

struct Drawing {
    std::vector<Drawn> drawn;
    std::vector<std::pair<qint64, qint64>> setAside;
};

// Selects from `pool` by the method until `wanted` records are picked. A
// selection whose record repeats an earlier pick is set aside, its index
// spent all the same.
std::variant<Drawing, Outcome> draw(int handle, const DrawPool& pool, const QByteArray& key,
                                    qint32 wanted) {
    Drawing drawing;
    drawing.drawn.reserve(static_cast<std::size_t>(wanted));
    QHash<QByteArray, qint64> pickedContents;  // and the selection that picked each
    Rfc3797::Draw selections(key, pool.size());
    while (drawing.drawn.size() < static_cast<std::size_t>(wanted)) {
        if (selections.done()) {
            // Every record left repeats one already drawn: what was drawn is all there is.
            return notEnough(wanted, static_cast<qint64>(drawing.drawn.size()),
                             QStringLiteral("different entries can be drawn: the other records "
                                            "repeat them or are omitted from picks"));
        }
        const Rfc3797::Draw::Selection selection = selections.next();
        const qint64 identity = pool.ids[std::size_t(selection.number - 1)];
        const QByteArray text = trm_GetDirect(handle, identity);
        if (const int code = trm_Result(handle); code != TrmCode::Ok) {
            return storeFailed(handle, code);
        }
        Drawn candidate{identity, RecordFromString<DataRecord>(text)};
        if (const auto content = contentKey(candidate.record)) {
            if (const auto earlier = pickedContents.constFind(*content);
                earlier != pickedContents.cend()) {
                drawing.setAside.emplace_back(selection.index, *earlier);
                continue;
            }
            pickedContents.insert(*content, selection.index);
        }
        drawing.drawn.push_back(std::move(candidate));
    }
    return drawing;
}

}  // namespace

std::optional<QByteArray> RandomPick::contentOf(const DataRecord& record) {
    return contentKey(record);
}

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
    if (request.count < 1) return run(request, Named{});
    const QString number = random.number();
    if (number.isEmpty()) {
        Outcome out;
        out.reason = QStringLiteral(
            "The operating system's random generator could not be read, so nothing was picked.");
        return out;
    }
    return run(request, Named{Rfc3797::FromNumber(number), number, {}});
}

RandomPick::Outcome RandomPick::run(const Request& request, const Named& named) {
    const int data = request.dataHandle;
    const qint32 wanted = request.count;
    if (wanted < 1) return Outcome{Status::Picked, {}, 0, {}, {}, {}, {}, 0};

    const TrmOpenFile history(trm_OpenShared(request.historyPath, data));
    if (history.handle() <= 0) {
        return storeFailed(data, -history.handle(), QDir::toNativeSeparators(request.historyPath));
    }
    // The pool is read and drawn from inside the transaction, so that each
    // record drawn is written as it was read and the receipt speaks of the
    // pool exactly as it was drawn from.
    TrmTransaction transaction(data);
    if (transaction.begun() != TrmCode::Ok) return storeFailed(data, transaction.begun());
    const DrawPool::Reading reading = DrawPool::Read(data);
    if (!reading.pool) return storeFailed(data, reading.code);
    const DrawPool& pool = *reading.pool;
    if (!named.publishedSha256.isEmpty() && named.publishedSha256 != pool.sha256) {
        Outcome out;
        out.status = Status::PoolChanged;
        out.reason = QStringLiteral(
                         "The pool has changed since it was published, so nothing was drawn.\r\n"
                         "Its SHA-256 was %1 when published, and is %2 now.\r\n"
                         "Read the pool again and publish it before drawing.")
                         .arg(QString::fromLatin1(named.publishedSha256.toHex().toUpper()),
                              QString::fromLatin1(pool.sha256.toHex().toUpper()));
        return out;
    }
    if (pool.size() < wanted) {
        return notEnough(wanted, pool.size(),
                         QStringLiteral("of the %1 records can be drawn: the others are omitted "
                                        "from picks")
                             .arg(trm_Count(data)));
    }
    auto drawnOrFailure = draw(data, pool, named.key, wanted);
    if (auto* failure = std::get_if<Outcome>(&drawnOrFailure)) return std::move(*failure);
    Drawing& drawing = std::get<Drawing>(drawnOrFailure);

    Outcome out;
    out.status = Status::Picked;
    out.key = named.key;
    out.poolSha256 = pool.sha256;
    out.poolSize = pool.size();
    const QByteArray pickDate = RecordText::fromUnicode(request.pickDate);
    const QByteArray pickTime = RecordText::fromUnicode(request.pickTime);
    qint64 firstRecord = 0;
    for (Drawn& one : drawing.drawn) {
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
        // The receipt names the pick's history records by the first and their
        // number: a transaction's inserts take identities one after another.
        const qint64 written = trm_GetPosition(history.handle());
        if (firstRecord == 0) firstRecord = written;
        if (written != firstRecord + qint64(out.history.size())) {
            return storeFailed(history.handle(), TrmCode::IoError);
        }
        out.lines << resultLine(entry.Record);
        out.history.push_back(std::move(entry));
    }
    DrawReceipt receipt;
    receipt.pickDate = request.pickDate;
    receipt.pickTime = request.pickTime;
    receipt.method = Rfc3797::Method();
    receipt.sources = named.sources;
    receipt.key = named.key;
    receipt.count = wanted;
    receipt.poolSize = pool.size();
    receipt.sha256 = pool.sha256;
    receipt.setAside = std::move(drawing.setAside);
    receipt.firstRecord = firstRecord;
    receipt.records = qint64(out.history.size());
    if (const int code =
            trm_AddReceipt(history.handle(), receipt.stored(pool.ids, pool.fingerprints));
        code != TrmCode::Ok) {
        return storeFailed(history.handle(), code);
    }
    if (const int code = transaction.commit(); code != TrmCode::Ok) return storeFailed(data, code);
    return out;
}

std::optional<RandomPick::Odds> RandomPick::OddsOf(int dataHandle, const DataRecord& record) {
    // The pool's size needs a count of the omitted, which on a large file
    // is worth keeping while the file stays as it was.
    static qint64 countedVersion = 0;
    static qint64 counted = 0;
    const qint64 version = trm_ContentVersion(dataHandle);
    if (version == 0) return std::nullopt;
    if (version != countedVersion) {
        const qint64 omitted = trm_CountWhere(dataHandle, DataRecord::OmitOffset, 'T');
        if (trm_Result(dataHandle) != TrmCode::Ok) return std::nullopt;
        counted = trm_Count(dataHandle) - omitted;
        countedVersion = version;
    }
    const qint64 copies = trm_CountCopies(dataHandle, RecordToString(record));
    if (trm_Result(dataHandle) != TrmCode::Ok) return std::nullopt;
    const Odds odds{copies, counted};
    return odds;
}

QString RandomPick::Odds::text() const {
    if (pool == 0) return QStringLiteral("none: every record is omitted from picks");
    const QLocale locale;
    return QStringLiteral("%1 in %2 (%3%): %4 in a pool of %2")
        .arg(locale.toString(copies), locale.toString(pool),
             locale.toString(100.0 * double(copies) / double(pool), 'g', 3),
             copies == 1 ? QStringLiteral("1 copy")
                         : QStringLiteral("%1 copies").arg(locale.toString(copies)));
}

RandomPick::Stamp RandomPick::stampFor(const QDateTime& now, const QString& lastDate,
                                       const QString& lastTime) {
    const QDateTime last = QDateTime::fromString(lastDate + QLatin1Char(' ') + lastTime,
                                                 QStringLiteral("MM-dd-yyyy HH:mm:ss"));
    // Stamps name whole seconds: a pick later in the second of the last one's
    // stamp is no later than that stamp.
    const QDateTime at =
        last.isValid() && now.toSecsSinceEpoch() <= last.toSecsSinceEpoch() ? last.addSecs(1) : now;
    return {TypedValues::HyphenatedDate(at.date()), at.toString(QStringLiteral("HH:mm:ss"))};
}
