#pragma once

// Runs a line-layout operation on a hand-written file in a fresh folder and reads back what the
// run left: the output, the report of any kind, the host's record.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline::test {

class LayoutRun {
  public:
    /// Writes `contents` into a fresh folder as `name`.
    explicit LayoutRun(std::string_view contents, std::string_view name = "film.srt")
        : name_(name) {
        WriteFile(dir_ / name_, contents);
    }

    [[nodiscard]] std::string input() const { return (dir_ / name_).string(); }
    [[nodiscard]] std::string output() const { return File("out"); }
    /// The path of the file named like the input with the extension `ext`.
    [[nodiscard]] std::string File(std::string_view ext) const {
        return (dir_.path() / std::filesystem::path(name_).replace_extension(ext)).string();
    }
    /// The contents of that file, or "(none)" when it does not exist.
    [[nodiscard]] std::string Read(std::string_view ext) const {
        const std::string path = File(ext);
        return std::filesystem::exists(path) ? ReadFile(path) : "(none)";
    }
    /// Files in the folder besides the input.
    [[nodiscard]] int OtherFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            count += entry.path().filename() != name_ ? 1 : 0;
        return count;
    }

    RecordingHost host;
    std::optional<RunResult> result;

  private:
    TempDir dir_;
    std::string name_;
};

}  // namespace tessaline::test
