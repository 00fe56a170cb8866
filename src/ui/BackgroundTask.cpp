#include "ui/BackgroundTask.h"

#include <QAbstractButton>
#include <QThread>

BackgroundTask::BackgroundTask(QObject* parent) : QObject(parent) {}

BackgroundTask::~BackgroundTask() {
    if (!thread_) return;
    stop_ = true;
    thread_->wait();
    delete thread_;
}

bool BackgroundTask::start(Work work, std::function<void()> done) {
    if (thread_) return false;
    stop_ = false;
    thread_ = QThread::create([this, work = std::move(work)] { work(stop_); });
    connect(thread_, &QThread::finished, this, [this, done = std::move(done)] {
        thread_->deleteLater();
        thread_ = nullptr;
        emit runningChanged(false);
        done();
    });
    thread_->start();
    emit runningChanged(true);
    return true;
}

void BackgroundTask::showOn(QWidget* window, QWidget* start, QAbstractButton* stopButton) {
    const auto show = [=](bool running) {
        window->setCursor(running ? Qt::WaitCursor : Qt::ArrowCursor);
        start->setEnabled(!running);
        stopButton->setVisible(running);
    };
    // Nothing beside the stop button moves when it shows.
    QSizePolicy kept = stopButton->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    stopButton->setSizePolicy(kept);
    connect(this, &BackgroundTask::runningChanged, window, show);
    connect(stopButton, &QAbstractButton::clicked, this, &BackgroundTask::stop);
    show(running());
}
