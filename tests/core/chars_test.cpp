#include "core/chars.hpp"

#include <gtest/gtest.h>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

TEST(CharCount, CountsBytesInWindows1251AndCharactersInUtf8) {
    // text, characters in UTF-8, bytes of the first two characters in UTF-8
    // clang-format off
    const std::tuple<std::string, std::size_t, std::size_t> cases[] = {
        {"", 0, 0},
        {"ab", 2, 2},
        {"Жив", 3, 4},
        {"e\u0301té", 3, 4},   // e with a combining acute counts once
        {"Ωα", 2, 4},
        {"♪ la", 4, 4},
        {"👍🏽!", 2, 9},         // thumbs up with a skin tone is one character
        {"中文", 2, 6},
        {"a\xFF-", 3, 2},       // a stray byte is a character of its own
        {"\xC3(", 2, 2},        // a lead byte cut short
        {"\xC0\xBCx", 3, 2},    // the overlong form of "<" is two stray bytes
        {"е\u0308ж", 2, 6},
        {"a\r\nb", 3, 3},       // CR LF is one character
    };
    // clang-format on
    for (const auto& [text, chars, twoCharBytes] : cases) {
        EXPECT_EQ(CharCount(text), text.size()) << text;
        EXPECT_EQ(CharBytes(text, 2), std::min<std::size_t>(2, text.size())) << text;
        const TextFormScope scope(TextForm::Utf8);
        EXPECT_EQ(CharCount(text), chars) << text;
        EXPECT_EQ(CharBytes(text, 2), twoCharBytes) << text;
        EXPECT_EQ(CharBytes(text, 0), 0u);
        EXPECT_EQ(CharBytes(text, 100), text.size());
    }
}

TEST(FromCp1251, CopiesInWindows1251AndConvertsInUtf8) {
    const std::string text = W("Ёж №1");
    EXPECT_EQ(FromCp1251(text), text);
    const TextFormScope scope(TextForm::Utf8);
    EXPECT_EQ(FromCp1251(text), "Ёж №1");
    {
        const TextFormScope inner(TextForm::Cp1251);
        EXPECT_EQ(FromCp1251(text), text);
    }
    EXPECT_EQ(FromCp1251(text), "Ёж №1");
}

TEST(CaseMapping, FollowsTheLetterClassesForAllBytes) {
    // The class table written out once more: capitals, their small letters 32 up, Ё/ё apart.
    const auto isUpper = [](int b) { return (b >= 'A' && b <= 'Z') || (b >= 192 && b <= 223); };
    const auto isLower = [](int b) { return (b >= 'a' && b <= 'z') || b >= 224; };
    int letters = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const int lower = b == 168 ? 184 : isUpper(b) ? b + 32 : b;
        const int upper = b == 184 ? 168 : isLower(b) ? b - 32 : b;
        const int other = lower != b ? lower : upper;
        letters += other != b;
        EXPECT_EQ(static_cast<unsigned char>(LowerCharRus(c)), lower) << b;
        EXPECT_EQ(static_cast<unsigned char>(UpperCharRus(c)), upper) << b;
        EXPECT_EQ(SwitchCaseStr(std::string(1, c)), std::string(1, static_cast<char>(other))) << b;
    }
    EXPECT_EQ(letters, 118);
}

TEST(CaseMapping, StringFormsFoldYoOnlyWhenLowering) {
    EXPECT_EQ(LowerFoldStr(W("ЁЖИК ёлка Ђђ HeLLo")), W("ежик елка Ђђ hello"));
    EXPECT_EQ(UpperStrRus(W("ёжик")), W("ЁЖИК"));
    EXPECT_EQ(SwitchCaseStr(W("Привет, World 123!")), W("пРИВЕТ, wORLD 123!"));
}

TEST(PosNoCase, FindsIgnoringCaseAndYo) {
    const std::tuple<std::string, std::string, std::size_t> cases[] = {
        {W("ЕЛКА"), W("Новая ёлка"), 7},
        {W("ёлка"), W("ЕЛКА"), 1},
        {"World", "hello WORLD", 7},
        {W("Ђ"), W("ђ"), 0},
        {"", "abc", 0},
        {"a", "", 0},
        {std::string("\0B", 2), std::string("a\0b", 3), 2},
    };
    for (const auto& [sub, text, expected] : cases)
        EXPECT_EQ(PosNoCase(sub, text), expected);
    EXPECT_EQ(PosNoCaseFrom("a", "AbcA", 2), 4u);
    EXPECT_EQ(PosNoCaseFrom("a", "AbcA", 5), 0u);
}

TEST(WordStartSet, HasExactlyTheTwentyThreeMembers) {
    const std::string members = " \"(),-.0123456789>[]_{}";
    int count = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        count += IsWordStartChar(c);
        EXPECT_EQ(IsWordStartChar(c), members.find(c) != std::string::npos) << b;
    }
    EXPECT_EQ(count, 23);
}

TEST(Capitalize, WordsAndFirstLetter) {
    EXPECT_EQ(CapitalizeWords("hELLO-wORLD"), "Hello-World");
    EXPECT_EQ(CapitalizeWords("mr.smith's 2nd <i>hi"), "Mr.Smith's 2Nd <i>Hi");
    EXPECT_EQ(CapitalizeWords(W("ёлки-ПАЛКИ")), W("Ёлки-Палки"));
    EXPECT_EQ(CapitalizeFirstLetter("(12) - 'hELLO wORLD"), "(12) - 'hello world");
    EXPECT_EQ(CapitalizeFirstLetter(W("жИЗНЬ. ДА")), W("Жизнь. да"));
    EXPECT_EQ(CapitalizeFirstLetter("12."), "12.");
}

TEST(CapitalizeAfterDelimiters, StartsSentencesAndCarriesTheFlag) {
    const std::tuple<std::string, bool, std::string, bool> cases[] = {
        {"<i>ok. yes", false, "<i>ok. Yes", false},
        {"<I>OK", true, "<i>Ok", false},
        {"WHAT?! (no) \"yes\"", false, "what?! (No) \"yes\"", false},
        {"1. 2 apples", false, "1. 2 apples", false},
        {W("ПРИВЕТ. КАК ДЕЛА"), true, W("Привет. Как дела"), false},
    };
    for (const auto& [text, before, expected, after] : cases) {
        bool flag = before;
        EXPECT_EQ(CapitalizeAfterDelimiters(text, ".!?", flag), expected);
        EXPECT_EQ(flag, after) << text;
    }
    bool flag = false;
    EXPECT_EQ(CapitalizeAfterDelimiters("IT ENDS HERE!", ".!?", flag), "it ends here!");
    EXPECT_EQ(CapitalizeAfterDelimiters("- and on", ".!?", flag), "- And on");
}

TEST(FixJoinedCapital, LowersCapitalGluedToSmallLetterByJoiner) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"don'T", "don't", true},
        {W("кто-То ё-Ё"), W("кто-то ё-ё"), true},
        {"9-A x=Y he\"S", "9-a x=y he\"s", true},
        {"a- B", "a- B", false},
        {W("-Да A-B a+B"), W("-Да A-B a+B"), false},
    };
    for (const auto& [text, expected, changed] : cases) {
        std::string s = text;
        EXPECT_EQ(FixJoinedCapital(s), changed) << text;
        EXPECT_EQ(s, expected);
    }
}

TEST(IsMostlyUpperCase, ComparesEachAlphabetAndCounts) {
    using Counts = std::array<int, 5>;
    const std::tuple<std::string, bool, Counts> cases[] = {
        {W("HELLO мир"), true, {5, 0, 0, 3, 1}},
        {W("Ёж и ёж, Ab"), false, {1, 1, 1, 4, 4}},
        {W("ПРИВЕТ world1Ђ"), true, {0, 5, 6, 0, 3}},
    };
    for (const auto& [text, expected, counts] : cases) {
        CaseCounts n;
        EXPECT_EQ(IsMostlyUpperCase(text, &n), expected) << text;
        EXPECT_EQ((Counts{n.latinUpper, n.latinLower, n.cyrillicUpper, n.cyrillicLower, n.other}),
                  counts);
    }
}

TEST(CountWideLetters, UsesTheWideSetWhenNoneIsGiven) {
    EXPECT_EQ(CountWideLetters("", W("шум")), 2);
    EXPECT_EQ(CountWideLetters("", W("ЖжМмФфШшЩщЫыЮю привет")), 14);
    EXPECT_EQ(CountWideLetters("ab", "abcab"), 4);
}

}  // namespace
}  // namespace tessaline
