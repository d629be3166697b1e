#include "ops/timing_fixes.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "core/times.hpp"
#include "ops/record_stream.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

// --- Fix Double Time ---------------------------------------------------------------------------

// Two records carry the same timing line and each has more than its number and timing.
bool ShareTiming(const StreamRecord& a, const StreamRecord& b) {
    return a.timed && b.timed && a.size() > 2 && b.size() > 2 && a.TimingLine() == b.TimingLine();
}

// Up to three records, the oldest first, and a place for the one being read: a ring of four
// places, so that each keeps its buffers and a record leaves without being moved.
struct RecordWindow {
    std::array<StreamRecord, 4> places;
    std::size_t first = 0;
    std::size_t held = 0;

    // The i-th record held, the oldest first; at(held) is the place for the next one.
    StreamRecord& at(std::size_t i) { return places[(first + i) % places.size()]; }

    // The first `count` records leave the window.
    void Drop(std::size_t count) {
        first = (first + count) % places.size();
        held -= count;
    }
};

// Writes the first `parts` records of the window with their shared range divided among them and
// takes them out of the window.
void WriteDivided(FrameRun& run, RecordWindow& window, int parts,
                  const FixDoubleTimeParams& params) {
    const SplitTimings split =
        SplitTiming(window.at(0).TimingLine(), parts, params.timeCorrection, params.oneTick);
    const std::string* timings[] = {&split.first, &split.second, &split.third};
    const auto count = static_cast<std::size_t>(parts);
    for (std::size_t i = 0; i < count; ++i)
        WriteRecord(run, window.at(i), *timings[i]);
    run.report().push_back(window.at(0).lines()[0] + "-" + window.at(count - 1).lines()[0] +
                           " = Break Time on " + std::to_string(parts) + " tails");
    window.Drop(count);
}

void DivideDoubleTimings(FrameRun& run, const FixDoubleTimeParams& params) {
    RecordStream stream(run.in(), params.timeCorrection);
    RecordWindow window;
    while (stream.Next(window.at(window.held))) {
        if (++window.held < 3) continue;
        if (ShareTiming(window.at(0), window.at(1)) && ShareTiming(window.at(1), window.at(2))) {
            WriteDivided(run, window, 3, params);
        } else if (ShareTiming(window.at(0), window.at(1))) {
            WriteDivided(run, window, 2, params);
        } else {
            WriteRecord(run, window.at(0));
            window.Drop(1);
        }
    }
    // The lines after the last subtitle, read into the place after the records held.
    const StreamRecord rest = std::move(window.at(window.held));
    // The last two subtitles of the file may share a timing as well.
    if (window.held == 2 && ShareTiming(window.at(0), window.at(1))) {
        WriteDivided(run, window, 2, params);
    }
    for (std::size_t i = 0; i < window.held; ++i)
        WriteRecord(run, window.at(i));
    for (const std::string_view line : rest.before)
        run.WriteLine(line);
}

// --- Fix Wrong Time ----------------------------------------------------------------------------

// What the examination of a subtitle decided.
struct WrongTimeFix {
    TimeMs on = 0;
    TimeMs off = 0;
    bool changed = false;
    bool join = false;
    std::string_view message;  // the report's text after the number; empty: nothing to report
};

constexpr std::string_view kCorrectOnForceOff =
    " = Correct ON-Time and Force Correct OFF-Time (extend!)";
constexpr std::string_view kCorrectOnAndOff = " = Correct ON-Time and OFF-Time";
constexpr std::string_view kCorrectOn = " = Correct ON-Time";
constexpr std::string_view kCorrectOff = " = Correct OFF-Time";
constexpr std::string_view kOutOfOrder = " = Time Not Corrected: Subtitles Out of Order!!!";

// The subtitle's first text line holds the timing that Compare Timings inserted ("<[-= ... =-]>").
bool HasInsertedTiming(const StreamRecord& rec) {
    if (!rec.HasText()) return false;
    const std::string& first = rec.lines()[rec.TextBegin()];
    return first.find("<[") != std::string::npos && first.find("]>") != std::string::npos;
}

// Examines `cur` between the previous subtitle (with its corrected times) and the next one.
WrongTimeFix ExamineWrongTime(const StreamRecord& prev, const StreamRecord& cur,
                              const StreamRecord& next, const FixWrongTimeParams& params,
                              TimeMs joinDelta) {
    WrongTimeFix fix{.on = cur.record.on, .off = cur.record.off};
    if (!prev.timed || !cur.timed || !next.timed) return fix;
    if (params.insTime && !HasInsertedTiming(cur)) return fix;
    // Signed arithmetic: subtitles out of order would otherwise wrap below zero.
    const std::int64_t prevOff = prev.record.off;
    const std::int64_t nextOn = next.record.on;
    std::int64_t on = cur.record.on;
    std::int64_t off = cur.record.off;
    if (on < prevOff) {
        // Later, the duration kept.
        off = prevOff + 1 + (off - on);
        on = prevOff + 1;
        if (params.forceExtend) {
            off = nextOn - 1;
            fix.message = kCorrectOnForceOff;
        } else if (nextOn < off) {
            off = nextOn - 1;
            fix.message = kCorrectOnAndOff;
            fix.join = params.joinText && off >= on && joinDelta > off - on;
        } else {
            fix.message = kCorrectOn;
        }
    } else if (nextOn < off) {
        off = nextOn - 1;
        fix.message = kCorrectOff;
    } else {
        return fix;
    }
    // A timing turned around (the next subtitle starts before this one may start) or beyond a
    // day cannot be written: the subtitle keeps its timing.
    if (off < on || off >= kDayMs) {
        fix.message = kOutOfOrder;
        fix.join = false;
        return fix;
    }
    fix.on = static_cast<TimeMs>(on);
    fix.off = static_cast<TimeMs>(off);
    fix.changed = !fix.join;
    if (fix.join) fix.message = {};  // the join has a report line of its own
    return fix;
}

class WrongTimeFixer {
  public:
    WrongTimeFixer(FrameRun& run, const FixWrongTimeParams& params)
        : run_(run),
          params_(params),
          joinDelta_(params.joinText ? TimeTextToMs(params.joinDelta) : 0),
          stream_(run.in(), params.timeCorrection) {}
    // The places are pointed into: a copy would point into the original.
    WrongTimeFixer(const WrongTimeFixer&) = delete;
    WrongTimeFixer& operator=(const WrongTimeFixer&) = delete;

    void Run() {
        if (!stream_.Next(*prev_)) {
            WriteStrays(*prev_);
            return;
        }
        WriteOpen(*prev_, std::nullopt);
        if (!stream_.Next(*cur_)) {
            WriteRest(*cur_);
            return;
        }
        while (stream_.Next(*next_)) {
            StreamRecord& cur = *cur_;
            const WrongTimeFix fix = ExamineWrongTime(*prev_, cur, *next_, params_, joinDelta_);
            if (!fix.message.empty()) {
                run_.report().push_back(cur.lines()[0] + std::string(fix.message));
            }
            if (fix.join) {
                Join(cur);
            } else {
                WriteClosing();
                std::optional<std::string> timing;
                if (fix.changed) {
                    timing = TimingLineWithTail(fix.on, fix.off, cur.TimingLine(),
                                                params_.timeCorrection);
                }
                WriteOpen(cur, timing);
            }
            cur.record.on = fix.on;
            cur.record.off = fix.off;
            // The places turn: the one of the record before takes the next one read.
            StreamRecord* const freed = prev_;
            prev_ = cur_;
            cur_ = next_;
            next_ = freed;
        }
        WriteRest(*cur_);
        WriteStrays(*next_);
    }

  private:
    // Writes a record without its closing empty line, which waits: a subtitle joined next goes
    // before it.
    void WriteOpen(const StreamRecord& rec, std::optional<std::string_view> timing) {
        WriteRecordLines(run_, rec, 0, rec.TextEnd(), timing);
        closing_.clear();
        for (std::size_t i = rec.TextEnd(); i < rec.size(); ++i)
            closing_.push_back(rec.lines()[i]);
        hostNumber_ = rec.lines()[0];
    }

    void WriteClosing() {
        for (const std::string& line : closing_)
            run_.WriteLine(line);
        closing_.clear();
    }

    // The text of a squeezed subtitle follows the text written last; its number and timing go.
    void Join(const StreamRecord& rec) {
        for (const std::string_view line : rec.before)
            run_.WriteLine(line);
        std::size_t from = rec.TextBegin();
        if (params_.insTime) ++from;  // the inserted timing is no text
        for (std::size_t i = from; i < rec.TextEnd(); ++i)
            run_.WriteLine(rec.lines()[i]);
        run_.report().push_back(rec.lines()[0] + " = Join this Subtitle with " + hostNumber_);
    }

    void WriteRest(const StreamRecord& last) {
        WriteClosing();
        if (!last.lines().empty()) {
            WriteRecord(run_, last);
        } else {
            WriteStrays(last);
        }
    }

    void WriteStrays(const StreamRecord& rec) {
        for (const std::string_view line : rec.before)
            run_.WriteLine(line);
    }

    FrameRun& run_;
    const FixWrongTimeParams& params_;
    TimeMs joinDelta_;
    RecordStream stream_;
    // Three places for records; they turn as the file is read, each keeping its buffers.
    std::array<StreamRecord, 3> places_;
    StreamRecord* prev_ = &places_[0];  // written but for its closing empty line
    StreamRecord* cur_ = &places_[1];   // being examined
    StreamRecord* next_ = &places_[2];  // just read
    LineList closing_;        // the closing line of the record written last
    std::string hostNumber_;  // the number of the record written last
};

FrameSteps ReportSteps(bool interactive, std::string_view ext, std::string_view emptyMessage) {
    return {.interactive = interactive, .reportExt = ext, .emptyReportMessage = emptyMessage};
}

}  // namespace

RunResult FixDoubleTime(const std::string& input, const std::string& output,
                        const FixDoubleTimeParams& params, Host& host) {
    const FrameRequest request{
        .input = input,
        .output = output,
        .steps = ReportSteps(params.interactive, "double", kNullDoubleLengthFile)};
    return RunByKind(request, host, [&](FrameRun& run) { DivideDoubleTimings(run, params); });
}

RunResult FixWrongTime(const std::string& input, const std::string& output,
                       const FixWrongTimeParams& params, Host& host) {
    const FrameRequest request{
        .input = input,
        .output = output,
        .steps = ReportSteps(params.interactive, "wrong", kNullWrongLengthFile)};
    return RunByKind(request, host, [&](FrameRun& run) { WrongTimeFixer(run, params).Run(); });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

RunResult RunFixDoubleTime(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return FixDoubleTime(a.input, a.output,
                         {.oneTick = s.Bool("OneTickDifferenceNearTimeFrame"),
                          .timeCorrection = s.Bool("TimeCorrection"),
                          .interactive = a.interactive},
                         c.host);
}

RunResult RunFixWrongTime(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return FixWrongTime(a.input, a.output,
                        {.forceExtend = s.Bool("ForceExtendTime"),
                         .joinText = s.Bool("JoinSubtitlesText"),
                         .joinDelta = s.Text("JoinDeltaTime"),
                         .insTime = s.Bool("InsTimings"),
                         .timeCorrection = s.Bool("TimeCorrection"),
                         .interactive = a.interactive},
                        c.host);
}

constexpr std::string_view kFixDoubleSettings[] = {"OneTickDifferenceNearTimeFrame",
                                                   "TimeCorrection"};
constexpr Trigger kFixDoubleTriggers[] = {{"btnFixDoubleTimingsSub"}};
constexpr VariantCode kFixDoubleCodes[] = {{kAnyVariant, 19}};

constexpr std::string_view kFixWrongSettings[] = {"ForceExtendTime", "JoinSubtitlesText",
                                                  "JoinDeltaTime", "InsTimings", "TimeCorrection"};
constexpr Trigger kFixWrongTriggers[] = {{"btnFixWrongTimingsAndJoinText"}};
constexpr VariantCode kFixWrongCodes[] = {{kAnyVariant, 20}};

}  // namespace

extern const Operation kFixDoubleTimeOperation{
    .command = "fix-double-time",
    .summary = "divide a timing shared by 2 or 3 subtitles among them",
    .help =
        "Where two or three consecutive subtitles carry the same timing line, divides the range\n"
        "among them: in halves or thirds, each part starting 1 ms after the previous one ends\n"
        "with OneTickDifferenceNearTimeFrame=1. Writes film.out and lists the divisions in\n"
        "film.double.",
    .triggers = kFixDoubleTriggers,
    .logText = "[Fix double Time] Click",
    .codes = kFixDoubleCodes,
    .settings = kFixDoubleSettings,
    .run = RunFixDoubleTime,
};

extern const Operation kFixWrongTimeOperation{
    .command = "fix-wrong-time",
    .summary = "correct timings that overlap their neighbours",
    .help =
        "Moves a subtitle that starts before the previous one ends to start 1 ms after it (its\n"
        "duration kept), and ends a subtitle 1 ms before the next one starts where it would\n"
        "overlap it (with ForceExtendTime=1 always). With JoinSubtitlesText=1 a subtitle\n"
        "squeezed below JoinDeltaTime joins the text of the previous one; with InsTimings=1\n"
        "only the subtitles marked by compare-timings are examined. The first and the last\n"
        "subtitle stay. Writes film.out and lists every change in film.wrong.",
    .triggers = kFixWrongTriggers,
    .logText = "[Fix Wrong Time] Click",
    .codes = kFixWrongCodes,
    .settings = kFixWrongSettings,
    .run = RunFixWrongTime,
};

}  // namespace tessaline
