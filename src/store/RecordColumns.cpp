#include "store/RecordColumns.h"

#include <QStringList>
#include <QtEndian>

#include "store/RecordText.h"
#include "store/Records.h"
#include "store/SqliteDatabase.h"

namespace {

constexpr int kUserFields = RecordColumns::FieldColumns;

}  // namespace

RecordColumns::RecordColumns(TrmKind kind) : kind_(kind) {}

const std::vector<RecordColumns::Member>& RecordColumns::members() const {
    static const std::vector<Member> history = [] {
        std::vector<Member> all;
        static const char* const fields[kUserFields] = {"f1", "f2", "f3", "f4",  "f5",  "f6",
                                                        "f7", "f8", "f9", "f10", "f11", "f12"};
        for (int k = 0; k < kUserFields; ++k) {
            all.push_back({fields[k], DataRecord::FieldWidth * k, DataRecord::FieldWidth, false});
        }
        all.push_back({"entered", DataRecord::DateEnteredOffset, DataRecord::DateWidth, false});
        all.push_back({"picked", DataRecord::LastPickedOffset, DataRecord::DateWidth, false});
        all.push_back({"times", DataRecord::TimesPickedOffset, 4, true});
        all.push_back({"omit", DataRecord::OmitOffset, 1, false});
        all.push_back({"notes", DataRecord::NotesOffset, DataRecord::NotesWidth, false});
        all.push_back({"pickdate", HistoryRecord::PickDateOffset, HistoryRecord::PickWidth, false});
        all.push_back({"picktime", HistoryRecord::PickTimeOffset, HistoryRecord::PickWidth, false});
        return all;
    }();
    static const std::vector<Member> data(history.begin(), history.end() - 2);
    return kind_ == TrmKind::Data ? data : history;
}

int RecordColumns::width() const {
    return kind_ == TrmKind::Data ? DataRecord::Size : HistoryRecord::Size;
}

QString RecordColumns::kindName() const {
    return kind_ == TrmKind::Data ? QStringLiteral("data") : QStringLiteral("history");
}

std::optional<TrmKind> RecordColumns::kindNamed(const QString& name) {
    if (name == QLatin1String("data")) return TrmKind::Data;
    if (name == QLatin1String("history")) return TrmKind::History;
    return std::nullopt;
}

QString RecordColumns::names() const {
    QStringList names;
    for (const Member& m : members()) names << QLatin1String(m.column);
    return names.join(QStringLiteral(", "));
}

QString RecordColumns::placeholders(int first) const {
    QStringList marks;
    for (std::size_t i = 0; i < members().size(); ++i)
        marks << QStringLiteral("?%1").arg(first + int(i));
    return marks.join(QStringLiteral(", "));
}

QString RecordColumns::definitions() const {
    QStringList columns;
    for (const Member& m : members()) {
        columns << QStringLiteral("%1 %2 NOT NULL")
                       .arg(QLatin1String(m.column),
                            m.number ? QStringLiteral("INTEGER") : QStringLiteral("TEXT"));
    }
    return columns.join(QStringLiteral(", "));
}

int RecordColumns::statisticsCount() const {
    return int(members().size()) - kUserFields;
}

QString RecordColumns::statisticsAssignments(int first) const {
    QStringList assignments;
    for (std::size_t i = kUserFields; i < members().size(); ++i) {
        assignments << QStringLiteral("%1 = ?%2")
                           .arg(QLatin1String(members()[i].column))
                           .arg(first + int(i) - kUserFields);
    }
    return assignments.join(QStringLiteral(", "));
}

QString RecordColumns::fieldsUnchanged(int first) const {
    QString conditions;
    for (int k = 0; k < kUserFields; ++k) {
        conditions += QStringLiteral(" AND %1 = ?%2")
                          .arg(QLatin1String(members()[std::size_t(k)].column))
                          .arg(first + statisticsCount() + k);
    }
    return conditions;
}

QString RecordColumns::omitUnchanged(int first) const {
    for (std::size_t i = kUserFields; i < members().size(); ++i) {
        if (members()[i].offset == DataRecord::OmitOffset) {
            return QStringLiteral(" AND omit = ?%1").arg(first + int(i) - kUserFields);
        }
    }
    return {};
}

QByteArrayView RecordColumns::stored(QByteArrayView member) {
    return RecordText::withoutPadding(member);
}

void RecordColumns::bindMember(SqliteStatement& stmt, const Member& m, const QByteArray& record,
                               int index) const {
    const char* at = record.constData() + m.offset;
    if (m.number) {
        stmt.bind(index, qint64(qFromLittleEndian<qint32>(at)));
    } else {
        const QByteArrayView value = stored(QByteArrayView(at, m.width));
        stmt.bindStaticText(index, value.data(), int(value.size()));
    }
}

void RecordColumns::bind(SqliteStatement& stmt, const QByteArray& record, int first) const {
    int index = first;
    for (const Member& m : members()) bindMember(stmt, m, record, index++);
}

void RecordColumns::bindSplit(SqliteStatement& stmt, const QByteArray& record, int first) const {
    const std::vector<Member>& all = members();
    int index = first;
    for (std::size_t i = kUserFields; i < all.size(); ++i)
        bindMember(stmt, all[i], record, index++);
    for (int k = 0; k < kUserFields; ++k) bindMember(stmt, all[std::size_t(k)], record, index++);
}

QByteArray RecordColumns::read(const SqliteStatement& stmt, int first) const {
    QByteArray record(width(), ' ');
    char* out = record.data();
    int column = first;
    for (const Member& m : members()) {
        if (m.number) {
            qToLittleEndian(qint32(stmt.int64(column++)), out + m.offset);
            continue;
        }
        const QByteArrayView value = stmt.bytes(column++);
        std::copy(value.begin(), value.begin() + std::min<qsizetype>(value.size(), m.width),
                  out + m.offset);
    }
    return record;
}

std::optional<RecordColumns::ByteTest> RecordColumns::byteAt(int offset, char value) const {
    for (const Member& m : members()) {
        if (offset < m.offset || offset >= m.offset + m.width) continue;
        if (m.number) return std::nullopt;
        if (m.width == 1) {
            // A single byte is stored as it is, a space as nothing.
            return ByteTest{QLatin1String(m.column),
                            value == ' ' ? QByteArray("") : QByteArray(1, value), true};
        }
        const int inside = offset - m.offset;
        return ByteTest{QStringLiteral("CASE WHEN length(CAST(%1 AS BLOB)) > %2 THEN "
                                       "substr(CAST(%1 AS BLOB), %3, 1) ELSE x'20' END")
                            .arg(QLatin1String(m.column))
                            .arg(inside)
                            .arg(inside + 1),
                        QByteArray(1, value), false};
    }
    return std::nullopt;
}

std::optional<QString> RecordColumns::flagColumn(int offset) const {
    for (std::size_t i = kUserFields; i < members().size(); ++i) {
        const Member& m = members()[i];
        if (m.offset == offset && m.width == 1 && !m.number) return QLatin1String(m.column);
    }
    return std::nullopt;
}
