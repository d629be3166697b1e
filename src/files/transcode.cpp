#include "files/transcode.hpp"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <array>
#include <cstdio>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// SSSE3's byte shuffle packs characters of one and two bytes without a step per character; it
// is used only where the processor has it (asked once), the plain loops stay for the others.
#if defined(__SSE2__) && defined(__GNUC__)
#include <tmmintrin.h>
#define TESSALINE_SSSE3 1
#endif

#include "core/cp1251.hpp"
#include "files/encoding.hpp"

namespace tessaline {
namespace {

// The iconv names of the code pages, in CodePage order.
constexpr const char* kIconvNames[kCodePageCount] = {"CP866", "ISO-8859-5", "KOI8-R",
                                                     "MAC-CYRILLIC", "CP1251"};

struct PageTable {
    std::array<char32_t, 256> toUnicode{};
    std::unordered_map<char32_t, unsigned char> fromUnicode;
    // The byte of each character below U+0800 (ASCII, Cyrillic), -1 when the page lacks it: the
    // characters of a Russian text are found without hashing.
    std::array<std::int16_t, 0x800> fromBelow800{};
};

// The character of one byte as the C library's converter reads it; nothing when it has none.
std::optional<char32_t> ConvertByte(iconv_t cd, unsigned char byte) {
    char in = static_cast<char>(byte);
    char32_t out = 0;
    char* inPtr = &in;
    std::size_t inLeft = 1;
    char* outPtr = reinterpret_cast<char*>(&out);
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        outLeft != 0) {
        return std::nullopt;
    }
    return out;
}

// The tables of every code page, built once from the C library's converters (the published
// code pages; no table of our own to get wrong). A byte without a character, or one whose
// character another byte already has, keeps its own value as a control code or, when that is
// taken too, a private-use character: every byte stays a different character.
const std::array<PageTable, kCodePageCount>& Tables() {
    static const std::array<PageTable, kCodePageCount> tables = [] {
        std::array<PageTable, kCodePageCount> all{};
        for (std::size_t p = 0; p < kCodePageCount; ++p) {
            PageTable& table = all[p];
            const iconv_t cd = iconv_open("UTF-32LE", kIconvNames[p]);
            for (int b = 0; b < 256; ++b) {
                const auto byte = static_cast<unsigned char>(b);
                std::optional<char32_t> ch;
                if (byte < 0x80) {
                    ch = byte;
                } else if (static_cast<CodePage>(p) == CodePage::Win1251) {
                    ch = Cp1251ToUnicode(byte);
                } else if (cd != reinterpret_cast<iconv_t>(-1)) {
                    ch = ConvertByte(cd, byte);
                }
                if (!ch || table.fromUnicode.contains(*ch)) ch = byte;
                if (table.fromUnicode.contains(*ch)) ch = 0xF700 + byte;
                table.toUnicode[byte] = *ch;
                table.fromUnicode.emplace(*ch, byte);
            }
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
            table.fromBelow800.fill(-1);
            for (const auto& [ch, byte] : table.fromUnicode) {
                if (ch < 0x800) table.fromBelow800[ch] = byte;
            }
        }
        return all;
    }();
    return tables;
}

const PageTable& TableOf(CodePage page) {
    return Tables()[static_cast<std::size_t>(page)];
}

bool IsUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16le || encoding == TextEncoding::Utf16be;
}

// Appends a UTF-16 code unit (or a pair's two bytes) in the file's byte order.
void AppendUnit16(std::string& out, char32_t unit, bool bigEndian) {
    const auto hi = static_cast<char>((unit >> 8) & 0xFF);
    const auto lo = static_cast<char>(unit & 0xFF);
    if (bigEndian) {
        out += hi;
        out += lo;
    } else {
        out += lo;
        out += hi;
    }
}

// Writes a character's UTF-8 bytes at p and returns the end. A surrogate on its own is written
// in the three-byte form UTF-8 forbids, which is why nothing else produces it: the decoder's way
// of keeping an unpaired unit.
char* PutUtf8(char* p, char32_t ch) {
    if (ch < 0x80) {
        *p++ = static_cast<char>(ch);
    } else if (ch < 0x800) {
        *p++ = static_cast<char>(0xC0 | (ch >> 6));
        *p++ = static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (ch >> 12));
        *p++ = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (ch >> 18));
        *p++ = static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (ch & 0x3F));
    }
    return p;
}

void AppendUtf8Raw(std::string& out, char32_t ch) {
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(PutUtf8(bytes, ch) - bytes));
}

// A UTF-8 character cut off by the end of a block: a lead byte followed by fewer continuation
// bytes than it announces, up to the end. (A complete but malformed sequence is not waiting for
// anything.)
bool CutOffAtEnd(std::string_view text, std::size_t i, const Utf8Sequence& sequence) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t announced = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    const std::size_t rest = text.size() - i;
    return announced > rest && sequence.formed == rest;
}

}  // namespace

char32_t PageToUnicode(CodePage page, unsigned char byte) {
    return TableOf(page).toUnicode[byte];
}

std::optional<unsigned char> UnicodeToPage(CodePage page, char32_t ch) {
    if (ch < 0x80) return static_cast<unsigned char>(ch);
    const auto& map = TableOf(page).fromUnicode;
    const auto found = map.find(ch);
    if (found == map.end()) return std::nullopt;
    return found->second;
}

std::string_view DisplayName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Windows1251:
            return "Windows-1251";
        case TextEncoding::Koi8r:
            return "KOI8-R";
        case TextEncoding::Cp866:
            return "CP866";
        case TextEncoding::Iso88595:
            return "ISO-8859-5";
        case TextEncoding::Mac:
            return "Mac Cyrillic";
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf16le:
            return "UTF-16LE";
        case TextEncoding::Utf16be:
            return "UTF-16BE";
        case TextEncoding::Ascii:
            return "ASCII";
    }
    return "";
}

std::string CodePointName(char32_t ch) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(ch));
    return name;
}

UnencodableError::UnencodableError(char32_t ch, TextEncoding target)
    : FileError({}, "the character " + CodePointName(ch) + " cannot be written in " +
                         std::string(DisplayName(target)) + ": nothing was written"),
      ch_(ch) {}

// --- Decoding ------------------------------------------------------------------------------

TextDecoder::TextDecoder(TextEncoding encoding, TextForm to)
    : encoding_(encoding),
      to_(to),
      page_(encoding == TextEncoding::Ascii ? CodePage::Win1251 : CodePageOf(encoding)) {
    if (to == TextForm::Cp1251) toCp1251_.emplace(TextEncoding::Windows1251, TextForm::Utf8);
}

char* TextDecoder::PutUnit(char32_t unit, char* p) {
    if (highSurrogate_ != 0) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            p = PutUtf8(p, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            return p;
        }
        p = PutUtf8(p, highSurrogate_);  // a lone surrogate in its three-byte form
        highSurrogate_ = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        highSurrogate_ = unit;
        return p;
    }
    return PutUtf8(p, unit);
}

void TextDecoder::Decode(std::string_view bytes, std::string& out) {
    if (to_ == TextForm::Utf8) {
        DecodeToUtf8(bytes, out);
        return;
    }
    // Windows-1251 from Windows-1251 is the bytes themselves.
    if (page_ == CodePage::Win1251) {
        out.append(bytes);
        return;
    }
    utf8_.clear();
    DecodeToUtf8(bytes, utf8_);
    toCp1251_->Encode(utf8_, out);
}

void TextDecoder::Reset() {
    pending_ = -1;
    highSurrogate_ = 0;
    if (toCp1251_) toCp1251_->Reset();
}

void TextDecoder::DecodeToUtf8(std::string_view bytes, std::string& out) {
    if (encoding_ == TextEncoding::Utf8) {
        out.append(bytes);
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + MostDecodedBytes(bytes.size()));
    char* end = DecodeInto(bytes, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

namespace {

// Eight bytes from p, in the machine's order (memcpy: no alignment asked of p).
std::uint64_t Load8(const void* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

#if defined(TESSALINE_SSSE3)
const bool kHasSsse3 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}();

// Shuffles that put the wanted bytes of a 16-byte row first, in order, and zero the rest, with
// the number of bytes each one keeps.
struct ShuffleTable {
    alignas(16) unsigned char shuffle[256][16];
    unsigned char kept[256];
};

// Eight UTF-8 characters of one or two bytes, each in a 16-bit lane (the lead byte first), made
// one row: bit k of the index says that lane k holds two bytes.
constexpr ShuffleTable MakePackTable() {
    ShuffleTable table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned n = 0;
        for (unsigned k = 0; k < 8; ++k) {
            table.shuffle[mask][n++] = static_cast<unsigned char>(2 * k);
            if ((mask >> k) & 1) table.shuffle[mask][n++] = static_cast<unsigned char>(2 * k + 1);
        }
        table.kept[mask] = static_cast<unsigned char>(n);
        while (n < 16)
            table.shuffle[mask][n++] = 0x80;
    }
    return table;
}

// The bytes of the first eight of a row whose bit is set in the index, moved to its front.
constexpr ShuffleTable MakeCompactTable() {
    ShuffleTable table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned n = 0;
        for (unsigned k = 0; k < 8; ++k) {
            if ((mask >> k) & 1) table.shuffle[mask][n++] = static_cast<unsigned char>(k);
        }
        table.kept[mask] = static_cast<unsigned char>(n);
        while (n < 16)
            table.shuffle[mask][n++] = 0x80;
    }
    return table;
}

constexpr ShuffleTable kPack = MakePackTable();
constexpr ShuffleTable kCompact = MakeCompactTable();

// UTF-16 units below U+0800 (ASCII, Cyrillic, Greek, accented Latin) into UTF-8, eight at a time:
// each unit's one- or two-byte form is worked out in its lane and the lanes are packed by one
// shuffle. Stops before the first unit of three or more UTF-8 bytes (or a surrogate) and at the
// last sixteen bytes; returns the end and moves `at` past what it read. Writes sixteen bytes
// at p however few it keeps (the room of three bytes a unit allows it).
template <bool kBigEndian>
[[gnu::target("ssse3")]] char* Utf16BlocksToUtf8(const unsigned char* in, std::size_t size,
                                                 std::size_t& at, char* p) {
    std::size_t i = at;
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= size) {
        __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if constexpr (kBigEndian) {
            units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
        }
        const __m128i ascii =
            _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), zero);
        if (_mm_movemask_epi8(ascii) == 0xFFFF) {
            // The timing lines, numbers and Latin text: eight bytes as they are.
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(units, units));
            p += 8;
            i += 16;
            continue;
        }
        const __m128i fits =
            _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xF800))), zero);
        // One bit a lane: below U+0800 in the low eight, ASCII in the high eight.
        const auto kinds = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(fits, ascii)));
        const auto lanes =
            (kinds & 0xFF) == 0xFF ? 8u : static_cast<unsigned>(std::countr_one(kinds & 0xFF));
        if (lanes == 0) break;
        const unsigned two = ~(kinds >> 8) & ((1u << lanes) - 1);
        // 110xxxxx 10xxxxxx, the lead in the low byte: the order of the bytes in memory.
        const __m128i pair = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(_mm_srli_epi16(units, 6), _mm_set1_epi16(0x1F)),
                         _mm_slli_epi16(_mm_and_si128(units, _mm_set1_epi16(0x3F)), 8)),
            _mm_set1_epi16(static_cast<short>(0x80C0)));
        const __m128i forms =
            _mm_or_si128(_mm_and_si128(ascii, units), _mm_andnot_si128(ascii, pair));
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(p),
            _mm_shuffle_epi8(forms,
                             _mm_load_si128(reinterpret_cast<const __m128i*>(kPack.shuffle[two]))));
        // The lanes after the last that fits count one byte each in the table: not kept.
        p += kPack.kept[two] - (8 - lanes);
        i += 2 * lanes;
        if (lanes < 8) break;
    }
    at = i;
    return p;
}

// UTF-8 text of ASCII and well-formed two-byte characters into UTF-16, sixteen bytes at a time:
// each byte that starts a character gets its unit's two bytes in two rows (low and high), the
// continuation bytes are squeezed out by one shuffle per eight bytes. Stops before the first
// byte that is neither (a longer or broken sequence, left to the caller) and at the last sixteen
// bytes; a lead whose second byte lies beyond the row is left for the next. Returns the end and
// moves `at` past what it read; writes up to sixteen bytes beyond what it keeps (within the room
// of two bytes a byte).
template <bool kBigEndian>
[[gnu::target("ssse3")]] char* Utf8BlocksToUtf16(const unsigned char* in, std::size_t size,
                                                 std::size_t& at, char* p) {
    std::size_t i = at;
    while (i + 16 <= size) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(bytes) == 0) {
            // Sixteen ASCII bytes: each widened to its unit.
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), kBigEndian
                                                                ? _mm_unpacklo_epi8(zero, bytes)
                                                                : _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(p + 16),
                kBigEndian ? _mm_unpackhi_epi8(zero, bytes) : _mm_unpackhi_epi8(bytes, zero));
            p += 32;
            i += 16;
            continue;
        }
        // As signed bytes: ASCII is 0..127, continuations 0x80-0xBF are below -64, the leads of
        // two-byte characters that are not overlong (0xC2-0xDF) lie between -63 and -32.
        const __m128i ascii = _mm_cmpgt_epi8(bytes, _mm_set1_epi8(-1));
        const __m128i cont = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
        const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(-63)),
                                           _mm_cmplt_epi8(bytes, _mm_set1_epi8(-32)));
        // A continuation exactly where a lead came just before.
        const __m128i paired = _mm_cmpeq_epi8(cont, _mm_slli_si128(lead, 1));
        const unsigned good = static_cast<std::uint16_t>(_mm_movemask_epi8(
            _mm_and_si128(_mm_or_si128(ascii, _mm_or_si128(cont, lead)), paired)));
        auto n = static_cast<unsigned>(std::countr_one(good));
        const auto leads = static_cast<unsigned>(_mm_movemask_epi8(lead));
        if (n > 0 && ((leads >> (n - 1)) & 1)) --n;
        if (n == 0) break;
        const unsigned keep = ~static_cast<unsigned>(_mm_movemask_epi8(cont)) & ((1u << n) - 1);
        const __m128i next = _mm_srli_si128(bytes, 1);
        // The unit of a lead: its low five bits and the next byte's six. The shifts stay inside
        // each byte.
        const __m128i low = _mm_or_si128(
            _mm_and_si128(ascii, bytes),
            _mm_andnot_si128(
                ascii, _mm_or_si128(_mm_slli_epi16(_mm_and_si128(bytes, _mm_set1_epi8(0x03)), 6),
                                    _mm_and_si128(next, _mm_set1_epi8(0x3F)))));
        const __m128i high =
            _mm_and_si128(lead, _mm_srli_epi16(_mm_and_si128(bytes, _mm_set1_epi8(0x1C)), 2));
        const unsigned first = keep & 0xFF;
        const unsigned second = keep >> 8;
        const __m128i pick0 =
            _mm_load_si128(reinterpret_cast<const __m128i*>(kCompact.shuffle[first]));
        const __m128i pick1 =
            _mm_add_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(kCompact.shuffle[second])),
                         _mm_set1_epi8(8));
        const __m128i low0 = _mm_shuffle_epi8(low, pick0);
        const __m128i high0 = _mm_shuffle_epi8(high, pick0);
        const __m128i low1 = _mm_shuffle_epi8(low, pick1);
        const __m128i high1 = _mm_shuffle_epi8(high, pick1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), kBigEndian
                                                            ? _mm_unpacklo_epi8(high0, low0)
                                                            : _mm_unpacklo_epi8(low0, high0));
        p += 2 * kCompact.kept[first];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), kBigEndian
                                                            ? _mm_unpacklo_epi8(high1, low1)
                                                            : _mm_unpacklo_epi8(low1, high1));
        p += 2 * kCompact.kept[second];
        i += n;
        // A lead in the last place only waits for the next row.
        if (good != 0xFFFF) break;
    }
    at = i;
    return p;
}
#else
constexpr bool kHasSsse3 = false;
#endif

}  // namespace

bool TextDecoder::DecodesInto() const {
    return to_ == TextForm::Utf8 && encoding_ != TextEncoding::Utf8;
}

namespace {

// Writes the UTF-8 of UTF-16 units at p for as long as no surrogate comes: ASCII eight units at
// a time, the rest (Cyrillic, Greek and accented Latin above all) unit by unit without calls.
// Stops at the end, before the last odd byte, or before a surrogate (left to the caller, which
// keeps a pair's first half across blocks); returns the end and moves i past what it read.
template <bool kBigEndian>
char* Utf16RunToUtf8(const unsigned char* in, std::size_t size, std::size_t& at, char* p) {
    // Kept in a local: the bytes written through p could otherwise be taken to change it.
    std::size_t i = at;
    const std::size_t low = kBigEndian ? 1 : 0;
    const std::size_t high = kBigEndian ? 0 : 1;
    while (i + 1 < size) {
#if defined(TESSALINE_SSSE3)
        if (kHasSsse3) p = Utf16BlocksToUtf8<kBigEndian>(in, size, i, p);
#endif
#if defined(__SSE2__)
        // Eight units of ASCII at a time: the timings, numbers and spaces of a subtitle file.
        while (!kHasSsse3 && i + 16 <= size) {
            __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            if constexpr (kBigEndian) {
                units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(
                    _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))),
                    _mm_setzero_si128())) != 0xFFFF) {
                break;
            }
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(units, units));
            p += 8;
            i += 16;
        }
#endif
        const std::size_t end = i + std::min<std::size_t>(16, (size - i) & ~std::size_t{1});
        for (; i < end; i += 2) {
            const char32_t unit = (char32_t(in[i + high]) << 8) | in[i + low];
            if (unit < 0x80) {
                *p++ = static_cast<char>(unit);
            } else if (unit < 0x800) {
                p[0] = static_cast<char>(0xC0 | (unit >> 6));
                p[1] = static_cast<char>(0x80 | (unit & 0x3F));
                p += 2;
            } else if (unit < 0xD800 || unit > 0xDFFF) {
                p[0] = static_cast<char>(0xE0 | (unit >> 12));
                p[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
                p[2] = static_cast<char>(0x80 | (unit & 0x3F));
                p += 3;
            } else {
                at = i;
                return p;
            }
        }
    }
    at = i;
    return p;
}

}  // namespace

char* TextDecoder::DecodeInto(std::string_view bytes, char* p) {
    if (page_) {
        const auto& table = TableOf(*page_).toUnicode;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                *p++ = c;
            } else {
                p = PutUtf8(p, table[byte]);
            }
        }
        return p;
    }
    const bool bigEndian = encoding_ == TextEncoding::Utf16be;
    std::size_t i = 0;
    if (pending_ >= 0 && !bytes.empty()) {
        const auto second = static_cast<unsigned char>(bytes[0]);
        const auto first = static_cast<unsigned char>(pending_);
        p = PutUnit(bigEndian ? (char32_t(first) << 8) | second : (char32_t(second) << 8) | first,
                    p);
        pending_ = -1;
        i = 1;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    while (i + 1 < size) {
        // Runs without surrogates in one loop; a surrogate, and whatever follows the first half
        // of a pair, goes unit by unit through the pair's state.
        if (highSurrogate_ == 0) {
            p = bigEndian ? Utf16RunToUtf8<true>(in, size, i, p)
                          : Utf16RunToUtf8<false>(in, size, i, p);
            if (i + 1 >= size) break;
        }
        const char32_t unit = bigEndian ? (char32_t(in[i]) << 8) | in[i + 1]
                                        : (char32_t(in[i + 1]) << 8) | in[i];
        i += 2;
        p = PutUnit(unit, p);
    }
    if (i < size) pending_ = in[i];
    return p;
}

void TextDecoder::Finish(std::string& out) {
    if (to_ == TextForm::Cp1251) {
        if (highSurrogate_ != 0 || pending_ >= 0 || (toCp1251_ && toCp1251_->waiting())) {
            throw UnencodableError(0xFFFD, TextEncoding::Windows1251);
        }
        return;
    }
    if (highSurrogate_ != 0) AppendUtf8Raw(out, highSurrogate_);
    highSurrogate_ = 0;
    if (pending_ >= 0) AppendUtf8Raw(out, 0xFFFD);
    pending_ = -1;
}

std::size_t TextDecoder::FileBytesOf(std::string_view decoded) const {
    // A byte begins a character unless it is 10xxxxxx, and begins one beyond the Basic
    // Multilingual Plane when it is 11110xxx or above. Offsets are asked for line by line, so
    // short texts matter most: sixteen bytes at a time, the last ones padded with NULs (which
    // are neither and are taken off again).
    const char* data = decoded.data();
    const std::size_t size = decoded.size();
    std::size_t continuations = 0;
    std::size_t fourByte = 0;
#if defined(__SSE2__)
    const auto count = [&](__m128i v) {
        // Signed bytes: 0x80-0xBF are below -64, 0xF0-0xFF are -16..-1.
        const __m128i one = _mm_set1_epi8(1);
        const __m128i cont = _mm_and_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(-64)), one);
        const __m128i four = _mm_and_si128(
            _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-17)), _mm_cmplt_epi8(v, _mm_setzero_si128())),
            one);
        // Each half's sum: its continuations (at most 8) in the low four bits, its four-byte
        // leads above them.
        const __m128i sums =
            _mm_sad_epu8(_mm_or_si128(cont, _mm_slli_epi16(four, 4)), _mm_setzero_si128());
        const auto low = static_cast<std::size_t>(_mm_cvtsi128_si32(sums));
        const auto high = static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
        continuations += (low & 0x0F) + (high & 0x0F);
        fourByte += (low >> 4) + (high >> 4);
    };
    if (size >= 16) {
        std::size_t i = 0;
        for (; i + 16 <= size; i += 16)
            count(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)));
        if (i < size) {
            // The last sixteen bytes, those counted already masked to NULs.
            static constexpr unsigned char kKeepLast[32] = {
                0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
                0,    0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
            const __m128i keep =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeepLast + (size - i)));
            count(_mm_and_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + size - 16)), keep));
        }
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            continuations += static_cast<std::size_t>((byte & 0xC0) == 0x80);
            fourByte += static_cast<std::size_t>(byte >= 0xF0);
        }
    }
#else
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        continuations += static_cast<std::size_t>((byte & 0xC0) == 0x80);
        fourByte += static_cast<std::size_t>(byte >= 0xF0);
    }
#endif
    const std::size_t characters = size - continuations;
    if (page_) return characters;
    // A character beyond the Basic Multilingual Plane is a surrogate pair: two units.
    return 2 * (characters + fourByte);
}

// --- Encoding ------------------------------------------------------------------------------

TextEncoder::TextEncoder(TextEncoding target, TextForm from)
    : target_(target), from_(from), page_(CodePageOf(target)) {
    const bool singleByte1251 =
        target == TextEncoding::Windows1251 || target == TextEncoding::Ascii;
    passthrough_ = (from == TextForm::Cp1251 && singleByte1251) ||
                   (from == TextForm::Utf8 && target == TextEncoding::Utf8);
}

void TextEncoder::EncodeChar(char32_t ch, std::string& out) {
    if (page_) {
        const std::optional<unsigned char> byte = UnicodeToPage(*page_, ch);
        if (!byte) throw UnencodableError(ch, target_);
        out += static_cast<char>(*byte);
    } else if (IsUtf16(target_)) {
        const bool bigEndian = target_ == TextEncoding::Utf16be;
        if (ch >= 0x10000) {
            AppendUnit16(out, 0xD800 + ((ch - 0x10000) >> 10), bigEndian);
            AppendUnit16(out, 0xDC00 + ((ch - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUnit16(out, ch, bigEndian);
        }
    } else {
        AppendUtf8(out, ch);
    }
}

void TextEncoder::Encode(std::string_view text, std::string& out) {
    if (passthrough_) {
        out.append(text);
        return;
    }
    if (from_ == TextForm::Cp1251) {
        for (const char c : text)
            EncodeChar(Cp1251ToUnicode(static_cast<unsigned char>(c)), out);
        return;
    }
    std::string joined;
    if (!pending_.empty()) {
        joined = pending_ + std::string(text);
        text = joined;
        pending_.clear();
    }
    if (IsUtf16(target_)) {
        EncodeUtf16(text, out);
        return;
    }
    if (page_) {
        const std::size_t start = out.size();
        out.resize(start + text.size());
        char* end = EncodeToPageInto(text, out.data() + start);
        out.resize(static_cast<std::size_t>(end - out.data()));
        return;
    }
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        if (sequence.ch) {
            EncodeChar(*sequence.ch, out);
            i += sequence.length;
            continue;
        }
        // A character cut by the end of this piece waits for the next one.
        if (CutOffAtEnd(text, i, sequence)) {
            pending_.assign(text.substr(i));
            return;
        }
        throw UnencodableError(0xFFFD, target_);
    }
}

// UTF-8 into a single-byte code page, one byte a character: ASCII as it is (eight bytes at a
// time), two-byte characters from the page's table, the rest through its map.
char* TextEncoder::EncodeToPageInto(std::string_view text, char* p) {
    const std::int16_t* const below800 = TableOf(*page_).fromBelow800.data();
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size;) {
        if (i + 8 <= size) {
            const std::uint64_t word = Load8(in + i);
            if ((word & 0x8080808080808080ull) == 0) {
                std::memcpy(p, &word, sizeof word);
                p += 8;
                i += 8;
                continue;
            }
        }
        const unsigned byte = in[i];
        if (byte < 0x80) {
            *p++ = static_cast<char>(byte);
            ++i;
            continue;
        }
        if (byte >= 0xC2 && byte <= 0xDF && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
            const char32_t ch = ((byte & 0x1F) << 6) | (in[i + 1] & 0x3F);
            const int paged = below800[ch];
            if (paged < 0) throw UnencodableError(ch, target_);
            *p++ = static_cast<char>(paged);
            i += 2;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        if (sequence.ch) {
            const std::optional<unsigned char> paged = UnicodeToPage(*page_, *sequence.ch);
            if (!paged) throw UnencodableError(*sequence.ch, target_);
            *p++ = static_cast<char>(*paged);
            i += sequence.length;
            continue;
        }
        // A character cut by the end of this piece waits for the next one.
        if (!CutOffAtEnd(text, i, sequence)) throw UnencodableError(0xFFFD, target_);
        pending_.assign(text.substr(i));
        break;
    }
    return p;
}

// UTF-8 into UTF-16, written straight into room made for it: every UTF-8 byte gives at most two
// bytes of UTF-16.
void TextEncoder::EncodeUtf16(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + MostEncodedBytes(text.size()));
    char* end = EncodeInto(text, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

bool TextEncoder::EncodesInto() const {
    return (IsUtf16(target_) || page_) && from_ == TextForm::Utf8 && pending_.empty();
}

namespace {

// Writes the UTF-16 units of UTF-8 text at p for as long as its characters are ASCII or two
// bytes long (Cyrillic, Greek, accented Latin): ASCII sixteen bytes at a time, the rest
// character by character without calls. Stops at the end or before any other sequence (left to
// the caller); returns the end and moves i past what it read.
template <bool kBigEndian>
char* Utf8RunToUtf16(const unsigned char* in, std::size_t size, std::size_t& at, char* p) {
    // Kept in a local: the bytes written through p could otherwise be taken to change it.
    std::size_t i = at;
    const auto put = [&p](unsigned unit) {
        p[kBigEndian ? 1 : 0] = static_cast<char>(unit & 0xFF);
        p[kBigEndian ? 0 : 1] = static_cast<char>(unit >> 8);
        p += 2;
    };
    while (i < size) {
#if defined(TESSALINE_SSSE3)
        if (kHasSsse3) {
            p = Utf8BlocksToUtf16<kBigEndian>(in, size, i, p);
            if (i == size) break;
        }
#endif
#if defined(__SSE2__)
        // The ASCII at i, up to sixteen bytes at once: all sixteen are widened and written (the
        // room for the whole text allows it), as many as are ASCII are kept.
        if (i + 16 <= size) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const auto high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
            const std::size_t ascii = high == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(high));
            if (ascii > 0) {
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                                 kBigEndian ? _mm_unpacklo_epi8(zero, bytes)
                                            : _mm_unpacklo_epi8(bytes, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16),
                                 kBigEndian ? _mm_unpackhi_epi8(zero, bytes)
                                            : _mm_unpackhi_epi8(bytes, zero));
                p += 2 * ascii;
                i += ascii;
                continue;
            }
        } else if (std::endian::native == std::endian::little && size >= 8) {
            // Fewer than sixteen bytes left: the last eight of the text, those before i
            // shifted out (which leaves zeros, ASCII, at the top: no more than are left count).
            const std::size_t left = std::min<std::size_t>(8, size - i);
            const std::uint64_t word = Load8(in + i + left - 8) >> (8 * (8 - left));
            const std::uint64_t high = word & 0x8080808080808080ull;
            const std::size_t ascii =
                high == 0 ? left : static_cast<std::size_t>(std::countr_zero(high)) / 8;
            if (ascii > 0) {
                const __m128i bytes = _mm_cvtsi64_si128(static_cast<long long>(word));
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                                 kBigEndian ? _mm_unpacklo_epi8(zero, bytes)
                                            : _mm_unpacklo_epi8(bytes, zero));
                p += 2 * ascii;
                i += ascii;
                continue;
            }
        }
#endif
        const unsigned byte = in[i];
        if (byte < 0x80) {
            put(byte);
            ++i;
            continue;
        }
        if constexpr (std::endian::native == std::endian::little) {
            // Four two-byte characters at a time (the words of Cyrillic text): each lead
            // 110xxxxx and not overlong, each second byte 10xxxxxx. The units are worked out in
            // the 16-bit lanes of the word, which are the pairs themselves.
            if (i + 8 <= size) {
                const std::uint64_t word = Load8(in + i);
                const std::uint64_t payload = word & 0x001E001E001E001Eull;
                if ((word & 0xC0E0C0E0C0E0C0E0ull) == 0x80C080C080C080C0ull &&
                    ((payload + 0x7FFF7FFF7FFF7FFFull) & 0x8000800080008000ull) ==
                        0x8000800080008000ull) {
                    std::uint64_t units = ((word & 0x001F001F001F001Full) << 6) |
                                          ((word >> 8) & 0x003F003F003F003Full);
                    if constexpr (kBigEndian) {
                        units = ((units & 0x00FF00FF00FF00FFull) << 8) |
                                ((units >> 8) & 0x00FF00FF00FF00FFull);
                    }
                    std::memcpy(p, &units, sizeof units);
                    p += 8;
                    i += 8;
                    continue;
                }
            }
        }
        if (byte >= 0xC2 && byte <= 0xDF && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
            put(((byte & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        break;
    }
    at = i;
    return p;
}

}  // namespace

char* TextEncoder::EncodeInto(std::string_view text, char* p) {
    if (page_) return EncodeToPageInto(text, p);
    const bool bigEndian = target_ == TextEncoding::Utf16be;
    const auto put = [&p, bigEndian](char32_t unit) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        *p++ = bigEndian ? high : low;
        *p++ = bigEndian ? low : high;
    };
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        p = bigEndian ? Utf8RunToUtf16<true>(in, text.size(), i, p)
                      : Utf8RunToUtf16<false>(in, text.size(), i, p);
        if (i == text.size()) break;
        // Three- and four-byte characters, and what is no character, one at a time.
        const unsigned byte = in[i];
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        if (sequence.ch) {
            const char32_t ch = *sequence.ch;
            if (ch >= 0x10000) {
                put(0xD800 + ((ch - 0x10000) >> 10));
                put(0xDC00 + ((ch - 0x10000) & 0x3FF));
            } else {
                put(ch);
            }
            i += sequence.length;
            continue;
        }
        if (CutOffAtEnd(text, i, sequence)) {
            pending_.assign(text.substr(i));
            break;
        }
        // A lone surrogate kept by the decoder goes back as the same unit.
        if (byte == 0xED && i + 2 < text.size()) {
            const char32_t unit = (char32_t(byte & 0x0F) << 12) |
                                  (char32_t(in[i + 1] & 0x3F) << 6) | char32_t(in[i + 2] & 0x3F);
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                put(unit);
                i += 3;
                continue;
            }
        }
        throw UnencodableError(0xFFFD, target_);
    }
    return p;
}

}  // namespace tessaline
