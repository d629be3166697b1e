#pragma once

// Repairs of the timings of a SubRip file, subtitle by subtitle: Fix Double Time divides a timing
// that two or three consecutive subtitles share among them; Fix Wrong Time moves on- and
// off-times that overlap the neighbouring subtitles, and may join a subtitle squeezed too short
// to the previous one.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNullDoubleLengthFile = "Null Double-length-file";
inline constexpr std::string_view kNullWrongLengthFile = "Null Wrong-length-file";

struct FixDoubleTimeParams {
    /// OneTickDifferenceNearTimeFrame: each part starts at least 1 ms after the previous ends.
    bool oneTick = DefaultBool("OneTickDifferenceNearTimeFrame");
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool interactive = true;
};

struct FixWrongTimeParams {
    /// ForceExtendTime (cbForceExtendTime): a moved subtitle ends just before the next one.
    bool forceExtend = DefaultBool("ForceExtendTime");
    /// JoinSubtitlesText (cbJoinSubtitlesText): a subtitle squeezed below the join threshold
    /// joins the previous one.
    bool joinText = DefaultBool("JoinSubtitlesText");
    /// JoinDeltaTime (edJoinDeltaTime): the join threshold, hh:mm:ss,mmm.
    std::string joinDelta = std::string(DefaultText("JoinDeltaTime"));
    /// InsTimings (cbInsTiming): only the subtitles marked by Compare Timings are examined.
    bool insTime = DefaultBool("InsTimings");
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool interactive = true;
};

/// Where two or three consecutive subtitles carry the same timing line, divides its range among
/// them (in halves or thirds); lists each division in the "double" report.
RunResult FixDoubleTime(const std::string& input, const std::string& output,
                        const FixDoubleTimeParams& params, Host& host);

/// Moves a subtitle that starts before the previous one ends, or ends after the next one starts;
/// the first and the last subtitle stay. Lists each change in the "wrong" report. A timing that
/// the correction would turn around (subtitles out of order) is kept and reported.
RunResult FixWrongTime(const std::string& input, const std::string& output,
                       const FixWrongTimeParams& params, Host& host);

extern const Operation kFixDoubleTimeOperation;
extern const Operation kFixWrongTimeOperation;

}  // namespace tessaline
