#include "files/fs.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <set>

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

// Every name in the folder, the program's own temporary files too (ListMatching skips those).
std::set<std::string> AllNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// What a killed run leaves: a temporary file of the target that nobody holds. Its name is one
// the program made (kept through a second link while the TempFile removed its own).
std::string MakeLeftover(const std::string& target) {
    std::string path;
    {
        const TempFile temp(target);
        path = temp.path();
        EXPECT_EQ(::link(path.c_str(), (path + "~").c_str()), 0);
    }
    EXPECT_EQ(::rename((path + "~").c_str(), path.c_str()), 0);
    return NameOf(path);
}

TEST(TempFile, IsRemovedUnlessPutInPlaceAndNeverReplacesWhenAskedNotTo) {
    TempDir dir;
    const std::string target = dir / "film.out";
    std::string path;
    {
        TempFile temp(target);
        path = temp.path();
        EXPECT_TRUE(IsTempName(NameOf(path), "film.out")) << path;
        EXPECT_FALSE(IsTempName(NameOf(path), "film.srt")) << path;
        EXPECT_TRUE(PathExists(path));
        // No mask of a folder run takes it for an input.
        EXPECT_TRUE(ListMatching(dir.path(), "*").empty());
    }
    EXPECT_FALSE(PathExists(path));  // given up: removed

    WriteFile(target, "existing");
    {
        TempFile temp(target);
        WriteFile(temp.path(), "new");
        EXPECT_FALSE(temp.PlaceNoReplace());
    }
    EXPECT_EQ(ReadFile(target), "existing");
    {
        TempFile temp(target);
        WriteFile(temp.path(), "new");
        temp.PlaceReplacing();
    }
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(AllNames(dir.path()), std::set<std::string>{"film.out"});
}

TEST(TempFile, SweepsOnlyLeftoversItCanProveItMadeForItsTarget) {
    TempDir dir;
    const std::string target = dir / "film.out";
    const std::string live = MakeLeftover(target);
    const int fd = ::open((dir / live).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // a live run holds it
    const std::string other = MakeLeftover(dir / "other.out");
    std::string forged = MakeLeftover(target);
    std::filesystem::remove(dir / forged);
    forged.back() = forged.back() == 'a' ? 'b' : 'a';  // the proof no longer fits
    // Names a user may well choose, and the program's own name with a wrong proof.
    const std::set<std::string> kept = {"film.out.part",
                                        "film.out.partA-C123",
                                        "film.out.partAbC123",
                                        "film.out.part2of3ru",
                                        "film.out.partSECOND",
                                        forged,
                                        live,
                                        other};
    for (const std::string& name : kept)
        if (name != live && name != other) WriteFile(dir / name, "user");
    for (const bool listed : {false, true}) {
        SCOPED_TRACE(listed);
        const std::string swept = MakeLeftover(target);
        // A folder run lists the folder once.
        const FolderTempListing listing(dir.path());
        std::optional<FolderTempListing::Use> use;
        if (listed) use.emplace(listing);
        const TempFile temp(target);
        std::set<std::string> expected = kept;
        expected.insert(NameOf(temp.path()));
        EXPECT_EQ(AllNames(dir.path()), expected) << swept;
    }
    ::close(fd);
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
