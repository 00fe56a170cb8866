#pragma once

#include <QGroupBox>
#include <QStringList>

#include "records/RandomPick.h"

struct AppContext;
class QListWidget;
class QPushButton;

// "Results From Current Pick:": the result lines of the latest pick made in
// its window, and the buttons that print them, export them and mail them.
// The record window and the public draw window each hold one.
class PickResultsFrame : public QGroupBox {
    Q_OBJECT

public:
    PickResultsFrame(AppContext& context, QWidget* parent);

    QListWidget* list() const { return lbResults_; }
    // In the order Tab takes them: the list, Email, Export, Print.
    QList<QWidget*> tabOrder() const;
    // Tells the user the outcome of a pick made at `stamp`. A pick made
    // becomes the session's latest and its results are listed and usable;
    // false when nothing was picked, the earlier results staying.
    bool takePick(const RandomPick::Outcome& outcome, const RandomPick::Stamp& stamp);

private:
    void cmdPrintResults_Click();
    void cmdExportResults_Click();
    void cmdEmailResults_Click();

    AppContext& context_;
    QListWidget* lbResults_;
    QPushButton* cmdPrintResults_;
    QPushButton* cmdExportResults_;
    QPushButton* cmdEmailResults_;
};
