#include "ops/line_checks.hpp"

#include "core/strings.hpp"
#include "files/records.hpp"
#include "ops/layout.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kFixSpaceInNumber = " = Fix Space in Number";
constexpr std::string_view kErrorInNumber = " = Error in Number - Fix IT! <<< Error >>>";

// Fix Digits in Text, over the lines of one record or the display lines of one MicroDVD text.
class SplitNumbers final : public TextRepair {
  public:
    void BeginRecord(std::string_view key) override {
        key_ = key;
        Reset();
    }

    void TextLine(std::string_view line, TextOut& out, LineList&) override {
        if (Join(line)) {
            out.WriteLine(fixed_);
        } else {
            out.WriteLine(line);
        }
    }

    void EndRecord(TextOut&, LineList& report) override { Report(key_, report); }

    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        Reset();
        const bool changed = FixDisplayLines(text, [this](std::string& piece) {
            if (IsBlankLine(piece) || !Join(piece)) return false;
            piece.swap(fixed_);
            return true;
        });
        Report(key, report);
        return changed;
    }

  private:
    void Reset() {
        changed_ = false;
        splitError_ = false;
        endedWithDigit_ = false;
    }

    /// Joins the numbers of one line into fixed_; true when it changed. A line that begins with
    /// a digit right after a line that ended with one holds the rest of a split number. (A line
    /// that begins and ends with digits is a number of its own.)
    bool Join(std::string_view line) {
        DigitEnds ends = DigitEnds::None;
        const bool joined = JoinSplitNumbers(line, ends, fixed_);
        if (ends == DigitEnds::First && endedWithDigit_) splitError_ = true;
        // Only the line just before counts: a line between the two ends the number.
        endedWithDigit_ = ends == DigitEnds::Last || ends == DigitEnds::Both;
        if (!joined) return false;
        changed_ = true;
        return true;
    }

    void Report(std::string_view key, LineList& report) const {
        if (changed_) ReportLine(report, key, kFixSpaceInNumber);
        if (splitError_) ReportLine(report, key, kErrorInNumber);
    }

    std::string_view key_;  // the walk's, until EndRecord
    std::string fixed_;
    bool changed_ = false;
    bool splitError_ = false;
    bool endedWithDigit_ = false;
};

// Check End Letters: each examined line by its index among the examined lines of its record or
// MicroDVD text.
class EndLetters final : public TextRepair {
  public:
    void BeginRecord(std::string_view key) override {
        key_ = key;
        index_ = 0;
    }

    void TextLine(std::string_view line, TextOut&, LineList& report) override {
        Check(key_, line, report);
    }

    void EndRecord(TextOut&, LineList&) override {}

    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        index_ = 0;
        for (const std::string_view piece : CharSplit(text, '|')) {
            if (!IsBlankLine(piece)) Check(key, piece, report);
        }
        return false;
    }

  private:
    void Check(std::string_view key, std::string_view line, LineList& report) {
        ++index_;
        const EndWords end = ShortWordsAtEnd(line);
        if (!end.oneLetter && !end.twoLetters) return;  // most lines: no index to write
        const std::string index = std::to_string(index_);
        if (end.oneLetter) {
            ReportLine(report, key, " = One Letter in End of Line " + index + " <<< Warning >>>");
        }
        if (end.twoLetters) {
            ReportLine(report, key, " = Two Letters in End of Line " + index + " <<< Warning >>>");
        }
    }

    std::string_view key_;  // the walk's, until EndRecord
    int index_ = 0;
};

}  // namespace

RunResult FixDigitsInText(const std::string& input, const std::string& output,
                          const LineCheckParams& params, Host& host) {
    SplitNumbers repair;
    return RunTextRepair(input, output,
                         {.interactive = params.interactive,
                          .reportExt = "fixd",
                          .emptyReportMessage = "Null Fix-length-file",
                          .closeBracket = params.closeBracket},
                         repair, host);
}

RunResult CheckEndLetters(const std::string& input, const LineCheckParams& params, Host& host) {
    EndLetters repair;
    // Silent when nothing is found; the message for another kind of file only when the user
    // started it.
    return RunTextRepair(input, "",
                         {.interactive = params.interactive,
                          .reportExt = "endA",
                          .summaryText = "Test Lines",
                          .writesOutput = false,
                          .alwaysRefuseKind = false,
                          .closeBracket = params.closeBracket},
                         repair, host);
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

LineCheckParams ParamsOf(const OperationContext& c, const RunArgs& a) {
    return {.closeBracket = FirstChar(c.settings.Text("CloseBrackets"), '}'),
            .interactive = a.interactive};
}

RunResult RunFixDigits(OperationContext& c, const RunArgs& a) {
    return FixDigitsInText(a.input, a.output, ParamsOf(c, a), c.host);
}

RunResult RunCheckEndLetters(OperationContext& c, const RunArgs& a) {
    return CheckEndLetters(a.input, ParamsOf(c, a), c.host);
}

constexpr std::string_view kCloseBracketsOnly[] = {"CloseBrackets"};
constexpr Trigger kFixDigitsTriggers[] = {{"btnFixDigitsInText"}};
constexpr VariantCode kFixDigitsCodes[] = {{kAnyVariant, 46}};
constexpr Trigger kCheckEndLettersTriggers[] = {{"btnCheckEndLetters"}};
constexpr VariantCode kCheckEndLettersCodes[] = {{kAnyVariant, 47}};

}  // namespace

extern const Operation kFixDigitsOperation{
    .command = "fix-digits",
    .summary = "join numbers split by a space",
    .help =
        "Joins numbers that a space splits (\"1 000 000\" becomes \"1000000\", \"10 :30\"\n"
        "becomes \"10:30\") and warns about a number split across two lines of a subtitle.\n"
        "Writes film.out and lists each subtitle in film.fixd; a file that needs nothing gets\n"
        "no output.",
    .triggers = kFixDigitsTriggers,
    .logText = "[Subtitle Space in Numbers Fixing] Click",
    .codes = kFixDigitsCodes,
    .settings = kCloseBracketsOnly,
    .run = RunFixDigits,
};

extern const Operation kCheckEndLettersOperation{
    .command = "check-end-letters",
    .summary = "list lines that end in a one- or two-letter word",
    .help =
        "Lists the subtitle lines that end in a word of one or two letters in film.endA, each\n"
        "with its line's place in the subtitle. Writes no output and does not mind an existing\n"
        "film.out; a file without such lines gets no report.",
    .triggers = kCheckEndLettersTriggers,
    .logText = "[Check End Letters in SubLines] Click",
    .outputExt = "",
    .codes = kCheckEndLettersCodes,
    .settings = kCloseBracketsOnly,
    .run = RunCheckEndLetters,
};

}  // namespace tessaline
