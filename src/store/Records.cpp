#include "store/Records.h"

#include "store/RecordText.h"

namespace {

void putText(QByteArray& out, const QByteArray& value, int width) {
    out.append(RecordText::fixedWidth(value, width));
}

void putInt32(QByteArray& out, qint32 value) {
    auto u = static_cast<quint32>(value);
    for (int i = 0; i < 4; ++i) out.append(char((u >> (8 * i)) & 0xFF));
}

qint32 int32At(const QByteArray& s, int offset) {
    quint32 u = 0;
    for (int i = 0; i < 4; ++i)
        u |= quint32(static_cast<unsigned char>(s.at(offset + i))) << (8 * i);
    return static_cast<qint32>(u);
}

void appendData(QByteArray& out, const DataRecord& r) {
    for (const QByteArray& f : r.Field) putText(out, f, DataRecord::FieldWidth);
    putText(out, r.DateEntered, DataRecord::DateWidth);
    putText(out, r.LastPicked, DataRecord::DateWidth);
    putInt32(out, r.TimesPicked);
    putText(out, r.Omit, 1);
    putText(out, r.Notes, DataRecord::NotesWidth);
}

DataRecord dataFrom(const QByteArray& s) {
    DataRecord r;
    for (int k = 0; k < DataRecord::FieldCount; ++k) {
        r.Field[k] = s.mid(k * DataRecord::FieldWidth, DataRecord::FieldWidth);
    }
    r.DateEntered = s.mid(DataRecord::DateEnteredOffset, DataRecord::DateWidth);
    r.LastPicked = s.mid(DataRecord::LastPickedOffset, DataRecord::DateWidth);
    r.TimesPicked = int32At(s, DataRecord::TimesPickedOffset);
    r.Omit = s.mid(DataRecord::OmitOffset, 1);
    r.Notes = s.mid(DataRecord::NotesOffset, DataRecord::NotesWidth);
    return r;
}

}  // namespace

QByteArray RecordToString(const DataRecord& record) {
    QByteArray out;
    out.reserve(DataRecord::Size);
    appendData(out, record);
    return out;
}

QByteArray RecordToString(const HistoryRecord& record) {
    QByteArray out;
    out.reserve(HistoryRecord::Size);
    appendData(out, record.Record);
    putText(out, record.PickDate, HistoryRecord::PickWidth);
    putText(out, record.PickTime, HistoryRecord::PickWidth);
    return out;
}

QByteArray RecordToString(const FieldDefinition& definition) {
    QByteArray out;
    out.reserve(FieldDefinition::Size);
    putText(out, definition.FieldName, FieldDefinition::NameWidth);
    putText(out, definition.InUse, 1);
    return out;
}

template <>
DataRecord RecordFromString<DataRecord>(const QByteArray& text) {
    return dataFrom(RecordBuffer(text, DataRecord::Size));
}

template <>
HistoryRecord RecordFromString<HistoryRecord>(const QByteArray& text) {
    const QByteArray s = RecordBuffer(text, HistoryRecord::Size);
    HistoryRecord r;
    r.Record = dataFrom(s);
    r.PickDate = s.mid(HistoryRecord::PickDateOffset, HistoryRecord::PickWidth);
    r.PickTime = s.mid(HistoryRecord::PickTimeOffset, HistoryRecord::PickWidth);
    return r;
}

template <>
FieldDefinition RecordFromString<FieldDefinition>(const QByteArray& text) {
    const QByteArray s = RecordBuffer(text, FieldDefinition::Size);
    return FieldDefinition{s.left(FieldDefinition::NameWidth),
                           s.mid(FieldDefinition::NameWidth, 1)};
}

QByteArray RecordBuffer(const QByteArray& text, int width) {
    if (text.size() == width) return text;
    QByteArray buffer(width, ' ');
    std::copy(text.begin(), text.begin() + std::min<qsizetype>(text.size(), width), buffer.begin());
    return buffer;
}
