#include "app/OpenDatabase.h"

#include <QApplication>
#include <QFileInfo>

#include "store/DataFolder.h"
#include "store/RecordManager.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"
#include "ui/WorkProgress.h"

QString OpenFailureText(int code, const QString& dataFile) {
    return QStringLiteral("Internal Error! (") + QString::number(code) + QStringLiteral(")\r\n") +
           QFileInfo(dataFile).fileName() + QStringLiteral(": ") + trm_ResultText(code);
}

namespace {

// The files of an earlier version are converted before they are opened, with
// a bar that shows once it takes a while and a button to stop.
std::optional<OpenFailure> upgrade(AppContext& context, const QString& name) {
    RecordFileUpgrade::Outcome outcome;
    {
        WorkProgress progress(
            QApplication::activeWindow(), QStringLiteral("CONVERTING"),
            QStringLiteral("Converting \"%1\" for this version of RANDOLA...").arg(name));
        outcome = SessionDatabase::Upgrade(context.folder, name, progress.callback());
    }
    const QString before = QStringLiteral(
                               "The database \"%1\" was written by an earlier version of RANDOLA "
                               "and must be converted "
                               "before it can be opened.")
                               .arg(name);
    if (outcome.stopped) {
        return OpenFailure{
            before + QStringLiteral("\r\nThe conversion was stopped; its files are as they were."),
            QStringLiteral("STOPPED!"), Prompter::Icon::Information};
    }
    if (!outcome.ok()) {
        return OpenFailure{
            before +
                QStringLiteral(
                    "\r\nIt could not be converted, and its files are as they were.\r\n") +
                trm_ResultText(outcome.code),
            QStringLiteral("ERROR!"), Prompter::Icon::Exclamation};
    }
    if (outcome.cut > 0) {
        QStringList kept;
        for (const QString& path : outcome.keptAs) kept << QFileInfo(path).fileName();
        const bool one = outcome.cut == 1;
        context.prompter.message(
            QStringLiteral("The database \"%1\" has been converted for this version of RANDOLA. "
                           "%2 %3 too long for %4 once written in UTF-8 and %5 cut to fit; the "
                           "files as they were are kept as %6.")
                .arg(name, QString::number(outcome.cut),
                     one ? QStringLiteral("value was") : QStringLiteral("values were"),
                     one ? QStringLiteral("its field") : QStringLiteral("their fields"),
                     one ? QStringLiteral("was") : QStringLiteral("were"),
                     kept.join(QStringLiteral(" and "))),
            QStringLiteral("CONVERTED!"), Prompter::Icon::Information);
    }
    return std::nullopt;
}

}  // namespace

std::optional<OpenFailure> TryOpenDatabase(AppContext& context, const QString& name) {
    if (SessionDatabase::NeedsUpgrade(context.folder, name)) {
        if (std::optional<OpenFailure> failed = upgrade(context, name)) return failed;
    }
    int code = TrmCode::Ok;
    QString problem;
    {
        WaitCursor wait;
        try {
            code = SessionDatabase::Open(context.session, context.folder, name);
        } catch (const StoreError& e) {
            problem = e.message();
        }
    }
    // The earlier database is closed whatever happened: the title and menus
    // must say so before any message does.
    context.shell.ShowCountedTitle();
    context.shell.RefreshMenus();
    if (!problem.isEmpty()) {
        return OpenFailure{problem, QStringLiteral("ERROR!"), Prompter::Icon::Exclamation};
    }
    if (code != TrmCode::Ok)
        return OpenFailure{OpenFailureText(code, context.folder.dataFile(name)), QString(),
                           Prompter::Icon::None};
    return std::nullopt;
}

bool OpenDatabase(AppContext& context, const QString& name) {
    const std::optional<OpenFailure> failed = TryOpenDatabase(context, name);
    if (failed) context.prompter.message(failed->text, failed->title, failed->icon);
    return !failed;
}
