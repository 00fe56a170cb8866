#include "ui/ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include "ui/AccessibleFactory.h"

ComboBoxAccessible::ComboBoxAccessible(QComboBox* box)
    : QAccessibleWidget(box, QAccessible::ComboBox) {}

void ComboBoxAccessible::install() {
    InstallAccessible<ComboBoxAccessible, QComboBox>();
}

QComboBox* ComboBoxAccessible::box() const {
    return static_cast<QComboBox*>(widget());
}

QString ComboBoxAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) return box()->currentText();
    // Its own name, else its label's; a box with neither says what it holds.
    const QString said = QAccessibleWidget::text(kind);
    return kind == QAccessible::Name && said.isEmpty() ? box()->currentText() : said;
}

QAccessible::State ComboBoxAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = box()->view()->isVisible();
    state.editable = box()->isEditable();
    return state;
}

int ComboBoxAccessible::childCount() const {
    return box()->lineEdit() ? 2 : 1;
}

QAccessibleInterface* ComboBoxAccessible::child(int index) const {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->lineEdit())
        return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
}

int ComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->lineEdit() && child->object() == box()->lineEdit()) return 1;
    return -1;
}

QStringList ComboBoxAccessible::actionNames() const {
    return {showMenuAction(), pressAction()};
}

void ComboBoxAccessible::doAction(const QString& actionName) {
    if (actionName != showMenuAction() && actionName != pressAction()) return;
    if (box()->view()->isVisible())
        box()->hidePopup();
    else
        box()->showPopup();
}

QStringList ComboBoxAccessible::keyBindingsForAction(const QString&) const {
    return {};
}
