#pragma once

#include <QByteArrayList>
#include <QString>
#include <vector>

#include "store/Records.h"
#include "support/TestFolder.h"

// An open test database "Club" of two fields, Name and Team.
class PickDatabase {
public:
    PickDatabase();
    ~PickDatabase();
    PickDatabase(const PickDatabase&) = delete;
    PickDatabase& operator=(const PickDatabase&) = delete;

    static DataRecord entry(const QByteArrayList& fields, const QByteArray& omit = "F",
                            qint32 timesPicked = 0);
    // Inserts the records in one transaction.
    void add(const std::vector<DataRecord>& records) const;
    // Records named by letters, Team "Team " + letter, omitted when in `omitted`.
    void addNamed(const QByteArray& names, const QByteArray& omitted = {}) const;

    int handle() const { return handle_; }
    const TestFolder& folder() const { return folder_; }
    QString name() const { return QStringLiteral("Club"); }
    QString historyPath() const { return folder_.folder().historyFile(name()); }

    // Record strings along key 1, of the data file and of the history file.
    QByteArrayList dataStrings() const;
    QByteArrayList historyStrings() const;

private:
    TestFolder folder_;
    int handle_ = 0;
};
