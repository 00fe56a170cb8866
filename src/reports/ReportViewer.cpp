#include "reports/ReportViewer.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <limits>
#include <map>

#include "reports/ListingReport.h"
#include "reports/ReportProgressDialog.h"
#include "reports/ReportSurface.h"
#include "store/DataFolder.h"
#include "store/Session.h"
#include "ui/Named.h"
#include "ui/Prompter.h"

namespace {

const QString kReportFile = QStringLiteral("report.txt");

// The window's layout, in twips.
constexpr int kClientWidth = 10335;
constexpr int kClientHeight = 8460;
constexpr int kContainerWidth = 9615;
constexpr int kContainerHeight = 6975;
constexpr int kSpareRight = 300;
constexpr int kSpareBelow = 50;
constexpr int kScrollStart = -10;
constexpr int kSmallStep = 500;

QPushButton* boldButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = namedButton(parent, name, caption);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

QFrame* line(QWidget* parent, const char* name) {
    auto* rule = named(new QFrame(parent), name);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

}  // namespace

ReportViewer::ReportViewer(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmReportViewer"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Report Viewer]"));
    buildControls();
    Form_Load();
}

int ReportViewer::twips(qint64 value) const {
    return document_->twipsToPixels(value);
}

void ReportViewer::buildControls() {
    cmdPrint_ = boldButton(this, "cmdPrint", QStringLiteral("Print"));
    cmdClose_ = boldButton(this, "cmdClose", QStringLiteral("Close"));
    line2_ = line(this, "Line2");
    line1_ = line(this, "Line1");
    frame1_ = named(new QGroupBox(QStringLiteral("Preview:"), this), "Frame1");
    container_ = named(new QWidget(frame1_), "DocumentContainer");
    document_ = new ReportSurface(container_);
    vScroll_ = named(new QScrollBar(Qt::Vertical, frame1_), "VScroll1");
    hScroll_ = named(new QScrollBar(Qt::Horizontal, frame1_), "HScroll1");
    document_->onReadError = [this] { previewFailed(); };
    document_->installEventFilter(this);

    cmdPrint_->setGeometry(twips(240), twips(120), twips(1095), twips(375));
    cmdClose_->setGeometry(twips(9000), twips(120), twips(1095), twips(375));
    line2_->setGeometry(0, 0, twips(10320), 2);
    line1_->setGeometry(0, twips(600), twips(10320), 2);
    frame1_->setGeometry(twips(120), twips(720), twips(10095), twips(7575));
    container_->setGeometry(twips(120), twips(240), twips(kContainerWidth),
                            twips(kContainerHeight));
    document_->setGeometry(0, 0, container_->width(), container_->height());
    setFixedSize(sizeHint());

    connect(cmdPrint_, &QPushButton::clicked, this, &ReportViewer::cmdPrint_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &ReportViewer::cmdClose_Click);
    connect(vScroll_, &QScrollBar::valueChanged, this, &ReportViewer::scrolled);
    connect(hScroll_, &QScrollBar::valueChanged, this, &ReportViewer::scrolled);
    setFocusPolicy(Qt::StrongFocus);
}

QSize ReportViewer::sizeHint() const {
    return {twips(kClientWidth), twips(kClientHeight)};
}

void ReportViewer::Form_Load() {
    SizeScrolls(container_, document_);
    showReport();
}

void ReportViewer::Reopen() {
    showReport();
}

void ReportViewer::showReport() {
    if (context().session.ReportKind == Session::ListingReport) {
        WriteListingReport();
    } else {
        DrawReport();
    }
}

void ReportViewer::SizeScrolls(const QWidget* container, const ReportSurface* document) {
    const QRect box = container->geometry();
    // The window onto the pages is measured as designed, not as rounded to pixels.
    const qint64 width = kContainerWidth;
    const qint64 height = kContainerHeight;

    hScroll_->setGeometry(box.left(), box.bottom() + 1, box.width(), hScroll_->sizeHint().height());
    hScroll_->setRange(kScrollStart, int(ReportSurface::PageWidth + kSpareRight - width));
    hScroll_->setPageStep(int(width));
    hScroll_->setValue(kScrollStart);

    // A report of many thousand pages is longer than the bar counts in
    // twips: it then counts in larger steps.
    const qint64 range = document->documentHeight() + kSpareBelow - height;
    constexpr qint64 most = std::numeric_limits<int>::max() / 2;
    unit_ = range > most ? (range + most - 1) / most : 1;
    const int barWidth = vScroll_->sizeHint().width();
    vScroll_->setGeometry(box.right() + 1 - barWidth, box.top(), barWidth, box.height());
    vScroll_->setRange(kScrollStart, int(range / unit_));
    vScroll_->setSingleStep(int(std::max<qint64>(1, kSmallStep / unit_)));
    vScroll_->setPageStep(int(std::max<qint64>(1, height / unit_)));
    vScroll_->setValue(kScrollStart);
    vScroll_->raise();
    scrolled();
}

void ReportViewer::scrolled() {
    const qint64 top = vScroll_->value() == kScrollStart ? kScrollStart : vScroll_->value() * unit_;
    document_->setOffset(-hScroll_->value(), -top);
}

void ReportViewer::DrawReport() {
    readFailed_ = false;
    if (!index_.open(context().folder.file(kReportFile))) {
        showNothing();
        previewFailed();
        return;
    }
    document_->setReport(&index_);
    cmdPrint_->setEnabled(true);
    SizeScrolls(container_, document_);
}

void ReportViewer::showNothing() {
    index_.close();
    document_->setReport(nullptr);
    cmdPrint_->setEnabled(false);
    SizeScrolls(container_, document_);
}

void ReportViewer::previewFailed() {
    // A file that fails while drawing would fail at every paint: say it once.
    if (readFailed_) return;
    readFailed_ = true;
    context().prompter.message(QStringLiteral("There was an error producing your print preview."),
                               QStringLiteral("Error!"), Prompter::Icon::Critical);
}

void ReportViewer::WriteListingReport() {
    const Session& session = context().session;
    ReportOutcome outcome;
    {
        ReportProgressDialog progress(
            this, QStringLiteral("Print Listing"),
            QStringLiteral("Writing the listing of %L1 records...").arg(session.TotalRecords));
        outcome = ListingReport::Write({session.DataHandle, session.DatabaseName,
                                        context().folder.definitionFile(session.DatabaseName),
                                        context().folder.file(kReportFile)},
                                       progress.callback());
    }
    switch (outcome.status) {
        case ReportOutcome::Status::Written:
            DrawReport();
            break;
        case ReportOutcome::Status::Stopped:
            showNothing();
            break;
        case ReportOutcome::Status::Failed:
            // The file on disk is an earlier report: it must not pass for this one.
            showNothing();
            context().prompter.message(
                QStringLiteral("The listing report could not be made.\r\n") + outcome.reason,
                QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
            break;
    }
}

LinePrinter::Result ReportViewer::printReport() {
    ReportProgressDialog progress(this, QStringLiteral("Print"),
                                  QStringLiteral("Printing the report..."));
    // Read ahead a good many lines at a time: the printer takes them in order.
    constexpr qint64 ahead = 512;
    qint64 cachedFrom = -1;
    QStringList cached;
    LinePrinter::Job job;
    job.name = QStringLiteral("RANDOLA Report");
    job.count = index_.count();
    job.paper = QPageSize(QPageSize::Letter);
    job.line = [&](qint64 i) {
        if (cachedFrom < 0 || i < cachedFrom || i >= cachedFrom + cached.size()) {
            bool ok = true;
            cached = index_.lines(i, ahead, &ok);
            cachedFrom = i;
            readFailed_ = readFailed_ || !ok || cached.isEmpty();
        }
        return i - cachedFrom < cached.size() ? cached[i - cachedFrom] : QString();
    };
    job.progress = [&](qint64 done, qint64 total) {
        return progress.tell(done, total) && !readFailed_;
    };
    return context().linePrinter(context().prompter)->print(job);
}

void ReportViewer::cmdPrint_Click() {
    readFailed_ = false;
    const LinePrinter::Result printed = printReport();
    if (readFailed_) {
        readFailed_ = false;
        previewFailed();
    } else if (printed == LinePrinter::Result::Failed) {
        context().prompter.message(QStringLiteral("There was an error printing to your printer."),
                                   QStringLiteral("Error!"), Prompter::Icon::Critical);
    }
}

void ReportViewer::cmdClose_Click() {
    close();
}

void ReportViewer::keyPressEvent(QKeyEvent* event) {
    using Slider = QAbstractSlider;
    static const std::map<int, Slider::SliderAction> down = {
        {Qt::Key_PageDown, Slider::SliderPageStepAdd}, {Qt::Key_PageUp, Slider::SliderPageStepSub},
        {Qt::Key_Down, Slider::SliderSingleStepAdd},   {Qt::Key_Up, Slider::SliderSingleStepSub},
        {Qt::Key_Home, Slider::SliderToMinimum},       {Qt::Key_End, Slider::SliderToMaximum},
    };
    const int key = event->key();
    if (const auto found = down.find(key); found != down.end()) {
        vScroll_->triggerAction(found->second);
    } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
        // The bar's own small step is one twip: the keys move as far as the other bar's.
        hScroll_->setValue(hScroll_->value() + (key == Qt::Key_Right ? kSmallStep : -kSmallStep));
    } else if (key == Qt::Key_Escape) {
        close();
    } else {
        TaskWindow::keyPressEvent(event);
    }
}

bool ReportViewer::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over the page scrolls the page.
    if (watched == document_ && event->type() == QEvent::Wheel) {
        QApplication::sendEvent(vScroll_, event);
        return true;
    }
    return TaskWindow::eventFilter(watched, event);
}
