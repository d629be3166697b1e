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

}  // namespace
}  // namespace tessaline
