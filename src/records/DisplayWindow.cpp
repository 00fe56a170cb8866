#include "records/DisplayWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/PickResultsFrame.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "records/RecordChanges.h"
#include "records/TypedValues.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Session.h"
#include "store/StoreError.h"
#include "ui/MemberWidth.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"

namespace {

const QString kTitle = QStringLiteral("RANDOLA 3.00 - [Display]");

QString indexedName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QLineEdit* makeBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

DisplayWindow::DisplayWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmDisplay"));
    setWindowTitle(kTitle);
    buildControls();
    buildLayout();
    setTabOrder();
    connectButtons();
    cursor_.take(context.session);
    ApplyMode();
}

void DisplayWindow::buildControls() {
    for (int i = 0; i < UserFields; ++i) {
        lblField_[i] = new QLabel(QStringLiteral("Label1"), this);
        txtField_[i] = makeBox(this, indexedName("txtField", i));
        txtField_[i]->setValidator(new MemberWidth(DataRecord::FieldWidth, txtField_[i]));
    }
    const QStringList fixed = {QStringLiteral("Date Entered"), QStringLiteral("Last Picked"),
                               QStringLiteral("Times Picked"), QStringLiteral("Omit From Pick"),
                               QStringLiteral("Notes")};
    for (int i = UserFields; i < Labels; ++i) {
        lblField_[i] = new QLabel(fixed[i - UserFields], this);
    }
    for (int i = 0; i < Labels; ++i) lblField_[i]->setObjectName(indexedName("lblField", i));
    // Named after their labels once the field names are read.
    for (int i = 0; i < UserFields; ++i)
        txtField_[i]->setAccessibleName(QStringLiteral("Field %1").arg(i + 1));

    txtDateEntered_ = makeBox(this, QStringLiteral("txtDateEntered"));
    txtLastPicked_ = makeBox(this, QStringLiteral("txtLastPicked"));
    txtTimesPicked_ = makeBox(this, QStringLiteral("txtTimesPicked"));
    cbOmit_ = new QCheckBox(this);
    cbOmit_->setObjectName(QStringLiteral("cbOmit"));
    txtNotes_ = makeBox(this, QStringLiteral("txtNotes"));
    txtNotes_->setValidator(new MemberWidth(DataRecord::NotesWidth, txtNotes_));
    QWidget* const fixedBoxes[] = {txtDateEntered_, txtLastPicked_, txtTimesPicked_, cbOmit_,
                                   txtNotes_};
    for (int i = UserFields; i < Labels; ++i) {
        QWidget* box = fixedBoxes[i - UserFields];
        lblField_[i]->setBuddy(box);
        spoken(box, lblField_[i]->text());
    }

    cmdFirst_ = namedButton(this, "cmdFirst", QStringLiteral("|<<"));
    cmdPrevious_ = namedButton(this, "cmdPrevious", QStringLiteral("<<"));
    cmdNext_ = namedButton(this, "cmdNext", QStringLiteral(">>"));
    cmdLast_ = namedButton(this, "cmdLast", QStringLiteral(">>|"));
    cmdFind_ = namedButton(this, "cmdFind", QStringLiteral("Find"));
    cmdNew_ = namedButton(this, "cmdNew", QStringLiteral("New"));
    cmdEdit_ = namedButton(this, "cmdEdit", QStringLiteral("Edit"));
    cmdDelete_ = namedButton(this, "cmdDelete", QStringLiteral("Delete"));
    cmdSave_ = namedButton(this, "cmdSave", QStringLiteral("Save"));
    cmdPick_ = namedButton(this, "cmdPick", QStringLiteral("RANDOLA"));
    cmdClose_ = namedButton(this, "cmdClose", QStringLiteral("Close"));

    cmdPublicDraw_ = namedButton(this, "cmdPublicDraw", QStringLiteral("Public Draw"));
    frameResults_ = new PickResultsFrame(context(), this);
    lblOddsCaption_ =
        named(new QLabel(QStringLiteral("Odds Of Being Drawn First:"), this), "lblOddsCaption");
    lblOdds_ = spoken(named(new QLabel(this), "lblOdds"), lblOddsCaption_->text());
    lblOdds_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    giveKeys();

    for (QLineEdit* box : textBoxes()) {
        // Enter in a text box moves on like Tab.
        box->installEventFilter(this);
        // Browse mode disables the boxes; the record they show must stay readable.
        QPalette palette = box->palette();
        palette.setColor(QPalette::Disabled, QPalette::Text,
                         palette.color(QPalette::Active, QPalette::Text));
        box->setPalette(palette);
    }
}

void DisplayWindow::giveKeys() {
    // The captions are the program's own and carry no mnemonic marker; the
    // keys are given beside them, and the arrows are named by what they do.
    const struct {
        QPushButton* button;
        QKeySequence key;
        const char* spokenName;
    } keys[] = {
        {cmdFirst_, QKeySequence(Qt::ALT | Qt::Key_Home), "First Record"},
        {cmdPrevious_, QKeySequence(Qt::ALT | Qt::Key_Left), "Previous Record"},
        {cmdNext_, QKeySequence(Qt::ALT | Qt::Key_Right), "Next Record"},
        {cmdLast_, QKeySequence(Qt::ALT | Qt::Key_End), "Last Record"},
        {cmdFind_, QKeySequence(Qt::ALT | Qt::Key_I), nullptr},
        {cmdNew_, QKeySequence(Qt::ALT | Qt::Key_N), nullptr},
        {cmdEdit_, QKeySequence(Qt::ALT | Qt::Key_E), nullptr},
        {cmdDelete_, QKeySequence(Qt::ALT | Qt::Key_L), nullptr},
        {cmdSave_, QKeySequence(Qt::ALT | Qt::Key_S), nullptr},
        {cmdPick_, QKeySequence(Qt::ALT | Qt::Key_A), nullptr},
        {cmdPublicDraw_, QKeySequence(Qt::ALT | Qt::Key_W), nullptr},
        {cmdClose_, QKeySequence(Qt::ALT | Qt::Key_C), nullptr},
    };
    for (const auto& [button, key, spokenName] : keys) {
        button->setShortcut(key);
        const QString name = spokenName ? QString::fromLatin1(spokenName) : button->text();
        if (spokenName) button->setAccessibleName(name);
        button->setToolTip(name + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
    }
    cmdPick_->setAccessibleDescription(QStringLiteral("Pick records at random"));
}

QString DisplayWindow::withoutTrailingSpaces(QString text) {
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

QList<QLineEdit*> DisplayWindow::textBoxes() const {
    QList<QLineEdit*> boxes(txtField_.begin(), txtField_.end());
    boxes << txtDateEntered_ << txtLastPicked_ << txtTimesPicked_ << txtNotes_;
    return boxes;
}

void DisplayWindow::buildLayout() {
    // The record: a name beside each box; the dates and counts two to a row.
    auto* record = new QGridLayout;
    record->setColumnStretch(3, 1);
    record->setHorizontalSpacing(12);
    for (int i = 0; i < UserFields; ++i) {
        record->addWidget(lblField_[i], i, 0);
        record->addWidget(txtField_[i], i, 1, 1, 3);
    }
    const int extra = UserFields;
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00-00-00000")) + 16;
    for (QLineEdit* box : {txtDateEntered_, txtLastPicked_, txtTimesPicked_}) {
        box->setFixedWidth(dateWidth);
    }
    record->addWidget(lblField_[12], extra, 0);
    record->addWidget(txtDateEntered_, extra, 1);
    record->addWidget(lblField_[13], extra, 2);
    record->addWidget(txtLastPicked_, extra, 3, Qt::AlignLeft);
    record->addWidget(lblField_[14], extra + 1, 0);
    record->addWidget(txtTimesPicked_, extra + 1, 1);
    record->addWidget(lblField_[15], extra + 1, 2);
    record->addWidget(cbOmit_, extra + 1, 3, Qt::AlignLeft);
    record->addWidget(lblField_[16], extra + 2, 0);
    record->addWidget(txtNotes_, extra + 2, 1, 1, 3);
    record->addWidget(lblOddsCaption_, extra + 3, 0);
    record->addWidget(lblOdds_, extra + 3, 1, 1, 3);
    record->setRowStretch(extra + 4, 1);

    // The buttons may narrow below the style's width so that the whole row
    // fits beside the results on a 1024 x 768 screen.
    auto* moves = new QHBoxLayout;
    const int arrowWidth = fontMetrics().horizontalAdvance(QStringLiteral(">>|")) + 24;
    for (QPushButton* button : {cmdFirst_, cmdPrevious_, cmdNext_, cmdLast_}) {
        button->setMinimumWidth(arrowWidth);
        moves->addWidget(button);
    }
    moves->addSpacing(18);
    const int actionWidth = fontMetrics().horizontalAdvance(QStringLiteral("Delete")) + 24;
    for (QPushButton* button : {cmdFind_, cmdNew_, cmdEdit_, cmdDelete_, cmdSave_}) {
        button->setMinimumWidth(actionWidth);
        moves->addWidget(button);
    }
    moves->addStretch(1);

    QFont pickFont = cmdPick_->font();
    pickFont.setBold(true);
    pickFont.setPointSizeF(pickFont.pointSizeF() * 1.5);
    cmdPick_->setFont(pickFont);
    cmdPick_->setMinimumHeight(cmdPick_->sizeHint().height() * 3 / 2);

    auto* side = new QVBoxLayout;
    side->addWidget(cmdPick_);
    side->addWidget(cmdPublicDraw_);
    side->addWidget(frameResults_, 1);

    // The buttons run under both columns, Close at their end, so that the
    // window narrows to a small screen or a large scale without hiding any.
    moves->addWidget(cmdClose_);

    auto* window = new QGridLayout(this);
    window->setColumnStretch(0, 3);
    window->setColumnStretch(1, 2);
    window->setHorizontalSpacing(18);
    window->addLayout(record, 0, 0);
    window->addLayout(side, 0, 1);
    window->addLayout(moves, 1, 0, 1, 2);
}

QSize DisplayWindow::sizeHint() const {
    // Wide enough for a whole field beside the results, narrow enough for a
    // 1024 x 768 screen; as tall as twelve field rows need.
    return {std::max(minimumSizeHint().width(), 940), TaskWindow::sizeHint().height()};
}

void DisplayWindow::setTabOrder() {
    QList<QWidget*> order(txtField_.begin(), txtField_.end());
    order << txtDateEntered_ << txtLastPicked_ << txtTimesPicked_ << cbOmit_ << txtNotes_
          << cmdFirst_ << cmdPrevious_ << cmdNext_ << cmdLast_ << cmdFind_ << cmdNew_ << cmdEdit_
          << cmdDelete_ << cmdSave_ << cmdPick_ << cmdPublicDraw_ << frameResults_->tabOrder()
          << cmdClose_;
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void DisplayWindow::connectButtons() {
    connect(cmdFirst_, &QPushButton::clicked, this, &DisplayWindow::cmdFirst_Click);
    connect(cmdPrevious_, &QPushButton::clicked, this, &DisplayWindow::cmdPrevious_Click);
    connect(cmdNext_, &QPushButton::clicked, this, &DisplayWindow::cmdNext_Click);
    connect(cmdLast_, &QPushButton::clicked, this, &DisplayWindow::cmdLast_Click);
    connect(cmdNew_, &QPushButton::clicked, this, &DisplayWindow::cmdNew_Click);
    connect(cmdEdit_, &QPushButton::clicked, this, &DisplayWindow::cmdEdit_Click);
    connect(cmdSave_, &QPushButton::clicked, this, &DisplayWindow::cmdSave_Click);
    connect(cmdDelete_, &QPushButton::clicked, this, &DisplayWindow::cmdDelete_Click);
    connect(cmdPick_, &QPushButton::clicked, this, &DisplayWindow::cmdPick_Click);
    connect(cmdPublicDraw_, &QPushButton::clicked, this, &DisplayWindow::cmdPublicDraw_Click);
    connect(cmdFind_, &QPushButton::clicked, this, &DisplayWindow::cmdFind_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &DisplayWindow::cmdClose_Click);
}

void DisplayWindow::Form_Activate() {
    Session& session = context().session;
    if (!cursor_.showsDatabaseOf(session)) {
        // Another database was opened: what is on screen, typed or shown,
        // belongs to the one that was closed and must not be written to this one.
        for (QLineEdit* box : textBoxes()) box->clear();
        cbOmit_->setChecked(false);
        if (session.isTyping()) {
            session.DisplayMode = Session::BrowseMode;
        }
        cursor_.take(session);
    }
    ApplyMode();
    LoadFieldLabels();
    // Other windows may have changed the records since (omitted, edited, added).
    ShowOdds();
    // A record the find window handed over would overwrite what is being typed;
    // it waits until the window is back in Browse mode.
    const bool typing = session.isTyping();
    if (session.FoundRecordPending && !typing) {
        // The find window fetched the record it handed over, so it is current.
        cursor_.holdCurrent(session);
        ShowRecord();
        session.FoundRecordPending = false;
    }
}

void DisplayWindow::ShowRecord() {
    const DataRecord& record = context().session.CurrentRecord;
    for (int i = 0; i < UserFields; ++i) {
        showMember(txtField_[i], record.Field[i], DataRecord::FieldWidth);
    }
    showMember(txtDateEntered_, record.DateEntered, DataRecord::DateWidth);
    showMember(txtLastPicked_, record.LastPicked, DataRecord::DateWidth);
    showMember(txtNotes_, record.Notes, DataRecord::NotesWidth);
    txtTimesPicked_->setText(QString::number(record.TimesPicked));
    cbOmit_->setChecked(record.Omit == "T");
    ShowOdds();
}

void DisplayWindow::ShowOdds() {
    const Session& session = context().session;
    std::optional<RandomPick::Odds> odds;
    if (session.DisplayMode == Session::BrowseMode && cursor_.position(session) > 0) {
        odds = RandomPick::OddsOf(session.DataHandle, session.CurrentRecord);
    }
    lblOdds_->setText(odds ? odds->text() : QString());
}

// The member at its full width, trailing spaces and all, shown from its start
// rather than scrolled to those spaces.
void DisplayWindow::showMember(QLineEdit* box, const QByteArray& member, int width) {
    box->setText(RecordText::toUnicode(RecordText::fixedWidth(member, width)));
    box->setCursorPosition(0);
}

void DisplayWindow::ReadControls() {
    DataRecord& record = context().session.CurrentRecord;
    for (int i = 0; i < UserFields; ++i) {
        record.Field[i] = RecordText::field(txtField_[i]->text(), DataRecord::FieldWidth);
    }
    const QString date =
        TypedValues::DateToStore(txtDateEntered_->text(), context().clock.now().date());
    if (date != txtDateEntered_->text()) txtDateEntered_->setText(date);
    record.DateEntered = RecordText::field(date, DataRecord::DateWidth);
    record.LastPicked = RecordText::field(txtLastPicked_->text(), DataRecord::DateWidth);
    record.Notes = RecordText::field(txtNotes_->text(), DataRecord::NotesWidth);
    const qint32 count = TypedValues::CountToStore(txtTimesPicked_->text());
    if (QString::number(count) != txtTimesPicked_->text()) {
        txtTimesPicked_->setText(QString::number(count));
    }
    record.TimesPicked = count;
    record.Omit = cbOmit_->isChecked() ? QByteArrayLiteral("T") : QByteArrayLiteral("F");
}

void DisplayWindow::ApplyMode() {
    const Session& session = context().session;
    switch (session.DisplayMode) {
        case Session::BrowseMode:
            setWindowTitle(kTitle + QStringLiteral(" - [Browse]"));
            setEditing(false);
            break;
        case Session::AddMode:
            setWindowTitle(kTitle + QStringLiteral(" - [Add]"));
            setEditing(true);
            break;
        case Session::EditMode:
            setWindowTitle(kTitle + QStringLiteral(" - [Edit]"));
            setEditing(true);
            break;
        default:
            setWindowTitle(kTitle);
            break;
    }
    ShowOdds();
    context().shell.ShowCountedTitle();
    // The menus follow the mode at once, so that nothing the mode locks is
    // offered while a record is being typed, and all is offered again after.
    context().shell.RefreshMenus();
}

void DisplayWindow::setEditing(bool editing) {
    for (QLineEdit* box : txtField_) box->setEnabled(editing);
    for (QWidget* box : std::initializer_list<QWidget*>{txtDateEntered_, txtLastPicked_, txtNotes_,
                                                        txtTimesPicked_, cbOmit_}) {
        box->setEnabled(editing);
    }
    frameResults_->setEnabled(false);
    setBrowsing(!editing);
    cmdSave_->setEnabled(true);
    cmdPick_->setEnabled(!editing);
    cmdPublicDraw_->setEnabled(!editing);
    cmdClose_->setEnabled(true);
}

void DisplayWindow::setBrowsing(bool browsing) {
    for (QPushButton* button :
         {cmdFirst_, cmdPrevious_, cmdNext_, cmdLast_, cmdFind_, cmdNew_, cmdEdit_, cmdDelete_}) {
        button->setEnabled(browsing);
    }
}

void DisplayWindow::ClearControls() {
    for (QLineEdit* box : txtField_) box->setText(QString());
    txtDateEntered_->setText(TypedValues::DateForNewRecord(context().clock.now().date()));
    txtLastPicked_->setText(QString());
    txtTimesPicked_->setText(QStringLiteral("0"));
    cbOmit_->setChecked(false);
    txtNotes_->setText(QString());
    const qint16 mode = context().session.DisplayMode;
    if (mode == Session::AddMode || mode == Session::EditMode) txtField_[0]->setFocus();
}

void DisplayWindow::LoadFieldLabels() {
    const Session& session = context().session;
    if (!session.hasDatabase()) return;
    std::vector<FieldDefinition> definitions;
    try {
        definitions = DefinitionFile::Read(context().folder.definitionFile(session.DatabaseName));
    } catch (const StoreError& error) {
        context().prompter.message(error.message(), QStringLiteral("ERROR!"),
                                   Prompter::Icon::Exclamation);
        return;
    }
    for (int i = 0; i < UserFields; ++i) {
        const bool inUse = i < int(definitions.size()) && definitions[i].inUse();
        if (inUse) {
            lblField_[i]->setText(RecordText::toUnicode(definitions[i].FieldName));
            // The user's own name, "&" and all.
            txtField_[i]->setAccessibleName(lblField_[i]->text().trimmed());
        }
        lblField_[i]->setVisible(inUse);
        txtField_[i]->setVisible(inUse);
    }
}

void DisplayWindow::showFetched(const std::optional<DataRecord>& record) {
    if (!record) return;
    context().session.CurrentRecord = *record;
    ClearControls();
    ShowRecord();
}

void DisplayWindow::cmdFirst_Click() {
    showFetched(cursor_.end(context().session, false));
}

void DisplayWindow::cmdPrevious_Click() {
    showFetched(cursor_.step(context().session, false));
}

void DisplayWindow::cmdNext_Click() {
    showFetched(cursor_.step(context().session, true));
}

void DisplayWindow::cmdLast_Click() {
    showFetched(cursor_.end(context().session, true));
}

void DisplayWindow::cmdNew_Click() {
    context().session.DisplayMode = Session::AddMode;
    ApplyMode();
    ClearControls();
}

void DisplayWindow::cmdEdit_Click() {
    Session& session = context().session;
    if (txtField_[0]->text().trimmed().isEmpty()) return;
    // A pick or clear-omits run may have rewritten the record since it was
    // shown; editing the old values would undo that.
    if (const std::optional<DataRecord> stored = cursor_.reread(session)) {
        session.CurrentRecord = *stored;
        ShowRecord();
    }
    // The boxes show each member padded to its width, which would leave no
    // room to type after the value; saving pads again, so nothing stored changes.
    for (QLineEdit* box : textBoxes()) box->setText(withoutTrailingSpaces(box->text()));
    session.DisplayMode = Session::EditMode;
    ApplyMode();
    txtField_[0]->setFocus();
}

void DisplayWindow::cmdSave_Click() {
    switch (context().session.DisplayMode) {
        case Session::AddMode:
            saveCopies();
            break;
        case Session::EditMode:
            saveChanges();
            break;
        default:
            break;
    }
}

void DisplayWindow::saveCopies() {
    Session& session = context().session;
    const std::optional<QString> answer =
        context().prompter.input(QStringLiteral("How many copies to save? (0=None):"),
                                 QStringLiteral("MULTI-SAVE"), QStringLiteral("1"));
    if (!answer || *answer == QStringLiteral("0")) return;
    const std::optional<qint32> copies = TypedValues::WholeNumber(*answer);
    if (!copies || *copies < 1) return;

    ReadControls();
    const ChangeResult result = writeCopies(*copies);
    session.LastResult = result.code;
    if (result.cancelled) return;
    if (!result.ok()) {
        reportFailure(QStringLiteral("The record could not be saved; nothing was added."), result);
        return;
    }
    cursor_.hold(result.position);
    context().prompter.message(
        QStringLiteral("There were ") + *answer + QStringLiteral(" copies added."),
        QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
    session.DisplayMode = Session::BrowseMode;
    session.TotalRecords = result.total;
    ApplyMode();
}

ChangeResult DisplayWindow::writeCopies(qint32 copies) {
    const WaitCursor wait;
    QProgressDialog progress(QStringLiteral("Saving %L1 copies...").arg(copies),
                             QStringLiteral("Cancel"), 0, copies, this);
    progress.setWindowTitle(QStringLiteral("MULTI-SAVE"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    return RecordChanges::SaveCopies(context().session.DataHandle, context().session.CurrentRecord,
                                     copies, [&progress](qint64 saved, qint64) {
                                         progress.setValue(int(saved));
                                         return !progress.wasCanceled();
                                     });
}

void DisplayWindow::saveChanges() {
    Session& session = context().session;
    ReadControls();
    const ChangeResult result = RecordChanges::Update(
        session.DataHandle, cursor_.position(session), session.CurrentRecord);
    session.LastResult = result.code;
    if (!result.ok()) {
        reportFailure(QStringLiteral("The record could not be updated."), result);
        return;
    }
    context().prompter.message(QStringLiteral("The record has been updated!"),
                               QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
    session.DisplayMode = Session::BrowseMode;
    ApplyMode();
}

void DisplayWindow::cmdDelete_Click() {
    Session& session = context().session;
    if (txtField_[0]->text().trimmed().isEmpty() || session.TotalRecords <= 0) return;
    if (!context().prompter.askYesNo(QStringLiteral("Delete this record! Are you sure?"),
                                     QStringLiteral("DELETE!"), Prompter::Icon::Exclamation)) {
        return;
    }
    const ChangeResult result = RecordChanges::Delete(session.DataHandle, cursor_.position(session));
    session.LastResult = result.code;
    if (!result.ok()) {
        reportFailure(QStringLiteral("The record could not be deleted."), result);
        return;
    }
    cursor_.forget();
    ClearControls();
    ReadControls();
    session.TotalRecords = result.total;
    ApplyMode();
}

void DisplayWindow::reportFailure(const QString& what, const ChangeResult& result) {
    context().prompter.message(what + QStringLiteral("\r\n") + result.reason,
                               QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
}

void DisplayWindow::cmdPick_Click() {
    Session& session = context().session;
    const std::optional<QString> answer =
        context().prompter.input(QStringLiteral("How many picks (1-") +
                                     QString::number(session.TotalRecords) + QStringLiteral(")?"),
                                 QStringLiteral("RANDOLA"), QStringLiteral("0"));
    if (!answer || answer->trimmed() == QStringLiteral("0")) return;
    const std::optional<qint32> wanted = TypedValues::WholeNumber(*answer);
    if (!wanted || *wanted > session.TotalRecords || *wanted < 1) return;

    // One reading of the clock names the whole pick.
    const RandomPick::Stamp stamp =
        RandomPick::stampFor(context().clock.now(), session.PickDate, session.PickTime);
    const std::unique_ptr<RandomSource> random = context().randomSource();
    RandomPick::Outcome outcome;
    {
        const WaitCursor wait;
        outcome =
            RandomPick::run({session.DataHandle, context().folder.historyFile(session.DatabaseName),
                             *wanted, stamp.date, stamp.time},
                            *random);
    }
    // Nothing stored leaves the previous results as they were.
    frameResults_->takePick(outcome, stamp);
}

void DisplayWindow::cmdPublicDraw_Click() {
    context().shell.showWindow(Shell::Window::PublicDraw);
}

QGroupBox* DisplayWindow::resultsFrame() const {
    return frameResults_;
}

QListWidget* DisplayWindow::resultsList() const {
    return frameResults_->list();
}

void DisplayWindow::cmdFind_Click() {
    context().shell.showWindow(Shell::Window::Find);
}

void DisplayWindow::cmdClose_Click() {
    close();
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
    Session& session = context().session;
    if (session.isTyping()) {
        const bool discard = context().prompter.askYesNo(
            QStringLiteral("The record in this window has not been saved.\r\n"
                           "Close the window and lose it?"),
            QStringLiteral("CLOSE?"), Prompter::Icon::Exclamation);
        if (!discard) {
            event->ignore();
            return;
        }
        session.DisplayMode = Session::BrowseMode;
        context().shell.RefreshMenus();
    }
    event->accept();
}

bool DisplayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return TaskWindow::eventFilter(watched, event);
}
