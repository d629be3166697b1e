#pragma once

// The walk that the text repairs share (delimiter spacing, split numbers, end letters, the
// dialogue fix, the tag operations): it finds the text lines of a SubRip or MicroDVD file, hands
// them to the repair and writes everything else through unchanged.
//
// SubRip: a record begins with a number line at the start of the file or after a blank line;
// its timing line is the next non-blank line, its text runs up to the next blank line. MicroDVD:
// every frame line {on}{off}text; the text is what follows the second closing bracket.

#include <functional>
#include <string>
#include <string_view>

#include "core/strings.hpp"
#include "files/frame.hpp"
#include "files/line_io.hpp"

namespace tessaline {

/// Where a repair writes the lines of a record: the output, or nowhere for a run that only
/// reports.
class TextOut {
  public:
    explicit TextOut(LineWriter* out) : out_(out) {}
    void WriteLine(std::string_view line) {
        if (out_ != nullptr) out_->WriteLine(line);
    }

  private:
    LineWriter* out_;
};

/// What one text repair does to the text of a file.
class TextRepair {
  public:
    virtual ~TextRepair() = default;

    /// A SubRip record begins; `key` is its number line, which stays valid until EndRecord
    /// returns.
    virtual void BeginRecord(std::string_view key) = 0;
    /// A text line of the record (neither empty nor a single space): writes what takes its
    /// place, may add report lines. `line` is valid only during the call.
    virtual void TextLine(std::string_view line, TextOut& out, LineList& report) = 0;
    /// The record's text has ended: writes what is still held, adds its report lines.
    virtual void EndRecord(TextOut& out, LineList& report) = 0;

    /// The text of a MicroDVD frame line, whose frame part plus closing bracket is `key`;
    /// changes it in place and adds its report lines. True when it changed.
    virtual bool FrameText(std::string_view key, std::string& text, LineList& report) = 0;
};

/// How a text repair runs in the frame.
struct TextRepairRun {
    bool interactive = true;
    std::string_view reportExt;
    std::string_view emptyReportMessage;
    std::string_view summaryText = "Fixed Strings";
    /// False for a check that only reports: no output file.
    bool writesOutput = true;
    /// "Not Support File extension: " is shown for a file that is neither SubRip nor MicroDVD
    /// also when the run is not interactive.
    bool alwaysRefuseKind = true;
    char closeBracket = '}';
    /// The repair's own parameter check (shows its message, returns false to stop).
    std::function<bool(Host&)> parameterCheck;
};

/// Runs a repair over a SubRip (srt) or MicroDVD (sub) file in the frame. Nothing changed means
/// no output (the empty-report message instead); a file of another kind is refused and leaves
/// nothing behind.
RunResult RunTextRepair(const std::string& input, const std::string& output,
                        const TextRepairRun& how, TextRepair& repair, Host& host);

/// Applies `fix` to each "|"-separated display line of a MicroDVD text (empty ones included)
/// and joins them again; true when one of them changed. `fix` returns true when it changed its
/// argument.
bool FixDisplayLines(std::string& text, const std::function<bool(std::string&)>& fix);

/// Adds key + message to the report.
void ReportLine(LineList& report, std::string_view key, std::string_view message);

}  // namespace tessaline
