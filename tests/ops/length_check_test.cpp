// The length test: every kind of finding with its exact text.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "layout_run.hpp"
#include "ops/length_test.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::LayoutRun;
using test::W;
using Lines = std::vector<std::string>;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string kSeparator = "====================================================";

// The parameters of the cases: every check off unless a case turns it on.
LengthTestParams Quiet() {
    return {.lineLength = 40,
            .lineCount = 2,
            .subtitleFullLength = 119,
            .checkFirstLastNumber = false,
            .checkEndLetters = false};
}

// The report of a one-subtitle SubRip file with these text lines, as lines; "(none)" and the
// messages shown when there is no report.
Lines ReportOf(const Lines& text, const LengthTestParams& params) {
    std::string film = "1\r\n" + T1 + "\r\n";
    for (const std::string& line : text)
        film += line + "\r\n";
    LayoutRun run(film + "\r\n");
    EXPECT_EQ(LengthTest(run.input(), params, run.host), RunResult::Done);
    EXPECT_EQ(run.OtherFiles(), run.host.messages.empty() ? 1 : 0);
    const std::string report = run.Read("len");
    if (report == "(none)") {
        Lines none = {report};
        none.insert(none.end(), run.host.messages.begin(), run.host.messages.end());
        return none;
    }
    Lines lines;
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

Lines Wrong(std::initializer_list<std::string> found, const std::string& summary = "1 Wrong") {
    Lines lines(found);
    lines.push_back(kSeparator);
    lines.push_back(">>> " + summary + " Subtitles");
    return lines;
}

TEST(LengthTest, ReportsEachFindingWithItsText) {
    const std::string forty = "abcdefghij abcdefghij abcdefghij abcdefg";
    struct Case {
        const char* what;
        Lines text;
        void (*tune)(LengthTestParams&);
        Lines report;
    } cases[] = {
        {"clean", {"Hello there"}, [](LengthTestParams&) {}, {"(none)", "No Legth Warnings!"}},
        {"41 symbols",
         {forty + "x"},
         [](LengthTestParams&) {},
         Wrong({"1 = >>> 1 line: 41 symbols contain <<< Error >>>"})},
        {"tags are not counted",
         {"<i>" + forty + "</i>"},
         [](LengthTestParams&) {},
         {"(none)", "No Legth Warnings!"}},
        {"four wide letters in a full line",
         {W("жмфш") + forty.substr(4)},
         [](LengthTestParams& p) { p.wideLetters = true; },
         Wrong({"1 = >>> 1 line: 40 symbols contain and include 4 wide letters <<< Warning >>>"},
               "1 Warning")},
        {"quotes offset wide letters",
         {W("жмфш") + "\"" + forty.substr(5)},
         [](LengthTestParams& p) { p.wideLetters = true; },
         {"(none)", "No Legth Warnings!"}},
        {"six wide letters one short of full",
         {W("жжжжжж") + forty.substr(7)},
         [](LengthTestParams& p) { p.wideLetters = true; },
         Wrong({"1 = >>> 1 line: 39 symbols contain and include 6 wide letters <<< Warning >>>"},
               "1 Warning")},
        {"pixel width",
         {"Hello world, how are you?", "Hello"},
         [](LengthTestParams& p) {
             p.checkPixelWidth = true;
             p.pixelWidthMax = 100;
         },
         Wrong({"1 = >>> 1 line: 122 pixels width <<< Error >>>"})},
        {"pixel width without the font",
         {"Hello world, how are you?"},
         [](LengthTestParams& p) {
             p.checkPixelWidth = true;
             p.fontPath = "/nonexistent/font.ttf";
         },
         {">> Pixel Width Check Unavailable: cannot read the font /nonexistent/font.ttf"}},
        {"three lines",
         {"One", "Two", "Three"},
         [](LengthTestParams&) {},
         Wrong({"1 = >>> 3 lines <<< Error >>>"})},
        {"three lines of dialogue",
         {"-One", "-Two", "Three"},
         [](LengthTestParams&) {},
         Wrong({"1 = >>> 3 lines [with Dialog] [3 lines] <<< Error >>>"})},
        {"full length",
         {"abcdefghij klm", "nopqrstuvw xyz"},
         [](LengthTestParams& p) { p.subtitleFullLength = 20; },
         Wrong({"1 = >>> Subtitle Full Length is 28 > 20 <<< Error >>>"})},
        {"space first",
         {" Hello", "<i> Hi</i>"},
         [](LengthTestParams&) {},
         Wrong({"1 = >>> Space is a First Symbol of Subtitle! <<< Error >>>",
                "1 = >>> Space is a First Symbol of Subtitle! <<< Error >>>"})},
        {"digits first and last",
         {"2 apples", "<i>3 cats in 1999</i>", "in 5 days"},
         [](LengthTestParams& p) {
             p.checkFirstLastNumber = true;
             p.lineCount = 3;
         },
         {"1 = Number is a First Symbol of Subtitle!", "1 = Number is a First Symbol of Subtitle!",
          "1 = Number is a Last Symbol of Subtitle!"}},
        {"tags",
         {"<i>Hi</i>", "<b></b>"},
         [](LengthTestParams& p) { p.tagTest = true; },
         Wrong({"1 = TAG(s) present in Subtitle", "1 = TAG(s) present in Subtitle",
                "1 = >>> ERROR: line 2 contain Only TAG(s) <<< Error >>>",
                "1 = >>> ERROR: line 2 is Null <<< Error >>>"})},
        {"only a hyphen",
         {"Who?", "-"},
         [](LengthTestParams&) {},
         Wrong({"1 = >>> ERROR: line 2 has only hyphen (defis) [maybe broken Dialog] <<< Error "
                ">>>"})},
        {"capitals",
         {"HELLO you", W("ПРИВЕТ мир")},
         [](LengthTestParams&) {},
         {"1 = 1 line: 5/0 Upper symbols vs. 3/0 Lower symbols contain",
          "1 = 2 line: 0/6 Upper symbols vs. 0/3 Lower symbols contain"}},
        {"end letters",
         {"Hi a", "We go", "Wait -"},
         [](LengthTestParams& p) {
             p.checkEndLetters = true;
             p.lineCount = 3;
         },
         Wrong({"1 = One Letter in End of Line 1 <<< Warning >>>",
                "1 = Two Letters in End of Line 2 <<< Warning >>>"},
               "1 Warning")},
        {"notes left out",
         {"HELLO you", "2 apples"},
         [](LengthTestParams& p) {
             p.onlyErrors = true;
             p.checkFirstLastNumber = true;
         },
         {"(none)", "No Legth Warnings!"}},
        {"more lines than the text needs",
         {"Hi", "there"},
         [](LengthTestParams& p) {
             p.checkCountLines = true;
             p.lineLength = 20;
         },
         {"1 = Subtitle Count Lines is 2 > 1"}},
        {"disbalance",
         {std::string(10, 'a'), std::string(50, 'b')},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.lineLength = 60;
         },
         {"1 = Subtitle Disbalance is: 5"}},
        {"disbalance of a dialogue",
         {"-" + std::string(9, 'a'), "-" + std::string(49, 'b')},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.lineLength = 60;
         },
         {"1 = Subtitle Disbalance is: 5 [with Dialog] [2 lines]"}},
        {"disbalance, dialogues excluded",
         {"-" + std::string(9, 'a'), "-" + std::string(49, 'b')},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.disbalanceExcludeDialog = true;
             p.lineLength = 60;
         },
         {"(none)", "No Legth Warnings!"}},
        {"disbalance by zero",
         {"<i></i>", "text"},
         [](LengthTestParams& p) { p.checkDisbalance = true; },
         Wrong({"1 = >>> ERROR: line 1 is Null <<< Error >>>",
                "1 = Subtitle Disbalance: Division by Zero!"})},
        // The padding line of To Bottom takes a place but is not measured: the measured lines
        // alone are compared.
        {"disbalance under a padding line",
         {" ", std::string(10, 'a'), std::string(50, 'b')},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.lineLength = 60;
             p.lineCount = 3;
         },
         {"1 = Subtitle Disbalance is: 5"}},
        {"a padding line over a balanced subtitle",
         {" ", "Hello there", "General Kenobi"},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.lineCount = 3;
         },
         {"(none)", "No Legth Warnings!"}},
        {"errors and warnings",
         {"Hi a", std::string(41, 'x')},
         [](LengthTestParams& p) { p.checkEndLetters = true; },
         Wrong({"1 = One Letter in End of Line 1 <<< Warning >>>",
                "1 = >>> 2 line: 41 symbols contain <<< Error >>>"},
               "1 Wrong and 1 Warning")},
    };
    for (const Case& c : cases) {
        LengthTestParams params = Quiet();
        c.tune(params);
        EXPECT_EQ(ReportOf(c.text, params), c.report) << c.what;
    }
}

TEST(LengthTest, ChecksTheNumberingOnceAndAtTheEnd) {
    std::string film;
    for (const char* number : {"1", "2", "3", "4", "5", "7", "9"})
        film += Crlf({number, T1, "Text", ""});
    film += Crlf({"10", T1, "", "11", T1, "Last", " ", "12", T1, "Padded", " "});
    LayoutRun run(film);
    LengthTest(run.input(), Quiet(), run.host);
    EXPECT_EQ(
        run.Read("len"),
        Crlf({"7 = >>> wrong subtitle number! Must be: 6 <<< Error >>>", "10 = Null line!!!",
              "File has wrong subtitle numbers! Present: 12, Must be: 10 "
              "<<< Error >>>",
              "==========================================",
              "File has 2 Space-Lines in End of Subtitle!", kSeparator, ">>> 1 Wrong Subtitles"}));
}

TEST(LengthTest, AFileWithoutSubtitlesMayBeCorrupt) {
    LayoutRun run(Crlf({"Some text", "without numbers"}));
    LengthTest(run.input(), Quiet(), run.host);
    const Lines shown = {"Wrong Subtitle Number!\r\nSubtitle file maybe Corrupt!!!",
                         "No Legth Warnings!"};
    EXPECT_EQ(run.host.messages, shown);
}

TEST(LengthTest, ChecksMicroDvdDisplayLines) {
    LayoutRun run(Crlf({"{1}{2}{y:i}One|Two|", "{3}{4}{y:i}Text}{y:b}more",
                        "{5}{6}" + std::string(40, 'a') + "[br]b", "{7}{8}" + std::string(40, 'a'),
                        "Not a frame line"}),
                  "film.sub");
    LengthTest(run.input(), Quiet(), run.host);
    // No numbering in MicroDVD: its labels are frames, never numbers.
    EXPECT_EQ(
        run.Read("len"),
        Crlf({"{1}{2} = >>> Subtitle contain Wrong Breaker in Last symbol!!! <<< Error >>>",
              "{1}{2} = line 3 is NULL-Line in Subtitle!", "{1}{2} = >>> 3 lines <<< Error >>>",
              "{3}{4} = Subtitle mayby contain Wrong TAG!!!",
              "{5}{6} = >>> 1 line: 42 symbols contain <<< Error >>>", kSeparator,
              ">>> 2 Wrong Subtitles"}));
}

// A clean run removes the report of an earlier one (its findings no longer hold) and says so;
// without an older report there is nothing to say.
TEST(LengthTest, ACleanRunRemovesTheOlderReport) {
    for (const bool older : {true, false}) {
        SCOPED_TRACE(older);
        LayoutRun run(Crlf({"1", T1, "Hello", ""}));
        if (older) test::WriteFile(run.File("len"), "1 = >>> 1 line: 41 symbols contain\r\n");
        EXPECT_EQ(LengthTest(run.input(), Quiet(), run.host), RunResult::Done);
        EXPECT_EQ(run.Read("len"), "(none)");
        EXPECT_EQ(run.host.messages, Lines{"No Legth Warnings!"});
        EXPECT_EQ(run.host.statusBar,
                  older ? "film.len of an earlier run removed: nothing to report" : "");
        EXPECT_EQ(run.OtherFiles(), 0);
    }
}

TEST(LengthTest, ReplacesAnOlderReportAndNeedsNoOutputPath) {
    LayoutRun run(Crlf({"1", T1, std::string(41, 'x'), ""}));
    test::WriteFile(run.File("len"), "older report\r\n");
    test::WriteFile(run.File("out"), "an output that must stay\r\n");
    EXPECT_EQ(LengthTest(run.input(), Quiet(), run.host), RunResult::Done);
    EXPECT_EQ(run.Read("len"), Crlf({"1 = >>> 1 line: 41 symbols contain <<< Error >>>", kSeparator,
                                     ">>> 1 Wrong Subtitles"}));
    EXPECT_EQ(run.Read("out"), "an output that must stay\r\n");
    EXPECT_EQ(run.OtherFiles(), 2);
    EXPECT_EQ(run.host.reportKind, "*.len");

    LayoutRun other("[Events]\r\n", "film.ass");
    EXPECT_EQ(LengthTest(other.input(), Quiet(), other.host), RunResult::Refused);
    EXPECT_EQ(other.OtherFiles(), 0);
}

// --- UTF-8 ---------------------------------------------------------------------------------

TEST(LengthTest, MeasuresUtf8TextLikeItsWindows1251Twin) {
    const std::string forty = "абвгдеёжзи абвгдеёжзи абвгдеёжзи абвгдеё";  // UTF-8
    struct Case {
        const char* what;
        Lines text;  // UTF-8
        void (*tune)(LengthTestParams&);
    } cases[] = {
        {"41 symbols", {forty + "й"}, [](LengthTestParams&) {}},
        {"40 symbols, 79 bytes", {forty, "<i>" + forty + "</i>"}, [](LengthTestParams&) {}},
        {"wide letters",
         {"жмфш" + forty.substr(8)},
         [](LengthTestParams& p) { p.wideLetters = true; }},
        {"capitals",
         {"ПРИВЕТ мир", "HELLO вы", "Ёлки-палки"},
         [](LengthTestParams& p) { p.lineCount = 3; }},
        {"end letters",
         {"Привет я", "Мы до", "Жди -"},
         [](LengthTestParams& p) {
             p.checkEndLetters = true;
             p.lineCount = 3;
         }},
        {"end letters after two-byte letters",
         {"Я ж", "Ох жж", "ж", "а б в", "Ёж ё-"},
         [](LengthTestParams& p) {
             p.checkEndLetters = true;
             p.lineCount = 5;
         }},
        {"numbers and spaces behind tags",
         {"<i>5 яблок</i>", "<b> Ответ: 42</b>", "{y:i}7 дней", "Ё 1"},
         [](LengthTestParams& p) {
             p.checkFirstLastNumber = true;
             p.lineCount = 4;
         }},
        {"full length",
         {"абвгдеёжзи клм", "нопрстуфхц чшщ"},
         [](LengthTestParams& p) { p.subtitleFullLength = 20; }},
        {"disbalance",
         {"ааааааааaa", "бббббббббббббббббббббббббббббббббббббббббббббббббб"},
         [](LengthTestParams& p) {
             p.checkDisbalance = true;
             p.lineLength = 60;
         }},
        {"count lines",
         {"Да", "нет"},
         [](LengthTestParams& p) {
             p.checkCountLines = true;
             p.lineLength = 20;
         }},
        {"pixel width",
         {"Привет мир, как у вас дела?"},
         [](LengthTestParams& p) {
             p.checkPixelWidth = true;
             p.pixelWidthMax = 100;
         }},
        {"tags and numbers",
         {"<i>Привет</i>", "2 яблока в 1999"},
         [](LengthTestParams& p) {
             p.tagTest = true;
             p.checkFirstLastNumber = true;
         }},
    };
    for (const Case& c : cases) {
        LengthTestParams params = Quiet();
        c.tune(params);
        Lines windowsText;
        for (const std::string& line : c.text)
            windowsText.push_back(W(line));
        Lines expected = ReportOf(windowsText, params);
        for (std::string& line : expected)
            line = Cp1251ToUtf8(line);
        const TextFormScope scope(TextForm::Utf8);
        EXPECT_EQ(ReportOf(c.text, params), expected) << c.what;
    }
}

// `s` written `n` times.
std::string times(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(LengthTest, CountsUtf8CharactersBeyondWindows1251) {
    const TextFormScope scope(TextForm::Utf8);
    struct Case {
        const char* what;
        Lines text;
        Lines report;
    } cases[] = {
        {"40 accented letters", {times("é", 40)}, {"(none)", "No Legth Warnings!"}},
        {"41 accented letters",
         {times("é", 41)},
         Wrong({"1 = >>> 1 line: 41 symbols contain <<< Error >>>"})},
        {"emoji with skin tones and combining accents",
         {times("👍🏽", 20) + times("e\u0301", 20)},
         {"(none)", "No Legth Warnings!"}},
        {"stray bytes",
         {times("\xFF", 41)},
         Wrong({"1 = >>> 1 line: 41 symbols contain <<< Error >>>"})},
        {"Greek capitals count with the Latin ones",
         {"ΑΒΓ δ", "ÉTÉ ЖИЗНЬ"},
         {"1 = 1 line: 3/0 Upper symbols vs. 1/0 Lower symbols contain",
          "1 = 2 line: 3/5 Upper symbols vs. 0/0 Lower symbols contain"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportOf(c.text, Quiet()), c.report) << c.what;
}

TEST(LengthTest, MeasuresUtf8LinesAlikeWithAndWithoutTheNotes) {
    const TextFormScope scope(TextForm::Utf8);
    struct Case {
        const char* what;
        std::string line;
        std::string found;  // the length error, if any
    } cases[] = {
        {"40 Cyrillic capitals", times("Ж", 40), ""},
        {"41 Cyrillic capitals", times("Ж", 41),
         "1 = >>> 1 line: 41 symbols contain <<< Error >>>"},
        {"emoji and combining accents", times("👍🏽", 21) + times("E\u0301", 20),
         "1 = >>> 1 line: 41 symbols contain <<< Error >>>"},
        {"stray bytes and capitals", times("\xFF", 30) + times("Q", 12),
         "1 = >>> 1 line: 42 symbols contain <<< Error >>>"},
        {"carriage returns", times("\r", 3) + times("Ы", 38),
         "1 = >>> 1 line: 41 symbols contain <<< Error >>>"},
    };
    for (const Case& c : cases) {
        for (const bool onlyErrors : {false, true}) {
            LengthTestParams params = Quiet();
            params.onlyErrors = onlyErrors;
            const Lines report = ReportOf({c.line}, params);
            const bool hasError = std::find(report.begin(), report.end(), c.found) != report.end();
            EXPECT_EQ(hasError, !c.found.empty()) << c.what << " " << onlyErrors;
            // Every line is mostly capitals: noted unless only errors are reported.
            const bool noted = std::any_of(report.begin(), report.end(), [](const std::string& l) {
                return l.find("Upper symbols") != std::string::npos;
            });
            EXPECT_EQ(noted, !onlyErrors) << c.what;
        }
    }
}

}  // namespace
}  // namespace tessaline
