#pragma once

#include <QDateTime>
#include <QString>

// The time of day, injected so that tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The program's own date text: month-day-year with hyphens, 10 characters.
    QString dateText() const { return now().date().toString(QStringLiteral("MM-dd-yyyy")); }
    // 24-hour hh:mm:ss.
    QString timeText() const { return now().time().toString(QStringLiteral("HH:mm:ss")); }
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(QDateTime at) { at_ = std::move(at); }

private:
    QDateTime at_;
};
