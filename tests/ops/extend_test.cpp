#include "ops/extend.hpp"

#include <gtest/gtest.h>

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

TEST(ExtendTime, LengthensShortSubtitlesUpToTheirNeighbours) {
    // neighbours.srt: 2 has a second of room before it and ten after; 3 ends 600 ms before 4
    // starts and has a blank line inside its text; 4 starts where 3 may end and overlaps 5; 6
    // starts inside 5 and ends the file.
    struct Case {
        const char* what;
        ExtendTimeParams params;
        const char* expected;
        const char* report;
    };
    // clang-format off
    const Case cases[] = {
        {"up to the minimum", {}, "neighbours_max.expected", "neighbours_max.extend"},
        {"by the steps", {.maxExtend = false}, "neighbours_steps.expected", "neighbours_steps.extend"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRun run("extend/neighbours.srt", "film.srt");
        run.Run([&](Host& host) { return ExtendTime(run.input(), run.output(), c.params, host); });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_TRUE(run.host.messages.empty());
        EXPECT_EQ(run.Files(), (Names{"film.srt", "film.out", "film.extend"}));
        EXPECT_EQ(ReadFile(run.output()), OpsData(std::string("extend/") + c.expected));
        EXPECT_EQ(ReadFile(run.path("film.extend")), OpsData(std::string("extend/") + c.report));
        EXPECT_EQ(run.host.reportKind, "*.extend");
    }
}

TEST(ExtendTime, SmallFiles) {
    const std::string shortFirst = Crlf({"1", "00:00:01,000 --> 00:00:01,500", "a", "", "2",
                                         "00:00:05,000 --> 00:00:08,000", "b", ""});
    struct Case {
        const char* what;
        std::string input;
        ExtendTimeParams params;
        std::string output;  // "" = none
        std::string report;  // "" = none
        Messages messages;
    };
    // clang-format off
    const Case cases[] = {
        {"the first subtitle, kept", shortFirst, {.keepFirst = true}, "", "", {"No Extend Timings!"}},
        {"the first subtitle", shortFirst, {},
         Crlf({"1", "00:00:00,800 --> 00:00:02,200", "a", "", "2", "00:00:05,000 --> 00:00:08,000", "b", ""}),
         Crlf({"1 = Extended ON-Time to On-Delta-Time: 200", "1 = Extended Delta Time on 1400 Mls"}), {}},
        // Its number is the next subtitle's: a text line of digits after a blank line stays.
        {"a subtitle without an empty line at the end",
         Crlf({"1", "00:00:05,000 --> 00:00:05,100", "a"}), {.maxExtend = false},
         Crlf({"1", "00:00:04,800 --> 00:00:05,300", "a"}),
         Crlf({"1 = Extended ON-Time to On-Delta-Time: 200", "1 = Extended OFF-Time to Off-Delta-Time: 200"}), {}},
        // The line that does not convert is said and written as it stands; the subtitle before
        // it keeps its off-time.
        {"a time that does not convert",
         Crlf({"1", "00:00:05,000 --> 00:00:05,100", "a", "", "2", "00:61:00,000 --> 00:62:00,000", "b", "", "3",
               "00:10:00,000 --> 00:10:05,000", "c", ""}), {},
         Crlf({"1", "00:00:04,800 --> 00:00:05,100", "a", "", "2", "00:61:00,000 --> 00:62:00,000", "b", "", "3",
               "00:10:00,000 --> 00:10:05,000", "c", ""}),
         Crlf({"1 = Extended ON-Time to On-Delta-Time: 200"}), {"Error on Line 2"}},
        {"no step", shortFirst, {.deltaOn = 0, .deltaOff = 0}, "", "", {}},
        {"nothing short in a folder run", shortFirst, {.minSeconds = 0, .minMilliseconds = 500, .interactive = false}, "", "", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataRun run("extend/neighbours.srt", "film.srt");
        WriteFile(run.input(), c.input);
        run.Run([&](Host& host) { return ExtendTime(run.input(), run.output(), c.params, host); });
        EXPECT_EQ(run.host.messages, c.messages);
        Names names{"film.srt"};
        if (!c.output.empty()) names.insert("film.out");
        if (!c.report.empty()) names.insert("film.extend");
        EXPECT_EQ(run.Files(), names);
        if (!c.output.empty() && std::filesystem::exists(run.output())) {
            EXPECT_EQ(ReadFile(run.output()), c.output);
        }
        if (!c.report.empty() && std::filesystem::exists(run.path("film.extend"))) {
            EXPECT_EQ(ReadFile(run.path("film.extend")), c.report);
        }
    }
}

TEST(ExtendTime, SixtySecondsAreNoTime) {
    DataRun run("extend/neighbours.srt", "film.srt");
    run.Run([&](Host& host) {
        return ExtendTime(run.input(), run.output(), {.minSeconds = 60}, host);
    });
    EXPECT_FALSE(run.result.has_value());
    EXPECT_EQ(run.Files(), Names{"film.srt"});
}

}  // namespace
}  // namespace tessaline
