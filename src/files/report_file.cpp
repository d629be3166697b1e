#include "files/report_file.hpp"

#include <cstdio>

#include "core/errors.hpp"
#include "files/fs.hpp"

namespace tessaline {

ReportFile::ReportFile(std::string_view input, std::string_view reportExt)
    : path_(ReportPath(input, reportExt)) {}

ReportFile::~ReportFile() {
    writer_.reset();
    if (!temp_.empty()) std::remove(temp_.c_str());
}

void ReportFile::Add(std::string_view line) {
    if (!writer_) {
        temp_ = CreateTempSibling(path_);
        writer_.emplace(temp_);
    }
    writer_->WriteLine(line);
    ++size_;
}

bool ReportFile::Finish(const FrameSteps& steps, Host& host) {
    if (size_ == 0) {
        if (steps.interactive && !steps.emptyReportMessage.empty()) {
            host.ShowMessage(steps.emptyReportMessage);
        }
        return true;
    }
    writer_->Close();
    writer_.reset();
    if (!RenameFile(temp_, path_)) throw FileError(path_, "cannot replace " + path_);
    temp_.clear();
    host.SelectReportKind("*." + std::string(steps.reportExt));
    return false;
}

}  // namespace tessaline
