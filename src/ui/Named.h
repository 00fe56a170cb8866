#pragma once

#include <QObject>

// A control with its design name, by which tests and the program find it.
template <typename T>
T* named(T* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    return control;
}
