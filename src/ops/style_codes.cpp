#include "ops/style_codes.hpp"

#include <algorithm>

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigits(std::string_view text) {
    for (const char c : text) {
        const char l = LowerAscii(c);
        if (!((l >= '0' && l <= '9') || (l >= 'a' && l <= 'f'))) return false;
    }
    return true;
}

// A MicroDVD control code at text[i]: "{", a letter, ":", a value without "{", "|" or "}", then
// "}". Its length, or 0. "{kept}" and "{1}" are text, not codes.
std::size_t ControlCodeLength(std::string_view text, std::size_t i) {
    if (text.size() - i < 4 || text[i] != '{' || !IsAsciiLetter(text[i + 1]) || text[i + 2] != ':')
        return 0;
    for (std::size_t j = i + 3; j < text.size(); ++j) {
        if (text[j] == '}') return j - i + 1;
        if (text[j] == '{' || text[j] == '|') return 0;
    }
    return 0;
}

// The styles of a "{y:...}" value ("i", "b,u") added to `styles` as the letters i, b, u. False
// when an item has no SubRip tag (strikeout "s", an unknown letter).
bool AddStyles(std::string_view value, std::string& styles) {
    bool all = true;
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        std::string_view item = value.substr(start, comma - start);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        const char style = item.size() == 1 ? LowerAscii(item[0]) : '\0';
        if (style == 'i' || style == 'b' || style == 'u') {
            if (styles.find(style) == npos) styles += style;
        } else {
            all = false;
        }
        start = comma + 1;
    }
    return all;
}

// "$BBGGRR" (MicroDVD's blue-green-red order) as "#RRGGBB"; empty for any other value.
std::string SubRipColor(std::string_view value) {
    if (value.starts_with('$')) value.remove_prefix(1);
    if (value.size() != 6 || !IsHexDigits(value)) return {};
    std::string color = "#";
    color.append(value.substr(4, 2)).append(value.substr(2, 2)).append(value.substr(0, 2));
    return color;
}

void AppendOpenTag(std::string& line, char style, std::string_view color) {
    if (style == 'c') {
        line.append("<font color=\"").append(color).append("\">");
        return;
    }
    line += '<';
    line += style;
    line += '>';
}

void AppendCloseTag(std::string& line, char style) {
    if (style == 'c') {
        line += "</font>";
        return;
    }
    line += "</";
    line += style;
    line += '>';
}

}  // namespace

std::size_t MicroDvdStyles::Convert(std::string_view text,
                                    const std::function<void(std::string_view line)>& write) {
    wholeText_.clear();
    wholeColor_.clear();
    // Upper-case codes style the whole text, the lines before them too: gathered first.
    for (std::size_t i = text.find('{'); i != npos; i = text.find('{', i + 1)) {
        const std::size_t length = ControlCodeLength(text, i);
        if (length == 0) continue;
        const std::string_view value = text.substr(i + 3, length - 4);
        if (text[i + 1] == 'Y') (void)AddStyles(value, wholeText_);
        if (text[i + 1] == 'C' && wholeColor_.empty()) wholeColor_ = SubRipColor(value);
    }
    std::size_t dropped = 0;
    for (std::size_t start = 0;;) {
        const std::size_t bar = text.find('|', start);
        const std::string_view part = text.substr(start, bar == npos ? npos : bar - start);
        std::string& line = line_;
        line.clear();
        wanted_ = wholeText_;
        color_ = wholeColor_;
        if (!color_.empty()) wanted_ += 'c';
        open_.clear();
        bool hadCode = false;
        bool visible = false;
        for (std::size_t i = 0; i < part.size();) {
            if (const std::size_t length = ControlCodeLength(part, i)) {
                hadCode = true;
                bool lost = false;
                Apply(part.substr(i + 1, length - 2), lost);
                if (lost) ++dropped;
                i += length;
                continue;
            }
            const char c = part[i++];
            if (!visible && c == ' ') continue;  // leading blanks
            if (c != ' ') OpenWanted(line);
            visible = true;
            line += c;
        }
        while (!open_.empty()) {
            AppendCloseTag(line, open_.back());
            open_.pop_back();
        }
        if (visible) {
            write(line);
        } else if (!hadCode) {
            write(part);  // an empty or blank display line stays as it was
        }
        // A line of nothing but codes is left out: an empty line would end the record.
        if (bar == npos) break;
        start = bar + 1;
    }
    return dropped;
}

void MicroDvdStyles::OpenWanted(std::string& line) {
    if (open_.size() == wanted_.size()) return;
    for (const char style : wanted_) {
        if (open_.find(style) != npos) continue;
        AppendOpenTag(line, style, color_);
        open_ += style;
    }
}

void MicroDvdStyles::Apply(std::string_view code, bool& lost) {
    const char letter = code[0];
    const std::string_view value = code.substr(2);
    std::string unused;
    switch (letter) {
        case 'y':
            lost = !AddStyles(value, wanted_);
            return;
        case 'Y':
            lost = !AddStyles(value, unused);  // applied to the whole text already
            return;
        case 'c': {
            std::string color = SubRipColor(value);
            // A second colour in a line that already shows one cannot be said in SubRip tags
            // without cutting the ones opened after it.
            if (color.empty() || (open_.find('c') != npos && color != color_)) {
                lost = true;
                return;
            }
            color_ = std::move(color);
            if (wanted_.find('c') == npos) wanted_ += 'c';
            return;
        }
        case 'C':
            lost = SubRipColor(value).empty();
            return;
        default:
            lost = true;  // font, size, position, charset ...: SubRip has no tag for them
    }
}

// --- SubRip to MicroDVD ------------------------------------------------------------------------

namespace {

// The styles SubRip tags switch: the index into the open flags.
enum Style { kItalic, kBold, kUnderline, kColor, kStyles };
constexpr char kStyleLetters[] = {'i', 'b', 'u'};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// The colour of a font tag's attributes as MicroDVD's "$BBGGRR"; empty without one it can say
// (no colour, a colour by name).
std::string MicroDvdColor(std::string_view attributes) {
    std::string lower;
    for (const char c : attributes)
        lower += LowerAscii(c);
    std::size_t at = lower.find("color");
    if (at == npos) return {};
    at += 5;
    while (at < lower.size() && lower[at] == ' ')
        ++at;
    if (at >= lower.size() || lower[at] != '=') return {};
    ++at;
    while (at < lower.size() && (lower[at] == ' ' || lower[at] == '"' || lower[at] == '\''))
        ++at;
    if (at >= lower.size() || lower[at] != '#') return {};
    const std::string_view rgb = attributes.substr(at + 1, 6);
    if (rgb.size() != 6 || !IsHexDigits(rgb)) return {};
    const std::size_t end = at + 7;
    if (end < lower.size() && lower[end] != '"' && lower[end] != '\'' && lower[end] != ' ')
        return {};
    std::string color = "$";
    color.append(rgb.substr(4, 2)).append(rgb.substr(2, 2)).append(rgb.substr(0, 2));
    return color;
}

}  // namespace

void SubRipStyles::StartRecord() {
    for (bool& open : open_)
        open = false;
    color_.clear();
}

std::size_t SubRipStyles::Convert(std::string_view line, std::string& out) {
    std::size_t dropped = 0;
    bool any[kStyles] = {};
    bool all[kStyles] = {true, true, true, true};
    std::string firstColor;
    bool visible = false;
    text_.clear();
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '<') {
            const std::size_t close = line.find('>', i);
            if (close != npos) {
                std::string_view tag = line.substr(i + 1, close - i - 1);
                const bool ending = tag.starts_with('/');
                if (ending) tag.remove_prefix(1);
                const std::size_t space = std::min(tag.find(' '), tag.size());
                const std::string_view name = tag.substr(0, space);
                bool known = true;
                if (EqualsNoCase(tag, "i")) {
                    open_[kItalic] = !ending;
                } else if (EqualsNoCase(tag, "b")) {
                    open_[kBold] = !ending;
                } else if (EqualsNoCase(tag, "u")) {
                    open_[kUnderline] = !ending;
                } else if (EqualsNoCase(tag, "s")) {
                    if (!ending) ++dropped;  // MicroDVD has no strikeout
                } else if (EqualsNoCase(name, "font") && (space < tag.size() || ending)) {
                    if (ending) {
                        open_[kColor] = false;
                    } else if (std::string color = MicroDvdColor(tag.substr(space));
                               !color.empty()) {
                        open_[kColor] = true;
                        color_ = std::move(color);
                    } else {
                        ++dropped;  // a face, a size, a colour by name
                    }
                } else {
                    known = false;  // "<Bob>", "a < b > c": text
                }
                if (known) {
                    i = close + 1;
                    continue;
                }
            }
        }
        ++i;
        if (!visible && c == ' ') continue;  // leading blanks
        visible = true;
        text_ += c;
        if (c == ' ') continue;
        for (int s = 0; s < kStyles; ++s) {
            any[s] = any[s] || open_[s];
            all[s] = all[s] && open_[s];
        }
        if (open_[kColor]) {
            if (firstColor.empty()) firstColor = color_;
            if (color_ != firstColor) all[kColor] = false;
        }
    }
    if (!visible) return dropped;
    for (int s = 0; s < kStyles; ++s) {
        if (any[s] && !all[s]) ++dropped;  // a part of a line: MicroDVD styles whole lines
    }
    if (all[kColor]) out.append("{c:").append(firstColor).append("}");
    bool first = true;
    for (int s = kItalic; s <= kUnderline; ++s) {
        if (!all[s]) continue;
        out += first ? "{y:" : ",";
        out += kStyleLetters[s];
        first = false;
    }
    if (!first) out += '}';
    out += text_;
    return dropped;
}

}  // namespace tessaline
