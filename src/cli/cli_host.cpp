#include "cli/cli_host.hpp"

namespace tessaline {

void CliHost::PrintLine(std::FILE* stream, std::string_view text) {
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
