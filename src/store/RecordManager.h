#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

#include "store/RecordColumns.h"

// The record manager: indexed record files kept in SQLite databases. Every
// window reaches the data and history files through these functions.
//
// A file is opened into a handle (> 0). Each handle has a current record and a
// key path: a fetch makes the record it returns current, and GetNext/GetPrev
// move along the key that fetch used. Records are counted byte strings (they
// hold NUL bytes) and are stored exactly as given.
//
// Records: a data file keeps records of 880 bytes, a history file records of
// 900 (see Records.h); a record given shorter is padded with spaces, longer
// cut, and every fetch gives the whole record string back byte for byte.
// Text members are UTF-8.
//
// Keys: key k is the 50 bytes at offset 50 x (k - 1) of a record. Keys compare
// case-insensitively across all of Unicode: each is folded by Unicode simple
// case folding, and folded keys are ordered by their UTF-8 bytes as though
// padded with spaces without end (KeyOrder.h), so "łukasz" finds "Łukasz",
// trailing spaces never matter, and a key value given to a search is padded
// or cut (at a character boundary) to 50 bytes first. Records with equal keys
// keep their insertion order. Every key allows duplicates. The n-th record in
// key-1 order is found without a walk (trm_GetNth).
//
// Durability: every write is committed to disk before the call returns, unless
// a transaction is open; a transaction covers every file opened on its
// connection (see trm_OpenShared) and commits them all or none.
//
// Result codes: 0 success and 9 end of file; the others are named below.

namespace TrmCode {
constexpr int Ok = 0;
constexpr int IoError = 2;          // the disk refused a read or a write (full, failing)
constexpr int FileNotOpen = 3;      // the handle is not an open file
constexpr int KeyNotFound = 4;      // a keyed search found no record
constexpr int BadKeyNumber = 6;     // the key number is not a key of this file
constexpr int NoCurrentRecord = 8;  // update or delete with no current record
constexpr int EndOfFile = 9;        // a fetch ran past the last (or first) record
constexpr int FileNotFound = 12;    // no file at that path
constexpr int BadRecord = 22;       // an empty record, or one longer than the file's records
constexpr int BadOffset = 23;       // a byte inside a key cannot be changed in place
constexpr int CannotCreate = 25;    // the file could not be created
constexpr int BadKeyLayout = 29;    // the key layout string is not one this store keeps
constexpr int NotADatabase = 30;    // the file is not a record file of this program
constexpr int EarlierVersion =
    31;  // written by an earlier version: convert it first (RecordFileUpgrade)
constexpr int NewerVersion = 32;  // written by a newer version of the program
constexpr int Damaged = 33;       // one of ours, but its tables are not as the program writes them
constexpr int TransactionState = 37;  // begin inside a transaction, or commit outside one
constexpr int ReadOnly = 46;          // the file or its folder cannot be written
constexpr int Busy = 85;              // another program holds the file locked
constexpr int Stopped = 86;           // the caller asked a long operation to stop
}  // namespace TrmCode

// A sentence for the user about a result code.
QString trm_ResultText(int code);
// The sentence for a failed operation on a handle, with what the store said
// about it in brackets on a line of its own when it said anything.
QString trm_FailureText(int handle, int code);

// Creates an empty record file of `kind` with the keys of `keyLayout`,
// replacing any file of that name only once the new one is complete. `mode`
// is accepted for the caller's sake and not used.
int trm_Create(const QString& path, const QByteArray& keyLayout, int mode,
               TrmKind kind = TrmKind::Data);

// Opens a record file. Returns a handle > 0, or the negated result code.
int trm_Open(const QString& path, int mode);
// Opens a record file on the connection of `companion`, so that one
// transaction covers both files. Returns a handle > 0, or the negated code.
int trm_OpenShared(const QString& path, int companion);
int trm_Close(int handle);
void trm_CloseAll();
int trm_FileIsOpen(int handle);
int trm_Count(int handle);
int trm_Version();
// What an open file says it holds, and the key layout it was created with.
TrmKind trm_Kind(int handle);
QByteArray trm_KeyLayout(int handle);

// Fetches: the record, or an empty text when there is none (see trm_Result).
QByteArray trm_GetFirst(int handle, int key);
QByteArray trm_GetLast(int handle, int key);
QByteArray trm_GetNext(int handle);
QByteArray trm_GetPrev(int handle);
// Keyed searches on key 1..12 with a value (padded or cut to 50 bytes). Each
// finds the first record, in ascending key order, whose key compares so with
// the value.
QByteArray trm_GetEqual(int handle, int key, const QByteArray& value);
QByteArray trm_GetEqualOrGreater(int handle, int key, const QByteArray& value);
QByteArray trm_GetEqualOrLess(int handle, int key, const QByteArray& value);
QByteArray trm_GetGreater(int handle, int key, const QByteArray& value);
QByteArray trm_GetLess(int handle, int key, const QByteArray& value);
// The n-th record (1-based) in key-1 order; it becomes current on key 1.
QByteArray trm_GetNth(int handle, qint64 n);
// The positions (1-based, key-1 order, ascending) of the records whose byte at
// `offset` equals `value` (or, with equal false, differs from it). The store
// keeps an index on the byte at offset 624, the omit flag of data and history
// records, so this costs no walk of the file for that offset.
std::vector<qint64> trm_PositionsWhere(int handle, int offset, char value, bool equal);
// As trm_PositionsWhere, but the records' identities in ascending order (the
// order the file keeps them, no key order): for the omit flag it reads only
// the flag's index, never the records or the key-1 order.
std::vector<qint64> trm_IdentitiesWhere(int handle, int offset, char value, bool equal);
// How many records have `value` at `offset`: from the index for offset 624.
qint64 trm_CountWhere(int handle, int offset, char value);
// How many records of a data file hold the same twelve fields as `record` and
// are not omitted (omit flag other than 'T'): the chances a pick gives it.
qint64 trm_CountCopies(int handle, const QByteArray& record);
// Sets the byte at `offset` to `to` in at most `limit` records whose byte there
// is `from`, taking them in the file's own order, and returns how many it
// changed (0 once none is left), or the negated result code. The byte must lie
// past the keys, so no record moves. With the omit flag (offset 624, indexed)
// a run over a large file in batches costs one pass over it; it counts as one
// write for trm_FailAfter.
int trm_SetByteWhere(int handle, int offset, char from, char to, int limit);
// Visits every record once in ascending order of key `key` (ties in insertion
// order), in one pass over that key's index, without touching the handle's
// current record or key path. `visit` receives each record's identity and its
// bytes and returns false to stop early. Returns the result code (0 when the
// walk ended or was stopped). The file must not be changed during the walk.
using TrmVisitor = std::function<bool(qint64 position, const QByteArray& record)>;
int trm_Scan(int handle, int key, const TrmVisitor& visit);
// As trm_Scan, but in the order the file keeps its records (no key order): the
// quickest way over a whole file where the order does not matter.
int trm_ScanStored(int handle, const TrmVisitor& visit);
// Visits the records that trm_IdentitiesWhere names, with their bytes, by
// byte value then identity, in one query; `visit` returns false to stop. It
// must not use the file meanwhile. Returns the result code.
int trm_ScanWhere(int handle, int offset, char value, bool equal, const TrmVisitor& visit);
// Visits the identity of every record in ascending order of key `key` (ties
// in insertion order), reading that key's index only; `visit` returns false to
// stop. With trm_ScanStored it gives the positions of chosen records without
// reading every record in key order. As trm_Scan otherwise.
using TrmIdentityVisitor = std::function<bool(qint64 identity)>;
int trm_ScanIdentities(int handle, int key, const TrmIdentityVisitor& visit);
// The current record's identity, 0 when there is none, and a fetch by identity
// (the record becomes current on key 1): lets a window keep acting on the
// record it shows whatever other fetches happen in between.
qint64 trm_GetPosition(int handle);
QByteArray trm_GetDirect(int handle, qint64 position);
// A look at a record by identity that leaves the handle as it was (current
// record, key path and latest result): for showing rows of a list while
// another window browses. Empty when no record has that identity.
QByteArray trm_Peek(int handle, qint64 position);
// The identities of every record in key-1 order, copied from the rank index.
// Returns the result code.
int trm_Identities(int handle, std::vector<qint64>& positions);
// The identities of every record whose key `key` compares with `value` (padded
// or cut to 50 bytes) as `how` says, in ascending order of that key (ties in
// insertion order), from that key's index in one query. Leaves the current
// record alone. `keepGoing`, when given, is asked every so many records found
// and returns false to stop. Returns 0, KeyNotFound when no record qualifies,
// Stopped (with no positions), or the code of a failure (`positions` then
// holds those found before it).
enum class TrmSearch { Equal, EqualOrGreater, EqualOrLess, Greater, Less };
int trm_FindAll(int handle, int key, TrmSearch how, const QByteArray& value,
                std::vector<qint64>& positions, const std::function<bool()>& keepGoing = {});
// A number that changes whenever a record of the file is added or deleted,
// or a user field or the omit flag of one changes, whoever changes it; a
// pick's stamps leave it. No two files share a number during a run, so what
// was worked out from a file's records can be kept under it. 0 for a handle
// that is not open.
qint64 trm_ContentVersion(int handle);
// How many keys (fields) the file has.
int trm_KeyCount(int handle);

// A pick's receipt, kept in its history file beside the history records it
// wrote (identities first .. first + records - 1). The details and the pool
// are the pick's own account of itself; the store keeps them as given.
struct TrmReceipt {
    QByteArray pickDate;  // as the pick's history records hold them, 10 bytes each
    QByteArray pickTime;
    qint64 first = 0;
    qint64 records = 0;
    QByteArray details;  // text
    QByteArray pool;     // bytes
};
// Adds a receipt to a history file, inside the transaction that writes the
// pick's records; counts as a write for trm_FailAfter.
int trm_AddReceipt(int handle, const TrmReceipt& receipt);
// The receipts of a history file in the order they were added: those of the
// pick made at `stamp` (date and time, 10 bytes each), or all of them when the
// stamp is empty; their pools only `withPool`. A file written before receipts
// were kept has none. Returns the result code.
int trm_Receipts(int handle, const QByteArray& stamp, bool withPool, std::vector<TrmReceipt>& out);

// The code of the latest operation on the handle.
int trm_Result(int handle);
// What the store said about the latest failure on the handle (for messages).
QString trm_ErrorDetail(int handle);

int trm_Insert(int handle, const QByteArray& record);
int trm_Update(int handle, const QByteArray& record);
int trm_Delete(int handle);
// Updates the record with this identity (see trm_GetPosition) without fetching
// it first; it becomes the current record on key 1.
int trm_UpdateDirect(int handle, qint64 position, const QByteArray& record);

int trm_BeginTransaction(int handle);
int trm_EndTransaction(int handle);    // commit
int trm_AbortTransaction(int handle);  // roll back

// Bulk load: a batch of many inserts into one file loads its rows first and
// builds the file's key and omit-flag indexes once afterwards, in one pass
// each. Inside an open transaction on the handle:
//   TrmTransaction t(h); trm_BeginBulkLoad(h); trm_Insert(h, r) x N;
//   trm_EndBulkLoad(h); t.commit();
// Begin drops the indexes, end builds them again, both inside the transaction,
// so a roll-back (an abort, a failure, a crash) leaves the file exactly as it
// was. Between the two, fetches and changes still work, only keyed ones walk
// the file; the count and positions stay right. A commit with a bulk load
// still open ends it first. Begin outside a transaction, a second begin, or
// an end without a begin gives TrmCode::TransactionState. Building the
// indexes of a large file takes a while: `keepGoing`, when given, is called
// often meanwhile (to keep a window painting) and returns false to stop it,
// which fails the end with IoError and leaves the roll-back to the caller.
int trm_BeginBulkLoad(int handle);
int trm_EndBulkLoad(int handle, const std::function<bool()>& keepGoing = {});

// Fault injection for tests: after `writes` more successful inserts, updates
// or deletes on any handle, the next one fails with `code` and changes nothing.
// A negative count turns it off.
void trm_FailAfter(int writes, int code);

// Scoped transaction: rolls back unless committed.
class TrmTransaction {
public:
    explicit TrmTransaction(int handle);
    ~TrmTransaction();
    TrmTransaction(const TrmTransaction&) = delete;
    TrmTransaction& operator=(const TrmTransaction&) = delete;

    int begun() const { return begun_; }  // result of the begin
    int commit();

private:
    int handle_;
    int begun_;
    bool open_;
};

// Closes a file opened by trm_Open or trm_OpenShared (given the handle or the
// negated code they returned) however the scope ends.
class TrmOpenFile {
public:
    explicit TrmOpenFile(int handle) : handle_(handle) {}
    ~TrmOpenFile() {
        if (handle_ > 0) trm_Close(handle_);
    }
    TrmOpenFile(const TrmOpenFile&) = delete;
    TrmOpenFile& operator=(const TrmOpenFile&) = delete;

    int handle() const { return handle_; }

private:
    int handle_;
};

// The n-th record (1-based) of a file in key-1 order as a record string of
// `width` bytes, or the one-character text "0" when the file holds fewer than
// n records. The record becomes the current record.
QByteArray RecordAtPosition(int handle, int width, qint64 n);
