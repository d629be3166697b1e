#pragma once

// The text toolbox: cutting a line at characters, trimming, replacing, splitting and joining,
// spacing around punctuation, numbers.
//
// Text is in the current form (core/text_form.hpp). Positions are byte positions, 1-based, and 0
// means "not found". The routines that count characters (TakeTextPart, CutTextToWidth, the
// delimiter spacing's "last two positions") count them as CharCount does and cut only between
// characters; the ones that look for a given ASCII character work on bytes in both forms. Sets
// of characters (delimiters, followers, wide letters) are Windows-1251, as the settings hold
// them, read as InCharSet does. No routine fails: a missing character or a too short text gives
// the documented fallback. The cutting routines return views into their argument.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>
#endif

namespace tessaline {

/// An ordered list of lines (a subtitle record, a report, a split text).
using LineList = std::vector<std::string>;

/// The characters that bound a whole word for ReplaceWholeWord.
inline constexpr std::string_view WordSeparators = " .,:;?!$%#*-=+'\"()[]{}0123456789\n\r";

// --- Cutting at characters -------------------------------------------------------------------

/// Before the first c; the whole text when c is missing.
[[nodiscard]] std::string_view TextBeforeChar(std::string_view text, char c);
/// Before the n-th c; the whole text when there are fewer than n.
[[nodiscard]] std::string_view TextBeforeNthChar(std::string_view text, char c, int n);
/// Before the first occurrence of sub; empty when missing.
[[nodiscard]] std::string_view TextBeforeStr(std::string_view text, std::string_view sub);
/// Before the last c; empty when missing.
[[nodiscard]] std::string_view TextBeforeLastChar(std::string_view text, char c);
/// After the first c; empty when missing.
[[nodiscard]] std::string_view TextAfterChar(std::string_view text, char c);
/// After the n-th c; empty when there are fewer than n.
[[nodiscard]] std::string_view TextAfterNthChar(std::string_view text, char c, int n);
/// After the last c; the whole text when missing.
[[nodiscard]] std::string_view TextAfterLastChar(std::string_view text, char c);
/// After the first occurrence of sub; empty when missing.
[[nodiscard]] std::string_view TextAfterStr(std::string_view text, std::string_view sub);
/// After the first c1 up to the next c2 (to the end when no c2 follows); empty without c1.
[[nodiscard]] std::string_view TextBetweenChars(std::string_view text, char c1, char c2);
/// Which character the count n of TextBetweenChars applies to.
enum class NthOf {
    Opening,  // after the n-th c1 up to the next c2
    Closing,  // after the first c1 up to the n-th c2 that follows it
};
/// The two counted forms: after the n-th c1 up to the next c2 (empty when there are fewer than
/// n c1), or after the first c1 up to the n-th c2 after it (empty without c1); both run to the
/// end of the text when the closing character does not follow.
[[nodiscard]] std::string_view TextBetweenChars(std::string_view text, char c1, char c2, int n,
                                                NthOf form);
/// Scanning from the end: between the last c2 and the nearest c1 before it; empty when either
/// is missing.
[[nodiscard]] std::string_view TextBetweenLastChars(std::string_view text, char c1, char c2);

// --- Trimming and spaces ---------------------------------------------------------------------

/// c removed from both ends as often as it stands there.
[[nodiscard]] std::string_view TrimChar(std::string_view text, char c);
/// Every leading and trailing member of `set` removed.
[[nodiscard]] std::string_view TrimCharSet(std::string_view text, std::string_view set);
/// Each run of c becomes one c.
[[nodiscard]] std::string CollapseRepeatedChar(std::string_view text, char c);
/// Each run of spaces becomes one space (also at the end).
[[nodiscard]] std::string CollapseSpaces(std::string_view text);
/// CollapseSpaces on the text in place, without a copy; true when it changed.
bool CollapseSpacesInPlace(std::string& text);
/// The text holds two spaces in a row.
[[nodiscard]] bool HasDoubleSpace(std::string_view text);

// --- Replacing -------------------------------------------------------------------------------

/// Every a becomes b.
[[nodiscard]] std::string ReplaceChar(std::string_view text, char a, char b);
/// Every occurrence of oldText, left to right, becomes newText; replaced text is not searched
/// again. With ignoreCase the search is PosNoCase.
[[nodiscard]] std::string ReplaceAll(std::string_view oldText, std::string_view newText,
                                     std::string_view text, bool ignoreCase);
/// Like ReplaceAll, but only occurrences bounded on both sides by the text's ends or by word
/// separators.
[[nodiscard]] std::string ReplaceWholeWord(std::string_view oldText, std::string_view newText,
                                           std::string_view text, bool ignoreCase);
/// ReplaceAll, or with `words` ReplaceWholeWord, into `out` (which a caller can reuse from text
/// to text; it must not hold `text`). `plainUtf8`: the caller has found the UTF-8 `text` and
/// `oldText` plain (IsPlainUtf8), which spares the case-blind search checking them again.
void ReplaceInto(std::string& out, std::string_view oldText, std::string_view newText,
                 std::string_view text, bool ignoreCase, bool words, bool plainUtf8 = false);

// --- Delimiter spacing -----------------------------------------------------------------------

/// A space after each delimiter followed directly by anything but a space, ".", a delimiter or a
/// line end (never at the last two positions).
[[nodiscard]] std::string AddSpaceAfterDelimiters(std::string_view text,
                                                  std::string_view delimiters);
/// The careful form: mode 1 and 2 skip a web address, initials and decimal numbers; mode 2 also
/// spaces a delimiter at the second-to-last position.
[[nodiscard]] std::string AddSpaceAfterDelimitersEx(std::string_view text,
                                                    std::string_view delimiters,
                                                    std::string_view followers, int mode);
/// Spaces before delimiters, runs of spaces and a trailing space removed.
[[nodiscard]] std::string DelSpaceBeforeDelimiters(std::string_view text,
                                                   std::string_view delimiters);

// --- Lists -----------------------------------------------------------------------------------

/// Appends the pieces between the c's (empty ones included); returns the list's count, or 0/1
/// for a text without c (0 when the text is empty).
int SplitByChar(std::string_view text, char c, LineList& list);

/// The pieces of a text between the c's, empty ones included, walked one at a time as views
/// into the text (which must outlive the walk): a text of a million separators costs no list
/// of a million strings. A text without c, the empty text too, is one piece, so the pieces are
/// always one more than the c's, as SplitByChar appends them.
class CharSplit {
  public:
    class Iterator {
      public:
        using iterator_concept = std::forward_iterator_tag;
        using iterator_category = std::input_iterator_tag;  // its pieces are values, not objects
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;

        Iterator() = default;
        std::string_view operator*() const { return text_.substr(from_, to_ - from_); }
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        /// Iterators of one split are equal at the same piece.
        bool operator==(const Iterator& other) const { return from_ == other.from_; }

      private:
        friend class CharSplit;
        Iterator(std::string_view text, char c, std::size_t from);

        std::string_view text_;
        char c_ = 0;
        std::size_t from_ = 0;  // where the piece begins; text_.size() + 1 past the last piece
        std::size_t to_ = 0;    // where it ends: at the next c or at the end of the text
    };

    CharSplit(std::string_view text, char c) : text_(text), c_(c) {}
    [[nodiscard]] Iterator begin() const { return {text_, c_, 0}; }
    [[nodiscard]] Iterator end() const { return {text_, c_, text_.size() + 1}; }

  private:
    std::string_view text_;
    char c_;
};

/// Appends the pieces between the separators, skipping empty and single-space ones (the rest is
/// always added); returns the list's count, or 0 when the separator is missing.
int SplitByStr(std::string_view text, std::string_view separator, LineList& list, bool ignoreCase);
/// Splits at a two-part separator such as ". -", keeping its head with the piece before and its
/// tail with the piece after ('Yes. -No' -> 'Yes.', '-No'); returns the count or 0.
int SplitKeepingSeparator(std::string_view text, std::string_view separator, LineList& list,
                          bool ignoreCase);
/// The items from index `from` on, joined with the separator.
[[nodiscard]] std::string JoinStrings(const LineList& list, std::string_view separator,
                                      std::size_t from = 0);
/// Reverses the items in place.
void ReverseList(LineList& list);

// --- Counting and numbers --------------------------------------------------------------------

[[nodiscard]] int CountChar(char c, std::string_view text);
/// Non-overlapping occurrences, left to right.
[[nodiscard]] int CountStr(std::string_view sub, std::string_view text, bool ignoreCase);
/// The whole text is a decimal signed 32-bit integer (optional sign, no blanks).
[[nodiscard]] bool IsSignedNumberStr(std::string_view text);
/// The same, asked of nearly every line of a file: a line that begins with neither a digit nor
/// a sign is answered without a call.
[[nodiscard]] inline bool IsNumberStr(std::string_view text) {
    if (text.empty()) return false;
    const char first = text.front();
    if ((first < '0' || first > '9') && first != '+' && first != '-') return false;
    return IsSignedNumberStr(text);
}
/// The value of a number text, 0 for any other text.
[[nodiscard]] std::int32_t StrToIntSafe(std::string_view text);
/// Decimal text zero-padded to `width` (on the right with padRight); a longer text is cut to
/// its first three characters.
[[nodiscard]] std::string IntToStrPadded(std::int64_t value, int width, bool padRight);
/// Splits a report line at the end of its leading run of digits and spaces: '12 = Fixed' gives
/// text '12' and rest ' = Fixed'.
void SplitLeadingNumber(std::string& text, std::string& rest);

/// Which ends of a text are digits, as JoinSplitNumbers reports it.
enum class DigitEnds { None = 0, Last = 1, First = 2, Both = 3 };

/// Joins numbers split by a space ('1 2' -> '12', '10 :30' -> '10:30').
[[nodiscard]] std::string JoinSplitNumbers(std::string_view text, DigitEnds& ends);
/// JoinSplitNumbers into `out`, which holds the joined text when the result is true (something
/// was joined) and is left empty otherwise.
bool JoinSplitNumbers(std::string_view text, DigitEnds& ends, std::string& out);

// --- Parts of a text -------------------------------------------------------------------------

/// k n-ths of the text: mode 0 the start, 1 the middle, 2 the end; empty when k > n or too long.
[[nodiscard]] std::string TakeTextPart(std::string_view text, int k, int n, int mode);

/// Cuts a text into lines of at most `width` characters at word boundaries, from its start or,
/// with fromEnd, from its end; appends the lines to `lines` in reading order.
void CutTextToWidth(std::string_view text, int width, bool fromEnd, LineList& lines);

/// How each piece of a cut is chosen beyond the plain width (the width cut of line cutting).
struct CutRules {
    /// Wide letters shorten a piece: by one character when it holds 1 to 4 of them, by two when
    /// it holds 5 or more.
    bool wideLetters = false;
    std::string_view wideSet;  // empty: WideLetters
    /// A piece that does not end (from the end: begin) with a space, comma or full stop ends
    /// at its last comma or full stop (begins after its first) when at least two thirds of the
    /// width stand before (after) it.
    bool atMarks = false;
    /// Markup tags (see tags.hpp) are never cut: a tag goes with the word it touches, and
    /// spaces and marks inside it are no places to cut. Their characters count in the width.
    bool tagsAside = false;
};

/// CutTextToWidth with the rules' choice of each piece.
void CutTextToWidth(std::string_view text, int width, bool fromEnd, const CutRules& rules,
                    LineList& lines);

/// Like TakeTextPart, but modes 0 and 2 cut at a word boundary (the first or last line that
/// CutTextToWidth makes for that size).
[[nodiscard]] std::string TakeTextPartByWords(std::string_view text, int k, int n, bool byWords,
                                              int mode);

// --- Pairs of neighbouring bytes -------------------------------------------------------------

#if defined(__SSE2__)
/// Whether two neighbouring bytes of the text make a pair that `pairs` looks for. `pairs` gets
/// 16 bytes at a time and returns a mask whose bit j is set when bytes j and j+1 make such a
/// pair. The windows overlap so that every two neighbours of the text stand together in one of
/// them; the bits of bytes that are not neighbours in the text are ignored, and so are the
/// bytes of a window beyond the text. Subtitle lines are short: a text of up to 16 bytes costs
/// one window, without a copy.
template <class Pairs>
[[nodiscard]] bool AnyBytePair(std::string_view text, const Pairs& pairs) {
    const std::size_t n = text.size();
    const char* bytes = text.data();
    const auto load16 = [bytes](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    if (n >= 16) {
        for (std::size_t at = 0; at + 16 < n; at += 15) {
            if ((pairs(load16(at)) & 0x7FFFU) != 0) return true;
        }
        return (pairs(load16(n - 16)) & 0x7FFFU) != 0;
    }
    // Shorter texts: the first and the last 8 (or 4) bytes side by side. The halves overlap,
    // so the two neighbours that straddle them stand together in the second half.
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    unsigned valid = 0;
    if (n >= 8) {
        std::memcpy(&first, bytes, 8);
        std::memcpy(&last, bytes + n - 8, 8);
        valid = 0x7F7FU;
    } else if (n >= 4) {
        std::uint32_t half = 0;
        std::memcpy(&half, bytes, 4);
        first = half;
        std::memcpy(&half, bytes + n - 4, 4);
        first |= static_cast<std::uint64_t>(half) << 32;
        valid = 0x77U;
    } else if (n >= 2) {
        for (std::size_t i = 0; i < n; ++i)
            first |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        valid = (1U << (n - 1)) - 1;
    } else {
        return false;
    }
    const __m128i window =
        _mm_set_epi64x(static_cast<long long>(last), static_cast<long long>(first));
    return (pairs(window) & valid) != 0;
}
#endif

}  // namespace tessaline
