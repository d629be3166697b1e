#include "ops/search.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "core/chars.hpp"
#include "core/cp1251.hpp"
#include "core/errors.hpp"
#include "core/strings.hpp"
#include "files/directory.hpp"
#include "files/records.hpp"
#include "files/report_file.hpp"
#include "ops/settings.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool Contains(std::string_view text, std::string_view sub) {
    return text.find(sub) != npos;
}

// --- The line walk -----------------------------------------------------------------------------

// Walks the lines as every search does and hands each text line to `onText` with the reference
// of its subtitle; the other lines are written as they are when `writes`. `onText` writes the
// text line (or not) itself.
template <typename OnText>
void WalkLines(FrameRun& run, char open, char close, bool writes, OnText&& onText) {
    const char frameMark[] = {close, open};
    std::string_view line;
    std::string reference;  // the subtitle's number, or the frame part of a MicroDVD line
    bool expectNumber = true;
    const auto pass = [&](std::string_view l) {
        if (writes) run.WriteLine(l);
    };
    while (run.ReadLine(line)) {
        if (expectNumber && IsNumberStr(line)) {
            // A number that may start a record: the line after it is its timing line, which
            // is never searched.
            expectNumber = false;
            reference.assign(line);
            pass(line);
            if (run.ReadLine(line)) pass(line);
            continue;
        }
        if (IsBlankLine(line)) {
            expectNumber = true;
            pass(line);
            continue;
        }
        // A MicroDVD line names itself: its frame part up to the second closing bracket.
        if (Contains(line, std::string_view(frameMark, 2))) {
            reference.assign(TextBeforeNthChar(line, close, 2));
            reference += close;
        }
        onText(line, reference);
    }
}

// The searched text: the find text, or in character mode the one character of its code.
// Nothing, after telling the user, for a code that is no integer or no character.
std::optional<std::string> Needle(FrameRun& run, const SearchParams& params) {
    // The settings hold Windows-1251: the text is looked for in the file's own form.
    if (!params.charMode) return FromCp1251(params.findText);
    if (!IsNumberStr(params.findText)) {
        run.Tell(kCheckSymbolCode);
        return std::nullopt;
    }
    // A negative code names no character either.
    const std::int32_t code = StrToIntSafe(params.findText);
    if (code < 0 || code > 255) {
        run.Tell(kWrongSymbolCode);
        return std::nullopt;
    }
    return FromCp1251(std::string(1, static_cast<char>(code)));
}

// A search's report is written while it grows (it can hold a line for every subtitle); two or
// more lines end with the separator and the summary, which the status bar shows too.
class SearchReport {
  public:
    SearchReport(const std::string& input, bool interactive, std::string_view ext,
                 std::string_view summary)
        : file_(input, ext),
          steps_{.interactive = interactive,
                 .reportExt = ext,
                 .emptyReportMessage = kSubStringNotPresent},
          summary_(summary) {}

    void Add(std::string_view reference, std::string_view what, std::string_view line = {}) {
        line_.assign(reference).append(what).append(line);
        file_.Add(line_);
    }

    void Finish(Host& host) {
        if (file_.size() >= 2) {
            const std::string summary = ">> " + std::to_string(file_.size()) + " " + summary_;
            file_.Add(kReportSeparator);
            file_.Add(summary);
            host.SetStatusBar(summary);
            host.SummarizeRun(std::string_view(summary).substr(3));  // without ">> "
        }
        file_.Finish(steps_, host);
    }

  private:
    ReportFile file_;
    FrameSteps steps_;
    std::string summary_;
    std::string line_;
};

// --- Many texts in one pass --------------------------------------------------------------------

#if defined(__SSE2__)
// The first `n` (1 to 16) bytes at `bytes` and zeros after them, read without reading past them.
__m128i LoadUpTo16(const unsigned char* bytes, std::size_t n) {
    const auto load = [bytes](std::size_t at, auto word) {
        std::memcpy(&word, bytes + at, sizeof word);
        return static_cast<std::uint64_t>(word);
    };
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    if (n > 8) {
        // The last eight bytes, shifted down to the ones after the first eight.
        low = load(0, std::uint64_t{});
        high = load(n - 8, std::uint64_t{}) >> (8 * (16 - n));
    } else if (n >= 4) {
        low = load(0, std::uint32_t{}) | load(n - 4, std::uint32_t{}) >> (8 * (8 - n)) << 32;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            low |= std::uint64_t{bytes[i]} << (8 * i);
    }
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}
#endif

// The UTF-8 walk's table index of each byte of up to 64 bytes of `line` from `at`, as if it began
// a code point: an ASCII byte is its own index, any other byte with the byte after it is 0x80 +
// (first - 0x80) * 256 + second (0x00 after the last byte). Returns which of them begin a code
// point (all but the continuation bytes 0x80 to 0xBF). Reads nothing outside the line.
std::uint64_t Utf8ClassIndices(std::string_view line, std::size_t at, std::uint16_t* index) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t end = std::min(line.size(), at + 64);
    std::uint64_t starts = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i offset = _mm_set1_epi16(0x7F80);
    const __m128i firstContinuation = _mm_set1_epi8(static_cast<char>(0xC0));
    for (std::size_t k = 0; at + k < end; k += 16) {
        const std::size_t from = at + k;
        __m128i v;
        __m128i next;
        unsigned taken = 0xFFFF;
        if (from + 17 <= line.size()) {
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
            next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from + 1));
        } else {
            // The line's last bytes, with zeros after them, put together in a register: a
            // copy in memory read back in 16 bytes would wait for the copy's stores.
            const std::size_t n = line.size() - from;  // 1 to 16
            v = LoadUpTo16(bytes + from, n);
            next = _mm_srli_si128(v, 1);
            taken = (1u << n) - 1;
        }
        // Signed, the continuation bytes are the ones below 0xC0.
        const auto continuation =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(v, firstContinuation)));
        starts |= static_cast<std::uint64_t>(~continuation & taken) << k;
        const auto indices = [&](__m128i pair, __m128i single) {
            // The first byte is the pair's high byte: its top bit tells which index holds.
            const __m128i wide = _mm_srai_epi16(pair, 15);
            return _mm_or_si128(_mm_and_si128(wide, _mm_sub_epi16(pair, offset)),
                                _mm_andnot_si128(wide, single));
        };
        _mm_storeu_si128(reinterpret_cast<__m128i*>(index + k),
                         indices(_mm_unpacklo_epi8(next, v), _mm_unpacklo_epi8(v, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(index + k + 8),
                         indices(_mm_unpackhi_epi8(next, v), _mm_unpackhi_epi8(v, zero)));
    }
#else
    for (std::size_t i = at; i < end; ++i) {
        const unsigned first = bytes[i];
        const unsigned second = i + 1 < line.size() ? bytes[i + 1] : 0;
        if ((first & 0xC0) != 0x80) starts |= std::uint64_t{1} << (i - at);
        index[i - at] =
            static_cast<std::uint16_t>(first < 0x80 ? first : (first << 8 | second) - 0x7F80);
    }
#endif
    return starts;
}

// Finds which of many texts occur in a line, in one pass over the line (an Aho-Corasick
// automaton), optionally comparing as PosNoCase does. The replace list uses it to skip the lines
// that none of its pairs touches without searching for each pair in turn, and to try only the
// pairs whose find text is in the line.
class TextSet {
  public:
    TextSet(const std::vector<std::string_view>& texts, bool ignoreCase) : count_(texts.size()) {
        // Fold each byte as PosNoCase compares, then number the bytes the texts use; every
        // other byte is class 0 and leads back to the start.
        std::array<unsigned char, 256> fold{};
        for (std::size_t b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            fold[b] = static_cast<unsigned char>(ignoreCase ? LowerFoldStr({&c, 1})[0] : c);
        }
        std::array<std::uint16_t, 256> classOfFolded{};
        std::size_t classes = 1;
        std::vector<std::vector<std::uint16_t>> sequences(texts.size());
        for (std::size_t t = 0; t < texts.size(); ++t) {
            for (char c : texts[t]) {
                const unsigned char f = fold[static_cast<unsigned char>(c)];
                if (classOfFolded[f] == 0) classOfFolded[f] = static_cast<std::uint16_t>(classes++);
                sequences[t].push_back(classOfFolded[f]);
            }
        }
        for (std::size_t b = 0; b < 256; ++b)
            class_[b] = classOfFolded[fold[b]];
        Build(sequences, classes);
    }

    /// The texts (UTF-8, folded through LowerFoldStr) looked for code point by code point in
    /// UTF-8 lines, each code point of a line folded the same way: no folded copy of the line
    /// is made. Nothing when a text is not valid UTF-8 (its bytes are then looked for in a
    /// folded copy of each line).
    static std::optional<TextSet> FoldedCodePoints(const std::vector<std::string_view>& folded) {
        std::map<char32_t, std::uint16_t> classOf;
        std::vector<std::vector<std::uint16_t>> sequences(folded.size());
        for (std::size_t t = 0; t < folded.size(); ++t) {
            for (std::size_t i = 0; i < folded[t].size();) {
                const Utf8Sequence sequence = DecodeUtf8(folded[t], i);
                if (!sequence.ch) return std::nullopt;
                const auto [at, added] =
                    classOf.emplace(*sequence.ch, static_cast<std::uint16_t>(classOf.size() + 1));
                sequences[t].push_back(at->second);
                i += sequence.length;
            }
        }
        TextSet set(folded.size());
        set.Build(sequences, classOf.size() + 1);
        // The class of each code point of one or two bytes, by its folded form: the ASCII
        // bytes by themselves, the two-byte code points by their lead and second byte. A lead
        // followed by no continuation byte has the class that leads to the dead state.
        std::vector<std::uint16_t> codePointClass(0x800, 0);
        std::string one;
        for (char32_t cp = 0; cp < 0x800; ++cp) {
            one.clear();
            AppendUtf8(one, cp);
            const std::string f = LowerFoldStr(one);
            const Utf8Sequence sequence = DecodeUtf8(f, 0);
            if (!sequence.ch || sequence.length != f.size()) continue;
            if (const auto found = classOf.find(*sequence.ch); found != classOf.end()) {
                codePointClass[cp] = found->second;
            }
        }
        // The scan takes only plain lines (IsPlainUtf8), so that a line it takes needs no other
        // check before a case-blind search: a CR, a combining mark (leads 0xCC and 0xCD) and the
        // scripts of leads 0xD2 on (which have marks of their own) lead to the dead state too.
        set.utf8Class_.assign(kUtf8Classes, set.deadClass_);
        for (std::size_t b = 0; b < 0x80; ++b)
            set.utf8Class_[b] = b == '\r' ? set.deadClass_ : codePointClass[b];
        for (std::size_t lead = kFirstTwoByteLead; lead <= kLastTwoByteLead; ++lead) {
            if (lead == 0xCC || lead == 0xCD || lead >= 0xD2) continue;
            for (std::size_t trail = 0x80; trail < 0xC0; ++trail) {
                set.utf8Class_[Utf8ClassIndex(lead, trail)] =
                    codePointClass[(lead & 0x1F) << 6 | (trail & 0x3F)];
            }
        }
        // The moves as the addresses of the rows they lead to: the next row is then one load
        // from the row and the class, with no addition between the loads of the chain.
        // The scan of this set needs no other form of them.
        set.rowAt_.resize(set.moves_.size());
        for (std::size_t i = 0; i < set.moves_.size(); ++i)
            set.rowAt_[i].row = set.rowAt_.data() + set.moves_[i];
        set.moves_ = {};
        return set;
    }

    // Moved, not copied: the UTF-8 scan's moves point into the set's own table.
    TextSet(TextSet&&) = default;
    TextSet& operator=(TextSet&&) = default;
    TextSet(const TextSet&) = delete;
    TextSet& operator=(const TextSet&) = delete;

  private:
    explicit TextSet(std::size_t count) : count_(count) {}

    // The automaton of texts given as sequences of symbol classes (1 to classes - 1).
    void Build(const std::vector<std::vector<std::uint16_t>>& sequences, std::size_t classes) {
        classes_ = classes;
        const std::size_t textCount = sequences.size();
        // The trie of the folded texts.
        std::vector<std::vector<std::uint32_t>> outputs(1);
        next_.assign(classes_, 0);
        for (std::size_t t = 0; t < textCount; ++t) {
            std::uint32_t state = 0;
            for (const std::size_t cls : sequences[t]) {
                if (next_[state * classes_ + cls] == 0) {
                    next_[state * classes_ + cls] = static_cast<std::uint32_t>(outputs.size());
                    outputs.emplace_back();
                    next_.resize(next_.size() + classes_, 0);
                }
                state = next_[state * classes_ + cls];
            }
            if (!sequences[t].empty()) outputs[state].push_back(static_cast<std::uint32_t>(t));
        }
        // Breadth first: each state's failure state is complete before its children; missing
        // moves become the failure state's moves, so the scan never backtracks.
        std::vector<std::uint32_t> failure(outputs.size(), 0);
        std::deque<std::uint32_t> queue;
        for (std::size_t cls = 1; cls < classes_; ++cls) {
            if (const std::uint32_t child = next_[cls]; child != 0) queue.push_back(child);
        }
        while (!queue.empty()) {
            const std::uint32_t state = queue.front();
            queue.pop_front();
            const auto& inherited = outputs[failure[state]];
            outputs[state].insert(outputs[state].end(), inherited.begin(), inherited.end());
            for (std::size_t cls = 1; cls < classes_; ++cls) {
                std::uint32_t& move = next_[state * classes_ + cls];
                const std::uint32_t fallback = next_[failure[state] * classes_ + cls];
                if (move == 0) {
                    move = fallback;
                } else {
                    failure[move] = fallback;
                    queue.push_back(move);
                }
            }
        }
        // The states are numbered anew: those where no text ends first, then those where texts
        // end, then a dead state for what the UTF-8 scan does not take, so that it tells all
        // three kinds by one comparison of the row. The start keeps row 0 (no text is empty).
        const std::size_t states = outputs.size();
        std::vector<std::uint32_t> number(states);
        std::uint32_t n = 0;
        for (std::size_t s = 0; s < states; ++s)
            if (outputs[s].empty()) number[s] = n++;
        const std::uint32_t firstEnding = n;
        for (std::size_t s = 0; s < states; ++s)
            if (!outputs[s].empty()) number[s] = n++;
        const std::uint32_t dead = n;
        // One more class, that of a byte the UTF-8 scan does not take there (no UTF-8, or not
        // plain): it leads to the dead state from every state.
        deadClass_ = static_cast<std::uint16_t>(classes_);
        const std::size_t width = classes_ + 1;
        acceptRow_ = static_cast<std::uint32_t>(firstEnding * width);
        deadRow_ = static_cast<std::uint32_t>(dead * width);
        moves_.assign((dead + 1) * width, 0);
        std::vector<const std::vector<std::uint32_t>*> outputsOf(dead + 1, nullptr);
        for (std::size_t s = 0; s < states; ++s) {
            outputsOf[number[s]] = &outputs[s];
            for (std::size_t cls = 0; cls < classes_; ++cls) {
                moves_[number[s] * width + cls] =
                    static_cast<std::uint32_t>(number[next_[s * classes_ + cls]] * width);
            }
            moves_[number[s] * width + deadClass_] = deadRow_;
        }
        classes_ = width;
        next_.clear();
        next_.shrink_to_fit();
        firstOutput_.reserve(dead + 2);
        for (const auto* list : outputsOf) {
            firstOutput_.push_back(static_cast<std::uint32_t>(flatOutputs_.size()));
            if (list != nullptr) flatOutputs_.insert(flatOutputs_.end(), list->begin(), list->end());
        }
        firstOutput_.push_back(static_cast<std::uint32_t>(flatOutputs_.size()));
        found_.assign((count_ + 63) / 64, 0);
    }

  public:
    // The scans are out of line: inlined in the line walk, their loops would lose registers.

    /// Marks which texts occur in the UTF-8 `line`, its code points folded; true when any does.
    /// Nothing when the line is not plain (IsPlainUtf8): a code point of more than two bytes, a
    /// byte that begins none, a mark or a CR (the caller then scans a folded copy).
    [[gnu::noinline]] std::optional<bool> ScanCodePoints(std::string_view line) {
        ClearFound();
        const auto* p = reinterpret_cast<const unsigned char*>(line.data());
        const auto* const end = p + line.size();
        // A line that ends in a lead byte is no such line (the walk would stop there): with it
        // ruled out, every lead has a byte after it.
        if (p != end && end[-1] >= 0xC0) return std::nullopt;
        // In locals: the compiler would otherwise load them from the set at every code point.
        const std::uint16_t* const classOf = utf8Class_.data();
        const Move* const start = rowAt_.data();
        const Move* const acceptRow = start + acceptRow_;
        const Move* const deadRow = start + deadRow_;
        bool any = false;
        const std::size_t size = line.size();
        std::array<std::uint16_t, kChunk + 16> index;  // 16 at a time
        const Move* row = start;
        // The move on the code point that begins at the lowest byte of `starts`: false when
        // it reaches the dead state.
        const auto step = [&](const Move*& walk, std::uint64_t starts) {
            walk = walk[classOf[index[static_cast<std::size_t>(std::countr_zero(starts))]]].row;
            if (walk < acceptRow) return true;
            if (walk == deadRow) return false;
            MarkFound(static_cast<std::size_t>(walk - start));
            any = true;
            return true;
        };
        // The line goes by chunks of 64 bytes: the table index of every byte (as if it began a
        // code point) and which bytes begin one are worked out for the whole chunk at once,
        // and the walk takes the code points from that mask. Stepping byte by byte instead
        // branches on each code point's length, which mixed Latin and Cyrillic text
        // mispredicts at every space.
        for (std::size_t at = 0; at < size; at += kChunk) {
            for (std::uint64_t starts = Utf8ClassIndices(line, at, index.data()); starts != 0;
                 starts &= starts - 1) {
                if (!step(row, starts)) return std::nullopt;
            }
        }
        return any;
    }

    /// Marks which texts occur in `line`; true when any does.
    [[gnu::noinline]] bool Scan(std::string_view line) {
        ClearFound();
        const std::uint16_t* const classOf = class_.data();
        const std::uint32_t* const moves = moves_.data();
        const std::size_t acceptRow = acceptRow_;
        bool any = false;
        std::size_t row = 0;
        for (const char c : line) {
            row = moves[row + classOf[static_cast<unsigned char>(c)]];
            if (row < acceptRow) continue;
            MarkFound(row);
            any = true;
        }
        return any;
    }

    /// The first text from `from` on that occurred in the line of the last scan; the number of
    /// texts when none did. Steps over the texts that did not occur a word of 64 at a time.
    [[nodiscard]] std::size_t NextFound(std::size_t from) const {
        std::size_t word = from / 64;
        if (word >= found_.size()) return count_;
        std::uint64_t bits = found_[word] & (~std::uint64_t{0} << (from % 64));
        while (bits == 0) {
            if (++word == found_.size()) return count_;
            bits = found_[word];
        }
        return word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    }

  private:
    // Most lines hold no text: the marks of the last scan are cleared only when it made any.
    void ClearFound() {
        if (!marked_) return;
        std::fill(found_.begin(), found_.end(), 0);
        marked_ = false;
    }

    // The texts that end in the state of `row`.
    void MarkFound(std::size_t row) {
        marked_ = true;
        const std::size_t state = row / classes_;
        for (std::uint32_t k = firstOutput_[state]; k < firstOutput_[state + 1]; ++k) {
            const std::uint32_t t = flatOutputs_[k];
            found_[t / 64] |= std::uint64_t{1} << (t % 64);
        }
    }

    std::size_t count_;
    // Two-byte code points have leads 0xC2 to 0xDF (0xC0 and 0xC1 would give overlong forms).
    static constexpr std::size_t kFirstTwoByteLead = 0xC2;
    static constexpr std::size_t kLastTwoByteLead = 0xDF;
    // The UTF-8 scan's classes: an ASCII byte's at itself, the code point of any other first
    // byte and the byte after it at 0x80 + (first - 0x80) * 256 + second.
    static constexpr std::size_t kUtf8Classes = 0x80 + 0x80 * 256;
    static constexpr std::size_t kChunk = 64;
    static constexpr std::size_t Utf8ClassIndex(std::size_t first, std::size_t second) {
        return (first << 8 | second) - 0x7F80;
    }
    std::array<std::uint16_t, 256> class_{};  // of each byte
    std::vector<std::uint16_t> utf8Class_;
    std::size_t classes_ = 1;  // the width of a row of moves
    std::uint16_t deadClass_ = 0;
    std::vector<std::uint32_t> next_;  // while building: next_[state * classes + class]
    // moves_[row + class]: the row (state * classes_) of the next state. Texts end in the
    // states from acceptRow_ on; deadRow_ is the dead state.
    std::vector<std::uint32_t> moves_;
    // The same moves for the UTF-8 scan, each the address of its row in rowAt_ itself.
    struct Move {
        const Move* row;
    };
    std::vector<Move> rowAt_;
    std::uint32_t acceptRow_ = 0;
    std::uint32_t deadRow_ = 0;
    std::vector<std::uint32_t> firstOutput_;
    std::vector<std::uint32_t> flatOutputs_;
    std::vector<std::uint64_t> found_;
    bool marked_ = false;  // found_ holds a mark
};

}  // namespace

// --- The operations ----------------------------------------------------------------------------

RunResult FindText(const std::string& input, const SearchParams& params, Host& host) {
    const std::string noOutput;
    const FrameRequest request{.input = input,
                               .output = noOutput,
                               .steps = {.interactive = params.interactive, .writesOutput = false},
                               .nothingToDo = params.findText.empty()};
    return RunInFrame(request, host, [&](FrameRun& run) {
        const auto needle = Needle(run, params);
        if (!needle) return run.Abandon();
        SearchReport report(input, params.interactive, "sym", "Finded Strings");
        WalkLines(run, params.openBracket, params.closeBracket, false,
                  [&](std::string_view line, const std::string& reference) {
                      if (Contains(line, *needle)) report.Add(reference, " = ", line);
                  });
        report.Finish(host);
    });
}

RunResult RemoveLinesWithText(const std::string& input, const std::string& output,
                              const SearchParams& params, Host& host) {
    if (params.findText.empty() || params.findText == " ") return RunResult::Skipped;
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        const auto needle = Needle(run, params);
        if (!needle) return run.Abandon();
        SearchReport report(input, params.interactive, "remove", "Removed Strings");
        WalkLines(run, params.openBracket, params.closeBracket, true,
                  [&](std::string_view line, const std::string& reference) {
                      // A character is looked for only at the start of the line.
                      const bool drop =
                          params.charMode ? line.starts_with(*needle) : Contains(line, *needle);
                      if (!drop) return run.WriteLine(line);
                      report.Add(reference, " = Removed: ", line);
                  });
        report.Finish(host);
    });
}

RunResult ReplaceText(const std::string& input, const std::string& output,
                      const SearchParams& params, Host& host) {
    if (params.findText.empty() || params.findText == params.replaceText) {
        return RunResult::Skipped;
    }
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    const bool words = !params.charMode && params.replaceMode == 1;
    const std::string_view changed = words ? " = Replaced Word: " : " = Replaced: ";
    const std::string_view unchanged = params.charMode
                                           ? " = Replaced Symbol Finded, but not Replaced!"
                                       : words ? " = Replaced Word Finded, but not Replaced!"
                                               : " = Replaced Text Finded, but not Replaced!";
    return RunInFrame(request, host, [&](FrameRun& run) {
        const auto needle = Needle(run, params);
        if (!needle) return run.Abandon();
        const std::string replacement = FromCp1251(params.replaceText);
        SearchReport report(input, params.interactive, "sym", "Replaced Strings");
        WalkLines(run, params.openBracket, params.closeBracket, true,
                  [&](std::string_view line, const std::string& reference) {
                      if (!Contains(line, *needle)) return run.WriteLine(line);
                      const std::string result =
                          words ? ReplaceWholeWord(*needle, replacement, line, false)
                                : ReplaceAll(*needle, replacement, line, false);
                      report.Add(reference, result != line ? changed : unchanged,
                                 result != line ? line : std::string_view());
                      run.WriteLine(result);
                  });
        report.Finish(host);
    });
}

RunResult ReplaceByList(const std::string& input, const std::string& output,
                        const ReplaceTable& table, const ReplaceListParams& params, Host& host) {
    if (table.empty()) return RunResult::Skipped;
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = params.interactive}};
    const bool words = params.replaceMode == 1;
    const bool ignoreCase = !params.caseSensitive;
    const std::string_view changed = words ? " = Replaced Word: " : " = Replaced: ";

    return RunInFrame(request, host, [&](FrameRun& run) {
        // The pairs in the file's form, known only now that the frame has decided it.
        std::vector<std::pair<std::size_t, char32_t>> skipped;
        const std::vector<ReplacePair> pairs = table.PairsInCurrentForm(&skipped);
        if (!skipped.empty()) {
            // One note for the run: which pairs are left out, and the character of each.
            std::string note = std::string(kReplaceListFile) +
                               ": pairs with a character this Windows-1251 file cannot hold are "
                               "not used (pair, character):";
            for (const auto& [row, ch] : skipped) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
                note += " " + std::to_string(row) + " " + code + ";";
            }
            note.back() = '.';
            run.Tell(note);
        }
        // A pair that could change nothing (an empty find text, or one equal to its
        // replacement) takes part with an empty text, which never occurs.
        std::vector<std::string_view> finds;
        for (const ReplacePair& pair : pairs)
            finds.push_back(pair.find == pair.replacement ? std::string_view() : pair.find);
        // In UTF-8 a letter beyond ASCII changes case by more than a byte, which the one-pass
        // scan's byte folding cannot follow: the scan then looks for the folded find texts in
        // the folded line, character by character the same comparison as the replacing's.
        const bool foldFirst = ignoreCase && CurrentTextForm() == TextForm::Utf8;
        std::vector<std::string> folded;
        std::vector<std::string_view> scanned = finds;
        if (foldFirst) {
            folded.reserve(finds.size());
            for (std::string_view find : finds)
                folded.push_back(LowerFoldStr(find));
            for (std::size_t i = 0; i < finds.size(); ++i)
                scanned[i] = finds[i].empty() ? std::string_view() : std::string_view(folded[i]);
        }
        TextSet set(scanned, ignoreCase && !foldFirst);
        const TextSet* found = &set;  // the set whose last scan tells which texts occur
        // The usual UTF-8 line (code points of one and two bytes) is scanned code point by
        // code point, each folded by table, without a folded copy.
        std::optional<TextSet> codePointSet;
        if (foldFirst) codePointSet = TextSet::FoldedCodePoints(scanned);
        std::string foldedLine;
        bool plainLine = false;  // the line of the last scan is plain UTF-8
        const auto scan = [&](std::string_view line) {
            plainLine = false;
            if (!foldFirst) return set.Scan(line);
            if (codePointSet) {
                if (const std::optional<bool> any = codePointSet->ScanCodePoints(line)) {
                    found = &*codePointSet;
                    plainLine = true;
                    return *any;
                }
            }
            foldedLine = LowerFoldStr(line);
            found = &set;
            return set.Scan(foldedLine);
        };
        // A case-blind UTF-8 search checks that the line and the find text are plain at every
        // search: here that is known once for each find text, and for a line from its scan.
        std::vector<bool> plainFind(finds.size(), false);
        if (foldFirst) {
            for (std::size_t i = 0; i < pairs.size(); ++i)
                plainFind[i] = IsPlainUtf8(pairs[i].find);
        }
        SearchReport report(input, params.interactive, "sym", "Replaced Strings");
        std::string current;
        std::string result;  // both reused from line to line
        WalkLines(run, params.openBracket, params.closeBracket, true,
                  [&](std::string_view line, const std::string& reference) {
                      if (!scan(line)) return run.WriteLine(line);
                      current.assign(line);
                      // The pairs in table order; a pair is tried only when its find text is
                      // in the line as the pairs before it left it.
                      for (std::size_t i = found->NextFound(0); i < finds.size();
                           i = found->NextFound(i + 1)) {
                          const ReplacePair& pair = pairs[i];
                          ReplaceInto(result, pair.find, pair.replacement, current, ignoreCase,
                                      words, plainLine && plainFind[i]);
                          if (result == current) continue;
                          report.Add(reference, changed, current);
                          std::swap(current, result);
                          scan(current);
                      }
                      run.WriteLine(current);
                  });
        report.Finish(host);
    });
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

SearchParams SearchParamsOf(const OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return {.findText = s.Text("TextToFind"),
            .replaceText = s.Text("TextToReplace"),
            .charMode = s.Bool("FindCharFlag"),
            .replaceMode = s.Int("ReplaceMode"),
            .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
            .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
            .interactive = a.interactive};
}

RunResult RunFindText(OperationContext& c, const RunArgs& a) {
    return FindText(a.input, SearchParamsOf(c, a), c.host);
}

RunResult RunRemoveLines(OperationContext& c, const RunArgs& a) {
    return RemoveLinesWithText(a.input, a.output, SearchParamsOf(c, a), c.host);
}

RunResult RunReplaceText(OperationContext& c, const RunArgs& a) {
    return ReplaceText(a.input, a.output, SearchParamsOf(c, a), c.host);
}

std::string ReplaceListPath(const OperationContext& c) {
    return JoinInFolder(c.programFolder, kReplaceListFile);
}

RunResult RunReplaceList(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return ReplaceByList(a.input, a.output, ReplaceTable::Load(ReplaceListPath(c)),
                         {.replaceMode = s.Int("ReplaceMode"),
                          .caseSensitive = s.Bool("ReplaceListCaseSensitive"),
                          .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
                          .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                          .interactive = a.interactive},
                         c.host);
}

// An empty (or absent) replace list makes the command do nothing at all, not even log. A list
// that cannot be read lets the run go on, which shows why.
bool ReplaceListIsEmpty(OperationContext& c) {
    try {
        return ReplaceTable::Load(ReplaceListPath(c)).empty();
    } catch (const FileError&) {
        return false;
    }
}

constexpr std::string_view kFindSettings[] = {"TextToFind", "FindCharFlag", "OpenBrackets",
                                              "CloseBrackets"};
constexpr std::string_view kReplaceSettings[] = {"TextToFind",  "TextToReplace", "FindCharFlag",
                                                 "ReplaceMode", "OpenBrackets",  "CloseBrackets"};
constexpr std::string_view kReplaceListSettings[] = {"ReplaceMode", "ReplaceListCaseSensitive",
                                                     "OpenBrackets", "CloseBrackets"};
constexpr Trigger kFindTriggers[] = {{"btnFindText"}};
constexpr Trigger kRemoveTriggers[] = {{"btnRemoveLineBeginFromText"}};
constexpr Trigger kReplaceTriggers[] = {{"btnReplaceText"}};
constexpr Trigger kReplaceListTriggers[] = {{"btnReplaceList"}};
constexpr VariantCode kFindCodes[] = {{kAnyVariant, 11}};
constexpr VariantCode kRemoveCodes[] = {{kAnyVariant, 21}};
constexpr VariantCode kReplaceCodes[] = {{kAnyVariant, 12}};
constexpr VariantCode kReplaceListCodes[] = {{kAnyVariant, 30}};

}  // namespace

extern const Operation kFindTextOperation{
    .command = "find-text",
    .summary = "list the text lines that hold a text or a character",
    .help =
        "Lists every text line that holds TextToFind in film.sym, each under its subtitle's\n"
        "number. With FindCharFlag=1, TextToFind is the code (0 to 255) of one character to\n"
        "look for. Writes no other file; \"SubString Not Present!\" when nothing is found.",
    .triggers = kFindTriggers,
    .logText = "[Find Text] Click",
    .outputExt = "",
    .codes = kFindCodes,
    .settings = kFindSettings,
    .run = RunFindText,
};

extern const Operation kRemoveLinesOperation{
    .command = "remove-lines",
    .summary = "leave out the text lines that hold a text",
    .help =
        "Copies PATH to film.out without the text lines that hold TextToFind, and lists them in\n"
        "film.remove. With FindCharFlag=1 only the lines that begin with the character of code\n"
        "TextToFind are left out.",
    .triggers = kRemoveTriggers,
    .logText = "[Remove Line Begin from Text] Click",
    .codes = kRemoveCodes,
    .settings = kFindSettings,
    .run = RunRemoveLines,
};

extern const Operation kReplaceTextOperation{
    .command = "replace-text",
    .summary = "replace a text or a character in every text line",
    .help =
        "Replaces TextToFind by TextToReplace in every text line into film.out, and lists the\n"
        "changed lines in film.sym. ReplaceMode=1 replaces whole words only; with FindCharFlag=1\n"
        "TextToFind is the code (0 to 255) of the character to replace.",
    .triggers = kReplaceTriggers,
    .logText = "[Replace To] Click",
    .codes = kReplaceCodes,
    .settings = kReplaceSettings,
    .run = RunReplaceText,
};

extern const Operation kReplaceListOperation{
    .command = "replace-list",
    .summary = "apply the pairs of the replace list",
    .help =
        "Applies every pair of Replace.dat (in the program folder; one pair a line, "
        "\"find=replace\",\n"
        "Windows-1251) in order to every text line into film.out, and lists the changes in\n"
        "film.sym. ReplaceMode=1 replaces whole words only; ReplaceListCaseSensitive=1 matches\n"
        "the find texts exactly. Without pairs it does nothing.",
    .triggers = kReplaceListTriggers,
    .logText = "[Replace List] Click",
    .codes = kReplaceListCodes,
    .settings = kReplaceListSettings,
    .run = RunReplaceList,
    .idle = ReplaceListIsEmpty,
};

}  // namespace tessaline
