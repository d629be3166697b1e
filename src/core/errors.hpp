#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaline {

/// A time, number or frame text that had to convert and did not. It ends the running
/// operation; the handler that started the operation shows what().
class ConversionError : public std::runtime_error {
  public:
    ConversionError(std::string_view text, const std::string& message)
        : std::runtime_error(message), text_(text) {}

    /// The offending text, as it stood in the line.
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

/// A file that could not be opened, read, written, renamed or deleted; what() names the
/// path and the system's reason.
class FileError : public std::runtime_error {
  public:
    FileError(std::string path, const std::string& message)
        : std::runtime_error(message), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace tessaline
