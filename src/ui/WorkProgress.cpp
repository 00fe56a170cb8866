#include "ui/WorkProgress.h"

#include <QApplication>

void WorkProgress::start() {
    // A window not yet on screen cannot own a dialog that shows.
    QWidget* owner = owner_ && owner_->isVisible() ? owner_ : QApplication::activeWindow();
    wait_.emplace();
    dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("Stop"), 0, 1000, owner);
    dialog_->setWindowTitle(title_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    fence_ = std::make_unique<InputFence>(dialog_.get(), [this] { dialog_->cancel(); });
}

bool WorkProgress::tell(qint64 done, qint64 total) {
    if (!dialog_) start();
    // The bar counts in thousandths, so that any count fits it; without a
    // total it only shows that work goes on.
    if (total <= 0) {
        dialog_->setRange(0, 0);
    } else {
        dialog_->setRange(0, 1000);
        dialog_->setValue(int(std::min<qint64>(done, total) * 1000 / total));
    }
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}
