#include "ops/to_one_line.hpp"

#include <algorithm>
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
            // A dialogue keeps one line per speaker. Nothing is built before the first line, so
            // a first line that is already a speaker's starts the first line, not an empty one.
            joined_.clear();
            std::string building;
            for (const std::string& line : text) {
                if (IsDialogLine(line) && !building.empty()) {
                    joined_.push_back(Tidy(std::move(building)));
                    building.clear();
                }
                if (!building.empty()) building += ' ';
                building += line;
            }
            if (!building.empty()) joined_.push_back(Tidy(std::move(building)));
            // A line tidied to nothing would end the subtitle early.
            std::erase_if(joined_, [](const std::string& line) { return line.empty(); });
            if (joined_.empty()) {
                Report(label, kNullSubtitleDeleted);
                return;
            }
            reader.WriteHead();
            int fullLength = 0;
            for (const std::string& line : joined_) {
                run_.WriteLine(line);
                fullLength += VisibleTextLength(line, false);
            }
            run_.WriteLine("");
            ReportFullLength(label, fullLength);
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
            text = Tidy(std::move(text));
            ReportFullLength(parts->frames, VisibleTextLength(text, true));
            std::string written(parts->frames);
            written += text;
            run_.WriteLine(written);
        }
    }

  private:
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

    /// A joined line tidied: spaces after delimiters, single spaces, nothing at the ends, and
    /// italic or bold runs split by one space merged. The line is taken over, not copied: a
    /// subtitle of one huge line costs no more copies of it than it must.
    std::string Tidy(std::string text) const {
        if (p_.addSpaces && !p_.delimiters.empty()) {
            text = p_.useExclude ? AddSpaceAfterDelimitersEx(text, p_.delimiters, p_.excludeFix,
                                                             p_.fixDelimitersMode)
                                 : AddSpaceAfterDelimiters(text, p_.delimiters);
        }
        text = CollapseSpaces(text);
        const std::size_t end = text.find_last_not_of(' ');
        text.erase(end == std::string::npos ? 0 : end + 1);
        text.erase(0, text.find_first_not_of(' '));  // all of it when only spaces were left
        if (p_.correctInsideTags) {
            text = ReplaceAll("</i> <i>", " ", text, true);
            text = ReplaceAll("</b> <b>", " ", text, true);
        }
        return text;
    }

    FrameRun& run_;
    const ToOneLineParams& p_;
    LineList& report_;
    LineList joined_;
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
