#include "ops/timing_transfer.hpp"

#include <gtest/gtest.h>

#include <array>
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
using Messages = std::vector<std::string>;

std::string Data(std::string_view name) {
    return ReadFile(test::DataDir() / "ops/timing" / name);
}

// The open file and the add file in one folder, the add file copied from tests/data/ops/timing.
struct TwoFiles : DataRun {
    TwoFiles(std::string_view in, std::string_view add, std::string_view inName = {},
             std::string_view addName = "add.srt")
        : DataRun(std::string("timing/") + std::string(in), inName.empty() ? in : inName),
          addPath(path(addName).string()) {
        test::WriteFile(addPath, Data(add));
    }
    std::string Get(std::string_view name) const {
        return std::filesystem::exists(path(name)) ? ReadFile(path(name)) : "(none)";
    }
    std::string addPath;
};

TEST(ReplaceTimings, PairsByNumberOrPositionAndListsWhatHadNoPartner) {
    const struct {
        const char* what;
        const char *in, *add;
        ReplaceTimingsParams params;
        const char *expected, *report;  // "" : no report
        Messages messages;
    } cases[] = {
        // clang-format off
        {"by number", "translation.srt", "original.srt", {}, "replace.expected", "replace.report", {}},
        {"empty text replaced", "translation.srt", "original.srt", {.replaceNullText = true}, "replace_null_text.expected", "replace_null_text.report", {}},
        {"by position", "translation.srt", "original.srt", {.byPosition = true}, "replace_by_position.expected", "replace_by_position.report", {}},
        // MicroDVD: line by line; the empty line takes the add file's fourth line, the last
        // line has no partner left and keeps its frames.
        {"MicroDVD", "translation.sub", "original.sub", {}, "replace_sub.expected", "", {"Null Replace-length-file"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string ext = std::filesystem::path(c.in).extension().string();
        TwoFiles run(c.in, c.add, "film" + ext, "add" + ext);
        run.Run([&](Host& host) {
            return ReplaceTimings(run.input(), run.addPath, run.output(), c.params, host);
        });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.Get("film.out"), Data(c.expected));
        EXPECT_EQ(run.Get("film.replace"), *c.report ? Data(c.report) : "(none)");
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(run.host.reportKind, *c.report ? "*.replace" : "");
        EXPECT_FALSE(run.host.busy);
    }
}

TEST(ReplaceTimings, ByPositionTheSubtitlesBeyondTheAddFileKeepTheirTiming) {
    DataRun run("timing/translation.srt", "film.srt");
    const std::string add = run.path("add.srt");
    test::WriteFile(add, Crlf({"1", "00:01:01,000 --> 00:01:02,000", "Hello!", ""}));
    run.Run([&](Host& host) {
        return ReplaceTimings(run.input(), add, run.output(), {.byPosition = true}, host);
    });
    const std::string out = ReadFile(run.output());
    EXPECT_NE(out.find(Crlf({"1", "00:01:01,000 --> 00:01:02,000"})), std::string::npos);
    EXPECT_NE(out.find(Crlf({"7", "00:00:07,000 --> 00:00:08,000"})), std::string::npos);
    EXPECT_EQ(
        ReadFile(run.path("film.replace")),
        Crlf({"2 = Troubles is here", "3 = Troubles is here", "7 = Troubles is here",
              "8 = Troubles is here", std::string(kReportSeparator), ">> 4 Replaced Strings"}));
}

// Nothing is written where there is nothing to pair: no empty film.out that a rename would put
// over the subtitles.
TEST(ReplaceAndCompare, StopBeforeWritingWhenTheFilesDoNotSuit) {
    const struct {
        const char* what;
        const char *in, *add, *addName;
        bool compare;
        Messages messages;
        std::optional<RunResult> result;
    } cases[] = {
        // clang-format off
        {"replace: different kinds", "translation.srt", "original.sub", "add.sub", false, {"Files has different extensions"}, RunResult::Refused},
        {"compare: different kinds", "translation.srt", "original.sub", "add.sub", true, {}, RunResult::Skipped},
        {"compare: MicroDVD", "translation.sub", "original.sub", "add.sub", true, {"Not Support File extension: sub"}, RunResult::Refused},
        {"replace: add file missing", "translation.srt", "", "gone.srt", false, {}, RunResult::Skipped},
        {"replace: the output as add file", "translation.srt", "original.srt", "film.out", false, {"Files has different extensions"}, RunResult::Refused},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string ext = std::filesystem::path(c.in).extension().string();
        DataRun run(std::string("timing/") + c.in, "film" + ext);
        const std::string add = run.path(c.addName);
        if (*c.add) test::WriteFile(add, Data(c.add));
        const Names before = run.Files();
        run.Run([&](Host& host) {
            return c.compare ? CompareTimings(run.input(), add, run.output(), {}, host)
                             : ReplaceTimings(run.input(), add, run.output(), {}, host);
        });
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(run.Files(), before);
    }
}

TEST(CompareTimings, PairsByTimePassingOverSubtitlesOfOneFileOnly) {
    const struct {
        CompareTimingsParams params;
        const char *expected, *report;
    } cases[] = {
        {{}, "compare.expected", "compare.cmp0"},
        {{.insTime = true}, "compare_ins.expected", "compare_ins.cmp0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        TwoFiles run("compare_in.srt", "compare_add.srt", "film.srt");
        run.Run([&](Host& host) {
            return CompareTimings(run.input(), run.addPath, run.output(), c.params, host);
        });
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.Get("film.out"), Data(c.expected));
        EXPECT_EQ(run.Get("film.cmp0"), Data(c.report));
        EXPECT_EQ(run.Files(), (Names{"add.srt", "film.cmp0", "film.out", "film.srt"}));
        EXPECT_EQ(run.host.statusBar, "Timings: Changed: 4 | Not Changed: 1 | Missing: 1");
        EXPECT_EQ(run.host.reportKind, "*.cmp0");
    }
}

// A subtitle that only the add file has, starting well before the next subtitle of the open file
// but ending inside it: it is passed over, and the subtitles after it still pair.
TEST(CompareTimings, PassesOverAnAddSubtitleThatOverlapsTheNextOne) {
    test::TempDir dir;
    const std::string film = dir / "film.srt";
    const std::string addPath = dir / "add.srt";
    test::WriteFile(film, Crlf({"1", "00:00:01,000 --> 00:00:03,000", "A", "",  //
                                "2", "00:00:10,000 --> 00:00:12,000", "B", "",  //
                                "3", "00:00:20,000 --> 00:00:22,000", "C", ""}));
    test::WriteFile(addPath, Crlf({"1", "00:00:01,100 --> 00:00:03,100", "a", "",  //
                                   "2", "00:00:07,000 --> 00:00:10,500", "x", "",  //
                                   "3", "00:00:10,100 --> 00:00:12,100", "b", "",  //
                                   "4", "00:00:20,100 --> 00:00:22,100", "c", ""}));
    RecordingHost host;
    EXPECT_EQ(CompareTimings(film, addPath, dir / "film.out", {}, host), RunResult::Done);
    EXPECT_EQ(ReadFile(dir / "film.out"), Crlf({"1", "00:00:01,100 --> 00:00:03,100", "A", "",  //
                                                "2", "00:00:10,100 --> 00:00:12,100", "B", "",  //
                                                "3", "00:00:20,100 --> 00:00:22,100", "C", ""}));
    EXPECT_EQ(ReadFile(dir / "film.cmp0"),
              Crlf({"1 = Change Time", "2 = Change Time", "3 = Change Time",
                    "add#2 = Missing Time => Time Not Used!!!", std::string(56, '='),
                    "Timings: Changed: 3 | Not Changed: 0 | Missing: 1"}));
}

// By text, the add file's times may be far from the open file's: here an hour later.
TEST(CompareTimings, PairsByTextWhateverTheTimesOfTheAddFile) {
    const auto srt = [](std::initializer_list<std::string_view> texts, std::string_view hour) {
        std::string file;
        int n = 0;
        for (std::string_view text : texts) {
            ++n;
            const std::string at = std::string(hour) + ":00:0" + std::to_string(n);
            file += Crlf({std::to_string(n), at + ",000 --> " + at + ",500", text, ""});
        }
        return file;
    };
    const auto timing = [](int n) {
        const std::string at = "01:00:0" + std::to_string(n);
        return at + ",000 --> " + at + ",500";
    };
    const struct {
        const char* what;
        std::string in, add, out;
        std::vector<std::string> report;
    } cases[] = {
        {"a subtitle only the open file has",
         srt({"Alpha one", "Bravo two", "Charlie", "Delta four"}, "00"),
         srt({"Alpha one", "Bravo two", "Delta four"}, "01"),
         Crlf({"1", timing(1), "Alpha one", "", "2", timing(2), "Bravo two", "",  //
               "3", "00:00:03,000 --> 00:00:03,500", "Charlie", "",               //
               "4", timing(3), "Delta four", ""}),
         {"1 = Change Time", "2 = Change Time", "3 = Time Not Change!!!", "4 = Change Time",
          std::string(56, '='), "Timings: Changed: 3 | Not Changed: 1 | Missing: 0"}},
        {"a text repeated takes the previous add timing again",
         srt({"Alpha one", "Alpha one", "Bravo two"}, "00"),
         srt({"Alpha one", "Bravo two"}, "01"),
         Crlf({"1", timing(1), "Alpha one", "", "2", timing(1), "Alpha one", "",  //
               "3", timing(2), "Bravo two", ""}),
         {"1 = Change Time", "add#1 = Replaced Time Using Again!!!",
          "2 = Change Time, but This Time equal Prev Time!!!", "3 = Change Time",
          std::string(56, '='), "Timings: Changed: 3 | Not Changed: 0 | Missing: 0"}},
    };
    for (const auto& c : cases) {
        for (const CompareMode mode : {CompareMode::InWithAdd, CompareMode::AddWithIn}) {
            SCOPED_TRACE(std::string(c.what) + ", mode " + std::to_string(int(mode)));
            test::TempDir dir;
            const std::string film = dir / "film.srt";
            test::WriteFile(film, c.in);
            test::WriteFile(dir / "add.srt", c.add);
            RecordingHost host;
            CompareTimings(film, dir / "add.srt", dir / "film.out", {.mode = mode}, host);
            EXPECT_EQ(ReadFile(dir / "film.out"), c.out);
            std::string report;
            for (const std::string& line : c.report)
                report += Crlf({line});
            EXPECT_EQ(ReadFile(dir / ("film.cmp" + std::to_string(int(mode)))), report);
        }
    }
}

// One subtitle against one: which of the open file's timings pair with the add file's.
TEST(CompareTimings, PairsOnlyInsideTheTimeWindowOrOnMatchingText) {
    const std::string in = Crlf({"1", "00:01:00,000 --> 00:01:02,000", "Hello my dear friend", ""});
    const auto add = [](std::string_view timing, std::string_view text) {
        return Crlf({"1", timing, text, ""});
    };
    const std::string kHello = "Hello my dear friend!";
    const struct {
        const char* what;
        CompareMode mode;
        std::string add;
        bool paired;
    } cases[] = {
        // clang-format off
        {"on-times 1199 ms apart", CompareMode::Time, add("00:01:01,199 --> 00:01:09,000", "x"), true},
        {"on-times exactly DeltaTime apart", CompareMode::Time, add("00:01:01,200 --> 00:01:09,000", "x"), false},
        {"off-times 1199 ms apart, earlier", CompareMode::Time, add("00:00:50,000 --> 00:01:00,801", "x"), true},
        {"off-times exactly DeltaTime apart", CompareMode::Time, add("00:00:50,000 --> 00:01:00,800", "x"), false},
        {"text found, times far apart", CompareMode::InWithAdd, add("00:10:00,000 --> 00:10:02,000", kHello), true},
        {"text found the other way round", CompareMode::AddWithIn, add("00:10:00,000 --> 00:10:02,000", "<i>Hello my dear</i>"), true},
        {"the start of a long line is enough", CompareMode::InWithAdd, add("00:10:00,000 --> 00:10:02,000", "<i>Hello my dear</i>"), true},
        {"a short text holds none of the pieces", CompareMode::InWithAdd, add("00:10:00,000 --> 00:10:02,000", "Hello"), false},
        {"other text", CompareMode::InWithAdd, add("00:10:00,000 --> 00:10:02,000", "Goodbye"), false},
        {"no text never matches", CompareMode::AddWithIn, Crlf({"1", "00:10:00,000 --> 00:10:02,000", ""}), false},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string film = dir / "film.srt";
        const std::string addPath = dir / "add.srt";
        test::WriteFile(film, in);
        test::WriteFile(addPath, c.add);
        RecordingHost host;
        CompareTimings(film, addPath, dir / "film.out", {.mode = c.mode}, host);
        const std::string report = ReadFile(dir / ("film.cmp" + std::to_string(int(c.mode))));
        EXPECT_EQ(report.starts_with("1 = Change Time\r\n"), c.paired) << report;
        EXPECT_EQ(ReadFile(dir / "film.out").find(TextBetweenChars(c.add, '\n', '\r')) !=
                      std::string::npos,
                  c.paired);
    }
}

// A SubRip file of the given subtitles: on-time, off-time and one text line each.
std::string Srt(std::initializer_list<std::array<std::string_view, 3>> subtitles, int first = 1) {
    std::string file;
    int n = first;
    for (const auto& [on, off, text] : subtitles)
        file += Crlf({std::to_string(n++), std::string(on) + " --> " + std::string(off), text, ""});
    return file;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += Crlf({line});
    return text;
}

// Once the open file has ended, the add file's subtitles are not carried into the output (they
// would come after its last subtitle, times going backwards); the report lists them.
TEST(ReplaceTimings, TheOutputEndsWithTheOpenFile) {
    const std::string ru =
        Srt({{"00:00:01,000", "00:00:02,000", "Один"}, {"00:00:03,000", "00:00:04,000", "Два"}});
    const struct {
        const char* what;
        std::string add, out;
        std::vector<std::string> report;
    } cases[] = {
        {"numbers of the add file all beyond the open file's",
         Srt({{"00:00:01,100", "00:00:02,100", "One"},
              {"00:00:03,100", "00:00:04,100", "Two"},
              {"00:00:05,100", "00:00:06,100", "Three"}},
             101),
         ru,
         {"1 = Time Not Replaced: No Subtitle of This Number in Add-File!!!",
          "2 = Time Not Replaced: No Subtitle of This Number in Add-File!!!",
          "add#101 = Add-File Subtitle Not Used: In-File Has Ended!!!",
          "add#102 = Add-File Subtitle Not Used: In-File Has Ended!!!",
          "add#103 = Add-File Subtitle Not Used: In-File Has Ended!!!",
          std::string(kReportSeparator), ">> 5 Replaced Strings"}},
        {"the add file longer",
         Srt({{"00:00:01,100", "00:00:02,100", "One"},
              {"00:00:03,100", "00:00:04,100", "Two"},
              {"00:00:05,100", "00:00:06,100", "Three"}}),
         Srt({{"00:00:01,100", "00:00:02,100", "Один"}, {"00:00:03,100", "00:00:04,100", "Два"}}),
         {"add#3 = Add-File Subtitle Not Used: In-File Has Ended!!!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string film = dir / "ru.srt";
        test::WriteFile(film, ru);
        test::WriteFile(dir / "en.srt", c.add);
        RecordingHost host;
        EXPECT_EQ(ReplaceTimings(film, dir / "en.srt", dir / "ru.out", {}, host), RunResult::Done);
        EXPECT_EQ(ReadFile(dir / "ru.out"), c.out);
        EXPECT_EQ(ReadFile(dir / "ru.replace"), Lines(c.report));
    }
}

// InsTimings: an unpaired subtitle shows the timing of the add subtitle it was compared with
// first, even when later add subtitles were read past it; that one is then not missing, and the
// add subtitle after it pairs with its own partner only.
TEST(CompareTimings, TheAlienTimeIsTheAddSubtitleTheComparisonStoodOn) {
    const std::string in = Srt({{"00:01:00,000", "00:01:02,000", "A"},
                                {"00:01:50,000", "00:01:52,000", "B"},
                                {"00:03:00,000", "00:03:02,000", "C"},
                                {"00:04:00,000", "00:04:02,000", "D"}});
    const std::string add = Srt({{"00:01:00,100", "00:01:02,100", "a"},
                                 {"00:01:01,500", "00:01:03,500", "b"},
                                 {"00:03:00,100", "00:03:02,100", "c"},
                                 {"00:04:00,100", "00:04:02,100", "d"}});
    const struct {
        bool insTime;
        std::string out;
        std::vector<std::string> report;
    } cases[] = {
        {true,
         Lines({"1", "00:01:00,100 --> 00:01:02,100", "A", "", "2", "00:01:50,000 --> 00:01:52,000",
                "<[-= 00:01:01,500 --> 00:01:03,500 =-]>", "B", "", "3",
                "00:03:00,100 --> 00:03:02,100", "C", "", "4", "00:04:00,100 --> 00:04:02,100", "D",
                ""}),
         {"1 = Change Time", "2 = Insert Alien Time!!! <= Time Not Change!!!", "3 = Change Time",
          "4 = Change Time", std::string(56, '='),
          "Timings: Changed: 3 | Not Changed: 1 | Missing: 0"}},
        {false,
         Lines({"1", "00:01:00,100 --> 00:01:02,100", "A", "", "2", "00:01:50,000 --> 00:01:52,000",
                "B", "", "3", "00:03:00,100 --> 00:03:02,100", "C", "", "4",
                "00:04:00,100 --> 00:04:02,100", "D", ""}),
         {"1 = Change Time", "2 = Time Not Change!!!", "3 = Change Time", "4 = Change Time",
          "add#2 = Missing Time => Time Not Used!!!", std::string(56, '='),
          "Timings: Changed: 3 | Not Changed: 1 | Missing: 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.insTime);
        test::TempDir dir;
        test::WriteFile(dir / "c.srt", in);
        test::WriteFile(dir / "ca.srt", add);
        RecordingHost host;
        CompareTimings(dir / "c.srt", dir / "ca.srt", dir / "c.out", {.insTime = c.insTime}, host);
        EXPECT_EQ(ReadFile(dir / "c.out"), c.out);
        EXPECT_EQ(ReadFile(dir / "c.cmp0"), Lines(c.report));
    }
}

// A file compared with, or given the timings of, its own copy comes out as it went in, with
// nothing missing: signs shown at the same time as each other and over the dialogue included.
TEST(ReplaceAndCompare, AFileWithItsOwnCopyStaysAsItIs) {
    const std::string film = Srt({{"00:01:00,000", "00:01:05,000", "EXIT"},
                                  {"00:01:00,000", "00:01:05,000", "NO ENTRY"},
                                  {"00:01:00,500", "00:01:03,000", "Where are we?"},
                                  {"00:01:01,000", "00:01:08,000", "HOTEL"},
                                  {"00:01:03,500", "00:01:06,000", "Over there."},
                                  {"00:01:03,500", "00:01:06,000", "GRAND HOTEL"},
                                  {"00:01:20,000", "00:01:22,000", "Fine."}});
    const struct {
        const char* what;
        bool compare;
        CompareTimingsParams compareParams;
        ReplaceTimingsParams replaceParams;
    } cases[] = {
        {"compare by time", true, {}, {}},
        {"compare by time with InsTimings", true, {.insTime = true}, {}},
        {"compare by text", true, {.mode = CompareMode::InWithAdd, .insTime = true}, {}},
        {"compare by text the other way", true, {.mode = CompareMode::AddWithIn}, {}},
        {"replace by number", false, {}, {}},
        {"replace by position", false, {}, {.byPosition = true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::WriteFile(dir / "film.srt", film);
        test::WriteFile(dir / "copy.srt", film);
        RecordingHost host;
        if (c.compare) {
            CompareTimings(dir / "film.srt", dir / "copy.srt", dir / "film.out", c.compareParams,
                           host);
            EXPECT_EQ(host.statusBar, "Timings: Changed: 7 | Not Changed: 0 | Missing: 0");
            const std::string report = ReadFile(
                dir / ("film.cmp" + std::to_string(static_cast<int>(c.compareParams.mode))));
            EXPECT_EQ(report.find("Again"), std::string::npos) << report;
        } else {
            ReplaceTimings(dir / "film.srt", dir / "copy.srt", dir / "film.out", c.replaceParams,
                           host);
            EXPECT_EQ(host.messages, Messages{"Null Replace-length-file"});
        }
        EXPECT_EQ(ReadFile(dir / "film.out"), film);
    }
}

}  // namespace
}  // namespace tessaline
