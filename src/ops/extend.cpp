#include "ops/extend.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/errors.hpp"
#include "core/strings.hpp"
#include "core/times.hpp"
#include "files/fs.hpp"
#include "files/records.hpp"
#include "files/report_file.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kOnNextTime = " = Extended OFF-Time to On-Next-Time";

// Appends a line with its CR LF, as it will be written.
void AppendLine(std::string& lines, std::string_view line) {
    lines.append(line);
    lines += "\r\n";
}

// A short subtitle waiting for the next on-time, which limits how far its off-time may move.
struct Held {
    bool active = false;
    std::int64_t on = 0;     // already moved
    std::int64_t off = 0;    // as read
    std::string tail;        // " " + the part after the off-time that begins with "<", or ""
    std::string reference;   // its own number
    std::string text;        // its text lines, as they will be written
    bool textEnded = false;  // the empty line after its text was read
    // The lines that are not blank after that: the next subtitle's number line, and any text
    // that a blank line inside the subtitle cut off.
    std::string after;
    std::optional<std::size_t> number;  // where the last number line among them starts
};

class Extender {
  public:
    Extender(FrameRun& run, const ExtendTimeParams& params, std::int64_t wanted, ReportFile& report)
        : run_(run), p_(params), wanted_(wanted), report_(report) {}

    void Walk() {
        std::string_view line;
        while (run_.ReadLine(line)) {
            const bool arrow = line.find("-->") != std::string_view::npos;
            if (!arrow && IsNumberStr(line)) reference_.assign(line);
            std::optional<ParsedTiming> timing;
            if (arrow) {
                try {
                    timing = ParseTimingLine(line, p_.timeCorrection);
                } catch (const ConversionError&) {
                    // The walk goes on. The line is written as it stands; a subtitle held before
                    // it keeps its off-time, since where the next one starts is unknown.
                    run_.host().ShowMessage("Error on Line " + reference_);
                    if (held_.active) Flush(held_.off, false);
                    run_.WriteLine(line);
                    continue;
                }
            }
            if (timing) {
                Timing(line, *timing);
            } else if (held_.active) {
                Hold(line);
            } else {
                run_.WriteLine(line);
            }
        }
        if (held_.active) Flush(held_.off + wanted_, true);
    }

  private:
    void Timing(std::string_view line, const ParsedTiming& timing) {
        const std::int64_t on = timing.on;
        const std::int64_t off = timing.off;
        if (first_ && p_.keepFirst) {
            first_ = false;
            run_.WriteLine(line);
            prevOff_ = off;
            return;
        }
        first_ = false;
        if (held_.active) Flush(on, false);
        // A negative duration is not short: such a subtitle is left to the time test.
        if (const std::int64_t duration = off - on; duration < 0 || duration >= wanted_) {
            run_.WriteLine(line);
            prevOff_ = off;
            return;
        }
        std::int64_t newOn = on;
        if (p_.deltaOn < on - prevOff_) {
            newOn = on - p_.deltaOn;
            report_.Add(
                {reference_, " = Extended ON-Time to On-Delta-Time: ", std::to_string(p_.deltaOn)});
        } else if (on != prevOff_) {
            // Into the gap up to the previous off-time, or later to it when they overlap.
            newOn = prevOff_;
            report_.Add({reference_, " = Extended ON-Time to Off-Prev-Time"});
        }
        held_.active = true;
        held_.on = newOn;
        held_.off = off;
        held_.tail.clear();
        if (!timing.tail.empty()) {
            held_.tail = ' ';
            held_.tail += timing.tail;
        }
        held_.reference = reference_;
        held_.text.clear();
        held_.textEnded = false;
        held_.after.clear();
        held_.number.reset();
        prevOff_ = off;
    }

    // A line while a subtitle is held: its text up to the first empty line; after that only the
    // lines that are not blank (extra blank lines go).
    void Hold(std::string_view line) {
        if (!held_.textEnded) {
            if (IsBlankLine(line)) {
                held_.textEnded = true;
            } else {
                AppendLine(held_.text, line);
            }
            return;
        }
        if (IsBlankLine(line)) return;
        if (IsNumberStr(line)) held_.number = held_.after.size();
        AppendLine(held_.after, line);
    }

    // Writes the held subtitle with its off-time moved towards `limit` (the next on-time; at the
    // end of the file the held off-time plus the wanted minimum). Its report lines name the
    // subtitle by its own number.
    void Flush(std::int64_t limit, bool atEnd) {
        const std::int64_t on = held_.on;
        const std::int64_t off = held_.off;
        const std::string& ref = held_.reference;
        std::int64_t newOff = off;
        if (!p_.maxExtend) {
            if (p_.deltaOff >= limit - off) {
                if (limit != off) {
                    newOff = limit;
                    report_.Add({ref, kOnNextTime});
                }
            } else {
                newOff = off + p_.deltaOff;
                report_.Add(
                    {ref, " = Extended OFF-Time to Off-Delta-Time: ", std::to_string(p_.deltaOff)});
            }
        } else if (off - on >= wanted_) {
            // Moving the on-time gave the minimum already: only an overlap is cut.
            if (limit < off) {
                newOff = limit;
                report_.Add({ref, kOnNextTime});
            }
        } else if (limit <= on + wanted_) {
            newOff = limit;
            if (limit != off) report_.Add({ref, kOnNextTime});
        } else {
            newOff = on + wanted_;
            report_.Add({ref, " = Extended Delta Time on ", std::to_string(wanted_), " Mls"});
        }
        if (!atEnd) prevOff_ = newOff;

        timing_.clear();
        AppendTimingLine(timing_, CheckedTime(on, ref), CheckedTime(newOff, ref));
        timing_ += held_.tail;
        run_.WriteLine(timing_);
        LineWriter& out = run_.out();
        out.WriteRaw(held_.text);
        // Text cut off by a blank line stays with its subtitle; the empty line that ends the
        // subtitle comes before the next number line.
        const std::string_view after = held_.after;
        const std::size_t numberAt = held_.number.value_or(after.size());
        out.WriteRaw(after.substr(0, numberAt));
        if (held_.textEnded) out.WriteLine("");
        out.WriteRaw(after.substr(numberAt));
        held_.active = false;
    }

    FrameRun& run_;
    const ExtendTimeParams& p_;
    const std::int64_t wanted_;  // D, the wanted minimum in milliseconds
    ReportFile& report_;
    std::string reference_;     // the last number line
    std::int64_t prevOff_ = 0;  // P
    bool first_ = true;
    Held held_;
    std::string timing_;
};

// The wanted minimum is the time "00:00:ss" plus the milliseconds: seconds beyond 59 are no time.
std::int64_t WantedMinimum(const ExtendTimeParams& p) {
    char clock[32];
    std::snprintf(clock, sizeof clock, "00:00:%02d", p.minSeconds);
    return std::int64_t{ClockToMs(ClockFromText(clock), 0)} + p.minMilliseconds;
}

}  // namespace

RunResult ExtendTime(const std::string& input, const std::string& output,
                     const ExtendTimeParams& params, Host& host) {
    const std::int64_t wanted = WantedMinimum(params);
    // The report may hold a line or two for every subtitle of the file: it goes to disk as it
    // grows.
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive,
                                         .reportExt = "extend",
                                         .emptyReportMessage = kNoExtendTimings},
                               .nothingToDo = params.deltaOn == 0 && params.deltaOff == 0};
    bool empty = false;
    const RunResult result = RunWithReportFile(
        request, host,
        [&](FrameRun& run, ReportFile& report) { Extender(run, params, wanted, report).Walk(); },
        empty);
    // Nothing extended: the output is the input again, and goes.
    if (result == RunResult::Done && empty) (void)DeleteFile(output);
    return result;
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunExtendTime(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return ExtendTime(a.input, a.output,
                      {.deltaOn = s.Int("DeltaTimeMlsOn"),
                       .deltaOff = s.Int("DeltaTimeMlsOff"),
                       .minSeconds = s.Int("minDeltaTime"),
                       .minMilliseconds = s.Int("minDeltaTimeMls"),
                       .maxExtend = s.Bool("MaxExtend"),
                       .keepFirst = c.controls.Bool("cbFirstSubtitle"),
                       .timeCorrection = s.Bool("TimeCorrection"),
                       .interactive = a.interactive},
                      c.host);
}

constexpr OptionDef kExtendTimeOptions[] = {kKeepFirstOption};
constexpr std::string_view kExtendTimeSettings[] = {"DeltaTimeMlsOn", "DeltaTimeMlsOff",
                                                    "minDeltaTime",   "minDeltaTimeMls",
                                                    "MaxExtend",      "TimeCorrection"};
constexpr std::string_view kExtendTimeControls[] = {"cbFirstSubtitle"};
constexpr Trigger kExtendTimeTriggers[] = {{"btnExtendDeltaSubTime"}, {"btnExtendDeltaSubTimeDbl"}};
constexpr VariantCode kExtendTimeCodes[] = {{kAnyVariant, 9}};

}  // namespace

extern const Operation kExtendTimeOperation{
    .command = "extend-time",
    .summary = "lengthen subtitles that are shown too briefly",
    .help =
        "Subtitles shorter than minDeltaTime,minDeltaTimeMls start up to DeltaTimeMlsOn earlier\n"
        "and end later (MaxExtend=1: up to that minimum, else by DeltaTimeMlsOff), never past\n"
        "their neighbours. Writes film.out and the report film.extend; when nothing was\n"
        "extended, prints \"No Extend Timings!\" and keeps no output.",
    .options = kExtendTimeOptions,
    .triggers = kExtendTimeTriggers,
    .logText = "[Extend Time] Click",
    .extension = "srt",
    .codes = kExtendTimeCodes,
    .settings = kExtendTimeSettings,
    .controls = kExtendTimeControls,
    .run = RunExtendTime,
};

}  // namespace tessaline
