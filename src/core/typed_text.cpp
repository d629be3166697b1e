#include "core/typed_text.hpp"

#include <cstdio>

#include "core/cp1251.hpp"

namespace tessaline {

TypedText TypedInForm(std::string_view utf8, TextForm form) {
    TypedText typed;
    if (form == TextForm::Utf8) {
        typed.text.assign(utf8);
        return typed;
    }
    typed.text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Sequence sequence = DecodeUtf8(utf8, i);
        const char32_t ch = sequence.ch.value_or(U'\uFFFD');
        const auto byte = sequence.ch ? UnicodeToCp1251(ch) : std::nullopt;
        if (!byte) {
            typed.missing = ch;
            typed.text.clear();
            return typed;
        }
        typed.text.push_back(static_cast<char>(*byte));
        i += sequence.length > 0 ? sequence.length : 1;
    }
    return typed;
}

std::string CharNameUtf8(char32_t ch) {
    std::string name = "\"";
    AppendUtf8(name, ch);
    char code[16];
    std::snprintf(code, sizeof code, "\" (U+%04X)", static_cast<unsigned>(ch));
    return name + code;
}

bool IsMultibyteUtf8(std::string_view text) {
    bool multibyte = false;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8(text, i);
        if (!sequence.ch || sequence.length == 0) return false;
        multibyte = true;
        i += sequence.length;
    }
    return multibyte;
}

}  // namespace tessaline
