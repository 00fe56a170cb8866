#pragma once

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <map>

#include "ui/AppContext.h"
#include "ui/Shell.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The program's main window: the menu bar, the title that names the open
// database, and the area in which the task windows open.
class MainWindow : public QMainWindow, public Shell {
    Q_OBJECT

public:
    MainWindow(Session& session, Prompter& prompter, const Clock& clock, const DataFolder& folder,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void ShowCountedTitle() override;
    void RefreshMenus() override;
    bool mayChangeDatabase() override;
    void showWindow(Window window) override;
    void ShellOpen(const QString& address) override;

    // Each time the main window becomes the program's active window again:
    // when first shown, and when a window of its own beside it closes.
    void MDIForm_Activate();

    QMdiArea* mdiArea() const { return mdi_; }
    // The sub-window that holds the open task window of this kind, if any.
    QMdiSubWindow* subWindow(Window window) const;
    // The open task window of this kind, if any and if it is a T.
    template <typename T>
    T* task(Window window) const {
        QMdiSubWindow* sub = subWindow(window);
        return sub ? qobject_cast<T*>(sub->widget()) : nullptr;
    }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QMenu* addMenu(const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     void (MainWindow::*handler)());
    void addBar(QMenu* menu, const char* name);
    QAction* action(const char* name) const;

    void mnuFileCreate_Click();
    void mnuFileOpen_Click();
    void mnuFileExit_Click();
    void mnuEditDisplay_Click();
    void mnuReportListing_Click();
    void mnuReportHistory_Click();
    void mnuToolsImport_Click();
    void mnuToolsClear_Click();
    void mnuToolsPublicDraw_Click();
    void mnuToolsCheck_Click();
    void mnuToolsUpdates_Click();
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();

    void addTaskWindow(Window kind, QWidget* window);
    // The list of the latest pick's results, for the mail: the record
    // window's, or the public draw window's when it made that pick.
    QStringList pickResults() const;
    // A window of its own beside the main window (not inside its area); with
    // `modal` the call returns only once the window has closed.
    void showSeparate(QWidget* window, bool modal);
    void subWindowActivated(QMdiSubWindow* sub);

    AppContext context_;
    QMdiArea* mdi_;
    std::map<Window, QPointer<QMdiSubWindow>> open_;
    QList<QPointer<QWidget>> separate_;
    QPointer<QMdiSubWindow> lastActivated_;
    bool shown_ = false;
};
