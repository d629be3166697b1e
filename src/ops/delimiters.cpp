#include "ops/delimiters.hpp"

#include <array>

#include "core/strings.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

// The fix of a line, with the delimiters in a table: most lines need nothing, and a single scan
// says so before any routine copies the line.
class LineFix {
  public:
    explicit LineFix(const DelimitersParams& params) : params_(params) {
        for (const char c : params.delimiters)
            isDelimiter_[static_cast<unsigned char>(c)] = true;
    }

    bool operator()(std::string_view line, std::string& fixed) const {
        if (!MayChange(line)) return false;
        const std::string_view delimiters = params_.delimiters;
        std::string result;
        if (params_.mode == kDelSpaceBeforeDelimiters) {
            result = DelSpaceBeforeDelimiters(line, delimiters);
        } else {
            const std::string spaced =
                params_.useExclude ? AddSpaceAfterDelimitersEx(line, delimiters, params_.followers,
                                                               params_.awareMode)
                                   : AddSpaceAfterDelimiters(line, delimiters);
            result = DelSpaceBeforeDelimiters(spaced, delimiters);
        }
        if (result == line) return false;
        fixed = std::move(result);
        return true;
    }

  private:
    bool Delimiter(char c) const { return isDelimiter_[static_cast<unsigned char>(c)]; }

    // What either routine needs to change anything: a space before a space, ".", a delimiter,
    // a line end or the end of the line (the removal); a delimiter followed by anything but a
    // space (the insertion).
    bool MayChange(std::string_view line) const {
        const bool insert = params_.mode != kDelSpaceBeforeDelimiters;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (i + 1 == line.size()) return c == ' ';
            const char next = line[i + 1];
            if (c == ' ') {
                if (next == ' ' || next == '.' || next == '\n' || next == '\r' || Delimiter(next)) {
                    return true;
                }
            } else if (insert && next != ' ' && Delimiter(c)) {
                return true;
            }
        }
        return false;
    }

    const DelimitersParams& params_;
    std::array<bool, 256> isDelimiter_{};
};

class DelimiterSpacing final : public TextRepair {
  public:
    explicit DelimiterSpacing(const DelimitersParams& params)
        : fix_(params),
          message_(params.mode == kDelSpaceBeforeDelimiters ? " = Del Space Before Delimiters"
                                                            : " = Fix Space Around Delimiters") {}

    void BeginRecord(std::string_view key) override {
        key_.assign(key);
        changed_ = false;
    }

    void TextLine(std::string_view line, TextOut& out, LineList&) override {
        if (fix_(line, fixed_)) {
            changed_ = true;
            out.WriteLine(fixed_);
        } else {
            out.WriteLine(line);
        }
    }

    // One report line per record, however many of its lines changed.
    void EndRecord(TextOut&, LineList& report) override {
        if (changed_) ReportLine(report, key_, message_);
    }

    // Every display line is fixed, empty ones too.
    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        const bool changed = FixDisplayLines(text, [this](std::string& piece) {
            if (!fix_(piece, fixed_)) return false;
            piece.swap(fixed_);
            return true;
        });
        if (changed) ReportLine(report, key, message_);
        return changed;
    }

  private:
    LineFix fix_;
    std::string_view message_;
    std::string key_;
    std::string fixed_;
    bool changed_ = false;
};

}  // namespace

bool FixDelimiterSpacing(std::string_view line, const DelimitersParams& params,
                         std::string& fixed) {
    return LineFix(params)(line, fixed);
}

RunResult FixDelimiters(const std::string& input, const std::string& output,
                        const DelimitersParams& params, Host& host) {
    DelimiterSpacing repair(params);
    const TextRepairRun how{.interactive = params.interactive,
                            .reportExt = "fix",
                            .emptyReportMessage = kNullFixLengthFile,
                            .closeBracket = params.closeBracket,
                            .parameterCheck = [&params](Host& h) {
                                if (!params.delimiters.empty()) return true;
                                if (params.interactive) h.ShowMessage(kNotSetDelimiters);
                                return false;
                            }};
    return RunTextRepair(input, output, how, repair, host);
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunFixDelimiters(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return FixDelimiters(a.input, a.output,
                         {.delimiters = s.Text("DelimitersFix"),
                          .useExclude = s.Bool("UseExclude"),
                          .followers = s.Text("ExcludeFix"),
                          .awareMode = s.Int("FixDelimitersMode"),
                          .mode = a.variant,
                          .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                          .interactive = a.interactive},
                         c.host);
}

constexpr OptionDef kFixDelimitersOptions[] = {
    {.name = "--before-only",
     .kind = OptionKind::Flag,
     .variant = kDelSpaceBeforeDelimiters,
     .help = "only remove the spaces before delimiters (\"Del Space b4:\")"}};
constexpr std::string_view kFixDelimitersSettings[] = {"DelimitersFix", "UseExclude", "ExcludeFix",
                                                       "FixDelimitersMode", "CloseBrackets"};
constexpr Trigger kFixDelimitersTriggers[] = {
    {"btnSubDelimitersFix", kFixAroundDelimiters},
    {"btnSubDelSpaceBeforeDelimiters", kDelSpaceBeforeDelimiters, "[Del Space b4:] Click"}};
// Both buttons run over a folder with their own fix.
constexpr VariantCode kFixDelimitersCodes[] = {{kAnyVariant, 17}};

}  // namespace

extern const Operation kFixDelimitersOperation{
    .command = "fix-delimiters",
    .summary = "fix the spaces around punctuation",
    .help =
        "Puts a space after a delimiter glued to the next character and removes the spaces\n"
        "before delimiters (DelimitersFix, \",!?)]\" unless set otherwise); with UseExclude=1\n"
        "web addresses, initials, decimal numbers and a delimiter before a character of\n"
        "ExcludeFix are left alone. Writes film.out and lists each changed subtitle in\n"
        "film.fix; a file that needs nothing gets no output.",
    .options = kFixDelimitersOptions,
    .triggers = kFixDelimitersTriggers,
    .logText = "[Fix Delimiters:] Click",
    .codes = kFixDelimitersCodes,
    .settings = kFixDelimitersSettings,
    .run = RunFixDelimiters,
};

}  // namespace tessaline
