#pragma once

// The one progress line a long command-line run shows on a terminal: how much of the input is
// read, which file of a folder, and the rate. It appears only once a run has taken a moment,
// is redrawn at most ten times a second, and is erased before any other output and at the end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessaline {

class ProgressLine {
  public:
    /// A run shorter than this many seconds shows no progress at all.
    static constexpr double kDefaultDelay = 0.25;

    /// `write` puts text on the terminal; `now` gives seconds from any fixed point.
    ProgressLine(std::function<void(std::string_view)> write, std::function<double()> now,
                 double delay = kDefaultDelay);

    /// Bytes read of the current file (a smaller count than before means the next file).
    void Bytes(std::uint64_t read, std::uint64_t total);
    /// A folder run is at file `index` (1-based) of `count`, with `bytesDone` of the folder's
    /// `bytesTotal` bytes in the files before it; index count + 1: the run ended.
    void Folder(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                std::uint64_t bytesTotal);
    /// Removes the line, if it is shown (before other output, and at the end).
    void Erase();

    /// The line's text as it would be drawn now.
    [[nodiscard]] std::string Text() const;

  private:
    void Draw();

    std::function<void(std::string_view)> write_;
    std::function<double()> now_;
    double start_;
    double delay_;
    double lastDraw_ = -1;
    bool shown_ = false;
    std::uint64_t read_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t earlierFiles_ = 0;  // bytes of the files finished before this one
    std::size_t fileIndex_ = 0;
    std::size_t fileCount_ = 0;  // 0: not a folder run
    std::uint64_t folderDone_ = 0;
    std::uint64_t folderTotal_ = 0;
};

}  // namespace tessaline
