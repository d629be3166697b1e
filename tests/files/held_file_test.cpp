#include "files/held_file.hpp"

#include <sys/stat.h>
#include <utime.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "core/errors.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// What another program does to the file at the moment before the rename.
void Append(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    std::fputs("appended\r\n", file);
    std::fclose(file);
}
void SaveAnew(const std::string& path) {  // as editors save: a new file renamed in
    WriteFile(path + ".editor", "editor's\r\n");
    std::rename((path + ".editor").c_str(), path.c_str());
}
void Touch(const std::string& path) {  // same bytes, a new time
    struct utimbuf times {
        1, 1
    };
    ::utime(path.c_str(), &times);
}

// Sets the hook for one test; the program never has one.
struct HookScope {
    explicit HookScope(BeforeReplaceHook hook) { SetBeforeReplaceHook(hook); }
    ~HookScope() { SetBeforeReplaceHook(nullptr); }
};

TEST(HeldFile, AFileChangedByAnotherProgramIsNotReplaced) {
    const struct {
        const char* what;
        BeforeReplaceHook writer;
        std::string theirs;  // the file as the other program leaves it
    } writers[] = {{"append", Append, "original\r\nappended\r\n"},
                   {"save anew", SaveAnew, "editor's\r\n"},
                   {"touch", Touch, "original\r\n"}};
    for (const auto& w : writers) {
        for (const bool fromTemp : {true, false}) {
            SCOPED_TRACE(std::string(w.what) + (fromTemp ? " temp" : " output"));
            TempDir dir;
            const std::string film = dir / "film.srt";
            const std::string out = dir / "film.out";
            WriteFile(film, "original\r\n");
            HeldFile held(film);
            std::string message;
            {
                const HookScope hook(w.writer);
                TempFile temp(film);
                WriteFile(temp.path(), "result\r\n");
                if (!fromTemp) WriteFile(out, "result\r\n");
                try {
                    if (fromTemp) {
                        held.Replace(temp, out);
                    } else {
                        (void)held.ReplaceWith(out);
                    }
                } catch (const FileError& e) {
                    message = e.what();
                }
            }
            EXPECT_EQ(message,
                      "film.srt was changed by another program while it was being worked on: "
                      "nothing replaced");
            // The other program's version stays, and the result is kept as film.out.
            EXPECT_EQ(ReadFile(film), w.theirs);
            EXPECT_EQ(ReadFile(out), "result\r\n");
            EXPECT_FALSE(test::TrashedFile(film).has_value());
        }
    }
}

// Without a change, a replacement is held in turn: the next step of the same run is not taken
// for another program's change, and a second holder waits until the first lets go.
TEST(HeldFile, ReplacementsFollowOneAnotherAndASecondHolderWaits) {
    TempDir dir;
    const std::string film = dir / "film.srt";
    WriteFile(film, "0\r\n");
    std::atomic<int> step{0};
    std::atomic<int> seenByOther{-1};
    std::thread other;
    {
        HeldFile held(film);
        other = std::thread([&] {
            const HeldFile second(film);
            seenByOther = step.load();
        });
        for (int i = 1; i <= 3; ++i) {
            TempFile temp(film);
            WriteFile(temp.path(), std::to_string(i) + "\r\n");
            held.Replace(temp, "");
            step = i;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(seenByOther, -1);  // still waiting
    }
    other.join();
    EXPECT_EQ(seenByOther, 3);
    EXPECT_EQ(ReadFile(film), "3\r\n");
}

}  // namespace
}  // namespace tessaline
