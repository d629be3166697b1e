#include "cli/progress.hpp"

#include <cstdio>

namespace tessaline {
namespace {

// Redraws come no closer than this: at most ten a second.
constexpr double kRedrawInterval = 0.1;

std::string Megabytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::function<void(std::string_view)> write, std::function<double()> now,
                           double delay)
    : write_(std::move(write)), now_(std::move(now)), start_(now_()), delay_(delay) {}

void ProgressLine::Bytes(std::uint64_t read, std::uint64_t total) {
    if (read < read_) earlierFiles_ += read_;
    read_ = read;
    total_ = total;
    Draw();
}

void ProgressLine::Folder(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                          std::uint64_t bytesTotal) {
    read_ = 0;
    total_ = 0;
    fileIndex_ = index;
    fileCount_ = count;
    folderDone_ = bytesDone;
    folderTotal_ = bytesTotal;
    if (index > count) {
        Erase();
        return;
    }
    Draw();
}

std::string ProgressLine::Text() const {
    std::string text;
    // A folder run counts the bytes of the whole folder: the files run side by side on several
    // threads, so the bytes of the file being read are known only when one runs at a time.
    std::uint64_t done = earlierFiles_ + read_;
    std::uint64_t total = total_;
    if (fileCount_ > 0) {
        text += "file " + std::to_string(std::min(fileIndex_, fileCount_)) + " of " +
                std::to_string(fileCount_) + ", ";
        total = folderTotal_;
        done = std::min(folderDone_ + read_, total);
    }
    const int percent = total == 0 ? 0 : static_cast<int>(done * 100 / total);
    text += std::to_string(percent) + "% of " + Megabytes(static_cast<double>(total));
    const double seconds = now_() - start_;
    if (seconds > 0) text += ", " + Megabytes(static_cast<double>(done) / seconds) + "/s";
    return text;
}

void ProgressLine::Draw() {
    const double now = now_();
    if (now - start_ < delay_) return;
    if (shown_ && now - lastDraw_ < kRedrawInterval) return;
    lastDraw_ = now;
    shown_ = true;
    // Back to the line's start, the text, and the rest of an earlier, longer text cleared.
    write_("\r" + Text() + "\x1b[K");
}

void ProgressLine::Erase() {
    if (!shown_) return;
    shown_ = false;
    write_("\r\x1b[K");
}

}  // namespace tessaline
