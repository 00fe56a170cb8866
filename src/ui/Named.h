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

// The name a screen reader says for a control: the caption a sighted user
// reads beside it (a frame's title, a label), without its mnemonic marker
// and closing colon.
inline QString spokenCaption(const QString& caption) {
    QString spoken;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        spoken += caption[i];
    }
    spoken = spoken.trimmed();
    if (spoken.endsWith(QLatin1Char(':'))) spoken.chop(1);
    return spoken.trimmed();
}

template <typename T>
T* spoken(T* control, const QString& caption) {
    control->setAccessibleName(spokenCaption(caption));
    return control;
}
