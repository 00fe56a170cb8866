#include "app/AboutWindow.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/AboutText.h"
#include "store/DataFolder.h"
#include "store/RecordManager.h"
#include "ui/AppPicture.h"
#include "ui/Named.h"
#include "ui/Prompter.h"

AboutWindow::AboutWindow(AppContext& context, QWidget* parent) : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [About]"));

    auto* image = named(new QLabel(this), "Image1");
    image->setPixmap(appPicture(context.folder, QStringLiteral("bluewizard.jpg")));
    image->setAlignment(Qt::AlignCenter);

    auto* title = named(new QLabel(applicationTitle(), this), "Label1");
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    auto* builtOn = named(new QLabel(QStringLiteral("Built with:"), this), "Label2");
    auto* store = named(new QLabel(AboutText::recordManagerCaption(trm_Version()), this), "Label4");
    auto* mail = named(new QLabel(AboutText::mailCaption(), this), "Label6");

    auto* ok = named(new QPushButton(QStringLiteral("&Ok"), this), "cmdOk");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    // Enter presses Ok, as Escape (which closes every task window) does.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, ok, &QPushButton::click);
    }

    auto* text = new QVBoxLayout;
    // Room between the longest line and the window's edge.
    text->setContentsMargins(0, 0, 12, 0);
    text->addWidget(title);
    text->addSpacing(12);
    text->addWidget(builtOn);
    text->addWidget(store);
    text->addWidget(mail);
    text->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    text->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(image);
    layout->addSpacing(16);
    layout->addLayout(text);
    setFocusProxy(ok);
}
