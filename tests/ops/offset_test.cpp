#include "ops/offset.hpp"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data_run.hpp"

namespace tessaline {
namespace {

using test::DataRun;

constexpr TimeMs kMinute = 60'000;
constexpr std::optional<RunResult> kDone = RunResult::Done;
constexpr std::optional<RunResult> kStopped = RunResult::Stopped;
constexpr std::optional<RunResult> kConversionError;  // no result: a ConversionError ended it
constexpr std::optional<StatusState> kIdle = StatusState::Idle;
constexpr std::optional<StatusState> kRed = StatusState::Error;
constexpr std::optional<StatusState> kUntouched;  // the run stopped before it began

// The status fields an operation touched, with the state each ended in; an operation that
// stopped before running touches none.
std::map<StatusField, StatusState> Touched(StatusField field, std::optional<StatusState> state) {
    if (!state) return {};
    return {{field, *state}};
}

struct TimeCase {
    const char* data;  // input under tests/data/ops
    OffsetTimeParams params;
    const char* expected;             // expected output; "" = nothing may be created
    std::optional<RunResult> result;  // empty: a ConversionError ends the run
    std::optional<StatusState> status;
};

TEST(OffsetTime, RewritesTheDataFiles) {
    // clang-format off
    const TimeCase cases[] = {
        // 00:01:59,500 later: all four timing-line kinds, a tail, lines with "-->" that are text.
        {"offset_time_plus.srt", {.offset = 2 * kMinute - 500}, "offset_time_plus.expected", kDone, kIdle},
        {"offset_time_short_ms.srt", {.offset = 1000}, "offset_time_short_ms_padded.expected", kDone, kIdle},
        {"offset_time_short_ms.srt", {.offset = 1000, .timeCorrection = false}, "offset_time_short_ms_unpadded.expected", kDone, kIdle},
        {"offset_time_minus_to_zero.srt", {.offset = 1500, .minus = true}, "offset_time_minus_to_zero.expected", kDone, kIdle},
        {"offset_time_minus_refused.srt", {.offset = 3000, .minus = true}, "offset_time_minus_refused.expected", kStopped, kRed},
        {"offset_time_minus_off_below_zero.srt", {.offset = 3000, .minus = true}, "offset_time_minus_off_below_zero.expected", kStopped, kRed},
        {"offset_time_past_midnight.srt", {.offset = 1000}, "", kConversionError, kRed},
        // A millisecond field near 2^32 read without padding: shifted, it must not wrap.
        {"offset_time_ms_wraps.srt", {.offset = 1000, .timeCorrection = false}, "", kConversionError, kRed},
        {"offset_time_lf_only.srt", {.offset = 1000}, "offset_time_lf_only.expected", kDone, kIdle},
        {"offset_time_no_final_blank.srt", {.offset = 1000}, "offset_time_no_final_blank.expected", kDone, kIdle},
        {"offset_time_plus.srt", {.offset = 0}, "", RunResult::Skipped, kUntouched},
    };
    // clang-format on
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " -> " + c.expected);
        DataRun run(c.data);
        run.Run([&](Host& host) { return OffsetTime(run.input(), run.output(), c.params, host); });
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.host.status, Touched(StatusField::OffsetTime, c.status));
        if (c.status) {
            EXPECT_EQ(run.host.statusHistory.front(), StatusState::Running);
        }
        EXPECT_TRUE(run.host.messages.empty());
        run.ExpectOutput(c.expected);
    }
}

// The red field says where and why the run stopped.
TEST(OffsetTime, ARefusalNamesTheTimingLine) {
    DataRun run("offset_time_minus_refused.srt");
    run.Run([&](Host& host) {
        return OffsetTime(run.input(), run.output(), {.offset = 3000, .minus = true}, host);
    });
    EXPECT_EQ(run.host.statusReason[StatusField::OffsetTime],
              "Stopped at \"00:00:02,999 --> 00:00:04,000\": the offset is larger than this time, "
              "and no time can go below 00:00:00,000. The lines before it are in the output.");
}

struct TailCase {
    const char* data;
    OffsetTailParams params;
    const char* expected;
    std::optional<RunResult> result;
    std::optional<StatusState> status;
    std::vector<std::string> messages;
};

TEST(OffsetTail, ShiftsOnlySubtitlesStartingInsideTheWindow) {
    constexpr TimeMs kBegin = 10 * kMinute;
    constexpr TimeMs kEnd = 20 * kMinute;
    // clang-format off
    const TailCase cases[] = {
        {"offset_tail_window.srt", {.offset = 5000, .begin = kBegin, .end = kEnd}, "offset_tail_window.expected", kDone, kIdle, {}},
        // Only subtitles inside the window are refused in minus mode.
        {"offset_tail_minus.srt", {.offset = kBegin + 500, .minus = true, .begin = kBegin, .end = kEnd}, "offset_tail_minus.expected", kStopped, kRed, {}},
        // An empty window is accepted: every line is copied as read.
        {"offset_tail_window.srt", {.offset = 5000, .begin = kBegin, .end = kBegin}, "offset_tail_window.srt", kDone, kIdle, {}},
        {"offset_tail_window.srt", {.offset = 5000, .begin = kEnd, .end = kBegin}, "", RunResult::Refused, kUntouched,
         {"Begin Time more then End Time!\r\nPlease Correct Time parameters!"}},
        {"offset_tail_window.srt", {.offset = 0, .begin = kBegin, .end = kEnd}, "", RunResult::Skipped, kUntouched, {}},
    };
    // clang-format on
    for (const TailCase& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " -> " + c.expected);
        DataRun run(c.data);
        run.Run([&](Host& host) { return OffsetTail(run.input(), run.output(), c.params, host); });
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.host.status, Touched(StatusField::OffsetTail, c.status));
        EXPECT_EQ(run.host.messages, c.messages);
        run.ExpectOutput(c.expected);
    }
}

TEST(OffsetParams, DefaultsComeFromTheSettingsTable) {
    EXPECT_EQ(DefaultText("TimeCorrection"), "1");
    EXPECT_EQ(DefaultText("OpenBrackets"), "{");
    EXPECT_EQ(DefaultText("CloseBrackets"), "}");

    const OffsetTimeParams time;
    EXPECT_EQ(time.offset, 0u);
    EXPECT_FALSE(time.minus);
    EXPECT_TRUE(time.timeCorrection);
    const OffsetTailParams tail;
    EXPECT_EQ(tail.offset, 0u);
    EXPECT_FALSE(tail.minus);
    EXPECT_EQ(tail.begin, 0u);
    EXPECT_EQ(tail.end, 0u);
    EXPECT_TRUE(tail.timeCorrection);
}

}  // namespace
}  // namespace tessaline
