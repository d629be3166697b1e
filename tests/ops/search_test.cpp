#include "ops/search.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "op_folder.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::W;
using Messages = std::vector<std::string>;

// Text before the first number, a timing line with a tag (never searched), a number inside a
// record (text), a single blank that ends a record, and a MicroDVD line.
const std::string kFilm = Crlf(
    {"Intro <x>", "1", "00:00:01,000 --> 00:00:02,000 <i>", "<i>Hello</i> world",
     "- do it, don't do!", "", "2", "00:00:03,000 --> 00:00:04,000", "-Yes... abab", "12345", " ",
     "3", "00:00:05,000 --> 00:00:06,000", "Nothing here", "", "{100}{250}<b>Frame</b> do"});

// kFilm with whole lines replaced ("" drops the line).
std::string FilmWith(std::initializer_list<std::pair<std::string, std::string>> changes) {
    std::string film = kFilm;
    for (const auto& [line, by] : changes)
        film.replace(film.find(line + "\r\n"), line.size() + 2, by.empty() ? "" : by + "\r\n");
    return film;
}

std::string Summary(int n, const char* what) {
    return "====================================================\r\n>> " + std::to_string(n) + " " +
           what + "\r\n";
}

enum class Op { Find, Remove, Replace };

struct SearchRun : test::OpFolder {
    SearchRun(Op op, const SearchParams& params, std::string_view content = kFilm,
              bool existingOutput = false)
        : OpFolder(content, "film.srt", existingOutput) {
        switch (op) {
            case Op::Find:
                result = FindText(input.string(), params, host);
                break;
            case Op::Remove:
                result = RemoveLinesWithText(input.string(), output.string(), params, host);
                break;
            case Op::Replace:
                result = ReplaceText(input.string(), output.string(), params, host);
                break;
        }
    }
};

TEST(Search, FindRemoveAndReplaceOnTheFilm) {
    const Messages kNotPresent{"SubString Not Present!"};
    const std::string kDo = "- do it, don't do!", kYes = "-Yes... abab";
    const std::string kFrame = "{100}{250}<b>Frame</b> do", kHello = "<i>Hello</i> world";
    const struct {
        const char* what;
        Op op;
        SearchParams params;
        std::string output;  // "(none)": no film.out
        std::string report;  // film.sym or film.remove; "(none)": not written
        Messages messages = {};
    } cases[] = {
        // clang-format off
        {"find <: the line before the first number has an empty reference", Op::Find, {}, "(none)",
         Crlf({" = Intro <x>", "1 = " + kHello, "{100}{250} = " + kFrame}) + Summary(3, "Finded Strings")},
        {"find the character 46 (.)", Op::Find, {.findText = "46", .charMode = true}, "(none)", Crlf({"2 = " + kYes})},
        {"find nothing", Op::Find, {.findText = "zzz"}, "(none)", "(none)", kNotPresent},
        {"remove the lines with do", Op::Remove, {.findText = "do"}, FilmWith({{kDo, ""}, {kFrame, ""}}),
         Crlf({"1 = Removed: " + kDo, "{100}{250} = Removed: " + kFrame}) + Summary(2, "Removed Strings")},
        {"remove the lines that begin with -", Op::Remove, {.findText = "45", .charMode = true},
         FilmWith({{kDo, ""}, {kYes, ""}}), Crlf({"1 = Removed: " + kDo, "2 = Removed: " + kYes}) + Summary(2, "Removed Strings")},
        {"remove writes the whole file when nothing is found", Op::Remove, {.findText = "zzz"}, kFilm, "(none)", kNotPresent},
        {"replace whole words: don't keeps its do", Op::Replace, {.findText = "do", .replaceText = "make", .replaceMode = 1},
         FilmWith({{kDo, "- make it, don't make!"}, {kFrame, "{100}{250}<b>Frame</b> make"}}),
         Crlf({"1 = Replaced Word: " + kDo, "{100}{250} = Replaced Word: " + kFrame}) + Summary(2, "Replaced Strings")},
        {"replace whole words: abab gives abx", Op::Replace, {.findText = "ab", .replaceText = "x", .replaceMode = 1},
         FilmWith({{kYes, "-Yes... abx"}}), Crlf({"2 = Replaced Word: " + kYes})},
        {"replace a word found only inside words", Op::Replace, {.findText = "Hell", .replaceText = "Heaven", .replaceMode = 1},
         kFilm, Crlf({"1 = Replaced Word Finded, but not Replaced!"})},
        {"replace every occurrence; an empty replacement deletes", Op::Replace, {.findText = "ab", .replaceText = ""},
         FilmWith({{kYes, "-Yes... "}}), Crlf({"2 = Replaced: " + kYes})},
        {"replace the character 60 (<)", Op::Replace, {.findText = "60", .replaceText = "[", .charMode = true},
         FilmWith({{"Intro <x>", "Intro [x>"}, {kHello, "[i>Hello[/i> world"}, {kFrame, "{100}{250}[b>Frame[/b> do"}}),
         Crlf({" = Replaced: Intro <x>", "1 = Replaced: " + kHello, "{100}{250} = Replaced: " + kFrame}) + Summary(3, "Replaced Strings")},
        {"replace a character by itself", Op::Replace, {.findText = "46", .replaceText = ".", .charMode = true},
         kFilm, Crlf({"2 = Replaced Symbol Finded, but not Replaced!"})},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SearchRun run(c.op, c.params);
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.File("film.out"), c.output);
        EXPECT_EQ(run.File(c.op == Op::Remove ? "film.remove" : "film.sym"), c.report);
        EXPECT_EQ(run.host.messages, c.messages);
        // The summary goes to the status bar too; a report of one line has none.
        const std::size_t summary = c.report.find(">> ");
        EXPECT_EQ(run.host.statusBar,
                  summary == std::string::npos
                      ? ""
                      : c.report.substr(summary, c.report.size() - summary - 2));
        if (c.report != "(none)") {
            EXPECT_EQ(run.host.reportKind, c.op == Op::Remove ? "*.remove" : "*.sym");
        }
    }
}

TEST(Search, RefusalsAndStops) {
    const Messages kExist{"Output File Exist!!!"};
    const struct {
        const char* what;
        Op op;
        SearchParams params;
        bool existingOutput;
        RunResult result;
        Messages messages;
    } cases[] = {
        // clang-format off
        {"an empty find text", Op::Find, {.findText = ""}, false, RunResult::Skipped, {}},
        {"remove a blank", Op::Remove, {.findText = " "}, true, RunResult::Skipped, {}},
        {"replace a text by itself", Op::Replace, {.findText = "a", .replaceText = "a"}, true, RunResult::Skipped, {}},
        {"the output exists", Op::Remove, {}, true, RunResult::Refused, kExist},
        {"the output exists, over a folder", Op::Replace, {.interactive = false}, true, RunResult::Refused, {}},
        {"find writes no output and ignores one", Op::Find, {}, true, RunResult::Done, {}},
        {"a code that is no number", Op::Find, {.findText = "abc", .charMode = true}, false, RunResult::Refused, {"Check Symbil Code!!!"}},
        {"a code above 255", Op::Remove, {.findText = "256", .charMode = true}, false, RunResult::Refused, {"Wrong Symbil Code!!!"}},
        {"a negative code", Op::Replace, {.findText = "-1", .charMode = true}, false, RunResult::Refused, {"Wrong Symbil Code!!!"}},
        {"a wrong code over a folder", Op::Replace, {.findText = "x", .charMode = true, .interactive = false}, false, RunResult::Refused, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SearchRun run(c.op, c.params, kFilm, c.existingOutput);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.host.messages, c.messages);
        // Nothing is written beside the input but what was there (the report of a find).
        const long expected =
            1 + (c.existingOutput ? 1 : 0) + (c.result == RunResult::Done ? 1 : 0);
        EXPECT_EQ(run.FileCount(), expected);
        if (c.existingOutput) {
            EXPECT_EQ(run.File("film.out"), "old");
        }
        EXPECT_FALSE(run.host.busy);
    }
}

// --- The replace list -------------------------------------------------------------------------

struct ListRun : test::OpFolder {
    ListRun(std::vector<ReplacePair> pairs, const std::string& content,
            ReplaceListParams params = {})
        : OpFolder(content) {
        result = ReplaceByList(input.string(), output.string(), ReplaceTable(std::move(pairs)),
                               params, host);
    }
};

std::string Record(const std::string& text) {
    return Crlf({"1", "00:00:01,000 --> 00:00:02,000", text, ""});
}

TEST(ReplaceList, AppliesThePairsInOrder) {
    const ReplaceListParams kWords{.replaceMode = 1};
    const ReplaceListParams kExact{.caseSensitive = true};
    const struct {
        const char* what;
        std::vector<ReplacePair> pairs;
        std::string line;
        ReplaceListParams params;
        std::string result;
        std::vector<std::string> report;
    } cases[] = {
        {"a later pair replaces what an earlier one put",
         {{"a", "b"}, {"b", "c"}},
         "ab",
         {},
         "cc",
         {"1 = Replaced: ab", "1 = Replaced: bb"}},
        {"without case, the text around keeps its case",
         {{W("ПРИВЕТ"), "Hello"}},
         W("привет, Привет!"),
         {},
         "Hello, Hello!",
         {"1 = Replaced: " + W("привет, Привет!")}},
        {"without case, ё matches е",
         {{W("ёлка"), "tree"}},
         W("Елка"),
         {},
         "tree",
         {"1 = Replaced: " + W("Елка")}},
        {"with case, only the exact text",
         {{W("ПРИВЕТ"), "Hello"}},
         W("привет ПРИВЕТ"),
         kExact,
         W("привет ") + "Hello",
         {"1 = Replaced: " + W("привет ПРИВЕТ")}},
        {"each pair its own replacement",
         {{W("Ок"), "OK"}, {W("ок"), "ok"}},
         W("Ок ок"),
         kExact,
         "OK ok",
         {"1 = Replaced: " + W("Ок ок"), "1 = Replaced: OK " + W("ок")}},
        {"a pair equal to its replacement, an empty find text",
         {{"do", "do"}, {"", "x"}},
         "do it",
         {},
         "do it",
         {}},
        {"whole words",
         {{"do", "make"}},
         "do it, don't do!",
         kWords,
         "make it, don't make!",
         {"1 = Replaced Word: do it, don't do!"}},
        {"a word only inside words", {{"do", "make"}}, "don't", kWords, "don't", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ListRun run(c.pairs, Record(c.line), c.params);
        EXPECT_EQ(run.result, RunResult::Done);
        EXPECT_EQ(run.File("film.out"), Record(c.result));
        std::string report;
        for (const std::string& line : c.report)
            report += line + "\r\n";
        if (c.report.size() >= 2)
            report += Summary(static_cast<int>(c.report.size()), "Replaced Strings");
        EXPECT_EQ(run.File("film.sym"), c.report.empty() ? "(none)" : report);
        EXPECT_EQ(run.host.messages,
                  c.report.empty() ? Messages{"SubString Not Present!"} : Messages{});
    }
    // An empty table does nothing.
    const ListRun none({}, Record("ab"));
    EXPECT_EQ(none.result, RunResult::Skipped);
    EXPECT_EQ(none.File("film.out"), "(none)");
}

// The one-pass search over all the pairs must give what trying each pair in turn gives.
TEST(ReplaceList, MatchesTryingEveryPairInTurn) {
    std::mt19937 rng(7);
    const std::string alphabet = "abc " + W("аАёЕе");
    const auto text = [&](std::size_t maxLength) {
        std::string s;
        for (std::size_t n = rng() % (maxLength + 1); n > 0; --n)
            s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<ReplacePair> pairs;
        for (int i = 0; i < 1 + static_cast<int>(rng() % 8); ++i)
            pairs.push_back({text(3), text(3)});
        std::vector<std::string> lines;
        for (int i = 0; i < 60; ++i)
            lines.push_back(text(12) + "x");  // never blank, never a number
        for (const bool exact : {false, true}) {
            for (const int mode : {0, 1}) {
                std::string input;
                std::string expected;
                for (const std::string& line : lines) {
                    std::string l = line;
                    for (const ReplacePair& p : pairs) {
                        if (p.find.empty() || p.find == p.replacement) continue;
                        const bool occurs =
                            exact ? l.find(p.find) != std::string::npos : PosNoCase(p.find, l) != 0;
                        if (!occurs) continue;
                        l = mode == 1 ? ReplaceWholeWord(p.find, p.replacement, l, !exact)
                                      : ReplaceAll(p.find, p.replacement, l, !exact);
                    }
                    input += line + "\r\n";
                    expected += l + "\r\n";
                }
                const ListRun run(
                    pairs, input,
                    {.replaceMode = mode, .caseSensitive = exact, .interactive = false});
                ASSERT_EQ(run.File("film.out"), expected) << "round " << round;
            }
        }
    }
}

TEST(ReplaceTable, ReadsEditsAndWritesTheFile) {
    test::TempDir dir;
    const std::string path = (dir / "Replace.dat").string();
    EXPECT_TRUE(ReplaceTable::Load(path).empty());  // absent

    // A second "=" belongs to the replacement; a line without one replaces by nothing; empty
    // lines are no pairs.
    test::WriteFile(path, "a=b=c\r\n\r\nlone\nx=\r\n" + W("ёж=еж") + "\r\n");
    ReplaceTable table = ReplaceTable::Load(path);
    EXPECT_EQ(table.pairs(), (std::vector<ReplacePair>{
                                 {"a", "b=c"}, {"lone", ""}, {"x", ""}, {W("ёж"), W("еж")}}));

    EXPECT_FALSE(table.Add({"p=q", "r"}));  // the "=" would split it differently when read
    EXPECT_FALSE(table.SetFind(0, "a=b"));
    EXPECT_FALSE(table.SetFind(9, "z"));
    EXPECT_TRUE(table.Add({"new", "x=y"}));
    EXPECT_TRUE(table.SetFind(1, "one"));
    EXPECT_TRUE(table.SetReplacement(2, "y"));
    EXPECT_FALSE(table.Move(0, -1));
    EXPECT_FALSE(table.Move(4, +1));
    EXPECT_TRUE(table.Move(4, -1));  // "new" before "ёж"
    EXPECT_TRUE(table.Move(0, +1));  // "one" first
    table.Remove(2);                 // "x"
    table.Remove(7);                 // nothing
    table.Save(path);
    EXPECT_EQ(ReadFile(path), "one=\r\na=b=c\r\nnew=x=y\r\n" + W("ёж=еж") + "\r\n");
    EXPECT_EQ(ReplaceTable::Load(path).pairs(), table.pairs());
}

}  // namespace
}  // namespace tessaline
