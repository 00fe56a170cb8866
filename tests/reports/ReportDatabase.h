#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QLocale>

#include "records/PickDatabase.h"

// An open test database "Books" of two fields, Title and Author, whose data
// and history files the tests fill.
struct ReportDatabase : PickDatabase {
    ReportDatabase() : PickDatabase({QStringLiteral("Title"), QStringLiteral("Author")}, "Books") {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    static DataRecord book(const QByteArray& title, const QByteArray& author = {},
                           qint32 timesPicked = 0, const QByteArray& lastPicked = {}) {
        DataRecord r = entry({title, author}, "F", timesPicked);
        r.LastPicked = lastPicked;
        return r;
    }

    QString definitionPath() const { return folder.folder().definitionFile(name); }
    QString reportPath() const { return folder.file(QStringLiteral("report.txt")); }
    QByteArray report() const { return folder.readAll(QStringLiteral("report.txt")); }
    void writeReport(const QByteArray& bytes) const { folder.write("report.txt", bytes); }
};
