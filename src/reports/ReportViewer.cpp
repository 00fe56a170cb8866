#include "reports/ReportViewer.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <limits>
#include <map>

#include "reports/ListingReport.h"
#include "ui/WorkProgress.h"
#include "reports/ReportSurface.h"
#include "store/DataFolder.h"
#include "store/Session.h"
#include "ui/Named.h"
#include "ui/Prompter.h"

namespace {

const QString kReportFile = QStringLiteral("report.txt");

// The window as drawn, in twips; it may be resized from there.
constexpr int kClientWidth = 10335;
constexpr int kClientHeight = 8460;
constexpr int kDrawnContainerWidth = 9615;
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

const QList<int> ReportViewer::Zooms = {50, 75, 100, 125, 150, 200};

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
    auto* zoomLabel = named(new QLabel(QStringLiteral("Zoom:"), this), "lblZoom");
    cboZoom_ = named(new QComboBox(this), "cboZoom");
    for (const int percent : Zooms) cboZoom_->addItem(QStringLiteral("%1 %").arg(percent), percent);
    cboZoom_->setCurrentIndex(int(Zooms.indexOf(100)));
    zoomLabel->setBuddy(cboZoom_);
    cboZoom_->setAccessibleName(QStringLiteral("Zoom"));
    lblPage_ = named(new QLabel(this), "lblPage");
    line2_ = line(this, "Line2");
    line1_ = line(this, "Line1");
    frame1_ = named(new QGroupBox(QStringLiteral("Preview:"), this), "Frame1");
    container_ = named(new QWidget(frame1_), "DocumentContainer");
    document_ = new ReportSurface(container_);
    vScroll_ = named(new QScrollBar(Qt::Vertical, frame1_), "VScroll1");
    hScroll_ = named(new QScrollBar(Qt::Horizontal, frame1_), "HScroll1");
    vScroll_->setAccessibleName(QStringLiteral("Up and down the pages"));
    hScroll_->setAccessibleName(QStringLiteral("Across the page"));
    document_->onReadError = [this] { previewFailed(); };
    document_->installEventFilter(this);
    container_->installEventFilter(this);
    container_->setMinimumSize(120, 80);

    auto* top = new QHBoxLayout;
    top->addWidget(cmdPrint_);
    top->addStretch(1);
    top->addWidget(zoomLabel);
    top->addWidget(cboZoom_);
    top->addSpacing(12);
    top->addWidget(lblPage_);
    top->addStretch(1);
    top->addWidget(cmdClose_);
    auto* preview = new QGridLayout(frame1_);
    preview->setSpacing(0);
    preview->addWidget(container_, 0, 0);
    preview->addWidget(vScroll_, 0, 1);
    preview->addWidget(hScroll_, 1, 0);
    auto* window = new QVBoxLayout(this);
    window->addWidget(line2_);
    window->addLayout(top);
    window->addWidget(line1_);
    window->addWidget(frame1_, 1);

    connect(cmdPrint_, &QPushButton::clicked, this, &ReportViewer::cmdPrint_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &ReportViewer::cmdClose_Click);
    connect(vScroll_, &QScrollBar::valueChanged, this, &ReportViewer::scrolled);
    connect(hScroll_, &QScrollBar::valueChanged, this, &ReportViewer::scrolled);
    connect(cboZoom_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoom(Zooms.value(index, 100)); });
    connect(document_, &ReportSurface::pageChanged, this, &ReportViewer::showPageNumber);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(document_);
    QWidget::setTabOrder(cmdPrint_, cboZoom_);
    QWidget::setTabOrder(cboZoom_, document_);
    QWidget::setTabOrder(document_, cmdClose_);
}

QSize ReportViewer::sizeHint() const {
    // As drawn, but wide enough for a whole row of the page (the rule of
    // 80 "=" was cut off at the drawn width) where the screen has room.
    const auto atFullSize = [this](int twipsWide) {
        return twips(twipsWide) * 100 / document_->zoom();
    };
    const int around = atFullSize(kClientWidth - kDrawnContainerWidth) + vScroll_->sizeHint().width();
    return {std::max(atFullSize(kClientWidth),
                     atFullSize(ReportSurface::PageWidth + kSpareRight) + around),
            atFullSize(kClientHeight)};
}

void ReportViewer::Form_Load() {
    resize(sizeHint());
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
    Q_UNUSED(container);
    Q_UNUSED(document);
    rangeScrolls();
    hScroll_->setValue(kScrollStart);
    vScroll_->setValue(kScrollStart);
    scrolled();
}

void ReportViewer::rangeScrolls() {
    // The window onto the pages, in twips of the page at the zoom shown.
    document_->setGeometry(container_->rect());
    const qint64 width = document_->pixelsToTwips(container_->width());
    const qint64 height = document_->pixelsToTwips(container_->height());

    hScroll_->setRange(kScrollStart,
                       int(std::max<qint64>(kScrollStart, ReportSurface::PageWidth + kSpareRight - width)));
    hScroll_->setPageStep(int(width));
    // The bar's own step of a twip would not be seen to move the page.
    hScroll_->setSingleStep(kSmallStep);

    // A report of many thousand pages is longer than the bar counts in
    // twips: it then counts in larger steps.
    const qint64 range = document_->documentHeight() + kSpareBelow - height;
    constexpr qint64 most = std::numeric_limits<int>::max() / 2;
    const qint64 top = vScroll_->value() == kScrollStart ? kScrollStart : vScroll_->value() * unit_;
    unit_ = range > most ? (range + most - 1) / most : 1;
    {
        const QSignalBlocker quiet(vScroll_);
        vScroll_->setRange(kScrollStart, int(std::max<qint64>(kScrollStart, range / unit_)));
        vScroll_->setSingleStep(int(std::max<qint64>(1, kSmallStep / unit_)));
        vScroll_->setPageStep(int(std::max<qint64>(1, height / unit_)));
        vScroll_->setValue(top == kScrollStart ? kScrollStart : int(top / unit_));
    }
    scrolled();
}

void ReportViewer::scrolled() {
    const qint64 top = vScroll_->value() == kScrollStart ? kScrollStart : vScroll_->value() * unit_;
    document_->setOffset(-hScroll_->value(), -top);
    showPageNumber();
}

void ReportViewer::showPageNumber() {
    lblPage_->setText(QStringLiteral("Page %L1 of %L2")
                          .arg(document_->currentPage() + 1)
                          .arg(document_->pageCount()));
}

void ReportViewer::setZoom(int percent) {
    const int index = int(Zooms.indexOf(percent));
    if (index < 0) return;
    if (cboZoom_->currentIndex() != index) {
        cboZoom_->setCurrentIndex(index);  // comes back here
        return;
    }
    document_->setZoom(percent);
    rangeScrolls();
}

void ReportViewer::zoomBy(int steps) {
    const int at = int(Zooms.indexOf(document_->zoom()));
    setZoom(Zooms.value(std::clamp(at + steps, 0, int(Zooms.size()) - 1)));
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
        WorkProgress progress(
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
    WorkProgress progress(this, QStringLiteral("Print"),
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
    static const std::map<int, Slider::SliderAction> across = {
        {Qt::Key_Right, Slider::SliderSingleStepAdd}, {Qt::Key_Left, Slider::SliderSingleStepSub}};
    const int key = event->key();
    if (event->modifiers() & Qt::ControlModifier &&
        (key == Qt::Key_Plus || key == Qt::Key_Equal || key == Qt::Key_Minus)) {
        zoomBy(key == Qt::Key_Minus ? -1 : 1);
    } else if (const auto found = down.find(key); found != down.end()) {
        vScroll_->triggerAction(found->second);
    } else if (const auto side = across.find(key); side != across.end()) {
        hScroll_->triggerAction(side->second);
    } else {
        TaskWindow::keyPressEvent(event);
    }
}

bool ReportViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == container_ && event->type() == QEvent::Resize) {
        rangeScrolls();
    } else if (watched == document_ && event->type() == QEvent::Wheel) {
        // The wheel over the page scrolls the page; with Ctrl it zooms.
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0) zoomBy(wheel->angleDelta().y() > 0 ? 1 : -1);
        } else {
            QApplication::sendEvent(vScroll_, event);
        }
        return true;
    }
    return TaskWindow::eventFilter(watched, event);
}
