#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaline {

/// The message with each NUL byte written as "\x00": an exception keeps its message as a C
/// string, which a NUL would cut.
[[nodiscard]] std::string WithoutNul(std::string message);

/// A time, number or frame text that had to convert and did not. It ends the running
/// operation; the handler that started the operation shows what().
class ConversionError : public std::runtime_error {
  public:
    ConversionError(std::string_view text, const std::string& message, std::size_t line = 0)
        : std::runtime_error(WithoutNul(message)), text_(text), line_(line) {}

    /// The offending text, as it stood in the line.
    const std::string& text() const { return text_; }

    /// The 1-based number of the input line that held it; 0 when no line is known (a value
    /// typed by the user).
    std::size_t line() const { return line_; }

  private:
    std::string text_;
    std::size_t line_;
};

/// A text from a file as a message may show it (in Windows-1251, as every message is): control
/// bytes other than tab, DEL, bytes that are no character of the file's text form and characters
/// Windows-1251 lacks are written as escapes ("\x1b", "\u{1F600}"), and the text is cut after
/// `maxChars` characters, "..." marking the cut. `utf8` is the file's text form.
[[nodiscard]] std::string EscapedForMessage(std::string_view text, bool utf8,
                                            std::size_t maxChars = 60);

/// A value a message names, in single quotes: control bytes (tab included, which would pass for
/// blanks) written as escapes ("\x00", "\t"), so that a NUL can neither cut the message nor a
/// terminal control act. The text is taken as Windows-1251, as every message is; never cut.
[[nodiscard]] std::string QuotedText(std::string_view text);

/// The message of a conversion error raised while reading line `line` of a file whose text is
/// `utf8` or Windows-1251: its offending text escaped and cut as EscapedForMessage does, the rest
/// as it was.
[[nodiscard]] ConversionError LocatedConversionError(const ConversionError& error, std::size_t line,
                                                     bool utf8);

/// A file that could not be opened, read, written, renamed or deleted; what() names the
/// path and the system's reason.
class FileError : public std::runtime_error {
  public:
    FileError(std::string path, const std::string& message)
        : std::runtime_error(WithoutNul(message)), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace tessaline
