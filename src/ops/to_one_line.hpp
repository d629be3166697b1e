#pragma once

// "Subtitles To One Line": every subtitle's text lines joined into one line, or one line per
// speaker in a dialogue, and tidied: the usual first step before the lines are cut again to a
// length ("Set Length").

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNullFullLengthFile = "Null Full-length-file";

struct ToOneLineParams {
    bool saveSubLength = DefaultBool("SaveSubLength");            // keep subtitles whose lines fit
    int lineLength = DefaultInt("SubLineLength");                 // the fit test of saveSubLength
    bool addSpaces = DefaultBool("LineAddSpaceAfterDelimiters");  // a space after delimiters
    std::string delimiters = std::string(DefaultText("Delimiters"));
    bool useExclude = DefaultBool("UseExclude");  // the careful form of the space insertion
    std::string excludeFix = std::string(DefaultText("ExcludeFix"));
    int fixDelimitersMode = DefaultInt("FixDelimitersMode");
    bool correctInsideTags = DefaultBool("CorrectInsideTAGs");  // "</i> <i>" becomes " "
    int subtitleFullLength = DefaultInt("SubtitleFullLength");  // longer subtitles are reported
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Joins the lines of every SubRip or MicroDVD subtitle; the report "full" lists the subtitles
/// left as they were, dropped as empty, or longer than the full length.
RunResult SubtitlesToOneLine(const std::string& input, const std::string& output,
                             const ToOneLineParams& params, Host& host);

extern const Operation kToOneLineOperation;

}  // namespace tessaline
