#include "cli/TerminalProgress.h"

#include <algorithm>

namespace {

// Redrawn no more often than this: a terminal is slower than the work.
constexpr qint64 kRedrawMs = 100;

}  // namespace

TerminalProgress::TerminalProgress(QIODevice& err, bool isTerminal, const QString& caption)
    : err_(isTerminal ? &err : nullptr), caption_(caption) {
    since_.start();
}

TerminalProgress::~TerminalProgress() {
    // The line is wiped, so that what follows starts on a clean one.
    if (err_ && shown_ >= 0) err_->write("\r\033[K");
}

bool TerminalProgress::operator()(qint64 done, qint64 total) {
    if (!err_) return true;
    const int percent = total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0;
    if (percent == shown_ || (shown_ >= 0 && since_.elapsed() < kRedrawMs && percent < 100))
        return true;
    shown_ = percent;
    since_.restart();
    err_->write(QStringLiteral("\r%1 %2%").arg(caption_).arg(percent).toUtf8());
    return true;
}
