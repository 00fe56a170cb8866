#include "app/MainTitle.h"

#include "store/Session.h"
#include "ui/Prompter.h"

QString MainTitle(const Session& session, bool withCount) {
    if (!session.hasDatabase()) return applicationTitle();
    QString title =
        applicationTitle() + QStringLiteral(" - [") + session.DatabaseName + QLatin1Char(']');
    if (withCount) {
        title += QStringLiteral(" [Total Records = ") + QString::number(session.TotalRecords) +
                 QLatin1Char(']');
    }
    return title;
}
