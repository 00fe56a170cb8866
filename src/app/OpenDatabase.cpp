#include "app/OpenDatabase.h"

#include "store/RecordManager.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"

QString OpenFailureText(int code) {
    return QStringLiteral("Internal Error! (") + QString::number(code) + QStringLiteral(")\r\n") +
           trm_ResultText(code);
}

std::optional<OpenFailure> TryOpenDatabase(AppContext& context, const QString& name) {
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
        return OpenFailure{OpenFailureText(code), QString(), Prompter::Icon::None};
    return std::nullopt;
}

bool OpenDatabase(AppContext& context, const QString& name) {
    const std::optional<OpenFailure> failed = TryOpenDatabase(context, name);
    if (failed) context.prompter.message(failed->text, failed->title, failed->icon);
    return !failed;
}
