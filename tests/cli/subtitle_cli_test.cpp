// The editor's file routines on the command line: show-subtitle, rewrite-subtitle and
// delete-subtitle, with their files, output, refusals and exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_folder.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::WriteFile;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string T2 = "00:00:03,000 --> 00:00:04,000";
const std::string T3 = "00:00:05,000 --> 00:00:06,000";

// A header before the first subtitle, a year that stands alone on a text line, and two runs of
// blank lines between subtitles.
const std::string kFilm = Crlf({"Header", "", "1", T1, "One", "", "", "2", T2, "Second", "2010", "",
                                "3", T3, "Third", "", "", ""});
const std::string kFrames = Crlf({"{10}{20}A|B", "{30}{40}C", "{10}{20}Twin"});

using SubtitleCli = test::CliFolder;

std::string Repeated(std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST_F(SubtitleCli, ShowPrintsTheTimingAndTheLinesOfTheSubtitleNamed) {
    Put("film.srt", kFilm);
    Put("film.sub", kFrames);
    Put("twins.srt", Crlf({"1", T1, "First", "", "2", T1, "Second", ""}));
    Put("film.out", "stale");  // show never writes, so an old output is no obstacle
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"--number", "2", "film.srt"}, 0, T2 + "\nSecond\n2010\n"},
        {{"--number", "3", "film.srt"}, 0, T3 + "\nThird\n"},
        {{"--key", T1, "film.srt"}, 0, T1 + "\nOne\n"},
        {{"--number", "2010", "film.srt"}, 1, ""},  // a year in the text is text
        {{"--number", "7", "film.srt"}, 1, ""},
        {{"--key", T1, "twins.srt"}, 0, T1 + "\nSecond\n"},          // SubRip: the last of the key
        {{"--key", "{10}{20}", "film.sub"}, 0, "{10}{20}\nA\nB\n"},  // MicroDVD: the first line
        {{"--key", "{99}{100}", "film.sub"}, 1, ""},
    };
    for (const auto& c : cases) {
        // --quiet silences messages, never the subtitle asked for.
        for (const bool quiet : {false, true}) {
            std::vector<std::string> args = {"show-subtitle"};
            if (quiet) args.insert(args.begin(), "--quiet");
            args.insert(args.end(), c.args.begin(), c.args.end());
            const auto r = Run(args);
            EXPECT_EQ(r.status, c.status) << c.args.front() << " " << c.args[1];
            EXPECT_EQ(r.out, c.out) << c.args.front() << " " << c.args[1];
        }
    }
    EXPECT_EQ(Get("film.srt"), kFilm);
    EXPECT_EQ(Get("film.out"), "stale");
}

TEST_F(SubtitleCli, RewriteAndDeleteChangeOneSubtitleInPlace) {
    const struct {
        std::string name;
        std::string input;
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        // By number: the text split at line feeds, trimmed, empty lines dropped; the header and
        // every other subtitle kept, blank-line runs become one empty line.
        {"film.srt",
         kFilm,
         {"rewrite-subtitle", "--number", "2", "--text", "  New\n\nlines  \nthree"},
         Crlf({"Header", "", "1", T1, "One", "", "2", T2, "New", "lines", "three", "", "3", T3,
               "Third", ""})},
        {"film.srt",
         kFilm,
         {"rewrite-subtitle", "--key", T3, "--time", "00:00:05,500 --> 00:00:06,000", "--text",
          "Last"},
         Crlf({"Header", "", "1", T1, "One", "", "2", T2, "Second", "2010", "", "3",
               "00:00:05,500 --> 00:00:06,000", "Last", ""})},
        {"film.srt",
         kFilm,
         {"delete-subtitle", "--number", "1"},
         Crlf({"Header", "", "2", T2, "Second", "2010", "", "3", T3, "Third", ""})},
        {"film.sub",
         kFrames,
         {"rewrite-subtitle", "--key", "{30}{40}", "--text", "X\nY"},
         Crlf({"{10}{20}A|B", "{30}{40}X|Y", "{10}{20}Twin"})},
        {"film.sub", kFrames, {"delete-subtitle", "--key", "{10}{20}"}, Crlf({"{30}{40}C"})},
    };
    for (const auto& c : cases) {
        fs::remove_all(work_);
        fs::create_directory(work_);
        Put(c.name, c.input);
        std::vector<std::string> args = c.args;
        args.push_back(c.name);
        const auto r = Run(args);
        EXPECT_EQ(r.status, 0) << c.args[0] << " " << c.args[2];
        EXPECT_EQ(r.err, "") << c.args[0] << " " << c.args[2];
        EXPECT_EQ(Get(c.name), c.expected) << c.args[0] << " " << c.args[2];
        EXPECT_EQ(Files(), std::vector<std::string>{c.name});
    }
}

TEST_F(SubtitleCli, WhatCannotBeDoneLeavesTheFileByteForByte) {
    const struct {
        std::vector<std::string> args;
        bool staleOutput;
        int status;
    } cases[] = {
        {{"rewrite-subtitle", "--number", "2", "--text", "x", "film.srt"}, true, 1},
        {{"rewrite-subtitle", "--key", T2, "--text", "x", "film.srt"}, true, 1},
        {{"delete-subtitle", "--number", "2", "film.srt"}, true, 1},
        {{"rewrite-subtitle", "--number", "9", "--text", "x", "film.srt"}, false, 1},
        {{"delete-subtitle", "--key", "00:00:09,000 --> 00:00:10,000", "film.srt"}, false, 1},
        {{"rewrite-subtitle", "--number", "2", "--text", "\n  \n", "film.srt"}, false, 2},
        // Values the editor could not write back or load again: refused before anything is read.
        {{"rewrite-subtitle", "--number", "2", "--time", T2.substr(0, 12) + " --> 00:00:02,999",
          "--text", "x", "film.srt"},
         false,
         2},
        {{"rewrite-subtitle", "--number", "2", "--time", "00:00:03,000 --> 99999999999:00:00,000",
          "--text", "x", "film.srt"},
         false,
         2},
        {{"rewrite-subtitle", "--key", "{30}{40}", "--time", "{99999999999999999999}{1}", "--text",
          "x", "film.sub"},
         false,
         2},
        {{"rewrite-subtitle", "--key", "{30}{40}", "--time", "{41}{40}", "--text", "x", "film.sub"},
         false,
         2},
        {{"rewrite-subtitle", "--number", "2", "--text", std::string(120 * 1024, 'a'), "film.srt"},
         false,
         2},
        {{"rewrite-subtitle", "--number", "2", "--text", Repeated("a\n", 1001), "film.srt"},
         false,
         2},
        {{"rewrite-subtitle", "--number", "2", "--text", "x", "film.ass"}, false, 1},
        {{"show-subtitle", "film.srt"}, false, 2},
        {{"show-subtitle", "--number", "1", "--key", T1, "film.srt"}, false, 2},
        {{"rewrite-subtitle", "--number", "2", "film.srt"}, false, 2},
        {{"delete-subtitle", "--number", "1", "film.sub"}, false, 2},
        {{"delete-subtitle", "--number", "1", "*.srt"}, false, 2},
    };
    for (const auto& c : cases) {
        fs::remove_all(work_);
        fs::create_directory(work_);
        Put("film.srt", kFilm);
        Put("film.ass", kFilm);
        Put("film.sub", kFrames);
        if (c.staleOutput) Put("film.out", "stale");
        const auto r = Run(c.args);
        const std::string what = c.args[0] + " " + c.args[1] + " " + c.args.back();
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_NE(r.err, "") << what;  // every refusal says why
        EXPECT_EQ(Get("film.srt"), kFilm) << what;
        EXPECT_EQ(Get("film.ass"), kFilm) << what;
        EXPECT_EQ(Get("film.sub"), kFrames) << what;
        EXPECT_EQ(Get("film.out"), c.staleOutput ? "stale" : "(none)") << what;
    }
}

}  // namespace
}  // namespace tessaline
