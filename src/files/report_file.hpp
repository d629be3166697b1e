#pragma once

// A report written to its file while it grows, for the operations whose reports can be as long
// as their input (a search that finds a line in every subtitle): memory stays flat whatever the
// file's size. It ends as the frame ends a report held in memory: the separator and summary for
// two or more lines, the file put in the place of an older one, the report kind selected; or,
// with no line, no file and the empty-report message.

#include <optional>
#include <string>
#include <string_view>

#include "files/host.hpp"
#include "files/line_io.hpp"

namespace tessaline {

struct ReportFileSteps {
    std::string_view ext;           // "sym"
    std::string_view summaryText;   // "Replaced Strings"
    std::string_view emptyMessage;  // shown for an empty report when interactive
    bool interactive = true;
};

class ReportFile {
  public:
    /// Starts the report of `input` under a temporary name beside it. Throws FileError.
    ReportFile(std::string_view input, const ReportFileSteps& steps, Host& host);
    /// A report not finished (the run was given up) leaves nothing behind.
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    /// Adds one line made of the pieces.
    void Add(std::string_view a, std::string_view b = {}, std::string_view c = {});
    [[nodiscard]] std::size_t size() const { return lines_; }

    /// Puts the report in place, or says that it is empty. Throws FileError.
    void Finish();

  private:
    std::string path_;
    std::string temp_;
    ReportFileSteps steps_;
    Host& host_;
    std::optional<LineWriter> writer_;
    std::string line_;
    std::size_t lines_ = 0;
};

}  // namespace tessaline
