#pragma once

#include <QAccessible>
#include <QLatin1String>

// Has Qt describe every `Widget` (the class itself, not those derived from
// it) to screen readers through `Interface`; installed once a program.
template <typename Interface, typename Widget>
QAccessibleInterface* AccessibleFor(const QString& className, QObject* object) {
    auto* widget = qobject_cast<Widget*>(object);
    return widget && className == QLatin1String(Widget::staticMetaObject.className())
               ? new Interface(widget)
               : nullptr;
}

template <typename Interface, typename Widget>
void InstallAccessible() {
    static const bool installed = (QAccessible::installFactory(&AccessibleFor<Interface, Widget>), true);
    Q_UNUSED(installed);
}
