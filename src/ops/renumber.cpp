#include "ops/renumber.hpp"

#include <charconv>
#include <limits>

#include "core/errors.hpp"
#include "core/paths.hpp"
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
        // A shifted number must still be a number line (a 32-bit integer), or the next
        // renumbering would take it for text; an offset beyond that range is refused as well.
        constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
        constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
        const auto refuse = [](std::string_view what, const std::string& why) {
            throw ConversionError(what, "'" + std::string(what) + "' " + why);
        };
        if (params.offset < kMin || params.offset > kMax) {
            refuse(std::to_string(params.offset), "is not a valid number offset");
        }
        // In a SubRip file only the subtitles' numbers move: a line "1984" of text stays.
        SubRipShaper* records = LowerExtOf(input) == "srt" ? &run.ShapeSubRipRecords() : nullptr;
        std::string_view line;
        char digits[24];
        while (run.ReadLine(line)) {
            if (!IsNumberStr(line) || (records != nullptr && !records->AtRecordNumber())) {
                run.WriteLine(line);
                continue;
            }
            const std::int64_t shifted = std::int64_t{StrToIntSafe(line)} + params.offset;
            if (shifted < kMin || shifted > kMax) {
                refuse(line, "shifted by " + std::to_string(params.offset) +
                                 " leaves the range of numbers");
            }
            const auto end = std::to_chars(digits, digits + sizeof digits, shifted).ptr;
            run.WriteLine(std::string_view(digits, static_cast<std::size_t>(end - digits)));
        }
    });
}

RunResult OffsetReCount(const std::string& input, const std::string& output,
                        const OffsetReCountParams& params, Host& host) {
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        // A SubRip file's records are known by their timing lines: a subtitle without its
        // number gets one, and a line "1984" of text is left alone.
        SubRipShaper* records = LowerExtOf(input) == "srt" ? &run.ShapeSubRipRecords() : nullptr;
        std::string_view line;
        long counter = 0;
        bool atRecordStart = true;
        while (run.ReadLine(line)) {
            const bool number =
                records != nullptr ? records->AtRecordNumber() : atRecordStart && IsNumberStr(line);
            if (number) {
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
    return RunInFrame(request, host, [&](FrameRun& run) {
        // An offset beyond the frame numbers the conversions accept is refused before any line
        // (and before negating it, which could overflow).
        const std::int64_t delta = ShiftedFrame(0, params.offset, std::to_string(params.offset));
        std::string_view line;
        std::string shifted;
        while (run.ReadLine(line)) {
            if (line.find(open) == std::string::npos) {
                run.WriteLine(line);
                continue;
            }
            // A line with the bracket must start with two bracketed integers; anything else (a
            // line opening with a style tag) is a conversion error.
            const FrameLine frames = ReadFrameLine(line, open, close);
            const std::int64_t shift = params.minus ? -delta : delta;
            shifted.clear();
            AppendFramePair(shifted, open,
                            ShiftedFrame(frames.on, shift, std::to_string(frames.on)),
                            ShiftedFrame(frames.off, shift, std::to_string(frames.off)), close);
            // The frames, then the text straight from the input: a long line is not copied.
            run.out().WriteRaw(shifted);
            run.WriteLine(frames.text);
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
    .summary = "add N to every subtitle number",
    .help =
        "Adds N (which may be negative) to every subtitle number. In a SubRip file a\n"
        "subtitle's number is the whole-number line before its timing line; a line of\n"
        "digits in the text stays as it is. In other files every whole-number line changes.",
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
