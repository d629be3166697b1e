#include "app/diagram.hpp"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

const std::vector<std::string> kFilm = {"1", "00:00:12,000 --> 00:00:20,000", "Hi",  "",
                                        "2", "00:01:40,000 --> 00:01:52,000", "Bye", ""};

std::vector<std::pair<std::int64_t, std::int64_t>> Dots(const Diagram& d) {
    std::vector<std::pair<std::int64_t, std::int64_t>> dots;
    for (const DiagramDot& dot : d.dots)
        dots.emplace_back(dot.x, dot.y);
    return dots;
}

TEST(Diagram, AutoScaleByDigits) {
    for (const auto& [value, scale] : std::vector<std::pair<std::int64_t, double>>{
             {0, 0.1}, {99, 0.1}, {-99, 0.1}, {100, 0.01}, {2500, 0.001}, {12345, 0.0001}}) {
        EXPECT_DOUBLE_EQ(AutoScale(value), scale) << value;
    }
}

TEST(Diagram, DotsOfTheFormulaAndTheSprain) {
    // 25 to 20 frames per second: every time 1.25 times later. The first on-time (12 s, moved
    // by 3 s) sets the scales 0,001 and 0,0001.
    DiagramParams formula{.sourceRate = "25", .targetRate = "20"};
    Diagram d = DiagramOf(kFilm, formula);
    EXPECT_DOUBLE_EQ(d.xScale, 0.001);
    EXPECT_DOUBLE_EQ(d.yScale, 0.0001);
    EXPECT_EQ(Dots(d), (std::vector<std::pair<std::int64_t, std::int64_t>>{
                           {3, 1}, {5, 2}, {25, 10}, {28, 11}}));

    formula.autoScale = false;  // the scales typed in the boxes
    formula.xScale = 0.01;
    formula.yScale = 0.001;
    EXPECT_EQ(Dots(DiagramOf(kFilm, formula)).front(),
              (std::pair<std::int64_t, std::int64_t>{30, 12}));

    // Equal rates, or a sprain without a remembered full time: nothing to draw.
    EXPECT_TRUE(DiagramOf(kFilm, {.sourceRate = "25", .targetRate = "25"}).dots.empty());
    EXPECT_TRUE(DiagramOf(kFilm, {.mode = 1, .newFull = 5000}).dots.empty());

    // Sprain to half the length, the first subtitle kept.
    const DiagramParams sprain{
        .mode = 1, .rememberedFull = 100000, .newFull = 50000, .keepFirst = true};
    d = DiagramOf(kFilm, sprain);
    ASSERT_EQ(d.dots.size(), 4u);
    EXPECT_EQ(d.dots[0].x, 0);
    EXPECT_EQ(d.dots[1].x, 0);
    // A kept first subtitle does not move: its displacement 0 sets the x scale 0,1. 100 s moves
    // back by 50 s.
    EXPECT_DOUBLE_EQ(d.xScale, 0.1);
    EXPECT_EQ(d.dots[2].x, 5000);
    EXPECT_EQ(d.dots[2].y, 10);
}

// The timings of a file as it stands: gaps, overlaps and wrong periods, from SubRip timing lines
// or MicroDVD frame lines at a rate.
TEST(Diagram, TimingsShowGapsOverlapsAndWrongPeriods) {
    const std::vector<std::string> srt = {"1",
                                          "00:00:01,000 --> 00:00:03,000",
                                          "a",
                                          "",
                                          "2",
                                          "00:00:02,500 --> 00:00:04,000",
                                          "overlaps the first",
                                          "",
                                          "3",
                                          "00:00:04,120 --> 00:00:04,000",
                                          "ends before it starts",
                                          "",
                                          "4",
                                          "00:00:05,000 --> 00:00:06,000",
                                          "b",
                                          "",
                                          "5",
                                          "00:00:0x,000 --> 00:00:07,000",
                                          "does not convert",
                                          ""};
    const TimingsPicture p = TimingsOf(srt, true);
    ASSERT_EQ(p.subtitles.size(), 4u);
    EXPECT_TRUE(p.subtitles[0].overlaps);
    EXPECT_EQ(p.subtitles[0].gap, -500);
    EXPECT_EQ(p.subtitles[1].gap, 120);
    EXPECT_TRUE(p.subtitles[2].wrongPeriod);
    EXPECT_FALSE(p.subtitles[2].overlaps);
    EXPECT_EQ(p.subtitles[2].gap, 1000);
    EXPECT_EQ(p.subtitles[3].gap, 0);  // the last has no next
    EXPECT_EQ(p.end, 6000);
    EXPECT_EQ(TimingsSummary(p),
              "4 subtitles, 1 overlaps, 1 wrong periods, shortest gap 00:00:00,120, "
              "shortest duration 00:00:01,000");

    // Frames at 25 per second; a line that is no frame line, and a style tag, are left out.
    const std::vector<std::string> sub = {"{25}{50}a", "{y:i}x", "plain", "[50][75]b"};
    const TimingsPicture frames = TimingsOf(sub, true, 25.0L);
    ASSERT_EQ(frames.subtitles.size(), 1u);
    EXPECT_EQ(frames.subtitles[0].on, 1000);
    EXPECT_EQ(frames.subtitles[0].off, 2000);
    EXPECT_EQ(TimingsOf(sub, true, 25.0L, '[', ']').subtitles.front().on, 2000);
    EXPECT_TRUE(TimingsOf(sub, true, 0.0L).subtitles.empty());  // no usable rate

    // Touching subtitles do not overlap; a file without subtitles has nothing to measure.
    const TimingsPicture touching =
        TimingsOf({"00:00:01,000 --> 00:00:02,000", "00:00:02,000 --> 00:00:03,000"}, true);
    EXPECT_EQ(touching.overlaps, 0);
    EXPECT_EQ(touching.shortestGap, 0);
    EXPECT_EQ(TimingsSummary(TimingsOf({}, true)),
              "0 subtitles, 0 overlaps, 0 wrong periods, shortest gap -, shortest duration -");
}

}  // namespace
}  // namespace tessaline
