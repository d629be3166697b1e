#include "ops/recode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codepages.hpp"
#include "core/cp1251.hpp"
#include "op_folder.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::W;

const std::string kFilm =
    Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Где ты был всю ночь? Я звонила тебе."), "", "2",
          "00:00:04,000 --> 00:00:06,000", W("Ёлка у Серёжи, 5 руб."), ""});

using Folder = test::OpFolder;

std::string Lf(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST(Recode, ConvertsEveryLineByTheMode) {
    const std::string koi8 = ConvertLine(kFilm, ModeOf(CodePage::Win1251, CodePage::Koi8r));
    const struct {
        std::string input;
        int mode;
        std::string output;
    } cases[] = {
        // An LF-only file comes out with CR LF.
        {Lf(koi8), 12, kFilm},
        {kFilm, 19, koi8},
        // UTF-8: the mark before the first line only.
        {kFilm, kModeWin1251ToUtf8, "\xEF\xBB\xBF" + Cp1251ToUtf8(kFilm)},
        {"\xEF\xBB\xBF" + Cp1251ToUtf8(kFilm), kModeUtf8ToWin1251, kFilm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Folder f(c.input);
        EXPECT_EQ(ConvertFile(f.input.string(), f.output.string(), c.mode, f.host),
                  RunResult::Done);
        EXPECT_EQ(f.Output(), c.output);
        EXPECT_EQ(f.host.statusBar, "");
    }
    // What Windows-1251 lacks is left out, and the status bar says how much.
    Folder notes("\xE2\x99\xAA " + Cp1251ToUtf8(W("Ёж")) + " \xE4\xB8\x80\r\n");
    EXPECT_EQ(
        ConvertFile(notes.input.string(), notes.output.string(), kModeUtf8ToWin1251, notes.host),
        RunResult::Done);
    EXPECT_EQ(notes.Output(), " " + W("Ёж") + " \r\n");
    EXPECT_EQ(notes.host.statusBar,
              notes.input.string() + ": left out 2 characters that Windows-1251 lacks");
    // An existing output is named in every run: a folder run has no other way to say it.
    Folder taken(kFilm, "film.srt", true);
    EXPECT_EQ(ConvertFile(taken.input.string(), taken.output.string(), 19, taken.host),
              RunResult::Refused);
    EXPECT_EQ(taken.host.messages, std::vector<std::string>{"Output File Exist!!!"});
    EXPECT_EQ(taken.Output(), "old");
}

TEST(Recode, ConvertsFromTheDetectedCodePage) {
    const auto page = [](CodePage p) { return ConvertLine(kFilm, ModeOf(CodePage::Win1251, p)); };
    // A Windows-1251 text in UTF-16 with its byte-order mark.
    const auto utf16 = [](const std::string& text, bool bigEndian) {
        std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : text) {
            const char32_t ch = Cp1251ToUnicode(static_cast<unsigned char>(c));
            const char high = static_cast<char>(ch >> 8);
            const char low = static_cast<char>(ch & 0xFF);
            out += bigEndian ? high : low;
            out += bigEndian ? low : high;
        }
        return out;
    };
    const std::string utf16be = utf16(Lf(kFilm), true);
    const std::string kDone = ": converted to windows-1251";
    const struct {
        std::string input;
        std::string status;  // after the path
        std::string output;
    } cases[] = {
        {Lf(page(CodePage::Koi8r)), "koi8-r (41 Cyrillic letters read as KOI8-R)" + kDone, kFilm},
        {page(CodePage::Cp866), "cp866 (41 Cyrillic letters read as CP866)" + kDone, kFilm},
        {page(CodePage::Iso88595), "iso-8859-5 (41 Cyrillic letters read as ISO-8859-5)" + kDone,
         kFilm},
        {page(CodePage::Mac), "mac (41 Cyrillic letters read as Mac Cyrillic)" + kDone, kFilm},
        {Cp1251ToUtf8(kFilm), "utf-8 (valid UTF-8, 41 Cyrillic letters)" + kDone, kFilm},
        {utf16be, "utf-16be (byte-order mark)" + kDone, kFilm},
        // CR LF line ends in UTF-16: each CR and LF is two bytes, one of them NUL.
        {utf16(kFilm, true), "utf-16be (byte-order mark)" + kDone, kFilm},
        {utf16(kFilm, false), "utf-16le (byte-order mark)" + kDone, kFilm},
        // A character that Windows-1251 lacks (a note) is left out, and the status bar says so.
        {Cp1251ToUtf8(kFilm) + "\xE2\x99\xAA\r\n",
         "utf-8 (valid UTF-8, 41 Cyrillic letters)" + kDone +
             ", left out 1 character that Windows-1251 lacks",
         kFilm + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Folder f(c.input);
        EXPECT_EQ(ConvertDetected(f.input.string(), f.output.string(), f.host), RunResult::Done);
        EXPECT_EQ(f.Output(), c.output);
        EXPECT_EQ(f.host.statusBar, f.input.string() + ": " + c.status);
        EXPECT_FALSE(f.host.busy);
    }
    // Windows-1251 and ASCII are left alone, and the status bar says so.
    for (const std::string& input : {kFilm, std::string("Hello\r\n")}) {
        Folder f(input, "film.srt", true);
        EXPECT_EQ(ConvertDetected(f.input.string(), f.output.string(), f.host), RunResult::Skipped);
        EXPECT_TRUE(f.host.statusBar.ends_with(": nothing to convert")) << f.host.statusBar;
        EXPECT_TRUE(f.host.messages.empty());
        EXPECT_EQ(f.Output(), "old");
    }
}

}  // namespace
}  // namespace tessaline
