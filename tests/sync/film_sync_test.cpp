#include "ops/sync.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "files/recording_host.hpp"
#include "test_films.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace tf = testfilms;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The clean film of the listening tests (shared with them), a film with 4 s cut out at 90 s, and
// films with nothing to sync to.
constexpr const char* kCleanOptions = "--seconds 90 --seed 1";
constexpr const char* kCutOptions = "--seconds 150 --seed 3 --cut 90:4 --formats mp4";
constexpr const char* kOtherOptions = "--seconds 90 --seed 4 --formats mp4";
constexpr const char* kMusicOptions = "--seconds 60 --lines 0 --background music --formats mp4";

std::string SrtTime(std::int64_t ms) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000LL,
                  ms / 60000 % 60LL, ms / 1000 % 60LL, ms % 1000LL);
    return text;
}

const std::regex kTiming(R"((\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d))");

std::int64_t MsAt(const std::smatch& m, int first) {
    const auto n = [&](int i) { return std::stoll(m[first + i]); };
    return ((n(0) * 60 + n(1)) * 60 + n(2)) * 1000 + n(3);
}

std::vector<std::int64_t> StartsOf(const std::string& text) {
    std::vector<std::int64_t> starts;
    for (std::sregex_iterator it(text.begin(), text.end(), kTiming), end; it != end; ++it)
        starts.push_back(MsAt(*it, 1));
    return starts;
}

// The subtitle file with every time t written as round(t / ratio) - offset: a file that a sync
// with that ratio and offset puts back.
std::string Moved(const std::string& text, double ratio, std::int64_t offset) {
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), kTiming), end; it != end; ++it) {
        out.append(last, (*it)[0].first);
        const auto move = [&](std::int64_t t) {
            return SrtTime(std::llround(static_cast<double>(t) / ratio) - offset);
        };
        out += move(MsAt(*it, 1)) + " --> " + move(MsAt(*it, 5));
        last = (*it)[0].second;
    }
    out.append(last, text.cend());
    return out;
}

class FilmSyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!tf::ToolsPresent()) GTEST_SKIP() << "needs python3, espeak-ng and ffmpeg";
    }

    // Syncs `subtitles` (written as film.srt) to `film`; the output, or "" when refused.
    std::string Sync(const std::filesystem::path& film, const std::string& subtitles,
                     bool splits = false, int track = 0) {
        WriteFile(dir / "film.srt", subtitles);
        std::filesystem::remove(dir / "film.out");
        std::filesystem::remove(dir / "film.sync");
        host = RecordingHost();
        result = SyncSubtitles((dir / "film.srt").string(), (dir / "film.out").string(),
                               {.film = film.string(), .track = track, .align = {.splits = splits}},
                               host);
        return std::filesystem::exists(dir / "film.out") ? ReadFile(dir / "film.out") : "";
    }

    TempDir dir;
    RecordingHost host;
    RunResult result = RunResult::Skipped;
};

struct Move {
    const char* name;
    double ratio;
    std::int64_t offset;
    const char* container;
};

TEST_F(FilmSyncTest, FindsShiftAndRatioInEveryContainerWithEveryStartClose) {
    const auto folder = tf::Make("clean", kCleanOptions);
    const std::string truth = ReadFile(folder / "film.srt");
    const Move rows[] = {
        {"later by 2.3 s", 1, -2300, "film.mp4"},
        {"earlier by 0.9 s", 1, 900, "film.mp4"},
        {"later by 47 s", 1, -47000, "film.mp4"},
        {"25 to 23.976", 25 / 23.976, 0, "film.mp4"},
        {"23.976 to 25", 23.976 / 25, 0, "film.mp4"},
        {"stretched and shifted", 25 / 23.976, -2300, "film.mp4"},
        {"stretched and shifted", 25 / 23.976, -2300, "film.mka"},
        {"stretched and shifted", 25 / 23.976, -2300, "film.late.mkv"},
    };
    for (const Move& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + row.container);
        const std::string output =
            Sync(folder / row.container, Moved(truth, row.ratio, row.offset));
        ASSERT_EQ(result, RunResult::Done) << (host.messages.empty() ? "" : host.messages[0]);
        // The late film's audio, and so its speech, starts 1.5 s into it.
        const std::int64_t late = std::string_view(row.container) == "film.late.mkv" ? 1500 : 0;
        const std::vector<std::int64_t> want = StartsOf(truth);
        const std::vector<std::int64_t> got = StartsOf(output);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], want[i] + late, 150) << "subtitle " << i + 1;
        const std::string report = ReadFile(dir / "film.sync");
        EXPECT_NE(report.find(row.ratio == 1 ? "Ratio: 1\r\n" : "Ratio: "), std::string::npos);
        EXPECT_EQ(report.find("Part 2"), std::string::npos) << report;
        std::printf("[ measured ] %s %s: %s", row.name, row.container,
                    report.substr(report.find("Confidence")).c_str());
    }
}

TEST_F(FilmSyncTest, FollowsACutWithSplitsAndKeepsTheLargerSideWithout) {
    const auto folder = tf::Make("cut", kCutOptions);
    const std::string uncut = ReadFile(folder / "film.uncut.srt");
    const std::vector<std::int64_t> starts = StartsOf(uncut);
    // Where each subtitle belongs in the cut film: 4 s earlier after the cut, nowhere inside it.
    const auto belongs = [](std::int64_t t) -> std::int64_t {
        return t < 90'000 ? t : t >= 94'000 ? t - 4000 : -1;
    };
    const auto shareWithin = [&](const std::string& output, std::int64_t tolerance,
                                 bool beforeOnly) {
        const std::vector<std::int64_t> got = StartsOf(output);
        std::size_t good = 0;
        std::size_t counted = 0;
        for (std::size_t i = 0; i < starts.size() && i < got.size(); ++i) {
            const std::int64_t want = belongs(starts[i]);
            if (want < 0 || (beforeOnly && starts[i] >= 90'000)) continue;
            ++counted;
            good += std::llabs(got[i] - want) <= tolerance;
        }
        return counted == 0 ? 0.0 : static_cast<double>(good) / static_cast<double>(counted);
    };
    const std::string moved = Moved(uncut, 1, -1000);
    EXPECT_GE(shareWithin(Sync(folder / "film.mp4", moved, true), 300, false), 0.95);
    EXPECT_NE(ReadFile(dir / "film.sync").find("Part 2"), std::string::npos);
    EXPECT_EQ(shareWithin(Sync(folder / "film.mp4", moved, false), 150, true), 1.0);

    // No break on the film without a cut.
    const auto clean = tf::Make("clean", kCleanOptions);
    Sync(clean / "film.mp4", Moved(ReadFile(clean / "film.srt"), 1, -1000), true);
    ASSERT_EQ(result, RunResult::Done);
    EXPECT_EQ(ReadFile(dir / "film.sync").find("Part 2"), std::string::npos);
}

TEST_F(FilmSyncTest, RefusesSilenceMusicAndAnotherFilmsSubtitlesWritingNothing) {
    const auto clean = tf::Make("clean", kCleanOptions);
    const auto other = tf::Make("other", kOtherOptions);
    const auto music = tf::Make("music", kMusicOptions);
    const std::string subtitles = ReadFile(clean / "film.srt");
    const struct {
        const char* name;
        std::filesystem::path film;
        int track;
        const char* message;
    } rows[] = {
        {"a silent track", clean / "film.two.mkv", 1, "no speech found in track 1"},
        {"music only", music / "film.mp4", 0, "film.srt does not match this film (confidence "},
        {"another film", other / "film.mp4", 0, "film.srt does not match this film (confidence "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Sync(row.film, subtitles, true, row.track), "");
        EXPECT_EQ(result, RunResult::Refused);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].starts_with(row.message)) << host.messages[0];
        EXPECT_FALSE(std::filesystem::exists(dir / "film.sync"));
        std::printf("[ measured ] %s: %s\n", row.name, host.messages[0].c_str());
    }
}

#ifdef TESSALINE_EXE
// A folder run pairs films and subtitle files by name; each one left alone is named.
TEST_F(FilmSyncTest, AFolderRunPairsFilmsAndFilesByName) {
    const auto clean = tf::Make("clean", kCleanOptions);
    const std::filesystem::path season = dir / "season";
    std::filesystem::create_directory(season);
    std::filesystem::copy_file(clean / "film.mp4", season / "e1.mp4");
    std::filesystem::copy_file(clean / "film.mp4", season / "e3.mp4");
    const std::string truth = ReadFile(clean / "film.srt");
    WriteFile(season / "e1.srt", Moved(truth, 1, -2300));
    WriteFile(season / "e2.srt", Moved(truth, 1, -2300));
    const test::ProgramResult r = test::RunProgram(
        TESSALINE_EXE,
        {"--home", dir.path().string(), "--quiet", "sync", "--to", "season/*.mp4", "season/*.srt"},
        dir.path(), dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "season/e1.srt: skipped: no subtitle file for season/e3.mp4\n"
              "season/e2.srt: skipped: no film for e2.srt in season/*.mp4\n");
    const std::vector<std::int64_t> want = StartsOf(truth);
    const std::vector<std::int64_t> got = StartsOf(ReadFile(season / "e1.out"));
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 150) << i;
    EXPECT_FALSE(std::filesystem::exists(season / "e2.out"));
}
#endif

}  // namespace
}  // namespace tessaline
