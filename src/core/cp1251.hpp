#pragma once

// Windows-1251 <-> Unicode for all 256 bytes. Byte 0x98 has no character and maps to the
// control code U+0098, so that every byte survives a round trip.

#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

/// The Unicode character of a Windows-1251 byte (U+0098 for 0x98, which has none).
[[nodiscard]] char32_t Cp1251ToUnicode(unsigned char byte);

/// The Windows-1251 byte of a Unicode character; nothing when the code page lacks it.
[[nodiscard]] std::optional<unsigned char> UnicodeToCp1251(char32_t ch);

/// Appends the UTF-8 form of a character.
void AppendUtf8(std::string& out, char32_t ch);

/// One UTF-8 sequence at text[i].
struct Utf8Sequence {
    /// The character; nothing for a malformed sequence (an overlong form such as "\xC0\xBC"
    /// for "<", a surrogate, a value beyond U+10FFFF, a cut-off or broken sequence).
    std::optional<char32_t> ch;
    /// The bytes of a complete sequence; 0 when none starts at i.
    std::size_t length = 0;
    /// The bytes that begin like one: the lead byte and the continuation bytes after it.
    std::size_t formed = 0;
};
[[nodiscard]] Utf8Sequence DecodeUtf8(std::string_view text, std::size_t i);

/// Windows-1251 text as UTF-8.
[[nodiscard]] std::string Cp1251ToUtf8(std::string_view text);

/// UTF-8 text as Windows-1251; characters the code page lacks (and malformed UTF-8) become
/// `replacement`. Tests and sources write Windows-1251 literals through this helper.
[[nodiscard]] std::string Utf8ToCp1251(std::string_view text, char replacement = '?');

}  // namespace tessaline
