// To one line, to bottom and the dialog and big-text breaks, on hand-written files.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/chars.hpp"
#include "core/text_form.hpp"
#include "layout_run.hpp"
#include "ops/break_subtitles.hpp"
#include "ops/correction.hpp"
#include "ops/layout.hpp"
#include "ops/line_cut.hpp"
#include "ops/to_bottom.hpp"
#include "ops/to_one_line.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::LayoutRun;
using test::W;
using Messages = std::vector<std::string>;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";

// --- To one line -------------------------------------------------------------------------------

TEST(ToOneLine, JoinsEachSubtitleOneLinePerSpeaker) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", T1, "Hello", "world,again", "",
        "2", T1, "-Hi, there", "-Bye", "",
        "3", T1, "",
        "4", T1, "-Who?", "<i>-Me.</i>", "",
        "5", T1, "<i>a</i>", "<i>b</i>", "",
        "6", T1, "This text", "is much too long", "",
        "7", T1, "  a   b  ", "c", "",
    }));
    const ToOneLineParams params{.addSpaces = true, .delimiters = ",", .useExclude = false,
                                 .correctInsideTags = true, .subtitleFullLength = 20};
    EXPECT_EQ(SubtitlesToOneLine(run.input(), run.output(), params, run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", T1, "Hello world, again", "",
        "2", T1, "-Hi, there", "-Bye", "",
        // The first line is a speaker's: no empty line before it.
        "4", T1, "-Who?", "<i>-Me.</i>", "",
        "5", T1, "<i>a b</i>", "",
        "6", T1, "This text is much too long", "",
        "7", T1, "a b c", "",
    }));
    EXPECT_EQ(run.Read("full"), Crlf({
        "3 = Null-Subtitle Deleted!!!",
        "6 = Subtitle Full Length is 26 > 20",
    }));
    // clang-format on
}

// One-line subtitles are tidied too; the full length counts characters, tags not counted.
TEST(ToOneLine, TidiesOneLineSubtitlesAndMeasuresTheirCharacters) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", T1, " lead", "",
        "2", T1, "trail ", "",
        "3", T1, "a  b", "",
        "4", T1, "abcdefghij klmnopqrs", "",
        "5", T1, "abcdefghij klmnopqrst", "",
        "6", T1, "<i>abcdefghij klmnopqrs</i>", "",
        "7", T1, "<i>abcdefghij klmnopqrst</i>", "",
    }));
    SubtitlesToOneLine(run.input(), run.output(), {.subtitleFullLength = 20}, run.host);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", T1, "lead", "",
        "2", T1, "trail", "",
        "3", T1, "a b", "",
        "4", T1, "abcdefghij klmnopqrs", "",
        "5", T1, "abcdefghij klmnopqrst", "",
        "6", T1, "<i>abcdefghij klmnopqrs</i>", "",
        "7", T1, "<i>abcdefghij klmnopqrst</i>", "",
    }));
    EXPECT_EQ(run.Read("full"), Crlf({
        "5 = Subtitle Full Length is 21 > 20",
        "7 = Subtitle Full Length is 21 > 20",
    }));
    // clang-format on
}

TEST(ToOneLine, KeepsSubtitlesThatFitWhenAsked) {
    LayoutRun run(Crlf({"1", T1, "Thirty-five characters in this line", "short", ""}));
    const ToOneLineParams params{.saveSubLength = true, .lineLength = 40};
    SubtitlesToOneLine(run.input(), run.output(), params, run.host);
    EXPECT_EQ(run.Read("out"), Crlf({"1", T1, "Thirty-five characters in this line", "short", ""}));
    EXPECT_EQ(run.Read("full"),
              Crlf({"1 = Subtitle Lines Length Not Change. Max Line Length is 35"}));
}

TEST(ToOneLine, JoinsMicroDvdLines) {
    const struct {
        std::string line, joined;
    } cases[] = {
        {"{1}{2}{y:i}One|{y:i}Two", "{1}{2}{y:i}One Two"},
        {"{3}{4}-Hi| -Bye", "{3}{4}-Hi|-Bye"},
        // An italic dialogue: the tag once, in front, and no space after the bar.
        {"{5}{6}{y:i}-Hi|{y:i}-Bye", "{5}{6}{y:i}-Hi|-Bye"},
        {"{7}{8}well-known|words", "{7}{8}well-known words"},
        {"{9}{10}a,b|c", "{9}{10}a, b c"},
        {" ", " "},
    };
    for (const auto& c : cases) {
        LayoutRun run(Crlf({c.line}), "film.sub");
        const ToOneLineParams params{.addSpaces = true, .delimiters = ",", .useExclude = false};
        SubtitlesToOneLine(run.input(), run.output(), params, run.host);
        EXPECT_EQ(run.Read("out"), Crlf({c.joined})) << c.line;
        EXPECT_EQ(run.host.messages, Messages{"Null Full-length-file"}) << c.line;
    }
}

// --- To bottom ---------------------------------------------------------------------------------

TEST(ToBottom, PadsShortSubtitlesFromAboveOnce) {
    // clang-format off
    const std::string film = Crlf({
        "1", T1, "One", "",
        "2", T1, "Two", "lines", "",
        "3", T1, " ", "Padded", "",
    });
    const std::string padded = Crlf({
        "1", T1, " ", "One", "",
        "2", T1, "Two", "lines", "",
        "3", T1, " ", "Padded", "",
    });
    // clang-format on
    LayoutRun run(film);
    const ToBottomParams params{.lineCount = 2, .subtitleFullLength = 5};
    EXPECT_EQ(SubtitlesToBottom(run.input(), run.output(), params, run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), padded);
    // The padding counts towards the full length.
    EXPECT_EQ(run.Read("bottom"),
              Crlf({"2 = Subtitle Full Length is 8 > 5", "3 = Subtitle Full Length is 7 > 5",
                    "1 Subtitles Attached To Bottom"}));

    // A padded file stays as it is: its lines of one space are text.
    LayoutRun again(padded);
    SubtitlesToBottom(again.input(), again.output(), {.lineCount = 2}, again.host);
    EXPECT_EQ(again.Read("out"), padded);
    EXPECT_EQ(again.host.messages, Messages{"No Bottom Subtitles!"});
    EXPECT_EQ(again.Read("bottom"), "(none)");

    LayoutRun first(film);
    SubtitlesToBottom(first.input(), first.output(), {.lineCount = 2, .keepFirst = true},
                      first.host);
    EXPECT_EQ(first.Read("out"), film);
}

TEST(ToBottom, RemovesSpacesBesideMicroDvdBarsAndPads) {
    LayoutRun run(Crlf({"{1}{2}Hello |world", "{3}{4}One|  two", "{5}{6}a|b|c"}), "film.sub");
    SubtitlesToBottom(run.input(), run.output(), {.lineCount = 3}, run.host);
    EXPECT_EQ(run.Read("out"), Crlf({"{1}{2} |Hello|world", "{3}{4} |One|two", "{5}{6}a|b|c"}));
    EXPECT_EQ(run.Read("bottom"), Crlf({"{1}{2} = Remove Space before demiliter of subtitle-line",
                                        "{3}{4} = Remove Space after demiliter of subtitle-line",
                                        "2 Subtitles Attached To Bottom"}));
}

// --- Dialog and big-text breaking --------------------------------------------------------------

BreakParams Breaks(int lineLength) {
    return {.lineLength = lineLength, .breakDialogCount = 3};
}

TEST(BreakSubDialog, SplitsAtTheSecondSpeakerAndDividesTheTime) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", "00:00:01,000 --> 00:00:03,000", "-Hello there, how are you today?", "-Fine.",
        "-Good.", "",
        "2", "00:00:04,000 --> 00:00:05,000", "-Hi.", "-Yo.", "",
        "3", "00:00:06,000 --> 00:00:08,001 <x1>", "Well,", "<I>-Dialogue hyphens in any case",
        "-And this one", "",
    }));
    EXPECT_EQ(BreakSubDialog(run.input(), run.output(), Breaks(10), run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", "00:00:01,000 --> 00:00:02,000", "-Hello there, how are you today?", "",
        "1", "00:00:02,001 --> 00:00:03,000", "-Fine.", "-Good.", "",
        // Two one-line speakers need fewer lines than the threshold.
        "2", "00:00:04,000 --> 00:00:05,000", "-Hi.", "-Yo.", "",
        "3", "00:00:06,000 --> 00:00:07,000 <x1>", "Well,", "",
        "3", "00:00:07,001 --> 00:00:08,001 <x1>", "<I>-Dialogue hyphens in any case",
        "-And this one", "",
    }));
    EXPECT_EQ(run.Read("DiaBreak"), Crlf({
        "1 = Break Dialog on 2 tails: 32 and 12 symbols || [00:00:01,000]+[00:00:00,999]",
        "3 = Break Dialog on 2 tails: 5 and 45 symbols || [00:00:01,000]+[00:00:01,000]",
        "====================================================",
        ">> 2 / 3 = Break / All_Dialogs",
    }));
    // clang-format on
}

TEST(BreakSubDialog, WithoutTheOneTickGapThePartsMeet) {
    LayoutRun run(
        Crlf({"1", "00:00:01,000 --> 00:00:03,000", "-Hello there, friend", "-Fine", "-Good", ""}));
    BreakParams params = Breaks(10);
    params.oneTickDifference = false;
    BreakSubDialog(run.input(), run.output(), params, run.host);
    EXPECT_EQ(run.Read("out"),
              Crlf({"1", "00:00:01,000 --> 00:00:02,000", "-Hello there, friend", "", "1",
                    "00:00:02,000 --> 00:00:03,000", "-Fine", "-Good", ""}));
}

TEST(BreakSubDialog, KeepsNoReportWhenNothingWasSplit) {
    const std::string film = Crlf({"1", T1, "-Hi.", "-Yo.", ""});
    LayoutRun run(film);
    EXPECT_EQ(BreakSubDialog(run.input(), run.output(), Breaks(33), run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), film);
    EXPECT_EQ(run.Read("DiaBreak"), "(none)");
    EXPECT_EQ(run.host.messages, Messages{"No Breaks of Subtitles!"});
}

const std::string kBigText = "This is the first part of it. And this is the second one";

TEST(BreakBigText, SplitsAtAMarkNearTheMiddle) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", "00:00:10,000 --> 00:00:14,000", kBigText, "",
        "2", T1, "aaaa bbbb cccc dddd eeee ffff gggg hhhh", "",
        "3", T1, "-A dialogue is no big text at all", "",
        "4", T1, "Short.", "",
        "5", T1, "A cut after a comma, keeps the subtitle whole", "",
    }));
    BreakParams params{.lineLength = 20, .lineCount = 1, .maxSubLengthCorrection = 5,
                       .delimiters = "!?"};
    EXPECT_EQ(BreakBigText(run.input(), run.output(), params, run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", "00:00:10,000 --> 00:00:12,000", "This is the first part of it.", "",
        "1", "00:00:12,001 --> 00:00:14,000", "And this is the second one", "",
        "2", T1, "aaaa bbbb cccc dddd eeee ffff gggg hhhh", "",
        "3", T1, "-A dialogue is no big text at all", "",
        "4", T1, "Short.", "",
        "5", T1, "A cut after a comma,", "keeps the subtitle whole", "",
    }));
    EXPECT_EQ(run.Read("BigBreak"), Crlf({
        "1 = Break BigText on 2 tails: 29 and 26 symbols || [00:00:02,000]+[00:00:01,999]",
        "2 = BigText NOT Break on 2 tails!!!",
        "5 = BigText NOT Break on 2 tails!!!",
        "====================================================",
        ">> 1 / 3 = Break / All_Big_Text",
    }));
    // clang-format on
}

// A mark inside a tag is no place to split a big text; a tag that closes the word before the
// cut stays with it, one that opens the next word goes with that.
TEST(BreakBigText, NeverSplitsInsideATag) {
    struct Case {
        std::string text;
        std::vector<std::string> first, second;  // the two subtitles' texts; second empty: one
    } cases[] = {
        {"<i>This is the first part of it.</i> And this is the second one",
         {"<i>This is the first part of it.</i>"},
         {"And this is the second one"}},
        {"This is the first part of it. <i>And this is the second one</i>",
         {"This is the first part of it."},
         {"<i>And this is the second one</i>"}},
        {"This is the first part of it.<i>And this is the second one</i>",
         {"This is the first part of it."},
         {"<i>And this is the second one</i>"}},
        // The only comma and full stop near the middle stand inside the tags.
        {"This is the first part of it <font face=\"a, b.c\">and this</font> is more of it",
         {"This is the first part of it <font face=\"a, b.c\">and this</font> is more of it"},
         {}},
        {"A first part of {y:b,u}the text and, a second one here",
         {"A first part of {y:b,u}the text and,", "a second one here"},
         {}},
    };
    for (const Case& c : cases) {
        LayoutRun run(Crlf({"1", "00:00:10,000 --> 00:00:14,000", c.text, ""}));
        BreakParams params{
            .lineLength = 20, .lineCount = 1, .maxSubLengthCorrection = 5, .delimiters = "!?"};
        EXPECT_EQ(BreakBigText(run.input(), run.output(), params, run.host), RunResult::Done);
        std::vector<std::string> lines = {"1"};
        lines.push_back(c.second.empty() ? "00:00:10,000 --> 00:00:14,000"
                                         : "00:00:10,000 --> 00:00:12,000");
        lines.insert(lines.end(), c.first.begin(), c.first.end());
        lines.emplace_back();
        if (!c.second.empty()) {
            lines.insert(lines.end(), {"1", "00:00:12,001 --> 00:00:14,000"});
            lines.insert(lines.end(), c.second.begin(), c.second.end());
            lines.emplace_back();
        }
        std::string expected;
        for (const std::string& line : lines)
            expected += line + "\r\n";
        EXPECT_EQ(run.Read("out"), expected) << c.text;
    }
}

TEST(BreakSubDialog, SplitsBigTextsTooWhenAsked) {
    LayoutRun run(Crlf({"1", "00:00:10,000 --> 00:00:14,000", kBigText, ""}));
    BreakParams params = Breaks(20);
    params.breakBigText = true;
    params.subtitleFullLength = 50;
    BreakSubDialog(run.input(), run.output(), params, run.host);
    EXPECT_EQ(run.Read("DiaBreak"),
              Crlf({"1 = Subtitle Full Length is 56 > 50",
                    "1 = Break BigText on 2 tails: 29 and 26 symbols || "
                    "[00:00:02,000]+[00:00:01,999]",
                    "====================================================",
                    ">> 0 / 0 = Break / All_Dialogs", ">> 1 / 1 = Break / All_Big_Text"}));
}

TEST(BreakSubDialog, SplitsMicroDvdFrameLines) {
    LayoutRun run(Crlf({"{100}{160}-Hello there friend|-Fine|-Good", "{200}{260}" + kBigText}),
                  "film.sub");
    BreakParams params = Breaks(10);
    params.breakBigText = true;
    BreakSubDialog(run.input(), run.output(), params, run.host);
    EXPECT_EQ(run.Read("out"), Crlf({"{100}{130}-Hello there friend", "{131}{160}-Fine|-Good",
                                     "{200}{230}This is the first part of it.",
                                     "{231}{260}And this is the second one"}));
    EXPECT_EQ(run.Read("DiaBreak"),
              Crlf({"{100}{160} = Break Dialog on 2 tails: 19 and 10 symbols",
                    "{200}{260} = Break BigText on 2 tails: 29 and 26 symbols || [30]+[29]",
                    "====================================================",
                    ">> 1 / 1 = Break / All_Dialogs", ">> 1 / 1 = Break / All_Big_Text"}));
}

// --- Short words at a line's end ----------------------------------------------------------------

TEST(ShortWordsAtEnd, CountsCharactersNotBytes) {
    struct Case {
        std::string line;  // UTF-8
        bool oneLetter;
        bool twoLetters;
    } cases[] = {
        {"", false, false},
        {"я", false, false},
        {" я", true, false},
        {" -", false, false},  // a dash, no word
        {"Да я", true, false},
        {"Он ты", false, true},
        {"Он  я", true, true},  // two spaces: " я" and "  я"
        {"Жди -", false, false},
        // Characters of more than one code point stay whole.
        {"и е\u0301", true, false},
        {"и е\u0301ж", false, true},
        {"и е\u0301\u0301", true, false},
        {"ok 👍🏽", true, false},
        {"ok 👍🏽!", false, true},
        {"ok👍🏽 !", true, false},
        {"中 中", true, false},
        {" 中中", false, true},
        {"\xFF \xFF", true, false},
        {" \r", true, false},
    };
    for (const Case& c : cases) {
        const TextFormScope scope(TextForm::Utf8);
        const EndWords end = ShortWordsAtEnd(c.line);
        EXPECT_EQ(end.oneLetter, c.oneLetter) << c.line;
        EXPECT_EQ(end.twoLetters, c.twoLetters) << c.line;
        // The same answer as the last one, two and three characters counted from the end
        // one by one.
        const std::size_t n = c.line.size();
        const std::size_t one = CharBytesAtEnd(c.line, 1);
        const std::size_t two = CharBytesAtEnd(c.line, 2);
        const std::size_t three = CharBytesAtEnd(c.line, 3);
        EXPECT_EQ(end.oneLetter,
                  two == one + 1 && c.line[n - two] == ' ' && c.line.substr(n - one) != "-")
            << c.line;
        EXPECT_EQ(end.twoLetters, three == two + 1 && c.line[n - three] == ' ') << c.line;
    }
}

TEST(LayoutOperations, RefuseOtherKindsAndLeaveNothingBehind) {
    const auto check = [](const char* what, auto run) {
        LayoutRun file("[Script Info]\r\n", "film.ssa");
        EXPECT_EQ(run(file), RunResult::Refused) << what;
        EXPECT_EQ(file.host.messages, Messages{"Not Support File extension: ssa"}) << what;
        EXPECT_EQ(file.OtherFiles(), 0) << what;
    };
    check("to one line",
          [](LayoutRun& f) { return SubtitlesToOneLine(f.input(), f.output(), {}, f.host); });
    check("to bottom",
          [](LayoutRun& f) { return SubtitlesToBottom(f.input(), f.output(), {}, f.host); });
    check("break dialog",
          [](LayoutRun& f) { return BreakSubDialog(f.input(), f.output(), {}, f.host); });
    check("break big text",
          [](LayoutRun& f) { return BreakBigText(f.input(), f.output(), {}, f.host); });
}

// A record of more text lines than any subtitle has (a text file under a timing line) is never
// held whole: the layout operations copy it as it is and lay out the subtitles around it; the
// correction writes it as it grows, line for line what it writes when it holds it.
TEST(LayoutOperations, ARecordTooLongToHoldPassesThroughAndTheRestIsLaidOut) {
    std::string longText;
    for (std::size_t i = 0; i <= LayoutReader::kMostRecordLines; ++i)
        longText += "Line  " + std::to_string(i) + "\r\n";
    const std::string longRecord = Crlf({"2", T1}) + longText + "\r\n";
    const std::string file = Crlf({"1", T1, "Short one", "two", ""}) + longRecord +
                             Crlf({"3", T1, "Last one", "again", ""});
    const struct {
        const char* what;
        RunResult (*run)(LayoutRun&);
        std::string before, after;  // what the short subtitles become
    } cases[] = {
        {"to one line",
         [](LayoutRun& f) { return SubtitlesToOneLine(f.input(), f.output(), {}, f.host); },
         Crlf({"1", T1, "Short one two", ""}), Crlf({"3", T1, "Last one again", ""})},
        {"set length",
         [](LayoutRun& f) {
             return SetLength(f.input(), f.output(), {.cut = {.maxLength = 5}}, f.host);
         },
         Crlf({"1", T1, "Short", "one", "two", ""}), Crlf({"3", T1, "Last", "one", "again", ""})},
        {"to bottom",
         [](LayoutRun& f) { return SubtitlesToBottom(f.input(), f.output(), {}, f.host); },
         Crlf({"1", T1, " ", "Short one", "two", ""}),
         Crlf({"3", T1, " ", "Last one", "again", ""})},
    };
    for (const auto& c : cases) {
        LayoutRun run(file);
        EXPECT_EQ(c.run(run), RunResult::Done) << c.what;
        EXPECT_EQ(run.Read("out"), c.before + longRecord + c.after) << c.what;
    }

    // The correction removes double spaces from every line of it, the lines written early too,
    // each reported with the record's number.
    LayoutRun run(file);
    EXPECT_EQ(SubtitlesCorrection(run.input(), run.output(), {.interactive = false}, run.host),
              RunResult::Done);
    std::string corrected = run.Read("out");
    EXPECT_EQ(corrected.find("Line  "), std::string::npos);
    EXPECT_NE(corrected.find("\r\nLine\r\n0\r\n"), std::string::npos);
    // Lines 9998 and 9999 open the part after the first 10,000 lines held (number and timing
    // among them): neither is taken for a timing line.
    for (const char* number : {"9998", "9999", "10000"})
        EXPECT_NE(corrected.find("\r\nLine\r\n" + std::string(number) + "\r\n"), std::string::npos)
            << number;
    const std::string report = run.Read("corr");
    EXPECT_EQ(report.find("1 = "), std::string::npos) << "no line reported with the key before";
}

// A line of one space ends a record only before an empty line, a number or the end; a number
// is a record's only when a timing line follows its blank lines, else it and the lines read
// after it are read again as lines. To one line shows where each record ended, Set Length
// (every line fits) that every line came out as it went in.
TEST(LayoutReader, EndsRecordsWhereTheirLinesSayAndReadsLookedAtLinesAgain) {
    // clang-format off
    const std::string file = Crlf({
        "1", T1, " ", "Padded", "",
        "2", T1, "Ends with a space line", " ", "", "",
        "3", T1, "Before the next number", " ",
        "4", "", "Not a timing line", "",
        "5", "", T1, "-Yes.", "-No.",
    });
    const std::string joined = Crlf({
        "1", T1, "Padded", "",
        "2", T1, "Ends with a space line", "", "", "",
        "3", T1, "Before the next number", "",
        "4", "", "Not a timing line", "",
        "5", "", T1, "-Yes.", "-No.", "",
    });
    // clang-format on
    LayoutRun oneLine(file);
    EXPECT_EQ(SubtitlesToOneLine(oneLine.input(), oneLine.output(), {}, oneLine.host),
              RunResult::Done);
    EXPECT_EQ(oneLine.Read("out"), joined);
    LayoutRun setLength(file);
    EXPECT_EQ(SetLength(setLength.input(), setLength.output(), {}, setLength.host),
              RunResult::Done);
    EXPECT_EQ(setLength.Read("out"), file);
}

// A line of one space before a number ends the record (the number may start the next one);
// before any other line it is text. Numbers are signed 32-bit ones; the usual ones, up to nine
// digits, are told four digits at a time, a wrong digit in any four must count.
TEST(LayoutReader, ASpaceLineBeforeANumberEndsTheRecord) {
    const struct {
        std::string_view after;
        bool number;
    } cases[] = {
        {"9", true},          {"1234", true},         {"12345678", true},   {"123456789", true},
        {"1234567890", true}, {"+5", true},           {"12:4", false},      {"1/34", false},
        {"12a45678", false},  {"1234567/", false},    {"1234567/9", false}, {"12345:789", false},
        {"1234:6789", false}, {"99999999999", false}, {"a", false},
    };
    for (const auto& c : cases) {
        LayoutRun run(Crlf({"1", T1, "Text", " ", c.after, ""}));
        EXPECT_EQ(SubtitlesToOneLine(run.input(), run.output(), {}, run.host), RunResult::Done);
        const std::string after(c.after);
        EXPECT_EQ(run.Read("out"), c.number ? Crlf({"1", T1, "Text", "", after, ""})
                                            : Crlf({"1", T1, "Text " + after, ""}))
            << c.after;
    }
}

TEST(IsDialogLine, ADashFirstOrAfterAStyleTag) {
    const struct {
        std::string_view line;
        bool dialog;
    } cases[] = {
        {"-Yes.", true},     {"<i>-Yes.", true}, {"<I>-Yes.", true}, {"{y:b}-Yes.", true},
        {"{Y:I}-", true},    {"Yes.", false},    {"", false},        {"<i> -Yes.", false},
        {"<u>-Yes.", false}, {"{y:i}", false},   {"<", false},       {" -Yes.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsDialogLine(c.line), c.dialog) << c.line;
}

// The bound must never fall below the count, or a line too long would pass uncut; for ASCII and
// two-byte letters it is the count. Every length from 0 to 70 bytes of each text is measured,
// so each tail length of the 16-byte steps is met, pairs split across steps among them.
TEST(Utf8CharsAtMost, NeverBelowTheCountAndExactForTwoByteLetters) {
    const TextFormScope scope(TextForm::Utf8);
    struct Case {
        std::string text;
        bool exact;
    } cases[] = {
        {"Plain ASCII text, the usual English line of a film.......", true},
        {"Ж Привет, как дела? Всё хорошо, спасибо большое, друг мой!", true},
        {"aЖbЖcЖdЖeЖfЖgЖhЖiЖjЖkЖlЖmЖnЖoЖpЖqЖrЖsЖtЖuЖvЖwЖxЖyЖzЖ", true},
        // Stray continuation bytes, a lead without its continuation, a lead at the very end.
        {"\x80\xBF\x80 abc \xD0 \xD0\xD0\x96 \x80\x80\x80\x80\x80\x80\x80\x80 \xD0", false},
        // Three- and four-byte code points, combining accents, a CR.
        {"中文中文 e\u0301e\u0301 👍🏽 Ça va très bien, merci\r beaucoup ami, ΑΒΓΔΕ",
         false},
    };
    for (const Case& c : cases) {
        for (std::size_t n = 0; n <= std::min<std::size_t>(c.text.size(), 70); ++n) {
            const std::string_view text = std::string_view(c.text).substr(0, n);
            // Cut inside a character, the text ends in a stray byte: exact no longer holds.
            const bool whole =
                n == c.text.size() || (static_cast<unsigned char>(c.text[n]) & 0xC0) != 0x80;
            const std::size_t bound = Utf8CharsAtMost(text);
            EXPECT_GE(bound, CharCount(text)) << c.text << " / " << n;
            if (c.exact && whole) {
                EXPECT_EQ(bound, CharCount(text)) << c.text << " / " << n;
            }
        }
    }
}

}  // namespace
}  // namespace tessaline
