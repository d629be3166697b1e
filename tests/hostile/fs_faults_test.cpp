// File-system faults and races, through the tessaline program: unwritable folders, outputs that
// are folders or links, inputs that are folders, pipes or unreadable, awkward names, a folder of
// 2,000 files, runs at the same time on the same file, signals and memory limits. Whatever
// happens: a clear message, an exit status that says so, the input untouched, no partial output,
// no existing file overwritten.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ProgramResult;
using test::ReadFile;
using test::RunLimits;
using test::TempDir;
using test::WriteFile;

const std::string kFilm = Crlf({"7", "00:00:01,000 --> 00:00:02,000", "Hi", "", "9",
                                "00:00:03,000 --> 00:00:04,000", "There", ""});
const std::string kFilmRecounted = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hi", "", "2",
                                         "00:00:03,000 --> 00:00:04,000", "There", ""});

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class FsFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        // Open to every user: some tests run the program as "nobody", for whom permissions apply.
        fs::permissions(root_.path(), fs::perms::all);
        for (const fs::path& folder : {home_, work_, scratch_}) {
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::all);
        }
    }

    ProgramResult Run(std::vector<std::string> args, const RunLimits& limits = {}) {
        args.insert(args.begin(), {"--home", home_.string(), "--quiet"});
        return test::RunProgram(TESSALINE_EXE, std::move(args), work_, scratch_, std::nullopt,
                                limits);
    }
    // Starts the program without waiting for it.
    pid_t Start(std::vector<std::string> args) {
        args.insert(args.begin(), {TESSALINE_EXE, "--home", home_.string(), "--quiet"});
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            if (chdir(work_.c_str()) != 0) _exit(126);
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }
    // Starts `count` runs at once; each must end with 0 or 1. Returns how many ended with 0.
    int RunAtOnce(int count, const std::vector<std::string>& args) {
        std::vector<pid_t> runs;
        for (int i = 0; i < count; ++i)
            runs.push_back(Start(args));
        int done = 0;
        for (const pid_t pid : runs) {
            const int status = Wait(pid);
            EXPECT_TRUE(status == 0 || status == 1) << status;
            done += status == 0;
        }
        return done;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    TempDir root_;
    fs::path home_ = root_ / "home";
    fs::path work_ = root_ / "work";
    fs::path scratch_ = root_ / "scratch";
};

TEST_F(FsFaults, OutputsThatCannotBeWrittenAreRefusedAndNothingIsTouched) {
    const struct {
        std::string_view what;
        void (*prepare)(const fs::path& work);
        std::string message;
        bool unprivileged;
    } cases[] = {
        {"read-only folder",
         [](const fs::path& w) {
             fs::permissions(w, fs::perms::owner_all | fs::perms::others_read |
                                    fs::perms::others_exec | fs::perms::group_read |
                                    fs::perms::group_exec);
         },
         "cannot create a file beside", true},
        {"output is a folder", [](const fs::path& w) { fs::create_directory(w / "film.out"); },
         "Output File Exist!!!", false},
        {"output links to another file",
         [](const fs::path& w) { fs::create_symlink(w / "victim.txt", w / "film.out"); },
         "Output File Exist!!!", false},
        {"output is a dangling link",
         [](const fs::path& w) { fs::create_symlink(w / "nowhere", w / "film.out"); },
         "Output File Exist!!!", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(work_);
        fs::create_directory(work_);
        fs::permissions(work_, fs::perms::all);
        WriteFile(work_ / "film.srt", kFilm);
        WriteFile(work_ / "victim.txt", "victim");
        c.prepare(work_);
        const std::set<std::string> before = Listing(work_);
        const ProgramResult r = Run({"recount", "film.srt"}, {.unprivileged = c.unprivileged});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("film.srt: " + c.message), std::string::npos) << r.err;
        EXPECT_EQ(Listing(work_), before);
        EXPECT_EQ(ReadFile(work_ / "film.srt"), kFilm);
        EXPECT_EQ(ReadFile(work_ / "victim.txt"), "victim");
        fs::permissions(work_, fs::perms::all);
    }
}

TEST_F(FsFaults, AReportThatIsALinkIsReplacedNotWrittenThrough) {
    WriteFile(work_ / "film.srt", Crlf({"1", "00:00:01:000 --> 00:00:02:000", "x", ""}));
    WriteFile(work_ / "victim.txt", "victim");
    fs::create_symlink(work_ / "victim.txt", work_ / "film.corr");
    const ProgramResult r = Run({"correct", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::is_symlink(work_ / "film.corr"));
    EXPECT_NE(ReadFile(work_ / "film.corr"), "victim");
    EXPECT_EQ(ReadFile(work_ / "victim.txt"), "victim");
}

TEST_F(FsFaults, InputsThatAreNoReadableFileAreRefusedWithoutWaiting) {
    fs::create_directory(work_ / "folder.srt");
    ASSERT_EQ(mkfifo((work_ / "pipe.srt").c_str(), 0666), 0);
    WriteFile(work_ / "locked.srt", kFilm);
    fs::permissions(work_ / "locked.srt", fs::perms::none);
    const struct {
        std::string name, message;
        bool unprivileged;
    } cases[] = {
        {"folder.srt", "not a regular file", false},
        {"pipe.srt", "not a regular file", false},
        {"locked.srt", "cannot open", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::set<std::string> before = Listing(work_);
        const ProgramResult r =
            Run({"recount", c.name}, {.timeoutMs = 5'000, .unprivileged = c.unprivileged});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(c.name + ": " + c.message), std::string::npos) << r.err;
        EXPECT_EQ(Listing(work_), before);
    }
    // Over a mask the pipe and the folder are skipped, the file is done.
    WriteFile(work_ / "film.srt", kFilm);
    const ProgramResult r = Run({"recount", "*.srt"}, {.timeoutMs = 5'000});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(work_ / "film.out"), kFilmRecounted);
    EXPECT_FALSE(fs::exists(work_ / "pipe.out"));
}

TEST_F(FsFaults, AwkwardNamesWorkLikeAnyOther) {
    for (const std::string name :
         {"with spaces.srt", "-leading-dash.srt", "new\nline.srt", "bytes-\xE9\xFF\x80.srt"}) {
        SCOPED_TRACE(name);
        WriteFile(work_ / name, kFilm);
        const ProgramResult r = Run({"recount", "--", name});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string out = name.substr(0, name.size() - 3) + "out";
        EXPECT_EQ(ReadFile(work_ / out), kFilmRecounted);
        EXPECT_EQ(ReadFile(work_ / name), kFilm);
    }
}

TEST_F(FsFaults, AMaskOverTwoThousandFilesTakesWellUnderASecondEach) {
    constexpr int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i)
        WriteFile(work_ / ("f" + std::to_string(i) + ".srt"), kFilm);
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult r = Run({"recount", "*.srt"}, {.timeoutMs = 60'000});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Listing(work_).size(), 2u * kFiles);
    EXPECT_EQ(ReadFile(work_ / "f1999.out"), kFilmRecounted);
    // Measured at about 0.2 s on an idle machine; 5 s leaves room for a busy one.
    EXPECT_LT(took, std::chrono::seconds(5));
    std::printf("%d files: %.3f s\n", kFiles, std::chrono::duration<double>(took).count());
}

TEST_F(FsFaults, FourRunsAtOnceOnOneFileWriteOneWholeOutput) {
    WriteFile(work_ / "film.srt", kFilm);
    for (int round = 0; round < 20; ++round) {
        EXPECT_EQ(RunAtOnce(4, {"recount", "film.srt"}), 1) << round;
        EXPECT_EQ(ReadFile(work_ / "film.out"), kFilmRecounted) << round;
        EXPECT_EQ(Listing(work_), (std::set<std::string>{"film.srt", "film.out"})) << round;
        fs::remove(work_ / "film.out");
    }
}

// Commands that replace the file itself, started at once on one file (a double click, two
// terminals, overlapping folder runs): each waits for the one before, so the file ends as that
// many complete runs one after another would leave it, and every run says it did its work.
TEST_F(FsFaults, InPlaceRunsAtOnceOnOneFileTakeTurns) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kRounds = 4;
#else
    constexpr int kRounds = 16;
#endif
    const std::string film = Crlf({"7", "00:00:01,000 --> 00:00:02,000", "Hi there ,you", "", "9",
                                   "00:00:03,000 --> 00:00:04,000", "- Who?", "- Me.", ""});
    const struct {
        std::vector<std::string> args;
        int runs;
    } cases[] = {
        {{"change-case", "switch", "film.srt"}, 2},
        {{"change-case", "switch", "film.srt"}, 4},
        {{"all-in-one", "film.srt"}, 2},
        {{"all-in-one", "film.srt"}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " x" + std::to_string(c.runs));
        // The file after 0, 1, 2, ... runs one after another.
        WriteFile(work_ / "film.srt", film);
        std::vector<std::string> after = {film};
        for (int i = 0; i < c.runs; ++i) {
            ASSERT_EQ(Run(c.args).status, 0);
            after.push_back(ReadFile(work_ / "film.srt"));
        }
        ASSERT_NE(after[1], film);
        const std::set<std::string> names = Listing(work_);
        for (int round = 0; round < kRounds; ++round) {
            WriteFile(work_ / "film.srt", film);
            const int done = RunAtOnce(c.runs, c.args);
            EXPECT_EQ(done, c.runs) << round;
            EXPECT_EQ(ReadFile(work_ / "film.srt"), after[static_cast<std::size_t>(done)]) << round;
            // No film.out or temporary file left behind.
            EXPECT_EQ(Listing(work_), names) << round;
        }
    }
}

TEST_F(FsFaults, RenameOutFromEightRunsAtOnceNeverLeavesTheSubtitlesWithoutAName) {
    const std::string processed = kFilmRecounted;
    for (int round = 0; round < 25; ++round) {
        WriteFile(work_ / "film.srt", kFilm);
        WriteFile(work_ / "film.out", processed);
        std::atomic<bool> running{true};
        std::atomic<int> gaps{0};
        // The input goes to the trash, then one rename puts the output in its place: the
        // processed subtitles are always under one of the two names. The output is looked at
        // first: once it is gone, the rename has happened, and the input's name must hold them.
        std::thread watcher([&] {
            while (running) {
                if (!fs::exists(work_ / "film.out") && !fs::exists(work_ / "film.srt")) ++gaps;
            }
        });
        const int done = RunAtOnce(8, {"rename-out", "film.srt"});
        running = false;
        watcher.join();
        EXPECT_EQ(gaps, 0) << round;
        EXPECT_EQ(done, 1) << round;  // the others find the output gone
        EXPECT_EQ(ReadFile(work_ / "film.srt"), processed) << round;
        EXPECT_EQ(Listing(work_), std::set<std::string>{"film.srt"}) << round;
        // The replaced input is in the trash, never the output that took its place.
        EXPECT_EQ(test::TrashedFile(work_ / "film.srt"), kFilm) << round;
    }
}

TEST_F(FsFaults, TheOperationsLogLosesNoLineToRunsAtOnce) {
    WriteFile(work_ / "film.srt", kFilm);
    WriteFile(work_ / "film.out", "taken");
    constexpr int kWriters = 4;
    constexpr int kRunsEach = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&] {
            for (int i = 0; i < kRunsEach; ++i)
                Wait(Start({"--set", "WriteOperationsLog=1", "recount", "film.srt"}));
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    // Each run logs its command once (opening the file is part of it, no line of its own).
    const std::string log = ReadFile(home_ / "Operations.log");
    std::size_t opened = 0, recounted = 0;
    for (std::size_t at = log.find('\n'), from = 0; at != std::string::npos;
         from = at + 1, at = log.find('\n', from)) {
        const std::string line = log.substr(from, at - from);
        opened += line.starts_with("[Open File] Click | File: ");
        recounted += line.starts_with("[Offset ReCount] Click | File: ");
    }
    EXPECT_EQ(opened, 0u);
    EXPECT_EQ(recounted, std::size_t{kWriters * kRunsEach});
    EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')),
              std::size_t{kWriters * kRunsEach});
}

// A file long enough that a run over it lasts a while.
std::string ManyRecords(int records) {
    std::string text;
    for (int i = 1; i <= records; ++i)
        text += std::to_string(i) + "\r\n00:00:01,000 --> 00:00:02,000\r\nx\r\n\r\n";
    return text;
}

// Waits until a temporary output appears beside the input; its name, or "" after 10 s.
std::string AwaitTempFile(const fs::path& folder) {
    for (int i = 0; i < 100'000; ++i) {
        for (const std::string& name : Listing(folder)) {
            if (name.find(".tessaline-part-") != std::string::npos) return name;
        }
        usleep(100);
    }
    return "";
}

TEST_F(FsFaults, InterruptedRunsLeaveNoPartialOutputAndLeftoversAreSweptLater) {
    WriteFile(work_ / "film.srt", ManyRecords(3'000'000));
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        const pid_t pid = Start({"recount", "film.srt"});
        ASSERT_NE(AwaitTempFile(work_), "");
        kill(pid, sig);
        EXPECT_EQ(Wait(pid), -sig);
        EXPECT_EQ(Listing(work_), std::set<std::string>{"film.srt"});
    }
    // SIGKILL cannot be caught: the leftover stays, and the next run over that output removes it.
    const pid_t pid = Start({"recount", "film.srt"});
    const std::string leftover = AwaitTempFile(work_);
    ASSERT_NE(leftover, "");
    kill(pid, SIGKILL);
    Wait(pid);
    ASSERT_TRUE(fs::exists(work_ / leftover));
    // A file of the user's that only looks like a temporary one stays, even while unlocked.
    const fs::path held = work_ / "film.out.partLive00";
    WriteFile(held, "in use");
    const int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    WriteFile(work_ / "film.srt", kFilm);
    const ProgramResult r = Run({"recount", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(work_ / "film.out"), kFilmRecounted);
    EXPECT_EQ(Listing(work_),
              (std::set<std::string>{"film.srt", "film.out", "film.out.partLive00"}));
    close(fd);
}

TEST_F(FsFaults, ALongLineCostsOneCopyAndRunningOutOfMemoryIsAMessage) {
    // One line of 64 MB: the streaming commands hold it once.
    WriteFile(work_ / "film.srt",
              "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + std::string(64 << 20, 'x') + "\r\n");
    for (const char* command : {"recount", "convert"}) {
        SCOPED_TRACE(command);
        const ProgramResult r = Run({command, "film.srt"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_LT(r.maxRssKb, 96 * 1024);
        for (const char* made : {"film.out", "film.sub"})
            fs::remove(work_ / made);
    }
    // Under a limit below the line: a message, exit 1, nothing left.
    const ProgramResult r = Run({"recount", "film.srt"}, {.addressSpaceBytes = 48L << 20});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("film.srt: Not enough memory to process the file"), std::string::npos)
        << r.err;
    EXPECT_EQ(Listing(work_), std::set<std::string>{"film.srt"});
}

TEST_F(FsFaults, ValuesBeyondTheirRangeAreConversionErrorsAndWriteNothing) {
    const struct {
        std::vector<std::string> args;
        std::string name, bytes;
    } cases[] = {
        {{"offset-frame", "1"}, "film.sub", "{9223372036854775807}{1}x\r\n"},
        {{"offset-frame", "1"}, "film.sub", "{2305843009213693951}{1}x\r\n"},
        {{"offset-frame", "--minus", "-9223372036854775808"}, "film.sub", "{1}{2}x\r\n"},
        {{"offset-count", "9223372036854775807"}, "film.srt", kFilm},
        {{"offset-count", "1"}, "film.srt", Crlf({"2147483647", "00:00:01,000 --> 00:00:02,000"})},
        {{"--set", "TimeCorrection=0", "offset-time", "00:00:01"},
         "film.srt",
         Crlf({"1", "00:00:00,4294967295 --> 00:00:00,4294967295", "x", ""})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        fs::remove_all(work_);
        fs::create_directory(work_);
        WriteFile(work_ / c.name, c.bytes);
        std::vector<std::string> args = c.args;
        args.push_back(c.name);
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_EQ(Listing(work_), std::set<std::string>{c.name});
    }
}

}  // namespace
}  // namespace tessaline
