#pragma once

// Line length cutting: the two engines that cut an over-long subtitle line into display lines
// (a greedy cut that fills each line up to the maximum, and an equal cut that aims at lines of
// about the same length), and the "Set Length" operation that runs them over a file. The line
// editor's single-line cutting uses the same engines.

#include <string>
#include <string_view>

#include "core/strings.hpp"
#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNullLogFile = "Null Log-file";

/// What the engines are given.
struct LineCutParams {
    int maxLength = DefaultInt("SubLineLength");     // sedSubLineLength: the longest line
    bool equal = DefaultBool("LineCutEqual");        // cbLineCutEqual: the equal cut
    int lineCount = DefaultInt("SubLineCount");      // sedSubLineCount: lines the equal cut aims at
    bool reCut = DefaultBool("LineReCut");           // cbLineReCut: the equal cut may try again
    int delta = DefaultInt("DeltaSym");              // seDeltaSym: tolerated length difference
    bool fromEnd = DefaultBool("FromSubEnd");        // cbFromSubEnd: fill lines from the end
    bool wideLetters = DefaultBool("LineAnalySym");  // cbLineAnalySym: wide letters shorten
    std::string wideSet = std::string(DefaultText("WideLetters"));
    int disbalance = DefaultInt("LineLengthDisbalance");  // the ratio at which the re-cut starts
    int breakMode = DefaultInt("BreakMode");  // rgBreakMode: 1 evens out a greedy three-line cut
};

class Settings;

/// The cutting parameters as the settings hold them.
[[nodiscard]] LineCutParams LineCutParamsOf(const Settings& settings);

/// The greedy cut: lines filled up to `maxLength` at spaces, from the start or the end; with
/// `breakMode` a three-line result whose last line is long moves the second line's first word
/// up. `lines` is cleared first.
void GreedyCut(std::string_view text, int maxLength, bool breakMode, bool fromEnd, LineList& lines);

/// The equal cut: lines of about the same length, at a width chosen from the text's length and
/// the wanted line count; with the re-cut, badly balanced results are cut again. Falls back to
/// the greedy cut when the re-cut still needs too many lines. `lines` is cleared first.
void EqualCut(std::string_view text, const LineCutParams& params, LineList& lines);

/// The cut the parameters choose (equal or greedy), without empty or blank lines: those would
/// end a SubRip subtitle early. `lines` is cleared first.
void CutLine(std::string_view text, const LineCutParams& params, LineList& lines);

struct SetLengthParams {
    LineCutParams cut;
    bool correctTags = DefaultBool("CorrectTAGs");              // balance tags on each new line
    bool correctInsideTags = DefaultBool("CorrectInsideTAGs");  // and merge "</i> <i>"
    bool tagToEveryLine = DefaultBool("TAGtoEveryLine");        // MicroDVD: style tag on every line
    bool writeLog = DefaultBool("WriteLogOnSetLength");         // write the "log" report at all
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// "Set Length": every SubRip text line (every MicroDVD text) longer than the maximum is cut
/// into lines that fit; the report "log" lists the cuts worth a look.
RunResult SetLength(const std::string& input, const std::string& output,
                    const SetLengthParams& params, Host& host);

extern const Operation kSetLengthOperation;

}  // namespace tessaline
