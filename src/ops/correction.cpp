#include "ops/correction.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/chars.hpp"
#include "core/paths.hpp"
#include "core/strings.hpp"
#include "core/tags.hpp"
#include "core/times.hpp"
#include "files/records.hpp"
#include "ops/settings.hpp"
#include "ops/timing_scan.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kNulDeleted = " = Symbol-Code '0' Deleted!!!";
constexpr std::string_view kSpaceDeleted = " = Symbol-Code '32' Deleted!!!";
constexpr std::string_view kCaseCorrected = " = Correction String Case!";
constexpr std::string_view kStickingSubtitles = " = Warning! Maybe Sticking Subtitles! ";
constexpr std::string_view kNullLinesAfterNumber =
    " = Remove Null-Line(s)! (between Number and Time/Text)";
constexpr std::string_view kCorrectTimeFormat = " = Correct Time Format!";
constexpr std::string_view kNullSubtitleDeleted = " = Null-Subtitle Deleted!!!";
constexpr std::string_view kDoubleSpaceRemoved = " = Remove Double Space from String";
constexpr std::string_view kDialogHyphenFixed = " = Find & Fix Dialog hyphen (defis)!";
constexpr std::string_view kSpaceLineInserted = " = Insert Space-Line! (between Subtitles Records)";
constexpr std::string_view kSpaceBeforeBarRemoved = " = Remove Space from End-of-Line(s)!";
constexpr std::string_view kSpaceAfterBarRemoved = " = Remove Space from Begin-of-Line(s)!";
constexpr std::string_view kStatusKey = "Number of subtitle = ";
constexpr std::string_view kNumberInserted = " = Insert Subtitle Number!";
constexpr std::string_view kNumberJump = " = Wrong Subtitle Number ";
constexpr std::string_view kNumberJumpEnd = "! Renumbered";

// The kind of timing line (see TimingLineFormat) with one more: 5 for a line in a form other
// programs write ("00:00:02.820 --> 00:00:04.860", one-digit fields), rebuilt like kinds 2 to 4.
constexpr int kOtherTimingForm = 5;

/// A number line (an optional sign, then digits, within 32 bits) and its value, as IsNumberStr
/// and StrToIntSafe read it. Every line of a record passes here: the usual ones, text and
/// numbers of up to nine digits (no overflow to check), are read without a call.
bool ReadNumberLine(std::string_view line, std::int32_t& value) {
    if (line.empty()) return false;
    const char first = line.front();
    const bool sign = first == '+' || first == '-';
    if (!sign && static_cast<unsigned char>(first - '0') > 9) return false;
    if (sign || line.size() > 9) {
        if (!IsNumberStr(line)) return false;
        value = StrToIntSafe(line);
        return true;
    }
    std::int32_t number = 0;
    for (const char c : line) {
        const auto digit = static_cast<unsigned char>(c - '0');
        if (digit > 9) return false;
        number = number * 10 + digit;
    }
    value = number;
    return true;
}

/// IsDialogHyphen, with no call for the lines that cannot be one: a bare hyphen is "-" or a
/// tag and "-", four characters.
bool IsBareHyphen(std::string_view line) {
    return (line.size() == 1 || line.size() == 4) && IsDialogHyphen(line);
}

void Report(LineList& report, std::string_view key, std::string_view message) {
    std::string& line = report.emplace_back();
    line.reserve(key.size() + message.size());
    line.append(key).append(message);
}

// TrimCharInsideEdgeTags can change a line only when c stands at one of its ends, or within the
// five characters at either end of a line that begins or ends with a tag (an edge tag is at
// most four characters long). Testing that first spares most lines a copy.
bool MayTrim(std::string_view line, char c) {
    if (line.empty()) return false;
    if (line.front() == c || line.back() == c) return true;
    if (line.front() != '<' && line.back() != '>') return false;
    const std::size_t n = std::min<std::size_t>(line.size(), 5);
    return line.substr(0, n).find(c) != std::string_view::npos ||
           line.substr(line.size() - n).find(c) != std::string_view::npos;
}

/// Trims c as TrimCharInsideEdgeTags does; true when the line changed.
bool TrimLineEnds(std::string& line, char c) {
    if (!MayTrim(line, c)) return false;
    const std::string trimmed = TrimCharInsideEdgeTags(line, c);
    // Trimming only removes characters: the same length means the same line.
    if (trimmed.size() == line.size()) return false;
    line.assign(trimmed);
    return true;
}

/// NUL characters, then spaces, off the line ends, each reported when removed.
void TrimLineEnds(std::string& line, std::string_view key, LineList& report) {
    if (TrimLineEnds(line, '\0')) Report(report, key, kNulDeleted);
    if (TrimLineEnds(line, ' ')) Report(report, key, kSpaceDeleted);
}

/// "-" and two spaces at position 1 or 2, or ">-" and two spaces at position 3 or 4: a
/// dialogue hyphen at the start of the line or after a tag such as "<i>".
bool HyphenWithTwoSpaces(std::string_view line) {
    const auto at = [line](std::size_t hyphen) {
        return line.size() >= hyphen + 3 && line[hyphen] == '-' && line[hyphen + 1] == ' ' &&
               line[hyphen + 2] == ' ';
    };
    return at(0) || at(1) || (at(3) && line[2] == '>') || (at(4) && line[3] == '>');
}

/// The kind of the line; `rebuilt` tells whether it is in the form rebuilding writes (kind 1),
/// which nearly every timing line is: that is tested first, as it is cheaper than the kind.
[[gnu::always_inline]] inline int TimingKind(std::string_view line, bool& rebuilt) {
    // The usual form hh:mm:ss,mmm --> hh:mm:ss,mmm, fields in range, nothing after it.
    rebuilt = line.size() == kTimingLineLength && IsUsualTimingLine(line.data());
    if (rebuilt) return 1;
    const int kind = TimingLineFormat(line);
    if (kind != 0) return kind;
    return IsTimingLine(line) ? kOtherTimingForm : 0;
}

/// Removes every space that stands right before a "|" (beforeBar) or right after one; true when
/// anything was removed. Runs of spaces go whole, as repeating the replacement until none is
/// left would do.
bool RemoveSpacesBesideBars(std::string& text, bool beforeBar) {
    std::size_t kept = 0;
    for (const char c : text) {
        if (beforeBar && c == '|') {
            while (kept > 0 && text[kept - 1] == ' ')
                --kept;
        } else if (!beforeBar && c == ' ' && kept > 0 && text[kept - 1] == '|') {
            continue;
        }
        text[kept++] = c;
    }
    const bool changed = kept != text.size();
    text.resize(kept);
    return changed;
}

/// memcpy for the short pieces a subtitle file is made of, without a call: a piece of up to 64
/// bytes is copied as blocks that overlap, as the library does it behind its call.
[[gnu::always_inline]] inline void CopyBytes(char* to, const char* from, std::size_t size) {
    const auto pair = [&]<typename Block>(Block) {
        Block head;
        Block tail;
        std::memcpy(&head, from, sizeof(Block));
        std::memcpy(&tail, from + size - sizeof(Block), sizeof(Block));
        std::memcpy(to, &head, sizeof(Block));
        std::memcpy(to + size - sizeof(Block), &tail, sizeof(Block));
    };
    if (size >= 16) {
#if defined(__SSE2__)
        if (size <= 32) {
            pair(__m128i{});
            return;
        }
        if (size <= 64) {
            // All four read before any is written, as with the pairs.
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + size - 32));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + size - 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + size - 32), c);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + size - 16), d);
            return;
        }
#endif
        std::memcpy(to, from, size);
    } else if (size >= 8) {
        pair(std::uint64_t{});
    } else if (size >= 4) {
        pair(std::uint32_t{});
    } else if (size != 0) {
        to[0] = from[0];
        to[size / 2] = from[size / 2];
        to[size - 1] = from[size - 1];
    }
}

// The lines of the current SubRip record, each with its line end, one after the other in one
// piece of storage that record after record reuses: a record that needs no repair at all is
// written with one call, and a line is copied only once on its way in.
class RecordBuffer {
  public:
    void Clear() {
        used_ = 0;
        count_ = 0;
        special_ = false;
    }

    /// Copies the line after the last one without taking it yet; the view into the copy lasts
    /// until the buffer next changes. A line read from the input is held here at once, as the
    /// reader's view of it may not outlive the test for the end of the input.
    [[gnu::always_inline]] std::string_view Stage(std::string_view line) {
        // The line, its end and the slack HasStagedDoubleSpace reads past it.
        const std::size_t room = used_ + line.size() + 2 + kSlack;
        if (room > text_.size()) text_.resize(std::max(room, 2 * text_.size()));
        char* at = text_.data() + used_;
        CopyBytes(at, line.data(), line.size());
        staged_ = line.size();
        return {at, staged_};
    }

    /// Adds the staged line. A bare dialogue hyphen or a double space marks the record as one
    /// whose lines must be written one by one.
    void TakeStaged() {
        const std::string_view line(text_.data() + used_, staged_);
        if (IsBareHyphen(line) || StagedHasDoubleSpace()) special_ = true;
        Commit();
    }

    void Take(std::string_view line) {
        Stage(line);
        TakeStaged();
    }

    /// Adds a number line (a sign and digits), which is never a hyphen and has no spaces.
    void TakeNumber(std::string_view line) {
        Stage(line);
        Commit();
    }

    /// Adds the record's timing line, whose double spaces are collapsed unless it is in the
    /// rebuilt form.
    void TakeTiming(std::string_view line, bool rebuilt) {
        Stage(line);
        TakeStagedTiming(rebuilt);
    }

    void TakeStagedTiming(bool rebuilt) {
        if (!rebuilt && StagedHasDoubleSpace()) special_ = true;
        Commit();
    }

    /// Adds an empty line.
    void TakeEmpty() {
        Stage({});
        Commit();
    }

    [[nodiscard]] std::size_t size() const { return count_; }
    /// The last line (there is one). Wanted only when a record grows very long, it is found
    /// from the end: the line feed before it ends the line before.
    [[nodiscard]] std::string_view Last() const {
        const std::string_view lines(text_.data(), used_ - 2);
        const std::size_t feed = lines.rfind('\n');
        const std::size_t start = feed == std::string_view::npos ? 0 : feed + 1;
        return lines.substr(start);
    }
    /// The line that starts at `at`; `at` moves on to the next one. No line holds a line feed,
    /// so the first one after `at` is the end of this line.
    [[nodiscard]] std::string_view Next(std::size_t& at) const {
        const char* start = text_.data() + at;
        const auto* feed = static_cast<const char*>(std::memchr(start, '\n', used_ - at));
        const auto size = static_cast<std::size_t>(feed - start) - 1;
        at += size + 2;
        return {start, size};
    }
    /// Some line needs more than to be written as it is.
    [[nodiscard]] bool special() const { return special_; }
    /// The lines with their line ends.
    [[nodiscard]] std::string_view Text() const { return {text_.data(), used_}; }

  private:
    static constexpr std::size_t kSlack = 16;

    /// HasDoubleSpace of the staged line, inline: the slack after it lets every block of 16
    /// bytes be read whole, the bytes past the line masked off.
    [[nodiscard]] bool StagedHasDoubleSpace() const {
#if defined(__SSE2__)
        const char* line = text_.data() + used_;
        const __m128i spaces = _mm_set1_epi8(' ');
        // Bit k: a pair of spaces starts at byte i + k (the bytes from i to i + 16 are read).
        const auto pairs = [&](std::size_t i) {
            const auto at = [&](std::size_t k) {
                return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line + k)),
                                      spaces);
            };
            return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(at(i), at(i + 1))));
        };
        if (staged_ < 17) return staged_ >= 2 && (pairs(0) & ((1U << (staged_ - 1)) - 1)) != 0;
        for (std::size_t i = 0; i + 17 < staged_; i += 16) {
            if (pairs(i) != 0) return true;
        }
        // The last 16 pairs, overlapping the blocks before.
        return pairs(staged_ - 17) != 0;
#else
        return HasDoubleSpace({text_.data() + used_, staged_});
#endif
    }

    void Commit() {
        char* end = text_.data() + used_ + staged_;
        end[0] = '\r';
        end[1] = '\n';
        used_ += staged_ + 2;
        ++count_;
    }

    std::string text_;  // its size is the room; used_ bytes hold lines
    std::size_t used_ = 0;
    std::size_t staged_ = 0;
    std::size_t count_ = 0;
    bool special_ = false;
};

// The SubRip branch. A record is held in the buffer until the next record number shows that it
// is complete: only then is it known whether it had any text (an empty record is dropped) and
// whether a blank line separated it from the next.
class SubRipCorrection {
  public:
    SubRipCorrection(FrameRun& run, const CorrectionParams& params)
        : run_(run), params_(params), report_(run.report()), shaper_(run.ShapeSubRipRecords()) {}

    void Run() {
        if (FindFirstRecord()) MainLoop(StartFirstRecord());
        Finish();
    }

  private:
    /// The next line as read; false at the end of the input.
    bool ReadRaw(std::string& line) {
        std::string_view view;
        if (!ReadView(view)) return false;
        // Within the capacity the line already has, a plain copy (assign checks for overlap,
        // and resize would fill the new length first).
        line.clear();
        line.append(view.data(), view.size());
        lastBlank_ = IsBlankLine(line);
        return true;
    }

    /// The next line as a view into the input, valid until the next read or end test.
    bool ReadView(std::string_view& view) {
        do {
            if (!run_.ReadLine(view)) return false;
            // The empty line the shaper puts before a record that follows text directly: the
            // correction writes and reports that line itself when it finishes the record.
        } while (shaper_.AtAddedLine() && !shaper_.AtRecordNumber());
        return true;
    }

    bool ReadClean(std::string& line, std::string_view key) {
        if (!ReadRaw(line)) return false;
        Clean(line, key);
        return true;
    }

    /// A line that begins and ends with such characters is left as it is by CleanLineEnds.
    static bool PlainEdge(char c) {
        static constexpr auto kPlain = [] {
            std::array<bool, 256> plain{};
            for (std::size_t b = 0; b < plain.size(); ++b)
                plain[b] = b > ' ' && b != '<' && b != '>';
            return plain;
        }();
        return kPlain[static_cast<unsigned char>(c)];
    }

    void Clean(std::string& line, std::string_view key) {
        // The usual lines, which CleanLineEnds leaves as they are, spared the call: the empty
        // line between records, and a line that begins and ends with a visible character.
        if (line.empty()) {
            lastBlank_ = true;
            return;
        }
        if (PlainEdge(line.front()) && PlainEdge(line.back())) {
            lastBlank_ = false;
            return;
        }
        CleanLineEnds(line, key, report_);
        lastBlank_ = IsBlankLine(line);
    }

    /// The key of a neighbouring record: the current number plus delta, as text.
    [[nodiscard]] std::string KeyPlus(std::int64_t delta) const {
        return std::to_string(keyValue_ + delta);
    }

    [[gnu::always_inline]] void SetKey(std::string_view number, std::int32_t value) {
        // Within the capacity the strings already have, plain copies (assign checks for
        // overlap); the status keeps its fixed start, written once, from record to record.
        key_.resize(number.size());
        CopyBytes(key_.data(), number.data(), number.size());
        keyValue_ = value;
        if (!run_.interactive()) return;
        status_.resize(kStatusKey.size() + number.size());
        CopyBytes(status_.data() + kStatusKey.size(), number.data(), number.size());
        run_.host().ShowProgress(status_);
    }

    /// Lines before the first record: text is kept, blank lines go. True when a number line
    /// starts the first record; it is in line_.
    bool FindFirstRecord() {
        const std::string key = KeyPlus(1);
        while (ReadClean(line_, key)) {
            if (shaper_.AtRecordNumber()) return true;
            if (!IsBlankLine(line_)) run_.WriteLine(line_);
        }
        return false;
    }

    /// The first record's number and timing line. True when line_ holds a line read after the
    /// number that is no timing line: the main loop takes it as the record's first line.
    bool StartFirstRecord() {
        const bool added = shaper_.AtAddedLine();
        SetKey(line_, StrToIntSafe(line_));
        if (added) Report(report_, key_, kNumberInserted);
        buffer_->Take(line_);
        afterTiming_ = false;
        noText_ = true;
        hasText_ = false;
        timingSlot_ = false;
        blanks_ = 0;
        // The timing line is taken as read; blank lines before it go without a report.
        while (ReadRaw(line_)) {
            if (IsBlankLine(line_)) continue;
            bool rebuilt = false;
            const int kind = TimingKind(line_, rebuilt);
            // Taken as the timing line, text after the first number would be dropped with the
            // record as having no text.
            if (kind == 0) return true;
            buffer_->TakeTiming(TimingLineOf(line_, kind, rebuilt), rebuilt);
            timingRebuilt_ = rebuilt;
            timingSlot_ = true;
            afterTiming_ = true;
            return false;
        }
        return false;
    }

    /// The record's timing line: rebuilt in the standard form when TimeCorrection is on and the
    /// line is one of the four kinds, else as it is.
    std::string_view TimingLineOf(std::string_view line, int kind, bool rebuilt) {
        // A form other programs write is rebuilt whatever the setting: most readers want the
        // standard form. Its short millisecond fields follow the setting.
        if (kind < 1 || (!params_.timeCorrection && kind != kOtherTimingForm) || rebuilt) {
            return line;
        }
        const auto timing = ParseTimingLine(line, params_.timeCorrection);
        timing_.clear();
        AppendTimingLine(timing_, timing->on, timing->off);
        if (!timing->tail.empty()) {
            timing_ += ' ';
            timing_ += timing->tail;
        }
        if (kind >= 2) Report(report_, key_, kCorrectTimeFormat);
        return timing_;
    }

    /// Stages the line read in `into` and cleans it as Clean does (and, in the main loop, as
    /// FixJoinedCapital does); the view of the staged line.
    [[gnu::always_inline]] std::string_view StageClean(RecordBuffer& into, std::string_view read,
                                                       bool fixCase) {
        const std::string_view line = into.Stage(read);
        if (!fixCase) {
            // Nothing to clean: the usual lines, the empty line between records included.
            if (line.empty()) {
                lastBlank_ = true;
                return line;
            }
            if (PlainEdge(line.front()) && PlainEdge(line.back())) {
                lastBlank_ = false;
                return line;
            }
        }
        line_.assign(line);
        lastBlank_ = IsBlankLine(line_);
        Clean(line_, key_);
        if (fixCase && FixJoinedCapital(line_)) Report(report_, key_, kCaseCorrected);
        return into.Stage(line_);
    }

    /// The line after a record number, staged in next_ and cleaned; false at the end of the
    /// input.
    [[gnu::always_inline]] bool ReadTimingLine(std::string_view& line) {
        std::string_view view;
        if (!ReadView(view)) return false;
        line = StageClean(*next_, view, false);
        return true;
    }

    /// Lines after the first timing line, up to the last line of the input, which stays in
    /// line_ for Finish.
    void MainLoop(bool haveLine) {
        std::string_view view;
        while (haveLine || ReadView(view)) {
            if (haveLine) view = line_;
            haveLine = false;
            const std::string_view line = StageClean(*buffer_, view, params_.caseCorrection);
            // The run reads through the shaper: asked directly, it answers for the run.
            if (shaper_.AtEnd()) {
                line_.assign(line);
                heldLast_ = true;
                return;
            }
            if (IsBlankLine(line)) {
                ++blanks_;
                continue;
            }
            if (blanks_ > 0) ReportBlankLines();
            if (shaper_.AtRecordNumber()) {
                std::int32_t value = 0;
                const std::string_view number = RecordNumber(line, value);
                if (!NewRecord(number, value)) return;
            } else if (std::int32_t number = 0; StartsRecord(line, number)) {
                if (!NewRecord(line, number)) return;
            } else {
                buffer_->TakeStaged();
                noText_ = false;
                afterTiming_ = false;
                hasText_ = true;
                if (buffer_->size() >= kMostBufferedLines) FlushEarly();
            }
            blanks_ = 0;
        }
    }

    /// Blank lines are never written; one between two lines of a record passes without report.
    void ReportBlankLines() {
        if (afterTiming_ && !hasText_) {
            Report(
                report_, key_,
                " = Remove " + std::to_string(blanks_) + " Null-Line(s)! (between Time and Text)");
        } else if (hasText_ && blanks_ > 1) {
            Report(report_, key_,
                   " = Remove " + std::to_string(blanks_ - 1) +
                       " Null-Line(s)! (between Lines of Subtitle or before Next Subtitle)");
        }
    }

    /// A number line starts a record only when it continues the numbering: a number inside the
    /// dialogue ("1941", "3") would otherwise cut a subtitle in two. A record grown far beyond
    /// the line limit is taken for two stuck together, and then any number line starts one.
    /// `value` receives the number of a number line.
    bool StartsRecord(std::string_view line, std::int32_t& value) const {
        if (!ReadNumberLine(line, value)) return false;
        if (static_cast<std::int64_t>(RecordLines()) > std::int64_t{params_.maxLines} + 5) {
            return true;
        }
        // The key is always a number line: the difference never counts as -1 for want of a
        // value.
        const std::int64_t difference = std::int64_t{value} - keyValue_;
        return difference >= 0 && difference <= params_.deltaNumCorrection &&
               line.size() >= key_.size() && line.size() <= key_.size() + 1;
    }

    /// The number of the record whose number line (one with a timing line after it) is
    /// `line`, in `value`, and its text. A number the shaper added, or one that breaks the
    /// numbering, becomes the next number and is reported: the record is a subtitle whatever
    /// its number says.
    std::string_view RecordNumber(std::string_view line, std::int32_t& value) {
        const std::int64_t next = keyValue_ + 1;
        if (shaper_.AtAddedLine()) {
            number_ = std::to_string(next);
            Report(report_, number_, kNumberInserted);
            value = static_cast<std::int32_t>(next);
            return number_;
        }
        if (StartsRecord(line, value)) return line;
        std::string message(kNumberJump);
        message.append(line).append(kNumberJumpEnd);
        number_ = std::to_string(next);
        Report(report_, number_, message);
        value = static_cast<std::int32_t>(next);
        return number_;
    }

    /// The number line `number` starts a record. False when the input ended after it. The
    /// record's number and timing line gather in next_ while the record before is still to be
    /// finished.
    bool NewRecord(std::string_view number, std::int32_t value) {
        if (static_cast<std::int64_t>(RecordLines()) > std::int64_t{params_.maxLines} + 5) {
            Report(report_, key_,
                   std::string(kStickingSubtitles) + std::to_string(RecordLines() - 2) + " lines");
        }
        // From here on key_ holds the number: `number` may be a view into the buffer.
        SetKey(number, value);
        next_->Clear();
        next_->TakeNumber(key_);
        std::string_view line;
        bool found = false;
        bool blankLines = false;
        while ((found = ReadTimingLine(line)) && IsBlankLine(line))
            blankLines = true;
        if (blankLines) Report(report_, key_, kNullLinesAfterNumber);
        if (!found) {
            // Only blank lines followed the number: it is written after the record before it,
            // where the last line of the input would stand.
            line_.assign(key_);
            heldLast_ = true;
            return false;
        }
        bool rebuilt = false;
        const int kind = TimingKind(line, rebuilt);
        if (kind == 0) {
            // No timing line: the number was text of the current record after all. Both lines
            // count as its text, so that the record is not dropped as empty.
            buffer_->Take(key_);
            buffer_->Take(line);
            afterTiming_ = false;
            noText_ = false;
            hasText_ = true;
            return true;
        }
        // Rebuilt before the previous record is finished: its report line comes first.
        const std::string_view timing = TimingLineOf(line, kind, rebuilt);
        if (timing.data() != line.data()) next_->Stage(timing);
        next_->TakeStagedTiming(rebuilt);
        FinishRecord();
        std::swap(buffer_, next_);
        flushed_ = 0;
        timingRebuilt_ = rebuilt;
        timingSlot_ = true;
        afterTiming_ = true;
        noText_ = true;
        hasText_ = false;
        return true;
    }

    /// A record of more lines than any subtitle has (a text file under a timing line) is
    /// written as it grows rather than held whole. The buffer never ends at a bare dialogue
    /// hyphen, which waits for the line after it.
    void FlushEarly() {
        if (IsDialogHyphen(buffer_->Last())) return;
        Flush(false);
        flushed_ += buffer_->size();
        buffer_->Clear();
        timingSlot_ = false;
    }

    /// The lines of the current record, those written early included.
    [[nodiscard]] std::size_t RecordLines() const { return flushed_ + buffer_->size(); }

    /// Writes the record in the buffer, or drops it when it has no text line.
    void FinishRecord() {
        if (noText_) {
            Report(report_, KeyPlus(-1), kNullSubtitleDeleted);
            return;
        }
        if (WritesWhole()) {
            // The empty line after the record goes out with it.
            buffer_->TakeEmpty();
            run_.out().WriteRaw(buffer_->Text());
        } else {
            Flush(true);
            run_.WriteLine("");
        }
        if (blanks_ == 0) Report(report_, key_, kSpaceLineInserted);
    }

    /// The label of the report lines of the lines Flush writes: the key of the next record less
    /// one once that is known (`nextKnown`), the record's own key before. Made only when a
    /// line is reported, which few are.
    const std::string& FlushLabel() {
        if (!flushNextKnown_) return key_;
        if (!flushLabelMade_) {
            flushLabel_ = KeyPlus(-1);
            flushLabelMade_ = true;
        }
        return flushLabel_;
    }

    /// Nearly every record is written as it was read: all its lines in one piece. A record of
    /// more text than the writer stages at once goes line by line, as lines encode alone.
    [[nodiscard]] bool WritesWhole() const {
        return !buffer_->special() && buffer_->Text().size() <= kMostRawRecordBytes;
    }

    /// Writes the record's lines; their report lines carry FlushLabel().
    void Flush(bool nextKnown) {
        if (WritesWhole()) {
            run_.out().WriteRaw(buffer_->Text());
            return;
        }
        flushNextKnown_ = nextKnown;
        flushLabelMade_ = false;
        pending_.clear();
        std::size_t at = 0;
        for (std::size_t i = 0; i < buffer_->size(); ++i) {
            const std::string_view line = buffer_->Next(at);
            if (i == 1 && timingSlot_) {
                WriteRecordTiming(line);
                continue;
            }
            // Without a held hyphen JoinDialogHyphen would only copy the line, and without a
            // double space WriteBreakingDoubleSpaces would only write it.
            if (pending_.empty() && !IsBareHyphen(line)) {
                if (HasDoubleSpace(line)) {
                    WriteBreakingDoubleSpaces(run_.out(), line, FlushLabel(), report_);
                } else {
                    run_.WriteLine(line);
                }
                continue;
            }
            JoinDialogHyphen(line, pending_, text_);
            if (text_.empty()) {
                // A bare hyphen on the record's last line has nothing to join and is dropped.
                Report(report_, FlushLabel(), kDialogHyphenFixed);
            } else {
                WriteBreakingDoubleSpaces(run_.out(), text_, FlushLabel(), report_);
            }
        }
    }

    /// A timing line is never broken at a double space: that would cut it into three lines.
    /// A line in the rebuilt form (timingRebuilt_) has single spaces only.
    void WriteRecordTiming(std::string_view line) {
        if (timingRebuilt_ || !HasDoubleSpace(line)) {
            run_.WriteLine(line);
            return;
        }
        Report(report_, FlushLabel(), kDoubleSpaceRemoved);
        run_.WriteLine(CollapseSpaces(line));
    }

    /// The last record, the last line and the closing empty lines. The last record's double
    /// spaces are collapsed rather than broken into lines.
    void Finish() {
        // A hyphen dropped at the end of the record before must not be joined to this
        // record's number line.
        pending_.clear();
        std::size_t at = 0;
        for (std::size_t i = 0; i < buffer_->size(); ++i) {
            const std::string_view line = buffer_->Next(at);
            // As in Flush: a line with nothing to collapse or join is written as it is, not
            // copied twice on the way (a line of many megabytes would cost that much more).
            if (pending_.empty() && !IsDialogHyphen(line) && !HasDoubleSpace(line)) {
                run_.WriteLine(line);
                continue;
            }
            if (HasDoubleSpace(line)) {
                collapsed_ = CollapseSpaces(line);
                Report(report_, key_, kDoubleSpaceRemoved);
            } else {
                collapsed_.assign(line);
            }
            JoinDialogHyphen(collapsed_, pending_, text_);
            if (text_.empty()) {
                Report(report_, key_, kDialogHyphenFixed);
            } else {
                run_.WriteLine(text_);
            }
        }
        // The last line of the input belongs to the last record: a bare hyphen held back just
        // before it is joined to it as it would be to any other line of a subtitle.
        if (heldLast_ && !IsBlankLine(line_)) {
            JoinDialogHyphen(line_, pending_, text_);
            if (!text_.empty()) run_.WriteLine(text_);
        }
        if (!pending_.empty()) run_.WriteLine(pending_);
        // A file that ended with a text line gets the empty line that closes its last record;
        // one more always follows.
        if (!lastBlank_) run_.WriteLine("");
        run_.WriteLine("");
    }

    FrameRun& run_;
    const CorrectionParams& params_;
    LineList& report_;
    SubRipShaper& shaper_;
    std::string key_ = "0";
    std::int64_t keyValue_ = 0;
    // The current record's lines, and the next record's number and timing line while the
    // current one is finished; the two swap roles at each record.
    RecordBuffer buffers_[2];
    RecordBuffer* buffer_ = &buffers_[0];
    RecordBuffer* next_ = &buffers_[1];
    int blanks_ = 0;
    bool afterTiming_ = false;
    bool noText_ = false;
    bool hasText_ = false;
    static constexpr std::size_t kMostBufferedLines = 10'000;
    static constexpr std::size_t kMostRawRecordBytes = 64 * 1024;
    std::size_t flushed_ = 0;  // lines of the current record written by FlushEarly
    bool timingSlot_ = false;  // buffer_[1] is the record's timing line
    bool lastBlank_ = true;    // the last line read was blank (or there was none)
    bool heldLast_ = false;    // line_ is still to be written by Finish
    std::string line_;
    std::string number_;
    std::string timing_;
    std::string pending_;
    std::string text_;
    std::string collapsed_;
    std::string status_{kStatusKey};
    std::string flushLabel_;
    bool flushNextKnown_ = false;
    bool flushLabelMade_ = false;
    bool timingRebuilt_ = false;  // the timing line in buffer_[1] is in the rebuilt form
};

void CorrectMicroDvd(FrameRun& run, const CorrectionParams& params) {
    const char close = params.closeBracket;
    std::string_view line;
    std::string key;
    std::string text;
    std::string status;
    LineList& report = run.report();
    while (run.ReadLine(line)) {
        const std::string_view frames = TextBeforeNthChar(line, close, 2);
        // A blank line, or a line without the two frame fields, is no frame line.
        if (IsBlankLine(line) || frames.size() == line.size()) {
            run.WriteLine(line);
            continue;
        }
        key.assign(frames);
        key += close;
        text.assign(TextAfterNthChar(line, close, 2));
        if (run.interactive()) {
            status.assign(kStatusKey);
            status += key;
            run.host().ShowProgress(status);
        }
        if (RemoveSpacesBesideBars(text, true)) Report(report, key, kSpaceBeforeBarRemoved);
        const bool afterBar = RemoveSpacesBesideBars(text, false);
        if (params.caseCorrection && FixJoinedCapital(text)) Report(report, key, kCaseCorrected);
        if (afterBar) Report(report, key, kSpaceAfterBarRemoved);
        // The key and the text written one after the other: a long text is not copied again.
        run.out().WriteRaw(key);
        run.WriteLine(text);
    }
}

}  // namespace

void CleanLineEnds(std::string& line, std::string_view key, LineList& report) {
    if (IsBlankLine(line)) return;
    // Most lines begin and end with a printable character that is no tag bracket.
    const auto printable = [](char c) { return static_cast<unsigned char>(c) > ' '; };
    if (printable(line.front()) && printable(line.back()) && line.front() != '<' &&
        line.back() != '>') {
        return;
    }
    TrimLineEnds(line, key, report);
}

void JoinDialogHyphen(std::string_view line, std::string& pending, std::string& text) {
    text.clear();
    if (IsDialogHyphen(line)) {
        if (!pending.empty()) pending += ' ';
        pending += line;
        return;
    }
    if (!pending.empty()) {
        text.assign(pending);
        text += ' ';
        pending.clear();
    }
    text += line;
}

void WriteBreakingDoubleSpaces(LineWriter& out, std::string_view line, std::string_view key,
                               LineList& report) {
    if (!HasDoubleSpace(line)) {
        out.WriteLine(line);
        return;
    }
    // A dialogue hyphen with two spaces after it, at the start or after a tag such as "<i>",
    // is one line with loose spacing, not two lines run together.
    if (HyphenWithTwoSpaces(line)) {
        Report(report, key, kDoubleSpaceRemoved);
        out.WriteLine(CollapseSpaces(line));
        return;
    }
    LineList pieces;
    SplitByStr(line, "  ", pieces, false);
    for (std::string& piece : pieces) {
        std::string collapsed = CollapseSpaces(piece);
        if (collapsed.size() != piece.size()) {
            Report(report, key, kDoubleSpaceRemoved);
            piece = std::move(collapsed);
        }
    }
    for (const std::string& piece : pieces)
        out.WriteLine(TrimChar(piece, ' '));
    Report(report, key, " = Line Break on " + std::to_string(pieces.size()) + " Lines");
}

RunResult SubtitlesCorrection(const std::string& input, const std::string& output,
                              const CorrectionParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive,
                                         .checkOutputIsInput = true,
                                         .reportExt = "corr",
                                         .emptyReportMessage = kNoNeedCorrections,
                                         .deleteOutputOnEmptyReport = true}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        const std::string ext = LowerExtOf(input);
        if (ext == "srt") {
            SubRipCorrection(run, params).Run();
        } else if (ext == "sub") {
            CorrectMicroDvd(run, params);
        } else {
            // Shown even in directory mode. Nothing is kept: an empty output would wipe the
            // file out if "Rename out-File" put it in the input's place.
            run.host().ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(input));
            run.Abandon();
            return;
        }
        if (params.timeCorrection) run.report().emplace_back(kCheckedWithTimeCorrection);
    });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunSubtitlesCorrection(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return SubtitlesCorrection(a.input, a.output,
                               {.timeCorrection = s.Bool("TimeCorrection"),
                                .caseCorrection = s.Bool("CaseCorrection"),
                                .deltaNumCorrection = s.Int("DeltaNumCorrection"),
                                .maxLines = s.Int("SubLineCount"),
                                .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                                .interactive = a.interactive},
                               c.host);
}

constexpr std::string_view kCorrectionSettings[] = {
    "TimeCorrection", "CaseCorrection", "DeltaNumCorrection", "SubLineCount", "CloseBrackets"};
constexpr Trigger kCorrectionTriggers[] = {{"btnSubtitlesCorrection"}};
constexpr VariantCode kCorrectionCodes[] = {{kAnyVariant, 16}};

}  // namespace

extern const Operation kSubtitlesCorrectionOperation{
    .command = "correct",
    .summary = "clean up a SubRip or MicroDVD file",
    .help =
        "The general clean-up: stray and missing blank lines, empty subtitles, timing lines with\n"
        "\":\" before the milliseconds, glued capitals (with CaseCorrection=1), bare dialogue\n"
        "hyphens, lines run together with a double space, spaces and NUL characters at the line\n"
        "ends, spaces around the MicroDVD line bar. Writes film.out and lists every repair in\n"
        "film.corr; a file that needs nothing gets no output.",
    .triggers = kCorrectionTriggers,
    .logText = "[Subtitles Correction] Click",
    .codes = kCorrectionCodes,
    .settings = kCorrectionSettings,
    .run = RunSubtitlesCorrection,
};

}  // namespace tessaline
