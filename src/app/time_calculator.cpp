#include "app/time_calculator.hpp"

#include "core/times.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kArrow = " --> ";

// A frame line written with other brackets, in "{" and "}".
std::string WithPlainBrackets(const std::string& line, const CalculatorRules& rules) {
    if (rules.open == '{' && rules.close == '}') return line;
    std::string out = line;
    for (char& c : out) {
        if (c == rules.open)
            c = '{';
        else if (c == rules.close)
            c = '}';
    }
    return out;
}

}  // namespace

std::string RangeDuration(std::string_view line, const CalculatorRules& rules) {
    return SubtitleDuration(line, rules.open, rules.close, rules.timeCorrection);
}

std::optional<BrokenRange> BreakRange(std::string_view line, int parts,
                                      const CalculatorRules& rules) {
    const SplitTimings split =
        SplitTiming(line, parts, rules.timeCorrection, rules.oneTickApart, rules.open, rules.close);
    if (split.first.empty()) return std::nullopt;
    BrokenRange broken;
    broken.sourceDuration = RangeDuration(line, rules);
    broken.ranges = {split.first, split.second, parts == 3 ? split.third : std::string()};
    const std::size_t arrow = line.find("-->");
    if (arrow != std::string_view::npos) {
        // A timing line: its own on- and off-time texts stand at the two ends.
        const std::size_t on = line.find_last_not_of(' ', arrow == 0 ? 0 : arrow - 1);
        const std::string_view sourceOn = line.substr(0, on == std::string_view::npos ? 0 : on + 1);
        std::string_view sourceOff = line.substr(arrow + 3);
        sourceOff.remove_prefix(std::min(sourceOff.find_first_not_of(' '), sourceOff.size()));
        std::string& first = broken.ranges[0];
        first = std::string(sourceOn) + first.substr(first.find(kArrow));
        std::string& last = broken.ranges[static_cast<std::size_t>(parts - 1)];
        last = last.substr(0, last.find(kArrow)) + std::string(kArrow) + std::string(sourceOff);
    } else {
        for (std::string& range : broken.ranges)
            range = WithPlainBrackets(range, rules);
    }
    CalculatorRules plain = rules;
    plain.open = '{';
    plain.close = '}';
    for (std::size_t i = 0; i < broken.ranges.size(); ++i) {
        if (!broken.ranges[i].empty()) {
            broken.durations[i] = RangeDuration(broken.ranges[i], plain);
        }
    }
    return broken;
}

}  // namespace tessaline
