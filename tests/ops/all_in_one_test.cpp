// All in One over hand-written files: the chain's result in the file, no output left, the
// refusals before the chain and a conversion error that stops it.

#include "ops/all_in_one.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/errors.hpp"
#include "files/held_file.hpp"
#include "files/recording_host.hpp"
#include "op_folder.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::OpFolder;
using test::W;

struct Chain {
    explicit Chain(std::string_view content, std::string_view name = "film.srt",
                   bool existingOutput = false)
        : folder(content, name, existingOutput) {}
    RunResult Run(bool stepByStep = false) {
        OperationContext context{.settings = settings,
                                 .controls = controls,
                                 .host = folder.host,
                                 .programFolder = folder.dir.path().string(),
                                 .diaBreaks = diaBreaks,
                                 .addFile = ""};
        const std::string input = folder.input.string();
        const std::string output = folder.output.string();
        const RunArgs args{.input = input, .output = output, .interactive = true, .variant = 0};
        return stepByStep ? RunAllInOneStepByStep(context, args) : RunAllInOne(context, args);
    }
    Settings settings;
    ControlValues controls;
    LineList diaBreaks;
    OpFolder folder;
};

// A raw film: Unix line ends, glued and loose punctuation, numbering from 5, two-line subtitles,
// a number split by a space, a line too long for 33 characters.
const std::string kRaw =
    "5\n00:00:01,000 --> 00:00:03,000\nHello ,world!How are\nyou ?\n\n"
    "6\n00:00:04,000 --> 00:00:06,000\nIt costs 1 000 dollars\n\n"
    "7\n00:00:07,000 --> 00:00:12,000\n"
    "This line is far too long to stay on one line of the screen\n\n";

TEST(AllInOne, TheFileHoldsTheChainsResultAndNoOutputRemains) {
    Chain chain(kRaw);
    EXPECT_EQ(chain.Run(), RunResult::Done);
    const std::string result = test::ReadFile(chain.folder.input);
    EXPECT_EQ(result, Crlf({"1", "00:00:01,000 --> 00:00:03,000", "Hello, world! How are you?", "",
                            "2", "00:00:04,000 --> 00:00:06,000", "It costs 1000 dollars", "", "3",
                            "00:00:07,000 --> 00:00:12,000", "This line is far too long to stay",
                            "on one line of the screen", ""}));
    EXPECT_EQ(chain.folder.Output(), "(none)");
    EXPECT_TRUE(chain.folder.host.messages.empty());
    EXPECT_EQ(test::TrashedFile(chain.folder.input.string()).value_or("-"), kRaw);
}

// Refused before any step: the file and an old output stay as they were, and no report is made.
TEST(AllInOne, RefusesBeforeTheChain) {
    struct Case {
        const char* name;
        bool existingOutput;
        const char* message;
    };
    const Case cases[] = {
        {"film.ssa", false, "Not Support File extension: ssa"},
        {"film.txt", false, "Not Support File extension: txt"},
        {"film.srt", true, "Output File Exist!!!"},
    };
    for (const Case& c : cases) {
        Chain chain(kRaw, c.name, c.existingOutput);
        EXPECT_EQ(chain.Run(), RunResult::Refused) << c.name;
        EXPECT_EQ(test::ReadFile(chain.folder.input), kRaw) << c.name;
        EXPECT_EQ(chain.folder.Output(), c.existingOutput ? "old" : "(none)") << c.name;
        EXPECT_EQ(chain.folder.FileCount(), c.existingOutput ? 2 : 1) << c.name;
        EXPECT_EQ(chain.folder.host.messages, std::vector<std::string>{c.message}) << c.name;
    }
}

// A file named in capitals runs; a clean file comes out as it went in.
TEST(AllInOne, ACleanFileStaysAsItWas) {
    const std::string clean = Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Привет, мир!"), "",
                                    "2", "00:00:04,000 --> 00:00:06,000", "Hello.", ""});
    Chain chain(clean, "FILM.SRT");
    chain.folder.output = chain.folder.dir / "FILM.out";
    EXPECT_EQ(chain.Run(), RunResult::Done);
    EXPECT_EQ(test::ReadFile(chain.folder.input), clean);
    EXPECT_EQ(chain.folder.File("FILM.out"), "(none)");
}

// A conversion error in the third step (a malformed off-time for the correction) ends the chain:
// the file holds the first two steps' result, nothing of the third is left.
TEST(AllInOne, AConversionErrorStopsTheChain) {
    Chain chain("1\n00:00:01,000 --> 00:00:03,00x\nHi ,there\n\n");
    EXPECT_THROW(chain.Run(), ConversionError);
    EXPECT_EQ(test::ReadFile(chain.folder.input),
              Crlf({"1", "00:00:01,000 --> 00:00:03,00x", "Hi, there", ""}));
    EXPECT_EQ(chain.folder.Output(), "(none)");
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

int g_replacements = 0;
int g_changeAt = 0;

// Another program appends to the file just before the chain's replacement number g_changeAt.
void AppendAtOneReplacement(const std::string& path) {
    if (++g_replacements != g_changeAt) return;
    test::WriteFile(path, test::ReadFile(path) + "8\r\n00:00:13,000 --> 00:00:14,000\r\nMine\r\n");
}

// A file changed by another program while the chain runs keeps that program's version; the
// result stays as film.out and the message says why. The chain replaces the file once; run one
// step after another it replaces it after each step, and a change before the second replacement
// keeps the first.
TEST(AllInOne, AFileChangedMeanwhileIsNotReplaced) {
    struct Case {
        bool stepByStep;
        int changeAt;
    };
    for (const Case c : {Case{false, 1}, Case{true, 1}, Case{true, 2}}) {
        const int changeAt = c.changeAt;
        SCOPED_TRACE(changeAt);
        SCOPED_TRACE(c.stepByStep);
        Chain chain(kRaw);
        g_replacements = 0;
        g_changeAt = changeAt;
        SetBeforeReplaceHook(AppendAtOneReplacement);
        std::string message;
        try {
            chain.Run(c.stepByStep);
        } catch (const FileError& e) {
            message = e.what();
        }
        SetBeforeReplaceHook(nullptr);
        EXPECT_EQ(message,
                  "film.srt was changed by another program while it was being worked on: "
                  "nothing replaced");
        EXPECT_TRUE(test::ReadFile(chain.folder.input).ends_with("Mine\r\n"));
        EXPECT_TRUE(std::filesystem::exists(chain.folder.output));
        EXPECT_EQ(g_replacements, changeAt);
        // The file as it was before the run is in the trash only once a step replaced it.
        EXPECT_EQ(test::TrashedFile(chain.folder.input.string()).has_value(), changeAt > 1);
    }
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

int g_replaced = 0;

void CountReplacement(const std::string&) {
    ++g_replaced;
}

// The chain writes the file once: one replacement, where the steps one after another replace it
// after every step that changed something; the result is the same.
TEST(AllInOne, TheFileIsReplacedOnce) {
    std::string results[2];
    int replacements[2] = {0, 0};
    for (const bool stepByStep : {false, true}) {
        Chain chain(kRaw);
        g_replaced = 0;
        SetBeforeReplaceHook(CountReplacement);
        EXPECT_EQ(chain.Run(stepByStep), RunResult::Done);
        SetBeforeReplaceHook(nullptr);
        replacements[stepByStep] = g_replaced;
        results[stepByStep] = test::ReadFile(chain.folder.input);
    }
    EXPECT_EQ(replacements[0], 1);
    EXPECT_GT(replacements[1], 3);
    EXPECT_EQ(results[0], results[1]);
}

}  // namespace
}  // namespace tessaline
