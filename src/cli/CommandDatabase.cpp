#include "cli/CommandDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "cli/CommandContext.h"
#include "cli/CommandFailure.h"
#include "cli/TerminalProgress.h"
#include "store/DatabaseFiles.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"

namespace {

// Between two tries of a busy database: short beside the store's own wait.
constexpr unsigned long kRetryPauseMs = 250;

}  // namespace

void CommandDatabase::Require(const DataFolder& folder, const QString& name) {
    // Only a listed name: it cannot reach outside the folder nor name the
    // uninstaller's file.
    if (!DatabaseFiles::List(folder).contains(name)) {
        throw CommandFailure(ExitStatus::NotFound,
                             QStringLiteral("there is no database \"%1\" in %2")
                                 .arg(name, QDir::toNativeSeparators(folder.path())));
    }
}

std::vector<FieldDefinition> CommandDatabase::Definitions(const DataFolder& folder,
                                                         const QString& name) {
    Require(folder, name);
    try {
        return DefinitionFile::Read(folder.definitionFile(name));
    } catch (const StoreError& error) {
        throw CommandFailure(ExitStatus::Failed, error.message());
    }
}

int CommandDatabase::WhileBusy(const CommandContext& context, const std::function<int()>& attempt) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const int code = attempt();
        if (code != TrmCode::Busy || waited.elapsed() >= context.busyWait.count()) return code;
        QThread::msleep(kRetryPauseMs);
    }
}

CommandFailure CommandDatabase::Failure(const QString& name, const QString& reason, int code) {
    if (code == TrmCode::Busy) {
        return CommandFailure(ExitStatus::Busy,
                              QStringLiteral("the database \"%1\" is in use by another copy of "
                                             "RANDOLA; nothing was done, try again later")
                                  .arg(name));
    }
    return CommandFailure(ExitStatus::Failed, reason);
}

CommandDatabase::CommandDatabase(const CommandContext& context, const DataFolder& folder,
                                 const QString& name)
    : name_(name), folder_(folder) {
    definitions_ = Definitions(folder, name);
    for (std::size_t slot = 0; slot < definitions_.size(); ++slot) {
        if (definitions_[slot].inUse()) fieldSlots_.push_back(int(slot));
    }
    names_ = DefinitionFile::FieldNames(definitions_);
    if (SessionDatabase::NeedsUpgrade(folder, name)) upgrade(context);
    int code = TrmCode::Ok;
    try {
        code = WhileBusy(context, [&] {
            handle_ = SessionDatabase::OpenData(folder, name);
            return handle_ > 0 ? TrmCode::Ok : -handle_;
        });
    } catch (const StoreError& error) {
        handle_ = 0;
        throw CommandFailure(ExitStatus::Failed, error.message());
    }
    if (code != TrmCode::Ok) {
        handle_ = 0;
        throw Failure(name, QStringLiteral("the database \"%1\" could not be opened: %2")
                                .arg(name, trm_ResultText(code)),
                      code);
    }
}

CommandDatabase::~CommandDatabase() {
    if (handle_ > 0) trm_Close(handle_);
}

void CommandDatabase::upgrade(const CommandContext& context) {
    RecordFileUpgrade::Outcome outcome;
    const int code = WhileBusy(context, [&] {
        TerminalProgress progress(context.err, context.errIsTerminal,
                                  QStringLiteral("Converting \"%1\"").arg(name_));
        outcome = SessionDatabase::Upgrade(folder_, name_, std::ref(progress));
        return outcome.code;
    });
    if (!outcome.ok()) {
        throw Failure(name_,
                      QStringLiteral("the database \"%1\" was written by an earlier version of "
                                     "RANDOLA and could not be converted; its files are as they "
                                     "were: %2")
                          .arg(name_, trm_ResultText(code)),
                      code);
    }
    if (outcome.cut > 0) {
        QStringList kept;
        for (const QString& path : outcome.keptAs) kept << QFileInfo(path).fileName();
        context.err.write(QStringLiteral("randola: \"%1\" was converted for this version of "
                                         "RANDOLA; %2 cut to fit their fields, the files as "
                                         "they were are kept as %3\n")
                              .arg(name_, QString::number(outcome.cut) +
                                              (outcome.cut == 1 ? QStringLiteral(" value was")
                                                                : QStringLiteral(" values were")),
                                   kept.join(QStringLiteral(" and ")))
                              .toUtf8());
    }
}
