#include "ops/length_test.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "core/text_form.hpp"
#include "core/times.hpp"
#include "files/report_file.hpp"
#include "files/text_width.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kError = " <<< Error >>>";
constexpr std::string_view kWarning = " <<< Warning >>>";
constexpr std::string_view kSpaceLinesSeparator = "==========================================";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Copies `line` into `out` without the tags of `tags` (any letter case).
void RemoveTags(std::string_view line, std::initializer_list<std::string_view> tags,
                std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < line.size();) {
        const auto tag = std::find_if(tags.begin(), tags.end(), [&](std::string_view t) {
            return StartsWithNoCase(line.substr(i), t);
        });
        if (tag == tags.end()) {
            out += line[i++];
        } else {
            i += tag->size();
        }
    }
}

/// The MicroDVD style tags removed and "[br]" read as a space, as a MicroDVD line is shown.
void ShownMicroDvdLine(std::string_view line, std::string& out) {
    RemoveTags(line, {"{y:i}", "{y:b}"}, out);
    if (out.find('[') != std::string::npos) out = ReplaceAll("[br]", " ", out, true);
}

/// The first character of a line's text: after a leading "<i>", or after a leading MicroDVD
/// style tag up to its closing bracket.
std::optional<char> FirstSymbol(std::string_view line) {
    if (line.empty()) return std::nullopt;
    if (line.front() != '<' && line.front() != '{') return line.front();
    if (StartsWithNoCase(line, "<i>")) {
        line.remove_prefix(3);
    } else if (StartsWithNoCase(line, "{y:")) {
        line = TextAfterChar(line, '}');
    }
    if (line.empty()) return std::nullopt;
    return line.front();
}

/// The last character of a line's text: before a closing tag that ends the line.
std::optional<char> LastSymbol(std::string_view line) {
    if (!line.empty() && line.back() == '>') {
        const std::size_t open = line.rfind('<');
        if (open != std::string_view::npos && open + 1 < line.size() && line[open + 1] == '/') {
            line = line.substr(0, open);
        }
    }
    if (line.empty()) return std::nullopt;
    return line.back();
}

/// Adds one to a decimal number written in ASCII digits.
void IncrementDecimal(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

/// The case counts and the pixel width of a line in one pass, by table: a Windows-1251 line,
/// or plain UTF-8 (see PlainTally); a line with "<" (it may hold tags) or any other UTF-8 line
/// is refused and measured the long way.
class LineTally {
  public:
    explicit LineTally(const TextWidthMeter* meter) {
        if (CurrentTextForm() == TextForm::Utf8) {
            utf8_.emplace(meter != nullptr ? meter->CodePointAdvances() : nullptr, "<");
        } else {
            bytes_.emplace(meter != nullptr ? meter->ByteAdvances() : nullptr, "<");
        }
    }

    [[nodiscard]] bool Count(std::string_view text, CaseCounts& counts, int& width) const {
        return utf8_ ? utf8_->Count(text, counts, width) : bytes_->Count(text, counts, width);
    }

  private:
    std::optional<PlainTally> utf8_;
    std::optional<ByteTally> bytes_;
};

/// What the checks of one subtitle found.
struct SubtitleFindings {
    bool error = false;
    bool warning = false;
    bool dialog = false;
    int lines = 0;
    int measuredLines = 0;  // the lines measured: a padding or NULL line takes a place only
    std::size_t fullLength = 0;
    std::size_t shortest = 0;
    std::size_t longest = 0;
};

class LengthChecker {
  public:
    LengthChecker(FrameRun& run, const LengthTestParams& params, ReportFile& report)
        : run_(run), p_(params), report_(report) {
        MakeMeter();
        tally_.emplace(meter_ ? &*meter_ : nullptr);
        // What may start a finding at a line's ends: a space (or a tag before one) first, and
        // with the number checks a digit first or last (or a tag around it).
        for (const char c : {' ', '<', '{'})
            mayStart_[static_cast<unsigned char>(c)] = true;
        if (p_.checkFirstLastNumber) {
            for (char c = '0'; c <= '9'; ++c)
                mayStart_[static_cast<unsigned char>(c)] = mayEnd_[static_cast<unsigned char>(c)] =
                    true;
            mayEnd_['>'] = true;
        }
        // Longer lines are found too long, or are checked for wide letters.
        const auto length = static_cast<std::size_t>(std::max(p_.lineLength, 0));
        quietLength_ = p_.wideLetters ? (length == 0 ? 0 : length - 1) : length + 1;
        quietWidth_ = meter_ ? p_.pixelWidthMax : INT_MAX;
    }

    void MakeMeter() {
        if (!p_.checkPixelWidth) return;
        meter_.emplace(p_.fontPath.empty() ? DialogFontPath() : p_.fontPath);
        // The check is never passed in silence: the report says it could not be made.
        if (!meter_->available()) {
            report_.Add(std::string(kPixelCheckUnavailable) + meter_->error());
            meter_.reset();
            return;
        }
    }

    void CheckSubRip() {
        LayoutReader reader(run_);
        // The label of the last subtitle, kept only when it is not the subtitle's count (the
        // usual label is, and is known without a copy).
        std::string lastLabel;
        bool lastIsCount = false;
        std::string count = "0";  // subtitles_ in decimal
        bool numberingReported = false;
        reader.EachRecord(false, [&] {
            const LayoutRecord& record = reader.record();
            const std::string& label = record.number;
            ++subtitles_;
            IncrementDecimal(count);
            lastIsCount = label == count;
            if (!lastIsCount) lastLabel = label;
            SubtitleFindings found;
            // Only the first wrong number is reported: after it every number would be.
            if (!numberingReported && !lastIsCount && StrToIntSafe(label) != subtitles_) {
                numberingReported = true;
                Mark(found, label,
                     " = >>> wrong subtitle number! Must be: " + std::to_string(subtitles_),
                     kError);
            }
            int k = 0;
            for (const std::string& line : reader.text()) {
                ++k;
                // A line of one space is the padding "Subtitles To Bottom" puts above a short
                // subtitle: it takes its place among the lines, nothing more.
                if (line == " ") {
                    ++found.lines;
                    continue;
                }
                CheckLine(found, label, line, line, k);
            }
            if (reader.text().empty()) {
                Plain(label, " = Null line!!!");
            } else {
                CheckSubtitle(found, label);
            }
            if (record.ended && record.end == " ") ++spaceLines_;
            Count(found);
        });
        if (lastIsCount) lastLabel = count;
        if (subtitles_ > 0 && IsNumberStr(lastLabel)) {
            if (StrToIntSafe(lastLabel) != subtitles_) {
                report_.Add("File has wrong subtitle numbers! Present: " + lastLabel +
                            ", Must be: " + std::to_string(subtitles_) + std::string(kError));
            }
        } else {
            run_.Tell(kWrongSubtitleNumber);
        }
        Finish();
    }

    void CheckMicroDvd() {
        std::string_view frameLine;
        std::string measured;
        while (run_.ReadLine(frameLine)) {
            const auto parts = SplitFrameLine(frameLine, p_.closeBracket);
            if (!parts) continue;
            const std::string_view label = parts->frames;
            const std::string_view text = parts->text;
            ++subtitles_;
            SubtitleFindings found;
            if (text.find("}{") != std::string_view::npos ||
                text.find("}|{") != std::string_view::npos) {
                Note(label, " = Subtitle mayby contain Wrong TAG!!!");
            }
            if (!text.empty() && text.back() == '|') {
                Mark(found, label, " = >>> Subtitle contain Wrong Breaker in Last symbol!!!",
                     kError);
            }
            int k = 0;
            for (std::string_view line : CharSplit(text, '|')) {
                ++k;
                if (line.empty() || line == " ") {
                    Plain(label, " = line " + std::to_string(k) + " is NULL-Line in Subtitle!");
                    ++found.lines;
                    continue;
                }
                // Measured as shown: without the style tags, "[br]" (a line break) as a space.
                ShownMicroDvdLine(line, measured);
                CheckLine(found, label, line, measured, k);
            }
            CheckSubtitle(found, label);
            Count(found);
        }
        Finish();
    }

  private:
    void Plain(std::string_view label, std::string_view message) {
        line_.assign(label);
        line_ += message;
        report_.Add(line_);
    }

    void Note(std::string_view label, std::string_view message) {
        if (!p_.onlyErrors) Plain(label, message);
    }

    /// An error (severity kError) or a warning (kWarning): the mark ends the line, and the
    /// subtitle counts as wrong or as warned.
    void Mark(SubtitleFindings& found, std::string_view label, std::string_view message,
              std::string_view severity) {
        (severity == kError ? found.error : found.warning) = true;
        line_.assign(label);
        line_ += message;
        line_ += severity;
        report_.Add(line_);
    }

    /// The checks of text line k. `line` is the line as written, `shown` the line as shown
    /// (without MicroDVD style tags).
    /// A line as the checks see it.
    struct LineFacts {
        std::string_view plain;  // the line as shown, without tags
        CaseCounts counts;       // of plain, unless only errors are written
        std::size_t n = 0;       // its characters
        int width = 0;           // its pixel width, with the meter
        EndWords end;            // with CheckEndLettersInSubLine
    };

    void CheckLine(SubtitleFindings& found, std::string_view label, std::string_view line,
                   std::string_view shown, int k) {
        // The case counts cover every character: with them the line's length comes from the
        // same walk, and the width too when the pixel check is on. A line without "<" (no
        // tags) in plain text, the usual one, is counted in one pass by table.
        LineFacts f;
        f.plain = shown;
        const bool fast = tally_->Count(shown, f.counts, f.width);
        if (fast) {
            f.n = static_cast<std::size_t>(f.counts.latinUpper + f.counts.latinLower +
                                           f.counts.cyrillicUpper + f.counts.cyrillicLower +
                                           f.counts.other);
        } else {
            // The tags <i> </i> <b> </b> are not shown either.
            if (shown.find('<') != std::string_view::npos) {
                RemoveTags(shown, {"<i>", "</i>", "<b>", "</b>"}, plain_);
                f.plain = plain_;
            }
            if (p_.onlyErrors) {
                f.n = CharCount(f.plain);
            } else {
                (void)IsMostlyUpperCase(f.plain, &f.counts);
                f.n = static_cast<std::size_t>(f.counts.latinUpper + f.counts.latinLower +
                                               f.counts.cyrillicUpper + f.counts.cyrillicLower +
                                               f.counts.other);
            }
            if (meter_) f.width = meter_->Width(f.plain);
        }
        if (p_.checkEndLetters) {
            f.end = fast ? PlainShortWordsAtEnd(f.plain) : ShortWordsAtEnd(f.plain);
        }
        // Most lines have no finding: that is told by a few tests of their ends and figures,
        // and only a line that may have one goes through the checks that write them.
        const char first = line.empty() ? '\0' : line.front();
        const char last = line.empty() ? '\0' : line.back();
        const bool maybe = mayStart_[static_cast<unsigned char>(first)] ||
                           mayEnd_[static_cast<unsigned char>(last)] || f.n >= quietLength_ ||
                           f.width > quietWidth_ || shown.size() == 1 || shown.size() == 4 ||
                           f.plain.empty() || (p_.tagTest && (!fast || f.plain.size() <= 1)) ||
                           (!p_.onlyErrors && (f.counts.latinUpper > f.counts.latinLower ||
                                               f.counts.cyrillicUpper > f.counts.cyrillicLower)) ||
                           f.end.oneLetter || f.end.twoLetters;
        if (maybe) ReportLine(found, label, line, shown, k, f);
        // Only a line that begins with "-", "<" or "{" can be a dialogue line.
        if ((first == '-' || first == '<' || first == '{') && IsDialogLine(line)) {
            found.dialog = true;
        }
        found.shortest = found.measuredLines == 0 ? f.n : std::min(found.shortest, f.n);
        ++found.measuredLines;
        found.longest = std::max(found.longest, f.n);
        found.fullLength += f.n;
        ++found.lines;
    }

    /// The findings of text line k, in their order in the report. `line` is the line as
    /// written, `shown` the line as shown (without MicroDVD style tags).
    [[gnu::noinline]] void ReportLine(SubtitleFindings& found, std::string_view label,
                                      std::string_view line, std::string_view shown, int k,
                                      const LineFacts& f) {
        const std::string number = std::to_string(k);
        const std::string_view plain = f.plain;
        const std::size_t n = f.n;
        CheckEnds(found, label, line);
        if (p_.tagTest) {
            if (plain.size() != shown.size()) Note(label, " = TAG(s) present in Subtitle");
            if (plain.empty() || plain == " ") {
                Mark(found, label, " = >>> ERROR: line " + number + " contain Only TAG(s)", kError);
            }
        }
        const auto length = static_cast<std::size_t>(std::max(p_.lineLength, 0));
        if (n > length) {
            Mark(found, label,
                 " = >>> " + number + " line: " + std::to_string(n) + " symbols contain", kError);
        }
        if (p_.wideLetters && n + 1 >= length) {
            const int wide = CountWideLetters(p_.wideSet, plain);
            const int marks = CountStr("...", plain, false) + CountChar('"', plain);
            if ((n == length && wide - marks > 3) || (n + 1 == length && wide - marks >= 6)) {
                Mark(found, label,
                     " = >>> " + number + " line: " + std::to_string(n) +
                         " symbols contain and include " + std::to_string(wide) + " wide letters",
                     kWarning);
            }
        }
        if (meter_ && f.width > p_.pixelWidthMax) {
            Mark(found, label,
                 " = >>> " + number + " line: " + std::to_string(f.width) + " pixels width",
                 kError);
        }
        if (IsDialogHyphen(shown)) {
            Mark(found, label,
                 " = >>> ERROR: line " + number + " has only hyphen (defis) [maybe broken Dialog]",
                 kError);
        }
        if (plain.empty()) Mark(found, label, " = >>> ERROR: line " + number + " is Null", kError);
        const CaseCounts& counts = f.counts;
        if (!p_.onlyErrors && (counts.latinUpper > counts.latinLower ||
                               counts.cyrillicUpper > counts.cyrillicLower)) {
            Note(label, " = " + number + " line: " + std::to_string(counts.latinUpper) + "/" +
                            std::to_string(counts.cyrillicUpper) + " Upper symbols vs. " +
                            std::to_string(counts.latinLower) + "/" +
                            std::to_string(counts.cyrillicLower) + " Lower symbols contain");
        }
        if (f.end.oneLetter) {
            Mark(found, label, " = One Letter in End of Line " + number, kWarning);
        }
        if (f.end.twoLetters) {
            Mark(found, label, " = Two Letters in End of Line " + number, kWarning);
        }
    }

    /// A space first, and with CheckFirslLastNumberInSubLine a digit first or last.
    void CheckEnds(SubtitleFindings& found, std::string_view label, std::string_view line) {
        if (StartsWithSpace(line)) {
            Mark(found, label, " = >>> Space is a First Symbol of Subtitle!", kError);
        }
        if (!p_.checkFirstLastNumber) return;
        if (const auto first = FirstSymbol(line); first && IsDigit(*first)) {
            Note(label, " = Number is a First Symbol of Subtitle!");
        }
        if (const auto last = LastSymbol(line); last && IsDigit(*last)) {
            Note(label, " = Number is a Last Symbol of Subtitle!");
        }
    }

    /// The checks of the subtitle as a whole, after its lines.
    void CheckSubtitle(SubtitleFindings& found, std::string_view label) {
        if (found.lines > p_.lineCount) {
            const std::string lines = std::to_string(found.lines);
            Mark(found, label,
                 found.dialog ? " = >>> " + lines + " lines [with Dialog] [" + lines + " lines]"
                              : " = >>> " + lines + " lines",
                 kError);
        }
        if (found.fullLength > static_cast<std::size_t>(std::max(p_.subtitleFullLength, 0))) {
            Mark(found, label,
                 " = >>> Subtitle Full Length is " + std::to_string(found.fullLength) + " > " +
                     std::to_string(p_.subtitleFullLength),
                 kError);
        }
        if (p_.checkCountLines && !found.dialog && p_.lineLength > 0) {
            // The lines the text would need if it ran on at the line length.
            const std::size_t needed = (found.fullLength + static_cast<std::size_t>(found.lines) -
                                        1 + static_cast<std::size_t>(p_.lineLength) - 1) /
                                       static_cast<std::size_t>(p_.lineLength);
            if (needed < static_cast<std::size_t>(found.lines)) {
                Note(label, " = Subtitle Count Lines is " + std::to_string(found.lines) + " > " +
                                std::to_string(needed));
            }
        }
        if (p_.checkDisbalance) CheckDisbalance(found, label);
    }

    void CheckDisbalance(const SubtitleFindings& found, std::string_view label) {
        if (found.dialog && (p_.disbalanceExcludeDialog || found.lines > p_.lineCount)) return;
        // Without a measured line there is nothing to compare.
        if (found.measuredLines == 0) return;
        const std::string dialog =
            found.dialog ? " [with Dialog] [" + std::to_string(found.lines) + " lines]" : "";
        if (found.shortest == 0) {
            Note(label, " = Subtitle Disbalance: Division by Zero!" + dialog);
            return;
        }
        const std::size_t ratio = found.longest / found.shortest;
        if (ratio >= static_cast<std::size_t>(std::max(p_.disbalance, 0))) {
            Note(label, " = Subtitle Disbalance is: " + std::to_string(ratio) + dialog);
        }
    }

    void Count(const SubtitleFindings& found) {
        if (found.error) ++wrong_;
        if (found.warning) ++warned_;
    }

    void Finish() {
        if (spaceLines_ > 0) {
            report_.Add(kSpaceLinesSeparator);
            report_.Add("File has " + std::to_string(spaceLines_) +
                        " Space-Lines in End of Subtitle!");
        }
        if (wrong_ == 0 && warned_ == 0) return;
        std::string summary;
        if (wrong_ > 0) summary = CountText(wrong_, "wrong subtitle", "wrong subtitles");
        if (wrong_ > 0 && warned_ > 0) summary += ", ";
        if (warned_ > 0) summary += CountText(warned_, "warning", "warnings");
        run_.host().SummarizeRun(summary);
        report_.Add(kReportSeparator);
        const std::string wrong = std::to_string(wrong_);
        const std::string warned = std::to_string(warned_);
        if (wrong_ > 0 && warned_ > 0) {
            report_.Add(">>> " + wrong + " Wrong and " + warned + " Warning Subtitles");
        } else if (warned_ > 0) {
            report_.Add(">>> " + warned + " Warning Subtitles");
        } else {
            report_.Add(">>> " + wrong + " Wrong Subtitles");
        }
    }

    FrameRun& run_;
    const LengthTestParams& p_;
    ReportFile& report_;
    std::optional<TextWidthMeter> meter_;
    std::optional<LineTally> tally_;  // after the meter, whose widths it adds
    int subtitles_ = 0;
    int wrong_ = 0;
    int warned_ = 0;
    int spaceLines_ = 0;
    std::string line_;
    std::string plain_;
    std::array<bool, 256> mayStart_{};  // a first character that may start a finding
    std::array<bool, 256> mayEnd_{};    // a last character that may
    std::size_t quietLength_ = 0;       // a line this long or longer may have a finding
    int quietWidth_ = INT_MAX;          // a line wider may have one
};

}  // namespace

std::string MeasuredLine(std::string_view line, bool microDvd) {
    std::string shown(line);
    if (microDvd) ShownMicroDvdLine(line, shown);
    std::string plain;
    RemoveTags(shown, {"<i>", "</i>", "<b>", "</b>"}, plain);
    return plain;
}

RunResult LengthTest(const std::string& input, const LengthTestParams& params, Host& host) {
    const std::string noOutput;
    const FrameSteps steps{.interactive = params.interactive,
                           .reportExt = "len",
                           .emptyReportMessage = kNoLengthWarnings,
                           .writesOutput = false};
    // The report may hold a line for every line of the file: it goes to disk as it grows, and
    // the frame's own report (kept in memory) stays unused.
    FrameSteps frameSteps = steps;
    frameSteps.reportExt = {};
    const FrameRequest request{.input = input, .output = noOutput, .steps = frameSteps};
    return RunLayout(request, host, [&](FrameRun& run, bool subRip) {
        ReportFile report(input, steps.reportExt);
        LengthChecker checker(run, params, report);
        subRip ? checker.CheckSubRip() : checker.CheckMicroDvd();
        report.Finish(steps, run.host());
    });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunLengthTest(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return LengthTest(a.input,
                      {.lineLength = s.Int("SubLineLength"),
                       .lineCount = s.Int("SubLineCount"),
                       .subtitleFullLength = s.Int("SubtitleFullLength"),
                       .tagTest = s.Bool("TAGtest"),
                       .onlyErrors = s.Bool("OnlyError_to_Log"),
                       .wideLetters = s.Bool("LineAnalySym"),
                       .wideSet = s.Text("WideLetters"),
                       .checkFirstLastNumber = s.Bool("CheckFirslLastNumberInSubLine"),
                       .checkEndLetters = s.Bool("CheckEndLettersInSubLine"),
                       .checkPixelWidth = s.Bool("CheckPixelTextWidthMax"),
                       .pixelWidthMax = s.Int("PixelTextWidthMax"),
                       .checkDisbalance = s.Bool("CheckLineLengthDisbalance"),
                       .disbalance = s.Int("LineLengthDisbalance"),
                       .disbalanceExcludeDialog = s.Bool("DisbalanceExcludeDialog"),
                       .checkCountLines = s.Bool("CheckSubCntLinesMoreThatTruncCntSymbols"),
                       .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                       .interactive = a.interactive},
                      c.host);
}

constexpr std::string_view kLengthTestSettings[] = {"SubLineLength",
                                                    "SubLineCount",
                                                    "SubtitleFullLength",
                                                    "TAGtest",
                                                    "OnlyError_to_Log",
                                                    "LineAnalySym",
                                                    "WideLetters",
                                                    "CheckFirslLastNumberInSubLine",
                                                    "CheckEndLettersInSubLine",
                                                    "CheckPixelTextWidthMax",
                                                    "PixelTextWidthMax",
                                                    "CheckLineLengthDisbalance",
                                                    "LineLengthDisbalance",
                                                    "DisbalanceExcludeDialog",
                                                    "CheckSubCntLinesMoreThatTruncCntSymbols",
                                                    "CloseBrackets"};
constexpr Trigger kLengthTestTriggers[] = {{"btnSubLineTest"}};
constexpr VariantCode kLengthTestCodes[] = {{kAnyVariant, 6}};

}  // namespace

extern const Operation kLengthTestOperation{
    .command = "length-test",
    .summary = "check line lengths, line counts, numbering and pixel widths",
    .help =
        "Checks a SubRip or MicroDVD file without changing it and writes film.len (replacing an\n"
        "older one): lines longer than SubLineLength, subtitles with more than SubLineCount lines\n"
        "or longer than SubtitleFullLength, wrong numbering (SubRip), a space or a digit first,\n"
        "leftover tags (TAGtest=1), full lines with many wide letters (LineAnalySym=1), lines\n"
        "wider than PixelTextWidthMax pixels in the dialog font (CheckPixelTextWidthMax=1; the\n"
        "font is fonts-wine's ms_sans_serif.ttf, or the file TESSALINE_DIALOG_FONT names), one\n"
        "or two letters alone at a line end, unbalanced lines (CheckLineLengthDisbalance=1).\n"
        "OnlyError_to_Log=1 leaves the notes out. A clean file gets no report and the message\n"
        "\"No Legth Warnings!\". Writes no output: film.out is never needed.",
    .triggers = kLengthTestTriggers,
    .logText = "[Test Length] Click",
    .outputExt = "",
    .codes = kLengthTestCodes,
    .settings = kLengthTestSettings,
    .run = RunLengthTest,
};

}  // namespace tessaline
