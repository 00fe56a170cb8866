#pragma once

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <utility>

// While it lives, the user reaches only the widgets inside `open` (a progress
// frame and its Stop button): long work that keeps the event loop turning
// stays safe from clicks, keys and close requests anywhere else, while every
// window goes on painting. Escape, wherever it is pressed, calls `escape`.
class InputFence : public QObject {
public:
    InputFence(QWidget* open, std::function<void()> escape)
        : open_(open), escape_(std::move(escape)) {
        qApp->installEventFilter(this);
    }
    ~InputFence() override { qApp->removeEventFilter(this); }
    InputFence(const InputFence&) = delete;
    InputFence& operator=(const InputFence&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!fenced(event->type())) return false;
        // What the user does reaches a window first and then the widget under
        // the mouse or with the focus; it is judged there, or a click on Stop
        // would be turned away at the window.
        if (qobject_cast<QWindow*>(target)) return false;
        auto* widget = qobject_cast<QWidget*>(target);
        // A box that opens meanwhile (another window's result) must be
        // answerable, also when the fenced window comes on screen after it
        // and so is the latest modal one.
        if (widget && widget->window() != open_ && widget->window()->isModal()) return false;
        const bool inside = widget && (widget == open_ || open_->isAncestorOf(widget));
        const bool escape = (event->type() == QEvent::KeyPress ||
                             event->type() == QEvent::ShortcutOverride) &&
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (escape && event->type() == QEvent::ShortcutOverride) {
            // Claimed, so that no window's Escape shortcut takes the key first.
            event->accept();
            return true;
        }
        if (escape) {
            escape_();
            return true;
        }
        if (event->type() == QEvent::Close) {
            event->ignore();  // a close let through unanswered would go ahead
            return true;
        }
        return !inside;
    }

private:
    static bool fenced(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::Close:
            case QEvent::ContextMenu:
            case QEvent::Drop:
            case QEvent::TouchBegin:
            case QEvent::InputMethod:
                return true;
            default:
                return false;
        }
    }

    QWidget* open_;
    std::function<void()> escape_;
};
