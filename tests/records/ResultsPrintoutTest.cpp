#include <gtest/gtest.h>

#include "records/ResultsPrintout.h"

namespace {

TEST(ResultsPrintout, HeadingSpaceLineResultsAndClosingEmptyLine) {
    const QStringList results{QStringLiteral("Ann,Lee,,,,,,,,,,\r\n======"),
                              QStringLiteral("  Bob,Day,,,,,,,,,,\r\n======  ")};
    const QStringList expected{QStringLiteral("RESULTS FROM 07-04-2004 AT 14:05:09"),
                               QStringLiteral(" "), QStringLiteral("Ann,Lee,,,,,,,,,,\r\n======"),
                               QStringLiteral("Bob,Day,,,,,,,,,,\r\n======"), QString()};
    EXPECT_EQ(
        ResultsPrintout::lines(QStringLiteral("07-04-2004"), QStringLiteral("14:05:09"), results),
        expected);
}

TEST(ResultsPrintout, NoResultsStillGivesTheFrame) {
    const QStringList lines =
        ResultsPrintout::lines(QStringLiteral("01-02-2003"), QStringLiteral("00:00:01"), {});
    EXPECT_EQ(lines, (QStringList{QStringLiteral("RESULTS FROM 01-02-2003 AT 00:00:01"),
                                  QStringLiteral(" "), QString()}));
}

}  // namespace
