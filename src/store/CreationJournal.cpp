#include "store/CreationJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include "store/DataFolder.h"
#include "store/FileMoves.h"
#include "store/FolderSync.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace {

// The journal is a run of NUL-ended texts: the mark, the stage, the
// database's name, then target, fresh and old name of each move. No file
// name holds a NUL, whatever else it holds.
constexpr char kMark[] = "RANDOLA CREATION";
constexpr char kJournalRole[] = "creation";

// Longer than any creation takes: a lock older than this is left over from a
// copy of the program that stopped on another machine sharing the folder.
constexpr int kLockLifetimeMs = 10 * 60 * 1000;

const char* stageWord(CreationJournal::Stage stage) {
    return stage == CreationJournal::Stage::Building ? "building" : "moving";
}

void append(QByteArray& out, const QString& text) {
    out.append(text.toUtf8());
    out.append('\0');
}

QString joined(const QStringList& problems) {
    return problems.join(QStringLiteral("\r\n"));
}

}  // namespace

CreationJournal::CreationJournal(const DataFolder& folder, const QString& database,
                                 const QStringList& built, const QStringList& cleared)
    : folder_(folder.path()), database_(database) {
    file_ = scratchName(kJournalRole);
    for (const QString& target : built) {
        moves_.push_back({QFileInfo(target).fileName(), scratchName("new"), scratchName("old")});
    }
    for (const QString& target : cleared) {
        moves_.push_back({QFileInfo(target).fileName(), {}, scratchName("old")});
    }
}

CreationJournal::CreationJournal(const QString& folder, const QString& file)
    : folder_(folder), file_(file) {}

QString CreationJournal::path(const QString& name) const {
    return DataFolder(folder_).file(name);
}

// A fresh hidden name in the folder. It never ends in ".dat", so a listing
// taken meanwhile shows no half-made database.
QString CreationJournal::scratchName(const char* role) const {
    for (;;) {
        const QString name = QStringLiteral(".randola-%1-%2")
                                 .arg(QString::number(QRandomGenerator::global()->generate64(), 16),
                                      QLatin1String(role));
        if (!FileMoves::Present(path(name))) return name;
    }
}

QString CreationJournal::lockPath(const QString& journalPath) {
    return journalPath + QStringLiteral(".lock");
}

void CreationJournal::record(Stage stage) {
    if (!lock_) {
        lock_ = std::make_unique<QLockFile>(lockPath(path(file_)));
        lock_->setStaleLockTime(kLockLifetimeMs);
        if (!lock_->tryLock(0)) {
            const bool refused = lock_->error() == QLockFile::PermissionError;
            // A full disk lets the lock's file be made but not written.
            const bool full = !refused && !FileMoves::RoomIn(folder_);
            throw StoreError(
                QStringLiteral("The creation could not be prepared: %1")
                    .arg(refused ? QStringLiteral("the data folder cannot be written.")
                         : full  ? QStringLiteral("the disk is full.")
                                 : QStringLiteral("its lock could not be taken.")),
                refused ? TrmCode::ReadOnly : full ? TrmCode::IoError : TrmCode::CannotCreate);
        }
    }
    stage_ = stage;
    QByteArray bytes;
    append(bytes, QLatin1String(kMark));
    append(bytes, QLatin1String(stageWord(stage)));
    append(bytes, database_);
    for (const Move& m : moves_) {
        append(bytes, m.target);
        append(bytes, m.fresh);
        append(bytes, m.old);
    }
    QSaveFile file(path(file_));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw StoreError(
            QStringLiteral("The creation could not be prepared: %1").arg(file.errorString()),
            TrmCode::CannotCreate);
    }
    // The journal must be on disk before the first rename it describes.
    SyncFolder(folder_);
}

std::optional<CreationJournal> CreationJournal::Read(const QString& folder, const QString& file) {
    CreationJournal journal(folder, file);
    QFile in(journal.path(file));
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    QList<QByteArray> texts = in.readAll().split('\0');
    // Every text ends in a NUL, so the split leaves an empty piece last.
    if (texts.size() < 4 || !texts.takeLast().isEmpty() || texts.at(0) != kMark ||
        (texts.size() - 3) % 3 != 0) {
        return std::nullopt;
    }
    if (texts.at(1) == stageWord(Stage::Building)) {
        journal.stage_ = Stage::Building;
    } else if (texts.at(1) == stageWord(Stage::Moving)) {
        journal.stage_ = Stage::Moving;
    } else {
        return std::nullopt;
    }
    journal.database_ = QString::fromUtf8(texts.at(2));
    for (qsizetype i = 3; i < texts.size(); i += 3) {
        journal.moves_.push_back({QString::fromUtf8(texts.at(i)),
                                  QString::fromUtf8(texts.at(i + 1)),
                                  QString::fromUtf8(texts.at(i + 2))});
    }
    return journal;
}

// Earlier files step aside first, so that no moment shows a mix of the old
// database and the new one under the same name.
void CreationJournal::install() {
    const auto move = [this](const QString& from, const QString& to, const QString& target,
                             const char* why) {
        if (const std::error_code ec = FileMoves::Move(path(from), path(to))) {
            throw StoreError(
                QString::fromLatin1(why).arg(target, QString::fromStdString(ec.message())),
                FileMoves::CodeFor(ec));
        }
    };
    for (const Move& m : moves_) {
        if (FileMoves::Present(path(m.target))) {
            move(m.target, m.old, m.target, "%1 could not be replaced: %2");
        }
    }
    for (const Move& m : moves_) {
        if (!m.fresh.isEmpty()) move(m.fresh, m.target, m.target, "%1 could not be written: %2");
    }
    SyncFolder(folder_);
}

std::optional<QString> CreationJournal::commit() {
    QStringList problems;
    for (const Move& m : moves_) {
        if (!FileMoves::Present(path(m.old))) continue;
        if (const std::error_code ec = FileMoves::RemoveTree(path(m.old))) {
            problems << FileMoves::Failure(m.target, ec);
        }
    }
    if (!problems.isEmpty()) {
        return QStringLiteral("The replaced files could not be removed: ") + joined(problems);
    }
    return forget();
}

std::optional<QString> CreationJournal::undo() {
    QStringList problems;
    for (const Move& m : moves_) {
        // Every new file was built before the journal said so: one missing
        // from its fresh name has been moved in.
        const bool installed =
            stage_ == Stage::Moving && !m.fresh.isEmpty() && !FileMoves::Present(path(m.fresh));
        std::error_code ec;
        if (FileMoves::Present(path(m.old))) {
            ec = FileMoves::Move(path(m.old), path(m.target));
        } else if (installed) {
            ec = FileMoves::Remove(path(m.target));
        }
        if (!ec && !m.fresh.isEmpty() && FileMoves::Present(path(m.fresh))) {
            ec = FileMoves::RemoveTree(path(m.fresh));
        }
        if (ec) problems << FileMoves::Failure(m.target, ec);
    }
    if (!problems.isEmpty()) {
        return QStringLiteral("The earlier files could not be put back: ") + joined(problems);
    }
    return forget();
}

std::optional<QString> CreationJournal::forget() {
    if (const std::error_code ec = FileMoves::Remove(path(file_))) {
        return QStringLiteral("The record of the creation could not be removed: ") +
               QString::fromStdString(ec.message());
    }
    SyncFolder(folder_);
    // Settled: a second undo or commit must find nothing left to do.
    moves_.clear();
    return std::nullopt;
}

// A creation cut off once every new file was in is finished; one cut off
// earlier is undone, so the database is either wholly new or wholly as it was.
std::optional<QString> CreationJournal::mend() {
    bool allIn = stage_ == Stage::Moving;
    for (const Move& m : moves_) {
        if (!m.fresh.isEmpty() && FileMoves::Present(path(m.fresh))) allIn = false;
    }
    return allIn ? commit() : undo();
}

QStringList CreationJournal::MendCutOff(const DataFolder& folder) {
    const QString pattern = QStringLiteral(".randola-*-") + QLatin1String(kJournalRole);
    const QStringList found =
        QDir(folder.path()).entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
    QStringList problems;
    for (const QString& file : found) {
        QLockFile running(lockPath(folder.file(file)));
        running.setStaleLockTime(kLockLifetimeMs);
        // Held: the creation is still going on in another copy of the program.
        // In a folder that cannot be written no lock can be taken, not even a
        // stale one; the journal is then mended (and its failure told) anyway.
        if (!running.tryLock(0) && running.error() == QLockFile::LockFailedError &&
            QFileInfo(folder.path()).isWritable()) {
            continue;
        }
        // Ended while this listing waited for it.
        if (!FileMoves::Present(folder.file(file))) continue;
        std::optional<CreationJournal> journal = Read(folder.path(), file);
        if (!journal) {
            problems << QStringLiteral(
                            "The record of a cut-off database creation, %1, could not "
                            "be read; it is left in the data folder.")
                            .arg(file);
            continue;
        }
        if (const std::optional<QString> problem = journal->mend()) {
            problems << QStringLiteral(
                            "The creation of the database \"%1\" was cut off and could "
                            "not be finished or undone.\r\n%2\r\nIt is tried again "
                            "the next time the databases are listed.")
                            .arg(journal->database_, *problem);
        }
    }
    return problems;
}
