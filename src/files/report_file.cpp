#include "files/report_file.hpp"

#include "core/paths.hpp"

namespace tessaline {

ReportFile::ReportFile(std::string_view input, std::string_view reportExt)
    : path_(ReportPath(input, reportExt)) {}

void ReportFile::Add(std::string_view line) {
    if (!writer_) {
        temp_.emplace(path_);
        writer_.emplace(temp_->path(), CurrentFileEncoding(), CurrentFileEncoding().form());
    }
    writer_->WriteLine(line);
    ++size_;
}

bool ReportFile::Finish(const FrameSteps& steps, Host& host) {
    if (size_ == 0) {
        if (steps.interactive && !steps.emptyReportMessage.empty()) {
            host.ShowMessage(steps.emptyReportMessage);
        }
        RemoveOlderReport(path_, host);
        return true;
    }
    SummarizeReport(size_, steps, host);
    writer_->Close();
    writer_.reset();
    temp_->PlaceReplacing();
    host.SelectReportKind("*." + std::string(steps.reportExt));
    return false;
}

void RemoveOlderReport(const std::string& path, Host& host) {
    if (!IsRegularFile(path) || !DeleteFile(path)) return;
    host.SetStatusBar(std::string(FileNameOf(path)) +
                      " of an earlier run removed: nothing to report");
}

RunResult RunWithReportFile(const FrameRequest& request, Host& host,
                            const std::function<void(FrameRun&, ReportFile&)>& body, bool& empty) {
    FrameRequest inFrame = request;
    inFrame.steps.reportExt = {};
    return RunInFrame(inFrame, host, [&](FrameRun& run) {
        ReportFile report(request.input, request.steps.reportExt);
        body(run, report);
        empty = report.Finish(request.steps, run.host());
    });
}

}  // namespace tessaline
