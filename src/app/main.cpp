#include <QApplication>

#include "app/MainWindow.h"
#include "cli/CommandLine.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "ui/Prompter.h"
#include "ui/QtPrompter.h"

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    // A command runs without a window, and so without a display.
    if (CommandLine::Wanted(arguments)) return CommandLine::Main(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    const DataFolder folder =
        DataFolder::resolve(QApplication::arguments(), QApplication::applicationDirPath());
    Session session;
    SystemClock clock;
    // Boxes open over whichever window of the program is active.
    QtPrompter prompter(nullptr);
    int status = 0;
    {
        MainWindow window(session, prompter, clock, folder);
        window.show();
        status = QApplication::exec();
    }
    trm_CloseAll();
    return status;
}
