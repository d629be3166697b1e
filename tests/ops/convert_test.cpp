#include "ops/convert.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

// The hand-made files of the dialects folder: styles both ways, SubStation's leading override
// blocks and negative times, text lines that begin with blanks. The report says what did not
// carry over.
TEST(Convert, CarriesStylesAndKeepsTextOfTheDialectFiles) {
    const auto dialect = [](std::string_view name) {
        return ReadFile(test::DataDir() / "dialects" / name);
    };
    const struct {
        ConvertOp op;
        const char* data;
        const char* expected;
        const char* report;  // the expected film.conv; "" = none may be written
    } cases[] = {
        // clang-format off
        {&SubToSrt, "microdvd_styles.sub", "microdvd_styles.expected", "microdvd_styles.conv"},
        {&SrtToSub, "subrip_styles.srt", "subrip_styles.expected", "subrip_styles.conv"},
        {&SsaToSrt, "substation_styles.ass", "substation_styles.expected", "substation_styles.conv"},
        {&SrtToSub, "leading_spaces.srt", "leading_spaces.expected", ""},
        {&SubTimeToSrt, "subviewer2.sub", "subviewer2.expected", ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const Conversion run(c.op, dialect(c.data), {});
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(ReadFile(run.output), dialect(c.expected));
        const bool report = *c.report != '\0';
        EXPECT_EQ(run.FileCount(), report ? 3 : 2);
        if (report) {
            EXPECT_EQ(ReadFile(run.dir / "film.conv"), dialect(c.report));
        }
        // Whatever the report, the MicroDVD conversions show no message of their own.
        if (c.op == &SubToSrt || c.op == &SrtToSub) {
            EXPECT_EQ(run.host.messages, Messages{});
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

TEST(SsaTextToSubRip, CarriesBoldItalicsAndUnderlineAsNestedPairs) {
    const struct {
        std::string_view text;
        LineList lines;
    } cases[] = {
        {"Hello {\\i1}world{\\i0}", {"Hello <i>world</i>"}},
        {"a{\\b1}b{\\b0}c{\\u1}d{\\u0}", {"a<b>b</b>c<u>d</u>"}},
        {"open {\\b1}bold", {"open <b>bold</b>"}},  // closed at the end
        {"{\\b1}a{\\i1}b{\\b0}c{\\i0}",
         {"<b>a<i>b</i></b><i>c</i>"}},  // a leading block counts too
        {"x{\\b1}a{\\i1}b{\\b0}c{\\i0}", {"x<b>a<i>b</i></b><i>c</i>"}},  // crossing pairs nest
        {"x{\\b1\\i1\\fs20}both{\\r}plain", {"x<b><i>both</i></b>plain"}},
        {"x{\\b700}heavy{\\b400}normal", {"x<b>heavy</b>normal"}},
        {"x{\\I1}upper{\\I0}", {"x<i>upper</i>"}},
        {"a{\\i1} {\\i0}b", {"a b"}},  // a switch around a blank writes no tags
        {"a{\\i0}b{\\b0}", {"ab"}},    // switching off what is not on
        {"x{\\blur3\\bord2\\be1\\iclip(1,2,3,4)}y", {"xy"}},
        {"{\\an8}Up\\NDown\\n\\nEnd", {"Up", "Down", "End"}},
        {"x{\\i1}one\\Ntwo{\\i0}", {"x<i>one", "two</i>"}},
        {"x{\\i1}one\\N{\\i0}", {"x<i>one</i>"}},  // the close goes to the line it belongs to
        {"Top{\\alpha&HFF&}Bottom", {"Top", "Bottom"}},
        {"{\\i1}One{\\i0} and {\\i1}two{\\i0}", {"<i>One</i> and <i>two</i>"}},
        {"{\\i1}Whole{\\i0}", {"<i>Whole</i>"}},
        {"{\\u1\\an8}Under", {"<u>Under</u>"}},
        // The primary colour, blue-green-red, leading zeros left out or not; \c alone ends it.
        {"{\\c&H0000FF&}red{\\c}plain", {"<font color=\"#FF0000\">red</font>plain"}},
        {"x{\\1c&HFF&}red", {"x<font color=\"#FF0000\">red</font>"}},
        {"{\\1C&Hff8000&}blue", {"<font color=\"#0080ff\">blue</font>"}},
        {"{\\c&H00FF00&\\i1}g{\\c&HFF0000&}b",
         {"<font color=\"#00FF00\"><i>g</i></font><i><font color=\"#0000FF\">b</font></i>"}},
        {"x{\\3c&H0000FF&\\2c&HFF&\\clip(1,2,3,4)}y", {"xy"}},  // other colours, not \c
        {"{\\c&HZZ&}x{\\c&H1234567&}y", {"xy"}},                // no colour
        // Display lines lose their leading blanks; a blank text stays one blank line.
        {"{\\i1}  lead\\N  second", {"<i>lead", "second</i>"}},
        {"{comment}text", {"text"}},           // any leading block goes
        {"a {comment} b", {"a {comment} b"}},  // a brace without a backslash is text
        {"unclosed {\\i1 block", {"unclosed {\\i1 block"}},
        {"", {""}},
        {"{\\i1}", {""}},
        {" ", {" "}},     // a text without a break stays one line
        {"\\N \\N", {}},  // blank pieces between breaks are left out
        {"x{\\i1}\\N\\Ny", {"x", "<i>y</i>"}},
    };
    for (const auto& c : cases) {
        LineList lines = {"stale"};
        SsaTextToSubRip(c.text, lines);
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

TEST(SsaTextToSubRip, TakesTimeInProportionToTheText) {
    // Erasing override blocks one by one in place took 0.2 s for 100,000 and 4.4 s for 400,000
    // blocks, 17 s for 800,000. Four times the blocks must take about four times as long, not
    // sixteen; the best of three runs of each keeps a busy machine's pauses out.
    const auto seconds = [](int blocks) {
        std::string text;
        for (int i = 0; i < blocks; ++i)
            text += "{\\b}x";
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            LineList lines;
            const auto start = std::chrono::steady_clock::now();
            SsaTextToSubRip(text, lines);
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            EXPECT_EQ(lines, LineList{std::string(static_cast<std::size_t>(blocks), 'x')});
        }
        return best;
    };
    const double small = seconds(100'000);
    const double large = seconds(400'000);
    EXPECT_LT(large, 8 * small + 0.05) << small << " s, then " << large << " s";
}

}  // namespace
}  // namespace tessaline
