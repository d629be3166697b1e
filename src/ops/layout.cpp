#include "ops/layout.hpp"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/chars.hpp"
#include "core/paths.hpp"
#include "core/text_form.hpp"
#include "files/records.hpp"

namespace tessaline {

namespace {

/// The line begins with one of the four style tags followed by `c`.
bool TagThen(std::string_view line, char c) {
    if (line.size() < 4 || (line[0] != '<' && line[0] != '{')) return false;
    for (std::string_view tag : {"<i>", "<b>", "{y:i}", "{y:b}"}) {
        if (line.size() > tag.size() && line[tag.size()] == c && StartsWithNoCase(line, tag)) {
            return true;
        }
    }
    return false;
}

bool IsTwoByteLead(unsigned char b) {
    return b >= 0xC2 && b <= 0xDF;
}
bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

bool StartsWithTagThenDash(std::string_view line) {
    return TagThen(line, '-');
}

bool StartsWithSpace(std::string_view line) {
    return (!line.empty() && line.front() == ' ') || TagThen(line, ' ');
}

EndWords ShortWordsAtEnd(std::string_view line) {
    const std::size_t n = line.size();
    if (CurrentTextForm() == TextForm::Utf8) {
        // The same tests on the last three characters, whatever their bytes. The tail of the
        // last three is found from the end once; it starts at a character boundary, so its
        // characters are walked forward from there.
        const std::string_view tail = line.substr(n - CharBytesAtEnd(line, 3));
        // Both words need a space among the last three characters: most lines have none.
        if (tail.find(' ') == std::string_view::npos) return {};
        std::size_t starts[3] = {0, 0, 0};  // where the tail's characters start
        std::size_t chars = 0;
        for (std::size_t i = 0; i < tail.size() && chars < 3; i = CharEnd(tail, i))
            starts[chars++] = i;
        // The bytes of the last k characters (all of the tail when it has fewer).
        const auto last = [&](std::size_t k) {
            return k >= chars ? tail.size() : tail.size() - starts[chars - k];
        };
        const std::size_t one = last(1);
        const std::size_t two = last(2);
        const std::size_t three = tail.size();
        const auto isSpace = [&](std::size_t from, std::size_t to) {
            return from == to + 1 && line[n - from] == ' ';
        };
        return {.oneLetter = isSpace(two, one) && line.substr(n - one) != "-",
                .twoLetters = isSpace(three, two)};
    }
    return {.oneLetter = n >= 2 && line[n - 2] == ' ' && line[n - 1] != '-',
            .twoLetters = n >= 3 && line[n - 3] == ' '};
}

// The last characters are found by their bytes, back from the end.
EndWords PlainShortWordsAtEnd(std::string_view line) {
    const std::size_t n = line.size();
    // A byte above ASCII ends a two-byte character in UTF-8; in Windows-1251 each byte is one.
    const bool utf8 = CurrentTextForm() == TextForm::Utf8;
    const auto charBytes = [&](std::size_t end) -> std::size_t {
        return utf8 && static_cast<unsigned char>(line[end - 1]) >= 0x80 ? 2 : 1;
    };
    if (n < 2) return {};
    const std::size_t last = n - charBytes(n);  // where the last character starts
    if (last == 0) return {};
    const std::size_t second = last - charBytes(last);
    return {.oneLetter = line[last - 1] == ' ' && line.substr(last) != "-",
            .twoLetters = second > 0 && line[second - 1] == ' '};
}

// A byte C2-DF always starts a code point of its own (it continues none), and with a
// continuation byte after it makes a whole one, so every such pair is one code point of two
// bytes. A character is one code point or more, or a stray byte: the line has at most its bytes
// less those pairs.
std::size_t Utf8CharsAtMost(std::string_view line) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t size = line.size();
    std::size_t pairs = 0;
    std::size_t i = 1;  // pairs are counted at their second byte
#if defined(__SSE2__)
    if (size > 16) {
        // Signed bytes: continuation bytes 0x80-0xBF are -128..-65, the leads 0xC2-0xDF -62..-33.
        const auto pairsIn = [](__m128i v, __m128i before) {
            const __m128i cont = _mm_cmplt_epi8(v, _mm_set1_epi8(-64));
            const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(before, _mm_set1_epi8(-63)),
                                               _mm_cmplt_epi8(before, _mm_set1_epi8(-32)));
            return _mm_and_si128(cont, lead);  // 0xFF in each byte lane that ends a pair
        };
        const auto sum = [](__m128i lanes) {
            const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
            return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                   static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
        };
        const auto load = [bytes](std::size_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        };
        __m128i lanes = _mm_setzero_si128();
        for (std::size_t chunks = 0; i + 16 <= size; i += 16) {
            lanes = _mm_sub_epi8(lanes, pairsIn(load(i), load(i - 1)));
            if (++chunks == 255) {  // before a lane can overflow
                pairs += sum(lanes);
                lanes = _mm_setzero_si128();
                chunks = 0;
            }
        }
        if (i < size) {
            // The last 16 bytes again, without the lanes of the bytes already counted.
            const std::size_t start = size - 16;
            const __m128i index =
                _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
            const __m128i fresh =
                _mm_cmpgt_epi8(index, _mm_set1_epi8(static_cast<char>(i - start - 1)));
            lanes =
                _mm_sub_epi8(lanes, _mm_and_si128(fresh, pairsIn(load(start), load(start - 1))));
        }
        return size - pairs - sum(lanes);
    }
#endif
    for (; i < size; ++i) {
        if (IsContinuation(bytes[i]) && IsTwoByteLead(bytes[i - 1])) ++pairs;
    }
    return size - pairs;
}

int NeededLines(std::size_t length, int lineLength) {
    if (lineLength <= 0) return static_cast<int>(length);
    const auto m = static_cast<std::size_t>(lineLength);
    return length <= m ? 1 : static_cast<int>((length + m - 1) / m);
}

RunResult RunLayout(const FrameRequest& request, Host& host,
                    const std::function<void(FrameRun& run, bool subRip)>& body) {
    return RunInFrame(request, host, [&](FrameRun& run) {
        const std::string ext = LowerExtOf(request.input);
        if (ext == "srt" || ext == "sub") {
            body(run, ext == "srt");
            return;
        }
        run.Tell(std::string(kNotSupportFileExtension) + FileExtOf(request.input));
        run.Abandon();
    });
}

std::optional<FrameLineParts> SplitFrameLine(std::string_view line, char close) {
    if (IsBlankLine(line)) return std::nullopt;
    const std::string_view before = TextBeforeNthChar(line, close, 2);
    if (before.size() == line.size()) return std::nullopt;
    return FrameLineParts{line.substr(0, before.size() + 1), line.substr(before.size() + 1)};
}

// --- Reading SubRip records ---------------------------------------------------------------------

namespace {

/// Four bytes at `at` are all digits: each byte's high half is 3, and stays 3 with 6 added.
bool FourDigits(std::string_view line, std::size_t at) {
    std::uint32_t word = 0;
    std::memcpy(&word, line.data() + at, sizeof word);
    constexpr std::uint32_t kHigh = 0xF0F0F0F0;
    return ((word & kHigh) | (((word + 0x06060606) & kHigh) >> 4)) == 0x33333333;
}

/// IsNumberStr with the usual number line, up to nine digits, answered without a call; four
/// digits are tested at a time, the last four perhaps again.
bool IsNumberLine(std::string_view line) {
    const std::size_t n = line.size();
    if (n == 0 || n > 9 || line.front() < '0' || line.front() > '9') return IsNumberStr(line);
    if (n < 4) {
        for (const char c : line) {
            if (c < '0' || c > '9') return false;
        }
        return true;
    }
    return FourDigits(line, 0) && (n < 8 || FourDigits(line, 4)) && FourDigits(line, n - 4);
}

/// The line holds "-->". A timing line as it is usually written, "00:00:01,000 --> ...", has it
/// at 13, which is looked at before the line is searched.
bool HoldsArrow(std::string_view line) {
    constexpr std::string_view kArrow = "-->";
    constexpr std::size_t kUsualAt = 13;
    return (line.size() > kUsualAt + kArrow.size() &&
            line.substr(kUsualAt, kArrow.size()) == kArrow) ||
           line.find(kArrow) != std::string_view::npos;
}

}  // namespace

// Inlined into each of its callers: it runs for every line, and a call costs about as much as
// the read of a line from the buffer.
[[gnu::always_inline]] inline bool LayoutReader::Read(std::string_view& line,
                                                      std::uint64_t& offset) {
    if (readAside_) return ReadAside(line, offset);
    offset = 0;
    return run_.ReadLine(line);
}

bool LayoutReader::ReadAside(std::string_view& line, std::uint64_t& offset) {
    if (!pending_.empty()) {
        held_.swap(pending_.front().line);
        offset = pending_.front().offset;
        pending_.pop_front();
        readAside_ = offsets_ || !pending_.empty();
        line = held_;
        return true;
    }
    offset = offsets_ ? run_.in().Offset() : 0;
    return run_.ReadLine(line);
}

void LayoutReader::ReadAgain(std::string_view line, std::uint64_t offset) {
    pending_.push_front({std::string(line), offset});
    readAside_ = true;
}

// Each line is looked at as a view and copied once, into the string it ends in.
LayoutReader::Item LayoutReader::Next() {
    std::string_view line;
    std::uint64_t offset = 0;
    if (!Read(line, offset)) return Item::End;
    if (!atStart_ || !IsNumberLine(line)) {
        atStart_ = IsBlankLine(line);
        line_.assign(line);
        return Item::Line;
    }
    record_.number.assign(line);
    record_.gap.clear();
    gapOffsets_.clear();
    std::string_view next;
    std::uint64_t nextOffset = 0;
    bool found = false;
    while ((found = Read(next, nextOffset)) && IsBlankLine(next)) {
        record_.gap.emplace_back(next);
        gapOffsets_.push_back(nextOffset);
    }
    if (found && HoldsArrow(next)) {
        record_.timing.assign(next);
        record_.offset = offset;
        ReadText();
        if (!passing_) return Item::Record;
        passing_ = false;
        if (writePassed_ && record_.ended) run_.WriteLine(record_.end);
        count_ = 0;
        return Item::Passed;
    }
    // No timing line follows: the number is text, and the lines after it are read again.
    if (found) ReadAgain(next, nextOffset);
    for (std::size_t i = record_.gap.size(); i-- > 0;)
        ReadAgain(record_.gap[i], gapOffsets_[i]);
    line_.swap(record_.number);
    atStart_ = false;
    return Item::Line;
}

void LayoutReader::ReadText() {
    count_ = 0;
    dropped_ = 0;
    record_.ended = false;
    atStart_ = true;
    const std::size_t holdLimit = std::min(passAfter_, keepAtMost_);
    std::string_view line;
    std::uint64_t offset = 0;
    while (Read(line, offset)) {
        if (line.empty()) {
            record_.end.clear();
            record_.ended = true;
            return;
        }
        if (line.size() == 1 && line.front() == ' ') {
            std::string_view after;
            std::uint64_t afterOffset = 0;
            const bool more = Read(after, afterOffset);
            const bool endsRecord = !more || after.empty() || IsNumberLine(after);
            if (more) ReadAgain(after, afterOffset);
            if (endsRecord) {
                record_.end = " ";
                record_.ended = true;
                return;
            }
            line = " ";  // the view was of a line read before `after`
        }
        // Below both limits, as nearly every record is, the line is held (no record passes
        // before passAfter_ lines).
        if (count_ < holdLimit) {
            if (count_ == text_.size()) text_.emplace_back();
            text_[count_++].assign(line);
            continue;
        }
        if (count_ == passAfter_ && !passing_) {
            // Too long to hold: what was read goes out, and the rest follows line by line.
            passing_ = true;
            if (writePassed_) {
                WriteHead();
                for (const std::string& held : text())
                    run_.WriteLine(held);
            }
        }
        if (passing_) {
            if (writePassed_) run_.WriteLine(line);
            continue;
        }
        if (count_ == keepAtMost_) {
            ++dropped_;
            continue;
        }
        if (count_ == text_.size()) text_.emplace_back();
        text_[count_++].assign(line);
    }
}

void LayoutReader::WriteHead() {
    run_.WriteLine(record_.number);
    for (const std::string& blank : record_.gap)
        run_.WriteLine(blank);
    run_.WriteLine(record_.timing);
}

void LayoutReader::WriteRecord() {
    WriteHead();
    for (const std::string& line : text())
        run_.WriteLine(line);
    if (record_.ended) run_.WriteLine(record_.end);
}

}  // namespace tessaline
