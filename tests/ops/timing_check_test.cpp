#include "ops/timing_check.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data_run.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::DataRun;
using test::OpsData;
using test::ReadFile;
using test::WriteFile;
using Messages = std::vector<std::string>;
using Names = std::set<std::string>;

TEST(TimeTest, ReportsEveryKindOfFinding) {
    struct Case {
        const char* what;
        const char* data;
        TimeTestParams params;
        const char* report;  // expected film.time; "" = none
        Messages messages;
        std::string statusBar;
    };
    // clang-format off
    const Case cases[] = {
        {"every finding", "findings.srt", {}, "findings.time", {}, ">> 7 Wrong Subtitles"},
        {"no durations", "findings.srt", {.skipDurations = true}, "findings_no_durations.time", {}, ">> 7 Wrong Subtitles"},
        {"with the neighbours", "area.srt", {.logTimeArea = true}, "area.time", {}, ">> 1 Subtitles < 1,100 !"},
        // 600 ms is long enough at a minimum of 0,600; a minimum is never short itself.
        {"clean", "area.srt", {.minSeconds = 0, .minMilliseconds = 600}, "", {"No Time Erros!"}, ""},
        {"clean in a folder run", "area.srt", {.minSeconds = 0, .minMilliseconds = 600, .interactive = false}, "", {}, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRun run(std::string("time_test/") + c.data, "film.srt");
        run.Run([&](Host& host) { return TimeTest(run.input(), c.params, host); });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(run.host.statusBar, c.statusBar);
        EXPECT_FALSE(run.host.busy);
        if (*c.report == '\0') {
            EXPECT_EQ(run.Files(), Names{"film.srt"});
            continue;
        }
        EXPECT_EQ(run.Files(), (Names{"film.srt", "film.time"}));
        EXPECT_EQ(ReadFile(run.path("film.time")), OpsData(std::string("time_test/") + c.report));
        EXPECT_EQ(run.host.reportKind, "*.time");
    }
}

TEST(TimeTest, AFieldThatDoesNotConvertSavesNothing) {
    DataRun run("time_test/area.srt", "film.srt");
    WriteFile(run.input(), Crlf({"1", "00:00:01,000 --> 00:00:01,100", "", "2",
                                 "00:61:00,000 --> 00:62:00,000", ""}));
    WriteFile(run.path("film.time"), "older report");
    run.Run([&](Host& host) { return TimeTest(run.input(), {}, host); });
    EXPECT_FALSE(run.result.has_value());
    EXPECT_EQ(ReadFile(run.path("film.time")), "older report");
    EXPECT_EQ(run.Files(), (Names{"film.srt", "film.time"}));
}

TEST(FrameTest, ReportsBackwardAndShortFrames) {
    struct Case {
        const char* what;
        FrameTestParams params;
        const char* report;
        Messages messages;
    };
    // clang-format off
    const Case cases[] = {
        // For the open file a negative period is a message; over a folder it is reported.
        {"open file", {.minFrames = 5}, "frames.frame", {"Wrong Frames Period! - Check Frames in Line {70}{65}"}},
        {"folder run", {.minFrames = 5, .interactive = false}, "frames_folder.frame", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRun run("time_test/frames.sub", "film.sub");
        run.Run([&](Host& host) { return FrameTest(run.input(), c.params, host); });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(ReadFile(run.path("film.frame")), OpsData(std::string("time_test/") + c.report));
        EXPECT_EQ(run.host.reportKind, "*.frame");
    }
}

TEST(FrameTest, ACleanFileSaysSo) {
    struct Case {
        const char* what;
        std::string content;
        bool interactive;
        Messages messages;
    };
    // clang-format off
    const Case cases[] = {
        // With the minimum 0 a short range is never reported.
        {"clean", Crlf({"{10}{10}a", "{10}{20}b|c"}), true, {"No Frame Erros!"}},
        {"clean in a folder run", Crlf({"{10}{10}a"}), false, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRun run("time_test/frames.sub", "film.sub");
        WriteFile(run.input(), c.content);
        run.Run([&](Host& host) {
            return FrameTest(run.input(), {.interactive = c.interactive}, host);
        });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(run.Files(), Names{"film.sub"});
    }
}

}  // namespace
}  // namespace tessaline
