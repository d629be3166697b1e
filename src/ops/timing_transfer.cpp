#include "ops/timing_transfer.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "core/chars.hpp"
#include "core/times.hpp"
#include "files/fs.hpp"
#include "files/report_file.hpp"
#include "ops/controls.hpp"
#include "ops/record_stream.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

// --- Replace Timings ---------------------------------------------------------------------------

constexpr std::string_view kNullText = " = Null Subtile Text!!!";
constexpr std::string_view kReplaceNullText = " = Replace Null Subtile Text <<";
constexpr std::string_view kTroubles = " = Troubles is here";
constexpr std::string_view kNoAddPartner =
    " = Time Not Replaced: No Subtitle of This Number in Add-File!!!";
constexpr std::string_view kNoAddTiming = " = Time Not Replaced: No Timing Line in Add-File!!!";
constexpr std::string_view kCarriedFromAdd =
    " = Subtitle Copied from Add-File: No Subtitle of This Number in In-File!!!";
constexpr std::string_view kAfterInFileEnd = " = Add-File Subtitle Not Used: In-File Has Ended!!!";

// Pairs the records of the two SubRip files and writes each open-file record with its partner's
// timing line. Every record is written as number, timing line, text lines and one empty line.
class TimingReplacer {
  public:
    TimingReplacer(FrameRun& run, LineReader& add, const ReplaceTimingsParams& params)
        : run_(run),
          params_(params),
          in_(run.in(), params.timeCorrection),
          add_(add, params.timeCorrection) {}

    void Run() {
        addLeft_ = add_.Next(addRec_);
        while (in_.Next(inRec_)) {
            if (inRec_.size() == 1 && run_.AtEnd()) {
                Keep(kEndOfInFile);  // the file ends after a number
            } else if (params_.byPosition) {
                if (addLeft_) {
                    Pair();
                } else {
                    Keep(kTroubles);
                }
            } else {
                // Numbers missing from the open file: the add file's subtitles are carried over
                // with their own timing, so that nothing of either file is lost.
                while (addLeft_ && addRec_.record.number < inRec_.record.number)
                    Carry();
                if (addLeft_ && addRec_.record.number == inRec_.record.number) {
                    Pair();
                } else {
                    Keep(kNoAddPartner);
                }
            }
        }
        WriteStrays(inRec_);  // the lines after the last subtitle
        // The open file has ended: its last subtitle is the output's last. The add file's rest
        // would come after it with times going backwards (often in the add file's language), so
        // it is only listed.
        while (!params_.byPosition && addLeft_) {
            Report("add#" + addRec_.lines()[0], kAfterInFileEnd);
            addLeft_ = add_.Next(addRec_);
        }
    }

  private:
    void Report(std::string_view number, std::string_view message) {
        run_.report().push_back(std::string(number) + std::string(message));
    }

    // Lines outside the subtitles are kept; the empty lines among them are the separators, which
    // are written anew.
    void WriteStrays(const StreamRecord& rec) {
        for (const std::string_view line : rec.before) {
            if (!IsBlankLine(line)) run_.WriteLine(line);
        }
    }

    void WriteText(const StreamRecord& rec) {
        for (std::size_t i = rec.TextBegin(); i < rec.TextEnd(); ++i)
            run_.WriteLine(rec.lines()[i]);
    }

    void Pair() {
        if (!addRec_.timed) {
            Keep(kNoAddTiming);
        } else {
            const std::string& number = inRec_.lines()[0];
            WriteStrays(inRec_);
            run_.WriteLine(number);
            // The open file's own timing line goes; a record without one gets the add file's
            // after its number, its text kept.
            run_.WriteLine(addRec_.TimingLine());
            if (inRec_.HasText()) {
                WriteText(inRec_);
            } else if (params_.replaceNullText && addRec_.HasText()) {
                WriteText(addRec_);
                Report(number, kReplaceNullText);
            } else {
                Report(number, kNullText);
            }
            run_.WriteLine("");
        }
        addLeft_ = add_.Next(addRec_);
    }

    // The open file's record with its own timing.
    void Keep(std::string_view why) {
        WriteStrays(inRec_);
        for (std::size_t i = 0; i < inRec_.TextEnd(); ++i)
            run_.WriteLine(inRec_.lines()[i]);
        run_.WriteLine("");
        Report(inRec_.lines()[0], why);
    }

    // The add file's record, which the open file lacks, with its own timing and text.
    void Carry() {
        for (std::size_t i = 0; i < addRec_.TextEnd(); ++i)
            run_.WriteLine(addRec_.lines()[i]);
        run_.WriteLine("");
        Report("add#" + addRec_.lines()[0], kCarriedFromAdd);
        addLeft_ = add_.Next(addRec_);
    }

    FrameRun& run_;
    const ReplaceTimingsParams& params_;
    RecordStream in_;
    RecordStream add_;
    StreamRecord inRec_;
    StreamRecord addRec_;
    bool addLeft_ = false;
};

// MicroDVD: the two files line by line in step; each frame line takes the frames of the add
// file's line, its own text kept.
void ReplaceFrames(FrameRun& run, LineReader& add, const ReplaceTimingsParams& params) {
    const char open = params.openBracket;
    const char close = params.closeBracket;
    std::string_view line;
    std::string addLine;
    std::string replaced;
    bool addLeft = true;
    while (run.ReadLine(line)) {
        addLeft = addLeft && add.ReadLine(addLine);
        // A line that is no frame line on either side is kept: its text would be lost.
        if (!addLeft || IsBlankLine(line) || !IsFrameLine(line, open, close) ||
            !IsFrameLine(addLine, open, close)) {
            run.WriteLine(line);
            continue;
        }
        replaced = FramePrefix(addLine, close);
        replaced += TextAfterNthChar(line, close, 2);
        run.WriteLine(replaced);
    }
}

// --- Compare Timings ---------------------------------------------------------------------------

constexpr std::string_view kChangeTime = " = Change Time";
constexpr std::string_view kChangeTimeEqualPrev =
    " = Change Time, but This Time equal Prev Time!!!";
constexpr std::string_view kTimeNotChange = " = Time Not Change!!!";
constexpr std::string_view kTimeNotChangeShort = " = Time Not Change!!! [SubLines < 3]";
constexpr std::string_view kInsertAlienTime = " = Insert Alien Time!!! <= Time Not Change!!!";
constexpr std::string_view kUsingAgain = " = Replaced Time Using Again!!!";
constexpr std::string_view kMissingTime = " = Missing Time => Time Not Used!!!";
constexpr std::size_t kCompareSeparatorLength = 56;

// The text comparison of two records: pieces of each text line of one are looked for in the text
// lines of the other.
class TextMatcher {
  public:
    explicit TextMatcher(const CompareTimingsParams& params) : params_(params) {}

    /// The text lines of `y` found by pieces of the text lines of `x` are at least as many as y
    /// has. Records without text never match.
    bool Match(const StreamRecord& x, const StreamRecord& y) {
        if (!x.HasText() || !y.HasText()) return false;
        CleanTexts(x, true, xs_);
        CleanTexts(y, false, ys_);
        std::size_t total = 0;
        for (const std::string& line : xs_) {
            const auto [parts, tails] = PartsFor(static_cast<int>(CharCount(line)));
            std::string pieces[3];
            for (int mode = 0; mode < 3; ++mode) {
                pieces[mode] = TakeTextPartByWords(line, parts, tails, params_.roundWord, mode);
            }
            for (const std::string& other : ys_) {
                // An empty piece finds nothing.
                if (std::any_of(std::begin(pieces), std::end(pieces), [&](const std::string& p) {
                        return !p.empty() && other.find(p) != std::string::npos;
                    })) {
                    ++total;
                }
            }
            if (total >= ys_.size()) return true;
        }
        return false;
    }

  private:
    // The text lines without style tags; the searched side keeps its bold tags.
    static void CleanTexts(const StreamRecord& rec, bool dropBold, LineList& texts) {
        texts.clear();
        for (std::size_t i = rec.TextBegin(); i < rec.TextEnd(); ++i) {
            std::string text = rec.lines()[i];
            for (std::string_view tag : {"<i>", "</i>", "{y:b}", "{y:i}"})
                text = ReplaceAll(tag, "", text, false);
            if (dropBold) {
                text = ReplaceAll("<b>", "", text, false);
                text = ReplaceAll("</b>", "", text, false);
            }
            texts.push_back(ReplaceAll("[br]", " ", text, false));
        }
    }

    std::pair<int, int> PartsFor(int length) const {
        const PartsAndTails& p = params_.parts;
        if (length > p.more24) return {p.parts24, p.tails24};
        if (length <= p.more12) return {p.parts0, p.tails0};
        return {p.parts12, p.tails12};
    }

    const CompareTimingsParams& params_;
    LineList xs_;
    LineList ys_;
};

// Walks the open file's records and keeps a window of the last three add records: the current
// one, the previous and the one before it.
class TimingComparer {
  public:
    TimingComparer(FrameRun& run, LineReader& add, const CompareTimingsParams& params,
                   ReportFile& report)
        : run_(run),
          params_(params),
          delta_(TimeTextToMs(params.deltaTime)),
          report_(report),
          in_(run.in(), params.timeCorrection),
          add_(add, params.timeCorrection),
          texts_(params) {}

    void Run() {
        bool first = true;
        bool addDue = true;
        TimeMs latest = 0;  // the latest of the times of the last pair examined
        while (in_.Next(inRec_)) {
            // By time, an open-file subtitle that ends before the latest time met is behind: the
            // add file waits for it. By text the times of the two files need not be alike (the
            // add file's may all be later), so only the pairing decides.
            const bool behind =
                params_.mode == CompareMode::Time && !(inRec_.timed && inRec_.record.off > latest);
            if (first || (addDue && !behind) || NextAddFitsBetter()) ReadAdd();
            first = false;
            // The add record this subtitle is compared with first: an unpaired subtitle shows its
            // timing when InsTimings is on, even if later add records are read past it below.
            standing_ = inWindow_ > 0 ? std::optional<long>(serial_) : std::nullopt;
            // Subtitles that only the add file has: an add record whose on- and off-times are
            // both a tolerance or more before this subtitle's can pair neither with it nor with a
            // later one; it is passed over, or every later pair would be one off.
            while (params_.mode == CompareMode::Time && inRec_.timed && inWindow_ > 0 &&
                   Behind(window_[0], inRec_) && ReadAdd()) {
            }
            if (inRec_.timed) {
                latest = std::max(inRec_.record.on, inRec_.record.off);
                if (inWindow_ > 0 && window_[0].timed) {
                    latest = std::max({latest, window_[0].record.on, window_[0].record.off});
                }
            }
            const int paired = Pairing();
            // Paired with an older add record, only the open file moves on.
            addDue = paired <= 0;
            Write(paired);
            // The standing record left the window while this subtitle was compared and did not
            // give it its timing: now it is known to be missing.
            if (standingLeft_ && !standingShown_) ReportMissing(standingCopy_);
            standing_.reset();
            standingLeft_ = false;
            standingShown_ = false;
        }
        for (const std::string_view line : inRec_.before)
            WriteLine(line);
        if (!lastBlank_) WriteLine("");
        // The add records that no subtitle took.
        for (int i = inWindow_ - 1; i >= 0; --i) {
            const auto k = static_cast<std::size_t>(i);
            if (!used_[k] && !shown_[k]) ReportMissing(window_[k]);
        }
        if (aheadRead_) ReportMissing(ahead_);
        while (add_.Next(spare_))
            ReportMissing(spare_);
    }

    long changed = 0;
    long notChanged = 0;
    long missing = 0;

  private:
    // The next add record, read ahead once and kept until ReadAdd takes it.
    const StreamRecord* PeekAdd() {
        if (aheadRead_) return &ahead_;
        if (!addLeft_) return nullptr;
        if (!add_.Next(ahead_)) {
            addLeft_ = false;
            return nullptr;
        }
        aheadRead_ = true;
        return &ahead_;
    }

    bool ReadAdd() {
        if (aheadRead_) {
            std::swap(spare_, ahead_);
            aheadRead_ = false;
        } else {
            if (!addLeft_) return false;
            if (!add_.Next(spare_)) {
                addLeft_ = false;
                return false;
            }
        }
        if (inWindow_ == 3 && !used_[2] && !shown_[2]) {
            if (standing_ && *standing_ == serial_ - 2) {
                // Its timing may yet be shown under the subtitle being compared.
                standingCopy_ = window_[2];
                standingLeft_ = true;
            } else {
                ReportMissing(window_[2]);
            }
        }
        std::swap(window_[2], window_[1]);
        std::swap(window_[1], window_[0]);
        std::swap(window_[0], spare_);
        used_ = {false, used_[0], used_[1]};
        shown_ = {false, shown_[0], shown_[1]};
        inWindow_ = std::min(inWindow_ + 1, 3);
        ++serial_;
        return true;
    }

    // A subtitle that ends before the latest time met waits on the current add record; but when
    // that record already gave its timing away and the next one lies as close to the subtitle or
    // closer (subtitles shown at the same time: signs over dialogue), the next one is its partner.
    // Without this, a file compared with its own copy would take its overlapping subtitles'
    // timings from their neighbours.
    bool NextAddFitsBetter() {
        if (params_.mode != CompareMode::Time || !inRec_.timed || inWindow_ == 0 || !used_[0]) {
            return false;
        }
        const StreamRecord* next = PeekAdd();
        if (next == nullptr || !next->timed || !Close(*next, inRec_)) return false;
        return !window_[0].timed || Distance(*next, inRec_) <= Distance(window_[0], inRec_);
    }

    static std::int64_t Distance(const StreamRecord& a, const StreamRecord& b) {
        return std::llabs(std::int64_t{a.record.on} - std::int64_t{b.record.on}) +
               std::llabs(std::int64_t{a.record.off} - std::int64_t{b.record.off});
    }

    // The add record the subtitle was first compared with, or null when there is none.
    StreamRecord* Standing() {
        if (!standing_) return nullptr;
        const long age = serial_ - *standing_;
        if (age < inWindow_) return &window_[static_cast<std::size_t>(age)];
        return standingLeft_ ? &standingCopy_ : nullptr;
    }

    // The standing record's timing was put under the subtitle: it is not missing.
    void MarkStandingShown() {
        const long age = serial_ - *standing_;
        if (age < inWindow_) {
            shown_[static_cast<std::size_t>(age)] = true;
        } else {
            standingShown_ = true;
        }
    }

    // `add` starts and ends at least the tolerance before `in`.
    bool Behind(const StreamRecord& add, const StreamRecord& in) const {
        return add.timed && std::int64_t{add.record.on} + delta_ <= in.record.on &&
               std::int64_t{add.record.off} + delta_ <= in.record.off;
    }

    bool Close(const StreamRecord& a, const StreamRecord& b) const {
        const auto apart = [](TimeMs x, TimeMs y) {
            return static_cast<TimeMs>(std::llabs(std::int64_t{x} - std::int64_t{y}));
        };
        return apart(a.record.on, b.record.on) < delta_ ||
               apart(a.record.off, b.record.off) < delta_;
    }

    // The index in the window of the add record paired with the open file's record, or -1.
    int Pairing() {
        if (!inRec_.timed) return -1;
        const int candidates = params_.mode == CompareMode::Time ? 2 : 3;
        for (int i = 0; i < std::min(candidates, inWindow_); ++i) {
            const StreamRecord& addRec = window_[static_cast<std::size_t>(i)];
            if (!addRec.timed) continue;
            switch (params_.mode) {
                case CompareMode::Time:
                    if (Close(inRec_, addRec)) return i;
                    break;
                case CompareMode::InWithAdd:
                    if (texts_.Match(inRec_, addRec)) return i;
                    break;
                case CompareMode::AddWithIn:
                    if (texts_.Match(addRec, inRec_)) return i;
                    break;
            }
        }
        return -1;
    }

    void Write(int paired) {
        const std::string& number = inRec_.lines()[0];
        if (paired >= 0) {
            const auto i = static_cast<std::size_t>(paired);
            const StreamRecord& addRec = window_[i];
            if (used_[i]) Report("add#" + addRec.lines()[0], kUsingAgain);
            used_[i] = true;
            if (inRec_.size() > 2 && addRec.size() > 2) {
                WriteRecord(run_, inRec_, addRec.TimingLine());
                Report(number,
                       addRec.TimingLine() == lastChange_ ? kChangeTimeEqualPrev : kChangeTime);
                lastChange_ = addRec.TimingLine();
                ++changed;
            } else {
                WriteRecord(run_, inRec_);
                Report(number, kTimeNotChangeShort);
                ++notChanged;
            }
        } else if (const StreamRecord* standing = Standing();
                   params_.insTime && inRec_.timed && standing != nullptr && standing->timed &&
                   standing->size() > 2) {
            // The add file's timing goes under the subtitle's own, marked, for Fix Wrong Time.
            WriteRecordLines(run_, inRec_, 0, 2);
            run_.WriteLine("<[-= " + std::string(standing->TimingLine()) + " =-]>");
            MarkStandingShown();
            WriteRecordLines(run_, inRec_, 2, inRec_.size());
            Report(number, kInsertAlienTime);
            ++notChanged;
        } else {
            WriteRecord(run_, inRec_);
            Report(number, kTimeNotChange);
            ++notChanged;
        }
        lastBlank_ = IsBlankLine(inRec_.lines().back());
    }

    void WriteLine(std::string_view line) {
        run_.WriteLine(line);
        lastBlank_ = IsBlankLine(line);
    }

    void Report(std::string_view reference, std::string_view message) {
        line_.assign(reference);
        line_ += message;
        report_.Add(line_);
    }

    void ReportMissing(const StreamRecord& rec) {
        Report("add#" + rec.lines()[0], kMissingTime);
        ++missing;
    }

    FrameRun& run_;
    const CompareTimingsParams& params_;
    TimeMs delta_;
    ReportFile& report_;
    RecordStream in_;
    RecordStream add_;
    TextMatcher texts_;
    StreamRecord inRec_;
    std::array<StreamRecord, 3> window_;  // the current add record, the previous, the one before
    std::array<bool, 3> used_{};          // each of them gave its timing to a subtitle
    std::array<bool, 3> shown_{};         // each of them was shown under an unpaired subtitle
    int inWindow_ = 0;
    long serial_ = 0;  // the add records read into the window; window_[i] is number serial_ - i
    StreamRecord spare_;
    StreamRecord ahead_;  // the next add record, when read ahead
    bool aheadRead_ = false;
    bool addLeft_ = true;
    std::optional<long> standing_;  // the serial of the standing add record of this subtitle
    StreamRecord standingCopy_;     // the standing record, once it left the window
    bool standingLeft_ = false;
    bool standingShown_ = false;
    std::string lastChange_;  // the timing line written for the last change
    std::string line_;        // the report line being built
    bool lastBlank_ = true;
};

}  // namespace

RunResult ReplaceTimings(const std::string& input, const std::string& add,
                         const std::string& output, const ReplaceTimingsParams& params,
                         Host& host) {
    const std::string ext = LowerExtOf(input);
    const FrameRequest request{
        .input = input,
        .output = output,
        .steps = {.interactive = params.interactive,
                  .reportExt = "replace",
                  .emptyReportMessage = kNullReplaceLengthFile,
                  .summaryText = "Replaced Strings"},
        .parameterCheck = [&](Host& h) {
            // Only two files that are there can differ; a missing one is a silent stop.
            if (!IsRegularFile(input) || !IsRegularFile(add) || LowerExtOf(add) == ext) return true;
            if (params.interactive) h.ShowMessage(kFilesHaveDifferentExtensions);
            return false;
        }};
    return RunInFrameWithAdd(request, add, host, [&](FrameRun& run, LineReader& addIn) {
        if (ext == "srt") {
            TimingReplacer(run, addIn, params).Run();
        } else if (ext == "sub") {
            ReplaceFrames(run, addIn, params);
        } else {
            AbandonUnsupportedKind(run);
        }
    });
}

RunResult CompareTimings(const std::string& input, const std::string& add,
                         const std::string& output, const CompareTimingsParams& params,
                         Host& host) {
    const std::string ext = LowerExtOf(input);
    const std::string reportExt = "cmp" + std::to_string(static_cast<int>(params.mode));
    // Files of different kinds are a silent stop.
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive},
                               .nothingToDo = LowerExtOf(add) != ext};
    // One report line per subtitle: it is written as it grows.
    ReportFile report(input, reportExt);
    long changed = 0, notChanged = 0, missing = 0;
    const auto counts = [&] {
        return "Timings: Changed: " + std::to_string(changed) +
               " | Not Changed: " + std::to_string(notChanged) +
               " | Missing: " + std::to_string(missing);
    };
    const RunResult result =
        RunInFrameWithAdd(request, add, host, [&](FrameRun& run, LineReader& addIn) {
            if (ext != "srt") {
                AbandonUnsupportedKind(run);
                return;
            }
            TimingComparer compare(run, addIn, params, report);
            compare.Run();
            changed = compare.changed;
            notChanged = compare.notChanged;
            missing = compare.missing;
            // Handed inside the frame, before its own count of the lines.
            if (report.size() > 0) {
                run.host().SummarizeRun(counts());
            }
        });
    if (result != RunResult::Done) return result;
    if (report.size() > 0) {
        const std::string summary = counts();
        report.Add(std::string(kCompareSeparatorLength, '='));
        report.Add(summary);
        host.SetStatusBar(summary);
    }
    report.Finish({.interactive = params.interactive,
                   .reportExt = reportExt,
                   .emptyReportMessage = kNullCmpLengthFile},
                  host);
    return result;
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

RunResult RunReplaceTimings(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return ReplaceTimings(a.input, std::string(c.addFile), a.output,
                          {.replaceNullText = s.Bool("ReplaceNullSubText"),
                           .byPosition = s.Bool("RandomNum"),
                           .timeCorrection = s.Bool("TimeCorrection"),
                           .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
                           .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                           .interactive = a.interactive},
                          c.host);
}

RunResult RunCompareTimings(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    const int mode = s.Int("TimingsModeCompare");
    return CompareTimings(a.input, std::string(c.addFile), a.output,
                          {.mode = static_cast<CompareMode>(mode >= 0 && mode <= 2 ? mode : 0),
                           .deltaTime = s.Text("DeltaTime"),
                           .roundWord = s.Bool("RoundWord"),
                           .insTime = s.Bool("InsTimings"),
                           .parts = {.more12 = s.Int("more12"),
                                     .more24 = s.Int("more24"),
                                     .parts0 = s.Int("parts0"),
                                     .tails0 = s.Int("tails0"),
                                     .parts12 = s.Int("parts12"),
                                     .tails12 = s.Int("tails12"),
                                     .parts24 = s.Int("parts24"),
                                     .tails24 = s.Int("tails24")},
                           .timeCorrection = s.Bool("TimeCorrection"),
                           .interactive = a.interactive},
                          c.host);
}

constexpr OptionDef kAddOptions[] = {{.name = "--add",
                                      .kind = OptionKind::Text,
                                      .valueName = "FILE",
                                      .control = "edOpenFileAdd",
                                      .required = true,
                                      .help = "the file whose timings are taken"}};
constexpr std::string_view kAddControls[] = {"edOpenFileAdd"};

constexpr std::string_view kReplaceSettings[] = {"ReplaceNullSubText", "RandomNum",
                                                 "TimeCorrection", "OpenBrackets", "CloseBrackets"};
constexpr Trigger kReplaceTriggers[] = {{"btnReplaceTimingsSub"}};

constexpr std::string_view kCompareSettings[] = {"TimingsModeCompare",
                                                 "DeltaTime",
                                                 "RoundWord",
                                                 "InsTimings",
                                                 "more12",
                                                 "more24",
                                                 "parts0",
                                                 "tails0",
                                                 "parts12",
                                                 "tails12",
                                                 "parts24",
                                                 "tails24",
                                                 "TimeCorrection"};
constexpr Trigger kCompareTriggers[] = {{"btnCompareTimingsSub"}};

}  // namespace

extern const Operation kReplaceTimingsOperation{
    .command = "replace-timings",
    .summary = "take the timings of another file, subtitle by subtitle",
    .help =
        "Puts the timing lines of FILE in place of those of PATH, pairing the subtitles by number\n"
        "(by position with RandomNum=1) and keeping PATH's text; a subtitle that only one file\n"
        "has is written with its own timing, but the output ends with PATH's last subtitle\n"
        "(FILE's subtitles after it are only listed). MicroDVD files take FILE's frames line\n"
        "by line.\n"
        "Writes film.out and lists the subtitles without a partner or without text in\n"
        "film.replace. Both files must be of the same kind.",
    .options = kAddOptions,
    .triggers = kReplaceTriggers,
    .logText = "[Replace Timings] Click",
    .settings = kReplaceSettings,
    .controls = kAddControls,
    .run = RunReplaceTimings,
};

extern const Operation kCompareTimingsOperation{
    .command = "compare-timings",
    .summary = "pair with another file's subtitles by time or text",
    .help =
        "Pairs each subtitle of the SubRip file PATH with one of FILE by time (on- or off-times\n"
        "closer than DeltaTime; TimingsModeCompare=0) or by text (TimingsModeCompare=1: PATH's\n"
        "text found in FILE's, 2: the other way round) and takes over the paired timing.\n"
        "Writes film.out and the report film.cmp0, film.cmp1 or film.cmp2 by mode.",
    .options = kAddOptions,
    .triggers = kCompareTriggers,
    .logText = "[Compare Timings] Click",
    .settings = kCompareSettings,
    .controls = kAddControls,
    .run = RunCompareTimings,
};

}  // namespace tessaline
