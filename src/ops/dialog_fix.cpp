#include "ops/dialog_fix.hpp"

#include <algorithm>
#include <iterator>
#include <optional>

#include "core/chars.hpp"
#include "files/records.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

class DialogFix final : public TextRepair {
  public:
    explicit DialogFix(const LineList& separators) : cp1251Separators_(separators) {}

    void BeginRecord(std::string_view key) override { key_.assign(key); }

    // Each reply becomes a line of the record.
    void TextLine(std::string_view line, TextOut& out, LineList& report) override {
        if (!BreakDialogText(line, Separators(), pieces_)) {
            out.WriteLine(line);
            return;
        }
        for (const std::string& piece : pieces_)
            out.WriteLine(piece);
        Report(key_, report);
    }

    void EndRecord(TextOut&, LineList&) override {}

    // The replies become display lines of the text.
    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        if (IsBlankLine(text) || !BreakDialogText(text, Separators(), pieces_)) return false;
        text = JoinStrings(pieces_, "|");
        Report(key, report);
        return true;
    }

  private:
    void Report(std::string_view key, LineList& report) const {
        ReportLine(report, key,
                   " = Line Break on " + std::to_string(pieces_.size()) + " Dialog Lines");
    }

    // DiaBreak.dat is Windows-1251: its separators are taken into the file's form when the run
    // first meets a text, once the frame has decided that form.
    const LineList& Separators() {
        if (!separators_) {
            separators_.emplace();
            for (const std::string& separator : cp1251Separators_)
                separators_->push_back(FromCp1251(separator));
        }
        return *separators_;
    }

    const LineList& cp1251Separators_;
    std::optional<LineList> separators_;
    std::string key_;
    LineList pieces_;
};

}  // namespace

bool BreakDialogText(std::string_view text, const LineList& separators, LineList& pieces) {
    // Nearly every line holds no separator: it is left before anything is copied. (A piece is
    // a part of the text, so a separator the text lacks is in no piece either.)
    if (std::none_of(separators.begin(), separators.end(), [text](const std::string& separator) {
            return PosNoCase(separator, text) != 0;
        })) {
        return false;
    }
    pieces.assign(1, std::string(text));
    bool changed = false;
    LineList parts;
    LineList next;
    // Each separator's pass builds the next list of pieces from the last, in order: a piece the
    // separator splits is replaced by its parts, which hold no such separator any more.
    for (const std::string& separator : separators) {
        next.clear();
        for (std::string& piece : pieces) {
            parts.clear();
            if (SplitKeepingSeparator(piece, separator, parts, true) == 0) {
                next.push_back(std::move(piece));
                continue;
            }
            changed = true;
            next.insert(next.end(), std::make_move_iterator(parts.begin()),
                        std::make_move_iterator(parts.end()));
        }
        pieces.swap(next);
    }
    if (!changed) return false;
    for (std::string& piece : pieces)
        piece = TrimChar(piece, ' ');
    return true;
}

RunResult FixSubtitleDialog(const std::string& input, const std::string& output,
                            const DialogFixParams& params, Host& host) {
    DialogFix repair(params.separators);
    return RunTextRepair(input, output,
                         {.interactive = params.interactive,
                          .reportExt = "DiaFix",
                          .emptyReportMessage = kNullDiaFixLengthFile,
                          .closeBracket = params.closeBracket},
                         repair, host);
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunFixDialog(OperationContext& c, const RunArgs& a) {
    return FixSubtitleDialog(a.input, a.output,
                             {.separators = c.diaBreaks,
                              .closeBracket = FirstChar(c.settings.Text("CloseBrackets"), '}'),
                              .interactive = a.interactive},
                             c.host);
}

constexpr std::string_view kFixDialogSettings[] = {"CloseBrackets"};
constexpr Trigger kFixDialogTriggers[] = {{"btnFixSubDialog"}};
constexpr VariantCode kFixDialogCodes[] = {{kAnyVariant, 32}};

}  // namespace

extern const Operation kFixDialogOperation{
    .command = "fix-dialog",
    .summary = "break lines where a second reply begins",
    .help =
        "Breaks each text line at the dialogue separators of DiaBreak.dat in the program\n"
        "folder (\". -\", \"! -\" and \"? -\" when it is missing or empty): 'Come here. -Why?'\n"
        "becomes 'Come here.' and '-Why?' (in MicroDVD files 'Come here.|-Why?'). Writes\n"
        "film.out and lists each broken line in film.DiaFix; a file that needs nothing gets no\n"
        "output.",
    .triggers = kFixDialogTriggers,
    .logText = "[Fix Subtitle Dialog] Click",
    .codes = kFixDialogCodes,
    .settings = kFixDialogSettings,
    .run = RunFixDialog,
};

}  // namespace tessaline
