#include "ops/line_cut.hpp"

#include <algorithm>
#include <cstdlib>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "core/tags.hpp"
#include "core/text_form.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

/// The longest and the shortest line.
struct Extent {
    std::size_t longest = 0;
    std::size_t shortest = 0;
};

// Lengths count characters (CharCount): bytes in Windows-1251, characters in UTF-8.
std::size_t Length(std::string_view text) {
    return CharCount(text);
}

Extent ExtentOf(const LineList& lines) {
    if (lines.empty()) return {};
    Extent extent{Length(lines.front()), Length(lines.front())};
    for (const std::string& line : lines) {
        const std::size_t length = Length(line);
        extent.longest = std::max(extent.longest, length);
        extent.shortest = std::min(extent.shortest, length);
    }
    return extent;
}

/// A width lowered by the wide-letter rule for `count` wide letters: 1 to 4 by one, 5 or more
/// by two.
int LoweredByWideLetters(int width, int count) {
    return width - (count >= 5 ? 2 : count >= 1 ? 1 : 0);
}

/// length > 0.67 x m, in whole numbers.
bool AboveTwoThirds(std::size_t length, int m) {
    return static_cast<long>(length) * 100 > 67L * m;
}

class EqualCutter {
  public:
    EqualCutter(std::string_view text, const LineCutParams& p, LineList& lines)
        : text_(text), p_(p), lines_(lines), m_(p.maxLength) {}

    void Run() {
        const long length = static_cast<long>(Length(text_));
        // The lines the text needs at the maximum length.
        const long k = m_ > 0 ? (length + m_ - 1) / m_ : 0;
        int w = m_;
        if (p_.lineCount >= 1 && p_.lineCount >= k && k > 0) {
            const long w0 = length / k + 2;
            if (w0 > m_) {
                w = m_;
            } else if (AboveTwoThirds(static_cast<std::size_t>(w0), m_)) {
                w = static_cast<int>(w0);
            } else {
                // 0.8 x m rounded; a fifth is never a half, so no tie arises.
                w = (8 * m_ + 5) / 10;
            }
        }
        CutAt(w);
        if (!p_.reCut) return;
        const Extent extent = ExtentOf(lines_);
        const std::size_t ratio = extent.shortest == 0 ? 0 : extent.longest / extent.shortest;
        if (ratio >= static_cast<std::size_t>(std::max(p_.disbalance, 0))) {
            ReCut(w, k);
            TailJoin();
        }
        const auto count = static_cast<long>(lines_.size());
        if (count > p_.lineCount || count > k)
            GreedyCut(text_, m_, p_.lineCount == 1, p_.fromEnd, lines_);
    }

  private:
    /// The width cut: the greedy cut with the wide-letter rule and cuts after commas and stops.
    void CutAt(int width) {
        width_ = std::max(width, 0);
        lines_.clear();
        CutTextToWidth(text_, width_, p_.fromEnd,
                       CutRules{.wideLetters = p_.wideLetters,
                                .wideSet = p_.wideSet,
                                .atMarks = true,
                                .tagsAside = true},
                       lines_);
    }

    void CutAgainAt(int width) {
        if (width != width_) CutAt(width);
    }

    void ReCut(int w, long k) {
        const auto c = static_cast<long>(lines_.size());
        const int shorter = std::max(m_ - 3, 1);
        if (c > p_.lineCount) {
            if (w < m_) CutAt(m_);
            return;
        }
        const Extent extent = ExtentOf(lines_);
        int unevenPairs = 0;
        for (std::size_t i = 0; i + 1 < lines_.size(); ++i) {
            const auto a = static_cast<long>(Length(lines_[i]));
            const auto b = static_cast<long>(Length(lines_[i + 1]));
            if (std::abs(a - b) > p_.delta) ++unevenPairs;
        }
        if (unevenPairs >= 2) {
            CutAgainAt(shorter);
        } else if (c > k) {
            if (AboveTwoThirds(extent.longest, m_)) {
                CutAgainAt(shorter);
            } else {
                MoveWords();
            }
        } else if (static_cast<long>(extent.longest - extent.shortest) > p_.delta) {
            const long w2 = static_cast<long>(extent.longest + extent.shortest) / 2 + 1;
            const long length = static_cast<long>(Length(text_));
            if (c * w2 != length && c * w2 >= length)
                CutAgainAt(static_cast<int>(std::min<long>(w2, m_)));
        }
    }

    /// Each line's first word (from the end: last word) moves to the line before (after) it
    /// where it fits.
    void MoveWords() {
        if (lines_.empty()) return;
        LineList moved;
        const auto fits = [this](const std::string& line, std::string_view word) {
            return static_cast<long>(Length(line) + 1 + Length(word)) <= m_;
        };
        if (!p_.fromEnd) {
            moved.push_back(lines_.front());
            for (std::size_t i = 1; i < lines_.size(); ++i) {
                const std::string_view line = lines_[i];
                const std::size_t space = FindOutsideTags(line, " ");
                const std::string_view word = line.substr(0, space);
                if (!fits(moved.back(), word)) {
                    moved.emplace_back(line);
                    continue;
                }
                moved.back().append(1, ' ').append(word);
                if (space != std::string_view::npos && space + 1 < line.size()) {
                    moved.emplace_back(line.substr(space + 1));
                }
            }
        } else {
            moved.push_back(lines_.back());
            for (std::size_t i = lines_.size() - 1; i-- > 0;) {
                const std::string_view line = lines_[i];
                const std::size_t space = RFindOutsideTags(line, " ");
                const std::string_view word =
                    space == std::string_view::npos ? line : line.substr(space + 1);
                if (!fits(moved.back(), word)) {
                    moved.emplace_back(line);
                    continue;
                }
                moved.back().insert(0, std::string(word) + ' ');
                if (space != std::string_view::npos && space > 0) {
                    moved.emplace_back(line.substr(0, space));
                }
            }
            ReverseList(moved);
        }
        lines_ = std::move(moved);
    }

    /// The last two lines (from the end: the first two) become one where they fit.
    void TailJoin() {
        if (lines_.size() < 2) return;
        const std::size_t a = p_.fromEnd ? 0 : lines_.size() - 2;
        int limit = m_;
        if (p_.wideLetters) {
            limit = LoweredByWideLetters(limit, CountWideLetters(p_.wideSet, lines_[a]) +
                                                    CountWideLetters(p_.wideSet, lines_[a + 1]));
        }
        if (static_cast<long>(Length(lines_[a]) + 1 + Length(lines_[a + 1])) > limit) return;
        lines_[a].append(1, ' ').append(lines_[a + 1]);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(a) + 1);
    }

    std::string_view text_;
    const LineCutParams& p_;
    LineList& lines_;
    int m_;
    int width_ = 0;  // the width of the last cut
};

}  // namespace

void GreedyCut(std::string_view text, int maxLength, bool breakMode, bool fromEnd,
               LineList& lines) {
    lines.clear();
    CutTextToWidth(text, maxLength, fromEnd, CutRules{.tagsAside = true}, lines);
    if (!breakMode || lines.size() != 3) return;
    const std::size_t a = Length(lines[0]);
    const std::size_t b = Length(lines[1]);
    const std::size_t c = Length(lines[2]);
    // A short first line under a longer second one and a long last one: the second line's
    // first word moves up where it fits.
    if (!(c > (a + b) / 2 && b > a)) return;
    const std::size_t space = FindOutsideTags(lines[1], " ");
    const std::string_view word = std::string_view(lines[1]).substr(0, space);
    if (static_cast<long>(a + 1 + Length(word)) > maxLength) return;
    lines[0].append(1, ' ').append(word);
    if (space == std::string::npos) {
        // The whole line moved: no empty line is left in its place.
        lines.erase(lines.begin() + 1);
    } else {
        lines[1].erase(0, space + 1);
    }
}

void EqualCut(std::string_view text, const LineCutParams& params, LineList& lines) {
    EqualCutter(text, params, lines).Run();
}

void CutLine(std::string_view text, const LineCutParams& params, LineList& lines) {
    if (params.equal) {
        EqualCut(text, params, lines);
    } else {
        GreedyCut(text, params.maxLength, params.breakMode == 1, params.fromEnd, lines);
    }
    // Two spaces in a row can leave a piece of nothing but spaces.
    std::erase_if(lines, [](const std::string& line) {
        return line.find_first_not_of(' ') == std::string::npos;
    });
}

// --- The operation -----------------------------------------------------------------------------

namespace {

// FitsLength for a line of more bytes than `maxLength`; out of line, so that the usual line
// costs the loop that tests it nothing more.
[[gnu::noinline]] bool FitsByCount(std::string_view line, int maxLength, bool utf8) {
    if (utf8 && maxLength >= 0 && Utf8CharsAtMost(line) <= static_cast<std::size_t>(maxLength)) {
        return true;
    }
    return VisibleTextLength(line, false) <= maxLength;
}

/// The line's visible length is at most `maxLength`. A line has no more characters than
/// bytes, nor, in UTF-8 (`utf8`), than Utf8CharsAtMost: most lines fit without a count.
bool FitsLength(std::string_view line, int maxLength, bool utf8) {
    return (maxLength >= 0 && line.size() <= static_cast<std::size_t>(maxLength)) ||
           FitsByCount(line, maxLength, utf8);
}

class LineCutter {
  public:
    LineCutter(FrameRun& run, const SetLengthParams& params)
        : run_(run), p_(params), report_(params.writeLog ? &run.report() : nullptr) {}

    void CutSubRip() {
        LayoutReader reader(run_);
        reader.EachRecord(true, [&] {
            const LayoutRecord& record = reader.record();
            if (reader.text().empty()) {
                Report(record.number, " = Null line!!!");
                reader.WriteRecord();
                return;
            }
            reader.WriteHead();
            for (const std::string& line : reader.text()) {
                if (FitsLength(line, p_.cut.maxLength, utf8_)) {
                    run_.WriteLine(line);
                    continue;
                }
                const bool italic = p_.correctTags && IsWholeLineItalic(line);
                CutLine(line, p_.cut, lines_);
                for (std::size_t i = 0; i < lines_.size(); ++i) {
                    if (p_.correctTags) BalanceTags(lines_[i], italic, i, record.number);
                    run_.WriteLine(lines_[i]);
                }
                ReportCut(record.number);
            }
            if (record.ended) run_.WriteLine(record.end);
        });
    }

    void CutMicroDvd() {
        std::string_view line;
        while (run_.ReadLine(line)) {
            const auto parts = SplitFrameLine(line, p_.closeBracket);
            if (!parts || !CutFrameText(parts->text)) {
                run_.WriteLine(line);
                continue;
            }
            written_.assign(parts->frames);
            written_ += JoinStrings(lines_, "|");
            ReportCut(parts->frames);
            run_.WriteLine(written_);
        }
    }

  private:
    void Report(std::string_view label, std::string_view message) {
        if (report_ != nullptr) ReportLine(*report_, label, message);
    }

    /// The report lines of one cut, whose lines are in lines_.
    void ReportCut(std::string_view label) {
        if (report_ == nullptr || lines_.empty()) return;
        if (static_cast<long>(lines_.size()) > p_.cut.lineCount) {
            Report(label, " = " + std::to_string(lines_.size()) + " lines");
        }
        if (StartsWithSpace(lines_.front())) {
            Report(label, " = Space is a First Symbol of Subtitle!");
        }
        if (IsDialogLine(lines_.front())) Report(label, " = dialog");
    }

    /// A cut line keeps its italics whole: a line that was italic throughout gets the tags on
    /// each piece; otherwise only a tag pair that the cut separated is closed and reopened.
    void BalanceTags(std::string& line, bool wholeLineItalic, std::size_t index,
                     std::string_view label) {
        const int number = static_cast<int>(index);
        line = BalanceTagPair(line, "i", report_, p_.correctInsideTags, wholeLineItalic, number,
                              label);
        line = BalanceTagPair(line, "b", report_, p_.correctInsideTags, false, number, label);
    }

    /// Cuts a MicroDVD text into lines_; false when the text stays as it is.
    ///
    /// A text whose display lines all fit stays as it is. Otherwise it is cut as one: its
    /// display lines are joined and cut again. A dialogue is cut speaker by speaker, so that no
    /// two speakers end up on one line. A leading style tag is taken off each display line and
    /// put back in front (of every line with TAGtoEveryLine).
    bool CutFrameText(std::string_view text) {
        std::string_view tag;
        if (StartsWithNoCase(text, "{y:i}") || StartsWithNoCase(text, "{y:b}")) {
            tag = text.substr(0, 5);
            text.remove_prefix(5);
        }
        const CharSplit displayLines(text, '|');
        const int m = p_.cut.maxLength;
        bool allFit = true;
        for (std::string_view display : displayLines)
            allFit = allFit && FitsLength(display, m, utf8_);
        if (allFit) return false;

        lines_.clear();
        std::string speaker;
        const auto flush = [&] {
            if (speaker.empty()) return;
            if (FitsLength(speaker, m, utf8_)) {
                lines_.push_back(speaker);
            } else {
                CutLine(speaker, p_.cut, pieces_);
                lines_.insert(lines_.end(), pieces_.begin(), pieces_.end());
            }
            speaker.clear();
        };
        for (std::string_view display : displayLines) {
            if (!tag.empty() && StartsWithNoCase(display, tag)) display.remove_prefix(tag.size());
            display = TrimChar(display, ' ');
            if (display.empty()) continue;
            if (IsDialogLine(display)) flush();
            if (!speaker.empty()) speaker += ' ';
            speaker += display;
        }
        flush();
        if (!tag.empty() && !lines_.empty()) {
            const std::size_t tagged = p_.tagToEveryLine && lines_.size() > 1 ? lines_.size() : 1;
            for (std::size_t i = 0; i < tagged; ++i)
                lines_[i].insert(0, tag);
        }
        if (lines_.empty()) lines_.emplace_back(tag);
        return true;
    }

    FrameRun& run_;
    const SetLengthParams& p_;
    LineList* report_;  // null without WriteLogOnSetLength: nothing is collected
    bool utf8_ = CurrentTextForm() == TextForm::Utf8;
    LineList lines_;
    LineList pieces_;
    std::string written_;
};

}  // namespace

RunResult SetLength(const std::string& input, const std::string& output,
                    const SetLengthParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive,
                                         .reportExt = params.writeLog ? "log" : "",
                                         .emptyReportMessage = kNullLogFile}};
    return RunLayout(request, host, [&](FrameRun& run, bool subRip) {
        LineCutter cutter(run, params);
        subRip ? cutter.CutSubRip() : cutter.CutMicroDvd();
    });
}

LineCutParams LineCutParamsOf(const Settings& s) {
    return {.maxLength = s.Int("SubLineLength"),
            .equal = s.Bool("LineCutEqual"),
            .lineCount = s.Int("SubLineCount"),
            .reCut = s.Bool("LineReCut"),
            .delta = s.Int("DeltaSym"),
            .fromEnd = s.Bool("FromSubEnd"),
            .wideLetters = s.Bool("LineAnalySym"),
            .wideSet = s.Text("WideLetters"),
            .disbalance = s.Int("LineLengthDisbalance"),
            .breakMode = s.Int("BreakMode")};
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunSetLength(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    SetLengthParams params{.cut = LineCutParamsOf(s),
                           .correctTags = s.Bool("CorrectTAGs"),
                           .correctInsideTags = s.Bool("CorrectInsideTAGs"),
                           .tagToEveryLine = s.Bool("TAGtoEveryLine"),
                           .writeLog = s.Bool("WriteLogOnSetLength"),
                           .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                           .interactive = a.interactive};
    return SetLength(a.input, a.output, params, c.host);
}

constexpr std::string_view kSetLengthSettings[] = {"SubLineLength",
                                                   "LineCutEqual",
                                                   "SubLineCount",
                                                   "LineReCut",
                                                   "DeltaSym",
                                                   "FromSubEnd",
                                                   "LineAnalySym",
                                                   "WideLetters",
                                                   "LineLengthDisbalance",
                                                   "BreakMode",
                                                   "CorrectTAGs",
                                                   "CorrectInsideTAGs",
                                                   "TAGtoEveryLine",
                                                   "WriteLogOnSetLength",
                                                   "CloseBrackets"};
constexpr Trigger kSetLengthTriggers[] = {{"btnSubLineCut"}};
constexpr VariantCode kSetLengthCodes[] = {{kAnyVariant, 5}};

}  // namespace

extern const Operation kSetLengthOperation{
    .command = "set-length",
    .summary = "cut subtitle lines longer than the line length",
    .help =
        "Cuts every SubRip text line longer than SubLineLength (tags not counted) into lines that\n"
        "fit, at spaces: filling each line (BreakMode=1 evens out a three-line result), or with\n"
        "LineCutEqual=1 into lines of about the same length (LineReCut=1 tries other widths when\n"
        "the lines come out uneven). FromSubEnd=1 fills the lines from the end, LineAnalySym=1\n"
        "gives lines with wide letters a character or two less, CorrectTAGs=1 keeps italic and\n"
        "bold tags balanced on each new line; no line is cut inside a tag. A MicroDVD text with\n"
        "a line too long is laid out anew as a whole (a dialogue speaker by speaker). Writes\n"
        "film.out; with WriteLogOnSetLength=1 also film.log, listing the cuts with more lines\n"
        "than SubLineCount, a space or a dialogue hyphen first.",
    .triggers = kSetLengthTriggers,
    .logText = "[Set Length] Click",
    .codes = kSetLengthCodes,
    .settings = kSetLengthSettings,
    .run = RunSetLength,
};

}  // namespace tessaline
