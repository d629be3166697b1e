#include "core/codepages.hpp"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "core/cp1251.hpp"

namespace tessaline {
namespace {

using Letters = std::array<unsigned char, kRussianLetterCount>;

// The published code pages' bytes of А..Я, а..я, Ё, ё.
constexpr Letters kCp866 = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A,
                            0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95,
                            0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA0,
                            0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB,
                            0xAC, 0xAD, 0xAE, 0xAF, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
                            0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1};
constexpr Letters kIso88595 = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA,
                               0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5,
                               0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
                               0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB,
                               0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
                               0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xA1, 0xF1};
// KOI8-R orders its letters by the Latin letters they sound like, not alphabetically.
constexpr Letters kKoi8r = {0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB,
                            0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8,
                            0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1, 0xC1,
                            0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC,
                            0xCD, 0xCE, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3,
                            0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1, 0xB3, 0xA3};
// Mac Cyrillic keeps я apart from the other small letters, at 0xDF.
constexpr Letters kMac = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A,
                          0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95,
                          0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xE0,
                          0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB,
                          0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
                          0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xDF, 0xDD, 0xDE};
constexpr Letters kWin1251 = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA,
                              0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5,
                              0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE0,
                              0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB,
                              0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
                              0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0xA8, 0xB8};

constexpr std::array<const Letters*, kCodePageCount> kLetters = {&kCp866, &kIso88595, &kKoi8r,
                                                                 &kMac, &kWin1251};

std::size_t IndexOf(CodePage page) {
    return static_cast<std::size_t>(page);
}

// Every letter map, built once: maps[from][to].
using AllMaps = std::array<std::array<ByteMap, kCodePageCount>, kCodePageCount>;
const AllMaps& Maps() {
    static const AllMaps maps = [] {
        AllMaps all{};
        for (std::size_t from = 0; from < kCodePageCount; ++from) {
            for (std::size_t to = 0; to < kCodePageCount; ++to) {
                ByteMap& map = all[from][to];
                for (std::size_t b = 0; b < map.size(); ++b)
                    map[b] = static_cast<unsigned char>(b);
                for (std::size_t i = 0; i < kRussianLetterCount; ++i)
                    map[(*kLetters[from])[i]] = (*kLetters[to])[i];
            }
        }
        return all;
    }();
    return maps;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Appends the Windows-1251 byte of a character; 1 when Windows-1251 lacks it (and nothing is
// appended), 0 otherwise. The byte-order mark is no character of the text and counts 0.
std::size_t AppendAsWin1251(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (const auto byte = UnicodeToCp1251(ch); byte && ch != 0x98) {
        out.push_back(static_cast<char>(*byte));
    } else {
        return ch == 0xFEFF ? 0 : 1;
    }
    return 0;
}

}  // namespace

const std::array<unsigned char, kRussianLetterCount>& RussianLetters(CodePage page) {
    return *kLetters[IndexOf(page)];
}

bool IsRussianLetter(CodePage page, unsigned char byte) {
    static const auto sets = [] {
        std::array<std::array<bool, 256>, kCodePageCount> all{};
        for (std::size_t p = 0; p < kCodePageCount; ++p) {
            for (unsigned char letter : *kLetters[p])
                all[p][letter] = true;
        }
        return all;
    }();
    return sets[IndexOf(page)][byte];
}

const ByteMap& LetterMap(CodePage from, CodePage to) {
    return Maps()[IndexOf(from)][IndexOf(to)];
}

ModePages PagesOfMode(int mode) {
    const int source = (mode - 1) / 4;
    const int k = (mode - 1) % 4;
    return {static_cast<CodePage>(source), static_cast<CodePage>(k < source ? k : k + 1)};
}

int ModeOf(CodePage from, CodePage to) {
    const int source = static_cast<int>(from);
    const int target = static_cast<int>(to);
    if (source == target) return 0;
    return 4 * source + (target < source ? target : target - 1) + 1;
}

namespace {

// The UTF-8 bytes of each Windows-1251 byte (none for 0x98, which stands for no character).
struct Utf8Of {
    std::array<char, 3> bytes{};
    unsigned char length = 0;
};

std::array<Utf8Of, 256> MakeUtf8OfCp1251() {
    std::array<Utf8Of, 256> table{};
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;
        std::string utf8;
        AppendUtf8(utf8, Cp1251ToUnicode(static_cast<unsigned char>(b)));
        std::copy(utf8.begin(), utf8.end(), table[static_cast<std::size_t>(b)].bytes.begin());
        table[static_cast<std::size_t>(b)].length = static_cast<unsigned char>(utf8.size());
    }
    return table;
}

}  // namespace

void AppendWin1251AsUtf8(std::string& out, std::string_view line) {
    static const std::array<Utf8Of, 256> kUtf8Of = MakeUtf8OfCp1251();
    // Written straight into room for the longest result, three bytes a character, and cut to
    // what was written.
    const std::size_t start = out.size();
    out.resize(start + 3 * line.size());
    char* p = out.data() + start;
    const auto put = [&p](char c) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            *p++ = c;
            return;
        }
        const Utf8Of& utf8 = kUtf8Of[byte];
        p[0] = utf8.bytes[0];
        p[1] = utf8.bytes[1];
        p[2] = utf8.bytes[2];
        p += utf8.length;
    };
    std::size_t i = 0;
    // Sixteen ASCII bytes at a time (timing lines, numbers, Latin text) go as they are.
    for (; i + 16 <= line.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        if (_mm_movemask_epi8(v) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
            p += 16;
        } else {
            for (std::size_t k = i; k < i + 16; ++k)
                put(line[k]);
        }
    }
    for (; i < line.size(); ++i)
        put(line[i]);
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::size_t AppendUtf8AsWin1251(std::string& out, std::string_view line) {
    std::size_t lost = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x80) {
            out.push_back(line[i++]);
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(line, i);
        if (sequence.length == 0) {
            // No sequence: the byte stands for the character of its own value.
            lost += AppendAsWin1251(out, char32_t{byte});
            ++i;
            continue;
        }
        lost += sequence.ch ? AppendAsWin1251(out, *sequence.ch) : 1;
        i += sequence.length;
    }
    return lost;
}

std::size_t AppendConverted(std::string& out, std::string_view line, int mode, bool firstLine) {
    if (mode >= 1 && mode <= 20) {
        const auto [from, to] = PagesOfMode(mode);
        const ByteMap& map = LetterMap(from, to);
        const std::size_t at = out.size();
        out.resize(at + line.size());
        for (std::size_t i = 0; i < line.size(); ++i)
            out[at + i] = static_cast<char>(map[static_cast<unsigned char>(line[i])]);
    } else if (mode == kModeWin1251ToUtf8) {
        if (firstLine) out.append(kUtf8Bom);
        AppendWin1251AsUtf8(out, line);
    } else if (mode == kModeUtf8ToWin1251) {
        return AppendUtf8AsWin1251(out, line);
    } else {
        out.append(line);
    }
    return 0;
}

std::string ConvertLine(std::string_view line, int mode, bool firstLine) {
    std::string out;
    out.reserve(line.size() + 3);
    AppendConverted(out, line, mode, firstLine);
    return out;
}

Utf8Scan ScanUtf8(std::string_view text, bool cutOff) {
    Utf8Scan scan;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        const std::size_t length = std::max<std::size_t>(sequence.length, 1);
        const auto& ch = sequence.ch;
        if (!ch) {
            // The sample may end inside a sequence: a lead byte followed by continuation
            // bytes up to the end.
            if (cutOff && (byte & 0xC0) == 0xC0 && text.size() - i < 4) {
                bool onlyContinuation = true;
                for (std::size_t k = i + 1; k < text.size(); ++k)
                    onlyContinuation = onlyContinuation && (text[k] & 0xC0) == 0x80;
                if (onlyContinuation) break;
            }
            ++scan.malformed;
        } else if ((*ch >= 0x0410 && *ch <= 0x044F) || *ch == 0x0401 || *ch == 0x0451) {
            ++scan.russianLetters;
        } else {
            ++scan.otherNonAscii;
        }
        i += length;
    }
    return scan;
}

void Utf16Decoder::Decode(std::string_view bytes, std::string& out) {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (pending_ < 0) {
            pending_ = byte;
            continue;
        }
        const char32_t unit = bigEndian_ ? (char32_t(pending_) << 8) | byte
                                         : (char32_t(byte) << 8) | char32_t(pending_);
        pending_ = -1;
        // Surrogates stand for characters beyond the Basic Multilingual Plane, which
        // Windows-1251 lacks: the first of a pair counts the character.
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            lost_ += unit <= 0xDBFF ? 1 : 0;
            continue;
        }
        lost_ += AppendAsWin1251(out, unit);
    }
}

}  // namespace tessaline
