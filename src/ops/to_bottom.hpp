#pragma once

// "Subtitles To Bottom": every subtitle brought to the same number of lines by lines holding
// one space above its text, so that short subtitles sit at the bottom of the picture like the
// long ones.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoBottomSubtitles = "No Bottom Subtitles!";

struct ToBottomParams {
    int lineCount = DefaultInt("SubLineCount");  // sedSubLineCount: the lines of every subtitle
    bool keepFirst = false;                      // cbFirstSubtitle: the first stays as it is
    int subtitleFullLength = DefaultInt("SubtitleFullLength");
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Pads the subtitles of a SubRip or MicroDVD file from above; the report "bottom" counts
/// them and lists long subtitles and the spaces removed beside MicroDVD line bars.
RunResult SubtitlesToBottom(const std::string& input, const std::string& output,
                            const ToBottomParams& params, Host& host);

extern const Operation kToBottomOperation;

}  // namespace tessaline
