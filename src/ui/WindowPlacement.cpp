#include "ui/WindowPlacement.h"

#include <QWidget>
#include <algorithm>

namespace WindowPlacement {

void place(QWidget* window, const QSize& space) {
    const QSize size = window->frameGeometry().size();
    const int left = std::max(0, (space.width() - size.width()) / 2);
    const int top = std::max(0, (space.height() - size.height()) / 4);
    window->move(left, top);
}

}  // namespace WindowPlacement
