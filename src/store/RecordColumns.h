#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

class SqliteStatement;

// What a record file holds: data records (880 bytes) or history records (900).
enum class TrmKind { Data, History };

// How a record string is kept in a row: one column per member, holding what
// the member holds without the spaces that pad it (the count as a number),
// so that the disk holds the data and not its padding. The record string is
// rebuilt byte for byte on every read.
class RecordColumns {
public:
    explicit RecordColumns(TrmKind kind);

    TrmKind kind() const { return kind_; }
    int width() const;
    // "data" or "history", as a file names what it holds.
    QString kindName() const;
    static std::optional<TrmKind> kindNamed(const QString& name);

    // "f1, f2, ..., notes" in the order of the members.
    QString names() const;
    // "?first, ?first+1, ..." one per member.
    QString placeholders(int first) const;
    // The columns as a table definition lists them.
    QString definitions() const;
    // "entered = ?first, ..." for the members past the user fields, and
    // " AND f1 = ?n ..." for the user fields: a change that leaves every
    // field as it was need not touch the key indexes.
    QString statisticsAssignments(int first) const;
    QString fieldsUnchanged(int first) const;
    int statisticsCount() const;
    static constexpr int FieldColumns = 12;

    // Binds the members of `record` (padded or cut to the width first) from
    // parameter `first` on; the bytes must outlive the step.
    void bind(SqliteStatement& stmt, const QByteArray& record, int first) const;
    // Binds the user fields, then the rest, as statisticsAssignments and
    // fieldsUnchanged number them.
    void bindSplit(SqliteStatement& stmt, const QByteArray& record, int first) const;
    // The record string of the row whose members start at column `first`.
    QByteArray read(const SqliteStatement& stmt, int first) const;

    // The byte at `offset` of a record as SQL, with `value` as it compares
    // there: the omit flag is a column of its own (and indexed), the bytes
    // of other text members are read from their column. Nothing for a byte
    // of the count.
    struct ByteTest {
        QString expression;
        QByteArray value;
        bool text;  // the value binds as text, else as bytes
    };
    std::optional<ByteTest> byteAt(int offset, char value) const;
    // The column of a one-byte member past the user fields, for setting it
    // in place; nothing for any other offset.
    std::optional<QString> flagColumn(int offset) const;

    // A member's value as stored: its bytes without the spaces that pad it.
    static QByteArrayView stored(QByteArrayView member);

private:
    struct Member {
        const char* column;
        int offset;
        int width;
        bool number;
    };
    const std::vector<Member>& members() const;
    void bindMember(SqliteStatement& stmt, const Member& m, const QByteArray& record,
                    int index) const;

    TrmKind kind_;
};
