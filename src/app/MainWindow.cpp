#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/AboutWindow.h"
#include "app/CreateWindow.h"
#include "app/CutOffCreations.h"
#include "app/HelpWindow.h"
#include "app/MainTitle.h"
#include "app/MenuStates.h"
#include "app/OpenWindow.h"
#include "app/RealSeams.h"
#include "exchange/EmailWindow.h"
#include "exchange/ExportWindow.h"
#include "exchange/ImportMenuWindow.h"
#include "exchange/ImportWindow.h"
#include "records/ClearOmitsWindow.h"
#include "records/DisplayWindow.h"
#include "app/PublicDrawWindow.h"
#include "reports/HistoryWindow.h"
#include "reports/ReportViewer.h"
#include "search/FindWindow.h"
#include "store/DatabaseCheck.h"
#include "store/Session.h"
#include "ui/Prompter.h"
#include "ui/TaskWindow.h"
#include "ui/WindowPlacement.h"
#include "ui/WorkProgress.h"
#include "update/UpdateWindow.h"

// Resources of a static library are linked in only when named.
static void loadResources() {
    Q_INIT_RESOURCE(app);
}

MainWindow::MainWindow(Session& session, Prompter& prompter, const Clock& clock,
                       const DataFolder& folder, QWidget* parent)
    : QMainWindow(parent),
      context_{session, prompter, clock, folder, *this},
      mdi_(new QMdiArea(this)) {
    WireRealSeams(context_, QCoreApplication::arguments());
    loadResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/app/bluewizard.jpg")));
    setWindowTitle(applicationTitle());
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::subWindowActivated);
    buildMenus();
    // No larger than the screen shows (a small screen, a large scale).
    QSize size(1024, 740);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    MendCutOffCreations(context_);
}

MainWindow::~MainWindow() {
    // The area closes its sub-windows after this destructor has run.
    disconnect(mdi_, nullptr, this, nullptr);
    // Windows beside this one outlive its own destructor by a moment; they
    // must not call back into it then.
    for (const QPointer<QWidget>& w : separate_) {
        if (w) disconnect(w, nullptr, this, nullptr);
    }
}

QMenu* MainWindow::addMenu(const char* name, const QString& caption) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption,
                             void (MainWindow::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    connect(item, &QAction::triggered, this, handler);
    return item;
}

void MainWindow::addBar(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

void MainWindow::buildMenus() {
    QMenu* file = addMenu("mnuFile", QStringLiteral("&File"));
    addItem(file, "mnuFileCreate", QStringLiteral("Create New"), &MainWindow::mnuFileCreate_Click);
    addBar(file, "bar1");
    addItem(file, "mnuFileOpen", QStringLiteral("Open Database"), &MainWindow::mnuFileOpen_Click);
    addBar(file, "bar2");
    addItem(file, "mnuFileExit", QStringLiteral("Exit"), &MainWindow::mnuFileExit_Click);

    QMenu* edit = addMenu("mnuEdit", QStringLiteral("&Display"));
    addItem(edit, "mnuEditDisplay", QStringLiteral("Display Records"),
            &MainWindow::mnuEditDisplay_Click);

    QMenu* reports = addMenu("mnuReports", QStringLiteral("&Reports"));
    addItem(reports, "mnuReportListing", QStringLiteral("Print Listing"),
            &MainWindow::mnuReportListing_Click);
    addItem(reports, "mnuReportHistory", QStringLiteral("History"),
            &MainWindow::mnuReportHistory_Click);

    QMenu* tools = addMenu("mnuTools", QStringLiteral("&Tools"));
    addItem(tools, "mnuToolsImport", QStringLiteral("Import/Export"),
            &MainWindow::mnuToolsImport_Click);
    addItem(tools, "mnuToolsClear", QStringLiteral("Clear Omits"),
            &MainWindow::mnuToolsClear_Click);
    addItem(tools, "mnuToolsPublicDraw", QStringLiteral("Public Draw"),
            &MainWindow::mnuToolsPublicDraw_Click);
    addItem(tools, "mnuToolsCheck", QStringLiteral("Check Database"),
            &MainWindow::mnuToolsCheck_Click);
    addBar(tools, "bar5");
    addItem(tools, "mnuToolsUpdates", QStringLiteral("Check For Updates"),
            &MainWindow::mnuToolsUpdates_Click);

    QMenu* help = addMenu("mnuHelp", QStringLiteral("&Help"));
    addItem(help, "mnuHelpAbout", QStringLiteral("&About"), &MainWindow::mnuHelpAbout_Click);
    addBar(help, "bar6");
    QAction* contents = addItem(help, "mnuHelpContents", QStringLiteral("&Contents"),
                                &MainWindow::mnuHelpContents_Click);
    contents->setShortcut(QKeySequence::HelpContents);
    contents->setShortcutContext(Qt::ApplicationShortcut);
}

QAction* MainWindow::action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

void MainWindow::ShowCountedTitle() {
    setWindowTitle(MainTitle(context_.session, true));
}

void MainWindow::RefreshMenus() {
    const MenuStates states = ComputeMenuStates(context_.session);
    const auto apply = [this](const char* name, const std::optional<bool>& enabled) {
        if (enabled) action(name)->setEnabled(*enabled);
    };
    apply("mnuEdit", states.mnuEdit);
    apply("mnuEditDisplay", states.mnuEditDisplay);
    apply("mnuReports", states.mnuReports);
    apply("mnuToolsImport", states.mnuToolsImport);
    apply("mnuToolsClear", states.mnuToolsClear);
    apply("mnuToolsPublicDraw", states.mnuToolsPublicDraw);
    apply("mnuToolsCheck", states.mnuToolsCheck);
    apply("mnuToolsUpdates", states.mnuToolsUpdates);
}

bool MainWindow::mayChangeDatabase() {
    if (!context_.session.isTyping()) return true;
    // The record window asks before it lets typed work go.
    QMdiSubWindow* display = subWindow(Window::Display);
    return !display || display->close();
}

void MainWindow::MDIForm_Activate() {
    setWindowTitle(MainTitle(context_.session, false));
    RefreshMenus();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        MDIForm_Activate();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Each task window may still hold work of its own; any of them can keep
    // the program open by refusing to close.
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    for (const QPointer<QWidget>& w : separate_) {
        if (w) w->close();
    }
    event->accept();
}

QMdiSubWindow* MainWindow::subWindow(Window window) const {
    const auto found = open_.find(window);
    return found == open_.end() ? nullptr : found->second.data();
}

void MainWindow::showWindow(Window window) {
    if (QMdiSubWindow* sub = subWindow(window)) {
        if (sub->isMinimized()) sub->showNormal();
        mdi_->setActiveSubWindow(sub);
        if (auto* task = qobject_cast<TaskWindow*>(sub->widget())) task->Reopen();
        return;
    }
    switch (window) {
        case Window::Create:
            addTaskWindow(window, new CreateWindow(context_));
            break;
        case Window::Open:
            addTaskWindow(window, new OpenWindow(context_));
            break;
        case Window::About:
            addTaskWindow(window, new AboutWindow(context_));
            break;
        case Window::Help:
            addTaskWindow(window, new HelpWindow(context_));
            break;
        case Window::Display:
            addTaskWindow(window, new DisplayWindow(context_));
            break;
        case Window::ClearOmits:
            showSeparate(new ClearOmitsWindow(context_), true);
            break;
        case Window::PublicDraw:
            addTaskWindow(window, new PublicDrawWindow(context_));
            break;
        case Window::ImportMenu:
            addTaskWindow(window, new ImportMenuWindow(context_));
            break;
        case Window::Export:
            addTaskWindow(window, new ExportWindow(context_));
            break;
        case Window::Email:
            addTaskWindow(window, new EmailWindow(context_, pickResults()));
            break;
        case Window::InternetUpdate:
            // A window of its own: one at a time, brought forward when asked again.
            if (auto* open = findChild<UpdateWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
                open->raise();
                open->activateWindow();
            } else {
                showSeparate(new UpdateWindow(context_), false);
            }
            break;
        case Window::Find:
            addTaskWindow(window, new FindWindow(context_));
            break;
        case Window::ReportViewer:
            addTaskWindow(window, new ReportViewer(context_));
            break;
        case Window::History:
            addTaskWindow(window, new HistoryWindow(context_));
            break;
        case Window::Import:
            addTaskWindow(window, new ImportWindow(context_));
            break;
    }
}

QStringList MainWindow::pickResults() const {
    QStringList lines;
    const QListWidget* list = nullptr;
    if (auto* draw = task<PublicDrawWindow>(Window::PublicDraw);
        draw && draw->resultsStamp() ==
                    context_.session.PickDate + QLatin1Char(' ') + context_.session.PickTime) {
        list = draw->resultsList();
    } else if (auto* display = task<DisplayWindow>(Window::Display)) {
        list = display->resultsList();
    }
    if (!list) return lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

void MainWindow::ShellOpen(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

void MainWindow::addTaskWindow(Window kind, QWidget* window) {
    QMdiSubWindow* sub = mdi_->addSubWindow(window);
    sub->setObjectName(window->objectName() + QStringLiteral("Frame"));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    open_[kind] = sub;
    // A task window that closes itself takes its frame with it.
    window->installEventFilter(this);
    // The size the window asked for (else its natural size), grown to show
    // its whole title beside the frame's icon and buttons.
    const QSize frame = sub->sizeHint() - window->sizeHint();
    QSize size = window->sizeHint();
    if (window->testAttribute(Qt::WA_Resized)) size = size.expandedTo(window->size());
    size += frame;
    size.setWidth(
        std::max(size.width(), sub->fontMetrics().horizontalAdvance(window->windowTitle()) + 120));
    // No larger than the area it opens in (a small screen, a large scale),
    // where the window can be made smaller without hiding anything.
    sub->resize(size.boundedTo(mdi_->viewport()->size()).expandedTo(sub->minimumSizeHint()));
    WindowPlacement::place(sub, mdi_->viewport()->size());
    sub->show();
    mdi_->setActiveSubWindow(sub);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        QPointer<QWidget> window = qobject_cast<QWidget*>(watched);
        // Only once the window has accepted its close is it hidden.
        QTimer::singleShot(0, this, [window] {
            if (!window || window->isVisible()) return;
            if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
                if (sub->isVisible()) sub->close();
            }
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::subWindowActivated(QMdiSubWindow* sub) {
    // Coming back to the program, or out of a message box, reactivates the
    // same child: that is no new activation of it.
    if (!sub || sub == lastActivated_) return;
    lastActivated_ = sub;
    if (auto* task = qobject_cast<TaskWindow*>(sub->widget())) task->Form_Activate();
}

void MainWindow::showSeparate(QWidget* window, bool modal) {
    window->setParent(this, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    separate_.append(window);
    connect(window, &QObject::destroyed, this, &MainWindow::MDIForm_Activate);
    if (!modal) {
        window->show();
        return;
    }
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    loop.exec();
}

void MainWindow::mnuFileCreate_Click() {
    showWindow(Window::Create);
}

void MainWindow::mnuFileOpen_Click() {
    showWindow(Window::Open);
}

void MainWindow::mnuFileExit_Click() {
    close();
}

void MainWindow::mnuEditDisplay_Click() {
    context_.session.DisplayMode = Session::BrowseMode;
    showWindow(Window::Display);
}

void MainWindow::mnuReportListing_Click() {
    context_.session.ReportKind = Session::ListingReport;
    showWindow(Window::ReportViewer);
}

void MainWindow::mnuReportHistory_Click() {
    context_.session.ReportKind = Session::HistoryReport;
    showWindow(Window::History);
}

void MainWindow::mnuToolsImport_Click() {
    showWindow(Window::ImportMenu);
}

void MainWindow::mnuToolsClear_Click() {
    if (context_.prompter.askYesNo(
            QStringLiteral("This routine will un-check all the checked omits\r\nfrom the current "
                           "database. Are you sure you want to do this?"),
            QStringLiteral("CLEAR OMITS!"), Prompter::Icon::Question)) {
        showWindow(Window::ClearOmits);
    }
}

void MainWindow::mnuToolsPublicDraw_Click() {
    showWindow(Window::PublicDraw);
}

void MainWindow::mnuToolsCheck_Click() {
    const QString name = context_.session.DatabaseName;
    DatabaseCheck::Outcome outcome;
    {
        WorkProgress progress(this, QStringLiteral("CHECK"),
                              QStringLiteral("Checking \"%1\" for damage...").arg(name));
        progress.tell(0, 0);
        outcome =
            DatabaseCheck::Run(context_.folder, name, [&progress] { return progress.tell(0, 0); });
    }
    if (outcome.status == DatabaseCheck::Outcome::Status::Stopped) return;
    const bool sound = outcome.status == DatabaseCheck::Outcome::Status::Sound;
    context_.prompter.message(DatabaseCheck::Told(name, outcome),
                              sound ? QStringLiteral("SOUND!") : QStringLiteral("DAMAGED!"),
                              sound ? Prompter::Icon::Information : Prompter::Icon::Exclamation);
}

void MainWindow::mnuToolsUpdates_Click() {
    showWindow(Window::InternetUpdate);
}

void MainWindow::mnuHelpAbout_Click() {
    showWindow(Window::About);
}

void MainWindow::mnuHelpContents_Click() {
    showWindow(Window::Help);
}
