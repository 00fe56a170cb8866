#include "ui/SaveAs.h"

#include <QDir>
#include <QFileInfo>

#include "ui/Prompter.h"

void SaveAs::Run(Prompter& prompter, const QString& title, const QString& suggestedPath,
                 const QString& filter, const QString& what,
                 const std::function<Result(const QString& path)>& save) {
    QString path = prompter.saveFileName(title, suggestedPath, filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QFileInfo(suggestedPath).suffix();
    const Result result = save(path);
    const QString shown = QDir::toNativeSeparators(path);
    switch (result.status) {
        case Status::Saved:
            prompter.message(QStringLiteral("%1 has been saved as\r\n%2").arg(what, shown),
                             QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
            break;
        case Status::Stopped:
            break;
        case Status::Failed:
            prompter.message(QStringLiteral("%1 could not be saved as\r\n%2\r\n%3")
                                 .arg(what, shown, result.reason)
                                 .trimmed(),
                             QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            break;
    }
}
