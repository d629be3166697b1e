#pragma once

// A fresh folder holding the input of one operation run, and the host that records what the run
// showed.

#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline::test {

struct OpFolder {
    explicit OpFolder(std::string_view content, std::string_view name = "film.srt",
                      bool existingOutput = false)
        : input(dir / name) {
        WriteFile(input, content);
        if (existingOutput) WriteFile(output, "old");
    }
    /// A file of the folder, or "(none)".
    [[nodiscard]] std::string File(std::string_view name) const {
        return std::filesystem::exists(dir / name) ? ReadFile(dir / name) : "(none)";
    }
    [[nodiscard]] std::string Output() const { return File("film.out"); }
    /// Every file in the folder: a temporary file left behind shows here.
    [[nodiscard]] long FileCount() const {
        return std::distance(std::filesystem::directory_iterator(dir.path()), {});
    }

    TempDir dir;
    std::filesystem::path input;
    std::filesystem::path output = dir / "film.out";
    RecordingHost host;
    RunResult result = RunResult::Skipped;
};

}  // namespace tessaline::test
