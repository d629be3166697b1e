#pragma once

// The report viewer of the "Subtitle" page ("Log Data"), without widgets: it loads the report of
// the open file chosen in cbLogExt and steps through its lines; each finding's subtitle is shown
// in the line editor, so that the user can repair what the operation reported.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/subtitle_file.hpp"
#include "core/strings.hpp"

namespace tessaline {

class Session;

/// A finding of a report line: the subtitle it names and what it says.
struct ReportFinding {
    std::string reference;  // a SubRip subtitle number, or a MicroDVD frame prefix
    std::string message;    // the text after " = "
};

/// The finding of a report line of an operation run on a file of the format: a subtitle number
/// (the first of a range "12-14") or a frame prefix, then " = " and the message. Nothing for any
/// other line (a separator, a summary, a line about the whole file).
[[nodiscard]] std::optional<ReportFinding> ParseReportLine(std::string_view line,
                                                           SubtitleFormat format,
                                                           char openBracket, char closeBracket);

class ReportViewer {
  public:
    explicit ReportViewer(Session& session) : session_(session) {}

    /// "Load Log-file:": the report of the kind chosen in cbLogExt; its first line is shown.
    void Load();
    /// "Go to:": shows line n (1-based): its message, and its subtitle in the editor.
    void Show(std::size_t n);
    /// "Prev" and "Next" (Ctrl+Page Up and Ctrl+Page Down in the editor). With AutoSave a
    /// modified subtitle is written first.
    void Prev();
    void Next();

    /// The report's path: the open file with the extension of the chosen kind.
    [[nodiscard]] std::string ReportPath() const;

    /// The loaded lines (stLogLineCount is their number).
    [[nodiscard]] const LineList& lines() const { return lines_; }
    /// seLogLineNum: the line shown, 1-based (0: none).
    [[nodiscard]] std::size_t current() const { return current_; }
    /// edLogString: the message of the line shown.
    [[nodiscard]] const std::string& message() const { return message_; }
    /// The form of the report's lines and message: a report is written in its input's encoding
    /// and read in it again.
    [[nodiscard]] TextForm form() const { return encoding_.form(); }

  private:
    void Step(int by);

    Session& session_;
    LineList lines_;
    std::size_t current_ = 0;
    std::string message_;
    FileEncoding encoding_;
};

}  // namespace tessaline
