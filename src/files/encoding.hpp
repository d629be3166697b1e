#pragma once

// Which encoding a text file is in: a byte-order mark when there is one, otherwise the
// freedesktop detector uchardet, whose answer is explained in words a user can check (how many
// Cyrillic letters the bytes give in that reading).

#include <optional>
#include <string>
#include <string_view>

#include "core/codepages.hpp"

namespace tessaline {

enum class TextEncoding {
    Windows1251,
    Koi8r,
    Cp866,
    Iso88595,
    Mac,
    Utf8,
    Utf16le,
    Utf16be,
    Ascii,
};

/// The command line's name of an encoding: "windows-1251", "koi8-r", "cp866", "iso-8859-5",
/// "mac", "utf-8", "utf-16le", "utf-16be", "ascii".
[[nodiscard]] std::string_view EncodingName(TextEncoding encoding);

/// The single-byte code page of an encoding; nothing for UTF-8, UTF-16 and ASCII.
[[nodiscard]] std::optional<CodePage> CodePageOf(TextEncoding encoding);

struct EncodingGuess {
    TextEncoding encoding;
    /// Why, in words: "byte-order mark", "valid UTF-8, 412 Cyrillic letters",
    /// "412 Cyrillic letters read as KOI8-R".
    std::string reason;
    /// The text's letters must be converted to be read as Windows-1251.
    [[nodiscard]] bool NeedsConversion() const {
        return encoding != TextEncoding::Windows1251 && encoding != TextEncoding::Ascii;
    }
};

/// Detects the encoding of a text from its bytes. `complete` is false when the bytes are only
/// the beginning of a file (a UTF-8 sequence cut at the end is then no fault).
[[nodiscard]] EncodingGuess DetectEncoding(std::string_view bytes, bool complete = true);

/// How much of a file DetectFileEncoding reads: far more than the detector needs, and the whole
/// of nearly every subtitle file.
inline constexpr std::size_t kDetectSampleBytes = 256 * 1024;

/// Detects the encoding of a file from its first kDetectSampleBytes. Throws FileError when the
/// file cannot be read.
[[nodiscard]] EncodingGuess DetectFileEncoding(const std::string& path);

}  // namespace tessaline
