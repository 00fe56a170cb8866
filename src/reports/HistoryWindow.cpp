#include "reports/HistoryWindow.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "reports/PickHistory.h"
#include "ui/WorkProgress.h"
#include "store/DataFolder.h"
#include "store/Session.h"
#include "ui/FixedFace.h"
#include "ui/ListKeys.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"

HistoryWindow::HistoryWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [History Viewer]"));
    frame1_ = named(new QGroupBox(QStringLiteral("Click On Your Choice:"), this), "Frame1");
    lbResult_ = spoken(named(new QListWidget(frame1_), "lbResult"), frame1_->title());
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));
    // The entries are columns of digits: a fixed-pitch face keeps them aligned.
    const QFont face = FixedFace(font().pointSizeF());
    lbResult_->setFont(face);

    auto* inFrame = new QVBoxLayout(frame1_);
    inFrame->addWidget(lbResult_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    auto* window = new QVBoxLayout(this);
    window->addWidget(frame1_, 1);
    window->addLayout(buttons);
    resize(QFontMetrics(face).horizontalAdvance(QString(23, QLatin1Char('0'))) + 120, 360);

    connect(lbResult_, &QListWidget::itemClicked, this, &HistoryWindow::lbResult_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &HistoryWindow::cmdClose_Click);
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

void HistoryWindow::lbResult_Click(QListWidgetItem* item) {
    if (!item) return;
    if (listsOtherDatabase()) {
        // The entry names a pick of a database no longer open: its report
        // would come from the history of the one that is.
        LoadPickList(false);
        context().prompter.message(
            QStringLiteral("Another database has been opened since these picks were listed, so "
                           "no report was made.\r\nThe list now shows the picks of %1.")
                .arg(context().session.DatabaseName.trimmed()),
            QStringLiteral("ANOTHER DATABASE!"), Prompter::Icon::Exclamation);
        return;
    }
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
