#include "ops/change_case.hpp"

#include <cstdio>
#include <cstring>

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "core/times.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/line_io.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kSentenceEnds = ".!?";

// The text with its first letter a capital, after a head of leading tags and punctuation that
// CapitalizeFirstLetter would otherwise take for the first word ("<i>hello" keeps its tag).
std::string CapitalizeAfterHead(std::string_view text) {
    // p: the position of the first ">" (0-based, npos when none); c: the character after it, or
    // the first character when there is no ">".
    const std::size_t gt = text.find('>');
    const std::size_t p = gt == npos ? 0 : gt + 1;  // 1-based position of ">", 0 for none
    const char c = p < text.size() ? text[p] : '\0';
    std::size_t head = p;
    if (c == '<') {
        // Two leading tags: the head ends at the second ">".
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

std::string ConvertPart(std::string_view text, CaseMode mode) {
    switch (mode) {
        case CaseMode::Lower:
            // Lower case keeps ё: folding ё into е is how texts are compared, never how they
            // are written.
            return LowerStrRus(text);
        case CaseMode::Words:
            return CapitalizeWords(text);
        case CaseMode::TextFirst:
        case CaseMode::LineFirst:
            return CapitalizeFirstLetter(text);
        case CaseMode::Switch:
            return SwitchCaseStr(text);
        case CaseMode::Normalize:
            break;
    }
    return std::string(text);
}

// The line is one bracket pair and nothing else ("(music)").
bool IsBracketLine(std::string_view line) {
    return line.size() >= 2 && line.front() == '(' && line.back() == ')' &&
           line.find('(', 1) == npos && line.find(')') == line.size() - 1;
}

}  // namespace

void CaseTransformText(std::string_view text, CaseMode mode, bool upBrackets, CaseFlags& flags,
                       std::string& out) {
    out.clear();
    if (text.empty()) return;
    const std::size_t open = text.find('(');
    const std::size_t close = open == npos ? npos : text.find(')');
    if (open == npos || close == npos || open > close) {
        switch (mode) {
            case CaseMode::TextFirst:
            case CaseMode::LineFirst:
                out = CapitalizeAfterHead(text);
                return;
            case CaseMode::Normalize:
                AppendCapitalizedAfterDelimiters(out, text, kSentenceEnds, flags.afterDelimiter);
                return;
            default:
                out = ConvertPart(text, mode);
                return;
        }
    }
    // before ends with "(", after begins with ")".
    const std::string_view before = text.substr(0, open + 1);
    const std::string_view inside = text.substr(open + 1, close - open - 1);
    const std::string_view after = text.substr(close);
    const std::string insideText = upBrackets ? UpperStrRus(inside) : std::string(inside);
    switch (mode) {
        case CaseMode::LineFirst:
            // Only the first text line of a subtitle (the line after its timing line) changes.
            if (!flags.afterTime) {
                out.assign(text);
            } else if (open != 0) {
                out = CapitalizeFirstLetter(before) + insideText + std::string(after);
            } else {
                out = std::string(before) + insideText + CapitalizeFirstLetter(after);
            }
            return;
        case CaseMode::Normalize:
            AppendCapitalizedAfterDelimiters(out, before, kSentenceEnds, flags.afterDelimiter);
            out += insideText;
            AppendCapitalizedAfterDelimiters(out, after, kSentenceEnds, flags.afterDelimiter);
            FixJoinedCapital(out);
            return;
        default:
            out = ConvertPart(before, mode) + insideText + ConvertPart(after, mode);
            return;
    }
}

std::string CaseTransformText(std::string_view text, CaseMode mode, bool upBrackets,
                              CaseFlags& flags) {
    std::string out;
    CaseTransformText(text, mode, upBrackets, flags, out);
    return out;
}

RunResult ConvertFileCase(const std::string& path, CaseMode mode, bool upBrackets, Host& host) {
    if (path.empty()) return RunResult::Skipped;
    // Held from before the reading to the rename; a link is followed: the file it names is the
    // one to change. A file that cannot be replaced as it is is refused here.
    HeldFile held(path);
    const std::string noOutput;
    const FrameRequest request{.input = held.path(),
                               .output = noOutput,
                               .steps = {.interactive = false, .writesOutput = false}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        TempFile temp(held.path());
        LineWriter out(temp.path(), run.encoding(), run.encoding().form());
        CaseFlags flags;
        std::string_view line;
        std::string converted;  // kept from line to line
        while (run.ReadLine(line)) {
            CaseTransformText(line, mode, upBrackets, flags, converted);
            out.WriteLine(converted);
            if (mode == CaseMode::Normalize) {
                // The timing line before a subtitle's text starts a sentence.
                flags.afterTime = IsTimingLine(line);
                if (flags.afterTime) flags.afterDelimiter = true;
            } else if (mode == CaseMode::LineFirst && !(flags.afterTime && IsBracketLine(line))) {
                // A line that is only "(...)" right after the timing line leaves the next line
                // the subtitle's first.
                flags.afterTime = IsTimingLine(line);
            }
        }
        out.Close();
        // The replacement keeps the file's owner and mode; a file changed meanwhile by another
        // program is not replaced, the result stays as film.out when that is free. The
        // temporary file is removed by its owner when anything above throws.
        held.Replace(temp, ChangeFileExtMode(path, "out", 0));
    });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

RunResult RunChangeCase(OperationContext& c, const RunArgs& a) {
    return ConvertFileCase(a.input, static_cast<CaseMode>(a.variant),
                           c.settings.Bool("UpCaseTextInBrackets"), c.host);
}

// The command's MODE names and the menu modes they stand for.
struct ModeName {
    std::string_view name;
    CaseMode mode;
};
constexpr ModeName kModeNames[] = {{"lower", CaseMode::Lower},
                                   {"words", CaseMode::Words},
                                   {"first", CaseMode::LineFirst},
                                   {"switch", CaseMode::Switch},
                                   {"normalize", CaseMode::Normalize}};

bool ChooseMode(const OptionValues& values, std::string_view, int& variant) {
    const std::string& name = values.at("MODE");
    for (const ModeName& m : kModeNames) {
        if (m.name == name) variant = static_cast<int>(m.mode);
    }
    return true;
}

constexpr OptionDef kChangeCaseOptions[] = {
    {.name = "MODE",
     .kind = OptionKind::Text,
     .choices = "lower|words|first|switch|normalize",
     .help = "lower, words (Every Word), first (first letter of each line), switch, normalize"},
};
constexpr std::string_view kChangeCaseSettings[] = {"UpCaseTextInBrackets"};
constexpr Trigger kChangeCaseTriggers[] = {
    {"mnTextToLowerCase", static_cast<int>(CaseMode::Lower), "menu [text to lower case] Click"},
    {"mnTextToUpLoCase", static_cast<int>(CaseMode::Words),
     "menu [Text To Begin From Upper Letter (Any Word)] Click"},
    {"mnTextToUpFirstLetterLoCase", static_cast<int>(CaseMode::LineFirst),
     "menu [Text to begin from upper letter of string] Click"},
    {"mnTextToSwitchCase", static_cast<int>(CaseMode::Switch), "menu [Text to sWITCH cASE] Click"},
    {"mnNormalizeTextString", static_cast<int>(CaseMode::Normalize),
     "menu [Normalize text string] Click"},
};

}  // namespace

extern const Operation kChangeCaseOperation{
    .command = "change-case",
    .summary = "change the letter case of a file in place",
    .help =
        "Changes the letter case of every line of PATH, in place (no film.out, no report):\n"
        "lower, words (Every Word Capitalised), first (each line begins with a capital),\n"
        "switch (sWITCH cASE) or normalize (a capital after . ! ? and at each subtitle's\n"
        "start). A text in parentheses keeps its case; with UpCaseTextInBrackets=1 it is\n"
        "written in capitals.",
    .options = kChangeCaseOptions,
    .preparePath = ChooseMode,
    .triggers = kChangeCaseTriggers,
    .outputExt = "",
    .replacesFiles = true,
    .settings = kChangeCaseSettings,
    .run = RunChangeCase,
};

}  // namespace tessaline
