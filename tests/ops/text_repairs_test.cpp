// The text repairs: delimiter spacing, split numbers, end letters, the dialogue fix and the tag
// operations, line by line and over hand-made SubRip and MicroDVD files (Windows-1251).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/strings.hpp"
#include "core/text_form.hpp"
#include "files/recording_host.hpp"
#include "ops/delimiters.hpp"
#include "ops/dialog_fix.hpp"
#include "ops/line_checks.hpp"
#include "ops/tag_ops.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::W;

const std::filesystem::path kData = test::DataDir() / "ops" / "text";

TEST(FixDelimiterSpacing, SpacesDelimitersAndLeavesTheExclusionsAlone) {
    const DelimitersParams around;  // the defaults: ",!?)]", careful form, followers " <,!?)]"
    const DelimitersParams beforeOnly{.mode = kDelSpaceBeforeDelimiters};
    const DelimitersParams plain{.useExclude = false};
    const DelimitersParams points{.delimiters = ".,", .followers = ""};
    struct Case {
        const char* line;
        const DelimitersParams& params;
        const char* fixed;  // nullptr: unchanged
    };
    // clang-format off
    const Case cases[] = {
        {"Yes,sir !", around, "Yes, sir!"},
        {"Привет ,мир !Как дела?", around, "Привет, мир! Как дела?"},
        {"Well , yes", beforeOnly, "Well, yes"},
        {"Yes,sir", beforeOnly, nullptr},                         // never adds a space
        {"It is 3,5 now", around, nullptr},                        // a decimal number
        {"pi=3,14", points, nullptr},
        {"It is A.B. now", points, nullptr},                       // initials
        {"see www.site.ru,ok,now", around, nullptr},               // no space after the address
        {"see http://a.b/c,d then,more", around, "see http://a.b/c,d then, more"},
        {"Нет!<i>Да</i>", around, nullptr},                        // a delimiter before "<"
        {"Нет!<i>Да</i>", plain, "Нет! <i>Да</i>"},
        {"a,b", plain, nullptr},                                   // at the second-to-last place
        {"Wait!..", around, nullptr},                              // the space added goes again
        {"Ok  then ", around, "Ok then"},                          // runs and a trailing space
        {"Ничего не нужно.", around, nullptr},
        {"", around, nullptr},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string fixed = "untouched";
        const bool changed = FixDelimiterSpacing(W(c.line), c.params, fixed);
        EXPECT_EQ(changed, c.fixed != nullptr) << c.line;
        EXPECT_EQ(fixed, c.fixed ? W(c.fixed) : "untouched") << c.line;
    }
}

// Quotations and speaker labels: the punctuation that ends a quotation is glued to the quote or
// bracket that closes it, and a label keeps its space before the dots that open the next words.
// Each row runs in both text forms (the typographic quotes are one byte in Windows-1251, two or
// three in UTF-8).
TEST(FixDelimiterSpacing, LeavesClosingQuotesAndLabelsBeforeDotsAlone) {
    const DelimitersParams around;
    const DelimitersParams plain{.useExclude = false};
    const DelimitersParams beforeOnly{.mode = kDelSpaceBeforeDelimiters};
    const DelimitersParams noBrackets{.delimiters = ",!?", .followers = " <,!?"};
    struct Case {
        const char* line;
        const DelimitersParams& params;
        const char* fixed;  // nullptr: unchanged
    };
    // clang-format off
    const Case cases[] = {
        {"«Покажи!» - сказал он.", around, nullptr},
        {"«Покажи!» - сказал он.", plain, nullptr},
        {"\"Стой!\" - крикнул он.", around, nullptr},
        {"\"Стой!\"сказал он", around, nullptr},          // the second quote of the line closes
        {"Он сказал “Стой!” и ушёл.", around, nullptr},
        {"‘Stop!’ he said", around, nullptr},
        {"(Да!) Нет", noBrackets, nullptr},                 // ")" closes without being a delimiter
        {"«Покажи!»- сказал он ,да", around, "«Покажи!»- сказал он, да"},
        {"Да,\"нет\"", around, "Да, \"нет\""},               // a quote that opens gets its space
        {"Да,«нет»", around, "Да, «нет»"},
        {"Ну!Да", around, "Ну! Да"},
        {"[Роман] ...и затем", around, nullptr},
        {"[Роман] ...и затем", beforeOnly, nullptr},
        {"(смеётся) ...да", around, nullptr},
        {"«Стой» ...и всё", around, nullptr},
        {"\"Стой\" ...и всё", around, nullptr},
        {"[Роман]...и затем", around, nullptr},             // no space is put there either
        {"[Роман]  ...и затем", around, "[Роман] ...и затем"},
        {"Роман ...и затем", around, "Роман...и затем"},      // no bracket: the space goes
        {"[Роман] .и затем", around, "[Роман].и затем"},      // a single full stop is no ellipsis
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const TextForm form : {TextForm::Cp1251, TextForm::Utf8}) {
            const bool utf8 = form == TextForm::Utf8;
            const TextFormScope scope(form);
            const auto in = [utf8](const char* text) { return utf8 ? std::string(text) : W(text); };
            std::string fixed = "untouched";
            const bool changed = FixDelimiterSpacing(in(c.line), c.params, fixed);
            EXPECT_EQ(changed, c.fixed != nullptr) << c.line << (utf8 ? " (UTF-8)" : "");
            EXPECT_EQ(fixed, c.fixed ? in(c.fixed) : "untouched")
                << c.line << (utf8 ? " (UTF-8)" : "");
        }
    }
}

// The quick look that passes over most lines never passes over one the fix would change: over
// many generated lines, the result is always the routines' own.
TEST(FixDelimiterSpacing, TheQuickLookNeverMissesALineTheFixChanges) {
    // Pieces the lines are made of: the characters every rule looks at, in both forms.
    const std::vector<std::string> pieces = {" ", " ", "a", "Я", "ё",   "1",   ".",       "...",
                                             ",", "!", "?", ")", "]",   "(",   "\"",      "«",
                                             "»", "”", "’", "…", "<i>", "www", "http://", "\r"};
    // Characters Windows-1251 lacks, in UTF-8 lines only.
    const std::vector<std::string> utf8Only = {"\xE2\x99\xAA" /* ♪ */, "\xC3\xA9" /* é */};
    const DelimitersParams settings[] = {
        {},
        {.useExclude = false},
        {.mode = kDelSpaceBeforeDelimiters},
        {.awareMode = 0},
        {.awareMode = 2},
        {.delimiters = ",.\x85" /* … in Windows-1251 */, .followers = ""},
        // Eight delimiters are compared one by one, more go to the byte tables; a space among
        // them makes every space a delimiter.
        {.delimiters = ",.!?)]\"<"},
        {.delimiters = ",.!?)]\"<", .mode = kDelSpaceBeforeDelimiters},
        {.delimiters = ",.!?)]\"<:;"},
        {.delimiters = ", ", .useExclude = false},
    };
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::size_t n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::size_t>(seed >> 8) % n;
    };
    int changedLines = 0;
    for (const TextForm form : {TextForm::Cp1251, TextForm::Utf8}) {
        const TextFormScope scope(form);
        for (int n = 0; n < 4000; ++n) {
            std::string line;
            const std::size_t length = next(14);
            const bool utf8 = form == TextForm::Utf8;
            for (std::size_t i = 0; i < length; ++i) {
                const std::size_t pick = next(pieces.size() + (utf8 ? utf8Only.size() : 0));
                const std::string& piece =
                    pick < pieces.size() ? pieces[pick] : utf8Only[pick - pieces.size()];
                // Windows-1251 lines hold the Windows-1251 twins of the pieces.
                line += utf8 ? piece : W(piece);
            }
            for (const DelimitersParams& p : settings) {
                // The sets stay Windows-1251, as the settings hold them, in both forms.
                const std::string& delimiters = p.delimiters;
                std::string full;
                if (p.mode == kDelSpaceBeforeDelimiters) {
                    full = DelSpaceBeforeDelimiters(line, delimiters);
                } else {
                    full = DelSpaceBeforeDelimiters(
                        p.useExclude
                            ? AddSpaceAfterDelimitersEx(line, delimiters, p.followers, p.awareMode)
                            : AddSpaceAfterDelimiters(line, delimiters),
                        delimiters);
                }
                std::string fixed;
                const bool changed = FixDelimiterSpacing(line, p, fixed);
                ASSERT_EQ(changed, full != line) << "[" << line << "] " << p.delimiters;
                if (changed) {
                    ASSERT_EQ(fixed, full) << "[" << line << "]";
                    ++changedLines;
                }
            }
        }
    }
    EXPECT_GT(changedLines, 1000);  // the generator reaches the rules
}

TEST(FixDelimiters, ALineWhoseOnlyFaultIsATrailingSpaceIsFixedAndReported) {
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    struct Case {
        const char* name;
        std::string input, output, report;
    };
    // clang-format off
    const Case cases[] = {
        {"a.srt", Crlf({"1", t, "Fine", "", "2", t, "Only a space ", ""}),
         Crlf({"1", t, "Fine", "", "2", t, "Only a space", ""}), Crlf({"2 = Fix Space Around Delimiters"})},
        {"a.sub", Crlf({"{1}{2}Fine", "{3}{4}Only a space |two"}),
         Crlf({"{1}{2}Fine", "{3}{4}Only a space|two"}), Crlf({"{3}{4} = Fix Space Around Delimiters"})},
        {"b.sub", Crlf({"{1}{2}Fine", "{3}{4}one|a space "}),
         Crlf({"{1}{2}Fine", "{3}{4}one|a space"}), Crlf({"{3}{4} = Fix Space Around Delimiters"})},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::filesystem::path in = dir / c.name;
        test::WriteFile(in, c.input);
        RecordingHost host;
        EXPECT_EQ(FixDelimiters(in.string(), (dir / "a.out").string(), {}, host), RunResult::Done);
        EXPECT_EQ(ReadFile(dir / "a.out"), c.output);
        EXPECT_EQ(ReadFile(std::filesystem::path(in).replace_extension("fix")), c.report);
    }
}

TEST(BreakDialogText, BreaksAtEachSeparatorInListOrder) {
    const LineList standard = {". -", "! -", "? -"};
    struct Case {
        const char* text;
        LineList separators;
        LineList pieces;  // empty: not broken
    };
    const Case cases[] = {
        {"Come here. -Why?", standard, {"Come here.", "-Why?"}},
        {"Стой! -Нет. -Да", standard, {"Стой!", "-Нет.", "-Да"}},
        {"Mr. Smith -no", standard, {}},
        {"Yes. -NO. -no", {". -"}, {"Yes.", "-NO.", "-no"}},
        {"A; -b", {";", "", "; -"}, {"A;", "-b"}},  // separators without a space never split
        {"Go.  -Now ", standard, {}},
    };
    for (const Case& c : cases) {
        LineList pieces;
        LineList separators;
        for (const std::string& s : c.separators)
            separators.push_back(W(s));
        const bool broken = BreakDialogText(W(c.text), separators, pieces);
        EXPECT_EQ(broken, !c.pieces.empty()) << c.text;
        if (!broken) continue;
        LineList expected;
        for (const std::string& p : c.pieces)
            expected.push_back(W(p));
        EXPECT_EQ(pieces, expected) << c.text;
    }
}

// A line of 200 KB holding 40,000 separators: instant when each separator costs its own piece,
// minutes when the rest of the line is copied at every separator.
TEST(BreakDialogText, BreaksALongLineOfManySeparators) {
    constexpr int kRepeats = 20000;
    std::string text;
    for (int i = 0; i < kRepeats; ++i)
        text += "Go. -No! -";
    text += "End";
    LineList pieces;
    ASSERT_TRUE(BreakDialogText(text, {". -", "! -"}, pieces));
    ASSERT_EQ(pieces.size(), 2u * kRepeats + 1);
    EXPECT_EQ(pieces[0], "Go.");
    EXPECT_EQ(pieces[1], "-No!");
    EXPECT_EQ(pieces[2], "-Go.");
    EXPECT_EQ(pieces[2 * kRepeats - 1], "-No!");
    EXPECT_EQ(pieces.back(), "-End");
}

TEST(TagRoutines, RemoveNamedTagAndReflowMicroDvdText) {
    const std::pair<const char*, const char*> removals[] = {
        {"<font color=red>Hello</font>", "Hello"},
        {"<i><font color=\"red\">Hi</font></i>", "<i>Hi</i>"},  // a tag before the font tag
        {"<FONT a>x</Font> <font b>y</font>", "x <font b>y</font>"},
        {"<font color=blu>x</u>", "<font color=blu>x"},  // with "u": only "</u>" goes
        {"No tags", "No tags"},
    };
    for (const auto& [line, expected] : removals) {
        const std::string_view name = std::string_view(expected).ends_with("blu>x") ? "u" : "font";
        EXPECT_EQ(RemoveNamedTag(line, name), expected) << line;
    }

    const std::pair<const char*, const char*> reflows[] = {
        {"{Y:I}Один|два", "{Y:I}Один два"},  // the tag keeps its spelling
        {"{y:b}-Да|{y:b}-Нет", nullptr},     // one line per speaker, no empty display line
        {"{y:i}Раз {y:i}два", "{y:i}Раз|{y:i}два"},
        {"<i>Раз</i>|<i>два</i>", nullptr},
        {"<i>a|b</i> c", "<i>a b</i>|c"},
        {"{y:i}", nullptr},  // nothing but a tag stays
        {"Просто|текст", nullptr},
    };
    for (const auto& [text, expected] : reflows) {
        std::string s = W(text);
        EXPECT_EQ(ReflowMicroDvdText(s), expected != nullptr) << text;
        EXPECT_EQ(s, W(expected ? expected : text)) << text;
    }
}

// Runs one repair on a copy of a data file saved as `name` in a fresh folder.
using Repair = std::function<RunResult(const std::string& in, const std::string& out, Host&)>;

struct FileCase {
    const char* what;
    Repair repair;
    const char* data;      // under tests/data/ops/text
    const char* name;      // the input's name in the run folder
    const char* expected;  // expected output; nullptr: none is left
    const char* report;    // expected report, named by its extension; nullptr: none
    std::vector<std::string> messages;
    RunResult result = RunResult::Done;
};

Repair Delimiters(DelimitersParams params) {
    return [params](const std::string& in, const std::string& out, Host& host) {
        return FixDelimiters(in, out, params, host);
    };
}
Repair Digits(bool interactive = true) {
    return [=](const std::string& in, const std::string& out, Host& host) {
        return FixDigitsInText(in, out, {.interactive = interactive}, host);
    };
}
Repair EndLetters(bool interactive = true) {
    return [=](const std::string& in, const std::string&, Host& host) {
        return CheckEndLetters(in, {.interactive = interactive}, host);
    };
}
Repair Dialog(LineList separators = {". -", "! -", "? -"}) {
    return [separators](const std::string& in, const std::string& out, Host& host) {
        return FixSubtitleDialog(in, out, {.separators = separators}, host);
    };
}
using TagRun = RunResult (*)(const std::string&, const std::string&, const TagParams&, Host&);
Repair Tags(TagRun run, TagParams params = {}) {
    return [run, params](const std::string& in, const std::string& out, Host& host) {
        return run(in, out, params, host);
    };
}

TEST(TextRepairs, RepairTheDataFiles) {
    const DelimitersParams quiet{.interactive = false};
    // clang-format off
    const FileCase cases[] = {
        {"delimiters", Delimiters({}), "delimiters.srt", "a.srt", "delimiters.expected", "delimiters.fix", {}},
        {"delimiters, capital extension", Delimiters({}), "delimiters.srt", "a.SRT", "delimiters.expected", "delimiters.fix", {}},
        {"delimiters before only", Delimiters({.mode = kDelSpaceBeforeDelimiters}), "delimiters.srt", "a.srt", "delimiters_before_only.expected", "delimiters_before_only.fix", {}},
        {"delimiters, MicroDVD", Delimiters({}), "delimiters.sub", "a.sub", "delimiters_sub.expected", "delimiters_sub.fix", {}},
        {"delimiters, nothing to fix", Delimiters({}), "dialog.sub", "a.sub", nullptr, nullptr, {"Null Fix-length-file"}},
        {"delimiters, nothing to fix, folder run", Delimiters(quiet), "dialog.sub", "a.sub", nullptr, nullptr, {}},
        {"delimiters not set", Delimiters({.delimiters = ""}), "delimiters.srt", "a.srt", nullptr, nullptr, {"Not Set Delimiters!!!"}, RunResult::Refused},
        {"delimiters, another kind", Delimiters(quiet), "delimiters.srt", "a.txt", nullptr, nullptr, {"Not Support File extension: txt"}, RunResult::Refused},
        {"digits", Digits(), "digits.srt", "a.srt", "digits.expected", "digits.fixd", {}},
        {"digits, MicroDVD", Digits(), "digits.sub", "a.sub", "digits_sub.expected", "digits_sub.fixd", {}},
        {"digits, another kind", Digits(false), "digits.sub", "a.ass", nullptr, nullptr, {"Not Support File extension: ass"}, RunResult::Refused},
        {"end letters", EndLetters(), "end_letters.srt", "a.srt", nullptr, "end_letters.endA", {}},
        {"end letters, MicroDVD", EndLetters(), "end_letters.sub", "a.sub", nullptr, "end_letters_sub.endA", {}},
        {"end letters, none found", EndLetters(), "dialog.srt", "a.srt", nullptr, nullptr, {}},
        {"end letters, another kind", EndLetters(), "digits.srt", "a.txt", nullptr, nullptr, {"Not Support File extension: txt"}, RunResult::Refused},
        {"end letters, another kind, folder run", EndLetters(false), "digits.srt", "a.txt", nullptr, nullptr, {}},
        {"dialogue", Dialog(), "dialog.srt", "a.srt", "dialog.expected", "dialog.DiaFix", {}},
        {"dialogue, MicroDVD", Dialog(), "dialog.sub", "a.sub", "dialog_sub.expected", "dialog_sub.DiaFix", {}},
        {"dialogue, no separator applies", Dialog({"; -"}), "dialog.sub", "a.sub", nullptr, nullptr, {"Null DIAfix-length-file"}},
        {"remove tag", Tags(RemoveTag), "remove_tag.srt", "a.srt", "remove_tag.expected", "remove_tag.tagfix", {}},
        {"remove tag, MicroDVD", Tags(RemoveTag), "remove_tag.sub", "a.sub", "remove_tag_sub.expected", "remove_tag_sub.tagfix", {}},
        {"remove tag, no name", Tags(RemoveTag, {.tag = "", .interactive = false}), "remove_tag.srt", "a.srt", nullptr, nullptr, {"Not Set TAG to Remove!!!"}, RunResult::Refused},
        {"remove another tag", Tags(RemoveTag, {.tag = "b"}), "remove_tag.srt", "a.srt", nullptr, nullptr, {"Null TAGfix-length-file"}},
        {"fix tags", Tags(FixTags), "fix_tags.srt", "a.srt", "fix_tags.expected", "fix_tags.tagfix", {}},
        {"fix tags, MicroDVD", Tags(FixTags), "fix_tags.sub", "a.sub", "fix_tags_sub.expected", "fix_tags_sub.tagfix", {}},
        {"fix tags, MicroDVD, not to every line", Tags(FixTags, {.tagToEveryLine = false}), "fix_tags.sub", "a.sub", nullptr, nullptr, {"Null TAGfix-length-file"}},
        {"fix tags, another kind, folder run", Tags(FixTags, {.interactive = false}), "fix_tags.sub", "a.ssa", nullptr, nullptr, {}},
        {"reflow", Tags(ReflowTags), "reflow.srt", "a.srt", "reflow.expected", "reflow.tag", {}},
        {"reflow, MicroDVD", Tags(ReflowTags), "reflow.sub", "a.sub", "reflow_sub.expected", "reflow_sub.tag", {}},
        {"reflow, nothing to do", Tags(ReflowTags), "dialog.sub", "a.sub", nullptr, nullptr, {"Null TAG-length-file"}},
    };
    // clang-format on
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::filesystem::path in = dir / c.name;
        const std::filesystem::path out = std::filesystem::path(in).replace_extension("out");
        test::WriteFile(in, ReadFile(kData / c.data));
        RecordingHost host;
        EXPECT_EQ(c.repair(in.string(), out.string(), host), c.result);
        std::set<std::string> files = {c.name};
        if (c.expected) {
            files.insert(out.filename().string());
            EXPECT_EQ(ReadFile(out), ReadFile(kData / c.expected));
        }
        if (c.report) {
            const std::string ext = std::filesystem::path(c.report).extension().string();
            const std::filesystem::path report = std::filesystem::path(in).replace_extension(ext);
            files.insert(report.filename().string());
            EXPECT_EQ(ReadFile(report), ReadFile(kData / c.report));
            EXPECT_EQ(host.reportKind, "*" + ext);
        }
        std::set<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            left.insert(entry.path().filename().string());
        EXPECT_EQ(left, files);  // no temporary file, no stray output
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_FALSE(host.busy);
    }
}

TEST(TextRepairs, SummaryGoesToTheStatusBar) {
    test::TempDir dir;
    test::WriteFile(dir / "a.srt", ReadFile(kData / "end_letters.srt"));
    RecordingHost host;
    EXPECT_EQ(CheckEndLetters((dir / "a.srt").string(), {}, host), RunResult::Done);
    EXPECT_EQ(host.statusBar, ">> 4 Test Lines");
}

// The walk keeps what is no subtitle text and closes the last record.
TEST(TextRepairs, TheRecordWalkKeepsStrayTextAndDropsExtraBlankLines) {
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    struct Case {
        const char* what;
        std::string input, output;
    };
    // clang-format off
    const Case cases[] = {
        {"number last", Crlf({"1", t, "ab ,cd", "", "2"}), Crlf({"1", t, "ab, cd", "", "2", ""})},
        {"blank lines after the last number", Crlf({"1", t, "ab ,cd", "", "2", "", " "}), Crlf({"1", t, "ab, cd", "", "2", " "})},
        {"blank lines before the timing line", Crlf({"1", "", " ", t, "ab ,cd"}), Crlf({"1", t, "ab, cd", ""})},
        {"digits inside the text are text", Crlf({"1", t, "ab ,cd", "2", t, "cd ,ef", ""}), Crlf({"1", t, "ab, cd", "2", t, "cd, ef", ""})},
        {"stray text between records", Crlf({"1", t, "ab ,cd", "", "x ,y", "", "", "2", t, "cd ,ef"}),
         Crlf({"1", t, "ab, cd", "", "x ,y", "2", t, "cd, ef", ""})},
        {"no line end at the end", "1\r\n" + t + "\r\nab ,cd", Crlf({"1", t, "ab, cd", ""})},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::WriteFile(dir / "a.srt", c.input);
        RecordingHost host;
        FixDelimiters((dir / "a.srt").string(), (dir / "a.out").string(), {}, host);
        EXPECT_EQ(ReadFile(dir / "a.out"), c.output);
    }
}

}  // namespace
}  // namespace tessaline
