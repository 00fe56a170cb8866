#include "app/OpenDatabase.h"

#include "store/RecordManager.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"

QString OpenFailureText(int code) {
    return QStringLiteral("Internal Error! (") + QString::number(code) + QStringLiteral(")\r\n") +
           trm_ResultText(code);
}

bool OpenDatabase(AppContext& context, const QString& name) {
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
        context.prompter.message(problem, QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
        return false;
    }
    if (code != TrmCode::Ok) {
        context.prompter.message(OpenFailureText(code), QString(), Prompter::Icon::None);
        return false;
    }
    return true;
}
