#pragma once

// The time base of a whole file: its range (the first and the last timing), a shift that puts its
// first or its last subtitle at a given time, the range stretch (every time or frame number
// multiplied so that the range Begin..End becomes Begin..New End), and the frame-rate
// conversion (every time or frame number multiplied by the ratio of two rates).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/times.hpp"
#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kDivisionByZero = "Division by Zero!";
inline constexpr std::string_view kInputZeroFileExist = "Input Zero File Exist!!!";
inline constexpr std::string_view kOutputSecondFileExist = "Output Second File Exist!!!";

struct RangeParams {
    /// BeginTimeFrameOfLastSubtitle: the range ends where the last subtitle starts.
    bool lastOnTime = DefaultBool("BeginTimeFrameOfLastSubtitle");
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
};

/// The range of a file: milliseconds of a SubRip file, frame numbers of a MicroDVD file.
struct Range {
    std::int64_t begin = 0;  // the first subtitle's start
    std::int64_t end = 0;    // the last subtitle's end (its start with lastOnTime)
    std::int64_t full = 0;   // begin to the last subtitle's end; 0 when that is not later
};

/// Writes a SubRip timing line with the new times `on` and `off` and the tail the line read had
/// after its times (position coordinates), if any. `line` (the line read) names the line when a
/// time is out of range; `scratch` is reused from line to line.
void WriteRetimedLine(FrameRun& run, std::int64_t on, std::int64_t off, std::string_view line,
                      std::string_view tail, std::string& scratch);

/// Reads the range of a SubRip file; writes nothing. Skipped for a mask or a missing file.
RunResult GetTimeRange(const std::string& input, const RangeParams& params, Host& host,
                       Range& range);

/// Reads the range of the frame numbers of a MicroDVD file.
RunResult GetFrameRange(const std::string& input, const RangeParams& params, Host& host,
                        Range& range);

struct SetTimeParams {
    TimeMs target = 0;   // where the first (or the last) subtitle is to be
    bool atEnd = false;  // the last subtitle's off-time (its on-time with lastOnTime) moves
    bool lastOnTime = DefaultBool("BeginTimeFrameOfLastSubtitle");
    bool timeCorrection = DefaultBool("TimeCorrection");
};

/// The time the file had, and the Offset Time that moved it.
struct SetTimeOutcome {
    bool found = false;  // the file has a timing line
    TimeMs reference = 0;
    TimeMs offset = 0;
    bool minus = false;
};

/// Shifts a SubRip file through Offset Time so that its first on-time (or its last time) lands on
/// the target. Skipped for a file without timings; `outcome` holds what was found and run.
RunResult SetTime(const std::string& input, const std::string& output, const SetTimeParams& params,
                  Host& host, SetTimeOutcome& outcome);

/// Where the stretch factor comes from.
enum class FactorSource {
    Range,        // the range stretch: Begin..End becomes Begin..New End
    Difference,   // source rate / target rate
    Coefficient,  // a factor typed in
};

/// How the range stretch forms its factor (SprainRangeMode).
enum class RangeMode {
    End = 0,       // "Use End Time/Frame"
    ShiftToBegin,  // "Use End Time/Frame with Shift to Begining"
    FullTimes,     // "Use Full Times/Frames"
    Deflection,    // "Use Formula of deflection"
};

struct StretchParams {
    FactorSource source = FactorSource::Range;
    /// Begin and End of the range boxes; `full` is the remembered full time (times) or the Full
    /// Frames box (frames), which range mode 2 divides by.
    Range range;
    std::int64_t newEnd = 0;  // New End Time (milliseconds) or New End Frame
    RangeMode mode = static_cast<RangeMode>(DefaultInt("SprainRangeMode"));
    int def1 = DefaultInt("iDef1");
    int def2 = DefaultInt("iDef2");
    bool lastOnTime = DefaultBool("BeginTimeFrameOfLastSubtitle");
    /// The rates of the Difference source and the factor of the Coefficient source, as the
    /// window holds them (decimal comma).
    std::string sourceRate = std::string(DefaultText("FramesAtSec"));
    std::string targetRate = std::string(DefaultText("FramesAtSecTarget"));
    std::string coefficient;
    bool keepFirst = false;  // cbFirstSubtitle: the first timing is written as it is
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    /// "Output File Exist!!!" is shown (the frame procedure always shows it).
    bool interactive = true;
};

/// What a stretch leaves for the window to show.
struct StretchOutcome {
    /// A pass was made: New End and New Full describe the result.
    bool ran = false;
    std::int64_t newEnd = 0;
    std::int64_t newFull = 0;
    /// The Offset Time (Offset Frame) controls as the range stretch last set them.
    std::optional<std::int64_t> offset;
    std::optional<bool> minus;
};

/// Stretches the times of a SubRip file into the output; the range stretch also writes the zero
/// file (input + "0", range mode 1) and the second file (output + "2") that is shifted back.
RunResult StretchTimes(const std::string& input, const std::string& output,
                       const StretchParams& params, Host& host, StretchOutcome& outcome);

/// The same for the frame numbers of a MicroDVD file.
RunResult StretchFrames(const std::string& input, const std::string& output,
                        const StretchParams& params, Host& host, StretchOutcome& outcome);

/// The coefficient box's text for two rates: source / target in up to 15 significant digits with
/// a decimal comma, "Division by Zero!" for a target of 0, "" when a rate is not a number.
[[nodiscard]] std::string CoefficientText(std::string_view sourceRate, std::string_view targetRate);

extern const Operation kGetRangeOperation;
extern const Operation kSetTimeOperation;
extern const Operation kStretchOperation;
extern const Operation kStretchFpsOperation;

}  // namespace tessaline
