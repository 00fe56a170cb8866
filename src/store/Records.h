#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <array>

// The structured records of the data, history and definition files. Text
// members hold UTF-8; RecordToString pads them to their widths in bytes and
// cuts them at a character boundary, RecordFromString gives them back at full
// width.

struct DataRecord {
    static constexpr int Size = 880;
    static constexpr int FieldCount = 12;
    static constexpr int FieldWidth = 50;
    static constexpr int DateWidth = 10;
    static constexpr int NotesWidth = 255;
    static constexpr int DateEnteredOffset = 600;
    static constexpr int LastPickedOffset = 610;
    static constexpr int TimesPickedOffset = 620;
    static constexpr int OmitOffset = 624;
    static constexpr int NotesOffset = 625;

    std::array<QByteArray, FieldCount> Field;  // Field[0] is Field1, the key-1 field
    QByteArray DateEntered;
    QByteArray LastPicked;
    qint32 TimesPicked = 0;
    QByteArray Omit;
    QByteArray Notes;

    bool operator==(const DataRecord&) const = default;
};

struct HistoryRecord {
    static constexpr int Size = 900;
    static constexpr int PickDateOffset = 880;
    static constexpr int PickTimeOffset = 890;
    static constexpr int PickWidth = 10;

    DataRecord Record;  // members 1-17: the picked record as stored after its pick
    QByteArray PickDate;
    QByteArray PickTime;

    bool operator==(const HistoryRecord&) const = default;
};

struct FieldDefinition {
    static constexpr int Size = 26;
    static constexpr int NameWidth = 25;
    static constexpr int Slots = 12;

    QByteArray FieldName;
    QByteArray InUse;  // "T" holds a field, "F" an unused slot

    bool inUse() const { return InUse == "T"; }
    bool operator==(const FieldDefinition&) const = default;
};

QByteArray RecordToString(const DataRecord& record);
QByteArray RecordToString(const HistoryRecord& record);
QByteArray RecordToString(const FieldDefinition& definition);

// Takes any length: shorter text is padded with spaces, longer text cut, as
// a fetched record string is put into its fixed buffer.
template <typename Record>
Record RecordFromString(const QByteArray& text);

template <>
DataRecord RecordFromString<DataRecord>(const QByteArray& text);
template <>
HistoryRecord RecordFromString<HistoryRecord>(const QByteArray& text);
template <>
FieldDefinition RecordFromString<FieldDefinition>(const QByteArray& text);

// A record string as fetched, put into a buffer of `width` bytes: shorter
// text is padded with spaces, longer text cut.
QByteArray RecordBuffer(const QByteArray& text, int width);
