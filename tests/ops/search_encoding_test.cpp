// The search and replace commands on files in their own encodings: the texts of the settings and
// of Replace.dat (Windows-1251, or UTF-8 with a byte-order mark) are found in the file's form,
// and the output is written as the input was stored.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/chars.hpp"
#include "core/cp1251.hpp"
#include "core/strings.hpp"
#include "core/text_form.hpp"
#include "files/frame.hpp"
#include "files/records.hpp"
#include "op_folder.hpp"
#include "ops/search.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::W;
using Lines = std::vector<std::string>;

using test::Stored;

std::string Bytes(std::string_view utf8, Stored stored) {
    return test::StoredBytes(utf8, stored);
}

std::string Film(std::string_view text) {
    return Crlf({"1", "00:00:01,000 --> 00:00:02,000", text, ""});
}

// TextToFind and TextToReplace are Windows-1251 as the settings keep them.
TEST(SearchInEncodings, TheSettingsTextsAreFoundInEveryEncoding) {
    const struct {
        Stored stored;
        SearchParams params;
        const char* text;
        const char* replaced;
    } cases[] = {
        {Stored::Utf8, {.findText = W("мир"), .replaceText = W("свет")}, "Мир, мир!", "Мир, свет!"},
        {Stored::Utf8Bom, {.findText = W("мир"), .replaceText = W("свет")}, "мир", "свет"},
        {Stored::Utf16le, {.findText = W("мир"), .replaceText = W("свет")}, "и мир", "и свет"},
        {Stored::Cp1251, {.findText = W("мир"), .replaceText = W("свет")}, "мир", "свет"},
        {Stored::Utf8,
         {.findText = W("мир"), .replaceText = "", .replaceMode = 1},
         "мирный мир",
         "мирный "},
        // Character mode: 236 is "м" in Windows-1251.
        {Stored::Utf8, {.findText = "236", .replaceText = "m", .charMode = true}, "мама", "mаmа"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        test::OpFolder run(Bytes(Film(c.text), c.stored));
        run.result = ReplaceText(run.input.string(), run.output.string(), c.params, run.host);
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.Output(), Bytes(Film(c.replaced), c.stored));
        // The report is written as its input was.
        EXPECT_EQ(run.File("film.sym").substr(0, 2), Bytes("1 = ", c.stored).substr(0, 2));
    }
}

TEST(SearchInEncodings, FindTextReportsLinesOfAUtf8File) {
    test::OpFolder run(Film("Привет, мир"));
    run.result = FindText(run.input.string(), {.findText = W("мир")}, run.host);
    EXPECT_EQ(run.File("film.sym"), Crlf({"1 = Привет, мир"}));
}

// A Replace.dat that begins with a UTF-8 byte-order mark holds pairs Windows-1251 lacks; in a
// Windows-1251 file those pairs are left out with a note, the others still work.
TEST(SearchInEncodings, AUtf8ReplaceListIsUsedInEveryForm) {
    test::TempDir dir;
    const std::string path = (dir / "Replace.dat").string();
    const std::string list = "\xEF\xBB\xBF" + Crlf({"Ω=Omega", "мир=world"});
    test::WriteFile(path, list);
    const ReplaceTable table = ReplaceTable::Load(path);
    EXPECT_EQ(table.form(), TextForm::Utf8);
    EXPECT_EQ(table.pairs(), (std::vector<ReplacePair>{{"Ω", "Omega"}, {"мир", "world"}}));
    table.Save(path);
    EXPECT_EQ(ReadFile(path), list);

    const struct {
        Stored stored;
        const char* text;
        const char* replaced;
        Lines messages;
    } cases[] = {
        {Stored::Utf8, "Ω мир", "Omega world", {}},
        {Stored::Utf16le, "Ω мир", "Omega world", {}},
        {Stored::Cp1251,
         "мир",
         "world",
         {"Replace.dat: pairs with a character this Windows-1251 file cannot hold are not used "
          "(pair, character): 1 U+03A9."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        test::OpFolder run(Bytes(Film(c.text), c.stored));
        run.result = ReplaceByList(run.input.string(), run.output.string(), table,
                                   {.caseSensitive = true}, run.host);
        EXPECT_EQ(run.Output(), Bytes(Film(c.replaced), c.stored));
        EXPECT_EQ(run.host.messages, c.messages);
    }
}

// Without case, the pairs match Cyrillic letters of either case in a UTF-8 file too (a letter
// above ASCII changes case by more than one byte there).
TEST(SearchInEncodings, AWindows1251ListMatchesAnyCaseInAUtf8File) {
    const ReplaceTable table({{W("мир"), "world"}, {"abc", "x"}});
    for (const char* text : {"Мир", "МИР", "мир"}) {
        test::OpFolder run(Film(std::string(text) + " ABC"));
        run.result = ReplaceByList(run.input.string(), run.output.string(), table,
                                   {.caseSensitive = false}, run.host);
        EXPECT_EQ(run.Output(), Film("world x")) << text;
    }
}

// Without case in UTF-8, a line of one- and two-byte characters is scanned by its code points
// and any other line through a folded copy: the same pairs are found either way, ё and Ё as е,
// and a pair whose find text is not in the line leaves it alone.
TEST(SearchInEncodings, AUtf8FileFindsFoldedPairsOnEveryKindOfLine) {
    const ReplaceTable table({{W("ёлка"), W("ель")}, {"ok", "OK!"}, {W("щука"), W("сом")}});
    const struct {
        const char* text;
        const char* replaced;
    } cases[] = {
        {"ЁЛКА и Ёлка", "ель и ель"},        // one- and two-byte characters only
        {"Елка Ok", "ель OK!"},               // ё folds to е in both directions
        {"ЁЛКА ♪ 漢字", "ель ♪ 漢字"},        // three-byte characters: the folded copy
        {"Ёлка 👍🏽 ok", "ель 👍🏽 OK!"},        // four-byte characters
        {"Е\u0308лка щука", "Е\u0308лка сом"},  // a combining mark is no ё
        {"елкаok", "ельOK!"},                 // two finds glued together
        {"ёл ка, o k", "ёл ка, o k"},         // near misses
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        test::OpFolder run(Film(c.text));
        run.result = ReplaceByList(run.input.string(), run.output.string(), table,
                                   {.caseSensitive = false}, run.host);
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.Output(), Film(c.replaced));
    }
}

// Without case in a UTF-8 file, the one-pass scan of the lines and the replacing on lines known
// to be plain must give what trying each pair in turn gives. Lines and find texts are made of
// random `pieces`; every fourth round has many pairs, so that the set of found pairs spans more
// than one word.
void ExpectTheSameAsTryingEveryPairInTurn(const std::vector<std::string>& pieces,
                                          std::size_t minLinePieces, std::size_t maxLinePieces,
                                          unsigned seed) {
    std::mt19937 rng(seed);
    const auto text = [&](std::size_t minPieces, std::size_t maxPieces) {
        std::string s;
        for (std::size_t n = minPieces + rng() % (maxPieces - minPieces + 1); n > 0; --n)
            s += pieces[rng() % pieces.size()];
        return s;
    };
    for (int round = 0; round < 24; ++round) {
        std::vector<ReplacePair> pairs;
        const std::size_t pairCount = round % 4 == 3 ? 70 + rng() % 70 : 1 + rng() % 8;
        for (std::size_t i = 0; i < pairCount; ++i)
            pairs.push_back({text(1, 3), text(0, 2)});
        ReplaceTable table(pairs);
        table.SetForm(TextForm::Utf8);
        std::vector<std::string> lines;
        for (int i = 0; i < 40; ++i) {
            std::string line = text(minLinePieces, maxLinePieces);
            if (IsBlankLine(line)) line += "x";  // a blank line would end the record
            lines.push_back(line);
        }
        for (const int mode : {0, 1}) {
            std::string input;
            std::string expected;
            {
                const TextFormScope scope(TextForm::Utf8);
                for (const std::string& line : lines) {
                    std::string l = line;
                    for (const ReplacePair& p : pairs) {
                        if (p.find.empty() || p.find == p.replacement) continue;
                        if (PosNoCase(p.find, l) == 0) continue;
                        l = mode == 1 ? ReplaceWholeWord(p.find, p.replacement, l, true)
                                      : ReplaceAll(p.find, p.replacement, l, true);
                    }
                    input += line + "\r\n";
                    expected += l + "\r\n";
                }
            }
            test::OpFolder run("\xEF\xBB\xBF" + input);
            run.result = ReplaceByList(run.input.string(), run.output.string(), table,
                                       {.replaceMode = mode, .interactive = false}, run.host);
            ASSERT_EQ(run.Output(), "\xEF\xBB\xBF" + expected) << "round " << round;
        }
    }
}

// Short lines of anything: letters of both cases, ё, letters beyond Windows-1251, marks, and
// bytes that are no UTF-8 at all (a lone lead byte, a stray continuation byte, 0xFF).
TEST(SearchInEncodings, AUtf8FileMatchesTryingEveryPairInTurn) {
    ExpectTheSameAsTryingEveryPairInTurn(
        {"a",  "B",  "b",  " ",      ",", "-",  "а",  "А",  "б",  "Б",  "ё",   "Ё",
         "е",  "Е",  "é",  "É",      "ß", "日", "Σ",  "σ",  "i",  "\xFF", "\x80",
         "\xD0", "\xD1", "\u0301", "я", "Я"},
        1, 10, 11);
}

// Plain lines of up to some 200 bytes, which the scan takes in pieces of 64 bytes: texts that
// stand across two pieces, two-byte letters cut by the edge of a piece, and a line that turns
// out not to be plain in its second or third piece.
TEST(SearchInEncodings, LongUtf8LinesMatchTryingEveryPairInTurn) {
    ExpectTheSameAsTryingEveryPairInTurn({"a", "B", " ", ",", "а", "А", "б", "Б", "ё", "Ё", "е",
                                          "Е", "é", "я", "Я", "ab", "ёЁ"},
                                         20, 110, 13);
    ExpectTheSameAsTryingEveryPairInTurn(
        {"a", "B", " ", "а", "А", "б", "Б", "ё", "е", "я", "Я", "а", "е", "б", "ё", "Я", "a",
         "B", "а", "А", "б", "Б", "ё", "е", "я", "Я", "а", "е", "б", "ё", "Я", "\u0301", "日"},
        40, 110, 17);
}

}  // namespace
}  // namespace tessaline
