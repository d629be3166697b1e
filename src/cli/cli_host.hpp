#pragma once

// The command line's host: message boxes go to stderr, status texts to stdout (unless quiet),
// a status field that turns red prints "error" on stderr.

#include <cstdio>
#include <string>

#include "files/host.hpp"

namespace tessaline {

class CliHost : public Host {
  public:
    explicit CliHost(bool quiet) : quiet_(quiet) {}

    /// Prefixed with the current file's path: "film.srt: Output File Exist!!!".
    void ShowMessage(std::string_view text) override;
    void SetCurrentFile(std::string_view path) override { currentFile_ = path; }
    /// There is nobody to ask: the command line answers Cancel, which changes nothing.
    Answer Ask(std::string_view text) override;
    void SetStatus(StatusField field, StatusState state) override;
    void SetStatusBar(std::string_view text) override;
    /// Progress per record would flood a terminal and slow a batch run down.
    void ShowProgress(std::string_view) override {}
    void SetBusy(bool) override {}
    void ProcessEvents() override {}
    void SelectReportKind(std::string_view) override {}
    void ShowDirectoryProgress(std::string_view text) override;
    /// "film.srt: skipped: Output File Exist!!!" on stderr.
    void ReportSkipped(std::string_view reason) override;
    /// A result line goes to stdout whatever --quiet says: it is what the command was run for.
    void PrintResult(std::string_view line) override { PrintLine(stdout, line); }

  private:
    void PrintLine(std::FILE* stream, std::string_view text);

    bool quiet_;
    std::string currentFile_;
};

}  // namespace tessaline
