#include "app/diagram.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/errors.hpp"
#include "core/times.hpp"

namespace tessaline {
namespace {

// The knee of the deflection as the diagram draws it: times beyond this share of End are drawn
// towards New End.
constexpr long double kDiagramKnee = 0.67L;

}  // namespace

std::optional<double> DiagramFactor(const DiagramParams& p) {
    if (p.mode == 0) {
        if (p.sourceRate == p.targetRate) return std::nullopt;
        const auto source = ParseFramesPerSecond(p.sourceRate);
        const auto target = ParseFramesPerSecond(p.targetRate);
        if (!source || !target || *target == 0) return std::nullopt;
        return static_cast<double>(*source / *target);
    }
    if (p.rememberedFull == 0) return std::nullopt;
    return static_cast<double>(p.newFull) / static_cast<double>(p.rememberedFull);
}

double AutoScale(std::int64_t value) {
    int digits = 1;
    for (std::int64_t v = std::llabs(value); v >= 10; v /= 10)
        ++digits;
    return digits <= 2 ? 0.1 : std::pow(10.0, -(digits - 1));
}

Diagram DiagramOf(const std::vector<std::string>& lines, const DiagramParams& p) {
    Diagram diagram{.xScale = p.xScale, .yScale = p.yScale};
    const auto factor = DiagramFactor(p);
    if (!factor) return diagram;
    const bool bend = p.mode == 1 && p.rangeMode == 3 && p.def1 > 0 && p.def2 > 0;
    const long double end = static_cast<long double>(p.rememberedFull);
    const long double newEnd = static_cast<long double>(p.newFull);
    long double ratio = 1;
    long double knee = end;
    if (bend && newEnd < end) {
        ratio = static_cast<long double>(p.def1) / p.def2;
        knee = kDiagramKnee * end;
    } else if (bend && newEnd > end) {
        ratio = static_cast<long double>(p.def2) / p.def1;
        knee = (1 - kDiagramKnee) * end;
    }
    const auto moved = [&](std::int64_t t) {
        const long double time = static_cast<long double>(t);
        long double a = time * *factor * ratio;
        if (bend && time > knee && end != knee) a += (newEnd - a) * (time - knee) / (end - knee);
        return RoundToEven(a);
    };
    bool first = true;
    for (const std::string& line : lines) {
        std::optional<ParsedTiming> timing;
        try {
            timing = ParseTimingLine(line, p.timeCorrection);
        } catch (const ConversionError&) {
            continue;  // a line the stretch would stop at is left out of the picture
        }
        if (!timing) continue;
        for (const std::int64_t old :
             {static_cast<std::int64_t>(timing->on), static_cast<std::int64_t>(timing->off)}) {
            const std::int64_t now = first && p.keepFirst ? old : moved(old);
            if (first && p.autoScale && old == timing->on) {
                diagram.xScale = AutoScale(now - old);
                diagram.yScale = AutoScale(old);
            }
            diagram.dots.push_back(
                {std::llabs(RoundToEven(static_cast<long double>(now - old) * diagram.xScale)),
                 std::llabs(RoundToEven(static_cast<long double>(old) * diagram.yScale))});
        }
        first = false;
    }
    return diagram;
}

TimingsPicture TimingsOf(const std::vector<std::string>& lines, bool timeCorrection,
                         std::optional<long double> fps, char open, char close) {
    TimingsPicture picture;
    for (const std::string& line : lines) {
        SubtitleSpan span;
        try {
            if (fps) {
                if (line.empty() || line.front() != open) continue;
                const FrameLine frames = ReadFrameLine(line, open, close);
                if (*fps <= 0) continue;
                span.on = FrameToMs(frames.on, *fps);
                span.off = FrameToMs(frames.off, *fps);
            } else {
                const auto timing = ParseTimingLine(line, timeCorrection);
                if (!timing) continue;
                span.on = static_cast<std::int64_t>(timing->on);
                span.off = static_cast<std::int64_t>(timing->off);
            }
        } catch (const ConversionError&) {
            continue;
        }
        span.wrongPeriod = span.off < span.on;
        picture.subtitles.push_back(span);
        picture.end = std::max({picture.end, span.on, span.off});
    }
    for (std::size_t i = 0; i < picture.subtitles.size(); ++i) {
        SubtitleSpan& span = picture.subtitles[i];
        if (span.wrongPeriod) {
            ++picture.wrongPeriods;
        } else if (!picture.shortestDuration || span.off - span.on < *picture.shortestDuration) {
            picture.shortestDuration = span.off - span.on;
        }
        if (i + 1 == picture.subtitles.size()) break;
        span.gap = picture.subtitles[i + 1].on - span.off;
        span.overlaps = span.gap < 0;
        if (span.overlaps) {
            ++picture.overlaps;
        } else if (!picture.shortestGap || span.gap < *picture.shortestGap) {
            picture.shortestGap = span.gap;
        }
    }
    return picture;
}

std::string TimingsSummary(const TimingsPicture& picture) {
    // A MicroDVD file at a slow rate can reach past 24 hours, beyond the time text.
    const auto time = [](const std::optional<std::int64_t>& ms) {
        constexpr std::int64_t kDay = 24LL * 3600 * 1000;
        if (!ms) return std::string("-");
        if (*ms >= kDay) return std::to_string(*ms) + " ms";
        return MsToTimeText(static_cast<TimeMs>(*ms));
    };
    return std::to_string(picture.subtitles.size()) + " subtitles, " +
           std::to_string(picture.overlaps) + " overlaps, " + std::to_string(picture.wrongPeriods) +
           " wrong periods, shortest gap " + time(picture.shortestGap) + ", shortest duration " +
           time(picture.shortestDuration);
}

}  // namespace tessaline
