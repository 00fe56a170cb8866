#include "exchange/ExportWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "store/RecordText.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/Session.h"
#include "store/StoreError.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"

namespace {

const char* const kFixedNames[] = {"cbDateEntered", "cbLastPicked", "cbTimesPicked", "cbOmit",
                                   "cbNotes"};

}  // namespace

ExportWindow::ExportWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Export Data]"));
    buildControls();
    buildLayout();
    connect(cmdExport_, &QPushButton::clicked, this, &ExportWindow::cmdExport_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &ExportWindow::cmdClose_Click);
    // Enter in the name box exports, as the button does.
    connect(txtExportFile_, &QLineEdit::returnPressed, this, &ExportWindow::cmdExport_Click);
    setFocusProxy(txtExportFile_);
    LoadFieldChoices();
    applyMode();
}

void ExportWindow::buildControls() {
    Frame1_ = named(new QGroupBox(QStringLiteral("Select Fields To Export:"), this), "Frame1");
    for (int i = 0; i < DataRecord::FieldCount; ++i) {
        cbfield_[static_cast<std::size_t>(i)] = new QCheckBox(Frame1_);
        cbfield_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("cbfield(%1)").arg(i));
    }
    const QStringList& fixed = ExportColumns::FixedHeaders();
    for (std::size_t i = 0; i < cbFixed_.size(); ++i) {
        cbFixed_[i] = named(new QCheckBox(fixed.at(qsizetype(i)), Frame1_), kFixedNames[i]);
    }

    Frame2_ = named(new QGroupBox(QStringLiteral("How Do You Want To Export This Data?"), this),
                    "Frame2");
    opComma_ = named(new QRadioButton(QStringLiteral("Comma Seperated File"), Frame2_), "opComma");
    ophtml_ = named(new QRadioButton(QStringLiteral("HTML Document"), Frame2_), "ophtml");
    optext_ = named(new QRadioButton(QStringLiteral("Plain Text File"), Frame2_), "optext");
    opComma_->setChecked(true);

    Frame3_ = named(new QGroupBox(QStringLiteral("Name Of File To Export To:"), this), "Frame3");
    txtExportFile_ = spoken(named(new QLineEdit(Frame3_), "txtExportFile"), Frame3_->title());
    cbFieldNames_ =
        named(new QCheckBox(QStringLiteral("Export Field Names Too?"), this), "cbFieldNames");
    cmdExport_ = namedButton(this, "cmdExport", QStringLiteral("Export"));
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));
}

void ExportWindow::buildLayout() {
    // The user fields down two columns in slot order, the fixed columns in a third.
    auto* fields = new QGridLayout(Frame1_);
    fields->setHorizontalSpacing(18);
    constexpr int perColumn = DataRecord::FieldCount / 2;
    for (int i = 0; i < DataRecord::FieldCount; ++i) {
        fields->addWidget(cbfield_[static_cast<std::size_t>(i)], i % perColumn, i / perColumn);
    }
    for (std::size_t i = 0; i < cbFixed_.size(); ++i) fields->addWidget(cbFixed_[i], int(i), 2);
    fields->setRowStretch(perColumn, 1);

    auto* formats = new QVBoxLayout(Frame2_);
    for (QRadioButton* option : {opComma_, ophtml_, optext_}) {
        // Options hidden in database mode keep their place, so nothing moves.
        QSizePolicy kept = option->sizePolicy();
        kept.setRetainSizeWhenHidden(true);
        option->setSizePolicy(kept);
        formats->addWidget(option);
    }
    formats->addStretch(1);
    auto* name = new QVBoxLayout(Frame3_);
    name->addWidget(txtExportFile_);
    name->addWidget(cbFieldNames_);

    auto* lower = new QHBoxLayout;
    lower->addWidget(Frame2_, 1);
    lower->addWidget(Frame3_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExport_);
    buttons->addWidget(cmdClose_);

    auto* window = new QVBoxLayout(this);
    window->addWidget(Frame1_, 1);
    window->addLayout(lower);
    window->addLayout(buttons);

    QList<QWidget*> order(cbfield_.begin(), cbfield_.end());
    order << QList<QWidget*>(cbFixed_.begin(), cbFixed_.end()) << opComma_ << ophtml_ << optext_
          << txtExportFile_ << cbFieldNames_ << cmdExport_ << cmdClose_;
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void ExportWindow::Form_Activate() {
    // Another database may have been opened since the boxes were labelled.
    if (!database_.isCurrent(context().session)) LoadFieldChoices();
    applyMode();
}

void ExportWindow::hideFieldChoice(int slot) {
    QCheckBox* box = cbfield_[static_cast<std::size_t>(slot)];
    box->setChecked(false);
    box->hide();
}

void ExportWindow::LoadFieldChoices() {
    const Session& session = context().session;
    database_.take(session);
    definitions_.clear();
    if (session.hasDatabase()) {
        try {
            definitions_ =
                DefinitionFile::Read(context().folder.definitionFile(session.DatabaseName));
        } catch (const StoreError& error) {
            context().prompter.message(error.message(), QStringLiteral("ERROR!"),
                                       Prompter::Icon::Exclamation);
        }
    }
    for (int i = 0; i < DataRecord::FieldCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (slot >= definitions_.size() || !definitions_[slot].inUse()) {
            hideFieldChoice(i);
            continue;
        }
        cbfield_[slot]->setText(
            RecordText::toUnicode(RecordText::trimmed(definitions_[slot].FieldName)));
        cbfield_[slot]->show();
    }
}

void ExportWindow::applyMode() {
    const bool database = context().session.ExportFromMenu;
    // A database is exported as CSV only.
    if (database) opComma_->setChecked(true);
    ophtml_->setVisible(!database);
    optext_->setVisible(!database);
}

bool ExportWindow::checksPass() {
    Prompter& prompter = context().prompter;
    if (txtExportFile_->text().trimmed().isEmpty()) {
        prompter.message(QStringLiteral("You must specify a name to save as."),
                         QStringLiteral("ERROR"), Prompter::Icon::Critical);
        txtExportFile_->setFocus();
        return false;
    }
    const auto chosen = [](const QCheckBox* box) { return box->checkState() == Qt::Checked; };
    if (std::none_of(cbfield_.begin(), cbfield_.end(), chosen) &&
        std::none_of(cbFixed_.begin(), cbFixed_.end(), chosen)) {
        prompter.message(QStringLiteral("You must select 1 or more fields to export."),
                         QStringLiteral("ERROR!"), Prompter::Icon::Critical);
        return false;
    }
    return true;
}

std::optional<ExportFormat> ExportWindow::chosenFormat() const {
    if (opComma_->isChecked()) return ExportFormat::Csv;
    if (ophtml_->isChecked()) return ExportFormat::Html;
    if (optext_->isChecked()) return ExportFormat::Text;
    return std::nullopt;
}

RecordExport::Request ExportWindow::request(ExportFormat format) const {
    ExportColumns::Choice chosen{};
    for (std::size_t i = 0; i < cbfield_.size(); ++i) {
        chosen[i] = cbfield_[i]->checkState() == Qt::Checked;
    }
    for (std::size_t i = 0; i < cbFixed_.size(); ++i) {
        chosen[cbfield_.size() + i] = cbFixed_[i]->checkState() == Qt::Checked;
    }
    const Session& session = context().session;
    RecordExport::Request r;
    r.folder = context().folder.path();
    r.name = txtExportFile_->text();
    r.format = format;
    r.fieldNames = cbFieldNames_->isChecked();
    r.columns = ExportColumns(definitions_, chosen);
    r.pickDate = session.PickDate;
    r.pickTime = session.PickTime;
    return r;
}

void ExportWindow::ExportDatabase() {
    if (!checksPass() || !opComma_->isChecked()) return;
    run(ExportFormat::Csv);
}

void ExportWindow::ExportPickResults() {
    if (!checksPass()) return;
    if (const std::optional<ExportFormat> format = chosenFormat()) run(*format);
}

void ExportWindow::run(ExportFormat format) {
    Session& session = context().session;
    const bool database = session.ExportFromMenu;
    const RecordExport::Request wanted = request(format);
    RecordExport::Outcome outcome;
    {
        const WaitCursor wait;
        QProgressDialog progress(QStringLiteral("Exporting records..."), QStringLiteral("Cancel"),
                                 0, 1, this);
        progress.setWindowTitle(QStringLiteral("EXPORT"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        const auto follow = [&progress](qint64 done, qint64 total) {
            progress.setMaximum(static_cast<int>(std::max<qint64>(total, 1)));
            progress.setValue(static_cast<int>(done));
            return !progress.wasCanceled();
        };
        outcome = database
                      ? RecordExport::ExportDatabase(wanted, session.DataHandle, follow)
                      : RecordExport::ExportPickResults(
                            wanted, context().folder.historyFile(session.DatabaseName), follow);
    }
    report(outcome, format);
}

void ExportWindow::report(const RecordExport::Outcome& outcome, ExportFormat format) {
    Session& session = context().session;
    switch (outcome.status) {
        case RecordExport::Status::Written:
            session.LastResult = 0;
            context().prompter.message(
                QStringLiteral("Your %1 file has been created.\r\n%2")
                    .arg(KindOf(format), QDir::toNativeSeparators(outcome.path)),
                QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
            break;
        case RecordExport::Status::Failed:
            session.LastResult = outcome.code;
            context().prompter.message(outcome.reason, QStringLiteral("ERROR!"),
                                       Prompter::Icon::Exclamation);
            break;
        case RecordExport::Status::Stopped:
            // The user stopped it; no file was left behind, nothing to tell.
            break;
    }
}

void ExportWindow::cmdExport_Click() {
    // Whoever asked last decides what is exported, even if the window was
    // not activated in between.
    applyMode();
    if (context().session.ExportFromMenu) {
        ExportDatabase();
    } else {
        ExportPickResults();
    }
}

void ExportWindow::cmdClose_Click() {
    close();
}

void ExportWindow::closeEvent(QCloseEvent* event) {
    // However the window goes, the record window's Export must find it in
    // pick-results mode next time.
    context().session.ExportFromMenu = false;
    TaskWindow::closeEvent(event);
}
