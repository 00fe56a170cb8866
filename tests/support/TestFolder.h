#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "store/DataFolder.h"

// A fresh data folder per test, removed afterwards.
class TestFolder {
public:
    TestFolder() : folder_(dir_.path()) {}

    const DataFolder& folder() const { return folder_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return folder_.file(name); }

    // A database with these fields and no records, made as the program makes one.
    void createDatabase(const QString& name, const QStringList& fields) const;
    QByteArray readAll(const QString& name) const;
    // Writes a file of these bytes over any of that name; returns its path.
    QString write(const QString& name, const QByteArray& bytes) const;
    // Sorted names of the files in the folder.
    QStringList files() const;

private:
    QTemporaryDir dir_;
    DataFolder folder_;
};
