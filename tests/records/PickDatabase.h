#pragma once

#include <QByteArrayList>
#include <stdexcept>
#include <vector>

#include "store/RecordManager.h"
#include "store/Records.h"
#include "support/TestFolder.h"

// An open test database "Club" of two fields, Name and Team, or of the fields
// and name given.
struct PickDatabase {
    explicit PickDatabase(const QStringList& fields = {QStringLiteral("Name"),
                                                       QStringLiteral("Team")},
                          const QString& databaseName = QStringLiteral("Club"))
        : name(databaseName) {
        folder.createDatabase(name, fields);
        handle = trm_Open(folder.folder().dataFile(name), 0);
    }
    ~PickDatabase() { trm_CloseAll(); }

    static DataRecord entry(const QByteArrayList& fields, const QByteArray& omit = "F",
                            qint32 timesPicked = 0) {
        DataRecord r;
        for (qsizetype k = 0; k < fields.size(); ++k) r.Field[std::size_t(k)] = fields[k];
        r.DateEntered = "01-02-2003";
        r.Omit = omit;
        r.TimesPicked = timesPicked;
        return r;
    }
    // Inserts the records in one transaction.
    void add(const std::vector<DataRecord>& records) const {
        TrmTransaction transaction(handle);
        for (const DataRecord& r : records) trm_Insert(handle, RecordToString(r));
        transaction.commit();
    }
    // Records named by letters, Team "Team " + letter, omitted when in `omitted`.
    void addNamed(const QByteArray& names, const QByteArray& omitted = {}) const {
        std::vector<DataRecord> records;
        for (char c : names) {
            const QByteArray n(1, c);
            records.push_back(entry({n, "Team " + n}, omitted.contains(c) ? "T" : "F"));
        }
        add(records);
    }

    // Appends one pick's records to the history file.
    void addPick(const QByteArray& date, const QByteArray& time,
                 const std::vector<DataRecord>& records) const {
        const int h = trm_Open(historyPath(), 0);
        {
            TrmTransaction transaction(h);
            for (const DataRecord& r : records)
                trm_Insert(h, RecordToString(HistoryRecord{r, date, time}));
            transaction.commit();
        }
        trm_Close(h);
    }

    QString historyPath() const { return folder.folder().historyFile(name); }
    // Record strings along key 1, of the data file and of the history file.
    QByteArrayList dataStrings() const { return strings(handle); }
    QByteArrayList historyStrings() const {
        const int h = trm_Open(historyPath(), 0);
        if (h <= 0) throw std::runtime_error("history file could not be opened");
        const QByteArrayList out = strings(h);
        trm_Close(h);
        return out;
    }
    static QByteArrayList strings(int h) {
        QByteArrayList out;
        for (QByteArray r = trm_GetFirst(h, 1); !r.isEmpty(); r = trm_GetNext(h)) out << r;
        return out;
    }

    const QString name;
    TestFolder folder;
    int handle = 0;
};
