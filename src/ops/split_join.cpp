#include "ops/split_join.hpp"

#include "core/paths.hpp"
#include "core/times.hpp"
#include "files/encoding.hpp"
#include "files/fs.hpp"
#include "files/records.hpp"
#include "ops/record_stream.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kEndOfTextFile = " = END of TEXT-file ==================== !!!";

// The frame steps of both: the "log" report with its summary.
FrameSteps LogSteps(bool interactive) {
    return {.interactive = interactive,
            .reportExt = "log",
            .emptyReportMessage = kNullLogLengthFile,
            .summaryText = "LOG Strings"};
}

void WriteTrackLine(LineWriter& track, long position, long count) {
    track.WriteLine(std::to_string(position) + "=" + std::to_string(count));
}

// Walks the SubRip input: numbers and timing lines to the time file, text to the output (the
// text file), the count of each subtitle's text lines to the track file.
void Split(FrameRun& run, LineWriter& time, LineWriter& track, bool& trackHasLines) {
    std::string line;
    std::string number;
    bool atRecordStart = true;
    bool inSubtitle = false;  // a subtitle has begun: the text counted belongs to it
    long count = 0;           // text lines of the current subtitle (or before the first one)
    long position = 0;
    const auto endTrack = [&] {
        // Text before the first subtitle is recorded as position 0.
        if (inSubtitle) {
            WriteTrackLine(track, ++position, count);
        } else if (count > 0) {
            WriteTrackLine(track, 0, count);
        } else {
            return;
        }
        trackHasLines = true;
    };
    while (run.ReadLine(line)) {
        if (atRecordStart && IsNumberStr(line)) {
            atRecordStart = false;
            number = line;
            if (!run.ReadLine(line)) {
                run.report().push_back(number + std::string(kEndOfInFile));
                break;
            }
            if (IsTimingLine(line)) {
                time.WriteLine(number);
                time.WriteLine(line);
                time.WriteLine("");
                endTrack();
                inSubtitle = true;
                count = 0;
                if (run.AtEnd()) run.report().push_back(number + std::string(kEndOfInFile));
                continue;
            }
            // A number that no timing line follows is text; the line after it is read below.
            run.WriteLine(number);
            ++count;
        }
        if (IsBlankLine(line)) {
            atRecordStart = true;
            continue;
        }
        run.WriteLine(line);
        ++count;
    }
    endTrack();
}

// The count of a track line ("3=2" gives 2); 0 for a line that holds none.
long TrackCount(std::string_view line) {
    const std::string_view value = TextAfterChar(line, '=');
    return IsNumberStr(value) ? StrToIntSafe(value) : 0;
}

class Joiner {
  public:
    Joiner(FrameRun& run, LineReader& time, const std::string& trackPath)
        : run_(run),
          time_(time),
          // The track file is decided on its own, as the time file is, and read in the text's form.
          track_(trackPath, DecideFileEncoding(trackPath), run.encoding().form()) {}

    void Run() {
        std::string position;
        if (NextTrack(position) && position == "0") {
            CopyText("0", count_);  // the text before the first subtitle
            NextTrack(position);
        }
        std::string line;
        std::string number;
        bool atRecordStart = true;
        while (time_.ReadLine(line)) {
            if (atRecordStart && IsNumberStr(line)) {
                atRecordStart = false;
                number = line;
                Write(number);
                if (!time_.ReadLine(line)) {
                    run_.report().push_back(number + std::string(kEndOfInFile));
                    break;
                }
                if (IsTimingLine(line)) {
                    Write(line);
                    CopyText(number, trackLeft_ ? count_ : 0);
                    NextTrack(position);
                    Write("");
                    continue;
                }
            }
            if (IsBlankLine(line)) {
                atRecordStart = true;
                continue;
            }
            // A line of its own in the time file keeps its place and takes no text.
            Write(line);
        }
        if (!lastWrittenBlank_) Write("");
        long left = 0;
        std::string_view text;
        while (run_.ReadLine(text))
            ++left;
        if (left > 0) run_.report().push_back(std::to_string(left) + " = Text Lines Not Joined!!!");
    }

  private:
    // Reads the next track line: its position name and count; false when none is left.
    bool NextTrack(std::string& position) {
        std::string line;
        trackLeft_ = track_.ReadLine(line);
        position.assign(trackLeft_ ? TextBeforeChar(line, '=') : std::string_view());
        count_ = trackLeft_ ? TrackCount(line) : 0;
        return trackLeft_;
    }

    void CopyText(std::string_view number, long count) {
        std::string_view line;
        for (long i = 0; i < count; ++i) {
            if (!run_.ReadLine(line)) {
                run_.report().push_back(std::string(number) + std::string(kEndOfTextFile));
                return;
            }
            Write(line);
        }
    }

    void Write(std::string_view line) {
        run_.WriteLine(line);
        lastWrittenBlank_ = IsBlankLine(line);
    }

    FrameRun& run_;
    LineReader& time_;
    LineReader track_;
    bool trackLeft_ = false;
    long count_ = 0;
    bool lastWrittenBlank_ = true;
};

}  // namespace

RunResult SplitTimeText(const std::string& input, const std::string& textOutput,
                        const SplitTimeTextParams& params, Host& host) {
    const std::string timePath = ChangeFileExtMode(input, "srttime", 0);
    const std::string trackPath = ChangeFileExtMode(input, "srttrk", 0);
    // The three files are one result: none of them may be there already.
    const FrameRequest request{.input = input,
                               .output = textOutput,
                               .steps = LogSteps(params.interactive),
                               .parameterCheck = [&](Host& h) {
                                   if (!PathExists(timePath) && !PathExists(trackPath)) return true;
                                   if (params.interactive) h.ShowMessage(kOutputFileExist);
                                   return false;
                               }};
    ExtraOutputs extra;
    const RunResult result = RunByKind(request, host, [&](FrameRun& run) {
        LineWriter& time = extra.Open(timePath);
        LineWriter& track = extra.Open(trackPath);
        bool trackHasLines = false;
        Split(run, time, track, trackHasLines);
        if (!trackHasLines) extra.Drop(trackPath);
    });
    if (result != RunResult::Done || extra.Commit()) return result;
    // A file appeared at one of the paths while the split ran: the text file goes too.
    (void)DeleteFile(textOutput);
    if (params.interactive) host.ShowMessage(kOutputFileExist);
    return RunResult::Refused;
}

RunResult JoinTimeText(const std::string& textInput, const std::string& timeInput,
                       const std::string& output, const JoinTimeTextParams& params, Host& host) {
    const std::string trackPath = ChangeFileExtMode(textInput, "srttrk", 0);
    const bool srttext = LowerExtOf(textInput) == "srttext";
    const FrameRequest request{
        .input = textInput, .output = output, .steps = LogSteps(params.interactive)};
    return RunInFrameWithAdd(request, timeInput, host, [&](FrameRun& run, LineReader& time) {
        if (!srttext) {
            AbandonUnsupportedKind(run);
            return;
        }
        // Without the track file every subtitle would come out without its text.
        if (!IsRegularFile(trackPath)) {
            run.Tell(kTrackFileNotPresent);
            run.Abandon();
            return;
        }
        Joiner(run, time, trackPath).Run();
    });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

// join-time-text without --time: the time file beside the text file.
constexpr int kTimeBesideText = 1;

RunResult RunSplitTimeText(OperationContext& c, const RunArgs& a) {
    return SplitTimeText(a.input, a.output, {.interactive = a.interactive}, c.host);
}

RunResult RunJoinTimeText(OperationContext& c, const RunArgs& a) {
    const std::string timeFile = a.variant == kTimeBesideText || c.addFile.empty()
                                     ? ChangeFileExtMode(a.input, "srttime", 0)
                                     : std::string(c.addFile);
    return JoinTimeText(a.input, timeFile, a.output, {.interactive = a.interactive}, c.host);
}

bool ChooseTimeFile(const OptionValues& values, std::string_view, int& variant) {
    variant = values.contains("--time") ? 0 : kTimeBesideText;
    return true;
}

constexpr Trigger kSplitTriggers[] = {{"btnSplitSubText"}};

constexpr OptionDef kJoinOptions[] = {
    {.name = "--time",
     .kind = OptionKind::Text,
     .valueName = "FILE",
     .control = "edOpenFileAdd",
     .help = "the time file (default: PATH with the extension srttime)"}};
constexpr std::string_view kJoinControls[] = {"edOpenFileAdd"};
constexpr Trigger kJoinTriggers[] = {{"btnJoinSubText"}};

}  // namespace

extern const Operation kSplitTimeTextOperation{
    .command = "split-time-text",
    .summary = "split a SubRip file into time, text and track files",
    .help =
        "Writes film.srttime (numbers and timing lines), film.srttext (the text lines, one after\n"
        "another, to edit or translate) and film.srttrk (how many text lines each subtitle has),\n"
        "and film.log when there is something to log. Refuses when any of the three exists.",
    .triggers = kSplitTriggers,
    .logText = "[Split SubTime && SubText] Click",
    .outputExt = "srttext",
    .run = RunSplitTimeText,
};

extern const Operation kJoinTimeTextOperation{
    .command = "join-time-text",
    .summary = "rebuild a SubRip file from time, text and track files",
    .help =
        "PATH is the text file (film.srttext). Rebuilds film.out from it, the time file and the\n"
        "track file film.srttrk, and writes film.log when there is something to log.",
    .options = kJoinOptions,
    .preparePath = ChooseTimeFile,
    .triggers = kJoinTriggers,
    .logText = "[Join SubTime && SubText] Click",
    .controls = kJoinControls,
    .run = RunJoinTimeText,
};

}  // namespace tessaline
