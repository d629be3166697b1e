#pragma once

// The time calculator: breaks one timing line (or MicroDVD frame line) into two or three
// consecutive parts with their durations, and moves one end of a line by a duration. Pure
// arithmetic over texts; the window's calculator shows the results.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

struct CalculatorRules {
    bool oneTickApart = true;    // OneTickDifferenceNearTimeFrame: each part starts 1 ms after
    bool timeCorrection = true;  // TimeCorrection: milliseconds padded to three digits
    char open = '{';             // the frame brackets of a MicroDVD line
    char close = '}';
};

struct BrokenRange {
    std::string sourceDuration;
    std::array<std::string, 3> ranges;     // the third empty for two parts
    std::array<std::string, 3> durations;  // as the ranges
};

/// Breaks a timing line into `parts` (2 or 3) consecutive parts: the first keeps the source's
/// own on-time text, the last its own off-time text. A frame line gives frame lines written with
/// "{" and "}". Nothing for any other line.
[[nodiscard]] std::optional<BrokenRange> BreakRange(std::string_view line, int parts,
                                                    const CalculatorRules& rules);

/// The duration of a timing line (a time text) or a frame line (a frame count); "Wrong Time
/// Period!" / "Wrong Frame Period!" when it ends before it begins; empty for anything else.
[[nodiscard]] std::string RangeDuration(std::string_view line, const CalculatorRules& rules);

}  // namespace tessaline
