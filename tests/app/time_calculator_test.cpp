#include "app/time_calculator.hpp"

#include <gtest/gtest.h>

#include "core/times.hpp"

namespace tessaline {
namespace {

TEST(TimeCalculator, BreaksARangeIntoParts) {
    struct Case {
        const char* line;
        int parts;
        bool oneTick;
        std::array<const char*, 3> ranges;
        std::array<const char*, 3> durations;
        const char* source;
    };
    // clang-format off
    const Case cases[] = {
        {"00:00:10,000 --> 00:00:13,000", 3, true,
         {"00:00:10,000 --> 00:00:11,000", "00:00:11,001 --> 00:00:12,001",
          "00:00:12,002 --> 00:00:13,000"},
         {"00:00:01,000", "00:00:01,000", "00:00:00,998"}, "00:00:03,000"},
        {"00:00:10,000 --> 00:00:13,000", 2, false,
         {"00:00:10,000 --> 00:00:11,500", "00:00:11,500 --> 00:00:13,000", ""},
         {"00:00:01,500", "00:00:01,500", ""}, "00:00:03,000"},
        {"{100}{200}Hi", 2, true, {"{100}{150}", "{151}{200}", ""}, {"50", "49", ""}, "100"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto broken = BreakRange(c.line, c.parts, {.oneTickApart = c.oneTick});
        ASSERT_TRUE(broken) << c.line;
        EXPECT_EQ(broken->sourceDuration, c.source) << c.line;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(broken->ranges[i], c.ranges[i]) << c.line << " row " << i;
            EXPECT_EQ(broken->durations[i], c.durations[i]) << c.line << " row " << i;
        }
    }
    EXPECT_FALSE(BreakRange("just text", 2, {}));
    EXPECT_EQ(RangeDuration("00:00:05,000 --> 00:00:04,000", {}), "Wrong Time Period!");
    EXPECT_EQ(SetOffTimeByDuration("00:01:00,000 --> 00:01:01,000", "00:00:02,000"),
              "00:01:00,000 --> 00:01:02,000");
}

}  // namespace
}  // namespace tessaline
