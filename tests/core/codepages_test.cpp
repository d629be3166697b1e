#include "core/codepages.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/cp1251.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

// А..Я, а..я, Ё, ё in Windows-1251, and the same letters as the published code pages place them.
const std::string kAlphabet =
    W("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё");

std::string Hex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

TEST(CodePages, EveryRussianLetterConvertsBothWays) {
    const struct {
        CodePage page;
        const char* letters;  // hex
    } cases[] = {
        // clang-format off
        {CodePage::Cp866, "808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9fa0a1a2a3a4a5a6a7a8a9aaabacadaeafe0e1e2e3e4e5e6e7e8e9eaebecedeeeff0f1"},
        {CodePage::Iso88595, "b0b1b2b3b4b5b6b7b8b9babbbcbdbebfc0c1c2c3c4c5c6c7c8c9cacbcccdcecfd0d1d2d3d4d5d6d7d8d9dadbdcdddedfe0e1e2e3e4e5e6e7e8e9eaebecedeeefa1f1"},
        {CodePage::Koi8r, "e1e2f7e7e4e5f6fae9eaebecedeeeff0f2f3f4f5e6e8e3fefbfdfff9f8fce0f1c1c2d7c7c4c5d6dac9cacbcccdcecfd0d2d3d4d5c6c8c3dedbdddfd9d8dcc0d1b3a3"},
        {CodePage::Mac, "808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9fe0e1e2e3e4e5e6e7e8e9eaebecedeeeff0f1f2f3f4f5f6f7f8f9fafbfcfdfedfddde"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        const std::string letters = Hex(c.letters);
        const int to = ModeOf(CodePage::Win1251, c.page);
        const int back = ModeOf(c.page, CodePage::Win1251);
        EXPECT_EQ(ConvertLine(kAlphabet, to), letters);
        EXPECT_EQ(ConvertLine(letters, back), kAlphabet);
        for (unsigned char byte : letters)
            EXPECT_TRUE(IsRussianLetter(c.page, byte)) << int(byte);
        // Between two other code pages the letters go straight across.
        for (const auto& other : cases) {
            EXPECT_EQ(ConvertLine(letters, ModeOf(c.page, other.page)), Hex(other.letters));
        }
    }
}

TEST(CodePages, ModesFollowTheMenusNumbering) {
    // The menu items' modes: Windows-1251 to ISO, CP866, KOI8-R, Mac, and back.
    EXPECT_EQ(ModeOf(CodePage::Win1251, CodePage::Iso88595), 18);
    EXPECT_EQ(ModeOf(CodePage::Win1251, CodePage::Cp866), 17);
    EXPECT_EQ(ModeOf(CodePage::Win1251, CodePage::Koi8r), 19);
    EXPECT_EQ(ModeOf(CodePage::Win1251, CodePage::Mac), 20);
    EXPECT_EQ(ModeOf(CodePage::Iso88595, CodePage::Win1251), 8);
    EXPECT_EQ(ModeOf(CodePage::Cp866, CodePage::Win1251), 4);
    EXPECT_EQ(ModeOf(CodePage::Koi8r, CodePage::Win1251), 12);
    EXPECT_EQ(ModeOf(CodePage::Mac, CodePage::Win1251), 16);
    EXPECT_EQ(ModeOf(CodePage::Mac, CodePage::Mac), 0);
    for (int mode = 1; mode <= 20; ++mode) {
        const ModePages pages = PagesOfMode(mode);
        EXPECT_NE(pages.from, pages.to) << mode;
        EXPECT_EQ(ModeOf(pages.from, pages.to), mode);
    }
}

TEST(CodePages, OnlyLettersChange) {
    // A CP866 box-drawing byte passes CP866 -> Windows-1251 unchanged; Windows-1251 -> CP866
    // then takes it for А: the two modes are inverse on letters only.
    EXPECT_EQ(ConvertLine("\xC0", 4), "\xC0");
    EXPECT_EQ(ConvertLine("\xC0", 17), "\x80");
    // Ukrainian letters and punctuation keep their bytes; a word that begins with Ё keeps the
    // letter (as KOI8-R's Ё).
    EXPECT_EQ(ConvertLine(W("Її «x», 1-2"), 19), W("Її «x», 1-2"));
    EXPECT_EQ(ConvertLine(W("Ёж"), 19), "\xB3\xD6");
    EXPECT_EQ(ConvertLine("abc", 0), "abc");
    EXPECT_EQ(ConvertLine("abc", 23), "abc");
}

TEST(CodePages, Utf8BothWays) {
    const struct {
        int mode;
        bool first;
        std::string in;
        std::string out;
        std::size_t lost = 0;  // characters left out that Windows-1251 lacks
    } cases[] = {
        // The byte-order mark goes before the first line only; 0x98 has no character.
        {21, true, W("Ёж"), "\xEF\xBB\xBF\xD0\x81\xD0\xB6"},
        {21, true, "", "\xEF\xBB\xBF"},
        {21, false,
         "a\x98"
         "b\x88",
         "ab\xE2\x82\xAC"},
        // The mark is dropped; the euro sign is 0x88; U+4E00 has no Windows-1251 byte.
        {22, true, "\xEF\xBB\xBF\xD0\x81\xD0\xB6", W("Ёж")},
        {22, false, "\xE2\x82\xAC|\xE4\xB8\x80|", "\x88||", 1},
        // A stray lead byte gives only the letter after it; a stray byte of a character that
        // Windows-1251 has (the copyright sign, as in Latin-1) gives that character.
        {22, false,
         "\xD0"
         "A",
         "A", 1},
        {22, false, "x\xA9", "x\xA9"},
        // An overlong form is no "<"; a surrogate and a four-byte character are dropped.
        {22, false, "\xC0\xBC|\xED\xA0\x80|\xF0\x9F\x98\x80", "||", 3},
        // A sequence cut by the end of the line.
        {22, false, "\xD0", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        std::string out;
        EXPECT_EQ(AppendConverted(out, c.in, c.mode, c.first), c.lost);
        EXPECT_EQ(out, c.out);
    }
}

TEST(CodePages, Utf16DecodesAcrossBlocks) {
    // "Ёж\n" and a smiley (a surrogate pair) in UTF-16LE with its mark, fed a byte at a time.
    const std::string le(
        "\xFF\xFE\x01\x04\x36\x04\x0A\x00\x3D\xD8\x00\xDE"
        "a\x00",
        14);
    std::string out;
    Utf16Decoder decoder(false);
    for (char c : le)
        decoder.Decode(std::string_view(&c, 1), out);
    EXPECT_EQ(out, W("Ёж") + "\na");
    EXPECT_EQ(decoder.lost(), 1U);  // the smiley; the mark is no character

    const std::string be("\xFE\xFF\x04\x01\x20\xAC", 6);
    out.clear();
    Utf16Decoder(true).Decode(be, out);
    EXPECT_EQ(out, W("Ё") + "\x88");
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(AppendWin1251AsUtf8, AgreesWithTheCodePointOfEachByteOnRandomLines) {
    std::mt19937 rng(1251);
    for (int round = 0; round < 5000; ++round) {
        // Lines of mostly ASCII, so that whole sixteen-byte blocks of it stand between the
        // letters; every byte of the code page comes now and then, 0x98 too.
        std::string line(rng() % 70, 'a');
        for (char& c : line)
            c = static_cast<char>(rng() % 4 == 0 ? rng() % 256 : 32 + rng() % 90);
        std::string expected = "head";
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte != 0x98) AppendUtf8(expected, Cp1251ToUnicode(byte));
        }
        std::string out = "head";
        AppendWin1251AsUtf8(out, line);
        ASSERT_EQ(out, expected) << round;
    }
}

}  // namespace
}  // namespace tessaline
