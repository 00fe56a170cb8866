#include "app/CreateWindow.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/OpenDatabase.h"
#include "store/DataFolder.h"
#include "store/DatabaseFiles.h"
#include "store/FieldRules.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "ui/ListKeys.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"
#include "ui/WaitCursor.h"

CreateWindow::CreateWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), txtField_(new QLineEdit), lbFieldList_(new QListWidget) {
    setObjectName(QStringLiteral("frmCreate"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Create New Database]"));

    auto* entry = new QGroupBox(QStringLiteral("Enter Field To Create:"), this);
    entry->setObjectName(QStringLiteral("Frame2"));
    txtField_->setObjectName(QStringLiteral("txtField"));
    txtField_->setMaxLength(FieldRules::MaxNameLength);
    auto* ok = named(new QPushButton(QStringLiteral("Ok"), entry), "cmdOk");
    ok->setDefault(true);
    auto* entryLayout = new QHBoxLayout(entry);
    entryLayout->addWidget(txtField_, 1);
    entryLayout->addWidget(ok);

    auto* created = new QGroupBox(QStringLiteral("Created Fields:"), this);
    created->setObjectName(QStringLiteral("Frame1"));
    lbFieldList_->setObjectName(QStringLiteral("lbFieldList"));
    lbFieldList_->setToolTip(QStringLiteral("Click a field to remove it."));
    auto* listLayout = new QVBoxLayout(created);
    listLayout->addWidget(lbFieldList_);
    spoken(txtField_, entry->title());
    spoken(lbFieldList_, created->title());

    auto* create = named(new QPushButton(QStringLiteral("Create"), this), "cmdCreate");
    auto* close = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(create);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(entry);
    layout->addWidget(created, 1);
    layout->addLayout(buttons);
    resize(440, 420);

    connect(ok, &QPushButton::clicked, this, &CreateWindow::cmdOk_Click);
    connect(txtField_, &QLineEdit::returnPressed, this, &CreateWindow::cmdOk_Click);
    connect(lbFieldList_, &QListWidget::itemClicked, this, &CreateWindow::lbFieldList_Click);
    // The keyboard's way to click a name away.
    ListKeys::Install(lbFieldList_, {Qt::Key_Delete, Qt::Key_Backspace},
                      [this](QListWidgetItem* item) { lbFieldList_Click(item); });
    connect(create, &QPushButton::clicked, this, &CreateWindow::cmdCreate_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    setTabOrder(txtField_, ok);
    setTabOrder(ok, lbFieldList_);
    setTabOrder(lbFieldList_, create);
    setTabOrder(create, close);
    setFocusProxy(txtField_);
}

void CreateWindow::Form_Activate() {
    txtField_->setFocus();
}

void CreateWindow::refuse(const QString& text, const QString& title) {
    context().prompter.message(text, title, Prompter::Icon::Critical);
    txtField_->setFocus();
}

void CreateWindow::cmdOk_Click() {
    const QString typed = txtField_->text();
    const QString name = typed.toUpper();
    const FieldRules::Verdict verdict = FieldRules::Check(typed, lbFieldList_->count());
    if (verdict != FieldRules::Verdict::Accepted) {
        if (verdict != FieldRules::Verdict::Empty) txtField_->setText(name);
        const FieldRules::Refusal refusal = FieldRules::RefusalFor(verdict);
        refuse(refusal.text, refusal.title);
        return;
    }
    lbFieldList_->addItem(name);
    txtField_->clear();
    txtField_->setFocus();
}

void CreateWindow::lbFieldList_Click(QListWidgetItem* item) {
    if (item) delete lbFieldList_->takeItem(lbFieldList_->row(item));
    txtField_->setFocus();
}

void CreateWindow::clearFields() {
    lbFieldList_->clear();
    txtField_->clear();
    txtField_->setFocus();
}

void CreateWindow::cmdCreate_Click() {
    Prompter& prompter = context().prompter;
    QStringList fields;
    for (int i = 0; i < lbFieldList_->count(); ++i) fields << lbFieldList_->item(i)->text();
    if (fields.isEmpty()) {
        prompter.message(QStringLiteral("You have not created any fields yet."),
                         QStringLiteral("NO FIELDS!"), Prompter::Icon::Critical);
        return;
    }
    const std::optional<QString> answer = prompter.input(
        QStringLiteral("What is the name of your new database?"), QStringLiteral("NAME"), {});
    if (!answer || answer->trimmed().isEmpty()) return;
    // The name is taken exactly as typed, blanks and all.
    const QString& name = *answer;
    if (const QString problem = DatabaseFiles::NameProblem(name); !problem.isEmpty()) {
        prompter.message(problem, QStringLiteral("INVALID NAME!"), Prompter::Icon::Critical);
        return;
    }
    if (QFileInfo::exists(context().folder.dataFile(name)) &&
        !prompter.askYesNo(QStringLiteral("That database exists. Overwrite?"),
                           QStringLiteral("OVERWRITE?"), Prompter::Icon::Exclamation)) {
        return;
    }
    if (!createDatabase(name, fields)) return;
    if (prompter.askYesNo(QStringLiteral("Do you want to create another database?"),
                          QStringLiteral("ANOTHER?"), Prompter::Icon::Question)) {
        clearFields();
    }
}

bool CreateWindow::createDatabase(const QString& name, const QStringList& fields) {
    Session& session = context().session;
    // The new database is opened at once, in place of the one in use.
    if (!context().shell.mayChangeDatabase()) return false;
    // The open database's files cannot be replaced under the record manager.
    const bool replacingOpen = session.hasDatabase() && session.DatabaseName == name;
    if (replacingOpen) {
        SessionDatabase::Close(session);
        context().shell.ShowCountedTitle();
        context().shell.RefreshMenus();
    }
    DatabaseFiles::CreateOutcome outcome;
    {
        WaitCursor wait;
        outcome = DatabaseFiles::Create(context().folder, name, fields);
    }
    session.LastResult = outcome.code;
    if (!outcome.ok()) {
        context().prompter.message(
            QStringLiteral("There was an internal error creating database.\r\nDatabase has not "
                           "been created. (") +
                QString::number(outcome.code) + QStringLiteral(")\r\n") + outcome.reason,
            QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
        // The old database is still whole; it stays the one in use.
        if (replacingOpen) OpenDatabase(context(), name);
        return false;
    }
    if (const std::optional<OpenFailure> failed = TryOpenDatabase(context(), name)) {
        context().prompter.message(
            QStringLiteral("Database has been created, but it could not be opened.\r\n") +
                failed->text,
            QStringLiteral("ERROR!"), Prompter::Icon::Exclamation);
    } else {
        context().prompter.message(QStringLiteral("Database has been created!"),
                                   QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
    }
    return true;
}
