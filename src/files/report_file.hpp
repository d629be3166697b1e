#pragma once

// A report written to disk while it grows, for the tests whose findings may be as many as the
// lines of the file they check: memory stays the same whatever the size of the file. It is
// written under a temporary name beside the report and takes the report's place (replacing an
// older report, as every report does) only when the run finishes; a run that stops early leaves
// the older report as it was.

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"

namespace tessaline {

class ReportFile {
  public:
    /// The report of `input` with the extension `reportExt` ("len").
    ReportFile(std::string_view input, std::string_view reportExt);
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    /// Appends a line; the temporary file is created with the first one.
    void Add(std::string_view line);
    /// Appends a line made of pieces, built in a buffer the report keeps.
    void Add(std::initializer_list<std::string_view> pieces) {
        line_.clear();
        for (std::string_view piece : pieces)
            line_ += piece;
        Add(std::string_view(line_));
    }

    /// Lines added so far.
    [[nodiscard]] std::size_t size() const { return size_; }

    /// Finishes as the frame finishes a report held in memory (summary lines aside): a report
    /// with lines is put in place and its kind selected; an empty one shows the steps'
    /// empty-report message when the run is interactive. Returns true when it was empty.
    bool Finish(const FrameSteps& steps, Host& host);

  private:
    std::string path_;
    std::optional<TempFile> temp_;      // removed with the object unless put in place
    std::optional<LineWriter> writer_;  // closed before the file is removed or put in place
    std::size_t size_ = 0;
    std::string line_;
};

/// Removes the report of an earlier run at `path`, if there is one, after a run of the same kind
/// whose report came out empty: its findings no longer hold, and Load Log-file would step
/// through them. The status bar says so. The report is the program's own output, which every
/// run with findings replaces without keeping the old one, so it is deleted, not put in the
/// trash.
void RemoveOlderReport(const std::string& path, Host& host);

/// Runs `body` in the frame with the report of `request.steps` written to disk as it grows (the
/// frame's own report, kept in memory, stays unused); the report is finished after the body, as
/// the frame finishes one. `empty` tells whether it was empty.
RunResult RunWithReportFile(const FrameRequest& request, Host& host,
                            const std::function<void(FrameRun&, ReportFile&)>& body, bool& empty);

}  // namespace tessaline
