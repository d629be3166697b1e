#pragma once

// The "Diag" page's data: for every subtitle of a SubRip file, how far the frame-rate
// conversion ("Formula") or the range stretch ("Sprain") would move its on- and off-time. Each
// time gives a dot: right by the displacement, up by the time itself, both scaled. The third mode
// ("Timings") shows the file as it is: each subtitle's on-time, duration and gap to the next, so
// that an overlap or a wrong period stands out.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaline {

struct DiagramParams {
    int mode = 0;  // 0 "Formula": source / target rate; 1 "Sprain": New Full / remembered full
    std::string sourceRate;
    std::string targetRate;
    std::int64_t rememberedFull = 0;  // milliseconds
    std::int64_t newFull = 0;         // milliseconds
    int rangeMode = 0;                // SprainRangeMode; 3 bends the times (deflection)
    int def1 = 98;
    int def2 = 99;
    bool keepFirst = false;  // cbFirstSubtitle: the first subtitle does not move
    bool autoScale = true;
    double xScale = 0.01;
    double yScale = 0.0001;
    bool timeCorrection = true;
};

struct DiagramDot {
    std::int64_t x;  // right of the origin
    std::int64_t y;  // above the origin
};

struct Diagram {
    std::vector<DiagramDot> dots;
    double xScale = 0;
    double yScale = 0;
};

/// The factor of the diagram's mode; nothing when none can be formed (equal rate texts, a rate
/// that is no number or zero, no remembered full time).
[[nodiscard]] std::optional<double> DiagramFactor(const DiagramParams& params);

/// The dots of the timing lines of `lines` (two per subtitle); with autoScale the first subtitle
/// sets the scales. Nothing without a factor.
[[nodiscard]] Diagram DiagramOf(const std::vector<std::string>& lines, const DiagramParams& params);

/// One subtitle of the "Timings" picture, in milliseconds.
struct SubtitleSpan {
    std::int64_t on = 0;
    std::int64_t off = 0;
    std::int64_t gap = 0;      // next on-time - this off-time; 0 for the last subtitle
    bool overlaps = false;     // the next subtitle starts before this one ends
    bool wrongPeriod = false;  // the off-time lies before the on-time
};

struct TimingsPicture {
    std::vector<SubtitleSpan> subtitles;
    std::int64_t end = 0;  // the latest time of the file
    int overlaps = 0;
    int wrongPeriods = 0;
    std::optional<std::int64_t> shortestGap;       // over the subtitles that do not overlap
    std::optional<std::int64_t> shortestDuration;  // over the subtitles with a right period
};

/// The subtitles of a SubRip file (timing lines), or of a MicroDVD file when `fps` is given
/// (frame lines {on}{off}, with the brackets `open` and `close`, turned into times at that
/// rate). Lines that do not convert are left out, as the drawing cannot place them.
[[nodiscard]] TimingsPicture TimingsOf(const std::vector<std::string>& lines, bool timeCorrection,
                                       std::optional<long double> fps = std::nullopt,
                                       char open = '{', char close = '}');

/// The line under the picture: "12 subtitles, 0 overlaps, 0 wrong periods, shortest gap
/// 00:00:00,120, shortest duration 00:00:01,000".
[[nodiscard]] std::string TimingsSummary(const TimingsPicture& picture);

/// 10 to the power -(digits of |value| - 1); 0,1 for one or two digits.
[[nodiscard]] double AutoScale(std::int64_t value);

}  // namespace tessaline
