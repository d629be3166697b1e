#include "ops/correction.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "core/errors.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using namespace std::string_literals;
using test::Crlf;
using test::ReadFile;

const std::string kNul = "7 = Symbol-Code '0' Deleted!!!";
const std::string kSpace = "7 = Symbol-Code '32' Deleted!!!";
const std::string kDouble = "7 = Remove Double Space from String";
const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string_view kChecked = kCheckedWithTimeCorrection;

const std::filesystem::path kData = test::DataDir() / "ops" / "correction";

/// A file's bytes, or "(none)" when it does not exist.
std::string Contents(const std::filesystem::path& path) {
    return std::filesystem::exists(path) ? ReadFile(path) : "(none)";
}

/// A data file's bytes, or "(none)" for no name.
std::string Expected(const char* name) {
    return name ? ReadFile(kData / name) : "(none)";
}

TEST(CleanLineEnds, TrimsNulThenSpacesAlsoInsideEdgeTags) {
    struct Case {
        std::string line, cleaned;
        LineList report;
    };
    const Case cases[] = {
        {"\0 Hi \0"s, "Hi", {kNul, kSpace}},
        {"a\0b"s, "a\0b"s, {}},
        {" <i> word </i> ", "<i>word</i>", {kSpace}},
        {"<i>word\0</i>"s, "<i>word</i>", {kNul}},
        {"x </I>", "x</I>", {kSpace}},
        {"<i>I am</i>", "<i>I am</i>", {}},
        {"<u> x", "<u> x", {}},  // no edge tag
        {"  ", "", {kSpace}},
        {" ", " ", {}},
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        LineList report;
        CleanLineEnds(line, "7", report);
        EXPECT_EQ(line, c.cleaned) << c.line;
        EXPECT_EQ(report, c.report) << c.line;
    }
}

TEST(JoinDialogHyphen, HoldsBareHyphensForTheNextLine) {
    struct Case {
        std::vector<std::string> lines, texts;
        std::string pending;
    };
    const Case cases[] = {
        {{"<i>-", "-", "x"}, {"", "", "<i>- - x"}, ""},
        {{"Hi", "<B>-"}, {"Hi", ""}, "<B>-"},
        {{"- Yes", "<u>-"}, {"- Yes", "<u>-"}, ""},
    };
    for (const Case& c : cases) {
        std::string pending;
        std::vector<std::string> texts(c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            JoinDialogHyphen(c.lines[i], pending, texts[i]);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(pending, c.pending);
    }
}

TEST(WriteBreakingDoubleSpaces, BreaksAtDoubleSpacesExceptAfterADialogueHyphen) {
    struct Case {
        std::string line, written;
        LineList report;
    };
    const Case cases[] = {
        {"One  Two", Crlf({"One", "Two"}), {"7 = Line Break on 2 Lines"}},
        {"a  b   c", Crlf({"a", "b", "c"}), {"7 = Line Break on 3 Lines"}},
        {"-  Yes  sir", Crlf({"- Yes sir"}), {kDouble}},
        {"x-  y", Crlf({"x- y"}), {kDouble}},
        {"<i>-  Yes  sir", Crlf({"<i>- Yes sir"}), {kDouble}},
        {"</i>-  Yes", Crlf({"</i>- Yes"}), {kDouble}},
        {"abcdefg  h", Crlf({"abcdefg", "h"}), {"7 = Line Break on 2 Lines"}},
        {"a b c d e f g h i", Crlf({"a b c d e f g h i"}), {}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        LineList report;
        {
            LineWriter out((dir / "out").string());
            WriteBreakingDoubleSpaces(out, c.line, "7", report);
        }
        EXPECT_EQ(ReadFile(dir / "out"), c.written) << c.line;
        EXPECT_EQ(report, c.report) << c.line;
    }
}

// Runs the correction on `input` saved as `name` in a fresh folder.
struct CorrectionRun {
    CorrectionRun(std::string_view name, std::string_view input, const CorrectionParams& params)
        : in(dir / name),
          out(std::filesystem::path(in).replace_extension("out")),
          corr(std::filesystem::path(in).replace_extension("corr")) {
        test::WriteFile(in, input);
        try {
            SubtitlesCorrection(in.string(), out.string(), params, host);
        } catch (const ConversionError&) {
            failed = true;
        }
    }
    /// The number of files in the folder: a temporary file left behind counts too.
    [[nodiscard]] long Left() const {
        return std::distance(std::filesystem::directory_iterator(dir.path()), {});
    }
    test::TempDir dir;
    std::filesystem::path in, out, corr;
    RecordingHost host;
    bool failed = false;  // a ConversionError ended the run
};

struct FileCase {
    const char* data;  // under tests/data/ops/correction
    const char* name;  // the input's name in the run folder
    CorrectionParams params;
    const char* expected;  // expected output; nullptr: none is left
    const char* report;    // expected report; nullptr: none is left
    std::vector<std::string> messages;
    const char* progress;  // the last progress text
};

TEST(SubtitlesCorrection, CorrectsTheDataFiles) {
    const CorrectionParams quiet{.interactive = false};
    // clang-format off
    const FileCase cases[] = {
        {"well_formed.srt", "a.srt", {.timeCorrection = false}, nullptr, nullptr, {"No Need Corrections!"}, "Number of subtitle = 3"},
        {"well_formed.srt", "a.srt", {.timeCorrection = false, .interactive = false}, nullptr, nullptr, {}, ""},
        {"well_formed.srt", "a.srt", quiet, "well_formed.srt", "checked.report", {}, ""},
        {"well_formed_text_end.srt", "a.SRT", quiet, "well_formed_text_end.expected", "checked.report", {}, ""},
        {"blank_lines.srt", "a.srt", quiet, "blank_lines.expected", "blank_lines.report", {}, ""},
        {"text_fixes.srt", "a.srt", {.caseCorrection = true}, "text_fixes.expected", "text_fixes.report", {}, "Number of subtitle = 3"},
        {"numbering.srt", "a.srt", {.timeCorrection = false, .maxLines = 1, .interactive = false}, "numbering.expected", "numbering.report", {}, ""},
        {"bars.sub", "a.sub", {.timeCorrection = false, .caseCorrection = true}, "bars.expected", "bars.report", {}, "Number of subtitle = {9}{10}"},
        // An unsupported file: the message is shown also in directory mode; no output (an empty
        // one would wipe the file out when renamed into its place) and no report.
        {"well_formed.srt", "a.txt", quiet, nullptr, nullptr, {"Not Support File extension: txt"}, ""},
        {"well_formed.srt", "a.txt", {.timeCorrection = false, .interactive = false}, nullptr, nullptr, {"Not Support File extension: txt"}, ""},
    };
    // clang-format on
    for (const FileCase& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " as " + c.name);
        CorrectionRun run(c.name, ReadFile(kData / c.data), c.params);
        EXPECT_EQ(run.Left(), 1 + (c.expected != nullptr) + (c.report != nullptr));
        EXPECT_EQ(Contents(run.out), Expected(c.expected));
        EXPECT_EQ(Contents(run.corr), Expected(c.report));
        EXPECT_EQ(run.host.messages, c.messages);
        EXPECT_EQ(run.host.progressText, c.progress);
        EXPECT_EQ(run.host.statusBar, "");
        EXPECT_EQ(run.host.reportKind, c.report ? "*.corr" : "");
    }
}

struct EdgeCase {
    const char* what;
    std::string input, output, report;
    bool timeCorrection = true;
};

TEST(SubtitlesCorrection, SurvivesOddFiles) {
    // clang-format off
    const EdgeCase cases[] = {
        {"empty file", "", Crlf({""}), Crlf({kChecked})},
        {"blank lines only", Crlf({"", "  ", " "}), Crlf({""}), Crlf({"1 = Symbol-Code '32' Deleted!!!", kChecked})},
        {"NUL lines", Crlf({"\0"s, "1", T1, "A\0B\0"s}), Crlf({"1", T1, "A\0B"s, "", ""}),
         Crlf({"1 = Symbol-Code '0' Deleted!!!", "1 = Symbol-Code '0' Deleted!!!", kChecked})},
        {"no final line end", "1\r\n" + T1 + "\r\nText", Crlf({"1", T1, "Text", "", ""}), Crlf({kChecked})},
        {"timing line last", "1\r\n" + T1, Crlf({"1", T1, "", ""}), Crlf({kChecked})},
        {"number line last", Crlf({"1", T1, "One", ""}) + "2", Crlf({"1", T1, "One", "2", "", ""}), Crlf({kChecked})},
        {"number then blank lines", Crlf({"1", T1, "One", "", "2", "", ""}), Crlf({"1", T1, "One", "2", ""}),
         Crlf({"2 = Remove Null-Line(s)! (between Number and Time/Text)", kChecked})},
        // A number without a timing line after it is text before the first subtitle.
        {"first number without timing", Crlf({"1", "Hello", "", "2", T1, "Two"}),
         Crlf({"1", "Hello", "2", T1, "Two", "", ""}), Crlf({kChecked})},
        {"number without timing after an empty record", Crlf({"1", T1, "", "2", "Hello", "", "3", T1, "C"}),
         Crlf({"1", T1, "2", "Hello", "", "3", T1, "C", "", ""}), Crlf({"1 = Remove 1 Null-Line(s)! (between Time and Text)", kChecked})},
        {"bare hyphen ends the last record", Crlf({"1", T1, "Text", "-", ""}), Crlf({"1", T1, "Text", "-", ""}),
         Crlf({"1 = Find & Fix Dialog hyphen (defis)!", kChecked})},
        {"bare hyphen before the file's last line", Crlf({"1", T1, "-", "Yes"}), Crlf({"1", T1, "- Yes", "", ""}),
         Crlf({"1 = Find & Fix Dialog hyphen (defis)!", kChecked})},
        {"timing line with double spaces", Crlf({"1", "00:00:01,000  -->  00:00:02,000", "A", "", "2", T1, "B", ""}),
         Crlf({"1", T1, "A", "", "2", T1, "B", ""}), Crlf({"1 = Remove Double Space from String"}), false},
    };
    // clang-format on
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        CorrectionRun run("a.srt", c.input,
                          {.timeCorrection = c.timeCorrection, .interactive = false});
        EXPECT_EQ(run.Left(), 3);
        EXPECT_EQ(Contents(run.out), c.output);
        EXPECT_EQ(Contents(run.corr), c.report);
    }
}

// The usual number and timing lines are read by shortcuts; these lines sit at their edges.
TEST(SubtitlesCorrection, ReadsNumberAndTimingLinesAtTheirEdges) {
    const std::string kLast = "23:59:59,999 --> 23:59:59,999";
    const std::string kNone = "(none)";
    // clang-format off
    const EdgeCase cases[] = {
        {"largest times", Crlf({"1", kLast, "A", "", "2", T1, "B"}),
         Crlf({"1", kLast, "A", "", "2", T1, "B", "", ""}), Crlf({kChecked})},
        {"text after the times", Crlf({"1", T1, "A", "", "2", T1 + " X", "B"}),
         Crlf({"1", T1, "A", "", "2", T1, "B", "", ""}), Crlf({kChecked})},
        {"numbers with a sign, ten digits, a letter",
         Crlf({"1", T1, "A", "", "+2", T1, "B", "", "0000000003", T1, "C", "", "3x", T1, "D"}),
         Crlf({"1", T1, "A", "", "+2", T1, "B", "", "3", T1, "C", "3x", "", "4", T1, "D", "", ""}),
         Crlf({"3 = Wrong Subtitle Number 0000000003! Renumbered", "4 = Insert Subtitle Number!",
               "4 = Insert Space-Line! (between Subtitles Records)", kChecked})},
        // A seconds field that is not a number: no timing line the correction knows.
        {"colon in the seconds", Crlf({"1", T1, "A", "", "2", "00:00:0:,000 --> 00:00:02,000", "B", ""}),
         Crlf({"1", T1, "A", "", "2", "00:00:0:,000 --> 00:00:02,000", "B", ""}), Crlf({kChecked})},
        // Without TimeCorrection a timing line out of range is left as it is.
        {"minutes out of range kept", Crlf({"1", "00:60:00,000 --> 00:00:04,000", "A", ""}),
         kNone, kNone, false},
    };
    // clang-format on
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        CorrectionRun run("a.srt", c.input,
                          {.timeCorrection = c.timeCorrection, .interactive = false});
        EXPECT_FALSE(run.failed);
        EXPECT_EQ(Contents(run.out), c.output);
        EXPECT_EQ(Contents(run.corr), c.report);
    }
    // With it, a field out of range or a millisecond digit that is none stops the run.
    for (const char* timing : {"00:60:00,000 --> 00:00:04,000", "24:00:00,000 --> 00:00:04,000",
                               "00:00:01,000 --> 00:00:02,00:", "00:00:01,000 --> 00:00:02,00/"}) {
        SCOPED_TRACE(timing);
        const CorrectionRun run("a.srt", Crlf({"1", T1, "A", "", "2", timing, "B", ""}), {});
        EXPECT_TRUE(run.failed);
    }
}

// Records are gathered in one piece of storage and written whole unless a line needs a repair;
// a double space is looked for in blocks of 16 bytes. Lines of every length around the block
// sizes, with a double space at each edge of a block or none, must come out as written alone.
TEST(SubtitlesCorrection, FindsDoubleSpacesAtEveryPlaceInALine) {
    std::string input;
    std::string output;
    std::string report;
    int number = 0;
    const auto record = [&](const std::string& line, const std::vector<std::string>& written) {
        const std::string key = std::to_string(++number);
        input += Crlf({key, T1, line, ""});
        output += Crlf({key, T1});
        for (const std::string& piece : written)
            output += Crlf({piece});
        output += Crlf({""});
        if (written.size() > 1) report += Crlf({key + " = Line Break on 2 Lines"});
    };
    for (const std::size_t size : {3,  4,  15, 16, 17, 18, 19, 31, 32, 33, 34, 35,
                                   47, 48, 49, 50, 63, 64, 65, 66, 67, 80, 97}) {
        // A space at every other byte, across every block edge, but no two side by side.
        std::string single(size, 'x');
        for (std::size_t i = 1; i + 1 < size; i += 2)
            single[i] = ' ';
        record(single, {single});
        // A pair at every place from the second byte on, with text on both sides.
        for (std::size_t at = 1; at + 3 <= size; ++at) {
            const std::string before(at, 'a');
            const std::string after(size - at - 2, 'b');
            record(before + "  " + after, {before, after});
        }
    }
    record("End", {"End"});
    const CorrectionRun run("a.srt", input, {.interactive = false});
    EXPECT_EQ(Contents(run.out), output);
    EXPECT_EQ(Contents(run.corr), report + Crlf({kChecked}));
}

// A record far longer than any subtitle: one of many lines is written as it grows (never
// parting a bare hyphen from the line it joins, even where the writing would start), one of
// many bytes line by line.
TEST(SubtitlesCorrection, WritesVeryLongRecordsUnchanged) {
    struct LongRecord {
        std::size_t lines;
        std::size_t width;
        std::size_t hyphenAt;  // a bare hyphen instead of this text line; past the end: none
    };
    // The record's number and timing line and 9,998 text lines fill the 10,000 lines held.
    for (const LongRecord& c : {LongRecord{12'000, 8, 9'997}, LongRecord{2'000, 60, 2'000}}) {
        SCOPED_TRACE(c.lines);
        const std::string text(c.width, 'w');
        std::string input = Crlf({"1", T1});
        std::string output = input;
        std::string report;
        for (std::size_t i = 0; i < c.lines; ++i) {
            if (i == c.hyphenAt) {
                input += Crlf({"-"});
                output += "- ";
                report += Crlf({"1 = Find & Fix Dialog hyphen (defis)!"});
            } else {
                input += Crlf({text});
                output += Crlf({text});
            }
        }
        input += Crlf({"-", "Tail", "", "2", T1, "End", ""});
        output += Crlf({"- Tail", "", "2", T1, "End", ""});
        report += Crlf(
            {"1 = Warning! Maybe Sticking Subtitles! " + std::to_string(c.lines + 2) + " lines",
             "1 = Find & Fix Dialog hyphen (defis)!", kChecked});
        const CorrectionRun run("a.srt", input, {.interactive = false});
        EXPECT_EQ(Contents(run.out), output);
        EXPECT_EQ(Contents(run.corr), report);
    }
}

TEST(SubtitlesCorrection, UnreadableTimingLeavesNoOutput) {
    const CorrectionRun run("a.srt", Crlf({"1", "00:00:01,0x0 --> 00:00:02,000", "A", ""}), {});
    EXPECT_TRUE(run.failed);
    EXPECT_EQ(run.Left(), 1);
}

}  // namespace
}  // namespace tessaline
