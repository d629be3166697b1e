#include "core/tags.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/text_form.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

TEST(VisibleTextLength, SubtractsStyleTagsInAnyCaseBalancedOrNot) {
    const std::tuple<std::string, bool, int> cases[] = {
        {"", false, 0},
        {"<I>Hello</i>", false, 5},
        {"</i>text</I></b> <B>", false, 5},
        {"{y:i}One|Two", true, 6},
        {"{Y:B}One|Two", false, 7},
        {"<u>x</u><", false, 9},
        {test::W("<i>Привет</i>"), false, 6},
    };
    for (const auto& [line, bars, expected] : cases) {
        EXPECT_EQ(VisibleTextLength(line, bars), expected) << line;
    }
}

TEST(IsWholeLineItalic, NeedsOneRunAfterTrimmingDelimiters) {
    const std::pair<const char*, bool> cases[] = {
        {"- <i>Yes!</i>", true}, {"(<I>Yes</I>).", true}, {"<i>a</i> <i>b</i>", false},
        {"<i>a<i>b</i>", false}, {"<i>", false},          {"", false},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(IsWholeLineItalic(line), expected) << line;
}

TEST(BalanceTagPair, MendsAddsAndCollapsesTags) {
    const std::string at = "12 = to line 3 add ";
    struct Case {
        const char* line;
        bool addMode, collapse;
        const char* expected;
        LineList report;
    };
    const Case cases[] = {
        {"text</i>", false, false, "<i>text</i>", {at + "TAG <i>"}},
        {"</i>a<i>", false, false, "<i></i>a<i></i>", {at + "TAG </i>", at + "TAG <i>"}},
        {"<I><I><i>a</I></i>", false, false, "<i>a</i>", {}},
        {"<i>a</i> <i>b</i>", false, false, "<i>a</i> <i>b</i>", {}},
        {"<i>a</I> <I>b</i> <i>c</i>", false, true, "<i>a b c</i>", {}},
        {"text</i>", true, false, "<i>text</i>", {at + "TAG <i>"}},
        {"", true, false, "<i></i>", {at + "TAGs <i> and </i>"}},
        {"</i>a<i>", true, false, "</i>a<i>", {}},
    };
    for (const Case& c : cases) {
        LineList report;
        EXPECT_EQ(BalanceTagPair(c.line, "i", &report, c.collapse, c.addMode, 3, "12"), c.expected)
            << c.line;
        EXPECT_EQ(report, c.report) << c.line;
    }
    EXPECT_EQ(BalanceTagPair("</b>x<b>", "b", nullptr, false, false, 1, "1"), "<b></b>x<b></b>");
}

TEST(RemoveTagSpan, RemovesTheOpeningTagWithItsAttributesOrTheClosingTag) {
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        {"<FONT color=red>a</font>", "<font", 0, "a</font>"},
        {"<i>a</i> b</font>", "font>", 1, "<i>a</i> b"},
        {"<i>a</i> <font x>b", "<font", 0, "<i>a</i> b"},
        {"<i><font color=\"red\">Hi</font></i>", "<font", 0, "<i>Hi</font></i>"},
        {"<i>a</i> <font x", "<font", 0, "<i>a</i> <font x"},
        {"b font> <i>", "font>", 1, "b font> <i>"},
        {"", "<font", 0, ""},
    };
    for (const auto& [line, tag, side, expected] : cases) {
        EXPECT_EQ(RemoveTagSpan(line, tag, side), expected) << line << " " << side;
    }
}

TEST(EndsWithSentenceMark, LooksThroughOneEdgeTag) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Go!", "", false},     {"Go!", "!?", true},     {"Go,</I>", ",", true},
        {"Go</i>", ",", false}, {"Go.</u>", ",", false}, {"Go.</i></b>", "", false},
        {"</i>", ".", false},   {"i>", "", false},       {"", ".", false},
    };
    for (const auto& [line, marks, expected] : cases) {
        EXPECT_EQ(EndsWithSentenceMark(line, marks), expected) << line;
    }
}

TEST(TrimCharInsideEdgeTags, TrimsOutsideAndJustInsideEdgeTags) {
    const std::tuple<std::string, char, std::string> cases[] = {
        {" <i> word </i> ", ' ', "<i>word</i>"},
        {"word </B>", ' ', "word</B>"},
        {"<u> word </u>", ' ', "<u> word </u>"},
        {"<i> a>b </i>", ' ', "<i>a>b </i>"},
        {" ", ' ', ""},
        {" < ", ' ', "<"},
        {std::string("\0<i>\0a\0</i>\0", 12), '\0', "<i>a</i>"},
    };
    for (const auto& [line, c, expected] : cases) {
        EXPECT_EQ(TrimCharInsideEdgeTags(line, c), expected) << line;
    }
}

TEST(IsWrappedInTag, NeedsOpeningFirstAndClosingLast) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"<I>a</i>", "i", true},   {"<b>a</B>", "b", true},       {"<i>a</i>", "b", false},
        {"<i>a</i> ", "i", false}, {"<i>a</i>b</i>", "i", false}, {"<i>", "i", false},
        {"", "i", false},
    };
    for (const auto& [line, tag, expected] : cases) {
        EXPECT_EQ(IsWrappedInTag(line, tag), expected) << line;
    }
}

TEST(MarkupTags, TagsAreFoundWholeAndTheirSpacesAreNoWordBreaks) {
    struct Case {
        std::string text;
        std::size_t tagEndAt0;  // TagEndAt(text, 0)
        std::size_t firstSpace, lastSpace;
    };
    constexpr auto npos = std::string_view::npos;
    const Case cases[] = {
        {"<font color=red>a b</font>", 16, 17, 17},
        {"</i>", 4, npos, npos},
        {"{y:b,u} c", 7, 7, 7},
        {"{\\an8}x y", 6, 7, 7},
        {"< b>", npos, 1, 1},  // no letter after "<"
        {"<3 x>", npos, 2, 2},
        {"<a <i>b c", npos, 2, 7},  // a second "<" before the ">": the first opens nothing
        {"{a {b} c", npos, 2, 6},
        {"<i", npos, npos, npos},  // never closed
        {"", npos, npos, npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TagEndAt(c.text, 0), c.tagEndAt0) << c.text;
        EXPECT_EQ(MayHoldTag(c.text), c.text.find_first_of("<{") != npos) << c.text;
        EXPECT_EQ(FindOutsideTags(c.text, " "), c.firstSpace) << c.text;
        EXPECT_EQ(RFindOutsideTags(c.text, " "), c.lastSpace) << c.text;
    }
    // Either opening byte at every place of lines up to 40 bytes (16 bytes are looked at at
    // once), among bytes that differ from them by one bit or have the high bit set.
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string plain(length, length % 2 == 0 ? '\xBC' : '=');
        EXPECT_FALSE(MayHoldTag(plain)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (const char opening : {'<', '{'}) {
                std::string text = plain;
                text[at] = opening;
                EXPECT_TRUE(MayHoldTag(text)) << length << " " << at;
            }
        }
    }
    // Tags inside a Cyrillic text: bytes in both text forms.
    EXPECT_EQ(FindOutsideTags(W("<font color=red>Привет</font> мир"), " "), 29U);
    const TextFormScope scope(TextForm::Utf8);
    EXPECT_EQ(RFindOutsideTags("<i>Привет</i> {c:$0 0ff}мир", " "), 19U);
}

}  // namespace
}  // namespace tessaline
