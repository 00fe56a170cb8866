#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "records/RandomSource.h"

namespace {

// Pearson's statistic of observed counts against equal expectations.
double chiSquare(const std::vector<int>& counts) {
    double total = 0;
    for (int c : counts) total += c;
    const double expected = total / static_cast<double>(counts.size());
    double sum = 0;
    for (int c : counts) sum += (c - expected) * (c - expected) / expected;
    return sum;
}

std::vector<double> firstValues(RandomSource& source, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(source.next());
    return values;
}

TEST(RandomSource, FixedSourceReplaysItsValuesThenRepeatsItsSeed) {
    FixedRandomSource aimed(7, {0.25, 0.5});
    FixedRandomSource plain(7);
    EXPECT_EQ(aimed.next(), 0.25);
    EXPECT_EQ(aimed.next(), 0.5);
    EXPECT_EQ(firstValues(aimed, 5), firstValues(plain, 5));

    FixedRandomSource other(8);
    FixedRandomSource same(7);
    EXPECT_NE(firstValues(other, 5), firstValues(same, 5));
}

TEST(RandomSource, ValuesStayInsideTheUnitInterval) {
    FixedRandomSource source(1);
    for (int i = 0; i < 100000; ++i) {
        const double u = source.next();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

TEST(RandomSource, WholeNumbersCoverTheirRangeAndNoMore) {
    struct Case {
        double value;
        std::int64_t bound;
        std::int64_t expected;
    };
    const double justBelowOne = std::nextafter(1.0, 0.0);
    for (const Case& c :
         {Case{0.0, 5, 0}, Case{0.2, 5, 1}, Case{0.999, 5, 4}, Case{justBelowOne, 5, 4},
          Case{justBelowOne, 2147483647, 2147483646}, Case{justBelowOne, 1, 0}, Case{0.5, 1, 0}}) {
        FixedRandomSource source(0, {c.value});
        EXPECT_EQ(source.below(c.bound), c.expected) << c.value << " below " << c.bound;
    }
}

TEST(RandomSource, WholeNumbersAreUniform) {
    // 99.9% point of chi-square with 6 and with 9 degrees of freedom.
    struct Case {
        std::int64_t bound;
        double critical;
    };
    for (const Case& c : {Case{7, 22.46}, Case{10, 27.88}}) {
        FixedRandomSource source(20240704);
        std::vector<int> counts(static_cast<std::size_t>(c.bound), 0);
        for (int i = 0; i < 70000; ++i) ++counts[static_cast<std::size_t>(source.below(c.bound))];
        EXPECT_LT(chiSquare(counts), c.critical) << "bound " << c.bound;
    }
}

TEST(RandomSource, TwoSystemSourcesMadeTogetherDiffer) {
    SystemRandomSource first;
    SystemRandomSource second;
    EXPECT_NE(firstValues(first, 4), firstValues(second, 4));
    auto made = SystemRandomSource::create();
    ASSERT_NE(made, nullptr);
    const double u = made->next();
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
}

}  // namespace
