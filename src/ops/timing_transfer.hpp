#pragma once

// Timings from a second subtitle file, the add file, for a file whose text is right but whose
// timings are not (a translation timed against another release): Replace Timings pairs the
// subtitles by number (or by position) and takes the add file's timing line for each; Compare
// Timings pairs them by closeness of their times or by likeness of their texts, tolerating
// subtitles that only one file has. Both read the two files in one pass.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kFilesHaveDifferentExtensions = "Files has different extensions";
inline constexpr std::string_view kNullReplaceLengthFile = "Null Replace-length-file";
inline constexpr std::string_view kNullCmpLengthFile = "Null Cmp-length-file";

struct ReplaceTimingsParams {
    /// ReplaceNullSubText (cbReplaceNullSubText): a subtitle without text takes the paired add
    /// subtitle's text.
    bool replaceNullText = DefaultBool("ReplaceNullSubText");
    /// RandomNum (cbRandomNum): pair the n-th subtitles whatever their numbers.
    bool byPosition = DefaultBool("RandomNum");
    bool timeCorrection = DefaultBool("TimeCorrection");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// The parts-and-tails settings: how much of a text line the text comparison looks for.
struct PartsAndTails {
    int more12 = DefaultInt("more12");
    int more24 = DefaultInt("more24");
    int parts0 = DefaultInt("parts0");
    int tails0 = DefaultInt("tails0");
    int parts12 = DefaultInt("parts12");
    int tails12 = DefaultInt("tails12");
    int parts24 = DefaultInt("parts24");
    int tails24 = DefaultInt("tails24");
};

enum class CompareMode {
    Time = 0,       // the on- or the off-times closer than the tolerance
    InWithAdd = 1,  // the open file's text lines found in the add file's
    AddWithIn = 2,  // the add file's text lines found in the open file's
};

struct CompareTimingsParams {
    /// TimingsModeCompare (rgTimingsModeCompare).
    CompareMode mode = static_cast<CompareMode>(DefaultInt("TimingsModeCompare"));
    /// DeltaTime (edDeltaTime): the time tolerance, hh:mm:ss,mmm; a difference of exactly it
    /// does not pair.
    std::string deltaTime = std::string(DefaultText("DeltaTime"));
    /// RoundWord (cbRoundWord): the pieces of text compared end at word boundaries.
    bool roundWord = DefaultBool("RoundWord");
    /// InsTimings (cbInsTiming): an unpaired subtitle gets the add file's timing as a marked
    /// line "<[-= ... =-]>" after its own.
    bool insTime = DefaultBool("InsTimings");
    PartsAndTails parts;
    bool timeCorrection = DefaultBool("TimeCorrection");
    bool interactive = true;
};

/// Writes the open file with the add file's timing lines (SubRip) or frames (MicroDVD) in place
/// of its own; the "replace" report lists the subtitles that had no partner or no text.
RunResult ReplaceTimings(const std::string& input, const std::string& add,
                         const std::string& output, const ReplaceTimingsParams& params, Host& host);

/// Writes the open SubRip file with the timing of each subtitle paired in the add file; the
/// report "cmp0", "cmp1" or "cmp2" (by mode) says what happened to every subtitle.
RunResult CompareTimings(const std::string& input, const std::string& add,
                         const std::string& output, const CompareTimingsParams& params, Host& host);

extern const Operation kReplaceTimingsOperation;
extern const Operation kCompareTimingsOperation;

}  // namespace tessaline
