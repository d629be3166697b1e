#include "ops/sync.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/directory.hpp"
#include "files/fs.hpp"
#include "files/sub_kind.hpp"
#include "ops/controls.hpp"
#include "ops/convert.hpp"
#include "ops/settings.hpp"
#include "ops/stretch.hpp"
#include "sync/film_speech.hpp"

namespace tessaline {
namespace {

enum class SubKind { SubRip, SubStation, MicroDvd };

std::optional<SubKind> KindOf(std::string_view path) {
    const std::string ext = LowerExtOf(path);
    if (ext == "srt") return SubKind::SubRip;
    if (ext == "ssa" || ext == "ass") return SubKind::SubStation;
    if (ext == "sub") return SubKind::MicroDvd;
    return std::nullopt;
}

// The MicroDVD rate: as the conversions read it, a blank, non-numeric or non-positive rate is
// none.
std::optional<long double> FrameRate(std::string_view text) {
    if (text.empty() || text.front() == ' ') return std::nullopt;
    const auto fps = ParseFramesPerSecond(text);
    if (!fps || !(*fps > 0)) return std::nullopt;
    return fps;
}

// --- SubStation times --------------------------------------------------------------------------

// "h:mm:ss.cc" (any number of hour digits, one to three fraction digits; blanks around it; a
// leading "-" for the lead-in times some tools write) in milliseconds.
std::int64_t SsaTimeMs(std::string_view field) {
    const std::string_view original = field;
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ')
        field.remove_suffix(1);
    const bool negative = field.starts_with('-');
    if (negative) field.remove_prefix(1);
    const std::size_t colon1 = field.find(':');
    const std::size_t colon2 = field.find(':', colon1 == std::string_view::npos ? 0 : colon1 + 1);
    const std::size_t dot = field.find('.');
    if (colon1 == std::string_view::npos || colon2 == std::string_view::npos ||
        dot == std::string_view::npos || dot < colon2) {
        throw ConversionError(original, "'" + std::string(original) + "' is not a SubStation time");
    }
    const std::string_view fraction = field.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 3) {
        throw ConversionError(original, "'" + std::string(original) + "' is not a SubStation time");
    }
    const std::int64_t hours = IntegerField(field.substr(0, colon1));
    const std::int64_t minutes = IntegerField(field.substr(colon1 + 1, colon2 - colon1 - 1));
    const std::int64_t seconds = IntegerField(field.substr(colon2 + 1, dot - colon2 - 1));
    const std::int64_t ms = IntegerField(PadMilliseconds(fraction, true));
    if (hours < 0 || hours > 99 || minutes < 0 || seconds < 0 || ms < 0) {
        throw ConversionError(original, "'" + std::string(original) + "' is not a SubStation time");
    }
    const std::int64_t value = ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
    return negative ? -value : value;
}

// "h:mm:ss.cc", to the nearest hundredth. Throws ConversionError past 24 hours, as every time
// written does.
void AppendSsaTime(std::string& out, std::int64_t ms, std::string_view what) {
    const TimeMs checked = CheckedTime(ms, what);
    const std::uint32_t hundredths = (checked + 5) / 10;
    char text[16];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%02u", hundredths / 360000,
                  hundredths / 6000 % 60, hundredths / 100 % 60, hundredths % 100);
    out += text;
}

// Where the start and end fields of a Dialogue line lie: after its first and second commas.
struct DialogueFields {
    std::size_t start = 0;     // first character of the start field
    std::size_t middle = 0;    // the comma between start and end
    std::size_t afterEnd = 0;  // the comma after the end field
};

std::optional<DialogueFields> FindDialogueFields(std::string_view line) {
    std::size_t lead = 0;
    while (lead < line.size() && line[lead] == ' ')
        ++lead;
    if (line.substr(lead).substr(0, 9) != "Dialogue:") return std::nullopt;
    const std::size_t first = line.find(',', lead);
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = line.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::size_t third = line.find(',', second + 1);
    if (third == std::string_view::npos) return std::nullopt;
    return DialogueFields{first + 1, second, third};
}

// --- Walking the timed lines -------------------------------------------------------------------

std::string TimeTextOrMs(std::int64_t ms) {
    if (ms >= 0 && ms < kDayMs) return MsToTimeText(static_cast<TimeMs>(ms));
    return std::to_string(ms) + " ms";
}

std::string SignedSeconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3f s", static_cast<double>(ms) / 1000);
    return text;
}

// What a walk does with each subtitle's times: gathers them (the first pass), or maps them
// through the alignment (the second), keeping a time that would fall before 0 at 0 and listing
// the subtitle in the report.
class CueTimes {
  public:
    explicit CueTimes(std::vector<Cue>& gathered) : gathered_(&gathered) {}
    CueTimes(const Alignment& alignment, LineList& report)
        : alignment_(&alignment), report_(&report) {}

    std::pair<std::int64_t, std::int64_t> Take(std::int64_t on, std::int64_t off) {
        const std::size_t index = count_++;
        if (gathered_ != nullptr) {
            gathered_->push_back({on, off});
            return {on, off};
        }
        std::int64_t newOn = MapTime(*alignment_, index, on);
        std::int64_t newOff = MapTime(*alignment_, index, off);
        if (newOn < 0 || newOff < 0) {
            report_->push_back("Subtitle " + std::to_string(index + 1) + " (" + TimeTextOrMs(on) +
                               ") would start at " + SignedSeconds(newOn) + ": kept at " +
                               MsToTimeText(0));
            newOn = std::max<std::int64_t>(newOn, 0);
            newOff = std::max<std::int64_t>(newOff, 0);
        }
        return {newOn, newOff};
    }
    [[nodiscard]] bool writes() const { return gathered_ == nullptr; }

  private:
    std::vector<Cue>* gathered_ = nullptr;
    const Alignment* alignment_ = nullptr;
    LineList* report_ = nullptr;
    std::size_t count_ = 0;
};

void WalkSubRip(FrameRun& run, CueTimes& times, bool pad) {
    std::string_view line;
    std::string written;
    while (run.ReadLine(line)) {
        // A line with "-->" that is no timing line (a text line quoting an arrow) is text.
        const auto parsed =
            line.find("-->") != std::string_view::npos ? ParseTimingLine(line, pad) : std::nullopt;
        if (!parsed) {
            if (times.writes()) run.WriteLine(line);
            continue;
        }
        const auto [on, off] = times.Take(parsed->on, parsed->off);
        if (!times.writes()) continue;
        WriteRetimedLine(run, on, off, line, parsed->tail, written);
    }
}

void WalkSubStation(FrameRun& run, CueTimes& times) {
    std::string_view line;
    std::string written;
    while (run.ReadLine(line)) {
        const auto fields = FindDialogueFields(line);
        if (!fields) {
            if (times.writes()) run.WriteLine(line);
            continue;
        }
        const std::string_view startText =
            line.substr(fields->start, fields->middle - fields->start);
        const std::string_view endText =
            line.substr(fields->middle + 1, fields->afterEnd - fields->middle - 1);
        const auto [on, off] = times.Take(SsaTimeMs(startText), SsaTimeMs(endText));
        if (!times.writes()) continue;
        // Everything but the two times stays as it was: layer, style, name, margins, effect, text.
        written.assign(line.substr(0, fields->start));
        AppendSsaTime(written, on, startText);
        written += ',';
        AppendSsaTime(written, off, endText);
        written += line.substr(fields->afterEnd);
        run.WriteLine(written);
    }
}

void WalkMicroDvd(FrameRun& run, CueTimes& times, long double fps, char open, char close) {
    std::string_view line;
    std::string written;
    while (run.ReadLine(line)) {
        if (line.find(open) == std::string_view::npos ||
            ClassifyTimedLine(line) != TimedLine::FramePair) {
            if (times.writes()) run.WriteLine(line);
            continue;
        }
        const FrameLine frames = ReadFrameLine(line, open, close);
        // Frames become times at the file's rate, are synced, and become frames again.
        const auto [on, off] = times.Take(FrameToMs(frames.on, fps), FrameToMs(frames.off, fps));
        if (!times.writes()) continue;
        written.clear();
        AppendFramePair(written, open, MsToFrame(on, fps), MsToFrame(off, fps), close);
        written += frames.text;
        run.WriteLine(written);
    }
}

void Walk(FrameRun& run, SubKind kind, CueTimes& times, const SyncParams& params, long double fps) {
    switch (kind) {
        case SubKind::SubRip:
            return WalkSubRip(run, times, params.timeCorrection);
        case SubKind::SubStation:
            return WalkSubStation(run, times);
        case SubKind::MicroDvd:
            return WalkMicroDvd(run, times, fps, params.openBracket, params.closeBracket);
    }
}

// --- Deciding ----------------------------------------------------------------------------------

std::string ConfidenceText(double confidence) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", confidence);
    return text;
}

// The threshold as the messages name it: "needs 8".
std::string ThresholdText() {
    char text[32];
    std::snprintf(text, sizeof text, "%g", kMinConfidence);
    return text;
}

// A rate as the frame-rate lists write it: "25", "23,976", "29,97".
std::string RateText(double fps) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", fps);
    std::string rate(text);
    while (rate.back() == '0')
        rate.pop_back();
    if (rate.back() == '.') rate.pop_back();
    std::replace(rate.begin(), rate.end(), '.', ',');
    return rate;
}

std::string RatioText(const Alignment& a) {
    if (a.fromRate == 0) return "1";
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", a.ratio);
    return std::string(text) + " (" + RateText(a.fromRate) + " -> " + RateText(a.toRate) +
           " frames per second)";
}

// The speech to align to: the film's, or the reference's subtitles. Shows why and gives nothing
// when there is none.
struct Target {
    SpeechMask speech;
    std::vector<Cue> referenceCues;
    std::string described;  // "film.mkv, audio track 1" or "other.srt"
    std::string name;       // "this film" or "other.srt", for the refusal
};

std::optional<Target> ListenOrRead(const SyncParams& params, Host& host, RunResult& result) {
    Target target;
    result = RunResult::Refused;
    if (params.film.empty()) {
        const std::string name(FileNameOf(params.reference));
        if (!KindOf(params.reference)) {
            host.ShowMessage(std::string(kNotSupportFileExtension) + LowerExtOf(params.reference));
            return std::nullopt;
        }
        if (!IsRegularFile(params.reference)) {
            host.ShowMessage(params.reference + ": no such file");
            return std::nullopt;
        }
        const RunResult read =
            ReadSubtitleCues(params.reference, params, host, target.referenceCues);
        if (read != RunResult::Done) {
            result = read;
            return std::nullopt;
        }
        target.speech = CueMask(target.referenceCues);
        target.described = name;
        target.name = name;
        if (SpeechShare(target.speech) < kMinSpeechShare) {
            host.ShowMessage("no speech found in " + name);
            return std::nullopt;
        }
        return target;
    }
    try {
        const std::unique_ptr<SpeechDetector> detector = MakeWebRtcSpeechDetector();
        FilmSpeech heard = ListenToFilm(params.film, params.track, *detector, [&host](double done) {
            host.ShowWorkProgress(done);
            host.KeepResponsive();
            return !host.StopRequested();
        });
        target.speech = std::move(heard.mask);
        target.described =
            std::string(FileNameOf(params.film)) + ", audio track " + std::to_string(heard.track);
        target.name = "this film";
        if (heard.speechShare < kMinSpeechShare) {
            host.ShowMessage("no speech found in track " + std::to_string(heard.track));
            return std::nullopt;
        }
    } catch (const FilmError& e) {
        // The user's own Cancel needs no box: the status line says that nothing was written.
        if (host.StopRequested()) {
            host.SetStatusBar(kSyncCancelled);
            return std::nullopt;
        }
        host.ShowMessage(e.what());
        return std::nullopt;
    }
    return target;
}

void WriteReportHead(LineList& report, const Target& target, const Alignment& a,
                     const std::vector<Cue>& cues) {
    report.push_back("Synced to " + target.described);
    report.push_back("Ratio: " + RatioText(a));
    report.push_back("Confidence: " + ConfidenceText(a.confidence) + " (needs " + ThresholdText() +
                     ")");
    if (a.splitsSkipped) {
        report.push_back("Splits not tried: too many subtitles for the largest offset");
    }
    for (std::size_t p = 0; p < a.parts.size(); ++p) {
        const std::size_t first = a.parts[p].firstCue;
        report.push_back("Part " + std::to_string(p + 1) + " from subtitle " +
                         std::to_string(first + 1) + " (" + TimeTextOrMs(cues[first].start) +
                         "): offset " + SignedSeconds(a.parts[p].offsetMs));
    }
}

}  // namespace

RunResult ReadSubtitleCues(const std::string& input, const SyncParams& params, Host& host,
                           std::vector<Cue>& cues) {
    const auto kind = KindOf(input);
    if (!kind) return RunResult::Skipped;
    const auto fps = FrameRate(params.framesAtSec);
    if (*kind == SubKind::MicroDvd && !fps) {
        host.ShowMessage(kCheckFramesAtSec);
        return RunResult::Refused;
    }
    const std::string none;
    const FrameRequest request{
        .input = input,
        .output = none,
        .steps = {.interactive = params.interactive, .writesOutput = false, .summarizes = false}};
    cues.clear();
    CueTimes times(cues);
    return RunInFrame(request, host,
                      [&](FrameRun& run) { Walk(run, *kind, times, params, fps.value_or(25)); });
}

RunResult SyncSubtitles(const std::string& input, const std::string& output,
                        const SyncParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive, .reportExt = "sync"}};
    const auto kind = KindOf(input);
    // An existing output, a missing input or a mask: the frame stops as it always does, before
    // the film is listened to.
    if (!kind || output.empty() || PathExists(output) || !IsRegularFile(input)) {
        return RunInFrame(request, host, [](FrameRun&) {});
    }
    std::vector<Cue> cues;
    if (const RunResult read = ReadSubtitleCues(input, params, host, cues);
        read != RunResult::Done) {
        return read;
    }
    const std::string name(FileNameOf(input));
    if (cues.empty()) {
        host.ShowMessage(name + " has no subtitles to sync");
        return RunResult::Refused;
    }
    RunResult refused = RunResult::Refused;
    const std::optional<Target> target = ListenOrRead(params, host, refused);
    if (!target) return refused;

    Alignment alignment = Align(cues, target->speech, params.align);
    if (alignment.confidence < kMinConfidence) {
        host.ShowMessage(name + " does not match " + target->name + " (confidence " +
                         ConfidenceText(alignment.confidence) + ", needs " + ThresholdText() + ")");
        return RunResult::Refused;
    }
    if (!target->referenceCues.empty()) RefineOnReference(alignment, cues, target->referenceCues);

    const long double fps = FrameRate(params.framesAtSec).value_or(25);
    const RunResult result = RunInFrame(request, host, [&](FrameRun& run) {
        WriteReportHead(run.report(), *target, alignment, cues);
        CueTimes times(alignment, run.report());
        Walk(run, *kind, times, params, fps);
        run.host().SummarizeRun(CountText(cues.size(), "subtitle synced", "subtitles synced"));
    });
    if (params.picture != nullptr && result == RunResult::Done) {
        SyncPicture& picture = *params.picture;
        picture.described = target->described;
        picture.speech = target->speech;
        picture.before = cues;
        picture.after.clear();
        picture.after.reserve(cues.size());
        // As written: a time that would fall before 0 is kept at 0.
        for (std::size_t i = 0; i < cues.size(); ++i) {
            picture.after.push_back(
                {std::max<std::int64_t>(MapTime(alignment, i, cues[i].start), 0),
                 std::max<std::int64_t>(MapTime(alignment, i, cues[i].end), 0)});
        }
    }
    return result;
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

// The stem of a file name: "film" of "film.en.srt" is "film.en".
std::string StemOf(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

bool IsMaskText(std::string_view path) {
    return path.find_first_of("*?") != std::string_view::npos;
}

// The names matching a mask in its folder, in name order as a folder run takes them.
std::vector<std::string> SortedMatches(std::string_view folder, std::string_view mask) {
    std::vector<std::string> names = ListMatching(folder.empty() ? "." : std::string(folder), mask);
    std::sort(names.begin(), names.end());
    return names;
}

// With a mask of films, the film of a subtitle file is the one of the same stem.
std::optional<std::string> FilmOf(std::string_view films, std::string_view subtitles) {
    const std::string folder = FolderOf(films);
    const std::string stem = StemOf(subtitles);
    for (const std::string& name : SortedMatches(folder, FileNameOf(films))) {
        if (StemOf(name) == stem) return JoinInFolder(folder, name);
    }
    return std::nullopt;
}

// In a folder run with a mask of films, the run of the first subtitle file names the films that
// no subtitle file pairs with: they are skipped, and the user should hear of them once.
void TellFilmsWithoutSubtitles(OperationContext& c, std::string_view films,
                               std::string_view input) {
    const std::string folder = FolderOf(input);
    std::vector<std::string> subtitles = SortedMatches(folder, c.controls.Text("cbSubExt"));
    std::erase_if(subtitles, [](const std::string& name) { return !IsSubtitleInput(name); });
    if (subtitles.empty() || subtitles.front() != FileNameOf(input)) return;
    for (const std::string& film : SortedMatches(FolderOf(films), FileNameOf(films))) {
        const bool paired =
            std::any_of(subtitles.begin(), subtitles.end(),
                        [&](const std::string& s) { return StemOf(s) == StemOf(film); });
        if (!paired)
            c.host.ReportSkipped("no subtitle file for " + JoinInFolder(FolderOf(films), film));
    }
}

RunResult RunSync(OperationContext& c, const RunArgs& a) {
    SyncParams params{
        .film = c.controls.Text("SyncFilm"),
        .reference = c.controls.Text("SyncReference"),
        .track = c.controls.Int("SyncTrack"),
        .align = {.maxOffsetMs =
                      std::max<std::int64_t>(1, c.controls.Number("SyncMaxOffset")) * 1000,
                  .splits = c.controls.Bool("SyncSplits")},
        .timeCorrection = c.settings.Bool("TimeCorrection"),
        .framesAtSec = c.settings.Text("FramesAtSec"),
        .openBracket = FirstChar(c.settings.Text("OpenBrackets"), '{'),
        .closeBracket = FirstChar(c.settings.Text("CloseBrackets"), '}'),
        .interactive = a.interactive,
        .picture = c.syncPicture,
    };
    if (const auto penalty = ParseFramesPerSecond(c.controls.Text("SyncSplitPenalty"))) {
        params.align.splitPenalty = static_cast<double>(*penalty);
    }
    if (params.film.empty() && params.reference.empty()) {
        c.host.ShowMessage("sync needs a film (--to) or a reference subtitle file (--reference)");
        return RunResult::Refused;
    }
    if (IsMaskText(params.film)) {
        TellFilmsWithoutSubtitles(c, params.film, a.input);
        const auto film = FilmOf(params.film, a.input);
        if (!film) {
            c.host.ReportSkipped("no film for " + std::string(FileNameOf(a.input)) + " in " +
                                 params.film);
            return RunResult::Skipped;
        }
        params.film = *film;
    }
    return SyncSubtitles(a.input, a.output, params, c.host);
}

std::optional<std::string> CheckMaxOffset(std::string_view value, std::string& stored) {
    std::int64_t seconds = 0;
    try {
        seconds = IntegerField(value);
    } catch (const ConversionError&) {
        seconds = 0;
    }
    if (seconds < 1 || seconds > 3600) {
        return "--max-offset takes whole seconds from 1 to 3600, not '" + std::string(value) + "'";
    }
    stored = std::to_string(seconds);
    return std::nullopt;
}

std::optional<std::string> CheckSplitPenalty(std::string_view value, std::string& stored) {
    const auto penalty = ParseFramesPerSecond(value);
    if (!penalty || !(*penalty > 0) || *penalty > 1e6L) {
        return "--split-penalty takes a positive number of seconds, not '" + std::string(value) +
               "'";
    }
    stored = value;
    return std::nullopt;
}

std::optional<std::string> CheckSyncOptions(const OptionValues& values) {
    const bool film = values.contains("--to");
    const bool reference = values.contains("--reference");
    if (film == reference) return std::string("give either --to FILM or --reference FILE");
    if (values.contains("--splits") && values.contains("--no-splits")) {
        return std::string("--splits and --no-splits exclude each other");
    }
    return std::nullopt;
}

constexpr OptionDef kSyncOptions[] = {
    {.name = "--to",
     .kind = OptionKind::Text,
     .valueName = "FILM",
     .control = "SyncFilm",
     .help = "the film or audio file to listen to; a mask pairs films and files by name"},
    {.name = "--reference",
     .kind = OptionKind::Text,
     .valueName = "FILE",
     .control = "SyncReference",
     .help = "a correctly timed subtitle file of the same film instead of a film"},
    {.name = "--track",
     .kind = OptionKind::Integer,
     .valueName = "N",
     .control = "SyncTrack",
     .help = "the film's audio track, 1 for the first (default: the best one)"},
    {.name = "--max-offset",
     .kind = OptionKind::Text,
     .valueName = "S",
     .control = "SyncMaxOffset",
     .check = CheckMaxOffset,
     .help = "the largest offset tried, in seconds (default 60)"},
    {.name = "--splits",
     .kind = OptionKind::Flag,
     .control = "SyncSplits",
     .help = "let runs of subtitles take offsets of their own (a cut in the film)"},
    {.name = "--no-splits",
     .kind = OptionKind::Flag,
     .help = "one offset for the whole file (the default)",
     .alsoControl = "SyncSplits",
     .alsoValue = "0"},
    {.name = "--split-penalty",
     .kind = OptionKind::Text,
     .valueName = "X",
     .control = "SyncSplitPenalty",
     .check = CheckSplitPenalty,
     .help = "seconds of subtitles a break must bring into place (default 10)"},
};
constexpr std::string_view kSyncSettings[] = {"TimeCorrection", "FramesAtSec", "OpenBrackets",
                                              "CloseBrackets"};
constexpr VariantCode kSyncCodes[] = {{kAnyVariant, 48}};

}  // namespace

extern const Operation kSyncOperation{
    .command = "sync",
    .summary = "sync subtitles to a film's speech or to another subtitle file",
    .help =
        "Listens to the film given with --to (any file ffmpeg reads) for speech, or reads the\n"
        "subtitle file given with --reference, and finds the frame-rate ratio and the offset\n"
        "that put the subtitles on it; with --splits runs of subtitles may take offsets of\n"
        "their own. Every time becomes time * ratio + offset; text, order and tags stay.\n"
        "film.sync reports the ratio, each run's offset and where it starts, the confidence\n"
        "and the subtitles that would start before 0 (kept at 0). A film without speech or\n"
        "subtitles that do not match it are refused and nothing is written. SubRip,\n"
        "SubStation and MicroDVD (through FramesAtSec) files are synced.",
    .options = kSyncOptions,
    .checkOptions = CheckSyncOptions,
    .logText = "[Sync to Film] Click",
    .extension = "srt|sub|ssa|ass",
    .codes = kSyncCodes,
    .settings = kSyncSettings,
    .run = RunSync,
};

}  // namespace tessaline
