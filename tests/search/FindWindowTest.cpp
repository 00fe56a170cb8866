#include "app/AppHarness.h"
#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "search/FindWindow.h"
#include "store/RecordText.h"
#include "support/TypedText.h"
#include "support/WorldNames.h"

namespace {

QByteArray record(const QByteArray& name, const QByteArray& colour) {
    return RecordToString(PickDatabase::entry({name, colour}));
}

// Key-1 order: the blank name, Apple, Banana Red, Banana Green, Cherry.
// Key-2 order: Cherry's blank colour, Blue, Green, Red, Red.
using Records = std::vector<std::pair<QByteArray, QByteArray>>;
const Records kFruit = {
    {"Banana", "Red"}, {"Apple", "Blue"}, {"Cherry", ""}, {"Banana", "Green"}, {"", "Red"}};

}  // namespace

class FindWindowTest : public AppTest {
    Q_OBJECT

    // The program's own way there: Display Records, then Find.
    void open(const Records& records = kFruit) {
        std::vector<DataRecord> entries;
        for (const auto& [name, colour] : records)
            entries.push_back(PickDatabase::entry({name, colour}));
        app->openDatabase("fruit", {"NAME", "COLOUR"}, entries);
        app->session.TotalRecords = -1;  // the window counts for itself
        app->action("mnuEditDisplay")->trigger();
        display()->findChild<QPushButton*>("cmdFind")->click();
        QVERIFY(find());
        QCOMPARE(app->session.TotalRecords, int(records.size()));
    }
    FindWindow* find() const { return app->task<FindWindow>(Shell::Window::Find); }
    DisplayWindow* display() const { return app->task<DisplayWindow>(Shell::Window::Display); }
    template <typename T>
    T* control(const char* name) const {
        return find()->findChild<T*>(name);
    }
    QTableView* grid() const { return control<QTableView>("MSFlexGrid1"); }
    // The grid as the user reads it: the header, then each row's cells.
    QStringList rows() const {
        const QAbstractItemModel* m = grid()->model();
        QStringList all;
        for (int r = -1; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << (r < 0 ? m->headerData(c, Qt::Horizontal) : m->index(r, c).data())
                             .toString();
            all << cells.join('|');
        }
        return all;
    }
    QStringList body() const { return rows().mid(1); }
    void search(const QString& field, const QString& criterion, const QString& text) {
        control<QComboBox>("cboField")->setEditText(field);
        control<QComboBox>("cboCriteria")->setEditText(criterion);
        control<QLineEdit>("txtSearchText")->setText(text);
        QTest::mouseClick(control<QPushButton>("cmdGo"), Qt::LeftButton);
    }
    void clickCell(int row, int column) {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->scrollTo(index);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(index).center());
        AppHarness::settle();
    }
    QString shownName() const {
        return (display()->findChild<QLineEdit*>("txtField(0)")->text().trimmed() + ' ' +
                display()->findChild<QLineEdit*>("txtField(1)")->text().trimmed())
            .trimmed();
    }
    // How many of the four search controls are on: all or none, never some.
    int searchControlsOn() const {
        int on = 0;
        for (const char* name : {"cboField", "cboCriteria", "txtSearchText", "cmdGo"})
            on += control<QWidget>(name)->isEnabled();
        return on;
    }
    void selectSpecific() { QTest::mouseClick(control<QWidget>("opSpecific"), Qt::LeftButton); }

private slots:
    void opensListingEveryRecordWithItsControlsAndLists() {
        open();
        QCOMPARE(AppHarness::captions(find()).join('|'),
                 QStringLiteral("RANDOLA 3.00 - [Find Data]|Search Record:|Search Criteria:|"
                                "Select Field To Search By:|Criteria:|Text To Search For:|GO|Ok|"
                                "Close"));
        QVERIFY(control<QRadioButton>("opListAll")->isChecked());
        // The radio buttons, then each box's choice and what it offers.
        QStringList offered = {control<QRadioButton>("opListAll")->text(),
                               control<QRadioButton>("opSpecific")->text()};
        for (auto* box : {control<QComboBox>("cboField"), control<QComboBox>("cboCriteria")}) {
            offered << box->currentText() + ':';
            for (int i = 0; i < box->count(); ++i) offered.last() += ' ' + box->itemText(i);
        }
        QCOMPARE(offered,
                 (QStringList{"List All", "Specific ", "NAME: NAME COLOUR",
                              "Equal: Equal Equal or Greater Equal or Less Greater Less"}));
        QCOMPARE(searchControlsOn(), 0);

        const QStringList listed = {"REC#|NAME|COLOUR", "01||Red",         "02|Apple|Blue",
                                    "03|Banana|Red",    "04|Banana|Green", "05|Cherry|"};
        QCOMPARE(rows(), listed);

        // Specific keeps the listing until a search; List All lists again.
        QCOMPARE(trm_Insert(app->session.DataHandle, record("Date", "Black")), 0);
        selectSpecific();
        QCOMPARE(searchControlsOn(), 4);
        QCOMPARE(rows(), listed);
        QTest::mouseClick(control<QRadioButton>("opListAll"), Qt::LeftButton);
        QCOMPARE(searchControlsOn(), 0);
        QCOMPARE(rows(), listed + QStringList{"06|Date|Black"});
        QCOMPARE(app->session.TotalRecords, 6);
        control<QPushButton>("cmdOk")->click();  // no action
        QVERIFY(find());
    }

    void anEmptyDatabaseListsOneEmptyRowThatPicksNothing() {
        open({});
        QCOMPARE(rows(), (QStringList{"REC#|NAME|COLOUR", "||"}));
        clickCell(0, 0);
        QVERIFY(find() && !app->session.FoundRecordPending);
    }

    // The grid never lists, nor hands over, records of a file closed behind it.
    void anotherDatabaseOpenedMeanwhileIsListedAnew() {
        open();
        selectSpecific();
        app->openDatabase("shop", {"ITEM"}, {PickDatabase::entry({"Tent"})});
        find()->Form_Activate();
        QCOMPARE(rows(), (QStringList{"REC#|ITEM", "01|Tent"}));
        QVERIFY(control<QRadioButton>("opListAll")->isChecked());
        QCOMPARE(control<QComboBox>("cboField")->currentText(), QStringLiteral("ITEM"));
        clickCell(0, 0);
        QCOMPARE(RecordText::trimmed(app->session.CurrentRecord.Field[0]), QByteArray("Tent"));
    }

    // Exactly the records meeting the criterion, in the chosen key's order,
    // numbered from 01; a refill leaves no cell of the list before.
    void aSearchListsExactlyTheRecordsThatMeetItsCriterion() {
        open();
        selectSpecific();
        const std::tuple<QString, QString, QString, QString> cases[] = {
            {"NAME", "Equal", "Banana", "01|Banana|Red / 02|Banana|Green"},
            {"NAME", "Equal", "banana", "01|Banana|Red / 02|Banana|Green"},
            {"NAME", "Less", "Banana", "01||Red / 02|Apple|Blue"},
            {"NAME", "Equal or Less", "Banana",
             "01||Red / 02|Apple|Blue / 03|Banana|Red / 04|Banana|Green"},
            {"NAME", "Greater", "Banana", "01|Cherry|"},
            {"NAME", "Equal or Greater", "Banana", "01|Banana|Red / 02|Banana|Green / 03|Cherry|"},
            {"COLOUR", "Less", "Green", "01|Cherry| / 02|Apple|Blue"},
            {"COLOUR", "Equal", "Red", "01|Banana|Red / 02||Red"},
        };
        for (const auto& [field, criterion, text, expected] : cases) {
            search(field, criterion, text);
            const QString asked = field + ' ' + criterion + ' ' + text + ": ";
            QCOMPARE(asked + body().join(" / "), asked + expected);
        }
        QCOMPARE(rows()[0], QStringLiteral("REC#|NAME|COLOUR"));
        QCOMPARE(app->session.SearchKeyNumber, 2);
        QCOMPARE(control<QLineEdit>("txtSearchText")->text(),
                 QStringLiteral("Red") + QString(47, ' '));

        // Nothing qualifies: told so, and the grid keeps its list.
        app->prompter.answerOk();
        search("NAME", "Greater", "Zebra");
        app->expectPrompt("That data was not found.", "NOT FOUND!", Icon::Information);
        QCOMPARE(body(), (QStringList{"01|Banana|Red", "02||Red"}));
        QCOMPARE(app->session.LastResult, TrmCode::KeyNotFound);
        QCOMPARE(app->session.SearchKeyNumber, 1);

        control<QPushButton>("cmdClose")->click();
        AppHarness::settle();
        QVERIFY(!find());
        QCOMPARE(app->session.SearchKeyNumber, 1);  // outlives the window
    }

    void namesInEveryScriptAreFoundIgnoringCaseInTheOrderOfBrowsing() {
        Records records;
        for (const QString& name : WorldNames()) records.emplace_back(name.toUtf8(), "x");
        records.emplace_back("ŁUKASZ", "upper");
        open(records);
        // The grid lists the records in the order the record window browses them.
        QStringList browsed;
        display()->findChild<QPushButton*>("cmdFirst")->click();
        for (std::size_t i = 0; i < records.size(); ++i) {
            browsed << QStringLiteral("%1|%2")
                           .arg(i + 1, 2, 10, QLatin1Char('0'))
                           .arg(shownName().replace(' ', '|'));
            display()->findChild<QPushButton*>("cmdNext")->click();
        }
        QStringList listed = body();
        for (QString& row : listed) row.replace(' ', '|');
        QCOMPARE(listed, browsed);
        // Found whatever the case of the text typed; the box padded in bytes.
        selectSpecific();
        TypeText(control<QLineEdit>("txtSearchText"), QStringLiteral("łukasz dvořák"));
        QTest::mouseClick(control<QPushButton>("cmdGo"), Qt::LeftButton);
        QCOMPARE(body().value(0), QStringLiteral("01|Łukasz Dvořák|x"));
        QCOMPARE(control<QLineEdit>("txtSearchText")->text(),
                 QStringLiteral("łukasz dvořák") + QString(34, ' '));
        search("NAME", "Equal", "İPEK Işık");
        QCOMPARE(body().value(0), QStringLiteral("01|İpek Işık|x"));
        search("NAME", "Equal", "łukasz");
        QCOMPARE(body().value(0), QStringLiteral("01|ŁUKASZ|upper"));
    }

    void whatCannotBeSearchedIsRefusedAndNothingSearched() {
        open();
        selectSpecific();
        search("NAME", "Equal", "Apple");
        const QStringList listed = body();
        const std::tuple<const char*, const char*, const char*, QString> cases[] = {
            {"NAME", "Equal", "   ", "You have not specified any text to search for."},
            {" ", "Equal", "Apple", "You have not specified a field to search on."},
            {"NAME", "", "Apple", "You have not specified a search criteria yet."},
            {"name", "Equal", "Apple", "There is no field named \"name\" to search on."},
            {"COLOUR", "Around", "Apple", "\"Around\" is not one of the search criteria."},
            {"COLOUR", "equal", "Apple", "\"equal\" is not one of the search criteria."},
        };
        for (const auto& [field, criterion, text, message] : cases) {
            app->prompter.answerOk();
            search(field, criterion, text);
            app->expectPrompt(message, "ERROR!", Icon::Critical);
            QCOMPARE(body(), listed);
            QCOMPARE(app->session.SearchKeyNumber, 1);
        }
        QCOMPARE(control<QLineEdit>("txtSearchText")->text(), QStringLiteral("Apple"));

        // A store that fails is no empty result: it is said why.
        trm_Close(app->session.DataHandle);
        app->prompter.answerOk();
        search("NAME", "Equal", "Apple");
        QCOMPARE(
            app->said(),
            "ERROR! [Exclamation] The records could not all be listed.\r\nThe file is not open.");
        QCOMPARE(app->session.LastResult, TrmCode::FileNotOpen);
        QCOMPARE(body(), QStringList{"||"});
    }

    // A click hands over the record of the row clicked: in List All by its
    // number, after a search by any cell of its row, among duplicates too.
    void aChosenRowHandsItsOwnRecordToTheRecordWindow() {
        open();
        clickCell(3, 1);  // a field cell in List All mode
        QVERIFY(find() && !app->session.FoundRecordPending);
        clickCell(3, 0);  // REC# 04: the second Banana; the record window takes it
        QVERIFY(!find() && !app->session.FoundRecordPending);
        QCOMPARE(app->window.mdiArea()->activeSubWindow()->widget(), display());
        QCOMPARE(shownName(), QStringLiteral("Banana Green"));
        QCOMPARE(RecordText::trimmed(app->session.CurrentRecord.Field[1]), QByteArray("Green"));
        display()->findChild<QPushButton*>("cmdNext")->click();  // on from the record shown
        QCOMPARE(shownName(), QStringLiteral("Cherry"));

        display()->findChild<QPushButton*>("cmdFind")->click();
        selectSpecific();
        search("NAME", "Equal", "Banana");
        clickCell(1, 2);
        QCOMPARE(shownName(), QStringLiteral("Banana Green"));

        // The keyboard: the arrows only move, Enter chooses.
        display()->findChild<QPushButton*>("cmdFind")->click();
        grid()->setFocus();
        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        QTest::keyClick(grid(), Qt::Key_Down);
        QTest::keyClick(grid(), Qt::Key_Down);
        QVERIFY(find());
        QTest::keyClick(grid(), Qt::Key_Return);
        AppHarness::settle();
        QVERIFY(!find());
        QCOMPARE(shownName(), QStringLiteral("Banana Red"));
    }

    // A row whose record went or changed after it was listed hands nothing over,
    // not even when a new record has taken the identity of one deleted.
    void aRowWhoseRecordIsGoneOrChangedIsNotHandedOver() {
        open();
        display()->findChild<QPushButton*>("cmdFirst")->click();
        grid()->grab();  // the rows are read as they are drawn
        const int handle = app->session.DataHandle;
        trm_GetEqual(handle, 1, "Apple");
        QCOMPARE(trm_Delete(handle), 0);
        trm_GetFirst(handle, 1);  // the blank name, the last record added
        const qint64 last = trm_GetPosition(handle);
        QCOMPARE(trm_Delete(handle), 0);
        QCOMPARE(trm_Insert(handle, record("Date", "Brown")), 0);
        QCOMPARE(trm_GetPosition(handle), last);
        trm_GetEqual(handle, 1, "Cherry");
        QCOMPARE(trm_Update(handle, record("Cherry", "Black")), 0);
        const DataRecord before = app->session.CurrentRecord;
        for (int row : {0, 1, 4}) {
            app->prompter.answerOk();
            clickCell(row, 0);
            QCOMPARE(app->said(),
                     "NOT FOUND! [Exclamation] That record is no longer in the file as it was "
                     "listed: it has been changed or deleted since.\r\nList the records again to "
                     "see them as they are now.");
            QVERIFY(find() && !app->session.FoundRecordPending);
            QVERIFY(app->session.CurrentRecord == before);
            QCOMPARE(shownName(), QStringLiteral("Red"));
        }
        // Notes are not listed: a record annotated since is still the one chosen.
        DataRecord annotated = PickDatabase::entry({"Banana", "Red"});
        annotated.Notes = "ripe";
        trm_GetEqual(handle, 1, "Banana");  // the first Banana added: Red
        QCOMPARE(trm_Update(handle, RecordToString(annotated)), 0);
        clickCell(2, 0);
        QCOMPARE(shownName(), QStringLiteral("Banana Red"));
    }
};

QTEST_MAIN(FindWindowTest)
#include "FindWindowTest.moc"
