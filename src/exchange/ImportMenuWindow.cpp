#include "exchange/ImportMenuWindow.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "store/Session.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"

ImportMenuWindow::ImportMenuWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmImportMenu"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Import/Export Menu]"));

    auto* import =
        named(new QPushButton(QStringLiteral("Import CSV File to Randola"), this), "Command1");
    auto* exportDatabase =
        named(new QPushButton(QStringLiteral("Export CSV File from Randola"), this), "Command2");
    auto* close = named(new QPushButton(QStringLiteral("Close"), this), "Command3");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(10);
    for (QPushButton* button : {import, exportDatabase}) {
        button->setMinimumHeight(button->sizeHint().height() * 3 / 2);
        layout->addWidget(button);
    }
    layout->addSpacing(6);
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(import, &QPushButton::clicked, this, &ImportMenuWindow::Command1_Click);
    connect(exportDatabase, &QPushButton::clicked, this, &ImportMenuWindow::Command2_Click);
    connect(close, &QPushButton::clicked, this, &ImportMenuWindow::Command3_Click);
    setFocusProxy(import);
}

void ImportMenuWindow::Command1_Click() {
    context().shell.showWindow(Shell::Window::Import);
}

void ImportMenuWindow::Command2_Click() {
    context().session.ExportFromMenu = true;
    context().shell.showWindow(Shell::Window::Export);
}

void ImportMenuWindow::Command3_Click() {
    close();
}
