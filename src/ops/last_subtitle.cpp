#include "ops/last_subtitle.hpp"

#include <optional>

#include "core/chars.hpp"
#include "core/times.hpp"
#include "files/records.hpp"
#include "ops/controls.hpp"
#include "ops/record_stream.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// The lines of a typed text: a line feed (with or without a carriage return before it) starts a
// new line. Blank lines are left out: inside a SubRip record one would end the record.
LineList TextLines(std::string_view text) {
    LineList lines;
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!IsBlankLine(line)) lines.emplace_back(line);
        if (feed == npos) break;
        text.remove_prefix(feed + 1);
    }
    return lines;
}

void AddLastSrt(FrameRun& run, const AddLastSubtitleParams& params, const LineList& text) {
    const TimeMs gap = ClockToMs(ClockFromText(params.gap), 0);
    const TimeMs duration = ClockToMs(ClockFromText(params.duration), 0);
    // Records are known by their timing lines, whatever the file's habits with numbers and
    // empty lines: the number given is one above the last subtitle's.
    SubRipShaper& records = run.ShapeSubRipRecords();
    std::string_view line;
    bool timingDue = false;  // the line after a record's number
    bool lastBlank = true;
    std::int64_t lastNumber = 0;
    TimeMs lastOff = 0;
    while (run.ReadLine(line)) {
        run.WriteLine(line);
        lastBlank = IsBlankLine(line);
        if (lastBlank) continue;
        // Only a number that starts a record counts: a text line of digits ("1984") is text.
        if (records.AtRecordNumber()) {
            lastNumber = StrToIntSafe(line);
            timingDue = true;
            continue;
        }
        if (timingDue && IsTimingLine(line)) {
            if (const auto timing = ParseTimingLine(line, params.timeCorrection)) {
                lastOff = timing->off;
            }
        }
        timingDue = false;
    }
    // A file that does not end with an empty line would glue the new number onto its last text.
    if (!lastBlank) run.WriteLine("");
    run.WriteLine(std::to_string(lastNumber + 1));
    const TimeMs on = lastOff + gap;
    run.WriteLine(MakeTimingLine(on, on + duration));
    for (const std::string& textLine : text)
        run.WriteLine(textLine);
    // The record ends with its empty line, so that a later addition starts a record of its own.
    run.WriteLine("");
}

void AddLastSub(FrameRun& run, const AddLastSubtitleParams& params, const LineList& text) {
    const char open = params.openBracket;
    const char close = params.closeBracket;
    std::string_view line;
    // A file without a frame line gives the added subtitle the frames 0 to 0.
    std::string prefix = std::string{open} + "0" + close + open + "0" + close;
    while (run.ReadLine(line)) {
        run.WriteLine(line);
        if (IsFrameLine(line, open, close)) prefix = FramePrefix(line, close);
    }
    std::string added = prefix;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0) added += '|';
        added += text[i];
    }
    run.WriteLine(added);
}

// Writes a SubRip subtitle held whole with exactly one closing empty line.
void WriteTidied(FrameRun& run, const LineList& lines) {
    std::size_t end = lines.size();
    while (end > 0 && IsBlankLine(lines[end - 1]))
        --end;
    if (end == 0) return;
    for (std::size_t i = 0; i < end; ++i)
        run.WriteLine(lines[i]);
    run.WriteLine("");
}

void DelLastSrt(FrameRun& run) {
    // One subtitle is held until the next one starts: the one held at the end is the last.
    LineList held;
    bool holdingSubtitle = false;  // false while the lines before the first subtitle are held
    SubRipShaper& records = run.ShapeSubRipRecords();
    std::string line;
    while (run.ReadLine(line)) {
        if (records.AtRecordNumber()) {
            WriteTidied(run, held);
            held.clear();
            holdingSubtitle = true;
        }
        held.push_back(line);
    }
    // Lines before the first subtitle are no subtitle: a file without subtitles keeps them.
    if (!holdingSubtitle) WriteTidied(run, held);
}

void DelLastSub(FrameRun& run) {
    std::string held;
    bool holding = false;
    std::string line;
    while (run.ReadLine(line)) {
        if (IsBlankLine(line)) continue;
        if (holding) run.WriteLine(held);
        held.swap(line);
        holding = true;
    }
}

// The on-time a subtitle starting at `on` gets after a previous subtitle ending at `previousOff`;
// nothing when it stays.
std::optional<std::int64_t> CorrectedOn(std::optional<std::int64_t> previousOff, std::int64_t on,
                                        bool oneTick) {
    if (!previousOff || *previousOff < on) return std::nullopt;
    if (oneTick) return *previousOff + 1;
    if (*previousOff == on) return std::nullopt;
    return *previousOff;
}

constexpr std::string_view kTimeNotCorrected =
    " = Time Not Corrected: Previous Subtitle Ends Later!!!";

void TimeCorrectionSrt(FrameRun& run, const SubtitleTimeCorrectionParams& params) {
    std::string_view line;
    std::string number;  // the number line of the current subtitle
    SubRipShaper& records = run.ShapeSubRipRecords();
    bool inText = false;                      // after a timing line, up to the next empty line
    std::optional<std::int64_t> previousOff;  // none before the first subtitle
    while (run.ReadLine(line)) {
        if (IsBlankLine(line)) {
            inText = false;
        } else if (records.AtRecordNumber()) {
            number.assign(line);
            inText = false;
        } else if (!inText && line.find("-->") != npos) {
            if (const auto timing = ParseTimingLine(line, params.timeCorrection)) {
                inText = true;
                const auto on = CorrectedOn(previousOff, timing->on, params.oneTick);
                previousOff = timing->off;
                if (on && *on > timing->off) {
                    // The subtitle lies inside the previous one: moving its start would put it
                    // after its end.
                    run.report().push_back(number + std::string(kTimeNotCorrected));
                } else if (on) {
                    run.WriteLine(TimingLineWithTail(static_cast<TimeMs>(*on), timing->off, line,
                                                     params.timeCorrection));
                    continue;
                }
            }
        }
        run.WriteLine(line);
    }
}

void TimeCorrectionSub(FrameRun& run, const SubtitleTimeCorrectionParams& params) {
    const char open = params.openBracket;
    const char close = params.closeBracket;
    std::string_view line;
    std::string corrected;
    std::optional<std::int64_t> previousOff;
    while (run.ReadLine(line)) {
        if (!IsFrameLine(line, open, close)) {
            run.WriteLine(line);
            continue;
        }
        const std::int64_t on = IntegerField(TextBetweenChars(line, open, close));
        const std::int64_t off =
            IntegerField(TextBetweenChars(line, open, close, 2, NthOf::Opening));
        const auto newOn = CorrectedOn(previousOff, on, params.oneTick);
        previousOff = off;
        if (!newOn) {
            run.WriteLine(line);
        } else if (*newOn > off) {
            run.report().push_back(FramePrefix(line, close) + std::string(kTimeNotCorrected));
            run.WriteLine(line);
        } else {
            corrected.assign(1, open);
            corrected += std::to_string(*newOn);
            corrected += close;
            corrected += TextAfterChar(line, close);
            run.WriteLine(corrected);
        }
    }
}

}  // namespace

RunResult AddLastSubtitle(const std::string& input, const std::string& output,
                          const AddLastSubtitleParams& params, Host& host) {
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    // The text is Windows-1251, as the window keeps it: it joins the file in the file's form.
    return RunByKind(
        request, host,
        [&](FrameRun& run) { AddLastSrt(run, params, TextLines(FromCp1251(params.text))); },
        [&](FrameRun& run) { AddLastSub(run, params, TextLines(FromCp1251(params.text))); });
}

RunResult DelLastSubtitle(const std::string& input, const std::string& output,
                          const DelLastSubtitleParams& params, Host& host) {
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    return RunByKind(request, host, DelLastSrt, DelLastSub);
}

RunResult SubtitleTimeCorrection(const std::string& input, const std::string& output,
                                 const SubtitleTimeCorrectionParams& params, Host& host) {
    // Only the subtitles that could not be corrected are reported; a run that corrected
    // everything says nothing.
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive, .reportExt = "wrong"}};
    return RunByKind(
        request, host, [&](FrameRun& run) { TimeCorrectionSrt(run, params); },
        [&](FrameRun& run) { TimeCorrectionSub(run, params); });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

char OpenBracket(const Settings& s) {
    return FirstChar(s.Text("OpenBrackets"), '{');
}
char CloseBracket(const Settings& s) {
    return FirstChar(s.Text("CloseBrackets"), '}');
}

RunResult RunAddLastSubtitle(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return AddLastSubtitle(a.input, a.output,
                           {.gap = s.Text("AddTimeFromLastTime"),
                            .duration = s.Text("AddTimeDeltaTime"),
                            .text = c.controls.Text("MemoSubLines"),
                            .timeCorrection = s.Bool("TimeCorrection"),
                            .openBracket = OpenBracket(s),
                            .closeBracket = CloseBracket(s),
                            .interactive = a.interactive},
                           c.host);
}

RunResult RunDelLastSubtitle(OperationContext& c, const RunArgs& a) {
    return DelLastSubtitle(a.input, a.output, {.interactive = a.interactive}, c.host);
}

RunResult RunSubtitleTimeCorrection(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return SubtitleTimeCorrection(a.input, a.output,
                                  {.oneTick = s.Bool("OneTickDifferenceNearTimeFrame"),
                                   .timeCorrection = s.Bool("TimeCorrection"),
                                   .openBracket = OpenBracket(s),
                                   .closeBracket = CloseBracket(s),
                                   .interactive = a.interactive},
                                  c.host);
}

constexpr OptionDef kAddLastOptions[] = {
    {.name = "--text",
     .kind = OptionKind::Text,
     .valueName = "TEXT",
     .control = "MemoSubLines",
     .required = true,
     .help = "the subtitle's text; a line feed starts a new line"}};
constexpr std::string_view kAddLastSettings[] = {"AddTimeFromLastTime", "AddTimeDeltaTime",
                                                 "TimeCorrection", "OpenBrackets", "CloseBrackets"};
constexpr std::string_view kAddLastControls[] = {"MemoSubLines"};
constexpr Trigger kAddLastTriggers[] = {{"btnAddLastSub"}};
constexpr VariantCode kAddLastCodes[] = {{kAnyVariant, 28}};

constexpr Trigger kDelLastTriggers[] = {{"btnDelLastSub"}};
constexpr VariantCode kDelLastCodes[] = {{kAnyVariant, 31}};

constexpr std::string_view kTimeCorrectionSettings[] = {
    "OneTickDifferenceNearTimeFrame", "TimeCorrection", "OpenBrackets", "CloseBrackets"};
constexpr Trigger kTimeCorrectionTriggers[] = {{"btnSubtitleTimeCorrection"}};
constexpr VariantCode kTimeCorrectionCodes[] = {{kAnyVariant, 33}};

}  // namespace

extern const Operation kAddLastSubtitleOperation{
    .command = "add-last-subtitle",
    .summary = "append a subtitle after the last one",
    .help =
        "Appends a subtitle with TEXT after the last one. SubRip: numbered one after the last,\n"
        "starting AddTimeFromLastTime after the last off-time and lasting AddTimeDeltaTime.\n"
        "MicroDVD: with the frames of the last frame line, its lines joined by \"|\".",
    .options = kAddLastOptions,
    .triggers = kAddLastTriggers,
    .logText = "[Add Last Subtitle] Click",
    .codes = kAddLastCodes,
    .focusAfter = "MemoSubLines",
    .settings = kAddLastSettings,
    .controls = kAddLastControls,
    .run = RunAddLastSubtitle,
};

extern const Operation kDelLastSubtitleOperation{
    .command = "delete-last-subtitle",
    .summary = "copy a file without its last subtitle",
    .help =
        "Writes film.out without the last subtitle. SubRip subtitles are written with exactly\n"
        "one closing empty line; MicroDVD empty lines are left out.",
    .triggers = kDelLastTriggers,
    .logText = "[Del Last Subtitle] Click",
    .codes = kDelLastCodes,
    .run = RunDelLastSubtitle,
};

extern const Operation kSubtitleTimeCorrectionOperation{
    .command = "subtitle-time-correction",
    .summary = "start each subtitle after the previous one ends",
    .help =
        "Moves the on-time of every subtitle that starts before the previous one ends to the\n"
        "previous off-time (1 ms, or 1 frame, after it with OneTickDifferenceNearTimeFrame=1).\n"
        "A subtitle that would then start after its own end keeps its timing and is listed in\n"
        "film.wrong. Works on SubRip and MicroDVD files.",
    .triggers = kTimeCorrectionTriggers,
    .logText = "[Subtitle Time Correction] Click",
    .codes = kTimeCorrectionCodes,
    .settings = kTimeCorrectionSettings,
    .run = RunSubtitleTimeCorrection,
};

}  // namespace tessaline
