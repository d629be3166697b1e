#include "core/typed_text.hpp"

#include <gtest/gtest.h>

#include "core/cp1251.hpp"

namespace tessaline {
namespace {

TEST(TypedText, GoesIntoTheFormOrNamesTheCharacterItLacks) {
    const struct {
        std::string typed;  // UTF-8
        TextForm form;
        std::string text;
        std::optional<char32_t> missing;
    } cases[] = {
        {"Привет, ёж €", TextForm::Cp1251, Utf8ToCp1251("Привет, ёж €"), std::nullopt},
        {"abc", TextForm::Cp1251, "abc", std::nullopt},
        {"", TextForm::Cp1251, "", std::nullopt},
        {"aΩb", TextForm::Cp1251, "", U'Ω'},
        {"日本", TextForm::Cp1251, "", U'日'},
        {"a\xFF", TextForm::Cp1251, "", U'\uFFFD'},  // a byte that begins no character
        {"a\xD0", TextForm::Cp1251, "", U'\uFFFD'},  // a character cut off
        {"aΩb", TextForm::Utf8, "aΩb", std::nullopt},
    };
    for (const auto& c : cases) {
        const TypedText typed = TypedInForm(c.typed, c.form);
        EXPECT_EQ(typed.text, c.text) << c.typed;
        EXPECT_EQ(typed.missing, c.missing) << c.typed;
    }
}

TEST(TypedText, MultibyteUtf8IsToldFromWindows1251) {
    const struct {
        std::string text;
        bool multibyte;
    } cases[] = {
        {"привет", true},
        {"a<b", false},  // ASCII is both
        {Utf8ToCp1251("привет"), false},
        {Utf8ToCp1251("ий"), false},  // "\xE8\xE9": a lead byte without its continuation
        {"\xC0\xBC", false},          // an overlong "<"
        {"ok \xED\xA0\x80", false},   // a surrogate
        {"Ω" + Utf8ToCp1251("ж"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsMultibyteUtf8(c.text), c.multibyte) << c.text;
}

TEST(TypedText, NamesACharacterWithItsCode) {
    EXPECT_EQ(CharNameUtf8(U'Ω'), "\"Ω\" (U+03A9)");
    EXPECT_EQ(CharNameUtf8(U'\U0001F600'), "\"\U0001F600\" (U+1F600)");
}

}  // namespace
}  // namespace tessaline
