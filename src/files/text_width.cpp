#include "files/text_width.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>

#include "core/cp1251.hpp"

namespace tessaline {
namespace {

// The strike of MS Sans Serif whose characters are 11 pixels high (8 points at 96 dots per
// inch): its line height is 13 pixels.
constexpr FT_Pos kStrikeHeight = 13;

// Closes what FreeType opened on every way out.
struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

}  // namespace

std::string DialogFontPath() {
    const char* path = std::getenv(std::string(kDialogFontVariable).c_str());
    return path != nullptr && *path != '\0' ? std::string(path)
                                            : std::string(kDialogFontDefaultPath);
}

TextWidthMeter::TextWidthMeter(const std::string& fontPath) {
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0) {
        error_ = "the font engine cannot start";
        return;
    }
    if (FT_New_Face(ft.library, fontPath.c_str(), 0, &ft.face) != 0) {
        error_ = "cannot read the font " + fontPath;
        return;
    }
    int strike = -1;
    for (int i = 0; i < ft.face->num_fixed_sizes; ++i) {
        if (ft.face->available_sizes[i].y_ppem >> 6 == kStrikeHeight) strike = i;
    }
    if (strike < 0 || FT_Select_Size(ft.face, strike) != 0) {
        error_ = "the font " + fontPath + " has no 13-pixel strike";
        return;
    }
    const auto advance = [&ft] {
        return static_cast<std::uint16_t>((ft.face->glyph->advance.x + 32) >> 6);
    };
    if (FT_Load_Glyph(ft.face, 0, FT_LOAD_DEFAULT) == 0) missing_ = advance();
    FT_UInt glyph = 0;
    for (FT_ULong ch = FT_Get_First_Char(ft.face, &glyph); glyph != 0;
         ch = FT_Get_Next_Char(ft.face, ch, &glyph)) {
        if (FT_Load_Glyph(ft.face, glyph, FT_LOAD_DEFAULT) == 0)
            unicode_.emplace_back(static_cast<char32_t>(ch), advance());
    }
    // The charmap is walked in character order; sorted all the same, for the binary search.
    std::sort(unicode_.begin(), unicode_.end());
    for (char32_t ch = 0x80; ch < 0x800; ++ch)
        belowU800_[ch] = AdvanceOf(ch);
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t ch = Cp1251ToUnicode(static_cast<unsigned char>(byte));
        // A character the font lacks is drawn as its missing-glyph box, with that box's advance.
        if (FT_Load_Char(ft.face, ch, FT_LOAD_DEFAULT) != 0) continue;
        advance_[static_cast<std::size_t>(byte)] = advance();
    }
    // ASCII is the same in Windows-1251.
    std::copy_n(advance_.begin(), 0x80, belowU800_.begin());
}

std::uint16_t TextWidthMeter::AdvanceOf(char32_t ch) const {
    const auto found = std::lower_bound(
        unicode_.begin(), unicode_.end(), ch,
        [](const std::pair<char32_t, std::uint16_t>& entry, char32_t c) { return entry.first < c; });
    return found != unicode_.end() && found->first == ch ? found->second : missing_;
}

int TextWidthMeter::Utf8Width(std::string_view text) const {
    if (!available()) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    int width = 0;
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {  // ASCII is the same in Windows-1251
            width += advance_[lead];
            ++i;
            continue;
        }
        // Two bytes (Cyrillic, Greek, accented Latin): by table.
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
            width += belowU800_[((lead & 0x1Fu) << 6) | (bytes[i + 1] & 0x3Fu)];
            i += 2;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        // A byte that begins no character is shown as the replacement character.
        const char32_t ch = sequence.ch.value_or(U'\uFFFD');
        i += sequence.ch ? sequence.length : 1;
        width += AdvanceOf(ch);
    }
    return width;
}

}  // namespace tessaline
