#pragma once

// The "Diag" page's data: for every subtitle of a SubRip file, how far the frame-rate
// conversion ("Formula") or the range stretch ("Sprain") would move its on- and off-time. Each
// time gives a dot: right by the displacement, up by the time itself, both scaled.

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

/// 10 to the power -(digits of |value| - 1); 0,1 for one or two digits.
[[nodiscard]] double AutoScale(std::int64_t value);

}  // namespace tessaline
