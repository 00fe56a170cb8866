#include "store/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "store/CreationJournal.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/FileMoves.h"
#include "store/FolderSync.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace DatabaseFiles {

namespace {

// The database's files in the order they are written and removed.
std::array<QString, 3> filesOf(const DataFolder& folder, const QString& name) {
    return {folder.dataFile(name), folder.historyFile(name), folder.definitionFile(name)};
}

CreateOutcome failure(int code, const QString& reason) {
    return CreateOutcome{code == TrmCode::Ok ? TrmCode::CannotCreate : code, reason};
}

// Builds the new files at their fresh names: the record files first, the
// field names last.
void build(const CreationJournal& journal, const QStringList& fields) {
    const std::vector<CreationJournal::Move>& moves = journal.moves();
    const QByteArray layout = KeyLayout::Build(fields);
    const TrmKind kinds[] = {TrmKind::Data, TrmKind::History};
    for (std::size_t i = 0; i < 2; ++i) {
        const int code = trm_Create(journal.path(moves[i].fresh), layout, 1, kinds[i]);
        if (code != TrmCode::Ok) throw StoreError(trm_ResultText(code), code);
    }
    DefinitionFile::Write(journal.path(moves[2].fresh), fields);
}

}  // namespace

QStringList List(const DataFolder& folder) {
    const QFileInfoList found =
        QDir(folder.path())
            .entryInfoList({QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden, QDir::NoSort);
    QStringList names;
    for (const QFileInfo& info : found) {
        if (info.fileName() == QLatin1String(UninstallerFile)) continue;
        names << info.fileName().chopped(4);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString NameProblem(const QString& name) {
    if (name.contains(QLatin1Char('/'))) {
        return QStringLiteral("A database name cannot contain the character \"/\".");
    }
    if (name.contains(QChar(0))) {
        return QStringLiteral("A database name cannot contain a NUL character.");
    }
    return {};
}

CreateOutcome Create(const DataFolder& folder, const QString& name, const QStringList& fields) {
    if (const QString problem = NameProblem(name); !problem.isEmpty()) {
        return failure(TrmCode::CannotCreate, problem);
    }
    QStringList built;
    for (const QString& target : filesOf(folder, name)) {
        if (QFileInfo(target).isDir()) {
            return failure(
                TrmCode::CannotCreate,
                QStringLiteral("%1 is a folder, not a file.").arg(QFileInfo(target).fileName()));
        }
        built << target;
    }
    // The rollback journal of a replaced record file would otherwise be played
    // into the new one: it is cleared away with the file.
    const QStringList cleared = {built[0] + QStringLiteral("-journal"),
                                 built[1] + QStringLiteral("-journal")};
    CreationJournal journal(folder, name, built, cleared);
    try {
        journal.record(CreationJournal::Stage::Building);
    } catch (const StoreError& e) {
        return failure(e.code(), e.message());
    }
    try {
        build(journal, fields);
        journal.record(CreationJournal::Stage::Moving);
        journal.install();
    } catch (const StoreError& e) {
        QString reason = e.message();
        if (const std::optional<QString> problem = journal.undo()) {
            reason +=
                QStringLiteral("\r\n") + *problem +
                QStringLiteral("\r\nThey are put back the next time the databases are listed.");
        }
        return failure(e.code(), reason);
    }
    // The new database is whole from here on; earlier files that linger under
    // their hidden names are dropped at the next listing.
    journal.commit();
    return {};
}

QStringList Delete(const DataFolder& folder, const QString& name) {
    QStringList missing;
    QStringList removed;
    for (const QString& path : filesOf(folder, name)) {
        const QString file = QFileInfo(path).fileName();
        if (!FileMoves::Present(path)) {
            missing << file;
            continue;
        }
        if (const std::error_code ec = FileMoves::Remove(path)) {
            QString message = QStringLiteral("The file %1 could not be deleted: %2.")
                                  .arg(file, QString::fromStdString(ec.message()));
            if (!removed.isEmpty()) {
                message += QStringLiteral("\r\nAlready deleted: %1.").arg(removed.join(", "));
            }
            throw StoreError(message, FileMoves::CodeFor(ec));
        }
        removed << file;
    }
    SyncFolder(folder.path());
    return missing;
}

}  // namespace DatabaseFiles
