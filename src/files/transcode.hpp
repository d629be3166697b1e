#pragma once

// The edges of a file's encoding: the reader turns a file's bytes into the inner text form
// (Windows-1251 bytes, or UTF-8), the writer turns inner text back into the file's bytes.
// Windows-1251, plain ASCII and UTF-8 files are carried as they are; UTF-16 and the other
// Cyrillic code pages become UTF-8 and are written back, so that a file no operation changes
// comes out byte for byte as it went in.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/codepages.hpp"
#include "core/errors.hpp"
#include "core/text_form.hpp"

namespace tessaline {

enum class TextEncoding;

/// The Unicode character of a byte of a single-byte code page. Every byte has one, so that a
/// round trip keeps every byte: a byte the code page leaves undefined stands for the control
/// code of its own value (Windows-1251's 0x98 is U+0098).
[[nodiscard]] char32_t PageToUnicode(CodePage page, unsigned char byte);

/// The byte of a character in a single-byte code page; nothing when the code page lacks it.
[[nodiscard]] std::optional<unsigned char> UnicodeToPage(CodePage page, char32_t ch);

/// The name users know an encoding by in messages ("UTF-8", "KOI8-R", "Windows-1251").
[[nodiscard]] std::string_view DisplayName(TextEncoding encoding);

/// A character the target encoding lacks: writing it would put a "?" or nothing in its place,
/// so the run stops and says which character it was (handled as a file that could not be
/// written: the output is not kept).
class UnencodableError : public FileError {
  public:
    UnencodableError(char32_t ch, TextEncoding target);
    [[nodiscard]] char32_t character() const { return ch_; }

  private:
    char32_t ch_;
};

/// "U+266A", the way a message names a character.
[[nodiscard]] std::string CodePointName(char32_t ch);

/// Turns inner text into a file's bytes. Text in Windows-1251 form for a UTF-8 or UTF-16 file is
/// first made UTF-8. Throws UnencodableError for a character the target lacks.
class TextEncoder {
  public:
    TextEncoder(TextEncoding target, TextForm from);

    /// Nothing to do: the inner text is the file's bytes.
    [[nodiscard]] bool passthrough() const { return passthrough_; }

    /// Appends the file's form of `text` to `out`. A character split between two calls is
    /// completed by the second.
    void Encode(std::string_view text, std::string& out);

    /// Writes the file's form of UTF-8 text straight into memory with room for
    /// MostEncodedBytes of it; returns the end. Only where EncodesInto says so (UTF-16 or a
    /// single-byte code page from UTF-8, no character waiting).
    char* EncodeInto(std::string_view text, char* out);
    [[nodiscard]] bool EncodesInto() const;
    /// Two bytes of UTF-16 for each byte of UTF-8 at most, and room for the whole words the
    /// encoder writes beyond the end (written over by what follows).
    [[nodiscard]] static std::size_t MostEncodedBytes(std::size_t size) { return 2 * size + 16; }

    /// The start of a character still waits for the rest of it.
    [[nodiscard]] bool waiting() const { return !pending_.empty(); }
    /// Forgets a character's start that waits.
    void Reset() { pending_.clear(); }

  private:
    void EncodeChar(char32_t ch, std::string& out);
    void EncodeUtf16(std::string_view text, std::string& out);
    char* EncodeToPageInto(std::string_view text, char* p);

    TextEncoding target_;
    TextForm from_;
    std::optional<CodePage> page_;
    bool passthrough_ = false;
    std::string pending_;  // the start of a UTF-8 character split between two calls
};

/// Turns a file's bytes into inner text as they arrive, in blocks of any size (a character may
/// be split between two blocks). UTF-16 keeps even a lone surrogate (written as its three-byte
/// form, which the encoder turns back into the same unit).
class TextDecoder {
  public:
    /// A decoder of a file in `encoding` into text of the form `to`: UTF-8, or Windows-1251 for
    /// a second file read beside a Windows-1251 one (a character Windows-1251 lacks then throws
    /// UnencodableError).
    explicit TextDecoder(TextEncoding encoding, TextForm to = TextForm::Utf8);

    /// Appends the inner form of `bytes` to `out`.
    void Decode(std::string_view bytes, std::string& out);

    /// Decodes straight into memory the caller made room in (MostDecodedBytes of the bytes);
    /// returns the end of the text. Only for a decoder into UTF-8 from UTF-16 or a single-byte
    /// code page (DecodesInto).
    char* DecodeInto(std::string_view bytes, char* out);
    [[nodiscard]] bool DecodesInto() const;
    /// The most bytes of UTF-8 that `size` bytes of the file can give: three a byte (a UTF-16
    /// unit gives at most three, a pair of them four), and a character held over from before.
    [[nodiscard]] static std::size_t MostDecodedBytes(std::size_t size) { return 3 * size + 8; }
    /// The end of the file: a last odd byte of UTF-16 becomes U+FFFD.
    void Finish(std::string& out);
    /// Forgets a half-read character (after a seek).
    void Reset();

    /// The bytes of the file read but not yet given as text (half a UTF-16 unit, the first of a
    /// pair).
    [[nodiscard]] std::size_t HeldFileBytes() const {
        return (pending_ >= 0 ? 1 : 0) + (highSurrogate_ != 0 ? 2 : 0);
    }

    /// How many bytes of the file the UTF-8 text `decoded` (whole characters) came from.
    [[nodiscard]] std::size_t FileBytesOf(std::string_view decoded) const;

  private:
    // Writes the UTF-8 of a UTF-16 unit at p (nothing yet for the first of a pair); returns the
    // end.
    char* PutUnit(char32_t unit, char* p);
    void DecodeToUtf8(std::string_view bytes, std::string& out);

    TextEncoding encoding_;
    TextForm to_;
    std::optional<CodePage> page_;
    std::string utf8_;                     // the UTF-8 text on its way to Windows-1251
    std::optional<TextEncoder> toCp1251_;  // which takes it there
    int pending_ = -1;           // the first byte of a UTF-16 unit split between blocks
    char32_t highSurrogate_ = 0;  // a high surrogate waiting for its pair
};

}  // namespace tessaline
