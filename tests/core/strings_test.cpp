#include "core/strings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <ranges>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;
using Pair = std::pair<std::string, std::string>;  // {result, expected}

void ExpectPairs(std::initializer_list<Pair> cases) {
    int line = 0;
    for (const auto& [got, expected] : cases) {
        SCOPED_TRACE(++line);
        EXPECT_EQ(got, expected);
    }
}

// Results written as one text: a split as "count:piece|piece", a number as its value or "no".
std::string S(std::string_view view) {
    return std::string(view);
}
std::string Listed(int count, const LineList& list) {
    return std::to_string(count) + ":" + JoinStrings(list, "|");
}
std::string ByChar(std::string_view text, LineList list = {}) {
    const int count = SplitByChar(text, ',', list);
    return Listed(count, list);
}
std::string ByStr(std::string_view text, std::string_view separator, bool ignoreCase = false) {
    LineList list;
    const int count = SplitByStr(text, separator, list, ignoreCase);
    return Listed(count, list);
}
std::string Keeping(std::string_view text, std::string_view separator) {
    LineList list;
    const int count = SplitKeepingSeparator(text, separator, list, false);
    return Listed(count, list);
}
std::string Number(std::string_view text) {
    return IsNumberStr(text) ? std::to_string(StrToIntSafe(text))
                             : "no" + std::to_string(StrToIntSafe(text));
}
std::string Leading(std::string text) {
    std::string rest = "old";
    SplitLeadingNumber(text, rest);
    return text + "|" + rest;
}
std::string Joined(std::string_view text) {
    DigitEnds ends = DigitEnds::None;
    const std::string joined = JoinSplitNumbers(text, ends);
    return joined + "|" + std::to_string(static_cast<int>(ends));
}
std::string Cut(std::string_view text, int width, bool fromEnd) {
    LineList lines;
    CutTextToWidth(text, width, fromEnd, lines);
    return JoinStrings(lines, "|");
}

TEST(Strings, CuttingReturnsThePartOrTheFallback) {
    ExpectPairs({
        {S(TextBeforeChar("abc", ',')), "abc"},
        {S(TextBeforeNthChar("{10}{20}Hello", '}', 2)), "{10}{20"},
        {S(TextBeforeNthChar("{10}Hello", '}', 2)), "{10}Hello"},
        {S(TextBeforeNthChar("{10}Hello", '}', 0)), "{10}Hello"},
        {S(TextAfterNthChar("{10}{20}Hello", '}', 2)), "Hello"},
        {S(TextAfterNthChar("{10}Hello", '}', 2)), ""},
        {S(TextBeforeStr("one two", "--")), ""},
        {S(TextAfterStr("one -- two", "--")), " two"},
        {S(TextAfterStr("one two", "")), ""},
        {S(TextBeforeLastChar("abc", '/')), ""},
        {S(TextAfterChar("abc", '/')), ""},
        {S(TextAfterLastChar("abc", '/')), "abc"},
        {S(TextBetweenChars("x(ab)y)", '(', ')')), "ab"},
        {S(TextBetweenChars("x(ab", '(', ')')), "ab"},
        {S(TextBetweenChars("xab)", '(', ')')), ""},
        {S(TextBetweenChars("(a)(b)(c)", '(', ')', 2, NthOf::Opening)), "b"},
        {S(TextBetweenChars("(a)(b)(c)", '(', ')', 4, NthOf::Opening)), ""},
        {S(TextBetweenChars("<a>b>c>", '<', '>', 2, NthOf::Closing)), "a>b"},
        {S(TextBetweenChars("<a>b>c>", '<', '>', 5, NthOf::Closing)), "a>b>c>"},
        {S(TextBetweenLastChars("(a)(b)c", '(', ')')), "b"},
        {S(TextBetweenLastChars("(a)(b", '(', ')')), "a"},
        {S(TextBetweenLastChars(")(ab", '(', ')')), ""},
    });
}

TEST(Strings, TrimsAndCollapsesRuns) {
    ExpectPairs({
        {S(TrimChar("--a-b--", '-')), "a-b"},
        {S(TrimChar("---", '-')), ""},
        {S(TrimCharSet(" .a. b.", " .")), "a. b"},
        {CollapseRepeatedChar("a--b---", '-'), "a-b-"},
        {CollapseSpaces("a  b   "), "a b "},
    });
}

// Every place a pair of spaces can take in texts of up to 40 bytes (the search reads 8 and 16
// bytes at a time, in overlapping windows), and texts of single spaces only, which hold none.
TEST(Strings, FindsAndCollapsesDoubleSpacesAnywhere) {
    for (std::size_t size = 0; size <= 40; ++size) {
        const std::string single = [size] {
            std::string text(size, 'a');
            for (std::size_t i = 1; i < size; i += 2)
                text[i] = ' ';
            return text;
        }();
        EXPECT_FALSE(HasDoubleSpace(single)) << size;
        std::string unchanged = single;
        EXPECT_FALSE(CollapseSpacesInPlace(unchanged));
        EXPECT_EQ(unchanged, single);
        for (std::size_t at = 0; at + 1 < size; ++at) {
            std::string text(size, 'x');
            text[at] = text[at + 1] = ' ';
            SCOPED_TRACE(testing::Message() << size << " at " << at);
            EXPECT_TRUE(HasDoubleSpace(text));
            // Only the pair is held: the text is one byte shorter once collapsed.
            std::string collapsed = text;
            EXPECT_TRUE(CollapseSpacesInPlace(collapsed));
            EXPECT_EQ(collapsed, CollapseRepeatedChar(text, ' '));
            EXPECT_EQ(collapsed.size(), size - 1);
        }
    }
    for (std::string text : {"  ", "a   b    c ", "   x", "\t  \t"}) {
        const std::string expected = CollapseRepeatedChar(text, ' ');
        EXPECT_TRUE(CollapseSpacesInPlace(text));
        EXPECT_EQ(text, expected);
    }
}

TEST(Strings, ReplacesLeftToRightWithoutSearchingReplacedText) {
    ExpectPairs({
        {ReplaceAll("ab", "X", "abcabAB", true), "XcXX"},
        {ReplaceAll("aa", "b", "aaa", false), "ba"},
        {ReplaceAll("a", "aa", "aba", false), "aabaa"},
        {ReplaceAll("", "x", "abc", false), "abc"},
        {ReplaceAll(W("ёж"), W("кот"), W("Ёж и ЕЖ"), true), W("кот и кот")},
        {ReplaceAll(W("ёж"), W("кот"), W("Ёж и ёж"), false), W("Ёж и кот")},
    });
}

TEST(Strings, ReplaceWholeWordNeedsSeparatorsOrTheEndsOfTheRest) {
    ExpectPairs({
        {ReplaceWholeWord("cat", "dog", "cat concat cat.", false), "dog concat dog."},
        {ReplaceWholeWord("cat", "dog", "cats 1cat2", false), "cats 1dog2"},
        {ReplaceWholeWord("Cat", "dog", "cat Cat", false), "cat dog"},
        {ReplaceWholeWord("cat", "dog", "CAT Cat", true), "dog dog"},
        // The second "cat" starts the rest after the first one, so it is bounded on the left.
        {ReplaceWholeWord("cat", "dog", "catcat", false), "catdog"},
        {ReplaceWholeWord(W("ель"), W("дуб"), W("Ёль, ельник"), true), W("дуб, ельник")},
    });
}

TEST(Strings, AddsSpacesAfterDelimitersExceptAtTheLastTwoPositions) {
    ExpectPairs({
        {AddSpaceAfterDelimiters("Yes,no", ","), "Yes, no"},
        {AddSpaceAfterDelimiters("a,b", ","), "a,b"},
        {AddSpaceAfterDelimiters("a,bc", ","), "a, bc"},
        {AddSpaceAfterDelimiters("Wait,.. no", ","), "Wait,.. no"},
        {AddSpaceAfterDelimiters("a,,b c", ","), "a,, b c"},
    });
}

TEST(Strings, CarefulDelimiterModesSkipAddressesInitialsAndDecimals) {
    ExpectPairs({
        {AddSpaceAfterDelimitersEx("pi=3,14", ".,", "", 1), "pi=3,14"},
        {AddSpaceAfterDelimitersEx("pi=3,14", ".,", "", 0), "pi=3, 14"},
        {AddSpaceAfterDelimitersEx("It is A.B. now", ".,", "", 1), "It is A.B. now"},
        {AddSpaceAfterDelimitersEx("It is A.B. now", ".,", "", 0), "It is A. B. now"},
        {AddSpaceAfterDelimitersEx("Mr.J.Smith", ".", "", 1), "Mr. J.Smith"},
        {AddSpaceAfterDelimitersEx("A,bcd", ".,", "", 1), "A,bcd"},
        {AddSpaceAfterDelimitersEx("Hi,!x", ",", "!", 0), "Hi,!x"},
        {AddSpaceAfterDelimitersEx("Yes,n", ",", "", 1), "Yes,n"},
        {AddSpaceAfterDelimitersEx("Yes,n", ",", "", 2), "Yes, n"},
        {AddSpaceAfterDelimitersEx("www.a.com,x yes,no", ".,", "", 1), "www.a.com,x yes, no"},
        {AddSpaceAfterDelimitersEx("Go,see WWW.x.ru,ok no,we", ".,", "", 1),
         "Go,see WWW.x.ru,ok no, we"},
        {AddSpaceAfterDelimitersEx("see http://a.b,c", ".,", "", 2), "see http://a.b,c"},
    });
}

TEST(Strings, DeletesSpacesBeforeDelimitersAndAtTheEnd) {
    ExpectPairs({
        {DelSpaceBeforeDelimiters("Yes , no .", ","), "Yes, no."},
        {DelSpaceBeforeDelimiters("a  b  ", ","), "a b"},
        {DelSpaceBeforeDelimiters("a \r\n", ","), "a\r\n"},
        {DelSpaceBeforeDelimiters("", ","), ""},
    });
}

TEST(Strings, SplitsReturnTheirCountsAndKeepTheRightPieces) {
    ExpectPairs({
        {ByChar("a,,b,"), "4:a||b|"},
        {ByChar(""), "0:"},
        {ByChar("a,b", {"x"}), "3:x|a|b"},
        {ByChar("abc", {"x"}), "1:x|abc"},
        {ByStr("one  two", "  "), "2:one|two"},
        {ByStr("one two", "  "), "0:one two"},
        {ByStr("--a-- --b--", "--"), "3:a|b|"},
        {ByStr("oneANDtwo", "and", true), "2:one|two"},
        {Keeping("Yes. -No", ". -"), "2:Yes.|-No"},
        {Keeping("A. -B. -C", ". -"), "3:A.|-B.|-C"},
        {Keeping(". -No", ". -"), "1:-No"},
        {Keeping("Yes. No", ". "), "0:Yes. No"},
        // The tail goes back in front of the rest, and the search starts again on it.
        {Keeping("x x x", "x x"), "1:x"},
        {Keeping("a- -- -b", "- -"), "3:a-|--|-b"},
        {JoinStrings({"a", "b", "c"}, ", ", 1), "b, c"},
        {JoinStrings({"a", "b", "c"}, ", ", 3), ""},
    });
}

// The lazy split must give exactly the pieces that SplitByChar lists, which the layout commands
// were written against.
TEST(Strings, CharSplitWalksThePiecesSplitByCharLists) {
    const struct {
        std::string_view text;
        std::string pieces;  // each piece in brackets
    } cases[] = {
        {"", "[]"},           {"abc", "[abc]"},       {"|", "[][]"},
        {"||", "[][][]"},     {"|a", "[][a]"},        {"a|", "[a][]"},
        {"a||b", "[a][][b]"}, {"a|b|c", "[a][b][c]"}, {" | ", "[ ][ ]"},
    };
    for (const auto& [text, pieces] : cases) {
        SCOPED_TRACE(text);
        std::string walked;
        for (std::string_view piece : CharSplit(text, '|'))
            walked += "[" + std::string(piece) + "]";
        EXPECT_EQ(walked, pieces);
        LineList listed;
        SplitByChar(text, '|', listed);
        EXPECT_EQ(static_cast<std::size_t>(std::ranges::distance(CharSplit(text, '|'))),
                  listed.size());
    }
}

// A saved position walks again from there: a subtitle is split at a piece found on the way.
TEST(Strings, CharSplitPositionsCanBeKeptAndWalkedAgain) {
    const CharSplit split("a|-b|c|-d", '|');
    const auto second = std::find_if(std::next(split.begin()), split.end(),
                                     [](std::string_view piece) { return piece.starts_with('-'); });
    std::string head;
    std::string tail;
    for (auto it = split.begin(); it != second; ++it)
        head += *it;
    for (auto it = second; it != split.end(); ++it)
        tail += *it;
    EXPECT_EQ(head, "a");
    EXPECT_EQ(tail, "-bc-d");
    EXPECT_EQ(*second, "-b");
}

TEST(Strings, NumbersAreWholeSignedThirtyTwoBitDecimals) {
    ExpectPairs({
        {Number("2147483647"), "2147483647"},
        {Number("2147483648"), "no0"},
        {Number("-2147483648"), "-2147483648"},
        {Number("+5"), "5"},
        {Number("007"), "7"},
        {Number(" 5"), "no0"},
        {Number(""), "no0"},
        {Number("-"), "no0"},
        {Number("12a"), "no0"},
        // Nine digits and fewer are read by a shortcut; its edges.
        {Number("999999999"), "999999999"},
        {Number("0000000012"), "12"},
        {Number("12345678a"), "no0"},
        {Number("1+"), "no0"},
        {std::to_string(CountStr("aa", "aaaaa", false)), "2"},
        {std::to_string(CountStr(W("еж"), W("Ёж ёж ЕЖ"), true)), "3"},
        {IntToStrPadded(7, 3, false), "007"},
        {IntToStrPadded(7, 3, true), "700"},
        {IntToStrPadded(12345, 3, false), "123"},
    });
}

TEST(Strings, JoiningAndCollapsingAgreeWithTheRulesByteByByteOnRandomLines) {
    // The rules read one byte at a time.
    const auto joined = [](std::string_view text) {
        const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            out += text[i];
            if (!digit(text[i]) || at(i + 1) != ' ') continue;
            if (digit(at(i + 2))) {
                out += text[i + 2];
                i += 2;
            } else if (at(i + 2) == ':' && digit(at(i + 3))) {
                out.append(text.substr(i + 2, 2));
                i += 3;
            }
        }
        return out;
    };
    const auto collapsed = [](std::string_view text, char c) {
        std::string out;
        for (const char ch : text)
            if (ch != c || out.empty() || out.back() != c) out += ch;
        return out;
    };
    const std::string bytes = "0129  ::a.-";
    std::mt19937 rng(7);
    std::string reused = "left from before";
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char& c : text)
            c = bytes[rng() % bytes.size()];
        DigitEnds ends = DigitEnds::None;
        ASSERT_EQ(JoinSplitNumbers(text, ends), joined(text)) << text;
        const bool changed = JoinSplitNumbers(text, ends, reused);
        ASSERT_EQ(changed, joined(text) != text) << text;
        ASSERT_EQ(reused, changed ? joined(text) : "") << text;
        ASSERT_EQ(CollapseRepeatedChar(text, ' '), collapsed(text, ' ')) << text;
        ASSERT_EQ(CollapseRepeatedChar(text, ':'), collapsed(text, ':')) << text;
    }
}

TEST(Strings, SplitLeadingNumberAndJoinSplitNumbers) {
    ExpectPairs({
        {Leading("12 = Fixed"), "12| = Fixed"},
        {Leading("5 3 - ok"), "5 3| - ok"},
        {Leading("12 34"), "12 34|"},
        {Leading("1=x"), "|1=x"},
        {Leading(""), "|"},
        {Joined("1 2 3"), "12 3|3"},
        {Joined("10 :30"), "10:30|3"},
        {Joined("a 1 2"), "a 12|1"},
        {Joined("1 2 x"), "12 x|2"},
        {Joined("1  2 : 3"), "1  2 : 3|3"},
        {Joined(""), "|0"},
    });
}

TEST(Strings, TakesPartsOfATextByCharactersOrWords) {
    ExpectPairs({
        {TakeTextPart("abcdefghij", 1, 2, 0), "abcde"},
        {TakeTextPart("abcdefghij", 1, 2, 2), "fghij"},
        {TakeTextPart("abcdefghij", 1, 3, 1), "cde"},
        {TakeTextPart("abcdefghij", 3, 2, 0), ""},
        {TakeTextPart("abcdefghij", 1, 0, 0), ""},
        {TakeTextPartByWords("aaa bbb ccc ddd", 1, 3, true, 0), "aaa"},
        {TakeTextPartByWords("aaa bbb ccc ddd", 1, 3, true, 2), "ddd"},
        {TakeTextPartByWords("aaa bbb ccc ddd", 1, 3, false, 0), "aaa b"},
        {TakeTextPartByWords("aaa bbb ccc ddd", 1, 3, true, 1), "bbb c"},
    });
}

TEST(Strings, CutTextToWidthCutsAtSpacesFromEitherEnd) {
    ExpectPairs({
        {Cut("aaa bbb ccc ddd", 8, false), "aaa bbb|ccc ddd"},
        {Cut("aaa bbb ccc ddd", 8, true), "aaa bbb|ccc ddd"},
        {Cut("aaa bbb ccc ddd", 7, false), "aaa bbb|ccc ddd"},
        {Cut("aaa bbb ccc ddd", 7, true), "aaa bbb|ccc ddd"},
        {Cut("aaa bb c d", 5, false), "aaa|bb c|d"},
        {Cut("aaa bb c d", 5, true), "aaa|bb|c d"},
        {Cut("abcdefghij kl", 4, false), "abcdefghij|kl"},
        {Cut("kl abcdefghij", 4, true), "kl|abcdefghij"},
        {Cut("ab cd", 0, false), "ab|cd"},
        {Cut("ab cd", -3, true), "ab|cd"},
        {Cut(" ", 0, false), ""},
    });
}

TEST(Strings, CutRulesShortenPiecesWithWideLettersAndCutAtMarks) {
    const auto cut = [](std::string_view text, int width, bool fromEnd, const CutRules& rules) {
        LineList lines;
        CutTextToWidth(text, width, fromEnd, rules, lines);
        return JoinStrings(lines, "|");
    };
    const CutRules wide{.wideLetters = true};
    const CutRules marks{.atMarks = true};
    ExpectPairs({
        // Three wide letters: one character less; six: two less.
        {cut(W("шшш ааа ббб"), 7, false, wide), W("шшш|ааа ббб")},
        {cut(W("шшш ааа ббб"), 7, false, {}), W("шшш ааа|ббб")},
        {cut(W("жжжжжж аб вгде"), 10, false, wide), W("жжжжжж|аб вгде")},
        {cut(W("жжжжжж аб вгде"), 10, false, {.wideLetters = true, .wideSet = "x"}),
         W("жжжжжж аб|вгде")},
        // A comma two thirds into the piece ends it; before that it does not.
        {cut("Good morning, sir and madam", 19, false, marks), "Good morning,|sir and madam"},
        {cut("Good morning, sir and madam", 19, false, {}), "Good morning, sir|and madam"},
        {cut("Hello, world and you", 14, false, marks), "Hello, world|and you"},
        {cut("Oh my dear, we went home now", 22, true, marks), "Oh my dear,|we went home now"},
        {cut("Oh my dear, we went home now", 22, true, {}), "Oh my|dear, we went home now"},
    });
}

// Tags count in the width like any characters but are never cut: a tag goes with the word it
// touches; spaces and marks inside one are no places to cut. Each row runs in both text forms.
TEST(Strings, CutTextToWidthStepsOverTags) {
    const std::string font = "<font color=red>";
    const CutRules tags{.tagsAside = true};
    const CutRules tagsAndMarks{.atMarks = true, .tagsAside = true};
    struct Case {
        std::string text;
        int width;
        bool fromEnd;
        CutRules rules;
        std::string lines;
    };
    const Case cases[] = {
        // The width ends inside the opening tag: the tag goes down whole with its word.
        {"Some words first " + font + "red</font> and more", 30, false, tags,
         "Some words first|" + font + "red</font> and|more"},
        // ... from the end, the width begins inside it.
        {"aaa bbb " + font + "ccc ddd</font>", 10, true, tags,
         "aaa bbb|" + font + "ccc|ddd</font>"},
        // A closing tag that ends the line exactly stays; a character less, its word goes down.
        {"Some words first " + font + "red</font> and more", 43, false, tags,
         "Some words first " + font + "red</font>|and more"},
        {"Some words first " + font + "red</font> and more", 42, false, tags,
         "Some words first|" + font + "red</font> and more"},
        // Tags count: no more than the width on a line, tags included.
        {"aaa bbb <i>ccc ddd</i>", 7, true, tags, "aaa bbb|<i>ccc|ddd</i>"},
        {"<i>aaa bbb</i> ccc ddd", 7, false, tags, "<i>aaa|bbb</i>|ccc ddd"},
        // A word longer than the width keeps its tags and the spaces inside them.
        {"aaaa " + font + "bbbbbbbbbbbb</font>", 10, false, tags,
         "aaaa|" + font + "bbbbbbbbbbbb</font>"},
        {font + "bbbbbbbbbbbb</font> aaaa", 10, true, tags, font + "bbbbbbbbbbbb</font>|aaaa"},
        // A comma inside a tag is no mark to cut at; a tag glued to a mark stays with it.
        {"Good morning to {y:b,u}you and sir", 24, false, tagsAndMarks,
         "Good morning to|{y:b,u}you and sir"},
        {"<i>Good morning,</i> sir and madam", 20, false, tagsAndMarks,
         "<i>Good morning,</i>|sir and madam"},
        {"Oh my dear, <font face=\"a, b\">we went home now</font>", 36, true, tagsAndMarks,
         "Oh my dear, <font face=\"a, b\">we|went home now</font>"},
        // "<" before a space or without its ">" opens no tag: it counts and may be cut after.
        {"a < b and c > d", 5, false, tags, "a < b|and c|> d"},
    };
    for (const Case& c : cases) {
        for (const TextForm form : {TextForm::Cp1251, TextForm::Utf8}) {
            const TextFormScope scope(form);
            LineList lines;
            CutTextToWidth(c.text, c.width, c.fromEnd, c.rules, lines);
            EXPECT_EQ(JoinStrings(lines, "|"), c.lines)
                << c.text << " width " << c.width << (c.fromEnd ? " from the end" : "");
        }
    }
    // Cyrillic words: characters, not bytes, in UTF-8; the width ends inside the tag.
    const std::string cyrillic = "Ещё слова сначала <font color=red>красный</font> и ещё";
    LineList windows;
    CutTextToWidth(W(cyrillic), 30, false, tags, windows);
    EXPECT_EQ(JoinStrings(windows, "|"),
              W("Ещё слова сначала|<font color=red>красный</font>|и ещё"));
    const TextFormScope scope(TextForm::Utf8);
    LineList utf8;
    CutTextToWidth(cyrillic, 30, false, tags, utf8);
    EXPECT_EQ(JoinStrings(utf8, "|"), Cp1251ToUtf8(JoinStrings(windows, "|")));
}

// --- UTF-8 ---------------------------------------------------------------------------------

std::string CutBy(std::string_view text, int width, bool fromEnd, const CutRules& rules) {
    LineList lines;
    CutTextToWidth(text, width, fromEnd, rules, lines);
    return JoinStrings(lines, "|");
}

TEST(Utf8Strings, CountAndCutLikeTheWindows1251Twin) {
    const CutRules wide{.wideLetters = true};
    const CutRules marks{.atMarks = true};
    using Op = std::function<std::string(std::string_view)>;
    // What is done to the text, and the text (written here in UTF-8, run as Windows-1251 bytes
    // and as UTF-8).
    // clang-format off
    const std::pair<Op, std::string_view> cases[] = {
        {[&](std::string_view t) { return TakeTextPart(t, 1, 2, 0); }, "абвгдеёжзи"},
        {[&](std::string_view t) { return TakeTextPart(t, 1, 2, 2); }, "абвгдеёжзи"},
        {[&](std::string_view t) { return TakeTextPart(t, 1, 3, 1); }, "абвгдеёжзи"},
        {[&](std::string_view t) { return TakeTextPartByWords(t, 1, 3, true, 0); }, "ёжи бра вид дом"},
        {[&](std::string_view t) { return TakeTextPartByWords(t, 1, 3, true, 2); }, "ёжи бра вид дом"},
        {[&](std::string_view t) { return TakeTextPartByWords(t, 1, 3, false, 2); }, "ёжи бра вид дом"},
        {[&](std::string_view t) { return CutBy(t, 8, false, {}); }, "ааа ббб ввв ггг"},
        {[&](std::string_view t) { return CutBy(t, 7, true, {}); }, "ааа ббб ввв ггг"},
        {[&](std::string_view t) { return CutBy(t, 5, false, {}); }, "ааа бб в г"},
        {[&](std::string_view t) { return CutBy(t, 5, true, {}); }, "ааа бб в г"},
        {[&](std::string_view t) { return CutBy(t, 4, false, {}); }, "абвгдежзий кл"},
        {[&](std::string_view t) { return CutBy(t, 4, true, {}); }, "кл абвгдежзий"},
        {[&](std::string_view t) { return CutBy(t, 7, false, wide); }, "шшш ааа ббб"},
        {[&](std::string_view t) { return CutBy(t, 7, true, wide); }, "ббб ааа шшш"},
        {[&](std::string_view t) { return CutBy(t, 10, false, wide); }, "жжжжжж аб вгде"},
        {[&](std::string_view t) { return CutBy(t, 19, false, marks); }, "Доброе утро, сэр и мадам"},
        {[&](std::string_view t) { return CutBy(t, 22, true, marks); }, "Ох мой друг, мы шли домой"},
        {[&](std::string_view t) { return AddSpaceAfterDelimiters(t, ","); }, "Да,нет"},
        {[&](std::string_view t) { return AddSpaceAfterDelimiters(t, ","); }, "а,б"},
        {[&](std::string_view t) { return AddSpaceAfterDelimiters(t, ","); }, "а,бв"},
        {[&](std::string_view t) { return AddSpaceAfterDelimitersEx(t, ".,", "", 1); }, "Это А.Б. сейчас"},
        {[&](std::string_view t) { return AddSpaceAfterDelimitersEx(t, ".,", "", 0); }, "Это А.Б. сейчас"},
        {[&](std::string_view t) { return AddSpaceAfterDelimitersEx(t, ".,", "", 1); }, "Я,бвг"},
        {[&](std::string_view t) { return AddSpaceAfterDelimitersEx(t, ",", "", 2); }, "Да,н"},
        {[&](std::string_view t) { return AddSpaceAfterDelimitersEx(t, ".,", "", 1); }, "ё www.я.рф,ж да,нет"},
        {[&](std::string_view t) { return DelSpaceBeforeDelimiters(t, ","); }, "Да , нет ."},
    };
    // clang-format on
    int row = 0;
    for (const auto& [op, text] : cases) {
        SCOPED_TRACE(++row);
        const std::string windows = op(W(text));
        const TextFormScope scope(TextForm::Utf8);
        EXPECT_EQ(op(text), Cp1251ToUtf8(windows));
    }
}

TEST(Utf8Strings, CountCharactersOutsideWindows1251AndNeverCutInsideOne) {
    const TextFormScope scope(TextForm::Utf8);
    const CutRules wide{.wideLetters = true};
    const CutRules marks{.atMarks = true};
    ExpectPairs({
        {TakeTextPart("éñüΩα", 2, 5, 0), "éñ"},
        {TakeTextPart("éñüΩα", 2, 5, 2), "Ωα"},
        {TakeTextPart("éñüΩα", 1, 3, 1), "ñ"},
        {TakeTextPart("👍🏽👍🏽中文e\u0301x", 1, 2, 0), "👍🏽👍🏽中"},
        {TakeTextPart("👍🏽👍🏽中文e\u0301x", 1, 2, 2), "文e\u0301x"},
        {TakeTextPart("ab\xFF\xFE", 1, 2, 2), "\xFF\xFE"},
        {TakeTextPartByWords("ΩΩΩ ééé ♪♪♪ 中中中", 1, 3, true, 2), "中中中"},
        {CutBy("ΩΩΩ ééé ♪♪♪", 7, false, {}), "ΩΩΩ ééé|♪♪♪"},
        {CutBy("ΩΩΩ ééé ♪♪♪", 7, true, {}), "ΩΩΩ|ééé ♪♪♪"},
        {CutBy("e\u0301e\u0301e\u0301 ab", 3, false, {}), "e\u0301e\u0301e\u0301|ab"},
        {CutBy("ab e\u0301e\u0301e\u0301", 3, true, {}), "ab|e\u0301e\u0301e\u0301"},
        {CutBy("👍🏽👍🏽 👍🏽", 2, false, {}), "👍🏽👍🏽|👍🏽"},
        {CutBy("👍🏽 👍🏽👍🏽", 2, true, {}), "👍🏽|👍🏽👍🏽"},
        {CutBy("\xFF\xFF\xFF\xFF ab", 2, false, {}), "\xFF\xFF\xFF\xFF|ab"},
        {CutBy("中文中文中文中文", 3, false, {}), "中文中文中文中文"},  // one word stays whole
        {CutBy("шшш ééé ббб", 7, false, wide), "шшш|ééé ббб"},
        {CutBy("ш\u0301шш ééé ббб", 7, false, wide), "ш\u0301шш|ééé ббб"},
        {CutBy("Oh my dear, we went home now", 22, true, marks), "Oh my dear,|we went home now"},
        // A comma with a mark on it is no place to cut.
        {CutBy("Oh my dear,\u0301 we went home now", 22, true, marks),
         "Oh my|dear,\u0301 we went home now"},
        {AddSpaceAfterDelimiters("a,é", ","), "a,é"},
        {AddSpaceAfterDelimiters("a,éé", ","), "a, éé"},
        {AddSpaceAfterDelimiters("да…нет ♪", "\x85"), "да… нет ♪"},  // "…" in Windows-1251
        {AddSpaceAfterDelimiters("a♪bc", "\x85"), "a♪bc"},           // ♪ shares a byte with …
        {AddSpaceAfterDelimitersEx("It is É.Ñ. now", ".,", "", 1), "It is É.Ñ. now"},
        {AddSpaceAfterDelimitersEx("It is É.Ñ. now", ".,", "", 0), "It is É. Ñ. now"},
        {AddSpaceAfterDelimitersEx("É,bcd", ".,", "", 1), "É,bcd"},
        {AddSpaceAfterDelimitersEx("π=3,14", ".,", "", 1), "π=3,14"},
        {AddSpaceAfterDelimitersEx("Ωx,é", ",", "", 2), "Ωx, é"},
        {AddSpaceAfterDelimitersEx("a,…b", ",", "\x85", 0), "a,…b"},  // a Windows-1251 follower
        {DelSpaceBeforeDelimiters("да … нет ♪ ", "\x85"), "да… нет ♪"},
    });
}

TEST(Utf8Strings, CaseBlindMatchesOfOtherByteLengthsAreReplacedAndSplitWhole) {
    // "İ" (two bytes) folds as "i" (one): the match in the text is not as long as the text
    // searched for, in either direction.
    const TextFormScope scope(TextForm::Utf8);
    const struct {
        std::string_view find, replace, text, replaced, wordsReplaced;
    } cases[] = {
        {"\xC4\xB0", "I", "hi", "hI", "hi"},
        {"\xC4\xB0", "I", "i i", "I I", "I I"},
        {"i", "I", "\xC4\xB0x\xC4\xB0", "IxI", "\xC4\xB0x\xC4\xB0"},
        {"a\xC4\xB0", "-", "xai", "x-", "xai"},
        {"\xC4\xB0" "b", "-", "ib ib", "- -", "- -"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.find, c.replace, c.text, true), c.replaced) << c.text;
        EXPECT_EQ(ReplaceWholeWord(c.find, c.replace, c.text, true), c.wordsReplaced) << c.text;
    }
    LineList list;
    EXPECT_EQ(SplitByStr("a\xC4\xB0" "b i", " \xC4\xB0", list, true), 2);
    EXPECT_EQ(JoinStrings(list, "|"), "a\xC4\xB0" "b|");
    list.clear();
    EXPECT_EQ(SplitByStr("ai", "\xC4\xB0", list, true), 2);
    EXPECT_EQ(JoinStrings(list, "|"), "a|");
}

// Number lines are tested several bytes at a time: every length around those windows, with one
// byte replaced at every place by a byte on either side of the digits (also with the high bit
// set, or one that the byte tests could mistake for a digit).
TEST(Strings, NumberTextsOfEveryLengthWithAStrayByteAnywhere) {
    const auto expected = [](std::string_view text) {
        std::string_view digits = text;
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
            digits.remove_prefix(1);
        if (digits.empty() || digits.size() > 10) return false;
        if (!std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) return false;
        const long long value = std::stoll(std::string(digits));
        return text.front() == '-' ? value <= 2147483648LL : value <= 2147483647LL;
    };
    const std::string strays = {'/', ':', ';',  '?',    ' ',    'a',
                                '+', '-', '\0', '\xB0', '\xB9', '\x7F'};
    for (std::size_t size = 1; size <= 12; ++size) {
        std::string text(size, '0');
        for (std::size_t i = 0; i < size; ++i)
            text[i] = static_cast<char>('1' + i % 9);
        ASSERT_EQ(IsSignedNumberStr(text), expected(text)) << text;
        for (std::size_t at = 0; at < size; ++at) {
            for (const char stray : strays) {
                std::string changed = text;
                changed[at] = stray;
                ASSERT_EQ(IsSignedNumberStr(changed), expected(changed)) << size << " at " << at;
            }
        }
    }
}

#if defined(__SSE2__)
// A pair of neighbouring bytes is found wherever it stands in texts of every length up to 48
// (one window, the two halves of a short text, several windows), and never when one of the two
// lies just outside the text.
TEST(Strings, AnyBytePairSeesEveryPairInsideTheTextOnly) {
    // 'a' followed by 'b'.
    const auto ab = [](__m128i bytes) {
        const auto is = [bytes](char c) {
            return static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
        };
        return is('a') & (is('b') >> 1);
    };
    for (std::size_t size = 0; size <= 48; ++size) {
        // The text stands inside a longer buffer, so that the bytes around it can be set.
        for (std::size_t at = 0; at <= size + 1; ++at) {
            std::string buffer(size + 4, 'x');
            const std::string_view text = std::string_view(buffer).substr(2, size);
            // The pair begins at text[at - 1]: at 0 it straddles the text's start, at size its end.
            buffer[2 + at - 1] = 'a';
            buffer[2 + at] = 'b';
            const bool inside = at >= 1 && at < size;
            ASSERT_EQ(AnyBytePair(text, ab), inside) << size << " at " << at;
        }
        // Both bytes of the pair the other way round, next to each other everywhere: no pair.
        std::string ba(size, 'x');
        for (std::size_t i = 0; i + 1 < size; i += 3) {
            ba[i] = 'b';
            ba[i + 1] = 'a';
        }
        ASSERT_FALSE(AnyBytePair(ba, ab)) << size;
    }
}
#endif
}  // namespace
}  // namespace tessaline
