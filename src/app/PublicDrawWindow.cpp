#include "app/PublicDrawWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "exchange/RecordExport.h"
#include "records/DrawPool.h"
#include "records/PickResultsFrame.h"
#include "records/RandomPick.h"
#include "records/Rfc3797.h"
#include "records/TypedValues.h"
#include "search/FoundRecordsModel.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Session.h"
#include "store/StoreError.h"
#include "ui/FixedFace.h"
#include "ui/Named.h"
#include "ui/PdfLinePrinter.h"
#include "ui/Prompter.h"
#include "ui/SaveAs.h"
#include "ui/WaitCursor.h"
#include "ui/WorkProgress.h"

namespace {

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QLabel* caption(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
    auto* label = named(new QLabel(text, parent), name);
    label->setBuddy(buddy);
    spoken(buddy, text);
    return label;
}

}  // namespace

PublicDrawWindow::PublicDrawWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmPublicDraw"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Public Draw]"));

    frame1_ = named(new QGroupBox(QStringLiteral("Pool To Publish:"), this), "Frame1");
    lblPoolSize_ = named(new QLabel(frame1_), "lblPoolSize");
    txtSha256_ = named(new QLineEdit(frame1_), "txtSha256");
    txtSha256_->setReadOnly(true);
    txtSha256_->setFont(FixedFace(font().pointSizeF()));
    // The whole digest in view: people read it aloud and compare it by eye.
    txtSha256_->setMinimumWidth(txtSha256_->fontMetrics().horizontalAdvance(QString(64, u'0')) +
                                txtSha256_->fontMetrics().height());
    lblSha256_ =
        caption(frame1_, "lblSha256", QStringLiteral("SHA-256 Of The &Listing:"), txtSha256_);
    model_ = new FoundRecordsModel(this);
    model_->setNumbering(QStringLiteral("No."), true);
    grdPool_ = spoken(named(new QTableView(frame1_), "grdPool"), frame1_->title());
    grdPool_->setModel(model_);
    grdPool_->verticalHeader()->hide();
    grdPool_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPool_->setWordWrap(false);
    grdPool_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    cmdPrintPool_ = namedButton(frame1_, "cmdPrintPool", QStringLiteral("Print Pool"));
    cmdSavePoolPdf_ = namedButton(frame1_, "cmdSavePoolPdf", QStringLiteral("Save Pool As PDF"));
    cmdExportPoolCsv_ =
        namedButton(frame1_, "cmdExportPoolCsv", QStringLiteral("Export Pool As CSV"));
    cmdExportListing_ = namedButton(frame1_, "cmdExportListing", QStringLiteral("Export Listing"));
    cmdReadPool_ = namedButton(frame1_, "cmdReadPool", QStringLiteral("Read Pool Again"));

    frame2_ = named(new QGroupBox(QStringLiteral("Draw From The Sources Named:"), this), "Frame2");
    txtSources_ = named(new QPlainTextEdit(frame2_), "txtSources");
    txtSources_->setTabChangesFocus(true);
    lblSources_ = caption(
        frame2_, "lblSources",
        QStringLiteral("&Sources, One Per Line (Whole Numbers Separated By Blanks):"), txtSources_);
    txtCount_ = named(new QLineEdit(frame2_), "txtCount");
    lblCount_ = caption(frame2_, "lblCount", QStringLiteral("How Ma&ny Picks:"), txtCount_);
    txtKeyString_ = named(new QLineEdit(frame2_), "txtKeyString");
    txtKeyString_->setReadOnly(true);
    lblKeyString_ = caption(frame2_, "lblKeyString", QStringLiteral("&Key String:"), txtKeyString_);
    cmdDraw_ = namedButton(frame2_, "cmdDraw", QStringLiteral("Draw"));
    frameResults_ = new PickResultsFrame(context, this);
    frameResults_->setEnabled(false);
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));

    buildLayout();
    giveKeys();
    connect(cmdPrintPool_, &QPushButton::clicked, this, &PublicDrawWindow::cmdPrintPool_Click);
    connect(cmdSavePoolPdf_, &QPushButton::clicked, this, &PublicDrawWindow::cmdSavePoolPdf_Click);
    connect(cmdExportPoolCsv_, &QPushButton::clicked, this,
            &PublicDrawWindow::cmdExportPoolCsv_Click);
    connect(cmdExportListing_, &QPushButton::clicked, this,
            &PublicDrawWindow::cmdExportListing_Click);
    connect(cmdReadPool_, &QPushButton::clicked, this, &PublicDrawWindow::ReadPool);
    connect(txtSources_, &QPlainTextEdit::textChanged, this, &PublicDrawWindow::showKeyString);
    connect(cmdDraw_, &QPushButton::clicked, this, &PublicDrawWindow::cmdDraw_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    ReadPool();
}

PublicDrawWindow::~PublicDrawWindow() = default;

void PublicDrawWindow::buildLayout() {
    // The digest under its caption, where the column has room for all of it.
    auto* sha = new QVBoxLayout;
    sha->setSpacing(2);
    sha->addWidget(lblSha256_);
    sha->addWidget(txtSha256_);
    auto* poolButtons = new QHBoxLayout;
    for (QPushButton* button :
         {cmdPrintPool_, cmdSavePoolPdf_, cmdExportPoolCsv_, cmdExportListing_, cmdReadPool_}) {
        poolButtons->addWidget(button);
    }
    poolButtons->addStretch(1);
    auto* pool = new QVBoxLayout(frame1_);
    pool->addWidget(lblPoolSize_);
    pool->addLayout(sha);
    pool->addWidget(grdPool_, 1);
    pool->addLayout(poolButtons);

    txtSources_->setFixedHeight(fontMetrics().lineSpacing() * 5 + 12);
    txtCount_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    auto* draw = new QGridLayout(frame2_);
    draw->addWidget(lblSources_, 0, 0, 1, 3);
    draw->addWidget(txtSources_, 1, 0, 1, 3);
    draw->addWidget(lblCount_, 2, 0);
    draw->addWidget(txtCount_, 2, 1, Qt::AlignLeft);
    draw->addWidget(cmdDraw_, 2, 2, Qt::AlignRight);
    draw->addWidget(lblKeyString_, 3, 0);
    draw->addWidget(txtKeyString_, 3, 1, 1, 2);

    auto* side = new QVBoxLayout;
    side->addWidget(frame2_);
    side->addWidget(frameResults_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdClose_);
    auto* window = new QGridLayout(this);
    window->setColumnStretch(0, 3);
    window->setColumnStretch(1, 2);
    window->addWidget(frame1_, 0, 0);
    window->addLayout(side, 0, 1);
    window->addLayout(bottom, 1, 0, 1, 2);
    resize(1000, 620);

    QList<QWidget*> order = {txtSha256_,        grdPool_,          cmdPrintPool_, cmdSavePoolPdf_,
                             cmdExportPoolCsv_, cmdExportListing_, cmdReadPool_,  txtSources_,
                             txtCount_,         cmdDraw_,          txtKeyString_};
    order << frameResults_->tabOrder() << cmdClose_;
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void PublicDrawWindow::giveKeys() {
    // As in the record window: captions without a mnemonic marker, their
    // keys given beside them.
    const std::pair<QPushButton*, Qt::Key> keys[] = {
        {cmdPrintPool_, Qt::Key_O},     {cmdSavePoolPdf_, Qt::Key_V},
        {cmdExportPoolCsv_, Qt::Key_E}, {cmdExportListing_, Qt::Key_I},
        {cmdReadPool_, Qt::Key_G},      {cmdDraw_, Qt::Key_W},
        {cmdClose_, Qt::Key_C},
    };
    for (const auto& [button, key] : keys) {
        button->setShortcut(QKeySequence(Qt::ALT | key));
        button->setToolTip(button->text() + QStringLiteral(" (") +
                           button->shortcut().toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
    }
}

void PublicDrawWindow::Form_Activate() {
    const Session& session = context().session;
    // Another database was opened: its pool is another one.
    if (!database_.isCurrent(session)) ReadPool();
    // The results pass on as the latest pick's: once another pick is made,
    // these are no longer it.
    if (resultsStamp_ != session.PickDate + QLatin1Char(' ') + session.PickTime) {
        frameResults_->setEnabled(false);
    }
}

void PublicDrawWindow::ReadPool() {
    Session& session = context().session;
    database_.take(session);
    published_.reset();
    model_->list(0, {}, {});
    lblPoolSize_->setText(QStringLiteral("No pool has been read."));
    txtSha256_->clear();
    if (!session.hasDatabase()) return;
    fieldNames_.clear();
    try {
        for (const FieldDefinition& d :
             DefinitionFile::Read(context().folder.definitionFile(session.DatabaseName))) {
            if (d.inUse()) fieldNames_ << RecordText::toUnicode(RecordText::trimmed(d.FieldName));
        }
    } catch (const StoreError& error) {
        context().prompter.message(error.message(), QStringLiteral("ERROR!"),
                                   Prompter::Icon::Exclamation);
        return;
    }
    DrawPool::Reading reading;
    {
        WorkProgress progress(this, QStringLiteral("Public Draw"),
                              QStringLiteral("Reading the pool..."));
        reading = DrawPool::Read(session.DataHandle, progress.callback());
    }
    if (reading.stopped) return;
    if (!reading.pool) {
        context().prompter.message(QStringLiteral("The pool could not be read.\r\n") +
                                       trm_FailureText(session.DataHandle, reading.code),
                                   QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
        return;
    }
    published_ = reading.pool;
    model_->list(session.DataHandle, fieldNames_, published_->ids);
    grdPool_->resizeColumnsToContents();
    lblPoolSize_->setText(
        QStringLiteral("%1 records can be drawn, numbered in the order of the first field.")
            .arg(QLocale().toString(published_->size())));
    txtSha256_->setText(hex(published_->sha256));
    txtSha256_->setCursorPosition(0);
}

QListWidget* PublicDrawWindow::resultsList() const {
    return frameResults_->list();
}

void PublicDrawWindow::showKeyString() {
    const Rfc3797::Key key = Rfc3797::FromTyped(txtSources_->toPlainText());
    txtKeyString_->setText(QString::fromLatin1(key.text));
    txtKeyString_->setCursorPosition(0);
}

bool PublicDrawWindow::poolStillPublished() {
    const Session& session = context().session;
    if (published_ && database_.isCurrent(session)) {
        const DrawPool::Reading now = DrawPool::Read(session.DataHandle);
        if (now.pool && now.pool->sha256 == published_->sha256) return true;
    }
    context().prompter.message(
        QStringLiteral("The records have changed since the pool was read, so the pool shown is "
                       "no longer the pool of the database.\r\nRead the pool again before "
                       "publishing it."),
        QStringLiteral("POOL CHANGED!"), Prompter::Icon::Exclamation);
    return false;
}

LinePrinter::Job PublicDrawWindow::poolJob() const {
    const QStringList head = {
        QStringLiteral("POOL FOR A PUBLIC DRAW FROM ") + context().session.DatabaseName.trimmed(),
        QStringLiteral("Records in the pool: ") + QLocale().toString(published_->size()),
        QStringLiteral("SHA-256 of the pool listing:"),
        QStringLiteral("  ") + hex(published_->sha256),
        QString(),
    };
    const int handle = context().session.DataHandle;
    const std::shared_ptr<const DrawPool> pool = published_;
    const int width = int(QString::number(pool->size()).size());
    LinePrinter::Job job;
    job.name = QStringLiteral("RANDOLA Pool");
    job.count = head.size() + pool->size();
    job.line = [head, handle, pool, width](qint64 index) {
        if (index < head.size()) return head[index];
        const qint64 number = index - head.size() + 1;
        const QByteArray record = trm_Peek(handle, pool->ids[std::size_t(number - 1)]);
        QStringList fields;
        for (int k = 0; k < pool->fields && !record.isEmpty(); ++k) {
            fields << RecordText::toUnicode(RecordText::trimmed(
                QByteArrayView(record).sliced(k * DataRecord::FieldWidth, DataRecord::FieldWidth)));
        }
        return QString::number(number).rightJustified(width) + QStringLiteral("  ") +
               fields.join(QStringLiteral(", "));
    };
    return job;
}

QString PublicDrawWindow::suggestedPath(const QString& extension) const {
    return context().folder.file(context().session.DatabaseName.trimmed() +
                                 QStringLiteral(" pool") + extension);
}

void PublicDrawWindow::cmdPrintPool_Click() {
    if (!poolStillPublished()) return;
    WorkProgress progress(this, QStringLiteral("Print"), QStringLiteral("Printing the pool..."));
    LinePrinter::Job job = poolJob();
    job.progress = progress.callback();
    if (context().linePrinter(context().prompter)->print(job) == LinePrinter::Result::Failed) {
        context().prompter.message(QStringLiteral("There was a problem printing the report."),
                                   QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    }
}

namespace {

SaveAs::Result saved(LinePrinter::Result printed) {
    switch (printed) {
        case LinePrinter::Result::Printed:
            return {SaveAs::Status::Saved, {}};
        case LinePrinter::Result::Cancelled:
            return {SaveAs::Status::Stopped, {}};
        case LinePrinter::Result::Failed:
            break;
    }
    return {SaveAs::Status::Failed, {}};
}

SaveAs::Result saved(const RecordExport::Outcome& exported) {
    switch (exported.status) {
        case RecordExport::Status::Written:
            return {SaveAs::Status::Saved, {}};
        case RecordExport::Status::Stopped:
            return {SaveAs::Status::Stopped, {}};
        case RecordExport::Status::Failed:
            break;
    }
    return {SaveAs::Status::Failed, exported.reason};
}

}  // namespace

void PublicDrawWindow::savePool(
    const QString& title, const QString& extension, const QString& filter, const QString& what,
    const std::function<SaveAs::Result(const QString& path, const ReportProgress&)>& save) {
    if (!poolStillPublished()) return;
    SaveAs::Run(context().prompter, title, suggestedPath(extension), filter, what,
                [&](const QString& path) {
                    WorkProgress progress(this, title, title + QStringLiteral("..."));
                    return save(path, progress.callback());
                });
}

void PublicDrawWindow::cmdSavePoolPdf_Click() {
    savePool(QStringLiteral("Save the pool as PDF"), QStringLiteral(".pdf"),
             QStringLiteral("PDF files (*.pdf)"), QStringLiteral("The pool"),
             [this](const QString& path, const ReportProgress& progress) {
                 LinePrinter::Job job = poolJob();
                 job.progress = progress;
                 return saved(PdfLinePrinter(path).print(job));
             });
}

void PublicDrawWindow::cmdExportPoolCsv_Click() {
    savePool(QStringLiteral("Export the pool as CSV"), QStringLiteral(".csv"),
             QStringLiteral("CSV files (*.csv)"), QStringLiteral("The pool"),
             [this](const QString& path, const ReportProgress& progress) {
                 return saved(RecordExport::ExportPool(path, RecordExport::PoolFormat::Csv,
                                                       context().session.DataHandle, *published_,
                                                       fieldNames_, progress));
             });
}

void PublicDrawWindow::cmdExportListing_Click() {
    savePool(QStringLiteral("Export the pool listing"), QStringLiteral(".txt"),
             QStringLiteral("Text files (*.txt)"), QStringLiteral("The pool listing"),
             [this](const QString& path, const ReportProgress& progress) {
                 return saved(RecordExport::ExportPool(path, RecordExport::PoolFormat::Listing,
                                                       context().session.DataHandle, *published_,
                                                       {}, progress));
             });
}

void PublicDrawWindow::cmdDraw_Click() {
    Session& session = context().session;
    Prompter& prompter = context().prompter;
    if (!published_ || !database_.isCurrent(session)) {
        prompter.message(QStringLiteral("No pool has been read from the open database yet.\r\n"
                                        "Read the pool and publish it before drawing."),
                         QStringLiteral("NO POOL!"), Prompter::Icon::Exclamation);
        return;
    }
    const QString typed = txtSources_->toPlainText();
    const Rfc3797::Key key = Rfc3797::FromTyped(typed);
    if (!key.problem.isEmpty()) {
        prompter.message(key.problem, QStringLiteral("SOURCES!"), Prompter::Icon::Critical);
        txtSources_->setFocus();
        return;
    }
    const std::optional<qint32> wanted = TypedValues::WholeNumber(txtCount_->text());
    if (!wanted || *wanted < 1 || *wanted > published_->size()) {
        prompter.message(
            QStringLiteral("Type how many records to draw: a whole number from 1 to %1.")
                .arg(QLocale().toString(published_->size())),
            QStringLiteral("HOW MANY?"), Prompter::Icon::Critical);
        txtCount_->setFocus();
        return;
    }
    const RandomPick::Stamp stamp =
        RandomPick::stampFor(context().clock.now(), session.PickDate, session.PickTime);
    RandomPick::Outcome outcome;
    {
        const WaitCursor wait;
        outcome =
            RandomPick::run({session.DataHandle, context().folder.historyFile(session.DatabaseName),
                             *wanted, stamp.date, stamp.time},
                            {key.text, typed, published_->sha256});
    }
    if (frameResults_->takePick(outcome, stamp))
        resultsStamp_ = stamp.date + QLatin1Char(' ') + stamp.time;
}
