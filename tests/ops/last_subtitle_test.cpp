#include "ops/last_subtitle.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data_run.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::DataRun;
using test::ReadFile;
using test::W;

// Runs `op` on `content` saved as film.<ext> in a fresh folder; returns film.out ("(none)"
// when none was written).
struct OneRun {
    template <typename Op>
    OneRun(std::string_view ext, std::string_view content, Op op)
        : input(dir / ("film." + std::string(ext))) {
        test::WriteFile(input, content);
        result = op(input.string(), output.string(), host);
    }
    [[nodiscard]] std::string Out() const {
        return std::filesystem::exists(output) ? ReadFile(output) : "(none)";
    }
    [[nodiscard]] std::string Report() const {
        const auto wrong = dir / "film.wrong";
        return std::filesystem::exists(wrong) ? ReadFile(wrong) : "";
    }

    test::TempDir dir;
    std::filesystem::path input;
    std::filesystem::path output = dir / "film.out";
    RecordingHost host;
    RunResult result = RunResult::Skipped;
};

TEST(AddLastSubtitle, AppendsAfterTheLastSubtitleAndAgainAfterARename) {
    DataRun run("timing/add_last.srt", "film.srt");
    const AddLastSubtitleParams params{.text = W("Конец фильма\nThe End\n")};
    run.Run([&](Host& host) { return AddLastSubtitle(run.input(), run.output(), params, host); });
    EXPECT_EQ(run.result, RunResult::Done);
    run.ExpectOutput("timing/add_last.expected");

    // The added record ends with its empty line: a second addition starts a record of its own.
    std::filesystem::rename(run.output(), run.input());
    run.Run([&](Host& host) {
        return AddLastSubtitle(run.input(), run.output(), {.text = "Again"}, host);
    });
    EXPECT_EQ(ReadFile(run.output()),
              ReadFile(test::DataDir() / "ops/timing/add_last.expected") +
                  Crlf({"14", "00:10:23,500 --> 00:10:24,500", "Again", ""}));
}

TEST(AddLastSubtitle, TakesTheFramesOfTheLastLineOrStartsAnEmptyFile) {
    const struct {
        const char* ext;
        std::string in, text, out;
    } cases[] = {
        {"sub", Crlf({"{100}{150}a", "{200}{260}b", ""}), "x\r\ny",
         Crlf({"{100}{150}a", "{200}{260}b", "", "{200}{260}x|y"})},
        {"srt", "", "x", Crlf({"1", "00:00:10,000 --> 00:00:11,000", "x", ""})},
        {"srt", Crlf({"1", "23:59:55,000 --> 23:59:56,000", "a"}), "x", "(none)"},  // past 24 h
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        try {
            OneRun run(c.ext, c.in, [&](const std::string& in, const std::string& out, Host& h) {
                return AddLastSubtitle(in, out, {.text = c.text}, h);
            });
            EXPECT_EQ(run.Out(), c.out);
        } catch (const ConversionError&) {
            EXPECT_EQ(c.out, "(none)");
        }
    }
}

TEST(DelLastSubtitle, DropsTheLastSubtitleAndTidiesTheEmptyLines) {
    const struct {
        const char* ext;
        std::string in, out;
    } cases[] = {
        {"srt",
         Crlf({"Header", "1", "00:00:01,000 --> 00:00:02,000", "a", "", "", "2",
               "00:00:03,000 --> 00:00:04,000", "b", "1984", "3", "00:00:05,000 --> 00:00:06,000",
               "c", "", "", ""}),
         // Every number with a timing line after it starts a subtitle, empty line or not:
         // subtitle 3 is the last; "1984" is text of subtitle 2. Each kept subtitle ends with
         // one empty line.
         Crlf({"Header", "", "1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
               "00:00:03,000 --> 00:00:04,000", "b", "1984", ""})},
        // The same without numbers: subtitles are known by their timing lines.
        {"srt", Crlf({"00:00:01,000 --> 00:00:02,000", "a", "00:00:03,000 --> 00:00:04,000", "b"}),
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", ""})},
        // A missing closing empty line is added; the doubled one goes.
        {"srt",
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "2", "00:00:03,000 --> 00:00:04,000", "B",
               "", "", "3", "00:00:05,000 --> 00:00:06,000", "C", ""}),
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "", "2", "00:00:03,000 --> 00:00:04,000",
               "B", ""})},
        {"srt", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a"}), ""},
        {"srt", Crlf({"no subtitles here"}), Crlf({"no subtitles here", ""})},
        {"sub", Crlf({"{1}{2}a", "", "{3}{4}b", " ", "{5}{6}c", ""}), Crlf({"{1}{2}a", "{3}{4}b"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        OneRun run(c.ext, c.in, [&](const std::string& in, const std::string& out, Host& h) {
            return DelLastSubtitle(in, out, {}, h);
        });
        EXPECT_EQ(run.Out(), c.out);
    }
}

TEST(SubtitleTimeCorrection, StartsEachSubtitleAfterThePreviousOneEnds) {
    const auto film = [](std::string_view t1, std::string_view t2) {
        return Crlf({"1", t1, "a", "", "2", t2, "b", ""});
    };
    const std::string first = "00:00:04,000 --> 00:00:05,200";
    const struct {
        const char* what;
        std::string in;
        bool oneTick;
        std::string out, report;
    } cases[] = {
        // clang-format off
        {"starts before", film(first, "00:00:05,000 --> 00:00:06,000"), true, film(first, "00:00:05,201 --> 00:00:06,000"), ""},
        {"starts at the end", film(first, "00:00:05,200 --> 00:00:06,000"), true, film(first, "00:00:05,201 --> 00:00:06,000"), ""},
        {"without the tick", film(first, "00:00:05,000 --> 00:00:06,000 <x1>"), false, film(first, "00:00:05,200 --> 00:00:06,000 <x1>"), ""},
        {"at the end without the tick", film(first, "00:00:05,200 --> 00:00:06,000"), false, film(first, "00:00:05,200 --> 00:00:06,000"), ""},
        {"the first at zero stays", film("00:00:00,000 --> 00:00:01,000", "00:00:02,000 --> 00:00:03,000"), true,
         film("00:00:00,000 --> 00:00:01,000", "00:00:02,000 --> 00:00:03,000"), ""},
        {"inside the previous one", film(first, "00:00:04,500 --> 00:00:05,100"), true, film(first, "00:00:04,500 --> 00:00:05,100"),
         Crlf({"2 = Time Not Corrected: Previous Subtitle Ends Later!!!"})},
        {"ending at the previous end", film(first, "00:00:04,500 --> 00:00:05,200"), false, film(first, "00:00:05,200 --> 00:00:05,200"), ""},
        // A timing line always starts a subtitle: one without its number gets the next.
        {"no number", Crlf({"1", first, "a", "00:00:05,000 --> 00:00:06,000", "b", ""}), true,
         Crlf({"1", first, "a", "", "2", "00:00:05,201 --> 00:00:06,000", "b", ""}), ""},
        {"dot timings", Crlf({"1", "00:00:04.000 --> 00:00:05.200", "a", "", "2", "00:00:05.000 --> 00:00:06.000", "b", ""}), true,
         Crlf({"1", "00:00:04.000 --> 00:00:05.200", "a", "", "2", "00:00:05,201 --> 00:00:06,000", "b", ""}), ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OneRun run("srt", c.in, [&](const std::string& in, const std::string& out, Host& h) {
            return SubtitleTimeCorrection(in, out, {.oneTick = c.oneTick}, h);
        });
        EXPECT_EQ(run.Out(), c.out);
        EXPECT_EQ(run.Report(), c.report);
        EXPECT_TRUE(run.host.messages.empty());
    }
}

TEST(SubtitleTimeCorrection, MovesMicroDvdFramesTheSameWay) {
    OneRun run("sub",
               Crlf({"{0}{0}25", "{100}{150}a", "{140}{200}b", "{150}{190}c", "{300}{350}d"}),
               [](const std::string& in, const std::string& out, Host& h) {
                   return SubtitleTimeCorrection(in, out, {}, h);
               });
    EXPECT_EQ(run.Out(),
              Crlf({"{0}{0}25", "{100}{150}a", "{151}{200}b", "{150}{190}c", "{300}{350}d"}));
    EXPECT_EQ(run.Report(),
              Crlf({"{150}{190} = Time Not Corrected: Previous Subtitle Ends Later!!!"}));
}

TEST(LastSubtitleOperations, RefuseOtherKindsWithoutWriting) {
    for (int op = 0; op < 3; ++op) {
        OneRun run("txt", Crlf({"x"}), [&](const std::string& in, const std::string& out, Host& h) {
            switch (op) {
                case 0:
                    return AddLastSubtitle(in, out, {.text = "x"}, h);
                case 1:
                    return DelLastSubtitle(in, out, {}, h);
                default:
                    return SubtitleTimeCorrection(in, out, {}, h);
            }
        });
        EXPECT_EQ(run.result, RunResult::Refused);
        EXPECT_EQ(run.host.messages, std::vector<std::string>{"Not Support File extension: txt"});
        EXPECT_EQ(run.Out(), "(none)");
    }
}

}  // namespace
}  // namespace tessaline
