#include "ops/style_codes.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaline {
namespace {

using Lines = std::vector<std::string>;

TEST(MicroDvdStyles, CodesBecomeTagPairsAndTheRestIsDroppedAndCounted) {
    const struct {
        const char* text;
        Lines lines;
        std::size_t dropped;
    } cases[] = {
        // clang-format off
        {"Plain|text", {"Plain", "text"}, 0},
        // Lower case styles the line it stands on, upper case the whole text.
        {"{y:i}One|Two", {"<i>One</i>", "Two"}, 0},
        {"One|{y:i}Two", {"One", "<i>Two</i>"}, 0},
        {"{Y:i}One|Two", {"<i>One</i>", "<i>Two</i>"}, 0},
        {"One|{Y:u}Two", {"<u>One</u>", "<u>Two</u>"}, 0},  // wherever it stands
        {"{y:b,u}Both", {"<b><u>Both</u></b>"}, 0},
        {"{y: B , I }Spaced", {"<b><i>Spaced</i></b>"}, 0},
        {"{y:i}{y:i}Twice", {"<i>Twice</i>"}, 0},
        {"{Y:b}{y:i}Mixed|Bold", {"<b><i>Mixed</i></b>", "<b>Bold</b>"}, 0},
        {"Mid {y:i}line", {"Mid <i>line</i>"}, 0},  // from the code on
        // The colour is blue-green-red; the other codes have no SubRip tag.
        {"{c:$0000ff}{y:b,u}{f:DeJaVuSans}{s:12}Red", {"<font color=\"#ff0000\"><b><u>Red</u></b></font>"}, 2},
        {"{C:$FF0000}A|B", {"<font color=\"#0000FF\">A</font>", "<font color=\"#0000FF\">B</font>"}, 0},
        {"{c:0000ff}No dollar", {"<font color=\"#ff0000\">No dollar</font>"}, 0},
        {"{c:$00ff}Short|{c:$gg0000}Not hex", {"Short", "Not hex"}, 2},
        {"{c:$0000ff}R{c:$00ff00}G", {"<font color=\"#ff0000\">RG</font>"}, 1},
        {"{y:s}Struck|{y:i,s}Half", {"Struck", "<i>Half</i>"}, 2},
        {"{P:0}{o:1,2}{F:Arial}{S:20}{H:RUSSIAN}Text", {"Text"}, 5},
        // Braces that are no code stay text.
        {"{kept}|{1}|{y}|{:i}x|a{y:i", {"{kept}", "{1}", "{y}", "{:i}x", "a{y:i"}, 0},
        // Leading blanks go; empty and blank lines stay as they were; a line of codes only goes.
        {"  Lead|{y:i}  both", {"Lead", "<i>both</i>"}, 0},
        {"A||B| |C", {"A", "", "B", " ", "C"}, 0},
        {"{y:i}|Text|{f:Arial}", {"Text"}, 1},
        {"", {""}, 0},
        // A style opens before the first visible character, never around blanks.
        {"{y:i} ", {}, 0},
        // clang-format on
    };
    MicroDvdStyles styles;
    // The buffers are kept between texts: a longer text before must leave nothing behind.
    (void)styles.Convert("{Y:b}{C:$0000ff}a long line|b", [](std::string_view) {});
    for (const auto& c : cases) {
        Lines lines;
        const std::size_t dropped =
            styles.Convert(c.text, [&](std::string_view line) { lines.emplace_back(line); });
        EXPECT_EQ(lines, c.lines) << c.text;
        EXPECT_EQ(dropped, c.dropped) << c.text;
    }
}

TEST(SubRipStyles, WholeLineTagsBecomeCodesAndTheRestIsDroppedAndCounted) {
    const struct {
        Lines record;
        Lines lines;  // what each text line appends ("" = nothing)
        std::size_t dropped;
    } cases[] = {
        // clang-format off
        {{"Plain", "text"}, {"Plain", "text"}, 0},
        {{"<i>Italic</i>"}, {"{y:i}Italic"}, 0},
        {{"<I>Upper</I>"}, {"{y:i}Upper"}, 0},
        {{"<b><u>Both</u></b>"}, {"{y:b,u}Both"}, 0},
        {{"<u><i><b>Order</b></i></u>"}, {"{y:i,b,u}Order"}, 0},
        // A tag opened on one line styles the next ones until it closes.
        {{"<i>One", "two</i>", "three"}, {"{y:i}One", "{y:i}two", "three"}, 0},
        {{"<i>", "Alone", "</i>"}, {"", "{y:i}Alone", ""}, 0},
        // Blanks around the text do not need the style.
        {{"<i>Sp</i> ", " <b>Lead</b>"}, {"{y:i}Sp ", "{y:b}Lead"}, 0},
        // Colours by number; leading zeros and quotes as written.
        {{"<font color=\"#FF8000\">Orange</font>"}, {"{c:$0080FF}Orange"}, 0},
        {{"<FONT COLOR=#00ff00>Green</FONT>"}, {"{c:$00ff00}Green"}, 0},
        {{"<font color='#0000ff' size=9><i>Both</i></font>"}, {"{c:$ff0000}{y:i}Both"}, 0},
        // What MicroDVD cannot say.
        {{"Half <i>italic</i>"}, {"Half italic"}, 1},
        {{"<i>A</i> <b>B</b>"}, {"A B"}, 2},
        {{"<s>Struck</s>"}, {"Struck"}, 1},
        {{"<font face=\"Arial\">Face</font>", "<font color=red>Named</font>"}, {"Face", "Named"}, 2},
        {{"<font color=\"#FF0000\">R</font><font color=\"#00FF00\">G</font>"}, {"RG"}, 1},
        {{"<font color=\"#FF00\">Short</font>"}, {"Short"}, 1},
        // Angle brackets that are no known tag stay text.
        {{"x < y > z", "<Bob> hi", "<br>", "<i"}, {"x < y > z", "<Bob> hi", "<br>", "<i"}, 0},
        // clang-format on
    };
    SubRipStyles styles;
    for (const auto& c : cases) {
        styles.StartRecord();
        std::size_t dropped = 0;
        Lines lines;
        for (const std::string& line : c.record) {
            std::string out;
            dropped += styles.Convert(line, out);
            lines.push_back(out);
        }
        EXPECT_EQ(lines, c.lines) << c.record.front();
        EXPECT_EQ(dropped, c.dropped) << c.record.front();
    }
}

TEST(StyleCodes, MicroDvdStylesSurviveTheWayToSubRipAndBack) {
    const char* const texts[] = {
        "{y:i}One|Two",
        "{y:b,u}Both|{y:i}Second",
        "{c:$0000ff}Red|Plain",
        "{c:$00ff00}{y:i}Green italic",
    };
    MicroDvdStyles toSubRip;
    SubRipStyles toMicroDvd;
    for (const char* text : texts) {
        toMicroDvd.StartRecord();
        std::string back;
        const std::size_t dropped = toSubRip.Convert(text, [&](std::string_view line) {
            if (!back.empty()) back += '|';
            EXPECT_EQ(toMicroDvd.Convert(line, back), 0u) << line;
        });
        EXPECT_EQ(dropped, 0u) << text;
        EXPECT_EQ(back, text);
    }
}

}  // namespace
}  // namespace tessaline
