#include "app/AboutText.h"

#include <gtest/gtest.h>

namespace {

// Fixed numbers, so a fault in the arithmetic cannot hide behind the same arithmetic.
TEST(AboutText, RecordManagerVersionIsHighWordDotLowByte) {
    const std::pair<qint32, const char*> cases[] = {
        {0x00030002, "3.2"},   // bytes 0, 3, 0, 2
        {0x00000007, "0.7"},   // both high bytes zero
        {0x0000002A, "0.42"},  // low byte above nine
        {0x000C0000, "12.0"},
    };
    for (const auto& [version, shown] : cases)
        EXPECT_EQ(AboutText::recordManagerVersion(version).toStdString(), shown) << version;
}

}  // namespace
