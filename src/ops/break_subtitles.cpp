#include "ops/break_subtitles.hpp"

#include <algorithm>
#include <iterator>
#include <ranges>
#include <span>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "core/tags.hpp"
#include "core/times.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

enum class Mode { Dialog, BigText };

std::string Braced(std::string_view text) {
    std::string braced = "[";
    braced += text;
    braced += "]";
    return braced;
}

/// Appends the lines to `out`, the separator between them.
template <class Lines>
void AppendJoined(std::string& out, const Lines& lines, char separator) {
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) out += separator;
        out += line;
        first = false;
    }
}

/// The lines from `first` up to `last`, for a range-for. A plain pair rather than
/// std::ranges::subrange: clang 14 (the fuzz build) cannot compile subrange with libstdc++ 12.
template <class It>
struct LineRange {
    It first;
    It last;
    [[nodiscard]] It begin() const { return first; }
    [[nodiscard]] It end() const { return last; }
};
template <class It>
LineRange(It, It) -> LineRange<It>;

class Breaker {
  public:
    Breaker(FrameRun& run, const BreakParams& params, Mode mode)
        : run_(run), p_(params), mode_(mode), report_(run.report()) {}

    void BreakSubRip() {
        subRip_ = true;
        LayoutReader reader(run_);
        reader.EachRecord(true, [&] {
            const LayoutRecord& record = reader.record();
            if (!Break(record.number, record.timing, reader.text())) reader.WriteRecord();
        });
        Finish();
    }

    void BreakMicroDvd() {
        std::string_view line;
        while (run_.ReadLine(line)) {
            const auto parts = SplitFrameLine(line, p_.closeBracket);
            if (!parts) {
                run_.WriteLine(line);
                continue;
            }
            // The frames are the label and the timing at once.
            const std::string frames(parts->frames);
            if (!Break(frames, frames, CharSplit(parts->text, '|'))) run_.WriteLine(line);
        }
        Finish();
    }

  private:
    /// Splits one subtitle where it must; false when it is to be written as it was. The lines
    /// are a SubRip record's, or the display lines of a MicroDVD text walked without a copy.
    template <class Lines>
    bool Break(std::string_view label, std::string_view timing, const Lines& text) {
        int dialogLines = 0;
        int needed = 0;
        int fullLength = 0;
        for (std::string_view line : text) {
            if (IsDialogLine(line)) ++dialogLines;
            const std::size_t chars = CharCount(line);
            needed += NeededLines(chars, p_.lineLength);
            // Without a tag the visible length is the count less the bars, as VisibleTextLength
            // gives it, from the count already made.
            fullLength +=
                line.find('<') == std::string_view::npos && line.find('{') == std::string_view::npos
                    ? static_cast<int>(chars) -
                          static_cast<int>(std::count(line.begin(), line.end(), '|'))
                    : VisibleTextLength(line, true);
        }
        if (fullLength > p_.subtitleFullLength) {
            Report(label, " = Subtitle Full Length is " + std::to_string(fullLength) + " > " +
                              std::to_string(p_.subtitleFullLength));
        }
        if (mode_ == Mode::Dialog) {
            if (dialogLines >= 2) {
                ++allDialogs_;
                return needed >= p_.breakDialogCount && SplitDialog(label, timing, text);
            }
            if (!p_.breakBigText || needed < p_.breakDialogCount) return false;
        } else {
            const int allowed = p_.lineCount * p_.lineLength - p_.maxSubLengthCorrection;
            if (dialogLines > 0 || fullLength + (needed - 1) <= allowed) return false;
        }
        ++allBigTexts_;
        return SplitBigText(label, timing, text);
    }

    /// The timing divided in two; nothing when the timing cannot be read.
    std::optional<SplitTimings> Divided(std::string_view timing) const {
        SplitTimings parts = SplitTiming(timing, 2, p_.timeCorrection, p_.oneTickDifference,
                                         p_.openBracket, p_.closeBracket);
        if (parts.first.empty() || parts.second.empty()) return std::nullopt;
        return parts;
    }

    /// "[d1]+[d2]": the durations of the two parts (frame counts in MicroDVD).
    std::string Durations(const SplitTimings& parts) const {
        const auto duration = [this](std::string_view timing) {
            return Braced(
                SubtitleDuration(timing, p_.openBracket, p_.closeBracket, p_.timeCorrection));
        };
        return duration(parts.first) + "+" + duration(parts.second);
    }

    template <class Lines>
    static std::size_t Symbols(const Lines& lines) {
        std::size_t symbols = 0;
        for (std::string_view line : lines)
            symbols += CharCount(line);
        return symbols;
    }

    /// Splits at the second speaker: the first line after the first that is a dialogue line.
    template <class Lines>
    bool SplitDialog(std::string_view label, std::string_view timing, const Lines& text) {
        const auto second = std::find_if(std::next(text.begin()), text.end(),
                                         [](std::string_view l) { return IsDialogLine(l); });
        const auto parts = Divided(timing);
        if (second == text.end() || !parts) return false;
        const LineRange first{text.begin(), second};
        const LineRange rest{second, text.end()};
        WritePart(label, parts->first, first);
        WritePart(label, parts->second, rest);
        std::string line = " = Break Dialog on 2 tails: " + std::to_string(Symbols(first)) +
                           " and " + std::to_string(Symbols(rest)) + " symbols";
        // The MicroDVD report gives no durations.
        if (subRip_) line += " || " + Durations(*parts);
        Report(label, line);
        ++splitDialogs_;
        return true;
    }

    /// The character at byte i is a full stop, a comma or one of the delimiters.
    bool IsCutMark(std::string_view text, std::size_t i) const {
        return text[i] == '.' || text[i] == ',' || InCharSet(text, i, p_.delimiters);
    }

    /// Splits the text, joined into one line, at the punctuation mark nearest after the start of
    /// a window around its middle.
    template <class Lines>
    bool SplitBigText(std::string_view label, std::string_view timing, const Lines& text) {
        std::string joined;
        AppendJoined(joined, text, ' ');
        const std::string_view all(joined);
        // Positions and widths count characters; `from`, `to`, `mark` and `cut` are bytes.
        const std::size_t half = CharCount(all) / 2;
        std::size_t width = static_cast<std::size_t>(std::max(p_.bigTextCenterWidth, 0));
        if (width / 2 > half) width = half;
        // The window starts at the 1-based position half - width div 2 (position 0 read as 1).
        const std::size_t start = std::max<std::size_t>(half - width / 2, 1) - 1;
        const std::size_t from = CharBytes(all, start);
        const std::size_t to = from + CharBytes(all.substr(from), width);
        // A mark inside a tag ("{y:b,u}", <font face="a, b">) is no place to cut; the walk
        // starts at the text's start to see a tag that begins before the window.
        std::size_t mark = 0;
        while (mark < to && (mark < from || !IsCutMark(all, mark))) {
            const std::size_t tag = TagEndAt(all, mark);
            mark = tag != std::string_view::npos ? tag : CharEnd(all, mark);
        }
        const bool found = mark < to;
        std::size_t cut = found ? CharEnd(all, mark) : all.size();  // where the first part ends
        // A run of marks ("...", "?!") stays whole on the first part.
        while (found && cut < all.size() && IsCutMark(all, cut))
            cut = CharEnd(all, cut);
        // So do tags that close the word before the cut ("Stop.</i> Next"); tags glued to the
        // next word open it and go with it.
        if (found) {
            std::size_t tags = cut;
            for (std::size_t end; (end = TagEndAt(all, tags)) != std::string_view::npos;)
                tags = end;
            if (tags == all.size() || all[tags] == ' ') cut = tags;
        }
        const LineList halves = {std::string(TrimChar(all.substr(0, cut), ' ')),
                                 std::string(TrimChar(all.substr(cut), ' '))};
        const std::string notBroken = " = BigText NOT Break on 2 tails!!!";
        if (!found || halves[0].empty() || halves[1].empty()) {
            Report(label, notBroken);
            return false;
        }
        const auto parts = Divided(timing);
        if (!EndsWithSentenceMark(halves[0], p_.delimiters) || !parts) {
            // A cut after a mark that ends no sentence keeps the subtitle whole, on two lines.
            WritePart(label, timing, halves);
            Report(label, notBroken);
            return true;
        }
        WritePart(label, parts->first, std::span(halves).first(1));
        WritePart(label, parts->second, std::span(halves).subspan(1));
        Report(label, " = Break BigText on 2 tails: " + std::to_string(CharCount(halves[0])) +
                          " and " + std::to_string(CharCount(halves[1])) + " symbols || " +
                          Durations(*parts));
        ++splitBigTexts_;
        return true;
    }

    /// One subtitle of a split: a SubRip record (the number is left as it is: renumbering is an
    /// operation of its own) or a MicroDVD frame line.
    template <class Lines>
    void WritePart(std::string_view number, std::string_view timing, const Lines& lines) {
        if (subRip_) {
            run_.WriteLine(number);
            run_.WriteLine(timing);
            for (std::string_view line : lines)
                run_.WriteLine(line);
            run_.WriteLine("");
            return;
        }
        std::string written(timing);
        AppendJoined(written, lines, '|');
        run_.WriteLine(written);
    }

    void Report(std::string_view label, std::string_view message) {
        ReportLine(report_, label, message);
    }

    /// The summary; a run that split nothing keeps no report.
    void Finish() {
        if (splitDialogs_ == 0 && splitBigTexts_ == 0) {
            run_.DiscardReport();
            return;
        }
        report_.emplace_back(kReportSeparator);
        if (mode_ == Mode::Dialog) {
            report_.push_back(">> " + std::to_string(splitDialogs_) + " / " +
                              std::to_string(allDialogs_) + " = Break / All_Dialogs");
        }
        if (allBigTexts_ > 0) {
            report_.push_back(">> " + std::to_string(splitBigTexts_) + " / " +
                              std::to_string(allBigTexts_) + " = Break / All_Big_Text");
        }
    }

    FrameRun& run_;
    const BreakParams& p_;
    Mode mode_;
    LineList& report_;
    bool subRip_ = false;
    int allDialogs_ = 0;
    int splitDialogs_ = 0;
    int allBigTexts_ = 0;
    int splitBigTexts_ = 0;
};

RunResult RunBreaker(const std::string& input, const std::string& output, const BreakParams& params,
                     Host& host, Mode mode) {
    const FrameRequest request{
        .input = input,
        .output = output,
        .steps = {.interactive = params.interactive,
                  .reportExt = mode == Mode::Dialog ? "DiaBreak" : "BigBreak",
                  .emptyReportMessage = kNoBreaksOfSubtitles}};
    return RunLayout(request, host, [&](FrameRun& run, bool subRip) {
        Breaker breaker(run, params, mode);
        subRip ? breaker.BreakSubRip() : breaker.BreakMicroDvd();
    });
}

}  // namespace

RunResult BreakSubDialog(const std::string& input, const std::string& output,
                         const BreakParams& params, Host& host) {
    return RunBreaker(input, output, params, host, Mode::Dialog);
}

RunResult BreakBigText(const std::string& input, const std::string& output,
                       const BreakParams& params, Host& host) {
    return RunBreaker(input, output, params, host, Mode::BigText);
}

// --- Descriptors -------------------------------------------------------------------------------

BreakParams BreakParamsOf(const Settings& s, bool interactive) {
    return {.lineLength = s.Int("SubLineLength"),
            .breakDialogCount = s.Int("BreakDialogCount"),
            .lineCount = s.Int("SubLineCount"),
            .maxSubLengthCorrection = s.Int("MaxSubLengthCorrection"),
            .subtitleFullLength = s.Int("SubtitleFullLength"),
            .breakBigText = s.Bool("BreakBigText"),
            .bigTextCenterWidth = s.Int("BigTextCenterWidth"),
            .delimiters = s.Text("Delimiters"),
            .oneTickDifference = s.Bool("OneTickDifferenceNearTimeFrame"),
            .timeCorrection = s.Bool("TimeCorrection"),
            .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
            .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
            .interactive = interactive};
}

namespace {

RunResult RunBreakSubDialog(OperationContext& c, const RunArgs& a) {
    return BreakSubDialog(a.input, a.output, BreakParamsOf(c.settings, a.interactive), c.host);
}

RunResult RunBreakBigText(OperationContext& c, const RunArgs& a) {
    return BreakBigText(a.input, a.output, BreakParamsOf(c.settings, a.interactive), c.host);
}

constexpr std::string_view kBreakSubDialogSettings[] = {"SubLineLength",
                                                        "BreakDialogCount",
                                                        "SubtitleFullLength",
                                                        "BreakBigText",
                                                        "BigTextCenterWidth",
                                                        "Delimiters",
                                                        "OneTickDifferenceNearTimeFrame",
                                                        "TimeCorrection",
                                                        "OpenBrackets",
                                                        "CloseBrackets"};
constexpr Trigger kBreakSubDialogTriggers[] = {{"btnBreakSubDialog"}};
constexpr VariantCode kBreakSubDialogCodes[] = {{kAnyVariant, 13}};

constexpr std::string_view kBreakBigTextSettings[] = {
    "SubLineLength",      "SubLineCount", "MaxSubLengthCorrection",         "SubtitleFullLength",
    "BigTextCenterWidth", "Delimiters",   "OneTickDifferenceNearTimeFrame", "TimeCorrection",
    "OpenBrackets",       "CloseBrackets"};
constexpr Trigger kBreakBigTextTriggers[] = {{"btnBreakBigText"}};
constexpr VariantCode kBreakBigTextCodes[] = {{kAnyVariant, 25}};

}  // namespace

extern const Operation kBreakSubDialogOperation{
    .command = "break-dialog",
    .summary = "split long dialogues at the second speaker",
    .help =
        "Splits every SubRip or MicroDVD dialogue (two or more lines beginning with a hyphen)\n"
        "that needs BreakDialogCount display lines or more at SubLineLength into two subtitles\n"
        "at its second speaker, dividing its time (the second starts one millisecond or frame\n"
        "later with OneTickDifferenceNearTimeFrame=1). With BreakBigText=1 a long text that is\n"
        "no dialogue is split in its middle as break-big-text does. The numbers are left as\n"
        "they are. Writes film.out and film.DiaBreak, which lists every split.",
    .triggers = kBreakSubDialogTriggers,
    .logText = "[Break Sub Dialog] Click",
    .codes = kBreakSubDialogCodes,
    .settings = kBreakSubDialogSettings,
    .run = RunBreakSubDialog,
};

extern const Operation kBreakBigTextOperation{
    .command = "break-big-text",
    .summary = "split long texts in their middle",
    .help =
        "Splits every SubRip or MicroDVD subtitle that is no dialogue and longer than\n"
        "SubLineCount x SubLineLength - MaxSubLengthCorrection into two subtitles, dividing its\n"
        "time, after the punctuation mark (\".\", \",\" or one of Delimiters) found first in the\n"
        "BigTextCenterWidth characters around its middle. A cut that ends no sentence keeps the\n"
        "subtitle whole, its text on two lines. Writes film.out and film.BigBreak.",
    .triggers = kBreakBigTextTriggers,
    .logText = "[Break Big Text] Click",
    .codes = kBreakBigTextCodes,
    .settings = kBreakBigTextSettings,
    .run = RunBreakBigText,
};

}  // namespace tessaline
