#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>

// A control with its design name, by which tests and the program find it.
template <typename T>
T* named(T* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    return control;
}

// A button with its design name that Enter elsewhere in the window does not press.
inline QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}
