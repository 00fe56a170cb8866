#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>

class QAbstractButton;
class QThread;
class QWidget;

// Work that would hold the window (a network transfer) on a thread of its own,
// one piece at a time. The window keeps painting meanwhile and may stop the
// work or close; going away stops the work and waits for it.
class BackgroundTask : public QObject {
    Q_OBJECT

public:
    using Work = std::function<void(const std::atomic<bool>& stop)>;

    explicit BackgroundTask(QObject* parent = nullptr);
    ~BackgroundTask() override;

    bool running() const { return thread_ != nullptr; }
    // Runs `work` on its own thread, then `done` on this object's thread.
    // Refused (false) while earlier work still runs.
    bool start(Work work, std::function<void()> done);
    // Asks the running work to end early; `done` still follows.
    void stop() { stop_ = true; }
    // While work runs: the wait cursor over `window`, `start` disabled and
    // `stopButton` shown, which stops the work when clicked.
    void showOn(QWidget* window, QWidget* start, QAbstractButton* stopButton);

signals:
    void runningChanged(bool running);

private:
    QThread* thread_ = nullptr;
    std::atomic<bool> stop_{false};
};
