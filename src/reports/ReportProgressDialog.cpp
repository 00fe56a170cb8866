#include "reports/ReportProgressDialog.h"

#include <QApplication>

namespace {

// A window not yet on screen cannot own a dialog that shows.
QWidget* shownOwner(QWidget* owner) {
    return owner && owner->isVisible() ? owner : QApplication::activeWindow();
}

}  // namespace

ReportProgressDialog::ReportProgressDialog(QWidget* owner, const QString& title,
                                           const QString& label)
    : dialog_(label, QStringLiteral("Stop"), 0, 1, shownOwner(owner)) {
    dialog_.setWindowTitle(title);
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setValue(0);
}

bool ReportProgressDialog::tell(qint64 done, qint64 total) {
    // The bar counts in thousandths, so that any count fits it.
    dialog_.setMaximum(1000);
    dialog_.setValue(total > 0 ? int(std::min<qint64>(done, total) * 1000 / total) : 0);
    QCoreApplication::processEvents();
    return !dialog_.wasCanceled();
}
