#include "ops/timing_ends.hpp"

#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline {
namespace {

// The usual timing line: each byte between its bounds, hours up to 23.
constexpr std::string_view kLeast = "00:00:00,000 --> 00:00:00,000";
constexpr std::string_view kMost = "29:59:59,999 --> 29:59:59,999";
static_assert(kLeast.size() == kTimingLineLength && kMost.size() == kTimingLineLength);
// Where the ">" of the arrow stands in it.
constexpr std::size_t kArrowEnd = 15;

bool HoursFit(const char* p) {
    return p[0] != '2' || p[1] <= '3';
}

// True when the kTimingLineLength bytes at `p` are a timing line that ParseTimingLine reads in
// its usual form (so it cannot fail on it).
bool IsUsualTimingLine(const char* p) {
#if defined(__SSE2__)
    // Two windows of sixteen bytes, overlapping, cover the 29: a byte is out of its bounds when
    // a saturated difference to one of them is not zero.
    const auto fits = [p](std::size_t at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        const __m128i least = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLeast.data() + at));
        const __m128i most = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMost.data() + at));
        const __m128i out = _mm_or_si128(_mm_subs_epu8(bytes, most), _mm_subs_epu8(least, bytes));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(out, _mm_setzero_si128())) == 0xFFFF;
    };
    if (!fits(0) || !fits(kTimingLineLength - 16)) return false;
#else
    for (std::size_t i = 0; i < kTimingLineLength; ++i) {
        const auto byte = static_cast<unsigned char>(p[i]);
        if (byte < static_cast<unsigned char>(kLeast[i]) ||
            byte > static_cast<unsigned char>(kMost[i])) {
            return false;
        }
    }
#endif
    return HoursFit(p) && HoursFit(p + 17);
}

// The whole lines `bytes` (ending with an LF) up to the first line that holds an arrow and is
// not a usual timing line: their length, and the first and the last timing line among them.
std::size_t UsualPrefix(std::string_view bytes, const char*& first, const char*& last) {
    const char* data = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t from = 0;
    while (from < n) {
        const void* hit = std::memchr(data + from, '>', n - from);
        if (hit == nullptr) return n;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (at < 2 || data[at - 1] != '-' || data[at - 2] != '-') {
            from = at + 1;
            continue;
        }
        // An arrow: the line around it must be a usual timing line, alone between line ends.
        const std::size_t start = at - kArrowEnd;
        const std::size_t after = start + kTimingLineLength;
        const bool usual = at >= kArrowEnd && (start == 0 || data[start - 1] == '\n') &&
                           after < n &&
                           (data[after] == '\n' ||
                            (data[after] == '\r' && after + 1 < n && data[after + 1] == '\n')) &&
                           IsUsualTimingLine(data + start);
        if (!usual) {
            const void* nl = at == 0 ? nullptr : ::memrchr(data, '\n', at);
            return nl == nullptr ? 0 : static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1;
        }
        if (first == nullptr) first = data + start;
        last = data + start;
        from = after;
    }
    return n;
}

}  // namespace

void ReadTimingEnds(FrameRun& run, bool pad, TimingEnds& ends) {
    LineReader& in = run.in();
    const auto take = [&](std::string_view line) {
        auto timing = ParseTimingLine(line, pad);
        if (!timing) return;
        timing->tail = {};
        if (!ends.first) ends.first = timing;
        ends.last = timing;
    };
    std::string_view line;
    for (;;) {
        const std::string_view lines = in.BufferedLines();
        if (lines.empty()) {
            // The next line is not whole in the buffer: reading it reads on.
            if (!run.ReadLine(line)) return;
            if (line.find("-->") != std::string_view::npos) take(line);
            continue;
        }
        const char* first = nullptr;
        const char* last = nullptr;
        const std::size_t usual = UsualPrefix(lines, first, last);
        if (first != nullptr) take(std::string_view(first, kTimingLineLength));
        if (last != first) take(std::string_view(last, kTimingLineLength));
        in.SkipBufferedLines(usual, CountLineEnds(lines.substr(0, usual)));
        if (usual < lines.size()) {
            // A line with an arrow in another form (or in text): read and parsed on its own.
            run.ReadLine(line);
            take(line);
        }
    }
}

}  // namespace tessaline
