#include "app/session.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "files/recording_host.hpp"
#include "ops/directory_codes.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::WriteFile;
using Lines = std::vector<std::string>;

const std::string kSrt = Crlf(
    {"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2", "00:00:03,000 --> 00:00:04,000", "b"});
const std::string kSrtPlus1s = Crlf(
    {"1", "00:00:02,000 --> 00:00:03,000", "a", "", "2", "00:00:04,000 --> 00:00:05,000", "b"});
const std::string kMisnumbered = Crlf(
    {"7", "00:00:01,000 --> 00:00:02,000", "a", "", "9", "00:00:03,000 --> 00:00:04,000", "b"});
using Names = std::set<std::string>;

// The program folder is the temporary folder; subtitles live in its "subs" folder.
class SessionTest : public ::testing::Test {
  protected:
    SessionTest() {
        fs::create_directory(subs);
        session.controls.Set("dtpOffsetTime", "00:00:01");
    }

    std::string Sub(std::string_view name) const { return (subs / name).string(); }
    void Put(std::string_view name, std::string_view bytes = kSrt) const {
        WriteFile(subs / name, bytes);
    }
    void Clear() const {
        fs::remove_all(subs);
        fs::create_directory(subs);
    }
    Names Listing() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(subs))
            names.insert(entry.path().filename().string());
        return names;
    }
    // Starts and opens a file of "subs" (created when missing), then sets directory mode.
    void Open(std::string_view name, bool directoryMode = false) {
        session.Start();
        if (!fs::exists(subs / name)) Put(name);
        ASSERT_EQ(session.OpenSubtitleFile(Sub(name)), Outcome::Ok);
        session.SetDirectoryMode(directoryMode);
        host.messages.clear();
        host.messageFiles.clear();
    }

    test::TempDir dir;
    fs::path subs = dir / "subs";
    RecordingHost host;
    Session session{host, dir.path().string()};
};

TEST_F(SessionTest, StartTakesTheDefaultsAndReadsTheListsOfTheProgramFolder) {
    session.Start();
    EXPECT_EQ(session.settings().ToIniText(), test::DefaultSettingsFile(true));
    EXPECT_EQ(session.diaBreaks, (Lines{". -", "! -", "? -"}));
    EXPECT_TRUE(session.recentFiles.empty() && session.openFile.empty());

    WriteFile(dir / "DiaBreak.dat", "");
    session.Start();
    EXPECT_EQ(session.diaBreaks, (Lines{". -", "! -", "? -"}));
    WriteFile(dir / "DiaBreak.dat", "; -\r\n: -\r\n");
    std::string recent;
    for (int i = 0; i < 12; ++i)
        recent += "/f" + std::to_string(i) + ".srt\r\n";
    WriteFile(dir / "LastOpen.dat", recent);
    session.Start();
    EXPECT_EQ(session.diaBreaks, (Lines{"; -", ": -"}));
    ASSERT_EQ(session.recentFiles.size(), 10u);
    EXPECT_EQ(session.recentFiles.back(), "/f9.srt");
}

TEST_F(SessionTest, AWrongPathKeepsThePreviousFile) {
    Open("film.srt");
    const struct {
        std::string path;
        std::string message;
    } cases[] = {{"", "Path to File is Wrong!"},
                 {" " + Sub("film.srt"), "Path to File is Wrong!"},
                 {Sub("none.srt"), "File not Exists!"}};
    for (const auto& c : cases) {
        host.messages.clear();
        EXPECT_EQ(session.OpenSubtitleFile(c.path), Outcome::Refused);
        EXPECT_EQ(host.messages, Lines{c.message});
        EXPECT_EQ(session.openFile + session.outputPath + session.currentExt,
                  Sub("film.srt") + Sub("film.out") + "srt");
    }
}

TEST_F(SessionTest, OpeningSetsPathsAndPresetsTheConversion) {
    const struct {
        const char* name;
        const char* ext;
        int subToSub;  // after starting from item 2
    } cases[] = {{"film.srt", "srt", 1},
                 {"film.sub", "sub", 0},
                 {"film.ssa", "ssa", 3},
                 {"film.ass", "ass", 3},
                 {"film.SRT", "SRT", 2}};
    session.Start();
    for (const auto& c : cases) {
        Put(c.name);
        session.controls.SetNumber("cbSubToSub", 2);
        ASSERT_EQ(session.OpenSubtitleFile(Sub(c.name)), Outcome::Ok);
        EXPECT_EQ(session.currentExt, c.ext);
        EXPECT_EQ(session.controls.Int("cbSubToSub"), c.subToSub) << c.name;
        EXPECT_EQ(session.outputPath, Sub("film.out"));
        EXPECT_EQ(session.folder, subs.string());
        EXPECT_EQ(session.settings().Text("LastDir"), subs.string());
    }
}

TEST_F(SessionTest, TheDialogKeepsTenRecentFilesNewestFirst) {
    session.Start();
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 5}) {
        Put("f" + std::to_string(i) + ".srt");
        session.OpenFromDialog(Sub("f" + std::to_string(i) + ".srt"));
    }
    ASSERT_EQ(session.recentFiles.size(), 10u);
    EXPECT_EQ(session.recentFiles.front(), Sub("f10.srt"));
    EXPECT_EQ(session.recentFiles[5], Sub("f5.srt"));
    EXPECT_EQ(session.recentFiles.back(), Sub("f1.srt"));
}

TEST_F(SessionTest, ExitWritesTheRecentListAndEveryKey) {
    WriteFile(dir / "Tessaline.ini", Crlf({"[Settings]", "DeltaSym=9", "Mine=1", "[Parameters]",
                                           "LastOpenFileString=/kept.srt", "[Extra]", "k=v"}));
    Put("a.srt");
    Open("b.srt");
    EXPECT_EQ(session.settings().Int("DeltaSym"), 9);
    session.OpenFromDialog(Sub("a.srt"));
    session.OpenFromDialog(Sub("b.srt"));
    session.Exit();

    EXPECT_EQ(ReadFile(dir / "LastOpen.dat"), Crlf({Sub("b.srt"), Sub("a.srt")}));
    const IniFile ini = IniFile::Load((dir / "Tessaline.ini").string());
    EXPECT_EQ(Lines(ini.lines().begin(), ini.lines().begin() + 3),
              (Lines{"[Settings]", "DeltaSym=9", "Mine=1"}));
    EXPECT_EQ(ini.Get("Settings", "LastDir"), subs.string());
    EXPECT_EQ(ini.Get("Parameters", "TimeCorrection"), "1");  // missing: written with its default
    EXPECT_EQ(ini.Get("Parameters", "LastOpenFileString"), "/kept.srt");  // its flag is 0
    EXPECT_EQ(ini.Get("Extra", "k"), "v");
}

TEST_F(SessionTest, ARememberedFileIsOpenAtStartWhenItsFlagIsOn) {
    WriteFile(dir / "Tessaline.ini", Crlf({"[Parameters]", "SaveLastOpenFileString=1",
                                           "LastOpenFileString=" + Sub("x.srt")}));
    session.Start();
    EXPECT_EQ(session.openFile + session.outputPath + session.currentExt,
              Sub("x.srt") + Sub("x.out") + "srt");
}

// Enter in the open-file box: a file that opens goes first in the recent list; in directory
// mode a typed folder and mask is what the next command runs over.
TEST_F(SessionTest, TheBoxOpensATypedPathOrMask) {
    Open("film.srt");
    EXPECT_EQ(session.OpenFromBox(Sub("gone.srt")), Outcome::Refused);
    EXPECT_EQ(host.messages, Lines{"File not Exists!"});
    EXPECT_TRUE(session.recentFiles.empty());
    Put("second.srt");
    EXPECT_EQ(session.OpenFromBox(Sub("second.srt")), Outcome::Ok);
    EXPECT_EQ(session.OpenFromBox(Sub("second.srt")), Outcome::Ok);
    EXPECT_EQ(session.recentFiles, Lines{Sub("second.srt")});
    EXPECT_EQ(session.openFile, Sub("second.srt"));

    const fs::path other = dir / "other";
    fs::create_directory(other);
    WriteFile(other / "x.srt", kSrt);
    session.SetDirectoryMode(true);
    host.messages.clear();
    EXPECT_EQ(session.OpenFromBox((dir / "missing" / "*.srt").string()), Outcome::Refused);
    EXPECT_EQ(host.messages, Lines{"File not Exists!"});
    EXPECT_EQ(session.openFile, Sub("*.srt"));

    EXPECT_EQ(session.OpenFromBox((other / "*.srt").string()), Outcome::Ok);
    EXPECT_EQ(session.openFile, (other / "*.srt").string());
    EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::Ok);
    EXPECT_EQ(ReadFile(other / "x.out"), kSrtPlus1s);
    EXPECT_FALSE(fs::exists(subs / "second.out"));
    EXPECT_EQ(session.recentFiles, Lines{Sub("second.srt")});  // a mask is no file to remember
}

// The add-file box is the second input of the two-file operations and is remembered like the
// open file when its flag is on.
TEST_F(SessionTest, TheAddFileBoxFeedsTheOperationsAndIsRemembered) {
    WriteFile(dir / "Tessaline.ini", Crlf({"[Parameters]", "SaveLastOpenAddFileString=1",
                                           "LastOpenAddFileString=" + Sub("orig.srt")}));
    Put("orig.srt", Crlf({"1", "00:01:00,000 --> 00:01:01,000", "x", "", "2",
                          "00:01:03,000 --> 00:01:04,000", "y", ""}));
    Open("film.srt");
    EXPECT_EQ(session.openAddFile(), Sub("orig.srt"));
    EXPECT_EQ(session.Click("btnReplaceTimingsSub"), Outcome::Ok);
    EXPECT_EQ(ReadFile(subs / "film.out"), Crlf({"1", "00:01:00,000 --> 00:01:01,000", "a", "", "2",
                                                 "00:01:03,000 --> 00:01:04,000", "b", ""}));

    EXPECT_EQ(session.OpenAddFile(" x.srt"), Outcome::Refused);
    EXPECT_EQ(session.openAddFile(), Sub("orig.srt"));
    EXPECT_EQ(session.OpenAddFile(Sub("other.srt")), Outcome::Ok);
    session.Exit();
    const IniFile ini = IniFile::Load((dir / "Tessaline.ini").string());
    EXPECT_EQ(ini.Get("Parameters", "LastOpenAddFileString"), Sub("other.srt"));
}

TEST_F(SessionTest, DirectoryModeTurnsTheOpenFileIntoAMask) {
    session.Start();
    session.controls.Set("cbSubExt", "*.ass");
    session.SetDirectoryMode(true);
    EXPECT_EQ(session.subExtMask(), "*.srt");  // nothing open: the first mask

    Open("film.srt", true);
    EXPECT_EQ(session.openFile, Sub("*.srt"));
    EXPECT_EQ(session.outputPath, Sub("*.out"));
    EXPECT_EQ(session.subExtMask(), "*.srt");
    session.controls.Set("cbOutExt", "*.fix");
    session.SetDirectoryMode(false);
    EXPECT_EQ(session.outExt(), "*.out");
    EXPECT_EQ(session.openFile, Sub("*.srt"));
}

TEST_F(SessionTest, DirectoryRunsWriteEachOutputOnceAndRefuseTheSecondRun) {
    const struct {
        const char* button;
        const std::string& input;
        const std::string& output;
    } cases[] = {{"btnOffsetTimeMls", kSrt, kSrtPlus1s}, {"btnOffsetReCount", kMisnumbered, kSrt}};
    for (const auto& c : cases) {
        Clear();
        for (const char* name : {"a.srt", "b.srt", "c.srt", "x.sub"})
            Put(name, c.input);
        Open("a.srt", true);
        EXPECT_EQ(session.Click(c.button), Outcome::Ok);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(Listing(),
                  (Names{"a.out", "a.srt", "b.out", "b.srt", "c.out", "c.srt", "x.sub"}));
        for (const char* name : {"a.out", "b.out", "c.out"})
            EXPECT_EQ(ReadFile(subs / name), c.output) << name;

        EXPECT_EQ(session.Click(c.button), Outcome::Refused);
        EXPECT_EQ(host.messages, Lines(3, "Output File Exist!!!"));
        // Each message says which file it is about; afterwards no file is named.
        EXPECT_EQ(host.messageFiles, (Lines{Sub("a.srt"), Sub("b.srt"), Sub("c.srt")}));
        EXPECT_EQ(host.currentFile, "");
        EXPECT_EQ(ReadFile(subs / "b.out"), c.output);
    }
}

TEST_F(SessionTest, AConversionErrorInOneFileLeavesTheOthersDone) {
    Put("c.srt");
    Put("b.srt", Crlf({"1", "00:00:01,000 --> 00:61:00,000", "b"}));
    Open("a.srt", true);
    EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::ConversionFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    // The window's message names the line; its title names the file.
    EXPECT_TRUE(host.messages[0].starts_with("Line 2: ")) << host.messages[0];
    EXPECT_NE(host.messages[0].find("61"), std::string::npos) << host.messages[0];
    EXPECT_EQ(Listing(), (Names{"a.out", "a.srt", "b.srt", "c.out", "c.srt"}));
}

TEST_F(SessionTest, OffsetTimeRefusesAFileThatIsNoSubRip) {
    Open("film.sub");
    EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::WrongExtension);
    EXPECT_EQ(Listing(), Names{"film.sub"});
}

TEST_F(SessionTest, OperationsHonourTimeCorrectionFromTheIniFile) {
    const struct {
        const char* timeCorrection;
        bool directoryMode;
        const char* timing;
    } cases[] = {{"1", false, "00:00:02,500 --> 00:00:03,500"},
                 {"0", false, "00:00:02,005 --> 00:00:03,050"},
                 {"0", true, "00:00:02,005 --> 00:00:03,050"}};
    for (const auto& c : cases) {
        WriteFile(dir / "Tessaline.ini",
                  Crlf({"[Parameters]", std::string("TimeCorrection=") + c.timeCorrection}));
        Clear();
        Put("film.srt", Crlf({"1", "00:00:01,5 --> 00:00:02,50", "a"}));
        Open("film.srt", c.directoryMode);
        EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::Ok);
        EXPECT_EQ(ReadFile(subs / "film.out"), Crlf({"1", c.timing, "a"})) << c.timeCorrection;
    }
}

TEST_F(SessionTest, RenameOutFileReplacesTheSingleFile) {
    Open("film.srt");
    EXPECT_EQ(session.Click("btnRenameFile"), Outcome::Refused);
    EXPECT_EQ(host.messages, Lines{"Source File Not Present!!!"});

    host.messages.clear();
    Put("film.out", kSrtPlus1s);
    EXPECT_EQ(session.Click("btnRenameFile"), Outcome::Ok);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Listing(), Names{"film.srt"});
    EXPECT_EQ(ReadFile(subs / "film.srt"), kSrtPlus1s);
    EXPECT_EQ(session.openFile, Sub("film.srt"));
}

TEST_F(SessionTest, RenameOutFileInDirectoryModeIsSilent) {
    Put("a.out", "A");
    Put("b.out", "B");
    Put("b.srt");
    Put("c.srt");
    Open("a.srt", true);
    EXPECT_EQ(session.Click("btnRenameFile"), Outcome::Ok);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Listing(), (Names{"a.srt", "b.srt", "c.srt"}));
    EXPECT_EQ(ReadFile(subs / "a.srt") + ReadFile(subs / "b.srt"), "AB");
    EXPECT_EQ(ReadFile(subs / "c.srt"), kSrt);
    EXPECT_EQ(session.openFile, Sub("*.srt"));
}

TEST_F(SessionTest, DeleteFileTrashesTheSelectedKindAndKeepsIt) {
    for (bool directoryMode : {false, true}) {
        Clear();
        for (const char* name : {"a.fix", "b.fix", "a.out"})
            Put(name, name);
        Open("a.srt", directoryMode);
        session.controls.Set("cbOutExt", "*.fix");
        EXPECT_EQ(session.Click("btnDeleteFile"), Outcome::Ok);
        // The chooser stays: a second click must not move on to the outputs.
        EXPECT_EQ(session.outExt(), "*.fix");
        EXPECT_EQ(Listing(),
                  directoryMode ? Names({"a.srt", "a.out"}) : Names({"a.srt", "b.fix", "a.out"}));
        EXPECT_EQ(test::TrashedFile(subs / "a.fix"), "a.fix") << directoryMode;
    }
}

TEST_F(SessionTest, IndicatorsShowTheOutputAndTheSelectedReport) {
    const struct {
        std::vector<const char*> files;
        const char* logExt;
        bool out;
        bool log;
    } cases[] = {{{}, "*.corr", false, false},
                 {{"film.out"}, "*.corr", true, false},
                 {{"film.corr"}, "*.corr", false, true},
                 {{"film.out", "film.corr"}, "*.fix", true, false},
                 {{"film.corr"}, "", false, false}};
    Open("film.srt");
    for (const auto& c : cases) {
        for (const char* name : {"film.out", "film.corr"})
            fs::remove(subs / name);
        for (const char* name : c.files)
            Put(name);
        session.controls.Set("cbLogExt", c.logExt);
        session.RefreshIndicators();
        EXPECT_EQ(session.outFileVisible, c.out);
        EXPECT_EQ(session.logFileVisible, c.log) << c.logExt;
    }
}

TEST_F(SessionTest, HandlersLogTheirActionWhenTheSettingIsOn) {
    Open("film.srt");
    session.Click("btnOffsetTimeMls");
    EXPECT_FALSE(fs::exists(dir / "Operations.log"));

    session.settings().SetBool("WriteOperationsLog", true);
    fs::remove(subs / "film.out");
    session.Click("btnOffsetTimeMls");
    session.controls.Set("cbOutExt", "*.fix");
    session.Click("btnDeleteFile");
    session.SetDirectoryMode(true);
    session.LogOperation("[Offset Time] Click", 1);
    session.LogOperation("[Delete] Click", 2);
    session.LogOperation("[Other]", 3);
    const std::string dirMode = " | DirMode | Dir: " + subs.string();
    EXPECT_EQ(ReadFile(dir / "Operations.log"),
              Crlf({"[Offset Time] Click | File: " + Sub("film.srt"),
                    "[Delete] Click | Mask: *.fix", "[Offset Time] Click | Type: *.srt" + dirMode,
                    "[Delete] Click | Mask: *.fix" + dirMode, "[Other]"}));
}

// A command that replaces the open file opens it again without a log line of its own: the log
// gets the command's line only.
TEST_F(SessionTest, AReplacingCommandLogsOneLine) {
    const struct {
        const char* control;
        bool output;  // film.out made before the click
        const char* line;
    } cases[] = {
        {"btnAllInOne", false, "[All In One] Click | File: "},
        {"btnRenameFile", true, "[Rename out-File] Click | File: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        Clear();
        session.settings().SetBool("WriteOperationsLog", true);
        Open("film.srt");
        if (c.output) Put("film.out", kSrtPlus1s);
        fs::remove(dir / "Operations.log");
        EXPECT_EQ(session.Click(c.control), Outcome::Ok);
        EXPECT_EQ(session.openFile, Sub("film.srt"));
        EXPECT_EQ(ReadFile(dir / "Operations.log"), Crlf({c.line + Sub("film.srt")}));
    }
}

TEST(DirectoryCodes, EveryCodeHasItsRow) {
    const std::set<int> interactive = {1, 2, 3, 10, 11, 14, 15, 21, 23, 27, 28};
    const std::set<int> noOutput = {0, 6, 7, 8, 11, 24, 47};
    for (int code = 0; code <= 48; ++code) {
        const DirectoryOperation* op = FindDirectoryOperation(code);
        ASSERT_NE(op, nullptr) << code;
        EXPECT_EQ(op->code, code);
        EXPECT_EQ(op->interactive, interactive.contains(code)) << code;
        std::string_view ext = noOutput.contains(code) ? "" : "out";
        if (code == 2 || code == 15 || code == 27) ext = "srt";
        if (code == 3) ext = "sub";
        EXPECT_EQ(op->outputExt, ext) << code;
    }
    EXPECT_EQ(FindDirectoryOperation(26)->name, "Offset Time");
    for (int code : {49, 100, -1})
        EXPECT_EQ(FindDirectoryOperation(code), nullptr) << code;
}

// "Sub --> Sub" names its output after the target format and honours the rate setting;
// "Subtitles Correction" writes film.out and film.corr, in both modes.
TEST_F(SessionTest, ConversionAndCorrectionRunForTheFileAndOverAFolder) {
    Put("film.sub", Crlf({"{25}{50}Hello|World", "{75}{100}Bye"}));
    Open("film.sub");
    EXPECT_EQ(session.controls.Int("cbSubToSub"), 0);  // preset: sub --> srt
    session.settings().SetText("FramesAtSec", "50");
    EXPECT_EQ(session.Click("btnSubToSub"), Outcome::Ok);
    EXPECT_EQ(ReadFile(subs / "film.srt"),
              Crlf({"1", "00:00:00,500 --> 00:00:01,000", "Hello", "World", "", "2",
                    "00:00:01,500 --> 00:00:02,000", "Bye", ""}));
    EXPECT_EQ(session.Click("btnSubToSub"), Outcome::Refused);  // film.srt exists now
    EXPECT_EQ(host.messages, Lines{"Output File Exist!!!"});

    Put("two.srt", kMisnumbered);
    Open("film.srt", true);  // directory mode over *.srt: film.srt and two.srt
    EXPECT_EQ(session.Click("btnSubtitlesCorrection"), Outcome::Ok);
    EXPECT_EQ(Listing(), (Names{"film.sub", "film.srt", "film.out", "film.corr", "two.srt",
                                "two.out", "two.corr"}));
    EXPECT_EQ(ReadFile(subs / "two.corr"), Crlf({">> Checked with Time Correction!"}));
    EXPECT_EQ(host.reportKind, "*.corr");
    EXPECT_EQ(session.outExt(), "*.corr");
    EXPECT_TRUE(host.messages.empty());  // code 16 runs without messages
}

TEST_F(SessionTest, TheReplaceListDoesNothingWithoutPairs) {
    session.settings().SetBool("WriteOperationsLog", true);
    Open("film.srt");
    fs::remove(dir / "Operations.log");
    EXPECT_EQ(session.Click("btnReplaceList"), Outcome::Ok);
    WriteFile(dir / "Replace.dat", "\r\n");
    EXPECT_EQ(session.Click("btnReplaceList"), Outcome::Ok);
    EXPECT_EQ(Listing(), Names{"film.srt"});
    EXPECT_FALSE(fs::exists(dir / "Operations.log"));

    // With pairs, over a folder: each file without messages (code 30).
    WriteFile(dir / "Replace.dat", "a=A\r\nb=B\r\n");
    Put("two.srt");
    session.SetDirectoryMode(true);
    EXPECT_EQ(session.Click("btnReplaceList"), Outcome::Ok);
    EXPECT_EQ(ReadFile(subs / "two.out"), Crlf({"1", "00:00:01,000 --> 00:00:02,000", "A", "", "2",
                                                "00:00:03,000 --> 00:00:04,000", "B"}));
    EXPECT_EQ(Listing(),
              (Names{"film.srt", "film.out", "film.sym", "two.srt", "two.out", "two.sym"}));
    EXPECT_EQ(session.Click("btnReplaceList"), Outcome::Refused);  // the outputs exist
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadFile(dir / "Operations.log"),
              Crlf({"[Replace List] Click | Type: *.srt | DirMode | Dir: " + subs.string(),
                    "[Replace List] Click | Type: *.srt | DirMode | Dir: " + subs.string()}));
}

TEST_F(SessionTest, FolderRunsOfTheTextTools) {
    Put("two.srt");
    Open("film.srt", true);
    // Find text speaks for each file (code 11).
    session.settings().SetText("TextToFind", "zzz");
    EXPECT_EQ(session.Click("btnFindText"), Outcome::Ok);
    EXPECT_EQ(host.messages, Lines(2, "SubString Not Present!"));
    EXPECT_EQ(host.messageFiles, (Lines{Sub("film.srt"), Sub("two.srt")}));
    // Changing case has no folder mode: with a mask in the box nothing happens.
    EXPECT_EQ(session.Click("mnTextToUpLoCase"), Outcome::Ok);
    EXPECT_EQ(ReadFile(subs / "film.srt"), kSrt);
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// "Del Space b4:" runs its own fix over a folder too, and logs its own text; the end-letter
// check minds no existing output; the dialogue fix reads DiaBreak.dat of the program folder.
TEST_F(SessionTest, TextRepairsRunWithTheirButtonsVariantsAndLists) {
    const std::string loose = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Yes,sir !", "", "2",
                                    "00:00:03,000 --> 00:00:04,000", "Go; -now", ""});
    Put("a.srt", loose);
    Put("b.srt", loose);
    Open("a.srt", true);
    session.settings().SetBool("WriteOperationsLog", true);
    EXPECT_EQ(session.Click("btnSubDelSpaceBeforeDelimiters"), Outcome::Ok);
    EXPECT_TRUE(host.messages.empty());
    for (const char* name : {"a.out", "b.out"}) {
        EXPECT_EQ(ReadFile(subs / name),
                  Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Yes,sir!", "", "2",
                        "00:00:03,000 --> 00:00:04,000", "Go; -now", ""}))
            << name;
    }
    EXPECT_EQ(ReadFile(subs / "a.fix"), Crlf({"1 = Del Space Before Delimiters"}));
    EXPECT_EQ(ReadFile(dir / "Operations.log"),
              Crlf({"[Del Space b4:] Click | Type: *.srt | DirMode | Dir: " + subs.string()}));

    WriteFile(dir / "DiaBreak.dat", Crlf({"; -"}));
    session.SetDirectoryMode(false);
    Open("a.srt");  // starts again: reads DiaBreak.dat
    fs::remove(subs / "a.out");
    EXPECT_EQ(session.Click("btnFixSubDialog"), Outcome::Ok);
    EXPECT_EQ(ReadFile(subs / "a.DiaFix"), Crlf({"2 = Line Break on 2 Dialog Lines"}));
    EXPECT_EQ(session.Click("btnCheckEndLetters"), Outcome::Ok);  // a.out exists
    EXPECT_EQ(ReadFile(subs / "a.endA"), Crlf({"1 = One Letter in End of Line 1 <<< Warning >>>"}));
    EXPECT_EQ(session.logExt(), "*.endA");
    EXPECT_TRUE(session.logFileVisible);
    EXPECT_TRUE(host.messages.empty());

    session.controls.Set("edSubTagToRemove", "");
    fs::remove(subs / "a.out");
    EXPECT_EQ(session.Click("btnSubTagRemove"), Outcome::Refused);
    EXPECT_EQ(host.messages, Lines{"Not Set TAG to Remove!!!"});
    EXPECT_FALSE(fs::exists(subs / "a.out"));
}

// A folder run on several threads leaves what a run one file after another leaves: the same
// files byte for byte, the same messages in name order, the same log and outcome.
TEST_F(SessionTest, SeveralJobsGiveTheResultOfOne) {
    const auto runAll = [&](int jobs) {
        Clear();
        for (int i = 0; i < 12; ++i) {
            std::string name = "f" + std::to_string(10 + i) + ".srt";
            Put(name, i == 3   ? Crlf({"1", "00:00:01,000 --> 00:61:00,000", "bad"})
                      : i == 7 ? kMisnumbered
                               : kSrt);
        }
        Put("f15.out", "taken\r\n");
        session.settings().SetBool("WriteOperationsLog", true);
        fs::remove(dir / "Operations.log");
        session.SetDirectoryMode(false);
        Open("f10.srt", true);
        session.jobs = jobs;
        host.messages.clear();
        host.messageFiles.clear();
        host.skipped.clear();
        std::vector<Outcome> outcomes = {session.Click("btnOffsetTimeMls"),
                                         session.Click("btnOffsetReCount"),
                                         session.Click("btnSubtitlesCorrection")};
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(subs))
            files[entry.path().filename().string()] = ReadFile(entry.path());
        return std::tuple(outcomes, files, host.messages, host.messageFiles,
                          ReadFile(dir / "Operations.log"), session.outExt(), host.skipped);
    };
    const auto one = runAll(1);
    EXPECT_EQ(std::get<0>(one)[0], Outcome::ConversionFailed);
    EXPECT_FALSE(std::get<2>(one).empty());
    for (int jobs : {2, 4}) {
        const auto many = runAll(jobs);
        EXPECT_EQ(std::get<0>(many), std::get<0>(one)) << jobs;
        EXPECT_EQ(std::get<1>(many), std::get<1>(one)) << jobs;
        EXPECT_EQ(std::get<2>(many), std::get<2>(one)) << jobs;
        EXPECT_EQ(std::get<3>(many), std::get<3>(one)) << jobs;
        EXPECT_EQ(std::get<4>(many), std::get<4>(one)) << jobs;
        EXPECT_EQ(std::get<5>(many), std::get<5>(one)) << jobs;
        EXPECT_EQ(std::get<6>(many), std::get<6>(one)) << jobs;
    }
    EXPECT_FALSE(std::get<6>(one).empty());  // f15.out: the correction skips f15.srt
}

// --- The window's side of the handlers ----------------------------------------------------------

// A host whose Stop is pressed once the run has asked `after` times.
class StoppingHost : public RecordingHost {
  public:
    bool StopRequested() override { return ++asked_ > after; }
    int after = 1000;

  private:
    int asked_ = 0;
};

class WindowSessionTest : public SessionTest {
  protected:
    WindowSessionTest() { session.talksToWindow = true; }
};

TEST_F(WindowSessionTest, AnUnwrittenEditIsAskedAboutBeforeTheFileIsLeft) {
    const std::string edited = Crlf(
        {"1", "00:00:01,000 --> 00:00:02,000", "edited", "", "2", "00:00:03,000 --> 00:00:04,000", "b"});
    enum class Way { Box, Dialog, DirectoryMode, Quit };
    const struct {
        Way way;
        Answer answer;
        bool autoSave;
        bool leaves;
        const std::string& film;  // film.srt afterwards
    } cases[] = {
        {Way::Box, Answer::Yes, true, true, edited},
        {Way::Box, Answer::No, false, true, kSrt},
        {Way::Box, Answer::Cancel, true, false, kSrt},
        {Way::Dialog, Answer::Yes, false, true, edited},
        {Way::Dialog, Answer::Cancel, false, false, kSrt},
        {Way::DirectoryMode, Answer::No, true, true, kSrt},
        {Way::DirectoryMode, Answer::Cancel, true, false, kSrt},
        {Way::Quit, Answer::Yes, true, true, edited},
        {Way::Quit, Answer::Cancel, false, false, kSrt},
    };
    session.withEditor = true;
    for (const auto& c : cases) {
        const std::string row =
            std::to_string(static_cast<int>(c.way)) + "/" + std::to_string(static_cast<int>(c.answer));
        Clear();
        Put("other.srt");
        Open("film.srt");
        session.settings().SetText("AutoSave", c.autoSave ? "1" : "0");
        session.editor.SetText("edited");
        host.questions.clear();
        host.answer = c.answer;
        bool left = false;
        switch (c.way) {
            case Way::Box:
                session.OpenFromBox(Sub("other.srt"));
                left = session.openFile == Sub("other.srt");
                break;
            case Way::Dialog:
                session.OpenFromDialog(Sub("other.srt"));
                left = session.openFile == Sub("other.srt");
                break;
            case Way::DirectoryMode:
                session.SetDirectoryMode(true);
                left = session.directoryMode;
                break;
            case Way::Quit:
                left = session.LeaveEdits();
                break;
        }
        EXPECT_EQ(host.questions, Lines{std::string(kEditsNotSaved)}) << row;
        EXPECT_EQ(left, c.leaves) << row;
        EXPECT_EQ(ReadFile(subs / "film.srt"), c.film) << row;
        EXPECT_EQ(Listing().count("film.out"), 0u) << row;
        // A change that was written or dropped is not asked about again; a kept one is.
        host.questions.clear();
        host.answer = Answer::Cancel;
        EXPECT_EQ(session.LeaveEdits(), c.leaves) << row;
        EXPECT_EQ(host.questions.size(), c.leaves ? 0u : 1u) << row;
    }
    // Nothing typed, nothing asked.
    Open("film.srt");
    host.questions.clear();
    EXPECT_TRUE(session.LeaveEdits());
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(WindowSessionTest, AFolderRunShowsOneSummaryOfItsStoppedAndSkippedFiles) {
    const std::string late = Crlf({"1", "00:00:01,000 --> 00:61:00,000", "b"});
    for (const char* name : {"a.srt", "c.srt", "e.srt"})
        Put(name);
    // A name in Cyrillic (UTF-8 on disk) shows in the summary's Windows-1251 text.
    for (const char* name : {"b.srt", "d.srt", "жук.srt"})
        Put(name, late);
    Put("e.out", "taken");
    Open("a.srt", true);
    EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::ConversionFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& summary = host.messages[0];
    EXPECT_TRUE(summary.starts_with("6 files: 2 done, 3 stopped, 1 skipped\r\n")) << summary;
    for (const std::string& name : {std::string("b.srt"), std::string("d.srt"), test::W("жук.srt")}) {
        EXPECT_NE(summary.find(name + ", line 2: "), std::string::npos) << summary;
    }
    EXPECT_NE(summary.find("Skipped, their output is already there:\r\ne.srt"), std::string::npos)
        << summary;
    EXPECT_EQ(host.statusBar, "6 files: 2 done, 3 stopped, 1 skipped");
    EXPECT_EQ(ReadFile(subs / "e.out"), "taken");

    // Every file done: the status line alone, no box.
    Clear();
    for (const char* name : {"a.srt", "b.srt"})
        Put(name);
    Open("a.srt", true);
    EXPECT_EQ(session.Click("btnOffsetTimeMls"), Outcome::Ok);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.statusBar, "2 files: 2 done, 0 stopped");
}

TEST_F(WindowSessionTest, StopEndsAFolderRunAfterTheFilesThatRun) {
    // One job stops after the second file. Several jobs finish the files they have taken, which
    // may be all of them when the files are small: the summary must still count what ran.
    const struct {
        int jobs;
        int after;  // questions answered before Stop
    } cases[] = {{1, 1}, {3, 0}};
    for (const auto& c : cases) {
        StoppingHost stopping;
        Session s(stopping, dir.path().string());
        s.talksToWindow = true;
        s.jobs = c.jobs;
        s.Start();
        s.controls.Set("dtpOffsetTime", "00:00:01");
        Clear();
        for (int i = 1; i <= 8; ++i)
            Put("f" + std::to_string(i) + ".srt");
        ASSERT_EQ(s.OpenSubtitleFile(Sub("f1.srt")), Outcome::Ok);
        s.SetDirectoryMode(true);
        stopping.after = c.after;
        EXPECT_EQ(s.Click("btnOffsetTimeMls"), Outcome::Ok);
        std::size_t outputs = 0;
        for (const std::string& name : Listing())
            outputs += name.ends_with(".out") ? 1 : 0;
        if (c.jobs == 1) {
            EXPECT_EQ(outputs, 2u);
        }
        EXPECT_GE(outputs, 1u) << c.jobs;
        std::string status = "8 files: " + std::to_string(outputs) + " done, 0 stopped";
        if (outputs < 8) status += ", " + std::to_string(8 - outputs) + " not run";
        EXPECT_EQ(stopping.statusBar, status) << c.jobs;
        ASSERT_EQ(stopping.messages.size(), outputs < 8 ? 1u : 0u) << c.jobs;
        if (outputs < 8) {
            EXPECT_TRUE(stopping.messages[0].starts_with(status)) << c.jobs;
        }
    }
}

TEST_F(WindowSessionTest, EveryRunEndsWithWhatItDid) {
    const struct {
        const char* file;
        const char* existing;  // a file there before the run ("" none)
        const char* control;
        const char* outExt;
        Outcome outcome;
        const char* status;
    } cases[] = {
        {"film.srt", "", "btnOffsetTimeMls", "", Outcome::Ok,
         "film.out written: 2 timings 1000 ms later"},
        // The report's count; a clean file's older report is removed, which the line says.
        {"film.srt", "", "btnSubtitlesCorrection", "", Outcome::Ok,
         "film.out, film.corr written: 1 note"},
        {"film.srt", "film.len", "btnSubLineTest", "", Outcome::Ok, "film.len removed"},
        {"film.srt", "film.out", "btnOffsetTimeMls", "", Outcome::Refused, "Offset Time stopped"},
        {"film.sub", "", "btnOffsetTimeMls", "", Outcome::WrongExtension,
         "Offset Time does not take .sub files"},
        {"film.srt", "film.fix", "btnDeleteFile", "*.fix", Outcome::Ok, "film.fix deleted"},
        {"film.srt", "", "btnDeleteFile", "*.fix", Outcome::Refused, "Delete stopped"},
    };
    for (const auto& c : cases) {
        Clear();
        if (*c.existing != '\0') Put(c.existing);
        Open(c.file);
        if (*c.outExt != '\0') session.controls.Set("cbOutExt", c.outExt);
        host.statusBar.clear();
        EXPECT_EQ(session.Click(c.control), c.outcome) << c.control << " " << c.existing;
        EXPECT_EQ(host.statusBar, c.status) << c.control << " " << c.existing;
    }
}

}  // namespace
}  // namespace tessaline
