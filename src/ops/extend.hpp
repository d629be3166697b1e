#pragma once

// The time extender: subtitles shown for less than a wanted minimum get more time, taken from the
// gaps before and after them and never past their neighbours.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoExtendTimings = "No Extend Timings!";

struct ExtendTimeParams {
    int deltaOn = DefaultInt("DeltaTimeMlsOn");  // how far an on-time moves earlier, at most
    int deltaOff =
        DefaultInt("DeltaTimeMlsOff");  // how far an off-time moves later (no Max Extend)
    /// The wanted minimum: seconds (0 to 59) and milliseconds (1 and 400: 1,4 s).
    int minSeconds = DefaultInt("minDeltaTime");
    int minMilliseconds = DefaultInt("minDeltaTimeMls");
    /// cbMaxExtend: a short subtitle is lengthened up to the wanted minimum, not by deltaOff.
    bool maxExtend = DefaultBool("MaxExtend");
    bool keepFirst = false;  // cbFirstSubtitle: the first timing is written as it is
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool interactive = true;
};

/// Lengthens the short subtitles of a SubRip file into the output and reports each change in
/// film.extend. Nothing extended: "No Extend Timings!" (interactive) and no output. A timing line
/// that does not convert is shown as "Error on Line N" and written as it stands; the walk goes on.
/// Throws ConversionError before anything is opened when the wanted seconds are not 0 to 59.
RunResult ExtendTime(const std::string& input, const std::string& output,
                     const ExtendTimeParams& params, Host& host);

extern const Operation kExtendTimeOperation;

}  // namespace tessaline
