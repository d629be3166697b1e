#pragma once

// Letter case and character classes, independent of the user's locale, in the current text
// form (core/text_form.hpp).
//
// In Windows-1251 the letters are A-Z, a-z, the Cyrillic А-Я (192-223) and а-я (224-255), Ё (168)
// and ё (184); no other byte is a letter, the other characters of the code page keep their case.
// In UTF-8 every letter Unicode gives a case has it (Cyrillic, Latin with accents, Greek), ё folds
// to е as in Windows-1251, and a byte that begins no character stays as it is.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

/// The characters of a text in the current form: its bytes in Windows-1251; in UTF-8 the
/// characters a reader sees (a letter with its combining marks counts once, a byte that begins
/// no character counts as one).
[[nodiscard]] std::size_t CharCount(std::string_view text);

/// The bytes of the first `n` characters of a text (all of it when it has fewer): where a cut
/// after n characters falls, never inside a character.
[[nodiscard]] std::size_t CharBytes(std::string_view text, std::size_t n);

/// The bytes of the last `n` characters of a text (all of it when it has fewer).
[[nodiscard]] std::size_t CharBytesAtEnd(std::string_view text, std::size_t n);

/// The byte after the character that begins at byte i (i < text.size()).
[[nodiscard]] std::size_t CharEnd(std::string_view text, std::size_t i);

/// Windows-1251 text (a setting, a list read from the program folder) in the current form.
[[nodiscard]] std::string FromCp1251(std::string_view text);

/// The character that begins at byte i belongs to `set`, a Windows-1251 text as the settings
/// hold it (Delimiters, WideLetters); in UTF-8 a character belongs by its first code point, so
/// a letter with a mark counts as the letter.
[[nodiscard]] bool InCharSet(std::string_view text, std::size_t i, std::string_view set);

/// A-Z and А-Я add 32, Ё becomes ё; every other byte is returned as it is. In UTF-8 only A-Z
/// change: a byte above ASCII is part of a longer character.
[[nodiscard]] char LowerCharRus(char c);

/// a-z and а-я subtract 32, ё becomes Ё; every other byte is returned as it is. In UTF-8 only
/// a-z change.
[[nodiscard]] char UpperCharRus(char c);

/// Byte i maps to the same letter in the other case; every non-letter maps to itself. A
/// Windows-1251 table: UTF-8 text goes through SwitchCaseStr.
extern const std::array<unsigned char, 256> SwitchCaseTable;

/// The 23 characters that end a word for the case routines (not "<").
inline constexpr std::string_view WordStartSet = " \"(),-.0123456789>[]_{}";

/// The character is a member of WordStartSet.
[[nodiscard]] bool IsWordStartChar(char c);

/// The Cyrillic letters drawn wider than average, "жЖмМфФшШщЩыЫюЮ" in Windows-1251.
extern const std::string_view WideLetters;

/// Lower case with ё folded to е: the form in which the system compares texts.
[[nodiscard]] std::string LowerFoldStr(std::string_view text);

/// Lower case without folding (ё stays ё): how lowered text is written.
[[nodiscard]] std::string LowerStrRus(std::string_view text);

/// Every letter in upper case (no folding).
[[nodiscard]] std::string UpperStrRus(std::string_view text);

/// Every letter changed to the other case.
[[nodiscard]] std::string SwitchCaseStr(std::string_view text);

/// 1-based position of `sub` in `text` compared through LowerFoldStr; 0 when absent (also for
/// an empty `sub`). Makes no heap allocation. Positions count bytes; in UTF-8 a match begins and
/// ends on whole characters.
[[nodiscard]] std::size_t PosNoCase(std::string_view sub, std::string_view text);

/// The text begins with `prefix`, compared through LowerFoldStr.
[[nodiscard]] bool StartsWithNoCase(std::string_view text, std::string_view prefix);

/// Like PosNoCase, searching from the 1-based position `from` on.
[[nodiscard]] std::size_t PosNoCaseFrom(std::string_view sub, std::string_view text,
                                        std::size_t from);

/// Where the match of `sub` that PosNoCase found at byte `at` (0-based) ends in `text`: in
/// UTF-8 a folded match may take other bytes than `sub` has ("İ" matches the one byte of "i").
[[nodiscard]] std::size_t MatchEndNoCase(std::string_view sub, std::string_view text,
                                         std::size_t at);

/// The UTF-8 text holds only code points of one or two bytes that are characters by themselves
/// (no combining marks), and no CR.
[[nodiscard]] bool IsPlainUtf8(std::string_view text);

/// PosNoCaseFrom in UTF-8 for a `sub` and a `text` the caller has found plain (IsPlainUtf8):
/// spares checking both again at each search of the same text. `matchEnd`, when given, takes
/// where the match found ends (what MatchEndNoCase would tell).
[[nodiscard]] std::size_t PosNoCaseFromPlain(std::string_view sub, std::string_view text,
                                             std::size_t from, std::size_t* matchEnd = nullptr);

/// Every word begins with a capital, the rest is small ('hELLO-wORLD' -> 'Hello-World').
[[nodiscard]] std::string CapitalizeWords(std::string_view text);

/// The first word character upper-cased, everything after it lower-cased.
[[nodiscard]] std::string CapitalizeFirstLetter(std::string_view text);

/// Sentence case across lines: the first letter after "." or one of `delimiters` (Windows-1251,
/// as InCharSet reads it) is upper-cased, every other letter lower-cased. `afterDelimiter`
/// carries the state from one line to the next.
[[nodiscard]] std::string CapitalizeAfterDelimiters(std::string_view text,
                                                    std::string_view delimiters,
                                                    bool& afterDelimiter);

/// CapitalizeAfterDelimiters appending to `out`: a caller that keeps `out` from one line to the
/// next writes its lines without allocating.
void AppendCapitalizedAfterDelimiters(std::string& out, std::string_view text,
                                      std::string_view delimiters, bool& afterDelimiter);

/// Lowers a capital glued to a small letter by ' " = or - ("don'T" -> "don't"); true when a
/// letter changed.
bool FixJoinedCapital(std::string& text);

/// Character counts of IsMostlyUpperCase.
struct CaseCounts {
    int latinUpper = 0;
    int latinLower = 0;
    int cyrillicUpper = 0;  // with Ё
    int cyrillicLower = 0;  // with ё
    int other = 0;
};

/// More Latin capitals than Latin small letters, or more Cyrillic capitals than small ones. In
/// UTF-8 the Cyrillic fields count U+0400-U+052F, the Latin ones every other letter with a
/// case (é, Greek).
[[nodiscard]] bool IsMostlyUpperCase(std::string_view text, CaseCounts* counts = nullptr);

/// The case counts of IsMostlyUpperCase and the sum of a weight per character (a pixel width,
/// say) of plain UTF-8 text, the usual subtitle line: ASCII but CR and the two-byte Latin,
/// Greek and Cyrillic letters, each code point a character of its own. One pass by table: a
/// caller that needs both figures reads each line once.
class PlainTally {
  public:
    /// `weights` holds the weight of every code point below U+0480 (more entries are ignored;
    /// nullptr: every weight is 0). A text with one of the ASCII characters of `refused` is refused
    /// too (a caller that treats such lines apart needs no search for them).
    explicit PlainTally(const std::uint16_t* weights, std::string_view refused = {});
    // The rows point into the table: a copy would point into the original's.
    PlainTally(const PlainTally&) = delete;
    PlainTally& operator=(const PlainTally&) = delete;

    /// The counts and the weight of `text` when it is plain UTF-8; false (nothing set) for any
    /// other text, which the caller counts the long way.
    [[nodiscard]] bool Count(std::string_view text, CaseCounts& counts, int& weight) const;

  private:
    std::vector<std::uint64_t> table_;  // by block and byte: case fields, weight
    // By byte: the block of table_ that holds the entries of the byte after it.
    std::array<const std::uint64_t*, 256> rows_{};
    std::size_t piece_ = 0;  // bytes counted before the fields are emptied
};

/// PlainTally for Windows-1251 text, where every byte is a character: the case counts and the
/// sum of a weight per byte in one pass.
class ByteTally {
  public:
    /// `weights` holds the weight of every byte (nullptr: every weight is 0). A text with one
    /// of the bytes of `refused` is refused.
    explicit ByteTally(const std::uint16_t* weights, std::string_view refused = {});

    /// The counts and the weight of `text`; false (nothing set) when it holds a refused byte.
    [[nodiscard]] bool Count(std::string_view text, CaseCounts& counts, int& weight) const;

  private:
    std::array<std::uint64_t, 256> table_{};  // by byte: case fields, refusal, weight
};

/// How many characters of `text` belong to `set`, a Windows-1251 text read as InCharSet does
/// (an empty set means WideLetters).
[[nodiscard]] int CountWideLetters(std::string_view set, std::string_view text);

}  // namespace tessaline
