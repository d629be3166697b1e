#include "files/file_commands.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/errors.hpp"
#include "files/directory.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Names = std::vector<std::string>;

TEST(RenameOutFile, PutsTheOutputInPlaceOfItsInputAndTheInputInTheTrash) {
    const struct {
        std::string_view what;
        bool sourceThere, destinationThere, samePath, interactive, result;
        Names messages;
        std::string destination;  // its bytes afterwards, "-" when absent
        std::string trashed;      // the bytes the trash keeps for the destination, "-" for none
    } cases[] = {
        {"replaces", true, true, false, true, true, {}, "out", "input"},
        {"no destination yet", true, false, false, true, true, {}, "out", "-"},
        {"no source",
         false,
         true,
         false,
         true,
         false,
         {"Source File Not Present!!!"},
         "input",
         "-"},
        {"no source, quiet", false, false, false, false, false, {}, "-", "-"},
        {"same path", true, true, true, true, false, {}, "input", "-"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir / "film.out";
        const std::string destination = c.samePath ? source : std::string(dir / "film.srt");
        if (c.destinationThere) WriteFile(destination, "input");
        if (c.sourceThere && !c.samePath) WriteFile(source, "out");
        RecordingHost host;
        EXPECT_EQ(RenameOutFile(source, destination, c.interactive, host), c.result) << c.what;
        EXPECT_EQ(host.messages, c.messages) << c.what;
        EXPECT_EQ(std::filesystem::exists(destination) ? ReadFile(destination) : "-", c.destination)
            << c.what;
        EXPECT_EQ(test::TrashedFile(destination).value_or("-"), c.trashed) << c.what;
        if (c.result) {
            EXPECT_FALSE(std::filesystem::exists(source)) << c.what;
        }
    }
}

// The message of the FileError that `call` throws; "" when it throws none.
template <typename Call>
std::string FailureOf(const Call& call) {
    try {
        call();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

// Where the input cannot go to the trash it is not replaced: the subtitles are never only gone,
// and the reason is said, over a folder as well.
TEST(RenameOutFile, KeepsBothFilesWhenTheInputCannotGoToTheTrash) {
    TempDir dir;
    WriteFile(dir / "film.out", "out");
    std::filesystem::create_directory(dir / "folder.srt");
    RecordingHost host;
    EXPECT_EQ(
        FailureOf([&] { (void)RenameOutFile(dir / "film.out", dir / "folder.srt", false, host); }),
        "folder.srt is not a regular file: nothing replaced");

    // A file where the trash folder should be: the trash cannot be made.
    const std::filesystem::path trash = test::DataHome() / "Trash";
    std::filesystem::remove_all(trash);
    WriteFile(trash, "not a folder");
    WriteFile(dir / "film.srt", "input");
    const std::string message =
        FailureOf([&] { (void)RenameOutFile(dir / "film.out", dir / "film.srt", false, host); });
    std::filesystem::remove(trash);
    EXPECT_TRUE(message.starts_with("Destination File Not Deleted!!!\r\n")) << message;
    EXPECT_GT(message.size(), std::string_view("Destination File Not Deleted!!!\r\n").size());
    EXPECT_EQ(ReadFile(dir / "film.srt"), "input");
    EXPECT_EQ(ReadFile(dir / "film.out"), "out");
    EXPECT_TRUE(host.messages.empty());
}

// Runs over the same output at once take turns: one puts it in place, the others find it gone.
// (Each sending to the trash whatever stood under the input's name would have sent the output
// the first one had just put there.)
TEST(RenameOutFile, RunsAtOnceReplaceTheInputOnce) {
    for (int round = 0; round < 20; ++round) {
        TempDir dir;
        WriteFile(dir / "film.srt", "input");
        WriteFile(dir / "film.out", "out");
        constexpr int kRuns = 6;
        std::atomic<int> done{0};
        std::vector<std::thread> runs;
        for (int i = 0; i < kRuns; ++i) {
            runs.emplace_back([&] {
                RecordingHost host;
                done += RenameOutFile(dir / "film.out", dir / "film.srt", false, host);
            });
        }
        for (std::thread& run : runs)
            run.join();
        EXPECT_EQ(done, 1) << round;
        EXPECT_EQ(ListMatching(dir.path(), "*"), Names{"film.srt"}) << round;
        EXPECT_EQ(ReadFile(dir / "film.srt"), "out") << round;
        EXPECT_EQ(test::TrashedFile(dir / "film.srt"), "input") << round;
    }
}

TEST(DeleteOneFile, DeletesOrTellsWhy) {
    TempDir dir;
    WriteFile(dir / "film.fix", "x");
    std::filesystem::create_directories(dir / "folder" / "inner");
    const struct {
        std::string name;
        bool interactive, result;
        Names messages;
        std::string failure;  // a file that is there and stays fails over a folder too
    } cases[] = {
        {"film.fix", true, true, {}, ""},
        {"film.fix", true, false, {"Source File Not Present!!!"}, ""},
        {"film.fix", false, false, {}, ""},
        {"folder", true, false, {}, "File Not Deleted!!!\r\nIs a directory"},
        {"folder", false, false, {}, "File Not Deleted!!!\r\nIs a directory"},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        bool result = false;
        EXPECT_EQ(FailureOf([&] { result = DeleteOneFile(dir / c.name, c.interactive, host); }),
                  c.failure)
            << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(host.messages, c.messages) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "film.fix"));
}

TEST(LogAppend, AddsTheLineFirstOrLast) {
    TempDir dir;
    const std::string log = dir / "Operations.log";
    EXPECT_TRUE(LogAppend("a", log, 1));
    EXPECT_EQ(ReadFile(log), Crlf({"a"}));
    EXPECT_TRUE(LogAppend("b", log, 1));
    EXPECT_TRUE(LogAppend("c", log, 0));
    EXPECT_EQ(ReadFile(log), Crlf({"c", "a", "b"}));
}

TEST(LogAppend, CutsALogOfMoreThan2000LinesToItsLast500) {
    // Lines as long as a log's usually are: a log of a few kilobytes is never read.
    const auto line = [](int i) { return std::to_string(i) + " | File: " + std::string(70, 'x'); };
    const struct {
        int lines;
        std::size_t after;
        std::string first;
    } cases[] = {{2000, 2001, line(1)}, {2001, 501, line(1502)}};
    for (const auto& c : cases) {
        TempDir dir;
        std::string bytes;
        for (int i = 1; i <= c.lines; ++i)
            bytes += line(i) + "\r\n";
        WriteFile(dir / "Operations.log", bytes);
        EXPECT_TRUE(LogAppend("new", dir / "Operations.log", 1));
        const Names lines = ReadLinesIfExists(dir / "Operations.log");
        ASSERT_EQ(lines.size(), c.after) << c.lines;
        EXPECT_EQ(lines.front(), c.first) << c.lines;
        EXPECT_EQ(lines[lines.size() - 2], line(c.lines)) << c.lines;
        EXPECT_EQ(lines.back(), "new") << c.lines;
    }
}

TEST(LogAppend, WritersAtOnceLoseNoLine) {
    TempDir dir;
    const std::string log = dir / "Operations.log";
    constexpr int kWriters = 4;
    constexpr int kLines = 300;  // 1,200 lines of 80 bytes: the log is cut once on the way
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < kLines; ++i)
                LogAppend(std::to_string(w) + " " + std::string(76, 'x'), log, 1);
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(ReadLinesIfExists(log).size(), std::size_t{kWriters * kLines});
    EXPECT_EQ(ListMatching(dir.path(), "*"), Names{"Operations.log"});
}

TEST(LogAppend, AFirstLineGoesBeforeALogCutTo500) {
    TempDir dir;
    std::string bytes;
    for (int i = 1; i <= 2001; ++i)
        bytes += std::to_string(i) + "\r\n";
    WriteFile(dir / "Operations.log", bytes);
    EXPECT_TRUE(LogAppend("first", dir / "Operations.log", 0));
    const Names lines = ReadLinesIfExists(dir / "Operations.log");
    ASSERT_EQ(lines.size(), 501u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[1], "1502");
}

TEST(RunDirectory, VisitsTheMatchingFilesInNameOrder) {
    TempDir dir;
    for (const char* name : {"b.srt", "c.srt", "a.srt", "a.sub"})
        WriteFile(dir / name, "");
    const std::string folder = dir.path();
    const struct {
        std::string pathText, mask;
        Names visited, progress;
    } cases[] = {
        {folder + "/*.srt",
         "*.srt",
         {folder + "/a.srt", folder + "/b.srt", folder + "/c.srt"},
         {"Finding *.srt", "a.srt", "b.srt", "c.srt", ""}},
        {folder + "//x.out", "*.sub", {folder + "/a.sub"}, {"Finding *.sub", "a.sub", ""}},
        {folder + "/*.ass", "*.ass", {}, {"Finding *.ass", ""}},
        {"", "*.srt", {}, {}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Names visited;
        RunDirectory(c.pathText, c.mask, host, [&](const DirectoryEntry& entry, Host&) {
            EXPECT_EQ(JoinInFolder(entry.folder, entry.name), entry.path);
            visited.push_back(entry.path);
        });
        EXPECT_EQ(visited, c.visited) << c.pathText;
        EXPECT_EQ(host.progress, c.progress) << c.pathText;
    }
}

}  // namespace
}  // namespace tessaline
