#include "ops/renumber.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/times.hpp"
#include "data_run.hpp"

namespace tessaline {
namespace {

using test::DataRun;
using test::ReadFile;
using test::WriteFile;

TEST(OffsetCount, ChangesEveryNumberLine) {
    const struct {
        std::int64_t offset;
        const char* expected;
        RunResult result;
    } cases[] = {
        {10, "offset_count_plus10.expected", RunResult::Done},
        {-1, "offset_count_minus1.expected", RunResult::Done},
        {0, "", RunResult::Skipped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        DataRun run("offset_count.srt");
        run.Run([&](Host& host) {
            return OffsetCount(run.input(), run.output(), {.offset = c.offset}, host);
        });
        EXPECT_EQ(run.result, c.result);
        EXPECT_TRUE(run.host.messages.empty());
        run.ExpectOutput(c.expected);
    }
}

TEST(OffsetCount, OutputEqualToInputLeavesTheInputAlone) {
    DataRun run("offset_count.srt");
    run.Run([&](Host& host) { return OffsetCount(run.input(), run.input(), {.offset = 1}, host); });
    // The input exists, so it is an existing output.
    EXPECT_EQ(run.result, RunResult::Refused);
    EXPECT_EQ(run.host.messages, std::vector<std::string>{"Output File Exist!!!"});
    run.ExpectOutput("");
    EXPECT_EQ(ReadFile(run.path(run.name())), ReadFile(test::DataDir() / "ops/offset_count.srt"));
}

TEST(OffsetReCount, NumbersRecordsFromOne) {
    for (const bool interactive : {true, false}) {
        DataRun run("offset_recount.srt");
        run.Run([&](Host& host) {
            return OffsetReCount(run.input(), run.output(), {.interactive = interactive}, host);
        });
        EXPECT_EQ(run.result, RunResult::Done);
        run.ExpectOutput("offset_recount.expected");
    }
}

TEST(OffsetReCount, ExistingOutputIsReportedOnlyWhenInteractive) {
    for (const bool interactive : {true, false}) {
        SCOPED_TRACE(interactive);
        DataRun run("offset_recount.srt");
        WriteFile(run.output(), "old");
        run.Run([&](Host& host) {
            return OffsetReCount(run.input(), run.output(), {.interactive = interactive}, host);
        });
        EXPECT_EQ(run.result, RunResult::Refused);
        EXPECT_EQ(run.host.messages, interactive ? std::vector<std::string>{"Output File Exist!!!"}
                                                 : std::vector<std::string>{});
        EXPECT_EQ(run.Files(), (std::set<std::string>{run.name(), run.outName()}));
        EXPECT_EQ(ReadFile(run.output()), "old");
    }
}

TEST(OffsetFrame, ShiftsBothFrameNumbersOfSubFiles) {
    const std::optional<RunResult> kConversionError;
    const struct {
        const char* data;
        const char* name;  // the input's name in the folder; "" = the data name
        OffsetFrameParams params;
        const char* expected;
        std::optional<RunResult> result;
    } cases[] = {
        // clang-format off
        {"offset_frame.sub", "", {.offset = 25}, "offset_frame_plus.expected", RunResult::Done},
        {"offset_frame.sub", "", {.offset = 20, .minus = true}, "offset_frame_minus.expected", RunResult::Done},
        {"offset_frame.sub", "film.SUB", {.offset = 25}, "offset_frame_plus.expected", RunResult::Done},
        // The caller says that the file is a MicroDVD file, not its name (the range stretch
        // shifts its film.out).
        {"offset_frame.sub", "film.srt", {.offset = 25}, "offset_frame_plus.expected", RunResult::Done},
        {"offset_frame.sub", "", {.offset = 0}, "", RunResult::Skipped},
        {"offset_frame_style_tag.sub", "", {.offset = 25}, "", kConversionError},
        {"offset_frame_brackets.sub", "", {.offset = 25, .openBracket = '[', .closeBracket = ']'}, "offset_frame_brackets.expected", RunResult::Done},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " as " + c.name + " -> " + c.expected);
        DataRun run(c.data, c.name);
        run.Run([&](Host& host) { return OffsetFrame(run.input(), run.output(), c.params, host); });
        EXPECT_EQ(run.result, c.result);
        EXPECT_TRUE(run.host.messages.empty());
        run.ExpectOutput(c.expected);
    }
}

TEST(Renumber, NumbersAndFramesThatWouldLeaveTheirRangeAreConversionErrors) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const struct {
        const char* data;
        std::function<RunResult(const DataRun&, Host&)> op;
    } cases[] = {
        {"offset_count.srt",
         [&](const DataRun& r, Host& h) {
             return OffsetCount(r.input(), r.output(), {.offset = kMax}, h);
         }},
        {"offset_count_int32_max.srt",
         [&](const DataRun& r, Host& h) {
             return OffsetCount(r.input(), r.output(), {.offset = 1}, h);
         }},
        {"offset_frame_int64_max.sub",
         [&](const DataRun& r, Host& h) {
             return OffsetFrame(r.input(), r.output(), {.offset = 1}, h);
         }},
        {"offset_frame.sub",
         [&](const DataRun& r, Host& h) {
             return OffsetFrame(r.input(), r.output(), {.offset = kMin, .minus = true}, h);
         }},
        {"offset_frame.sub",
         [&](const DataRun& r, Host& h) {
             return OffsetFrame(r.input(), r.output(), {.offset = kMaxFrame + 1}, h);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        DataRun run(c.data);
        run.Run([&](Host& host) { return c.op(run, host); });
        EXPECT_FALSE(run.result.has_value());  // a conversion error ended it
        run.ExpectOutput("");
    }
}

TEST(RenumberParams, DefaultsComeFromTheSettingsTable) {
    const OffsetFrameParams frame;
    EXPECT_EQ(frame.offset, 0);
    EXPECT_FALSE(frame.minus);
    EXPECT_EQ(frame.openBracket, '{');
    EXPECT_EQ(frame.closeBracket, '}');
    EXPECT_EQ(OffsetCountParams{}.offset, 0);
    EXPECT_TRUE(OffsetReCountParams{}.interactive);
}

}  // namespace
}  // namespace tessaline
