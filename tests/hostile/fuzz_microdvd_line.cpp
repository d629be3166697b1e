// Fuzz target: MicroDVD frame lines. Frames that convert give a timing line that parses again;
// frames beyond the accepted range are refused, never wrapped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/strings.hpp"
#include "core/times.hpp"
#include "fuzz_support.hpp"

namespace {

using namespace tessaline;
using test::TryConverting;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const char* fps : {"25", "23,976", "0,001", "1000000"}) {
        TryConverting([&] {
            const auto timing = FrameLineToTimingLine(line, fps);
            if (timing && !ParseTimingLine(*timing, true)) __builtin_trap();
        });
    }
    TryConverting([&] { (void)SubtitleDuration(line, '{', '}', true); });
    TryConverting([&] { (void)SplitTiming(line, 2, true, true); });
    TryConverting([&] { (void)SplitTiming(line, 3, true, false); });
    // The way the conversions and Offset Frame read a line with an opening bracket.
    TryConverting([&] {
        const std::int64_t on = FrameNumber(TextBetweenChars(line, '{', '}'));
        const std::int64_t off = FrameNumber(TextBetweenChars(line, '{', '}', 2, NthOf::Opening));
        for (const std::int64_t delta : {std::int64_t{1}, -kMaxFrame, kMaxFrame}) {
            TryConverting([&] { (void)ShiftedFrame(on, delta, "on"); });
            TryConverting([&] { (void)ShiftedFrame(off, -delta, "off"); });
        }
        TryConverting([&] { (void)CheckedTime(FrameToMs(on, 25), "on"); });
        TryConverting([&] { (void)MsToFrame(off, 23.976L); });
        (void)TextAfterNthChar(line, '}', 2);
    });
    return 0;
}
