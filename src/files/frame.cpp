#include "files/frame.hpp"

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/encoding.hpp"
#include "files/fs.hpp"
#include "files/records.hpp"
#include "files/report_file.hpp"
#include "files/sub_kind.hpp"

namespace tessaline {
namespace {

// Sets the status field on start, back to idle on a normal end, red on a refusal or an error,
// with the reason.
class StatusGuard {
  public:
    StatusGuard(Host& host, std::optional<StatusField> field) : host_(host), field_(field) {
        if (field_) host_.SetStatus(*field_, StatusState::Running);
    }
    ~StatusGuard() {
        if (!field_) return;
        host_.SetStatus(*field_, ok_ ? StatusState::Idle : StatusState::Error);
        if (!ok_) host_.ExplainStatus(*field_, reason_.empty() ? kRunStopped : reason_);
    }
    StatusGuard(const StatusGuard&) = delete;
    StatusGuard& operator=(const StatusGuard&) = delete;

    void Succeeded() { ok_ = true; }
    void Failed(std::string_view reason) { reason_ = reason; }

  private:
    static constexpr std::string_view kRunStopped = "The run stopped before the end of the file.";
    Host& host_;
    std::optional<StatusField> field_;
    bool ok_ = false;
    std::string reason_;
};

// An existing output stops the run: with a message box when the run is interactive, otherwise
// only noted as a skip.
RunResult RefuseExistingOutput(Host& host, const FrameSteps& steps, std::string_view output) {
    if (steps.interactive) {
        host.ShowRefusal(kOutputFileExist, ExistingOutputWayOut(output));
    } else {
        host.ReportSkipped(kOutputFileExist);
    }
    return RunResult::Refused;
}

}  // namespace

std::string ExistingOutputWayOut(std::string_view output) {
    return std::string(FileNameOf(output)) +
           " is already there: use Rename out-File or Delete File first";
}

std::string CountText(std::uint64_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The report's share of a run's summary: the operation's own words for its lines when it sums
// them up (">> 6 Fixed Strings"), else its lines as notes.
void SummarizeReport(std::size_t lines, const FrameSteps& steps, Host& host) {
    if (lines == 0 || !steps.summarizes) return;
    host.SummarizeRun(!steps.summaryText.empty() && lines >= 2
                          ? std::to_string(lines) + " " + std::string(steps.summaryText)
                          : CountText(lines, "note", "notes"));
}

std::string ReportPath(std::string_view input, std::string_view reportExt) {
    return ChangeFileExtMode(input, reportExt, 0);
}

std::string LowerExtOf(std::string_view path) {
    return LowerFoldStr(FileExtOf(path));
}

FrameRun::FrameRun(LineReader& in, LineWriter* out, Host& host, const FrameSteps& steps,
                   std::string_view inputPath)
    : in_(in), out_(out), host_(host), steps_(steps), inputPath_(inputPath) {
    // Made now, before the run's large buffers: a path made on the heap at the end would lie
    // above them and keep the freed heap from shrinking.
    if (!steps_.reportExt.empty()) reportPath_ = ReportPath(inputPath_, steps_.reportExt);
}

FrameRun::~FrameRun() = default;

bool FrameRun::AtEnd() {
    return shaper_ ? shaper_->AtEnd() : in_.AtEnd();
}

SubRipShaper& FrameRun::ShapeSubRipRecords() {
    if (!shaper_) shaper_ = std::make_unique<SubRipShaper>(in_);
    return *shaper_;
}

void FrameRun::SpillReport() {
    // A run without a report of its own keeps its lines for its own use.
    if (steps_.reportExt.empty()) return;
    if (!spilled_) spilled_ = std::make_unique<ReportFile>(inputPath_, steps_.reportExt);
    for (const std::string& line : report_)
        spilled_->Add(line);
    report_.clear();
}

void FrameRun::DiscardReport() {
    report_.clear();
    spilled_.reset();  // its temporary file goes with it
}

bool FrameRun::FinishReport() {
    if (!spilled_) {
        const bool empty = tessaline::FinishReport(report_, inputPath_, steps_, host_);
        if (empty) RemoveOlderReport(reportPath_, host_);
        return empty;
    }
    SpillReport();
    SummarizeReport(spilled_->size(), steps_, host_);
    if (!steps_.summaryText.empty() && spilled_->size() >= 2) {
        const std::string summary =
            ">> " + std::to_string(spilled_->size()) + " " + std::string(steps_.summaryText);
        spilled_->Add(kReportSeparator);
        spilled_->Add(summary);
        host_.SetStatusBar(summary);
    }
    return spilled_->Finish(steps_, host_);
}

bool FinishReport(LineList& report, std::string_view input, const FrameSteps& steps, Host& host) {
    if (report.empty()) {
        if (steps.interactive && !steps.emptyReportMessage.empty()) {
            host.ShowMessage(steps.emptyReportMessage);
        }
        return true;
    }
    SummarizeReport(report.size(), steps, host);
    if (!steps.summaryText.empty() && report.size() >= 2) {
        const std::string summary =
            ">> " + std::to_string(report.size()) + " " + std::string(steps.summaryText);
        report.emplace_back(kReportSeparator);
        report.push_back(summary);
        host.SetStatusBar(summary);
    }
    WriteLinesReplacing(ReportPath(input, steps.reportExt), report, CurrentFileEncoding());
    host.SelectReportKind("*." + std::string(steps.reportExt));
    return false;
}

namespace {
thread_local StreamedRun* g_streamedRuns = nullptr;
}  // namespace

StreamedRun::StreamedRun(std::string input, ByteChannel* in, ByteChannel& out)
    : input_(std::move(input)), in_(in), out_(out), previous_(g_streamedRuns) {
    g_streamedRuns = this;
}

StreamedRun::~StreamedRun() {
    g_streamedRuns = previous_;
}

StreamedRun* StreamedRun::Of(const std::string& input) {
    for (StreamedRun* run = g_streamedRuns; run != nullptr; run = run->previous_) {
        if (run->input_ == input) return run;
    }
    return nullptr;
}

RunResult RunInFrame(const FrameRequest& request, Host& host,
                     const std::function<void(FrameRun&)>& body) {
    const FrameSteps& steps = request.steps;
    const std::string& input = request.input;
    const std::string& output = request.output;

    const bool writes = steps.writesOutput;
    if (writes && output.empty()) return RunResult::Skipped;
    // The operation's own check (Offset Tail's begin and end) comes before the existing-output
    // test: a wrong parameter is reported even when the output already exists.
    if (request.parameterCheck && !request.parameterCheck(host)) return RunResult::Refused;
    if (writes && PathExists(output)) return RefuseExistingOutput(host, steps, output);
    if (writes && steps.checkOutputIsInput && output == input) return RunResult::Skipped;
    if (input.find('*') != std::string::npos) return RunResult::Skipped;
    if (!IsRegularFile(input)) return RunResult::Skipped;
    if (request.nothingToDo) return RunResult::Skipped;

    // Decided once, before anything is written; a file of no text (an image subtitle) would
    // only be garbled by a command that took it for one.
    FileEncoding encoding;
    try {
        encoding = DecideFileEncoding(input);
    } catch (const NotTextFileError&) {
        host.ShowMessage(NotTextFileError::kNotTextFile);
        return RunResult::Refused;
    }
    if (request.inputEncoding) encoding = *request.inputEncoding;
    const FileEncodingScope inEncoding(encoding);
    const bool utf8 = encoding.form() == TextForm::Utf8;
    StreamedRun* streamed = StreamedRun::Of(input);
    const bool fromChannel = streamed != nullptr && streamed->in() != nullptr;

    // Every command that reads MicroDVD would take a SubViewer file's lines for text and write a
    // "converted" copy of them: such a file is refused before anything is written.
    if (!request.subOfAnyFormat && !fromChannel && RefuseSubOfOtherFormat(input, encoding, host)) {
        return RunResult::Refused;
    }

    StatusGuard status(host, steps.statusField);
    BusyCursor busy(host);

    // The output is written under a temporary name and put in place when the run ends: it
    // is removed on every other way out.
    std::optional<TempFile> pending;
    std::optional<LineWriter> out;
    if (writes && streamed != nullptr) {
        out.emplace(streamed->out(), request.outputEncoding.value_or(encoding), encoding.form());
    } else if (writes) {
        pending.emplace(output);
        out.emplace(pending->path(), request.outputEncoding.value_or(encoding), encoding.form());
    }
    std::optional<LineReader> inFile;
    if (fromChannel) {
        inFile.emplace(*streamed->in(), encoding);
    } else {
        inFile.emplace(input, encoding);
    }
    if (streamed != nullptr) streamed->opened_ = true;
    LineReader& in = *inFile;
    in.SetHost(&host);
    FrameRun run(in, out ? &*out : nullptr, host, steps, input);
    try {
        body(run);
    } catch (const ConversionError& e) {
        // The line being read when the value failed: the body reads the line it converts.
        if (e.line() != 0 || in.LineNumber() == 0) {
            status.Failed(e.what());
            throw;
        }
        ConversionError located = LocatedConversionError(e, in.LineNumber(), utf8);
        status.Failed(located.what());
        throw located;
    } catch (const std::exception& e) {
        status.Failed(e.what());
        throw;
    }
    if (out) out->Close();
    if (run.abandoned()) return RunResult::Refused;  // the pending output is removed

    bool emptyReport = true;
    if (!steps.reportExt.empty()) emptyReport = run.FinishReport();
    const bool keepOutput = writes && !(emptyReport && steps.deleteOutputOnEmptyReport);
    if (streamed != nullptr) {
        streamed->outputKept_ = keepOutput;
    } else if (keepOutput && !pending->PlaceNoReplace()) {
        status.Failed(kOutputFileExist);
        return RefuseExistingOutput(host, steps, output);
    }
    if (run.refused()) {
        status.Failed(run.refusal());
        return RunResult::Stopped;
    }
    // Said when the operation and its report said nothing of their own.
    if (steps.summarizes) host.SummarizeRun(CountText(in.LineNumber(), "line", "lines"));
    status.Succeeded();
    return RunResult::Done;
}

// --- A second input, outputs besides the output ------------------------------------------------

RunResult RunInFrameWithAdd(const FrameRequest& request, const std::string& addInput, Host& host,
                            const std::function<void(FrameRun&, LineReader& add)>& body) {
    // A missing second input is a silent stop of the frame's nothing-to-do kind: it comes after
    // the refusals, so an existing output is still reported.
    FrameRequest both = request;
    both.nothingToDo = request.nothingToDo || addInput.empty() || addInput == request.output ||
                       !IsRegularFile(addInput);
    return RunInFrame(both, host, [&](FrameRun& run) {
        LineReader add(addInput, DecideFileEncoding(addInput), run.encoding().form());
        body(run, add);
    });
}

struct ExtraOutputs::Entry {
    explicit Entry(const std::string& target)
        : path(target),
          pending(target),
          writer(pending.path(), CurrentFileEncoding(), CurrentFileEncoding().form()) {}
    std::string path;
    TempFile pending;
    LineWriter writer;
    bool dropped = false;
};

ExtraOutputs::ExtraOutputs() = default;
ExtraOutputs::~ExtraOutputs() = default;

LineWriter& ExtraOutputs::Open(const std::string& path) {
    entries_.push_back(std::make_unique<Entry>(path));
    return entries_.back()->writer;
}

void ExtraOutputs::Drop(const std::string& path) {
    for (const auto& entry : entries_) {
        if (entry->path == path) entry->dropped = true;
    }
}

bool ExtraOutputs::Commit() {
    for (const auto& entry : entries_)
        entry->writer.Close();
    std::vector<const std::string*> placed;
    for (const auto& entry : entries_) {
        if (entry->dropped) continue;
        if (!entry->pending.PlaceNoReplace()) {
            // The files are one result: a half set would not join back into the subtitles.
            for (const std::string* path : placed)
                (void)DeleteFile(*path);
            return false;
        }
        placed.push_back(&entry->path);
    }
    return true;
}

}  // namespace tessaline
