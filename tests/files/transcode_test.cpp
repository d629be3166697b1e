#include "files/transcode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp1251.hpp"
#include "files/encoding.hpp"
#include "files/line_io.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::W;

// Russian, accents, a note, CJK, an emoji with a skin-tone modifier: in UTF-8.
const std::string kMixed = "Привет, мир ♪ café ñ 漢字 👍🏽";

std::string Encoded(std::string_view utf8, TextEncoding target) {
    std::string out;
    TextEncoder(target, TextForm::Utf8).Encode(utf8, out);
    return out;
}

std::string Decoded(std::string_view bytes, TextEncoding encoding, std::size_t block) {
    TextDecoder decoder(encoding);
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += block)
        decoder.Decode(bytes.substr(i, block), out);
    decoder.Finish(out);
    return out;
}

TEST(Transcode, EveryByteOfEveryCodePageComesBack) {
    for (const CodePage page : {CodePage::Cp866, CodePage::Iso88595, CodePage::Koi8r,
                                CodePage::Mac, CodePage::Win1251}) {
        std::vector<bool> seen(0x110000);
        for (int b = 0; b < 256; ++b) {
            const char32_t ch = PageToUnicode(page, static_cast<unsigned char>(b));
            EXPECT_FALSE(seen[ch]) << "two bytes give " << CodePointName(ch);
            seen[ch] = true;
            EXPECT_EQ(UnicodeToPage(page, ch), static_cast<unsigned char>(b));
        }
    }
    // The published letters, not a table of our own.
    EXPECT_EQ(PageToUnicode(CodePage::Koi8r, 0xC1), U'а');
    EXPECT_EQ(PageToUnicode(CodePage::Cp866, 0x80), U'А');
    EXPECT_EQ(PageToUnicode(CodePage::Iso88595, 0xB0), U'А');
    EXPECT_EQ(PageToUnicode(CodePage::Win1251, 0xA8), U'Ё');
}

TEST(Transcode, RoundTripsAreLosslessInBlocksOfAnySize) {
    const struct {
        TextEncoding encoding;
        std::string text;  // UTF-8
    } cases[] = {
        {TextEncoding::Utf16le, kMixed + "\r\n"},
        {TextEncoding::Utf16be, kMixed + "\r\n"},
        {TextEncoding::Koi8r, "Ёлки-палки, ёж! ─│┌\r\n"},
        {TextEncoding::Cp866, "Щука и ёж ░▒▓\r\n"},
        {TextEncoding::Iso88595, "Юг и ЁЖ №\r\n"},
        {TextEncoding::Mac, "Я и я, Ё\r\n"},
    };
    for (const auto& c : cases) {
        const std::string bytes = Encoded(c.text, c.encoding);
        for (const std::size_t block : {std::size_t{1}, std::size_t{3}, bytes.size()}) {
            EXPECT_EQ(Decoded(bytes, c.encoding, block), c.text)
                << EncodingName(c.encoding) << " in blocks of " << block;
        }
    }
}

// Texts of every length up to a few dozen characters, so that each of ASCII, Cyrillic, longer
// characters and surrogates falls at every place of the sixteen- and eight-byte steps.
std::vector<std::string> TextsOfEveryLength() {
    const std::string_view pieces[] = {"a", "Ж", "ё", " ", "\r\n", "€", "👍", "é", "Ⱥ", "0"};
    std::vector<std::string> texts;
    for (std::size_t length = 0; length < 48; ++length) {
        for (std::size_t shift = 0; shift < std::size(pieces); ++shift) {
            std::string text;
            for (std::size_t k = 0; k < length; ++k)
                text += pieces[(k * k + shift) % std::size(pieces)];
            texts.push_back(text);
            // Long runs of one kind: all ASCII, all Cyrillic.
            texts.push_back(std::string(length, 'x') + std::string(pieces[shift]));
            std::string cyrillic;
            for (std::size_t k = 0; k < length; ++k)
                cyrillic += "Д";
            texts.push_back(std::string(pieces[shift]) + cyrillic);
        }
    }
    return texts;
}

// The UTF-16 of valid UTF-8 text, character by character.
std::string Utf16Of(const std::string& text, TextEncoding encoding) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        const char32_t ch = *sequence.ch;
        i += sequence.length - 1;
        const auto unit = [&](char32_t u) {
            const char high = static_cast<char>(u >> 8);
            const char low = static_cast<char>(u & 0xFF);
            bytes +=
                encoding == TextEncoding::Utf16be ? std::string{high, low} : std::string{low, high};
        };
        if (ch >= 0x10000) {
            unit(0xD800 + ((ch - 0x10000) >> 10));
            unit(0xDC00 + ((ch - 0x10000) & 0x3FF));
        } else {
            unit(ch);
        }
    }
    return bytes;
}

TEST(Transcode, Utf16RoundTripsAndFileBytesOfEveryLength) {
    for (const TextEncoding encoding : {TextEncoding::Utf16le, TextEncoding::Utf16be}) {
        for (const std::string& text : TextsOfEveryLength()) {
            const std::string bytes = Utf16Of(text, encoding);
            ASSERT_EQ(Encoded(text, encoding), bytes) << text;
            char room[4 * 48 * 4 + 64];
            TextEncoder encoder(encoding, TextForm::Utf8);
            ASSERT_EQ(std::string(room, encoder.EncodeInto(text, room)), bytes) << text;
            for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{16}}) {
                ASSERT_EQ(Decoded(bytes, encoding, block), text) << text << " " << block;
            }
            ASSERT_EQ(TextDecoder(encoding).FileBytesOf(text), bytes.size()) << text;
        }
    }
}

// Rows of ASCII and two-byte characters, several sixteen-byte steps long, with one thing of
// another kind at every place: the row steps stop before it and go on after it.
TEST(Transcode, RowsOfShortCharactersAroundAnythingElse) {
    const std::string row = "Жук и ёж, café ñ Ελλάδα 12 \r\n";
    const std::string rows = row + row + row;
    const struct {
        std::string_view inserted;
        bool valid;  // false: no UTF-8, which no encoder may write
    } cases[] = {
        {"", true},
        {"♪", true},
        {"👍", true},
        {"a", true},
        {"\x80", false},
        {"\xC0\xAF", false},
        {"\xD0"
         "a",
         false},
        {"\xF0\x9F"
         "a",
         false},
    };
    for (const auto& c : cases) {
        for (std::size_t at = 0; at <= rows.size(); ++at) {
            if (at < rows.size() && (static_cast<unsigned char>(rows[at]) & 0xC0) == 0x80) continue;
            const std::string text = rows.substr(0, at) + std::string(c.inserted) + rows.substr(at);
            for (const TextEncoding encoding : {TextEncoding::Utf16le, TextEncoding::Utf16be}) {
                if (!c.valid) {
                    EXPECT_THROW((void)Encoded(text, encoding), UnencodableError)
                        << EncodingName(encoding) << " at " << at;
                    continue;
                }
                const std::string bytes = Utf16Of(text, encoding);
                ASSERT_EQ(Encoded(text, encoding), bytes) << text;
                for (const std::size_t block : {std::size_t{17}, bytes.size()}) {
                    ASSERT_EQ(Decoded(bytes, encoding, block), text) << text << " " << block;
                }
            }
        }
    }
}

// UTF-8 into a code page: each character by the page's own table, a character the page lacks
// stops with its name wherever it stands, a character parted between two pieces is whole.
TEST(Transcode, CodePagesTakeEachCharacterWherever) {
    const std::string row = "Жук и ёж, Щука! 12 \r\n";
    const std::string rows = row + row + row;
    std::string expected;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Utf8Sequence sequence = DecodeUtf8(rows, i);
        expected += static_cast<char>(*UnicodeToPage(CodePage::Koi8r, *sequence.ch));
        i += sequence.length - 1;
    }
    EXPECT_EQ(Encoded(rows, TextEncoding::Koi8r), expected);
    for (std::size_t at = 0; at <= rows.size(); ++at) {
        TextEncoder encoder(TextEncoding::Koi8r, TextForm::Utf8);
        std::string parted;
        encoder.Encode(std::string_view(rows).substr(0, at), parted);
        encoder.Encode(std::string_view(rows).substr(at), parted);
        ASSERT_EQ(parted, expected) << "parted at " << at;
        if ((static_cast<unsigned char>(rows[at]) & 0xC0) == 0x80) continue;
        try {
            (void)Encoded(rows.substr(0, at) + "♪" + rows.substr(at), TextEncoding::Koi8r);
            FAIL() << "no error at " << at;
        } catch (const UnencodableError& e) {
            EXPECT_EQ(e.character(), U'♪') << at;
        }
    }
}

TEST(Transcode, FileBytesOfASingleByteCodePageCountCharacters) {
    for (const std::string& text : TextsOfEveryLength()) {
        std::size_t characters = 0;
        for (const char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        ASSERT_EQ(TextDecoder(TextEncoding::Koi8r).FileBytesOf(text), characters) << text;
    }
}

// Lines gathered for UTF-16 come out in order with what is written between them, also past the
// size of one gathering and for a line longer than it.
TEST(LineWriter, Utf16LinesKeepTheirOrderAcrossGatheredBlocks) {
    test::TempDir dir;
    const std::string path = (dir / "film.srt").string();
    std::string expected;
    {
        LineWriter writer(path, {TextEncoding::Utf16be, true}, TextForm::Utf8);
        for (int i = 0; i < 30000; ++i) {
            const std::string line = "Ёж " + std::to_string(i) + (i % 7 == 0 ? " 👍" : "");
            writer.WriteLine(line);
            expected += line + "\r\n";
            if (i % 5000 == 0) {
                writer.WriteRaw("\n");
                expected += "\n";
            }
            if (i == 12345) {
                const std::string longLine(400 * 1024, 'z');
                writer.WriteLine(longLine);
                expected += longLine + "\r\n";
            }
        }
        writer.Close();
    }
    EXPECT_EQ(test::ReadFile(path), "\xFE\xFF" + Encoded(expected, TextEncoding::Utf16be));
}

// Raw pieces that each part a character (a lead at the end, its continuation beginning the next
// piece): gathered past the size of one gathering, and around a piece longer than it, the
// file holds the text whole.
TEST(LineWriter, RawPiecesThatPartACharacterComeOutWhole) {
    for (const FileEncoding encoding :
         {FileEncoding{TextEncoding::Utf16le, true}, FileEncoding{TextEncoding::Koi8r, false}}) {
        test::TempDir dir;
        const std::string path = (dir / "film.sub").string();
        std::string text = "\xD0";  // the first half of "Ж"
        {
            LineWriter writer(path, encoding, TextForm::Utf8);
            writer.WriteRaw(text);
            for (int i = 0; i < 60000; ++i) {
                const std::string piece = i == 20000
                                              ? "\x96" + std::string(300 * 1024, 'z') + "\xD0"
                                              : "\x96ук " + std::to_string(i) + "\r\n\xD0";
                writer.WriteRaw(piece);
                text += piece;
            }
            writer.WriteRaw("\x96");
            text += "\x96";
            writer.Close();
        }
        const std::string bom = encoding.bom ? "\xFF\xFE" : "";
        EXPECT_EQ(test::ReadFile(path), bom + Encoded(text, encoding.encoding))
            << EncodingName(encoding.encoding);
    }
}

TEST(Transcode, AnUnpairedSurrogateSurvivesUtf16) {
    const std::string lone("\x00\xD8\x41\x00", 4);  // U+D800 then "A", little-endian
    const std::string text = Decoded(lone, TextEncoding::Utf16le, 1);
    EXPECT_EQ(Encoded(text, TextEncoding::Utf16le), lone);
}

TEST(Transcode, ACharacterTheTargetLacksStopsWithItsName) {
    try {
        (void)Encoded("Ля ♪", TextEncoding::Koi8r);
        FAIL() << "no error";
    } catch (const UnencodableError& e) {
        EXPECT_EQ(e.character(), U'♪');
        EXPECT_NE(std::string(e.what()).find("U+266A"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("KOI8-R"), std::string::npos) << e.what();
    }
}

TEST(DecideEncoding, TakesEachFileAsUsersHaveIt) {
    const std::string srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const std::string russian = W("Привет, мир! Как дела? Всё хорошо, спасибо.");
    const auto utf16 = [&](bool bom) {
        const std::string body = Encoded(srt + Cp1251ToUtf8(russian), TextEncoding::Utf16le);
        return bom ? "\xFF\xFE" + body : body;
    };
    std::string koi8(srt);
    for (int i = 0; i < 20; ++i)
        koi8 += Encoded(Cp1251ToUtf8(russian), TextEncoding::Koi8r) + "\r\n";
    std::string vobsub("\x00\x00\x01\xBA\x44\x00\x04\x00", 8);
    std::string binary(400, '\x01');
    binary[17] = '\0';
    binary[300] = '\0';
    const struct {
        const char* what;
        std::string bytes;
        std::optional<FileEncoding> expected;
    } cases[] = {
        {"Windows-1251", srt + russian, FileEncoding{TextEncoding::Windows1251, false}},
        {"ASCII", srt + "Hello", FileEncoding{TextEncoding::Windows1251, false}},
        {"UTF-8", srt + Cp1251ToUtf8(russian), FileEncoding{TextEncoding::Utf8, false}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + srt, FileEncoding{TextEncoding::Utf8, true}},
        {"UTF-16LE with BOM", utf16(true), FileEncoding{TextEncoding::Utf16le, true}},
        {"UTF-16LE without BOM", utf16(false), FileEncoding{TextEncoding::Utf16le, false}},
        {"KOI8-R", koi8, FileEncoding{TextEncoding::Koi8r, false}},
        {"a stray NUL in a subtitle", srt + std::string("go\0", 3), FileEncoding{}},
        {"a VobSub pack", vobsub + srt, std::nullopt},
        {"binary bytes", binary, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<FileEncoding> got = DecideEncoding(c.bytes, true);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->encoding, c.expected->encoding) << c.what;
            EXPECT_EQ(got->bom, c.expected->bom) << c.what;
        }
    }
}

// Plain Russian in Windows-1251 is recognised by its letters before the detector is asked: that
// shortcut must take no text of another code page for Windows-1251, whatever its capitals.
TEST(DecideEncoding, TellsEveryCyrillicCodePageFromPlainWindows1251) {
    const std::string srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const struct {
        const char* what;
        std::string utf8;
    } texts[] = {
        {"dialogue", "Где ты был вчера вечером? Я ждала тебя до полуночи, а потом легла спать. "
                     "Ну что ж, завтра поговорим обо всём.\r\n"},
        // Д Е С Т У Ф Х Ц Ч of Mac Cyrillic are the dashes and quotes of Windows-1251.
        {"capitals that are punctuation elsewhere",
         "Да, это так. Тут сыро и холодно. Есть хочу. Сейчас уже поздно. Хватит говорить. "
         "Что это было? Уходи отсюда. Футбол по телевизору. Цирк приехал.\r\n"},
    };
    const TextEncoding pages[] = {TextEncoding::Windows1251, TextEncoding::Koi8r,
                                  TextEncoding::Cp866, TextEncoding::Iso88595, TextEncoding::Mac};
    for (const auto& text : texts) {
        for (const TextEncoding page : pages) {
            std::string bytes = srt;
            for (int i = 0; i < 4; ++i)
                bytes += Encoded(text.utf8, page);
            const std::optional<FileEncoding> got = DecideEncoding(bytes, true);
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(got->encoding, page) << text.what << " in " << EncodingName(page)
                                           << " taken as " << EncodingName(got->encoding);
        }
    }
    // Windows-1251 with its own punctuation, and the texts that are nearly so.
    const struct {
        const char* what;
        std::string bytes;
        TextEncoding expected;
    } cases[] = {
        {"dashes, quotes, ellipsis, number sign",
         srt + "\x97 " + W("Он сказал: ") + "\xAB" + W("поехали") + "\xBB\x85 " + W("Дом ") +
             "\xB9" + W(" 5, ") + "\x93" + W("тот самый") + "\x94" +
             W(", где жила бабушка. Пойдём туда завтра утром вместе с ребятами."),
         TextEncoding::Windows1251},
        {"Mac Cyrillic without capitals reads the same in Windows-1251",
         srt + Encoded("где ты был вчера вечером, я ждала тебя до полуночи, а потом легла спать",
                       TextEncoding::Mac),
         TextEncoding::Windows1251},
    };
    for (const auto& c : cases) {
        const std::optional<FileEncoding> got = DecideEncoding(c.bytes, true);
        ASSERT_TRUE(got.has_value()) << c.what;
        EXPECT_EQ(got->encoding, c.expected)
            << c.what << ": taken as " << EncodingName(got->encoding);
    }
}

TEST(LineReader, ReadsEachEncodingAsTextAndSeeksByFileOffsets) {
    const std::vector<std::string> lines = {"1", "00:00:01,000 --> 00:00:02,000", kMixed, "",
                                            "2", "Ёж"};
    std::string utf8;
    for (const std::string& line : lines)
        utf8 += line + "\r\n";
    for (const FileEncoding encoding : {FileEncoding{TextEncoding::Utf8, true},
                                        FileEncoding{TextEncoding::Utf16le, true},
                                        FileEncoding{TextEncoding::Utf16be, false}}) {
        test::TempDir dir;
        const std::string path = (dir / "film.srt").string();
        {
            LineWriter writer(path, encoding, TextForm::Utf8);
            for (const std::string& line : lines)
                writer.WriteLine(line);
        }
        LineReader reader(path, DecideFileEncoding(path));
        EXPECT_EQ(reader.encoding(), encoding);
        std::vector<std::string> got;
        std::vector<std::uint64_t> offsets;
        std::string line;
        for (;;) {
            offsets.push_back(reader.Offset());
            if (!reader.ReadLine(line)) break;
            got.push_back(line);
        }
        EXPECT_EQ(got, lines) << EncodingName(encoding.encoding);
        // The offset of a line is where it starts in the file: reading goes on there.
        reader.Seek(offsets[4]);
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "2");
        reader.Seek(0);
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "1") << "the byte-order mark is no part of the first line";
        // Written again line by line, the file is byte for byte what it was.
        const std::string copy = (dir / "copy.srt").string();
        {
            LineWriter writer(copy, encoding, TextForm::Utf8);
            for (const std::string& l : got)
                writer.WriteLine(l);
        }
        EXPECT_EQ(test::ReadFile(copy), test::ReadFile(path));
    }
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(EncodingPin, HoldsTheDecisionForItsFileOnlyWhileItLives) {
    test::TempDir dir;
    const std::string path = (dir / "film.srt").string();
    const std::string other = (dir / "other.srt").string();
    test::WriteFile(path, "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n");
    test::WriteFile(other, "Hello\r\n");
    const FileEncoding utf8{TextEncoding::Utf8, false};
    {
        const EncodingPin pin(path, utf8);
        EXPECT_EQ(DecideFileEncoding(path), utf8);
        EXPECT_EQ(DecideFileEncoding(other).encoding, TextEncoding::Windows1251);
    }
    EXPECT_EQ(DecideFileEncoding(path).encoding, TextEncoding::Windows1251);
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(Transcode, ASecondFileArrivesInTheFirstOnesForm) {
    const std::string utf16 = Encoded("Ёж, ♪", TextEncoding::Utf16le);
    TextDecoder decoder(TextEncoding::Utf16le, TextForm::Cp1251);
    std::string text;
    decoder.Decode(utf16.substr(0, 9), text);  // "Ёж, " and half of the note's unit
    EXPECT_EQ(text, W("Ёж, "));
    EXPECT_THROW(decoder.Decode(utf16.substr(9), text), UnencodableError);
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST(LineReader, FirstAskedForOffsetsFarIntoADecodedFile) {
    test::TempDir dir;
    const std::string path = (dir / "film.srt").string();
    {
        LineWriter writer(path, {TextEncoding::Utf16le, true}, TextForm::Utf8);
        for (int i = 0; i < 40000; ++i)
            writer.WriteLine("Ёж 👍 " + std::to_string(i));  // 600 KB: many blocks
    }
    const FileEncoding encoding = DecideFileEncoding(path);
    LineReader reader(path, encoding);
    std::string line;
    for (int i = 0; i < 30000; ++i)
        ASSERT_TRUE(reader.ReadLine(line));
    const std::uint64_t offset = reader.Offset();
    LineReader again(path, encoding);
    again.Seek(offset);
    ASSERT_TRUE(again.ReadLine(line));
    EXPECT_EQ(line, "Ёж 👍 30000");
}

}  // namespace
}  // namespace tessaline
