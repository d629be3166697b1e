#pragma once

// Runs an operation on a copy of a hand-made file from tests/data/ops in a fresh folder and
// keeps what the run left behind: its result, the host's record and the folder's listing.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/errors.hpp"
#include "files/frame.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline::test {

/// A hand-made file of tests/data/ops ("extend/neighbours.srt").
inline std::string OpsData(std::string_view path) {
    return ReadFile(DataDir() / "ops" / path);
}

class DataRun {
  public:
    /// Copies tests/data/ops/<data> into a fresh folder as `name` (the data name when empty).
    explicit DataRun(std::string_view data, std::string_view name = {})
        : name_(name.empty() ? data : name),
          outName_(std::filesystem::path(name_).replace_extension("out").string()) {
        WriteFile(dir_ / name_, ReadFile(DataDir() / "ops" / data));
    }

    [[nodiscard]] std::string input() const { return (dir_ / name_).string(); }
    [[nodiscard]] std::string output() const { return (dir_ / outName_).string(); }
    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] const std::string& outName() const { return outName_; }
    [[nodiscard]] std::filesystem::path path(std::string_view file) const { return dir_ / file; }

    /// Calls op(host); a ConversionError leaves `result` empty.
    template <class Op>
    void Run(Op op) {
        try {
            result = op(host);
        } catch (const ConversionError&) {
            result.reset();
        }
    }

    /// The names in the folder: a temporary file left behind shows here.
    [[nodiscard]] std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    /// The output equals tests/data/ops/<expected> and nothing else was created; with no
    /// expected file, nothing at all was created.
    void ExpectOutput(std::string_view expected) const {
        EXPECT_FALSE(host.busy) << "busy cursor left on";
        if (expected.empty()) {
            EXPECT_EQ(Files(), std::set<std::string>{name_});
            return;
        }
        EXPECT_EQ(Files(), (std::set<std::string>{name_, outName_}));
        if (std::filesystem::exists(path(outName_))) {
            EXPECT_EQ(ReadFile(path(outName_)), ReadFile(DataDir() / "ops" / expected));
        }
    }

    RecordingHost host;
    std::optional<RunResult> result;

  private:
    TempDir dir_;
    std::string name_;
    std::string outName_;
};

}  // namespace tessaline::test
