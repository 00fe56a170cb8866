#pragma once

#include "ui/Prompter.h"

class QWidget;

// The Prompter of the running program: Qt's message, input and file boxes.
class QtPrompter : public Prompter {
public:
    // Without a parent, each box opens over the program's active window.
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& suggestedPath,
                         const QString& filter) override;

private:
    QWidget* owner() const;

    QWidget* parent_;
};
