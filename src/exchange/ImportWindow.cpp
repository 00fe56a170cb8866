#include "exchange/ImportWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>
#include <climits>
#include <memory>

#include "store/Clock.h"
#include "store/RecordText.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/Session.h"
#include "store/StoreError.h"
#include "ui/InputFence.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"

namespace {

// The definition slot a list item stands for.
constexpr int SlotRole = Qt::UserRole;

// The bar is redrawn, and clicks on Stop seen, this often.
constexpr int FollowEveryMs = 50;

// Moves the selected item of one list to the end of the other.
void moveSelected(QListWidget* from, QListWidget* to) {
    const int row = from->currentRow();
    if (row < 0 || from->selectedItems().isEmpty()) return;
    to->addItem(from->takeItem(row));
    from->setCurrentRow(-1);
}

}  // namespace

ImportWindow::ImportWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Import Data]"));
    buildControls();
    buildPreview();
    buildLayout();
    connect(cmdBrowse_, &QPushButton::clicked, this, &ImportWindow::cmdBrowse_Click);
    connect(cmdTo_, &QPushButton::clicked, this, &ImportWindow::cmdTo_Click);
    connect(cmdBack_, &QPushButton::clicked, this, &ImportWindow::cmdBack_Click);
    connect(cmdImport_, &QPushButton::clicked, this, &ImportWindow::cmdImport_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &ImportWindow::cmdClose_Click);
    connect(cmdConfirm_, &QPushButton::clicked, this, &ImportWindow::cmdConfirm_Click);
    connect(cmdGoBack_, &QPushButton::clicked, this, &ImportWindow::cmdGoBack_Click);
    connect(cmdArrange_, &QPushButton::clicked, this, &ImportWindow::cmdArrange_Click);
    connect(cbSkipFirstLine_, &QCheckBox::toggled, this, &ImportWindow::cbSkipFirstLine_Toggled);
    connect(cmdStop_, &QPushButton::clicked, this, [this] { stopAsked_ = true; });
    // Enter in the file box imports, as the button does.
    connect(txtImportName_, &QLineEdit::returnPressed, this, &ImportWindow::cmdImport_Click);
    // A double click moves a field, as selecting it and pressing the arrow does.
    connect(lbFields_, &QListWidget::itemDoubleClicked, this, &ImportWindow::cmdTo_Click);
    connect(lbImport_, &QListWidget::itemDoubleClicked, this, &ImportWindow::cmdBack_Click);
    setFocusProxy(txtImportName_);
    LoadImportFields();
}

void ImportWindow::buildControls() {
    choices_ = new QWidget(this);
    Frame1_ =
        named(new QGroupBox(QStringLiteral("Location Of Import CSV File:"), choices_), "Frame1");
    txtImportName_ = spoken(named(new QLineEdit(Frame1_), "txtImportName"), Frame1_->title());
    cmdBrowse_ = namedButton(Frame1_, "cmdBrowse", QStringLiteral("Browse"));
    Frame2_ =
        named(new QGroupBox(QStringLiteral("Select Field(s) To Import To:"), choices_), "Frame2");
    lbFields_ = named(new QListWidget(Frame2_), "lbFields");
    cmdTo_ = namedButton(Frame2_, "cmdTo", QStringLiteral(">"));
    cmdBack_ = namedButton(Frame2_, "cmdBack", QStringLiteral("<"));
    lbImport_ = named(new QListWidget(Frame2_), "lbImport");
    // One caption over two lists and two arrows: each is named by its part.
    lbFields_->setAccessibleName(QStringLiteral("Fields not imported to"));
    lbImport_->setAccessibleName(QStringLiteral("Fields to import to, in the file's column order"));
    cmdTo_->setAccessibleName(QStringLiteral("Import to the field"));
    cmdBack_->setAccessibleName(QStringLiteral("Do not import to the field"));
    cmdImport_ = namedButton(choices_, "cmdImport", QStringLiteral("Import"));
    cmdClose_ = namedButton(choices_, "cmdClose", QStringLiteral("Close"));

    frameProgress_ =
        named(new QGroupBox(QStringLiteral("Importing Data Records:"), this), "frameProgress");
    Label1_ =
        named(new QLabel(QStringLiteral("Importing Data Records..."), frameProgress_), "Label1");
    ProgressBar1_ = spoken(named(new QProgressBar(frameProgress_), "ProgressBar1"),
                           frameProgress_->title());
    ProgressBar1_->setTextVisible(false);
    cmdStop_ = namedButton(frameProgress_, "cmdStop", QStringLiteral("Stop"));
    frameProgress_->hide();
}

void ImportWindow::buildPreview() {
    framePreview_ = named(
        new QGroupBox(QStringLiteral("Check The Import Before It Is Made:"), this), "framePreview");
    lblRecords_ = named(new QLabel(framePreview_), "lblRecords");
    lblRecords_->setWordWrap(true);
    tblPreview_ = spoken(named(new QTableWidget(framePreview_), "tblPreview"),
                         framePreview_->title());
    tblPreview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPreview_->setSelectionMode(QAbstractItemView::NoSelection);
    tblPreview_->verticalHeader()->hide();
    tblPreview_->horizontalHeader()->setStretchLastSection(true);
    lblWarnings_ = named(new QLabel(framePreview_), "lblWarnings");
    lblWarnings_->setWordWrap(true);
    lblWarnings_->setStyleSheet(QStringLiteral("color: #a00000;"));
    cbSkipFirstLine_ =
        named(new QCheckBox(QStringLiteral("The first line holds column names: do not import it"),
                            framePreview_),
              "cbSkipFirstLine");
    cmdArrange_ = namedButton(framePreview_, "cmdArrange",
                              QStringLiteral("Put The Fields In The Order Of The Columns"));
    cmdConfirm_ = namedButton(framePreview_, "cmdConfirm", QStringLiteral("Import These Records"));
    cmdGoBack_ = namedButton(framePreview_, "cmdGoBack", QStringLiteral("Go Back"));
}

void ImportWindow::buildLayout() {
    auto* file = new QHBoxLayout(Frame1_);
    file->addWidget(txtImportName_, 1);
    file->addWidget(cmdBrowse_);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch(1);
    arrows->addWidget(cmdTo_);
    arrows->addWidget(cmdBack_);
    arrows->addStretch(1);
    auto* lists = new QHBoxLayout(Frame2_);
    lists->addWidget(lbFields_, 1);
    lists->addLayout(arrows);
    lists->addWidget(lbImport_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport_);
    buttons->addWidget(cmdClose_);
    auto* choices = new QVBoxLayout(choices_);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->addWidget(Frame1_);
    choices->addWidget(Frame2_, 1);
    choices->addLayout(buttons);

    auto* previewButtons = new QHBoxLayout;
    previewButtons->addWidget(cmdArrange_);
    previewButtons->addStretch(1);
    previewButtons->addWidget(cmdConfirm_);
    previewButtons->addWidget(cmdGoBack_);
    auto* preview = new QVBoxLayout(framePreview_);
    preview->addWidget(lblRecords_);
    preview->addWidget(tblPreview_, 1);
    preview->addWidget(lblWarnings_);
    preview->addWidget(cbSkipFirstLine_);
    preview->addLayout(previewButtons);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(choices_);
    pages_->addWidget(framePreview_);

    auto* bar = new QHBoxLayout;
    bar->addWidget(named(new QLabel(QStringLiteral("0 %"), frameProgress_), "Label2"));
    bar->addWidget(ProgressBar1_, 1);
    bar->addWidget(named(new QLabel(QStringLiteral("100 %"), frameProgress_), "Label3"));
    bar->addWidget(cmdStop_);
    auto* progress = new QVBoxLayout(frameProgress_);
    progress->addWidget(Label1_);
    progress->addLayout(bar);

    auto* window = new QVBoxLayout(this);
    window->addWidget(pages_, 1);
    window->addWidget(frameProgress_);

    const QList<QWidget*> order = {txtImportName_, cmdBrowse_,       lbFields_,   cmdTo_,
                                   cmdBack_,       lbImport_,        cmdImport_,  cmdClose_,
                                   tblPreview_,    cbSkipFirstLine_, cmdArrange_, cmdConfirm_,
                                   cmdGoBack_};
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

QWidget* ImportWindow::previewFrame() const {
    return framePreview_;
}

void ImportWindow::Form_Activate() {
    // Another database may have been opened since the lists were filled.
    if (!running_ && !showsOpenDatabase()) LoadImportFields();
}

bool ImportWindow::showsOpenDatabase() const {
    const Session& session = context().session;
    return database_ == session.DatabaseName && databaseHandle_ == session.DataHandle;
}

void ImportWindow::LoadImportFields() {
    const Session& session = context().session;
    database_ = session.DatabaseName;
    databaseHandle_ = session.DataHandle;
    showChoices();  // a preview made for other fields
    lbFields_->clear();
    lbImport_->clear();
    FieldNames.fill(QString());
    FieldCount = 0;
    std::vector<FieldDefinition> definitions;
    if (session.hasDatabase()) {
        try {
            definitions = DefinitionFile::Read(context().folder.definitionFile(database_));
        } catch (const StoreError& failure) {
            error(failure.message());
        }
    }
    for (std::size_t slot = 0; slot < definitions.size() && slot < FieldNames.size(); ++slot) {
        if (!definitions[slot].inUse()) continue;
        FieldNames[slot] = RecordText::toUnicode(RecordText::trimmed(definitions[slot].FieldName));
        ++FieldCount;
        auto* item = new QListWidgetItem(FieldNames[slot]);
        item->setData(SlotRole, int(slot));
        lbFields_->addItem(item);
    }
    showChoices();
}

QString ImportWindow::path() const {
    const QString typed = txtImportName_->text().trimmed();
    // A bare name is looked for in the data folder, where exports are written.
    return QDir::isRelativePath(typed) ? QDir(context().folder.path()).filePath(typed) : typed;
}

void ImportWindow::error(const QString& text) {
    context().prompter.message(text, QStringLiteral("ERROR!"), Prompter::Icon::Critical);
}

void ImportWindow::cmdBrowse_Click() {
    const QString chosen = context().prompter.openFileName(QStringLiteral("IMPORT FROM WHAT FILE?"),
                                                           context().folder.path(), QString());
    if (!chosen.isEmpty()) txtImportName_->setText(QDir::toNativeSeparators(chosen));
}

void ImportWindow::cmdTo_Click() {
    moveSelected(lbFields_, lbImport_);
}

void ImportWindow::cmdBack_Click() {
    moveSelected(lbImport_, lbFields_);
}

bool ImportWindow::checksPass() {
    if (txtImportName_->text().trimmed().isEmpty()) {
        error(QStringLiteral("You must supply a valid CSV file to import from."));
        txtImportName_->setFocus();
        return false;
    }
    if (lbImport_->count() == 0) {
        error(QStringLiteral("You have not selected any fields to import to."));
        return false;
    }
    return true;
}

void ImportWindow::cmdImport_Click() {
    if (!showsOpenDatabase()) LoadImportFields();
    if (!checksPass()) return;
    surveyedPath_ = path();
    if (!readFirstLine()) return;
    {
        const QSignalBlocker quiet(cbSkipFirstLine_);
        cbSkipFirstLine_->setChecked(columnOrder().has_value());
    }
    if (survey()) showPreview();
}

bool ImportWindow::readFirstLine() {
    // On a thread of its own: a file slow to come (a network share, a pipe)
    // must not hold the window, which keeps painting and hearing Stop.
    QStringList line;
    withProgress(QStringLiteral("Reading The File..."), [&](const CsvImport::Progress& follow) {
        std::atomic<bool> stop{false};
        std::atomic<qint64> done{0};
        std::atomic<qint64> size{0};
        const std::unique_ptr<QThread> reader(QThread::create([&] {
            line = CsvImport::ReadFirstLine(surveyedPath_, [&](qint64 read, qint64 total) {
                done = read;
                size = total;
                return !stop.load();
            });
        }));
        reader->start();
        while (!reader->wait(QDeadlineTimer(FollowEveryMs))) {
            if (!follow(done.load(), size.load())) stop = true;
        }
    });
    if (stopAsked_) {
        showChoices();
        return false;
    }
    firstLine_ = line;
    return true;
}

bool ImportWindow::survey() {
    const bool skip = cbSkipFirstLine_->isChecked();
    CsvImport::SurveyOutcome outcome;
    withProgress(QStringLiteral("Reading The File..."), [&](const CsvImport::Progress& follow) {
        outcome = CsvImport::SurveyFile(surveyedPath_, FieldCount, skip, follow);
    });
    if (outcome.status == CsvImport::Status::Failed) {
        error(QStringLiteral("The file cannot be imported.\r\n") + outcome.reason);
        showChoices();
        return false;
    }
    if (outcome.status == CsvImport::Status::Stopped) {
        showChoices();
        return false;
    }
    survey_ = outcome.survey;
    return true;
}

std::optional<QStringList> ImportWindow::columnOrder() const {
    QStringList inUse;
    for (const QString& name : FieldNames) {
        if (!name.isEmpty()) inUse << name;
    }
    return CsvImport::ColumnOrder(firstLine_, inUse);
}

CsvImport::Layout ImportWindow::layout() const {
    CsvImport::Layout arranged{FieldCount, {}};
    for (int row = 0; row < lbImport_->count(); ++row) {
        arranged.fields.push_back(lbImport_->item(row)->data(SlotRole).toInt());
    }
    return arranged;
}

void ImportWindow::showPreview() {
    const qint64 records = survey_.records;
    lblRecords_->setText(CsvImport::PreviewHeading(survey_, database_));
    cmdConfirm_->setEnabled(records > 0);
    const QStringList warnings = CsvImport::Warnings(survey_, FieldCount);
    lblWarnings_->setText(warnings.join(QLatin1Char('\n')));
    lblWarnings_->setVisible(!warnings.isEmpty());
    cmdArrange_->setEnabled(columnOrder().has_value());
    fillPreviewTable();
    pages_->setCurrentWidget(framePreview_);
    if (records > 0) {
        cmdConfirm_->setFocus();
    } else {
        cmdGoBack_->setFocus();
    }
}

void ImportWindow::fillPreviewTable() {
    std::vector<int> shown;
    QStringList headers;
    for (std::size_t slot = 0; slot < FieldNames.size(); ++slot) {
        if (FieldNames[slot].isEmpty()) continue;
        shown.push_back(int(slot));
        headers << FieldNames[slot];
    }
    tblPreview_->clear();
    tblPreview_->setColumnCount(int(shown.size()));
    tblPreview_->setHorizontalHeaderLabels(headers);
    tblPreview_->setRowCount(int(survey_.sample.size()));
    const std::vector<QStringList> records = CsvImport::PreviewRecords(survey_, layout());
    for (std::size_t row = 0; row < records.size(); ++row) {
        for (std::size_t column = 0; column < shown.size(); ++column) {
            tblPreview_->setItem(int(row), int(column),
                                 new QTableWidgetItem(records[row][shown[column]]));
        }
    }
    tblPreview_->resizeColumnsToContents();
    // Room for every sample row, and a bar when the columns are wider than the window.
    int height = tblPreview_->horizontalHeader()->sizeHint().height() +
                 2 * tblPreview_->frameWidth() +
                 tblPreview_->horizontalScrollBar()->sizeHint().height();
    for (int row = 0; row < tblPreview_->rowCount(); ++row) height += tblPreview_->rowHeight(row);
    tblPreview_->setMinimumHeight(height);
}

void ImportWindow::cmdArrange_Click() {
    const std::optional<QStringList> order = columnOrder();
    if (!order) return;
    // Every field back to the left list, then over in the file's column order.
    while (lbImport_->count() > 0) lbFields_->addItem(lbImport_->takeItem(0));
    for (const QString& name : *order) {
        const QList<QListWidgetItem*> found = lbFields_->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty())
            lbImport_->addItem(lbFields_->takeItem(lbFields_->row(found.front())));
    }
    fillPreviewTable();
}

void ImportWindow::cbSkipFirstLine_Toggled() {
    if (survey()) showPreview();
}

void ImportWindow::cmdGoBack_Click() {
    showChoices();
}

void ImportWindow::showChoices() {
    pages_->setCurrentWidget(choices_);
}

void ImportWindow::cmdConfirm_Click() {
    Session& session = context().session;
    if (!showsOpenDatabase()) {
        // The preview was for the fields of a database no longer open.
        LoadImportFields();
        error(
            QStringLiteral("Another database has been opened since the file was checked, so "
                           "nothing was imported.\r\nChoose the fields and check the file "
                           "again."));
        return;
    }
    const CsvImport::Layout arranged = layout();
    const bool skip = cbSkipFirstLine_->isChecked();
    CsvImport::ImportOutcome outcome;
    withProgress(
        QStringLiteral("Importing Data Records..."), [&](const CsvImport::Progress& follow) {
            outcome = CsvImport::ImportFile(surveyedPath_, session.DataHandle, arranged, survey_,
                                            skip, context().clock.now().date(), follow);
        });
    report(outcome);
}

void ImportWindow::report(const CsvImport::ImportOutcome& outcome) {
    Session& session = context().session;
    session.LastResult = outcome.code;
    session.TotalRecords = outcome.total;
    context().shell.ShowCountedTitle();
    showChoices();
    switch (outcome.status) {
        case CsvImport::Status::Done: {
            QString text = QStringLiteral("The file has been imported.");
            if (outcome.cut > 0) text += QStringLiteral("\r\n\r\n") + CsvImport::CutValues(outcome.cut);
            context().prompter.message(text, QStringLiteral("SUCCESS!"),
                                       Prompter::Icon::Information);
            break;
        }
        case CsvImport::Status::Stopped:
            context().prompter.message(
                QStringLiteral("The import was stopped. No records were added."),
                QStringLiteral("STOPPED!"), Prompter::Icon::Information);
            break;
        case CsvImport::Status::Failed:
            context().prompter.message(
                QStringLiteral("The file could not be imported; no records were added.\r\n") +
                    outcome.reason,
                QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            break;
    }
}

void ImportWindow::withProgress(const QString& caption,
                                const std::function<void(const CsvImport::Progress&)>& work) {
    const WaitCursor wait;
    Label1_->setText(caption);
    ProgressBar1_->setValue(0);
    pages_->setEnabled(false);
    frameProgress_->show();
    cmdStop_->setFocus();
    running_ = true;
    stopAsked_ = false;
    QElapsedTimer shown;  // started at the first report, which always repaints
    const InputFence fence(frameProgress_, [this] { stopAsked_ = true; });
    work([&](qint64 done, qint64 total) { return follow(shown, done, total); });
    running_ = false;
    frameProgress_->hide();
    pages_->setEnabled(true);
}

bool ImportWindow::follow(QElapsedTimer& shown, qint64 done, qint64 total) {
    // Beyond what the bar can count (the bytes of a huge file), in thousandths.
    const bool scaled = total > INT_MAX;
    const int maximum = scaled ? 1000 : int(total);
    if (ProgressBar1_->maximum() != maximum) ProgressBar1_->setRange(0, maximum);
    ProgressBar1_->setValue(scaled ? int(done * 1000 / total) : int(done));
    if (!shown.isValid() || shown.elapsed() >= FollowEveryMs) {
        QApplication::processEvents();
        shown.start();
    }
    return !stopAsked_;
}

void ImportWindow::cmdClose_Click() {
    close();
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    // The window stays while an import runs; closing it asks the import to stop.
    if (running_) {
        stopAsked_ = true;
        event->ignore();
        return;
    }
    TaskWindow::closeEvent(event);
}
