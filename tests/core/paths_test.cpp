#include "core/paths.hpp"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(Paths, FileExtOfLooksOnlyInTheFileName) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"a.srt", "srt"},         {"abcdef", "(null)"}, {"a.b", ""},
        {"", "(null)"},           {"film.", ""},        {"a.b/film", "(null)"},
        {"/a.b/film.srt", "srt"},
    };
    for (const auto& [path, ext] : cases)
        EXPECT_EQ(FileExtOf(path), ext) << path;
}

TEST(Paths, ChangeFileExtModeReplacesOrAppendsTheExtension) {
    const struct {
        std::string_view path, ext;
        int mode;
        std::string_view expected;
    } cases[] = {
        {"/s/film.srt", "out", 0, "/s/film.out"},
        {"/s/film.srt", "out", 9, "/s/film.out"},
        {"/s/film.srt", "out", 1, "/s/filmout"},
        {"/s/film.srt", "out", 2, "/s/film.out"},
        {"/s/film.srt", "*.out", 3, "/s/film.out"},
        {"/s/film", "out", 0, "/s/film.out"},
        {"/s/film", "out", 2, "/s/filmout"},
        {"/s/film", "*.out", 3, "/s/film.out"},
        {"/a.b/film", "out", 0, "/a.b/film.out"},
        {"f.en.srt", "out", 0, "f.en.out"},
        {"a.srt", "out", 0, "a.out"},
        {"abcd", "out", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChangeFileExtMode(c.path, c.ext, c.mode), c.expected) << c.path << " " << c.mode;
    }
}

TEST(Paths, PathJoinPutsOneSeparatorUnlessTheFolderEndsWithOne) {
    EXPECT_EQ(PathJoin("/subs/", "film.srt"), "/subs/film.srt");
    EXPECT_EQ(PathJoin("/subs", "film.srt"), "/subs/film.srt");
    EXPECT_EQ(PathJoin("", "film.srt"), "/film.srt");
}

}  // namespace
}  // namespace tessaline
