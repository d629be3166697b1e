#include "ops/to_bottom.hpp"

#include <algorithm>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "ops/controls.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

class BottomPadder {
  public:
    BottomPadder(FrameRun& run, const ToBottomParams& params)
        : run_(run), p_(params), report_(run.report()) {}

    void PadSubRip() {
        LayoutReader reader(run_);
        reader.EachRecord(true, [&] {
            const auto text = reader.text();
            std::size_t fullLength = 0;
            for (const std::string& line : text)
                fullLength += CharCount(line);
            ReportFullLength(reader.record().number, fullLength);
            reader.WriteHead();
            // The padding is a line of one space: an empty line would end the subtitle.
            for (int i = PaddingFor(static_cast<int>(text.size())); i > 0; --i)
                run_.WriteLine(" ");
            for (const std::string& line : text)
                run_.WriteLine(line);
            run_.WriteLine("");
        });
        Finish();
    }

    void PadMicroDvd() {
        std::string_view line;
        std::string text;
        std::string written;
        while (run_.ReadLine(line)) {
            const auto parts = SplitFrameLine(line, p_.closeBracket);
            if (!parts) {
                run_.WriteLine(line);
                continue;
            }
            const std::string_view label = parts->frames;
            text = TrimChar(CollapseSpaces(parts->text), ' ');
            if (RemoveSpacesBeside(text, " |")) {
                Report(label, " = Remove Space before demiliter of subtitle-line");
            }
            if (RemoveSpacesBeside(text, "| ")) {
                Report(label, " = Remove Space after demiliter of subtitle-line");
            }
            ReportFullLength(label, CharCount(text));
            const int lines = static_cast<int>(std::count(text.begin(), text.end(), '|')) + 1;
            written.assign(label);
            for (int i = PaddingFor(lines); i > 0; --i)
                written += " |";
            written += text;
            run_.WriteLine(written);
        }
        Finish();
    }

  private:
    void Report(std::string_view label, std::string_view message) {
        ReportLine(report_, label, message);
    }

    void ReportFullLength(std::string_view label, std::size_t fullLength) {
        if (fullLength <= static_cast<std::size_t>(std::max(p_.subtitleFullLength, 0))) return;
        Report(label, " = Subtitle Full Length is " + std::to_string(fullLength) + " > " +
                          std::to_string(p_.subtitleFullLength));
    }

    /// The lines of padding a subtitle of `lines` lines gets; the first subtitle gets none with
    /// "Keep first Sub".
    int PaddingFor(int lines) {
        const bool first = first_;
        first_ = false;
        if (first && p_.keepFirst) return 0;
        const int padding = std::max(p_.lineCount - lines, 0);
        if (padding > 0) ++padded_;
        return padding;
    }

    /// Replaces `pair` (a space and a bar) by the bar until none is left; true when it did.
    static bool RemoveSpacesBeside(std::string& text, std::string_view pair) {
        if (text.find(pair) == std::string::npos) return false;
        while (text.find(pair) != std::string::npos)
            text = ReplaceAll(pair, "|", text, false);
        return true;
    }

    void Finish() {
        if (padded_ > 0) {
            report_.push_back(std::to_string(padded_) + " Subtitles Attached To Bottom");
        }
    }

    FrameRun& run_;
    const ToBottomParams& p_;
    LineList& report_;
    bool first_ = true;
    int padded_ = 0;
};

}  // namespace

RunResult SubtitlesToBottom(const std::string& input, const std::string& output,
                            const ToBottomParams& params, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive,
                                         .reportExt = "bottom",
                                         .emptyReportMessage = kNoBottomSubtitles}};
    return RunLayout(request, host, [&](FrameRun& run, bool subRip) {
        BottomPadder padder(run, params);
        subRip ? padder.PadSubRip() : padder.PadMicroDvd();
    });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunToBottom(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return SubtitlesToBottom(a.input, a.output,
                             {.lineCount = s.Int("SubLineCount"),
                              .keepFirst = c.controls.Bool("cbFirstSubtitle"),
                              .subtitleFullLength = s.Int("SubtitleFullLength"),
                              .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                              .interactive = a.interactive},
                             c.host);
}

constexpr OptionDef kToBottomOptions[] = {kKeepFirstOption};
constexpr std::string_view kToBottomSettings[] = {"SubLineCount", "SubtitleFullLength",
                                                  "CloseBrackets"};
constexpr std::string_view kToBottomControls[] = {"cbFirstSubtitle"};
constexpr Trigger kToBottomTriggers[] = {{"btnSubToBottom"}};
constexpr VariantCode kToBottomCodes[] = {{kAnyVariant, 14}};

}  // namespace

extern const Operation kToBottomOperation{
    .command = "to-bottom",
    .summary = "pad short subtitles from above to SubLineCount lines",
    .help =
        "Puts lines holding one space above the text of every SubRip or MicroDVD subtitle that\n"
        "has fewer than SubLineCount lines, so that it sits at the bottom of the picture like the\n"
        "long ones. Writes film.out and film.bottom, which counts the padded subtitles and lists\n"
        "those longer than SubtitleFullLength and the spaces removed beside MicroDVD line bars.",
    .options = kToBottomOptions,
    .triggers = kToBottomTriggers,
    .logText = "[Subtitles To Bottom] Click",
    .codes = kToBottomCodes,
    .settings = kToBottomSettings,
    .controls = kToBottomControls,
    .run = RunToBottom,
};

}  // namespace tessaline
