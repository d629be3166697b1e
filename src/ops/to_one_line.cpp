#include "ops/to_one_line.hpp"

#include <algorithm>
#include <span>
#include <utility>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "core/tags.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kNullSubtitleDeleted = " = Null-Subtitle Deleted!!!";

class OneLineJoiner {
  public:
    OneLineJoiner(FrameRun& run, const ToOneLineParams& params)
        : run_(run), p_(params), report_(run.report()) {}

    void JoinSubRip() {
        LayoutReader reader(run_);
        reader.EachRecord(true, [&] {
            const std::string& label = reader.record().number;
            const auto text = reader.text();
            if (text.empty()) {
                Report(label, kNullSubtitleDeleted);
                return;
            }
            if (KeepsLength(label, text)) {
                reader.WriteRecord();
                return;
            }
            // A subtitle of one line that tidying would leave as it is, as most are, is written
            // from the reader's line, not copied first.
            if (text.size() == 1 && IsTidy(text.front())) {
                WriteJoined(reader, label, text);
                return;
            }
            // A dialogue keeps one line per speaker. Nothing is built before the first line, so
            // a first line that is already a speaker's starts the first line, not an empty one.
            joinedCount_ = 0;
            std::string* building = &NextJoined();
            for (const std::string& line : text) {
                if (IsDialogLine(line) && !building->empty()) building = &AddJoined(*building);
                if (!building->empty()) *building += ' ';
                *building += line;
            }
            if (!building->empty()) AddJoined(*building);
            if (joinedCount_ == 0) {
                Report(label, kNullSubtitleDeleted);
                return;
            }
            WriteJoined(reader, label, std::span<const std::string>(joined_.data(), joinedCount_));
        });
    }

    void JoinMicroDvd() {
        std::string_view line;
        std::string text;
        while (run_.ReadLine(line)) {
            const auto parts = SplitFrameLine(line, p_.closeBracket);
            if (!parts) {
                run_.WriteLine(line);
                continue;
            }
            const CharSplit pieces(parts->text, '|');
            if (KeepsLength(parts->frames, pieces)) {
                run_.WriteLine(line);
                continue;
            }
            const bool italic = AllStartWith(pieces, "{y:i}");
            const bool bold = AllStartWith(pieces, "{y:b}");
            if (parts->text.find('-') == std::string_view::npos) {
                text = ReplaceChar(parts->text, '|', ' ');
            } else {
                // One display line per speaker; the first piece has no bar before it.
                text.clear();
                bool first = true;
                for (std::string_view piece : pieces) {
                    piece = TrimChar(piece, ' ');
                    if (!first) text += IsDialogLine(piece) ? '|' : ' ';
                    text += piece;
                    first = false;
                }
            }
            if (italic) text = OneStyleTag(text, "{y:i}");
            if (bold) text = OneStyleTag(text, "{y:b}");
            TidyInPlace(text);
            ReportFullLength(parts->frames, VisibleTextLength(text, true));
            std::string written(parts->frames);
            written += text;
            run_.WriteLine(written);
        }
    }

  private:
    /// The subtitle's head, its joined lines and the empty line after them; a subtitle longer
    /// than the full length is reported.
    void WriteJoined(LayoutReader& reader, std::string_view label,
                     std::span<const std::string> lines) {
        reader.WriteHead();
        std::size_t bytes = 0;
        for (const std::string& line : lines) {
            run_.WriteLine(line);
            bytes += line.size();
        }
        run_.WriteLine("");
        // A line has no more characters than bytes: a subtitle whose bytes fit the full length,
        // as nearly all do, is not counted.
        if (bytes <= static_cast<std::size_t>(std::max(p_.subtitleFullLength, 0))) return;
        int fullLength = 0;
        for (const std::string& line : lines)
            fullLength += VisibleTextLength(line, false);
        ReportFullLength(label, fullLength);
    }

    /// TidyInPlace would leave the line as it is.
    [[nodiscard]] bool IsTidy(std::string_view line) const {
        return !(p_.addSpaces && !p_.delimiters.empty()) && !p_.correctInsideTags &&
               !line.empty() && line.front() != ' ' && line.back() != ' ' && !HasDoubleSpace(line);
    }

    /// The string the next joined line is built in, empty: the strings of the joined lines are
    /// reused record after record.
    std::string& NextJoined() {
        if (joinedCount_ == joined_.size()) joined_.emplace_back();
        joined_[joinedCount_].clear();
        return joined_[joinedCount_];
    }

    /// The line built in `building` (the next joined line) tidied and counted, unless tidied to
    /// nothing, which would end the subtitle early; the string to build the next one in.
    std::string& AddJoined(std::string& building) {
        TidyInPlace(building);
        if (building.empty()) return building;
        ++joinedCount_;
        return NextJoined();
    }

    void Report(std::string_view label, std::string_view message) {
        ReportLine(report_, label, message);
    }

    /// With cbSaveSubLength, a subtitle whose longest line fits the line length stays as it is.
    template <class Lines>
    bool KeepsLength(std::string_view label, const Lines& lines) {
        if (!p_.saveSubLength) return false;
        int longest = 0;
        for (std::string_view line : lines)
            longest = std::max(longest, VisibleTextLength(line, false));
        if (longest > p_.lineLength) return false;
        Report(label, " = Subtitle Lines Length Not Change. Max Line Length is " +
                          std::to_string(longest));
        return true;
    }

    void ReportFullLength(std::string_view label, int fullLength) {
        if (fullLength <= p_.subtitleFullLength) return;
        Report(label, " = Subtitle Full Length is " + std::to_string(fullLength) + " > " +
                          std::to_string(p_.subtitleFullLength));
    }

    static bool AllStartWith(const CharSplit& pieces, std::string_view tag) {
        return std::all_of(pieces.begin(), pieces.end(),
                           [tag](std::string_view piece) { return StartsWithNoCase(piece, tag); });
    }

    /// A text whose every display line began with the style tag gets it once, in front. The tag
    /// after a bar goes without a trace, so a speaker's line does not begin with a space.
    static std::string OneStyleTag(std::string_view text, std::string_view tag) {
        const std::string afterBar = ReplaceAll("|" + std::string(tag), "|", text, true);
        const std::string spaced = ReplaceAll(tag, " ", afterBar, true);
        std::string result(tag);
        result += TrimChar(spaced, ' ');
        return result;
    }

    /// A joined line tidied in place: spaces after delimiters, single spaces, nothing at the
    /// ends, and italic or bold runs split by one space merged. With the usual settings no
    /// copy of the line is made.
    void TidyInPlace(std::string& text) const {
        if (p_.addSpaces && !p_.delimiters.empty()) {
            text = p_.useExclude ? AddSpaceAfterDelimitersEx(text, p_.delimiters, p_.excludeFix,
                                                             p_.fixDelimitersMode)
                                 : AddSpaceAfterDelimiters(text, p_.delimiters);
        }
        CollapseSpacesInPlace(text);
        if (!text.empty() && text.back() == ' ') text.pop_back();  // one space at most is left
        if (!text.empty() && text.front() == ' ') text.erase(0, 1);
        if (p_.correctInsideTags) {
            text = ReplaceAll("</i> <i>", " ", text, true);
            text = ReplaceAll("</b> <b>", " ", text, true);
        }
    }

    FrameRun& run_;
    const ToOneLineParams& p_;
    LineList& report_;
    LineList joined_;  // the subtitle's joined lines: the first joinedCount_
    std::size_t joinedCount_ = 0;
};

}  // namespace

RunResult SubtitlesToOneLine(const std::string& input, const std::string& output,
                             const ToOneLineParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive,
                                         .reportExt = "full",
                                         .emptyReportMessage = kNullFullLengthFile}};
    return RunLayout(request, host, [&](FrameRun& run, bool subRip) {
        OneLineJoiner joiner(run, params);
        subRip ? joiner.JoinSubRip() : joiner.JoinMicroDvd();
    });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunToOneLine(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return SubtitlesToOneLine(a.input, a.output,
                              {.saveSubLength = s.Bool("SaveSubLength"),
                               .lineLength = s.Int("SubLineLength"),
                               .addSpaces = s.Bool("LineAddSpaceAfterDelimiters"),
                               .delimiters = s.Text("Delimiters"),
                               .useExclude = s.Bool("UseExclude"),
                               .excludeFix = s.Text("ExcludeFix"),
                               .fixDelimitersMode = s.Int("FixDelimitersMode"),
                               .correctInsideTags = s.Bool("CorrectInsideTAGs"),
                               .subtitleFullLength = s.Int("SubtitleFullLength"),
                               .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                               .interactive = a.interactive},
                              c.host);
}

constexpr std::string_view kToOneLineSettings[] = {
    "SaveSubLength",      "SubLineLength", "LineAddSpaceAfterDelimiters", "Delimiters",
    "UseExclude",         "ExcludeFix",    "FixDelimitersMode",           "CorrectInsideTAGs",
    "SubtitleFullLength", "CloseBrackets"};
constexpr Trigger kToOneLineTriggers[] = {{"btnSubToOneLine"}};
constexpr VariantCode kToOneLineCodes[] = {{kAnyVariant, 4}};

}  // namespace

extern const Operation kToOneLineOperation{
    .command = "to-one-line",
    .summary = "join each subtitle's lines into one line",
    .help =
        "Joins the text lines of every SubRip or MicroDVD subtitle into one line, or into one\n"
        "line per speaker when the subtitle is a dialogue, with single spaces and nothing at the\n"
        "ends; LineAddSpaceAfterDelimiters=1 also puts a space after the Delimiters characters,\n"
        "CorrectInsideTAGs=1 merges italic runs split by one space. With SaveSubLength=1 a\n"
        "subtitle whose lines all fit SubLineLength stays as it is. Writes film.out and\n"
        "film.full, which lists the subtitles kept, the empty ones dropped and those longer than\n"
        "SubtitleFullLength.",
    .triggers = kToOneLineTriggers,
    .logText = "[Subtitles To One Line] Click",
    .codes = kToOneLineCodes,
    .settings = kToOneLineSettings,
    .run = RunToOneLine,
};

}  // namespace tessaline
