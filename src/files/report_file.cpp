#include "files/report_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/errors.hpp"
#include "files/frame.hpp"
#include "files/fs.hpp"

namespace tessaline {

ReportFile::ReportFile(std::string_view input, const ReportFileSteps& steps, Host& host)
    : path_(ReportPath(input, steps.ext)),
      temp_(CreateTempSibling(path_)),
      steps_(steps),
      host_(host) {
    writer_.emplace(temp_);
}

ReportFile::~ReportFile() {
    writer_.reset();
    if (!temp_.empty()) std::remove(temp_.c_str());
}

void ReportFile::Add(std::string_view a, std::string_view b, std::string_view c) {
    line_.assign(a).append(b).append(c);
    writer_->WriteLine(line_);
    ++lines_;
}

void ReportFile::Finish() {
    if (lines_ == 0) {
        if (steps_.interactive && !steps_.emptyMessage.empty())
            host_.ShowMessage(steps_.emptyMessage);
        return;  // the destructor removes the empty file
    }
    if (!steps_.summaryText.empty() && lines_ >= 2) {
        const std::string summary =
            ">> " + std::to_string(lines_) + " " + std::string(steps_.summaryText);
        writer_->WriteLine(kReportSeparator);
        writer_->WriteLine(summary);
        host_.SetStatusBar(summary);
    }
    writer_->Close();
    if (!RenameFile(temp_, path_)) {
        throw FileError(path_, "cannot replace " + path_ + ": " + std::strerror(errno));
    }
    temp_.clear();
    host_.SelectReportKind("*." + std::string(steps_.ext));
}

}  // namespace tessaline
