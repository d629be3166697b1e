// All in One with its steps at once (lines flowing from step to step in memory) against the same
// chain run one step after another: on every subtitle file of tests/data and of the hostile
// corpus, and on generated films in the encodings users have, the file, every report, the trash
// and what the host was told must come out the same, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.hpp"
#include "core/text_form.hpp"
#include "corpus.hpp"
#include "files/encoding.hpp"
#include "files/recording_host.hpp"
#include "files/transcode.hpp"
#include "ops/all_in_one.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"
#include "test_support.hpp"

namespace tessaline::test {
namespace {

namespace fs = std::filesystem;

// Everything a chain run leaves and says, with the folder's path taken out of the texts (each
// run has a folder of its own).
struct ChainOutcome {
    std::string result;
    std::map<std::string, std::string> files;
    std::string trashed;
    std::vector<std::string> told;

    bool operator==(const ChainOutcome&) const = default;
};

std::string WithoutFolder(std::string text, const std::string& folder) {
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
        text.replace(at, folder.size(), "DIR");
    return text;
}

ChainOutcome RunChain(const std::string& name, const std::string& bytes, bool atOnce) {
    TempDir dir;
    const std::string folder = dir.path().string();
    const fs::path input = dir / name;
    WriteFile(input, bytes);
    Settings settings;
    ControlValues controls;
    LineList diaBreaks;
    RecordingHost host;
    OperationContext context{.settings = settings,
                             .controls = controls,
                             .host = host,
                             .programFolder = folder,
                             .diaBreaks = diaBreaks,
                             .addFile = ""};
    const std::string in = input.string();
    const std::string out = (dir / (fs::path(name).stem().string() + ".out")).string();
    const RunArgs args{.input = in, .output = out, .interactive = true, .variant = 0};
    ChainOutcome outcome;
    try {
        const RunResult result =
            atOnce ? RunAllInOne(context, args) : RunAllInOneStepByStep(context, args);
        outcome.result = std::to_string(static_cast<int>(result));
    } catch (const ConversionError& e) {
        outcome.result = std::string("conversion error: ") + e.what();
    } catch (const std::exception& e) {
        outcome.result = std::string("error: ") + e.what();
    }
    outcome.result = WithoutFolder(outcome.result, folder);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        outcome.files[entry.path().filename().string()] = ReadFile(entry.path());
    outcome.trashed = TrashedFile(input).value_or("(none)");
    for (const std::string& text : host.messages)
        outcome.told.push_back("message: " + WithoutFolder(text, folder));
    for (const std::string& text : host.messageFiles)
        outcome.told.push_back("message file: " + WithoutFolder(text, folder));
    for (const std::string& text : host.questions)
        outcome.told.push_back("question: " + text);
    for (const StatusState state : host.statusHistory)
        outcome.told.push_back("status: " + std::to_string(static_cast<int>(state)));
    for (const auto& [field, reason] : host.statusReason)
        outcome.told.push_back("status reason: " + WithoutFolder(reason, folder));
    outcome.told.push_back("status bar: " + host.statusBar);
    outcome.told.push_back("report kind: " + host.reportKind);
    for (const std::string& text : host.results)
        outcome.told.push_back("result: " + text);
    for (const std::string& text : host.skipped)
        outcome.told.push_back("skipped: " + text);
    return outcome;
}

// Both ways on one file; the film's second run (every step finding little or nothing to change)
// as well when asked.
void ExpectTwins(const std::string& name, const std::string& bytes, bool again = false) {
    SCOPED_TRACE(name);
    const ChainOutcome byStep = RunChain(name, bytes, false);
    const ChainOutcome atOnce = RunChain(name, bytes, true);
    EXPECT_EQ(atOnce.result, byStep.result);
    EXPECT_EQ(atOnce.told, byStep.told);
    EXPECT_EQ(atOnce.trashed.size(), byStep.trashed.size());
    EXPECT_TRUE(atOnce.trashed == byStep.trashed);
    ASSERT_EQ(atOnce.files.size(), byStep.files.size());
    for (const auto& [file, content] : byStep.files) {
        const auto it = atOnce.files.find(file);
        ASSERT_TRUE(it != atOnce.files.end()) << file;
        // Compared without printing: a film of many megabytes would flood the log.
        EXPECT_TRUE(it->second == content) << file << ": " << it->second.size() << " bytes, one "
                                           << "after another " << content.size();
    }
    if (again && byStep.files.contains(name)) ExpectTwins(name, byStep.files.at(name));
}

bool IsChainInput(const std::string& name) {
    const std::string ext = LowerExtOf(name);
    return ext == "srt" || ext == "sub";
}

TEST(AllInOneTwins, EveryFileOfTestData) {
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(DataDir())) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || !IsChainInput(name)) continue;
        ExpectTwins(name, ReadFile(entry.path()), true);
        ++files;
    }
    EXPECT_GT(files, 50);
}

TEST(AllInOneTwins, EveryFileOfTheHostileCorpus) {
    for (const std::string& name : AllCorpusNames()) {
        if (IsChainInput(name)) ExpectTwins(name, CorpusBytes(name), true);
    }
}

// A film with something for every step: Unix and mixed line ends, numbers that start at 5 and
// skip, glued and loose punctuation, numbers split by a space, two-line and over-long subtitles,
// doubled empty lines, tags and dialogue, Cyrillic text.
std::string Film(int subtitles, std::uint32_t seed) {
    const std::string lines[] = {
        "Hello ,world!How are",      "you ?",
        "It costs 1 000 dollars",    "This line is far too long to stay on one line of the screen",
        W("Привет ,мир!Как дела ?"), W("- Да.- Нет ,нет..."),
        "<i>He said:\"no\"</i>",     W("Это стоит 2 500 рублей,понятно?"),
        "Everything is fine.",       "- Wait!",
        W("Ёлка, ещё ёлка."),        "",
    };
    std::string film;
    std::uint32_t state = seed;
    const auto next = [&](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    std::uint32_t number = 5;
    for (int i = 0; i < subtitles; ++i) {
        const char* end = next(7) == 0 ? "\n" : "\r\n";
        number += 1 + (next(9) == 0 ? 1 : 0);
        if (next(13) != 0) film += std::to_string(number) + end;
        const int start = 1000 + i * 3000;
        char timing[64];
        std::snprintf(timing, sizeof timing, "%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d",
                      start / 3600000, start / 60000 % 60, start / 1000 % 60, start % 1000,
                      (start + 2500) / 3600000, (start + 2500) / 60000 % 60,
                      (start + 2500) / 1000 % 60, (start + 2500) % 1000);
        film += std::string(timing) + end;
        const std::uint32_t count = 1 + next(3);
        for (std::uint32_t k = 0; k < count; ++k)
            film += lines[next(std::size(lines) - 1)] + end;
        film += end;
        if (next(11) == 0) film += end;
    }
    return film;
}

TEST(AllInOneTwins, GeneratedFilmsInEveryEncoding) {
    struct Kind {
        const char* name;
        FileEncoding encoding;
    };
    const Kind kinds[] = {
        {"windows-1251", {TextEncoding::Windows1251, false}},
        {"utf-8", {TextEncoding::Utf8, false}},
        {"utf-8 with BOM", {TextEncoding::Utf8, true}},
        {"utf-16le", {TextEncoding::Utf16le, true}},
        {"koi8-r", {TextEncoding::Koi8r, false}},
    };
    {
        const std::string film = Film(2000, 1);
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(kind.name);
            std::string bytes;
            if (kind.encoding.bom) {
                bytes = kind.encoding.encoding == TextEncoding::Utf8      ? "\xEF\xBB\xBF"
                        : kind.encoding.encoding == TextEncoding::Utf16le ? "\xFF\xFE"
                                                                          : "\xFE\xFF";
            }
            TextEncoder(kind.encoding.encoding, TextForm::Cp1251).Encode(film, bytes);
            ExpectTwins("film.srt", bytes, true);
            // Without an end after its last line, the first step keeps no output.
            ExpectTwins(
                "film.srt",
                bytes.substr(0, bytes.size() - (kind.encoding.form() == TextForm::Cp1251 ||
                                                        kind.encoding.encoding == TextEncoding::Utf8
                                                    ? 2
                                                    : 4)));
        }
    }
}

// The odd ends of a chain: a conversion error in a later step, a MicroDVD film, an empty file,
// a file of nothing but empty lines.
TEST(AllInOneTwins, OddFiles) {
    ExpectTwins("film.srt", "1\n00:00:01,000 --> 00:00:03,00x\nHi ,there\n\n");
    ExpectTwins("film.srt",
                "1\r\n00:00:01,000 --> 00:00:03,000\r\nHi ,there\r\n\r\n"
                "2\r\n00:00:0x,000 --> 00:00:05,000\r\nYes\r\n\r\n");
    ExpectTwins("film.sub", "{1}{25}Hello ,world!|It costs 1 000 dollars\r\n{30}{50}Fine.\r\n");
    ExpectTwins("film.srt", "");
    ExpectTwins("film.srt", "\r\n\r\n\r\n");
}

}  // namespace
}  // namespace tessaline::test
