#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QListWidget;
class QListWidgetItem;

// The keyboard's way to do what a click on a list's entry does: pressing one
// of `keys` on the list hands its current item (null when there is none) to
// `act`. Owned by the list.
class ListKeys : public QObject {
    Q_OBJECT

public:
    using Action = std::function<void(QListWidgetItem* current)>;

    static void Install(QListWidget* list, QList<int> keys, Action act);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ListKeys(QListWidget* list, QList<int> keys, Action act);

    QListWidget* list_;
    QList<int> keys_;
    Action act_;
};
