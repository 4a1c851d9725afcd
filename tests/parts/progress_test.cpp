#include "parts/progress.h"
#include "support/qt_print.h"
#include "text/error.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tolvane;

namespace {

// The stages' texts show the whole part of row * 100 / count; row * 100 is worked out
// in 32 bits, so it overflows past 21474836 rows, and a count of 0 is no count.
TEST(Progress, PercentIsTheWholePartAndRaisesOnOverflowAndEmptyCount) {
    EXPECT_EQ(PercentText(2, 3), "66");
    EXPECT_EQ(PercentText(21474836, 21474836), "100");
    EXPECT_THROW(PercentText(21474837, 21474837), Error);
    EXPECT_THROW(PercentText(std::numeric_limits<std::int32_t>::max(), 1), Error);
    EXPECT_THROW(PercentText(1, 0), Error);
}

} // namespace
