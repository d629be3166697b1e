#pragma once

// Dialog and big-text breaking: an over-full subtitle is split into two consecutive subtitles
// that divide its display time. "Break Sub Dialog" splits a dialogue at its second speaker (and,
// with BreakBigText, a long text in its middle); "Break Big Text" splits a long text that is no
// dialogue in its middle, at a punctuation mark near the centre.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoBreaksOfSubtitles = "No Breaks of Subtitles!";

struct BreakParams {
    int lineLength = DefaultInt("SubLineLength");  // for the display lines a text line needs
    int breakDialogCount = DefaultInt("BreakDialogCount");  // split from this many lines on
    int lineCount = DefaultInt("SubLineCount");             // Break Big Text: the allowed total
    int maxSubLengthCorrection = DefaultInt("MaxSubLengthCorrection");  // ... less this
    int subtitleFullLength = DefaultInt("SubtitleFullLength");  // longer subtitles are noted
    bool breakBigText = DefaultBool("BreakBigText");  // Break Sub Dialog splits big texts too
    int bigTextCenterWidth = DefaultInt("BigTextCenterWidth");        // where a big text may be cut
    std::string delimiters = std::string(DefaultText("Delimiters"));  // cut marks besides . ,
    bool oneTickDifference = DefaultBool("OneTickDifferenceNearTimeFrame");
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Splits the dialogues of a SubRip or MicroDVD file that need too many lines (and big texts
/// with BreakBigText); the report "DiaBreak" lists every split.
RunResult BreakSubDialog(const std::string& input, const std::string& output,
                         const BreakParams& params, Host& host);

/// Splits the subtitles that are no dialogue and longer than SubLineCount lines allow; the
/// report "BigBreak" lists every split.
RunResult BreakBigText(const std::string& input, const std::string& output,
                       const BreakParams& params, Host& host);

extern const Operation kBreakSubDialogOperation;
extern const Operation kBreakBigTextOperation;

}  // namespace tessaline
