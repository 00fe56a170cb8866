#include "records/PickResultsFrame.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/ResultsPrintout.h"
#include "store/Session.h"
#include "ui/AppContext.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"

PickResultsFrame::PickResultsFrame(AppContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Results From Current Pick:"), parent), context_(context) {
    setObjectName(QStringLiteral("frameResults"));
    lbResults_ = spoken(named(new QListWidget(this), "lbResults"), title());
    cmdPrintResults_ = namedButton(this, "cmdPrintResults", QStringLiteral("Print"));
    cmdExportResults_ = namedButton(this, "cmdExportResults", QStringLiteral("Export"));
    cmdEmailResults_ = namedButton(this, "cmdEmailResults", QStringLiteral("Email"));
    // The captions carry no mnemonic marker: the keys are given beside them.
    const std::pair<QPushButton*, Qt::Key> keys[] = {{cmdPrintResults_, Qt::Key_P},
                                                     {cmdExportResults_, Qt::Key_X},
                                                     {cmdEmailResults_, Qt::Key_M}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(QKeySequence(Qt::ALT | key));
        button->setToolTip(button->text() + QStringLiteral(" (") +
                           button->shortcut().toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // Laid out in the order Tab takes them.
    for (QPushButton* button : {cmdEmailResults_, cmdExportResults_, cmdPrintResults_}) {
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbResults_, 1);
    layout->addLayout(buttons);

    connect(cmdPrintResults_, &QPushButton::clicked, this,
            &PickResultsFrame::cmdPrintResults_Click);
    connect(cmdExportResults_, &QPushButton::clicked, this,
            &PickResultsFrame::cmdExportResults_Click);
    connect(cmdEmailResults_, &QPushButton::clicked, this,
            &PickResultsFrame::cmdEmailResults_Click);
}

QList<QWidget*> PickResultsFrame::tabOrder() const {
    return {lbResults_, cmdEmailResults_, cmdExportResults_, cmdPrintResults_};
}

bool PickResultsFrame::takePick(const RandomPick::Outcome& outcome,
                                const RandomPick::Stamp& stamp) {
    Session& session = context_.session;
    Prompter& prompter = context_.prompter;
    session.LastResult = outcome.code;
    switch (outcome.status) {
        case RandomPick::Status::Picked:
            break;
        case RandomPick::Status::NotEnough:
            prompter.message(outcome.reason, QStringLiteral("NOT ENOUGH!"),
                             Prompter::Icon::Exclamation);
            return false;
        case RandomPick::Status::PoolChanged:
            prompter.message(outcome.reason, QStringLiteral("POOL CHANGED!"),
                             Prompter::Icon::Exclamation);
            return false;
        case RandomPick::Status::StoreFailed:
            prompter.message(outcome.reason, QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            return false;
    }
    session.PickDate = stamp.date;
    session.PickTime = stamp.time;
    lbResults_->clear();
    lbResults_->addItems(outcome.lines);
    session.HistoryEntry = outcome.history.back();
    session.CurrentRecord = session.HistoryEntry.Record;
    prompter.message(QStringLiteral("Results have been obtained."), QStringLiteral("SUCCESS!"),
                     Prompter::Icon::Information);
    setEnabled(true);
    return true;
}

void PickResultsFrame::cmdPrintResults_Click() {
    const Session& session = context_.session;
    QStringList results;
    for (int i = 0; i < lbResults_->count(); ++i) results << lbResults_->item(i)->text();
    const std::unique_ptr<LinePrinter> printer = context_.linePrinter(context_.prompter);
    const LinePrinter::Result printed =
        printer->print(QStringLiteral("RANDOLA Results"),
                       ResultsPrintout::lines(session.PickDate, session.PickTime, results));
    if (printed == LinePrinter::Result::Failed) {
        context_.prompter.message(QStringLiteral("There was a problem printing the report."),
                                  QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    }
}

void PickResultsFrame::cmdExportResults_Click() {
    // An export window the Import/Export window opened may still be open in
    // database mode; from here it is the pick that is exported.
    context_.session.ExportFromMenu = false;
    context_.shell.showWindow(Shell::Window::Export);
}

void PickResultsFrame::cmdEmailResults_Click() {
    context_.shell.showWindow(Shell::Window::Email);
}
