#include <gtest/gtest.h>

#include "records/RandomPick.h"

// Picks are told apart in the history by their stamp: a later pick in the
// same second must not share it, nor may one made while the clock stepped back.
TEST(PickStamp, StaysAfterThePreviousPick) {
    const QDateTime noon(QDate(2026, 12, 6), QTime(12, 0, 0));
    struct Case {
        QDateTime now;
        QString lastDate, lastTime, date, time;
    };
    const Case cases[] = {
        {noon, "", "", "12-06-2026", "12:00:00"},                    // first pick of the run
        {noon, "12-06-2026", "12:00:00", "12-06-2026", "12:00:01"},  // same second
        {noon.addMSecs(700), "12-06-2026", "12:00:00", "12-06-2026", "12:00:01"},  // later in it
        {noon, "12-06-2026", "12:00:01", "12-06-2026", "12:00:02"},  // a third in that second
        {noon.addSecs(43199), "12-06-2026", "23:59:59", "12-07-2026", "00:00:00"},
    };
    for (const Case& c : cases) {
        const RandomPick::Stamp stamp = RandomPick::stampFor(c.now, c.lastDate, c.lastTime);
        EXPECT_EQ(stamp.date, c.date) << qPrintable(c.lastTime);
        EXPECT_EQ(stamp.time, c.time) << qPrintable(c.lastTime);
    }
}
