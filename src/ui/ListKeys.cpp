#include "ui/ListKeys.h"

#include <QKeyEvent>
#include <QListWidget>

ListKeys::ListKeys(QListWidget* list, QList<int> keys, Action act)
    : QObject(list), list_(list), keys_(std::move(keys)), act_(std::move(act)) {
    list->installEventFilter(this);
}

void ListKeys::Install(QListWidget* list, QList<int> keys, Action act) {
    new ListKeys(list, std::move(keys), std::move(act));
}

bool ListKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        keys_.contains(static_cast<QKeyEvent*>(event)->key())) {
        act_(list_->currentItem());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
