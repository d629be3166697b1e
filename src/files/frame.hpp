#pragma once

// The operation frame: what every file operation does around its own line processing. It
// refuses to run where it must (an existing output is never overwritten), shows the state in the
// status field and the busy cursor, opens the input and the output, lets the operation's body
// walk the lines, and finishes the report.
//
// The output is written under a temporary name beside it and renamed into place when the run
// ends, so a crash or a conversion error never leaves a half-written file under the real name.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/strings.hpp"
#include "files/host.hpp"
#include "files/line_io.hpp"
#include "files/records.hpp"

namespace tessaline {

inline constexpr std::string_view kOutputFileExist = "Output File Exist!!!";
/// The second line of kOutputFileExist in the window: the output's name and the way out.
[[nodiscard]] std::string ExistingOutputWayOut(std::string_view output);
inline constexpr std::string_view kNotSupportFileExtension = "Not Support File extension: ";
inline constexpr std::string_view kReportSeparator =
    "====================================================";

/// "1 note", "6 notes": a count and the word for it, the short form of a run's summary.
[[nodiscard]] std::string CountText(std::uint64_t count, std::string_view one,
                                    std::string_view many);

/// Which steps of the frame an operation has.
struct FrameSteps {
    /// The frame's message boxes ("Output File Exist!!!", the empty-report message) are shown.
    bool interactive = true;
    /// An output path equal to the input path stops the run silently.
    bool checkOutputIsInput = true;
    /// The status field the operation owns, if any.
    std::optional<StatusField> statusField;
    /// The report's extension ("corr"); empty for an operation without a report.
    std::string_view reportExt;
    /// Shown (when interactive) instead of saving an empty report.
    std::string_view emptyReportMessage;
    /// An empty report deletes the output: nothing needed fixing.
    bool deleteOutputOnEmptyReport = false;
    /// A report of two or more lines gets the separator and ">> N " + this text (the
    /// operation's own words: "Fixed Strings"); empty: no summary.
    std::string_view summaryText;
    /// The run writes an output file. A test or search that only reports writes none: it needs
    /// no output path and is not refused because the output path exists.
    bool writesOutput = true;
    /// The run hands the host its summary (its report's lines, else the lines read). Off for a
    /// pass that only gathers what the operation's real run then uses.
    bool summarizes = true;
};

/// How a run ended.
enum class RunResult {
    Done,     // ran to the end of the input
    Skipped,  // stopped silently before reading: nothing to do, no input, no output path
    Refused,  // stopped with a message before reading (an existing output, a wrong parameter)
    Stopped,  // refused a value mid-file: the status field is red, the lines before it are kept
};

class ReportFile;

/// What an operation's body works with during one run.
class FrameRun {
  public:
    /// `out` is null for a run that writes no output.
    FrameRun(LineReader& in, LineWriter* out, Host& host, const FrameSteps& steps,
             std::string_view inputPath);
    ~FrameRun();
    FrameRun(const FrameRun&) = delete;
    FrameRun& operator=(const FrameRun&) = delete;

    /// The next input line; false at the end. Lets the host process events once per line.
    bool ReadLine(std::string& line) {
        SpillReportWhenLong();
        return shaper_ ? ShapedLine(line) : in_.ReadLine(line);
    }
    /// The next input line as a view, valid until the next read (no copy).
    bool ReadLine(std::string_view& line) {
        SpillReportWhenLong();
        return shaper_ ? ShapedLine(line) : in_.ReadLine(line);
    }
    /// No input line is left.
    [[nodiscard]] bool AtEnd();
    /// From here on the input's lines come through a SubRipShaper: every record read with its
    /// number and after an empty line. For the operations whose line rules would otherwise glue
    /// records together or take a timing line for text. Call it before the first read.
    SubRipShaper& ShapeSubRipRecords();
    /// The shaper, when ShapeSubRipRecords was called.
    [[nodiscard]] SubRipShaper* shaper() { return shaper_.get(); }
    /// Writes an output line; a run without output has nowhere to write (a programming error).
    void WriteLine(std::string_view line) { out().WriteLine(line); }

    LineReader& in() { return in_; }
    /// How the input is stored: the output and the report are written the same way.
    [[nodiscard]] const FileEncoding& encoding() const { return in_.encoding(); }
    LineWriter& out() {
        if (out_ == nullptr) throw std::logic_error("this run writes no output");
        return *out_;
    }
    Host& host() { return host_; }
    /// The report's latest lines. Operations append to it; the frame moves the lines to disk
    /// once there are many (between two input lines, and whenever the list is asked for: an
    /// operation that reads records on its own still asks for it for each line it adds), so the
    /// list is never read back.
    LineList& report() {
        SpillReportWhenLong();
        return report_;
    }
    /// Drops every report line added so far, those already moved to disk too.
    void DiscardReport();
    /// Finishes the report as FinishReport does, with the lines moved to disk before it.
    bool FinishReport();
    [[nodiscard]] bool interactive() const { return steps_.interactive; }
    [[nodiscard]] std::string_view inputPath() const { return inputPath_; }

    /// Stops the run at a refused value: the status field turns red (with `reason` as its
    /// explanation), the lines written so far are kept. The body returns after calling it.
    void Refuse(std::string reason = {}) {
        refused_ = true;
        refusal_ = std::move(reason);
    }
    [[nodiscard]] bool refused() const { return refused_; }
    [[nodiscard]] const std::string& refusal() const { return refusal_; }

    /// Gives the run up after the body showed why (a file of a kind the operation cannot read):
    /// neither the output nor the report is kept, and the run counts as refused.
    void Abandon() { abandoned_ = true; }
    [[nodiscard]] bool abandoned() const { return abandoned_; }

    /// Shows a message box when the run is interactive.
    void Tell(std::string_view text) {
        if (steps_.interactive) host_.ShowMessage(text);
    }

  private:
    // A report with a finding on every line of a large file would otherwise grow with it.
    static constexpr std::size_t kReportLinesInMemory = 4096;
    void SpillReportWhenLong() {
        if (report_.size() >= kReportLinesInMemory) SpillReport();
    }
    void SpillReport();
    bool ShapedLine(std::string& line) { return shaper_->ReadLine(line); }
    bool ShapedLine(std::string_view& line) { return shaper_->ReadLine(line); }

    LineReader& in_;
    std::unique_ptr<SubRipShaper> shaper_;
    LineWriter* out_;
    Host& host_;
    const FrameSteps& steps_;
    std::string_view inputPath_;
    std::string reportPath_;  // where the report goes; an empty one removes an older one there
    LineList report_;
    std::unique_ptr<ReportFile> spilled_;  // the report's earlier lines, written as it grew
    bool refused_ = false;
    std::string refusal_;
    bool abandoned_ = false;
};

/// One run of an operation in the frame.
struct FrameRequest {
    const std::string& input;
    const std::string& output;
    FrameSteps steps;
    /// The operation's own parameter check, run after the empty-output test; it shows its own
    /// message and returns false to stop.
    std::function<bool(Host&)> parameterCheck;
    /// Nothing to do (a zero offset): a silent stop before anything is created.
    bool nothingToDo = false;
    /// How the input is read, when the operation knows better than the decision (a conversion
    /// told which code page a file is in); otherwise the frame decides.
    std::optional<FileEncoding> inputEncoding;
    /// How the output is written, when not as the input is stored (a conversion).
    std::optional<FileEncoding> outputEncoding;
    /// A ".sub" input may be of another format than MicroDVD (the SubTime conversion reads
    /// SubViewer files); otherwise such a file is refused before anything is written.
    bool subOfAnyFormat = false;
};

/// Makes the runs of this thread on one input read from and write to channels instead of the
/// files, while it lives: a chain of operations on one file (All in One) passes each step's
/// lines to the next in memory. The frame's checks still look at the files by name (an existing
/// output still refuses), the input's encoding is the one decided for the file, and the channels
/// carry the text in that encoding without a byte-order mark. A ".sub" read from a channel is not
/// probed for its format: the chain probed the file once.
class StreamedRun {
  public:
    /// `in` null: the input file itself is read.
    StreamedRun(std::string input, ByteChannel* in, ByteChannel& out);
    ~StreamedRun();
    StreamedRun(const StreamedRun&) = delete;
    StreamedRun& operator=(const StreamedRun&) = delete;

    /// The one of this thread for `input`, if any.
    [[nodiscard]] static StreamedRun* Of(const std::string& input);

    [[nodiscard]] ByteChannel* in() const { return in_; }
    [[nodiscard]] ByteChannel& out() const { return out_; }
    /// The run opened the channels: it read from `in` (or the file) and wrote to `out`.
    [[nodiscard]] bool opened() const { return opened_; }
    /// The run ended keeping its output (a file run would have left it at the output path).
    [[nodiscard]] bool outputKept() const { return outputKept_; }

  private:
    friend RunResult RunInFrame(const FrameRequest&, Host&, const std::function<void(FrameRun&)>&);
    std::string input_;
    ByteChannel* in_;
    ByteChannel& out_;
    bool opened_ = false;
    bool outputKept_ = false;
    StreamedRun* previous_;
};

/// Runs `body` in the frame. The input's encoding is decided before anything is written: a file
/// that is no text is refused with a message, and the output and the report are written in the
/// input's encoding. A ".sub" input whose first timed line is no frame line is refused with "not a
/// MicroDVD file (LINE: text)". A ConversionError or FileError from the body ends the run: both
/// files are closed, the partial output is removed, the busy cursor goes off, the status field
/// turns red, and the error goes on to the handler that started the operation; a ConversionError
/// goes on with the number of the input line it was met on and its text escaped for a message.
RunResult RunInFrame(const FrameRequest& request, Host& host,
                     const std::function<void(FrameRun&)>& body);

/// The report path of an operation: the input with the report's extension.
[[nodiscard]] std::string ReportPath(std::string_view input, std::string_view reportExt);

/// Finishes a report as the frame does: the summary lines where the steps ask for them, saving
/// beside the input, selecting the report kind; or, for an empty report, the empty-report
/// message (the frame then removes an older report, RemoveOlderReport). Returns true when the
/// report was empty.
bool FinishReport(LineList& report, std::string_view input, const FrameSteps& steps, Host& host);

/// Hands the host a report's part of the run's summary: "6 Fixed Strings" in the operation's own
/// words when it sums its report up, else "6 notes". Nothing for an empty report.
void SummarizeReport(std::size_t lines, const FrameSteps& steps, Host& host);

/// The lower-case extension of a path, as the operations compare it ("srt", "sub").
[[nodiscard]] std::string LowerExtOf(std::string_view path);

// --- A second input, outputs besides the output ------------------------------------------------

/// Runs `body` in the frame with a second input open beside the first (the add file of the
/// operations that take timings from another file), decided on its own and read in the first
/// one's text form. Besides the frame's own stops, a run whose
/// second input is not given, is the output itself or is no file stops silently before anything
/// is created; the frame's own refusals (an existing output) come first.
RunResult RunInFrameWithAdd(const FrameRequest& request, const std::string& addInput, Host& host,
                            const std::function<void(FrameRun&, LineReader& add)>& body);

/// The files a run writes besides its output (a split writes a time and a track file as well as
/// the text). Each is written under a temporary name beside it; Commit puts them all in place,
/// never over an existing file. Whatever was not committed is removed when the object goes.
class ExtraOutputs {
  public:
    ExtraOutputs();
    ~ExtraOutputs();
    ExtraOutputs(const ExtraOutputs&) = delete;
    ExtraOutputs& operator=(const ExtraOutputs&) = delete;

    /// Starts the file of `path`; its lines go to a temporary file until Commit.
    /// Throws FileError when the folder is not writable.
    LineWriter& Open(const std::string& path);

    /// The file of `path` is not kept (a track file without lines).
    void Drop(const std::string& path);

    /// Closes every file and puts each in its place. When a file has appeared at one of the
    /// paths meanwhile, none is kept (those already put in place are removed again) and the
    /// result is false. Throws FileError when the data could not be written.
    [[nodiscard]] bool Commit();

  private:
    struct Entry;
    std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace tessaline
