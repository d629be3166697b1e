#pragma once

// The built tessaline program run in a fresh working folder with a fresh program folder: what
// the command-line tests share.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.hpp"

namespace tessaline::test {

class CliFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(home_);
        std::filesystem::create_directory(work_);
    }
    /// Runs the program in the working folder; `programOptions` stand after --home.
    ProgramResult Run(std::vector<std::string> args,
                      std::vector<std::string> programOptions = {}) {
        programOptions.insert(programOptions.begin(), {"--home", home_.string()});
        args.insert(args.begin(), programOptions.begin(), programOptions.end());
        return RunProgram(TESSALINE_EXE, std::move(args), work_, root_.path());
    }
    /// Writes a file of the working folder (its subfolders made as needed).
    void Put(const std::string& name, std::string_view bytes) {
        std::filesystem::create_directories((work_ / name).parent_path());
        WriteFile(work_ / name, bytes);
    }
    std::string Get(const std::string& name) {
        return std::filesystem::exists(work_ / name) ? ReadFile(work_ / name) : "(none)";
    }
    /// The file names in the working folder.
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir root_;
    std::filesystem::path home_ = root_ / "home";
    std::filesystem::path work_ = root_ / "work";
};

}  // namespace tessaline::test
