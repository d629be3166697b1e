// Interoperability with ffmpeg: the files that `tessaline convert` writes must read back in
// ffmpeg with the same cues, and the files ffmpeg writes must go through `convert` and `correct`.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ProgramResult;
using test::ReadFile;
using test::TempDir;
using test::W;
using test::WriteFile;

using Args = std::vector<std::string>;

struct Cue {
    std::int64_t on = 0;   // ms
    std::int64_t off = 0;  // ms
    std::string text;      // display lines joined by "\n"
};

const Args kCp1251 = {"-sub_charenc", "CP1251"};

Args operator+(Args a, const Args& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

fs::path FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// The cues of the SubRip text ffmpeg prints: LF line ends, CR LF between display lines.
std::vector<Cue> ParseSrt(const std::string& text) {
    std::vector<Cue> cues;
    std::istringstream in(text);
    bool inText = false;
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with('\r')) line.pop_back();
        long t[8];  // h, m, s, ms of both times
        if (std::sscanf(line.c_str(), "%ld:%ld:%ld,%ld --> %ld:%ld:%ld,%ld", &t[0], &t[1], &t[2],
                        &t[3], &t[4], &t[5], &t[6], &t[7]) == 8) {
            cues.push_back({((t[0] * 60 + t[1]) * 60 + t[2]) * 1000 + t[3],
                            ((t[4] * 60 + t[5]) * 60 + t[6]) * 1000 + t[7], ""});
            inText = true;
        } else if (line.empty()) {
            inText = false;
        } else if (inText) {
            cues.back().text += (cues.back().text.empty() ? "" : "\n") + line;
        }
    }
    return cues;
}

// Times within `slackMs`; texts where `want` gives one.
void ExpectCues(const std::vector<Cue>& got, const std::vector<Cue>& want,
                std::int64_t slackMs = 0) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("cue " + std::to_string(i + 1));
        EXPECT_LE(std::abs(got[i].on - want[i].on), slackMs) << got[i].on;
        EXPECT_LE(std::abs(got[i].off - want[i].off), slackMs) << got[i].off;
        if (!want[i].text.empty()) {
            EXPECT_EQ(got[i].text, want[i].text);
        }
    }
}

class Interop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(ffmpeg_.empty()) << "ffmpeg is not on PATH: install it "
                                         "(scripts/install-deps.sh does) to run these tests";
        fs::create_directory(home_);
    }

    ProgramResult Tessaline(const Args& args, const fs::path& cwd) {
        return test::RunProgram(TESSALINE_EXE, Args{"--home", home_.string()} + args, cwd,
                                root_.path());
    }
    ProgramResult Ffmpeg(const Args& args) {
        return test::RunProgram(ffmpeg_, Args{"-hide_banner", "-nostdin", "-v", "warning"} + args,
                                root_.path(), root_.path());
    }
    // ffmpeg decodes `file` and prints it as SubRip; it must not warn. A file that begins with
    // "{" is read as MicroDVD at 25 fps: ffmpeg would take 23.976 for a file without a
    // "{1}{1}25" first line, and a .out file is not recognised by its name.
    std::vector<Cue> ReadBack(const fs::path& file, const Args& options = {}) {
        const Args format = ReadFile(file).starts_with('{')
                                ? Args{"-f", "microdvd", "-subfps", "25"}
                                : Args{"-f", "srt"};
        const ProgramResult r =
            Ffmpeg(format + options + Args{"-i", file.string(), "-f", "srt", "-"});
        EXPECT_EQ(r.status, 0) << file;
        EXPECT_EQ(r.err, "") << file;
        return ParseSrt(r.out);
    }

    fs::path ffmpeg_ = FindOnPath("ffmpeg");
    TempDir root_;
    fs::path home_ = root_ / "home";
};

TEST_F(Interop, SubRipFromMicroDvdReadsBackWithTheSameCuesAndText) {
    WriteFile(root_ / "film.sub", Crlf({"{25}{50}" + W("Привет,|мир!"), "{75}{112}One|two|three",
                                        "{90000}{90050}" + W("Ёлка")}));
    ASSERT_EQ(Tessaline({"convert", "film.sub"}, root_.path()).status, 0);
    ExpectCues(ReadBack(root_ / "film.srt", kCp1251), {{1000, 2000, "Привет,\nмир!"},
                                                       {3000, 4480, "One\ntwo\nthree"},
                                                       {3600000, 3602000, "Ёлка"}});
}

TEST_F(Interop, SubRipFromSubStationReadsBackWithTheSameCues) {
    WriteFile(
        root_ / "film.ass",
        Crlf({"[Script Info]", "ScriptType: v4.00+", "PlayResX: 384", "PlayResY: 288", "",
              "[V4+ Styles]",
              "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
              "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
              "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding",
              "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,"
              "100,0,0,1,2,0,2,10,10,10,204",
              "", "[Events]",
              "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
              "Dialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,," + W("Привет,\\Nмир!"),
              "Dialogue: 0,0:00:04.00,0:00:06.25,Default,,0,0,0,,Hello {\\i1}world{\\i0}, yes",
              "Dialogue: 0,0:01:02.07,0:01:05.00,Default,,0,0,0,,{\\i1}Line one\\nLine two",
              "Dialogue: 0,1:00:00.00,1:00:02.10,Default,,0,0,0,,Last\\NOne, two, three"}));
    ASSERT_EQ(Tessaline({"convert", "film.ass"}, root_.path()).status, 0);
    // A "\N" alone stays in the text (only a line holding "\n" is split), so the texts of
    // the first and last cue are left to ffmpeg's reading of it.
    ExpectCues(ReadBack(root_ / "film.srt", kCp1251), {{1500, 3000, ""},
                                                       {4000, 6250, "Hello <i>world</i>, yes"},
                                                       {62070, 65000, "<i>Line one\nLine two</i>"},
                                                       {3600000, 3602100, ""}});
}

// MicroDVD's style and colour codes come out as SubRip tags that ffmpeg reads as the same styles;
// the codes SubRip has no tag for leave no trace in the text.
TEST_F(Interop, SubRipFromStyledMicroDvdReadsBackWithTheSameCuesAndTags) {
    fs::copy_file(test::DataDir() / "dialects" / "microdvd_styles.sub", root_ / "styles.sub");
    ASSERT_EQ(Tessaline({"convert", "styles.sub"}, root_.path()).status, 0);
    ExpectCues(
        ReadBack(root_ / "styles.srt"),
        {{1000, 2000, "<i>Italic line</i>\nPlain line"},
         {3000, 4000, "<b>Bold all</b>\n<b>Second bold</b>"},
         {5000, 6000, "<font color=\"#ff0000\"><b><u>Red bold underlined</u></b></font>\nPlain"},
         {7000, 8000,
          "<font color=\"#00ff00\">Green</font>\n<font color=\"#00ff00\"><i>green "
          "italic</i></font>"},
         {9000, 10000, "Struck\n{kept} braces"},
         {11000, 12000, "Leading blanks\n<i>both</i>"}});
}

// A SubStation line that opens with an override block keeps its style, and a negative time
// becomes the start of the film.
TEST_F(Interop, SubRipFromSubStationKeepsLeadingStylesAndStartsAtZero) {
    fs::copy_file(test::DataDir() / "dialects" / "substation_styles.ass", root_ / "styles.ass");
    ASSERT_EQ(Tessaline({"convert", "styles.ass"}, root_.path()).status, 0);
    ExpectCues(ReadBack(root_ / "styles.srt"),
               {{0, 2000, "<i>Leading italics</i>"},
                {3000, 4000, "<font color=\"#ff0000\">Red top</font>"},  // ffmpeg writes lower case
                {5000, 6000, "<b>Bold\nsecond line</b>"}});
}

TEST_F(Interop, MicroDvdFromSubRipReadsBackWithinHalfAFrame) {
    // 2,500 and 3,020 fall on half frames at 25 fps: rounding to the nearest frame keeps every
    // time within 20 ms, a truncation or an off-by-one frame would not.
    WriteFile(root_ / "film.srt",
              Crlf({"1", "00:00:01,000 --> 00:00:02,500", W("Привет"), W("мир"), "", "2",
                    "00:00:03,020 --> 00:00:04,999", "Hi there", "", "3",
                    "01:02:03,456 --> 01:02:05,000", W("- Последний"), "- Yes", ""}));
    ASSERT_EQ(Tessaline({"convert", "film.srt"}, root_.path()).status, 0);
    ExpectCues(ReadBack(root_ / "film.sub", kCp1251),
               {{1000, 2500, "Привет\nмир"},
                {3020, 4999, "Hi there"},
                {3723456, 3725000, "- Последний\n- Yes"}},
               20);
}

TEST_F(Interop, FilesWrittenByFfmpegConvertAndCorrectCleanly) {
    // One UTF-8 MicroDVD source; ffmpeg writes SubRip and SubStation from it. ffmpeg 5.1 has no
    // MicroDVD encoder ("-c:s microdvd" fails with "Unknown encoder 'microdvd'"), so its
    // MicroDVD muxer writes the .sub from a copy of the source stream.
    WriteFile(root_ / "source.sub",
              "{25}{62}{y:i}Привет|мир\n{76}{125}Hi there\n{93086}{93125}- Last|- One\n");
    const std::vector<Cue> times = {{1000, 2480, ""}, {3040, 5000, ""}, {3723440, 3725000, ""}};
    struct Case {
        std::string ext;
        Args encode;            // ffmpeg's output options
        std::string converted;  // what `convert` writes
        bool corrects;          // `correct` supports the extension
    };
    const std::vector<Case> cases = {
        {"srt", {}, "film.sub", true},
        {"ass", {}, "film.srt", false},
        {"sub", {"-map", "0", "-c", "copy"}, "film.srt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        const fs::path dir = root_ / c.ext;
        fs::create_directory(dir);
        const ProgramResult written =
            Ffmpeg(Args{"-f", "microdvd", "-subfps", "25", "-i", (root_ / "source.sub").string()} +
                   c.encode + Args{(dir / ("film." + c.ext)).string()});
        ASSERT_EQ(written.status, 0) << written.err;

        const ProgramResult converted = Tessaline({"convert", "film." + c.ext}, dir);
        EXPECT_EQ(converted.status, 0) << converted.err;
        ExpectCues(ReadBack(dir / c.converted), times);

        // With TimeCorrection on (the default) the correction always writes film.out.
        const ProgramResult corrected = Tessaline({"correct", "film." + c.ext}, dir);
        EXPECT_TRUE(corrected.status == 0 || (corrected.status == 1 && !corrected.err.empty()))
            << corrected.status << " " << corrected.err;
        if (c.corrects) {
            ExpectCues(ReadBack(dir / "film.out"), times);
        } else {
            EXPECT_NE(corrected.err.find("Not Support File extension: " + c.ext), std::string::npos)
                << corrected.err;
        }
    }
}

TEST_F(Interop, SubStationStylesReadBackInFfmpegAsTheSameTags) {
    // ffmpeg decodes the SubRip tags into its own styles and writes them again: tags that did
    // not pair or nest would come back changed or lost.
    WriteFile(
        root_ / "styles.ass",
        Crlf({"[Script Info]", "ScriptType: v4.00+", "", "[Events]",
              "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
              "Text",
              "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hello {\\i1}world{\\i0}",
              "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,x{\\b1}a{\\i1}b{\\b0}c{\\i0}",
              "Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,open {\\u1}under",
              "Dialogue: 0,0:00:07.00,0:00:08.00,Default,,0,0,0,,x{\\b1\\i1\\fs20}both{\\r}plain",
              "Dialogue: 0,0:00:09.00,0:00:10.00,Default,,0,0,0,,x{\\i1}one\\Ntwo{\\i0}",
              "Dialogue: 0,0:00:11.00,0:00:12.00,Default,,0,0,0,,{\\an8}{\\u1}top{\\u0} line"}));
    ASSERT_EQ(Tessaline({"convert", "styles.ass"}, root_.path()).status, 0);
    ExpectCues(ReadBack(root_ / "styles.srt"), {{1000, 2000, "Hello <i>world</i>"},
                                                {3000, 4000, "x<b>a<i>b</i></b><i>c</i>"},
                                                {5000, 6000, "open <u>under</u>"},
                                                {7000, 8000, "x<b><i>both</i></b>plain"},
                                                {9000, 10000, "x<i>one\ntwo</i>"},
                                                {11000, 12000, "<u>top</u> line"}});
}

// Files shaped as other programs write them (dot timings, no numbers, no empty line between
// subtitles, one-digit fields, display coordinates, overlapping cues, a wrong number, a text line
// of digits): every command below writes a SubRip file that ffmpeg reads with the subtitles it
// reads from the input, the texts unchanged unless the command's purpose is to change them.
TEST_F(Interop, FilesAsOtherProgramsWriteThemKeepEverySubtitleThroughTheCommands) {
    struct Command {
        Args args;
        std::string output;  // the file written; empty: the input, replaced
        int dropped;         // subtitles the command removes on purpose
        bool keepsText;      // the texts stay as they were
    };
    const std::vector<Command> commands = {
        {{"correct"}, "film.out", 0, true},
        {{"recount"}, "film.out", 0, true},
        {{"offset-time", "00:00:01,000"}, "film.out", 0, true},
        {{"subtitle-time-correction"}, "film.out", 0, true},
        {{"delete-last-subtitle"}, "film.out", 1, true},
        {{"fix-delimiters"}, "film.out", 0, true},
        {{"to-one-line"}, "film.out", 0, false},
        {{"set-length"}, "film.out", 0, false},
        {{"all-in-one"}, "", 0, false},
    };
    for (const char* name :
         {"coordinates.srt", "dot-timings.srt", "no-blank-lines.srt", "no-numbers.srt",
          "number-text.srt", "one-digit-fields.srt", "overlapping.srt", "wrong-number.srt"}) {
        const fs::directory_entry entry(test::DataDir() / "dialects" / name);
        const std::vector<Cue> original = ReadBack(entry.path());
        ASSERT_FALSE(original.empty()) << entry.path();
        for (const Command& c : commands) {
            SCOPED_TRACE(entry.path().filename().string() + ": " + c.args.front());
            const fs::path dir = root_ / (entry.path().stem().string() + "-" + c.args.front());
            fs::create_directory(dir);
            fs::copy_file(entry.path(), dir / "film.srt");
            const ProgramResult r = Tessaline(c.args + Args{"film.srt"}, dir);
            ASSERT_EQ(r.status, 0) << r.err;
            // A command with nothing to change writes nothing.
            const fs::path written = dir / (c.output.empty() ? "film.srt" : c.output);
            const std::vector<Cue> got = ReadBack(fs::exists(written) ? written : dir / "film.srt");
            ASSERT_EQ(got.size() + c.dropped, original.size());
            for (std::size_t i = 0; c.keepsText && i < got.size(); ++i)
                EXPECT_EQ(got[i].text, original[i].text) << "cue " << i + 1;
        }
    }
}

TEST_F(Interop, SetLengthKeepsTagsWholeForFfmpeg) {
    // A line cut inside "<font ...>" reads back in ffmpeg as the text "color=#ff0000 size=9>".
    WriteFile(
        root_ / "film.srt",
        Crlf({"1", "00:00:01,000 --> 00:00:02,000",
              "Some words first <font color=#ff0000 size=9>reddish</font> here", "", "2",
              "00:00:03,000 --> 00:00:04,000", "<i>Italic words that are cut in two</i>", ""}));
    ASSERT_EQ(
        Tessaline({"--set", "SubLineLength=20", "set-length", "film.srt"}, root_.path()).status, 0);
    ExpectCues(
        ReadBack(root_ / "film.out"),
        {{1000, 2000,
          "Some words first\n<font color=\"#ff0000\"><font size=\"9\">reddish</font></font>\n"
          "here"},
         {3000, 4000, "<i>Italic words that\nare cut in two</i>"}});
}

}  // namespace
}  // namespace tessaline
