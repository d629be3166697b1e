#pragma once

// Pixel widths of text as the program's dialog font draws it: MS Sans Serif with a character
// height of 11 pixels, which is the 13-pixel bitmap strike of the font that Debian's fonts-wine
// package installs. The length test and the line editor measure with the same routine, so they
// always agree.
//
// The font is read once, with FreeType, into a table of the advance of each of the 256
// Windows-1251 characters and a list of the advances of every character the font has;
// measuring a text then sums table entries and needs no font engine. UTF-8 text (the current
// text form, core/text_form.hpp) is measured by its Unicode characters directly.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text_form.hpp"

namespace tessaline {

/// Where fonts-wine installs the font.
inline constexpr std::string_view kDialogFontDefaultPath =
    "/usr/share/wine/fonts/ms_sans_serif.ttf";

/// The environment variable that names another font file (for tests and other systems).
inline constexpr std::string_view kDialogFontVariable = "TESSALINE_DIALOG_FONT";

/// The font file to measure with: the environment variable's path when it is set, else the
/// default path.
[[nodiscard]] std::string DialogFontPath();

class TextWidthMeter {
  public:
    /// Reads the font at `fontPath`. When it cannot be read (or has no 13-pixel strike) the meter
    /// is unavailable and error() says why.
    explicit TextWidthMeter(const std::string& fontPath = DialogFontPath());

    /// The font was read: widths are real.
    [[nodiscard]] bool available() const { return error_.empty(); }

    /// Why the font could not be read ("" when it was).
    [[nodiscard]] const std::string& error() const { return error_; }

    /// The width in pixels of a text in the current form: the sum of the advances of its
    /// Unicode characters (every code point of a UTF-8 character; a character the font lacks,
    /// and a byte that begins no UTF-8 character, is drawn as the missing-glyph box). 0 when
    /// the meter is unavailable.
    [[nodiscard]] int Width(std::string_view text) const {
        if (CurrentTextForm() == TextForm::Utf8) return Utf8Width(text);
        int width = 0;
        for (const char c : text)
            width += advance_[static_cast<unsigned char>(c)];
        return width;
    }

    /// The advance of every code point below U+0800 (ASCII as the Windows-1251 table has it),
    /// by value: what Width adds for each character of plain UTF-8 text.
    [[nodiscard]] const std::uint16_t* CodePointAdvances() const { return belowU800_.data(); }

    /// The advance of every Windows-1251 byte: what Width adds for each byte of such text.
    [[nodiscard]] const std::uint16_t* ByteAdvances() const { return advance_.data(); }

  private:
    [[nodiscard]] int Utf8Width(std::string_view text) const;
    // The advance of a character, the missing-glyph box's when the font lacks it.
    [[nodiscard]] std::uint16_t AdvanceOf(char32_t ch) const;

    std::array<std::uint16_t, 256> advance_{};                 // by Windows-1251 byte
    std::vector<std::pair<char32_t, std::uint16_t>> unicode_;  // by character, sorted
    std::vector<std::uint16_t> belowU800_ = std::vector<std::uint16_t>(0x800);  // by code point
    std::uint16_t missing_ = 0;                                // the missing-glyph box
    std::string error_;
};

}  // namespace tessaline
