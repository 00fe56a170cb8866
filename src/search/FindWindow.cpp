#include "search/FindWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "search/FoundRecordsModel.h"
#include "search/SearchCriteria.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/RecordText.h"
#include "store/Session.h"
#include "store/StoreError.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"
#include "ui/WorkProgress.h"

namespace {

// The window was drawn in twips, 1440 to the inch.
constexpr int kWidthTwips = 9870;
constexpr int kHeightTwips = 7815;
constexpr int kKeyWidth = 50;

QComboBox* makeCombo(QWidget* parent, const char* name) {
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    // A typed text is a choice for this search, not a new entry of the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

}  // namespace

FindWindow::FindWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Find Data]"));
    buildControls();
    buildLayout();
    connectControls();
    FillSearchLists();
    ListAllRecords();
}

void FindWindow::buildControls() {
    Frame1_ = named(new QGroupBox(QStringLiteral("Search Record:"), this), "Frame1");
    MSFlexGrid1_ = spoken(named(new QTableView(Frame1_), "MSFlexGrid1"), Frame1_->title());
    model_ = new FoundRecordsModel(this);
    MSFlexGrid1_->setModel(model_);
    MSFlexGrid1_->verticalHeader()->hide();
    MSFlexGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1_->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1_->setWordWrap(false);
    // Rows all of one height: the view never measures the rows it does not show.
    MSFlexGrid1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    MSFlexGrid1_->installEventFilter(this);

    Frame2_ = named(new QGroupBox(QStringLiteral("Search Criteria:"), this), "Frame2");
    opListAll_ = named(new QRadioButton(QStringLiteral("List All"), Frame2_), "opListAll");
    opListAll_->setChecked(true);
    opSpecific_ = named(new QRadioButton(QStringLiteral("Specific "), Frame2_), "opSpecific");
    Label1_ = named(new QLabel(QStringLiteral("Select Field To Search By:"), Frame2_), "Label1");
    cboField_ = makeCombo(Frame2_, "cboField");
    Label1_->setBuddy(spoken(cboField_, Label1_->text()));
    Label3_ = named(new QLabel(QStringLiteral("Criteria:"), Frame2_), "Label3");
    cboCriteria_ = makeCombo(Frame2_, "cboCriteria");
    Label3_->setBuddy(spoken(cboCriteria_, Label3_->text()));
    Label2_ = named(new QLabel(QStringLiteral("Text To Search For:"), Frame2_), "Label2");
    txtSearchText_ = named(new QLineEdit(Frame2_), "txtSearchText");
    Label2_->setBuddy(spoken(txtSearchText_, Label2_->text()));
    cmdGo_ = namedButton(Frame2_, "cmdGo", QStringLiteral("GO"));
    cmdOk_ = namedButton(this, "cmdOk", QStringLiteral("Ok"));
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));
}

void FindWindow::buildLayout() {
    auto* gridFrame = new QVBoxLayout(Frame1_);
    gridFrame->addWidget(MSFlexGrid1_);

    // The criteria in their drawn order, each column growing in proportion to
    // its drawn width.
    auto* criteria = new QGridLayout(Frame2_);
    criteria->setVerticalSpacing(2);
    criteria->addWidget(opListAll_, 0, 0);
    criteria->addWidget(opSpecific_, 1, 0);
    criteria->addWidget(Label1_, 0, 1);
    criteria->addWidget(cboField_, 1, 1);
    criteria->addWidget(Label3_, 0, 2);
    criteria->addWidget(cboCriteria_, 1, 2);
    criteria->addWidget(Label2_, 0, 3);
    criteria->addWidget(txtSearchText_, 1, 3);
    criteria->addWidget(cmdGo_, 0, 4, 2, 1);
    cmdGo_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    const int drawnWidths[] = {1440, 2895, 1335, 2655, 735};
    for (int column = 0; column < 5; ++column) {
        criteria->setColumnStretch(column, drawnWidths[column] / 15);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOk_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    for (QPushButton* button : {cmdOk_, cmdClose_}) {
        button->setMinimumWidth(1215 * logicalDpiX() / 1440);
    }

    auto* window = new QVBoxLayout(this);
    window->addWidget(Frame1_, 1);
    window->addWidget(Frame2_);
    window->addLayout(buttons);
}

QSize FindWindow::sizeHint() const {
    const QSize drawn(kWidthTwips * logicalDpiX() / 1440, kHeightTwips * logicalDpiY() / 1440);
    return drawn.expandedTo(minimumSizeHint());
}

void FindWindow::connectControls() {
    connect(opListAll_, &QRadioButton::toggled, this, &FindWindow::opListAll_Toggled);
    connect(cmdGo_, &QPushButton::clicked, this, &FindWindow::cmdGo_Click);
    connect(txtSearchText_, &QLineEdit::returnPressed, this, &FindWindow::cmdGo_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &FindWindow::cmdClose_Click);
    connect(MSFlexGrid1_, &QTableView::clicked, this, &FindWindow::MSFlexGrid1_Click);
}

void FindWindow::Form_Activate() {
    if (database_.isCurrent(context().session)) return;
    // Another database was opened meanwhile: the grid would list records of
    // a file that is closed.
    opListAll_->setChecked(true);
    FillSearchLists();
    ListAllRecords();
}

void FindWindow::FillSearchLists() {
    const Session& session = context().session;
    cboField_->clear();
    cboCriteria_->clear();
    txtSearchText_->setText(QString());
    if (session.hasDatabase()) {
        try {
            cboField_->addItems(DefinitionFile::FieldNames(
                DefinitionFile::Read(context().folder.definitionFile(session.DatabaseName))));
        } catch (const StoreError& error) {
            context().prompter.message(error.message(), QStringLiteral("ERROR!"),
                                       Prompter::Icon::Exclamation);
        }
    }
    cboField_->setEditText(cboField_->itemText(0));
    cboCriteria_->addItems(SearchCriteria::Names());
    cboCriteria_->setEditText(SearchCriteria::Names().first());
    setSearching(false);
}

void FindWindow::setSearching(bool specific) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{cboField_, cboCriteria_, txtSearchText_, cmdGo_}) {
        control->setEnabled(specific);
    }
}

void FindWindow::opListAll_Toggled(bool selected) {
    setSearching(!selected);
    // Specific mode keeps the listing until the first search.
    if (selected) ListAllRecords();
}

void FindWindow::ListAllRecords() {
    Session& session = context().session;
    const WaitCursor wait;
    session.TotalRecords = trm_Count(session.DataHandle);
    FoundRecords::Listing listing = FoundRecords::All(session.DataHandle);
    session.LastResult = listing.code;
    fillGrid(std::move(listing));
}

void FindWindow::fillGrid(FoundRecords::Listing listing) {
    database_.take(context().session);
    QStringList names;
    for (int i = 0; i < cboField_->count(); ++i) names << cboField_->itemText(i);
    // The list is the grid's now: a million identities are not copied.
    model_->list(context().session.DataHandle, names, std::move(listing.positions));
    // As wide as the rows in view need: a grid of many rows measures no more.
    MSFlexGrid1_->resizeColumnsToContents();
    if (listing.code != TrmCode::Ok) {
        // Whatever was read before the failure stays listed; nothing is made up.
        context().prompter.message(QStringLiteral("The records could not all be listed.\r\n") +
                                       trm_FailureText(context().session.DataHandle, listing.code),
                                   QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    }
}

void FindWindow::refuse(const QString& text) {
    context().prompter.message(text, QStringLiteral("ERROR!"), Prompter::Icon::Critical);
}

void FindWindow::cmdGo_Click() {
    if (!cmdGo_->isEnabled()) return;
    if (txtSearchText_->text().trimmed().isEmpty()) {
        refuse(QStringLiteral("You have not specified any text to search for."));
    } else if (cboField_->currentText().trimmed().isEmpty()) {
        refuse(QStringLiteral("You have not specified a field to search on."));
    } else if (cboCriteria_->currentText().trimmed().isEmpty()) {
        refuse(QStringLiteral("You have not specified a search criteria yet."));
    } else {
        SearchRecords();
    }
}

void FindWindow::SearchRecords() {
    Session& session = context().session;
    session.TotalRecords = trm_Count(session.DataHandle);
    // A name typed that is none of the listed ones names no key; searching
    // on whatever key was used last would answer another question.
    const int field =
        cboField_->findText(cboField_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (field < 0) {
        refuse(QStringLiteral("There is no field named \"%1\" to search on.")
                   .arg(cboField_->currentText()));
        return;
    }
    const std::optional<TrmSearch> how = SearchCriteria::Named(cboCriteria_->currentText());
    if (!how) {
        refuse(QStringLiteral("\"%1\" is not one of the search criteria.")
                   .arg(cboCriteria_->currentText()));
        return;
    }
    session.SearchKeyNumber = field + 1;
    if (RecordText::fromUnicode(txtSearchText_->text()).size() < kKeyWidth) {
        // Padded to the key's width in bytes, as the key is stored.
        txtSearchText_->setText(
            RecordText::toUnicode(RecordText::field(txtSearchText_->text(), kKeyWidth)));
        // The padding is kept, but the box shows the text searched for.
        txtSearchText_->setCursorPosition(0);
    }
    FoundRecords::Listing listing;
    {
        // A search that finds most of a large file takes a moment: it can be stopped.
        WorkProgress progress(this, QStringLiteral("Find"), QStringLiteral("Searching..."));
        progress.tell(0, 0);
        listing = FoundRecords::Matching(session.DataHandle, session.SearchKeyNumber, *how,
                                         RecordText::fromUnicode(txtSearchText_->text()),
                                         [&progress] { return progress.tell(0, 0); });
    }
    session.LastResult = listing.code;
    // Stopped, the grid keeps what it showed.
    if (listing.code == TrmCode::Stopped) return;
    if (listing.code == TrmCode::KeyNotFound) {
        // The grid keeps what it showed.
        context().prompter.message(QStringLiteral("That data was not found."),
                                   QStringLiteral("NOT FOUND!"), Prompter::Icon::Information);
        return;
    }
    fillGrid(std::move(listing));
}

void FindWindow::MSFlexGrid1_Click(const QModelIndex& index) {
    // In List All mode a record is chosen by its number; a search's rows are
    // chosen anywhere.
    if (opSpecific_->isChecked() || index.column() == 0) pickRow(index.row());
}

bool FindWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MSFlexGrid1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Moving with the arrows only looks; Enter chooses the row.
            if (MSFlexGrid1_->currentIndex().isValid()) pickRow(MSFlexGrid1_->currentIndex().row());
            return true;
        }
    }
    return TaskWindow::eventFilter(watched, event);
}

void FindWindow::pickRow(int row) {
    Session& session = context().session;
    const qint64 position = model_->positionAt(row);
    if (position == 0) return;  // the empty row of an empty database
    const std::optional<DataRecord> record =
        database_.isCurrent(session)
            ? FoundRecords::Pick(session.DataHandle, position, model_->cellsAt(row))
            : std::nullopt;
    if (!record) {
        context().prompter.message(
            QStringLiteral("That record is no longer in the file as it was listed: it has been "
                           "changed or deleted since.\r\nList the records again to see them as "
                           "they are now."),
            QStringLiteral("NOT FOUND!"), Prompter::Icon::Exclamation);
        return;
    }
    session.CurrentRecord = *record;
    session.FoundRecordPending = true;
    close();
    context().shell.showWindow(Shell::Window::Display);
}

void FindWindow::cmdClose_Click() {
    close();
}
