#pragma once

// Passes over a SubRip file that split only the lines they must: the range commands need the
// first and the last timing, the stretch rewrites the timing lines and copies the rest.

#include <cstddef>
#include <optional>
#include <string_view>

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

/// The next ">" that ends an arrow "-->" in `lines` (whole lines, each with its LF), from `from`
/// on; npos when there is none.
[[nodiscard]] std::size_t NextArrowEnd(std::string_view lines, std::size_t from);

/// Where the line of `lines` that holds the byte at `at` starts.
[[nodiscard]] std::size_t LineStartOf(std::string_view lines, std::size_t at);

/// Where the line holding the arrow that ends at `at` starts, when that line is a timing line in
/// the usual form hh:mm:ss,mmm --> hh:mm:ss,mmm (kTimingLineLength bytes before its line end),
/// which ParseTimingLine reads without fail; npos otherwise.
[[nodiscard]] std::size_t UsualTimingLineAt(std::string_view lines, std::size_t at);

/// True when the kTimingLineLength bytes at `p` are a timing line in the usual form
/// hh:mm:ss,mmm --> hh:mm:ss,mmm, hours up to 23, minutes and seconds up to 59, which
/// ParseTimingLine reads without fail (and a timing line rebuilt from its times gives again).
[[nodiscard]] bool IsUsualTimingLine(const char* p);

/// The times of a line UsualTimingLineAt accepted, as ParseTimingLine reads them.
[[nodiscard]] ParsedTiming UsualTimes(const char* line);

/// The lines of `lines` (whole lines, each with its LF) when every LF has a CR before it, as a
/// writer ends every line; nothing otherwise (a line read and written anew would change).
[[nodiscard]] std::optional<std::size_t> CrLfLineCount(std::string_view lines);

}  // namespace tessaline
