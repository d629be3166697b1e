#include "app/language.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "test_support.hpp"

namespace tessaline {
namespace {

// A file of `count` lines, line n reading "Ln".
std::vector<std::string> FileOf(std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back("L" + std::to_string(i));
    return lines;
}

// The text given to a control (and item), or "-" when none.
std::string TextFor(const std::vector<Caption>& captions, std::string_view control, int item = -1) {
    for (const Caption& c : captions) {
        if (c.target.control == control && c.target.item == item) return c.text;
    }
    return "-";
}

TEST(Language, BlocksAreReadOnlyFromFilesLongEnough) {
    struct Case {
        std::size_t lines;
        const char* caption;    // line 2
        const char* about;      // line 31
        const char* allInOne;   // line 47
        const char* maxExtend;  // line 157
    };
    const Case cases[] = {
        {0, "-", "-", "-", "-"},       {30, "-", "-", "-", "-"},
        {31, "L2", "-", "-", "-"},     {32, "L2", "L31", "-", "-"},
        {56, "L2", "L31", "-", "-"},   {57, "L2", "L31", "L47", "-"},
        {58, "L2", "L31", "L47", "-"}, {158, "L2", "L31", "L47", "L157"},
    };
    for (const Case& c : cases) {
        const std::vector<Caption> captions = LanguageCaptions(FileOf(c.lines));
        EXPECT_EQ(TextFor(captions, kMainWindowTarget), c.caption) << c.lines;
        EXPECT_EQ(TextFor(captions, "mnAbout"), c.about) << c.lines;
        EXPECT_EQ(TextFor(captions, "btnAllInOne"), c.allInOne) << c.lines;
        EXPECT_EQ(TextFor(captions, "cbMaxExtend"), c.maxExtend) << c.lines;
    }
}

TEST(Language, SharedLinesAndRadioItems) {
    const std::vector<Caption> captions = LanguageCaptions(FileOf(158));
    EXPECT_EQ(TextFor(captions, "btnTimeTest"), "L113");
    EXPECT_EQ(TextFor(captions, "btnTimeTestDbl"), "L113");
    EXPECT_EQ(TextFor(captions, "rgCoefficient", 0), "L83");
    EXPECT_EQ(TextFor(captions, "rgCoefficient", 1), "L84");
    EXPECT_EQ(TextFor(captions, "rgCoefficient"), "-");
    // Lines between the numbered ones are never read.
    for (const Caption& c : captions) {
        EXPECT_NE(c.text, "L0");
        EXPECT_NE(c.text, "L7");
        EXPECT_NE(c.text, "L44");
    }
    EXPECT_EQ(LanguageFilePath("/home/u/.config/tessaline", "Russian"),
              "/home/u/.config/tessaline/languages/Russian.lng");
}

// --- Text lines: every other caption and message, found by its English text -----------------

// A file of the text lines that holds `given` (English text, the file's text) and nothing else.
std::vector<std::string> FileGiving(
    const std::vector<std::pair<std::string_view, std::string>>& given) {
    std::vector<std::string> lines(LanguageTextLines().back().line + 1);
    for (const auto& [english, text] : given) {
        const auto& all = LanguageTextLines();
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const TextLine& t) { return t.english == english; });
        EXPECT_NE(it, all.end()) << english;
        if (it != all.end()) lines[static_cast<std::size_t>(it->line)] = text;
    }
    return lines;
}

TEST(LanguageTexts, TranslateByTheEnglishTextItsLinesAndItsPattern) {
    const TextTranslation translation(FileGiving({
        {"File not Exists!", "NE"},
        {"Line %1: %2", "%2 @ %1"},  // the language puts the parts in its own order
        {"'%1' is not a valid time", "T<%1>"},
        {"Output File Exist!!!", ""},  // an empty line keeps the English text
    }));
    struct Case {
        const char* english;
        const char* shown;
    };
    const Case cases[] = {
        {"File not Exists!", "NE"},
        {"file not exists!", "file not exists!"},
        {"A text of no line", "A text of no line"},
        {"", ""},
        {"Output File Exist!!!", "Output File Exist!!!"},
        {"Line 14: File not Exists!", "NE @ 14"},
        {"Line 14: '24:00:00' is not a valid time", "T<24:00:00> @ 14"},
        {"Line 7: a: b", "a: b @ 7"},
        {"Line 14", "Line 14"},
        {"'a' is not a valid time!", "'a' is not a valid time!"},
        {"File not Exists!\nfilm.out", "NE\nfilm.out"},
        {"Line 2: File not Exists!\nLine 3: x", "NE @ 2\nx @ 3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(translation.Translate(c.english), c.shown) << c.english;
    // No file: every text stays English.
    EXPECT_EQ(TextTranslation().Translate("File not Exists!"), "File not Exists!");
    EXPECT_EQ(TextTranslation(FileGiving({})).Translate("Line 1: x"), "Line 1: x");
}

TEST(LanguageTexts, EachTextHasItsOwnLineAfterTheMainWindowLines) {
    std::set<std::string_view> english;
    int previous = 157;  // the last line of the main window's controls
    for (const TextLine& t : LanguageTextLines()) {
        EXPECT_GT(t.line, previous) << t.english;
        previous = t.line;
        EXPECT_TRUE(english.insert(t.english).second) << "twice: " << t.english;
        EXPECT_FALSE(t.english.empty()) << t.line;
    }
}

// The lines of a shipped language file (Windows-1251, CR LF).
std::vector<std::string> Shipped(const char* name) {
    const std::string text = test::ReadFile(test::DataDir().parent_path().parent_path() / "data" /
                                            "defaults" / "languages" / name);
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << name << " ends without CR LF";
    return lines;
}

// The "%N" parts of a text, sorted.
std::multiset<std::string> PartsOf(std::string_view text) {
    std::multiset<std::string> parts;
    for (std::size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i + 1)) {
        if (i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9')
            parts.insert(std::string(text.substr(i, 2)));
    }
    return parts;
}

// English.lng holds every built-in text at its line; Russian.lng translates every one (code page
// and format names, axes and the texts that only join others read the same) and keeps each
// varying part.
TEST(LanguageTexts, ShippedFilesHoldEveryLine) {
    const std::vector<std::string> english = Shipped("English.lng");
    const std::vector<std::string> russian = Shipped("Russian.lng");
    ASSERT_EQ(english.size(), russian.size());
    ASSERT_GT(english.size(), static_cast<std::size_t>(LanguageTextLines().back().line));
    const auto same = [](std::string_view text) {
        return (text.find("win") != std::string_view::npos &&
                text.find("-->") != std::string_view::npos) ||
               text == "x:" || text == "y:" || text == "Tessaline - %1" || text == "%1; %2" ||
               text == "%1, %2" || text == "sub --> srt" || text == "srt --> sub" ||
               text == "SubTime --> srt" || text == "ssa / ass --> srt";
    };
    for (const TextLine& t : LanguageTextLines()) {
        const auto n = static_cast<std::size_t>(t.line);
        EXPECT_EQ(english[n], t.english) << t.line;
        EXPECT_FALSE(russian[n].empty()) << t.line << " " << t.english;
        if (!same(t.english)) {
            EXPECT_NE(russian[n], english[n]) << t.line;
        }
        EXPECT_EQ(PartsOf(russian[n]), PartsOf(t.english)) << t.line << " " << t.english;
        // 0x98 is the one byte that Windows-1251 leaves without a letter.
        EXPECT_EQ(russian[n].find('\x98'), std::string::npos) << t.line;
    }
}

// A text with varying parts reaches its own line: no wider pattern of an earlier line takes it
// ("%1 written" would take "Offset Time: done, no file written" if it came first).
TEST(LanguageTexts, EveryPatternIsTranslatedByItsOwnLine) {
    const std::vector<std::string> russian = Shipped("Russian.lng");
    const TextTranslation translation(russian);
    const auto filled = [](std::string text) {
        for (std::size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i)) {
            if (i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
                text.replace(i, 2, std::string("q") + text[i + 1]);
            } else {
                ++i;
            }
        }
        return text;
    };
    for (const TextLine& t : LanguageTextLines()) {
        if (PartsOf(t.english).empty()) continue;
        const auto n = static_cast<std::size_t>(t.line);
        EXPECT_EQ(translation.Translate(filled(std::string(t.english))), filled(russian[n]))
            << t.line << " " << t.english;
    }
}

}  // namespace
}  // namespace tessaline
