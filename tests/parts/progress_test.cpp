#include "support/qt_print.h"
#include "text/error.h"
#include "parts/progress.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tolvane;

namespace {

TEST(Progress, PercentIsTheWholePart) {
    const struct {
        std::int32_t row, count;
        const char* text;
    } cases[] = {{1, 3, "33"},
                 {2, 3, "66"},
                 {3, 3, "100"},
                 {1, 200, "0"},
                 {200, 200, "100"},
                 {1, 1, "100"},
                 {21474836, 21474836, "100"}};
    for (const auto& c : cases)
        EXPECT_EQ(PercentText(c.row, c.count), QString::fromLatin1(c.text));
}

TEST(Progress, PercentRaisesOnOverflowAndEmptyCount) {
    EXPECT_THROW(PercentText(21474837, 21474837), Error);
    EXPECT_THROW(PercentText(std::numeric_limits<std::int32_t>::max(), 1), Error);
    EXPECT_THROW(PercentText(1, 0), Error);
}

TEST(Progress, PartText) {
    EXPECT_EQ(PartProgressText("A", "8-97123-456-0", "เบรก", "NPR", "   "),
              "A-8-97123-456-0 - เบรก   NPR");
    EXPECT_EQ(PartProgressText("", "123", "ไฟหน้า", "", "  "), "123 - ไฟหน้า  ");
}

} // namespace
