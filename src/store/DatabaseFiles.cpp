#include "store/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/FolderSync.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace fs = std::filesystem;

namespace DatabaseFiles {

namespace {

// The database's files in the order they are written and removed.
std::array<QString, 3> filesOf(const DataFolder& folder, const QString& name) {
    return {folder.dataFile(name), folder.historyFile(name), folder.definitionFile(name)};
}

fs::path nativePath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

bool present(const QString& path) {
    std::error_code ec;
    return fs::symlink_status(nativePath(path), ec).type() != fs::file_type::not_found && !ec;
}

// A fresh name in the folder for a file on its way in or out. It never ends
// in ".dat", so a listing taken meanwhile shows no half-made database.
QString scratchName(const DataFolder& folder, const char* role) {
    for (;;) {
        const QString name = QStringLiteral(".randola-%1-%2")
                                 .arg(QString::number(QRandomGenerator::global()->generate64(), 16),
                                      QLatin1String(role));
        if (!present(folder.file(name))) return folder.file(name);
    }
}

int codeFor(const std::error_code& ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::read_only_file_system) {
        return TrmCode::ReadOnly;
    }
    if (ec == std::errc::no_space_on_device || ec == std::errc::io_error) return TrmCode::IoError;
    return TrmCode::CannotCreate;
}

// Renames survive a power cut only once the folder itself is on disk.
void removeQuietly(const QString& path) {
    std::error_code ec;
    fs::remove(nativePath(path), ec);
}

// One file of the new database: built at `fresh`, then moved to `target`,
// with whatever stood at `target` kept at `old` until the whole set is in. A
// move with no `fresh` file only clears its target away: the rollback journal
// of a replaced record file, which would otherwise be played into the new one.
struct Move {
    QString target;
    QString fresh;
    QString old;
    bool kept = false;       // the earlier file now sits at `old`
    bool installed = false;  // the new file now sits at `target`
};

// Puts every earlier file back and removes every new one.
void rollBack(std::vector<Move>& moves) {
    for (Move& m : moves) {
        std::error_code ec;
        if (m.installed) fs::remove(nativePath(m.target), ec);
        if (m.kept) fs::rename(nativePath(m.old), nativePath(m.target), ec);
        if (!m.fresh.isEmpty()) removeQuietly(m.fresh);
    }
}

CreateOutcome failure(int code, const QString& reason) {
    return CreateOutcome{code == TrmCode::Ok ? TrmCode::CannotCreate : code, reason};
}

// Renames one file of the set; when that fails, rolls the whole set back and
// says which file of the database it was and why.
std::optional<CreateOutcome> rename(std::vector<Move>& moves, const Move& m, const QString& from,
                                    const QString& to, const char* why) {
    std::error_code ec;
    fs::rename(nativePath(from), nativePath(to), ec);
    if (!ec) return std::nullopt;
    rollBack(moves);
    return failure(codeFor(ec), QString::fromLatin1(why).arg(QFileInfo(m.target).fileName(),
                                                             QString::fromStdString(ec.message())));
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
    std::vector<Move> moves;
    for (const QString& target : filesOf(folder, name)) {
        Move m;
        m.target = target;
        if (QFileInfo(m.target).isDir()) {
            return failure(
                TrmCode::CannotCreate,
                QStringLiteral("%1 is a folder, not a file.").arg(QFileInfo(m.target).fileName()));
        }
        m.fresh = scratchName(folder, "new");
        moves.push_back(m);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        moves.push_back(Move{moves[i].target + QStringLiteral("-journal"), {}, {}});
    }

    const QByteArray layout = KeyLayout::Build(fields);
    for (std::size_t i = 0; i < 2; ++i) {
        const int code = trm_Create(moves[i].fresh, layout, 1);
        if (code != TrmCode::Ok) {
            rollBack(moves);
            return failure(code, trm_ResultText(code));
        }
    }
    try {
        DefinitionFile::Write(moves[2].fresh, fields);
    } catch (const StoreError& e) {
        rollBack(moves);
        return failure(e.code(), e.message());
    }

    // Earlier files step aside first, so that no moment shows a mix of the
    // old database and the new one under the same name.
    for (Move& m : moves) {
        if (!present(m.target)) continue;
        m.old = scratchName(folder, "old");
        if (auto failed = rename(moves, m, m.target, m.old, "%1 could not be replaced: %2")) {
            return *failed;
        }
        m.kept = true;
    }
    for (Move& m : moves) {
        if (m.fresh.isEmpty()) continue;
        if (auto failed = rename(moves, m, m.fresh, m.target, "%1 could not be written: %2")) {
            return *failed;
        }
        m.installed = true;
    }
    SyncFolder(folder.path());
    for (Move& m : moves) {
        if (m.kept) removeQuietly(m.old);
    }
    return {};
}

QStringList Delete(const DataFolder& folder, const QString& name) {
    QStringList missing;
    QStringList removed;
    for (const QString& path : filesOf(folder, name)) {
        const QString file = QFileInfo(path).fileName();
        if (!present(path)) {
            missing << file;
            continue;
        }
        std::error_code ec;
        fs::remove(nativePath(path), ec);
        if (ec) {
            QString message = QStringLiteral("The file %1 could not be deleted: %2.")
                                  .arg(file, QString::fromStdString(ec.message()));
            if (!removed.isEmpty()) {
                message += QStringLiteral("\r\nAlready deleted: %1.").arg(removed.join(", "));
            }
            throw StoreError(message, codeFor(ec));
        }
        removed << file;
    }
    SyncFolder(folder.path());
    return missing;
}

}  // namespace DatabaseFiles
