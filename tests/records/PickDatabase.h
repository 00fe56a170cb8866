#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "store/Records.h"
#include "support/TestFolder.h"

// An open test database of two fields ("Name", "Team") with the records given,
// and ways to read back what the data and history files hold.
class PickDatabase {
public:
    explicit PickDatabase(const QStringList& fields = {QStringLiteral("Name"),
                                                       QStringLiteral("Team")});
    ~PickDatabase();
    PickDatabase(const PickDatabase&) = delete;
    PickDatabase& operator=(const PickDatabase&) = delete;

    // A record with these fields (Windows-1252 bytes) and this omit flag.
    static DataRecord entry(const QByteArrayList& fields, const QByteArray& omit = "F",
                            qint32 timesPicked = 0);

    // Inserts the records in one transaction.
    void add(const std::vector<DataRecord>& records) const;
    // Records named by letters, second field "Team " and the letter, omitted
    // when listed in `omitted`.
    void addNamed(const QByteArray& names, const QByteArray& omitted = {}) const;
    // One record per omit flag, in that order along key 1; the k-th has been
    // picked k times and holds a byte above ASCII.
    void addFlags(const QByteArray& flags) const;

    int handle() const { return handle_; }
    const TestFolder& folder() const { return folder_; }
    QString name() const { return QStringLiteral("Club"); }
    QString historyPath() const { return folder_.folder().historyFile(name()); }

    // Every record string in key-1 order.
    QByteArrayList dataStrings() const;
    // The omit flag of every record in key-1 order.
    QByteArray omitFlags() const;
    std::vector<DataRecord> data() const;
    // Every history record in key-1 order, read through a handle of its own.
    std::vector<HistoryRecord> history() const;

private:
    TestFolder folder_;
    int handle_ = 0;
};
