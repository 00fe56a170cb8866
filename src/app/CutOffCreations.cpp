#include "app/CutOffCreations.h"

#include <QStringList>

#include "store/CreationJournal.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

void MendCutOffCreations(AppContext& context) {
    for (const QString& problem : CreationJournal::MendCutOff(context.folder)) {
        context.prompter.message(problem, QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    }
}
