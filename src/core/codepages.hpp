#pragma once

// The Cyrillic code pages that subtitle files arrive in, and the conversions between them and
// Windows-1251, the program's working encoding.
//
// The single-byte conversions map the 66 Russian letters (А to Я, а to я, Ё and ё) from one code
// page to another and leave every other byte as it is: punctuation, box drawing and the other
// Slavic letters keep their byte values. UTF-8 goes through the Windows-1251 table of cp1251.hpp.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

/// The single-byte code pages, in the order that numbers the conversion modes.
enum class CodePage { Cp866, Iso88595, Koi8r, Mac, Win1251 };

inline constexpr std::size_t kCodePageCount = 5;
/// The Russian letters of a code page: А to Я, а to я, then Ё and ё.
inline constexpr std::size_t kRussianLetterCount = 66;

/// The bytes of the 66 Russian letters in a code page, in alphabetical order (capitals first),
/// Ё and ё last.
[[nodiscard]] const std::array<unsigned char, kRussianLetterCount>& RussianLetters(CodePage page);

/// The byte is one of the 66 Russian letters of the code page.
[[nodiscard]] bool IsRussianLetter(CodePage page, unsigned char byte);

/// A byte-for-byte table: each Russian letter of `from` becomes the same letter of `to`, every
/// other byte stays.
using ByteMap = std::array<unsigned char, 256>;
[[nodiscard]] const ByteMap& LetterMap(CodePage from, CodePage to);

/// The conversion modes 1 to 22: 1 to 20 are the letter conversions between the five code pages
/// (mode 4 x source + k + 1 goes to the k-th other page in enum order), 21 is Windows-1251 to
/// UTF-8 and 22 UTF-8 to Windows-1251. Any other mode copies.
inline constexpr int kModeWin1251ToUtf8 = 21;
inline constexpr int kModeUtf8ToWin1251 = 22;

/// The source and target code pages of a letter conversion mode (1 to 20).
struct ModePages {
    CodePage from;
    CodePage to;
};
[[nodiscard]] ModePages PagesOfMode(int mode);

/// The letter conversion mode from one code page to another (1 to 20; 0 for the same page).
[[nodiscard]] int ModeOf(CodePage from, CodePage to);

/// One line of text converted by a mode, appended to `out`. `firstLine` says whether it is the
/// file's first line: Windows-1251 to UTF-8 puts the byte-order mark before it. Returns how many
/// characters were left out because Windows-1251 lacks them (UTF-8 to Windows-1251 only).
std::size_t AppendConverted(std::string& out, std::string_view line, int mode, bool firstLine);

/// One line of text converted by a mode.
[[nodiscard]] std::string ConvertLine(std::string_view line, int mode, bool firstLine = false);

/// The UTF-8 form of one line of Windows-1251 text, appended to `out`; byte 0x98, which has no
/// character, is left out.
void AppendWin1251AsUtf8(std::string& out, std::string_view line);

/// One line of UTF-8 text as Windows-1251, appended to `out`. A byte that begins no well-formed
/// sequence stands for the character of its own value (as in Latin-1); characters that
/// Windows-1251 lacks, the byte-order mark among them, are left out. Returns how many characters
/// were left out, not counting the byte-order mark.
std::size_t AppendUtf8AsWin1251(std::string& out, std::string_view line);

/// What a look through UTF-8 text found.
struct Utf8Scan {
    std::size_t russianLetters = 0;  // А to Я, а to я, Ё and ё
    std::size_t otherNonAscii = 0;   // well-formed characters above U+007F that are not those
    std::size_t malformed = 0;       // bytes that begin no well-formed sequence
};
/// Looks through UTF-8 text. A sequence cut off by the end of the text is not counted as
/// malformed when `cutOff` says the text is only the beginning of a file.
[[nodiscard]] Utf8Scan ScanUtf8(std::string_view text, bool cutOff);

/// Decodes UTF-16 text into Windows-1251 as the bytes arrive, in blocks of any size (a code
/// unit or a surrogate pair may be split between two blocks).
class Utf16Decoder {
  public:
    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

    /// Appends the Windows-1251 form of `bytes` to `out`; characters that Windows-1251 lacks,
    /// the byte-order mark and unpaired surrogates are left out.
    void Decode(std::string_view bytes, std::string& out);

    /// How many characters Decode has left out so far because Windows-1251 lacks them (the
    /// byte-order mark not counted).
    [[nodiscard]] std::size_t lost() const { return lost_; }

  private:
    bool bigEndian_;
    std::size_t lost_ = 0;
    int pending_ = -1;  // the first byte of a code unit split between blocks
};

}  // namespace tessaline
