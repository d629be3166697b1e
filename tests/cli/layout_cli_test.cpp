// The line-layout commands end to end: files, messages and exit status of the built program.

#include <gtest/gtest.h>

#include <cstdlib>
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

const std::string T1 = "00:00:01,000 --> 00:00:04,000";
const std::string T2 = "00:00:05,000 --> 00:00:07,000";

// Two long one-line subtitles; cut to lines of 33 characters they pass the length test.
const std::string kLong =
    Crlf({"1", T1, "The quick brown fox jumps over the lazy dog again and again", "", "2", T2,
          "Nobody expected the night train to arrive before sunrise", ""});
const std::string kCut =
    Crlf({"1", T1, "The quick brown fox jumps over", "the lazy dog again and again", "", "2", T2,
          "Nobody expected the night train", "to arrive before sunrise", ""});

// The program run with --quiet.
class LayoutCli : public test::CliFolder {
  protected:
    test::ProgramResult Run(std::vector<std::string> args) {
        return CliFolder::Run(std::move(args), {"--quiet"});
    }
};

TEST_F(LayoutCli, CutToTwoLinesAndTestedTheFilmHasNoWarning) {
    Put("film.srt", kLong);
    auto r = Run({"length-test", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string findings =
        Crlf({"1 = >>> 1 line: 59 symbols contain <<< Error >>>",
              "2 = >>> 1 line: 56 symbols contain <<< Error >>>",
              "====================================================", ">>> 2 Wrong Subtitles"});
    EXPECT_EQ(Get("film.len"), findings);

    r = Run({"--set", "SubLineCount=2", "set-length", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("film.out"), kCut);
    EXPECT_EQ(Get("film.log"), "(none)");  // WriteLogOnSetLength is off

    // The test writes no output: film.out is no reason to refuse it.
    EXPECT_EQ(Run({"rename-out", "film.srt"}).status, 0);
    Put("film.out", "another output\r\n");
    r = Run({"--set", "SubLineCount=2", "length-test", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "film.srt: No Legth Warnings!\n");
    EXPECT_EQ(Get("film.out"), "another output\r\n");
    // An empty report is not written, and the earlier one goes: its findings are gone.
    EXPECT_EQ(Get("film.len"), "(none)");
}

TEST_F(LayoutCli, SetLengthWritesItsLogOnlyWhenAsked) {
    Put("film.srt", Crlf({"1", T1, "Fits", ""}));
    auto r = Run({"--set", "WriteLogOnSetLength=1", "set-length", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "film.srt: Null Log-file\n");
    EXPECT_EQ(Get("film.log"), "(none)");

    Put("long.srt", kLong);
    r = Run(
        {"--set", "WriteLogOnSetLength=1", "--set", "SubLineLength=20", "set-length", "long.srt"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("long.log"), Crlf({"2 = 4 lines"}));
}

TEST_F(LayoutCli, PixelWidthsComeFromTheDialogFontOrAreReportedUnavailable) {
    Put("film.srt", Crlf({"1", T1, "Hello world, how are you?", ""}));
    auto r = Run({"--set", "CheckPixelTextWidthMax=1", "--set", "PixelTextWidthMax=100",
                  "length-test", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        Get("film.len"),
        Crlf({"1 = >>> 1 line: 122 pixels width <<< Error >>>",
              "====================================================", ">>> 1 Wrong Subtitles"}));

    ::setenv("TESSALINE_DIALOG_FONT", (root_ / "no-font.ttf").c_str(), 1);
    r = Run({"--set", "CheckPixelTextWidthMax=1", "length-test", "film.srt"});
    ::unsetenv("TESSALINE_DIALOG_FONT");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("film.len"), Crlf({">> Pixel Width Check Unavailable: cannot read the font " +
                                     (root_ / "no-font.ttf").string()}));
}

TEST_F(LayoutCli, EachCommandWritesItsOutputAndReport) {
    const std::string dialog =
        Crlf({"1", T1, "-Where have you been all this time?", "-Out.", "-Why?", ""});
    struct Case {
        std::vector<std::string> args;
        std::string input, output, reportExt, report, err;
    } cases[] = {
        {{"to-one-line"},
         Crlf({"1", T1, "One", "line", ""}),
         Crlf({"1", T1, "One line", ""}),
         "full",
         "(none)",
         "film.srt: Null Full-length-file\n"},
        {{"to-bottom", "--keep-first"},
         Crlf({"1", T1, "First", "", "2", T2, "Second", ""}),
         Crlf({"1", T1, "First", "", "2", T2, " ", " ", "Second", ""}),
         "bottom",
         Crlf({"1 Subtitles Attached To Bottom"}),
         ""},
        {{"break-dialog"},
         dialog,
         Crlf({"1", "00:00:01,000 --> 00:00:02,500", "-Where have you been all this time?", "", "1",
               "00:00:02,501 --> 00:00:04,000", "-Out.", "-Why?", ""}),
         "DiaBreak",
         Crlf({"1 = Break Dialog on 2 tails: 35 and 10 symbols || [00:00:01,500]+[00:00:01,499]",
               "====================================================",
               ">> 1 / 1 = Break / All_Dialogs"}),
         ""},
        {{"--set", "SubLineLength=20", "break-dialog"},
         Crlf({"1", T1, "-Hi.", "-Yo.", ""}),
         Crlf({"1", T1, "-Hi.", "-Yo.", ""}),
         "DiaBreak",
         "(none)",
         "film.srt: No Breaks of Subtitles!\n"},
        {{"--set", "SubLineCount=1", "break-big-text"},
         Crlf({"1", T1, "This is the first part of it. And this is the second one", ""}),
         Crlf({"1", "00:00:01,000 --> 00:00:02,500", "This is the first part of it.", "", "1",
               "00:00:02,501 --> 00:00:04,000", "And this is the second one", ""}),
         "BigBreak",
         Crlf({"1 = Break BigText on 2 tails: 29 and 26 symbols || "
               "[00:00:01,500]+[00:00:01,499]",
               "====================================================",
               ">> 1 / 1 = Break / All_Big_Text"}),
         ""},
    };
    for (const Case& c : cases) {
        const std::string what = c.args.back();
        for (const char* old : {"film.srt", "film.out"})
            fs::remove(work_ / old);
        Put("film.srt", c.input);
        std::vector<std::string> args = c.args;
        args.push_back("film.srt");
        const auto r = Run(args);
        EXPECT_EQ(r.status, 0) << what;
        EXPECT_EQ(r.err, c.err) << what;
        EXPECT_EQ(Get("film.out"), c.output) << what;
        EXPECT_EQ(Get("film." + c.reportExt), c.report) << what;
        fs::remove(work_ / ("film." + c.reportExt));
        // A second run never overwrites the output.
        EXPECT_EQ(Run(args).err, "film.srt: Output File Exist!!!\n") << what;
    }
}

TEST_F(LayoutCli, MasksRunQuietlyAndOtherKindsAreRefused) {
    Put("dir/a.srt", kLong);
    Put("dir/b.srt", kCut);
    auto r = Run({"length-test", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");  // no "No Legth Warnings!" for b.srt over a folder
    EXPECT_NE(Get("dir/a.len"), "(none)");
    EXPECT_EQ(Get("dir/b.len"), "(none)");

    r = Run({"--set", "WriteOperationsLog=1", "set-length", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Get("dir/a.out"), kCut);
    EXPECT_EQ(ReadFile(home_ / "Operations.log"),
              Crlf({"[Set Length] Click | Type: *.srt | DirMode | Dir: dir"}));

    Put("film.txt", "text\r\n");
    for (const char* command : {"to-one-line", "to-bottom", "set-length", "length-test",
                                "break-dialog", "break-big-text"}) {
        r = Run({command, "film.txt"});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.err, "film.txt: Not Support File extension: txt\n") << command;
        EXPECT_EQ(Get("film.out"), "(none)") << command;
    }
}

// All in One: the file holds the chain's result, no film.out stays, one log line for the chain;
// refusals leave everything as it was; a mask runs every file.
TEST_F(LayoutCli, AllInOneLeavesTheChainsResultInTheFile) {
    const std::string raw =
        "5\n" + T1 + "\nHello ,world!How are\nyou ?\n\n7\n" + T2 + "\nIt costs 1 000 dollars\n\n";
    const std::string done =
        Crlf({"1", T1, "Hello, world! How are you?", "", "2", T2, "It costs 1000 dollars", ""});
    Put("film.srt", raw);
    auto r = Run({"--set", "WriteOperationsLog=1", "all-in-one", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("film.srt"), done);
    EXPECT_EQ(Get("film.out"), "(none)");
    EXPECT_NE(Get("film.fix"), "(none)");  // the delimiter step's report stays
    const std::string log = ReadFile(home_ / "Operations.log");
    // One line: neither the steps nor the opening and reopening of the file log their own.
    EXPECT_EQ(log, "[All In One] Click | File: film.srt\r\n");

    // Again on the clean result: nothing to do, still a run.
    EXPECT_EQ(Run({"all-in-one", "film.srt"}).status, 0);
    EXPECT_EQ(Get("film.srt"), done);

    struct Refusal {
        const char* file;
        bool staleOutput;
        const char* message;
    };
    for (const Refusal& c : {Refusal{"film.srt", true, "Output File Exist!!!"},
                             Refusal{"film.SSA", false, "Not Support File extension: SSA"}}) {
        Put(c.file, raw);
        if (c.staleOutput) Put("film.out", "stale\r\n");
        r = Run({"all-in-one", c.file});
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(Get(c.file), raw) << c.file;
        EXPECT_EQ(Get("film.out"), c.staleOutput ? "stale\r\n" : "(none)") << c.file;
        fs::remove(work_ / "film.out");
    }

    // A conversion error in the correction step: exit 3, the first two steps kept.
    Put("bad.srt", "1\n00:00:01,000 --> 00:00:03,00x\nHi ,there\n\n");
    EXPECT_EQ(Run({"all-in-one", "bad.srt"}).status, 3);
    EXPECT_EQ(Get("bad.srt"), Crlf({"1", "00:00:01,000 --> 00:00:03,00x", "Hi, there", ""}));
    EXPECT_EQ(Get("bad.out"), "(none)");

    EXPECT_EQ(Run({"all-in-one"}).status, 2);
    EXPECT_EQ(Run({"all-in-one", "--offset", "1", "film.srt"}).status, 2);

    // A mask: every file; two files of one name are refused.
    fs::remove(work_ / "bad.srt");
    Put("film.srt", raw);
    Put("other.srt", raw);
    EXPECT_EQ(Run({"all-in-one", "*.srt"}).status, 0);
    EXPECT_EQ(Get("film.srt"), done);
    EXPECT_EQ(Get("other.srt"), done);
    Put("film.sub", "{1}{25}Hi\r\n");
    Put("other.srt", raw);
    EXPECT_EQ(Run({"all-in-one", "*.s*"}).status, 1);
    EXPECT_EQ(Get("other.srt"), raw);
}

}  // namespace
}  // namespace tessaline
