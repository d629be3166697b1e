#pragma once

// What a folder run did with each of its files. The command line shows every message as it
// comes (one line per file); the window gathers them and shows one summary at the end.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "files/host.hpp"

namespace tessaline {

/// How a handler ended, as the command line reports it.
enum class Outcome {
    Ok,                // ran, or stopped silently, or had nothing to do
    Refused,           // stopped with a message (an existing output, a red status field)
    WrongExtension,    // the open file's kind does not suit the command; nothing ran
    ConversionFailed,  // a time or number did not convert; its message was shown
};

/// The command line's exit status of an outcome: 0, 1 or 3.
[[nodiscard]] int ExitCodeOf(Outcome outcome);

/// The more serious of two outcomes (by exit status).
[[nodiscard]] Outcome Worse(Outcome a, Outcome b);

/// Stands between a folder run and the host it reports to. Everything goes on to that host,
/// except, when gathering, the messages and skips of the files: those are kept with the file
/// they are about, for Summary().
class FolderRunReport : public Host {
  public:
    FolderRunReport(Host& out, bool gather) : out_(out), gather_(gather) {}

    /// A file's outcome; called from the thread that ran it.
    void Record(const std::string& path, Outcome outcome);

    /// "30 files: 27 done, 3 stopped" (with the skipped files and the files a Stop left out
    /// when there are any).
    [[nodiscard]] std::string StatusLine() const;
    /// The status line, then the files that stopped with their messages, the files skipped
    /// because their output exists and the other messages; empty when every file simply ran.
    [[nodiscard]] std::string Summary() const;

    void ShowMessage(std::string_view text) override;
    void ShowLineMessage(std::size_t line, std::string_view text) override;
    void ReportSkipped(std::string_view reason) override;
    void SetCurrentFile(std::string_view path) override;
    void ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                            std::uint64_t bytesTotal) override;
    Answer Ask(std::string_view text) override { return out_.Ask(text); }
    void SetStatus(StatusField field, StatusState state) override { out_.SetStatus(field, state); }
    void ExplainStatus(StatusField field, std::string_view reason) override {
        out_.ExplainStatus(field, reason);
    }
    void SetStatusBar(std::string_view text) override { out_.SetStatusBar(text); }
    void ShowProgress(std::string_view text) override { out_.ShowProgress(text); }
    void SetBusy(bool on) override { out_.SetBusy(on); }
    void ProcessEvents() override { out_.ProcessEvents(); }
    void SelectReportKind(std::string_view mask) override { out_.SelectReportKind(mask); }
    void ShowDirectoryProgress(std::string_view text) override {
        out_.ShowDirectoryProgress(text);
    }
    void PrintResult(std::string_view line) override { out_.PrintResult(line); }
    void ShowReadProgress(std::uint64_t read, std::uint64_t total) override {
        out_.ShowReadProgress(read, total);
    }
    void ShowWorkProgress(double done) override { out_.ShowWorkProgress(done); }
    void KeepResponsive() override { out_.KeepResponsive(); }
    bool StopRequested() override { return out_.StopRequested(); }

  private:
    struct Note {
        std::string file;  // its name
        std::size_t line = 0;
        std::string text;
        bool skipped = false;
    };
    struct FileOutcome {
        std::string file;
        Outcome outcome;
    };
    [[nodiscard]] bool Skipped(const std::string& file) const;
    [[nodiscard]] bool Stopped(const FileOutcome& file) const;

    Host& out_;
    bool gather_;
    std::string currentFile_;
    std::size_t fileCount_ = 0;
    std::vector<Note> notes_;
    mutable std::mutex mutex_;
    std::vector<FileOutcome> outcomes_;
};

}  // namespace tessaline
