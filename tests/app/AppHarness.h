#pragma once

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "app/MainWindow.h"
#include "store/Clock.h"
#include "store/RecordManager.h"
#include "store/Records.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "support/FakePrompter.h"
#include "support/TestFolder.h"

using Icon = Prompter::Icon;

// The real main window over a fresh data folder, answering through a fake prompter.
struct AppHarness {
    AppHarness() { window.show(); }
    ~AppHarness() { trm_CloseAll(); }

    QAction* action(const char* name) const { return window.findChild<QAction*>(name); }
    template <typename T = QWidget>
    T* task(Shell::Window kind) const {
        QMdiSubWindow* sub = window.subWindow(kind);
        return sub ? qobject_cast<T*>(sub->widget()) : nullptr;
    }
    template <typename T>
    T* control(Shell::Window kind, const char* name) const {
        QWidget* w = task(kind);
        return w ? w->findChild<T*>(name) : nullptr;
    }
    // What a user reads on a window: its title, then its frames, labels and buttons.
    static QStringList captions(const QWidget* w) {
        QStringList all = {w->windowTitle()};
        for (auto* frame : w->findChildren<QGroupBox*>()) all << frame->title();
        for (auto* label : w->findChildren<QLabel*>()) all << label->text();
        for (auto* button : w->findChildren<QPushButton*>()) all << button->text();
        return all;
    }
    static QStringList texts(const QListWidget* list) {
        QStringList all;
        for (int i = 0; i < list->count(); ++i) all << list->item(i)->text();
        return all;
    }
    // The prompt shown `back` places before the latest one (0: the latest).
    void expectPrompt(const QString& text, const QString& title, Icon icon, int back = 0) const {
        const QList<FakePrompter::Prompt>& shown = prompter.prompts();
        QVERIFY(back < shown.size());
        const FakePrompter::Prompt& p = shown.at(shown.size() - 1 - back);
        QCOMPARE(p.text, text);
        QCOMPARE(p.title, title);
        QCOMPARE(p.icon, icon);
    }
    // The prompt `back` places before the latest one in one line: "TITLE [Icon] text".
    QString said(int back = 0) const {
        const QList<FakePrompter::Prompt>& shown = prompter.prompts();
        return back < shown.size() ? shown.at(shown.size() - 1 - back).said() : QString();
    }
    // Creates and opens a database of these fields and records, its menus refreshed.
    void openDatabase(const QString& name, const QStringList& fields,
                      const std::vector<DataRecord>& records = {}) {
        folder.createDatabase(name, fields);
        QCOMPARE(SessionDatabase::Open(session, folder.folder(), name), 0);
        for (const DataRecord& r : records)
            QCOMPARE(trm_Insert(session.DataHandle, RecordToString(r)), 0);
        session.TotalRecords = int(records.size());
        window.RefreshMenus();
    }
    // Adds a pick of these records, made at this date and time, to a database's history.
    void addPick(const QString& database, const QByteArray& date, const QByteArray& time,
                 const std::vector<DataRecord>& records) const {
        const int history = trm_Open(folder.folder().historyFile(database), 0);
        for (const DataRecord& r : records)
            trm_Insert(history, RecordToString(HistoryRecord{r, date, time}));
        trm_Close(history);
    }
    void write(const QString& name, const QByteArray& bytes) const { folder.write(name, bytes); }
    int subWindowCount() const { return window.mdiArea()->subWindowList().size(); }
    // Closing and deleting windows happens on the event loop.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15))};
    TestFolder folder;
    Session session;
    MainWindow window{session, prompter, clock, folder.folder()};
};

// A fresh harness for each test function; every prompt must have gone as queued.
class AppTest : public QObject {
    Q_OBJECT

protected:
    virtual void start() {}

    std::unique_ptr<AppHarness> app;

private slots:
    void init() {
        app = std::make_unique<AppHarness>();
        start();
    }
    void cleanup() {
        VERIFY_PROMPTS(app->prompter);
        app.reset();
    }
};
