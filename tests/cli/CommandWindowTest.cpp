#include <QtTest>
#include <QtWidgets>

#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "records/RandomSource.h"
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

    // A pick from a script, with no display, while the window has the
    // database open: both stay whole, the window shows the new stamps when it
    // next reads a record, and it picks on from there. A failure is told on
    // the error stream, with its status.
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

        const Program missing = runProgram({"--data-dir", open.w.folder.path(), "pick", "shop", "1"});
        QCOMPARE(missing.status, 3);
        QCOMPARE(missing.out, "");
        QCOMPARE(missing.err,
                 "randola: there is no database \"shop\" in " + open.w.folder.path() + "\n");
    }

};

QTEST_MAIN(CommandWindowTest)
#include "CommandWindowTest.moc"
