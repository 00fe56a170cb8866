#include "reports/HistoryWindow.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "reports/PickHistory.h"
#include "store/DataFolder.h"
#include "store/Session.h"
#include "ui/FixedFace.h"
#include "ui/ListKeys.h"
#include "ui/Named.h"
#include "ui/PdfLinePrinter.h"
#include "ui/Prompter.h"
#include "ui/SaveAs.h"
#include "ui/Shell.h"
#include "ui/WorkProgress.h"

HistoryWindow::HistoryWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [History Viewer]"));
    frame1_ = named(new QGroupBox(QStringLiteral("Click On Your Choice:"), this), "Frame1");
    lbResult_ = spoken(named(new QListWidget(frame1_), "lbResult"), frame1_->title());
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));
    cmdCertificate_ = namedButton(this, "cmdCertificate", QStringLiteral("Certificate"));
    cmdSaveCertificatePdf_ =
        namedButton(this, "cmdSaveCertificatePdf", QStringLiteral("Save As PDF"));
    cmdExportCertificate_ =
        namedButton(this, "cmdExportCertificate", QStringLiteral("Export Text"));
    cmdVerify_ = namedButton(this, "cmdVerify", QStringLiteral("Verify"));
    const std::pair<QPushButton*, Qt::Key> keys[] = {{cmdCertificate_, Qt::Key_I},
                                                     {cmdSaveCertificatePdf_, Qt::Key_P},
                                                     {cmdExportCertificate_, Qt::Key_X},
                                                     {cmdVerify_, Qt::Key_V}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(QKeySequence(Qt::ALT | key));
        button->setAccessibleName(button->text() == QStringLiteral("Certificate")
                                      ? button->text()
                                      : button->text() + QStringLiteral(" Certificate"));
        button->setToolTip(button->accessibleName() + QStringLiteral(" (") +
                           button->shortcut().toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
    }
    // The entries are columns of digits: a fixed-pitch face keeps them aligned.
    const QFont face = FixedFace(font().pointSizeF());
    lbResult_->setFont(face);

    auto* inFrame = new QVBoxLayout(frame1_);
    inFrame->addWidget(lbResult_);
    // The certificate's buttons beside the list, in the order Tab takes them.
    auto* certificate = new QVBoxLayout;
    for (QPushButton* button :
         {cmdCertificate_, cmdSaveCertificatePdf_, cmdExportCertificate_, cmdVerify_}) {
        certificate->addWidget(button);
    }
    certificate->addStretch(1);
    auto* list = new QHBoxLayout;
    list->addWidget(frame1_, 1);
    list->addLayout(certificate);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    auto* window = new QVBoxLayout(this);
    window->addLayout(list, 1);
    window->addLayout(buttons);
    resize(QFontMetrics(face).horizontalAdvance(QString(23, QLatin1Char('0'))) +
               cmdSaveCertificatePdf_->sizeHint().width() + 140,
           360);

    connect(lbResult_, &QListWidget::itemClicked, this, &HistoryWindow::lbResult_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &HistoryWindow::cmdClose_Click);
    connect(cmdCertificate_, &QPushButton::clicked, this, &HistoryWindow::cmdCertificate_Click);
    connect(cmdSaveCertificatePdf_, &QPushButton::clicked, this,
            &HistoryWindow::cmdSaveCertificatePdf_Click);
    connect(cmdExportCertificate_, &QPushButton::clicked, this,
            &HistoryWindow::cmdExportCertificate_Click);
    connect(cmdVerify_, &QPushButton::clicked, this, &HistoryWindow::cmdVerify_Click);
    connect(lbResult_, &QListWidget::currentItemChanged, this, &HistoryWindow::enableCertificate);
    ListKeys::Install(lbResult_, {Qt::Key_Return, Qt::Key_Enter},
                      [this](QListWidgetItem* item) { lbResult_Click(item); });
    LoadPickList();
}

QString HistoryWindow::historyPath() const {
    return context().folder.historyFile(context().session.DatabaseName);
}

bool HistoryWindow::listsOtherDatabase() const {
    return !listed_.database.isCurrent(context().session);
}

bool HistoryWindow::listIsStale() const {
    return listsOtherDatabase() || PickHistory::Count(historyPath()) != listed_.records;
}

void HistoryWindow::Form_Activate() {
    if (!listIsStale()) return;
    // Read again once the click that made the window active has been
    // handled: the entry under the pointer may be another one in the new
    // list, and the emptied list lets that click choose nothing.
    QTimer::singleShot(0, this, [this] {
        if (listIsStale()) LoadPickList(listsOtherDatabase());
    });
}

void HistoryWindow::Reopen() {
    LoadPickList();
}

void HistoryWindow::LoadPickList(bool sayWhenEmpty) {
    const QListWidgetItem* current = lbResult_->currentItem();
    const QString kept = current ? current->text() : QString();
    lbResult_->clear();
    listed_.database.take(context().session);
    listed_.records = PickHistory::Count(historyPath());
    withReceipts_ = PickCertificate::EntriesWithReceipts(historyPath());
    enableCertificate();
    PickHistory::PickList list;
    {
        WorkProgress progress(this, QStringLiteral("History"),
                                      QStringLiteral("Reading the pick history..."));
        list = PickHistory::LoadPickList(historyPath(), progress.callback());
    }
    switch (list.outcome.status) {
        case ReportOutcome::Status::Written:
            break;
        case ReportOutcome::Status::Stopped:
            return;
        case ReportOutcome::Status::Failed:
            context().prompter.message(list.outcome.reason, QStringLiteral("ERROR!"),
                                       Prompter::Icon::Exclamation);
            return;
    }
    if (list.entries.isEmpty()) {
        if (sayWhenEmpty) {
            context().prompter.message(
                QStringLiteral("There are not any history records available yet."),
                QStringLiteral("NO RECORDS!"), Prompter::Icon::Information);
        }
        return;
    }
    lbResult_->addItems(list.entries);
    lbResult_->setCurrentRow(std::max<qsizetype>(0, list.entries.indexOf(kept)));
}

bool HistoryWindow::listsOpenDatabase(const QString& undone) {
    if (!listsOtherDatabase()) return true;
    // The entry names a pick of a database no longer open: what is made of
    // it would come from the history of the one that is.
    LoadPickList(false);
    context().prompter.message(
        QStringLiteral("Another database has been opened since these picks were listed, so %1."
                       "\r\nThe list now shows the picks of %2.")
            .arg(undone, context().session.DatabaseName.trimmed()),
        QStringLiteral("ANOTHER DATABASE!"), Prompter::Icon::Exclamation);
    return false;
}

void HistoryWindow::lbResult_Click(QListWidgetItem* item) {
    if (!item || !listsOpenDatabase(QStringLiteral("no report was made"))) return;
    selectedDate_ = PickHistory::DateOf(item->text());
    selectedTime_ = PickHistory::TimeOf(item->text());
    WriteHistoryReport();
}
void HistoryWindow::WriteHistoryReport() {
    Session& session = context().session;
    ReportOutcome outcome;
    {
        WorkProgress progress(this, QStringLiteral("History"),
                                      QStringLiteral("Writing the report of the pick..."));
        outcome = PickHistory::WriteReport(
            {historyPath(), context().folder.definitionFile(session.DatabaseName),
             context().folder.file(QStringLiteral("report.txt")), selectedDate_, selectedTime_},
            progress.callback());
    }
    switch (outcome.status) {
        case ReportOutcome::Status::Written:
            // Set here, not left to the menu: Print Listing chosen since then
            // would have the viewer write the listing over this report.
            session.ReportKind = Session::HistoryReport;
            context().shell.showWindow(Shell::Window::ReportViewer);
            break;
        case ReportOutcome::Status::Stopped:
            break;
        case ReportOutcome::Status::Failed:
            context().prompter.message(
                QStringLiteral("The history report could not be made.\r\n") + outcome.reason,
                QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            break;
    }
}

void HistoryWindow::cmdClose_Click() {
    close();
}

void HistoryWindow::enableCertificate() {
    const QListWidgetItem* item = lbResult_->currentItem();
    const bool certified = item && withReceipts_.contains(item->text());
    for (QPushButton* button :
         {cmdCertificate_, cmdSaveCertificatePdf_, cmdExportCertificate_, cmdVerify_}) {
        button->setEnabled(certified);
    }
}

std::optional<std::vector<PickCertificate::Certificate>> HistoryWindow::chosenCertificates() {
    const QListWidgetItem* item = lbResult_->currentItem();
    if (!item || !listsOpenDatabase(QStringLiteral("nothing was done"))) return std::nullopt;
    PickCertificate::Reading reading =
        PickCertificate::Read(historyPath(), context().session.DatabaseName,
                              PickHistory::DateOf(item->text()), PickHistory::TimeOf(item->text()));
    if (!reading.outcome.written()) {
        context().prompter.message(reading.outcome.reason, QStringLiteral("ERROR!"),
                                   Prompter::Icon::Exclamation);
        return std::nullopt;
    }
    return std::move(reading.certificates);
}

QString HistoryWindow::suggestedPath(const QString& extension) const {
    const QString entry = lbResult_->currentItem()->text();
    return context().folder.file(
        QStringLiteral("%1 certificate %2 %3%4")
            .arg(context().session.DatabaseName.trimmed(), PickHistory::DateOf(entry),
                 PickHistory::TimeOf(entry).trimmed().remove(':'), extension));
}

void HistoryWindow::cmdCertificate_Click() {
    const auto certificates = chosenCertificates();
    if (!certificates) return;
    const ReportOutcome written =
        PickCertificate::Write(*certificates, context().folder.file(QStringLiteral("report.txt")));
    if (!written.written()) {
        context().prompter.message(written.reason, QStringLiteral("ERROR!"),
                                   Prompter::Icon::Exclamation);
        return;
    }
    context().session.ReportKind = Session::HistoryReport;
    context().shell.showWindow(Shell::Window::ReportViewer);
}

void HistoryWindow::cmdSaveCertificatePdf_Click() {
    const auto certificates = chosenCertificates();
    if (!certificates) return;
    SaveAs::Run(
        context().prompter, QStringLiteral("Save the certificate as PDF"),
        suggestedPath(QStringLiteral(".pdf")), QStringLiteral("PDF files (*.pdf)"),
        QStringLiteral("The certificate"), [&](const QString& path) {
            const bool printed =
                PdfLinePrinter(path).print(QStringLiteral("RANDOLA Certificate"),
                                           PickCertificate::Lines(*certificates)) ==
                LinePrinter::Result::Printed;
            return SaveAs::Result{printed ? SaveAs::Status::Saved : SaveAs::Status::Failed, {}};
        });
}

void HistoryWindow::cmdExportCertificate_Click() {
    const auto certificates = chosenCertificates();
    if (!certificates) return;
    SaveAs::Run(context().prompter, QStringLiteral("Export the certificate as text"),
                suggestedPath(QStringLiteral(".txt")), QStringLiteral("Text files (*.txt)"),
                QStringLiteral("The certificate"), [&](const QString& path) {
                    const ReportOutcome written = PickCertificate::Write(*certificates, path);
                    return SaveAs::Result{
                        written.written() ? SaveAs::Status::Saved : SaveAs::Status::Failed,
                        written.reason};
                });
}

void HistoryWindow::cmdVerify_Click() {
    const auto certificates = chosenCertificates();
    if (!certificates) return;
    PickCertificate::Verdict verdict;
    {
        WorkProgress progress(this, QStringLiteral("Verify"),
                              QStringLiteral("Drawing the pick again..."));
        verdict = PickCertificate::Verify(*certificates, context().session.DataHandle,
                                          progress.callback());
    }
    switch (verdict.outcome.status) {
        case ReportOutcome::Status::Stopped:
            return;
        case ReportOutcome::Status::Failed:
            context().prompter.message(
                QStringLiteral("The pick could not be verified.\r\n") + verdict.outcome.reason,
                QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            return;
        case ReportOutcome::Status::Written:
            break;
    }
    if (verdict.reproduced) {
        context().prompter.message(verdict.text, QStringLiteral("VERIFIED!"),
                                   Prompter::Icon::Information);
    } else {
        context().prompter.message(verdict.text, QStringLiteral("NOT REPRODUCED!"),
                                   Prompter::Icon::Exclamation);
    }
}
