// Fuzz target: SubRip timing lines and time texts. A line that parses and can be written must
// read back as the same times; nothing may crash or overflow.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/times.hpp"
#include "fuzz_support.hpp"

namespace {

using namespace tessaline;
using test::TryConverting;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const bool pad : {false, true}) {
        TryConverting([&] {
            const auto timing = ParseTimingLine(line, pad);
            if (!timing || timing->on >= kDayMs || timing->off >= kDayMs) return;
            const std::string written = MakeTimingLine(timing->on, timing->off);
            const auto again = ParseTimingLine(written, pad);
            if (!again || again->on != timing->on || again->off != timing->off) __builtin_trap();
        });
        TryConverting([&] { (void)SubtitleDuration(line, '{', '}', pad); });
        TryConverting([&] { (void)SplitTiming(line, 2, pad, true); });
        TryConverting([&] { (void)SplitTiming(line, 3, pad, false); });
    }
    TryConverting([&] { (void)SetOffTimeByDuration(line, "00:00:01,000"); });
    TryConverting([&] { (void)SetOnTimeByDuration(line, "00:00:01,000"); });
    TryConverting([&] { (void)TimeTextToMs(line); });
    TryConverting([&] { (void)ClockFromText(line); });
    (void)IsTimeText(line);
    (void)TimingLineFormat(line);
    return 0;
}
