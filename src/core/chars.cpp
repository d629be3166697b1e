#include "core/chars.hpp"

#include <algorithm>
#include <cstdint>

#include <utf8proc.h>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"

namespace tessaline {
namespace {

constexpr unsigned char kCapitalYo = 168;  // Ё
constexpr unsigned char kSmallYo = 184;    // ё
constexpr unsigned char kSmallYe = 229;    // е

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

constexpr bool IsLatinUpper(unsigned char b) {
    return b >= 'A' && b <= 'Z';
}
constexpr bool IsLatinLower(unsigned char b) {
    return b >= 'a' && b <= 'z';
}
constexpr bool IsCyrillicUpper(unsigned char b) {
    return b >= 192 && b <= 223;
}
constexpr bool IsCyrillicLower(unsigned char b) {
    return b >= 224;
}

bool IsCapital(unsigned char b) {
    return IsLatinUpper(b) || IsCyrillicUpper(b) || b == kCapitalYo;
}

bool IsSmall(unsigned char b) {
    return IsLatinLower(b) || IsCyrillicLower(b) || b == kSmallYo;
}

constexpr std::array<unsigned char, 256> MakeSwitchCaseTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int i = 'A'; i <= 'Z'; ++i) {
        table[i] = static_cast<unsigned char>(i + 32);
        table[i + 32] = static_cast<unsigned char>(i);
    }
    for (int i = 192; i <= 223; ++i) {
        table[i] = static_cast<unsigned char>(i + 32);
        table[i + 32] = static_cast<unsigned char>(i);
    }
    table[kCapitalYo] = kSmallYo;
    table[kSmallYo] = kCapitalYo;
    return table;
}

// The lower-case fold used for comparing: LowerCharRus, then ё as е.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int i = 'A'; i <= 'Z'; ++i)
        table[i] = static_cast<unsigned char>(i + 32);
    for (int i = 192; i <= 223; ++i)
        table[i] = static_cast<unsigned char>(i + 32);
    table[kCapitalYo] = kSmallYe;
    table[kSmallYo] = kSmallYe;
    return table;
}

constexpr std::array<unsigned char, 256> kFoldTable = MakeFoldTable();

// One code point of UTF-8 text: its value, or -1 for a byte that begins no valid sequence (such
// a byte is a character of its own, one byte long, and is kept as it is).
struct CodePoint {
    std::int32_t value;
    std::size_t length;
};

CodePoint CodePointAt(std::string_view text, std::size_t i) {
    const unsigned char lead = Byte(text[i]);
    if (lead < 0x80) return {lead, 1};
    const Utf8Sequence sequence = DecodeUtf8(text, i);
    if (!sequence.ch) return {-1, 1};
    return {static_cast<std::int32_t>(*sequence.ch), sequence.length};
}

// An ASCII character is never a mark joined to the character before it; only a prepended
// character (the first is U+0600) joins the one after it. So an ASCII byte after a code point
// below U+0600 always begins a new character, except LF after CR.
constexpr std::int32_t kFirstPrepended = 0x0600;

// The byte after the character (grapheme cluster) of UTF-8 text that begins at byte i.
std::size_t Utf8CharEnd(std::string_view text, std::size_t i) {
    CodePoint cp = CodePointAt(text, i);
    std::size_t end = i + cp.length;
    if (cp.value < 0) return end;
    std::int32_t state = 0;
    while (end < text.size()) {
        const unsigned char next = Byte(text[end]);
        if (next < 0x80 && cp.value < kFirstPrepended && !(cp.value == '\r' && next == '\n'))
            return end;
        const CodePoint following = CodePointAt(text, end);
        if (following.value < 0 ||
            utf8proc_grapheme_break_stateful(cp.value, following.value, &state)) {
            return end;
        }
        cp = following;
        end += following.length;
    }
    return end;
}

}  // namespace

std::size_t CharCount(std::string_view text) {
    if (CurrentTextForm() == TextForm::Cp1251) return text.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i = Utf8CharEnd(text, i))
        ++count;
    return count;
}

std::size_t CharBytes(std::string_view text, std::size_t n) {
    if (CurrentTextForm() == TextForm::Cp1251) return std::min(n, text.size());
    std::size_t i = 0;
    for (; n > 0 && i < text.size(); --n)
        i = Utf8CharEnd(text, i);
    return i;
}

std::string FromCp1251(std::string_view text) {
    if (CurrentTextForm() == TextForm::Cp1251) return std::string(text);
    return Cp1251ToUtf8(text);
}

const std::array<unsigned char, 256> SwitchCaseTable = MakeSwitchCaseTable();

// "жЖмМфФшШщЩыЫюЮ" in Windows-1251.
const std::string_view WideLetters = "\xE6\xC6\xEC\xCC\xF4\xD4\xF8\xD8\xF9\xD9\xFB\xDB\xFE\xDE";

char LowerCharRus(char c) {
    const unsigned char b = Byte(c);
    if (IsLatinUpper(b) || IsCyrillicUpper(b)) return static_cast<char>(b + 32);
    if (b == kCapitalYo) return static_cast<char>(kSmallYo);
    return c;
}

char UpperCharRus(char c) {
    const unsigned char b = Byte(c);
    if (IsLatinLower(b) || IsCyrillicLower(b)) return static_cast<char>(b - 32);
    if (b == kSmallYo) return static_cast<char>(kCapitalYo);
    return c;
}

bool IsWordStartChar(char c) {
    return WordStartSet.find(c) != std::string_view::npos;
}

std::string LowerFoldStr(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kFoldTable[Byte(c)]);
    return out;
}

std::string UpperStrRus(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperCharRus(c);
    return out;
}

std::string SwitchCaseStr(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(SwitchCaseTable[Byte(c)]);
    return out;
}

namespace {

// Two characters that are the same letter in either case.
bool SameFolded(char a, char b) {
    return kFoldTable[Byte(a)] == kFoldTable[Byte(b)];
}

}  // namespace

std::size_t PosNoCaseFrom(std::string_view sub, std::string_view text, std::size_t from) {
    if (sub.empty() || from == 0 || from > text.size()) return 0;
    const auto begin = text.begin() + static_cast<std::ptrdiff_t>(from - 1);
    const auto found = std::search(begin, text.end(), sub.begin(), sub.end(), SameFolded);
    return found == text.end() ? 0 : static_cast<std::size_t>(found - text.begin()) + 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), SameFolded);
}

std::size_t PosNoCase(std::string_view sub, std::string_view text) {
    return PosNoCaseFrom(sub, text, 1);
}

std::string CapitalizeWords(std::string_view text) {
    std::string out(text);
    bool atWordStart = true;
    for (char& c : out) {
        if (IsWordStartChar(c)) {
            atWordStart = true;
        } else if (atWordStart) {
            c = UpperCharRus(c);
            atWordStart = false;
        } else {
            c = LowerCharRus(c);
        }
    }
    return out;
}

std::string CapitalizeFirstLetter(std::string_view text) {
    std::string out(text);
    auto it = std::find_if(out.begin(), out.end(), [](char c) { return !IsWordStartChar(c); });
    if (it == out.end()) return out;
    *it = UpperCharRus(*it);
    for (++it; it != out.end(); ++it)
        *it = LowerCharRus(*it);
    return out;
}

std::string CapitalizeAfterDelimiters(std::string_view text, std::string_view delimiters,
                                      bool& afterDelimiter) {
    std::string out(text);
    std::size_t i = 0;
    // A line that opens with a tag: the tag is lowered and takes no part in the sentence rule.
    if (!out.empty() && out[0] == '<') {
        const std::size_t close = out.find('>');
        const std::size_t end = close == std::string::npos ? out.size() : close + 1;
        for (; i < end; ++i)
            out[i] = LowerCharRus(out[i]);
    }
    const auto isDelimiter = [&](char c) { return delimiters.find(c) != std::string_view::npos; };
    for (; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '.' || isDelimiter(c)) {
            afterDelimiter = true;
        } else if (afterDelimiter &&
                   std::string_view(" .-'\"([{\n\r").find(c) == std::string_view::npos) {
            out[i] = UpperCharRus(c);
            afterDelimiter = false;
        } else {
            out[i] = LowerCharRus(c);
        }
    }
    return out;
}

bool FixJoinedCapital(std::string& text) {
    const auto isSmallOrDigit = [](unsigned char b) {
        return IsSmall(b) || (b >= '0' && b <= '9');
    };
    const auto isJoiner = [](unsigned char b) {
        return b == '\'' || b == '"' || b == '=' || b == '-';
    };
    bool changed = false;
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (IsCapital(Byte(text[i])) && isJoiner(Byte(text[i - 1])) &&
            isSmallOrDigit(Byte(text[i - 2]))) {
            text[i] = LowerCharRus(text[i]);
            changed = true;
        }
    }
    return changed;
}

namespace {

// What each byte adds to the four letter counts of IsMostlyUpperCase, packed into 16-bit fields
// of one word: Latin capitals, Latin small letters, Cyrillic capitals, Cyrillic small letters.
// One addition per character: the length test runs this over every line of a file.
constexpr std::array<std::uint64_t, 256> MakeCaseCountTable() {
    std::array<std::uint64_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const auto b = static_cast<unsigned char>(i);
        const int field = IsLatinUpper(b)                         ? 0
                          : IsLatinLower(b)                       ? 1
                          : IsCyrillicUpper(b) || b == kCapitalYo ? 2
                          : IsCyrillicLower(b) || b == kSmallYo   ? 3
                                                                  : -1;
        table[static_cast<std::size_t>(i)] = field < 0 ? 0 : std::uint64_t{1} << (16 * field);
    }
    return table;
}
constexpr std::array<std::uint64_t, 256> kCaseCount = MakeCaseCountTable();

}  // namespace

bool IsMostlyUpperCase(std::string_view text, CaseCounts* counts) {
    CaseCounts n;
    // A field holds at most 65535: long texts are counted in pieces of that size.
    constexpr std::size_t kPiece = 65535;
    for (std::size_t start = 0; start < text.size(); start += kPiece) {
        std::uint64_t packed = 0;
        for (const char c : text.substr(start, kPiece))
            packed += kCaseCount[Byte(c)];
        const auto field = [packed](int i) {
            return static_cast<int>((packed >> (16 * i)) & 0xFFFF);
        };
        n.latinUpper += field(0);
        n.latinLower += field(1);
        n.cyrillicUpper += field(2);
        n.cyrillicLower += field(3);
    }
    n.other = static_cast<int>(text.size()) - n.latinUpper - n.latinLower - n.cyrillicUpper -
              n.cyrillicLower;
    if (counts != nullptr) *counts = n;
    return n.latinUpper > n.latinLower || n.cyrillicUpper > n.cyrillicLower;
}

int CountWideLetters(std::string_view set, std::string_view text) {
    if (set.empty()) set = WideLetters;
    return static_cast<int>(std::count_if(
        text.begin(), text.end(), [&](char c) { return set.find(c) != std::string_view::npos; }));
}

}  // namespace tessaline
