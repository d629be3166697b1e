#include "ops/renumber.hpp"

#include "core/times.hpp"
#include "files/records.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"

namespace tessaline {

RunResult OffsetCount(const std::string& input, const std::string& output,
                      const OffsetCountParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = true},
                               .nothingToDo = params.offset == 0};
    return RunInFrame(request, host, [&](FrameRun& run) {
        std::string line;
        while (run.ReadLine(line)) {
            if (IsNumberStr(line)) {
                run.WriteLine(std::to_string(std::int64_t{StrToIntSafe(line)} + params.offset));
            } else {
                run.WriteLine(line);
            }
        }
    });
}

RunResult OffsetReCount(const std::string& input, const std::string& output,
                        const OffsetReCountParams& params, Host& host) {
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        std::string line;
        long counter = 0;
        bool atRecordStart = true;
        while (run.ReadLine(line)) {
            if (atRecordStart && IsNumberStr(line)) {
                atRecordStart = false;
                run.WriteLine(std::to_string(++counter));
            } else {
                run.WriteLine(line);
                if (IsBlankLine(line)) atRecordStart = true;
            }
        }
    });
}

RunResult OffsetFrame(const std::string& input, const std::string& output,
                      const OffsetFrameParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = true},
                               .nothingToDo = params.offset == 0};
    const char open = params.openBracket;
    const char close = params.closeBracket;
    const std::int64_t delta = params.minus ? -params.offset : params.offset;
    return RunInFrame(request, host, [&](FrameRun& run) {
        std::string line;
        std::string shifted;
        while (run.ReadLine(line)) {
            if (line.find(open) == std::string::npos) {
                run.WriteLine(line);
                continue;
            }
            // A line with the bracket must start with two bracketed integers; anything else (a
            // line opening with a style tag) is a conversion error.
            const FrameLine frames = ReadFrameLine(line, open, close);
            shifted.clear();
            AppendFramePair(shifted, open, frames.on + delta, frames.off + delta, close);
            shifted += frames.text;
            run.WriteLine(shifted);
        }
    });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

RunResult RunOffsetCount(OperationContext& c, const RunArgs& a) {
    return OffsetCount(a.input, a.output, {.offset = c.controls.Number("sedOffsetCount")}, c.host);
}

constexpr OptionDef kOffsetCountOptions[] = {
    {.name = "N", .kind = OptionKind::Integer, .control = "sedOffsetCount"}};
constexpr std::string_view kOffsetCountControls[] = {"sedOffsetCount"};
constexpr Trigger kOffsetCountTriggers[] = {{"btnOffsetCount"}};

RunResult RunOffsetReCount(OperationContext& c, const RunArgs& a) {
    return OffsetReCount(a.input, a.output, {.interactive = a.interactive}, c.host);
}

constexpr Trigger kOffsetReCountTriggers[] = {{"btnOffsetReCount"}};
constexpr VariantCode kOffsetReCountCodes[] = {{kAnyVariant, 1}};

RunResult RunOffsetFrame(OperationContext& c, const RunArgs& a) {
    return OffsetFrame(a.input, a.output,
                       {.offset = c.controls.Number("sedOffsetCntFrames"),
                        .minus = c.controls.Bool("cbOffsetFrameMinus"),
                        .openBracket = FirstChar(c.settings.Text("OpenBrackets"), '{'),
                        .closeBracket = FirstChar(c.settings.Text("CloseBrackets"), '}')},
                       c.host);
}

constexpr OptionDef kOffsetFrameOptions[] = {
    {.name = "--minus",
     .kind = OptionKind::Flag,
     .control = "cbOffsetFrameMinus",
     .help = "subtract N instead of adding it"},
    {.name = "N", .kind = OptionKind::Integer, .control = "sedOffsetCntFrames"},
};
constexpr std::string_view kOffsetFrameSettings[] = {"OpenBrackets", "CloseBrackets"};
constexpr std::string_view kOffsetFrameControls[] = {"sedOffsetCntFrames", "cbOffsetFrameMinus"};
constexpr Trigger kOffsetFrameTriggers[] = {{"btnOffsetFrame"}};

}  // namespace

extern const Operation kOffsetCountOperation{
    .command = "offset-count",
    .summary = "add N to every number line",
    .help =
        "Adds N (which may be negative) to every line that is a whole number, wherever it\n"
        "stands.",
    .options = kOffsetCountOptions,
    .triggers = kOffsetCountTriggers,
    .logText = "[Offset Count] Click",
    .controls = kOffsetCountControls,
    .run = RunOffsetCount,
};

extern const Operation kOffsetReCountOperation{
    .command = "recount",
    .summary = "number the subtitles 1, 2, 3... afresh",
    .help = "Renumbers the records of SubRip files from 1; digits inside a subtitle's text stay.",
    .triggers = kOffsetReCountTriggers,
    .logText = "[Offset ReCount] Click",
    .codes = kOffsetReCountCodes,
    .run = RunOffsetReCount,
};

extern const Operation kOffsetFrameOperation{
    .command = "offset-frame",
    .summary = "shift the frame numbers of a MicroDVD file",
    .help =
        "Adds N to (or with --minus subtracts N from) both frame numbers of every line of a\n"
        "MicroDVD (.sub) file.",
    .options = kOffsetFrameOptions,
    .triggers = kOffsetFrameTriggers,
    .logText = "[Offset Frame] Click",
    .extension = "sub",
    .settings = kOffsetFrameSettings,
    .controls = kOffsetFrameControls,
    .run = RunOffsetFrame,
};

}  // namespace tessaline
