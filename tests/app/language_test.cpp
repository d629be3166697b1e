#include "app/language.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace tessaline
