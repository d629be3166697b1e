#include "ops/line_cut.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "layout_run.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::LayoutRun;
using test::W;

std::string Joined(const LineList& lines) {
    return JoinStrings(lines, "|");
}

TEST(GreedyCut, FillsLinesAndEvensOutAThreeLineCutFromTheEnd) {
    const std::string word50(50, 'w');
    struct Case {
        std::string text;
        int max;
        bool breakMode, fromEnd;
        std::string lines;
    } cases[] = {
        {"aaa bbb ccc ddd", 8, false, true, "aaa bbb|ccc ddd"},
        {word50, 20, false, false, word50},
        {"aaaa bb ccccccc dddddddddd", 10, false, true, "aaaa|bb ccccccc|dddddddddd"},
        // The long last line pulls the second line's first word up.
        {"aaaa bb ccccccc dddddddddd", 10, true, true, "aaaa bb|ccccccc|dddddddddd"},
        // A cut from the start fills the first line: no word of the second fits on it.
        {"aaaa bb ccccccc dddddddddd", 10, true, false, "aaaa bb|ccccccc|dddddddddd"},
        {" ", 10, false, false, ""},
    };
    for (const Case& c : cases) {
        LineList lines = {"left over"};
        GreedyCut(c.text, c.max, c.breakMode, c.fromEnd, lines);
        EXPECT_EQ(Joined(lines), c.lines) << c.text;
    }
}

TEST(EqualCut, ChoosesItsWidthAndCutsAgainWhenTheLinesComeOutUneven) {
    const std::string seventy =
        "Abcde fghi jklm nopq rstu vwxy zabc defg hijk lmno pqrs tuvw xyza bcde";
    struct Case {
        std::string text;
        int max, count, delta;
        bool reCut;
        int disbalance;
        std::string lines;
    } cases[] = {
        // L = 70, m = 40, n = 2: k = 2, w0 = 37 is above 0.67 x 40, so the width is 37.
        {seventy, 40, 2, 0, false, 5, seventy.substr(0, 35) + "|" + seventy.substr(36)},
        // L = 41: w0 = 22 is not, so the width is 0.8 x 40 = 32.
        {"Abcde fghi jklm nopq rstu vwxy zabc defgh", 40, 2, 0, false, 5,
         "Abcde fghi jklm nopq rstu vwxy|zabc defgh"},
        // n = 2 below k = 3: the width is the maximum.
        {seventy, 30, 2, 0, false, 5,
         "Abcde fghi jklm nopq rstu vwxy|zabc defg hijk lmno pqrs tuvw|xyza bcde"},
        // Three lines where two are wanted: without the re-cut they stay ...
        {"aaaaa bbbbb ccccc ddddd eeeee", 20, 2, 0, false, 5, "aaaaa bbbbb|ccccc ddddd|eeeee"},
        // ... with it, the ratio 11 / 5 below 5 leaves them, and the greedy cut takes over ...
        {"aaaaa bbbbb ccccc ddddd eeeee", 20, 2, 0, true, 5, "aaaaa bbbbb ccccc|ddddd eeeee"},
        // ... or, at the ratio, the re-cut cuts again at the maximum.
        {"aaaaa bbbbb ccccc ddddd eeeee", 20, 2, 0, true, 2, "aaaaa bbbbb ccccc|ddddd eeeee"},
        // Two neighbours differ by more than the delta: cut again at m - 3 = 17.
        {"aaa bbbb cccccccc dd eeee", 20, 3, 0, false, 1, "aaa bbbb|cccccccc dd|eeee"},
        {"aaa bbbb cccccccc dd eeee", 20, 3, 0, true, 1, "aaa bbbb cccccccc|dd eeee"},
        // Cut at m - 3 already: only the last two lines are joined.
        {"aaa b cccc ddddddd eeeee fffff", 20, 3, 1, true, 1, "aaa b cccc|ddddddd eeeee fffff"},
        // More lines than the text needs, none long: words move up to the line before.
        {"aaaa bbbbb cccccc ddddd eeeee", 20, 3, 2, false, 2, "aaaa bbbbb|cccccc ddddd|eeeee"},
        {"aaaa bbbbb cccccc ddddd eeeee", 20, 3, 2, true, 2, "aaaa bbbbb cccccc|ddddd eeeee"},
        // Lines 13 and 7 apart by more than 3: cut again at (13 + 7) div 2 + 1 = 11, then the
        // last two lines are joined.
        {"aaa bbbbbbbbb ccccccc", 20, 2, 3, false, 1, "aaa bbbbbbbbb|ccccccc"},
        {"aaa bbbbbbbbb ccccccc", 20, 2, 3, true, 1, "aaa|bbbbbbbbb ccccccc"},
        // Cut at 11 into 8, 5, 9 and 4 characters, the re-cut keeps the width: the last two
        // lines fill the 14 characters exactly and are joined (from the end: the first two).
        {"aaaaaaaa bbbbb ccccccccc dddd", 14, 4, 0, true, 1, "aaaaaaaa|bbbbb|ccccccccc dddd"},
        // The re-cut at 11 ends the first line at its comma.
        {"aaaaaaa, bbbbb cccccc", 20, 2, 3, true, 1, "aaaaaaa,|bbbbb cccccc"},
    };
    for (const Case& c : cases) {
        LineCutParams params{.maxLength = c.max,
                             .equal = true,
                             .lineCount = c.count,
                             .reCut = c.reCut,
                             .delta = c.delta,
                             .disbalance = c.disbalance};
        LineList lines;
        EqualCut(c.text, params, lines);
        EXPECT_EQ(Joined(lines), c.lines)
            << c.text << " m=" << c.max << " reCut=" << c.reCut << " D=" << c.disbalance;
    }
    LineList lines;
    EqualCut("aaaaaaaa bbbbb ccccccccc dddd",
             {.maxLength = 14,
              .equal = true,
              .lineCount = 4,
              .reCut = true,
              .delta = 0,
              .fromEnd = true,
              .disbalance = 1},
             lines);
    EXPECT_EQ(Joined(lines), "aaaaaaaa bbbbb|ccccccccc|dddd");
}

TEST(EqualCut, WideLettersAndPunctuationChooseTheCut) {
    LineCutParams params{.maxLength = 7, .equal = true, .lineCount = 1, .wideLetters = true};
    LineList lines;
    // Three wide letters: the piece is one character shorter.
    EqualCut(W("шшш ааа ббб"), params, lines);
    EXPECT_EQ(Joined(lines), W("шшш|ааа ббб"));
    params.wideLetters = false;
    EqualCut(W("шшш ааа ббб"), params, lines);
    EXPECT_EQ(Joined(lines), W("шшш ааа|ббб"));
}

TEST(CutLine, LeavesNoBlankLine) {
    LineList lines;
    CutLine("a  b", {.maxLength = 1}, lines);
    EXPECT_EQ(Joined(lines), "a|b");
}

// --- The operation -----------------------------------------------------------------------------

const std::string T1 = "00:00:01,000 --> 00:00:02,000";

SetLengthParams Params(int max, int count) {
    SetLengthParams params;
    params.cut.maxLength = max;
    params.cut.lineCount = count;
    params.correctTags = true;
    params.writeLog = true;
    return params;
}

TEST(SetLength, CutsLongSubRipLinesKeepingTagsBalanced) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", T1, "Short line stays.", "",
        "2", T1, "<i>This line is in italics and far too long</i>", "",
        "3", T1, "-This dialogue line is long enough to be cut", "",
        "4", T1, "",
        "5", T1, "Say <i>hello to all of my friends</i> today", "",
    }));
    run.result = SetLength(run.input(), run.output(), Params(20, 2), run.host);
    EXPECT_EQ(run.result, RunResult::Done);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", T1, "Short line stays.", "",
        "2", T1, "<i>This line is in</i>", "<i>italics and far too</i>", "<i>long</i>", "",
        "3", T1, "-This dialogue line", "is long enough to be", "cut", "",
        "4", T1, "",
        "5", T1, "Say <i>hello to all</i>", "<i>of my friends</i>", "today", "",
    }));
    EXPECT_EQ(run.Read("log"), Crlf({
        "2 = to line 0 add TAG </i>", "2 = to line 1 add TAGs <i> and </i>",
        "2 = to line 2 add TAG <i>", "2 = 3 lines",
        "3 = 3 lines", "3 = dialog",
        "4 = Null line!!!",
        "5 = to line 0 add TAG </i>", "5 = to line 1 add TAG <i>", "5 = 3 lines",
    }));
    // clang-format on
    EXPECT_EQ(run.host.reportKind, "*.log");
}

// A line is cut when its characters, tags not counted, exceed the length, whatever its bytes.
TEST(SetLength, CutsAtTheLengthInCharactersNotBytes) {
    // clang-format off
    LayoutRun run(Crlf({
        "1", T1, "abcdefghij klmnopqrs", "",
        "2", T1, "abcdefghij klmnopqrst", "",
        "3", T1, "<i>abcdefghij klmnopqrs</i>", "",
        "4", T1, "<i>abcdefghij klmnopqrst</i>", "",
    }));
    run.result = SetLength(run.input(), run.output(), Params(20, 2), run.host);
    EXPECT_EQ(run.Read("out"), Crlf({
        "1", T1, "abcdefghij klmnopqrs", "",
        "2", T1, "abcdefghij", "klmnopqrst", "",
        "3", T1, "<i>abcdefghij klmnopqrs</i>", "",
        "4", T1, "<i>abcdefghij</i>", "<i>klmnopqrst</i>", "",
    }));
    // clang-format on
}

TEST(SetLength, WritesTheReportOnlyWhenAskedAndSaysWhenItIsEmpty) {
    const std::string film = Crlf({"1", T1, "Fits.", ""});
    LayoutRun quiet(film);
    SetLengthParams params = Params(20, 2);
    params.writeLog = false;
    EXPECT_EQ(SetLength(quiet.input(), quiet.output(), params, quiet.host), RunResult::Done);
    EXPECT_EQ(quiet.Read("out"), film);
    EXPECT_EQ(quiet.OtherFiles(), 1);
    EXPECT_TRUE(quiet.host.messages.empty());

    LayoutRun asked(film);
    EXPECT_EQ(SetLength(asked.input(), asked.output(), Params(20, 2), asked.host), RunResult::Done);
    EXPECT_EQ(asked.host.messages, std::vector<std::string>{"Null Log-file"});
    EXPECT_EQ(asked.Read("log"), "(none)");
}

TEST(SetLength, LaysMicroDvdTextsOutAnew) {
    struct Case {
        std::string line;
        bool tagToEveryLine;
        std::string written;
        std::string report;
    } cases[] = {
        {"{1}{2}{y:i}One two three four five six|seven", true,
         "{1}{2}{y:i}One two|{y:i}three four|{y:i}five six|{y:i}seven", "{1}{2} = 4 lines\r\n"},
        {"{1}{2}{y:i}One two three four five six|{y:i}seven", false,
         "{1}{2}{y:i}One two|three four|five six|seven", "{1}{2} = 4 lines\r\n"},
        // A dialogue is cut speaker by speaker.
        {"{5}{6}-Hello there my friend|-Yes", true, "{5}{6}-Hello there|my friend|-Yes",
         "{5}{6} = 3 lines\r\n{5}{6} = dialog\r\n"},
        {"{7}{8}Short", true, "{7}{8}Short", "(none)"},
        // Display lines that all fit stay as they are, however many there are.
        {"{9}{10}ab|cd", true, "{9}{10}ab|cd", "(none)"},
        {"{3}{4}Short|two", true, "{3}{4}Short|two", "(none)"},
        // Their length leaves italic and bold tags out, other tags count.
        {"{3}{4}Twelve chars|{y:i}Twelve chars|12345678901<i>2</i>", true,
         "{3}{4}Twelve chars|{y:i}Twelve chars|12345678901<i>2</i>", "(none)"},
        {"{3}{4}ab|cd 1234{c:$0000ff}", true, "{3}{4}ab cd|1234{c:$0000ff}", ""},
        // One line over the length: the whole text is laid out anew.
        {"{3}{4}ab|Thirteen char", true, "{3}{4}ab Thirteen|char", ""},
        {"Not a frame line that is rather long", true, "Not a frame line that is rather long",
         "(none)"},
    };
    for (const Case& c : cases) {
        LayoutRun run(Crlf({c.line}), "film.sub");
        SetLengthParams params = Params(12, 2);
        params.tagToEveryLine = c.tagToEveryLine;
        SetLength(run.input(), run.output(), params, run.host);
        EXPECT_EQ(run.Read("out"), Crlf({c.written})) << c.line;
        EXPECT_EQ(run.Read("log"), c.report.empty() ? "(none)" : c.report) << c.line;
    }
}

TEST(SetLength, RefusesOtherKindsWithoutWritingAnything) {
    LayoutRun run("[Script Info]\r\n", "film.ass");
    EXPECT_EQ(SetLength(run.input(), run.output(), Params(20, 2), run.host), RunResult::Refused);
    EXPECT_EQ(run.host.messages, std::vector<std::string>{"Not Support File extension: ass"});
    EXPECT_EQ(run.OtherFiles(), 0);
}

// --- UTF-8 ---------------------------------------------------------------------------------

// The film's text lines, each in a subtitle of its own (or, in a ".sub" film, frame lines).
std::string Film(std::initializer_list<std::string_view> lines, bool microDvd) {
    std::string film;
    int number = 0;
    for (std::string_view line : lines) {
        if (!microDvd) film += std::to_string(++number) + "\r\n" + T1 + "\r\n";
        film.append(line).append("\r\n");
        if (!microDvd) film += "\r\n";
    }
    return film;
}

// No line is cut inside a tag, and a tag goes with the word it touches; tags count in the
// length like any characters. The same cuts in both text forms and both file kinds.
TEST(SetLength, NeverCutsInsideATag) {
    const std::string font = "<font color=#ff0000 size=9>";
    struct Case {
        const char* what;
        std::string text;  // one SubRip text line, or the MicroDVD text after the frames
        int max;
        bool equal;
        std::string lines;  // the lines written, joined by "|"
    } cases[] = {
        {"a tag opening the word that goes down",
         "Some words first " + font + "reddish</font> here", 50, false,
         "Some words first|" + font + "reddish</font> here"},
        {"a tag closing the word that fills the line",
         "Some words first " + font + "red</font> and more", 54, false,
         "Some words first " + font + "red</font>|and more"},
        {"a cut inside a closing tag sends its word down",
         "Some words first " + font + "red</font> and more", 50, false,
         "Some words first|" + font + "red</font> and more"},
        {"a word and its tags longer than the line stay whole",
         "Some words first " + font + "reddish</font> here", 20, false,
         "Some words first|" + font + "reddish</font>|here"},
        {"tags count in the length", "<b>Words that</b> fill the line and more", 20, false,
         "<b>Words that</b>|fill the line and|more"},
        {"a font tag counts: the line is cut, not the tag", "Short " + font + "red</font> text", 20,
         false, "Short|" + font + "red</font>|text"},
        {"a line that fits but for its italic tags stays whole", "<i>Short red text here</i>", 20,
         false, "<i>Short red text here</i>"},
        {"the equal cut", "Some words first " + font + "red</font> and then more", 20, true,
         "Some words first|" + font + "red</font>|and then more"},
        {"a comma inside a tag", "Good morning {y:b,u}to you nice people", 20, true,
         "Good morning|{y:b,u}to you nice|people"},
    };
    for (const Case& c : cases) {
        for (const bool microDvd : {false, true}) {
            for (const TextForm form : {TextForm::Cp1251, TextForm::Utf8}) {
                SCOPED_TRACE(std::string(c.what) + (microDvd ? ", MicroDVD" : ", SubRip") +
                             (form == TextForm::Utf8 ? ", UTF-8" : ""));
                // A UTF-8 file is told by its byte-order mark.
                const std::string bom = form == TextForm::Utf8 ? "\xEF\xBB\xBF" : "";
                const std::string line = microDvd ? "{1}{2}" + c.text : c.text;
                LayoutRun run(bom + Film({line}, microDvd), microDvd ? "film.sub" : "film.srt");
                SetLengthParams params = Params(c.max, 2);
                params.cut.equal = c.equal;
                EXPECT_EQ(SetLength(run.input(), run.output(), params, run.host), RunResult::Done);
                std::string written = microDvd ? "{1}{2}" + c.lines : c.lines;
                if (!microDvd) written = ReplaceAll("|", "\r\n", written, false);
                EXPECT_EQ(run.Read("out"), bom + Film({written}, microDvd));
            }
        }
    }
}

TEST(SetLength, CutsUtf8TextLikeItsWindows1251Twin) {
    struct Case {
        const char* what;
        std::string film;  // UTF-8
        void (*tune)(SetLengthParams&);
    } cases[] = {
        {"greedy", Film({"Привет, как ты поживаешь сегодня вечером?"}, false),
         [](SetLengthParams&) {}},
        {"from the end", Film({"Привет, как ты поживаешь сегодня вечером?"}, false),
         [](SetLengthParams& p) { p.cut.fromEnd = true; }},
        {"three lines evened", Film({"ааааааа ббббб ввввввввввввв гггггггггггггггггггг"}, false),
         [](SetLengthParams& p) {
             p.cut.breakMode = 1;
             p.cut.fromEnd = true;
         }},
        {"equal, three lines", Film({"Ёжик шёл домой, по тёмному лесу шёл один и пел"}, false),
         [](SetLengthParams& p) {
             p.cut.equal = true;
             p.cut.lineCount = 3;
         }},
        {"equal, cut again", Film({"Ёжик шёл домой, по тёмному лесу шёл один и пел"}, false),
         [](SetLengthParams& p) {
             p.cut.equal = true;
             p.cut.reCut = true;
             p.cut.disbalance = 1;
         }},
        {"wide letters", Film({"Шшш ааа ббб ввв ггг ддд еее"}, false),
         [](SetLengthParams& p) {
             p.cut.equal = true;
             p.cut.wideLetters = true;
         }},
        {"italics and a dialogue",
         Film({"<i>Это очень длинная строка в курсиве</i>", "-Ты где был всю эту долгую ночь?",
               "Скажи <i>всем моим друзьям привет</i> сегодня"},
              false),
         [](SetLengthParams&) {}},
        {"MicroDVD",
         Film({"{1}{2}{y:i}Привет, как ты поживаешь|сегодня вечером, друг?",
               "{3}{4}-Где ты был всю ночь|-Дома"},
              true),
         [](SetLengthParams&) {}},
    };
    for (const Case& c : cases) {
        const std::string name = c.film.starts_with("{") ? "film.sub" : "film.srt";
        SetLengthParams params = Params(20, 2);
        c.tune(params);
        LayoutRun windows(W(c.film), name);
        EXPECT_EQ(SetLength(windows.input(), windows.output(), params, windows.host),
                  RunResult::Done);
        EXPECT_NE(windows.Read("out"), W(c.film)) << c.what;  // something was cut
        LayoutRun utf8(c.film, name);
        const TextFormScope scope(TextForm::Utf8);
        EXPECT_EQ(SetLength(utf8.input(), utf8.output(), params, utf8.host), RunResult::Done);
        EXPECT_EQ(utf8.Read("out"), Cp1251ToUtf8(windows.Read("out"))) << c.what;
        EXPECT_EQ(utf8.Read("log"), Cp1251ToUtf8(windows.Read("log"))) << c.what;
    }
}

TEST(SetLength, CountsCharactersBeyondWindows1251) {
    // A UTF-8 file (its byte-order mark says so, whatever stray bytes it holds).
    // clang-format off
    LayoutRun run("\xEF\xBB\xBF" + Film({
        "Ça va très bien, merci beaucoup 👍🏽 ami",   // 20 characters after the cut, 27 bytes
        "ΑΒΓΔΕ ζηθικ λμνξο πρστυ φχψω",
        "e\u0301e\u0301e\u0301e\u0301e\u0301 中文中文中文 \xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
    }, false));
    EXPECT_EQ(SetLength(run.input(), run.output(), Params(20, 2), run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), "\xEF\xBB\xBF" + Crlf({
        "1", T1, "Ça va très bien,", "merci beaucoup 👍🏽 ami", "",
        "2", T1, "ΑΒΓΔΕ ζηθικ λμνξο", "πρστυ φχψω", "",
        "3", T1, "e\u0301e\u0301e\u0301e\u0301e\u0301 中文中文中文", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", "",
    }));
    // clang-format on
}

// A UTF-8 line of more bytes than the length but few enough characters stays whole; one a
// character longer is cut.
TEST(SetLength, KeepsUtf8LinesThatFitByCharacters) {
    // clang-format off
    LayoutRun run("\xEF\xBB\xBF" + Crlf({
        "1", T1, "Привет, как дела, друг?", "",
        "2", T1, "Привет, как дела, друг?!", "",
        "3", T1, "Привет, как дела, друг? Всё хорошо, спасибо", "",
    }));
    EXPECT_EQ(SetLength(run.input(), run.output(), Params(23, 2), run.host), RunResult::Done);
    EXPECT_EQ(run.Read("out"), "\xEF\xBB\xBF" + Crlf({
        "1", T1, "Привет, как дела, друг?", "",
        "2", T1, "Привет, как дела,", "друг?!", "",
        "3", T1, "Привет, как дела, друг?", "Всё хорошо, спасибо", "",
    }));
    // clang-format on
}

}  // namespace
}  // namespace tessaline
