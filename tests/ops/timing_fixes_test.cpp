#include "ops/timing_fixes.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "data_run.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::DataRun;
using test::ReadFile;
using Names = std::set<std::string>;

std::string Data(std::string_view name) {
    return ReadFile(test::DataDir() / "ops/timing" / name);
}

TEST(FixDoubleTime, DividesTimingsSharedByTwoOrThreeSubtitles) {
    DataRun run("timing/double.srt", "film.srt");
    run.Run([&](Host& host) { return FixDoubleTime(run.input(), run.output(), {}, host); });
    EXPECT_EQ(run.result, RunResult::Done);
    EXPECT_EQ(ReadFile(run.output()), Data("double.expected"));
    EXPECT_EQ(ReadFile(run.path("film.double")), Data("double.report"));
    EXPECT_EQ(run.host.reportKind, "*.double");
}

TEST(FixDoubleTime, WithoutTheTickThePartsMeetAndStrayLinesStay) {
    const auto subtitles = [](std::string_view a, std::string_view b) {
        return Crlf(
            {"1", a, "A", "", "2", b, "B", "", "3", "00:00:20,000 --> 00:00:21,000", "C", ""});
    };
    const struct {
        std::string in, out;
        std::vector<std::string> messages;
    } cases[] = {
        {subtitles("00:00:10,000 --> 00:00:11,000", "00:00:10,000 --> 00:00:11,000"),
         subtitles("00:00:10,000 --> 00:00:10,500", "00:00:10,500 --> 00:00:11,000"),
         {}},
        // Nothing shared: the copy is kept, the user hears of the empty report.
        {subtitles("00:00:10,000 --> 00:00:11,000", "00:00:12,000 --> 00:00:13,000"),
         subtitles("00:00:10,000 --> 00:00:11,000", "00:00:12,000 --> 00:00:13,000"),
         {"Null Double-length-file"}},
        // The last two subtitles share a timing; the lines around the subtitles stay in place.
        {Crlf({"Header", "", "1", "00:00:10,000 --> 00:00:11,000", "A", "", "2",
               "00:00:10,000 --> 00:00:11,000", "B", "", "Trailer"}),
         Crlf({"Header", "", "1", "00:00:10,000 --> 00:00:10,500", "A", "", "2",
               "00:00:10,500 --> 00:00:11,000", "B", "", "Trailer"}),
         {}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::WriteFile(dir / "film.srt", c.in);
        RecordingHost host;
        FixDoubleTime(dir / "film.srt", dir / "film.out", {.oneTick = false}, host);
        EXPECT_EQ(ReadFile(dir / "film.out"), c.out);
        EXPECT_EQ(host.messages, c.messages);
    }
}

TEST(FixWrongTime, MovesOverlappingTimesBetweenTheNeighbours) {
    DataRun run("timing/wrong.srt", "film.srt");
    run.Run([&](Host& host) { return FixWrongTime(run.input(), run.output(), {}, host); });
    EXPECT_EQ(run.result, RunResult::Done);
    EXPECT_EQ(ReadFile(run.output()), Data("wrong.expected"));
    EXPECT_EQ(ReadFile(run.path("film.wrong")), Data("wrong.report"));
}

// Three subtitles: the second is examined between the first and the third.
TEST(FixWrongTime, JoinsASqueezedSubtitleAndNeverTurnsATimingAround) {
    const auto film = [](std::string_view t1, std::string_view t2, std::string_view t3,
                         std::string_view text2 = "two") {
        return Crlf({"1", t1, "one", "", "2", t2, text2, "", "3", t3, "three", ""});
    };
    const std::string t1 = "00:00:01,000 --> 00:00:02,000";
    const std::string t2 = "00:00:01,900 --> 00:00:02,600";
    const std::string marked = "<[-= 00:00:03,000 --> 00:00:04,000 =-]>\r\ntwo";
    const FixWrongTimeParams join{.joinText = true};
    const struct {
        const char* what;
        std::string in;
        FixWrongTimeParams params;
        std::string out, report;
    } cases[] = {
        // clang-format off
        // Moved to 2,001 and cut at 2,400: 399 ms, under the 400 ms threshold.
        {"squeezed below the threshold", film(t1, t2, "00:00:02,401 --> 00:00:04,000"), join,
         Crlf({"1", t1, "one", "two", "", "3", "00:00:02,401 --> 00:00:04,000", "three", ""}),
         "2 = Join this Subtitle with 1"},
        {"squeezed to exactly the threshold", film(t1, t2, "00:00:02,402 --> 00:00:04,000"), join,
         film(t1, "00:00:02,001 --> 00:00:02,401", "00:00:02,402 --> 00:00:04,000"),
         "2 = Correct ON-Time and OFF-Time"},
        {"no joining asked", film(t1, t2, "00:00:02,401 --> 00:00:04,000"), {},
         film(t1, "00:00:02,001 --> 00:00:02,400", "00:00:02,401 --> 00:00:04,000"),
         "2 = Correct ON-Time and OFF-Time"},
        {"forced to the next", film(t1, t2, "00:00:05,000 --> 00:00:06,000"), {.forceExtend = true},
         film(t1, "00:00:02,001 --> 00:00:04,999", "00:00:05,000 --> 00:00:06,000"),
         "2 = Correct ON-Time and Force Correct OFF-Time (extend!)"},
        {"next before this one", film(t1, t2, "00:00:01,500 --> 00:00:04,000"), join,
         film(t1, t2, "00:00:01,500 --> 00:00:04,000"),
         "2 = Time Not Corrected: Subtitles Out of Order!!!"},
        {"next at zero", film(t1, t2, "00:00:00,000 --> 00:00:04,000"), {},
         film(t1, t2, "00:00:00,000 --> 00:00:04,000"),
         "2 = Time Not Corrected: Subtitles Out of Order!!!"},
        {"only marked subtitles: unmarked", film(t1, t2, "00:00:05,000 --> 00:00:06,000"), {.insTime = true},
         film(t1, t2, "00:00:05,000 --> 00:00:06,000"), ""},
        {"only marked subtitles: marked", film(t1, t2, "00:00:05,000 --> 00:00:06,000", marked), {.insTime = true},
         film(t1, "00:00:02,001 --> 00:00:02,701", "00:00:05,000 --> 00:00:06,000", marked),
         "2 = Correct ON-Time"},
        {"the marker line is no text to join", film(t1, t2, "00:00:02,401 --> 00:00:04,000", marked), {.joinText = true, .insTime = true},
         Crlf({"1", t1, "one", "two", "", "3", "00:00:02,401 --> 00:00:04,000", "three", ""}),
         "2 = Join this Subtitle with 1"},
        // Subtitles that exactly touch (an off-time equal to the next on-time) do not overlap.
        {"touching on both sides", film(t1, "00:00:02,000 --> 00:00:03,000", "00:00:03,000 --> 00:00:04,000"), {},
         film(t1, "00:00:02,000 --> 00:00:03,000", "00:00:03,000 --> 00:00:04,000"), ""},
        {"touching, joining asked", film(t1, "00:00:02,000 --> 00:00:02,100", "00:00:02,100 --> 00:00:04,000"), join,
         film(t1, "00:00:02,000 --> 00:00:02,100", "00:00:02,100 --> 00:00:04,000"), ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::WriteFile(dir / "film.srt", c.in);
        RecordingHost host;
        FixWrongTime(dir / "film.srt", dir / "film.out", c.params, host);
        EXPECT_EQ(ReadFile(dir / "film.out"), c.out);
        const bool reported = std::filesystem::exists(dir / "film.wrong");
        EXPECT_EQ(reported ? ReadFile(dir / "film.wrong") : "",
                  c.report.empty() ? "" : Crlf({c.report}));
    }
}

TEST(FixDoubleAndWrongTime, RefuseOtherKindsThanSubRip) {
    for (bool doubled : {true, false}) {
        DataRun run("timing/translation.sub", "film.sub");
        run.Run([&](Host& host) {
            return doubled ? FixDoubleTime(run.input(), run.output(), {}, host)
                           : FixWrongTime(run.input(), run.output(), {}, host);
        });
        EXPECT_EQ(run.result, RunResult::Refused);
        EXPECT_EQ(run.host.messages, std::vector<std::string>{"Not Support File extension: sub"});
        run.ExpectOutput("");
    }
}

}  // namespace
}  // namespace tessaline
