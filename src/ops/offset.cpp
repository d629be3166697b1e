#include "ops/offset.hpp"

#include "ops/controls.hpp"
#include "ops/settings.hpp"

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
    std::uint64_t moved = 0;
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
        if (shift.minus && (shift.offset > timing->on || shift.offset > timing->off)) {
            // An off-time before the offset is refused like an on-time: a time below zero
            // cannot be written.
            run.Refuse("Stopped at \"" + std::string(line) +
                       "\": the offset is larger than this time, and no time can go below "
                       "00:00:00,000. The lines before it are in the output.");
            return;
        }
        // In 64 bits: a time read from a long millisecond field (TimeCorrection off) may lie
        // near the top of the 32-bit range, where the sum would wrap to a small, wrong time.
        const std::int64_t delta = shift.minus ? -std::int64_t{shift.offset} : shift.offset;
        char text[kTimingLineLength];
        WriteTimingLine(text, CheckedTime(timing->on + delta, line),
                        CheckedTime(timing->off + delta, line));
        ++moved;
        if (timing->tail.empty()) {
            run.WriteLine(std::string_view(text, sizeof text));
            continue;
        }
        shifted.assign(text, sizeof text);
        shifted += ' ';
        shifted += timing->tail;
        run.WriteLine(shifted);
    }
    run.host().SummarizeRun(OffsetSummary(moved, shift.offset, shift.minus));
}

}  // namespace

std::string OffsetSummary(std::uint64_t moved, TimeMs offset, bool minus) {
    return CountText(moved, "timing", "timings") + " " + std::to_string(offset) +
           (minus ? " ms earlier" : " ms later");
}

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

// --- Descriptors -------------------------------------------------------------------------------

namespace {

constexpr std::string_view kTimeCorrectionOnly[] = {"TimeCorrection"};

RunResult RunOffsetTime(OperationContext& c, const RunArgs& a) {
    // Offset Time has no interactive flag: it always shows its messages.
    return OffsetTime(a.input, a.output,
                      {.offset = c.controls.Time("dtpOffsetTime", "seOffsetTimeMls"),
                       .minus = c.controls.Bool("cbOffsetTimeMinus"),
                       .timeCorrection = c.settings.Bool("TimeCorrection")},
                      c.host);
}

constexpr OptionDef kOffsetTimeOptions[] = {
    {.name = "--minus",
     .kind = OptionKind::Flag,
     .control = "cbOffsetTimeMinus",
     .help = "earlier instead of later"},
    {.name = "OFFSET",
     .kind = OptionKind::Time,
     .control = "dtpOffsetTime",
     .msControl = "seOffsetTimeMls",
     .help = "hh:mm:ss or hh:mm:ss,mmm"},
};
constexpr std::string_view kOffsetTimeControls[] = {"dtpOffsetTime", "seOffsetTimeMls",
                                                    "cbOffsetTimeMinus"};
constexpr Trigger kOffsetTimeTriggers[] = {{"btnOffsetTimeMls"}};
constexpr VariantCode kOffsetTimeCodes[] = {{kAnyVariant, 26}};

RunResult RunOffsetTail(OperationContext& c, const RunArgs& a) {
    return OffsetTail(a.input, a.output,
                      {.offset = c.controls.Time("dtpOffsetTimeTail", "seOffsetTimeMlsTail"),
                       .minus = c.controls.Bool("cbOffsetTimeMinusTail"),
                       .begin = c.controls.Time("dtpBeginTimeTail", "seBeginTimeMlsTail"),
                       .end = c.controls.Time("dtpEndTimeTail", "seEndTimeMlsTail"),
                       .timeCorrection = c.settings.Bool("TimeCorrection")},
                      c.host);
}

constexpr OptionDef kOffsetTailOptions[] = {
    {.name = "--minus",
     .kind = OptionKind::Flag,
     .control = "cbOffsetTimeMinusTail",
     .help = "earlier instead of later"},
    {.name = "--begin",
     .kind = OptionKind::Time,
     .valueName = "TIME",
     .control = "dtpBeginTimeTail",
     .msControl = "seBeginTimeMlsTail",
     .required = true,
     .help = "the window's start"},
    {.name = "--end",
     .kind = OptionKind::Time,
     .valueName = "TIME",
     .control = "dtpEndTimeTail",
     .msControl = "seEndTimeMlsTail",
     .required = true,
     .help = "the window's end"},
    {.name = "OFFSET",
     .kind = OptionKind::Time,
     .control = "dtpOffsetTimeTail",
     .msControl = "seOffsetTimeMlsTail",
     .help = "hh:mm:ss or hh:mm:ss,mmm"},
};
constexpr std::string_view kOffsetTailControls[] = {
    "dtpOffsetTimeTail",  "seOffsetTimeMlsTail", "cbOffsetTimeMinusTail", "dtpBeginTimeTail",
    "seBeginTimeMlsTail", "dtpEndTimeTail",      "seEndTimeMlsTail"};
constexpr Trigger kOffsetTailTriggers[] = {{"btnOffsetTimeMlsTail"}};

}  // namespace

extern const Operation kOffsetTimeOperation{
    .command = "offset-time",
    .summary = "shift every timing of SubRip files",
    .help =
        "Shifts every timing line by OFFSET, later, or earlier with --minus. With --minus a\n"
        "subtitle that would start before 00:00:00,000 stops the run: \"error\" is printed,\n"
        "the lines before it are kept in the output, the exit status is 1.",
    .options = kOffsetTimeOptions,
    .triggers = kOffsetTimeTriggers,
    .logText = "[Offset Time] Click",
    .extension = "srt",
    .codes = kOffsetTimeCodes,
    .settings = kTimeCorrectionOnly,
    .controls = kOffsetTimeControls,
    .run = RunOffsetTime,
};

// No directory mode: with a mask in the open-file box the frame stops silently.
extern const Operation kOffsetTailOperation{
    .command = "offset-tail",
    .summary = "shift the subtitles that start inside a time window",
    .help =
        "Shifts only the subtitles whose on-time lies strictly between --begin and --end by\n"
        "OFFSET; every other line is written as it was.",
    .options = kOffsetTailOptions,
    .triggers = kOffsetTailTriggers,
    .logText = "[Offset Tail] Click",
    .settings = kTimeCorrectionOnly,
    .controls = kOffsetTailControls,
    .run = RunOffsetTail,
};

}  // namespace tessaline
