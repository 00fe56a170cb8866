#include <QBuffer>
#include <QtTest>
#include <QtWidgets>

#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "store/SessionDatabase.h"
#include "support/WindowContext.h"

namespace {

// The record window over "club", records A to H, drawing from a source
// seeded with 11, as the program has it after File, Open and Display.
struct RecordWindow {
    RecordWindow() {
        w.folder.createDatabase("club", {"NAME", "TEAM"});
        SessionDatabase::Open(w.session, w.folder.folder(), "club");
        for (char c : QByteArray("ABCDEFGH")) {
            const QByteArray name(1, c);
            trm_Insert(w.session.DataHandle,
                       RecordToString(PickDatabase::entry({name, "Team " + name})));
        }
        w.session.TotalRecords = trm_Count(w.session.DataHandle);
        w.session.DisplayMode = Session::BrowseMode;
        w.context.randomSource = [] {
            return std::make_unique<FixedRandomSource>(QStringLiteral("11"));
        };
        window = std::make_unique<DisplayWindow>(w.context);
        window->show();
        window->Form_Activate();
    }
    ~RecordWindow() { trm_CloseAll(); }

    void pick(int count) {
        w.prompter.answerInput(QString::number(count)).answerOk();
        QTest::mouseClick(window->findChild<QPushButton*>("cmdPick"), Qt::LeftButton);
    }
    void click(const char* name) const {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    QString shown(const char* box) const { return window->findChild<QLineEdit*>(box)->text(); }
    QByteArrayList history() const {
        const int h = trm_Open(w.folder.folder().historyFile("club"), 0);
        const QByteArrayList all = PickDatabase::strings(h);
        trm_Close(h);
        return all;
    }

    WindowContext w;
    std::unique_ptr<DisplayWindow> window;
};

// The installed program's way in: `randola` started as a script starts it,
// with no display.
struct Program {
    int status = -1;
    QString out, err;
};
Program runProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(RANDOLA_PROGRAM, arguments);
    if (!process.waitForFinished(30000)) return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

class CommandWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The same random source draws the same records, stamped alike, whether
    // the window's pick button or the command asks for the pick.
    void aCommandPicksAsTheWindowDoes() {
        QByteArrayList windowData, windowHistory;
        QString listed = "07-04-2004 13:14:15\n";  // the window's results, as the command prints them
        {
            RecordWindow fromWindow;
            fromWindow.pick(3);
            VERIFY_PROMPTS(fromWindow.w.prompter);
            windowData = PickDatabase::strings(fromWindow.w.session.DataHandle);
            windowHistory = fromWindow.history();
            const QListWidget* results = fromWindow.window->resultsList();
            for (int i = 0; i < results->count(); ++i)
                listed += results->item(i)->text().split(',').mid(0, 2).join('\t') + '\n';
        }
        QCOMPARE(windowHistory.size(), 3);

        PickDatabase db({"NAME", "TEAM"}, "club");
        db.addNamed("ABCDEFGH");
        trm_Close(db.handle);  // this copy of the program holds nothing open
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        const FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15))};
        CommandContext context{out, err, false, db.folder.path(), clock};
        context.randomSource = [] {
            return std::make_unique<FixedRandomSource>(QStringLiteral("11"));
        };
        QCOMPARE(CommandLine::Run({"randola", "--data-dir", db.folder.path(), "pick", "club", "3"},
                                  context),
                 0);
        db.handle = trm_Open(db.folder.folder().dataFile("club"), 0);
        QCOMPARE(db.historyStrings(), windowHistory);
        QCOMPARE(db.dataStrings(), windowData);
        QCOMPARE(QString::fromUtf8(out.data()), listed);
    }

    // A pick from a script while the window has the database open: both stay
    // whole, the window shows the new stamps when it next reads a record,
    // and it picks on from there.
    void aCommandPicksBesideAnOpenWindow() {
        RecordWindow open;
        open.click("cmdFirst");
        QCOMPARE(open.shown("txtTimesPicked"), "0");

        const Program picked =
            runProgram({"--data-dir", open.w.folder.path(), "pick", "club", "8"});
        QCOMPARE(picked.err, "");
        QCOMPARE(picked.status, 0);
        const QStringList lines = picked.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);  // the stamp, then every record
        const QString date = lines.first().left(10);

        open.click("cmdLast");
        open.click("cmdFirst");
        QCOMPARE(open.shown("txtField(0)").trimmed(), "A");
        QCOMPARE(open.shown("txtTimesPicked"), "1");
        QCOMPARE(open.shown("txtLastPicked").trimmed(), date);

        open.pick(2);
        VERIFY_PROMPTS(open.w.prompter);
        QCOMPARE(open.w.prompter.last().title, "SUCCESS!");
        QCOMPARE(open.history().size(), 10);
        qint32 picks = 0;
        for (const QByteArray& r : PickDatabase::strings(open.w.session.DataHandle))
            picks += RecordFromString<DataRecord>(r).TimesPicked;
        QCOMPARE(picks, 10);
        QCOMPARE(trm_Count(open.w.session.DataHandle), open.w.session.TotalRecords);

        const Program history = runProgram({"--data-dir", open.w.folder.path(), "history", "club"});
        QCOMPARE(history.status, 0);
        QCOMPARE(history.out.count('\n'), 2);
    }

    // Without a display, the program still answers a command, with its status.
    void theProgramNeedsNoDisplayForACommand() {
        const TestFolder folder;
        const Program version = runProgram({"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, "randola 3.00\n");
        const Program missing = runProgram({"--data-dir", folder.path(), "pick", "club", "1"});
        QCOMPARE(missing.status, 3);
        QCOMPARE(missing.out, "");
        QCOMPARE(missing.err, "randola: there is no database \"club\" in " + folder.path() + "\n");
    }
};

QTEST_MAIN(CommandWindowTest)
#include "CommandWindowTest.moc"
