#include "ops/delimiters.hpp"

#include <array>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/strings.hpp"
#include "core/text_form.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

// The fix of a line. Most lines need nothing, and one scan over two character tables says so
// before any routine copies the line.
class LineFix {
  public:
    explicit LineFix(const DelimitersParams& params)
        : params_(params), insert_(params.mode != kDelSpaceBeforeDelimiters) {
        // What stands after a character that makes it need a fix: for a space, a space, ".",
        // a delimiter or a line end (the removal); for a delimiter, anything but a space (the
        // insertion).
        const auto removable = [&params](char c) {
            return c == ' ' || c == '.' || c == '\n' || c == '\r' ||
                   params.delimiters.find(c) != std::string::npos;
        };
        for (int i = 0; i < 256; ++i) {
            const char c = static_cast<char>(i);
            if (removable(c)) after_[Byte(c)] |= kSpace;
            if (insert_ && c != ' ') after_[Byte(c)] |= kDelimiter;
        }
        before_[Byte(' ')] = kSpace;
        for (const char c : params.delimiters) {
            before_[Byte(c)] |= kDelimiter;
            wideDelimiters_ = wideDelimiters_ || Byte(c) >= 0x80;
        }
#if defined(__SSE2__)
        // The distinct delimiters, each in all 16 bytes, for the look at 16 bytes at a time.
        for (std::size_t b = 0; b < before_.size(); ++b) {
            if ((before_[b] & kDelimiter) == 0) continue;
            if (delimiterCount_ == kMostDelimiters) {
                delimiterCount_ = 0;  // too many to compare one by one: the tables decide
                break;
            }
            delimiterBytes_[delimiterCount_++] = _mm_set1_epi8(static_cast<char>(b));
        }
        // The look is compiled for each number of delimiters, whose comparisons then unroll.
        constexpr std::array<bool (LineFix::*)(std::string_view) const, kMostDelimiters + 1>
            kLooks = {nullptr,
                      &LineFix::LooksAt<1>,
                      &LineFix::LooksAt<2>,
                      &LineFix::LooksAt<3>,
                      &LineFix::LooksAt<4>,
                      &LineFix::LooksAt<5>,
                      &LineFix::LooksAt<6>,
                      &LineFix::LooksAt<7>,
                      &LineFix::LooksAt<8>};
        look_ = kLooks[delimiterCount_];
#endif
    }

    bool operator()(std::string_view line, std::string& fixed) const {
        return MayChange(line) && Fix(line, fixed);
    }

  private:
    static constexpr std::uint8_t kSpace = 1;
    static constexpr std::uint8_t kDelimiter = 2;

    // The routines, for the few lines the look lets through: out of line, so that the look
    // does not pay for their frame.
    [[gnu::noinline]] bool Fix(std::string_view line, std::string& fixed) const {
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

    static std::size_t Byte(char c) { return static_cast<unsigned char>(c); }

    // A trailing space, or a pair of neighbours that one of the routines would change. The
    // whole line is scanned without a branch per character.
    bool MayChange(std::string_view line) const {
        if (line.empty()) return false;
        if (line.back() == ' ') return true;
        // A delimiter beyond ASCII (Windows-1251 in the settings) is several bytes in UTF-8,
        // which the byte tables cannot see: the routines decide for every line.
        if (wideDelimiters_ && CurrentTextForm() == TextForm::Utf8) return true;
#if defined(__SSE2__)
        if (look_ != nullptr) return (this->*look_)(line);
#endif
        std::uint8_t found = 0;
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            found |= before_[Byte(line[i])] & after_[Byte(line[i + 1])];
        return found != 0;
    }

#if defined(__SSE2__)
    // What the tables say of 16 bytes at once: bit j is set when bytes j and j+1 make a pair
    // that needs a fix.
    template <std::size_t kDelimiters>
    unsigned PairsIn(__m128i bytes) const {
        const auto bits = [](__m128i is) { return static_cast<unsigned>(_mm_movemask_epi8(is)); };
        const auto equal = [bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
        const __m128i space = equal(' ');
        __m128i delimiter = _mm_setzero_si128();
        for (std::size_t k = 0; k < kDelimiters; ++k)
            delimiter = _mm_or_si128(delimiter, _mm_cmpeq_epi8(bytes, delimiterBytes_[k]));
        const __m128i removable =
            _mm_or_si128(_mm_or_si128(_mm_or_si128(space, delimiter), equal('.')),
                         _mm_or_si128(equal('\n'), equal('\r')));
        const unsigned spaces = bits(space);
        unsigned found = spaces & (bits(removable) >> 1);
        if (insert_) found |= bits(delimiter) & (~spaces >> 1);
        return found;
    }

    template <std::size_t kDelimiters>
    bool LooksAt(std::string_view line) const {
        return AnyBytePair(line, [this](__m128i bytes) { return PairsIn<kDelimiters>(bytes); });
    }
#endif

    const DelimitersParams& params_;
    bool insert_;  // the spaces after delimiters too, not only the ones before
    std::array<std::uint8_t, 256> before_{};
    std::array<std::uint8_t, 256> after_{};
    bool wideDelimiters_ = false;  // a delimiter above ASCII
#if defined(__SSE2__)
    static constexpr std::size_t kMostDelimiters = 8;
    // Not std::array: GCC warns of __m128i as a template argument.
    __m128i delimiterBytes_[kMostDelimiters]{};
    std::size_t delimiterCount_ = 0;
    bool (LineFix::*look_)(std::string_view) const = nullptr;  // none: the tables decide
#endif
};

class DelimiterSpacing final : public TextRepair {
  public:
    explicit DelimiterSpacing(const DelimitersParams& params)
        : fix_(params),
          message_(params.mode == kDelSpaceBeforeDelimiters ? " = Del Space Before Delimiters"
                                                            : " = Fix Space Around Delimiters") {}

    void BeginRecord(std::string_view key) override {
        key_ = key;
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
    std::string_view key_;  // the walk's, until EndRecord
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
