#include "records/DrawPool.h"

#include <QCryptographicHash>
#include <algorithm>

#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"

namespace {

// The fields of a record as its listing line holds them, after the number.
void appendFields(QByteArray& out, QByteArrayView record, int fields) {
    for (int k = 0; k < fields; ++k) {
        out += '\t';
        const qsizetype at = qsizetype(k) * DataRecord::FieldWidth;
        if (at >= record.size()) continue;
        out += RecordText::withoutPadding(
            record.sliced(at, std::min<qsizetype>(DataRecord::FieldWidth, record.size() - at)));
    }
}

// Seven bits to a byte, the lowest first, the high bit set on all but the last.
char* putNumber(char* out, quint64 value) {
    while (value >= 0x80) {
        *out++ = char(0x80 | (value & 0x7F));
        value >>= 7;
    }
    *out++ = char(value);
    return out;
}

bool takeNumber(QByteArrayView bytes, qsizetype& at, quint64& value) {
    value = 0;
    for (int shift = 0; shift < 64 && at < bytes.size(); shift += 7) {
        const auto byte = quint8(bytes[at++]);
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}

// FNV-1a of an entry's fields, folded to a byte: a change to the entry is
// named unless it happens to keep the byte, one time in 256.
quint8 fingerprintOf(QByteArrayView content) {
    quint32 hash = 2166136261u;
    for (const char c : content) hash = (hash ^ quint8(c)) * 16777619u;
    return quint8(hash ^ (hash >> 8) ^ (hash >> 16) ^ (hash >> 24));
}

struct Cached {
    qint64 version = 0;
    std::shared_ptr<const DrawPool> pool;
};

Cached& cache() {
    static Cached kept;
    return kept;
}

}  // namespace

QByteArray DrawPool::Line(qint64 number, QByteArrayView record, int fields) {
    QByteArray line = QByteArray::number(number);
    appendFields(line, record, fields);
    return line + '\n';
}

quint8 DrawPool::Fingerprint(QByteArrayView record, int fields) {
    QByteArray content;
    appendFields(content, record, fields);
    return fingerprintOf(content);
}

int DrawPool::Visit(int dataHandle, const std::vector<qint64>& ids, const Visitor& visit) {
    std::size_t next = 0;
    bool stopped = false;
    // Most of the file in the pool: one pass along key 1 costs less than a
    // look-up per entry. It serves only while the entries stand in that order.
    if (ids.size() * 4 >= std::size_t(std::max(1, trm_Count(dataHandle)))) {
        const int code = trm_Scan(dataHandle, 1, [&](qint64 id, const QByteArray& record) {
            if (id != ids[next]) return true;
            ++next;
            stopped = !visit(qint64(next), id, record);
            return !stopped && next < ids.size();
        });
        if (code != TrmCode::Ok) return code;
    }
    for (; !stopped && next < ids.size(); ++next) {
        const QByteArray record = trm_Peek(dataHandle, ids[next]);
        stopped = !visit(qint64(next) + 1, ids[next], record);
    }
    return TrmCode::Ok;
}

DrawPool::Reading DrawPool::Read(int dataHandle, const Progress& progress) {
    Reading reading;
    const qint64 version = trm_ContentVersion(dataHandle);
    if (version != 0 && version == cache().version) {
        reading.pool = cache().pool;
        return reading;
    }
    auto pool = std::make_shared<DrawPool>();
    pool->fields = trm_KeyCount(dataHandle);
    std::vector<qint64> ranked;
    if ((reading.code = trm_Identities(dataHandle, ranked)) != TrmCode::Ok) return reading;
    const qint64 total = trm_Count(dataHandle);
    if (progress && !progress(0, total)) return reading.stopped = true, reading;

    // The fields of the records not omitted, in one buffer, read from the
    // omit flag's index in one query (as many reads as the pool has entries),
    // then put in key-1 order by the rank index.
    std::vector<qsizetype> start(
        ranked.empty() ? 0 : std::size_t(*std::max_element(ranked.begin(), ranked.end())) + 1, -1);
    std::vector<qsizetype> length(start.size());
    QByteArray fields;
    qint64 done = 0;
    reading.code = trm_ScanWhere(
        dataHandle, DataRecord::OmitOffset, 'T', false, [&](qint64 id, const QByteArray& record) {
            if (std::size_t(id) >= start.size()) return true;  // added since the ranks were read
            start[std::size_t(id)] = fields.size();
            appendFields(fields, record, pool->fields);
            length[std::size_t(id)] = fields.size() - start[std::size_t(id)];
            ++done;
            if (done % ProgressEvery == 0 && progress && !progress(done, total))
                reading.stopped = true;
            return !reading.stopped;
        });
    if (reading.stopped || reading.code != TrmCode::Ok) return reading;

    QCryptographicHash sha(QCryptographicHash::Sha256);
    pool->ids.reserve(std::size_t(done));
    pool->fingerprints.reserve(qsizetype(done));
    QByteArray line;
    for (const qint64 id : ranked) {
        const qsizetype at = start[std::size_t(id)];
        if (at < 0) continue;
        pool->ids.push_back(id);
        const QByteArrayView content = QByteArrayView(fields).sliced(at, length[std::size_t(id)]);
        pool->fingerprints += char(fingerprintOf(content));
        line = QByteArray::number(pool->size());
        line += content;
        line += '\n';
        sha.addData(line);
    }
    if (pool->size() != done) return reading.code = TrmCode::NotADatabase, reading;
    pool->sha256 = sha.result();
    cache() = {version, pool};
    reading.pool = std::move(pool);
    return reading;
}

QByteArray DrawPool::Encode(const std::vector<qint64>& ids, const QByteArray& fingerprints) {
    // Written into place: ten bytes hold any number, and a pool of a million
    // is written at once rather than grown into.
    QByteArray out(qsizetype(ids.size() + 1) * 10 + fingerprints.size(), Qt::Uninitialized);
    char* at = putNumber(out.data(), ids.size());
    qint64 previous = 0;
    for (std::size_t i = 0; i < ids.size();) {
        const qint64 step = ids[i] - previous - 1;
        if (step == 0) {
            // A run of consecutive identities: a 0, then its length.
            std::size_t run = 1;
            while (i + run < ids.size() && ids[i + run] == ids[i + run - 1] + 1) ++run;
            *at++ = 0;
            at = putNumber(at, run);
            i += run;
        } else {
            at = putNumber(at, step > 0 ? quint64(step) * 2 : quint64(-step) * 2 - 1);
            ++i;
        }
        previous = ids[i - 1];
    }
    at = std::copy(fingerprints.begin(), fingerprints.end(), at);
    out.truncate(at - out.constData());
    return out;
}

bool DrawPool::Decode(QByteArrayView bytes, std::vector<qint64>& ids, QByteArray& fingerprints) {
    ids.clear();
    qsizetype at = 0;
    quint64 count = 0;
    if (!takeNumber(bytes, at, count) || count > quint64(bytes.size())) return false;
    ids.reserve(count);
    qint64 previous = 0;
    while (ids.size() < count) {
        quint64 token = 0;
        if (!takeNumber(bytes, at, token)) return false;
        if (token == 0) {
            quint64 run = 0;
            if (!takeNumber(bytes, at, run) || run == 0 || run > count - ids.size()) return false;
            for (quint64 k = 0; k < run; ++k) ids.push_back(++previous);
        } else {
            const qint64 step = token % 2 ? -qint64((token + 1) / 2) : qint64(token / 2);
            previous += step + 1;
            ids.push_back(previous);
        }
    }
    if (bytes.size() - at != qsizetype(count)) return false;
    fingerprints = bytes.sliced(at).toByteArray();
    return true;
}
