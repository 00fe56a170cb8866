#pragma once

#include <QSize>

class QWidget;

// Task windows open centred across the free space, their top a quarter of the
// way down it.
namespace WindowPlacement {

void place(QWidget* window, const QSize& space);

}  // namespace WindowPlacement
