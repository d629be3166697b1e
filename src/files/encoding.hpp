#pragma once

// Which encoding a text file is in: a byte-order mark when there is one, otherwise the
// freedesktop detector uchardet, whose answer is explained in words a user can check (how many
// Cyrillic letters the bytes give in that reading).

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/codepages.hpp"
#include "core/errors.hpp"
#include "core/text_form.hpp"

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

// --- The encoding a run works in ----------------------------------------------------------------

/// How a file's text is stored: what its reader decodes and its outputs and reports are written
/// in again.
struct FileEncoding {
    TextEncoding encoding = TextEncoding::Windows1251;
    /// The file begins with a byte-order mark, and so do the files written from it.
    bool bom = false;

    /// The inner form of its text: Windows-1251 bytes for a Windows-1251 or plain ASCII file,
    /// UTF-8 for every other.
    [[nodiscard]] TextForm form() const {
        return encoding == TextEncoding::Windows1251 || encoding == TextEncoding::Ascii
                   ? TextForm::Cp1251
                   : TextForm::Utf8;
    }
    /// The reader and writer carry the bytes as they are (apart from a UTF-8 byte-order mark).
    [[nodiscard]] bool passthrough() const {
        return form() == TextForm::Cp1251 || encoding == TextEncoding::Utf8;
    }
    bool operator==(const FileEncoding&) const = default;
};

/// The caption a window shows for a file's encoding: "UTF-8", "UTF-8 with BOM", "UTF-16LE",
/// "KOI8-R", "Windows-1251".
[[nodiscard]] std::string EncodingCaption(const FileEncoding& encoding);

/// A file that is no text: an image subtitle (a VobSub .sub shares the extension), or bytes
/// with NULs that are not UTF-16. No command reads it: a run would only garble it.
class NotTextFileError : public FileError {
  public:
    static constexpr std::string_view kNotTextFile = "not a text subtitle file";
    explicit NotTextFileError(const std::string& path)
        : FileError(path, std::string(kNotTextFile)) {}
};

/// Decides how a text is stored, from its first bytes: a byte-order mark; else UTF-16 by the
/// pattern of its NUL bytes; else UTF-8 when the bytes are UTF-8 holding a character of more than
/// one byte (or nearly so: a stray byte or two is kept as it is); else a Cyrillic code page the
/// detector recognises (KOI8-R, CP866, ISO-8859-5, Mac Cyrillic); else Windows-1251. Nothing for
/// bytes that are no text: an MPEG pack header (a VobSub .sub), or NULs outside a UTF-16 pattern
/// in the first 4 KB with nothing of a subtitle there (a hand-made file's stray NUL, which the
/// correction removes, leaves it text). `complete` is false when the bytes are only the beginning
/// of a file.
[[nodiscard]] std::optional<FileEncoding> DecideEncoding(std::string_view bytes, bool complete);

/// Decides how a file is stored, from its first kDetectSampleBytes: the one decision every entry
/// point takes before it reads a file's text (a file held by an EncodingPin keeps the encoding
/// held). Throws NotTextFileError for a file that is no text, FileError when it cannot be read.
[[nodiscard]] FileEncoding DecideFileEncoding(const std::string& path);

/// Holds the encoding of one file for the runs on it in this thread while it lives. A chain of
/// commands on one file (All in One) decides once: a step whose result would read differently
/// (its last letter beyond ASCII removed, too few letters left for the detector) is still worked
/// on and written as the file was.
class EncodingPin {
  public:
    EncodingPin(std::string path, const FileEncoding& encoding);
    ~EncodingPin();
    EncodingPin(const EncodingPin&) = delete;
    EncodingPin& operator=(const EncodingPin&) = delete;

    /// The encoding held for `path`, if any.
    [[nodiscard]] static std::optional<FileEncoding> Of(const std::string& path);

  private:
    std::string path_;
    FileEncoding encoding_;
    const EncodingPin* previous_;
};

namespace detail {
inline thread_local FileEncoding g_fileEncoding;
}  // namespace detail

/// The encoding of the file this thread works on: what its reports are written in.
[[nodiscard]] inline const FileEncoding& CurrentFileEncoding() {
    return detail::g_fileEncoding;
}

/// Works on a file of an encoding for as long as it lives: its text form for the character
/// rules, its encoding for the reports; then puts back the ones before.
class FileEncodingScope {
  public:
    explicit FileEncodingScope(const FileEncoding& encoding)
        : form_(encoding.form()), previous_(detail::g_fileEncoding) {
        detail::g_fileEncoding = encoding;
    }
    ~FileEncodingScope() { detail::g_fileEncoding = previous_; }
    FileEncodingScope(const FileEncodingScope&) = delete;
    FileEncodingScope& operator=(const FileEncodingScope&) = delete;

  private:
    TextFormScope form_;
    FileEncoding previous_;
};

}  // namespace tessaline
