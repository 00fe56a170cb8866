#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <functional>

#include "store/RecordColumns.h"

class SqliteDatabase;

// The SQLite files of the record manager: how one says it is ours and which
// version wrote it, its tables and its indexes.
//
// A file holds two tables: `layout` (the key layout string it was created
// with, and whether it holds data or history records) and `records` (one row
// per record, one column per member, see RecordColumns). Key k is indexed on
// key_order(fk), the key in the form KeyOrder::Key gives, as text (values
// compared with it must be bound as text too); the omit flag has an index of
// its own.
namespace RecordSchema {

// "RND3": marks a SQLite file as one of this program's record files.
constexpr qint64 ApplicationId = 0x524E4433;
// Version 1 kept each record string whole, in Windows-1252, beside a padded
// copy of each key; version 2 keeps the members, in UTF-8.
constexpr int Version = 2;
constexpr int EarlierVersion = 1;

// What the first bytes of a file say of it. They are read without SQLite, so
// that nothing is ever written to a file before it is known to be ours.
enum class Header { Ours, Earlier, Newer, Foreign, Missing, Unreadable };
Header ReadHeader(const QString& path);

// Makes key_order() known to a connection; the key indexes are built on it.
int DefineKeyOrder(sqlite3* db);

// The SQL of key k, as its index is built on it.
QString KeyExpression(int key);

QString DropIndexes(int keyCount, const QString& schema);
// Builds the indexes of a file, one pass over its rows each. `keepGoing`,
// when given, is called often meanwhile and returns false to stop, which
// fails the build with SQLITE_INTERRUPT.
int BuildIndexes(SqliteDatabase& db, int keyCount, const QString& schema,
                 const std::function<bool()>& keepGoing = {});

// Writes a new file at `path` (which must not exist): the tables, the rows
// `fill` inserts into `main.records` on the open connection, then the
// indexes (see BuildIndexes), all committed at once. Returns SQLite's code.
using Fill = std::function<int(SqliteDatabase& db)>;
int Write(const QString& path, const QByteArray& keyLayout, int keyCount, TrmKind kind,
          const Fill& fill = {}, const std::function<bool()>& keepGoing = {});

}  // namespace RecordSchema
