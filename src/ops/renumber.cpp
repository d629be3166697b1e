#include "ops/renumber.hpp"

#include "core/times.hpp"
#include "files/records.hpp"

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
    if (LowerExtOf(input) != "sub") return RunResult::Skipped;
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
            const std::int64_t on = IntegerField(TextBetweenChars(line, open, close));
            const std::int64_t off =
                IntegerField(TextBetweenChars(line, open, close, 2, NthOf::Opening));
            shifted.clear();
            shifted += open;
            shifted += std::to_string(on + delta);
            shifted += close;
            shifted += open;
            shifted += std::to_string(off + delta);
            shifted += close;
            shifted += TextAfterNthChar(line, close, 2);
            run.WriteLine(shifted);
        }
    });
}

}  // namespace tessaline
