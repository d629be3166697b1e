// The command line and text typed in a UTF-8 terminal: --set values and --text become the
// settings' Windows-1251 or the file's form; the subtitle commands read a file in its encoding.

#include <gtest/gtest.h>

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
using test::W;
using test::WriteFile;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string T2 = "00:00:03,000 --> 00:00:04,000";
const std::string kBom = "\xEF\xBB\xBF";

using EncodingCli = test::CliFolder;

// A UTF-8 --set value is the Windows-1251 setting; bytes that are no UTF-8 are Windows-1251
// already; a character Windows-1251 lacks is a usage error that names it.
TEST_F(EncodingCli, SetTakesUtf8TextAsTheSettingsWindows1251) {
    const struct {
        std::string value;
        int status;
        std::string setting;  // in the printed INI text; or the error's mention
    } cases[] = {
        {"привет", 0, "TextToFind=" + W("привет")},
        {W("привет"), 0, "TextToFind=" + W("привет")},
        {"a<b", 0, "TextToFind=a<b"},
        {"Ωmega", 2, "\"Ω\" (U+03A9)"},
    };
    for (const auto& c : cases) {
        const auto r = Run({"--set", "TextToFind=" + c.value, "settings"});
        EXPECT_EQ(r.status, c.status) << c.value << r.err;
        const std::string& where = c.status == 0 ? r.out : r.err;
        EXPECT_NE(where.find(c.setting), std::string::npos) << c.value << "\n" << where;
    }
}

// TextToFind given in Windows-1251 (as the settings hold it) or typed in UTF-8 finds and
// replaces in a UTF-8 file, whose output stays UTF-8 with its byte-order mark.
TEST_F(EncodingCli, ReplaceTextFindsTheSettingInAUtf8File) {
    for (const std::string& find : {W("мир"), std::string("мир")}) {
        Put("film.srt", kBom + Crlf({"1", T1, "Привет, мир!", ""}));
        fs::remove(work_ / "film.out");
        const auto r = Run({"--set", "TextToFind=" + find, "--set", "TextToReplace=" + W("свет"),
                            "replace-text", "film.srt"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Get("film.out"), kBom + Crlf({"1", T1, "Привет, свет!", ""}));
    }
}

// The byte-order mark does not hide subtitle 1; rewrite-subtitle takes UTF-8 text into the
// file's own form and keeps the rest of the file as it was.
TEST_F(EncodingCli, TheSubtitleCommandsReadAndWriteTheFilesEncoding) {
    Put("film.srt", kBom + Crlf({"1", T1, "Первый", "", "2", T2, "Второй", ""}));
    auto r = Run({"show-subtitle", "--number", "1", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, T1 + "\nПервый\n");

    r = Run({"rewrite-subtitle", "--number", "2", "--text", "Новый", "film.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("film.srt"), kBom + Crlf({"1", T1, "Первый", "", "2", T2, "Новый", ""}));

    const std::string cp1251 = Crlf({"1", T1, W("Первый"), "", "2", T2, W("Второй"), ""});
    Put("old.srt", cp1251);
    r = Run({"rewrite-subtitle", "--number", "2", "--text", "Ωmega", "old.srt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("\"Ω\" (U+03A9)"), std::string::npos) << r.err;
    EXPECT_EQ(Get("old.srt"), cp1251);
    r = Run({"rewrite-subtitle", "--number", "2", "--text", "Новый", "old.srt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Get("old.srt"), Crlf({"1", T1, W("Первый"), "", "2", T2, W("Новый"), ""}));
}

}  // namespace
}  // namespace tessaline
