#include "files/frame.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <optional>

#include "core/errors.hpp"
#include "files/fs.hpp"
#include "files/recording_host.hpp"
#include "files/sub_kind.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Names = std::vector<std::string>;

Names Listing(const TempDir& dir) {
    Names names = ListMatching(dir.path(), "*");
    std::sort(names.begin(), names.end());
    return names;
}

// Copies every line; the body most tests run.
void CopyBody(FrameRun& run) {
    std::string line;
    while (run.ReadLine(line))
        run.WriteLine(line);
}

struct Fixture {
    TempDir dir;
    std::string input = dir / "film.srt";
    std::string output = dir / "film.out";
    RecordingHost host;

    Fixture() { WriteFile(input, "1\n00:00:01,000 --> 00:00:02,000\nHi\n"); }

    RunResult Run(FrameSteps steps, const std::function<void(FrameRun&)>& body = CopyBody) {
        return RunInFrame({.input = input, .output = output, .steps = steps}, host, body);
    }
};

const FrameSteps kOwnsStatus{.statusField = StatusField::OffsetTime};

TEST(RunInFrame, RefusesInOrderWithoutCreatingAFileOrTouchingTheStatus) {
    const struct {
        std::string_view what;
        std::string input, output;  // in the folder; "=" is the input path itself
        bool interactive, nothingToDo, checkPasses;
        RunResult result;
        Names messages;
        Names skipped = {};  // what a folder run's quiet skip notes instead of a message
    } cases[] = {
        // clang-format off
        {"empty output", "film.srt", "", true, false, true, RunResult::Skipped, {}},
        {"no output path, check not reached", "film.srt", "", true, false, false, RunResult::Skipped, {}},
        {"parameter check", "film.srt", "film.out", true, false, false, RunResult::Refused, {"check"}},
        {"existing output", "film.srt", "taken.out", true, false, true, RunResult::Refused, {"Output File Exist!!!"}},
        {"existing output, quiet", "film.srt", "taken.out", false, false, true, RunResult::Refused, {}, {"Output File Exist!!!"}},
        {"output is the input", "film.srt", "=", true, false, true, RunResult::Refused, {"Output File Exist!!!"}},
        {"output is the missing input", "gone.srt", "=", true, false, true, RunResult::Skipped, {}},
        {"mask", "*.srt", "*.out", true, false, true, RunResult::Skipped, {}},
        {"missing input", "gone.srt", "gone.out", true, false, true, RunResult::Skipped, {}},
        {"input is a folder", "sub", "sub.out", true, false, true, RunResult::Skipped, {}},
        {"nothing to do", "film.srt", "film.out", true, true, true, RunResult::Skipped, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        Fixture f;
        WriteFile(f.dir / "taken.out", "keep\r\n");
        std::filesystem::create_directory(f.dir / "sub");
        const Names before = Listing(f.dir);
        const std::string input = f.dir / c.input;
        const std::string output = c.output.empty()  ? ""
                                   : c.output == "=" ? input
                                                     : std::string(f.dir / c.output);
        FrameSteps steps = kOwnsStatus;
        steps.interactive = c.interactive;
        const auto check = [&](Host& host) {
            if (!c.checkPasses) host.ShowMessage("check");
            return c.checkPasses;
        };
        bool ran = false;
        const RunResult result = RunInFrame({input, output, steps, check, c.nothingToDo}, f.host,
                                            [&](FrameRun&) { ran = true; });
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(f.host.messages, c.messages) << c.what;
        EXPECT_EQ(f.host.skipped, c.skipped) << c.what;
        EXPECT_FALSE(ran) << c.what;
        EXPECT_EQ(Listing(f.dir), before) << c.what;
        EXPECT_EQ(ReadFile(f.dir / "taken.out"), "keep\r\n") << c.what;
        EXPECT_TRUE(f.host.statusHistory.empty()) << c.what;
        EXPECT_EQ(f.host.busyChanges, 0) << c.what;
    }
}

TEST(RunInFrame, SetsTheStatusAndLeavesOnlyTheFinishedOutput) {
    const auto refuseOnSecondLine = [](FrameRun& run) {
        std::string line;
        (void)run.ReadLine(line);
        run.WriteLine(line);
        (void)run.ReadLine(line);
        run.Refuse("line 2");  // the refused line and all after it are not written
    };
    const auto throwAfterWriting = [](FrameRun& run) {
        run.WriteLine("partial");
        run.report().push_back("1 = found");
        throw ConversionError("x", "bad time");
    };
    const struct {
        std::string_view what;
        std::function<void(FrameRun&)> body;
        std::optional<RunResult> result;  // none: the ConversionError comes through
        StatusState status;
        std::string output;  // "-": none
        long eventCalls;
        std::string reason;  // the explanation of the red field
    } cases[] = {
        {"success", CopyBody, RunResult::Done, StatusState::Idle,
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hi"}), 3, ""},
        {"refused", refuseOnSecondLine, RunResult::Stopped, StatusState::Error, "1\r\n", 2,
         "line 2"},
        {"conversion error", throwAfterWriting, std::nullopt, StatusState::Error, "-", 0,
         "bad time"},
    };
    for (const auto& c : cases) {
        Fixture f;
        if (c.result) {
            EXPECT_EQ(f.Run(kOwnsStatus, c.body), *c.result) << c.what;
        } else {
            EXPECT_THROW(f.Run(kOwnsStatus, c.body), ConversionError) << c.what;
        }
        EXPECT_EQ(f.host.statusHistory, (std::vector{StatusState::Running, c.status})) << c.what;
        EXPECT_EQ(f.host.statusReason[StatusField::OffsetTime], c.reason) << c.what;
        EXPECT_EQ(f.host.busyChanges, 2) << c.what;
        EXPECT_FALSE(f.host.busy) << c.what;
        EXPECT_EQ(f.host.eventCalls, c.eventCalls) << c.what;  // once per line read
        if (c.output == "-") {
            EXPECT_EQ(Listing(f.dir), Names{"film.srt"}) << c.what;
        } else {
            EXPECT_EQ(Listing(f.dir), (Names{"film.out", "film.srt"})) << c.what;
            EXPECT_EQ(ReadFile(f.output), c.output) << c.what;
        }
    }
}

TEST(RunInFrame, FinishesTheReport) {
    const std::string sep(kReportSeparator);
    const struct {
        std::string_view what;
        int reportLines;
        bool interactive, deleteOutput, summary;
        Names messages, files;
        std::string report;  // "" = no report file
        std::string statusBar;
        std::string handed;  // the first summary the run hands: the one the window shows
    } cases[] = {
        // clang-format off
        {"empty, deleted", 0, true, true, true, {"Null Fix-length-file"}, {"film.srt"}, "", "", "3 lines"},
        {"empty, quiet", 0, false, true, true, {}, {"film.srt"}, "", "", "3 lines"},
        {"empty, kept", 0, true, false, false, {"Null Fix-length-file"}, {"film.out", "film.srt"}, "", "", "3 lines"},
        {"one line", 1, true, true, true, {}, {"film.fix", "film.out", "film.srt"}, Crlf({"1 = a"}), "", "1 note"},
        {"three lines", 3, true, true, true, {}, {"film.fix", "film.out", "film.srt"}, Crlf({"1 = a", "2 = a", "3 = a", sep, ">> 3 Fixed Strings"}), ">> 3 Fixed Strings", "3 Fixed Strings"},
        {"three, no summary", 3, true, false, false, {}, {"film.fix", "film.out", "film.srt"}, Crlf({"1 = a", "2 = a", "3 = a"}), "", "3 notes"},
        // clang-format on
    };
    for (const auto& c : cases) {
        Fixture f;
        WriteFile(f.dir / "film.fix", "older report\r\n");
        if (c.reportLines == 0) std::filesystem::remove(f.dir / "film.fix");
        const RunResult result = f.Run({.interactive = c.interactive,
                                        .reportExt = "fix",
                                        .emptyReportMessage = "Null Fix-length-file",
                                        .deleteOutputOnEmptyReport = c.deleteOutput,
                                        .summaryText = c.summary ? "Fixed Strings" : ""},
                                       [&](FrameRun& run) {
                                           CopyBody(run);
                                           for (int i = 1; i <= c.reportLines; ++i)
                                               run.report().push_back(std::to_string(i) + " = a");
                                       });
        EXPECT_EQ(result, RunResult::Done) << c.what;
        EXPECT_EQ(f.host.messages, c.messages) << c.what;
        EXPECT_EQ(Listing(f.dir), c.files) << c.what;  // the older report is replaced
        if (!c.report.empty()) {
            EXPECT_EQ(ReadFile(f.dir / "film.fix"), c.report) << c.what;
        }
        EXPECT_EQ(f.host.reportKind, c.report.empty() ? "" : "*.fix") << c.what;
        EXPECT_EQ(f.host.statusBar, c.statusBar) << c.what;
        ASSERT_FALSE(f.host.summaries.empty()) << c.what;
        EXPECT_EQ(f.host.summaries.front(), c.handed) << c.what;
        EXPECT_FALSE(f.host.busy) << c.what;
    }
}

// A run with nothing to report removes the report an earlier run left (its findings no longer
// hold) and says so in the status bar, in a folder run too; a report of another kind stays.
TEST(RunInFrame, AnEmptyReportRemovesTheOlderOneOfItsKind) {
    for (const bool interactive : {true, false}) {
        SCOPED_TRACE(interactive);
        Fixture f;
        WriteFile(f.dir / "film.fix", "1 = older finding\r\n");
        WriteFile(f.dir / "film.len", "1 = another kind\r\n");
        EXPECT_EQ(f.Run({.interactive = interactive,
                         .reportExt = "fix",
                         .emptyReportMessage = "Null Fix-length-file"},
                        CopyBody),
                  RunResult::Done);
        EXPECT_EQ(Listing(f.dir), (Names{"film.len", "film.out", "film.srt"}));
        EXPECT_EQ(f.host.statusBar, "film.fix of an earlier run removed: nothing to report");
        EXPECT_EQ(f.host.messages, interactive ? Names{"Null Fix-length-file"} : Names{});
    }
}

// A finding on every line of a long file: the report goes to disk as it grows and ends the same
// as a short one, its summary counting every line; dropped, it leaves nothing; a conversion
// error leaves the older report as it was.
TEST(RunInFrame, AReportLongerThanMemoryHoldsEndsTheSame) {
    const std::string sep(kReportSeparator);
    constexpr int kLines = 20'000;
    // "read first": the whole input is read before the report grows, as an operation that reads
    // its records through its own reader does.
    for (const char* ending : {"finished", "read first", "discarded", "error"}) {
        const std::string what = ending;
        Fixture f;
        std::string text;
        for (int i = 1; i <= kLines; ++i)
            text += std::to_string(i) + "\r\n";
        WriteFile(f.input, text);
        WriteFile(f.dir / "film.fix", "older report\r\n");
        const auto body = [&](FrameRun& run) {
            std::string line;
            LineList read;
            while (run.ReadLine(line)) {
                run.WriteLine(line);
                if (what == "read first") {
                    read.push_back(line);
                } else {
                    run.report().push_back(line + " = a");
                }
            }
            for (const std::string& earlier : read)
                run.report().push_back(earlier + " = a");
            // The report is on its way to disk already, under a temporary name.
            bool onDisk = false;
            for (const auto& entry : std::filesystem::directory_iterator(f.dir.path()))
                onDisk = onDisk || IsTempName(entry.path().filename().string(), "film.fix");
            EXPECT_TRUE(onDisk) << what;
            if (what == "discarded") run.DiscardReport();
            if (what == "error") throw ConversionError("x", "stopped");
        };
        const FrameSteps steps{.reportExt = "fix", .summaryText = "Fixed Strings"};
        if (what == "error") {
            EXPECT_THROW(f.Run(steps, body), ConversionError);
        } else {
            EXPECT_EQ(f.Run(steps, body), RunResult::Done);
        }
        if (what == "finished" || what == "read first") {
            std::string expected = text;
            for (std::size_t at = 0; (at = expected.find("\r\n", at)) != std::string::npos;
                 at += 6) {
                expected.insert(at, " = a");
            }
            EXPECT_EQ(ReadFile(f.dir / "film.fix"),
                      expected + Crlf({sep, ">> " + std::to_string(kLines) + " Fixed Strings"}))
                << what;
            EXPECT_EQ(f.host.statusBar, ">> 20000 Fixed Strings") << what;
            EXPECT_EQ(f.host.summaries.front(), "20000 Fixed Strings") << what;
        } else if (what == "error") {
            EXPECT_EQ(ReadFile(f.dir / "film.fix"), "older report\r\n") << what;
        }
        // Nothing else is left: no temporary report, no output after a conversion error. A run
        // that discards its report has nothing to report: the older report goes.
        const Names files = what == "error"       ? Names{"film.fix", "film.srt"}
                            : what == "discarded" ? Names{"film.out", "film.srt"}
                                                  : Names{"film.fix", "film.out", "film.srt"};
        EXPECT_EQ(Listing(f.dir), files) << what;
    }
}

TEST(RunInFrame, AReportOnlyRunNeedsNoOutputPathAndIgnoresAnExistingOutput) {
    const std::string sep(kReportSeparator);
    for (const char* output : {"", "film.out"}) {
        Fixture f;
        WriteFile(f.dir / "film.out", "older output\r\n");
        const std::string outputPath = *output == '\0' ? "" : f.output;
        const RunResult result = RunInFrame(
            {.input = f.input,
             .output = outputPath,
             .steps = {.reportExt = "time", .summaryText = "Test Lines", .writesOutput = false}},
            f.host, [](FrameRun& run) {
                std::string line;
                while (run.ReadLine(line))
                    run.report().push_back(line + " = seen");
                EXPECT_THROW(run.WriteLine("x"), std::logic_error);
            });
        EXPECT_EQ(result, RunResult::Done) << output;
        EXPECT_TRUE(f.host.messages.empty()) << output;
        EXPECT_EQ(Listing(f.dir), (Names{"film.out", "film.srt", "film.time"})) << output;
        EXPECT_EQ(ReadFile(f.dir / "film.out"), "older output\r\n") << output;
        EXPECT_EQ(ReadFile(f.dir / "film.time"),
                  Crlf({"1 = seen", "00:00:01,000 --> 00:00:02,000 = seen", "Hi = seen", sep,
                        ">> 3 Test Lines"}))
            << output;
        EXPECT_EQ(f.host.statusBar, ">> 3 Test Lines") << output;
    }
}

TEST(RunInFrameWithAdd, ReadsBothInputsOrStopsBeforeCreatingAnything) {
    const struct {
        std::string_view what;
        std::string add;  // in the folder; "" = none given
        bool outputTaken;
        RunResult result;
        Names messages;
    } cases[] = {
        {"both there", "add.srt", false, RunResult::Done, {}},
        {"no add file given", "", false, RunResult::Skipped, {}},
        {"add file missing", "gone.srt", false, RunResult::Skipped, {}},
        {"add file missing, output taken",
         "gone.srt",
         true,
         RunResult::Refused,
         {"Output File Exist!!!"}},
        {"add file is a folder", "sub", false, RunResult::Skipped, {}},
    };
    for (const auto& c : cases) {
        Fixture f;
        WriteFile(f.dir / "add.srt", "a1\nA2\n");
        std::filesystem::create_directory(f.dir / "sub");
        if (c.outputTaken) WriteFile(f.output, "keep\r\n");
        const Names before = Listing(f.dir);
        const std::string add = c.add.empty() ? "" : std::string(f.dir / c.add);
        const RunResult result =
            RunInFrameWithAdd({.input = f.input, .output = f.output, .steps = {}}, add, f.host,
                              [](FrameRun& run, LineReader& second) {
                                  std::string line;
                                  while (run.ReadLine(line) && second.ReadLine(line))
                                      run.WriteLine(line);
                              });
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(f.host.messages, c.messages) << c.what;
        if (result == RunResult::Done) {
            EXPECT_EQ(ReadFile(f.output), Crlf({"a1", "A2"})) << c.what;
        } else {
            EXPECT_EQ(Listing(f.dir), before) << c.what;
        }
    }
}

TEST(ExtraOutputs, PutsEveryFileInPlaceOrNone) {
    const struct {
        std::string_view what;
        bool appears;  // a file appears at the second path while the run writes
        bool drop;     // the second file is dropped
        Names files;
    } cases[] = {
        {"all placed", false, false, {"film.one", "film.srt", "film.two"}},
        {"one dropped", false, true, {"film.one", "film.srt"}},
        {"one taken meanwhile", true, false, {"film.srt", "film.two"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        const std::string one = f.dir / "film.one";
        const std::string two = f.dir / "film.two";
        bool committed = false;
        {
            ExtraOutputs extra;
            extra.Open(one).WriteLine("1");
            extra.Open(two).WriteLine("2");
            if (c.drop) extra.Drop(two);
            if (c.appears) WriteFile(two, "theirs\r\n");
            committed = extra.Commit();
        }
        EXPECT_EQ(committed, !c.appears) << c.what;
        EXPECT_EQ(Listing(f.dir), c.files) << c.what;  // no temporary file is left
        if (committed) {
            EXPECT_EQ(ReadFile(one), "1\r\n") << c.what;
        } else {
            EXPECT_EQ(ReadFile(two), "theirs\r\n") << c.what;
        }
    }
    // Not committed: nothing is left behind.
    Fixture f;
    {
        ExtraOutputs extra;
        extra.Open(f.dir / "film.one").WriteLine("1");
    }
    EXPECT_EQ(Listing(f.dir), Names{"film.srt"});
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(ClassifyTimedLine, TellsFramePairsFromOtherTimings) {
    const struct {
        const char* line;
        TimedLine kind;
    } cases[] = {
        // clang-format off
        {"{25}{50}Text", TimedLine::FramePair},
        {"{1}{1}23.976", TimedLine::FramePair},
        {"[100][150]Other brackets", TimedLine::FramePair},
        {"  {+25}{ -50 }Signs and blanks", TimedLine::FramePair},
        {"{12345678901234567890}{1}", TimedLine::FramePair},
        {"00:02:17.40,00:02:20.40", TimedLine::Other},      // SubViewer 2
        {"[00:00:01]", TimedLine::Other},                   // SubViewer 1
        {"00:00:01,000 --> 00:00:02,000", TimedLine::Other},  // SubRip
        {"0:0:1.5 --> 0:0:2", TimedLine::Other},
        {"Text --> more", TimedLine::Other},
        {"", TimedLine::None},
        {"Header line without brackets", TimedLine::None},
        {"[INFORMATION]", TimedLine::None},
        {"[DELAY]0", TimedLine::None},
        {"{y:i}{200}{250}Styled", TimedLine::None},
        {"{}{}text", TimedLine::None},
        {"{25}{50", TimedLine::None},
        {"{25}[50]", TimedLine::None},
        {"12:30", TimedLine::None},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyTimedLine(c.line), c.kind) << c.line;
    }
}

// Every command that reads MicroDVD goes through the frame: a .sub of another format is refused
// there, with its first timed line, before anything is created.
TEST(RunInFrame, RefusesASubFileThatIsNoMicroDvdBeforeCreatingAnything) {
    const auto dialect = [](const char* name) {
        return ReadFile(test::DataDir() / "dialects" / name);
    };
    const struct {
        std::string name;
        std::string content;
        bool anyFormat;
        Names messages;  // empty: the run goes on
    } cases[] = {
        // clang-format off
        {"film.sub", dialect("subviewer2.sub"), false, {"not a MicroDVD file (13: 00:02:17.40,00:02:20.40)"}},
        {"film.sub", dialect("subviewer1.sub"), false, {"not a MicroDVD file (7: [00:00:01])"}},
        {"film.SUB", dialect("subrip_named.sub"), false, {"not a MicroDVD file (2: 00:00:01,000 --> 00:00:02,000)"}},
        {"film.sub", "\n00:00:01.00,00:00:02.00\x1b[31m\n", false, {"not a MicroDVD file (2: 00:00:01.00,00:00:02.00\\x1b[31m)"}},
        // MicroDVD, also after a header; no timed line at all; a conversion that reads SubViewer.
        {"film.sub", dialect("microdvd_styles.sub"), false, {}},
        {"film.sub", "Header\r\n{1}{1}25\r\n00:00:01.00,00:00:02.00\r\n", false, {}},
        {"film.sub", "Header only\n", false, {}},
        {"film.sub", dialect("subviewer2.sub"), true, {}},
        {"film.txt", dialect("subviewer2.sub"), false, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.content.substr(0, 20));
        TempDir dir;
        const std::string input = dir / c.name;
        const std::string output = dir / "film.out";
        WriteFile(input, c.content);
        RecordingHost host;
        bool ran = false;
        const RunResult result = RunInFrame(
            {.input = input, .output = output, .steps = {}, .subOfAnyFormat = c.anyFormat}, host,
            [&](FrameRun& run) {
                ran = true;
                CopyBody(run);
            });
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(ran, c.messages.empty());
        EXPECT_EQ(result, c.messages.empty() ? RunResult::Done : RunResult::Refused);
        EXPECT_EQ(Listing(dir).size(), c.messages.empty() ? 2u : 1u);
    }
}

TEST(EscapedForMessage, EscapesControlAndUndecodableBytesAndCutsAtSixtyCharacters) {
    const std::string sixty(60, 'x');
    const struct {
        std::string text;
        bool utf8;
        std::string shown;
    } cases[] = {
        // clang-format off
        {"223d5", false, "223d5"},
        {"a\tb", false, "a\tb"},
        {"\x1b[31m\r\x7f", false, "\\x1b[31m\\x0d\\x7f"},
        {std::string("a\0b", 3), true, "a\\x00b"},
        {"\xcf\xf0\xe8\x98", false, "\xcf\xf0\xe8\\x98"},          // Windows-1251: 0x98 is no character
        {"\xd0\x9f\xd1\x80\xd0\xb8", true, "\xcf\xf0\xe8"},        // UTF-8 shown in Windows-1251
        {"\xff\xd0", true, "\\xff\\xd0"},                          // not UTF-8
        {"\xf0\x9f\x98\x80!", true, "\\u{1F600}!"},               // no Windows-1251 character
        {"\xc2\x9b", true, "\\u{9B}"},                             // a C1 control character
        {sixty, false, sixty},
        {sixty + "y", false, sixty + "..."},
        {std::string(59, 'x') + "\xd0\x9f\xd0\x9f", true, std::string(59, 'x') + "\xcf..."},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapedForMessage(c.text, c.utf8), c.shown) << c.text;
    }
}

// A conversion error leaves the frame with the line it was met on and its text made fit to show.
TEST(RunInFrame, AConversionErrorNamesItsLineAndShowsItsTextEscaped) {
    Fixture f;
    WriteFile(f.input, "a\nb\nc\n");
    const std::string value = "\x1b" + std::string(70, '7');
    try {
        (void)f.Run({}, [&](FrameRun& run) {
            std::string line;
            for (int i = 0; i < 3; ++i)
                (void)run.ReadLine(line);
            throw ConversionError(value, "'" + value + "' is not a valid integer");
        });
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.line(), 3u);
        EXPECT_EQ(std::string(e.what()),
                  "'\\x1b" + std::string(59, '7') + "...' is not a valid integer");
        EXPECT_EQ(e.text(), value);
    }
    EXPECT_EQ(Listing(f.dir), Names{"film.srt"});
}

}  // namespace
}  // namespace tessaline
