#include "core/chars.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <utf8proc.h>

#include "core/cp1251.hpp"
#include "core/text_form.hpp"

namespace tessaline {
namespace {

bool IsUtf8() {
    return CurrentTextForm() == TextForm::Utf8;
}

constexpr unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// --- Windows-1251 ----------------------------------------------------------------------------

constexpr unsigned char kCapitalYo = 168;  // Ё
constexpr unsigned char kSmallYo = 184;    // ё
constexpr unsigned char kSmallYe = 229;    // е

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

char LowerCp1251(char c) {
    const unsigned char b = Byte(c);
    if (IsLatinUpper(b) || IsCyrillicUpper(b)) return static_cast<char>(b + 32);
    if (b == kCapitalYo) return static_cast<char>(kSmallYo);
    return c;
}

char UpperCp1251(char c) {
    const unsigned char b = Byte(c);
    if (IsLatinLower(b) || IsCyrillicLower(b)) return static_cast<char>(b - 32);
    if (b == kSmallYo) return static_cast<char>(kCapitalYo);
    return c;
}

// LowerCp1251 and UpperCp1251 as tables, for the loops over whole lines.
constexpr std::array<unsigned char, 256> MakeCaseTable(bool upper) {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const auto b = static_cast<unsigned char>(i);
        table[b] = upper ? (IsLatinLower(b) || IsCyrillicLower(b) ? b - 32 : b)
                         : (IsLatinUpper(b) || IsCyrillicUpper(b) ? b + 32 : b);
    }
    table[upper ? kSmallYo : kCapitalYo] = upper ? kCapitalYo : kSmallYo;
    return table;
}

constexpr std::array<unsigned char, 256> kLowerTable = MakeCaseTable(false);

// kLowerTable for sixteen bytes at once: A-Z and А-Я add 32, Ё adds 16.
__m128i LowerCp1251Block(__m128i v) {
    // x - from, compared without sign: the bytes from `from` to `from + count - 1`.
    const auto inRange = [v](char from, char count) {
        const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(from));
        return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(static_cast<char>(count - 1))),
                              shifted);
    };
    const __m128i capital = _mm_or_si128(inRange('A', 26), inRange(static_cast<char>(192), 32));
    const __m128i yo = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kCapitalYo)));
    const __m128i add = _mm_or_si128(_mm_and_si128(capital, _mm_set1_epi8(32)),
                                     _mm_and_si128(yo, _mm_set1_epi8(16)));
    return _mm_add_epi8(v, add);
}
constexpr std::array<unsigned char, 256> kUpperTable = MakeCaseTable(true);

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

// The bytes that no other byte folds to (no case: punctuation, digits, spaces).
constexpr std::array<bool, 256> MakeCaselessTable() {
    std::array<bool, 256> table{};
    for (std::size_t i = 0; i < 256; ++i) {
        table[i] = true;
        for (std::size_t j = 0; j < 256; ++j)
            if (j != i && kFoldTable[j] == kFoldTable[i]) table[i] = false;
    }
    return table;
}

constexpr std::array<bool, 256> kCaselessByte = MakeCaselessTable();

// --- UTF-8: code points ----------------------------------------------------------------------

// One code point of UTF-8 text: its value, or kStray for a byte that begins no valid sequence
// (such a byte is a character of its own, one byte long, and is kept as it is).
constexpr std::int32_t kStray = -1;

struct CodePoint {
    std::int32_t value;
    std::size_t length;
};

CodePoint CodePointAt(std::string_view text, std::size_t i) {
    const unsigned char lead = Byte(text[i]);
    if (lead < 0x80) return {lead, 1};
    // Two bytes, the letters of Cyrillic, Greek and accented Latin: read here, not by the
    // general decoder.
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() && (Byte(text[i + 1]) & 0xC0) == 0x80) {
        return {((lead & 0x1F) << 6) | (Byte(text[i + 1]) & 0x3F), 2};
    }
    const Utf8Sequence sequence = DecodeUtf8(text, i);
    if (!sequence.ch) return {kStray, 1};
    return {static_cast<std::int32_t>(*sequence.ch), sequence.length};
}

// Where the code point that ends at byte p begins (p > 0). Agrees with the forward reading: a
// sequence counts only when it is valid and ends exactly at p, else the byte before p stands
// alone.
std::size_t CodePointStartBefore(std::string_view text, std::size_t p) {
    for (std::size_t k = 1; k <= 4 && k <= p; ++k) {
        const unsigned char b = Byte(text[p - k]);
        if ((b & 0xC0) == 0x80) continue;
        if (b >= 0x80 && CodePointAt(text, p - k).length == k) return p - k;
        break;
    }
    return p - 1;
}

// Letters that have a case: only these change case, so a combining mark or a symbol that
// Unicode maps (U+0345, the circled letters) stays as it is.
// The Russian alphabet with Ё and the other letters of U+0400 to U+045F, and the accented
// letters of Latin-1, whose cases lie a fixed step apart: decided here without the tables.
constexpr bool IsBasicCyrillicCapital(std::int32_t cp) {
    return cp >= 0x0400 && cp <= 0x042F;
}
constexpr bool IsBasicCyrillicSmall(std::int32_t cp) {
    return cp >= 0x0430 && cp <= 0x045F;
}
constexpr bool IsLatin1Capital(std::int32_t cp) {
    return cp >= 0xC0 && cp <= 0xDE && cp != 0xD7;
}
constexpr bool IsLatin1SmallWithCapital(std::int32_t cp) {
    return cp >= 0xE0 && cp <= 0xFE && cp != 0xF7;
}
constexpr std::int32_t BasicCyrillicLower(std::int32_t cp) {
    return cp >= 0x0410 ? cp + 0x20 : cp + 0x50;
}
constexpr std::int32_t BasicCyrillicUpper(std::int32_t cp) {
    return cp >= 0x0450 ? cp - 0x50 : cp - 0x20;
}

bool IsCapitalLetter(std::int32_t cp) {
    if (cp < 0x80) return IsLatinUpper(static_cast<unsigned char>(cp));
    if (cp < 0x0100) return IsLatin1Capital(cp);
    if (cp >= 0x0400 && cp <= 0x045F) return IsBasicCyrillicCapital(cp);
    const utf8proc_category_t category = utf8proc_category(cp);
    return category == UTF8PROC_CATEGORY_LU || category == UTF8PROC_CATEGORY_LT;
}

bool IsSmallLetter(std::int32_t cp) {
    if (cp < 0x80) return IsLatinLower(static_cast<unsigned char>(cp));
    if (cp >= 0x0400 && cp <= 0x045F) return IsBasicCyrillicSmall(cp);
    return utf8proc_category(cp) == UTF8PROC_CATEGORY_LL;
}

std::int32_t LowerCodePoint(std::int32_t cp) {
    if (cp < 0x80) return IsLatinUpper(static_cast<unsigned char>(cp)) ? cp + 32 : cp;
    if (IsLatin1Capital(cp)) return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x045F)
        return IsBasicCyrillicCapital(cp) ? BasicCyrillicLower(cp) : cp;
    return IsCapitalLetter(cp) ? utf8proc_tolower(cp) : cp;
}

std::int32_t UpperCodePoint(std::int32_t cp) {
    if (cp < 0x80) return IsLatinLower(static_cast<unsigned char>(cp)) ? cp - 32 : cp;
    if (IsLatin1SmallWithCapital(cp)) return cp - 0x20;
    if (cp >= 0x0400 && cp <= 0x045F) return IsBasicCyrillicSmall(cp) ? BasicCyrillicUpper(cp) : cp;
    return IsSmallLetter(cp) || utf8proc_category(cp) == UTF8PROC_CATEGORY_LT ? utf8proc_toupper(cp)
                                                                              : cp;
}

std::int32_t SwitchCodePoint(std::int32_t cp) {
    if (cp < 0x80) return static_cast<std::int32_t>(SwitchCaseTable[static_cast<std::size_t>(cp)]);
    if (cp >= 0x0400 && cp <= 0x045F) {
        return IsBasicCyrillicCapital(cp) ? BasicCyrillicLower(cp) : BasicCyrillicUpper(cp);
    }
    if (IsCapitalLetter(cp)) return utf8proc_tolower(cp);
    if (IsSmallLetter(cp)) return utf8proc_toupper(cp);
    return cp;
}

constexpr std::int32_t kCyrillicSmallYo = 0x0451;
constexpr std::int32_t kCyrillicSmallYe = 0x0435;

// The compare fold: lower case, then ё as е.
std::int32_t FoldCodePoint(std::int32_t cp) {
    const std::int32_t lower = LowerCodePoint(cp);
    return lower == kCyrillicSmallYo ? kCyrillicSmallYe : lower;
}

// The case maps and letter classes of every code point below U+0800 (every one- and two-byte
// sequence: ASCII, Latin, Greek, Cyrillic), worked out once from the functions above, so that
// the walks over a line look a letter up instead of deciding it.
struct TwoByteMaps {
    std::array<std::uint16_t, 0x800> lower;
    std::array<std::uint16_t, 0x800> upper;
    std::array<std::uint16_t, 0x800> fold;
    std::array<std::uint16_t, 0x800> swap;
};

const TwoByteMaps& Maps() {
    static const TwoByteMaps maps = [] {
        TwoByteMaps m{};
        for (std::int32_t cp = 0; cp < 0x800; ++cp) {
            const auto at = static_cast<std::size_t>(cp);
            m.lower[at] = static_cast<std::uint16_t>(LowerCodePoint(cp));
            m.upper[at] = static_cast<std::uint16_t>(UpperCodePoint(cp));
            m.fold[at] = static_cast<std::uint16_t>(FoldCodePoint(cp));
            m.swap[at] = static_cast<std::uint16_t>(SwitchCodePoint(cp));
        }
        return m;
    }();
    return maps;
}

// Writes a code point below U+10000 as UTF-8 at p; returns the end.
char* PutBmp(char* p, std::uint32_t cp) {
    if (cp < 0x80) {
        *p++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        p[0] = static_cast<char>(0xC0 | (cp >> 6));
        p[1] = static_cast<char>(0x80 | (cp & 0x3F));
        p += 2;
    } else {
        p[0] = static_cast<char>(0xE0 | (cp >> 12));
        p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        p[2] = static_cast<char>(0x80 | (cp & 0x3F));
        p += 3;
    }
    return p;
}

// A two-byte sequence at i: its code point, or -1 when the bytes there are not one.
std::int32_t TwoByteAt(const unsigned char* bytes, std::size_t size, std::size_t i) {
    const unsigned char lead = bytes[i];
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
        return ((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F);
    }
    return -1;
}

// The code point at i of plain text (see PlainCodePoints), which moves i past it.
std::uint32_t PlainCodePointAt(const unsigned char* bytes, std::size_t& i) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    const std::uint32_t cp = ((lead & 0x1Fu) << 6) | (bytes[i + 1] & 0x3Fu);
    i += 2;
    return cp;
}

// Text written into a string made large enough beforehand: a code point below U+0800 takes at
// most half as many bytes again when its case changes (U+0250 to U+2C6F), a longer one through
// utf8proc is given room as it comes.
class MappedOut {
  public:
    explicit MappedOut(std::size_t size) { out_.resize(size + size / 2 + 8); }
    char* At(std::size_t most) {
        if (out_.size() - used_ < most) out_.resize(2 * out_.size() + most);
        return out_.data() + used_;
    }
    void Done(char* end) { used_ = static_cast<std::size_t>(end - out_.data()); }
    void Put(std::uint32_t cp) {
        char* p = At(4);
        Done(cp < 0x10000 ? PutBmp(p, cp) : p + (AppendUtf8Into(p, cp)));
    }
    void Append(std::string_view bytes) {
        char* p = At(bytes.size());
        std::memcpy(p, bytes.data(), bytes.size());
        Done(p + bytes.size());
    }
    std::string Take() {
        out_.resize(used_);
        return std::move(out_);
    }

  private:
    static std::size_t AppendUtf8Into(char* p, std::uint32_t cp) {
        p[0] = static_cast<char>(0xF0 | (cp >> 18));
        p[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        p[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        p[3] = static_cast<char>(0x80 | (cp & 0x3F));
        return 4;
    }
    std::string out_;
    std::size_t used_ = 0;
};

// Each code point of the text through `map` (below U+0800 through its table); a stray byte is
// copied as it is.
template <class Map>
std::string MapCodePoints(std::string_view text, const std::array<std::uint16_t, 0x800>& table,
                          Map map) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    MappedOut out(size);
    char* p = out.At(0);
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            *p++ = static_cast<char>(table[lead]);
            ++i;
            continue;
        }
        if (const std::int32_t cp = TwoByteAt(bytes, size, i); cp >= 0) {
            p = PutBmp(p, table[static_cast<std::size_t>(cp)]);
            i += 2;
            continue;
        }
        out.Done(p);
        const CodePoint cp = CodePointAt(text, i);
        const std::int32_t mapped = cp.value == kStray ? kStray : map(cp.value);
        if (mapped == cp.value) {
            out.Append(text.substr(i, cp.length));
        } else {
            out.Put(static_cast<std::uint32_t>(mapped));
        }
        i += cp.length;
        p = out.At(size - i + (size - i) / 2);
    }
    out.Done(p);
    return out.Take();
}

// --- UTF-8: characters -----------------------------------------------------------------------

// Only a prepended character (the first is U+0600) joins the one after it, and the letters of
// the Latin, Greek and Cyrillic blocks (not their combining marks) are never joined to the one
// before: between two such code points a character always ends, except between CR and LF.
// Most text is decided here without the boundary tables.
constexpr std::int32_t kFirstPrepended = 0x0600;

bool NeverJoinsBefore(std::int32_t cp) {
    return cp < 0x0300 || (cp >= 0x0370 && cp < 0x0483) || (cp >= 0x048A && cp < 0x0530);
}

// The byte after the character (grapheme cluster) of UTF-8 text that begins at byte i; `first`
// receives its first code point (kStray for a stray byte).
// A lead byte of a code point that is never joined to the one before it and joins none after
// it: ASCII, U+0080 to U+02FF (Latin), U+0380 to U+047F (Greek and Cyrillic letters).
constexpr bool IsPlainLead(unsigned char b) {
    return b < 0x80 || (b >= 0xC2 && b <= 0xCB) || (b >= 0xCE && b <= 0xD1);
}

// Plain text is made only of code points that are characters of their own: ASCII but CR, and
// well-formed two-byte code points with a plain lead (Latin, Greek and Cyrillic letters, no
// combining marks). Nearly every subtitle line is; its characters are then its code points,
// counted and cut without the boundary rules.
// The sixteen bytes of a text from byte i on, zero after its end.
[[gnu::always_inline]] inline __m128i LoadBlock(const unsigned char* s, std::size_t i,
                                                std::size_t n) {
    const std::size_t size = n - i;
    if (size >= 16) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    alignas(16) unsigned char block[32] = {};
    if (n >= 16) {
        // The last sixteen bytes of the text, read from where byte i lies among them.
        _mm_store_si128(reinterpret_cast<__m128i*>(block),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16)));
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 - size));
    }
    // A short text, copied in two overlapping pieces.
    if (size >= 8) {
        std::memcpy(block, s + i, 8);
        std::memcpy(block + size - 8, s + n - 8, 8);
    } else if (size >= 4) {
        std::memcpy(block, s + i, 4);
        std::memcpy(block + size - 4, s + n - 4, 4);
    } else {
        for (std::size_t k = 0; k < size; ++k)
            block[k] = s[i + k];
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(block));
}

#if defined(__SSE2__)

// Whether sixteen bytes are plain text: their lead bytes (11xxxxxx) must all be plain and each
// be followed by a continuation byte (10xxxxxx), which nothing else may be; no CR. `carry` is
// 1 when the byte before them was a lead. Gives their continuation bytes (all ones in a lane)
// and the mask of their leads.
[[gnu::always_inline]] inline bool IsPlainBlock(__m128i v, unsigned carry, __m128i& contBytes,
                                                unsigned& lead) {
    // Signed bytes: 0x80-0xBF are -128..-65, 0xC2-0xCB -62..-53, 0xCE-0xD1 -50..-47.
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
    contBytes = _mm_cmplt_epi8(v, _mm_set1_epi8(-64));
    const unsigned cont = static_cast<unsigned>(_mm_movemask_epi8(contBytes));
    lead = high & ~cont;
    const __m128i plain = _mm_or_si128(
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-63)), _mm_cmplt_epi8(v, _mm_set1_epi8(-52))),
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-51)),
                      _mm_cmplt_epi8(v, _mm_set1_epi8(-46))));
    const unsigned plainLead = static_cast<unsigned>(_mm_movemask_epi8(plain));
    const unsigned crs =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
    const unsigned follows = ((lead << 1) | carry) & 0xFFFF;
    return (lead & ~plainLead) == 0 && follows == cont && crs == 0;
}

// The number of code points of plain text; nothing for text that is not plain.
// Sixteen bytes at a time; a lead at the end of one chunk is carried to the first byte of the
// next. The code points are the bytes less the continuation bytes, added up in byte lanes
// (emptied before they can overflow).
std::optional<std::size_t> PlainCodePoints(std::string_view text) {
    const char* data = text.data();
    const std::size_t size = text.size();
    const auto check = [&](__m128i v, unsigned& carry, __m128i& contLanes) {
        __m128i contBytes;
        unsigned lead = 0;
        const bool plain = IsPlainBlock(v, carry, contBytes, lead);
        carry = lead >> 15;
        contLanes = _mm_sub_epi8(contLanes, contBytes);  // each continuation byte adds one
        return plain;
    };
    const auto sum = [](__m128i lanes) {
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    };
    unsigned carry = 0;
    std::size_t continuations = 0;
    __m128i contLanes = _mm_setzero_si128();
    std::size_t i = 0;
    for (std::size_t chunks = 0; i + 16 <= size; i += 16) {
        if (!check(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), carry, contLanes)) {
            return std::nullopt;
        }
        if (++chunks == 255) {
            continuations += sum(contLanes);
            contLanes = _mm_setzero_si128();
            chunks = 0;
        }
    }
    if (i < size) {
        // The last bytes padded with NULs, which count as ASCII and end no character.
        if (!check(LoadBlock(reinterpret_cast<const unsigned char*>(data), i, size), carry,
                   contLanes)) {
            return std::nullopt;
        }
    } else if (carry != 0) {
        return std::nullopt;  // a lead byte at the very end
    }
    continuations += sum(contLanes);
    return size - continuations;
}

// The plain characters at the start of text, sixteen bytes at a time: in a block of plain code
// points every code point is a character, which ends where the next one starts (or, for the
// block's last, where a plain lead or the end follows it). Gives where it stopped and
// lowers n by the characters passed (to 0 when the n-th ends in a block).
std::size_t SkipPlainBlocks(std::string_view text, std::size_t& n) {
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (n > 0 && i + 16 <= size) {
        __m128i contBytes;
        unsigned lead = 0;
        if (!IsPlainBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), 0, contBytes,
                          lead)) {
            break;
        }
        // A lead at the block's end begins the next block, with the rest of its code point.
        const std::size_t whole = (lead >> 15) != 0 ? 15 : 16;
        unsigned starts =
            ~static_cast<unsigned>(_mm_movemask_epi8(contBytes)) & ((1U << whole) - 1);
        const auto chars = static_cast<std::size_t>(std::popcount(starts));
        if (n < chars) {
            // The n-th character ends where the one after it starts.
            for (std::size_t k = n; k > 0; --k)
                starts &= starts - 1;
            n = 0;
            return i + static_cast<std::size_t>(std::countr_zero(starts));
        }
        if (whole == 16 && i + 16 < size && !IsPlainLead(data[i + 16])) break;
        n -= chars;
        i += whole;
    }
    return i;
}

#else

std::size_t SkipPlainBlocks(std::string_view, std::size_t&) {
    return 0;
}

// The number of code points of plain text; nothing for text that is not plain.
std::optional<std::size_t> PlainCodePoints(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++count) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            if (b == '\r') return std::nullopt;
            ++i;
        } else if (b >= 0xC2 && IsPlainLead(b) && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return count;
}

#endif

std::size_t Utf8CharEnd(std::string_view text, std::size_t i, std::int32_t* first = nullptr) {
    // Nearly every character of a subtitle is one such code point followed by another (or by
    // the end): it ends where its code point does, found without the boundary rules.
    const unsigned char lead = Byte(text[i]);
    if (lead < 0x80 && lead != '\r') {
        if (i + 1 == text.size() || IsPlainLead(Byte(text[i + 1]))) {
            if (first != nullptr) *first = lead;
            return i + 1;
        }
    } else if (lead >= 0xC2 && IsPlainLead(lead) && i + 1 < text.size() &&
               (Byte(text[i + 1]) & 0xC0) == 0x80 &&
               (i + 2 == text.size() || IsPlainLead(Byte(text[i + 2])))) {
        if (first != nullptr) *first = ((lead & 0x1F) << 6) | (Byte(text[i + 1]) & 0x3F);
        return i + 2;
    }
    CodePoint cp = CodePointAt(text, i);
    if (first != nullptr) *first = cp.value;
    std::size_t end = i + cp.length;
    if (cp.value == kStray) return end;
    std::int32_t state = 0;
    while (end < text.size()) {
        const CodePoint following = CodePointAt(text, end);
        if (following.value == kStray) return end;
        if (cp.value < kFirstPrepended && NeverJoinsBefore(following.value)) {
            if (!(cp.value == '\r' && following.value == '\n')) return end;
        } else if (utf8proc_grapheme_break_stateful(cp.value, following.value, &state)) {
            return end;
        }
        cp = following;
        end += following.length;
    }
    return end;
}

// A character boundary that can be told from the two code points around it alone: a stray
// byte on either side, or two code points that no rule joins (such as letters, digits,
// spaces, CJK). A walk back to such a point can read forward from it.
bool IsPlainBoundary(std::int32_t before, std::int32_t after) {
    if (before == kStray || after == kStray) return true;
    if (before < kFirstPrepended && NeverJoinsBefore(after)) return before != '\r' || after != '\n';
    return utf8proc_get_property(before)->boundclass == UTF8PROC_BOUNDCLASS_OTHER &&
           utf8proc_get_property(after)->boundclass == UTF8PROC_BOUNDCLASS_OTHER;
}

// The nearest plain boundary before byte p (p > 0); 0 when there is none.
std::size_t PlainBoundaryBefore(std::string_view text, std::size_t p) {
    std::size_t at = CodePointStartBefore(text, p);
    std::int32_t after = CodePointAt(text, at).value;
    while (at > 0) {
        const std::size_t before = CodePointStartBefore(text, at);
        const std::int32_t value = CodePointAt(text, before).value;
        if (IsPlainBoundary(value, after)) return at;
        at = before;
        after = value;
    }
    return 0;
}

std::size_t Utf8CharBytes(std::string_view text, std::size_t n) {
    // Forward over plain code points first, as Utf8CharEnd's own first test reads them, but
    // without a call per character: the cut engines measure every line they cut this way.
    const std::size_t size = text.size();
    std::size_t i = SkipPlainBlocks(text, n);
    for (; n > 0 && i < size; --n) {
        const unsigned char lead = Byte(text[i]);
        std::size_t end = i + 1;
        if (lead >= 0x80) {
            if (lead < 0xC2 || !IsPlainLead(lead) || end == size ||
                (Byte(text[end]) & 0xC0) != 0x80) {
                break;
            }
            ++end;
        } else if (lead == '\r') {
            break;
        }
        if (end < size && !IsPlainLead(Byte(text[end]))) break;
        i = end;
    }
    for (; n > 0 && i < size; --n)
        i = Utf8CharEnd(text, i);
    return i;
}

// The character's first code point in a Windows-1251 set (a setting, WideLetters).
bool InCp1251Set(std::int32_t cp, std::string_view set) {
    if (cp == kStray) return false;
    if (cp < 0x80) return set.find(static_cast<char>(cp)) != std::string_view::npos;
    return std::any_of(set.begin(), set.end(), [cp](char c) {
        return Byte(c) >= 0x80 && static_cast<std::int32_t>(Cp1251ToUnicode(Byte(c))) == cp;
    });
}

// A Windows-1251 set read once for a walk over many characters: its ASCII members by byte, the
// others by their code points.
class Cp1251Set {
  public:
    explicit Cp1251Set(std::string_view set) {
        for (const char c : set) {
            if (Byte(c) < 0x80) {
                ascii_[Byte(c)] = true;
            } else {
                others_.push_back(static_cast<std::int32_t>(Cp1251ToUnicode(Byte(c))));
            }
        }
    }
    [[nodiscard]] bool Contains(std::int32_t cp) const {
        if (cp == kStray) return false;
        if (cp < 0x80) return ascii_[static_cast<std::size_t>(cp)];
        return std::find(others_.begin(), others_.end(), cp) != others_.end();
    }

  private:
    std::array<bool, 0x80> ascii_{};
    std::vector<std::int32_t> others_;
};

// Appends one character with its first code point through `first` and the rest (its marks)
// through `rest`.
template <class First, class Rest>
void AppendCharMapped(std::string& out, std::string_view ch, First first, Rest rest) {
    // One code point of one or two bytes, the usual letter: mapped without a general decode.
    if (ch.size() == 1 && Byte(ch[0]) < 0x80) {
        out += static_cast<char>(first(Byte(ch[0])));
        return;
    }
    if (ch.size() == 2 && Byte(ch[0]) >= 0xC2 && Byte(ch[0]) <= 0xDF) {
        const std::int32_t cp = ((Byte(ch[0]) & 0x1F) << 6) | (Byte(ch[1]) & 0x3F);
        const std::int32_t mapped = first(cp);
        if (mapped >= 0x80 && mapped < 0x800) {
            out += static_cast<char>(0xC0 | (mapped >> 6));
            out += static_cast<char>(0x80 | (mapped & 0x3F));
            return;
        }
    }
    bool isFirst = true;
    for (std::size_t i = 0; i < ch.size();) {
        const CodePoint cp = CodePointAt(ch, i);
        const std::int32_t mapped = cp.value == kStray ? kStray
                                    : isFirst          ? first(cp.value)
                                                       : rest(cp.value);
        if (mapped == cp.value) {
            out.append(ch.substr(i, cp.length));
        } else {
            AppendUtf8(out, static_cast<char32_t>(mapped));
        }
        isFirst = false;
        i += cp.length;
    }
}

void AppendUpper(std::string& out, std::string_view ch) {
    const auto upper = [](std::int32_t c) { return UpperCodePoint(c); };
    AppendCharMapped(out, ch, upper, upper);
}

void AppendLower(std::string& out, std::string_view ch) {
    const auto lower = [](std::int32_t c) { return LowerCodePoint(c); };
    AppendCharMapped(out, ch, lower, lower);
}

// Matches `sub` at byte i of `text`, code point by code point through the compare fold; the
// end of the match in `text`, or npos. A stray byte matches only the same byte.
std::size_t MatchFolded(std::string_view sub, std::string_view text, std::size_t i) {
    std::size_t j = 0;
    while (j < sub.size()) {
        if (i >= text.size()) return std::string_view::npos;
        const CodePoint a = CodePointAt(sub, j);
        const CodePoint b = CodePointAt(text, i);
        const bool same = a.value == kStray || b.value == kStray
                              ? a.value == b.value && sub[j] == text[i]
                              : FoldCodePoint(a.value) == FoldCodePoint(b.value);
        if (!same) return std::string_view::npos;
        j += a.length;
        i += b.length;
    }
    return i;
}

// The characters of `text` from byte `from` (a character start) end exactly at byte `to`: a
// match never takes half of a character ("e" is not found in "e" with a combining accent).
bool EndsOnCharacter(std::string_view text, std::size_t from, std::size_t to) {
    while (from < to)
        from = Utf8CharEnd(text, from);
    return from == to;
}

// ASCII without letters and line ends: the compare fold leaves it as it is and makes nothing
// else into it.
bool IsCaselessAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const unsigned char b = Byte(c);
        return b < 0x80 && !IsLatinUpper(b) && !IsLatinLower(b) && b != '\r' && b != '\n';
    });
}

// `knownPlain`: the caller has found both texts plain. `matchEnd`, when given, takes the byte
// where the match found ends.
std::size_t Utf8PosNoCaseFrom(std::string_view sub, std::string_view text, std::size_t from,
                              bool knownPlain, std::size_t* matchEnd = nullptr) {
    // The first code point of `sub`, folded once: most places fail on it.
    const CodePoint head = CodePointAt(sub, 0);
    const std::int32_t headFolded = head.value == kStray ? kStray : FoldCodePoint(head.value);
    if (IsCaselessAscii(sub)) {
        // Only the same bytes fold to ASCII that is neither a letter nor a line end, and no
        // rule joins two such characters: a byte search finds the match, which counts where
        // the walk by characters would stand on its first byte (the start, or a boundary no
        // rule can join across) and where its last byte ends a character.
        std::size_t at = text.find(sub, from - 1);
        for (; at != std::string_view::npos; at = text.find(sub, at + 1)) {
            if (at != from - 1) {
                const std::size_t before = CodePointStartBefore(text, at);
                if (!IsPlainBoundary(CodePointAt(text, before).value, Byte(text[at]))) break;
            }
            if (Utf8CharEnd(text, at + sub.size() - 1) == at + sub.size()) {
                if (matchEnd != nullptr) *matchEnd = at + sub.size();
                return at + 1;
            }
        }
        if (at == std::string_view::npos) return 0;
        // A match after a character that may join it: left to the walk by characters.
    }
    if (knownPlain || (PlainCodePoints(text) && PlainCodePoints(sub))) {
        // Every code point of plain text is a character: the search steps by code points, and
        // a match of plain text ends on a character.
        // (A start inside a character, as a caller may give, steps over its continuation
        // bytes one at a time, as the walk by characters does.)
        const auto& fold = Maps().fold;
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        const auto* subBytes = reinterpret_cast<const unsigned char*>(sub.data());
        const auto foldedAt = [&fold](const unsigned char* b, std::size_t at) {
            return b[at] < 0x80 ? fold[b[at]] : fold[((b[at] & 0x1Fu) << 6) | (b[at + 1] & 0x3Fu)];
        };
        for (std::size_t i = from - 1; i < text.size(); i += bytes[i] < 0xC0 ? 1 : 2) {
            // A continuation byte (a start the caller put inside a character) matches nothing.
            if ((bytes[i] & 0xC0) == 0x80 || foldedAt(bytes, i) != headFolded) continue;
            std::size_t j = 0;
            std::size_t k = i;
            while (j < sub.size() && k < text.size() &&
                   foldedAt(subBytes, j) == foldedAt(bytes, k)) {
                j += subBytes[j] < 0x80 ? 1 : 2;
                k += bytes[k] < 0x80 ? 1 : 2;
            }
            if (j == sub.size()) {
                if (matchEnd != nullptr) *matchEnd = k;
                return i + 1;
            }
        }
        return 0;
    }
    for (std::size_t i = from - 1; i < text.size(); i = Utf8CharEnd(text, i)) {
        const CodePoint at = CodePointAt(text, i);
        if (head.value == kStray ? at.value != kStray || text[i] != sub[0]
                                 : at.value == kStray || FoldCodePoint(at.value) != headFolded) {
            continue;
        }
        const std::size_t end = MatchFolded(sub, text, i);
        if (end != std::string_view::npos && EndsOnCharacter(text, i, end)) {
            if (matchEnd != nullptr) *matchEnd = end;
            return i + 1;
        }
    }
    return 0;
}

bool IsWordStartCodePoint(std::int32_t cp) {
    static constexpr std::array<bool, 0x80> kStarts = [] {
        std::array<bool, 0x80> starts{};
        for (const char c : WordStartSet)
            starts[static_cast<std::size_t>(c)] = true;
        return starts;
    }();
    return cp >= 0 && cp < 0x80 && kStarts[static_cast<std::size_t>(cp)];
}

// A code point of a Cyrillic block (Cyrillic, its Supplement).
bool IsCyrillic(std::int32_t cp) {
    return cp >= 0x0400 && cp <= 0x052F;
}

}  // namespace

// --- Counting and cutting --------------------------------------------------------------------

namespace {

// Out of line, so that the Windows-1251 count stays a few instructions.
[[gnu::noinline]] std::size_t Utf8CharCount(std::string_view text) {
    if (const std::optional<std::size_t> plain = PlainCodePoints(text)) return *plain;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i = Utf8CharEnd(text, i))
        ++count;
    return count;
}

}  // namespace

std::size_t CharCount(std::string_view text) {
    return IsUtf8() ? Utf8CharCount(text) : text.size();
}

std::size_t CharBytes(std::string_view text, std::size_t n) {
    if (!IsUtf8()) return std::min(n, text.size());
    return Utf8CharBytes(text, n);
}

namespace {

// CharBytesAtEnd for text that does not end in n plain code points: back from the end from one
// plain boundary to the one before, counting the characters between them forwards, until there
// are n. Out of line, so that the usual line saves no registers for it.
[[gnu::noinline]] std::size_t CharBytesAtEndByBoundaries(std::string_view text, std::size_t n) {
    std::size_t counted = 0;
    for (std::size_t stop = text.size(); stop > 0;) {
        const std::size_t start = PlainBoundaryBefore(text, stop);
        const std::string_view span = text.substr(start, stop - start);
        std::size_t chars = 0;
        for (std::size_t i = 0; i < span.size(); i = Utf8CharEnd(span, i))
            ++chars;
        if (counted + chars >= n) {
            return text.size() - start - Utf8CharBytes(span, counted + chars - n);
        }
        counted += chars;
        stop = start;
    }
    return text.size();
}

}  // namespace

std::size_t CharBytesAtEnd(std::string_view text, std::size_t n) {
    if (!IsUtf8()) return std::min(n, text.size());
    if (n == 0) return 0;
    // Back over plain code points (see PlainCodePoints), each a character of its own as long as
    // the one before the cut is plain too; anything else is left to the boundary rules.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto plainEndingAt = [bytes](std::size_t at) -> std::size_t {  // its bytes, or 0
        const unsigned char b = bytes[at - 1];
        if (b < 0x80) return b == '\r' ? 0 : 1;
        if ((b & 0xC0) != 0x80 || at < 2) return 0;
        const unsigned char lead = bytes[at - 2];
        return lead >= 0xC2 && IsPlainLead(lead) ? 2 : 0;
    };
    std::size_t at = text.size();
    std::size_t left = n;
    for (; left > 0 && at > 0; --left) {
        const std::size_t taken = plainEndingAt(at);
        if (taken == 0) break;
        at -= taken;
    }
    if (left == 0 && (at == 0 || plainEndingAt(at) != 0)) return text.size() - at;
    if (at == 0) return text.size();
    return CharBytesAtEndByBoundaries(text, n);
}

std::size_t CharEnd(std::string_view text, std::size_t i) {
    if (!IsUtf8()) return i + 1;
    return Utf8CharEnd(text, i);
}

std::string FromCp1251(std::string_view text) {
    if (!IsUtf8()) return std::string(text);
    return Cp1251ToUtf8(text);
}

bool InCharSet(std::string_view text, std::size_t i, std::string_view set) {
    if (!IsUtf8()) return set.find(text[i]) != std::string_view::npos;
    return InCp1251Set(CodePointAt(text, i).value, set);
}

// --- Case and classes ------------------------------------------------------------------------

const std::array<unsigned char, 256> SwitchCaseTable = MakeSwitchCaseTable();

// "жЖмМфФшШщЩыЫюЮ" in Windows-1251.
const std::string_view WideLetters = "\xE6\xC6\xEC\xCC\xF4\xD4\xF8\xD8\xF9\xD9\xFB\xDB\xFE\xDE";

char LowerCharRus(char c) {
    const unsigned char b = Byte(c);
    if (b < 0x80) return IsLatinUpper(b) ? static_cast<char>(b + 32) : c;
    // In UTF-8 a byte above ASCII is part of a longer character: it is never changed alone.
    return IsUtf8() ? c : LowerCp1251(c);
}

char UpperCharRus(char c) {
    const unsigned char b = Byte(c);
    if (b < 0x80) return IsLatinLower(b) ? static_cast<char>(b - 32) : c;
    return IsUtf8() ? c : UpperCp1251(c);
}

bool IsWordStartChar(char c) {
    static constexpr std::array<bool, 256> kStarts = [] {
        std::array<bool, 256> starts{};
        for (const char s : WordStartSet)
            starts[Byte(s)] = true;
        return starts;
    }();
    return kStarts[Byte(c)];
}

std::string LowerFoldStr(std::string_view text) {
    if (IsUtf8())
        return MapCodePoints(text, Maps().fold, [](std::int32_t c) { return FoldCodePoint(c); });
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kFoldTable[Byte(c)]);
    return out;
}

std::string LowerStrRus(std::string_view text) {
    if (IsUtf8())
        return MapCodePoints(text, Maps().lower, [](std::int32_t c) { return LowerCodePoint(c); });
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kLowerTable[Byte(c)]);
    return out;
}

std::string UpperStrRus(std::string_view text) {
    if (IsUtf8())
        return MapCodePoints(text, Maps().upper, [](std::int32_t c) { return UpperCodePoint(c); });
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kUpperTable[Byte(c)]);
    return out;
}

std::string SwitchCaseStr(std::string_view text) {
    if (IsUtf8())
        return MapCodePoints(text, Maps().swap, [](std::int32_t c) { return SwitchCodePoint(c); });
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
    if (IsUtf8()) return Utf8PosNoCaseFrom(sub, text, from, false);
    if (sub.size() > text.size() - (from - 1)) return 0;
    // Most places fail on the first character: it is looked for alone, with memchr when it has
    // no other case (punctuation, digits, the usual first byte of a tag or a separator), and
    // only where it stands is the rest compared.
    const char* const data = text.data();
    const std::size_t last = text.size() - sub.size();  // the last place a match can start
    const unsigned char head = Byte(sub[0]);
    const unsigned char foldedHead = kFoldTable[head];
    const auto restMatches = [&](std::size_t at) {
        for (std::size_t k = 1; k < sub.size(); ++k)
            if (!SameFolded(sub[k], data[at + k])) return false;
        return true;
    };
    std::size_t i = from - 1;
    if (kCaselessByte[head]) {
        while (i <= last) {
            const void* hit = std::memchr(data + i, head, last - i + 1);
            if (hit == nullptr) return 0;
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            if (restMatches(i)) return i + 1;
            ++i;
        }
        return 0;
    }
    for (; i <= last; ++i) {
        if (kFoldTable[Byte(data[i])] == foldedHead && restMatches(i)) return i + 1;
    }
    return 0;
}

std::size_t MatchEndNoCase(std::string_view sub, std::string_view text, std::size_t at) {
    if (IsUtf8()) {
        const std::size_t end = MatchFolded(sub, text, at);
        if (end != std::string_view::npos) return end;
    }
    return std::min(at + sub.size(), text.size());
}

bool IsPlainUtf8(std::string_view text) {
    return PlainCodePoints(text).has_value();
}

std::size_t PosNoCaseFromPlain(std::string_view sub, std::string_view text, std::size_t from,
                               std::size_t* matchEnd) {
    if (sub.empty() || from == 0 || from > text.size()) return 0;
    return Utf8PosNoCaseFrom(sub, text, from, true, matchEnd);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (IsUtf8()) {
        if (prefix.empty()) return true;
        const std::size_t end = MatchFolded(prefix, text, 0);
        return end != std::string_view::npos && EndsOnCharacter(text, 0, end);
    }
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), SameFolded);
}

std::size_t PosNoCase(std::string_view sub, std::string_view text) {
    return PosNoCaseFrom(sub, text, 1);
}

// The capitalizing routines in UTF-8 walk characters: the decision (a word start, a sentence
// start) is taken on a character's first code point and the case change applies to the whole
// character, whose marks have no case.

std::string CapitalizeWords(std::string_view text) {
    if (IsUtf8()) {
        std::string out;
        bool atWordStart = true;
        if (PlainCodePoints(text)) {
            const TwoByteMaps& maps = Maps();
            const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
            out.resize(text.size() + text.size() / 2);
            char* p = out.data();
            for (std::size_t i = 0; i < text.size();) {
                const std::uint32_t cp = PlainCodePointAt(bytes, i);
                if (IsWordStartCodePoint(static_cast<std::int32_t>(cp))) {
                    atWordStart = true;
                    p = PutBmp(p, cp);
                } else if (atWordStart) {
                    p = PutBmp(p, maps.upper[cp]);
                    atWordStart = false;
                } else {
                    p = PutBmp(p, maps.lower[cp]);
                }
            }
            out.resize(static_cast<std::size_t>(p - out.data()));
            return out;
        }
        out.reserve(text.size());
        for (std::size_t i = 0, end; i < text.size(); i = end) {
            std::int32_t first = 0;
            end = Utf8CharEnd(text, i, &first);
            const std::string_view ch = text.substr(i, end - i);
            if (IsWordStartCodePoint(first)) {
                atWordStart = true;
                out.append(ch);
            } else if (atWordStart) {
                AppendUpper(out, ch);
                atWordStart = false;
            } else {
                AppendLower(out, ch);
            }
        }
        return out;
    }
    std::string out(text);
    bool atWordStart = true;
    for (char& c : out) {
        if (IsWordStartChar(c)) {
            atWordStart = true;
        } else if (atWordStart) {
            c = static_cast<char>(kUpperTable[Byte(c)]);
            atWordStart = false;
        } else {
            c = static_cast<char>(kLowerTable[Byte(c)]);
        }
    }
    return out;
}

std::string CapitalizeFirstLetter(std::string_view text) {
    if (IsUtf8()) {
        std::size_t start = 0;
        std::size_t end = 0;
        for (; start < text.size(); start = end) {
            std::int32_t first = 0;
            end = Utf8CharEnd(text, start, &first);
            if (!IsWordStartCodePoint(first)) break;
        }
        if (start == text.size()) return std::string(text);
        std::string out(text.substr(0, start));
        out.reserve(text.size());
        AppendUpper(out, text.substr(start, end - start));
        out += MapCodePoints(text.substr(end), Maps().lower,
                             [](std::int32_t c) { return LowerCodePoint(c); });
        return out;
    }
    std::string out(text);
    auto it = std::find_if(out.begin(), out.end(), [](char c) { return !IsWordStartChar(c); });
    if (it == out.end()) return out;
    *it = UpperCp1251(*it);
    for (++it; it != out.end(); ++it)
        *it = static_cast<char>(kLowerTable[Byte(*it)]);
    return out;
}

namespace {

// A character after which the sentence rule waits for the next one.
bool KeepsWaiting(std::int32_t first) {
    static constexpr std::array<bool, 0x80> kWaits = [] {
        std::array<bool, 0x80> waits{};
        for (const char c : std::string_view(" .-'\"([{\n\r"))
            waits[static_cast<std::size_t>(c)] = true;
        return waits;
    }();
    return first >= 0 && first < 0x80 && kWaits[static_cast<std::size_t>(first)];
}

// The bytes '.' and up to three delimiters, each in all sixteen places of a block.
struct StopBlocks {
    void Set(const char (&stops)[4]) {
        a = _mm_set1_epi8(stops[0]);
        b = _mm_set1_epi8(stops[1]);
        c = _mm_set1_epi8(stops[2]);
        d = _mm_set1_epi8(stops[3]);
    }
    // The bytes of v that are one of them.
    [[nodiscard]] __m128i In(__m128i v) const {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)),
                            _mm_or_si128(_mm_cmpeq_epi8(v, c), _mm_cmpeq_epi8(v, d)));
    }
    __m128i a{}, b{}, c{}, d{};
};

// The sentence rule as a machine of two states (waiting for a capital or not), one table row per
// state: what each byte becomes and the state after it (in UTF-8 the rows' first 128 entries
// serve ASCII). Built for the delimiters of the last call of this thread: a run asks with the
// same ones line after line.
// Plain arrays only: a thread's machine then needs no guard or destructor, which every call
// would otherwise pay for.
struct SentenceMachine {
    static constexpr std::size_t kKeptSet = 64;  // a longer set is built again at each call
    std::array<char, kKeptSet> delimiters{};
    std::size_t delimiterCount = std::string_view::npos;  // npos: nothing built or kept
    std::array<unsigned char, 512> to{};
    std::array<unsigned char, 512> next{};
    std::array<std::int32_t, 128> wide{};  // UTF-8: the set's code points above ASCII
    std::size_t wideCount = 0;
    const TwoByteMaps* maps = nullptr;     // UTF-8: the case tables
    char stops[4] = {'.', '.', '.', '.'};  // '.' and up to three delimiters, for blocks
    bool fewStops = false;                 // every delimiter is in `stops`
    StopBlocks stopBlocks;                 // `stops` for blocks of sixteen bytes

    [[nodiscard]] bool IsWideDelimiter(std::int32_t cp) const {
        return std::find(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(wideCount), cp) !=
               wide.begin() + static_cast<std::ptrdiff_t>(wideCount);
    }
};

thread_local SentenceMachine tSentenceMachine;

[[gnu::noinline]] const SentenceMachine& BuildSentenceMachine(std::string_view delimiters) {
    SentenceMachine& machine = tSentenceMachine;
    if (delimiters.size() <= SentenceMachine::kKeptSet) {
        std::copy(delimiters.begin(), delimiters.end(), machine.delimiters.begin());
        machine.delimiterCount = delimiters.size();
    } else {
        machine.delimiterCount = std::string_view::npos;
    }
    machine.maps = &Maps();
    std::array<bool, 256> isDelimiter{};
    isDelimiter['.'] = true;
    for (const char c : delimiters)
        isDelimiter[Byte(c)] = true;
    for (std::size_t b = 0; b < 256; ++b) {
        // After these the rule still waits for the next character.
        const bool waits =
            std::string_view(" -'\"([{\n\r").find(static_cast<char>(b)) != std::string_view::npos;
        for (std::size_t waiting = 0; waiting < 2; ++waiting) {
            const std::size_t at = waiting * 256 + b;
            if (isDelimiter[b]) {
                machine.to[at] = static_cast<unsigned char>(b);
                machine.next[at] = 1;
            } else if (waiting == 1 && !waits) {
                machine.to[at] = kUpperTable[b];
                machine.next[at] = 0;
            } else {
                machine.to[at] = kLowerTable[b];
                machine.next[at] = static_cast<unsigned char>(waiting);
            }
        }
    }
    machine.wideCount = 0;
    for (const char c : delimiters) {
        const auto cp = static_cast<std::int32_t>(Cp1251ToUnicode(Byte(c)));
        if (Byte(c) >= 0x80 && !machine.IsWideDelimiter(cp)) machine.wide[machine.wideCount++] = cp;
    }
    machine.fewStops = delimiters.size() <= 3;
    std::fill(std::begin(machine.stops), std::end(machine.stops), '.');
    if (machine.fewStops) std::copy(delimiters.begin(), delimiters.end(), machine.stops + 1);
    machine.stopBlocks.Set(machine.stops);
    return machine;
}

const SentenceMachine& SentenceMachineFor(std::string_view delimiters) {
    const SentenceMachine& machine = tSentenceMachine;
    // Compared by hand: the set has a few characters, a library compare costs more than it.
    if (machine.delimiterCount == delimiters.size()) {
        std::size_t same = 0;
        while (same < delimiters.size() && machine.delimiters[same] == delimiters[same])
            ++same;
        if (same == delimiters.size()) return machine;
    }
    return BuildSentenceMachine(delimiters);
}

// The positions (bit i for byte i) of the sixteen bytes of UTF-8 at which a run that only
// lowers can no longer be copied as it is: an ASCII capital, a stop, CR, a lead byte other than
// D0 and D1, a D0 not followed by а-п, a D1 not followed by р-я or ѐ-џ, a continuation byte
// after no such lead. A lead in the last byte is not judged (its second byte is in the next
// block).
int Utf8LowerStops(__m128i v, const StopBlocks& stops) {
    const auto masked = [v](int keep, int want) {
        return _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(keep))),
                              _mm_set1_epi8(static_cast<char>(want)));
    };
    const __m128i capital = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('A' - 1)),
                                          _mm_cmplt_epi8(v, _mm_set1_epi8('Z' + 1)));
    const __m128i stop = _mm_or_si128(stops.In(v), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
    const __m128i d0 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD0)));
    const __m128i d1 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD1)));
    const __m128i afterD0 = _mm_slli_si128(d0, 1);
    const __m128i afterD1 = _mm_slli_si128(d1, 1);
    // The second bytes of а-п after D0, of р-я and ѐ-џ after D1.
    const __m128i small = _mm_or_si128(_mm_and_si128(afterD0, masked(0xF0, 0xB0)),
                                       _mm_and_si128(afterD1, masked(0xE0, 0x80)));
    const __m128i high = _mm_cmplt_epi8(v, _mm_setzero_si128());
    const __m128i known = _mm_or_si128(small, _mm_or_si128(d0, d1));
    const __m128i bad =
        _mm_or_si128(_mm_or_si128(capital, stop),
                     _mm_or_si128(_mm_andnot_si128(known, high),
                                  _mm_andnot_si128(small, _mm_or_si128(afterD0, afterD1))));
    return _mm_movemask_epi8(bad);
}

void Cp1251AppendCapitalized(std::string& out, std::string_view text,
                             const SentenceMachine& machine, bool& afterDelimiter) {
    const std::size_t n = text.size();
    const std::size_t start = out.size();
    out.resize(start + n + 16);  // a block of sixteen is stored whole
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    unsigned char* const p = reinterpret_cast<unsigned char*>(out.data() + start);
    std::size_t i = 0;
    // A line that opens with a tag: the tag is lowered and takes no part in the sentence rule.
    if (n > 0 && s[0] == '<') {
        const std::size_t close = text.find('>');
        const std::size_t end = close == std::string_view::npos ? n : close + 1;
        for (; i < end; ++i)
            p[i] = kLowerTable[s[i]];
    }
    // Plain pointers: a store through char* could otherwise make the compiler reload the
    // thread's tables at every byte.
    const unsigned char* const to = machine.to.data();
    const unsigned char* const next = machine.next.data();
    std::size_t state = afterDelimiter ? 1 : 0;
    // Sixteen bytes at a time while no capital is due (the usual run of a line): each is only
    // lowered, up to the first delimiter among them, which is kept and makes the rule wait.
    if (machine.fewStops) {
        const StopBlocks& stops = machine.stopBlocks;
        while (i < n) {
            if (state == 0) {
                const std::size_t size = std::min<std::size_t>(16, n - i);
                const __m128i v = LoadBlock(s, i, n);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), LowerCp1251Block(v));
                const int hit = _mm_movemask_epi8(stops.In(v)) & ((1 << size) - 1);
                if (hit == 0) {
                    i += size;
                    continue;
                }
                i += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hit)));
                p[i] = s[i];
                state = 1;
                ++i;
                continue;
            }
            const std::size_t at = state * 256 + s[i];
            p[i] = to[at];
            state = next[at];
            ++i;
        }
    }
    for (; i < n; ++i) {
        const std::size_t at = state * 256 + s[i];
        p[i] = to[at];
        state = next[at];
    }
    out.resize(start + n);
    afterDelimiter = state == 1;
}

// UTF-8 text in which every code point is a character of its own (see PlainCodePoints), each
// mapped by table straight into the output; false, with `out` as it was, for text that is not
// plain.
bool Utf8AppendPlainCapitalized(std::string& out, std::string_view text,
                                const SentenceMachine& machine, bool& afterDelimiter) {
    const std::size_t n = text.size();
    const std::size_t start = out.size();
    // A code point below U+0800 takes at most half as many bytes again in the other case; a
    // block of sixteen is stored whole.
    out.resize(start + n + n / 2 + 16);
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    char* p = out.data() + start;
    const TwoByteMaps& maps = *machine.maps;
    const unsigned char* const to = machine.to.data();
    const unsigned char* const next = machine.next.data();
    const bool blocks = machine.fewStops && machine.wideCount == 0;
    const StopBlocks& stopBlocks = machine.stopBlocks;
    std::size_t state = afterDelimiter ? 1 : 0;
    std::size_t i = 0;
    while (i < n) {
        if (state == 0 && blocks) {
            // Small letters, digits, spaces and punctuation that is no stop are copied as they
            // are, sixteen bytes at a time up to the first byte that needs more.
            const std::size_t size = std::min<std::size_t>(16, n - i);
            const __m128i v = LoadBlock(s, i, n);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
            const int stops = Utf8LowerStops(v, stopBlocks) & ((1 << size) - 1);
            const int leads = _mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD0))),
                             _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD1)))));
            std::size_t copied = size;
            if (stops != 0) {
                copied = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(stops)));
            }
            // A lead whose second byte stopped the block or lies beyond it is read with it.
            if (copied > 0 && ((leads >> (copied - 1)) & 1) != 0) --copied;
            i += copied;
            p += copied;
            if (stops == 0 && copied > 0) continue;
        }
        const unsigned char lead = s[i];
        if (lead < 0x80) {
            if (lead == '\r') break;
            const std::size_t at = state * 256 + lead;
            *p++ = static_cast<char>(to[at]);
            state = next[at];
            ++i;
            continue;
        }
        if (!IsPlainLead(lead) || i + 1 >= n || (s[i + 1] & 0xC0) != 0x80) break;
        const auto cp = static_cast<std::int32_t>(((lead & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu));
        const auto at = static_cast<std::size_t>(cp);
        if (machine.wideCount != 0 && machine.IsWideDelimiter(cp)) {
            p = PutBmp(p, static_cast<std::uint32_t>(cp));
            state = 1;
        } else if (state == 1) {
            p = PutBmp(p, maps.upper[at]);
            state = 0;
        } else {
            p = PutBmp(p, maps.lower[at]);
        }
        i += 2;
    }
    if (i < n) {
        out.resize(start);
        return false;
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    afterDelimiter = state == 1;
    return true;
}

void Utf8AppendCapitalized(std::string& out, std::string_view text, std::string_view delimiters,
                           bool& afterDelimiter) {
    std::size_t i = 0;
    if (!text.empty() && text[0] == '<') {
        const std::size_t close = text.find('>');
        i = close == std::string_view::npos ? text.size() : close + 1;
        out += MapCodePoints(text.substr(0, i), Maps().lower,
                             [](std::int32_t c) { return LowerCodePoint(c); });
    }
    if (Utf8AppendPlainCapitalized(out, text.substr(i), SentenceMachineFor(delimiters),
                                   afterDelimiter)) {
        return;
    }
    const Cp1251Set isDelimiter(delimiters);
    for (std::size_t end; i < text.size(); i = end) {
        std::int32_t first = 0;
        end = Utf8CharEnd(text, i, &first);
        const std::string_view ch = text.substr(i, end - i);
        if (first == '.' || isDelimiter.Contains(first)) {
            afterDelimiter = true;
            out.append(ch);
        } else if (afterDelimiter && !KeepsWaiting(first)) {
            AppendUpper(out, ch);
            afterDelimiter = false;
        } else {
            AppendLower(out, ch);
        }
    }
}

}  // namespace

void AppendCapitalizedAfterDelimiters(std::string& out, std::string_view text,
                                      std::string_view delimiters, bool& afterDelimiter) {
    if (IsUtf8()) {
        Utf8AppendCapitalized(out, text, delimiters, afterDelimiter);
    } else {
        Cp1251AppendCapitalized(out, text, SentenceMachineFor(delimiters), afterDelimiter);
    }
}

std::string CapitalizeAfterDelimiters(std::string_view text, std::string_view delimiters,
                                      bool& afterDelimiter) {
    std::string out;
    AppendCapitalizedAfterDelimiters(out, text, delimiters, afterDelimiter);
    return out;
}

namespace {

bool IsJoiner(std::int32_t cp) {
    return cp == '\'' || cp == '"' || cp == '=' || cp == '-';
}

bool Utf8FixJoinedCapital(std::string& text) {
    // The first code points of the two characters before the current one.
    std::int32_t twoBefore = kStray;
    std::int32_t oneBefore = kStray;
    std::string out;
    bool changed = false;
    std::size_t copied = 0;  // text before this byte is in `out` or unchanged
    for (std::size_t i = 0, end; i < text.size(); i = end) {
        std::int32_t first = 0;
        end = Utf8CharEnd(text, i, &first);
        if (IsCapitalLetter(first) && IsJoiner(oneBefore) &&
            (IsSmallLetter(twoBefore) || (twoBefore >= '0' && twoBefore <= '9'))) {
            out.append(text, copied, i - copied);
            AppendLower(out, std::string_view(text).substr(i, end - i));
            copied = end;
            changed = true;
            first = LowerCodePoint(first);  // a lowered capital is a small letter for the next
        }
        twoBefore = oneBefore;
        oneBefore = first;
    }
    if (changed) {
        out.append(text, copied);
        text = std::move(out);
    }
    return changed;
}

}  // namespace

bool FixJoinedCapital(std::string& text) {
    if (IsUtf8()) return Utf8FixJoinedCapital(text);
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
            text[i] = LowerCp1251(text[i]);
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

// Each character counted by its first code point: a Cyrillic letter in the Cyrillic fields,
// every other letter with a case in the Latin ones; the code points of plain text (below
// U+0480) by this table: 12-bit fields for Latin capitals, Latin small letters, Cyrillic
// capitals, Cyrillic small letters, and every code point.
const std::array<std::uint64_t, 0x480>& PackedCaseTable() {
    static const std::array<std::uint64_t, 0x480> table = [] {
        std::array<std::uint64_t, 0x480> classes{};
        for (std::int32_t cp = 0; cp < 0x480; ++cp) {
            const bool cyrillic = IsCyrillic(cp);
            const int field = IsCapitalLetter(cp) ? (cyrillic ? 2 : 0)
                              : IsSmallLetter(cp) ? (cyrillic ? 3 : 1)
                                                  : -1;
            const std::uint64_t counted = std::uint64_t{1} << (12 * 4);
            classes[static_cast<std::size_t>(cp)] =
                counted | (field < 0 ? 0 : std::uint64_t{1} << (12 * field));
        }
        return classes;
    }();
    return table;
}

// The bytes of v from `from` to `from + count - 1`, compared without sign.
__m128i InByteRange(__m128i v, int from, int count) {
    const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(from)));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(static_cast<char>(count - 1))),
                          shifted);
}

// The sum of the sixteen byte counters of v.
int SumBytes(__m128i v) {
    const __m128i sums = _mm_sad_epu8(v, _mm_setzero_si128());
    return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
}

// The counts of text made of ASCII (no CR) and the letters U+0400 to U+045F (Ѐ-Я capitals,
// а-џ small), the usual line, sixteen bytes at a time; false for any other text.
bool CyrillicCaseCounts(std::string_view text, CaseCounts& n) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    // Byte counters, emptied into the totals before they can overflow. The zeros after the end
    // of the text and a lead left for the next block are no letter; every second byte of a
    // letter is counted once, in the block that holds it.
    __m128i latinUpper = _mm_setzero_si128();
    __m128i latinLower = _mm_setzero_si128();
    __m128i cyrillicUpper = _mm_setzero_si128();
    __m128i cyrillicLower = _mm_setzero_si128();
    const auto empty = [&] {
        n.latinUpper += SumBytes(latinUpper);
        n.latinLower += SumBytes(latinLower);
        n.cyrillicUpper += SumBytes(cyrillicUpper);
        n.cyrillicLower += SumBytes(cyrillicLower);
        latinUpper = latinLower = cyrillicUpper = cyrillicLower = _mm_setzero_si128();
    };
    int blocks = 0;
    for (std::size_t i = 0; i < size;) {
        const auto available = static_cast<int>(std::min<std::size_t>(16, size - i));
        const __m128i v = LoadBlock(s, i, size);
        const __m128i d0 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD0)));
        const __m128i d1 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xD1)));
        const __m128i afterD0 = _mm_slli_si128(d0, 1);
        const __m128i afterD1 = _mm_slli_si128(d1, 1);
        const __m128i capitalSecond = _mm_and_si128(afterD0, InByteRange(v, 0x80, 0x30));
        const __m128i smallSecond =
            _mm_or_si128(_mm_and_si128(afterD0, InByteRange(v, 0xB0, 0x10)),
                         _mm_and_si128(afterD1, InByteRange(v, 0x80, 0x20)));
        const __m128i second = _mm_or_si128(capitalSecond, smallSecond);
        const __m128i leads = _mm_or_si128(d0, d1);
        const __m128i high = _mm_cmplt_epi8(v, _mm_setzero_si128());
        const __m128i bad =
            _mm_or_si128(_mm_or_si128(_mm_andnot_si128(_mm_or_si128(leads, second), high),
                                      _mm_andnot_si128(second, _mm_or_si128(afterD0, afterD1))),
                         _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        const int within = (1 << available) - 1;
        if ((_mm_movemask_epi8(bad) & within) != 0) return false;
        int taken = available;
        if (((_mm_movemask_epi8(leads) >> (available - 1)) & 1) != 0) {
            // A lead in the last byte: its letter is read with the next block, or the text
            // ends inside it.
            if (available < 16) return false;
            taken = 15;
        }
        // A set byte of a comparison is -1: subtracting it counts one.
        latinUpper = _mm_sub_epi8(latinUpper, InByteRange(v, 'A', 26));
        latinLower = _mm_sub_epi8(latinLower, InByteRange(v, 'a', 26));
        cyrillicUpper = _mm_sub_epi8(cyrillicUpper, capitalSecond);
        cyrillicLower = _mm_sub_epi8(cyrillicLower, smallSecond);
        i += static_cast<std::size_t>(taken);
        if (++blocks == 255) {
            empty();
            blocks = 0;
        }
    }
    empty();
    // Each Cyrillic letter is two bytes, every other character one.
    const int cyrillic = n.cyrillicUpper + n.cyrillicLower;
    n.other = static_cast<int>(size) - 2 * cyrillic - n.latinUpper - n.latinLower;
    return true;
}

CaseCounts Utf8CaseCounts(std::string_view text) {
    CaseCounts n;
    if (CyrillicCaseCounts(text, n)) return n;
    n = CaseCounts{};
    const auto count = [&n](std::int32_t first) {
        if (IsCapitalLetter(first)) {
            ++(IsCyrillic(first) ? n.cyrillicUpper : n.latinUpper);
        } else if (IsSmallLetter(first)) {
            ++(IsCyrillic(first) ? n.cyrillicLower : n.latinLower);
        } else {
            ++n.other;
        }
    };
    {
        // Plain text (see PlainCodePoints), the usual line, is counted by table: each code
        // point adds one to a 12-bit field of a word for every code point and one to the field
        // of its class, if any (as the Windows-1251 count does with bytes); "other" is what is
        // left. The fields are emptied after each piece of 4000 bytes, before they can
        // overflow.
        const auto& table = PackedCaseTable();
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t size = text.size();
        int fields[5] = {0, 0, 0, 0, 0};
        const bool plain = PlainCodePoints(text).has_value();
        std::size_t i = plain ? 0 : size + 1;
        while (i < size) {
            const std::size_t pieceEnd = std::min(size, i + 4000);
            std::uint64_t packed = 0;
            while (i < pieceEnd) {
                // A lead byte of plain text is followed by its second byte: no check needed.
                const unsigned lead = bytes[i];
                const unsigned twoByte = lead >> 7;
                const unsigned second = bytes[i + twoByte];
                const unsigned cp = twoByte != 0 ? ((lead & 0x1Fu) << 6) | (second & 0x3Fu) : lead;
                packed += table[cp];
                i += 1 + twoByte;
            }
            for (int f = 0; f < 5; ++f)
                fields[f] += static_cast<int>((packed >> (12 * f)) & 0xFFF);
        }
        if (i == size) {
            n.latinUpper = fields[0];
            n.latinLower = fields[1];
            n.cyrillicUpper = fields[2];
            n.cyrillicLower = fields[3];
            n.other = fields[4] - fields[0] - fields[1] - fields[2] - fields[3];
            return n;
        }
    }
    for (std::size_t i = 0; i < text.size();) {
        std::int32_t first = 0;
        i = Utf8CharEnd(text, i, &first);
        count(first);
    }
    return n;
}

}  // namespace

bool IsMostlyUpperCase(std::string_view text, CaseCounts* counts) {
    CaseCounts n;
    if (IsUtf8()) {
        n = Utf8CaseCounts(text);
    } else {
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
    }
    if (counts != nullptr) *counts = n;
    return n.latinUpper > n.latinLower || n.cyrillicUpper > n.cyrillicLower;
}

// The tally loops are kept scalar: a subtitle line is a few dozen bytes, too short for the
// vector code the compiler would make of the table look-ups (it costs more than it saves).
#if defined(__GNUC__) && !defined(__clang__)
#define TESSALINE_SCALAR_LOOPS [[gnu::optimize("no-tree-vectorize")]]
#else
#define TESSALINE_SCALAR_LOOPS
#endif

// A PlainTally entry, added for each byte: the four case fields, a count of refused bytes and
// a count of characters in 8-bit fields, the weight in bits 48 to 63. The entry of a byte
// depends on the byte before it: after a plain lead byte (its block of 256 entries) a
// continuation byte stands for the code point the two make, any other byte is refused; after
// any other byte (block 0) ASCII stands for itself, a plain lead counts a character and waits
// for its second byte, and a continuation byte is refused. Only a few cache lines of each
// block are ever read.
constexpr int kTallyRefusedShift = 32;
constexpr int kTallyCharsShift = 40;
constexpr int kTallyWeightShift = 48;
constexpr std::uint64_t kTallyRefused = std::uint64_t{1} << kTallyRefusedShift;
constexpr std::uint64_t kTallyChar = std::uint64_t{1} << kTallyCharsShift;

namespace {

// Adds the four case fields of a piece's sum (bits 0 to 31) to `n`; false when the piece held a
// refused byte or character (bits 32 to 39).
bool AddCaseFields(std::uint64_t packed, CaseCounts& n) {
    if (((packed >> kTallyRefusedShift) & 0xFF) != 0) return false;
    n.latinUpper += static_cast<int>(packed & 0xFF);
    n.latinLower += static_cast<int>((packed >> 8) & 0xFF);
    n.cyrillicUpper += static_cast<int>((packed >> 16) & 0xFF);
    n.cyrillicLower += static_cast<int>((packed >> 24) & 0xFF);
    return true;
}

// What is left of `chars` characters after the letters.
int OtherThanLetters(int chars, const CaseCounts& n) {
    return chars - n.latinUpper - n.latinLower - n.cyrillicUpper - n.cyrillicLower;
}

}  // namespace

PlainTally::PlainTally(const std::uint16_t* weights, std::string_view refused) {
    const auto& cases = PackedCaseTable();
    const auto weightOf = [weights](std::uint32_t cp) -> std::uint16_t {
        return weights != nullptr ? weights[cp] : 0;
    };
    const auto entry = [&](std::uint32_t cp) {
        std::uint64_t fields = 0;
        for (int f = 0; f < 4; ++f)
            fields |= ((cases[cp] >> (12 * f)) & 1) << (8 * f);
        return fields | (std::uint64_t{weightOf(cp)} << kTallyWeightShift);
    };
    std::array<std::uint32_t, 256> blockOf{};  // by byte: the block of the byte after it
    std::uint32_t blocks = 1;
    for (std::uint32_t lead = 0xC2; lead < 0xE0; ++lead) {
        if (IsPlainLead(static_cast<unsigned char>(lead))) blockOf[lead] = 256 * blocks++;
    }
    table_.assign(256 * blocks, kTallyRefused);
    for (std::size_t b = 0; b < 256; ++b)
        rows_[b] = table_.data() + blockOf[b];
    std::uint16_t heaviest = 1;
    for (std::uint32_t b = 0; b < 0x80; ++b) {
        if (b != '\r' && refused.find(static_cast<char>(b)) == std::string_view::npos) {
            table_[b] = entry(b) | kTallyChar;
        }
        heaviest = std::max(heaviest, weightOf(b));
    }
    for (std::uint32_t lead = 0xC2; lead < 0xE0; ++lead) {
        if (blockOf[lead] == 0) continue;
        table_[lead] = kTallyChar;
        for (std::uint32_t second = 0x80; second < 0xC0; ++second) {
            const std::uint32_t cp = ((lead & 0x1F) << 6) | (second & 0x3F);
            table_[blockOf[lead] + second] = entry(cp);
            heaviest = std::max(heaviest, weightOf(cp));
        }
    }
    // A piece of so many bytes has at most as many characters: no field can overflow in it.
    piece_ = std::min<std::size_t>(255, 0xFFFF / heaviest);
}

TESSALINE_SCALAR_LOOPS
bool PlainTally::Count(std::string_view text, CaseCounts& counts, int& weight) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    if (size == 0) {
        counts = CaseCounts{};
        weight = 0;
        return true;
    }
    // A lead byte at the end has no second byte.
    if (rows_[bytes[size - 1]] != table_.data()) return false;
    const std::uint64_t* const* rows = rows_.data();
    // The entries of the bytes from p to end, each chosen by the byte before it; two sums, so
    // that the additions of neighbouring bytes do not wait for each other.
    const auto sumPiece = [rows](const unsigned char* p, const unsigned char* end) {
        std::uint64_t even = 0;
        std::uint64_t odd = 0;
        unsigned before = p[-1];
        for (; end - p >= 4; p += 4) {
            const unsigned b0 = p[0];
            const unsigned b1 = p[1];
            const unsigned b2 = p[2];
            const unsigned b3 = p[3];
            even += rows[before][b0] + rows[b1][b2];
            odd += rows[b0][b1] + rows[b2][b3];
            before = b3;
        }
        for (; p < end; ++p) {
            const unsigned b = *p;
            even += rows[before][b];
            before = b;
        }
        return even + odd;
    };
    // The usual line fits in one piece: no field is emptied before the end.
    if (size <= piece_) {
        const std::uint64_t packed = table_[bytes[0]] + sumPiece(bytes + 1, bytes + size);
        CaseCounts n;
        if (!AddCaseFields(packed, n)) return false;
        n.other = OtherThanLetters(static_cast<int>((packed >> kTallyCharsShift) & 0xFF), n);
        counts = n;
        weight = static_cast<int>(packed >> kTallyWeightShift);
        return true;
    }
    CaseCounts n;
    int sum = 0;
    int chars = 0;
    // The first piece holds the first byte, read alone.
    std::uint64_t first = table_[bytes[0]];
    for (std::size_t start = 1, end = piece_;; start = end, end = std::min(size, end + piece_)) {
        const std::uint64_t packed = first + sumPiece(bytes + start, bytes + end);
        first = 0;
        if (!AddCaseFields(packed, n)) return false;
        chars += static_cast<int>((packed >> kTallyCharsShift) & 0xFF);
        sum += static_cast<int>(packed >> kTallyWeightShift);
        if (end == size) break;
    }
    n.other = OtherThanLetters(chars, n);
    counts = n;
    weight = sum;
    return true;
}

// A ByteTally entry: the four case fields and a count of refused bytes in 8-bit fields, the
// weight in bits 40 to 63. A piece of 255 bytes fills no field past its top: one addition per
// byte, and the refused bytes are known by their count after the piece.
constexpr int kByteTallyRefusedShift = kTallyRefusedShift;
constexpr int kByteTallyWeightShift = 40;
constexpr std::size_t kByteTallyPiece = 255;

ByteTally::ByteTally(const std::uint16_t* weights, std::string_view refused) {
    for (std::size_t b = 0; b < 256; ++b) {
        std::uint64_t fields = 0;
        for (int f = 0; f < 4; ++f)
            fields |= ((kCaseCount[b] >> (16 * f)) & 1) << (8 * f);
        const std::uint64_t w = weights != nullptr ? weights[b] : 0;
        table_[b] = fields | (w << kByteTallyWeightShift);
    }
    for (const char c : refused)
        table_[Byte(c)] |= std::uint64_t{1} << kByteTallyRefusedShift;
}

TESSALINE_SCALAR_LOOPS
bool ByteTally::Count(std::string_view text, CaseCounts& counts, int& weight) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    const std::uint64_t* table = table_.data();
    // The entries of the bytes from i to end; two sums, so that the additions of neighbouring
    // bytes do not wait for each other.
    const auto sumPiece = [table, bytes](std::size_t i, std::size_t end) {
        std::uint64_t even = 0;
        std::uint64_t odd = 0;
        for (; i + 4 <= end; i += 4) {
            even += table[bytes[i]] + table[bytes[i + 2]];
            odd += table[bytes[i + 1]] + table[bytes[i + 3]];
        }
        for (; i < end; ++i)
            even += table[bytes[i]];
        return even + odd;
    };
    // The usual line fits in one piece: no field is emptied before the end.
    if (size <= kByteTallyPiece) {
        const std::uint64_t packed = sumPiece(0, size);
        CaseCounts n;
        if (!AddCaseFields(packed, n)) return false;
        n.other = OtherThanLetters(static_cast<int>(size), n);
        counts = n;
        weight = static_cast<int>(packed >> kByteTallyWeightShift);
        return true;
    }
    CaseCounts n;
    int sum = 0;
    for (std::size_t i = 0; i < size; i += kByteTallyPiece) {
        const std::uint64_t packed = sumPiece(i, std::min(size, i + kByteTallyPiece));
        if (!AddCaseFields(packed, n)) return false;
        sum += static_cast<int>(packed >> kByteTallyWeightShift);
    }
    n.other = OtherThanLetters(static_cast<int>(size), n);
    counts = n;
    weight = sum;
    return true;
}

int CountWideLetters(std::string_view set, std::string_view text) {
    if (set.empty()) set = WideLetters;
    if (IsUtf8()) {
        const Cp1251Set wide(set);
        int count = 0;
        for (std::size_t i = 0; i < text.size();) {
            std::int32_t first = 0;
            i = Utf8CharEnd(text, i, &first);
            count += wide.Contains(first) ? 1 : 0;
        }
        return count;
    }
    return static_cast<int>(std::count_if(
        text.begin(), text.end(), [&](char c) { return set.find(c) != std::string_view::npos; }));
}

}  // namespace tessaline
