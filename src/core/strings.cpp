#include "core/strings.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ranges>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/chars.hpp"
#include "core/tags.hpp"
#include "core/text_form.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool InSet(char c, std::string_view set) {
    return set.find(c) != npos;
}

/// 0-based index of the n-th c; npos when there are fewer than n (or n < 1).
std::size_t FindNth(std::string_view text, char c, int n, std::size_t from = 0) {
    if (n < 1) return npos;
    std::size_t pos = from;
    for (int i = 0; i < n; ++i, ++pos) {
        pos = text.find(c, pos);
        if (pos == npos) return npos;
    }
    return pos - 1;
}

/// 0-based index of sub at or after `from`; npos when absent. An empty sub is never found.
std::size_t FindStr(std::string_view sub, std::string_view text, std::size_t from,
                    bool ignoreCase) {
    if (sub.empty() || from >= text.size()) return npos;
    if (!ignoreCase) return text.find(sub, from);
    const std::size_t pos = PosNoCaseFrom(sub, text, from + 1);
    return pos == 0 ? npos : pos - 1;
}

/// Where the occurrence of `sub` that FindStr found at `pos` ends.
std::size_t MatchEnd(std::string_view sub, std::string_view text, std::size_t pos,
                     bool ignoreCase) {
    return ignoreCase ? MatchEndNoCase(sub, text, pos) : pos + sub.size();
}

/// After the character at `pos` up to the next c2, or to the end when no c2 follows.
std::string_view UpToNext(std::string_view text, std::size_t pos, char c2) {
    const std::string_view after = text.substr(pos + 1);
    return after.substr(0, after.find(c2));
}

}  // namespace

// --- Cutting at characters -------------------------------------------------------------------

std::string_view TextBeforeChar(std::string_view text, char c) {
    return text.substr(0, text.find(c));
}

std::string_view TextBeforeNthChar(std::string_view text, char c, int n) {
    return text.substr(0, FindNth(text, c, n));
}

std::string_view TextBeforeStr(std::string_view text, std::string_view sub) {
    const std::size_t pos = FindStr(sub, text, 0, false);
    return pos == npos ? std::string_view{} : text.substr(0, pos);
}

std::string_view TextBeforeLastChar(std::string_view text, char c) {
    const std::size_t pos = text.rfind(c);
    return pos == npos ? std::string_view{} : text.substr(0, pos);
}

std::string_view TextAfterChar(std::string_view text, char c) {
    const std::size_t pos = text.find(c);
    return pos == npos ? std::string_view{} : text.substr(pos + 1);
}

std::string_view TextAfterNthChar(std::string_view text, char c, int n) {
    const std::size_t pos = FindNth(text, c, n);
    return pos == npos ? std::string_view{} : text.substr(pos + 1);
}

std::string_view TextAfterLastChar(std::string_view text, char c) {
    const std::size_t pos = text.rfind(c);
    return pos == npos ? text : text.substr(pos + 1);
}

std::string_view TextAfterStr(std::string_view text, std::string_view sub) {
    const std::size_t pos = FindStr(sub, text, 0, false);
    return pos == npos ? std::string_view{} : text.substr(pos + sub.size());
}

std::string_view TextBetweenChars(std::string_view text, char c1, char c2) {
    return TextBetweenChars(text, c1, c2, 1, NthOf::Opening);
}

std::string_view TextBetweenChars(std::string_view text, char c1, char c2, int n, NthOf form) {
    if (form == NthOf::Opening) {
        const std::size_t pos = FindNth(text, c1, n);
        return pos == npos ? std::string_view{} : UpToNext(text, pos, c2);
    }
    const std::size_t first = text.find(c1);
    if (first == npos) return {};
    const std::string_view after = text.substr(first + 1);
    return after.substr(0, FindNth(after, c2, n));
}

std::string_view TextBetweenLastChars(std::string_view text, char c1, char c2) {
    const std::size_t last = text.rfind(c2);
    if (last == npos || last == 0) return {};
    const std::size_t open = text.rfind(c1, last - 1);
    if (open == npos) return {};
    return text.substr(open + 1, last - open - 1);
}

// --- Trimming and spaces ---------------------------------------------------------------------

std::string_view TrimChar(std::string_view text, char c) {
    const std::size_t first = text.find_first_not_of(c);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(c) - first + 1);
}

std::string_view TrimCharSet(std::string_view text, std::string_view set) {
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(set) - first + 1);
}

std::string CollapseRepeatedChar(std::string_view text, char c) {
    // Copied a run at a time up to each pair of c; most texts hold none.
    const char pair[2] = {c, c};
    std::size_t at = text.find(std::string_view(pair, 2));
    if (at == npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    while (at != npos) {
        out.append(text, from, at + 1 - from);  // up to the first c of the run
        from = text.find_first_not_of(c, at + 1);
        if (from == npos) return out;
        at = text.find(std::string_view(pair, 2), from);
    }
    out.append(text, from);
    return out;
}

std::string CollapseSpaces(std::string_view text) {
    if (!HasDoubleSpace(text)) return std::string(text);
    return CollapseRepeatedChar(text, ' ');
}

bool CollapseSpacesInPlace(std::string& text) {
    if (!HasDoubleSpace(text)) return false;
    std::size_t kept = 0;
    bool afterSpace = false;
    for (const char c : text) {
        if (c == ' ' && afterSpace) continue;
        afterSpace = c == ' ';
        text[kept++] = c;
    }
    text.resize(kept);
    return true;
}

namespace {

// Eight bytes of text with 0x80 in each byte that holds a space, 0 in every other byte.
std::uint64_t SpaceBytes(const char* bytes, std::size_t count) {
    constexpr std::uint64_t kSpaces = 0x2020202020202020;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, count);
    const std::uint64_t x = word ^ kSpaces;  // zero bytes where the spaces stand
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

}  // namespace

// Callers test every line with this: the text is tested many bytes at a time, in windows that
// overlap by one byte so that no pair of neighbours is missed.
bool HasDoubleSpace(std::string_view text) {
    const auto pair = [](std::uint64_t spaces) { return (spaces & (spaces >> 8)) != 0; };
    const std::size_t n = text.size();
    if (n < 2) return false;
    if (n < 8) return pair(SpaceBytes(text.data(), n));
#if defined(__SSE2__)
    if (n >= 16) {
        const __m128i spaces = _mm_set1_epi8(' ');
        const auto pairAt = [&](std::size_t i) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            const auto mask =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, spaces)));
            return (mask & (mask >> 1)) != 0;
        };
        for (std::size_t i = 0; i + 16 < n; i += 15) {
            if (pairAt(i)) return true;
        }
        return pairAt(n - 16);
    }
#endif
    for (std::size_t i = 0; i + 8 < n; i += 7) {
        if (pair(SpaceBytes(text.data() + i, 8))) return true;
    }
    return pair(SpaceBytes(text.data() + n - 8, 8));
}

// --- Replacing -------------------------------------------------------------------------------

std::string ReplaceChar(std::string_view text, char a, char b) {
    std::string out(text);
    std::replace(out.begin(), out.end(), a, b);
    return out;
}

namespace {

// Every occurrence `find` gives, from left to right, becomes newText (with `words`, only when
// bounded on both sides); replaced text is not searched again. `find(from, end)` gives where the
// next occurrence from `from` begins (npos when there is none) and sets where it ends.
template <typename Find>
void ReplaceOccurrences(std::string& out, std::string_view newText, std::string_view text,
                        bool words, Find find) {
    out.clear();
    std::size_t from = 0;
    std::size_t end = 0;
    for (std::size_t pos; (pos = find(from, end)) != npos;) {
        out.append(text.substr(from, pos - from));
        if (words) {
            // The left boundary is checked within the rest after the previous occurrence, so
            // an occurrence glued to the previous one counts as bounded on the left.
            const bool leftBound = pos == from || InSet(text[pos - 1], WordSeparators);
            const bool rightBound = end == text.size() || InSet(text[end], WordSeparators);
            out.append(leftBound && rightBound ? newText : text.substr(pos, end - pos));
        } else {
            out.append(newText);
        }
        from = end;
    }
    out.append(text.substr(from));
}

}  // namespace

std::string ReplaceAll(std::string_view oldText, std::string_view newText, std::string_view text,
                       bool ignoreCase) {
    std::string out;
    ReplaceInto(out, oldText, newText, text, ignoreCase, false);
    return out;
}

std::string ReplaceWholeWord(std::string_view oldText, std::string_view newText,
                             std::string_view text, bool ignoreCase) {
    std::string out;
    ReplaceInto(out, oldText, newText, text, ignoreCase, true);
    return out;
}

void ReplaceInto(std::string& out, std::string_view oldText, std::string_view newText,
                 std::string_view text, bool ignoreCase, bool words, bool plainUtf8) {
    if (plainUtf8 && ignoreCase) {
        ReplaceOccurrences(out, newText, text, words, [&](std::size_t from, std::size_t& end) {
            if (oldText.empty() || from >= text.size()) return npos;
            const std::size_t pos = PosNoCaseFromPlain(oldText, text, from + 1, &end);
            return pos == 0 ? npos : pos - 1;
        });
        return;
    }
    ReplaceOccurrences(out, newText, text, words, [&](std::size_t from, std::size_t& end) {
        const std::size_t pos = FindStr(oldText, text, from, ignoreCase);
        if (pos != npos) end = MatchEnd(oldText, text, pos, ignoreCase);
        return pos;
    });
}

// --- Delimiter spacing -----------------------------------------------------------------------

namespace {

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// Russian typography (and English) puts no space between the punctuation that ends a quotation
// and the quote or bracket that closes it: «Покажи!», "Стой!", (Да!). The typographic closing
// quotes are », ” and ’: single bytes in Windows-1251, two or three in UTF-8.
constexpr std::string_view kClosingQuotes1251 = "\xBB\x94\x92";
constexpr std::string_view kClosingQuotesUtf8[] = {"\xC2\xBB", "\xE2\x80\x9D", "\xE2\x80\x99"};

bool IsTypographicClosingQuote(std::string_view character) {
    if (CurrentTextForm() == TextForm::Utf8) {
        return std::ranges::find(kClosingQuotesUtf8, character) != std::end(kClosingQuotesUtf8);
    }
    return character.size() == 1 && InSet(character.front(), kClosingQuotes1251);
}

/// The character at byte j may begin a word: a letter or a digit, or any character above
/// ASCII but a closing quote.
bool BeginsWord(std::string_view text, std::size_t j) {
    if (j >= text.size()) return false;
    const auto c = static_cast<unsigned char>(text[j]);
    if (c < 0x80) return std::isalnum(c) != 0;
    return !IsTypographicClosingQuote(text.substr(j, CharEnd(text, j) - j));
}

/// The character at byte j closes a quotation or a bracket: ")", "]", », ”, ’, or a straight
/// quote that closes one, that is one with an odd number of straight quotes before it on the
/// line or with no word right after it ('Да,"нет"' opens with its first quote).
bool ClosesQuotationAt(std::string_view text, std::size_t j) {
    if (j >= text.size()) return false;
    const char c = text[j];
    if (c == ')' || c == ']') return true;
    if (c == '"') {
        const auto before = std::count(text.begin(), text.begin() + static_cast<long>(j), '"');
        return before % 2 == 1 || !BeginsWord(text, j + 1);
    }
    return IsTypographicClosingQuote(text.substr(j, CharEnd(text, j) - j));
}

/// "...", as in "[Роман]...и затем", follows the closing bracket or quote at byte i (next is
/// the byte after it): the dots are left where they are, with no space put between (one that
/// stands there stays, see DelSpaceBeforeDelimiters).
bool DotsAfterClosingMark(std::string_view text, std::size_t i, std::size_t next) {
    return text.substr(next).starts_with("...") && ClosesQuotationAt(text, i);
}

/// The text ends with a closing bracket or quote (a straight quote counts: a space follows it
/// where this is asked).
bool EndsWithClosingMark(std::string_view text) {
    if (text.empty()) return false;
    const char c = text.back();
    if (c == ')' || c == ']' || c == '"') return true;
    if (CurrentTextForm() == TextForm::Utf8) {
        return std::ranges::any_of(kClosingQuotesUtf8,
                                   [text](std::string_view q) { return text.ends_with(q); });
    }
    return InSet(c, kClosingQuotes1251);
}

// The delimiter routines in UTF-8: the same rules over characters, the delimiter and follower
// sets read as InCharSet does. Positions are counted in characters, so that "at the last two
// positions" and "the character before" mean what they mean for a Windows-1251 line.

std::string Utf8AddSpaceAfterDelimiters(std::string_view text, std::string_view delimiters) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0, end; i < text.size(); i = end) {
        end = CharEnd(text, i);
        out.append(text.substr(i, end - i));
        // Never at the last two positions: two more characters must follow.
        if (!InCharSet(text, i, delimiters) || end >= text.size() ||
            CharEnd(text, end) >= text.size()) {
            continue;
        }
        const char next = text[end];
        if (next != ' ' && next != '.' && !IsLineBreak(next) && !InCharSet(text, end, delimiters) &&
            !ClosesQuotationAt(text, end)) {
            out += ' ';
        }
    }
    return out;
}

std::string Utf8AddSpaceAfterDelimitersEx(std::string_view text, std::string_view delimiters,
                                          std::string_view followers, bool careful, int mode,
                                          std::size_t start, std::string out) {
    // The first bytes of the two characters before the current one ('\0' before the text).
    char twoBefore = '\0';
    char oneBefore = '\0';
    std::size_t position = CharCount(text.substr(0, start));  // 1-based, of the character before
    if (position >= 1) oneBefore = text[start - CharBytesAtEnd(text.substr(0, start), 1)];
    if (position >= 2) twoBefore = text[start - CharBytesAtEnd(text.substr(0, start), 2)];
    for (std::size_t i = start, end; i < text.size(); i = end) {
        end = CharEnd(text, i);
        ++position;
        const char c = text[i];
        out.append(text.substr(i, end - i));
        const char before = oneBefore;
        const char twoAgo = twoBefore;
        twoBefore = oneBefore;
        oneBefore = c;
        if (!InCharSet(text, i, delimiters)) continue;
        const bool oneFollows = end < text.size();
        const bool twoFollow = oneFollows && CharEnd(text, end) < text.size();
        if (!(twoFollow || (mode == 2 && oneFollows))) continue;
        const char next = oneFollows ? text[end] : '\0';
        if (careful) {
            if (position == 2) continue;  // a one-letter abbreviation at the start
            if (position > 2 && (twoAgo == ' ' || twoAgo == '.')) continue;  // "A.B."
            if (twoFollow && IsDigit(before) && IsDigit(next)) continue;     // 3,14
        }
        if (next != ' ' && !IsLineBreak(next) && !InCharSet(text, end, followers) &&
            !ClosesQuotationAt(text, end) && !DotsAfterClosingMark(text, i, end)) {
            out += ' ';
        }
    }
    return out;
}

}  // namespace

std::string AddSpaceAfterDelimiters(std::string_view text, std::string_view delimiters) {
    if (CurrentTextForm() == TextForm::Utf8) return Utf8AddSpaceAfterDelimiters(text, delimiters);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        // Never at the last two positions: i + 2 < size means 1-based i < length - 1.
        if (!InSet(text[i], delimiters) || i + 2 >= text.size()) continue;
        const char next = text[i + 1];
        if (next != ' ' && next != '.' && next != '\n' && next != '\r' &&
            !InSet(next, delimiters) && !ClosesQuotationAt(text, i + 1)) {
            out += ' ';
        }
    }
    return out;
}

std::string AddSpaceAfterDelimitersEx(std::string_view text, std::string_view delimiters,
                                      std::string_view followers, int mode) {
    const bool careful = mode == 1 || mode == 2;
    const std::size_t length = text.size();
    std::string out;
    out.reserve(length + 8);
    std::size_t start = 0;  // 0-based index where the walk begins
    if (careful) {
        // A web address is left alone up to the first space after it; "tp://" also catches
        // "http://" and "ftp://".
        const std::size_t p = std::max(PosNoCase("tp://", text), PosNoCase("www", text));
        if (p != 0) {
            const std::size_t space = text.find(' ', p);
            if (space == npos) return std::string(text);
            start = space + 1;
            out.append(text.substr(0, start));
        }
    }
    if (CurrentTextForm() == TextForm::Utf8) {
        return Utf8AddSpaceAfterDelimitersEx(text, delimiters, followers, careful, mode, start,
                                             std::move(out));
    }
    // Positions below are 1-based positions in the whole text.
    const auto at = [&](std::size_t pos) {
        return pos >= 1 && pos <= length ? text[pos - 1] : '\0';
    };
    for (std::size_t i = start + 1; i <= length; ++i) {
        const char c = text[i - 1];
        out += c;
        if (!InSet(c, delimiters)) continue;
        if (!(i + 1 < length || (mode == 2 && i < length))) continue;
        if (careful) {
            if (i == 2) continue;  // a one-letter abbreviation at the start
            if (i > 2 && (at(i - 2) == ' ' || at(i - 2) == '.')) continue;  // an initial: "A.B."
            if (i + 1 < length && IsDigit(at(i - 1)) && IsDigit(at(i + 1))) continue;  // 3,14
        }
        const char next = at(i + 1);
        if (next != ' ' && next != '\n' && next != '\r' && !InSet(next, followers) &&
            !ClosesQuotationAt(text, i) && !DotsAfterClosingMark(text, i - 1, i)) {
            out += ' ';
        }
    }
    return out;
}

std::string DelSpaceBeforeDelimiters(std::string_view text, std::string_view delimiters) {
    std::string out;
    if (text.empty()) return out;
    out.reserve(text.size());
    // What follows a space is a whole character: in UTF-8 the set is read by characters.
    const bool utf8 = CurrentTextForm() == TextForm::Utf8;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char next = text[i + 1];
        // "[Роман] ...и затем": the space between a speaker's label (or a quotation) and the
        // dots that begin the next words belongs there.
        const bool keptBeforeDots =
            next == '.' && text.substr(i + 1).starts_with("...") && EndsWithClosingMark(out);
        if (text[i] == ' ' && !keptBeforeDots &&
            (next == ' ' || next == '.' || next == '\n' || next == '\r' ||
             (utf8 ? InCharSet(text, i + 1, delimiters) : InSet(next, delimiters)))) {
            continue;
        }
        out += text[i];
    }
    if (text.back() != ' ') out += text.back();
    return out;
}

// --- Lists -----------------------------------------------------------------------------------

int SplitByChar(std::string_view text, char c, LineList& list) {
    if (text.find(c) == npos) {
        list.emplace_back(text);
        return text.empty() ? 0 : 1;
    }
    std::size_t from = 0;
    for (std::size_t pos; (pos = text.find(c, from)) != npos; from = pos + 1) {
        list.emplace_back(text.substr(from, pos - from));
    }
    list.emplace_back(text.substr(from));
    return static_cast<int>(list.size());
}

CharSplit::Iterator::Iterator(std::string_view text, char c, std::size_t from)
    : text_(text), c_(c), from_(from), to_(from > text.size() ? from : text.find(c, from)) {
    if (to_ == npos) to_ = text_.size();
}

CharSplit::Iterator& CharSplit::Iterator::operator++() {
    from_ = to_ + 1;
    if (from_ <= text_.size()) {
        to_ = text_.find(c_, from_);
        if (to_ == npos) to_ = text_.size();
    } else {
        to_ = from_;
    }
    return *this;
}

static_assert(std::forward_iterator<CharSplit::Iterator>);
static_assert(std::ranges::forward_range<CharSplit>);

int SplitByStr(std::string_view text, std::string_view separator, LineList& list, bool ignoreCase) {
    std::size_t pos = FindStr(separator, text, 0, ignoreCase);
    if (pos == npos) {
        list.emplace_back(text);
        return 0;
    }
    std::size_t from = 0;
    for (; pos != npos; pos = FindStr(separator, text, from, ignoreCase)) {
        const std::string_view piece = text.substr(from, pos - from);
        if (!piece.empty() && piece != " ") list.emplace_back(piece);
        from = MatchEnd(separator, text, pos, ignoreCase);
    }
    list.emplace_back(text.substr(from));
    return static_cast<int>(list.size());
}

int SplitKeepingSeparator(std::string_view text, std::string_view separator, LineList& list,
                          bool ignoreCase) {
    const std::size_t space = separator.find(' ');
    const std::string_view head = separator.substr(0, space);
    const std::string_view tail = space == npos ? std::string_view{} : separator.substr(space + 1);
    std::size_t pos = FindStr(separator, text, 0, ignoreCase);
    if (pos == npos || head.empty() || tail.empty()) {
        list.emplace_back(text);
        return 0;
    }
    // The tail goes back in front of the rest, which is then searched again from its start.
    // The rest is a view into one working copy: the tail is written over the last bytes of the
    // separator just found, so the rest is never rebuilt and a line of many separators costs
    // its length once.
    std::string work(text);
    std::string_view rest(work);
    for (; pos != npos; pos = FindStr(separator, rest, 0, ignoreCase)) {
        const std::string_view piece = rest.substr(0, pos);
        if (!piece.empty() && piece != " ") list.push_back(std::string(piece).append(head));
        const std::size_t after = MatchEnd(separator, rest, pos, ignoreCase);
        if (after - pos < tail.size()) {
            // A folded match shorter than the separator's bytes has no room for the tail.
            work = std::string(tail).append(rest.substr(after));
            rest = work;
            continue;
        }
        const std::size_t start =
            static_cast<std::size_t>(rest.data() - work.data()) + after - tail.size();
        work.replace(start, tail.size(), tail);
        rest = std::string_view(work).substr(start);
    }
    list.emplace_back(rest);
    return static_cast<int>(list.size());
}

std::string JoinStrings(const LineList& list, std::string_view separator, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < list.size(); ++i) {
        if (i > from) out.append(separator);
        out.append(list[i]);
    }
    return out;
}

void ReverseList(LineList& list) {
    std::reverse(list.begin(), list.end());
}

// --- Counting and numbers --------------------------------------------------------------------

int CountChar(char c, std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

int CountStr(std::string_view sub, std::string_view text, bool ignoreCase) {
    int count = 0;
    for (std::size_t pos = FindStr(sub, text, 0, ignoreCase); pos != npos;
         pos = FindStr(sub, text, pos + sub.size(), ignoreCase)) {
        ++count;
    }
    return count;
}

namespace {

/// Optional sign, then one or more digits, nothing else, within the signed 32-bit range.
bool ParseInt32(std::string_view text, std::int32_t& value) {
    // The usual text, a number line of a subtitle file: up to nine digits, which cannot leave
    // the range, read without the checks a sign or a long number needs.
    if (!text.empty() && text.size() <= 9 && IsDigit(text.front())) {
        std::int32_t number = 0;
        for (const char c : text) {
            if (!IsDigit(c)) return false;
            number = number * 10 + (c - '0');
        }
        value = number;
        return true;
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

bool IsSignedNumberStr(std::string_view text) {
    // The number line of a subtitle, 4 to 9 digits, is tested 4 or 8 bytes at a time, in two
    // windows that overlap; nine digits cannot leave the range.
    const std::size_t n = text.size();
    if (n >= 4 && n <= 9) {
        // XOR '0' turns a digit into 0..9 and every other byte into something above 15.
        const auto digits = [](std::uint64_t bytes, std::uint64_t ones) {
            const std::uint64_t x = bytes ^ (ones * '0');
            return ((x | (x + ones * 6)) & (ones * 0xF0)) == 0;
        };
        bool all = false;
        if (n >= 8) {
            std::uint64_t a = 0;
            std::uint64_t b = 0;
            std::memcpy(&a, text.data(), 8);
            std::memcpy(&b, text.data() + n - 8, 8);
            all = digits(a, 0x0101010101010101) && digits(b, 0x0101010101010101);
        } else {
            std::uint32_t a = 0;
            std::uint32_t b = 0;
            std::memcpy(&a, text.data(), 4);
            std::memcpy(&b, text.data() + n - 4, 4);
            all = digits(a, 0x01010101) && digits(b, 0x01010101);
        }
        if (all) return true;
    }
    std::int32_t value = 0;
    return ParseInt32(text, value);
}

std::int32_t StrToIntSafe(std::string_view text) {
    std::int32_t value = 0;
    return ParseInt32(text, value) ? value : 0;
}

std::string IntToStrPadded(std::int64_t value, int width, bool padRight) {
    std::string digits = std::to_string(value);
    const std::size_t wanted = width > 0 ? static_cast<std::size_t>(width) : 0;
    // Too long a text keeps three characters, whatever the width: the width is 3 for the
    // milliseconds, the only place this is used.
    if (digits.size() > wanted) return digits.substr(0, 3);
    const std::string zeros(wanted - digits.size(), '0');
    return padRight ? digits + zeros : zeros + digits;
}

void SplitLeadingNumber(std::string& text, std::string& rest) {
    const std::size_t stop = text.find_first_not_of("0123456789 ");
    if (stop == std::string::npos) {
        rest.clear();
        return;
    }
    // The run less its last character stays: '12 = Fixed' keeps '12', the space goes to rest.
    const std::size_t keep = stop >= 1 ? stop - 1 : 0;
    rest = text.substr(keep);
    text.resize(keep);
}

namespace {
bool JoinAtSpaces(std::string_view text, std::string& out);
}  // namespace

bool JoinSplitNumbers(std::string_view text, DigitEnds& ends, std::string& out) {
    const bool first = !text.empty() && IsDigit(text.front());
    const bool last = !text.empty() && IsDigit(text.back());
    ends = static_cast<DigitEnds>((first ? 2 : 0) + (last ? 1 : 0));
    out.clear();
#if defined(__SSE2__)
    // Every join begins with a digit followed by a space; most lines hold none, and one look
    // over the line says so.
    const bool digitSpace = AnyBytePair(text, [](__m128i bytes) {
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)),
                                            _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)));
        const auto digits = static_cast<unsigned>(_mm_movemask_epi8(digit));
        const auto spaces =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
        return digits & (spaces >> 1);
    });
    if (!digitSpace) return false;
#endif
    return JoinAtSpaces(text, out);
}

std::string JoinSplitNumbers(std::string_view text, DigitEnds& ends) {
    std::string out;
    if (!JoinSplitNumbers(text, ends, out)) out.assign(text);
    return out;
}

// --- Parts of a text -------------------------------------------------------------------------

namespace {

/// The size of k n-ths of a text of `length` characters; -1 when there is no such part.
long PartSize(std::size_t length, int k, int n) {
    if (n < 1 || k < 0 || k > n) return -1;
    const long size = static_cast<long>(length) / n * k;
    return size <= static_cast<long>(length) ? size : -1;
}

}  // namespace

namespace {

// How the cutting routines measure: Windows-1251 counts bytes, UTF-8 characters. The
// Windows-1251 form is the plain byte arithmetic it always was.
struct ByteMeasure {
    static std::size_t Count(std::string_view text) { return text.size(); }
    static std::size_t Head(std::string_view text, std::size_t n) {
        return std::min(n, text.size());
    }
    static std::size_t Tail(std::string_view text, std::size_t n) {
        return std::min(n, text.size());
    }
    static bool Longer(std::string_view text, std::size_t n) { return text.size() > n; }
    // The ASCII byte at i is a character of its own.
    static bool Alone(std::string_view, std::size_t) { return true; }
    static std::size_t Find(std::string_view text, std::string_view set) {
        return text.find_first_of(set);
    }
    static std::size_t RFind(std::string_view text, std::string_view set) {
        return text.find_last_of(set);
    }
    static std::size_t SkipTags(std::string_view, std::size_t i) { return i; }
};

struct CharMeasure {
    static std::size_t Count(std::string_view text) { return CharCount(text); }
    static std::size_t Head(std::string_view text, std::size_t n) { return CharBytes(text, n); }
    static std::size_t Tail(std::string_view text, std::size_t n) {
        return CharBytesAtEnd(text, n);
    }
    static bool Longer(std::string_view text, std::size_t n) {
        return CharBytes(text, n) < text.size();
    }
    // No mark joins the ASCII byte at i (a comma with an accent is not a comma).
    static bool Alone(std::string_view text, std::size_t i) { return CharEnd(text, i) == i + 1; }
    static std::size_t Find(std::string_view text, std::string_view set) {
        return text.find_first_of(set);
    }
    static std::size_t RFind(std::string_view text, std::string_view set) {
        return text.find_last_of(set);
    }
    static std::size_t SkipTags(std::string_view, std::size_t i) { return i; }
};

// M over a text with tags: every character counts, tags included, but no count ends inside a
// tag. A head that would end inside a tag ends before it, a tail that would begin inside one
// begins after it, so a tag stays whole with the word it touches (the space rules then move
// that word, tag and all). Spaces, commas and full stops inside a tag are not found. Every text
// it is given begins and ends outside a tag, so a tag is read the same in any of them.
template <class M>
struct TagsAside {
    static std::size_t Count(std::string_view text) { return M::Count(text); }
    /// The bytes of at most the first n characters, ending outside every tag.
    static std::size_t Head(std::string_view text, std::size_t n) {
        const std::size_t end = M::Head(text, n);
        const std::size_t tag = TagAround(text, end);
        return tag == npos ? end : tag;
    }
    /// The bytes of at most the last n characters, beginning outside every tag.
    static std::size_t Tail(std::string_view text, std::size_t n) {
        const std::size_t start = text.size() - M::Tail(text, n);
        const std::size_t tag = TagAround(text, start);
        return text.size() - (tag == npos ? start : TagEndAt(text, tag));
    }
    static bool Longer(std::string_view text, std::size_t n) { return M::Longer(text, n); }
    static bool Alone(std::string_view text, std::size_t i) { return M::Alone(text, i); }
    static std::size_t Find(std::string_view text, std::string_view set) {
        return FindOutsideTags(text, set);
    }
    static std::size_t RFind(std::string_view text, std::string_view set) {
        return RFindOutsideTags(text, set);
    }
    /// Byte i, or the end of the tags that start there.
    static std::size_t SkipTags(std::string_view text, std::size_t i) {
        for (std::size_t tag; (tag = TagEndAt(text, i)) != npos;)
            i = tag;
        return i;
    }

  private:
    /// The first byte of the tag that byte i stands strictly inside of (after its "<" or "{",
    /// up to its ">" or "}"); npos when i is outside every tag or at a tag's edge.
    static std::size_t TagAround(std::string_view text, std::size_t i) {
        std::size_t at = text.find_first_of("<{");
        while (at != npos && at < i) {
            const std::size_t end = TagEndAt(text, at);
            if (end == npos) {
                at = text.find_first_of("<{", at + 1);
                continue;
            }
            if (i < end) return at;
            at = text.find_first_of("<{", end);
        }
        return npos;
    }
};

bool Utf8Form() {
    return CurrentTextForm() == TextForm::Utf8;
}

template <class M>
std::string TakePart(std::string_view text, int k, int n, int mode) {
    const std::size_t length = M::Count(text);
    const long size = PartSize(length, k, n);
    if (size < 0) return {};
    const auto count = static_cast<std::size_t>(size);
    switch (mode) {
        case 1: {
            // The start (length - size) div 2 is 1-based, with 0 read as 1.
            const std::size_t start = std::max<std::size_t>((length - count) / 2, 1);
            const std::string_view from = text.substr(M::Head(text, start - 1));
            return std::string(from.substr(0, M::Head(from, count)));
        }
        case 2:
            return std::string(text.substr(text.size() - M::Tail(text, count)));
        default:
            return std::string(text.substr(0, M::Head(text, count)));
    }
}

}  // namespace

std::string TakeTextPart(std::string_view text, int k, int n, int mode) {
    return Utf8Form() ? TakePart<CharMeasure>(text, k, n, mode)
                      : TakePart<ByteMeasure>(text, k, n, mode);
}

void CutTextToWidth(std::string_view text, int width, bool fromEnd, LineList& lines) {
    CutTextToWidth(text, width, fromEnd, CutRules{}, lines);
}

namespace {

/// The characters a piece of `width` characters keeps under the wide-letter rule.
std::size_t PieceSize(std::string_view piece, std::size_t width, const CutRules& rules) {
    if (!rules.wideLetters) return width;
    const int wide = CountWideLetters(rules.wideSet, piece);
    const std::size_t shorter = wide >= 5 ? 2 : wide >= 1 ? 1 : 0;
    return width > shorter ? width - shorter : 0;
}

bool IsCutMark(char c) {
    return c == ',' || c == '.';
}

// The pieces are measured with M; every cut falls between characters. Spaces, commas and full
// stops are ASCII, so the searches for them stay byte searches.
template <class M>
void CutToWidth(std::string_view text, int width, bool fromEnd, const CutRules& rules,
                LineList& lines) {
    if (text.empty() || text == " ") return;
    const std::size_t m = width > 0 ? static_cast<std::size_t>(width) : 0;
    // A comma or full stop may end a piece when two thirds of the width stand before it.
    const std::size_t markMin = m / 3 * 2;
    LineList pieces;
    std::string_view rest = text;
    while (M::Longer(rest, m)) {
        std::string_view piece;
        if (!fromEnd) {
            const std::string_view window = rest.substr(0, M::Head(rest, m));
            // Without the wide-letter rule the piece is the window, not measured again.
            const std::size_t size = PieceSize(window, m, rules);
            piece = size == m ? window : rest.substr(0, M::Head(rest, size));
            if (rules.atMarks && !piece.empty() && piece.back() != ' ' &&
                !IsCutMark(piece.back())) {
                const std::size_t mark = M::RFind(piece, ",.");
                if (mark != npos && M::Count(piece.substr(0, mark)) >= markMin &&
                    M::Alone(piece, mark)) {
                    // A tag glued to the mark stays with it.
                    piece = piece.substr(0, M::SkipTags(piece, mark + 1));
                }
            }
            rest.remove_prefix(piece.size());
            if (!piece.empty() && piece.back() == ' ') {
                piece.remove_suffix(1);
            } else if (!rest.empty() && rest.front() == ' ') {
                rest.remove_prefix(1);
            } else if (const std::size_t space = M::RFind(piece, " "); space != npos) {
                // The cut fell inside a word: the partial word goes back to the rest.
                rest = text.substr(text.size() - rest.size() - (piece.size() - space - 1));
                piece = piece.substr(0, space);
            } else {
                // A single word longer than the width stays whole on its own line.
                const std::size_t wordEnd = std::min(M::Find(rest, " "), rest.size());
                piece =
                    text.substr(text.size() - rest.size() - piece.size(), piece.size() + wordEnd);
                rest.remove_prefix(std::min(wordEnd + 1, rest.size()));
            }
        } else {
            const std::string_view window = rest.substr(rest.size() - M::Tail(rest, m));
            const std::size_t size = PieceSize(window, m, rules);
            piece = size == m ? window : rest.substr(rest.size() - M::Tail(rest, size));
            if (rules.atMarks && !piece.empty() && piece.front() != ' ' &&
                !IsCutMark(piece.front())) {
                // The mark stays at the end of the line before; the space after it goes below.
                const std::size_t mark = M::Find(piece, ",.");
                if (mark != npos && M::Count(piece.substr(mark + 1)) >= markMin &&
                    M::Alone(piece, mark)) {
                    piece = piece.substr(mark + 1);
                }
            }
            rest.remove_suffix(piece.size());
            if (!piece.empty() && piece.front() == ' ') {
                piece.remove_prefix(1);
            } else if (!rest.empty() && rest.back() == ' ') {
                rest.remove_suffix(1);
            } else if (const std::size_t space = M::Find(piece, " "); space != npos) {
                rest = text.substr(0, rest.size() + space);
                piece = piece.substr(space + 1);
            } else {
                const std::size_t before = M::RFind(rest, " ");
                const std::size_t wordStart = before == npos ? 0 : before + 1;
                piece = text.substr(wordStart, rest.size() - wordStart + piece.size());
                rest = rest.substr(0, before == npos ? 0 : before);
            }
        }
        pieces.emplace_back(piece);
    }
    if (!rest.empty()) pieces.emplace_back(rest);
    if (fromEnd) ReverseList(pieces);
    lines.insert(lines.end(), std::make_move_iterator(pieces.begin()),
                 std::make_move_iterator(pieces.end()));
}

}  // namespace

void CutTextToWidth(std::string_view text, int width, bool fromEnd, const CutRules& rules,
                    LineList& lines) {
    const bool tags = rules.tagsAside && MayHoldTag(text);
    if (Utf8Form()) {
        tags ? CutToWidth<TagsAside<CharMeasure>>(text, width, fromEnd, rules, lines)
             : CutToWidth<CharMeasure>(text, width, fromEnd, rules, lines);
    } else {
        tags ? CutToWidth<TagsAside<ByteMeasure>>(text, width, fromEnd, rules, lines)
             : CutToWidth<ByteMeasure>(text, width, fromEnd, rules, lines);
    }
}

std::string TakeTextPartByWords(std::string_view text, int k, int n, bool byWords, int mode) {
    if (!byWords || mode == 1) return TakeTextPart(text, k, n, mode);
    const long size = PartSize(CharCount(text), k, n);
    if (size <= 0) return {};
    // The end part is cut from the end, so that its line is the one that closes the text.
    const bool fromEnd = mode == 2;
    LineList lines;
    CutTextToWidth(text, static_cast<int>(size), fromEnd, lines);
    if (lines.empty()) return {};
    return fromEnd ? lines.back() : lines.front();
}

// --- Joining split numbers -------------------------------------------------------------------

namespace {

// The joins of JoinSplitNumbers, out of line: most lines never get here, and the look before
// does not pay for this frame.
[[gnu::noinline]] bool JoinAtSpaces(std::string_view text, std::string& out) {
    const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    std::size_t copied = 0;  // text before this byte is in `out`
    std::size_t next = 0;    // a digit before this byte was joined already and starts no join
    // Every join is a digit, a space and what follows: the spaces are looked up, the rest of
    // the line is copied in runs.
    for (std::size_t space = text.find(' ', 1); space != npos; space = text.find(' ', space + 1)) {
        const std::size_t digit = space - 1;
        if (digit < next || !IsDigit(text[digit])) continue;
        // The digit copied here is not looked at again: '1 2 3' becomes '12 3'.
        std::size_t taken = 0;
        if (IsDigit(at(space + 1))) {
            taken = 1;
        } else if (at(space + 1) == ':' && IsDigit(at(space + 2))) {
            taken = 2;
        } else {
            continue;
        }
        out.append(text, copied, space - copied);
        out.append(text, space + 1, taken);
        copied = next = space + 1 + taken;
    }
    if (copied == 0) return false;
    out.append(text, copied);
    return true;
}

}  // namespace

}  // namespace tessaline
