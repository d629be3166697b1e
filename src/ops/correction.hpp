#pragma once

// Subtitles Correction: the general clean-up of a SubRip or MicroDVD file. It repairs what
// hand-made and badly converted files get wrong (stray and missing blank lines, empty records,
// timing lines with ":" before the milliseconds, capitals glued to the previous word, bare
// dialogue hyphens, two lines run together with a double space, spaces and NUL characters at the
// line ends, spaces around the MicroDVD line bar) and lists every repair in a "corr" report.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "files/line_io.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoNeedCorrections = "No Need Corrections!";
inline constexpr std::string_view kCheckedWithTimeCorrection = ">> Checked with Time Correction!";

struct CorrectionParams {
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool caseCorrection = DefaultBool("CaseCorrection");
    int deltaNumCorrection = DefaultInt("DeltaNumCorrection");  // largest accepted number jump
    int maxLines = DefaultInt("SubLineCount");                  // sedSubLineCount
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Writes the corrected copy of a SubRip (srt) or MicroDVD (sub) file and the "corr" report;
/// any other extension is refused with a message, also when the run is not interactive.
RunResult SubtitlesCorrection(const std::string& input, const std::string& output,
                              const CorrectionParams& params, Host& host);

/// Trims NUL characters, then spaces, from both ends of the line, also just inside a leading and
/// a trailing edge tag; each kind removed adds key + " = Symbol-Code '0' Deleted!!!" (or '32')
/// to the report. An empty line and a line of one space stay as they are.
void CleanLineEnds(std::string& line, std::string_view key, LineList& report);

/// Holds a bare dialogue hyphen ("-", "<i>-" ...) back in `pending` and leaves `text` empty; any
/// other line comes out in `text`, after the held hyphens and a space, and empties `pending`.
void JoinDialogHyphen(std::string_view line, std::string& pending, std::string& text);

/// Writes a text line. A double space inside it marks subtitle lines run together: each piece
/// is written as a line of its own (reported as key + " = Line Break on N Lines"), except after
/// a dialogue hyphen, where the spaces are only collapsed.
void WriteBreakingDoubleSpaces(LineWriter& out, std::string_view line, std::string_view key,
                               LineList& report);

extern const Operation kSubtitlesCorrectionOperation;

}  // namespace tessaline
