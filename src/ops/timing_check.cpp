#include "ops/timing_check.hpp"

#include <functional>

#include "core/strings.hpp"
#include "core/times.hpp"
#include "files/report_file.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kDashes = "----------------------------------------------------";

std::string_view FormatMessage(int kind) {
    switch (kind) {
        case 2:
            return " = Another Time Format! - Correct Time Format in THIS Line!!!";
        case 3:
            return " = Another Time Format! - Correct Time Format in RIGHT side of Line!!!";
        default:
            return " = Another Time Format! - Correct Time Format in LEFT side of Line!!!";
    }
}

// One of the order checks: a time before another, by whole seconds, or in the same second by
// its milliseconds.
std::string_view OrderMessage(TimeMs earlier, TimeMs later, std::string_view seconds,
                              std::string_view milliseconds) {
    return earlier / 1000 < later / 1000 ? seconds : milliseconds;
}

void TestTimes(FrameRun& run, const TimeTestParams& p, ReportFile& report) {
    const std::int64_t minimum = std::int64_t{p.minSeconds} * 1000 + p.minMilliseconds;
    // The two parameters as they are set, "1,100" (and "1,50" for 50 ms).
    const std::string limit =
        std::to_string(p.minSeconds) + "," + std::to_string(p.minMilliseconds);
    std::string reference;  // the last line that is a whole number: the subtitle's number
    TimeMs prevOff = 0;
    std::int64_t prevDuration = 0;
    bool lastWasShort = false;
    long shortCount = 0;
    long wrongCount = 0;

    // A subtitle without its number is named by the number the shaper gives it.
    run.ShapeSubRipRecords();
    std::string_view line;
    while (run.ReadLine(line)) {
        if (IsNumberStr(line)) {
            reference.assign(line);
            continue;
        }
        if (line.find("-->") == std::string_view::npos) continue;
        int kind = TimingLineFormat(line);
        // A form other programs write ("00:00:02.820", one-digit fields) is read, and reported
        // as a line to correct like the other forms.
        if (kind == 0 && IsTimingLine(line)) kind = 2;
        if (kind < 1) continue;
        if (kind > 1) {
            report.Add({reference, FormatMessage(kind)});
            ++wrongCount;
        }
        const auto timing = ParseTimingLine(line, p.timeCorrection);
        if (!timing) continue;
        const TimeMs on = timing->on;
        const TimeMs off = timing->off;
        if (on < prevOff) {
            report.Add({reference, OrderMessage(on, prevOff, " = Wrong Time! See Prev Time Off",
                                                " = Wrong Time (Mls)! See Prev Time Off")});
            ++wrongCount;
        }
        if (off < on) {
            report.Add({reference, OrderMessage(off, on, " = Wrong Time! This Line",
                                                " = Wrong Time (Mls)! This Line")});
            ++wrongCount;
        }
        prevOff = off;

        const std::int64_t duration = std::int64_t{off} - on;
        if (duration < 0) {
            report.Add({reference, " = Wrong Time Period! - Check Time in THIS Line!!!"});
            continue;
        }
        if (!p.skipDurations) {
            if (lastWasShort && p.logTimeArea) {
                report.Add({reference,
                            " = Next Range Time: ", MsToTimeText(static_cast<TimeMs>(duration))});
                report.Add({kReportSeparator});
                lastWasShort = false;
            }
            if (duration < minimum) {
                if (p.logTimeArea) {
                    report.Add({kDashes});
                    report.Add(
                        {std::to_string(std::int64_t{StrToIntSafe(reference)} - 1),
                         " = Prev Range Time: ", MsToTimeText(static_cast<TimeMs>(prevDuration))});
                    lastWasShort = true;
                }
                report.Add({reference, " = This Range Time: ",
                            MsToTimeText(static_cast<TimeMs>(duration)), " < ", limit});
                ++shortCount;
            }
        }
        // A negative duration is no neighbour's duration: it cannot be written as a time.
        if (p.logTimeArea) prevDuration = duration;
    }

    if (report.size() == 0) return;
    const auto summary = [&](const std::string& text) {
        report.Add({kReportSeparator});
        report.Add({text});
        run.host().SetStatusBar(text);
        run.host().SummarizeRun(std::string_view(text).substr(3));  // without ">> "
    };
    if (shortCount > 0) {
        summary(">> " + std::to_string(shortCount) + " Subtitles < " + limit + " !");
    }
    if (wrongCount > 0) summary(">> " + std::to_string(wrongCount) + " Wrong Subtitles");
}

void TestFrames(FrameRun& run, const FrameTestParams& p, ReportFile& report) {
    const char open = p.openBracket;
    const char close = p.closeBracket;
    std::string reference;
    std::int64_t prevOff = 0;
    std::string_view line;
    while (run.ReadLine(line)) {
        if (line.find(open) == std::string_view::npos) continue;
        // A line is named by its frames: the text up to the second closing bracket, "{100}{250}".
        reference.assign(TextBeforeNthChar(line, close, 2));
        reference += close;
        const FrameLine frames = ReadFrameLine(line, open, close);
        if (frames.on < prevOff) {
            report.Add({reference, " = Wrong Frame Number! See Prev Frame Number Off"});
        }
        if (frames.off < frames.on) report.Add({reference, " = Wrong Frame Number! This Line"});
        prevOff = frames.off;

        const std::int64_t period = frames.off - frames.on;
        if (period < 0) {
            constexpr std::string_view kWrongPeriod =
                "Wrong Frames Period! - Check Frames in Line ";
            if (run.interactive()) {
                run.host().ShowMessage(std::string(kWrongPeriod) + reference);
            } else {
                report.Add({reference, " = ", kWrongPeriod, reference});
            }
        } else if (period < p.minFrames) {
            report.Add({reference, " = Very little Frames Range: ", std::to_string(period), " < ",
                        std::to_string(p.minFrames), " !"});
        }
    }
}

// A test that only reads its input and writes a report (film.time, film.frame). The report may
// hold a line for every subtitle of the file: it goes to disk as it grows.
RunResult RunTest(const std::string& input, bool interactive, std::string_view reportExt,
                  std::string_view cleanMessage, Host& host,
                  const std::function<void(FrameRun&, ReportFile&)>& test) {
    const std::string none;
    const FrameRequest request{.input = input,
                               .output = none,
                               .steps = {.interactive = interactive,
                                         .reportExt = reportExt,
                                         .emptyReportMessage = cleanMessage,
                                         .writesOutput = false}};
    bool empty = true;
    return RunWithReportFile(request, host, test, empty);
}

}  // namespace

RunResult TimeTest(const std::string& input, const TimeTestParams& params, Host& host) {
    return RunTest(input, params.interactive, "time", kNoTimeErros, host,
                   [&](FrameRun& run, ReportFile& report) { TestTimes(run, params, report); });
}

RunResult FrameTest(const std::string& input, const FrameTestParams& params, Host& host) {
    return RunTest(input, params.interactive, "frame", kNoFrameErros, host,
                   [&](FrameRun& run, ReportFile& report) { TestFrames(run, params, report); });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

RunResult RunTimeTest(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return TimeTest(a.input,
                    {.minSeconds = s.Int("minRangeTimeSec"),
                     .minMilliseconds = s.Int("minRangeTimeMls"),
                     .logTimeArea = s.Bool("LogTimeArea"),
                     .skipDurations = s.Bool("NoTimeRangeLog"),
                     .timeCorrection = s.Bool("TimeCorrection"),
                     .interactive = a.interactive},
                    c.host);
}

constexpr std::string_view kTimeTestSettings[] = {
    "minRangeTimeSec", "minRangeTimeMls", "LogTimeArea", "NoTimeRangeLog", "TimeCorrection"};
constexpr Trigger kTimeTestTriggers[] = {{"btnTimeTest"}, {"btnTimeTestDbl"}};
constexpr VariantCode kTimeTestCodes[] = {{kAnyVariant, 7}};

RunResult RunFrameTest(OperationContext& c, const RunArgs& a) {
    return FrameTest(a.input,
                     {.minFrames = c.controls.Number("sedMinRFrame"),
                      .openBracket = FirstChar(c.settings.Text("OpenBrackets"), '{'),
                      .closeBracket = FirstChar(c.settings.Text("CloseBrackets"), '}'),
                      .interactive = a.interactive},
                     c.host);
}

constexpr OptionDef kFrameTestOptions[] = {{.name = "--min-frames",
                                            .kind = OptionKind::Integer,
                                            .valueName = "N",
                                            .control = "sedMinRFrame",
                                            .help = "report subtitles shorter than N frames"}};
constexpr std::string_view kFrameTestSettings[] = {"OpenBrackets", "CloseBrackets"};
constexpr std::string_view kFrameTestControls[] = {"sedMinRFrame"};
constexpr Trigger kFrameTestTriggers[] = {{"btnFrameTest"}, {"btnFrameTestDbl"}};
constexpr VariantCode kFrameTestCodes[] = {{kAnyVariant, 8}};

}  // namespace

extern const Operation kTimeTestOperation{
    .command = "time-test",
    .summary = "report wrong, backward and too short timings",
    .help =
        "Writes film.time: timing lines in another format, times that go backwards, negative\n"
        "durations and subtitles shorter than minRangeTimeSec,minRangeTimeMls (LogTimeArea=1:\n"
        "with their neighbours' durations; NoTimeRangeLog=1: no durations), then a summary,\n"
        "also printed. A clean file prints \"No Time Erros!\" and writes nothing.",
    .triggers = kTimeTestTriggers,
    .logText = "[Time Test] Click",
    .extension = "srt",
    .outputExt = "",
    .codes = kTimeTestCodes,
    .settings = kTimeTestSettings,
    .run = RunTimeTest,
};

extern const Operation kFrameTestOperation{
    .command = "frame-test",
    .summary = "report backward and too short frame numbers",
    .help =
        "Writes film.frame: frame numbers that go backwards, negative periods and subtitles\n"
        "shorter than --min-frames (default 0: none). For one file a negative period is a\n"
        "message; over a mask it goes into the report. A clean file prints \"No Frame Erros!\".",
    .options = kFrameTestOptions,
    .triggers = kFrameTestTriggers,
    .logText = "[Frame Test] Click",
    .extension = "sub",
    .outputExt = "",
    .codes = kFrameTestCodes,
    .settings = kFrameTestSettings,
    .controls = kFrameTestControls,
    .run = RunFrameTest,
};

}  // namespace tessaline
