#pragma once

// The command line's host: message boxes go to stderr, status texts to stdout (unless quiet),
// a status field that turns red prints "error" on stderr. On a terminal, a long run shows one
// progress line on stderr (unless quiet).

#include <cstdio>
#include <memory>
#include <string>

#include "cli/progress.hpp"
#include "files/host.hpp"

namespace tessaline {

class CliHost : public Host {
  public:
    /// `progress`: show the progress line (stderr is a terminal and the run is not quiet).
    CliHost(bool quiet, bool progress);
    ~CliHost() override;
    CliHost(const CliHost&) = delete;
    CliHost& operator=(const CliHost&) = delete;

    /// Prefixed with the current file's path: "film.srt: Output File Exist!!!".
    void ShowMessage(std::string_view text) override;
    void ShowLineMessage(std::size_t line, std::string_view text) override;
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
    void ShowReadProgress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override;
    void ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                            std::uint64_t bytesTotal) override;
    /// A result line goes to stdout whatever --quiet says: it is what the command was run for.
    void PrintResult(std::string_view line) override { PrintLine(stdout, line); }

    /// Whether stderr is a terminal a progress line can be drawn on.
    [[nodiscard]] static bool StderrIsTerminal();

    /// Something was printed on stderr: a message, a warning or a question.
    [[nodiscard]] bool SaidAnything() const { return saidAnything_; }

  private:
    void PrintLine(std::FILE* stream, std::string_view text);

    bool quiet_;
    bool saidAnything_ = false;
    std::string currentFile_;
    std::unique_ptr<ProgressLine> progress_;
};

}  // namespace tessaline
