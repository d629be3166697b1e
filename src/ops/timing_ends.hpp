#pragma once

// The first and the last timing of a SubRip file, read without splitting most of its lines: the
// range of a file is all that the range commands need from a whole pass over it.

#include <optional>

#include "core/times.hpp"
#include "files/frame.hpp"

namespace tessaline {

/// The times of the first and of the last timing line read.
struct TimingEnds {
    std::optional<ParsedTiming> first;  // tails are left empty
    std::optional<ParsedTiming> last;
};

/// Reads the rest of the run's input as a pass that parses every line holding "-->" would, and
/// keeps the first and the last timing. Lines with an arrow that are not timing lines in the
/// usual form hh:mm:ss,mmm --> hh:mm:ss,mmm are read and parsed one by one, so a field that does
/// not convert throws on its own line; every other line is only counted. The reader's line
/// count and the host's events come out as line-by-line reading leaves them.
void ReadTimingEnds(FrameRun& run, bool pad, TimingEnds& ends);

}  // namespace tessaline
