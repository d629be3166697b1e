#include "app/folder_run.hpp"

#include <algorithm>

#include "core/cp1251.hpp"
#include "core/paths.hpp"
#include "files/frame.hpp"

namespace tessaline {
namespace {

// The summary's texts.
constexpr std::string_view kOneFile = " file";
constexpr std::string_view kFiles = " files";
constexpr std::string_view kDone = " done, ";
constexpr std::string_view kStopped = " stopped";
constexpr std::string_view kSkipped = " skipped";
constexpr std::string_view kNotRun = " not run";
constexpr std::string_view kStoppedTitle = "Stopped:";
constexpr std::string_view kSkippedTitle = "Skipped, their output is already there:";
constexpr std::string_view kMessagesTitle = "Messages:";
constexpr std::string_view kRunStopped = "The run was stopped before the other files.";
constexpr std::string_view kLine = ", line ";

// A file's name as the summary shows it: messages are Windows-1251 text, names are UTF-8 in the
// file system.
std::string ShownName(std::string_view path) {
    return Utf8ToCp1251(FileNameOf(path));
}

std::string Files(std::size_t count) {
    return std::to_string(count) + std::string(count == 1 ? kOneFile : kFiles);
}

}  // namespace

int ExitCodeOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return 0;
        case Outcome::Refused:
        case Outcome::WrongExtension:
            return 1;
        case Outcome::ConversionFailed:
            return 3;
    }
    return 1;
}

Outcome Worse(Outcome a, Outcome b) {
    return ExitCodeOf(b) > ExitCodeOf(a) ? b : a;
}

void FolderRunReport::Record(const std::string& path, Outcome outcome) {
    const std::lock_guard lock(mutex_);
    outcomes_.push_back({ShownName(path), outcome});
}

void FolderRunReport::ShowMessage(std::string_view text) {
    if (!gather_) return out_.ShowMessage(text);
    // A code that asks shows the existing output in a box; the summary lists it with the skips.
    notes_.push_back({currentFile_, 0, std::string(text), text == kOutputFileExist});
}

void FolderRunReport::ShowLineMessage(std::size_t line, std::string_view text) {
    if (!gather_) return out_.ShowLineMessage(line, text);
    notes_.push_back({currentFile_, line, std::string(text)});
}

void FolderRunReport::ReportSkipped(std::string_view reason) {
    if (!gather_) return out_.ReportSkipped(reason);
    notes_.push_back({currentFile_, 0, std::string(reason), true});
}

void FolderRunReport::SetCurrentFile(std::string_view path) {
    currentFile_ = ShownName(path);
    out_.SetCurrentFile(path);
}

void FolderRunReport::ShowFolderProgress(std::size_t index, std::size_t count,
                                         std::uint64_t bytesDone, std::uint64_t bytesTotal) {
    fileCount_ = count;
    out_.ShowFolderProgress(index, count, bytesDone, bytesTotal);
}

bool FolderRunReport::Skipped(const std::string& file) const {
    return std::any_of(notes_.begin(), notes_.end(),
                       [&](const Note& note) { return note.skipped && note.file == file; });
}

bool FolderRunReport::Stopped(const FileOutcome& file) const {
    return file.outcome != Outcome::Ok && !Skipped(file.file);
}

std::string FolderRunReport::StatusLine() const {
    const std::lock_guard lock(mutex_);
    std::size_t stopped = 0;
    std::size_t skipped = 0;
    for (const FileOutcome& file : outcomes_) {
        if (Skipped(file.file)) {
            ++skipped;
        } else if (Stopped(file)) {
            ++stopped;
        }
    }
    const std::size_t ran = outcomes_.size();
    std::string line = Files(fileCount_) + ": " + std::to_string(ran - stopped - skipped) +
                       std::string(kDone) + std::to_string(stopped) + std::string(kStopped);
    if (skipped > 0) line += ", " + std::to_string(skipped) + std::string(kSkipped);
    if (fileCount_ > ran) line += ", " + std::to_string(fileCount_ - ran) + std::string(kNotRun);
    return line;
}

std::string FolderRunReport::Summary() const {
    const auto noteText = [](const Note& note) {
        std::string text = note.file;
        if (note.line != 0) text += std::string(kLine) + std::to_string(note.line);
        return text + ": " + note.text;
    };
    std::vector<std::string> stopped;
    std::vector<std::string> skipped;
    std::vector<std::string> other;
    {
        const std::lock_guard lock(mutex_);
        for (const Note& note : notes_) {
            const auto of = std::find_if(outcomes_.begin(), outcomes_.end(),
                                         [&](const FileOutcome& f) { return f.file == note.file; });
            if (note.skipped) {
                skipped.push_back(note.file);
            } else if (of != outcomes_.end() && Stopped(*of)) {
                stopped.push_back(noteText(note));
            } else {
                other.push_back(noteText(note));
            }
        }
    }
    const bool notRun = fileCount_ > outcomes_.size();
    if (stopped.empty() && skipped.empty() && other.empty() && !notRun) return {};
    std::string text = StatusLine();
    const auto section = [&text](std::string_view title, const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        text += "\r\n\r\n" + std::string(title);
        for (const std::string& line : lines)
            text += "\r\n" + line;
    };
    section(kStoppedTitle, stopped);
    section(kSkippedTitle, skipped);
    section(kMessagesTitle, other);
    if (notRun) text += "\r\n\r\n" + std::string(kRunStopped);
    return text;
}

}  // namespace tessaline
