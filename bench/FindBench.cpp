// Times the find window on a large database of twelve fields: opening it in
// List All mode with its grid drawn, jumping to rows all over the list, and a
// search whose result holds half the records. Usage: find_bench [records]
// [folder]; a folder that already holds the database "bench" of that many
// records is used as it is (so that it can also be looked at in the program).
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <cstdio>
#include <random>

#include "BenchSeams.h"
#include "BenchStart.h"
#include "LargeFile.h"
#include "search/FindWindow.h"
#include "search/FoundRecordsModel.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "ui/AppContext.h"

namespace {

const QStringList kFields = {"NAME", "HALF",  "CITY",  "STREET", "NUMBER", "COLOUR",
                             "SIZE", "PRICE", "GROUP", "CODE",   "NOTE",   "OWNER"};

double ms(QElapsedTimer& t) {
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return elapsed;
}

// The resident memory of the process in kB.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The database "bench" made anew and opened, its records a random first
// field, the second "0" or "1" in turn, the others counted up. Its handle, or
// 0 when the store refused.
int build(const DataFolder& folder, qint64 total) {
    DefinitionFile::Write(folder.definitionFile("bench"), kFields);
    const QByteArray layout = KeyLayout::Build(kFields);
    if (trm_Create(folder.dataFile("bench"), layout, 1) != 0 ||
        trm_Create(folder.historyFile("bench"), layout, 1, TrmKind::History) != 0) {
        return 0;
    }
    const int handle = trm_Open(folder.dataFile("bench"), 0);
    std::mt19937 random(11);
    DataRecord r;
    r.DateEntered = "01-02-2003";
    r.Omit = "F";
    const bool ok = FillFile(handle, total, [&](qint64 i) {
        r.Field[0] = "Name " + QByteArray::number(quint32(random()));
        r.Field[1] = QByteArray::number(i % 2);
        for (int k = 2; k < DataRecord::FieldCount; ++k) {
            r.Field[std::size_t(k)] = kFields[k].toLatin1() + ' ' + QByteArray::number(i * k);
        }
        return RecordToString(r);
    });
    return ok ? handle : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const BenchStart start(argc, argv);
    const qint64 total = start.total();
    const DataFolder& folder = start.folder();
    QElapsedTimer t;
    t.start();

    Session session;
    session.DatabaseName = QStringLiteral("bench");
    session.DataHandle = trm_Open(folder.dataFile("bench"), 0);
    if (session.DataHandle <= 0 || trm_Count(session.DataHandle) != total) {
        trm_CloseAll();
        session.DataHandle = build(folder, total);
        if (session.DataHandle <= 0) return 1;
        std::printf("database of %lld records, %lld fields, built in %.0f ms\n", total,
                    qint64(kFields.size()), ms(t));
    }
    AnsweringPrompter prompter;
    SystemClock clock;
    QuietShell shell;
    AppContext context{session, prompter, clock, folder, shell};
    const long memoryBefore = residentKb();

    // Opening lists every record; the first opening also builds the file's rank index.
    for (const char* when : {"first", "second"}) {
        ms(t);
        FindWindow window(context);
        window.resize(window.sizeHint());
        window.show();
        window.grab();
        std::printf("open in List All (%s time), grid drawn: %.1f ms, %d rows\n", when, ms(t),
                    window.model()->rowCount());
    }

    FindWindow window(context);
    window.resize(window.sizeHint());
    window.show();
    window.grab();
    auto* grid = window.findChild<QTableView*>("MSFlexGrid1");
    std::mt19937 random(5);
    constexpr int jumps = 200;
    ms(t);
    for (int i = 0; i < jumps; ++i) {
        const int row = int(random() % quint32(total));
        grid->scrollTo(grid->model()->index(row, 0), QAbstractItemView::PositionAtTop);
        grid->viewport()->grab();
    }
    std::printf("jump to a random row and draw it: %.2f ms a jump\n", ms(t) / jumps);
    for (int i = 0; i < jumps; ++i) {
        grid->scrollTo(grid->model()->index(i * 20, 0), QAbstractItemView::PositionAtTop);
        grid->viewport()->grab();
    }
    std::printf("scroll a page down and draw it: %.2f ms a page\n", ms(t) / jumps);

    window.findChild<QRadioButton*>("opSpecific")->click();
    window.findChild<QComboBox*>("cboField")->setEditText("HALF");
    window.findChild<QComboBox*>("cboCriteria")->setEditText("Equal");
    window.findChild<QLineEdit*>("txtSearchText")->setText("1");
    ms(t);
    window.findChild<QPushButton*>("cmdGo")->click();
    window.grab();
    std::printf("search \"HALF\" Equal \"1\", grid drawn: %.1f ms, %d rows\n", ms(t),
                window.model()->rowCount());
    grid->scrollToBottom();
    grid->viewport()->grab();
    std::printf("to the last found row and draw it: %.1f ms\n", ms(t));
    std::printf("memory grown by the find windows: %ld kB (8 bytes a listed row: %lld kB)\n",
                residentKb() - memoryBefore, total * 8 / 1024);
    trm_CloseAll();
    return 0;
}
