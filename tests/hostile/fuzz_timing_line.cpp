// Fuzz target: SubRip timing lines and time texts. A line that parses and can be written must
// read back as the same times; nothing may crash or overflow.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.hpp"
#include "core/times.hpp"

namespace {

using namespace tessaline;

template <class F>
void Try(F f) {
    try {
        f();
    } catch (const ConversionError&) {
        // A field that does not convert is refused: that is the expected outcome.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const bool pad : {false, true}) {
        Try([&] {
            const auto timing = ParseTimingLine(line, pad);
            if (!timing || timing->on >= kDayMs || timing->off >= kDayMs) return;
            const std::string written = MakeTimingLine(timing->on, timing->off);
            const auto again = ParseTimingLine(written, pad);
            if (!again || again->on != timing->on || again->off != timing->off) __builtin_trap();
        });
        Try([&] { (void)SubtitleDuration(line, '{', '}', pad); });
        Try([&] { (void)SplitTiming(line, 2, pad, true); });
        Try([&] { (void)SplitTiming(line, 3, pad, false); });
    }
    Try([&] { (void)SetOffTimeByDuration(line, "00:00:01,000"); });
    Try([&] { (void)SetOnTimeByDuration(line, "00:00:01,000"); });
    Try([&] { (void)TimeTextToMs(line); });
    Try([&] { (void)ClockFromText(line); });
    (void)IsTimeText(line);
    (void)TimingLineFormat(line);
    return 0;
}
