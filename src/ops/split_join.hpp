#pragma once

// Timing and text apart and together again: Split writes a SubRip file's numbers and timing lines
// to a time file (srttime), its text lines to a text file (srttext) and how many text lines each
// subtitle has to a track file (srttrk), so that the text can be edited or translated as plain
// lines; Join rebuilds the SubRip file from the three.
//
// The track file has one line per subtitle, "position=count" (1=2, 2=0, 3=1), a subtitle without
// text included, so that the join puts every text back where it was. Text before the first
// subtitle is recorded as the line "0=count".

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"

namespace tessaline {

inline constexpr std::string_view kNullLogLengthFile = "Null LOG-length-file";
inline constexpr std::string_view kTrackFileNotPresent = "Track File Not Present!!!";

struct SplitTimeTextParams {
    bool interactive = true;
};

struct JoinTimeTextParams {
    bool interactive = true;
};

/// Splits a SubRip file into `textOutput` (film.srttext) and, beside the input, film.srttime and
/// film.srttrk; problems go to the "log" report. Refuses when any of the three files exists.
RunResult SplitTimeText(const std::string& input, const std::string& textOutput,
                        const SplitTimeTextParams& params, Host& host);

/// Rebuilds a SubRip file from the text file `textInput` (film.srttext), the time file
/// `timeInput` and the track file beside the text file (film.srttrk); problems go to the "log"
/// report. A missing track file is refused with a message.
RunResult JoinTimeText(const std::string& textInput, const std::string& timeInput,
                       const std::string& output, const JoinTimeTextParams& params, Host& host);

extern const Operation kSplitTimeTextOperation;
extern const Operation kJoinTimeTextOperation;

}  // namespace tessaline
