#include "ops/sync.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Subtitles as a film has them: lines of 1 to 4 s with pauses of 0.3 to 4 s over four minutes.
std::vector<Cue> FilmLines(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> line(1000, 4000);
    std::uniform_int_distribution<std::int64_t> pause(300, 4000);
    std::vector<Cue> cues;
    for (std::int64_t t = 3000; t < 240'000;) {
        const std::int64_t end = t + line(random);
        cues.push_back({t, end});
        t = end + pause(random);
    }
    return cues;
}

std::string SrtTime(std::int64_t ms) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000LL,
                  ms / 60000 % 60LL, ms / 1000 % 60LL, ms % 1000LL);
    return text;
}

std::string SsaTime(std::int64_t ms) {
    const std::int64_t cs = (ms + 5) / 10;
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", cs / 360000LL, cs / 6000 % 60LL,
                  cs / 100 % 60LL, cs % 100LL);
    return text;
}

enum class Format { SubRip, SubStation, MicroDvd };

// A file of the cues with styled text of two lines, in one of the three formats (MicroDVD at
// 25 frames per second).
std::string FileOf(const std::vector<Cue>& cues, Format format) {
    std::string text;
    if (format == Format::SubStation) {
        text =
            "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\nFormat: Layer, Start, End, "
            "Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";
    }
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        switch (format) {
            case Format::SubRip:
                text += n + "\r\n" + SrtTime(cues[i].start) + " --> " + SrtTime(cues[i].end) +
                        "\r\n<i>Line " + n + "</i>\r\n<font color=\"#ff0000\">and -->" + n +
                        "</font>\r\n\r\n";
                break;
            case Format::SubStation:
                text += "Dialogue: 0," + SsaTime(cues[i].start) + "," + SsaTime(cues[i].end) +
                        ",Default,,0,0,0,,{\\i1}Line " + n + "{\\i0}\\Nand " + n + "\r\n";
                break;
            case Format::MicroDvd:
                text += "{" + std::to_string(std::llround(cues[i].start * 0.025)) + "}{" +
                        std::to_string(std::llround(cues[i].end * 0.025)) + "}{y:i}Line " + n +
                        "|and " + n + "\r\n";
                break;
        }
    }
    return text;
}

// The starts a file gives, in milliseconds.
std::vector<std::int64_t> StartsOf(const std::string& text, Format format) {
    static const std::regex srt(R"((\d\d):(\d\d):(\d\d),(\d\d\d) -->)");
    static const std::regex ssa(R"(Dialogue: 0,(\d+):(\d\d):(\d\d)\.(\d\d),)");
    static const std::regex sub(R"(\{(\d+)\}\{\d+\})");
    std::vector<std::int64_t> starts;
    const std::regex& pattern = format == Format::SubRip       ? srt
                                : format == Format::SubStation ? ssa
                                                               : sub;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        const auto n = [&](int i) { return std::stoll((*it)[i]); };
        if (format == Format::MicroDvd) {
            starts.push_back(std::llround(n(1) / 0.025));
        } else {
            const std::int64_t fraction = format == Format::SubRip ? n(4) : n(4) * 10;
            starts.push_back(((n(1) * 60 + n(2)) * 60 + n(3)) * 1000 + fraction);
        }
    }
    return starts;
}

// The file with every time or frame number blanked: what must come through a sync unchanged.
std::string WithoutTimes(const std::string& text) {
    static const std::regex times(R"(\d+:\d\d:\d\d[,.]\d+|\{\d+\}\{\d+\})");
    return std::regex_replace(text, times, "T");
}

struct Moved {
    const char* name;
    Format format;
    double ratio;         // the file's times are the true times divided by this ...
    std::int64_t offset;  // ... after this is taken off
    std::int64_t tolerance;
};

TEST(Sync, AReferenceBringsEveryFormatBackWithTextAndTagsUnchanged) {
    const Moved rows[] = {
        {"SubRip later by 2.345 s", Format::SubRip, 1, -2345, 5},
        {"SubRip earlier by 2.345 s", Format::SubRip, 1, 2345, 5},
        {"SubRip later by 47.003 s", Format::SubRip, 1, -47003, 5},
        {"SubRip stretched 25 to 23.976 and shifted", Format::SubRip, 25 / 23.976, 1007, 5},
        {"SubStation later by 2.34 s", Format::SubStation, 1, -2340, 10},
        {"SubStation stretched 23.976 to 25", Format::SubStation, 23.976 / 25, 0, 10},
        {"MicroDVD later by 2.4 s", Format::MicroDvd, 1, -2400, 20},
        {"MicroDVD stretched 25 to 23.976", Format::MicroDvd, 25 / 23.976, 0, 40},
    };
    const std::vector<Cue> truth = FilmLines(3);
    for (const Moved& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        std::vector<Cue> moved;
        for (const Cue& c : truth) {
            moved.push_back({std::llround((c.start - row.offset) / row.ratio),
                             std::llround((c.end - row.offset) / row.ratio)});
        }
        const char* name = row.format == Format::SubRip       ? "film.srt"
                           : row.format == Format::SubStation ? "film.ass"
                                                              : "film.sub";
        const std::string input = FileOf(moved, row.format);
        WriteFile(dir / name, input);
        WriteFile(dir / "ref.srt", FileOf(truth, Format::SubRip));
        RecordingHost host;
        const RunResult result = SyncSubtitles((dir / name).string(), (dir / "film.out").string(),
                                               {.reference = (dir / "ref.srt").string()}, host);
        ASSERT_EQ(result, RunResult::Done);
        EXPECT_TRUE(host.messages.empty());
        const std::string output = ReadFile(dir / "film.out");
        EXPECT_EQ(WithoutTimes(output), WithoutTimes(input));
        const std::vector<std::int64_t> starts = StartsOf(output, row.format);
        ASSERT_EQ(starts.size(), truth.size());
        for (std::size_t i = 0; i < starts.size(); ++i)
            EXPECT_NEAR(starts[i], truth[i].start, row.tolerance) << "subtitle " << i + 1;
        EXPECT_TRUE(ReadFile(dir / "film.sync").starts_with("Synced to ref.srt\r\nRatio: "));
    }
}

// The report names the ratio, each part's offset and start, and every subtitle kept at 0.
TEST(Sync, ASubtitleBeforeZeroIsKeptAtZeroAndListed) {
    TempDir dir;
    const std::vector<Cue> truth = FilmLines(4);
    std::vector<Cue> moved = {{500, 1500}};  // an opening title that comes before the film
    for (const Cue& c : truth)
        moved.push_back({c.start + 2345, c.end + 2345});
    WriteFile(dir / "film.srt", FileOf(moved, Format::SubRip));
    WriteFile(dir / "ref.srt", FileOf(truth, Format::SubRip));
    RecordingHost host;
    ASSERT_EQ(SyncSubtitles((dir / "film.srt").string(), (dir / "film.out").string(),
                            {.reference = (dir / "ref.srt").string()}, host),
              RunResult::Done);
    const std::string output = ReadFile(dir / "film.out");
    EXPECT_TRUE(output.starts_with("1\r\n00:00:00,000 --> 00:00:00,000\r\n<i>Line 1</i>"));
    const std::string report = ReadFile(dir / "film.sync");
    EXPECT_NE(report.find("Ratio: 1\r\nConfidence: "), std::string::npos) << report;
    EXPECT_NE(report.find("(needs 8)\r\nPart 1 from subtitle 1 (00:00:00,500): offset -2.345 s\r\n"
                          "Subtitle 1 (00:00:00,500) would start at -1.845 s: kept at "
                          "00:00:00,000\r\n"),
              std::string::npos)
        << report;
}

TEST(Sync, RefusalsSayWhyAndWriteNothing) {
    const struct {
        const char* name;
        std::function<std::string()> input;
        std::function<std::string()> reference;
        const char* message;  // the start of the message
    } rows[] = {
        {"another film's subtitles", [] { return FileOf(FilmLines(5), Format::SubRip); },
         [] { return FileOf(FilmLines(6), Format::SubRip); },
         "film.srt does not match ref.srt (confidence "},
        {"a reference with almost no speech", [] { return FileOf(FilmLines(5), Format::SubRip); },
         [] {
             return FileOf({{200'000, 201'000}}, Format::SubRip);
         },
         "no speech found in ref.srt"},
        {"a file without subtitles", [] { return std::string("just text\r\n"); },
         [] { return FileOf(FilmLines(5), Format::SubRip); }, "film.srt has no subtitles to sync"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir / "film.srt", row.input());
        WriteFile(dir / "ref.srt", row.reference());
        RecordingHost host;
        EXPECT_EQ(SyncSubtitles((dir / "film.srt").string(), (dir / "film.out").string(),
                                {.reference = (dir / "ref.srt").string()}, host),
                  RunResult::Refused);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].starts_with(row.message)) << host.messages[0];
        EXPECT_FALSE(std::filesystem::exists(dir / "film.out"));
        EXPECT_FALSE(std::filesystem::exists(dir / "film.sync"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    }
}

TEST(Sync, AnExistingOutputIsNeverOverwritten) {
    TempDir dir;
    WriteFile(dir / "film.srt", FileOf(FilmLines(7), Format::SubRip));
    WriteFile(dir / "film.out", "old");
    RecordingHost host;
    EXPECT_EQ(SyncSubtitles((dir / "film.srt").string(), (dir / "film.out").string(),
                            {.film = (dir / "film.mkv").string()}, host),
              RunResult::Refused);
    EXPECT_EQ(ReadFile(dir / "film.out"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir / "film.sync"));
}

}  // namespace
}  // namespace tessaline
