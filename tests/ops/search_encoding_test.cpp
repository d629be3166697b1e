// The search and replace commands on files in their own encodings: the texts of the settings and
// of Replace.dat (Windows-1251, or UTF-8 with a byte-order mark) are found in the file's form,
// and the output is written as the input was stored.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp1251.hpp"
#include "files/frame.hpp"
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

}  // namespace
}  // namespace tessaline
