#include "files/sub_kind.hpp"

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/host.hpp"
#include "files/line_io.hpp"

namespace tessaline {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBracket(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > ' ' && byte < 0x7f && !IsDigit(c) && !(c >= 'a' && c <= 'z') &&
           !(c >= 'A' && c <= 'Z') && c != '+' && c != '-';
}

void SkipBlanks(std::string_view line, std::size_t& i) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
}

// "open [blanks][sign]digits[blanks] close" at i; moves i past it.
bool ReadBracketedNumber(std::string_view line, std::size_t& i, char open, char close) {
    if (i >= line.size() || line[i] != open) return false;
    ++i;
    SkipBlanks(line, i);
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) ++i;
    const std::size_t digits = i;
    while (i < line.size() && IsDigit(line[i]))
        ++i;
    if (i == digits) return false;
    SkipBlanks(line, i);
    if (i >= line.size() || line[i] != close) return false;
    ++i;
    return true;
}

// One or two digits.
bool ReadClockField(std::string_view line, std::size_t& i) {
    const std::size_t start = i;
    while (i < line.size() && i - start < 2 && IsDigit(line[i]))
        ++i;
    return i > start;
}

bool StartsWithClock(std::string_view line, std::size_t i) {
    for (int field = 0; field < 3; ++field) {
        if (!ReadClockField(line, i)) return false;
        if (field < 2) {
            if (i >= line.size() || line[i] != ':') return false;
            ++i;
        }
    }
    return true;
}

}  // namespace

TimedLine ClassifyTimedLine(std::string_view line) {
    std::size_t i = 0;
    SkipBlanks(line, i);
    if (i < line.size() && IsBracket(line[i])) {
        const char open = line[i];
        // The closing bracket is whatever follows the first number.
        std::size_t end = i + 1;
        SkipBlanks(line, end);
        if (end < line.size() && (line[end] == '+' || line[end] == '-')) ++end;
        while (end < line.size() && (IsDigit(line[end]) || line[end] == ' ' || line[end] == '\t'))
            ++end;
        if (end < line.size() && IsBracket(line[end]) && line[end] != open) {
            const char close = line[end];
            std::size_t at = i;
            if (ReadBracketedNumber(line, at, open, close) &&
                ReadBracketedNumber(line, at, open, close)) {
                return TimedLine::FramePair;
            }
        }
    }
    // SubViewer 1 brackets its times: "[00:00:01]".
    const bool bracketedClock =
        i < line.size() && IsBracket(line[i]) && StartsWithClock(line, i + 1);
    if (StartsWithClock(line, i) || bracketedClock || line.find("-->") != std::string_view::npos) {
        return TimedLine::Other;
    }
    return TimedLine::None;
}

std::optional<ForeignLine> FindForeignTimedLine(LineReader& in) {
    std::string_view line;
    while (in.ReadLine(line)) {
        switch (ClassifyTimedLine(line)) {
            case TimedLine::None:
                continue;
            case TimedLine::FramePair:
                return std::nullopt;
            case TimedLine::Other:
                return ForeignLine{.number = in.LineNumber(), .text = std::string(line)};
        }
    }
    return std::nullopt;
}

std::string NotMicroDvdMessage(const ForeignLine& line, bool utf8) {
    return "not a MicroDVD file (" + std::to_string(line.number) + ": " +
           EscapedForMessage(line.text, utf8) + ")";
}

bool RefuseSubOfOtherFormat(const std::string& input, const FileEncoding& encoding, Host& host) {
    if (LowerFoldStr(FileExtOf(input)) != "sub") return false;
    LineReader probe(input, encoding);
    const auto foreign = FindForeignTimedLine(probe);
    if (!foreign) return false;
    host.ShowMessage(NotMicroDvdMessage(*foreign, encoding.form() == TextForm::Utf8));
    return true;
}

}  // namespace tessaline
