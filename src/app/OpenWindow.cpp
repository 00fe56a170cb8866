#include "app/OpenWindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CutOffCreations.h"
#include "app/OpenDatabase.h"
#include "store/DatabaseFiles.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"

OpenWindow::OpenWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), lbDbList_(new QListWidget) {
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Open A Database]"));

    auto* frame = new QGroupBox(QStringLiteral("Select A Database To Open From Below:"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    lbDbList_->setObjectName(QStringLiteral("lbDbList"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(lbDbList_);
    spoken(lbDbList_, frame->title());

    auto* open = named(new QPushButton(QStringLiteral("Open"), this), "cmdOpen");
    auto* remove = named(new QPushButton(QStringLiteral("Delete"), this), "cmdDelete");
    auto* close = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
    resize(440, 360);

    connect(open, &QPushButton::clicked, this, &OpenWindow::cmdOpen_Click);
    // Enter or a double click on a name opens it.
    connect(lbDbList_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        lbDbList_->setCurrentItem(item);
        cmdOpen_Click();
    });
    connect(remove, &QPushButton::clicked, this, &OpenWindow::cmdDelete_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    setFocusProxy(lbDbList_);
    fillList();
}

void OpenWindow::fillList() {
    lbDbList_->clear();
    MendCutOffCreations(context());
    lbDbList_->addItems(DatabaseFiles::List(context().folder));
}

QString OpenWindow::selectedName() const {
    const QList<QListWidgetItem*> chosen = lbDbList_->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

void OpenWindow::cmdOpen_Click() {
    const QString name = selectedName();
    if (name.trimmed().isEmpty() || !context().shell.mayChangeDatabase()) return;
    if (OpenDatabase(context(), name)) close();
}

void OpenWindow::cmdDelete_Click() {
    const QString name = selectedName();
    if (name.isEmpty()) return;
    Prompter& prompter = context().prompter;
    if (!prompter.askYesNo(QStringLiteral("This will permanently remove ") + name +
                               QStringLiteral(" data and history!\r\nAre you sure you want "
                                              "to do this?"),
                           QStringLiteral("DELETE DATABASE!"), Prompter::Icon::Exclamation)) {
        return;
    }
    Session& session = context().session;
    if (session.hasDatabase() && session.DatabaseName == name) {
        if (!context().shell.mayChangeDatabase()) return;
        SessionDatabase::Close(session);
        context().shell.ShowCountedTitle();
        context().shell.RefreshMenus();
    }
    try {
        const QStringList missing = DatabaseFiles::Delete(context().folder, name);
        QString text = name + QStringLiteral(" has been deleted!");
        if (!missing.isEmpty()) {
            text += QStringLiteral("\r\nThese of its files were already missing: ") +
                    missing.join(QStringLiteral(", "));
        }
        prompter.message(text, QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
    } catch (const StoreError& e) {
        prompter.message(e.message(), QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    }
    fillList();
}

void OpenWindow::closeEvent(QCloseEvent* event) {
    context().shell.RefreshMenus();
    TaskWindow::closeEvent(event);
}
