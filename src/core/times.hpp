#pragma once

// Time values, their text forms, SubRip timing lines and MicroDVD frame lines.
//
// A time value is a count of milliseconds since 00:00:00,000. Only values below 24 hours can
// be written as text; writing a larger one, or reading a field that is not a number, throws
// ConversionError. Nothing here depends on the user's locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

using TimeMs = std::uint32_t;

/// 24 hours: the first time value that cannot be written as hh:mm:ss,mmm.
inline constexpr TimeMs kDayMs = 86'400'000;

inline constexpr std::string_view kWrongTimePeriod = "Wrong Time Period!";
inline constexpr std::string_view kWrongFramePeriod = "Wrong Frame Period!";

/// A time of day without milliseconds, as a time picker delivers it.
struct ClockTime {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59

    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

/// (hours * 3600 + minutes * 60 + seconds) * 1000 + ms.
[[nodiscard]] TimeMs ClockToMs(ClockTime clock, std::uint32_t ms);

/// The whole seconds of `value` as a clock time; `value` is replaced by the millisecond
/// remainder (0..999). Hours are not wrapped at 24.
[[nodiscard]] ClockTime MsToClock(TimeMs& value);

/// Reads a clock time "h:m:s" or "h:m" (blanks around the text ignored, each field within
/// its range). Throws ConversionError when the text is not a valid time of day.
[[nodiscard]] ClockTime ClockFromText(std::string_view text);

/// "hh:mm:ss" of a clock time.
[[nodiscard]] std::string ClockToText(ClockTime clock);

/// Reads hh:mm:ss,mmm: the clock before the first comma, the milliseconds (a decimal integer,
/// no zero fill: "00:00:01,5" is 1005) after the last comma. Throws ConversionError.
[[nodiscard]] TimeMs TimeTextToMs(std::string_view text);

/// A time as a user types it for a time picker and its milliseconds: "hh:mm:ss" or
/// "hh:mm:ss,mmm" (exactly three digits); nothing for any other text.
[[nodiscard]] std::optional<TimeMs> ParseTimeValue(std::string_view text);

/// hh:mm:ss,mmm. Throws ConversionError for 24 hours or more.
[[nodiscard]] std::string MsToTimeText(TimeMs value);

/// Appends MsToTimeText(value) to `out` without a temporary string.
void AppendTimeText(std::string& out, TimeMs value);

/// on-time text + " " + separator + " " + off-time text; an empty separator means "-->".
[[nodiscard]] std::string MakeTimingLine(TimeMs on, TimeMs off, std::string_view separator = "-->");

/// Appends MakeTimingLine(on, off, "-->") to `out` without a temporary string.
void AppendTimingLine(std::string& out, TimeMs on, TimeMs off);

/// Length of a timing line in the standard form.
inline constexpr std::size_t kTimingLineLength = 29;

/// Writes MakeTimingLine(on, off, "-->") to dest (kTimingLineLength bytes); returns the end.
/// Throws ConversionError as MsToTimeText does. For loops over millions of lines.
char* WriteTimingLine(char* dest, TimeMs on, TimeMs off);

/// When later > earlier: their difference as a clock time, its millisecond remainder written to
/// `laterMs`. Otherwise 00:00:00 and `laterMs` untouched.
[[nodiscard]] ClockTime TimeDifference(ClockTime earlier, std::uint32_t earlierMs, ClockTime later,
                                       std::uint32_t& laterMs);

/// Brings a millisecond field to three characters: "" -> "000", "5" -> "500" (fill right) or
/// "005", "50" -> "500" or "050"; a field longer than three characters is taken as "000".
[[nodiscard]] std::string PadMilliseconds(std::string_view text, bool fillRight);

/// The text begins with hh:mm:ss: ":" at positions 3 and 6 and integers in the two-character
/// fields at positions 1, 4 and 7.
[[nodiscard]] bool IsTimeText(std::string_view text);

/// A SubRip timing line in any form the reader accepts: the four kinds below, and the forms other
/// programs write (one- or two-digit fields, "." before the milliseconds, any blanks or none
/// around "-->", display coordinates after the off-time). Never throws; the fields may still be
/// out of range, which ParseTimingLine reports.
[[nodiscard]] bool IsTimingLine(std::string_view line);

/// The line is written exactly as the program writes timing lines: hh:mm:ss,mmm --> hh:mm:ss,mmm
/// with valid fields, optionally followed by one blank and a tail.
[[nodiscard]] bool IsStandardTimingLine(std::string_view line);

/// Kind of a timing line: 1 = hh:mm:ss,mmm --> hh:mm:ss,mmm, 2 = both with ":" before the
/// milliseconds, 3 = "," then ":", 4 = ":" then ","; 0 and -1 = not a timing line.
[[nodiscard]] int TimingLineFormat(std::string_view line);

/// Leading blanks off the off-clock text, trailing blanks off both millisecond texts.
void TrimTimeParts(std::string_view& offClock, std::string_view& onMs, std::string_view& offMs);

/// A parsed timing line. `tail` views the line: "<" and what follows the last "<", or empty.
struct ParsedTiming {
    TimeMs on = 0;
    TimeMs off = 0;
    std::string_view tail;
};

/// Parses a timing line of any form IsTimingLine accepts; nothing for any other line. A tail of
/// display coordinates is handed back as the tail too, so that a rewritten line keeps it. With
/// `pad` (the TimeCorrection setting) short millisecond fields are zero-filled on the right before
/// they convert. Throws ConversionError for a field that does not convert. Makes no heap
/// allocation.
[[nodiscard]] std::optional<ParsedTiming> ParseTimingLine(std::string_view line, bool pad);

/// Reads a frames-per-second text with a decimal comma ("23,976"; a point is accepted too).
/// Nothing when the text is not a number.
[[nodiscard]] std::optional<long double> ParseFramesPerSecond(std::string_view text);

/// A rate as the frames-per-second lists write it: "25", "23,976", "29,97".
[[nodiscard]] std::string FramesPerSecondText(long double fps);

/// The nearest integer, ties to even (the processor's rounding), clamped to the int64 range.
[[nodiscard]] std::int64_t RoundToEven(long double value);

/// round(frame / fps * 1000), ties to even, in extended precision. fps must not be 0.
[[nodiscard]] std::int64_t FrameToMs(std::int64_t frame, long double fps);

/// round(ms * 0.001 * fps), ties to even, in extended precision.
[[nodiscard]] std::int64_t MsToFrame(std::int64_t ms, long double fps);

/// A computed time as a time value; throws ConversionError when it is negative or cannot be
/// written as text (24 hours or more). `what` is quoted in the message.
[[nodiscard]] TimeMs CheckedTime(std::int64_t ms, std::string_view what);

/// Reads a decimal integer field (optional sign); throws ConversionError when it is not one.
[[nodiscard]] std::int64_t IntegerField(std::string_view text);

/// The parts of a MicroDVD line {on}{off}text.
struct FrameLine {
    std::int64_t on = 0;
    std::int64_t off = 0;
    std::string_view text;  // after the second closing bracket
};

/// Reads a line that holds the opening bracket: the integers after the first and the second
/// opening bracket (each up to the next closing bracket) and the text after the second closing
/// bracket. Throws ConversionError when a field is not a frame number (a line that opens with a
/// style tag such as {y:i}).
[[nodiscard]] FrameLine ReadFrameLine(std::string_view line, char open, char close);

/// Appends open + on + close + open + off + close.
void AppendFramePair(std::string& out, char open, std::int64_t on, std::int64_t off, char close);

/// The largest frame number the conversions accept, either way from zero: differences, sums of
/// two frames and the +1 of a gap stay within 64 bits.
inline constexpr std::int64_t kMaxFrame = INT64_MAX / 4;

/// Reads a frame number field; throws ConversionError when it is not an integer or lies beyond
/// kMaxFrame.
[[nodiscard]] std::int64_t FrameNumber(std::string_view text);

/// frame + delta; throws ConversionError (quoting `what`) when either lies beyond kMaxFrame or the
/// sum would.
[[nodiscard]] std::int64_t ShiftedFrame(std::int64_t frame, std::int64_t delta,
                                        std::string_view what);

/// The timing line of a frame line {on}{off}text at the given rate; nothing when the rate is
/// 0 or not a number, or when the line has no "}{".
[[nodiscard]] std::optional<std::string> FrameLineToTimingLine(std::string_view line,
                                                               std::string_view fpsText,
                                                               char open = '{', char close = '}');

/// Duration of a timing line (as time text) or of a frame line (as a frame count);
/// kWrongTimePeriod / kWrongFramePeriod when negative; empty for any other line.
[[nodiscard]] std::string SubtitleDuration(std::string_view line, char open, char close, bool pad);

/// The timing line with its off-time set to on-time + duration; kWrongTimePeriod when negative;
/// empty unless the line contains "-->" and begins with hh:mm:ss.
[[nodiscard]] std::string SetOffTimeByDuration(std::string_view line, std::string_view duration);

/// The timing line with its on-time set to off-time - duration; as SetOffTimeByDuration.
[[nodiscard]] std::string SetOnTimeByDuration(std::string_view line, std::string_view duration);

/// Two or three consecutive timings that divide one timing or frame line.
struct SplitTimings {
    std::string first;
    std::string second;
    std::string third;
};

/// Divides a timing line (or a frame line, with the given frame brackets) into `parts` (2 or
/// 3) consecutive timings; with `gap` each part starts 1 ms (1 frame) after the previous ends.
/// All results stay empty for any other line.
[[nodiscard]] SplitTimings SplitTiming(std::string_view line, int parts, bool pad, bool gap,
                                       char open = '{', char close = '}');

/// The text is exactly "-", "<b>-", "<B>-", "<i>-" or "<I>-".
[[nodiscard]] bool IsDialogHyphen(std::string_view text);

}  // namespace tessaline
