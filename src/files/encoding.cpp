#include "files/encoding.hpp"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/cp1251.hpp"
#include "core/errors.hpp"
#include "files/transcode.hpp"

namespace tessaline {
namespace {

struct Known {
    std::string_view detectorName;  // uchardet's name
    TextEncoding encoding;
};
constexpr Known kSingleBytePages[] = {
    {"WINDOWS-1251", TextEncoding::Windows1251},
    {"KOI8-R", TextEncoding::Koi8r},
    {"IBM866", TextEncoding::Cp866},
    {"ISO-8859-5", TextEncoding::Iso88595},
    {"MAC-CYRILLIC", TextEncoding::Mac},
};

// The names a reason gives the code pages: the ones users know them by.
std::string_view ReadableName(CodePage page) {
    switch (page) {
        case CodePage::Cp866:
            return "CP866";
        case CodePage::Iso88595:
            return "ISO-8859-5";
        case CodePage::Koi8r:
            return "KOI8-R";
        case CodePage::Mac:
            return "Mac Cyrillic";
        case CodePage::Win1251:
            return "Windows-1251";
    }
    return "";
}

std::string LettersText(std::size_t count) {
    if (count == 0) return "no Cyrillic letters";
    return std::to_string(count) + (count == 1 ? " Cyrillic letter" : " Cyrillic letters");
}

std::size_t CountLetters(std::string_view bytes, CodePage page) {
    std::size_t count = 0;
    for (char c : bytes)
        count += IsRussianLetter(page, static_cast<unsigned char>(c)) ? 1 : 0;
    return count;
}

// uchardet's answer, or "" when it has none.
std::string DetectorAnswer(std::string_view bytes) {
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector) return {};
    if (uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0) return {};
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    return name == nullptr ? std::string() : std::string(name);
}

// The first kDetectSampleBytes of a file; `complete` tells whether that is the whole file.
std::string ReadSample(const std::string& path, bool& complete) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    if (!file) throw FileError(path, "cannot open " + path + ": " + std::strerror(errno));
    // Read into a buffer left uninitialised: filling 256 KB with zeros first would cost more
    // than the whole decision on a small file.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kDetectSampleBytes);
    const std::size_t got = std::fread(buffer.get(), 1, kDetectSampleBytes, file.get());
    if (std::ferror(file.get()) != 0) {
        throw FileError(path, "cannot read " + path + ": " + std::strerror(errno));
    }
    std::string sample(buffer.get(), got);
    complete = got < kDetectSampleBytes || std::fgetc(file.get()) == EOF;
    return sample;
}

EncodingGuess SingleByte(TextEncoding encoding, std::string_view bytes) {
    const CodePage page = *CodePageOf(encoding);
    return {encoding,
            LettersText(CountLetters(bytes, page)) + " read as " + std::string(ReadableName(page))};
}

}  // namespace

std::string_view EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Windows1251:
            return "windows-1251";
        case TextEncoding::Koi8r:
            return "koi8-r";
        case TextEncoding::Cp866:
            return "cp866";
        case TextEncoding::Iso88595:
            return "iso-8859-5";
        case TextEncoding::Mac:
            return "mac";
        case TextEncoding::Utf8:
            return "utf-8";
        case TextEncoding::Utf16le:
            return "utf-16le";
        case TextEncoding::Utf16be:
            return "utf-16be";
        case TextEncoding::Ascii:
            return "ascii";
    }
    return "";
}

std::optional<CodePage> CodePageOf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Windows1251:
            return CodePage::Win1251;
        case TextEncoding::Koi8r:
            return CodePage::Koi8r;
        case TextEncoding::Cp866:
            return CodePage::Cp866;
        case TextEncoding::Iso88595:
            return CodePage::Iso88595;
        case TextEncoding::Mac:
            return CodePage::Mac;
        default:
            return std::nullopt;
    }
}

namespace {

// How far into a file NUL bytes and a pack header are looked for.
constexpr std::size_t kBinaryProbeBytes = 4096;

// An MPEG pack or sequence header: the start of a VobSub .sub, which shares the extension.
bool IsMpegStart(std::string_view bytes) {
    return bytes.size() >= 4 && bytes.substr(0, 3) == std::string_view("\0\0\1", 3) &&
           (static_cast<unsigned char>(bytes[3]) == 0xBA ||
            static_cast<unsigned char>(bytes[3]) == 0xB3);
}

// UTF-16 without a byte-order mark by the NULs of its ASCII characters (digits, timings, the
// arrows of a subtitle file): they stand on one side of their units, and there are many of them.
// Nothing when the bytes hold no NUL; Windows-1251 when they hold NULs in no such pattern.
std::optional<TextEncoding> NulPattern(std::string_view bytes) {
    bytes = bytes.substr(0, kBinaryProbeBytes);
    std::size_t even = 0;
    std::size_t odd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') ++(i % 2 == 0 ? even : odd);
    }
    if (even + odd == 0) return std::nullopt;
    const std::size_t units = bytes.size() / 2;
    if (even == 0 && odd * 4 >= units) return TextEncoding::Utf16le;
    if (odd == 0 && even * 4 >= units) return TextEncoding::Utf16be;
    return TextEncoding::Windows1251;
}

}  // namespace

EncodingGuess DetectEncoding(std::string_view bytes, bool complete) {
    // A byte-order mark says it outright.
    if (bytes.starts_with("\xEF\xBB\xBF")) return {TextEncoding::Utf8, "byte-order mark"};
    if (bytes.starts_with("\xFF\xFE")) return {TextEncoding::Utf16le, "byte-order mark"};
    if (bytes.starts_with("\xFE\xFF")) return {TextEncoding::Utf16be, "byte-order mark"};
    if (const std::optional<TextEncoding> utf16 = NulPattern(bytes);
        utf16 && *utf16 != TextEncoding::Windows1251) {
        return {*utf16, "NUL bytes in the pattern of UTF-16"};
    }

    std::size_t high = 0;  // bytes above 127
    for (char c : bytes)
        high += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
    if (high == 0) return {TextEncoding::Ascii, "no byte above 127"};

    std::string answer = DetectorAnswer(bytes);
    const Utf8Scan scan = ScanUtf8(bytes, !complete);
    if (answer == "UTF-8" && scan.malformed * 20 > high) {
        // uchardet 0.0.7 can name UTF-8 for a text that is not UTF-8 at all (a CP866 text whose
        // letters often happen to form UTF-8 sequences); a UTF-8 text may hold a stray byte or
        // two, but not one malformed sequence in twenty. The UTF-8 prober gives up on a
        // continuation byte at the very start, which no UTF-8 text has: handed over again with
        // one in front, the text is judged by the single-byte probers alone.
        answer = DetectorAnswer("\x80" + std::string(bytes));
    }
    const bool cyrillicPage = std::ranges::any_of(
        kSingleBytePages, [&](const Known& k) { return answer == k.detectorName; });
    // A text of a few accented Latin letters can be too short for the detector, which then names
    // a Western code page or none; bytes that are all well-formed UTF-8 are UTF-8 all the same
    // (a Windows-1251 text almost never is: its letters are lead bytes without continuations).
    if (answer == "UTF-8" || (!cyrillicPage && scan.malformed == 0)) {
        std::string reason = scan.malformed == 0 ? "valid UTF-8"
                                                 : "UTF-8 with " + std::to_string(scan.malformed) +
                                                       (scan.malformed == 1 ? " malformed byte"
                                                                            : " malformed bytes");
        return {TextEncoding::Utf8, reason + ", " + LettersText(scan.russianLetters)};
    }
    for (const Known& known : kSingleBytePages) {
        if (answer == known.detectorName) return SingleByte(known.encoding, bytes);
    }
    // The detector names no Cyrillic code page (a Western one for a text with a few accented
    // letters, or none at all): the text is taken in the program's own code page.
    EncodingGuess guess = SingleByte(TextEncoding::Windows1251, bytes);
    guess.reason += answer.empty() ? ", no code page recognised"
                                   : ", no Cyrillic code page recognised (" + answer + ")";
    return guess;
}

EncodingGuess DetectFileEncoding(const std::string& path) {
    bool complete = true;
    const std::string sample = ReadSample(path, complete);
    return DetectEncoding(sample, complete);
}

// --- The encoding a run works in ----------------------------------------------------------------

namespace {

// How much of a sample the code-page detector reads.
constexpr std::size_t kDetectorWindowBytes = 8 * 1024;

// The bytes are UTF-8 throughout (a sequence cut off at the end of a sample aside): stops at the
// first byte that is not, which in a single-byte code page is the first letter.
bool IsUtf8Text(std::string_view bytes, bool cutOff) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(bytes, i);
        if (sequence.ch) {
            i += sequence.length;
            continue;
        }
        return cutOff && sequence.formed == bytes.size() - i && bytes.size() - i < 4 &&
               (byte & 0xC0) == 0xC0;
    }
    return true;
}

// Something of a text subtitle near the start: a SubRip timing arrow, a MicroDVD frame pair, a
// SubStation event. A hand-made file may hold a stray NUL (the correction removes them); a file
// with NULs and none of these is binary.
bool LooksLikeSubtitles(std::string_view bytes) {
    bytes = bytes.substr(0, kBinaryProbeBytes);
    return bytes.find("-->") != std::string_view::npos ||
           bytes.find("}{") != std::string_view::npos ||
           bytes.find("Dialogue:") != std::string_view::npos;
}

// Capitals and small letters of Mac Cyrillic share the small letters of Windows-1251, so the
// detector may take one for the other: Mac Cyrillic must give more Russian letters than
// Windows-1251 reads in the same bytes.
bool ReadsBetterThan1251(std::string_view bytes, CodePage page) {
    return CountLetters(bytes, page) > CountLetters(bytes, CodePage::Win1251);
}

// What a byte above 127 is in plain Russian text written in Windows-1251.
enum class Cp1251Byte : unsigned char { Foreign, Capital, Small, SmallVowel, Punctuation };

constexpr std::array<Cp1251Byte, 256> kCp1251Bytes = [] {
    std::array<Cp1251Byte, 256> table{};
    for (unsigned b = 0xC0; b <= 0xDF; ++b) table[b] = Cp1251Byte::Capital;
    for (unsigned b = 0xE0; b <= 0xFF; ++b) table[b] = Cp1251Byte::Small;
    table[0xA8] = Cp1251Byte::Capital;  // Ё
    // а е и о у ы э ю я ё
    for (unsigned b : {0xE0U, 0xE5U, 0xE8U, 0xEEU, 0xF3U, 0xFBU, 0xFDU, 0xFEU, 0xFFU, 0xB8U}) {
        table[b] = Cp1251Byte::SmallVowel;
    }
    // „ … ‘ ’ “ ” • – — no-break space № « »
    for (unsigned b : {0x84U, 0x85U, 0x91U, 0x92U, 0x93U, 0x94U, 0x95U, 0x96U, 0x97U, 0xA0U, 0xB9U,
                       0xABU, 0xBBU}) {
        table[b] = Cp1251Byte::Punctuation;
    }
    return table;
}();

// Enough small letters for their proportions to mean something.
constexpr std::size_t kPlainRussianLetters = 24;

// The bytes are plainly Russian text in Windows-1251, the program's home code page, so that the
// detector need not be asked: every byte beyond ASCII is a Russian letter or common punctuation
// of Windows-1251; small letters outnumber capitals at least four to one; vowels are 30-55 % of
// the small letters (about 43 % in Russian); and Mac Cyrillic, which shares the small letters,
// reads no more Russian letters in the bytes. Read as Windows-1251, the other Cyrillic code pages
// fail at least one test: KOI8-R turns small letters into capitals (and an all-capitals KOI8-R
// text into small letters with a vowel share near 9 %), ISO-8859-5 gives capitals for half the
// small letters and symbols for its capitals, CP866 symbols for а-п, Mac Cyrillic symbols for its
// capitals, UTF-8 symbols for its continuation bytes. A text that fails is left to the detector.
bool IsPlainCp1251Russian(std::string_view bytes) {
    std::size_t capitals = 0;
    std::size_t small = 0;
    std::size_t vowels = 0;
    std::size_t lettersMac = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) continue;
        switch (kCp1251Bytes[byte]) {
            case Cp1251Byte::Foreign:
                return false;
            case Cp1251Byte::Capital:
                ++capitals;
                break;
            case Cp1251Byte::SmallVowel:
                ++vowels;
                ++small;
                break;
            case Cp1251Byte::Small:
                ++small;
                break;
            case Cp1251Byte::Punctuation:
                break;
        }
        lettersMac += IsRussianLetter(CodePage::Mac, byte) ? 1 : 0;
    }
    const std::size_t letters1251 = capitals + small;
    return small >= kPlainRussianLetters && small >= 4 * capitals && vowels * 100 >= small * 30 &&
           vowels * 100 <= small * 55 && lettersMac <= letters1251;
}

}  // namespace

std::string EncodingCaption(const FileEncoding& encoding) {
    std::string caption(DisplayName(encoding.encoding == TextEncoding::Ascii
                                        ? TextEncoding::Windows1251
                                        : encoding.encoding));
    if (encoding.bom && encoding.encoding == TextEncoding::Utf8) caption += " with BOM";
    return caption;
}

std::optional<FileEncoding> DecideEncoding(std::string_view bytes, bool complete) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return FileEncoding{TextEncoding::Utf8, true};
    if (bytes.starts_with("\xFF\xFE")) return FileEncoding{TextEncoding::Utf16le, true};
    if (bytes.starts_with("\xFE\xFF")) return FileEncoding{TextEncoding::Utf16be, true};
    if (IsMpegStart(bytes)) return std::nullopt;
    if (const std::optional<TextEncoding> utf16 = NulPattern(bytes)) {
        if (*utf16 != TextEncoding::Windows1251) return FileEncoding{*utf16, false};
        if (!LooksLikeSubtitles(bytes)) return std::nullopt;
    }
    const bool ascii = std::ranges::none_of(
        bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (ascii) return FileEncoding{TextEncoding::Windows1251, false};
    if (IsUtf8Text(bytes, !complete)) return FileEncoding{TextEncoding::Utf8, false};
    // The detector reads a window from the first byte beyond ASCII on: enough letters to tell
    // the code pages apart, at a fraction of the cost of the whole sample (every command decides
    // before it reads a line).
    const std::size_t firstHigh = static_cast<std::size_t>(
        std::ranges::find_if(bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
        bytes.begin());
    const std::string_view window = bytes.substr(firstHigh, kDetectorWindowBytes);
    // Nearly every file that gets here is plain Russian in Windows-1251: recognised by its
    // letters at a small fraction of the detector's cost.
    if (IsPlainCp1251Russian(window)) return FileEncoding{TextEncoding::Windows1251, false};
    const bool windowComplete = complete && firstHigh + window.size() == bytes.size();
    const EncodingGuess guess = DetectEncoding(window, windowComplete);
    switch (guess.encoding) {
        case TextEncoding::Utf8:
            // Mostly UTF-8 with a stray byte or two: worked on as UTF-8, the stray bytes kept as
            // they are, rather than read as Windows-1251 and garbled by the character rules.
            return FileEncoding{TextEncoding::Utf8, false};
        case TextEncoding::Mac:
            if (!ReadsBetterThan1251(window, CodePage::Mac)) break;
            return FileEncoding{guess.encoding, false};
        case TextEncoding::Koi8r:
        case TextEncoding::Cp866:
        case TextEncoding::Iso88595:
            return FileEncoding{guess.encoding, false};
        default:
            break;
    }
    return FileEncoding{TextEncoding::Windows1251, false};
}

namespace {
thread_local const EncodingPin* g_pins = nullptr;
}  // namespace

EncodingPin::EncodingPin(std::string path, const FileEncoding& encoding)
    : path_(std::move(path)), encoding_(encoding), previous_(g_pins) {
    g_pins = this;
}

EncodingPin::~EncodingPin() {
    g_pins = previous_;
}

std::optional<FileEncoding> EncodingPin::Of(const std::string& path) {
    for (const EncodingPin* pin = g_pins; pin != nullptr; pin = pin->previous_) {
        if (pin->path_ == path) return pin->encoding_;
    }
    return std::nullopt;
}

FileEncoding DecideFileEncoding(const std::string& path) {
    if (const std::optional<FileEncoding> pinned = EncodingPin::Of(path)) return *pinned;
    bool complete = true;
    const std::string sample = ReadSample(path, complete);
    const std::optional<FileEncoding> encoding = DecideEncoding(sample, complete);
    if (!encoding) throw NotTextFileError(path);
    return *encoding;
}

}  // namespace tessaline
