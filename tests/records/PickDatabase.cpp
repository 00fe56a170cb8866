#include "PickDatabase.h"

#include <stdexcept>

#include "store/RecordManager.h"

namespace {

QByteArrayList allStrings(int handle) {
    QByteArrayList out;
    for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle)) out << r;
    return out;
}

}  // namespace

PickDatabase::PickDatabase() {
    folder_.createDatabase(name(), {QStringLiteral("Name"), QStringLiteral("Team")});
    handle_ = trm_Open(folder_.folder().dataFile(name()), 0);
    if (handle_ <= 0) throw std::runtime_error("test database could not be opened");
}

PickDatabase::~PickDatabase() {
    trm_CloseAll();
}

DataRecord PickDatabase::entry(const QByteArrayList& fields, const QByteArray& omit,
                               qint32 timesPicked) {
    DataRecord record;
    for (qsizetype k = 0; k < fields.size(); ++k) record.Field[std::size_t(k)] = fields[k];
    record.DateEntered = "01-02-2003";
    record.Omit = omit;
    record.TimesPicked = timesPicked;
    return record;
}

void PickDatabase::add(const std::vector<DataRecord>& records) const {
    TrmTransaction transaction(handle_);
    for (const DataRecord& record : records) {
        if (trm_Insert(handle_, RecordToString(record)) != 0) throw std::runtime_error("insert");
    }
    if (transaction.commit() != 0) throw std::runtime_error("commit");
}

void PickDatabase::addNamed(const QByteArray& names, const QByteArray& omitted) const {
    std::vector<DataRecord> records;
    for (char c : names) {
        const QByteArray name(1, c);
        records.push_back(entry({name, "Team " + name}, omitted.contains(c) ? "T" : "F"));
    }
    add(records);
}

QByteArrayList PickDatabase::dataStrings() const {
    return allStrings(handle_);
}

QByteArrayList PickDatabase::historyStrings() const {
    const int h = trm_Open(historyPath(), 0);
    if (h <= 0) throw std::runtime_error("history file could not be opened");
    QByteArrayList out = allStrings(h);
    trm_Close(h);
    return out;
}
