#include "ops/convert.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.hpp"
#include "core/times.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using namespace std::string_literals;
using test::Crlf;
using test::ReadFile;

using ConvertOp = RunResult (*)(const std::string&, const std::string&, const ConvertParams&,
                                Host&);
using Messages = std::vector<std::string>;

// Converts `content` from film.txt to film.out in a fresh folder (a conversion does not look at
// the extensions); a ConversionError leaves `result` empty.
struct Conversion {
    Conversion(ConvertOp op, std::string_view content, const ConvertParams& params,
               bool existingOutput = false) {
        test::WriteFile(input, content);
        if (existingOutput) test::WriteFile(output, "old");
        try {
            result = op(input.string(), output.string(), params, host);
        } catch (const ConversionError&) {
        }
    }
    // Every file in the folder: a temporary file left behind shows here.
    [[nodiscard]] long FileCount() const {
        return std::distance(std::filesystem::directory_iterator(dir.path()), {});
    }

    test::TempDir dir;
    std::filesystem::path input = dir / "film.txt";
    std::filesystem::path output = dir / "film.out";
    RecordingHost host;
    std::optional<RunResult> result;
};

std::string Data(std::string_view name) {
    return ReadFile(test::DataDir() / "ops/convert" / name);
}

TEST(Convert, ConvertsTheDataFiles) {
    const Messages kNull{"Null Conv-length-file"};
    const struct {
        ConvertOp op;
        const char* data;
        ConvertParams params;
        const char* expected;
        const char* report;  // the expected film.conv; "" = none may be written
        Messages messages;
    } cases[] = {
        // clang-format off
        {&SubToSrt, "sub_to_srt.sub", {}, "sub_to_srt.expected", "", {}},
        {&SrtToSub, "srt_to_sub.srt", {}, "srt_to_sub.expected", "", {}},
        {&SubTimeToSrt, "subtime.sub", {.subtitleFullLength = 16}, "subtime.expected", "subtime_full16.conv", {}},
        {&SsaToSrt, "ssa.ass", {.subtitleFullLength = 20}, "ssa.expected", "ssa_full20.conv", {}},
        // An empty report keeps the output; only the user hears of it.
        {&SsaToSrt, "ssa.ass", {}, "ssa.expected", "", kNull},
        {&SubTimeToSrt, "subtime.sub", {.interactive = false}, "subtime.expected", "", {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " -> " + c.expected);
        const Conversion run(c.op, Data(c.data), c.params);
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(ReadFile(run.output), Data(c.expected));
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_FALSE(run.host.busy);
        const bool report = *c.report != '\0';
        EXPECT_EQ(run.FileCount(), report ? 3 : 2);
        if (report) {
            EXPECT_EQ(ReadFile(run.dir / "film.conv"), Data(c.report));
        }
    }
}

TEST(Convert, SmallInputsAndRefusals) {
    const std::string kTiming = "00:00:01,000 --> 00:00:02,000";
    const std::string kSrt = Crlf({"1", kTiming, "A", ""});
    const Messages kCheck{"Check the Frames at Second!!!"};
    const Messages kExist{"Output File Exist!!!"};
    constexpr std::optional<RunResult> kDone = RunResult::Done, kRefused = RunResult::Refused;
    constexpr std::optional<RunResult> kConversionError;
    const struct {
        ConvertOp op;
        ConvertParams params;
        std::string input;
        std::optional<RunResult> result;
        std::string expected;  // the output; "old" = an existing output, left alone
        Messages messages;
    } cases[] = {
        // clang-format off
        {&SrtToSub, {.framesPerSecond = "29,970"}, kSrt, kDone, Crlf({"{30}{60}A"})},
        // The first display line follows the frames directly, whatever the brackets.
        {&SrtToSub, {.openBracket = '[', .closeBracket = ']'}, Crlf({"1", kTiming, "A", "B", ""}), kDone, Crlf({"[25][50]A|B"})},
        {&SrtToSub, {}, Crlf({"1", "00:00:01,2 --> 00:00:02,4", "A", ""}), kDone, Crlf({"{30}{60}A"})},
        {&SrtToSub, {.timeCorrection = false}, Crlf({"1", "00:00:01,2 --> 00:00:02,4", "A", ""}), kDone, Crlf({"{25}{50}A"})},
        // A single blank ends the record; a line outside a record is dropped.
        {&SrtToSub, {}, Crlf({"1", kTiming, "A", " ", "B"}), kDone, Crlf({"{25}{50}A", ""})},
        {&SrtToSub, {}, "", kDone, ""},
        {&SubToSrt, {}, "{25}{50}A\0B"s, kDone, Crlf({"1", kTiming, "A\0B"s, ""})},
        {&SubToSrt, {.openBracket = '[', .closeBracket = ']'}, Crlf({"{x}", "[25][50]"}), kDone, Crlf({"{x}", "1", kTiming, "", ""})},
        {&SubToSrt, {}, Crlf({"{y:i}{25}{50}Tagged"}), kConversionError, ""},
        {&SubToSrt, {}, Crlf({"{-25}{50}Before the start"}), kConversionError, ""},
        {&SubToSrt, {.framesPerSecond = ""}, kSrt, kRefused, "", kCheck},
        {&SrtToSub, {.framesPerSecond = "fast"}, kSrt, kRefused, "", kCheck},
        {&SrtToSub, {.framesPerSecond = "-25"}, kSrt, kRefused, "", kCheck},
        {&SrtToSub, {.framesPerSecond = "", .interactive = false}, kSrt, kRefused, "", {}},
        {&SubToSrt, {.framesPerSecond = "0,0"}, kSrt, RunResult::Skipped, "", {}},
        // The existing output is the first refusal, before the rate.
        {&SrtToSub, {.framesPerSecond = ""}, kSrt, kRefused, "old", kExist},
        {&SubTimeToSrt, {}, kSrt, kRefused, "old", kExist},
        {&SsaToSrt, {.interactive = false}, kSrt, kRefused, "old", {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input + " at '" + c.params.framesPerSecond + "'");
        const Conversion run(c.op, c.input, c.params, c.expected == "old");
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.host.messages, c.messages);
        const bool written = c.result == kDone || c.expected == "old";
        EXPECT_EQ(run.FileCount(), written ? 2 : 1);
        if (written) {
            EXPECT_EQ(ReadFile(run.output), c.expected);
        }
    }
}

TEST(Convert, SrtToSubAndBackMovesNoTimeByMoreThanHalfAFrame) {
    std::string srt;
    for (TimeMs i = 1; i <= 300; ++i) {
        srt +=
            Crlf({std::to_string(i), MakeTimingLine(i * 3'217 + i % 41, i * 3'917 + i * 7 % 1000),
                  "Line " + std::to_string(i), "<i>Second</i>", ""});
    }
    const Conversion sub(&SrtToSub, srt, {});
    const Conversion back(&SubToSrt, ReadFile(sub.output), {});
    ASSERT_EQ(back.result, RunResult::Done);
    std::string result = ReadFile(back.output);
    std::erase(result, '\r');
    std::erase(srt, '\r');
    std::istringstream want(srt);
    std::istringstream got(result);
    int timings = 0;
    for (std::string w, g; std::getline(want, w);) {
        ASSERT_TRUE(std::getline(got, g));
        const auto wt = ParseTimingLine(w, true);
        const auto gt = ParseTimingLine(g, true);
        if (!wt) {
            EXPECT_EQ(g, w);  // numbers, text and empty lines come back unchanged
            continue;
        }
        ASSERT_TRUE(gt.has_value()) << g;
        ++timings;
        // A time goes to its nearest frame (40 ms at 25 frames a second) and comes back as that
        // frame's exact time: it moves by half a frame at most.
        EXPECT_LE(std::abs(std::int64_t{gt->on} - wt->on), 20) << g;
        EXPECT_LE(std::abs(std::int64_t{gt->off} - wt->off), 20) << g;
    }
    EXPECT_EQ(timings, 300);
    EXPECT_EQ(got.peek(), EOF);
}

}  // namespace
}  // namespace tessaline
