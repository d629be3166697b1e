// End-to-end tests of the tessaline command: each test runs the built program in a temporary
// folder and checks its files, messages and exit status.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli/commands.hpp"
#include "core/times.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings_table.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::RunProgram;
using test::TempDir;
using test::W;
using test::WriteFile;

using Result = test::ProgramResult;

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The walk's film: CR LF, Cyrillic text in Windows-1251, a text line that quotes an arrow, a
// text line holding NUL and 0xFF, a short millisecond field and a timing line with a tail.
std::string Film(std::string_view t1, std::string_view t2, std::string_view t3) {
    return Crlf({"1", t1, W("Привет, мир!"), "", "2", t2, W("— Кто там? — Это я, 2 --> 3 раза."),
                 W("Ёжик") + std::string("\0\xFF", 2), "", "3", t3, W("Ёлка"), ""});
}
const std::string kFilm = Film("00:00:01,000 --> 00:00:03,000", "00:00:04,5 --> 00:00:06,250",
                               "00:01:00,000 --> 00:01:02,000 <x1>");
// kFilm 2.5 s later, the short field "5" read as 500 ms (TimeCorrection on).
const std::string kFilmPlus2500 =
    Film("00:00:03,500 --> 00:00:05,500", "00:00:07,000 --> 00:00:08,750",
         "00:01:02,500 --> 00:01:04,500 <x1>");
// The same with TimeCorrection off: "5" is 5 ms.
const std::string kFilmPlus2500Uncorrected =
    Film("00:00:03,500 --> 00:00:05,500", "00:00:06,505 --> 00:00:08,750",
         "00:01:02,500 --> 00:01:04,500 <x1>");

std::string TwoRecords(std::string_view second) {
    return Crlf({"1", "00:00:00,500 --> 00:00:00,900", "A", "", "2", second, "B", ""});
}

// Five subtitles around the window 00:10:00 to 00:20:00; two of the lines in the ":" form.
std::string Tail(std::string_view t2, std::string_view t3) {
    // clang-format off
    return Crlf({"1", "00:10:00,000 --> 00:10:02,000", "A", "",
                 "2", t2, "B", "",
                 "3", t3, "C", "",
                 "4", "00:20:00,000 --> 00:20:01,000", "D", "",
                 "5", "00:25:00:000 --> 00:25:01:000", "E", ""});
    // clang-format on
}
const std::string kTail = Tail("00:10:00,001 --> 00:20:05,000", "00:15:00:000 --> 00:15:01:000");

const std::string kSub =
    Crlf({"Header line", "{100}{150}" + W("Текст|Ещё"), "{200}{260}{y:i}" + W("Курсив")});

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(home_);
        fs::create_directory(work_);
    }
    void TearDown() override {
        // The command line never writes the settings or the recent-files list.
        if (!iniGiven_) {
            EXPECT_FALSE(fs::exists(home_ / "Tessaline.ini"));
        }
        EXPECT_FALSE(fs::exists(home_ / "LastOpen.dat"));
    }

    Result Run(std::vector<std::string> args, const fs::path& cwd = {}) {
        args.insert(args.begin(), {"--home", home_.string()});
        return RunProgram(TESSALINE_EXE, std::move(args), cwd.empty() ? work_ : cwd, root_.path());
    }
    void Put(const fs::path& name, std::string_view bytes) {
        fs::create_directories((work_ / name).parent_path());
        WriteFile(work_ / name, bytes);
    }
    std::string Get(const fs::path& name) { return ReadFile(work_ / name); }

    TempDir root_;
    fs::path home_ = root_ / "home";
    fs::path work_ = root_ / "work";
    bool iniGiven_ = false;
};

// --- Program options, help, settings --------------------------------------------------------

TEST_F(Cli, HelpListsEveryCommandAndVersionNamesTheProgram) {
    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* name :
         {"offset-time", "offset-tail", "offset-count", "recount", "offset-frame", "convert",
          "correct", "rename-out", "delete-file", "settings"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + name + " "), std::string::npos) << name;
        const Result own = Run({name, "--help"});
        EXPECT_EQ(own.status, 0) << name;
        EXPECT_EQ(own.out.rfind(std::string("usage: tessaline ") + name, 0), 0u) << own.out;
    }
    // Every catalogued operation has its command, with a usage generated from its options.
    for (const Operation* op : Catalogue()) {
        const std::string name(op->command);
        EXPECT_NE(help.out.find("\n  " + name + " "), std::string::npos) << name;
        const Result own = Run({name, "--help"});
        EXPECT_EQ(own.out.rfind("usage: tessaline " + name + " " + UsageOf(*op) + "\n", 0), 0u)
            << own.out;
    }
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("tessaline ") && version.out.ends_with("\n") &&
                version.out.find('.') != std::string::npos)
        << version.out;
}

TEST_F(Cli, UsageErrorsExitTwoWithAMessageAndTouchNothing) {
    struct Case {
        std::vector<std::string> args;
        std::string mention;  // a text the message must contain
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{"frobnicate", "film.srt"}, "frobnicate"},
        {{"--frob", "settings"}, "--frob"},
        {{"--home"}, "--home"},
        {{"--ini", "missing.ini", "settings"}, "missing.ini"},
        {{"--set", "NoSuchKey=1", "settings"}, "NoSuchKey"},
        {{"--set", "TimeCorrection=yes", "settings"}, "TimeCorrection"},
        {{"--set", "DeltaSym=abc", "settings"}, "DeltaSym"},
        {{"--set", "TimeCorrection", "settings"}, "TimeCorrection"},
        // Out of range: the message names the key, the value and the range.
        {{"--set", "SubLineLength=0", "settings"},
         "SubLineLength takes an integer from 1 to 100, not '0'"},
        {{"--set", "SubLineLength=-1", "set-length", "film.srt"}, "'-1'"},
        {{"--set", "SubLineCount=8", "settings"}, "from 1 to 7"},
        {{"--set", "minRangeTimeMls=1000", "settings"}, "from 0 to 999"},
        {{"--set", "FramesAtSec=abc", "settings"}, "FramesAtSec"},
        {{"--set", "FramesAtSecTarget=0", "settings"}, "FramesAtSecTarget"},
        {{"--set", "DeltaSym=\t", "settings"}, "not '\\t'"},
        {{"--set", "DeltaSym=\x1b[31m", "settings"}, "not '\\x1b[31m'"},
        {{"settings", "film.srt"}, ""},
        {{"offset-time", "--frob", "00:00:01", "film.srt"}, "--frob"},
        {{"offset-time", "2.5", "film.srt"}, "2.5"},
        {{"offset-time", "00:00:02.500", "film.srt"}, "00:00:02.500"},
        {{"offset-time", "00:00:02,5", "film.srt"}, "00:00:02,5"},
        {{"offset-time", "00:60:00", "film.srt"}, "00:60:00"},
        {{"offset-time", "24:00:00", "film.srt"}, "24:00:00"},
        {{"offset-time", "film.srt"}, ""},
        {{"offset-time", "00:00:01"}, "PATH"},
        {{"offset-time", "--minus", "00:00:01", "-x.srt"}, "-x.srt"},
        {{"offset-tail", "00:00:01", "film.srt"}, "--begin"},
        {{"offset-tail", "--begin", "00:00:00", "--end", "00:01", "00:00:01", "film.srt"}, "--end"},
        {{"offset-tail", "--begin", "00:00:00", "--end", "00:01:00", "00:00:01", "*.srt"}, "mask"},
        {{"offset-count", "-1", "*.srt"}, "mask"},
        {{"offset-count", "x", "film.srt"}, "'x'"},
        {{"offset-frame", "25", "*.sub"}, "mask"},
        {{"offset-frame", "--minus", "film.sub"}, "N"},
        {{"delete-file", "--kind", "srt", "film.srt"}, "--kind"},
        {{"delete-file", "film.srt"}, "--kind"},
        {{"recount", "--minus", "film.srt"}, "--minus"},
        {{"remove-tag", "--tag", "", "film.srt"}, "--tag"},
        {{"remove-tag", "film.srt", "--tag"}, "--tag"},
        {{"check-end-letters", "--before-only", "film.srt"}, "--before-only"},
        {{"replace-timings", "film.srt"}, "--add"},
        {{"replace-timings", "--add"}, "--add"},
        {{"compare-timings", "--add", "film.srt", "*.srt"}, "mask"},
        {{"split-time-text", "*.srt"}, "mask"},
        {{"join-time-text", "--time", "film.srttime", "*.srttext"}, "mask"},
        {{"add-last-subtitle", "film.srt"}, "--text"},
    };
    Put("film.srt", kFilm);
    Put("film.sub", kSub);
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        SCOPED_TRACE(line);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
        EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
        EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.sub"}));
    }
}

// Tessaline.ini's malformed and out-of-range values: each named with its value on stderr, its
// default used, the run goes on. A NUL in the value is written as \x00 and cuts nothing.
TEST_F(Cli, IniValuesOutOfRangeAreNamedAndTheDefaultsUsed) {
    iniGiven_ = true;
    WriteFile(home_ / "Tessaline.ini",
              Crlf({"[Settings]", "SubLineLength=0", "SubLineCount=-1", "FramesAtSec=abc",
                    std::string("DeltaSym=1\0", 11) + "2", "DeltaTimeMlsOn=99999999999999"}));
    const Result r = Run({"settings"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* named : {"SubLineLength='0'", "SubLineCount='-1'", "FramesAtSec='abc'",
                              "DeltaSym='1\\x002'", "DeltaTimeMlsOn='99999999999999'"})
        EXPECT_NE(r.err.find(named), std::string::npos) << named << " in " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 5) << r.err;
    for (const char* kept : {"SubLineLength=33\n", "SubLineCount=3\n", "FramesAtSec=25\n",
                             "DeltaSym=5\n", "DeltaTimeMlsOn=200\n"})
        EXPECT_NE(r.out.find(kept), std::string::npos) << kept;

    // The all-in-one run that rewrote a film one word per line with SubLineLength=0 now keeps it.
    WriteFile(home_ / "Tessaline.ini", Crlf({"[Settings]", "SubLineLength=0"}));
    const std::string film = Crlf({"1", "00:00:01,000 --> 00:00:03,000", "Two words", ""});
    Put("film.srt", film);
    const Result chain = Run({"all-in-one", "film.srt"});
    EXPECT_NE(chain.err.find("SubLineLength='0'"), std::string::npos) << chain.err;
    EXPECT_NE(Get("film.srt").find("Two words"), std::string::npos) << Get("film.srt");
}

// Something other than a file at an input path: a folder or a FIFO is refused from its stat
// (no command waits for a writer on the FIFO) with "not a regular file"; a missing path keeps
// its own message. Every exit 1 says why.
TEST_F(Cli, InputsThatAreNoRegularFileAreRefusedWithAMessage) {
    fs::create_directory(work_ / "folder.srt");
    ASSERT_EQ(::mkfifo((work_ / "pipe.srt").c_str(), 0600), 0);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"recount", "folder.srt"}, "folder.srt: not a regular file"},
        {{"recount", "pipe.srt"}, "pipe.srt: not a regular file"},
        {{"all-in-one", "pipe.srt"}, "pipe.srt: not a regular file"},
        {{"convert", "pipe.srt"}, "pipe.srt: not a regular file"},
        {{"detect-encoding", "pipe.srt"}, "pipe.srt: not a regular file"},
        {{"show-subtitle", "--number", "1", "pipe.srt"}, "pipe.srt: not a regular file"},
        {{"rewrite-subtitle", "--number", "1", "--text", "x", "folder.srt"},
         "folder.srt: not a regular file"},
        {{"recount", "missing.srt"}, "missing.srt: File not Exists!"},
        {{"show-subtitle", "--number", "1", "missing.srt"}, "missing.srt: File not Exists!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const Result r = Run(c.args);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"folder.srt", "pipe.srt"}));
}

// A NUL or control byte in a value the file holds is escaped in the message, which goes on to
// its end.
TEST_F(Cli, ControlBytesInMessagesAreEscapedAndCutNothing) {
    // The NUL stands inside the off time, which is read as a time.
    const std::string timing(
        "00:00:01,000 --> 00:00:0\x00"
        "2,000",
        30);
    Put("a.srt", Crlf({"1", timing, "A", ""}));
    Put("b.sub", std::string("{1}{5\x00}x\r\n", 10));
    struct Case {
        std::vector<std::string> args;
        std::string shown;
    };
    const Case cases[] = {
        {{"offset-time", "00:00:01", "a.srt"}, "a.srt:2: '00:00:0\\x002' is not a valid time"},
        {{"offset-frame", "3", "b.sub"}, "b.sub:1: '5\\x00' is not a valid integer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const Result r = Run(c.args);
        EXPECT_NE(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find('\0'), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
    }
}

// The settings text: the expected defaults, every section once, with `changes` applied.
std::string ExpectedSettings(const std::vector<std::pair<std::string_view, std::string>>& changes) {
    std::string text = test::DefaultSettingsFile(true);
    for (const auto& [key, changed] : changes) {
        const std::size_t start = text.find("\n" + std::string(key) + "=") + key.size() + 2;
        text.replace(start, text.find('\n', start) - start, changed);
    }
    return text;
}

TEST_F(Cli, SettingsPrintTheIniFileAndSetOverridesInOrder) {
    const std::string homeIni = Crlf({"[Parameters]", "TimeCorrection=0"});
    const std::string otherIni = Crlf({"[Parameters]", "TimeCorrection=0", "DeltaNumCorrection=7",
                                       "[SubsListWindow]", "col3=250"});
    struct Case {
        const char* what;
        std::string homeIniText;  // Tessaline.ini of the home folder, "" = none
        std::vector<std::string> args;
        std::vector<std::pair<std::string_view, std::string>> changes;
    };
    const std::vector<Case> cases = {
        {"defaults", "", {"settings"}, {}},
        {"--set", "", {"--set", "TimeCorrection=0", "settings"}, {{"TimeCorrection", "0"}}},
        {"home ini", homeIni, {"settings"}, {{"TimeCorrection", "0"}}},
        {"--set after the ini",
         homeIni,
         {"--set", "TimeCorrection=1", "--set", "DeltaSym=9", "settings"},
         {{"DeltaSym", "9"}}},
        {"--ini instead of the home ini",
         homeIni,
         {"--ini", "../other.ini", "--set", "TimeCorrection=1", "settings"},
         {{"DeltaNumCorrection", "7"}, {"col3", "250"}}},
    };
    WriteFile(root_ / "other.ini", otherIni);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        iniGiven_ = !c.homeIniText.empty();
        if (iniGiven_) WriteFile(home_ / "Tessaline.ini", c.homeIniText);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, ExpectedSettings(c.changes));
        if (iniGiven_) {
            EXPECT_EQ(ReadFile(home_ / "Tessaline.ini"), c.homeIniText);
        }
        fs::remove(home_ / "Tessaline.ini");
    }
    EXPECT_EQ(ReadFile(root_ / "other.ini"), otherIni);
    iniGiven_ = false;
}

TEST_F(Cli, SettingsTextReadsBackAsTheSameSettings) {
    // UpCaseTextInBrackets stands in [Settings] after rows of [Parameters]; ExcludeFix keeps its
    // leading blank.
    const Result first = Run({"--set", "UpCaseTextInBrackets=1", "--set", "ExcludeFix= x!", "--set",
                              "LineCutEqual=1", "settings"});
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.out,
              ExpectedSettings(
                  {{"UpCaseTextInBrackets", "1"}, {"ExcludeFix", " x!"}, {"LineCutEqual", "1"}}));
    WriteFile(root_ / "saved.ini", first.out);
    const Result again = Run({"--ini", (root_ / "saved.ini").string(), "settings"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, first.out);
}

TEST_F(Cli, HomeFolderCanComeFromTheEnvironment) {
    iniGiven_ = true;
    WriteFile(home_ / "Tessaline.ini", Crlf({"[Parameters]", "TimeCorrection=0"}));
    Put("film.srt", kFilm);
    const Result r = RunProgram(TESSALINE_EXE, {"offset-time", "00:00:02,500", "film.srt"}, work_,
                                root_.path(), home_.string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Get("film.out"), kFilmPlus2500Uncorrected);
}

// --- One file per run ---------------------------------------------------------------------------

TEST_F(Cli, NewUsersWalk) {
    Put("film.srt", kFilm);
    Result r = Run({"offset-time", "00:00:02,500", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("film.out"), kFilmPlus2500);
    EXPECT_EQ(Get("film.srt"), kFilm);

    // A second run never overwrites the output, whatever the offset.
    r = Run({"offset-time", "00:00:01", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Output File Exist!!!\n");
    EXPECT_EQ(Get("film.out"), kFilmPlus2500);
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.out"}));

    // The replaced input goes to the desktop trash, from where it can be restored.
    r = Run({"rename-out", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "film.out replaced film.srt; the previous film.srt is in the trash\n");
    EXPECT_EQ(Listing(work_), std::set<std::string>{"film.srt"});
    EXPECT_EQ(Get("film.srt"), kFilmPlus2500);
    EXPECT_EQ(test::TrashedFile(work_ / "film.srt"), kFilm);

    r = Run({"rename-out", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Source File Not Present!!!\n");
    EXPECT_EQ(Get("film.srt"), kFilmPlus2500);
}

TEST_F(Cli, RunsAnOperationOnOneFile) {
    // The PATH is the last argument; its output is the same name with the extension "out".
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string inputText;  // "" = no such file
        int status;
        std::string err;                        // exact, after "PATH: "; "?" = some message
        std::optional<std::string> outputText;  // nullopt = no output file
    };
    const auto none = std::nullopt;
    const std::string late = Crlf({"1", "00:00:05,000 --> 00:00:06,000", "A", "", "2",
                                   "00:00:02,000 --> 00:00:03,000", "B", ""});
    const std::string count = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "7", "", "2",
                                    "00:00:03,000 --> 00:00:04,000", "x", ""});
    // The text line "7" is no subtitle number and stays.
    const std::string counted = Crlf({"0", "00:00:01,000 --> 00:00:02,000", "7", "", "1",
                                      "00:00:03,000 --> 00:00:04,000", "x", ""});
    // Blank lines after a number and between records; a text line of digits.
    const std::string numbered = Crlf({"5", "00:00:01,000 --> 00:00:02,000", "2", "", "7", "",
                                       "00:00:03,000 --> 00:00:04,000", "x", "", "", "9",
                                       "00:00:05,000 --> 00:00:06,000", "y", ""});
    const std::string renumbered = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "2", "", "2", "",
                                         "00:00:03,000 --> 00:00:04,000", "x", "", "", "3",
                                         "00:00:05,000 --> 00:00:06,000", "y", ""});
    const std::string text = W("Текст|Ещё");
    const std::string italic = "{y:i}" + W("Курсив");
    const std::string beginAfterEnd =
        "Begin Time more then End Time!\nPlease Correct Time parameters!\n";
    // clang-format off
    const std::vector<Case> cases = {
        {"TimeCorrection off", {"--set", "TimeCorrection=0", "offset-time", "00:00:02,500", "film.srt"}, kFilm, 0, "", kFilmPlus2500Uncorrected},
        {"zero offset: nothing to do", {"offset-time", "00:00:00", "film.srt"}, kFilm, 0, "", none},
        {"minus down to zero", {"offset-time", "--minus", "00:00:01", "film.srt"}, kFilm, 0, "",
         Film("00:00:00,000 --> 00:00:02,000", "00:00:03,500 --> 00:00:05,250", "00:00:59,000 --> 00:01:01,000 <x1>")},
        {"minus before the first subtitle", {"offset-time", "--minus", "01:00:00", "film.srt"}, kFilm, 1, "error\n", Crlf({"1"})},
        {"minus refused in the middle", {"offset-time", "--minus", "00:00:03", "late.srt"}, late, 1, "error\n",
         Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "", "2"})},
        {"minus refused on an off-time", {"offset-time", "--minus", "00:00:03", "odd.srt"},
         Crlf({"1", "00:00:05,000 --> 00:00:01,000", "A", ""}), 1, "error\n", Crlf({"1"})},
        {"missing file", {"offset-time", "00:00:01", "none.srt"}, "", 1, "File not Exists!\n", none},
        {"MicroDVD", {"offset-time", "00:00:01", "film.sub"}, kSub, 1, "Not Support File extension: sub\n", none},
        {"capital extension", {"offset-time", "00:00:02,500", "FILM.SRT"}, kFilm, 0, "", kFilmPlus2500},
        {"minutes out of range", {"offset-time", "00:00:01", "bad.srt"}, TwoRecords("00:61:00,000 --> 00:62:00,000"), 3, "?", none},
        {"milliseconds not a number", {"offset-time", "00:00:01", "bad.srt"}, TwoRecords("00:00:01,abc --> 00:00:02,000"), 3, "?", none},
        {"shifted past 24 hours", {"offset-time", "00:00:01", "bad.srt"}, TwoRecords("23:59:59,000 --> 23:59:59,500"), 3, "?", none},
        {"a path after --", {"offset-time", "00:00:02,500", "--", "-dash.srt"}, kFilm, 0, "", kFilmPlus2500},

        {"tail: strictly inside", {"offset-tail", "--begin", "00:10:00", "--end", "00:20:00", "00:00:01,500", "tail.srt"}, kTail, 0, "",
         Tail("00:10:01,501 --> 00:20:06,500", "00:15:01,500 --> 00:15:02,500")},
        {"tail: minus, begin with ms", {"offset-tail", "--minus", "--begin", "00:10:00,001", "--end", "00:20:00", "00:00:01", "tail.srt"}, kTail, 0, "",
         Tail("00:10:00,001 --> 00:20:05,000", "00:14:59,000 --> 00:15:00,000")},
        {"tail: begin after end", {"offset-tail", "--begin", "00:20:00", "--end", "00:10:00", "00:00:01", "tail.srt"}, kTail, 1, beginAfterEnd, none},

        {"count: negative", {"offset-count", "-1", "count.srt"}, count, 0, "", counted},
        {"count: zero", {"offset-count", "0", "count.srt"}, count, 0, "", none},
        {"recount", {"recount", "re.srt"}, numbered, 0, "", renumbered},

        {"frame: plus", {"offset-frame", "25", "film.sub"}, kSub, 0, "", Crlf({"Header line", "{125}{175}" + text, "{225}{285}" + italic})},
        {"frame: minus below zero", {"offset-frame", "--minus", "150", "film.sub"}, kSub, 0, "", Crlf({"Header line", "{-50}{0}" + text, "{50}{110}" + italic})},
        {"frame: brackets from --set", {"--set", "OpenBrackets=[", "--set", "CloseBrackets=]", "offset-frame", "25", "sq.sub"},
         Crlf({"[100][150]x", "{1}{2}y"}), 0, "", Crlf({"[125][175]x", "{1}{2}y"})},
        {"frame: SubRip", {"offset-frame", "25", "film.srt"}, kFilm, 1, "Not Support File extension: srt\n", none},
        {"frame: a tag where frames belong", {"offset-frame", "25", "tag.sub"}, Crlf({"{100}{150}a", "{y:i}b"}), 3, "?", none},
    };
    // clang-format on
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dir = work_ / std::to_string(++n);
        const fs::path input = dir / c.args.back();
        const fs::path output = fs::path(input).replace_extension(".out");
        fs::create_directory(dir);
        std::set<std::string> expected;
        if (!c.inputText.empty()) {
            WriteFile(input, c.inputText);
            expected.insert(input.filename().string());
        }
        const Result r = Run(c.args, dir);
        EXPECT_EQ(r.status, c.status);
        if (c.err == "?") {
            EXPECT_NE(r.err, "");
        } else {
            // Messages name the file they are about.
            EXPECT_EQ(r.err, c.err.empty() ? "" : c.args.back() + ": " + c.err);
        }
        if (c.outputText) {
            expected.insert(output.filename().string());
            if (fs::exists(output)) {
                EXPECT_EQ(ReadFile(output), *c.outputText);
            }
        }
        // Also: no temporary file is left behind, and the input is untouched.
        EXPECT_EQ(Listing(dir), expected);
        if (!c.inputText.empty()) {
            EXPECT_EQ(ReadFile(input), c.inputText);
        }
    }
}

TEST_F(Cli, PathsWithBlanksAndDots) {
    for (const std::string& path :
         {std::string("my subs/the film.srt"), std::string("my subs.v2/the film.srt"),
          (work_ / "abs dir/a b.srt").string()}) {
        SCOPED_TRACE(path);
        Put(path, kFilm);
        const Result r = Run({"offset-time", "00:00:02,500", path});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        const fs::path out = fs::path(path).replace_extension(".out");
        EXPECT_EQ(Get(out), kFilmPlus2500);
        EXPECT_EQ(Listing(work_ / fs::path(path).parent_path()).size(), 2u);
    }
}

TEST_F(Cli, SeveralPathsRunOneAfterAnotherAndExitWithTheHighestStatus) {
    struct Case {
        std::vector<std::string> paths;
        int status;
        std::set<std::string> outputs;
    };
    const std::vector<Case> cases = {
        {{"a.srt", "b.srt"}, 0, {"a.out", "b.out"}},
        {{"none.srt", "a.srt"}, 1, {"a.out"}},
        {{"bad.srt", "none.srt"}, 3, {}},
        {{"none.srt", "bad.srt", "a.srt", "film.sub"}, 3, {"a.out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paths.front() + "...");
        for (const auto& name : Listing(work_))
            fs::remove(work_ / name);
        Put("a.srt", kFilm);
        Put("b.srt", kFilm);
        Put("bad.srt", TwoRecords("00:61:00,000 --> 00:62:00,000"));
        Put("film.sub", kSub);
        std::vector<std::string> args{"offset-time", "00:00:02,500"};
        args.insert(args.end(), c.paths.begin(), c.paths.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, c.status);
        std::set<std::string> expected{"a.srt", "b.srt", "bad.srt", "film.sub"};
        expected.insert(c.outputs.begin(), c.outputs.end());
        EXPECT_EQ(Listing(work_), expected);
        for (const std::string& out : c.outputs)
            EXPECT_EQ(Get(out), kFilmPlus2500);
    }
}

TEST_F(Cli, DeleteFileDeletesTheFileOfTheKind) {
    Put("film.srt", kFilm);
    Put("film.fix", "report\r\n");
    Put("film.out", "out\r\n");
    Result r = Run({"delete-file", "--kind", "fix", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.out"}));
    r = Run({"delete-file", "--kind", "fix", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.fix: Source File Not Present!!!\n");
    r = Run({"delete-file", "--kind", "out", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Listing(work_), std::set<std::string>{"film.srt"});
}

// --- Masks --------------------------------------------------------------------------------------

TEST_F(Cli, MaskRunsOverEveryMatchingFileOfTheFolder) {
    const std::string numbered = Crlf({"10", "00:00:01,000 --> 00:00:02,000", "A", "", "11",
                                       "00:00:03,000 --> 00:00:04,000", "B", ""});
    const std::string shifted = Crlf({"10", "00:00:02,000 --> 00:00:03,000", "A", "", "11",
                                      "00:00:04,000 --> 00:00:05,000", "B", ""});
    for (const char* name : {"dir/a.srt", "dir/b.srt", "dir/c.srt"})
        Put(name, numbered);
    Put("dir/d.sub", kSub);
    const std::set<std::string> inputs{"a.srt", "b.srt", "c.srt", "d.sub"};
    auto with = [&](std::initializer_list<std::string> more) {
        std::set<std::string> names = inputs;
        names.insert(more);
        return names;
    };

    Result r = Run({"offset-time", "00:00:01", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.starts_with("Finding *.srt\n")) << r.out;
    EXPECT_EQ(Listing(work_ / "dir"), with({"a.out", "b.out", "c.out"}));
    for (const char* out : {"dir/a.out", "dir/b.out", "dir/c.out"})
        EXPECT_EQ(Get(out), shifted) << out;

    // Offset Time always tells; --quiet keeps stdout empty but not the messages.
    r = Run({"--quiet", "offset-time", "00:00:01", "dir/*.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "dir/a.srt: Output File Exist!!!\ndir/b.srt: Output File Exist!!!\n"
              "dir/c.srt: Output File Exist!!!\n");

    r = Run({"rename-out", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Listing(work_ / "dir"), inputs);
    EXPECT_EQ(Get("dir/b.srt"), shifted);

    r = Run({"--quiet", "recount", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("dir/c.out"), Crlf({"1", "00:00:02,000 --> 00:00:03,000", "A", "", "2",
                                      "00:00:04,000 --> 00:00:05,000", "B", ""}));

    // A file of the kind whose input is gone goes too; other kinds stay.
    Put("dir/orphan.out", "x\r\n");
    Put("dir/a.fix", "x\r\n");
    r = Run({"delete-file", "--kind", "out", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Listing(work_ / "dir"), with({"a.fix"}));

    r = Run({"offset-time", "00:00:01", "dir/*.sub"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "dir/*.sub: Not Support File extension: sub\n");
}

// A mask takes the extension in any letter case. Files that a quiet operation skips are named
// on stderr, so that the exit status 1 comes with its reason.
TEST_F(Cli, MaskTakesAnyCaseOfTheExtensionAndNamesTheSkippedFiles) {
    const std::string untidy = Crlf({"1", "00:00:01:000 --> 00:00:02:000", "Hello  World", ""});
    for (const char* name : {"dir/a.srt", "dir/B.SRT", "dir/c.Srt"})
        Put(name, untidy);
    Result r = Run({"--quiet", "correct", "dir/*.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Listing(work_ / "dir"),
              (std::set<std::string>{"a.srt", "a.out", "a.corr", "B.SRT", "B.out", "B.corr",
                                     "c.Srt", "c.out", "c.corr"}));

    fs::remove(work_ / "dir" / "a.out");
    r = Run({"--quiet", "correct", "dir/*.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "dir/B.SRT: skipped: Output File Exist!!!\n"
              "dir/c.Srt: skipped: Output File Exist!!!\n");
    EXPECT_TRUE(fs::exists(work_ / "dir" / "a.out"));
}

TEST_F(Cli, MaskInAFolderWithBlanksAndNoMatch) {
    Put("my subs/x y.srt", kFilm);
    Result r = Run({"--quiet", "offset-time", "00:00:02,500", "my subs/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Get("my subs/x y.out"), kFilmPlus2500);
    r = Run({"offset-time", "00:00:01", "my subs/*.ssa"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "my subs/*.ssa: Not Support File extension: ssa\n");
    r = Run({"recount", "my subs/*z.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Finding *z.srt\n");
}

// --- Operations log -----------------------------------------------------------------------------

TEST_F(Cli, OperationsLogGetsTheCommandWithItsFileOrFolder) {
    Put("film.srt", kFilm);
    Put("dir/a.srt", kFilm);
    Result r = Run({"offset-time", "00:00:01", "film.srt"});
    EXPECT_FALSE(fs::exists(home_ / "Operations.log"));
    fs::remove(work_ / "film.out");

    r = Run({"--set", "WriteOperationsLog=1", "offset-time", "00:00:01", "film.srt"});
    EXPECT_EQ(r.status, 0);
    const std::string single = ReadFile(home_ / "Operations.log");
    EXPECT_TRUE(single.ends_with("[Offset Time] Click | File: film.srt\r\n")) << single;

    r = Run({"--set", "WriteOperationsLog=1", "offset-time", "00:00:01", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    const std::string both = ReadFile(home_ / "Operations.log");
    EXPECT_TRUE(both.starts_with(single)) << both;
    EXPECT_EQ(both.substr(single.size()),
              "[Offset Time] Click | Type: *.srt | DirMode | Dir: dir\r\n");
}

// --- Conversion and correction ------------------------------------------------------------------

TEST_F(Cli, ASubFileOfAnotherFormatIsRefusedByEveryCommandThatReadsItAndNothingIsWritten) {
    const std::string viewer = ReadFile(test::DataDir() / "dialects" / "subviewer2.sub");
    const std::vector<std::vector<std::string>> commands = {
        {"convert"},    {"correct"},        {"offset-frame", "10"}, {"frame-test"},
        {"fix-tags"},   {"to-one-line"},    {"set-length"},         {"length-test"},
        {"all-in-one"}, {"fix-delimiters"}, {"unix-to-dos"},        {"--jobs", "2", "convert"},
    };
    for (std::vector<std::string> args : commands) {
        SCOPED_TRACE(args.back());
        Put("viewer.sub", viewer);
        args.push_back("viewer.sub");
        const Result r = Run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "viewer.sub: not a MicroDVD file (13: 00:02:17.40,00:02:20.40)\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 1);
        EXPECT_EQ(Get("viewer.sub"), viewer);
    }
    // The SubTime conversion is the one that reads it.
    const Result r = Run({"convert", "--from", "subtime", "viewer.sub"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("viewer.srt"), ReadFile(test::DataDir() / "dialects" / "subviewer2.expected"));
}

TEST_F(Cli, AConversionErrorNamesThePathAndTheLineAndShowsTheTextEscaped) {
    std::string gravity;
    for (int i = 1; i <= 12; ++i)
        gravity += "{" + std::to_string(i * 25) + "}{" + std::to_string(i * 25 + 20) + "}Line\r\n";
    Put("gravity.sub", gravity + "{223d5}{300}x\r\n");
    // Terminal control bytes and a long value: escaped, cut at 60 characters.
    Put("noise.sub", "{1}{2}ok\r\n{1\x1b[2J" + std::string(80, '9') + "}{2}x\r\n");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"convert", "gravity.sub"}, "gravity.sub:13: '223d5' is not a valid integer\n"},
        {{"offset-frame", "10", "gravity.sub"}, "gravity.sub:13: '223d5' is not a valid integer\n"},
        {{"convert", "noise.sub"},
         "noise.sub:2: '1\\x1b[2J" + std::string(55, '9') + "...' is not a valid integer\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 2);  // nothing written
    }
}

TEST_F(Cli, ConvertFollowsTheExtensionOrItsOptions) {
    Put("film.srt", Crlf({"1", "00:00:01,000 --> 00:00:02,500", W("Привет"), "there", ""}));
    Put("show.ass", Crlf({"[Events]", "Dialogue: 0,0:00:01.00,0:00:02.50,Default,,0,0,0,,A\\NB"}));
    Result r = Run({"convert", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.sub"), Crlf({"{25}{62}" + W("Привет") + "|there"}));  // 62.5 to even

    fs::rename(work_ / "film.sub", work_ / "first.sub");
    r = Run({"convert", "--fps", "23,976", "--to", "sub", "film.srt"});
    EXPECT_EQ(Get("film.sub"), Crlf({"{24}{60}" + W("Привет") + "|there"}));
    r = Run({"convert", "film.sub"});  // film.srt is there already
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.sub: Output File Exist!!!\n");

    r = Run({"convert", "show.ass"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "show.ass: Null Conv-length-file\n");
    EXPECT_EQ(Get("show.srt"), Crlf({"1", "00:00:01,000 --> 00:00:02,500", "A", "B", ""}));

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", "--to", "ass", "film.srt"},
          {"convert", "--fps", "fast", "film.srt"},
          {"convert", "--from", "subtime", "--to", "sub", "film.srt"}}) {
        EXPECT_EQ(Run(args).status, 2) << args[2];
    }
}

TEST_F(Cli, CorrectWritesTheCleanFileAndItsReport) {
    Put("film.srt", Crlf({"1", "00:00:01:000 --> 00:00:02:000", "Hello  World", "2",
                          "00:00:03,000 --> 00:00:04,000", "Bye"}));
    Result r = Run({"correct", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.out"), Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", "World", "",
                                     "2", "00:00:03,000 --> 00:00:04,000", "Bye", "", ""}));
    EXPECT_EQ(Get("film.corr"), Crlf({"1 = Correct Time Format!", "1 = Line Break on 2 Lines",
                                      "2 = Insert Space-Line! (between Subtitles Records)",
                                      ">> Checked with Time Correction!"}));

    Put("clean.srt", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Fine", ""}));
    r = Run({"--set", "TimeCorrection=0", "correct", "clean.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "clean.srt: No Need Corrections!\n");
    Put("notes.txt", "1\r\n");
    r = Run({"correct", "notes.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "notes.txt: Not Support File extension: txt\n");
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.out", "film.corr",
                                                     "clean.srt", "notes.txt"}));
}

// --- Text repairs
// ---------------------------------------------------------------------------------

// A translator typed "Привет ,мир !Как дела?" and left <i> unbalanced: the spacing and the tags
// come out clean in two steps, each listing the lines it changed.
TEST_F(Cli, TheTranslatorsFilmComesOutCleanAndTheReportsListEachChange) {
    const std::string t1 = "00:00:01,000 --> 00:00:03,000";
    const std::string t2 = "00:00:04,000 --> 00:00:06,000";
    Put("film.srt", Crlf({"1", t1, W("<i>Привет ,мир !Как дела?"), "", "2", t2,
                          W("Всё хорошо ,спасибо</i>"), W("Да ,и я"), ""}));
    Result r = Run({"fix-delimiters", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ">> 2 Fixed Strings\n");  // the status bar's summary
    EXPECT_EQ(Get("film.fix"),
              Crlf({"1 = Fix Space Around Delimiters", "2 = Fix Space Around Delimiters",
                    std::string(52, '='), ">> 2 Fixed Strings"}));
    EXPECT_EQ(Run({"rename-out", "film.srt"}).status, 0);

    r = Run({"--quiet", "fix-tags", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Get("film.out"), Crlf({"1", t1, W("<i>Привет, мир! Как дела?</i>"), "", "2", t2,
                                     W("<i>Всё хорошо, спасибо</i>"), W("Да, и я"), ""}));
    EXPECT_EQ(Get("film.tagfix"), Crlf({"1 = to line 1 add TAG </i>", "2 = to line 1 add TAG <i>",
                                        std::string(52, '='), ">> 2 Fixed Strings"}));

    // A second run refuses; the check of end letters minds no output and writes only its report.
    r = Run({"fix-tags", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Output File Exist!!!\n");
    r = Run({"check-end-letters", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.endA"), Crlf({"2 = One Letter in End of Line 2 <<< Warning >>>"}));
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.fix", "film.out",
                                                     "film.tagfix", "film.endA"}));
}

TEST_F(Cli, TextRepairCommandsTakeTheirOptionsAndMasks) {
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    const std::string loose = Crlf({"1", t, "Well , yes,sir", ""});
    for (const char* name : {"dir/a.srt", "dir/b.srt"})
        Put(name, loose);
    // Over a folder --before-only keeps its own fix and no file is told anything.
    Result r = Run({"--quiet", "fix-delimiters", "--before-only", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("dir/b.out"), Crlf({"1", t, "Well, yes,sir", ""}));
    EXPECT_EQ(Get("dir/b.fix"), Crlf({"1 = Del Space Before Delimiters"}));

    Put("tags.srt", Crlf({"1", t, "<b>x</b> <font color=red>y</font>", ""}));
    r = Run({"remove-tag", "tags.srt"});  // font, as the box holds
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("tags.out"), Crlf({"1", t, "<b>x</b> y", ""}));
    fs::remove(work_ / "tags.out");
    r = Run({"remove-tag", "--tag", "b", "tags.srt"});
    EXPECT_EQ(Get("tags.out"), Crlf({"1", t, "x <font color=red>y</font>", ""}));

    Put("dialog.sub", Crlf({"{1}{25}Go. -Now", "{26}{50}" + W("Цена 1 000")}));
    EXPECT_EQ(Run({"fix-dialog", "dialog.sub"}).status, 0);
    EXPECT_EQ(Get("dialog.out"), Crlf({"{1}{25}Go.|-Now", "{26}{50}" + W("Цена 1 000")}));
    fs::remove(work_ / "dialog.out");
    EXPECT_EQ(Run({"fix-digits", "dialog.sub"}).status, 0);
    EXPECT_EQ(Get("dialog.out"), Crlf({"{1}{25}Go. -Now", "{26}{50}" + W("Цена 1000")}));
    fs::remove(work_ / "dialog.out");
    EXPECT_EQ(Run({"reflow-tags", "dialog.sub"}).status, 0);  // no tags: nothing to do
    EXPECT_FALSE(fs::exists(work_ / "dialog.out"));

    Put("notes.txt", "1\r\n");
    for (const char* command : {"fix-delimiters", "fix-digits", "check-end-letters", "fix-dialog",
                                "remove-tag", "fix-tags", "reflow-tags"}) {
        r = Run({command, "notes.txt"});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.err, "notes.txt: Not Support File extension: txt\n") << command;
    }
    EXPECT_FALSE(fs::exists(work_ / "notes.out"));

    r = Run({"--set", "DelimitersFix=", "fix-delimiters", "dir/a.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "dir/a.srt: Not Set Delimiters!!!\n");
}

// --- Timings from a second file, split and join, the last subtitle -----------------------------

TEST_F(Cli, TimingsComeFromTheAddFile) {
    const std::string translation = Crlf({"1", "00:00:01,000 --> 00:00:02,000", W("Привет"), "",
                                          "2", "00:00:03,000 --> 00:00:04,000", W("Пока"), "", "3",
                                          "00:00:05,000 --> 00:00:06,000", W("Лишний"), ""});
    const std::string original = Crlf({"1", "00:01:01,000 --> 00:01:02,000", "Hello", "", "2",
                                       "00:01:03,000 --> 00:01:04,000", "Bye", ""});
    Put("film.srt", translation);
    Put("orig.srt", original);
    Put("orig.sub", kSub);

    Result r = Run({"replace-timings", "--add", "orig.sub", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Files has different extensions\n");
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "orig.srt", "orig.sub"}));

    r = Run({"replace-timings", "--add", "orig.srt", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.out"), Crlf({"1", "00:01:01,000 --> 00:01:02,000", W("Привет"), "", "2",
                                     "00:01:03,000 --> 00:01:04,000", W("Пока"), "", "3",
                                     "00:00:05,000 --> 00:00:06,000", W("Лишний"), ""}));
    EXPECT_EQ(Get("film.replace"),
              Crlf({"3 = Time Not Replaced: No Subtitle of This Number in Add-File!!!"}));
    fs::remove(work_ / "film.out");

    // The compare mode is a stored setting; the report is named after it.
    r = Run({"--set", "TimingsModeCompare=2", "compare-timings", "--add", "orig.srt", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Timings: Changed: 0 | Not Changed: 3 | Missing: 2\n");
    EXPECT_TRUE(fs::exists(work_ / "film.cmp2"));
    EXPECT_EQ(Get("film.out"), translation);
}

TEST_F(Cli, SplitThenJoinGivesTheFileBack) {
    Put("film.srt", kFilm);
    Result r = Run({"split-time-text", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "film.srt: Null LOG-length-file\n");
    r = Run({"split-time-text", "film.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Output File Exist!!!\n");

    // Without --time the time file is the one beside the text file.
    r = Run({"--quiet", "join-time-text", "film.srttext"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Get("film.out"), kFilm);
    fs::rename(work_ / "film.srttime", work_ / "times.txt");
    fs::remove(work_ / "film.out");
    r = Run({"--quiet", "join-time-text", "--time", "times.txt", "film.srttext"});
    EXPECT_EQ(Get("film.out"), kFilm);
}

TEST_F(Cli, TheLastSubtitleAndTheTimeCorrectionRunOverAMask) {
    const std::string overlapping = Crlf({"1", "00:00:04,000 --> 00:00:05,200", "a", "", "2",
                                          "00:00:05,000 --> 00:00:06,000", "b", ""});
    Put("dir/a.srt", overlapping);
    Put("dir/b.srt", overlapping);
    Result r = Run({"--quiet", "subtitle-time-correction", "dir/*.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("dir/b.out"), Crlf({"1", "00:00:04,000 --> 00:00:05,200", "a", "", "2",
                                      "00:00:05,201 --> 00:00:06,000", "b", ""}));
    r = Run({"--quiet", "rename-out", "dir/*.srt"});
    r = Run({"--quiet", "add-last-subtitle", "--text", "The\nEnd", "dir/a.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("dir/a.out"), Crlf({"1", "00:00:04,000 --> 00:00:05,200", "a", "", "2",
                                      "00:00:05,201 --> 00:00:06,000", "b", "", "3",
                                      "00:00:16,000 --> 00:00:17,000", "The", "End", ""}));
    fs::remove(work_ / "dir/a.out");
    r = Run({"--quiet", "delete-last-subtitle", "dir/*.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("dir/a.out"), Crlf({"1", "00:00:04,000 --> 00:00:05,200", "a", ""}));
}

// --- The range, the stretch, the tests of timings -----------------------------------------------

namespace timing {

// Three subtitles; the second lasts 0,6 s, shorter than the time test's 1,1 s.
const std::string kFilm =
    Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2", "00:00:10,000 --> 00:00:10,600", "B",
          "", "3", "00:00:30,000 --> 00:00:40,000", "C", ""});
const std::string kSub = Crlf({"{100}{150}A", "{150}{200}B|b", "{210}{205}C"});

}  // namespace timing

TEST_F(Cli, GetRangePrintsTheRangeAndWritesNothing) {
    Put("film.srt", timing::kFilm);
    Put("film.sub", timing::kSub);
    Put("film.ssa", "x\r\n");
    // The range is the whole stdout, also when status texts are left out.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"get-range", "film.srt"},
                                                 {"--quiet", "get-range", "film.srt"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out,
                  "Begin Time: 00:00:02,000\nEnd Time: 00:00:40,000\n"
                  "Full Time: 00:00:38,000\n");
    }
    Result r = Run({"--set", "BeginTimeFrameOfLastSubtitle=1", "get-range", "film.sub"});
    EXPECT_EQ(r.out, "Begin Frame: 100\nEnd Frame: 210\nFull Frames: 105\n");
    r = Run({"get-range", "film.ssa"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.ssa: Not Support File extension: ssa\n");
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.sub", "film.ssa"}));
}

TEST_F(Cli, SetTimeAndStretchRefuseAndTellAsTheirContractSays) {
    Put("film.srt", timing::kFilm);
    Put("zero.srt", Crlf({"1", "00:00:00,000 --> 00:00:00,000", "A", ""}));
    Put("film.sub", timing::kSub);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;              // after "PATH: "
        std::set<std::string> files;  // what the run added
    };
    // clang-format off
    const std::vector<Case> cases = {
        {{"set-time", "--begin", "00:00:03,500", "film.srt"}, 0, "", {"film.out"}},
        {{"set-time", "--begin", "00:00:02", "film.srt"}, 0, "", {}},  // there already
        {{"set-time"}, 2, "", {}},
        {{"set-time", "--begin", "00:00:01", "--end", "00:00:50"}, 2, "", {}},
        {{"stretch", "--new-end", "00:01:00", "film.srt"}, 0, "", {"film.out", "film.out2"}},
        {{"stretch", "--new-end", "00:00:05", "zero.srt"}, 1, "Division by Zero!", {}},
        {{"stretch", "--new-end", "500", "zero.srt"}, 1, "--new-end takes a time hh:mm:ss[,mmm] for a SubRip file, not '500'", {}},
        {{"stretch", "--new-end", "00:00:05", "film.sub"}, 1, "--new-end takes a frame number for a MicroDVD file, not '00:00:05'", {}},
        {{"stretch", "--new-end", "soon"}, 2, "", {}},
        {{"stretch-fps", "--factor", "0"}, 2, "", {}},
    };
    // clang-format on
    const std::set<std::string> inputs{"film.srt", "zero.srt", "film.sub"};
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.status == 2) args.push_back("film.srt");
        SCOPED_TRACE(args[1]);
        const Result r = Run(args);
        EXPECT_EQ(r.status, c.status);
        if (c.status != 2) {
            EXPECT_EQ(r.err, c.err.empty() ? "" : args.back() + ": " + c.err + "\n");
        }
        std::set<std::string> files = inputs;
        files.insert(c.files.begin(), c.files.end());
        EXPECT_EQ(Listing(work_), files);
        for (const std::string& name : c.files)
            fs::remove(work_ / name);
    }
    EXPECT_EQ(Run({"set-time", "--end", "00:00:39", "film.srt"}).status, 0);
    EXPECT_EQ(Get("film.out"), Crlf({"1", "00:00:01,000 --> 00:00:03,000", "A", "", "2",
                                     "00:00:09,000 --> 00:00:09,600", "B", "", "3",
                                     "00:00:29,000 --> 00:00:39,000", "C", ""}));
    const Result again = Run({"stretch", "--new-end", "00:01:00", "film.srt"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "film.srt: Output File Exist!!!\n");
}

// Range mode 1 from Begin 00:00:01 (k = 58500 / 39000 = 1.5, the first subtitle kept):
// film.srt0 is the input 1 s earlier, film.out2 the stretch put back after Begin. A zero file
// that is there already is said; the run goes on with the input as it is and exits 1.
TEST_F(Cli, StretchFromBeginWritesTheZeroFileOnce) {
    Put("film.srt", timing::kFilm);
    const std::vector<std::string> args{"--set",        "SprainRangeMode=1", "stretch",
                                        "--begin",      "00:00:01",          "--new-end",
                                        "00:00:59,500", "--keep-first",      "film.srt"};
    Result r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.srt0"), Crlf({"1", "00:00:01,000 --> 00:00:03,000", "A", "", "2",
                                      "00:00:09,000 --> 00:00:09,600", "B", "", "3",
                                      "00:00:29,000 --> 00:00:39,000", "C", ""}));
    EXPECT_EQ(Get("film.out2"), Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                                      "00:00:14,500 --> 00:00:15,400", "B", "", "3",
                                      "00:00:44,500 --> 00:00:59,500", "C", ""}));
    for (const char* name : {"film.out", "film.out2"})
        fs::remove(work_ / name);
    r = Run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Input Zero File Exist!!!\n");
    EXPECT_EQ(Listing(work_),
              (std::set<std::string>{"film.srt", "film.srt0", "film.out", "film.out2"}));
}

TEST_F(Cli, StretchFpsOverAFolderTellsOfEachExistingOutput) {
    Put("film.srt", timing::kFilm);
    Result r = Run({"stretch-fps", "film.srt"});  // 25 to 29,970
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.out"), Crlf({"1", "00:00:01,668 --> 00:00:03,337", "A", "", "2",
                                     "00:00:08,342 --> 00:00:08,842", "B", "", "3",
                                     "00:00:25,025 --> 00:00:33,367", "C", ""}));
    r = Run({"--set", "FramesAtSecTarget=25", "stretch-fps", "dir/*.srt"});
    EXPECT_EQ(r.status, 0);  // equal rates: nothing to do

    Put("dir/a.sub", timing::kSub);
    Put("dir/b.sub", timing::kSub);
    Put("dir/b.out", "old\r\n");
    r = Run({"--quiet", "--set", "FramesAtSecTarget=23,976", "stretch-fps", "dir/*.sub"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "dir/b.sub: Output File Exist!!!\n");
    EXPECT_EQ(Get("dir/a.out"), Crlf({"{104}{156}A", "{156}{209}B|b", "{219}{214}C"}));
}

TEST_F(Cli, TimeFrameTestsAndTheExtenderWriteTheirReports) {
    Put("film.srt", timing::kFilm);
    Put("film.sub", timing::kSub);
    Put("dir/a.sub", timing::kSub);
    Put("dir/a.srt", Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", ""}));
    Result r = Run({"time-test", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">> 1 Subtitles < 1,100 !\n");
    EXPECT_EQ(Get("film.time"), Crlf({"2 = This Range Time: 00:00:00,600 < 1,100",
                                      std::string(kReportSeparator), ">> 1 Subtitles < 1,100 !"}));
    r = Run({"time-test", "dir/a.srt"});
    EXPECT_EQ(r.err, "dir/a.srt: No Time Erros!\n");

    // A negative period is a message for one file and a report line over a folder.
    r = Run({"frame-test", "--min-frames", "60", "film.sub"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "film.sub: Wrong Frames Period! - Check Frames in Line {210}{205}\n");
    EXPECT_EQ(Get("film.frame"), Crlf({"{100}{150} = Very little Frames Range: 50 < 60 !",
                                       "{150}{200} = Very little Frames Range: 50 < 60 !",
                                       "{210}{205} = Wrong Frame Number! This Line"}));
    r = Run({"frame-test", "dir/*.sub"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Get("dir/a.frame"),
              Crlf({"{210}{205} = Wrong Frame Number! This Line",
                    "{210}{205} = Wrong Frames Period! - Check Frames in Line {210}{205}"}));
    EXPECT_EQ(Run({"delete-file", "--kind", "frame", "film.srt"}).status, 0);
    EXPECT_FALSE(fs::exists(work_ / "film.frame"));

    r = Run({"extend-time", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.extend"), Crlf({"2 = Extended ON-Time to On-Delta-Time: 200",
                                        "2 = Extended Delta Time on 1400 Mls"}));
    // Nothing to extend: said for one file, silent over a folder; no output is kept.
    r = Run({"extend-time", "dir/a.srt"});
    EXPECT_EQ(r.err, "dir/a.srt: No Extend Timings!\n");
    r = Run({"extend-time", "dir/*.srt"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Listing(work_ / "dir"), (std::set<std::string>{"a.srt", "a.sub", "a.frame"}));
}

// The text repairs find the records of a file as people have them (a subtitle without its number,
// with a dot before the milliseconds, or right after the text before it) and repair their text as
// in the tidy twin, writing the lines as they were: the same text lines and the same report.
TEST_F(Cli, TextRepairsRepairEveryRecordOfAFileShapedAsPeopleHaveIt) {
    const std::vector<std::string> texts = {"-Yes,sir !", W("- Правда?-Да ,правда."),
                                            "<i>Only 1 0 times", "Ready ,steady"};
    std::string tidy;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string on = "00:00:0" + std::to_string(i * 2 + 1) + ",000";
        const std::string off = "00:00:0" + std::to_string(i * 2 + 2) + ",000";
        tidy += Crlf({std::to_string(i + 1), on + " --> " + off, texts[i], ""});
    }
    // clang-format off
    const std::string shaped = Crlf({"1", "00:00:01,000 --> 00:00:02,000", texts[0], "",
                                     "00:00:03.000 --> 00:00:04.000", texts[1], "",
                                     "3", "00:00:05,000 --> 00:00:06,000", texts[2],
                                     "4", "00:00:07,000 --> 00:00:08,000", texts[3], ""});
    // clang-format on
    const auto textLines = [](const std::string& file) {
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2) {
            const std::string_view line = std::string_view(file).substr(at, end - at);
            if (!line.empty() && line.find("-->") == std::string_view::npos &&
                line.find_first_not_of("0123456789") != std::string_view::npos)
                lines.emplace_back(line);
        }
        return lines;
    };
    for (const char* command :
         {"fix-delimiters", "fix-dialog", "fix-digits", "check-end-letters", "fix-tags"}) {
        SCOPED_TRACE(command);
        std::map<std::string, std::string> written[2];
        for (int twin = 0; twin < 2; ++twin) {
            fs::remove_all(work_);
            Put("film.srt", twin == 0 ? tidy : shaped);
            EXPECT_EQ(Run({"--quiet", command, "film.srt"}).status, 0);
            for (const auto& entry : fs::directory_iterator(work_))
                written[twin][entry.path().filename().string()] = ReadFile(entry.path());
        }
        ASSERT_EQ(written[0].size(), written[1].size());
        for (const auto& [name, tidyBytes] : written[0]) {
            ASSERT_TRUE(written[1].contains(name)) << name;
            if (name == "film.srt" || name == "film.out") {
                EXPECT_EQ(textLines(written[1][name]), textLines(tidyBytes)) << name;
            } else {
                EXPECT_EQ(written[1][name], tidyBytes) << name;  // the report
            }
        }
        if (std::string(command) == "fix-delimiters") {
            // The subtitle without its number is repaired, and its lines stay as they were.
            EXPECT_NE(written[1]["film.out"].find(W("Да, правда.")), std::string::npos);
            EXPECT_NE(written[1]["film.out"].find("\r\n00:00:03.000 --> 00:00:04.000\r\n"),
                      std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// --- The text tools -----------------------------------------------------------------------------

TEST_F(Cli, SearchesPrintTheirSummaryAndTakeTheReplaceListOfTheHomeFolder) {
    Put("film.srt",
        Crlf({"1", "00:00:01,000 --> 00:00:02,000", "do it, don't do!", "- Yes, do", ""}));
    Put("film.out", "old");  // a search writes no output and minds none
    Result r = Run({"--set", "TextToFind=-", "find-text", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");  // one finding: no summary
    r = Run({"--set", "TextToFind=do", "find-text", "film.srt"});
    EXPECT_EQ(r.out, ">> 2 Finded Strings\n");
    r = Run({"--set", "TextToFind=zzz", "find-text", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "film.srt: SubString Not Present!\n");
    fs::remove(work_ / "film.out");

    r = Run({"replace-list", "film.srt"});  // no Replace.dat: nothing at all
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(work_ / "film.out"));
    WriteFile(home_ / "Replace.dat", "do=DO\r\n- =-\r\n");
    r = Run({"--quiet", "replace-list", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Get("film.out"),
              Crlf({"1", "00:00:01,000 --> 00:00:02,000", "DO it, DOn't DO!", "-Yes, DO", ""}));
}

// A KOI8-R file with Unix line ends, as they still arrive: recognised, converted with one
// command, and then read as Windows-1251.
TEST_F(Cli, RecodeDetectsAndConverts) {
    const auto [win, koi8Unix] = test::Koi8Film();
    Put("film.srt", koi8Unix);
    Result r = Run({"detect-encoding", "film.srt"});
    EXPECT_EQ(r.out, "film.srt: koi8-r (66 Cyrillic letters read as KOI8-R)\n");
    r = Run({"recode", "--from", "auto", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "film.srt: koi8-r (66 Cyrillic letters read as KOI8-R): converted to "
              "windows-1251\n");
    EXPECT_EQ(Get("film.out"), win);
    Run({"rename-out", "film.srt"});
    r = Run({"--quiet", "detect-encoding", "film.srt", "film.srt"});  // printed also when quiet
    EXPECT_EQ(r.out,
              "film.srt: windows-1251 (66 Cyrillic letters read as Windows-1251)\n"
              "film.srt: windows-1251 (66 Cyrillic letters read as Windows-1251)\n");
    r = Run({"recode", "--from", "auto", "film.srt"});
    EXPECT_TRUE(r.out.ends_with(": nothing to convert\n")) << r.out;
    EXPECT_FALSE(fs::exists(work_ / "film.out"));

    // The existing output is named over a folder too.
    EXPECT_EQ(Run({"recode", "--to", "utf-8", "film.srt"}).status, 0);
    r = Run({"recode", "--to", "utf-8", "*.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "film.srt: Output File Exist!!!\n");
}

TEST_F(Cli, TextToolsRefuseAsTheySay) {
    Put("film.srt", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "HELLO (THERE)", ""}));
    Put("film.ssa", "x\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // the start of stderr
    } cases[] = {
        {{"recode", "film.srt"},
         2,
         "tessaline recode: give exactly one of --to ENC and --from ENC"},
        {{"recode", "--to", "koi8-r", "--from", "mac", "film.srt"}, 2, "tessaline recode: give"},
        {{"recode", "--to", "auto", "film.srt"}, 2, "tessaline recode: --to takes"},
        {{"change-case", "upper", "film.srt"}, 2, "tessaline change-case: MODE takes"},
        {{"change-case", "lower", "*.srt"}, 2, "tessaline change-case: works on one file"},
        {{"unix-to-dos", "film.srt"}, 1, "film.srt: This is Not Unix-formatted file!\n"},
        {{"any-to-dos", "film.ssa"}, 1, "film.ssa: Not Support File extension: ssa\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
    }
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.ssa"}));

    // Changing case works in place, silently.
    const Result r = Run({"change-case", "words", "film.srt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(Get("film.srt"), Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello (THERE)", ""}));
}

// On a terminal a run shows its progress line on stderr and erases it at the end; --quiet and
// a pipe (every other test here) show none. `script` gives the program a terminal.
TEST_F(Cli, ProgressLineOnATerminalOnly) {
    std::string film;
    for (int i = 1; i <= 20000; ++i) {
        film += std::to_string(i) + "\r\n00:00:01,000 --> 00:00:02,000\r\nText\r\n\r\n";
    }
    Put("film.srt", film);
    const auto onTerminal = [&](const std::string& options) {
        const std::string command = "TESSALINE_PROGRESS_DELAY=0 '" + std::string(TESSALINE_EXE) +
                                    "' --home '" + home_.string() + "' " + options +
                                    " recount film.srt; rm -f film.out";
        return RunProgram("/usr/bin/script", {"-qec", command, "/dev/null"}, work_, root_.path());
    };
    const Result shown = onTerminal("");
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("% of 0.9 MB"), std::string::npos) << shown.out;
    EXPECT_TRUE(shown.out.ends_with("\r\x1b[K")) << shown.out;  // erased at the end
    const Result quiet = onTerminal("--quiet");
    EXPECT_EQ(quiet.out.find("\x1b[K"), std::string::npos) << quiet.out;
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// Forty subtitles of 1 to 3 s with pauses of 1 to 3 s, moved by `offset` milliseconds.
std::string SpokenFilm(std::int64_t offset, unsigned seed) {
    std::string text;
    std::int64_t t = 5000;
    for (int i = 1; i <= 40; ++i) {
        seed = seed * 1103515245 + 12345;
        const std::int64_t length = 1000 + seed / 65536 % 2000;
        seed = seed * 1103515245 + 12345;
        const std::int64_t pause = 1000 + seed / 65536 % 2000;
        text += Crlf({std::to_string(i),
                      MakeTimingLine(static_cast<TimeMs>(t + offset),
                                     static_cast<TimeMs>(t + length + offset)),
                      "<i>Line " + std::to_string(i) + "</i>", ""});
        t += length + pause;
    }
    return text;
}

TEST_F(Cli, SyncTakesAReferenceAndRefusesWhatDoesNotMatch) {
    Put("ref.srt", SpokenFilm(0, 1));
    Put("film.srt", SpokenFilm(2345, 1));
    Put("other.srt", SpokenFilm(0, 2));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"sync", "film.srt"},
             {"sync", "--to", "film.mkv", "--reference", "ref.srt", "film.srt"},
             {"sync", "--reference", "ref.srt", "--splits", "--no-splits", "film.srt"},
             {"sync", "--reference", "ref.srt", "--max-offset", "0", "film.srt"},
             {"sync", "--reference", "ref.srt", "--split-penalty", "-1", "film.srt"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(r.err.starts_with("tessaline sync: ")) << r.err;
    }
    EXPECT_EQ(Listing(work_), (std::set<std::string>{"ref.srt", "film.srt", "other.srt"}));

    Result r = Run({"sync", "--reference", "ref.srt", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.out"), SpokenFilm(0, 1));
    EXPECT_TRUE(Get("film.sync").starts_with("Synced to ref.srt\r\nRatio: 1\r\nConfidence: "));

    r = Run({"sync", "--reference", "other.srt", "--splits", "ref.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("ref.srt: ref.srt does not match other.srt (confidence "))
        << r.err;
    EXPECT_FALSE(fs::exists(work_ / "ref.out"));
    EXPECT_FALSE(fs::exists(work_ / "ref.sync"));
}

}  // namespace
}  // namespace tessaline
