#include "update/UpdateWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

#include "net/Transfer.h"
#include "ui/BackgroundTask.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WindowPlacement.h"
#include "update/UpdateCheck.h"
#include "update/UpdateService.h"

UpdateWindow::UpdateWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), Inet1_(new BackgroundTask(this)) {
    setObjectName(QStringLiteral("frmInternetUpdate"));
    setWindowTitle(QStringLiteral("Internet Update ") + UpdateCheck::runningText());
    Command1_ = named(new QPushButton(QStringLiteral("Check for update"), this), "Command1");
    cmdStop_ = named(new QPushButton(QStringLiteral("S&top"), this), "cmdStop");
    lblStatus_ = named(new QLabel(this), "lblStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1_);
    buttons->addWidget(cmdStop_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lblStatus_);
    resize(360, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        WindowPlacement::place(this, screen->availableGeometry().size());

    connect(Command1_, &QPushButton::clicked, this, &UpdateWindow::Command1_Click);
    // A window of its own: the keyboard starts on its one button.
    Command1_->setFocus();
    Inet1_->showOn(this, Command1_, cmdStop_);
}

void UpdateWindow::Command1_Click() {
    if (Inet1_->running()) return;
    auto outcome = std::make_shared<UpdateOutcome>();
    const TransferLimits limits = context().transferLimits;
    const UpdateService service = context().updateService();
    showStatus(QStringLiteral("Asking %1 ...").arg(service.webSite()));
    Inet1_->start(
        [=](const std::atomic<bool>& stop) {
            try {
                Transfer transfer(Transfer::Protocols::Web, limits, &stop);
                *outcome = UpdateCheck::run(transfer, service);
            } catch (const TransferError& error) {
                outcome->kind = UpdateOutcome::Kind::Failed;
                outcome->reason = error.reason();
            }
        },
        [this, outcome] { checked(*outcome); });
}

void UpdateWindow::checked(const UpdateOutcome& outcome) {
    using Kind = UpdateOutcome::Kind;
    Prompter& prompter = context().prompter;
    showStatus(outcome.reason);
    switch (outcome.kind) {
        case Kind::Nothing:
        case Kind::Stopped:
            break;
        case Kind::UpToDate:
            prompter.message(QStringLiteral("Your software is currently up to date."), QString(),
                             Prompter::Icon::Information);
            break;
        case Kind::Offer:
            if (prompter.askYesNo(outcome.prompt, outcome.title, Prompter::Icon::None))
                context().shell.ShellOpen(context().updateService().archive());
            break;
        case Kind::Failed:
            prompter.message(UpdateCheck::failureText(context().updateService()), QString(),
                             Prompter::Icon::Critical);
            break;
    }
}

void UpdateWindow::showStatus(const QString& text) {
    lblStatus_->setText(text);
    // A window of its own does not grow by itself: the lines of a long
    // reason would be cut off at its bottom.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height()) resize(width(), needed);
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
    Inet1_->stop();
    TaskWindow::closeEvent(event);
}
