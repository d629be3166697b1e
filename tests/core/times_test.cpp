#include "core/times.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "core/errors.hpp"

namespace {
std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace tessaline {
namespace {

template <class F>
std::string ErrorOf(F f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no ConversionError";
}

TEST(Times, TimingLineFormatClassifiesByPositions3_6_9And26) {
    const std::pair<const char*, int> cases[] = {
        {"00:00:01,000 --> 00:00:02,000", 1},
        {"00:00:01:000 --> 00:00:02:000", 2},
        {"00:00:01,000 --> 00:00:02:000", 3},
        {"00:00:01:000 --> 00:00:02,000", 4},
        {"00:00:01,000", 1},
        {"00:00:01:5", 2},
        {"+1:-2:03,000 --> 00:00:04,000", 1},
        {"00:00:01.000 --> 00:00:02,000", 0},
        {"1:00:00,000 --> 00:00:02,000", 0},
        {"", 0},
        {"0a:00:01,000 --> 00:00:02,000", -1},
        {"00:00:0 ,000 --> 00:00:02,000", -1},
    };
    for (const auto& [line, kind] : cases)
        EXPECT_EQ(TimingLineFormat(line), kind) << line;
    EXPECT_TRUE(IsTimeText("12:34:56 text"));
    EXPECT_FALSE(IsTimeText("12:34:"));
    EXPECT_FALSE(IsTimeText("12:x4:56"));
}

TEST(Times, ParseTimingLineReadsEveryKindWithAndWithoutPadding) {
    const std::tuple<const char*, bool, TimeMs, TimeMs, const char*> cases[] = {
        {"00:00:01,5 --> 00:00:02,50", true, 1500, 2500, ""},
        {"00:00:01,5 --> 00:00:02,50", false, 1005, 2050, ""},
        {"00:00:01,1234 --> 00:00:02,000", true, 1000, 2000, ""},
        {"00:00:01, --> 00:00:02,", true, 1000, 2000, ""},
        {"00:00:01,-50 --> 00:00:02,000", true, 1000, 2000, ""},  // on-ms ends at the "-"
        {"00:00:01:000 --> 00:00:02:000", true, 1000, 2000, ""},
        {"00:00:01,250 --> 00:00:02:750", true, 1250, 2750, ""},
        {"00:00:01:250 --> 00:00:02,750", false, 1250, 2750, ""},
        {"00:00:01,000 --> 00:00:02,000 <x1>", true, 1000, 2000, "<x1>"},
        {"00:00:01,000 --> 00:00:02,500 <a,b>", true, 1000, 2500, "<a,b>"},
        {"00:00:01:000 --> 00:00:02:500 <i>", true, 1000, 2500, "<i>"},
        // Display coordinates are handed back as the tail, so that a rewritten line keeps them.
        {"00:00:01,000 --> 00:00:02,000  X1:100 X2:200", true, 1000, 2000, "X1:100 X2:200"},
        // Forms other programs write.
        {"00:00:02.820 --> 00:00:04.860", true, 2820, 4860, ""},
        {"0:0:2,82-->0:0:4.8", true, 2820, 4800, ""},
        {"0:0:2,82-->0:0:4.8", false, 2082, 4008, ""},
        {"  00:00:01.000   -->\t00:00:02.000  ", true, 1000, 2000, ""},
        {"00:00:01,000 --> 00:00:02.000", true, 1000, 2000, ""},
        {"1:02:03.004 --> 1:02:04.005 x1:1 X2:2 Y1:3 Y2:4", true, 3'723'004, 3'724'005,
         "x1:1 X2:2 Y1:3 Y2:4"},
        {"00:00:01.000 --> 00:00:02.000 <i>", true, 1000, 2000, "<i>"},
        {"00:00:01.000 --> 00:00:02.000 junk", true, 1000, 2000, ""},
        {"00:00:01,000 --> 00:00:02,5 ", false, 1000, 2005, ""},
        {"23:59:59,999 --> 23:59:59,999", true, 86'399'999, 86'399'999, ""},
    };
    for (const auto& [line, pad, on, off, tail] : cases) {
        const auto parsed = ParseTimingLine(line, pad);
        ASSERT_TRUE(parsed) << line;
        EXPECT_EQ(std::tuple(parsed->on, parsed->off, parsed->tail), std::tuple(on, off, tail));
    }
    std::string out;
    out.reserve(64);
    const std::size_t before = allocations;
    const auto parsed = ParseTimingLine("00:00:01:5 --> 00:00:02:000 <i>", true);
    AppendTimingLine(out, parsed->on, parsed->off);
    EXPECT_EQ(allocations, before);
    EXPECT_EQ(out, "00:00:01,500 --> 00:00:02,000");
    EXPECT_FALSE(ParseTimingLine("0a:00:01,000 --> 00:00:02,000", true));
    EXPECT_FALSE(ParseTimingLine("Hello", true));
}

TEST(Times, TimingLinesInEveryFormAreKnownAndOnlyTheWrittenOneIsStandard) {
    const std::tuple<const char*, bool, bool> cases[] = {
        // line, IsTimingLine, IsStandardTimingLine
        {"00:00:01,000 --> 00:00:02,000", true, true},
        {"00:00:01,000 --> 00:00:02,000 <i>", true, true},
        {"00:00:01,000 --> 00:00:02,000 X1:1 X2:2 Y1:3 Y2:4", true, true},
        {"00:00:01,000 --> 00:00:02,000 ", true, false},
        {"00:00:01,000 --> 00:00:02,000  <i>", true, false},
        {"00:00:01.000 --> 00:00:02.000", true, false},
        {"0:00:01,000 --> 0:00:02,000", true, false},
        {"00:00:01,000-->00:00:02,000", true, false},
        {"00:00:01:000 --> 00:00:02:000", true, false},
        {"00:00:01,5 --> 00:00:02,500", true, false},
        {"24:00:00,000 --> 24:00:01,000", true, false},
        {"Meet at 10:30 --> there", false, false},
        {"12:30:45, he said", false, false},
        {"1:2:3 --> 4:5:6", false, false},
        {"100:00:01.000 --> 00:00:02.000", false, false},
        {"00:00:01.000 --> 00:00:02.000x", false, false},
        {"00:00:01.000 -> 00:00:02.000", false, false},
        {"1", false, false},
        {"", false, false},
    };
    for (const auto& [line, timing, standard] : cases) {
        EXPECT_EQ(IsTimingLine(line), timing) << line;
        EXPECT_EQ(IsStandardTimingLine(line), standard) << line;
    }
}

TEST(Times, BadFieldsThrowConversionError) {
    const std::pair<const char*, bool> lines[] = {
        {"25:00:00,000 --> 25:00:01,000", true},
        {"00:60:00,000 --> 00:00:01,000", true},
        {"00:00:01,000 --> 00:00:02,-50", true},
        {"00:00:01,000 --> 00:00:02,-5", false},
        {"00:00:01,0a0 --> 00:00:02,000", true},
        {"00:00:01, --> 00:00:02,000", false},
        {"+1:-2:03,000 --> 00:00:04,000", true},
        {"00:00:01,000 -- 00:00:02,000", true},
        // Seconds 60 to 69 in the standard form, on either side, with or without padding.
        {"00:00:60,000 --> 00:01:01,000", true},
        {"00:00:69,999 --> 00:01:10,000", false},
        {"00:00:01,000 --> 00:00:60,000", true},
        {"00:00:01,000 --> 00:00:65,5", true},
        {"0:75:00.000 --> 0:0:1.000", true},
        {"24:00:00.000 --> 24:00:01.000", false},
    };
    for (const auto& [line, pad] : lines) {
        EXPECT_THROW((void)ParseTimingLine(line, pad), ConversionError) << line;
    }
    for (const char* line : {"00:00:59,999 --> 00:01:00,000", "00:59:59,999 --> 23:59:59,999"}) {
        EXPECT_NO_THROW((void)ParseTimingLine(line, true)) << line;
    }
    for (const char* text : {"24:00:00,000", "00:00:01", "00:00:01,", "00:00:01,-1", "00:00:01,1a",
                             "1::2,0", "00:00:60,0", "0:0:0:0,0"}) {
        EXPECT_THROW((void)TimeTextToMs(text), ConversionError) << text;
    }
    for (const char* text : {"", "1 ", "+-5", "9223372036854775808", "1.5"}) {
        EXPECT_THROW((void)IntegerField(text), ConversionError) << text;
    }
    EXPECT_EQ(ErrorOf([] { (void)ClockFromText("25:00:00"); }), "'25:00:00' is not a valid time");
}

TEST(Times, ReadsAndWritesTimeTexts) {
    const std::pair<const char*, TimeMs> read[] = {
        {"00:00:01,5", 1005},    {"01:02:03,004", 3'723'004}, {" 1:2:3 ,4", 3'723'004},
        {"10:20,5", 37'200'005}, {"00:00:01,000,7", 1007},
    };
    for (const auto& [text, ms] : read)
        EXPECT_EQ(TimeTextToMs(text), ms) << text;
    EXPECT_EQ(MsToTimeText(0), "00:00:00,000");
    EXPECT_EQ(MsToTimeText(3'723'004), "01:02:03,004");
    EXPECT_EQ(MsToTimeText(86'399'999), "23:59:59,999");
    EXPECT_EQ(MakeTimingLine(1000, 2500, ""), "00:00:01,000 --> 00:00:02,500");
    std::string out = "x";
    AppendTimingLine(out, 0, 45);
    EXPECT_EQ(out, "x00:00:00,000 --> 00:00:00,045");
    EXPECT_THROW(AppendTimingLine(out, 0, kDayMs), ConversionError);
    EXPECT_EQ(out, "x00:00:00,000 --> 00:00:00,045");
    EXPECT_EQ(ErrorOf([] { (void)MsToTimeText(4'294'967'295u); }),
              "Time 1193:02:47,295 cannot be written: 24 hours or more");
}

TEST(Times, ClockValuesAndDifferences) {
    TimeMs value = 90'003'004;
    EXPECT_EQ(MsToClock(value), (ClockTime{25, 0, 3}));
    EXPECT_EQ(value, 4u);
    EXPECT_EQ(ClockToMs({1, 2, 3}, 4), 3'723'004u);
    EXPECT_EQ(ClockFromText(" 7:05 "), (ClockTime{7, 5, 0}));
    EXPECT_EQ(ClockToText({1, 2, 3}), "01:02:03");
    std::uint32_t laterMs = 250;
    EXPECT_EQ(TimeDifference({0, 0, 10}, 500, {0, 1, 0}, laterMs), (ClockTime{0, 0, 49}));
    EXPECT_EQ(laterMs, 750u);
    EXPECT_EQ(TimeDifference({0, 1, 0}, 0, {0, 0, 10}, laterMs), ClockTime{});
    EXPECT_EQ(laterMs, 750u);
}

TEST(Times, PadMillisecondsFillsEveryLength) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "000", "000"},    {"5", "500", "005"},    {"50", "500", "050"},
        {"123", "123", "123"}, {"1234", "000", "000"},
    };
    for (const auto& [text, right, left] : cases) {
        EXPECT_EQ(PadMilliseconds(text, true), right);
        EXPECT_EQ(PadMilliseconds(text, false), left);
    }
}

TEST(Times, FramesAndRates) {
    const auto ntsc = ParseFramesPerSecond("29,970");
    ASSERT_TRUE(ntsc);
    EXPECT_EQ(FrameToMs(1, 25), 40);
    EXPECT_EQ(MsToFrame(1000, 25), 25);
    EXPECT_EQ(FrameToMs(1, *ntsc), 33);
    EXPECT_EQ(MsToFrame(1000, *ntsc), 30);
    EXPECT_EQ(FrameToMs(1, 16), 62);   // 62.5: tie to the even neighbour
    EXPECT_EQ(FrameToMs(3, 16), 188);  // 187.5
    EXPECT_EQ(ParseFramesPerSecond("23.976"), 23.976L);
    for (const char* text : {"", "abc", " 25", "25 ", "1,2,3", "inf"}) {
        EXPECT_FALSE(ParseFramesPerSecond(text)) << text;
    }
    EXPECT_EQ(FramesPerSecondText(25), "25");
    EXPECT_EQ(FramesPerSecondText(*ParseFramesPerSecond("23,976")), "23,976");
    EXPECT_EQ(FramesPerSecondText(*ntsc), "29,97");
    EXPECT_EQ(CheckedTime(86'399'999, "x"), 86'399'999u);
    EXPECT_THROW((void)CheckedTime(-1, "x"), ConversionError);
    EXPECT_THROW((void)CheckedTime(kDayMs, "x"), ConversionError);
    EXPECT_EQ(IntegerField("+5"), 5);
    EXPECT_EQ(IntegerField("-9223372036854775808"), INT64_MIN);
}

TEST(Times, FrameLineToTimingLine) {
    EXPECT_EQ(FrameLineToTimingLine("{25}{50}Hello", "25"), "00:00:01,000 --> 00:00:02,000");
    EXPECT_EQ(FrameLineToTimingLine("{1}{30}x", "29,970"), "00:00:00,033 --> 00:00:01,001");
    EXPECT_FALSE(FrameLineToTimingLine("{25}{50}Hello", "0"));
    EXPECT_FALSE(FrameLineToTimingLine("{25}{50}Hello", "abc"));
    EXPECT_FALSE(FrameLineToTimingLine("{25} {50}Hello", "25"));
    EXPECT_THROW((void)FrameLineToTimingLine("{-25}{50}", "25"), ConversionError);
}

TEST(Times, DurationsAndTimingsSetByDuration) {
    const std::tuple<const char*, bool, const char*> durations[] = {
        {"00:00:01,000 --> 00:00:03,500", true, "00:00:02,500"},
        {"00:00:01,5 --> 00:00:01,50", true, "00:00:00,000"},
        {"00:00:01,5 --> 00:00:01,50", false, "00:00:00,045"},
        {"00:00:03,000 --> 00:00:01,000", true, "Wrong Time Period!"},
        {"{100}{160}Text", true, "60"},
        {"{160}{100}Text", true, "Wrong Frame Period!"},
        {"Hello", true, ""},
        {"not --> timing", true, ""},
    };
    for (const auto& [line, pad, expected] : durations) {
        EXPECT_EQ(SubtitleDuration(line, '{', '}', pad), expected) << line;
    }
    EXPECT_EQ(SetOffTimeByDuration("00:00:01,5 --> 00:00:09,000", "00:00:02,000"),
              "00:00:01,5 --> 00:00:03,005");
    EXPECT_EQ(SetOffTimeByDuration("00:00:01,000 - 00:00:09,000", "00:00:02,000"), "");
    EXPECT_THROW((void)SetOffTimeByDuration("23:59:59,000 --> 23:59:59,500", "00:00:01,000"),
                 ConversionError);
    EXPECT_EQ(SetOnTimeByDuration("00:00:01,000 -->  00:00:05,25", "00:00:02,000"),
              "00:00:03,025 -->  00:00:05,25");
    EXPECT_EQ(SetOnTimeByDuration("00:00:01,000 --> 00:00:02,000", "00:00:03,000"),
              "Wrong Time Period!");
    EXPECT_EQ(SetOnTimeByDuration("Hello --> 00:00:02,000", "00:00:01,000"), "");
}

TEST(Times, SplitTimingDividesTimingAndFrameLines) {
    using S = std::string;
    const std::tuple<const char*, int, bool, S, S, S> cases[] = {
        {"00:00:10,000 --> 00:00:11,000", 2, false, "00:00:10,000 --> 00:00:10,500",
         "00:00:10,500 --> 00:00:11,000", ""},
        {"00:00:10,000 --> 00:00:11,000", 2, true, "00:00:10,000 --> 00:00:10,500",
         "00:00:10,501 --> 00:00:11,000", ""},
        {"00:00:10,000 --> 00:00:11,000", 3, false, "00:00:10,000 --> 00:00:10,333",
         "00:00:10,333 --> 00:00:10,666", "00:00:10,667 --> 00:00:11,000"},
        {"00:00:10,000 --> 00:00:11,000", 3, true, "00:00:10,000 --> 00:00:10,333",
         "00:00:10,334 --> 00:00:10,667", "00:00:10,668 --> 00:00:11,000"},
        {"00:00:10,000 --> 00:00:11,000 <x1>", 2, false, "00:00:10,000 --> 00:00:10,500 <x1>",
         "00:00:10,500 --> 00:00:11,000 <x1>", ""},
        {"{100}{160}Text", 3, false, "{100}{120}", "{120}{140}", "{140}{160}"},
        {"{100}{160}Text", 3, true, "{100}{120}", "{121}{141}", "{142}{160}"},
        {"{+100}{0160}", 2, false, "{+100}{130}", "{130}{0160}", ""},
        {"Hello", 2, false, "", "", ""},
        {"not --> timing", 3, false, "", "", ""},
    };
    for (const auto& [line, parts, gap, first, second, third] : cases) {
        const SplitTimings split = SplitTiming(line, parts, true, gap);
        EXPECT_EQ(std::tie(split.first, split.second, split.third), std::tie(first, second, third))
            << line;
    }
}

TEST(Times, IsDialogHyphenComparesWholeText) {
    for (const char* text : {"-", "<b>-", "<B>-", "<i>-", "<I>-"})
        EXPECT_TRUE(IsDialogHyphen(text));
    for (const char* text : {"", "--", "- ", "<u>-", "<b> -"})
        EXPECT_FALSE(IsDialogHyphen(text));
}

}  // namespace
}  // namespace tessaline
