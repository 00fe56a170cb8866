#include "PickDatabase.h"

#include <stdexcept>

#include "store/RecordManager.h"

PickDatabase::PickDatabase(const QStringList& fields) {
    folder_.createDatabase(name(), fields);
    handle_ = trm_Open(folder_.folder().dataFile(name()), 0);
    if (handle_ <= 0) throw std::runtime_error("test database could not be opened");
}

PickDatabase::~PickDatabase() {
    trm_CloseAll();
}

DataRecord PickDatabase::entry(const QByteArrayList& fields, const QByteArray& omit,
                               qint32 timesPicked) {
    DataRecord record;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        record.Field[static_cast<std::size_t>(k)] = fields[k];
    }
    record.DateEntered = "01-02-2003";
    record.Omit = omit;
    record.TimesPicked = timesPicked;
    return record;
}

void PickDatabase::add(const std::vector<DataRecord>& records) const {
    TrmTransaction transaction(handle_);
    for (const DataRecord& record : records) {
        if (trm_Insert(handle_, RecordToString(record)) != 0) {
            throw std::runtime_error("test record could not be inserted");
        }
    }
    if (transaction.commit() != 0) throw std::runtime_error("test records were not committed");
}

void PickDatabase::addNamed(const QByteArray& names, const QByteArray& omitted) const {
    std::vector<DataRecord> records;
    for (char c : names) {
        const QByteArray name(1, c);
        records.push_back(entry({name, "Team " + name}, omitted.contains(c) ? "T" : "F"));
    }
    add(records);
}

void PickDatabase::addFlags(const QByteArray& flags) const {
    std::vector<DataRecord> records;
    for (qsizetype i = 0; i < flags.size(); ++i) {
        records.push_back(
            entry({QByteArray::number(100000 + i), "Ren\xe9"}, flags.mid(i, 1), qint32(i)));
    }
    add(records);
}

namespace {

QByteArrayList allStrings(int handle) {
    QByteArrayList out;
    for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle)) out << r;
    return out;
}

}  // namespace

QByteArrayList PickDatabase::dataStrings() const {
    return allStrings(handle_);
}

QByteArray PickDatabase::omitFlags() const {
    QByteArray flags;
    for (const QByteArray& r : dataStrings()) flags += r[DataRecord::OmitOffset];
    return flags;
}

std::vector<DataRecord> PickDatabase::data() const {
    std::vector<DataRecord> out;
    for (const QByteArray& r : dataStrings()) out.push_back(RecordFromString<DataRecord>(r));
    return out;
}

std::vector<HistoryRecord> PickDatabase::history() const {
    const int h = trm_Open(historyPath(), 0);
    if (h <= 0) throw std::runtime_error("history file could not be opened");
    std::vector<HistoryRecord> out;
    for (const QByteArray& r : allStrings(h)) out.push_back(RecordFromString<HistoryRecord>(r));
    trm_Close(h);
    return out;
}
