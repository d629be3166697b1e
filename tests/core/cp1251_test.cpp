#include "core/cp1251.hpp"

#include <gtest/gtest.h>

#include <set>

namespace tessaline {
namespace {

TEST(Cp1251, EveryByteRoundTrips) {
    std::string bytes;
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
        const char32_t ch = Cp1251ToUnicode(static_cast<unsigned char>(b));
        seen.insert(ch);
        EXPECT_EQ(UnicodeToCp1251(ch), static_cast<unsigned char>(b)) << b;
    }
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(bytes)), bytes);
}

TEST(Cp1251, MapsKnownCharacters) {
    const std::pair<unsigned char, char32_t> cases[] = {
        {0xC0, U'А'}, {0xFF, U'я'}, {0xA8, U'Ё'},   {0xB8, U'ё'},   {0xB9, U'№'},
        {0x88, U'€'}, {0x96, U'–'}, {0xA0, 0x00A0}, {0x98, 0x0098},
    };
    for (const auto& [byte, ch] : cases) {
        EXPECT_EQ(Cp1251ToUnicode(byte), ch) << int{byte};
        EXPECT_EQ(UnicodeToCp1251(ch), byte) << int{byte};
    }
    EXPECT_FALSE(UnicodeToCp1251(0x0450).has_value());
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2, \xB9 \x88"), "Привет, № €");
}

TEST(Cp1251, MissingAndMalformedCharactersBecomeTheReplacement) {
    const std::pair<std::string, std::string> cases[] = {
        {"a日b", "a?b"},
        {"\xF0\x9F\x98\x80", "?"},
        {"\x80\xFF", "??"},
        {"\xD0"
         "A",
         "?A"},
        {"a\xE2\x82", "a?"},
        {"\xC0\xBC\xE0\x80\xBC", "??"},
    };
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(Utf8ToCp1251(utf8), expected) << utf8;
    EXPECT_EQ(Utf8ToCp1251("x日", '#'), "x#");
}

}  // namespace
}  // namespace tessaline
