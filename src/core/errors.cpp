#include "core/errors.hpp"

#include <cstdio>

#include "core/cp1251.hpp"

namespace tessaline {
namespace {

void AppendByteEscape(std::string& out, unsigned char byte) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    out += escape;
}

bool IsControl(char32_t ch) {
    return (ch < 0x20 && ch != '\t') || ch == 0x7f;
}

// The escapes of the whole message besides the quoted text: a message is the program's own words
// around the text, but a text quoted twice or an error that did not quote it must not let a
// control byte through either.
std::string EscapedWhole(std::string_view text, bool utf8) {
    return EscapedForMessage(text, utf8, std::string_view::npos);
}

}  // namespace

std::string EscapedForMessage(std::string_view text, bool utf8, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) {
        if (chars == maxChars) {
            out += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!utf8) {
            // 0x98 is the one byte Windows-1251 gives no character.
            if (IsControl(byte) || byte == 0x98) {
                AppendByteEscape(out, byte);
            } else {
                out += text[i];
            }
            ++i;
            continue;
        }
        const Utf8Sequence seq = DecodeUtf8(text, i);
        if (!seq.ch || seq.length == 0) {
            AppendByteEscape(out, byte);
            ++i;
            continue;
        }
        const auto cp1251 = UnicodeToCp1251(*seq.ch);
        if (IsControl(*seq.ch)) {
            AppendByteEscape(out, byte);
        } else if (cp1251 && *cp1251 != 0x98) {
            out += static_cast<char>(*cp1251);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u{%X}", static_cast<unsigned>(*seq.ch));
            out += escape;
        }
        i += seq.length;
    }
    return out;
}

std::string WithoutNul(std::string message) {
    for (std::size_t at = message.find('\0'); at != std::string::npos;
         at = message.find('\0', at + 4))
        message.replace(at, 1, "\\x00");
    return message;
}

std::string QuotedText(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\t') {
            quoted += "\\t";
        } else if (IsControl(static_cast<unsigned char>(c))) {
            AppendByteEscape(quoted, static_cast<unsigned char>(c));
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

ConversionError LocatedConversionError(const ConversionError& error, std::size_t line, bool utf8) {
    const std::string_view message = error.what();
    const std::string& text = error.text();
    const std::size_t at = text.empty() ? std::string_view::npos : message.find(text);
    std::string shown;
    if (at == std::string_view::npos) {
        shown = EscapedWhole(message, utf8);
    } else {
        shown = EscapedWhole(message.substr(0, at), utf8);
        shown += EscapedForMessage(text, utf8);
        shown += EscapedWhole(message.substr(at + text.size()), utf8);
    }
    return ConversionError(text, shown, line);
}

}  // namespace tessaline
