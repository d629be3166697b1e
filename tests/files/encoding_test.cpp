#include "files/encoding.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/codepages.hpp"
#include "core/cp1251.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

// Two subtitles of everyday Russian, in Windows-1251: 50 Cyrillic letters.
const std::string kRussian =
    test::Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Где ты был всю ночь? Я звонила тебе."), "",
                "2", "00:00:04,000 --> 00:00:06,000", W("Прости, телефон сел у Серёжи."), ""});
constexpr int kLetters = 50;

std::string Utf16(std::string_view win1251, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : win1251) {
        const char32_t ch = Cp1251ToUnicode(static_cast<unsigned char>(c));
        const char high = static_cast<char>(ch >> 8);
        const char low = static_cast<char>(ch & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(Encoding, NamesTheCodePageAndSaysWhy) {
    const auto page = [](CodePage p) {
        return ConvertLine(kRussian, ModeOf(CodePage::Win1251, p));
    };
    const std::string n = std::to_string(kLetters);
    const struct {
        std::string bytes;
        TextEncoding encoding;
        std::string reason;
    } cases[] = {
        {kRussian, TextEncoding::Windows1251, n + " Cyrillic letters read as Windows-1251"},
        {page(CodePage::Koi8r), TextEncoding::Koi8r, n + " Cyrillic letters read as KOI8-R"},
        {page(CodePage::Cp866), TextEncoding::Cp866, n + " Cyrillic letters read as CP866"},
        {page(CodePage::Iso88595), TextEncoding::Iso88595,
         n + " Cyrillic letters read as ISO-8859-5"},
        {page(CodePage::Mac), TextEncoding::Mac, n + " Cyrillic letters read as Mac Cyrillic"},
        {Cp1251ToUtf8(kRussian), TextEncoding::Utf8, "valid UTF-8, " + n + " Cyrillic letters"},
        {"\xEF\xBB\xBF" + Cp1251ToUtf8(kRussian), TextEncoding::Utf8, "byte-order mark"},
        {Utf16(kRussian, false), TextEncoding::Utf16le, "byte-order mark"},
        {Utf16(kRussian, true), TextEncoding::Utf16be, "byte-order mark"},
        // Without Cyrillic letters: ASCII, or UTF-8 when it holds other UTF-8.
        {"1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n", TextEncoding::Ascii,
         "no byte above 127"},
        {"Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
         "e, na\xC3\xAFve fa\xC3\xA7"
         "ade",
         TextEncoding::Utf8, "valid UTF-8, no Cyrillic letters"},
        // Too short for the detector, which names a Western code page.
        {"h\xC3\xA9llo\r\n", TextEncoding::Utf8, "valid UTF-8, no Cyrillic letters"},
        {"", TextEncoding::Ascii, "no byte above 127"},
        // A CP866 text that the detector alone takes for UTF-8.
        {ConvertLine(test::Crlf({"1", "00:00:01,000 --> 00:00:03,000",
                                 W("userdel - удаляет учётную запись и файлы пользователя"), "",
                                 "2", "00:00:04,000 --> 00:00:06,000",
                                 W("userdel [параметры] УЧЁТНАЯ_ЗАПИСЬ"), ""}),
                     ModeOf(CodePage::Win1251, CodePage::Cp866)),
         TextEncoding::Cp866, "60 Cyrillic letters read as CP866"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const EncodingGuess guess = DetectEncoding(c.bytes);
        EXPECT_EQ(EncodingName(guess.encoding), EncodingName(c.encoding));
        EXPECT_EQ(guess.reason, c.reason);
        EXPECT_EQ(guess.NeedsConversion(),
                  c.encoding != TextEncoding::Windows1251 && c.encoding != TextEncoding::Ascii);
    }
}

TEST(Encoding, ASampleCutInsideASequenceIsStillValid) {
    const std::string utf8 = Cp1251ToUtf8(kRussian);
    const std::string cut = utf8.substr(0, utf8.find('\xD0', 60) + 1);
    EXPECT_EQ(DetectEncoding(cut, false).reason.substr(0, 12), "valid UTF-8,");
    EXPECT_EQ(DetectEncoding(cut, true).reason.substr(0, 22), "UTF-8 with 1 malformed");
}

}  // namespace
}  // namespace tessaline
