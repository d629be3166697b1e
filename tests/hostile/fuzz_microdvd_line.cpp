// Fuzz target: MicroDVD frame lines. Frames that convert give a timing line that parses again;
// frames beyond the accepted range are refused, never wrapped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.hpp"
#include "core/strings.hpp"
#include "core/times.hpp"

namespace {

using namespace tessaline;

template <class F>
void Try(F f) {
    try {
        f();
    } catch (const ConversionError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const char* fps : {"25", "23,976", "0,001", "1000000"}) {
        Try([&] {
            const auto timing = FrameLineToTimingLine(line, fps);
            if (timing && !ParseTimingLine(*timing, true)) __builtin_trap();
        });
    }
    Try([&] { (void)SubtitleDuration(line, '{', '}', true); });
    Try([&] { (void)SplitTiming(line, 2, true, true); });
    Try([&] { (void)SplitTiming(line, 3, true, false); });
    // The way the conversions and Offset Frame read a line with an opening bracket.
    Try([&] {
        const std::int64_t on = FrameNumber(TextBetweenChars(line, '{', '}'));
        const std::int64_t off = FrameNumber(TextBetweenChars(line, '{', '}', 2, NthOf::Opening));
        for (const std::int64_t delta : {std::int64_t{1}, -kMaxFrame, kMaxFrame}) {
            Try([&] { (void)ShiftedFrame(on, delta, "on"); });
            Try([&] { (void)ShiftedFrame(off, -delta, "off"); });
        }
        Try([&] { (void)CheckedTime(FrameToMs(on, 25), "on"); });
        Try([&] { (void)MsToFrame(off, 23.976L); });
        (void)TextAfterNthChar(line, '}', 2);
    });
    return 0;
}
