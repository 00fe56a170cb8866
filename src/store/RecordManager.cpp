#include "store/RecordManager.h"

#include <map>
#include <memory>

#include "store/Records.h"
#include "store/RecordFile.h"
#include "store/SqliteDatabase.h"

namespace {

// Major version in the third byte, minor in the lowest: 1.0.
constexpr int kVersion = 0x00010000;

struct HandleTable {
    std::map<int, std::unique_ptr<RecordFile>> files;
    int next = 1;
    int writesBeforeFailure = -1;
    int injectedCode = 0;
};

HandleTable& table() {
    static HandleTable instance;
    return instance;
}

RecordFile* fileOf(int handle) {
    auto& files = table().files;
    auto found = files.find(handle);
    return found == files.end() ? nullptr : found->second.get();
}

int registerFile(std::unique_ptr<RecordFile> file) {
    const int handle = table().next++;
    table().files.emplace(handle, std::move(file));
    return handle;
}

// Every file on a connection learns how its transaction ended.
void endTransaction(const std::shared_ptr<SqliteDatabase>& db, bool committed) {
    for (auto& entry : table().files) {
        if (entry.second->database() == db) entry.second->transactionEnded(committed);
    }
}

// SQLite abandons a transaction by itself on some failures (a full disk);
// the files must then forget what they counted inside it.
int afterWrite(RecordFile* file, bool wasInTransaction, int code) {
    if (code != TrmCode::Ok && wasInTransaction && !file->database()->inTransaction()) {
        endTransaction(file->database(), false);
    }
    return code;
}

bool injectedFailureDue() {
    int& left = table().writesBeforeFailure;
    if (left < 0) return false;
    if (left == 0) {
        left = -1;
        return true;
    }
    --left;
    return false;
}

template <typename Write>
int write(int handle, Write&& op) {
    RecordFile* file = fileOf(handle);
    if (!file) return TrmCode::FileNotOpen;
    if (injectedFailureDue()) return table().injectedCode;
    const bool wasInTransaction = file->database()->inTransaction();
    return afterWrite(file, wasInTransaction, op(*file));
}

template <typename Fetch>
QByteArray fetch(int handle, Fetch&& op) {
    RecordFile* file = fileOf(handle);
    return file ? op(*file) : QByteArray();
}

QByteArray search(int handle, RecordFile::Search how, int key, const QByteArray& value) {
    return fetch(handle, [&](RecordFile& f) { return f.search(how, key, value); });
}

int openWith(const QString& path, const std::shared_ptr<SqliteDatabase>& companion) {
    const int handle = table().next;
    std::unique_ptr<RecordFile> file;
    const QString schema = companion ? QStringLiteral("f%1").arg(handle) : QStringLiteral("main");
    const int code = RecordFile::open(path, companion, schema, file);
    if (code != TrmCode::Ok) return -code;
    return registerFile(std::move(file));
}

}  // namespace

QString trm_ResultText(int code) {
    switch (code) {
        case TrmCode::Ok:
            return QStringLiteral("The operation succeeded.");
        case TrmCode::IoError:
            return QStringLiteral("The disk refused to read or write the file (it may be full).");
        case TrmCode::FileNotOpen:
            return QStringLiteral("The file is not open.");
        case TrmCode::KeyNotFound:
            return QStringLiteral("No record has that key.");
        case TrmCode::BadKeyNumber:
            return QStringLiteral("The file has no such key.");
        case TrmCode::NoCurrentRecord:
            return QStringLiteral("The record is no longer in the file.");
        case TrmCode::EndOfFile:
            return QStringLiteral("There are no more records.");
        case TrmCode::FileNotFound:
            return QStringLiteral("The file does not exist.");
        case TrmCode::BadRecord:
            return QStringLiteral("The record is empty, or longer than the records of the file.");
        case TrmCode::BadOffset:
            return QStringLiteral("That part of the record cannot be changed in place.");
        case TrmCode::CannotCreate:
            return QStringLiteral("The file could not be created in that folder.");
        case TrmCode::BadKeyLayout:
            return QStringLiteral("The field list is not valid.");
        case TrmCode::NotADatabase:
            return QStringLiteral("The file is not a RANDOLA database file.");
        case TrmCode::Damaged:
            return QStringLiteral(
                "The file is damaged: its tables are not as RANDOLA writes them.");
        case TrmCode::EarlierVersion:
            return QStringLiteral(
                "The file was written by an earlier version of RANDOLA and has not been "
                "converted yet.");
        case TrmCode::NewerVersion:
            return QStringLiteral(
                "The file was written by a newer version of RANDOLA, which this version "
                "cannot read.");
        case TrmCode::TransactionState:
            return QStringLiteral("Another change to the file is still in progress.");
        case TrmCode::ReadOnly:
            return QStringLiteral("The file or its folder cannot be written to.");
        case TrmCode::Busy:
            return QStringLiteral("Another program is using the file.");
        case TrmCode::Stopped:
            return QStringLiteral("The work was stopped.");
        default:
            return QStringLiteral("The record manager reported error %1.").arg(code);
    }
}

QString trm_FailureText(int handle, int code) {
    const QString detail = trm_ErrorDetail(handle);
    if (detail.isEmpty()) return trm_ResultText(code);
    return trm_ResultText(code) + QStringLiteral("\r\n(") + detail + QLatin1Char(')');
}

int trm_Create(const QString& path, const QByteArray& keyLayout, int /*mode*/, TrmKind kind) {
    return RecordFile::create(path, keyLayout, kind);
}

int trm_Open(const QString& path, int /*mode*/) {
    return openWith(path, nullptr);
}

int trm_OpenShared(const QString& path, int companion) {
    RecordFile* file = fileOf(companion);
    if (!file) return -TrmCode::FileNotOpen;
    return openWith(path, file->database());
}

int trm_Close(int handle) {
    auto& files = table().files;
    auto found = files.find(handle);
    if (found == files.end()) return TrmCode::FileNotOpen;
    const int code = found->second->detach();
    if (code != TrmCode::Ok) return code;
    files.erase(found);
    return TrmCode::Ok;
}

void trm_CloseAll() {
    // A connection goes when the last file on it does; an open transaction is
    // rolled back first, as closing would.
    auto& files = table().files;
    for (auto it = files.begin(); it != files.end();) {
        if (it->second->database()->inTransaction()) {
            it->second->database()->exec("ROLLBACK");
            endTransaction(it->second->database(), false);
        }
        it->second->detach();
        it = files.erase(it);
    }
}

int trm_FileIsOpen(int handle) {
    return fileOf(handle) ? 1 : 0;
}

int trm_Count(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? int(file->count()) : 0;
}

int trm_Version() {
    return kVersion;
}

TrmKind trm_Kind(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->kind() : TrmKind::Data;
}

QByteArray trm_KeyLayout(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->keyLayout() : QByteArray();
}

QByteArray trm_GetFirst(int handle, int key) {
    return fetch(handle, [&](RecordFile& f) { return f.getFirst(key); });
}

QByteArray trm_GetLast(int handle, int key) {
    return fetch(handle, [&](RecordFile& f) { return f.getLast(key); });
}

QByteArray trm_GetNext(int handle) {
    return fetch(handle, [](RecordFile& f) { return f.getNext(); });
}

QByteArray trm_GetPrev(int handle) {
    return fetch(handle, [](RecordFile& f) { return f.getPrev(); });
}

QByteArray trm_GetEqual(int handle, int key, const QByteArray& value) {
    return search(handle, RecordFile::Search::Equal, key, value);
}

QByteArray trm_GetEqualOrGreater(int handle, int key, const QByteArray& value) {
    return search(handle, RecordFile::Search::EqualOrGreater, key, value);
}

QByteArray trm_GetEqualOrLess(int handle, int key, const QByteArray& value) {
    return search(handle, RecordFile::Search::EqualOrLess, key, value);
}

QByteArray trm_GetGreater(int handle, int key, const QByteArray& value) {
    return search(handle, RecordFile::Search::Greater, key, value);
}

QByteArray trm_GetLess(int handle, int key, const QByteArray& value) {
    return search(handle, RecordFile::Search::Less, key, value);
}

QByteArray trm_GetNth(int handle, qint64 n) {
    return fetch(handle, [&](RecordFile& f) { return f.getNth(n); });
}

std::vector<qint64> trm_PositionsWhere(int handle, int offset, char value, bool equal) {
    RecordFile* file = fileOf(handle);
    return file ? file->positionsWhere(offset, value, equal) : std::vector<qint64>();
}

std::vector<qint64> trm_IdentitiesWhere(int handle, int offset, char value, bool equal) {
    RecordFile* file = fileOf(handle);
    return file ? file->identitiesWhere(offset, value, equal) : std::vector<qint64>();
}

qint64 trm_CountWhere(int handle, int offset, char value) {
    RecordFile* file = fileOf(handle);
    return file ? file->countWhere(offset, value) : 0;
}

qint64 trm_CountCopies(int handle, const QByteArray& record) {
    RecordFile* file = fileOf(handle);
    return file ? file->countCopies(record) : 0;
}

qint64 trm_GetPosition(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->position() : 0;
}

int trm_Scan(int handle, int key, const TrmVisitor& visit) {
    RecordFile* file = fileOf(handle);
    return file ? file->scan(key, visit) : TrmCode::FileNotOpen;
}

int trm_ScanStored(int handle, const TrmVisitor& visit) {
    RecordFile* file = fileOf(handle);
    return file ? file->scanStored(visit) : TrmCode::FileNotOpen;
}

int trm_ScanIdentities(int handle, int key, const TrmIdentityVisitor& visit) {
    RecordFile* file = fileOf(handle);
    return file ? file->scanIdentities(key, visit) : TrmCode::FileNotOpen;
}

QByteArray trm_GetDirect(int handle, qint64 position) {
    return fetch(handle, [&](RecordFile& f) { return f.getDirect(position); });
}

int trm_Result(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->result() : TrmCode::FileNotOpen;
}

QString trm_ErrorDetail(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->errorDetail() : QString();
}

int trm_SetByteWhere(int handle, int offset, char from, char to, int limit) {
    int changed = 0;
    const int code = write(
        handle, [&](RecordFile& f) { return f.setByteWhere(offset, from, to, limit, changed); });
    return code == TrmCode::Ok ? changed : -code;
}

int trm_Insert(int handle, const QByteArray& record) {
    return write(handle, [&](RecordFile& f) { return f.insert(record); });
}

int trm_Update(int handle, const QByteArray& record) {
    return write(handle, [&](RecordFile& f) { return f.update(record); });
}

int trm_UpdateDirect(int handle, qint64 position, const QByteArray& record) {
    return write(handle, [&](RecordFile& f) { return f.updateDirect(position, record); });
}

int trm_Delete(int handle) {
    return write(handle, [](RecordFile& f) { return f.remove(); });
}

void trm_FailAfter(int writes, int code) {
    table().writesBeforeFailure = writes;
    table().injectedCode = code;
}

int trm_BeginTransaction(int handle) {
    RecordFile* file = fileOf(handle);
    if (!file) return TrmCode::FileNotOpen;
    if (file->database()->inTransaction()) return TrmCode::TransactionState;
    // Taking the write lock now makes a busy file fail here, before any work.
    const int rc = file->database()->exec("BEGIN IMMEDIATE");
    return rc == SQLITE_OK ? TrmCode::Ok : (rc == SQLITE_BUSY ? TrmCode::Busy : TrmCode::ReadOnly);
}

// A commit never leaves a file without its indexes: a bulk load still open
// ends first, and when its indexes cannot be built the change rolls back.
int endBulkLoads(const std::shared_ptr<SqliteDatabase>& db) {
    for (auto& entry : table().files) {
        RecordFile& file = *entry.second;
        if (file.database() != db || !file.bulkLoading()) continue;
        if (const int code = file.endBulkLoad(); code != TrmCode::Ok) return code;
    }
    return TrmCode::Ok;
}

int trm_EndTransaction(int handle) {
    RecordFile* file = fileOf(handle);
    if (!file) return TrmCode::FileNotOpen;
    const auto& db = file->database();
    if (!db->inTransaction()) return TrmCode::TransactionState;
    if (const int code = endBulkLoads(db); code != TrmCode::Ok) {
        if (db->inTransaction()) db->exec("ROLLBACK");
        endTransaction(db, false);
        return code;
    }
    const int rc = db->exec("COMMIT");
    if (rc != SQLITE_OK) {
        // A commit that fails (a full disk) must not leave half a change.
        if (db->inTransaction()) db->exec("ROLLBACK");
        endTransaction(db, false);
        return (rc & 0xFF) == SQLITE_BUSY ? TrmCode::Busy : TrmCode::IoError;
    }
    endTransaction(db, true);
    return TrmCode::Ok;
}

int trm_AbortTransaction(int handle) {
    RecordFile* file = fileOf(handle);
    if (!file) return TrmCode::FileNotOpen;
    const auto& db = file->database();
    if (db->inTransaction()) db->exec("ROLLBACK");
    endTransaction(db, false);
    return TrmCode::Ok;
}

int trm_BeginBulkLoad(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->beginBulkLoad() : TrmCode::FileNotOpen;
}

int trm_EndBulkLoad(int handle, const std::function<bool()>& keepGoing) {
    RecordFile* file = fileOf(handle);
    return file ? file->endBulkLoad(keepGoing) : TrmCode::FileNotOpen;
}

TrmTransaction::TrmTransaction(int handle)
    : handle_(handle), begun_(trm_BeginTransaction(handle)), open_(begun_ == TrmCode::Ok) {}

TrmTransaction::~TrmTransaction() {
    if (open_) trm_AbortTransaction(handle_);
}

int TrmTransaction::commit() {
    if (!open_) return begun_ != TrmCode::Ok ? begun_ : TrmCode::TransactionState;
    open_ = false;
    return trm_EndTransaction(handle_);
}

QByteArray RecordAtPosition(int handle, int width, qint64 n) {
    const QByteArray record = trm_GetNth(handle, n);
    if (trm_Result(handle) != TrmCode::Ok) return QByteArrayLiteral("0");
    return RecordBuffer(record, width);
}

QByteArray trm_Peek(int handle, qint64 position) {
    return fetch(handle, [&](RecordFile& f) { return f.peek(position); });
}

int trm_Identities(int handle, std::vector<qint64>& positions) {
    RecordFile* file = fileOf(handle);
    if (!file) return positions.clear(), TrmCode::FileNotOpen;
    return file->identities(positions);
}

int trm_FindAll(int handle, int key, TrmSearch how, const QByteArray& value,
                std::vector<qint64>& positions, const std::function<bool()>& keepGoing) {
    RecordFile* file = fileOf(handle);
    if (!file) return positions.clear(), TrmCode::FileNotOpen;
    // The two lists of comparisons name them in the same order.
    static_assert(int(TrmSearch::Less) == int(RecordFile::Search::Less));
    return file->findAll(static_cast<RecordFile::Search>(how), key, value, positions, keepGoing);
}

qint64 trm_ContentVersion(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->contentVersion() : 0;
}

int trm_KeyCount(int handle) {
    RecordFile* file = fileOf(handle);
    return file ? file->keyCount() : 0;
}

int trm_AddReceipt(int handle, const TrmReceipt& receipt) {
    return write(handle, [&](RecordFile& f) { return f.addReceipt(receipt); });
}

int trm_Receipts(int handle, const QByteArray& stamp, bool withPool, std::vector<TrmReceipt>& out) {
    RecordFile* file = fileOf(handle);
    if (!file) return out.clear(), TrmCode::FileNotOpen;
    return file->readReceipts(stamp.isEmpty() ? nullptr : &stamp, withPool, out);
}

int trm_ScanWhere(int handle, int offset, char value, bool equal, const TrmVisitor& visit) {
    RecordFile* file = fileOf(handle);
    return file ? file->scanWhere(offset, value, equal, visit) : TrmCode::FileNotOpen;
}
