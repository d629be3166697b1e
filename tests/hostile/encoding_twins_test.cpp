// Every catalogued command, in each of its directions and modes, on every hand-made input of
// tests/data/ops (Windows-1251) and on its twins in the encodings users have: each twin's
// outputs and reports must be the Windows-1251 run's, in the twin's encoding, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/codepages.hpp"
#include "core/cp1251.hpp"
#include "core/text_form.hpp"
#include "files/encoding.hpp"
#include "files/recording_host.hpp"
#include "files/transcode.hpp"
#include "invocations.hpp"
#include "test_support.hpp"

namespace tessaline::test {
namespace {

namespace fs = std::filesystem;

struct TwinKind {
    const char* name;
    FileEncoding encoding;
};
const TwinKind kTwins[] = {
    {"utf8", {TextEncoding::Utf8, false}},
    {"utf8bom", {TextEncoding::Utf8, true}},
    {"utf16le", {TextEncoding::Utf16le, true}},
    {"koi8r", {TextEncoding::Koi8r, false}},
};

// The commands whose results differ by encoding on purpose.
const std::map<std::string_view, std::string_view> kDifferOnPurpose = {
    {"recode", "converts from the encoding a file is in: the twins start elsewhere"},
};

// The twin of Windows-1251 bytes: the same text in another encoding; nothing when the encoding
// lacks one of its characters (KOI8-R has no "…").
std::optional<std::string> TwinOf(std::string_view cp1251, const FileEncoding& encoding) {
    std::string twin;
    if (encoding.bom) {
        twin = encoding.encoding == TextEncoding::Utf8 ? "\xEF\xBB\xBF" : "\xFF\xFE";
    }
    try {
        TextEncoder(encoding.encoding, TextForm::Cp1251).Encode(cp1251, twin);
    } catch (const UnencodableError&) {
        return std::nullopt;
    }
    return twin;
}

using Files = std::map<std::string, std::string>;

// Runs the invocation on `bytes` laid out as `name` (and as the second file) in the empty
// folder, and returns the exit status and every file of the folder afterwards.
std::pair<int, Files> RunOn(const Invocation& invocation, const std::string& dir,
                            const std::string& home, const std::string& name,
                            const std::string& bytes) {
    const std::string path = dir + "/" + name;
    const std::string second = dir + "/second" + fs::path(name).extension().string();
    WriteFile(path, bytes);
    if (invocation.secondFile) WriteFile(second, bytes);
    RecordingHost host;
    const int status = RunInvocation(invocation, path, second, home, host);
    Files files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = ReadFile(entry.path().string());
        fs::remove(entry.path());
    }
    return {status, files};
}

std::vector<std::string> DataInputs() {
    std::vector<std::string> inputs;
    for (const auto& entry : fs::recursive_directory_iterator(DataDir() / "ops")) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".srt" || ext == ".sub" || ext == ".ass")) {
            inputs.push_back(fs::relative(entry.path(), DataDir() / "ops").string());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class EncodingTwins : public ::testing::TestWithParam<std::string> {};

TEST_P(EncodingTwins, GiveTheWindows1251ResultsInTheirOwnEncoding) {
    const std::string relative = GetParam();
    const std::string original = ReadFile(DataDir() / "ops" / relative);
    const std::string name = fs::path(relative).filename().string();
    TempDir root;
    const std::string dir = (root / "work").string();
    const std::string home = (root / "home").string();
    fs::create_directory(dir);
    fs::create_directory(home);
    for (const Invocation& invocation : CatalogueInvocations()) {
        if (invocation.mask || kDifferOnPurpose.contains(invocation.op->command)) continue;
        const auto [status, expected] = RunOn(invocation, dir, home, name, original);
        for (const TwinKind& kind : kTwins) {
#if defined(__SANITIZE_ADDRESS__)
            // Under the sanitizers one twin of each form is enough: UTF-8 and a decoded one.
            if (kind.encoding.encoding != TextEncoding::Utf16le && !kind.encoding.bom) continue;
#endif
            const std::optional<std::string> twin = TwinOf(original, kind.encoding);
            if (!twin) continue;
            // A code page without a byte-order mark is recognised by its letters: a twin with
            // too few of them for the detector is read as Windows-1251, as a user's would be.
            const std::optional<FileEncoding> decided = DecideEncoding(*twin, true);
            if (!kind.encoding.bom && kind.encoding.encoding != TextEncoding::Utf8 &&
                (!decided || decided->encoding != kind.encoding.encoding)) {
                continue;
            }
            const auto [twinStatus, got] = RunOn(invocation, dir, home, name, *twin);
            SCOPED_TRACE(invocation.label + " on the " + kind.name + " twin of " + relative);
            EXPECT_EQ(twinStatus, status);
            for (const auto& [file, bytes] : expected) {
                const auto it = got.find(file);
                if (it == got.end()) {
                    ADD_FAILURE() << file << " missing";
                    continue;
                }
                const std::optional<std::string> want = TwinOf(bytes, kind.encoding);
                if (!want) {
                    ADD_FAILURE() << file << ": the Windows-1251 result has no twin";
                    continue;
                }
                EXPECT_EQ(it->second, *want) << file;
            }
            for (const auto& [file, bytes] : got) {
                EXPECT_TRUE(expected.contains(file)) << file << " written only for the twin";
            }
        }
    }
}

// --- Characters beyond Windows-1251 -------------------------------------------------------------

// A film whose text holds characters Windows-1251 lacks in every place a line has: first, last,
// inside tags, after a dialogue hyphen, beside punctuation.
const std::vector<std::string> kForeignLines = {
    "1", "00:00:01,000 --> 00:00:03,000", "♪ Café ñandú ♪", "<i>👍🏽 中文</i> Ελλάδα", "",
    "2", "00:00:04,000 --> 00:00:06,000", "- Привет, é! ♪", "- 漢字 ñ 👍🏽", "",
    "3", "00:00:07,000 --> 00:00:09,000", "Ça va? Très bien, ñu.", "",
};
// The characters counted, each as the user sees it.
const char* const kForeign[] = {"♪", "é", "ñ", "👍🏽", "中", "文", "Ε", "λ", "漢", "字"};

// The commands that keep every character of the text (they move, join, cut or renumber it),
// whose output must hold each foreign character as often as the input does.
const std::string_view kKeepText[] = {
    "offset-time", "recount", "convert", "correct", "fix-delimiters", "set-length",
    "to-one-line", "to-bottom", "stretch-fps", "stretch", "offset-count", "offset-tail",
    "any-to-dos", "unix-to-dos", "fix-digits", "fix-double-time", "fix-wrong-time", "set-time",
    "extend-time", "subtitle-time-correction", "reflow-tags", "fix-tags"};

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The UTF-8 text of a file written in `encoding`.
std::string TextOf(const std::string& bytes, const FileEncoding& encoding) {
    if (encoding.encoding == TextEncoding::Utf8) {
        return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    }
    TextDecoder decoder(encoding.encoding);
    std::string text;
    decoder.Decode(bytes.starts_with("\xFF\xFE") ? std::string_view(bytes).substr(2) : bytes,
                   text);
    decoder.Finish(text);
    return text;
}

TEST(ForeignCharacters, SurviveEveryCommandThatDoesNotActOnThem) {
    TempDir root;
    const std::string dir = (root / "work").string();
    const std::string home = (root / "home").string();
    fs::create_directory(dir);
    fs::create_directory(home);
    std::string srt;
    for (const std::string& line : kForeignLines)
        srt += line + "\r\n";
    for (const FileEncoding encoding :
         {FileEncoding{TextEncoding::Utf8, true}, FileEncoding{TextEncoding::Utf16le, true}}) {
        std::string bytes = encoding.encoding == TextEncoding::Utf8 ? "\xEF\xBB\xBF" : "\xFF\xFE";
        TextEncoder(encoding.encoding, TextForm::Utf8).Encode(srt, bytes);
        for (const Invocation& invocation : CatalogueInvocations()) {
            if (invocation.mask || kDifferOnPurpose.contains(invocation.op->command)) continue;
            const std::string command(invocation.op->command);
            SCOPED_TRACE(invocation.label + " on " + std::string(EncodingName(encoding.encoding)));
            const auto [status, files] = RunOn(invocation, dir, home, "film.srt", bytes);
            EXPECT_NE(status, 2);
            const bool keepsText = std::find(std::begin(kKeepText), std::end(kKeepText),
                                             command) != std::end(kKeepText);
            for (const auto& [file, content] : files) {
                if (file == "second.srt") continue;
                const std::string text = TextOf(content, encoding);
                // Never garbled: every byte in its place in a character, nothing replaced.
                EXPECT_EQ(ScanUtf8(text, false).malformed, 0u) << file;
                EXPECT_EQ(Count(text, "\xEF\xBF\xBD"), 0u) << file;
                // (A run stopped at a refused value keeps only the subtitles before it.)
                if (!keepsText || status != 0 || (file != "film.out" && file != "film.sub")) {
                    continue;
                }
                EXPECT_EQ(Count(text, "?"), Count(srt, "?")) << file;
                for (const char* ch : kForeign)
                    EXPECT_EQ(Count(text, ch), Count(srt, ch)) << file << ": " << ch;
            }
        }
    }
}

// --- Files of no text ------------------------------------------------------------------------

TEST(NotText, EveryCommandRefusesItAndLeavesItAlone) {
    TempDir root;
    const std::string dir = (root / "work").string();
    const std::string home = (root / "home").string();
    fs::create_directory(dir);
    fs::create_directory(home);
    // A VobSub pack (image subtitles share the .sub extension) and bytes with NULs.
    std::string vobsub("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01\x01\x89\xC3\xF8", 14);
    vobsub += std::string(2034, '\xFF') + "{1}{25}text\r\n";
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>((i * 37) % 251);
    for (const auto& [name, bytes] : {std::pair{"film.sub", vobsub}, {"film.srt", binary}}) {
        for (const Invocation& invocation : CatalogueInvocations()) {
            if (invocation.mask) continue;
            SCOPED_TRACE(invocation.label + " on " + name);
            RecordingHost host;
            const std::string path = dir + "/" + name;
            WriteFile(path, bytes);
            const int status = RunInvocation(invocation, path, path, home, host);
            const std::string command(invocation.op->command);
            // Some commands stop silently before they read anything here: Rename out-File and
            // Delete File work on outputs that are not there, the replace list is empty, and the
            // join is given no split's files.
            constexpr std::string_view kStopBeforeReading[] = {"rename-out", "delete-file",
                                                               "replace-list", "join-time-text"};
            if (std::find(std::begin(kStopBeforeReading), std::end(kStopBeforeReading),
                          command) == std::end(kStopBeforeReading)) {
                EXPECT_EQ(status, 1);
            }
            std::vector<std::string> left;
            for (const auto& entry : fs::directory_iterator(dir))
                left.push_back(entry.path().filename().string());
            EXPECT_EQ(left, std::vector<std::string>{name});
            EXPECT_EQ(ReadFile(path), bytes);
            fs::remove(path);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, EncodingTwins, ::testing::ValuesIn(DataInputs()),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace tessaline::test
