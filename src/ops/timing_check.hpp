#pragma once

// Tests of a file's timing that write only a report: the time test of SubRip timing lines (a
// wrong format, times that go backwards, negative and too short durations) and the frame test of
// MicroDVD frame numbers (numbers that go backwards, negative and too short periods).

#include <cstdint>
#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoTimeErros = "No Time Erros!";
inline constexpr std::string_view kNoFrameErros = "No Frame Erros!";

struct TimeTestParams {
    /// The shortest duration that is not reported: seconds and milliseconds (1 and 100: 1,1 s).
    int minSeconds = DefaultInt("minRangeTimeSec");
    int minMilliseconds = DefaultInt("minRangeTimeMls");
    /// cbLogTimeArea: a short subtitle is reported with the durations of its neighbours.
    bool logTimeArea = DefaultBool("LogTimeArea");
    /// cbNoTimeRangeLog: no duration is checked, only formats and order.
    bool skipDurations = DefaultBool("NoTimeRangeLog");
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool interactive = true;
};

struct FrameTestParams {
    std::int64_t minFrames = 0;  // sedMinRFrame: a shorter subtitle is reported
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Writes the report film.time of a SubRip file's timing lines, with a summary of the short and
/// the wrong subtitles; a clean file gives "No Time Erros!" (interactive) and no report.
RunResult TimeTest(const std::string& input, const TimeTestParams& params, Host& host);

/// Writes the report film.frame of a MicroDVD file's frame numbers. A negative period is a
/// message in an interactive run and a report line otherwise; a clean file gives
/// "No Frame Erros!" (interactive) and no report.
RunResult FrameTest(const std::string& input, const FrameTestParams& params, Host& host);

extern const Operation kTimeTestOperation;
extern const Operation kFrameTestOperation;

}  // namespace tessaline
