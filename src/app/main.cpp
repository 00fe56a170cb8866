#include <QApplication>

#include "app/MainWindow.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "ui/Prompter.h"
#include "ui/QtPrompter.h"

int main(int argc, char* argv[]) {
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
