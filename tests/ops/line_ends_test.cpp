#include "ops/line_ends.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "op_folder.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using Messages = std::vector<std::string>;

using Pass = RunResult (*)(const std::string&, const std::string&, bool, Host&);

struct Repair : test::OpFolder {
    Repair(Pass pass, std::string_view content, std::string_view name = "film.srt",
           bool interactive = true)
        : OpFolder(content, name) {
        result = pass(input.string(), output.string(), interactive, host);
    }
};

TEST(LineEnds, UnixToDos) {
    const Messages kNotUnix{"This is Not Unix-formatted file!"};
    const struct {
        std::string input;
        std::string output;  // "(none)": the pass failed
    } cases[] = {
        {"1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n",
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n\r\n2\r\n"},
        // A CR directly after an LF is dropped, also several.
        {"a\n\r\rb\n", "a\r\nb\r\n"},
        {"", "(none)"},
        // Text after the last LF, and CR LF line ends, fail the pass.
        {"a\nb", "(none)"},
        {"a\r\nb\r\n", "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const Repair run(UnixToDos, c.input);
        EXPECT_EQ(run.Output(), c.output);
        const bool failed = c.output == "(none)";
        EXPECT_EQ(run.result, failed ? RunResult::Refused : RunResult::Done);
        EXPECT_EQ(run.host.messages, failed ? kNotUnix : Messages{});
    }
    // Over a folder the failure is silent.
    EXPECT_TRUE(Repair(UnixToDos, "a", "film.srt", false).host.messages.empty());
}

TEST(LineEnds, AnyToDos) {
    const struct {
        const char* what;
        std::string input;
        std::string output;
    } cases[] = {
        {"LF only keeps the empty lines between records", "1\nA\n\n2\nB\n",
         "1\r\nA\r\n\r\n2\r\nB\r\n"},
        {"CR only keeps them too", "1\rA\r\r2\rB\r", "1\r\nA\r\n\r\n2\r\nB\r\n"},
        {"CR CR LF is one line end", "A\r\r\n\r\r\nB\r\r\n", "A\r\n\r\nB\r\n"},
        {"runs of empty lines become one", "A\r\n\r\n\r\n\r\nB\n\n\nC\r\n",
         "A\r\n\r\nB\r\n\r\nC\r\n"},
        {"a mixture", "A\nB\r\nC\rD\r\r\nE\n", "A\r\nB\r\nC\r\nD\r\nE\r\n"},
        {"empty lines before the first text", "\r\n\r\nA\n", "\r\nA\r\n"},
        {"text after the last line end fails", "A\r\nB", "(none)"},
        // The CR after an LF belongs to that line end: no empty line cuts a number from its
        // timing, and the record separator LF CR LF CR is still one empty line.
        {"LF CR is one line end", "1\n\r00:00:01,000 --> 00:00:02,000\n\rHello\n\r\n\r2\n\rBye\n\r",
         "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n2\r\nBye\r\n"},
        {"LF CR then CR LF", "A\n\r\r\nB\n", "A\r\n\r\nB\r\n"},
        {"CR LF CR LF stays an empty line", "A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Repair run(AnyToDos, c.input);
        EXPECT_EQ(run.Output(), c.output);
        const bool failed = c.output == "(none)";
        EXPECT_EQ(run.host.messages,
                  failed ? Messages{"This is Not Any-formatted file!"} : Messages{});
    }
}

TEST(LineEnds, ALineEndAcrossTheReadersBlockReadsAsAnyOther) {
    // Repeated past the reader's block of 1 MiB, each piece gives its own result again: a line,
    // a CR LF or a run of line ends cut by the end of a block is still read as one.
    const struct {
        Pass pass;
        std::string piece;
        std::string output;
    } cases[] = {
        {AnyToDos, "Some text\r\n\r\n\r\nA line\rB\n\rC\r\r\nD\n", "Some text\r\n\r\nA line\r\nB\r\nC\r\nD\r\n"},
        {UnixToDos, "Some text\n\rA\n\n", "Some text\r\nA\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.piece);
        std::string input;
        std::string output;
        while (input.size() < (3U << 20) / 2) {
            input += c.piece;
            output += c.output;
        }
        EXPECT_EQ(Repair(c.pass, input).Output(), output);
    }
}

TEST(LineEnds, OnlySubtitleFilesInAnyLetterCase) {
    EXPECT_EQ(Repair(AnyToDos, "A\n", "film.SUB").Output(), "A\r\n");
    for (const bool interactive : {true, false}) {
        const Repair run(UnixToDos, "A\n", "film.ssa", interactive);
        EXPECT_EQ(run.result, RunResult::Refused);
        EXPECT_EQ(run.Output(), "(none)");
        EXPECT_EQ(run.host.messages, Messages{"Not Support File extension: ssa"});
    }
}

}  // namespace
}  // namespace tessaline
