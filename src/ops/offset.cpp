#include "ops/offset.hpp"

namespace tessaline {
namespace {

struct Shift {
    TimeMs offset;
    bool minus;
    bool timeCorrection;
    // Only subtitles starting strictly inside (begin, end) move; the whole file when absent.
    std::optional<std::pair<TimeMs, TimeMs>> window;
};

void ShiftTimings(FrameRun& run, const Shift& shift) {
    std::string_view line;
    std::string shifted;
    while (run.ReadLine(line)) {
        if (line.find("-->") == std::string::npos) {
            run.WriteLine(line);
            continue;
        }
        // A line with "-->" that is no timing line (a text line quoting an arrow) is text.
        const auto timing = ParseTimingLine(line, shift.timeCorrection);
        if (!timing) {
            run.WriteLine(line);
            continue;
        }
        if (shift.window &&
            !(shift.window->first < timing->on && timing->on < shift.window->second)) {
            run.WriteLine(line);
            continue;
        }
        TimeMs on = timing->on;
        TimeMs off = timing->off;
        if (shift.minus) {
            // An off-time before the offset is refused like an on-time: a time below zero
            // cannot be written.
            if (shift.offset > on || shift.offset > off) {
                run.Refuse();
                return;
            }
            on -= shift.offset;
            off -= shift.offset;
        } else {
            on += shift.offset;
            off += shift.offset;
        }
        char text[kTimingLineLength];
        WriteTimingLine(text, on, off);
        if (timing->tail.empty()) {
            run.WriteLine(std::string_view(text, sizeof text));
            continue;
        }
        shifted.assign(text, sizeof text);
        shifted += ' ';
        shifted += timing->tail;
        run.WriteLine(shifted);
    }
}

}  // namespace

RunResult OffsetTime(const std::string& input, const std::string& output,
                     const OffsetTimeParams& params, Host& host) {
    FrameRequest request{.input = input,
                         .output = output,
                         .steps = {.interactive = true,
                                   .checkOutputIsInput = false,
                                   .statusField = StatusField::OffsetTime},
                         .nothingToDo = params.offset == 0};
    const Shift shift{params.offset, params.minus, params.timeCorrection, std::nullopt};
    return RunInFrame(request, host, [&](FrameRun& run) { ShiftTimings(run, shift); });
}

RunResult OffsetTail(const std::string& input, const std::string& output,
                     const OffsetTailParams& params, Host& host) {
    FrameRequest request{.input = input,
                         .output = output,
                         .steps = {.interactive = true,
                                   .checkOutputIsInput = false,
                                   .statusField = StatusField::OffsetTail},
                         .parameterCheck =
                             [&](Host& h) {
                                 if (params.begin <= params.end) return true;
                                 h.ShowMessage(kBeginAfterEnd);
                                 return false;
                             },
                         .nothingToDo = params.offset == 0};
    const Shift shift{params.offset, params.minus, params.timeCorrection,
                      std::pair{params.begin, params.end}};
    return RunInFrame(request, host, [&](FrameRun& run) { ShiftTimings(run, shift); });
}

}  // namespace tessaline
