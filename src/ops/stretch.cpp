#include "ops/stretch.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include "core/errors.hpp"
#include "files/encoding.hpp"
#include "files/fs.hpp"
#include "ops/controls.hpp"
#include "ops/offset.hpp"
#include "ops/renumber.hpp"
#include "ops/settings.hpp"
#include "ops/timing_scan.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// Where range mode 3 starts to bend the times (frame numbers) towards New End, as a share of End.
constexpr long double kTimeKnee = 0.55L;
constexpr long double kFrameKnee = 0.67L;

bool HasArrow(std::string_view line) {
    return line.find("-->") != npos;
}

// Reads the input in the frame without writing anything, giving each timing line to `timing`
// until it returns false. Timing lines are read as every operation reads them; a line that
// quotes an arrow is text.
RunResult ForEachTiming(const std::string& input, bool pad, Host& host,
                        const std::function<bool(const ParsedTiming&)>& timing) {
    const std::string none;
    const FrameRequest request{.input = input, .output = none, .steps = {.writesOutput = false}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        std::string_view line;
        while (run.ReadLine(line)) {
            if (!HasArrow(line)) continue;
            const auto parsed = ParseTimingLine(line, pad);
            if (parsed && !timing(*parsed)) return;
        }
    });
}

// The range as the timings come: the first sets Begin, every one (the first too, so that a file
// of one subtitle has a range) sets End.
class RangeBuilder {
  public:
    void Add(std::int64_t on, std::int64_t off) {
        if (empty_) range_.begin = on;
        empty_ = false;
        range_.end = off;
        lastOn_ = on;
    }
    // Full measures to the last end; with lastOnTime End then moves to the last start.
    Range Finish(bool lastOnTime) {
        range_.full = range_.end > range_.begin ? range_.end - range_.begin : 0;
        if (lastOnTime) range_.end = lastOn_;
        return range_;
    }

  private:
    Range range_;
    std::int64_t lastOn_ = 0;
    bool empty_ = true;
};

// (target + begin * target / base - begin) / base: the factor that the range modes share, in
// extended precision. It is target / base when begin is 0.
long double Spread(long double target, long double base, long double begin) {
    return (target + begin * (target / base) - begin) / base;
}

// Range mode 3: times up to the knee are scaled by the factor and a ratio of the two deflection
// numbers; later ones are drawn towards New End, so that End lands on New End exactly.
struct Deflection {
    long double end = 0;
    long double newEnd = 0;
    long double ratio = 1;
    long double knee = 0;
};

Deflection MakeDeflection(std::int64_t end, std::int64_t newEnd, long double share, int def1,
                          int def2) {
    Deflection bend{.end = static_cast<long double>(end),
                    .newEnd = static_cast<long double>(newEnd),
                    .ratio = 1,
                    .knee = static_cast<long double>(end)};
    // A deflection number below 1 (only --set can give one) would divide by zero or turn the
    // times negative: the ratio stays 1 then.
    const bool usable = def1 > 0 && def2 > 0;
    if (newEnd < end) {
        if (usable) bend.ratio = static_cast<long double>(def1) / def2;
        bend.knee = share * bend.end;
    } else if (newEnd > end) {
        if (usable) bend.ratio = static_cast<long double>(def2) / def1;
        bend.knee = (1 - share) * bend.end;
    }
    return bend;
}

// Maps the times (frame numbers) of a pass and keeps what the first and the last timing became.
class Mapping {
  public:
    Mapping(double factor, std::optional<Deflection> bend, bool keepFirst)
        : factor_(factor), bend_(bend), keepFirst_(keepFirst) {}

    // The new on and off of the next timing. The first timing stays with "Keep first Sub";
    // otherwise how far it moved is the shift that the second file undoes.
    std::pair<std::int64_t, std::int64_t> Next(std::int64_t on, std::int64_t off) {
        std::pair<std::int64_t, std::int64_t> mapped{on, off};
        if (!(first_ && keepFirst_)) {
            mapped = {Scale(on), Scale(off)};
            if (first_) shift_ = mapped.first - on;
        }
        first_ = false;
        lastOn_ = mapped.first;
        lastOff_ = mapped.second;
        return mapped;
    }

    [[nodiscard]] std::int64_t shift() const { return shift_; }
    [[nodiscard]] std::int64_t lastOn() const { return lastOn_; }
    [[nodiscard]] std::int64_t lastOff() const { return lastOff_; }

  private:
    [[nodiscard]] std::int64_t Scale(std::int64_t value) const {
        const long double t = static_cast<long double>(value);
        const long double a = t * static_cast<long double>(factor_) * (bend_ ? bend_->ratio : 1);
        long double scaled = a;
        if (bend_ && t > bend_->knee && bend_->end != bend_->knee) {
            scaled = a + (bend_->newEnd - a) * (t - bend_->knee) / (bend_->end - bend_->knee);
        }
        // Far beyond any film (a factor typed as 1e300): no time or frame number to write, and
        // the shifts computed from it would overflow.
        if (!(scaled > -kLargest && scaled < kLargest)) {
            const std::string text = std::to_string(value);
            throw ConversionError(text, "'" + text + "' stretched is out of range");
        }
        return RoundToEven(scaled);
    }

    static constexpr long double kLargest = 1e15L;

    double factor_;  // computed in extended precision, kept as a double
    std::optional<Deflection> bend_;
    bool keepFirst_;
    bool first_ = true;
    std::int64_t shift_ = 0;
    std::int64_t lastOn_ = 0;
    std::int64_t lastOff_ = 0;
};

// The timing line of two times, with the tail after a space when there is one.
void WriteTimingWithTail(LineWriter& out, TimeMs on, TimeMs off, std::string_view tail,
                         std::string& scratch) {
    char timing[kTimingLineLength];
    WriteTimingLine(timing, on, off);
    if (tail.empty()) {
        out.WriteLine(std::string_view(timing, sizeof timing));
        return;
    }
    scratch.assign(timing, sizeof timing);
    scratch += ' ';
    scratch += tail;
    out.WriteLine(scratch);
}

// The second file of a range stretch of times, written in the stretch's own pass: every line the
// stretch writes, its timing lines moved by `delta`, which is what Offset Time run over the
// output afterwards writes (both read timing lines alike, and the output's lines read back are
// the lines written). It gives up as soon as a moved time would stop or fail that run; Offset
// Time then runs after all, with its own messages.
class SecondFile {
  public:
    // `delta`: how the timing lines move, fixed by the first timing (see SecondShift).
    using DeltaOf = std::function<std::optional<std::int64_t>(std::int64_t firstShift)>;

    SecondFile(const std::string& path, const FileEncoding& encoding, bool pad, DeltaOf deltaOf)
        : pending_(path),
          out_(pending_.path(), encoding, encoding.form()),
          encoding_(encoding),
          pad_(pad),
          deltaOf_(std::move(deltaOf)) {}

    [[nodiscard]] bool usable() const { return usable_; }
    [[nodiscard]] const FileEncoding& encoding() const { return encoding_; }
    [[nodiscard]] std::uint64_t timings() const { return timings_; }

    void Plain(std::string_view line) {
        if (usable_) out_.WriteLine(line);
    }

    // Whole lines with their CR LF ends, as they are.
    void PlainLines(std::string_view lines) {
        if (usable_) out_.WriteRaw(lines);
    }

    // The timing line the stretch wrote: the standard form of `on` and `off`, then `tail`.
    void Timing(std::int64_t on, std::int64_t off, std::string_view tail, std::int64_t firstShift,
                std::string_view written, std::string& scratch) {
        if (!usable_) return;
        if (!delta_) {
            delta_ = deltaOf_(firstShift);
            if (!delta_) return GiveUp();
        }
        if (!tail.empty()) {
            // Offset Time reads the written line anew: a tail is taken back as it reads it.
            const auto again = ParseTimingLine(written, pad_);
            if (!again) return GiveUp();
            on = again->on;
            off = again->off;
            tail = again->tail;
        }
        const std::int64_t movedOn = on + *delta_;
        const std::int64_t movedOff = off + *delta_;
        // Below zero Offset Time stops the run; from a day on it fails with a conversion error.
        if (movedOn < 0 || movedOff < 0 || movedOn >= kDayMs || movedOff >= kDayMs) return GiveUp();
        ++timings_;
        WriteTimingWithTail(out_, static_cast<TimeMs>(movedOn), static_cast<TimeMs>(movedOff), tail,
                            scratch);
    }

    // Closes the file and puts it at its path; false (the file removed) when that fails.
    [[nodiscard]] bool Place() {
        try {
            out_.Close();
        } catch (const FileError&) {
            return false;
        }
        return pending_.PlaceNoReplace();
    }

    [[nodiscard]] std::optional<std::int64_t> delta() const { return delta_; }

  private:
    void GiveUp() { usable_ = false; }

    TempFile pending_;
    LineWriter out_;
    FileEncoding encoding_;
    bool pad_;
    DeltaOf deltaOf_;
    std::optional<std::int64_t> delta_;
    std::uint64_t timings_ = 0;
    bool usable_ = true;
};

// The stretch pass of times. A file whose text is its bytes is taken a block of whole lines at a
// time while their ends are all CR LF, the ends every line is written with: the lines between two
// timing lines are copied as they stand, timing lines in the usual form are rewritten in place,
// and any other line with an arrow is read and stretched on its own. The reader passes the lines
// as reading them would, up to each line read on its own, at the end of the block, and up to a
// timing line whose new times fail (the error names its line). From the first block with another
// line end on, and in every other file, each line is read and written on its own.
class TimeLineStretcher {
  public:
    TimeLineStretcher(FrameRun& run, Mapping& mapping, bool pad, SecondFile* second)
        : run_(run), in_(run.in()), mapping_(mapping), pad_(pad), second_(second) {}

    void Run() {
        bool blocks = run_.encoding().passthrough();
        std::string_view line;
        for (;;) {
            const std::string_view lines = blocks ? in_.BufferedLines() : std::string_view();
            const auto count = lines.empty() ? std::nullopt : CrLfLineCount(lines);
            if (count) {
                Block(lines, *count);
                continue;
            }
            if (!lines.empty()) blocks = false;
            if (!run_.ReadLine(line)) return;
            Line(line);
        }
    }

  private:
    // A line read on its own.
    void Line(std::string_view line) {
        const auto parsed = HasArrow(line) ? ParseTimingLine(line, pad_) : std::nullopt;
        if (parsed) return Retime(line, *parsed);
        run_.WriteLine(line);
        if (second_ != nullptr) second_->Plain(line);
    }

    // A timing line read as `parsed`, written with its new times.
    void Retime(std::string_view line, const ParsedTiming& parsed) {
        const auto [on, off] = mapping_.Next(parsed.on, parsed.off);
        if (second_ == nullptr) {
            WriteRetimedLine(run_, on, off, line, parsed.tail, written_);
            return;
        }
        WriteTimingLine(timing_, CheckedTime(on, line), CheckedTime(off, line));
        std::string_view out(timing_, sizeof timing_);
        if (!parsed.tail.empty()) {
            written_.assign(timing_, sizeof timing_);
            written_ += ' ';
            written_ += parsed.tail;
            out = written_;
        }
        run_.WriteLine(out);
        second_->Timing(on, off, parsed.tail, mapping_.shift(), out, secondScratch_);
    }

    // `count` whole lines in the reader's buffer, each ending in CR LF.
    void Block(std::string_view lines, std::size_t count) {
        lines_ = lines;
        passed_ = 0;
        left_ = count;
        copied_ = 0;
        std::string_view line;
        for (std::size_t from = 0;;) {
            const std::size_t at = NextArrowEnd(lines, from);
            if (at == npos) break;
            const std::size_t start = UsualTimingLineAt(lines, at);
            if (start == npos) {
                const auto* lf = static_cast<const char*>(
                    std::memchr(lines.data() + at, '\n', lines.size() - at));
                const std::size_t next = static_cast<std::size_t>(lf - lines.data()) + 1;
                PassTo(LineStartOf(lines, at));
                (void)run_.ReadLine(line);
                --left_;
                Line(line);
                passed_ = copied_ = from = next;
                continue;
            }
            CopyTo(start);
            const std::string_view usual = lines.substr(start, kTimingLineLength);
            try {
                Retime(usual, UsualTimes(usual.data()));
            } catch (const ConversionError&) {
                PassTo(start);
                (void)run_.ReadLine(line);
                throw;
            }
            const std::size_t end = start + kTimingLineLength;
            copied_ = from = end + (lines[end] == '\r' ? 2 : 1);
        }
        CopyTo(lines.size());
        in_.SkipBufferedLines(lines.size() - passed_, left_);
    }

    // Writes the lines of the block up to `to` as they stand.
    void CopyTo(std::size_t to) {
        const std::string_view plain = lines_.substr(copied_, to - copied_);
        if (!plain.empty()) {
            run_.out().WriteRaw(plain);
            if (second_ != nullptr) second_->PlainLines(plain);
        }
        copied_ = to;
    }

    // Writes and passes the lines of the block up to `to`.
    void PassTo(std::size_t to) {
        CopyTo(to);
        const std::size_t n = CountLineEnds(lines_.substr(passed_, to - passed_));
        in_.SkipBufferedLines(to - passed_, n);
        passed_ = to;
        left_ -= n;
    }

    FrameRun& run_;
    LineReader& in_;
    Mapping& mapping_;
    bool pad_;
    SecondFile* second_;
    std::string written_;
    std::string secondScratch_;
    char timing_[kTimingLineLength] = {};
    // The block: its lines, the bytes the reader has passed, the lines it has not, the bytes
    // written.
    std::string_view lines_;
    std::size_t passed_ = 0;
    std::size_t left_ = 0;
    std::size_t copied_ = 0;
};

void StretchTimeLines(FrameRun& run, Mapping& mapping, bool pad, SecondFile* second) {
    TimeLineStretcher(run, mapping, pad, second).Run();
}

void StretchFrameLines(FrameRun& run, Mapping& mapping, char open, char close) {
    std::string_view line;
    std::string written;
    while (run.ReadLine(line)) {
        if (line.find(open) == npos) {
            run.WriteLine(line);
            continue;
        }
        const FrameLine frames = ReadFrameLine(line, open, close);
        const auto [on, off] = mapping.Next(frames.on, frames.off);
        written.clear();
        AppendFramePair(written, open, on, off, close);
        written += frames.text;
        run.WriteLine(written);
    }
}

// A rate or a typed factor as a number, from a millionth to a million (decimal comma): what lies
// outside makes no film's times.
std::optional<long double> UsableNumber(std::string_view text) {
    const auto value = ParseFramesPerSecond(text);
    if (!value || !(*value >= 1e-6L && *value <= 1e6L)) return std::nullopt;
    return value;
}

// The same, or a ConversionError that names the text.
long double PositiveNumber(std::string_view text, std::string_view what) {
    const auto value = UsableNumber(text);
    if (!value) {
        throw ConversionError(text, "'" + std::string(text) + "' is not a " + std::string(what));
    }
    return *value;
}

// The factor of the frame-rate conversion. Nothing when there is nothing to do (equal rates, an
// empty coefficient box), or, with `stop` Refused, when a message said why not.
std::optional<double> RateFactor(const StretchParams& p, Host& host, RunResult& stop) {
    stop = RunResult::Skipped;
    if (p.source == FactorSource::Coefficient) {
        if (p.coefficient.empty() || p.coefficient == " ") return std::nullopt;
        return static_cast<double>(PositiveNumber(p.coefficient, "factor"));
    }
    if (p.sourceRate == p.targetRate) return std::nullopt;
    const long double source = PositiveNumber(p.sourceRate, "frame rate");
    if (const auto target = ParseFramesPerSecond(p.targetRate); target && *target == 0) {
        host.ShowMessage(kDivisionByZero);
        stop = RunResult::Refused;
        return std::nullopt;
    }
    return static_cast<double>(source / PositiveNumber(p.targetRate, "frame rate"));
}

std::optional<double> Refuse(Host& host, RunResult& stop) {
    host.ShowMessage(kDivisionByZero);
    stop = RunResult::Refused;
    return std::nullopt;
}

// The factor of the range stretch of times.
std::optional<double> TimeRangeFactor(const StretchParams& p, Host& host, RunResult& stop) {
    stop = RunResult::Skipped;
    const std::int64_t b = p.range.begin;
    const std::int64_t e = p.range.end;
    const std::int64_t n = p.newEnd;
    // The pickers show whole seconds: New End at 00:00:00, or End and New End in the same
    // second, leave nothing to do (the millisecond boxes are not compared).
    if (n / 1000 == 0 || e / 1000 == n / 1000) return std::nullopt;
    switch (p.mode) {
        case RangeMode::ShiftToBegin: {
            if (b == 0) {
                if (e == 0) return std::nullopt;
                return static_cast<double>(static_cast<long double>(n) / e);
            }
            // Measured from Begin's whole seconds, its milliseconds spread over the range.
            const std::int64_t seconds = b / 1000 * 1000;
            if (e == seconds) return std::nullopt;
            return static_cast<double>(Spread(n - seconds, e - seconds, b % 1000));
        }
        case RangeMode::FullTimes: {
            if (p.range.full == 0) return Refuse(host, stop);
            const std::int64_t newFull = n > b ? n - b : 0;
            return static_cast<double>(Spread(newFull, p.range.full, b));
        }
        default:  // End, Deflection, and a mode that --set made up
            if (e == 0) return Refuse(host, stop);
            return static_cast<double>(Spread(n, e, b));
    }
}

// The factor of the range stretch of frame numbers; nothing to do ends it without a message.
std::optional<double> FrameRangeFactor(const StretchParams& p) {
    if (p.newEnd == 0 || p.newEnd == p.range.end || p.range.full == 0) return std::nullopt;
    // In extended precision: frame numbers read from a file may be far apart.
    const long double b = static_cast<long double>(p.range.begin);
    const long double e = static_cast<long double>(p.range.end);
    const long double n = static_cast<long double>(p.newEnd);
    switch (p.mode) {
        case RangeMode::ShiftToBegin:
            if (e == 0) return std::nullopt;
            if (b == 0) return static_cast<double>(n / e);
            // Counted in frames from Begin, both ends included.
            if (e - b + 1 == 0) return std::nullopt;
            return static_cast<double>(Spread(n - b + 1, e - b + 1, 1));
        case RangeMode::FullTimes:
            return static_cast<double>(Spread(n - b, static_cast<long double>(p.range.full), b));
        default:
            if (e == 0) return std::nullopt;
            return static_cast<double>(Spread(n, e, b));
    }
}

// The frame's own stops before it opens anything, made before a zero file is written.
std::optional<RunResult> CheckBeforeFiles(const std::string& input, const std::string& output,
                                          bool interactive, Host& host) {
    if (output.empty()) return RunResult::Skipped;
    if (PathExists(output)) {
        if (interactive) host.ShowRefusal(kOutputFileExist, ExistingOutputWayOut(output));
        return RunResult::Refused;
    }
    if (output == input || input.find('*') != npos || !IsRegularFile(input)) {
        return RunResult::Skipped;
    }
    return std::nullopt;
}

// Shifts a whole file by an offset, earlier with minus: Offset Time or Offset Frame.
using ShiftFile = std::function<RunResult(const std::string& from, const std::string& to,
                                          std::int64_t offset, bool minus)>;

// One stretch: the factor and how its files are made.
struct Plan {
    double factor = 1;
    std::optional<Deflection> bend;
    bool range = false;          // the range stretch: zero and second files
    std::int64_t zeroShift = 0;  // range mode 1 with a Begin: shift the input back first
    std::int64_t begin = 0;      // Begin of the range
    bool shiftToBegin = false;   // range mode 1
    bool lastOnTime = false;     // BeginTimeFrameOfLastSubtitle
    bool keepFirst = false;
    bool interactive = true;  // "Output File Exist!!!" is shown
    bool pad = false;         // TimeCorrection
    /// The second file may be written in the stretch's pass (times; frames always shift after).
    bool secondInPass = false;
    std::function<void(FrameRun&, Mapping&, SecondFile*)> pass;
    ShiftFile shiftFile;
};

// Where the second file can come from the stretch's pass: the lines Offset Time would read back
// from the output are the lines the stretch wrote, in a file it decides to be stored alike.
bool SecondInPassPossible(const Plan& plan, const std::string& source, const std::string& output) {
    return plan.secondInPass && plan.range && output.find('*') == npos &&
           LowerExtOf(output) != "sub" && StreamedRun::Of(source) == nullptr &&
           StreamedRun::Of(output) == nullptr && !PathExists(output + "2");
}

// What Offset Time's run over the output shows when it runs to the end, for a second file that
// was written in the stretch's pass.
void ShowSecondRun(Host& host, const SecondFile& second, TimeMs offset, bool minus,
                   std::uint64_t lines) {
    host.SetStatus(StatusField::OffsetTime, StatusState::Running);
    host.SetBusy(true);
    host.SummarizeRun(OffsetSummary(second.timings(), offset, minus));
    host.SummarizeRun(CountText(lines, "line", "lines"));
    host.SetBusy(false);
    host.SetStatus(StatusField::OffsetTime, StatusState::Idle);
}

// The second file of the pass put in place, as Offset Time over the output would have made it;
// false when that run must be made after all.
bool PlaceSecondFromPass(SecondFile& second, const std::string& output, std::int64_t offset,
                         bool minus) {
    if (!second.usable() || second.delta() != (minus ? -offset : offset)) return false;
    try {
        if (!(DecideFileEncoding(output) == second.encoding())) return false;
    } catch (const FileError&) {
        return false;
    }
    return second.Place();
}

RunResult StretchFiles(const std::string& input, const std::string& output, const Plan& plan,
                       Host& host, StretchOutcome& outcome) {
    if (const auto stop = CheckBeforeFiles(input, output, plan.interactive, host)) return *stop;
    bool told = false;  // a message was shown and the run carried on: it ends refused
    std::string source = input;
    if (plan.zeroShift != 0) {
        const std::string zero = input + "0";
        outcome.offset = plan.zeroShift;
        outcome.minus = true;
        if (PathExists(zero)) {
            host.ShowMessage(kInputZeroFileExist);
            told = true;
        } else {
            // A shift stopped by a subtitle that starts before Begin leaves a zero file cut
            // short: stretching it would drop every subtitle after the cut, and a later run
            // would take it for a zero file made on purpose. It goes, and the stretch stops.
            const RunResult shifted = plan.shiftFile(input, zero, plan.zeroShift, true);
            if (shifted != RunResult::Done) {
                if (shifted == RunResult::Stopped) (void)DeleteFile(zero);
                return shifted;
            }
            source = zero;
        }
    }

    Mapping mapping(plan.factor, plan.bend, plan.keepFirst);
    const FrameRequest request{
        .input = source, .output = output, .steps = {.interactive = plan.interactive}};
    // The shift of the second file, as the first timing fixes it (below).
    const auto secondDelta = [&plan](std::int64_t firstShift) -> std::optional<std::int64_t> {
        if (firstShift != 0) return -firstShift;
        if (plan.shiftToBegin && plan.begin != 0) return plan.begin;
        return std::nullopt;
    };
    std::optional<SecondFile> secondFile;
    std::uint64_t linesRead = 0;
    const bool secondInPass = SecondInPassPossible(plan, source, output);
    const RunResult passed = RunInFrame(request, host, [&](FrameRun& run) {
        if (secondInPass && run.encoding().passthrough()) {
            try {
                secondFile.emplace(output + "2", run.encoding(), plan.pad, secondDelta);
            } catch (const FileError&) {
                secondFile.reset();  // Offset Time makes it after the pass, or says why not
            }
        }
        plan.pass(run, mapping, secondFile ? &*secondFile : nullptr);
        linesRead = run.in().LineNumber();
    });
    if (passed != RunResult::Done) return passed;
    outcome.ran = true;
    outcome.newEnd = mapping.lastOff();
    if (!plan.range) return told ? RunResult::Refused : RunResult::Done;

    // The second file puts the first subtitle back where it was, or in range mode 1 the whole
    // file back after Begin.
    std::int64_t secondShift = 0;
    if (mapping.shift() != 0) {
        outcome.minus = mapping.shift() > 0;
        secondShift = mapping.shift() > 0 ? mapping.shift() : -mapping.shift();
        // What the second file ends with (the New End box shows what a file holds, also after
        // the bend of range mode 3).
        outcome.newEnd = mapping.lastOff() - mapping.shift();
    } else if (plan.shiftToBegin && plan.begin != 0) {
        outcome.minus = false;
        secondShift = plan.begin;
        outcome.newEnd = plan.begin + (plan.lastOnTime ? mapping.lastOn() : mapping.lastOff());
    }
    if (secondShift == 0) return told ? RunResult::Refused : RunResult::Done;
    outcome.offset = secondShift;
    const std::string second = output + "2";
    if (PathExists(second)) {
        host.ShowMessage(kOutputSecondFileExist);
        return RunResult::Refused;
    }
    if (secondFile &&
        PlaceSecondFromPass(*secondFile, output, secondShift, *outcome.minus)) {
        ShowSecondRun(host, *secondFile, static_cast<TimeMs>(secondShift), *outcome.minus,
                      linesRead);
        return told ? RunResult::Refused : RunResult::Done;
    }
    const RunResult shifted = plan.shiftFile(output, second, secondShift, *outcome.minus);
    return told || shifted != RunResult::Done ? RunResult::Refused : RunResult::Done;
}

// The stretch of times (SubRip) or frame numbers (MicroDVD).
RunResult Stretch(const std::string& input, const std::string& output, const StretchParams& params,
                  Host& host, StretchOutcome& outcome, bool frames) {
    RunResult stop = RunResult::Skipped;
    const bool range = params.source == FactorSource::Range;
    std::optional<double> factor;
    if (!range) {
        factor = RateFactor(params, host, stop);
    } else {
        factor = frames ? FrameRangeFactor(params) : TimeRangeFactor(params, host, stop);
    }
    if (!factor) return stop;
    Plan plan{.factor = *factor,
              .range = range,
              .begin = params.range.begin,
              .shiftToBegin = params.mode == RangeMode::ShiftToBegin,
              .lastOnTime = params.lastOnTime,
              .keepFirst = params.keepFirst,
              // Offset Frame, and so the frame stretch, always says that the output exists.
              .interactive = frames || params.interactive};
    // The bend belongs to the range: a frame-rate conversion has no End to aim at.
    if (range && params.mode == RangeMode::Deflection) {
        plan.bend = MakeDeflection(params.range.end, params.newEnd, frames ? kFrameKnee : kTimeKnee,
                                   params.def1, params.def2);
    }
    if (range && plan.shiftToBegin) plan.zeroShift = params.range.begin;
    const bool pad = params.timeCorrection;
    const char open = params.openBracket;
    const char close = params.closeBracket;
    if (frames) {
        plan.pass = [open, close](FrameRun& run, Mapping& mapping, SecondFile*) {
            StretchFrameLines(run, mapping, open, close);
        };
        plan.shiftFile = [open, close, &host](const std::string& from, const std::string& to,
                                              std::int64_t offset, bool minus) {
            return OffsetFrame(
                from, to,
                {.offset = offset, .minus = minus, .openBracket = open, .closeBracket = close},
                host);
        };
    } else {
        plan.pad = pad;
        plan.secondInPass = true;
        plan.pass = [pad](FrameRun& run, Mapping& mapping, SecondFile* second) {
            StretchTimeLines(run, mapping, pad, second);
        };
        plan.shiftFile = [pad, &host](const std::string& from, const std::string& to,
                                      std::int64_t offset, bool minus) {
            return OffsetTime(
                from, to,
                {.offset = static_cast<TimeMs>(offset), .minus = minus, .timeCorrection = pad},
                host);
        };
    }
    const RunResult result = StretchFiles(input, output, plan, host, outcome);
    if (outcome.ran) {
        outcome.newFull = outcome.newEnd - params.range.begin;
        // A time picker shows no negative time.
        if (!frames && outcome.newFull < 0) outcome.newFull = 0;
    }
    return result;
}

}  // namespace

void WriteRetimedLine(FrameRun& run, std::int64_t on, std::int64_t off, std::string_view line,
                      std::string_view tail, std::string& scratch) {
    WriteTimingWithTail(run.out(), CheckedTime(on, line), CheckedTime(off, line), tail, scratch);
}

// --- The range ---------------------------------------------------------------------------------

RunResult GetTimeRange(const std::string& input, const RangeParams& params, Host& host,
                       Range& range) {
    // Only the first and the last timing shape the range.
    TimingEnds ends;
    const std::string none;
    const FrameRequest request{.input = input, .output = none, .steps = {.writesOutput = false}};
    const RunResult result = RunInFrame(
        request, host, [&](FrameRun& run) { ReadTimingEnds(run, params.timeCorrection, ends); });
    if (result != RunResult::Done) return result;
    RangeBuilder builder;
    if (ends.first) {
        builder.Add(ends.first->on, ends.first->off);
        builder.Add(ends.last->on, ends.last->off);
    }
    range = builder.Finish(params.lastOnTime);
    return result;
}

RunResult GetFrameRange(const std::string& input, const RangeParams& params, Host& host,
                        Range& range) {
    RangeBuilder builder;
    const std::string none;
    const FrameRequest request{.input = input, .output = none, .steps = {.writesOutput = false}};
    const RunResult result = RunInFrame(request, host, [&](FrameRun& run) {
        std::string_view line;
        while (run.ReadLine(line)) {
            if (line.find(params.openBracket) == npos) continue;
            const FrameLine frames = ReadFrameLine(line, params.openBracket, params.closeBracket);
            builder.Add(frames.on, frames.off);
        }
    });
    if (result == RunResult::Done) range = builder.Finish(params.lastOnTime);
    return result;
}

RunResult SetTime(const std::string& input, const std::string& output, const SetTimeParams& params,
                  Host& host, SetTimeOutcome& outcome) {
    std::optional<TimeMs> reference;
    const RunResult scanned =
        ForEachTiming(input, params.timeCorrection, host, [&](const ParsedTiming& timing) {
            reference = params.atEnd && !params.lastOnTime ? timing.off : timing.on;
            return params.atEnd;  // the first timing is all that Begin needs
        });
    if (scanned != RunResult::Done) return scanned;
    if (!reference) return RunResult::Skipped;  // no timing to move
    outcome.found = true;
    outcome.reference = *reference;
    outcome.minus = !(*reference < params.target);
    outcome.offset = outcome.minus ? *reference - params.target : params.target - *reference;
    return OffsetTime(
        input, output,
        {.offset = outcome.offset, .minus = outcome.minus, .timeCorrection = params.timeCorrection},
        host);
}

// --- The stretch -------------------------------------------------------------------------------

RunResult StretchTimes(const std::string& input, const std::string& output,
                       const StretchParams& params, Host& host, StretchOutcome& outcome) {
    return Stretch(input, output, params, host, outcome, false);
}

RunResult StretchFrames(const std::string& input, const std::string& output,
                        const StretchParams& params, Host& host, StretchOutcome& outcome) {
    return Stretch(input, output, params, host, outcome, true);
}

std::string CoefficientText(std::string_view sourceRate, std::string_view targetRate) {
    const auto source = ParseFramesPerSecond(sourceRate);
    const auto target = ParseFramesPerSecond(targetRate);
    if (!source || !target) return {};
    if (*target == 0) return std::string(kDivisionByZero);
    char text[64];
    const int size =
        std::snprintf(text, sizeof text, "%.15Lg", static_cast<long double>(*source / *target));
    std::string written(text, static_cast<std::size_t>(size));
    for (char& c : written) {
        if (c == '.') c = ',';
    }
    return written;
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

// The variants of the range commands: the Range of Time or the Range of Frames group.
enum RangeVariant { kTimes = 0, kFrames = 1 };

bool IsFrames(int variant) {
    return variant == kFrames;
}

// The command line chooses the variant by the file's kind; false for a file that is neither
// SubRip nor MicroDVD.
bool ChooseByKind(const OptionValues&, std::string_view path, int& variant) {
    const std::string ext = LowerExtOf(path);
    if (ext != "srt" && ext != "sub") return false;
    variant = ext == "srt" ? kTimes : kFrames;
    return true;
}

// The Range of Time group runs on SubRip files only, the Range of Frames group on MicroDVD.
bool SuitsVariant(const RunArgs& a) {
    return LowerExtOf(a.input) == (IsFrames(a.variant) ? "sub" : "srt");
}

RangeParams RangeParamsOf(const OperationContext& c) {
    const Settings& s = c.settings;
    return {.lastOnTime = s.Bool("BeginTimeFrameOfLastSubtitle"),
            .timeCorrection = s.Bool("TimeCorrection"),
            .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
            .closeBracket = FirstChar(s.Text("CloseBrackets"), '}')};
}

// A value of the boxes as a time value; the boxes hold times below 24 hours.
TimeMs BoxTime(std::int64_t value) {
    return static_cast<TimeMs>(std::clamp<std::int64_t>(value, 0, kDayMs - 1));
}

// Get Range Time / Get Range Frames: the boxes show the range; New End starts at End.
RunResult ReadRangeInto(OperationContext& c, const RunArgs& a, Range& range) {
    const bool frames = IsFrames(a.variant);
    const RangeParams params = RangeParamsOf(c);
    const RunResult result = frames ? GetFrameRange(a.input, params, c.host, range)
                                    : GetTimeRange(a.input, params, c.host, range);
    if (result != RunResult::Done) return result;
    ControlValues& v = c.controls;
    if (frames) {
        v.SetNumber("sedBeginFrame", range.begin);
        v.SetNumber("sedEndFrame", range.end);
        v.SetNumber("sedFullFrames", range.full);
        v.SetNumber("sedNewEndFrame", range.end);
        return result;
    }
    // The millisecond boxes are set with their pickers, so none of an earlier file's stays.
    v.SetTime("dtpBeginTime", "seBeginTimeMls", BoxTime(range.begin));
    v.SetTime("dtpEndTime", "seEndTimeMls", BoxTime(range.end));
    v.SetTime("dtpFullTime", "seFullTimeMls", BoxTime(range.full));
    v.SetTime("dtpNewEndTime", "seNewEndTimeMls", BoxTime(range.end));
    v.SetNumber("RememberedFullTime", range.full);
    return result;
}

RunResult RunGetRange(OperationContext& c, const RunArgs& a) {
    if (!SuitsVariant(a)) return RunResult::Skipped;
    Range range;
    const RunResult result = ReadRangeInto(c, a, range);
    if (result != RunResult::Done) return result;
    if (IsFrames(a.variant)) {
        c.host.PrintResult("Begin Frame: " + std::to_string(range.begin));
        c.host.PrintResult("End Frame: " + std::to_string(range.end));
        c.host.PrintResult("Full Frames: " + std::to_string(range.full));
    } else {
        c.host.PrintResult("Begin Time: " + MsToTimeText(BoxTime(range.begin)));
        c.host.PrintResult("End Time: " + MsToTimeText(BoxTime(range.end)));
        c.host.PrintResult("Full Time: " + MsToTimeText(BoxTime(range.full)));
    }
    return result;
}

constexpr std::string_view kRangeSettings[] = {"BeginTimeFrameOfLastSubtitle", "TimeCorrection",
                                               "OpenBrackets", "CloseBrackets"};
constexpr std::string_view kRangeControls[] = {
    "dtpBeginTime",  "seBeginTimeMls", "dtpEndTime",    "seEndTimeMls",
    "dtpFullTime",   "seFullTimeMls",  "dtpNewEndTime", "seNewEndTimeMls",
    "sedBeginFrame", "sedEndFrame",    "sedFullFrames", "sedNewEndFrame"};
constexpr Trigger kGetRangeTriggers[] = {
    {"btnGetRangeTime", kTimes}, {"btnGetRangeFrames", kFrames, "[Get Range Frames] Click"}};

// Set Time: next to Begin Time the first subtitle moves to Begin, next to New End Time the last.
enum SetTimeVariant { kSetBegin = 0, kSetEnd = 1 };

RunResult RunSetTime(OperationContext& c, const RunArgs& a) {
    ControlValues& v = c.controls;
    const bool atEnd = a.variant == kSetEnd;
    const char* clock = atEnd ? "dtpNewEndTime" : "dtpBeginTime";
    const char* ms = atEnd ? "seNewEndTimeMls" : "seBeginTimeMls";
    SetTimeOutcome outcome;
    const RunResult result = SetTime(a.input, a.output,
                                     {.target = v.Time(clock, ms),
                                      .atEnd = atEnd,
                                      .lastOnTime = c.settings.Bool("BeginTimeFrameOfLastSubtitle"),
                                      .timeCorrection = c.settings.Bool("TimeCorrection")},
                                     c.host, outcome);
    if (!outcome.found) return result;
    // The Offset Time controls show the shift that ran; the box shows the time the file had.
    v.SetTime("dtpOffsetTime", "seOffsetTimeMls", outcome.offset);
    v.SetBool("cbOffsetTimeMinus", outcome.minus);
    v.SetTime(clock, ms, outcome.reference);
    return result;
}

std::optional<std::string> CheckSetTimeOptions(const OptionValues& values) {
    if (values.contains("--begin") == values.contains("--end")) {
        return std::string("give one of --begin and --end");
    }
    return std::nullopt;
}

bool ChooseSetTime(const OptionValues& values, std::string_view, int& variant) {
    variant = values.contains("--end") ? kSetEnd : kSetBegin;
    return true;
}

constexpr OptionDef kSetTimeOptions[] = {
    {.name = "--begin",
     .kind = OptionKind::Time,
     .valueName = "TIME",
     .control = "dtpBeginTime",
     .msControl = "seBeginTimeMls",
     .help = "the first subtitle starts at TIME"},
    {.name = "--end",
     .kind = OptionKind::Time,
     .valueName = "TIME",
     .control = "dtpNewEndTime",
     .msControl = "seNewEndTimeMls",
     .help = "the last subtitle ends at TIME"},
};
constexpr std::string_view kSetTimeSettings[] = {"BeginTimeFrameOfLastSubtitle", "TimeCorrection"};
constexpr std::string_view kSetTimeControls[] = {
    "dtpBeginTime",  "seBeginTimeMls",  "dtpNewEndTime",    "seNewEndTimeMls",
    "dtpOffsetTime", "seOffsetTimeMls", "cbOffsetTimeMinus"};
constexpr Trigger kSetTimeTriggers[] = {{"btnSetBeginTime", kSetBegin},
                                        {"btnSetEndTime", kSetEnd, "[Set End Time] Click"}};

// The parameters that the range stretch and the frame-rate conversion share.
StretchParams StretchParamsOf(const OperationContext& c, bool frames) {
    const Settings& s = c.settings;
    const ControlValues& v = c.controls;
    StretchParams p{.mode = static_cast<RangeMode>(s.Int("SprainRangeMode")),
                    .def1 = s.Int("iDef1"),
                    .def2 = s.Int("iDef2"),
                    .lastOnTime = s.Bool("BeginTimeFrameOfLastSubtitle"),
                    .sourceRate = s.Text("FramesAtSec"),
                    .targetRate = s.Text("FramesAtSecTarget"),
                    .coefficient = v.Text("edFramesAtSecCoefficient"),
                    .keepFirst = v.Bool("cbFirstSubtitle"),
                    .timeCorrection = s.Bool("TimeCorrection"),
                    .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
                    .closeBracket = FirstChar(s.Text("CloseBrackets"), '}')};
    if (frames) {
        p.range = {.begin = v.Number("sedBeginFrame"),
                   .end = v.Number("sedEndFrame"),
                   .full = v.Number("sedFullFrames")};
        p.newEnd = v.Number("sedNewEndFrame");
    } else {
        p.range = {.begin = v.Time("dtpBeginTime", "seBeginTimeMls"),
                   .end = v.Time("dtpEndTime", "seEndTimeMls"),
                   .full = v.Number("RememberedFullTime")};
        p.newEnd = v.Time("dtpNewEndTime", "seNewEndTimeMls");
    }
    return p;
}

// Shows what a stretch did: New End and New Full, and for the range stretch the Offset Time
// (Offset Frame) controls it ran the zero and second files with.
void ShowStretch(ControlValues& v, const StretchOutcome& o, bool frames, bool range) {
    if (o.ran && frames) {
        v.SetNumber("sedNewEndFrame", o.newEnd);
        v.SetNumber("sedNewFullFrames", o.newFull);
    } else if (o.ran) {
        v.SetTime("dtpNewEndTime", "seNewEndTimeMls", BoxTime(o.newEnd));
        v.SetTime("dtpNewFullTime", "seNewFullTimeMls", BoxTime(o.newFull));
        if (range) v.SetNumber("RememberedNewFullTime", o.newFull);
    }
    if (o.offset && frames) v.SetNumber("sedOffsetCntFrames", *o.offset);
    if (o.offset && !frames) v.SetTime("dtpOffsetTime", "seOffsetTimeMls", BoxTime(*o.offset));
    if (o.minus) v.SetBool(frames ? "cbOffsetFrameMinus" : "cbOffsetTimeMinus", *o.minus);
}

// A frame number of the command line: a whole number from 0 to a billion (beyond any film).
std::optional<std::int64_t> FrameNumberText(std::string_view text) {
    constexpr std::int64_t kMostFrames = 1'000'000'000;
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < 0 || value > kMostFrames) {
        return std::nullopt;
    }
    return value;
}

// The command line's --begin and --new-end over the range read from the file: a time for a
// SubRip file, a frame number for a MicroDVD file. False after a message about a value of the
// other kind.
bool ApplyStretchValues(OperationContext& c, bool frames) {
    ControlValues& v = c.controls;
    const struct {
        const char* option;
        const char* value;
        const char* clock;
        const char* ms;
        const char* frame;
    } values[] = {
        {"--begin", "StretchBegin", "dtpBeginTime", "seBeginTimeMls", "sedBeginFrame"},
        {"--new-end", "StretchNewEnd", "dtpNewEndTime", "seNewEndTimeMls", "sedNewEndFrame"}};
    for (const auto& value : values) {
        const std::string& text = v.Text(value.value);
        if (text.empty()) continue;
        const auto time = frames ? std::nullopt : ParseTimeValue(text);
        const auto frame = frames ? FrameNumberText(text) : std::nullopt;
        if (!time && !frame) {
            c.host.ShowMessage(std::string(value.option) +
                               (frames ? " takes a frame number for a MicroDVD file, not '"
                                       : " takes a time hh:mm:ss[,mmm] for a SubRip file, not '") +
                               text + "'");
            return false;
        }
        if (time) v.SetTime(value.clock, value.ms, *time);
        if (frame) v.SetNumber(value.frame, *frame);
    }
    return true;
}

RunResult RunStretch(OperationContext& c, const RunArgs& a) {
    if (!SuitsVariant(a)) return RunResult::Skipped;
    const bool frames = IsFrames(a.variant);
    // The command line gives New End (and Begin) instead of the boxes: the range of the file is
    // read first.
    if (!c.controls.Text("StretchNewEnd").empty()) {
        Range range;
        const RunResult read = ReadRangeInto(c, a, range);
        if (read != RunResult::Done) return read;
        if (!ApplyStretchValues(c, frames)) return RunResult::Refused;
    }
    StretchParams params = StretchParamsOf(c, frames);
    params.interactive = a.interactive;
    StretchOutcome outcome;
    const RunResult result = frames ? StretchFrames(a.input, a.output, params, c.host, outcome)
                                    : StretchTimes(a.input, a.output, params, c.host, outcome);
    ShowStretch(c.controls, outcome, frames, true);
    return result;
}

std::optional<std::string> CheckRangeValue(std::string_view value, std::string& stored) {
    if (!ParseTimeValue(value) && !FrameNumberText(value)) {
        return "a range value is a time hh:mm:ss[,mmm] (SubRip) or a frame number (MicroDVD), "
               "not '" +
               std::string(value) + "'";
    }
    stored = value;
    return std::nullopt;
}

constexpr OptionDef kStretchOptions[] = {
    {.name = "--new-end",
     .kind = OptionKind::Text,
     .valueName = "VALUE",
     .control = "StretchNewEnd",
     .required = true,
     .check = CheckRangeValue,
     .help = "where the range is to end: hh:mm:ss[,mmm], or a frame"},
    {.name = "--begin",
     .kind = OptionKind::Text,
     .valueName = "VALUE",
     .control = "StretchBegin",
     .check = CheckRangeValue,
     .help = "the range's start instead of the first subtitle's"},
    kKeepFirstOption,
};
constexpr std::string_view kStretchSettings[] = {
    "SprainRangeMode", "iDef1",        "iDef2",        "BeginTimeFrameOfLastSubtitle",
    "TimeCorrection",  "OpenBrackets", "CloseBrackets"};
constexpr std::string_view kStretchControls[] = {
    "dtpBeginTime",      "seBeginTimeMls",   "dtpEndTime",        "seEndTimeMls",
    "dtpFullTime",       "seFullTimeMls",    "dtpNewFullTime",    "seNewFullTimeMls",
    "dtpNewEndTime",     "seNewEndTimeMls",  "sedBeginFrame",     "sedEndFrame",
    "sedFullFrames",     "sedNewFullFrames", "sedNewEndFrame",    "cbFirstSubtitle",
    "dtpOffsetTime",     "seOffsetTimeMls",  "cbOffsetTimeMinus", "sedOffsetCntFrames",
    "cbOffsetFrameMinus"};
constexpr Trigger kStretchTriggers[] = {
    {"btnSprainRangeTime", kTimes},
    {"btnSprainRangeFrames", kFrames, "[Sprain Range Frames] Click"}};

// The frame-rate conversion: each file by its own kind, so that a folder run over SubRip or
// MicroDVD files treats every file alike.
RunResult RunStretchFps(OperationContext& c, const RunArgs& a) {
    const std::string ext = LowerExtOf(a.input);
    if (ext != "srt" && ext != "sub") return RunResult::Skipped;
    const bool frames = ext == "sub";
    StretchParams params = StretchParamsOf(c, frames);
    params.source =
        c.controls.Int("rgCoefficient") == 1 ? FactorSource::Coefficient : FactorSource::Difference;
    params.interactive = a.interactive;
    StretchOutcome outcome;
    const RunResult result = frames ? StretchFrames(a.input, a.output, params, c.host, outcome)
                                    : StretchTimes(a.input, a.output, params, c.host, outcome);
    ShowStretch(c.controls, outcome, frames, false);
    return result;
}

std::optional<std::string> CheckFactor(std::string_view value, std::string& stored) {
    if (!UsableNumber(value)) {
        return "--factor takes a positive number such as 1,04271, not '" + std::string(value) + "'";
    }
    stored = value;
    return std::nullopt;
}

constexpr OptionDef kStretchFpsOptions[] = {
    {.name = "--factor",
     .kind = OptionKind::Text,
     .valueName = "K",
     .control = "edFramesAtSecCoefficient",
     .check = CheckFactor,
     .help = "multiply by K instead of FramesAtSec / FramesAtSecTarget",
     .alsoControl = "rgCoefficient",
     .alsoValue = "1"},
    kKeepFirstOption,
};
constexpr std::string_view kStretchFpsSettings[] = {
    "FramesAtSec", "FramesAtSecTarget", "TimeCorrection", "OpenBrackets", "CloseBrackets"};
constexpr std::string_view kStretchFpsControls[] = {"rgCoefficient", "edFramesAtSecCoefficient",
                                                    "cbFirstSubtitle"};
constexpr Trigger kStretchFpsTriggers[] = {{"btnSprainRangeTimeAtSec", kTimes}};
// Over a folder the button runs the code of times; each file is still treated by its kind.
constexpr VariantCode kStretchFpsCodes[] = {{kTimes, 10}, {kFrames, 23}};

}  // namespace

extern const Operation kGetRangeOperation{
    .command = "get-range",
    .summary = "print the first and the last timing of a file",
    .help =
        "Prints the range of a SubRip file (Begin Time, End Time, Full Time) or of a MicroDVD\n"
        "file (Begin Frame, End Frame, Full Frames). With BeginTimeFrameOfLastSubtitle=1 the\n"
        "range ends where the last subtitle starts. Nothing is written.",
    .preparePath = ChooseByKind,
    .triggers = kGetRangeTriggers,
    .logText = "[Get Range Time] Click",
    .extension = "srt|sub",
    .outputExt = "",
    .settings = kRangeSettings,
    .controls = kRangeControls,
    .run = RunGetRange,
};

extern const Operation kSetTimeOperation{
    .command = "set-time",
    .summary = "shift a SubRip file so that it starts or ends at a time",
    .help =
        "Shifts every timing (as offset-time does) so that the first subtitle starts at --begin,\n"
        "or the last one ends at --end (starts there, with BeginTimeFrameOfLastSubtitle=1).\n"
        "A file that is there already is not written.",
    .options = kSetTimeOptions,
    .checkOptions = CheckSetTimeOptions,
    .preparePath = ChooseSetTime,
    .triggers = kSetTimeTriggers,
    .logText = "[Set Begin Time] Click",
    .extension = "srt",
    .settings = kSetTimeSettings,
    .controls = kSetTimeControls,
    .run = RunSetTime,
};

extern const Operation kStretchOperation{
    .command = "stretch",
    .summary = "stretch the range of a file to a new end",
    .help =
        "Reads the range of the file as get-range does and multiplies every time (SubRip) or\n"
        "frame number (MicroDVD) so that the range ends at --new-end, by the range mode of\n"
        "SprainRangeMode (0 End, 1 End with shift to Begin, 2 Full Times, 3 deflection).\n"
        "Writes film.out; film.out2 when the first subtitle moved, shifted back to where it\n"
        "was; in range mode 1 with a Begin, the input shifted to start at zero as film.srt0.",
    .options = kStretchOptions,
    .preparePath = ChooseByKind,
    .triggers = kStretchTriggers,
    .logText = "[Sprain Range Time] Click",
    .extension = "srt|sub",
    .settings = kStretchSettings,
    .controls = kStretchControls,
    .run = RunStretch,
};

extern const Operation kStretchFpsOperation{
    .command = "stretch-fps",
    .summary = "convert the timings from one frame rate to another",
    .help =
        "Multiplies every time (SubRip) or frame number (MicroDVD) by FramesAtSec divided by\n"
        "FramesAtSecTarget (25 to 23,976: --set FramesAtSecTarget=23,976), or by --factor K.\n"
        "Equal rates leave nothing to do.",
    .options = kStretchFpsOptions,
    .preparePath = ChooseByKind,
    .triggers = kStretchFpsTriggers,
    .logText = "[Sprain Range Time / Frames at Second] Click",
    .extension = "srt|sub",
    .codes = kStretchFpsCodes,
    .settings = kStretchFpsSettings,
    .controls = kStretchFpsControls,
    .run = RunStretchFps,
};

}  // namespace tessaline
