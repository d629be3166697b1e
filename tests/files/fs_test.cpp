#include "files/fs.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(Fs, MatchesMaskMatchesTheWholeName) {
    const struct {
        std::string_view name, mask;
        bool matches;
    } cases[] = {
        // clang-format off
        {"film.srt", "*.srt", true}, {"film.srt.bak", "*.srt", false}, {".srt", "*.srt", true},
        {"film.srt", "*", true}, {"", "*", true}, {"film.srt", "", false}, {"", "", true},
        {"a.srt", "?.srt", true}, {"ab.srt", "?.srt", false}, {".srt", "?.srt", false},
        {"film.srt", "f?l*.s?t", true}, {"film.srt", "film*", true}, {"film.srt", "film.srt**", true},
        {"film", "film?", false}, {"abab", "*ab", true}, {"abac", "*ab", false},
        // The extension is matched without regard to case, the rest of the name exactly.
        {"FILM.SRT", "*.srt", true}, {"film.Srt", "*.sRT", true}, {"a.b.SRT", "*.s?t", true},
        {"FILM.srt", "film*.srt", false}, {"FILM.SRT", "F*.srt", true}, {"film.SRT.bak", "*.srt", false},
        {"a.B.c", "a.*", true}, {"SRT", "*.srt", false}, {"film.srt", "*.SRT", true},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
}

TEST(Fs, RenameNoReplaceRefusesAnExistingTarget) {
    TempDir dir;
    WriteFile(dir / "from", "new");
    WriteFile(dir / "to", "old");
    EXPECT_FALSE(RenameNoReplace(dir / "from", dir / "to"));
    EXPECT_EQ(ReadFile(dir / "to"), "old");
    EXPECT_EQ(ReadFile(dir / "from"), "new");
    EXPECT_TRUE(RenameNoReplace(dir / "from", dir / "free"));
    EXPECT_EQ(ReadFile(dir / "free"), "new");
    EXPECT_FALSE(PathExists(dir / "from"));
}

TEST(Fs, ListMatchingGivesNoNamesForAMissingFolder) {
    TempDir dir;
    EXPECT_TRUE(ListMatching(dir / "missing", "*").empty());
    WriteFile(dir / "a.srt", "");
    WriteFile(dir / "b.sub", "");
    EXPECT_EQ(ListMatching(dir.path(), "*.srt"), std::vector<std::string>{"a.srt"});
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(Fs, ProgramFolderOfAnInstalledProgramIsTheUsersConfigFolder) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    // An installed program: PREFIX/bin/tessaline with its shipped files in PREFIX/share/tessaline.
    const fs::path prefix = dir / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "tessaline");
    test::WriteFile(prefix / "bin" / "tessaline", "");
    test::WriteFile(prefix / "share" / "tessaline" / "DiaBreak.dat", ". -\r\n");
    fs::create_directories(prefix / "share" / "tessaline" / "languages");
    test::WriteFile(prefix / "share" / "tessaline" / "languages" / "English.lng", "x\r\n");
    // A program run from its build folder keeps everything beside itself.
    fs::create_directories(dir / "build");
    const std::string built = (dir / "build" / "tessaline").string();

    const ProgramPlace installed{.executable = (prefix / "bin" / "tessaline").string(),
                                 .xdgConfigHome = (dir / "config").string(),
                                 .home = (dir / "home").string()};
    const std::string config = (dir / "config" / "tessaline").string();
    EXPECT_EQ(ProgramFolderOf(installed), config);
    EXPECT_EQ(test::ReadFile(dir / "config" / "tessaline" / "DiaBreak.dat"), ". -\r\n");
    EXPECT_EQ(test::ReadFile(dir / "config" / "tessaline" / "languages" / "English.lng"), "x\r\n");

    // The user's own edits survive the next start.
    test::WriteFile(dir / "config" / "tessaline" / "DiaBreak.dat", "; -\r\n");
    EXPECT_EQ(ProgramFolderOf(installed), config);
    EXPECT_EQ(test::ReadFile(dir / "config" / "tessaline" / "DiaBreak.dat"), "; -\r\n");

    ProgramPlace noXdg = installed;
    noXdg.xdgConfigHome.clear();
    EXPECT_EQ(ProgramFolderOf(noXdg), (dir / "home" / ".config" / "tessaline").string());

    ProgramPlace home = installed;
    home.tessalineHome = (dir / "mine").string();
    EXPECT_EQ(ProgramFolderOf(home), (dir / "mine").string());
    EXPECT_EQ(ProgramFolderOf({.executable = built}), (dir / "build").string());
}

}  // namespace
}  // namespace tessaline
