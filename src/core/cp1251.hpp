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

/// Windows-1251 text as UTF-8.
[[nodiscard]] std::string Cp1251ToUtf8(std::string_view text);

/// UTF-8 text as Windows-1251; characters the code page lacks (and malformed UTF-8) become
/// `replacement`. Tests and sources write Windows-1251 literals through this helper.
[[nodiscard]] std::string Utf8ToCp1251(std::string_view text, char replacement = '?');

}  // namespace tessaline
