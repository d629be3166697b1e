#include "sync/aligner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace tessaline {
namespace {

// Speech as a film has it: lines of 0.8 to 4 s with pauses of 0.3 to 4 s, over `seconds`.
std::vector<Cue> SpokenLines(std::uint32_t seed, double seconds) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> line(800, 4000);
    std::uniform_int_distribution<std::int64_t> pause(300, 4000);
    std::vector<Cue> lines;
    for (std::int64_t t = 2000 + pause(random); t < seconds * 1000;) {
        const std::int64_t end = t + line(random);
        lines.push_back({t, end});
        t = end + pause(random);
    }
    return lines;
}

// The film's speech mask of those lines, as a detector would give it: a few frames wrong here
// and there, silence to the end.
SpeechMask FilmMask(const std::vector<Cue>& lines, double seconds, std::uint32_t seed) {
    SpeechMask mask = CueMask(lines);
    mask.resize(static_cast<std::size_t>(seconds * 100), 0);
    std::mt19937 random(seed);
    std::bernoulli_distribution flip(0.04);
    for (std::uint8_t& frame : mask) {
        if (flip(random)) frame = frame != 0 ? 0 : 1;
    }
    return mask;
}

// The subtitle file's cues for those lines: each a little before its speech and a little after
// it (as subtitlers time them), then taken back through t' = t * ratio + offset.
std::vector<Cue> SubtitlesOf(const std::vector<Cue>& lines, double ratio, std::int64_t offset,
                             std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> lead(0, 120);
    std::uniform_int_distribution<std::int64_t> linger(0, 400);
    std::vector<Cue> cues;
    for (const Cue& line : lines) {
        const auto back = [&](std::int64_t t) {
            return std::llround(static_cast<double>(t - offset) / ratio);
        };
        cues.push_back({back(line.start - lead(random)), back(line.end + linger(random))});
    }
    return cues;
}

// The share of cues whose mapped start lies within `tolerance` of its line's start, counting
// only the cues `counted` says.
template <typename Counted>
double ShareWithin(const Alignment& a, const std::vector<Cue>& cues, const std::vector<Cue>& truth,
                   std::int64_t tolerance, Counted counted) {
    std::size_t good = 0;
    std::size_t total = 0;
    for (std::size_t i = 0; i < cues.size(); ++i) {
        if (!counted(i)) continue;
        ++total;
        // A cue starts up to 120 ms before its speech: that lead is the subtitler's, not an error.
        const std::int64_t error = MapTime(a, i, cues[i].start) - truth[i].start;
        if (error <= tolerance && error >= -tolerance - 120) ++good;
    }
    return total == 0 ? 0 : static_cast<double>(good) / static_cast<double>(total);
}

const auto kEvery = [](std::size_t) { return true; };

struct Moved {
    const char* name;
    double ratio;  // the film's times are the file's times this many times
    std::int64_t offset;
};

TEST(Aligner, FindsShiftAndFrameRateWithEveryStartClose) {
    const Moved rows[] = {
        {"later by 2.3 s", 1, 2300},
        {"earlier by 2.3 s", 1, -2300},
        {"later by 47 s", 1, 47000},
        {"25 to 23.976", 25 / 23.976, 0},
        {"23.976 to 25", 23.976 / 25, 0},
        {"stretched and shifted", 25 / 23.976, -2300},
        {"29.97 to 25 and shifted", 29.97 / 25, 1500},
    };
    const std::vector<Cue> lines = SpokenLines(7, 170);
    const SpeechMask film = FilmMask(lines, 180, 8);
    for (const Moved& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Cue> cues = SubtitlesOf(lines, row.ratio, row.offset, 9);
        for (bool splits : {false, true}) {
            const Alignment a = Align(cues, film, {.splits = splits});
            EXPECT_DOUBLE_EQ(a.ratio, row.ratio);
            EXPECT_EQ(a.parts.size(), 1u) << "a break on a film without a cut";
            EXPECT_GE(a.confidence, kMinConfidence);
            EXPECT_EQ(ShareWithin(a, cues, lines, 150, kEvery), 1.0);
        }
    }
}

TEST(Aligner, NoBreakIsInventedOnFilmsWithoutACut) {
    for (std::uint32_t seed = 20; seed < 26; ++seed) {
        const std::vector<Cue> lines = SpokenLines(seed, 150);
        const SpeechMask film = FilmMask(lines, 160, seed + 100);
        const Alignment a = Align(SubtitlesOf(lines, 1, 1234, seed), film, {.splits = true});
        EXPECT_EQ(a.parts.size(), 1u) << seed;
    }
}

TEST(Aligner, FollowsACutWithSplitsAndTheLargerSideWithout) {
    // 4 s cut out of the film at 100 s: speech inside goes, speech after comes 4 s earlier.
    const std::int64_t cut = 100'000;
    const std::int64_t cutLength = 4000;
    const std::vector<Cue> lines = SpokenLines(31, 170);
    std::vector<Cue> filmLines;
    std::vector<Cue> truth;
    std::vector<bool> survives;
    for (const Cue& line : lines) {
        const bool before = line.end <= cut;
        const bool after = line.start >= cut + cutLength;
        survives.push_back(before || after);
        const std::int64_t shift = after ? -cutLength : 0;
        truth.push_back({line.start + shift, line.end + shift});
        if (before || after) filmLines.push_back(truth.back());
    }
    const SpeechMask film = FilmMask(filmLines, 170, 32);
    const std::vector<Cue> cues = SubtitlesOf(lines, 1, 2000, 33);
    const Alignment split = Align(cues, film, {.splits = true});
    EXPECT_EQ(split.parts.size(), 2u);
    EXPECT_GE(ShareWithin(split, cues, truth, 300, [&](std::size_t i) { return survives[i]; }),
              0.95);

    const Alignment whole = Align(cues, film, {.splits = false});
    ASSERT_EQ(whole.parts.size(), 1u);
    // The larger side (before the cut at 100 of 170 s) is right.
    EXPECT_EQ(
        ShareWithin(whole, cues, truth, 150, [&](std::size_t i) { return lines[i].end <= cut; }),
        1.0);
}

TEST(Aligner, AnotherFilmsSubtitlesStayBelowTheThreshold) {
    for (std::uint32_t seed = 40; seed < 46; ++seed) {
        const SpeechMask film = FilmMask(SpokenLines(seed, 170), 180, seed);
        const std::vector<Cue> other = SubtitlesOf(SpokenLines(seed + 1000, 170), 1, 0, seed);
        const Alignment a = Align(other, film, {});
        EXPECT_LT(a.confidence, kMinConfidence) << seed;
    }
}

TEST(Aligner, AReferenceGivesEveryStartWithinFiveMilliseconds) {
    const Moved rows[] = {
        {"later by 2.345 s", 1, 2345},
        {"earlier by 47.003 s", 1, -47003},
        {"25 to 23.976 and shifted", 25 / 23.976, 1007},
    };
    const std::vector<Cue> reference = SpokenLines(51, 170);
    for (const Moved& row : rows) {
        SCOPED_TRACE(row.name);
        // The same subtitles, moved: no lead or linger of their own.
        std::vector<Cue> cues;
        for (const Cue& c : reference) {
            cues.push_back({std::llround((c.start - row.offset) / row.ratio),
                            std::llround((c.end - row.offset) / row.ratio)});
        }
        Alignment a = Align(cues, CueMask(reference), {});
        RefineOnReference(a, cues, reference);
        EXPECT_DOUBLE_EQ(a.ratio, row.ratio);
        for (std::size_t i = 0; i < cues.size(); ++i)
            EXPECT_NEAR(MapTime(a, i, cues[i].start), reference[i].start, 5) << i;
    }
}

TEST(CueMask, CoversEachCueFromTimeZero) {
    const std::vector<Cue> cues = {{20, 50}, {100, 125}};
    const SpeechMask mask = CueMask(cues);
    EXPECT_EQ(mask, (SpeechMask{0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(CueMask(cues, 2.0).size(), 25u);
    EXPECT_DOUBLE_EQ(SpeechShare(mask), 5.0 / 12);
    EXPECT_DOUBLE_EQ(SpeechShare({}), 0);
}

}  // namespace
}  // namespace tessaline
