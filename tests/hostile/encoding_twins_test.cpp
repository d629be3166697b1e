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
