#include "records/ClearOmitsWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "records/ClearOmits.h"
#include "store/Session.h"
#include "ui/Named.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlacement.h"

ClearOmitsWindow::ClearOmitsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent) {
    setObjectName(QStringLiteral("frmClearOmits"));
    setWindowTitle(applicationTitle() + QStringLiteral(" - [Remove Omits]"));

    heading_ = named(new QLabel(QStringLiteral("Currently un-checking the checked omits..."), this),
                     "Label1");
    bar_ = spoken(named(new QProgressBar(this), "ProgressBar1"), heading_->text());
    bar_->setTextVisible(false);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    start_ = named(new QLabel(QStringLiteral("0 %"), this), "Label2");
    end_ = named(new QLabel(QStringLiteral("100 %"), this), "Label3");
    done_ = named(new QPushButton(QStringLiteral("Done"), this), "Command1");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 12);
    grid->setVerticalSpacing(8);
    grid->addWidget(heading_, 0, 0, 1, 2);
    grid->addWidget(bar_, 1, 0, 1, 2);
    grid->addWidget(start_, 2, 0, Qt::AlignLeft);
    grid->addWidget(end_, 2, 1, Qt::AlignRight);
    grid->addWidget(done_, 3, 1, Qt::AlignRight);
    // The button keeps its place while hidden, so nothing moves when it shows.
    QSizePolicy kept = done_->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    done_->setSizePolicy(kept);
    setFixedSize(440, sizeHint().height());

    connect(done_, &QPushButton::clicked, this, &ClearOmitsWindow::Command1_Click);
    Form_Load();
}

void ClearOmitsWindow::Form_Load() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        WindowPlacement::place(this, screen->availableGeometry().size());
    }
    done_->hide();
}

void ClearOmitsWindow::showEvent(QShowEvent* event) {
    TaskWindow::showEvent(event);
    if (started_) return;
    started_ = true;
    // Once on screen, so that the bar can be seen moving.
    QTimer::singleShot(0, this, &ClearOmitsWindow::UncheckOmits);
}

void ClearOmitsWindow::UncheckOmits() {
    Session& session = context().session;
    running_ = true;
    done_->hide();
    ClearOmits::Outcome outcome;
    {
        const WaitCursor wait;
        outcome = ClearOmits::run(session.DataHandle, [this](qint64 done, qint64 total) {
            bar_->setRange(0, static_cast<int>(std::max<qint64>(total, 1)));
            bar_->setValue(static_cast<int>(done));
            // Lets the bar be drawn and the program answer between batches.
            QCoreApplication::processEvents();
        });
    }
    // A run that failed stays where it stopped: a full bar would tell of success.
    if (outcome.ok) bar_->setValue(bar_->maximum());
    session.LastResult = outcome.code;
    running_ = false;
    if (!outcome.ok) {
        context().prompter.message(outcome.reason, QStringLiteral("ERROR!"),
                                   Prompter::Icon::Exclamation);
    }
    done_->show();
    done_->setDefault(true);
    done_->setFocus();
}

void ClearOmitsWindow::Command1_Click() {
    close();
}

void ClearOmitsWindow::closeEvent(QCloseEvent* event) {
    // A run is one transaction; leaving it half way is not offered.
    if (running_) {
        event->ignore();
        return;
    }
    TaskWindow::closeEvent(event);
}

void ClearOmitsWindow::keyPressEvent(QKeyEvent* event) {
    // Enter closes the window once the work is done, as the button (and
    // Escape) does.
    const int key = event->key();
    if (!running_ && done_->isVisible() && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        close();
        return;
    }
    TaskWindow::keyPressEvent(event);
}
