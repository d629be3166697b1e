#include "cli/progress.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaline {
namespace {

// A line on a fake terminal and clock.
struct Terminal {
    double clock = 0;  // steps that are exact in binary
    std::vector<std::string> writes;
    ProgressLine line{[this](std::string_view text) { writes.emplace_back(text); },
                      [this] { return clock; }};
};

TEST(ProgressLine, StaysHiddenForAQuickRunAndRedrawsAtMostTenTimesASecond) {
    Terminal t;
    t.line.Bytes(1'000'000, 4'000'000);
    t.clock += 0.125;  // a run this short shows nothing at all
    t.line.Bytes(2'000'000, 4'000'000);
    t.line.Erase();
    EXPECT_TRUE(t.writes.empty());

    t.clock += 0.375;  // 0.5 s in: drawn
    t.line.Bytes(3'000'000, 4'000'000);
    ASSERT_EQ(t.writes.size(), 1u);
    EXPECT_EQ(t.writes[0], "\r75% of 4.0 MB, 6.0 MB/s\x1b[K");
    t.clock += 0.0625;  // too soon for another
    t.line.Bytes(3'500'000, 4'000'000);
    EXPECT_EQ(t.writes.size(), 1u);
    t.clock += 0.0625;
    t.line.Bytes(4'000'000, 4'000'000);
    EXPECT_EQ(t.writes.size(), 2u);
    t.line.Erase();
    t.line.Erase();  // once is enough
    EXPECT_EQ(t.writes.back(), "\r\x1b[K");
    EXPECT_EQ(t.writes.size(), 3u);
}

TEST(ProgressLine, AFolderRunCountsFilesAndTheBytesOfTheWholeFolder) {
    Terminal t;
    t.line.Folder(1, 3, 0, 8'000'000);
    t.line.Bytes(2'000'000, 2'000'000);
    t.line.Folder(2, 3, 2'000'000, 8'000'000);
    t.clock += 1.0;
    // One file at a time: the bytes of the file being read count too.
    t.line.Bytes(1'000'000, 4'000'000);
    ASSERT_EQ(t.writes.size(), 1u);
    EXPECT_EQ(t.writes[0], "\rfile 2 of 3, 37% of 8.0 MB, 3.0 MB/s\x1b[K");
    // Files on several threads: only the files done count.
    t.clock += 1.0;
    t.line.Folder(3, 3, 6'000'000, 8'000'000);
    EXPECT_EQ(t.writes.back(), "\rfile 3 of 3, 75% of 8.0 MB, 3.0 MB/s\x1b[K");
    t.line.Folder(4, 3, 8'000'000, 8'000'000);  // the run ended: the line goes
    EXPECT_EQ(t.writes.back(), "\r\x1b[K");
}

}  // namespace
}  // namespace tessaline
