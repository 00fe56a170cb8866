#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class DataFolder;

// The renames that put a new database's files in place of an earlier one,
// written down in the data folder before the first of them. A creation cut
// off by a crash between moving the earlier files aside and moving the new
// ones in is then finished or undone the next time the folder is looked at,
// so no database is ever left under a hidden name.
class CreationJournal {
public:
    // One file of the new database: built at `fresh`, then moved to `target`,
    // with whatever stood at `target` kept at `old` until the whole set is in.
    // A move with no `fresh` file only clears its target away. All are names
    // of entries in the data folder.
    struct Move {
        QString target;
        QString fresh;
        QString old;
    };

    // How far a creation had come when the journal was last written.
    enum class Stage { Building, Moving };

    // Plans the files of `database`: each of `built` gets a fresh and an old
    // hidden name, each of `cleared` an old one only. Full paths in, names out.
    CreationJournal(const DataFolder& folder, const QString& database, const QStringList& built,
                    const QStringList& cleared);

    const std::vector<Move>& moves() const { return moves_; }
    // The full path of a file named in the journal.
    QString path(const QString& name) const;

    // Writes the journal down, durably. Throws StoreError. From the first
    // record until this journal is gone, the creation holds a lock beside it,
    // so that another copy of the program listing the folder meanwhile does
    // not take the creation for a cut-off one.
    void record(Stage stage);
    // Moves the earlier files aside, then the new ones in. Throws StoreError
    // at the first rename that fails; undo() then puts the folder back.
    void install();
    // Once the new files are in: drops the earlier ones and the journal.
    // Returns why it could not; the journal then stays for a later try.
    std::optional<QString> commit();
    // Removes the new files and puts the earlier ones back; forgets the
    // journal when that worked. Returns why it could not.
    std::optional<QString> undo();

    // Finishes or undoes every creation in the folder that was cut off.
    // Returns, for each one that could not be mended, a sentence for the user.
    static QStringList MendCutOff(const DataFolder& folder);

private:
    CreationJournal(const QString& folder, const QString& file);
    static std::optional<CreationJournal> Read(const QString& folder, const QString& file);
    std::optional<QString> mend();
    std::optional<QString> forget();
    QString scratchName(const char* role) const;
    static QString lockPath(const QString& journalPath);

    QString folder_;
    QString file_;  // the journal's own name in the folder
    QString database_;
    Stage stage_ = Stage::Building;
    std::vector<Move> moves_;
    std::unique_ptr<QLockFile> lock_;
};
