#include "core/times.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/errors.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kArrow = "-->";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

// Decimal digits with an optional sign, as a whole.
bool IsIntegerText(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    return !text.empty() && AllDigits(text);
}

// The value of a run of decimal digits; nothing when the text is empty, holds any other
// character (a sign included) or exceeds `limit`.
std::optional<std::uint32_t> DigitsValue(std::string_view text, std::uint32_t limit) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    quoted.append(text).append("'");
    return quoted;
}

[[noreturn, gnu::cold]] void ThrowNotValid(std::string_view text, std::string_view what) {
    throw ConversionError(text, Quoted(text) + " is not a valid " + std::string(what));
}

// "00" to "99": two digits at a time.
constexpr std::array<char, 200> kTwoDigits = [] {
    std::array<char, 200> digits{};
    for (int i = 0; i < 100; ++i) {
        digits[2 * i] = static_cast<char>('0' + i / 10);
        digits[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return digits;
}();

char* WriteTwoDigits(char* p, unsigned value) {
    std::memcpy(p, &kTwoDigits[2 * value], 2);
    return p + 2;
}

// Writes hh:mm:ss,mmm (12 characters) for a value below 100 hours. Written for speed: it runs
// twice for every timing line of a file.
char* WriteTimeText(char* p, TimeMs value) {
    const unsigned seconds = value / 1000;
    const unsigned ms = value % 1000;
    p = WriteTwoDigits(p, seconds / 3600);
    *p++ = ':';
    p = WriteTwoDigits(p, seconds / 60 % 60);
    *p++ = ':';
    p = WriteTwoDigits(p, seconds % 60);
    *p++ = ',';
    *p++ = static_cast<char>('0' + ms / 100);
    return WriteTwoDigits(p, ms % 100);
}

// The message quotes the value as a time text whose hours may exceed 23.
[[noreturn, gnu::cold]] void ThrowUnwritable(std::uint64_t value) {
    char rest[12];
    WriteTimeText(rest, static_cast<TimeMs>(value % 3'600'000));
    const std::string text = std::to_string(value / 3'600'000) + std::string(rest + 2, 10);
    throw ConversionError(text, "Time " + text + " cannot be written: 24 hours or more");
}

// AppendTimeText for the results of signed arithmetic on time values, which stay >= 0.
void AppendTimeValue(std::string& out, std::int64_t value) {
    if (value >= kDayMs) ThrowUnwritable(static_cast<std::uint64_t>(value));
    AppendTimeText(out, static_cast<TimeMs>(value));
}

// string_view::find as a plain loop: timing lines are too short for a memchr call to pay.
std::size_t Find(std::string_view text, char c, std::size_t from = 0) {
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        if (text[pos] == c) return pos;
    }
    return npos;
}

// Position of the n-th c at or after `from`; npos when there are fewer.
std::size_t FindNth(std::string_view text, char c, int n, std::size_t from) {
    for (std::size_t pos = from;; ++pos) {
        pos = Find(text, c, pos);
        if (pos == npos || --n == 0) return pos;
    }
}

// After the n-th c1 up to the next c2 (to the end when no c2 follows); empty with fewer c1.
std::string_view BetweenNth(std::string_view text, char c1, char c2, int n) {
    const std::size_t start = FindNth(text, c1, n, 0);
    if (start == npos) return {};
    const std::size_t end = Find(text, c2, start + 1);
    return text.substr(start + 1, end == npos ? npos : end - start - 1);
}

// A millisecond field as a number. With `pad` it is first brought to three characters by
// right zero-fill, so "5" counts 500 and a field longer than three characters counts 0
// whatever it holds. Without, it is read as it stands and must not exceed `limit`.
std::uint32_t MillisecondsField(std::string_view field, bool pad, std::uint32_t limit) {
    if (pad) {
        if (field.empty() || field.size() > 3) return 0;
        static constexpr std::uint32_t kScale[] = {100, 10, 1};
        if (const auto value = DigitsValue(field, 999)) return *value * kScale[field.size() - 1];
    } else if (const auto value = DigitsValue(field, limit)) {
        return *value;
    }
    ThrowNotValid(field, "number of milliseconds");
}

// Blanks off both ends.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A clock text "h:m:s" or "h:m" as milliseconds. It returns a number rather than a ClockTime
// because it runs twice on every timing line read.
TimeMs ClockTextMs(std::string_view text) {
    const std::string_view clock = TrimBlanks(text);
    std::optional<std::uint32_t> h, m, s;
    if (clock.size() == 8 && clock[2] == ':' && clock[5] == ':') {
        // The usual form hh:mm:ss, read without searching.
        h = DigitsValue(clock.substr(0, 2), 23);
        m = DigitsValue(clock.substr(3, 2), 59);
        s = DigitsValue(clock.substr(6, 2), 59);
    } else if (const std::size_t first = Find(clock, ':'); first != npos) {
        const std::size_t second = Find(clock, ':', first + 1);
        h = DigitsValue(clock.substr(0, first), 23);
        m = DigitsValue(clock.substr(first + 1, second == npos ? npos : second - first - 1), 59);
        s = second == npos ? 0 : DigitsValue(clock.substr(second + 1), 59);
    }
    if (!h || !m || !s) ThrowNotValid(text, "time");
    return (*h * 3600 + *m * 60 + *s) * 1000;
}

// A clock text and a millisecond field as one time value; the limit keeps the sum in 32 bits.
TimeMs TimeFromParts(std::string_view clock, std::string_view ms, bool pad) {
    const TimeMs whole = ClockTextMs(clock);
    return whole + MillisecondsField(ms, pad, std::numeric_limits<TimeMs>::max() - whole);
}

bool HasClockColons(std::string_view text) {
    return text.size() >= 6 && text[2] == ':' && text[5] == ':';
}

// The fields at positions 1, 4 and 7 (the last may be one character in a short text).
bool HasClockFields(std::string_view text) {
    return IsIntegerText(text.substr(0, 2)) && IsIntegerText(text.substr(3, 2)) &&
           IsIntegerText(text.substr(6, 2));
}

struct FramePair {
    std::string_view onText;
    std::string_view offText;
    std::int64_t on = 0;
    std::int64_t off = 0;
};

bool IsFrameInRange(std::int64_t frame) {
    return frame <= kMaxFrame && frame >= -kMaxFrame;
}

// The two frame numbers of a frame line; nothing when the line has no "}{". Frame lines are
// recognised by "}{" whatever the bracket characters.
std::optional<FramePair> ReadFrames(std::string_view line, char open, char close) {
    if (line.find("}{") == npos) return std::nullopt;
    FramePair frames;
    frames.onText = BetweenNth(line, open, close, 1);
    frames.offText = BetweenNth(line, open, close, 2);
    frames.on = FrameNumber(frames.onText);
    frames.off = FrameNumber(frames.offText);
    return frames;
}

// The inner bounds of a range divided into two (e1, s2) or three (e1, s2, e2, s3) parts.
struct Cuts {
    std::int64_t e1 = 0;
    std::int64_t s2 = 0;
    std::int64_t e2 = 0;
    std::int64_t s3 = 0;
};

// Each part takes d div parts of the range, measured from its own end. A part that would start
// before the previous one ends starts where it ends; with the gap flag it starts one unit
// later, and also does so when it would start exactly where the previous one ends.
Cuts DivideRange(std::int64_t on, std::int64_t off, int parts, bool gap) {
    const std::int64_t d = off - on;
    const std::int64_t step = gap ? 1 : 0;
    Cuts cuts;
    if (parts == 3) {
        const std::int64_t k = d / 3;
        cuts.e1 = on + k;
        cuts.s2 = cuts.e1 + step;
        cuts.e2 = cuts.s2 + k;
        cuts.s3 = off - k;
        if (gap ? cuts.s3 <= cuts.e2 : cuts.s3 < cuts.e2) cuts.s3 = cuts.e2 + step;
    } else {
        const std::int64_t h = d / 2;
        cuts.e1 = on + h;
        cuts.s2 = off - h;
        if (gap ? cuts.s2 <= cuts.e1 : cuts.s2 < cuts.e1) cuts.s2 = cuts.e1 + step;
    }
    return cuts;
}

std::string FramePairText(char open, std::string_view on, std::string_view off, char close) {
    std::string text;
    text.reserve(on.size() + off.size() + 4);
    text.append(1, open).append(on).append(1, close).append(1, open).append(off).append(1, close);
    return text;
}

std::int64_t RoundToInt64(long double value) {
    // rint rounds in the current mode, which the program never changes: to nearest, ties to
    // even. (nearbyint gives the same result but saves and restores the floating-point state on
    // every call, which costs more than the conversion itself.)
    const long double rounded = std::rint(value);
    constexpr long double kLimit = 9.2e18L;
    if (!(rounded < kLimit)) return std::numeric_limits<std::int64_t>::max();
    if (!(rounded > -kLimit)) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

constexpr std::string_view kCanonicalLine = "00:00:00,000 --> 00:00:00,000";

// The time at p, hh:mm:ss,mmm with its separators already checked; false when a character is no
// digit or a field is out of range (the general path then reads or reports the line).
bool ReadCanonicalTime(const char* p, TimeMs& value) {
    const auto d = [p](int i) {
        return static_cast<unsigned>(static_cast<unsigned char>(p[i])) - 48u;
    };
    const unsigned h1 = d(0), h2 = d(1), m1 = d(3), m2 = d(4), s1 = d(6), s2 = d(7);
    const unsigned f1 = d(9), f2 = d(10), f3 = d(11);
    // Unsigned: a character below '0' wraps to a large value and fails the same test.
    if ((h1 > 2) | (h2 > 9) | (m1 > 5) | (m2 > 9) | (s1 > 5) | (s2 > 9) | (f1 > 9) | (f2 > 9) |
        (f3 > 9) | (h1 * 10 + h2 > 23)) {
        return false;
    }
    value =
        (((h1 * 10 + h2) * 60 + m1 * 10 + m2) * 60 + s1 * 10 + s2) * 1000 + f1 * 100 + f2 * 10 + f3;
    return true;
}

// Nearly every timing line is exactly hh:mm:ss,mmm --> hh:mm:ss,mmm. This reads such a line
// without the general cutting, with the same result; it declines every other line.
std::optional<ParsedTiming> ParseCanonicalLine(std::string_view line) {
    if (line.size() != kCanonicalLine.size()) return std::nullopt;
    const char* p = line.data();
    if (p[2] != ':' || p[5] != ':' || p[8] != ',' || std::memcmp(p + 12, " --> ", 5) != 0 ||
        p[19] != ':' || p[22] != ':' || p[25] != ',') {
        return std::nullopt;
    }
    ParsedTiming timing;
    if (!ReadCanonicalTime(p, timing.on) || !ReadCanonicalTime(p + 17, timing.off)) {
        return std::nullopt;
    }
    return timing;
}

// The cut texts of a timing line in one of the forms other programs write: one- or two-digit
// hours, minutes and seconds, "," or "." before the milliseconds, any blanks (or none) around
// "-->", and after the off-time a tail of display coordinates ("X1:40 X2:600 Y1:20 Y2:50") or
// one that begins with "<".
struct DialectTexts {
    std::string_view onClock;
    std::string_view onMs;
    std::string_view offClock;
    std::string_view offMs;
    std::string_view tail;
};

// One time "h:m:s,f" or "h:m:s.f" at `pos` (moved past it); false when the text there is no time.
bool ScanDialectTime(std::string_view line, std::size_t& pos, std::string_view& clock,
                     std::string_view& ms) {
    const std::size_t start = pos;
    for (int field = 0; field < 3; ++field) {
        const std::size_t digits = pos;
        while (pos < line.size() && IsDigit(line[pos]))
            ++pos;
        if (pos == digits || pos - digits > 2) return false;
        if (field < 2) {
            if (pos >= line.size() || line[pos] != ':') return false;
            ++pos;
        }
    }
    clock = line.substr(start, pos - start);
    if (pos >= line.size() || (line[pos] != ',' && line[pos] != '.')) return false;
    const std::size_t msStart = ++pos;
    while (pos < line.size() && IsDigit(line[pos]))
        ++pos;
    if (pos == msStart) return false;
    ms = line.substr(msStart, pos - msStart);
    return true;
}

std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return pos;
}

std::optional<DialectTexts> ScanDialectLine(std::string_view line) {
    DialectTexts texts;
    std::size_t pos = SkipBlanks(line, 0);
    if (!ScanDialectTime(line, pos, texts.onClock, texts.onMs)) return std::nullopt;
    pos = SkipBlanks(line, pos);
    if (line.substr(pos, kArrow.size()) != kArrow) return std::nullopt;
    pos = SkipBlanks(line, pos + kArrow.size());
    if (!ScanDialectTime(line, pos, texts.offClock, texts.offMs)) return std::nullopt;
    if (pos == line.size()) return texts;
    // Whatever follows must be set off by a blank or be a tag, or the last field was no time.
    if (line[pos] != ' ' && line[pos] != '\t' && line[pos] != '<') return std::nullopt;
    const std::string_view rest = TrimBlanks(line.substr(SkipBlanks(line, pos)));
    if (const std::size_t lt = rest.rfind('<'); lt != npos) {
        texts.tail = rest.substr(lt);
    } else if (rest.size() > 3 && (rest[0] == 'X' || rest[0] == 'x') && rest[1] == '1' &&
               rest[2] == ':') {
        texts.tail = rest;
    }
    return texts;
}

}  // namespace

TimeMs ClockToMs(ClockTime clock, std::uint32_t ms) {
    const auto seconds =
        static_cast<std::uint32_t>(clock.minute * 60 + clock.hour * 3600 + clock.second);
    return seconds * 1000 + ms;
}

ClockTime MsToClock(TimeMs& value) {
    ClockTime clock;
    clock.hour = static_cast<int>(value / 3'600'000);
    TimeMs rest = value % 3'600'000;
    clock.minute = static_cast<int>(rest / 60'000);
    rest %= 60'000;
    clock.second = static_cast<int>(rest / 1000);
    value = rest % 1000;
    return clock;
}

ClockTime ClockFromText(std::string_view text) {
    TimeMs value = ClockTextMs(text);
    return MsToClock(value);
}

std::string ClockToText(ClockTime clock) {
    char text[40];
    const int size =
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", clock.hour, clock.minute, clock.second);
    return std::string(text, static_cast<std::size_t>(size));
}

TimeMs TimeTextToMs(std::string_view text) {
    const std::size_t last = text.rfind(',');
    return TimeFromParts(text.substr(0, text.find(',')),
                         last == npos ? text : text.substr(last + 1), false);
}

std::optional<TimeMs> ParseTimeValue(std::string_view text) {
    const std::size_t comma = text.find(',');
    const std::string_view clock = text.substr(0, comma);
    if (std::count(clock.begin(), clock.end(), ':') != 2) return std::nullopt;
    std::uint32_t ms = 0;
    if (comma != npos) {
        const std::string_view digits = text.substr(comma + 1);
        if (digits.size() != 3 || !std::all_of(digits.begin(), digits.end(),
                                               [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        std::from_chars(digits.data(), digits.data() + digits.size(), ms);
    }
    try {
        return ClockToMs(ClockFromText(clock), ms);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

std::string MsToTimeText(TimeMs value) {
    std::string text;
    AppendTimeText(text, value);
    return text;
}

void AppendTimeText(std::string& out, TimeMs value) {
    if (value >= kDayMs) ThrowUnwritable(value);
    char text[12];
    out.append(text, WriteTimeText(text, value));
}

std::string MakeTimingLine(TimeMs on, TimeMs off, std::string_view separator) {
    const std::string_view sep = separator.empty() ? kArrow : separator;
    std::string line;
    line.reserve(26 + sep.size());
    AppendTimeText(line, on);
    line.append(1, ' ').append(sep).append(1, ' ');
    AppendTimeText(line, off);
    return line;
}

char* WriteTimingLine(char* dest, TimeMs on, TimeMs off) {
    if (on >= kDayMs) ThrowUnwritable(on);
    if (off >= kDayMs) ThrowUnwritable(off);
    std::memcpy(WriteTimeText(dest, on), " --> ", 5);
    return WriteTimeText(dest + 17, off);
}

void AppendTimingLine(std::string& out, TimeMs on, TimeMs off) {
    char line[kTimingLineLength];
    out.append(line, WriteTimingLine(line, on, off));
}

ClockTime TimeDifference(ClockTime earlier, std::uint32_t earlierMs, ClockTime later,
                         std::uint32_t& laterMs) {
    const TimeMs from = ClockToMs(earlier, earlierMs);
    const TimeMs to = ClockToMs(later, laterMs);
    if (to <= from) return {};
    TimeMs rest = to - from;
    const ClockTime difference = MsToClock(rest);
    laterMs = rest;
    return difference;
}

std::string PadMilliseconds(std::string_view text, bool fillRight) {
    if (text.size() > 3) return "000";
    std::string field(3, '0');
    text.copy(field.data() + (fillRight ? 0 : 3 - text.size()), text.size());
    return field;
}

bool IsTimeText(std::string_view text) {
    return HasClockColons(text) && HasClockFields(text);
}

bool IsTimingLine(std::string_view line) {
    // Runs on every line of a file: the usual timing line is known by its separators, and a
    // line without "-->" is none (a text line "12:30:45, he said" would pass the kind test).
    if (line.size() >= kCanonicalLine.size() && IsDigit(line[0]) && line[2] == ':' &&
        line[5] == ':' && line[8] == ',' && line.substr(12, 5) == " --> " && line[19] == ':' &&
        line[22] == ':' && line[25] == ',') {
        return true;
    }
    if (line.size() < 17 || line.find(kArrow) == npos) return false;
    return TimingLineFormat(line) > 0 || ScanDialectLine(line).has_value();
}

bool IsStandardTimingLine(std::string_view line) {
    if (line.size() < kCanonicalLine.size()) return false;
    const std::string_view times = line.substr(0, kCanonicalLine.size());
    const std::string_view rest = line.substr(kCanonicalLine.size());
    TimeMs value = 0;
    const char* p = times.data();
    return p[2] == ':' && p[5] == ':' && p[8] == ',' && times.substr(12, 5) == " --> " &&
           p[19] == ':' && p[22] == ':' && p[25] == ',' && ReadCanonicalTime(p, value) &&
           ReadCanonicalTime(p + 17, value) &&
           (rest.empty() || (rest.size() > 1 && rest[0] == ' ' && rest[1] != ' '));
}

int TimingLineFormat(std::string_view line) {
    if (!HasClockColons(line)) return 0;
    if (!HasClockFields(line)) return -1;
    // Positions 9 and 26 hold the millisecond separators of the on- and off-time.
    const char on = line.size() > 8 ? line[8] : ' ';
    const char off = line.size() > 25 ? line[25] : ' ';
    if (on == ',') return off == ':' ? 3 : 1;
    if (on == ':') return off == ',' ? 4 : 2;
    return 0;
}

void TrimTimeParts(std::string_view& offClock, std::string_view& onMs, std::string_view& offMs) {
    offClock.remove_prefix(std::min(offClock.find_first_not_of(' '), offClock.size()));
    // npos + 1 wraps to 0: a field of blanks only becomes empty.
    onMs = onMs.substr(0, onMs.find_last_not_of(' ') + 1);
    offMs = offMs.substr(0, offMs.find_last_not_of(' ') + 1);
}

std::optional<ParsedTiming> ParseTimingLine(std::string_view line, bool pad) {
    if (auto timing = ParseCanonicalLine(line)) return timing;
    if (const auto texts = ScanDialectLine(line)) {
        const TimeMs on = TimeFromParts(texts->onClock, texts->onMs, pad);
        return ParsedTiming{on, TimeFromParts(texts->offClock, texts->offMs, pad), texts->tail};
    }
    const int kind = TimingLineFormat(line);
    if (kind < 1) return std::nullopt;

    // Every kind has the on-time's millisecond separator at position 9 and no "," or further
    // ":" before it, so the on-clock is the first eight characters and the on-ms runs up to
    // the next "-".
    const std::string_view onClock = line.substr(0, 8);
    const std::size_t dash = Find(line, '-', 9);
    std::string_view onMs = line.substr(9, dash == npos ? npos : dash - 9);

    const char offSep = (kind == 1 || kind == 4) ? ',' : ':';
    std::string_view offClock;
    if (offSep == ',') {
        offClock = BetweenNth(line, '>', ',', 1);
    } else if (const std::size_t gt = Find(line, '>'); gt != npos) {
        const std::size_t end = FindNth(line, ':', 3, gt + 1);
        offClock = line.substr(gt + 1, end == npos ? npos : end - gt - 1);
    }

    // A tail that begins with "<" ends the off-ms and is handed back to be written again.
    std::string_view offMs;
    std::string_view tail;
    if (const std::size_t lt = line.rfind('<'); lt == npos) {
        offMs = line.substr(line.rfind(offSep) + 1);
    } else {
        tail = line.substr(lt);
        if (const std::size_t sep = line.rfind(offSep, lt); sep != npos) {
            offMs = line.substr(sep + 1, lt - sep - 1);
        }
    }
    // Anything after a blank, such as SubRip's display coordinates, is not part of the field.
    if (offMs.size() > 3) offMs = offMs.substr(0, Find(offMs, ' '));

    TrimTimeParts(offClock, onMs, offMs);
    const TimeMs on = TimeFromParts(onClock, onMs, pad);
    return ParsedTiming{on, TimeFromParts(offClock, offMs, pad), tail};
}

std::optional<long double> ParseFramesPerSecond(std::string_view text) {
    // The rate lists write a decimal comma; a point is read as well.
    std::string number(text);
    std::replace(number.begin(), number.end(), ',', '.');
    long double value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string FramesPerSecondText(long double fps) {
    char text[128];
    auto result = std::to_chars(text, text + sizeof text, fps, std::chars_format::fixed);
    if (result.ec != std::errc()) result = std::to_chars(text, text + sizeof text, fps);
    std::replace(text, result.ptr, '.', ',');
    return std::string(text, result.ptr);
}

std::int64_t RoundToEven(long double value) {
    return RoundToInt64(value);
}

std::int64_t FrameToMs(std::int64_t frame, long double fps) {
    return RoundToInt64(static_cast<long double>(frame) / fps * 1000.0L);
}

std::int64_t MsToFrame(std::int64_t ms, long double fps) {
    return RoundToInt64(static_cast<long double>(ms) * 0.001L * fps);
}

TimeMs CheckedTime(std::int64_t ms, std::string_view what) {
    if (ms < 0) throw ConversionError(what, Quoted(what) + " gives a negative time");
    if (ms >= kDayMs) {
        throw ConversionError(what, Quoted(what) + " gives a time of 24 hours or more");
    }
    return static_cast<TimeMs>(ms);
}

std::int64_t IntegerField(std::string_view text) {
    std::int64_t value = 0;
    if (IsIntegerText(text)) {
        // from_chars takes a minus sign but not a plus sign.
        const std::string_view number = text[0] == '+' ? text.substr(1) : text;
        const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec == std::errc()) return value;
    }
    ThrowNotValid(text, "integer");
}

FrameLine ReadFrameLine(std::string_view line, char open, char close) {
    FrameLine parts;
    parts.on = FrameNumber(BetweenNth(line, open, close, 1));
    parts.off = FrameNumber(BetweenNth(line, open, close, 2));
    const std::size_t second = FindNth(line, close, 2, 0);
    if (second != npos) parts.text = line.substr(second + 1);
    return parts;
}

void AppendFramePair(std::string& out, char open, std::int64_t on, std::int64_t off, char close) {
    char digits[24];
    out += open;
    out.append(digits, std::to_chars(digits, digits + sizeof digits, on).ptr);
    out += close;
    out += open;
    out.append(digits, std::to_chars(digits, digits + sizeof digits, off).ptr);
    out += close;
}

std::int64_t FrameNumber(std::string_view text) {
    const std::int64_t frame = IntegerField(text);
    if (!IsFrameInRange(frame)) ThrowNotValid(text, "frame number");
    return frame;
}

std::int64_t ShiftedFrame(std::int64_t frame, std::int64_t delta, std::string_view what) {
    // Both within kMaxFrame: the sum cannot overflow before it is checked.
    if (!IsFrameInRange(frame) || !IsFrameInRange(delta) || !IsFrameInRange(frame + delta)) {
        throw ConversionError(what, Quoted(what) + " shifted by " + std::to_string(delta) +
                                        " leaves the range of frame numbers");
    }
    return frame + delta;
}

std::optional<std::string> FrameLineToTimingLine(std::string_view line, std::string_view fpsText,
                                                 char open, char close) {
    const auto fps = ParseFramesPerSecond(fpsText);
    if (!fps || *fps == 0) return std::nullopt;
    const auto frames = ReadFrames(line, open, close);
    if (!frames) return std::nullopt;
    const TimeMs on = CheckedTime(FrameToMs(frames->on, *fps), frames->onText);
    const TimeMs off = CheckedTime(FrameToMs(frames->off, *fps), frames->offText);
    std::string timing;
    AppendTimingLine(timing, on, off);
    return timing;
}

std::string SubtitleDuration(std::string_view line, char open, char close, bool pad) {
    if (line.find(kArrow) != npos) {
        const auto timing = ParseTimingLine(line, pad);
        if (!timing) return {};
        if (timing->off < timing->on) return std::string(kWrongTimePeriod);
        return MsToTimeText(timing->off - timing->on);
    }
    if (const auto frames = ReadFrames(line, open, close)) {
        if (frames->off < frames->on) return std::string(kWrongFramePeriod);
        return std::to_string(frames->off - frames->on);
    }
    return {};
}

std::string SetOffTimeByDuration(std::string_view line, std::string_view duration) {
    if (line.find(kArrow) == npos || !IsTimeText(line)) return {};
    const std::size_t comma = line.find(',');
    const std::string_view onClock = line.substr(0, comma);
    const std::string_view onMs = BetweenNth(line, ',', ' ', 1);
    // A sum of two time values is never negative, so there is no wrong period here; a sum of
    // 24 hours or more fails when it is written.
    const std::int64_t off =
        std::int64_t{TimeFromParts(onClock, onMs, false)} + TimeTextToMs(duration);
    std::string result;
    result.reserve(line.size() + 12);
    result.append(onClock).append(1, ',').append(onMs).append(" --> ");
    AppendTimeValue(result, off);
    return result;
}

std::string SetOnTimeByDuration(std::string_view line, std::string_view duration) {
    if (line.find(kArrow) == npos || !IsTimeText(line)) return {};
    std::string_view offClock = BetweenNth(line, '>', ',', 1);
    if (!offClock.empty() && offClock[0] == ' ') offClock.remove_prefix(1);
    const std::size_t last = line.rfind(',');
    const std::string_view offMs = last == npos ? line : line.substr(last + 1);
    const std::int64_t on =
        std::int64_t{TimeFromParts(offClock, offMs, false)} - TimeTextToMs(duration);
    if (on < 0) return std::string(kWrongTimePeriod);
    std::string result;
    result.reserve(line.size() + 12);
    AppendTimeValue(result, on);
    result.append(" --> ").append(offClock).append(1, ',').append(offMs);
    return result;
}

SplitTimings SplitTiming(std::string_view line, int parts, bool pad, bool gap, char open,
                         char close) {
    SplitTimings result;
    if (line.empty()) return result;

    if (line.find(kArrow) != npos) {
        const auto timing = ParseTimingLine(line, pad);
        if (!timing) return result;
        const Cuts cuts = DivideRange(timing->on, timing->off, parts, gap);
        const auto part = [&](std::int64_t on, std::int64_t off) {
            std::string text;
            text.reserve(30 + timing->tail.size());
            AppendTimeValue(text, on);
            text.append(" --> ");
            AppendTimeValue(text, off);
            if (!timing->tail.empty()) text.append(1, ' ').append(timing->tail);
            return text;
        };
        result.first = part(timing->on, cuts.e1);
        if (parts == 3) {
            result.second = part(cuts.s2, cuts.e2);
            result.third = part(cuts.s3, timing->off);
        } else {
            result.second = part(cuts.s2, timing->off);
        }
        return result;
    }

    const auto frames = ReadFrames(line, open, close);
    if (!frames) return result;
    // The outer frames keep the text they had in the line.
    const Cuts cuts = DivideRange(frames->on, frames->off, parts, gap);
    result.first = FramePairText(open, frames->onText, std::to_string(cuts.e1), close);
    if (parts == 3) {
        result.second =
            FramePairText(open, std::to_string(cuts.s2), std::to_string(cuts.e2), close);
        result.third = FramePairText(open, std::to_string(cuts.s3), frames->offText, close);
    } else {
        result.second = FramePairText(open, std::to_string(cuts.s2), frames->offText, close);
    }
    return result;
}

bool IsDialogHyphen(std::string_view text) {
    return text == "-" || text == "<b>-" || text == "<B>-" || text == "<i>-" || text == "<I>-";
}

}  // namespace tessaline
