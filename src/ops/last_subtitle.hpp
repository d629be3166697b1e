#pragma once

// Three small whole-file operations on the end and the order of the subtitles: Add Last Subtitle
// appends a subtitle after the last one, Del Last Subtitle drops the last one, Subtitle Time
// Correction moves each on-time that falls before the previous off-time.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

struct AddLastSubtitleParams {
    /// AddTimeFromLastTime: the gap after the last off-time, hh:mm:ss.
    std::string gap = std::string(DefaultText("AddTimeFromLastTime"));
    /// AddTimeDeltaTime: how long the added subtitle shows, hh:mm:ss.
    std::string duration = std::string(DefaultText("AddTimeDeltaTime"));
    /// MemoSubLines: the text; each line feed starts a new display line.
    std::string text;
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

struct DelLastSubtitleParams {
    bool interactive = true;
};

struct SubtitleTimeCorrectionParams {
    /// OneTickDifferenceNearTimeFrame: a moved on-time starts 1 ms (1 frame) after the previous
    /// off-time instead of at it.
    bool oneTick = DefaultBool("OneTickDifferenceNearTimeFrame");
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Copies the file and appends one subtitle: SubRip with the next number, starting the gap after
/// the last off-time and lasting the duration; MicroDVD with the frames of the last frame line.
RunResult AddLastSubtitle(const std::string& input, const std::string& output,
                          const AddLastSubtitleParams& params, Host& host);

/// Copies the file without its last subtitle; SubRip subtitles are written with exactly one
/// closing empty line, MicroDVD empty lines are dropped.
RunResult DelLastSubtitle(const std::string& input, const std::string& output,
                          const DelLastSubtitleParams& params, Host& host);

/// Moves the on-time of every subtitle that starts before the previous one ends to the previous
/// off-time (one tick after it). A subtitle that would then start after its own end keeps its
/// timing and goes to the "wrong" report.
RunResult SubtitleTimeCorrection(const std::string& input, const std::string& output,
                                 const SubtitleTimeCorrectionParams& params, Host& host);

extern const Operation kAddLastSubtitleOperation;
extern const Operation kDelLastSubtitleOperation;
extern const Operation kSubtitleTimeCorrectionOperation;

}  // namespace tessaline
