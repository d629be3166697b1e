#pragma once

// The hostile files every command runs over: the committed corpus (tests/corpus) and the large
// cases the tests generate rather than commit.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "invocations.hpp"
#include "test_support.hpp"

namespace tessaline::test {

/// A large hostile file made by the test.
struct GeneratedFile {
    std::string name;
    std::string (*bytes)();
};

/// The size of the long lines: 5 MB, and 2 MB in the sanitizer build, where every byte costs
/// many times as much; either is longer than the line reader's block of 1 MiB.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kLongLineBytes = 2 << 20;
#else
inline constexpr std::size_t kLongLineBytes = 5 << 20;
#endif

inline const std::vector<GeneratedFile>& GeneratedCorpus() {
    static const std::vector<GeneratedFile> files = {
        {"long-line.srt",
         [] {
             return "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + std::string(kLongLineBytes, 'x');
         }},
        {"long-line-of-bars.sub",
         [] { return "{1}{2}" + std::string(kLongLineBytes, '|') + "\r\n"; }},
        // A style tag and a speaker's hyphen lead the tag and dialogue commands into the bars.
        {"long-line-of-tagged-bars.sub",
         [] { return "{1}{2}{y:i}-" + std::string(kLongLineBytes, '|') + "\r\n"; }},
        {"long-dialogue-of-override-blocks.ass",
         [] {
             std::string text = "[Events]\r\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,";
             for (std::size_t i = 0; i < kLongLineBytes / 5; ++i)
                 text += "{\\b}x";
             return text + "\r\n";
         }},
        {"blank-lines-200000.srt",
         [] {
             std::string text;
             for (int i = 0; i < 200'000; ++i)
                 text += "\r\n";
             return text + "1\r\n00:00:01,000 --> 00:00:02,000\r\nx\r\n";
         }},
    };
    return files;
}

/// Runs every catalogued invocation over the file (CheckRun), and each command's first one (its
/// required values only) once more with files in the places of its outputs; then the editor's
/// commands. Returns each broken promise with the invocation that broke it.
inline std::vector<std::string> CheckEveryInvocation(const std::string& dir,
                                                     const std::string& name,
                                                     const std::string& bytes,
                                                     const InvocationRunner& runner,
                                                     const Promises& promises = {}) {
    std::vector<std::string> broken;
    const Operation* previous = nullptr;
    for (const Invocation& invocation : CatalogueInvocations()) {
        const bool first = invocation.op != previous;
        previous = invocation.op;
        for (const bool outputsExist : {false, true}) {
            if (outputsExist && !first) continue;
            for (const std::string& what :
                 CheckRun(invocation, dir, name, bytes, outputsExist, runner, promises)) {
                broken.push_back(invocation.label + (outputsExist ? " (outputs exist)" : "") +
                                 ": " + what);
            }
        }
    }
    for (const Invocation& invocation : EditorInvocations(name, bytes)) {
        for (const std::string& what :
             CheckRun(invocation, dir, name, bytes, false, runner, promises)) {
            broken.push_back(invocation.label + ": " + what);
        }
    }
    return broken;
}

/// The names of the committed corpus files, in name order.
inline std::vector<std::string> CorpusNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataDir() / ".." / "corpus"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/// The bytes of a corpus file or a generated one.
inline std::string CorpusBytes(const std::string& name) {
    for (const GeneratedFile& file : GeneratedCorpus()) {
        if (file.name == name) return file.bytes();
    }
    return ReadFile(DataDir() / ".." / "corpus" / name);
}

/// Every name the corpus run goes over: the committed files and the generated ones.
inline std::vector<std::string> AllCorpusNames() {
    std::vector<std::string> names = CorpusNames();
    for (const GeneratedFile& file : GeneratedCorpus())
        names.push_back(file.name);
    return names;
}

/// A corpus file's name as a test's name: letters and digits, "_" for anything else.
inline std::string CorpusTestName(std::string name) {
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

}  // namespace tessaline::test
