#include "ops/change_case.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "op_folder.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::W;
namespace fs = std::filesystem;

TEST(ChangeCase, TransformsOneText) {
    using enum CaseMode;
    const struct {
        CaseMode mode;
        bool upBrackets;
        CaseFlags flags;
        std::string text;
        std::string result;
    } cases[] = {
        // Lower case keeps ё; the text in brackets keeps its case, or takes capitals.
        {Lower, false, {}, W("ЁЛКА (Ёж)"), W("ёлка (Ёж)")},
        {Lower, true, {}, W("ЁЛКА (Ёж)"), W("ёлка (ЁЖ)")},
        {Words, false, {}, "the end", "The End"},
        {Words, false, {}, W("мир (И ДРУГИЕ) вокруг"), W("Мир (И ДРУГИЕ) Вокруг")},
        {Switch, false, {}, W("Привет"), W("пРИВЕТ")},
        // The first letter after leading tags and punctuation.
        {TextFirst, false, {}, "<i>hello WORLD", "<i>Hello world"},
        {TextFirst, false, {}, "- hi", "- Hi"},
        {TextFirst, false, {}, "<i><b>yES", "<i><b>Yes"},
        {TextFirst, false, {}, "<i>, so", "<i>, So"},
        {TextFirst, false, {}, "<i>'quote", "<i>'Quote"},
        {LineFirst, false, {}, W("эй, ТЫ"), W("Эй, ты")},
        // With brackets the file's variant changes only a subtitle's first line.
        {LineFirst, false, {.afterTime = false}, "(sigh) OK then", "(sigh) OK then"},
        {LineFirst, true, {.afterTime = true}, "(sigh) OK then", "(SIGH) Ok then"},
        {LineFirst, false, {.afterTime = true}, "well (sigh) OK", "Well (sigh) OK"},
        // Sentence case.
        {Normalize, false, {}, "hello. how ARE you?", "Hello. How are you?"},
        {Normalize, false, {.afterDelimiter = false}, "and SO. on", "and so. On"},
        {Normalize, true, {}, W("он сказал (тихо). кто-То"), W("Он сказал (ТИХО). Кто-то")},
        {Lower, false, {}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CaseFlags flags = c.flags;
        EXPECT_EQ(CaseTransformText(c.text, c.mode, c.upBrackets, flags), c.result);
    }
    // One buffer for every text, as a file run keeps it, in both orders: nothing of a text
    // before stays in it.
    for (const bool backwards : {false, true}) {
        std::string kept;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto& c = cases[backwards ? std::size(cases) - 1 - i : i];
            SCOPED_TRACE(c.text);
            CaseFlags flags = c.flags;
            CaseTransformText(c.text, c.mode, c.upBrackets, flags, kept);
            EXPECT_EQ(kept, c.result);
        }
    }
}

struct CaseFile : test::OpFolder {
    using OpFolder::OpFolder;
    RunResult Convert(CaseMode mode, bool upBrackets = false) {
        return ConvertFileCase(input.string(), mode, upBrackets, host);
    }
};

const std::string kFilm =
    Crlf({"1", "00:00:01,000 --> 00:00:02,000", W("ПРИВЕТ. КАК ДЕЛА"), W("НОРМАЛЬНО (ЁЖ)"), "", "2",
          "00:00:03,000 --> 00:00:04,000", "(MUSIC)", "THE END", ""});

TEST(ChangeCase, ConvertsTheFileInPlace) {
    const struct {
        CaseMode mode;
        std::string result;
    } cases[] = {
        // Each subtitle's first line begins a sentence: its timing line sets the flag (which
        // the ")" of "(MUSIC)" takes as the sentence's first character).
        {CaseMode::Normalize,
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", W("Привет. Как дела"), W("нормально (ЁЖ)"), "",
               "2", "00:00:03,000 --> 00:00:04,000", "(MUSIC)", "the end", ""})},
        {CaseMode::Lower,
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", W("привет. как дела"), W("нормально (ЁЖ)"), "",
               "2", "00:00:03,000 --> 00:00:04,000", "(MUSIC)", "the end", ""})},
        // A line that is only "(...)" after the timing line leaves the next line the first.
        {CaseMode::LineFirst,
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", W("Привет. как дела"), W("НОРМАЛЬНО (ЁЖ)"), "",
               "2", "00:00:03,000 --> 00:00:04,000", "(MUSIC)", "The end", ""})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        CaseFile file(kFilm);
        // A file of the user's that the old way of writing would have clobbered.
        test::WriteFile(file.dir / "film.srt.tmp", "mine");
        fs::permissions(file.input,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_EQ(file.Convert(c.mode), RunResult::Done);
        EXPECT_EQ(ReadFile(file.input), c.result);
        EXPECT_EQ(ReadFile(file.dir / "film.srt.tmp"), "mine");
        EXPECT_EQ(std::distance(fs::directory_iterator(file.dir.path()), {}), 2);
        EXPECT_EQ(fs::status(file.input).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_TRUE(file.host.messages.empty());
    }
}

// "First letter of the line": a line with brackets changes only as a subtitle's first line. A
// line that is only "(...)" right after the timing line passes that place on to the next line.
TEST(ChangeCase, ABracketLineAfterTheTimingLeavesTheNextLineFirst) {
    const std::string timing = "00:00:01,000 --> 00:00:02,000";
    const struct {
        const char* what;
        std::string first, second;
        std::string firstOut, secondOut;
    } cases[] = {
        {"(music), then brackets", "(music)", "well (sigh) ok", "(music)", "Well (sigh) ok"},
        {"(music), then plain text", "(music)", "the end", "(music)", "The end"},
        {"(music) with text after it", "(music) oh", "well (sigh) ok", "(music) Oh",
         "well (sigh) ok"},
        {"plain text, then brackets", "hello", "well (sigh) ok", "Hello", "well (sigh) ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CaseFile file(Crlf({"1", timing, c.first, c.second, ""}));
        EXPECT_EQ(file.Convert(CaseMode::LineFirst), RunResult::Done);
        EXPECT_EQ(ReadFile(file.input), Crlf({"1", timing, c.firstOut, c.secondOut, ""}));
    }
}

TEST(ChangeCase, ALinkChangesTheFileItNames) {
    CaseFile file("ABC\r\n");
    fs::create_symlink(file.input, file.dir / "link.srt");
    EXPECT_EQ(ConvertFileCase((file.dir / "link.srt").string(), CaseMode::Lower, false, file.host),
              RunResult::Done);
    EXPECT_TRUE(fs::is_symlink(file.dir / "link.srt"));
    EXPECT_EQ(ReadFile(file.input), "abc\r\n");
    EXPECT_EQ(ConvertFileCase((file.dir / "none.srt").string(), CaseMode::Lower, false, file.host),
              RunResult::Skipped);
}

}  // namespace
}  // namespace tessaline
