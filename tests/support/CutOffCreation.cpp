#include "support/CutOffCreation.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <stdexcept>
#include <vector>

#include "store/CreationJournal.h"
#include "support/TestFolder.h"

namespace {

void require(bool done) {
    if (!done) throw std::runtime_error("a step of the cut-off creation failed");
}

}  // namespace

int CutOffCreation::Leave(const TestFolder& folder, const QString& name, int steps) {
    const DataFolder& data = folder.folder();
    const QStringList built = {data.dataFile(name), data.historyFile(name),
                               data.definitionFile(name)};
    CreationJournal journal(
        data, name, built,
        {built[0] + QStringLiteral("-journal"), built[1] + QStringLiteral("-journal")});
    journal.record(CreationJournal::Stage::Building);
    const std::vector<CreationJournal::Move>& moves = journal.moves();
    for (const CreationJournal::Move& m : moves) {
        if (!m.fresh.isEmpty()) folder.write(m.fresh, "new " + m.target.toUtf8());
        if (steps == WhileBuilding) return 0;
    }
    journal.record(CreationJournal::Stage::Moving);

    std::vector<CreationJournal::Move> aside;
    for (const CreationJournal::Move& m : moves)
        if (QFile::exists(journal.path(m.target))) aside.push_back(m);
    std::vector<std::function<void()>> plan;
    for (const CreationJournal::Move& m : aside)
        plan.push_back(
            [&, m] { require(QFile::rename(journal.path(m.target), journal.path(m.old))); });
    for (const CreationJournal::Move& m : moves) {
        if (m.fresh.isEmpty()) continue;
        plan.push_back(
            [&, m] { require(QFile::rename(journal.path(m.fresh), journal.path(m.target))); });
    }
    for (const CreationJournal::Move& m : aside) {
        plan.push_back([&, m] {
            const QString old = journal.path(m.old);
            require(QFile::remove(old) || QDir(old).removeRecursively());
        });
    }
    for (int i = 0; i < steps && i < int(plan.size()); ++i) plan[i]();
    return int(plan.size());
}
