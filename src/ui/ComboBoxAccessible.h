#pragma once

#include <QAccessibleWidget>

class QComboBox;

// A box with a list, as a screen reader finds it, named by its caption (its
// accessible name, else its label's text) rather than by the value it holds,
// which is what Qt names it by on Linux: a user told "Equal, combo box" does
// not know what is asked. Its value is the text it holds; its children are
// its list and, when one can type into it, its text box.
class ComboBoxAccessible : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* box);

    // Makes every box speak through this class.
    static void install();

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QComboBox* box() const;
};
