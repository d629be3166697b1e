#include "files/text_width.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/chars.hpp"
#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

TEST(TextWidthMeter, MeasuresAsTheDialogFontDraws) {
    const TextWidthMeter meter(std::string{kDialogFontDefaultPath});
    ASSERT_TRUE(meter.available()) << meter.error();
    const struct {
        std::string text;
        int width;
    } cases[] = {
        {"Hello", 24},
        {"W", 11},
        {"i", 2},
        {"m", 8},
        {" ", 3},
        {"Hello world, how are you?", 122},
        {W("Привет мир"), 60},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(meter.Width(c.text), c.width) << c.text;
}

TEST(TextWidthMeter, MeasuresUtf8TextByItsCharacters) {
    const TextWidthMeter meter(std::string{kDialogFontDefaultPath});
    ASSERT_TRUE(meter.available()) << meter.error();
    // Every Windows-1251 character is as wide in UTF-8, and a tally over the meter's advances
    // of a plain line gives that width too.
    const PlainTally tally(meter.CodePointAdvances());
    int plain = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string windows(1, static_cast<char>(b));
        const int width = meter.Width(windows);
        const TextFormScope scope(TextForm::Utf8);
        const std::string utf8 = Cp1251ToUtf8(windows);
        EXPECT_EQ(meter.Width(utf8), width) << b;
        CaseCounts counts;
        int tallied = 0;
        if (tally.Count(utf8 + utf8, counts, tallied)) {
            ++plain;
            EXPECT_EQ(tallied, 2 * width) << b;
        }
    }
    EXPECT_GE(plain, 127 + 66);  // ASCII but CR, А-я, Ёё
    const TextFormScope scope(TextForm::Utf8);
    const int box = meter.Width("\xF0\x9F\x91\x8D");  // no emoji in a 1990s bitmap font
    EXPECT_GT(box, 0);
    const struct {
        std::string text;
        int width;
    } cases[] = {
        {"Привет мир", 60},
        {"Hello", 24},
        {"é", meter.Width("e")},            // Latin-1 letters are in the font
        {"ё\xFF", meter.Width("ё") + box},  // a stray byte draws as a box
        {"e\u0301", meter.Width("e") + box},
        {"中文", 2 * box},
    };
    for (const auto& c : cases)
        EXPECT_EQ(meter.Width(c.text), c.width) << c.text;
}

TEST(TextWidthMeter, WithoutTheFontItSaysSoAndMeasuresNothing) {
    const TextWidthMeter meter("/nonexistent/ms_sans_serif.ttf");
    EXPECT_FALSE(meter.available());
    EXPECT_EQ(meter.error(), "cannot read the font /nonexistent/ms_sans_serif.ttf");
    EXPECT_EQ(meter.Width("Hello"), 0);
}

TEST(DialogFontPath, TheEnvironmentNamesAnotherFont) {
    const std::string variable(kDialogFontVariable);
    ::unsetenv(variable.c_str());
    EXPECT_EQ(DialogFontPath(), kDialogFontDefaultPath);
    ::setenv(variable.c_str(), "/tmp/other.ttf", 1);
    EXPECT_EQ(DialogFontPath(), "/tmp/other.ttf");
    ::unsetenv(variable.c_str());
}

}  // namespace
}  // namespace tessaline
