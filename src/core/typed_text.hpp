#pragma once

// Text a user types (into the window, or as a command-line value) arrives as UTF-8 and goes to
// the file's form: as it is into a UTF-8-form file, converted into a Windows-1251 one. A
// character Windows-1251 lacks is refused and named, never written as "?".

#include <optional>
#include <string>
#include <string_view>

#include "core/text_form.hpp"

namespace tessaline {

/// Typed text in a form, or the first character that form cannot hold.
struct TypedText {
    std::string text;
    /// The character Windows-1251 lacks (nothing when the whole text converted).
    std::optional<char32_t> missing;
};

/// UTF-8 text in `form`: unchanged for UTF-8; for Windows-1251 every character converted, or
/// the first one the code page lacks (a malformed byte counts as U+FFFD).
[[nodiscard]] TypedText TypedInForm(std::string_view utf8, TextForm form);

/// A character as a message names it: "Ω" (U+03A9), the character itself in UTF-8.
[[nodiscard]] std::string CharNameUtf8(char32_t ch);

/// The text is valid UTF-8 and holds a character of more than one byte: it cannot be meant as
/// Windows-1251 (whose letters above ASCII seldom form valid UTF-8 sequences).
[[nodiscard]] bool IsMultibyteUtf8(std::string_view text);

}  // namespace tessaline
