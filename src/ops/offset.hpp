#pragma once

// Shifting the timings of a SubRip file: every timing line (Offset Time), or only the subtitles
// that start inside a time window (Offset Tail, for the part of a film after a cut).

#include <cstdint>
#include <string>

#include "core/times.hpp"
#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kBeginAfterEnd =
    "Begin Time more then End Time!\r\nPlease Correct Time parameters!";

struct OffsetTimeParams {
    TimeMs offset = 0;   // dtpOffsetTime + seOffsetTimeMls
    bool minus = false;  // cbOffsetTimeMinus: earlier instead of later
    bool timeCorrection = DefaultBool("TimeCorrection");
};

struct OffsetTailParams {
    TimeMs offset = 0;   // dtpOffsetTimeTail + seOffsetTimeMlsTail
    bool minus = false;  // cbOffsetTimeMinusTail
    TimeMs begin = 0;    // dtpBeginTimeTail + seBeginTimeMlsTail
    TimeMs end = 0;      // dtpEndTimeTail + seEndTimeMlsTail
    bool timeCorrection = DefaultBool("TimeCorrection");
};

/// The summary of a shift: "12 timings 1500 ms earlier".
[[nodiscard]] std::string OffsetSummary(std::uint64_t moved, TimeMs offset, bool minus);

/// Shifts every timing line by the offset. In minus mode a subtitle that would start (or end)
/// before 00:00:00,000 stops the run: the status field turns red and the lines before it are
/// kept. Timing lines are rewritten in the standard form, tails after the off-time kept.
RunResult OffsetTime(const std::string& input, const std::string& output,
                     const OffsetTimeParams& params, Host& host);

/// Shifts only the subtitles whose on-time lies strictly between begin and end; every other
/// line is written exactly as read.
RunResult OffsetTail(const std::string& input, const std::string& output,
                     const OffsetTailParams& params, Host& host);

extern const Operation kOffsetTimeOperation;
extern const Operation kOffsetTailOperation;

}  // namespace tessaline
