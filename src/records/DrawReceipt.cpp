#include "records/DrawReceipt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "records/DrawPool.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"

TrmReceipt DrawReceipt::stored(const std::vector<qint64>& drawnFrom,
                               const QByteArray& itsFingerprints) const {
    QJsonArray aside;
    for (const auto& [index, repeats] : setAside) aside.append(QJsonArray{index, repeats});
    const QJsonObject details{
        {QStringLiteral("method"), method},
        {QStringLiteral("sources"), sources},
        {QStringLiteral("key"), QString::fromLatin1(key)},
        {QStringLiteral("count"), count},
        {QStringLiteral("pool"), poolSize},
        {QStringLiteral("sha256"), QString::fromLatin1(sha256.toHex())},
        {QStringLiteral("setAside"), aside},
    };
    TrmReceipt out;
    out.pickDate = RecordText::field(pickDate, HistoryRecord::PickWidth);
    out.pickTime = RecordText::field(pickTime, HistoryRecord::PickWidth);
    out.first = firstRecord;
    out.records = records;
    out.details = QJsonDocument(details).toJson(QJsonDocument::Compact);
    out.pool = DrawPool::Encode(drawnFrom, itsFingerprints);
    return out;
}

std::optional<DrawReceipt> DrawReceipt::FromStored(const TrmReceipt& stored) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(stored.details, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject details = document.object();
    DrawReceipt r;
    r.pickDate = RecordText::toUnicode(RecordText::trimmed(stored.pickDate));
    r.pickTime = RecordText::toUnicode(RecordText::trimmed(stored.pickTime));
    r.method = details.value(QStringLiteral("method")).toString();
    r.sources = details.value(QStringLiteral("sources")).toString();
    r.key = details.value(QStringLiteral("key")).toString().toLatin1();
    r.count = details.value(QStringLiteral("count")).toInt();
    r.sha256 = QByteArray::fromHex(details.value(QStringLiteral("sha256")).toString().toLatin1());
    for (const QJsonValue& pair : details.value(QStringLiteral("setAside")).toArray()) {
        const QJsonArray two = pair.toArray();
        r.setAside.emplace_back(two.at(0).toInteger(), two.at(1).toInteger());
    }
    r.firstRecord = stored.first;
    r.records = stored.records;
    r.poolSize = details.value(QStringLiteral("pool")).toInteger();
    if (!stored.pool.isEmpty() && (!DrawPool::Decode(stored.pool, r.pool, r.fingerprints) ||
                                   qint64(r.pool.size()) != r.poolSize)) {
        return std::nullopt;
    }
    if (r.key.isEmpty() || r.sha256.size() != 32) return std::nullopt;
    return r;
}
