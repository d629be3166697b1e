#pragma once

// Helpers shared by the test suites: Windows-1251 literals, temporary folders, whole files.

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaline::test {

/// A Windows-1251 text written as a UTF-8 literal: W("Привет").
std::string W(std::string_view utf8);

/// Reads a whole file as bytes; throws when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

/// Writes bytes as a whole file, replacing it.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

/// Joins lines with CR LF after each: Crlf({"1", "x"}) == "1\r\nx\r\n".
std::string Crlf(std::initializer_list<std::string_view> lines);

/// The folder of hand-made test files (tests/data).
std::filesystem::path DataDir();

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace tessaline::test
