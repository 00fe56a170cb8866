// Times the record window on a large file, through its own buttons: the four
// arrows, a save of many copies, an edit and a delete.
// Usage: records_bench [records] [copies] [folder]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "QuietSeams.h"
#include "records/DisplayWindow.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "ui/AppContext.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString copies = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("100000");
    QTemporaryDir temp;
    const DataFolder folder(argc > 3 ? QString::fromLocal8Bit(argv[3]) : temp.path());
    const QStringList fields = {"NAME", "CITY"};
    DefinitionFile::Write(folder.definitionFile("bench"), fields);
    if (trm_Create(folder.dataFile("bench"), KeyLayout::Build(fields), 1) != 0) return 1;

    Session session;
    session.DatabaseName = QStringLiteral("bench");
    session.DataHandle = trm_Open(folder.dataFile("bench"), 0);
    QElapsedTimer t;
    t.start();
    // Milliseconds since the previous call.
    const auto elapsedMs = [](QElapsedTimer& timer) {
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        return ms;
    };
    {
        std::mt19937 random(7);
        TrmTransaction transaction(session.DataHandle);
        DataRecord r;
        r.Omit = "F";
        for (qint64 i = 0; i < total; ++i) {
            r.Field[0] = QByteArray::number(quint32(random()));
            r.Field[1] = QByteArray::number(i % 97);
            if (trm_Insert(session.DataHandle, RecordToString(r)) != 0) return 2;
        }
        if (transaction.commit() != 0) return 3;
    }
    session.TotalRecords = trm_Count(session.DataHandle);
    session.DisplayMode = Session::BrowseMode;
    std::printf("file of %d records built in %.0f ms\n", session.TotalRecords, elapsedMs(t));

    AnsweringPrompter prompter;
    SystemClock clock;
    QuietShell shell;
    AppContext context{session, prompter, clock, folder, shell};
    DisplayWindow window(context);
    window.show();
    window.Form_Activate();
    const auto button = [&](const char* name) { return window.findChild<QPushButton*>(name); };
    const auto clicks = [&](const char* name, int times) {
        elapsedMs(t);
        for (int i = 0; i < times; ++i) button(name)->click();
        return elapsedMs(t) / times;
    };

    std::printf("first: %.3f ms a click\n", clicks("cmdFirst", 200));
    std::printf("next: %.3f ms a click\n", clicks("cmdNext", 2000));
    std::printf("last: %.3f ms a click\n", clicks("cmdLast", 200));
    std::printf("previous: %.3f ms a click\n", clicks("cmdPrevious", 2000));

    button("cmdNew")->click();
    prompter.answer = copies;
    const qint32 before = session.TotalRecords;
    elapsedMs(t);
    button("cmdSave")->click();
    std::printf("save of %s copies: %.0f ms (records %d -> %d)\n", qPrintable(copies), elapsedMs(t),
                before, session.TotalRecords);
    std::printf("next after the save: %.3f ms a click\n", clicks("cmdNext", 2000));

    button("cmdEdit")->click();
    elapsedMs(t);
    button("cmdSave")->click();
    std::printf("save of an edit: %.1f ms\n", elapsedMs(t));
    std::printf("delete: %.1f ms a record\n", clicks("cmdDelete", 1));
    trm_CloseAll();
    return 0;
}
