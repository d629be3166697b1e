#include "cli/cli_host.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace tessaline {
namespace {

// TESSALINE_PROGRESS_DELAY: seconds before the line appears (tests set 0).
double ProgressDelay() {
    const char* text = std::getenv("TESSALINE_PROGRESS_DELAY");
    if (text == nullptr || *text == '\0') return ProgressLine::kDefaultDelay;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return *end == '\0' && value >= 0 ? value : ProgressLine::kDefaultDelay;
}

}  // namespace

CliHost::CliHost(bool quiet, bool progress) : quiet_(quiet) {
    if (!progress || quiet) return;
    progress_ = std::make_unique<ProgressLine>(
        [](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        },
        [] {
            return std::chrono::duration<double>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        },
        ProgressDelay());
}

CliHost::~CliHost() {
    if (progress_) progress_->Erase();
}

bool CliHost::StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void CliHost::ShowReadProgress(std::uint64_t bytesRead, std::uint64_t bytesTotal) {
    if (progress_) progress_->Bytes(bytesRead, bytesTotal);
}

void CliHost::ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                                 std::uint64_t bytesTotal) {
    if (progress_) progress_->Folder(index, count, bytesDone, bytesTotal);
}

void CliHost::PrintLine(std::FILE* stream, std::string_view text) {
    // Other output never mixes with the progress line: it is erased first and comes back with
    // the next progress.
    if (progress_) progress_->Erase();
    if (stream == stderr) saidAnything_ = true;
    // A CR LF inside a message box text is a line break.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        std::fputc(text[i], stream);
    }
    std::fputc('\n', stream);
    std::fflush(stream);
}

void CliHost::ShowMessage(std::string_view text) {
    PrintLine(stderr,
              currentFile_.empty() ? std::string(text) : currentFile_ + ": " + std::string(text));
}

// "PATH:LINE: text", the form compilers and grep use, so that an editor can jump to the line.
void CliHost::ShowLineMessage(std::size_t line, std::string_view text) {
    if (currentFile_.empty()) {
        Host::ShowLineMessage(line, text);
        return;
    }
    PrintLine(stderr, currentFile_ + ":" + std::to_string(line) + ": " + std::string(text));
}

void CliHost::ReportSkipped(std::string_view reason) {
    ShowMessage("skipped: " + std::string(reason));
}

Answer CliHost::Ask(std::string_view text) {
    PrintLine(stderr, text);
    PrintLine(stderr, "(no answer on the command line: cancelled)");
    return Answer::Cancel;
}

void CliHost::SetStatus(StatusField, StatusState state) {
    if (state == StatusState::Error) ShowMessage(StatusCaption(state));
}

void CliHost::SetStatusBar(std::string_view text) {
    if (!quiet_) PrintLine(stdout, text);
}

void CliHost::ShowDirectoryProgress(std::string_view text) {
    if (!quiet_ && !text.empty()) PrintLine(stdout, text);
}

}  // namespace tessaline
