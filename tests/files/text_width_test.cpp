#include "files/text_width.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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
