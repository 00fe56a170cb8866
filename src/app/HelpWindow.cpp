#include "app/HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/Prompter.h"

HelpWindow::HelpWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Help]"));
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("txtHelp"));
    browser->setOpenExternalLinks(false);
    browser->setAccessibleName(QStringLiteral("Help"));
    browser->setSource(QUrl(QStringLiteral("qrc:/help/guide.html")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(640, 560);
    setFocusProxy(browser);
}
