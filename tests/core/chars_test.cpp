#include "core/chars.hpp"

#include <gtest/gtest.h>
#include <utf8proc.h>

#include <random>
#include <tuple>
#include <vector>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

// The bytes of the first n characters of long UTF-8 lines, where plain runs are passed sixteen
// bytes at a time: the same as stepping character by character, whatever comes at or just
// after a block's edge (a combining mark, a CR, a three-byte character, a stray or cut byte).
TEST(CharBytes, LongUtf8LinesAgreeWithSteppingCharacterByCharacter) {
    const TextFormScope scope(TextForm::Utf8);
    const std::vector<std::string> pieces = {
        "a", " ", "Ж", "я", "ß", "\u0301", "\r", "\r\n", "€", "\x80", "\xD0", "👍🏽", "Ω"};
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        // Mostly plain letters, so that whole blocks are plain and the odd piece falls anywhere.
        std::string text;
        const std::size_t length = 10 + random() % 60;
        for (std::size_t k = 0; k < length; ++k) {
            const std::size_t pick = random() % 20;
            text += pick < 5    ? pieces[pick % 5]
                    : pick < 12 ? "я"
                    : pick < 18 ? "a"
                                : pieces[pick % pieces.size()];
        }
        std::vector<std::size_t> ends = {0};
        for (std::size_t i = 0; i < text.size(); i = CharEnd(text, i))
            ends.push_back(CharEnd(text, i));
        for (std::size_t n = 0; n <= ends.size(); ++n) {
            const std::size_t want = n < ends.size() ? ends[n] : text.size();
            ASSERT_EQ(CharBytes(text, n), want) << text << " n=" << n;
        }
    }
}

TEST(CharCount, CountsBytesInWindows1251AndCharactersInUtf8) {
    // text, characters in UTF-8, bytes of the first two characters, bytes of the last two
    // clang-format off
    const std::tuple<std::string, std::size_t, std::size_t, std::size_t> cases[] = {
        {"", 0, 0, 0},
        {"ab", 2, 2, 2},
        {"Жив", 3, 4, 4},
        {"e\u0301té", 3, 4, 3},   // e with a combining acute counts once
        {"Ωα", 2, 4, 4},
        {"♪ la", 4, 4, 2},
        {"👍🏽!", 2, 9, 9},         // thumbs up with a skin tone is one character
        {"中文字", 3, 6, 6},
        {"a\xFF-", 3, 2, 2},       // a stray byte is a character of its own
        {"\xC3(", 2, 2, 2},        // a lead byte cut short
        {"\xC0\xBCx", 3, 2, 2},    // the overlong form of "<" is two stray bytes
        {"\xBC\xD0\xB6\xB6", 3, 3, 3},
        {"е\u0308ж", 2, 6, 6},
        {"a\r\nb", 3, 3, 3},       // CR LF is one character
        {"🇷🇺🇫🇷x", 3, 16, 9},      // flags are pairs of regional indicators
        {"x🇷🇺🇫🇷", 3, 9, 16},
        {"a👨‍👩‍👧 b", 4, 19, 2},     // a family joined by ZWJ is one character
    };
    // clang-format on
    for (const auto& [text, chars, headBytes, tailBytes] : cases) {
        EXPECT_EQ(CharCount(text), text.size()) << text;
        EXPECT_EQ(CharBytes(text, 2), std::min<std::size_t>(2, text.size())) << text;
        EXPECT_EQ(CharBytesAtEnd(text, 2), std::min<std::size_t>(2, text.size())) << text;
        const TextFormScope scope(TextForm::Utf8);
        EXPECT_EQ(CharCount(text), chars) << text;
        EXPECT_EQ(CharBytes(text, 2), headBytes) << text;
        EXPECT_EQ(CharBytesAtEnd(text, 2), tailBytes) << text;
        // Cutting from either end agrees, and CharEnd steps through the same characters.
        for (std::size_t n = 0; n <= chars + 1; ++n) {
            const std::size_t tail =
                n >= chars ? text.size() : text.size() - CharBytes(text, chars - n);
            EXPECT_EQ(CharBytesAtEnd(text, n), tail) << text << " " << n;
        }
        std::size_t steps = 0;
        for (std::size_t i = 0; i < text.size(); i = CharEnd(text, i))
            ++steps;
        EXPECT_EQ(steps, chars) << text;
    }
}

// Where characters begin, from utf8proc's boundary rule applied to every pair of code points;
// a byte that begins no character stands alone.
std::vector<std::size_t> ReferenceStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    std::int32_t previous = -1;
    std::int32_t state = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        const std::int32_t cp = sequence.ch ? static_cast<std::int32_t>(*sequence.ch) : -1;
        if (previous < 0 || cp < 0 || utf8proc_grapheme_break_stateful(previous, cp, &state)) {
            starts.push_back(i);
            if (previous < 0 || cp < 0) state = 0;
        }
        previous = cp;
        i += sequence.ch ? sequence.length : 1;
    }
    return starts;
}

TEST(CharCount, AgreesWithUtf8procOnMixedText) {
    const TextFormScope scope(TextForm::Utf8);
    const std::string_view pieces[] = {
        "a",      " ",      ",",      "\r",     "\n",     "Ж",      "ё",      "é",
        "Ω",      "\u0301", "\u0308", "\u0483", "中",     "👍",      "🏽",   "\u200D",
        "👩",      "🇷",      "🇺",      "\uFE0F", "\u0600", "\u0915", "\u094D", "\u1100",
        "\u1161", "\uAC00", "\xFF",   "\xD0",   "\x80",   "♪",
    };
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int k = length(random); k > 0; --k)
            text += pieces[pick(random)];
        const std::vector<std::size_t> starts = ReferenceStarts(text);
        std::vector<std::size_t> walked;
        for (std::size_t i = 0; i < text.size(); i = CharEnd(text, i))
            walked.push_back(i);
        ASSERT_EQ(walked, starts) << text;
        ASSERT_EQ(CharCount(text), starts.size()) << text;
        for (std::size_t n = 0; n <= starts.size(); ++n) {
            const std::size_t head = n < starts.size() ? starts[n] : text.size();
            ASSERT_EQ(CharBytes(text, n), head) << text << " " << n;
            const std::size_t tail = n == 0 ? 0 : text.size() - starts[starts.size() - n];
            ASSERT_EQ(CharBytesAtEnd(text, n), tail) << text << " " << n;
        }
    }
}

// Whole lines, long enough to be read sixteen bytes at a time, mostly of characters of one code
// point (which are counted by table) with now and then one that is not: a CR, a combining mark,
// a stray byte, a lead byte at the very end.
std::string MixedLine(std::mt19937& random) {
    const std::string_view plain[] = {"a", " ", ".", "Ж", "ё", "é", "Ω", "ı", "İ", "ß", "Ⱥ", "0"};
    const std::string_view other[] = {"\r", "\u0301", "\xFF", "\x80", "♪", "👍", "\u0600"};
    std::uniform_int_distribution<std::size_t> pickPlain(0, std::size(plain) - 1);
    std::uniform_int_distribution<std::size_t> pickOther(0, std::size(other) - 1);
    std::uniform_int_distribution<int> length(0, 48);
    std::uniform_int_distribution<int> odds(0, 40);
    std::string text;
    for (int k = length(random); k > 0; --k)
        text += odds(random) == 0 ? other[pickOther(random)] : plain[pickPlain(random)];
    if (odds(random) == 0) text += "\xD0";
    return text;
}

TEST(CharCount, AgreesWithUtf8procOnLongLines) {
    const TextFormScope scope(TextForm::Utf8);
    std::mt19937 random(20261207);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = MixedLine(random);
        ASSERT_EQ(CharCount(text), ReferenceStarts(text).size()) << text;
    }
}

// What a case change does to one code point: only letters with a case change, as utf8proc maps
// them; the compare fold lowers and takes ё as е.
std::int32_t ReferenceMap(std::int32_t cp, char how) {
    const utf8proc_category_t category = utf8proc_category(cp);
    const bool capital = category == UTF8PROC_CATEGORY_LU || category == UTF8PROC_CATEGORY_LT;
    const bool small = category == UTF8PROC_CATEGORY_LL || category == UTF8PROC_CATEGORY_LT;
    const std::int32_t lower = capital ? utf8proc_tolower(cp) : cp;
    switch (how) {
        case 'l':
            return lower;
        case 'f':
            return lower == 0x0451 ? 0x0435 : lower;
        case 'u':
            return small ? utf8proc_toupper(cp) : cp;
        default:
            return capital ? utf8proc_tolower(cp) : small ? utf8proc_toupper(cp) : cp;
    }
}

std::string ReferenceMapped(std::string_view text, char how) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        if (!sequence.ch) {
            out += text[i++];
            continue;
        }
        AppendUtf8(
            out, static_cast<char32_t>(ReferenceMap(static_cast<std::int32_t>(*sequence.ch), how)));
        i += sequence.length;
    }
    return out;
}

TEST(Utf8CaseMapping, WholeLinesMapEveryCodePointAsUtf8procDoes) {
    const TextFormScope scope(TextForm::Utf8);
    std::mt19937 random(7);
    std::vector<std::string> lines = {
        std::string(300, 'A'),
        // Ⱥ lowers to a three-byte letter: the line grows by half again.
        [] {
            std::string s;
            for (int i = 0; i < 200; ++i)
                s += "Ⱥ";
            return s;
        }(),
        "İSTANBUL ıi ÿŸ ß Ǆǅǆ",
    };
    for (int round = 0; round < 2000; ++round)
        lines.push_back(MixedLine(random));
    for (const std::string& text : lines) {
        ASSERT_EQ(LowerStrRus(text), ReferenceMapped(text, 'l')) << text;
        ASSERT_EQ(LowerFoldStr(text), ReferenceMapped(text, 'f')) << text;
        ASSERT_EQ(UpperStrRus(text), ReferenceMapped(text, 'u')) << text;
        ASSERT_EQ(SwitchCaseStr(text), ReferenceMapped(text, 's')) << text;
    }
}

// A line of characters of one code point each is walked by table; the same line with a mark on
// its last character (a "!" of its own) goes the way of the general walk. Both must agree.
TEST(Utf8Capitalize, PlainLinesAgreeWithTheGeneralWalk) {
    const TextFormScope scope(TextForm::Utf8);
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = MixedLine(random);
        bool plainFlag = round % 2 == 0;
        bool generalFlag = plainFlag;
        const std::string plain = CapitalizeAfterDelimiters(text + "!", "?", plainFlag);
        const std::string general = CapitalizeAfterDelimiters(text + "!\u0301", "?", generalFlag);
        ASSERT_EQ(plain + "\u0301", general) << text;
        ASSERT_EQ(plainFlag, generalFlag) << text;
        ASSERT_EQ(CapitalizeWords(text + "!") + "\u0301", CapitalizeWords(text + "!\u0301"))
            << text;
    }
}

// Lines of the letters around the edges of the sixteen-byte copy of small letters (а-п after
// D0, р-я and ѐ-џ after D1, their capitals, Ѡ after D1, ASCII capitals and their neighbours)
// at every offset from a block's start, walked by table and by the general walk; the result is
// appended to what the output already holds.
TEST(Utf8Capitalize, BlockEdgesAgreeWithTheGeneralWalk) {
    const TextFormScope scope(TextForm::Utf8);
    const std::string_view plain[] = {"a", "z", "A", "Z", "@", "[", "`", "{", " ", ".", "!",
                                      "?", "0", "-", "(", "а", "п", "р", "я", "ё", "ѐ", "џ",
                                      "А", "П", "Р", "Я", "Ё", "Ѐ", "Ѡ", "ѡ", "é", "É", "Ω"};
    const std::string_view other[] = {"\r", "\u0301", "…", "\x80", "\xD0", "\xD1"};
    const std::string sets[] = {".!?", "?", W("!?я")};
    std::mt19937 random(35);
    std::uniform_int_distribution<std::size_t> pickPlain(0, std::size(plain) - 1);
    std::uniform_int_distribution<std::size_t> pickOther(0, std::size(other) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::uniform_int_distribution<int> odds(0, 80);
    for (int round = 0; round < 6000; ++round) {
        std::string text;
        for (int k = length(random); k > 0; --k)
            text += odds(random) == 0 ? other[pickOther(random)] : plain[pickPlain(random)];
        const std::string& delimiters = sets[static_cast<std::size_t>(round) % std::size(sets)];
        bool tableFlag = round % 2 == 0;
        bool generalFlag = tableFlag;
        std::string table = "<i>";
        AppendCapitalizedAfterDelimiters(table, text + ",", delimiters, tableFlag);
        const std::string general =
            CapitalizeAfterDelimiters(text + ",\u0301", delimiters, generalFlag);
        ASSERT_EQ(table + "\u0301", "<i>" + general) << round << ' ' << text;
        ASSERT_EQ(tableFlag, generalFlag) << round << ' ' << text;
    }
}

// A search text of ASCII punctuation is looked for byte by byte; a match counts only where the
// walk by characters stands on it and where its last character ends.
TEST(Utf8PosNoCase, PunctuationIsFoundOnlyOnWholeCharacters) {
    const TextFormScope scope(TextForm::Utf8);
    const struct {
        std::string text;
        std::size_t from;
        std::size_t position;
    } cases[] = {
        {"Да. -Нет", 1, 5},  // byte positions
        {"Да. -Нет. -Ну", 6, 14},
        {"Да. \u0301-Нет", 1, 0},        // the mark joins the space
        {"Да. -\u0301Нет. -Ну", 1, 16},  // the first "-" carries a mark: the second match
        {"\u0600. -Да", 1, 0},           // "." belongs to the prepended sign before it
        {"\u0600. -Да. -", 1, 10},
        {"x\xFF. -", 1, 3},  // after a stray byte
        {"\xD0. -", 1, 2},   // after a lead byte cut short
        {"\r\n. -", 1, 3},
        {"Ж. -", 2, 3},  // from inside a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(PosNoCaseFrom(". -", c.text, c.from), c.position) << c.text;
}

// Lines of ASCII and the letters U+0400 to U+045F are counted sixteen bytes at a time; with a
// mark on their last letter they take the walk by characters, which must count the same. Some
// lines run past the 255 blocks a byte counter holds; a few hold a character of another kind.
TEST(Utf8IsMostlyUpperCase, CyrillicBlocksAgreeWithTheWalkByCharacters) {
    const TextFormScope scope(TextForm::Utf8);
    const std::string_view plain[] = {"a", "z", "A", "Z", "@", "[", " ", "7", ".", "\t", "а",
                                      "п", "р", "я", "ё", "ѐ", "џ", "А", "Я", "Ё", "Ѐ",  "Џ"};
    const std::string_view other[] = {"\r", "é", "Ѡ", "\xD0", "\x80", "…", "\xD1"};
    std::mt19937 random(1937);
    std::uniform_int_distribution<std::size_t> pickPlain(0, std::size(plain) - 1);
    std::uniform_int_distribution<std::size_t> pickOther(0, std::size(other) - 1);
    std::uniform_int_distribution<int> odds(0, 60);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (round % 100 == 0) {
            // One letter over and over fills the same counters in every block.
            const std::string_view letter = plain[pickPlain(random)];
            for (int k = 0; k < 5000; ++k)
                text += letter;
        }
        for (int k = round % 70; k > 0; --k)
            text += odds(random) == 0 ? other[pickOther(random)] : plain[pickPlain(random)];
        CaseCounts blocks;
        CaseCounts walk;
        const bool blocksUpper = IsMostlyUpperCase(text + "Ж", &blocks);
        const bool walkUpper = IsMostlyUpperCase(text + "Ж\u0301", &walk);
        ASSERT_EQ(blocksUpper, walkUpper) << round << ' ' << text;
        ASSERT_EQ(std::tie(blocks.latinUpper, blocks.latinLower, blocks.cyrillicUpper,
                           blocks.cyrillicLower, blocks.other),
                  std::tie(walk.latinUpper, walk.latinLower, walk.cyrillicUpper, walk.cyrillicLower,
                           walk.other))
            << round << ' ' << text;
    }
}

TEST(Utf8IsMostlyUpperCase, CountsLinesLongerThanOnePiece) {
    const TextFormScope scope(TextForm::Utf8);
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "Я";
    text += std::string(4500, 'b') + " é";
    CaseCounts counts;
    EXPECT_TRUE(IsMostlyUpperCase(text, &counts));
    EXPECT_EQ(counts.cyrillicUpper, 5000);
    EXPECT_EQ(counts.latinLower, 4501);
    EXPECT_EQ(counts.latinUpper, 0);
    EXPECT_EQ(counts.cyrillicLower, 0);
    EXPECT_EQ(counts.other, 1);
}

TEST(InCharSet, ReadsAWindows1251SetInBothForms) {
    const std::string set = W("…,ж");
    EXPECT_TRUE(InCharSet(W("a,b"), 1, set));
    EXPECT_TRUE(InCharSet(W("aж"), 1, set));
    EXPECT_FALSE(InCharSet(W("aЖ"), 1, set));
    const TextFormScope scope(TextForm::Utf8);
    // text, byte, in the set
    const std::tuple<std::string, std::size_t, bool> cases[] = {
        {"a,b", 1, true},     {"ж", 0, true},
        {"…", 0, true},       {"♪", 0, false},     // shares its first byte with "…"
        {"Ж", 0, false},      {"\xE6", 0, false},  // the byte of ж in Windows-1251, stray in UTF-8
        {"ж\u0301", 0, true},
    };
    for (const auto& [text, i, expected] : cases)
        EXPECT_EQ(InCharSet(text, i, set), expected) << text;
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

// Random Windows-1251 lines from the bytes the fast paths treat apart: the four forms of е/ё,
// letters of both cases, the sentence marks, spaces, a tag's brackets and any other byte.
std::string RandomCp1251Line(std::mt19937& rng, std::size_t most) {
    static const std::string kBytes = W("еЕёЁaAzZяЯ") + ".!?;, -'\"(<>09\n\x98\xFF";
    std::string line(rng() % (most + 1), ' ');
    for (char& c : line)
        c = rng() % 8 == 0 ? static_cast<char>(rng() % 256) : kBytes[rng() % kBytes.size()];
    return line;
}

TEST(PosNoCase, AgreesWithASearchOfTheFoldedTextsOnRandomLines) {
    std::mt19937 rng(29);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomCp1251Line(rng, 40);
        // A needle cut from the text, its case changed, finds something now and then.
        std::string sub = RandomCp1251Line(rng, 3);
        if (round % 2 == 0 && !text.empty()) {
            const std::size_t at = rng() % text.size();
            sub = SwitchCaseStr(text.substr(at, 1 + rng() % 3));
        }
        const std::size_t from = 1 + rng() % (text.size() + 1);
        const std::size_t found = LowerFoldStr(text).find(LowerFoldStr(sub), from - 1);
        const std::size_t expected =
            sub.empty() || from > text.size() || found == std::string::npos ? 0 : found + 1;
        ASSERT_EQ(PosNoCaseFrom(sub, text, from), expected) << round;
    }
}

TEST(CapitalizeAfterDelimiters, AgreesWithTheRuleByteByByteOnRandomLines) {
    // The rule read one byte at a time, as the sentence case is described.
    const auto expected = [](const std::string& text, std::string_view delimiters, bool& after) {
        std::string out = text;
        std::size_t i = 0;
        if (!out.empty() && out[0] == '<') {
            const std::size_t close = out.find('>');
            for (const std::size_t end = close == std::string::npos ? out.size() : close + 1;
                 i < end; ++i)
                out[i] = LowerCharRus(out[i]);
        }
        for (; i < out.size(); ++i) {
            const char c = out[i];
            if (c == '.' || delimiters.find(c) != std::string_view::npos) {
                after = true;
            } else if (after &&
                       std::string_view(" .-'\"([{\n\r").find(c) == std::string_view::npos) {
                out[i] = UpperCharRus(c);
                after = false;
            } else {
                out[i] = LowerCharRus(c);
            }
        }
        return out;
    };
    // Up to three delimiters take the sixteen-byte path, more the byte-by-byte one.
    const std::string sets[] = {"", "!?", ".!?", W("!?я"), ";,!?:"};
    std::mt19937 rng(1251);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomCp1251Line(rng, 70);
        const std::string& delimiters = sets[round % std::size(sets)];
        bool wantFlag = round % 3 == 0;
        bool flag = wantFlag;
        const std::string want = expected(text, delimiters, wantFlag);
        ASSERT_EQ(CapitalizeAfterDelimiters(text, delimiters, flag), want) << round;
        ASSERT_EQ(flag, wantFlag) << round;
    }
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

// --- UTF-8 ---------------------------------------------------------------------------------

TEST(Utf8CaseMapping, LettersOfEveryScriptChangeMarksSymbolsAndStrayBytesStay) {
    const TextFormScope scope(TextForm::Utf8);
    // text, LowerFoldStr, LowerStrRus, UpperStrRus, SwitchCaseStr
    // clang-format off
    const std::tuple<std::string, std::string, std::string, std::string, std::string> cases[] = {
        {"ЁЖИК ёлка", "ежик елка", "ёжик ёлка", "ЁЖИК ЁЛКА", "ёжик ЁЛКА"},
        {"Éñü Ab", "éñü ab", "éñü ab", "ÉÑÜ AB", "éÑÜ aB"},
        {"ΣΟΦΊΑ σοφία", "σοφία σοφία", "σοφία σοφία", "ΣΟΦΊΑ ΣΟΦΊΑ", "σοφία ΣΟΦΊΑ"},
        {"E\u0301t\u0345", "e\u0301t\u0345", "e\u0301t\u0345", "E\u0301T\u0345", "e\u0301T\u0345"},
        {"♪ 👍🏽 中 Ⓐ", "♪ 👍🏽 中 Ⓐ", "♪ 👍🏽 中 Ⓐ", "♪ 👍🏽 中 Ⓐ", "♪ 👍🏽 中 Ⓐ"},
        {"a\xFF\xD0Z", "a\xFF\xD0z", "a\xFF\xD0z", "A\xFF\xD0Z", "A\xFF\xD0z"},
        {"ß", "ß", "ß", "ẞ", "ẞ"},  // a case change may change a character's length
    };
    // clang-format on
    for (const auto& [text, fold, lower, upper, switched] : cases) {
        EXPECT_EQ(LowerFoldStr(text), fold);
        EXPECT_EQ(LowerStrRus(text), lower);
        EXPECT_EQ(UpperStrRus(text), upper);
        EXPECT_EQ(SwitchCaseStr(text), switched);
    }
}

TEST(Utf8CaseMapping, SingleBytesChangeOnlyForAsciiLetters) {
    const TextFormScope scope(TextForm::Utf8);
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(LowerCharRus(c), b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : c) << b;
        EXPECT_EQ(UpperCharRus(c), b >= 'a' && b <= 'z' ? static_cast<char>(b - 32) : c) << b;
    }
}

TEST(Utf8PosNoCase, GivesBytePositionsOfWholeCharacterMatches) {
    const TextFormScope scope(TextForm::Utf8);
    // clang-format off
    const std::tuple<std::string, std::string, std::size_t> cases[] = {
        {"ЕЛКА", "Новая ёлка", 12},
        {"ёлка", "ЕЛКА", 1},
        {"É", "café", 4},
        {"ΣΟΦ", "η σοφία", 4},
        {"e", "cafe\u0301", 0},           // never half of a character
        {"e\u0301", "CAFE\u0301", 4},
        {"\xFF", "a\xFF", 2},              // a stray byte matches itself
        {"\xFF", "aя", 0},                 // and never a byte of a character
        {"\x8F", "aя", 0},
        {"👍", "x 👍🏽", 0},
        {"Ѐ", "ѐ", 1},
    };
    // clang-format on
    for (const auto& [sub, text, expected] : cases)
        EXPECT_EQ(PosNoCase(sub, text), expected) << sub << " in " << text;
    EXPECT_EQ(PosNoCaseFrom("я", "ЯяЯ", 2), 3u);  // from inside the first character
    EXPECT_EQ(PosNoCaseFrom("я", "ЯяЯ", 3), 3u);
    EXPECT_EQ(PosNoCaseFrom("я", "ЯяЯ", 5), 5u);
    EXPECT_EQ(PosNoCaseFrom("я", "ЯяЯ", 7), 0u);
    EXPECT_TRUE(StartsWithNoCase("ÉCOLE", "éc"));
    EXPECT_TRUE(StartsWithNoCase("Ёлка", "ел"));
    EXPECT_TRUE(StartsWithNoCase("x", ""));
    EXPECT_FALSE(StartsWithNoCase("e\u0301x", "e"));
    EXPECT_FALSE(StartsWithNoCase("é", "éé"));
}

TEST(Utf8Capitalize, WordsFirstLetterAndSentences) {
    const TextFormScope scope(TextForm::Utf8);
    EXPECT_EQ(CapitalizeWords("ёлки-ПАЛКИ éCOLE ñu ωμέγα"), "Ёлки-Палки École Ñu Ωμέγα");
    EXPECT_EQ(CapitalizeWords("e\u0301COLE \xFF-AB"), "E\u0301cole \xFF-Ab");
    EXPECT_EQ(CapitalizeFirstLetter("(12) - éCOLE ЖИЗНЬ"), "(12) - École жизнь");
    EXPECT_EQ(CapitalizeFirstLetter("♪ ЖИЗНЬ"), "♪ жизнь");  // ♪ is the first "letter"
    const std::tuple<std::string, bool, std::string, bool> cases[] = {
        {"<I>ÉTÉ. ÉTÉ", true, "<i>Été. Été", false},
        {"ПРИВЕТ! КАК ДЕЛА? ", false, "привет! Как дела? ", true},
        {"«ДА» НЕТ", true, "«да» нет", false},
    };
    for (const auto& [text, before, expected, after] : cases) {
        bool flag = before;
        EXPECT_EQ(CapitalizeAfterDelimiters(text, ".!?", flag), expected);
        EXPECT_EQ(flag, after) << text;
    }
    bool flag = false;  // a Windows-1251 delimiter set: "…" is byte 0x85
    EXPECT_EQ(CapitalizeAfterDelimiters("ну… ДА ♪ НЕТ", "\x85", flag), "ну… Да ♪ нет");
}

TEST(Utf8FixJoinedCapital, LowersCapitalsOfAnyScript) {
    const TextFormScope scope(TextForm::Utf8);
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"кто-То ё-Ё", "кто-то ё-ё", true}, {"été-Ça ñ'Ñ", "été-ça ñ'ñ", true},
        {"a-B-C", "a-b-c", true},  // a lowered capital joins the next one
        {"e\u0301-É", "e\u0301-é", true},   {"-Да A-É ♪-Б", "-Да A-É ♪-Б", false},
    };
    for (const auto& [text, expected, changed] : cases) {
        std::string s = text;
        EXPECT_EQ(FixJoinedCapital(s), changed) << text;
        EXPECT_EQ(s, expected);
    }
}

TEST(Utf8IsMostlyUpperCase, CountsCharactersByScript) {
    const TextFormScope scope(TextForm::Utf8);
    using Counts = std::array<int, 5>;
    // clang-format off
    const std::tuple<std::string, bool, Counts> cases[] = {
        {"HELLO мир", true, {5, 0, 0, 3, 1}},
        {"Ёж и ёж, Ab", false, {1, 1, 1, 4, 4}},
        {"ÉTÉ ΩΜΈΓΑ été", true, {8, 3, 0, 0, 2}},
        {"ӁӂЀ", true, {0, 0, 2, 1, 0}},             // the Cyrillic Supplement is Cyrillic
        {"e\u0301 ♪ 👍🏽 中 \xFF", false, {0, 1, 0, 0, 8}},
    };
    // clang-format on
    for (const auto& [text, expected, counts] : cases) {
        CaseCounts n;
        EXPECT_EQ(IsMostlyUpperCase(text, &n), expected) << text;
        EXPECT_EQ((Counts{n.latinUpper, n.latinLower, n.cyrillicUpper, n.cyrillicLower, n.other}),
                  counts)
            << text;
    }
}

TEST(Utf8CountWideLetters, ReadsTheWindows1251SetByCharacters) {
    const TextFormScope scope(TextForm::Utf8);
    const std::tuple<std::string, std::string, int> cases[] = {
        {"", "шум", 2},       {"", "ЖжМмФфШшЩщЫыЮю привет", 14},
        {"", "ш\u0301и", 1},   // a wide letter with a stress mark is still wide
        {"", "\xE6\xF8", 0},   // stray bytes that are wide letters in Windows-1251
        {"x\x85", "x…b…", 3},  // a user's set: "x" and "…"
    };
    for (const auto& [set, text, expected] : cases)
        EXPECT_EQ(CountWideLetters(set, text), expected) << text;
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// Plain lines give the counts IsMostlyUpperCase gives and the sum of their code points'
// weights; any other line is refused. Heavy weights make the fields be emptied often.
TEST(PlainTally, CountsAndWeighsPlainLinesRefusesTheRest) {
    const TextFormScope scope(TextForm::Utf8);
    std::vector<std::uint16_t> light(0x800);
    for (std::size_t cp = 0; cp < light.size(); ++cp)
        light[cp] = static_cast<std::uint16_t>(cp % 10);
    const std::vector<std::uint16_t> heavy(0x800, 300);
    const std::string longLine = [] {
        std::string text;
        for (int i = 0; i < 3000; ++i)
            text += "Жa";
        return text;
    }();
    struct Case {
        std::string text;
        bool plain;
        int lightWeight;  // weights cp % 10
    };
    const Case cases[] = {
        {"", true, 0},
        {"Aa", true, 5 + 7},                 // U+0041, U+0061
        {"Жж é!", true, 6 + 8 + 2 + 3 + 3},  // U+0416 U+0436 U+0020 U+00E9 U+0021
        {"ΩЁё", true, 7 + 5 + 5},            // U+03A9 U+0401 U+0451
        {longLine, true, 3000 * (6 + 7)},
        {std::string(600, 'a'), true, 600 * 7},  // pieces full of characters
        {"a\r", false, 0},
        {"Ѡ́", false, 0},  // a combining mark joins the letter before it
        {"…", false, 0},  // three bytes
        {"a\xD0", false, 0},
        {std::string("\xD0") + "a", false, 0},  // a lead before ASCII
        {"\xC1\xBF", false, 0},                 // an overlong form
        {"\x80z", false, 0},
        {"\xD2\x90", false, 0},  // Ґ: no plain lead
    };
    const PlainTally byLight(light.data());
    const PlainTally byHeavy(heavy.data());
    const PlainTally byNothing(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        CaseCounts counts;
        int weight = -1;
        ASSERT_EQ(byLight.Count(c.text, counts, weight), c.plain);
        int none = -1;
        ASSERT_EQ(byNothing.Count(c.text, counts, none), c.plain);
        if (!c.plain) continue;
        CaseCounts expected;
        (void)IsMostlyUpperCase(c.text, &expected);
        EXPECT_EQ(std::tie(counts.latinUpper, counts.latinLower, counts.cyrillicUpper,
                           counts.cyrillicLower, counts.other),
                  std::tie(expected.latinUpper, expected.latinLower, expected.cyrillicUpper,
                           expected.cyrillicLower, expected.other));
        EXPECT_EQ(weight, c.lightWeight);
        ASSERT_TRUE(byHeavy.Count(c.text, counts, weight));
        EXPECT_EQ(weight, 300 * static_cast<int>(CharCount(c.text)));
        // Without weights: the same counts, weight 0.
        CaseCounts unweighted{1, 1, 1, 1, 1};
        ASSERT_TRUE(byNothing.Count(c.text, unweighted, weight));
        EXPECT_EQ(std::tie(unweighted.latinUpper, unweighted.latinLower, unweighted.cyrillicUpper,
                           unweighted.cyrillicLower, unweighted.other),
                  std::tie(expected.latinUpper, expected.latinLower, expected.cyrillicUpper,
                           expected.cyrillicLower, expected.other));
        EXPECT_EQ(weight, 0);
    }
    // Refused ASCII characters refuse the text wherever they stand, also after a long run.
    const PlainTally noTags(light.data(), "<");
    const PlainTally noTagsUnweighted(nullptr, "<");
    CaseCounts counts;
    int weight = 0;
    for (const std::string& text : {std::string("<i>"), std::string("Жж<"), longLine + "<"}) {
        EXPECT_FALSE(noTags.Count(text, counts, weight)) << text.substr(0, 10);
        EXPECT_FALSE(noTagsUnweighted.Count(text, counts, weight)) << text.substr(0, 10);
    }
    EXPECT_TRUE(noTags.Count(longLine, counts, weight));
    EXPECT_TRUE(noTagsUnweighted.Count(longLine, counts, weight));
}

// Windows-1251 text: every byte a character, counted as IsMostlyUpperCase counts it and
// weighed by its byte; a refused byte refuses the text. Texts longer than a piece of the table
// sum (255 bytes) and heavy weights check that no field overflows into the next.
TEST(ByteTally, CountsAndWeighsBytesRefusesTheChosenOnes) {
    const TextFormScope scope(TextForm::Cp1251);
    std::array<std::uint16_t, 256> light{};
    for (std::size_t b = 0; b < light.size(); ++b)
        light[b] = static_cast<std::uint16_t>(b % 7);
    std::array<std::uint16_t, 256> heavy{};
    heavy.fill(65535);
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const std::string cases[] = {"",
                                 "Aa",
                                 "\xC6\xE6 \xA8\xB8!",
                                 "ABC\xC0\xC1\xC2xyz",
                                 std::string(1000, '\xDF'),
                                 everyByte + everyByte + everyByte};
    const ByteTally byLight(light.data(), "<");
    const ByteTally byHeavy(heavy.data());
    const ByteTally unweighted(nullptr);
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.size());
        CaseCounts expected;
        (void)IsMostlyUpperCase(text, &expected);
        const bool hasRefused = text.find('<') != std::string::npos;
        CaseCounts counts;
        int weight = -1;
        ASSERT_EQ(byLight.Count(text, counts, weight), !hasRefused);
        if (!hasRefused) {
            EXPECT_EQ(std::tie(counts.latinUpper, counts.latinLower, counts.cyrillicUpper,
                               counts.cyrillicLower, counts.other),
                      std::tie(expected.latinUpper, expected.latinLower, expected.cyrillicUpper,
                               expected.cyrillicLower, expected.other));
            int lightWeight = 0;
            for (const char c : text)
                lightWeight += light[static_cast<unsigned char>(c)];
            EXPECT_EQ(weight, lightWeight);
        }
        ASSERT_TRUE(byHeavy.Count(text, counts, weight));
        EXPECT_EQ(counts.other, expected.other);
        EXPECT_EQ(weight, 65535 * static_cast<int>(text.size()));
        ASSERT_TRUE(unweighted.Count(text, counts, weight));
        EXPECT_EQ(weight, 0);
    }
}

}  // namespace
}  // namespace tessaline
