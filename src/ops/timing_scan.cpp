#include "ops/timing_scan.hpp"

#include <cstring>
#include <string_view>

#include "files/line_io.hpp"

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

// The whole lines `bytes` (ending with an LF) up to the first line that holds an arrow and is
// not a usual timing line: their length, and the first and the last timing line among them.
std::size_t UsualPrefix(std::string_view bytes, const char*& first, const char*& last) {
    for (std::size_t from = 0;;) {
        const std::size_t at = NextArrowEnd(bytes, from);
        if (at == std::string_view::npos) return bytes.size();
        const std::size_t start = UsualTimingLineAt(bytes, at);
        if (start == std::string_view::npos) return LineStartOf(bytes, at);
        if (first == nullptr) first = bytes.data() + start;
        last = bytes.data() + start;
        from = start + kTimingLineLength;
    }
}

}  // namespace

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

std::size_t NextArrowEnd(std::string_view lines, std::size_t from) {
    const char* data = lines.data();
    while (from < lines.size()) {
        const void* hit = std::memchr(data + from, '>', lines.size() - from);
        if (hit == nullptr) break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (at >= 2 && data[at - 1] == '-' && data[at - 2] == '-') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

std::size_t LineStartOf(std::string_view lines, std::size_t at) {
    const void* nl = at == 0 ? nullptr : ::memrchr(lines.data(), '\n', at);
    return nl == nullptr
               ? 0
               : static_cast<std::size_t>(static_cast<const char*>(nl) - lines.data()) + 1;
}

std::size_t UsualTimingLineAt(std::string_view lines, std::size_t at) {
    const char* data = lines.data();
    const std::size_t n = lines.size();
    const std::size_t start = at - kArrowEnd;
    const std::size_t after = start + kTimingLineLength;
    const bool usual = at >= kArrowEnd && (start == 0 || data[start - 1] == '\n') && after < n &&
                       (data[after] == '\n' ||
                        (data[after] == '\r' && after + 1 < n && data[after + 1] == '\n')) &&
                       IsUsualTimingLine(data + start);
    return usual ? start : std::string_view::npos;
}

ParsedTiming UsualTimes(const char* line) {
    const auto time = [line](std::size_t at) {
        const auto d = [line, at](std::size_t i) {
            return static_cast<TimeMs>(static_cast<unsigned char>(line[at + i]) - '0');
        };
        return (((d(0) * 10 + d(1)) * 60 + d(3) * 10 + d(4)) * 60 + d(6) * 10 + d(7)) * 1000 +
               d(9) * 100 + d(10) * 10 + d(11);
    };
    return ParsedTiming{time(0), time(17), {}};
}

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

namespace {

// An LF without a CR before it among `lines`.
bool HasLoneLf(std::string_view lines) {
    const char* p = lines.data();
    const std::size_t n = lines.size();
    if (n == 0) return false;
    if (p[0] == '\n') return true;
    std::size_t i = 1;
#if defined(__SSE2__)
    // Sixteen bytes at a time, each beside the byte before it.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    __m128i lone = _mm_setzero_si128();
    for (; n - i >= 16; i += 16) {
        const __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
        lone = _mm_or_si128(lone,
                            _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(at, lf)));
    }
    if (_mm_movemask_epi8(lone) != 0) return true;
#endif
    for (; i < n; ++i) {
        if (p[i] == '\n' && p[i - 1] != '\r') return true;
    }
    return false;
}

}  // namespace

std::optional<std::size_t> CrLfLineCount(std::string_view lines) {
    if (HasLoneLf(lines)) return std::nullopt;
    return CountLineEnds(lines);
}

}  // namespace tessaline
