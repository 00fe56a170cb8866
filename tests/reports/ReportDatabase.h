#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QLocale>
#include <vector>

#include "store/RecordManager.h"
#include "store/Records.h"
#include "support/TestFolder.h"

// An open test database "Books" of two fields, Title and Author, whose data
// and history files the tests fill.
struct ReportDatabase {
    ReportDatabase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        folder.createDatabase(name, {QStringLiteral("Title"), QStringLiteral("Author")});
        handle = trm_Open(folder.folder().dataFile(name), 0);
    }
    ~ReportDatabase() { trm_CloseAll(); }

    static DataRecord book(const QByteArray& title, const QByteArray& author = {},
                           qint32 timesPicked = 0, const QByteArray& lastPicked = {}) {
        DataRecord r;
        r.Field[0] = title;
        r.Field[1] = author;
        r.DateEntered = "01-02-2003";
        r.LastPicked = lastPicked;
        r.TimesPicked = timesPicked;
        r.Omit = "F";
        return r;
    }
    void add(const std::vector<DataRecord>& records) const {
        TrmTransaction transaction(handle);
        for (const DataRecord& r : records) trm_Insert(handle, RecordToString(r));
        transaction.commit();
    }
    // Appends one pick's records to the history file.
    void addPick(const QByteArray& date, const QByteArray& time,
                 const std::vector<DataRecord>& records) const {
        const int h = trm_Open(historyPath(), 0);
        {
            TrmTransaction transaction(h);
            for (const DataRecord& r : records) {
                trm_Insert(h, RecordToString(HistoryRecord{r, date, time}));
            }
            transaction.commit();
        }
        trm_Close(h);
    }

    QString historyPath() const { return folder.folder().historyFile(name); }
    QString definitionPath() const { return folder.folder().definitionFile(name); }
    QString reportPath() const { return folder.file(QStringLiteral("report.txt")); }
    QByteArray report() const { return folder.readAll(QStringLiteral("report.txt")); }
    void writeReport(const QByteArray& bytes) const {
        QFile f(reportPath());
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }

    const QString name = QStringLiteral("Books");
    TestFolder folder;
    int handle = 0;
};
