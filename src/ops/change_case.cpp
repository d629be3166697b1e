#include "ops/change_case.hpp"

#include "core/chars.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kSentenceEnds = ".!?";

// Lower case keeps ё: folding ё into е is how texts are compared, never how they are written.
std::string LowerKeepingYo(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerCharRus(c);
    return out;
}

// The first letter a capital, after a head that is no word: up to two leading tags ("<i><b>"),
// or one tag with the punctuation or quote that follows it.
std::string CapitalizeAfterHead(std::string_view text) {
    const std::size_t gt = text.find('>');
    const std::size_t p = gt == npos ? 0 : gt + 1;  // the head so far: up to and with ">"
    const char c = p < text.size() ? text[p] : '\0';
    std::size_t head = p;
    if (c == '<') {
        const std::size_t second = text.find('>', p);
        head = second == npos ? text.size() : second + 1;
    } else if (c == ',' || c == '.' || c == '!' || c == '?') {
        head = p + 1 < text.size() && text[p + 1] == ' ' ? p + 2 : p + 1;
    } else if (c == ' ' || c == '\'' || c == '"' || c == '(' || c == '[') {
        head = p + 1;
    }
    if (head >= text.size()) return CapitalizeFirstLetter(text);
    return std::string(text.substr(0, head)) + CapitalizeFirstLetter(text.substr(head));
}

std::string Convert(std::string_view text, CaseMode mode, CaseFlags& flags) {
    switch (mode) {
        case CaseMode::Lower:
            return LowerKeepingYo(text);
        case CaseMode::Words:
            return CapitalizeWords(text);
        case CaseMode::TextFirst:
        case CaseMode::LineFirst:
            return CapitalizeFirstLetter(text);
        case CaseMode::Switch:
            return SwitchCaseStr(text);
        case CaseMode::Normalize:
            return CapitalizeAfterDelimiters(text, kSentenceEnds, flags.afterDelimiter);
    }
    return std::string(text);
}

}  // namespace

std::string CaseTransformText(std::string_view text, CaseMode mode, bool upBrackets,
                              CaseFlags& flags) {
    if (text.empty()) return {};
    const std::size_t open = text.find('(');
    const std::size_t close = text.find(')');
    if (open == npos || close == npos || open > close) {
        if (mode == CaseMode::TextFirst || mode == CaseMode::LineFirst) {
            return CapitalizeAfterHead(text);
        }
        return Convert(text, mode, flags);
    }
    // "before" ends with "(", "after" begins with ")".
    const std::string_view before = text.substr(0, open + 1);
    const std::string_view inside = text.substr(open + 1, close - open - 1);
    const std::string_view after = text.substr(close);
    const std::string insideText = upBrackets ? UpperStrRus(inside) : std::string(inside);
    if (mode == CaseMode::LineFirst) {
        // Only the first text line of a subtitle, the line after its timing, changes.
        if (!flags.afterTime) return std::string(text);
        if (open != 0) return CapitalizeFirstLetter(before) + insideText + std::string(after);
        return std::string(before) + insideText + CapitalizeFirstLetter(after);
    }
    std::string result = Convert(before, mode, flags);
    result += insideText;
    result += Convert(after, mode, flags);
    if (mode == CaseMode::Normalize) FixJoinedCapital(result);
    return result;
}

}  // namespace tessaline
