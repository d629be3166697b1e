#pragma once

// Syncing a subtitle file to a film by listening to it (or to a correctly timed subtitle file of
// the same film): the aligner (sync/aligner.hpp) finds the frame-rate ratio and the offset of
// each run of subtitles; every time is then written as t * ratio + offset of its run. SubRip and
// SubStation files are synced in times, MicroDVD files through their frame rate. Text, order,
// count and every tag stay as they were.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"
#include "sync/aligner.hpp"

namespace tessaline {

/// The status line of a sync the user cancelled while the film was listened to.
inline constexpr std::string_view kSyncCancelled = "Sync to Film cancelled: nothing written";

/// What a sync that wrote its output aligned, for a picture of it: the speech it listened to (or
/// the reference's subtitles as speech), and every subtitle's times before and after.
struct SyncPicture {
    /// "film.mkv, audio track 1" or "other.srt"; empty when nothing was synced.
    std::string described;
    SpeechMask speech;
    std::vector<Cue> before;
    std::vector<Cue> after;
};

struct SyncParams {
    /// The film (or audio file) to listen to; empty when a reference is given.
    std::string film;
    /// A correctly timed subtitle file of the same film; used when `film` is empty.
    std::string reference;
    /// The audio track, 1-based among the film's audio streams; 0: the best one.
    int track = 0;
    AlignParams align;
    bool timeCorrection = DefaultBool("TimeCorrection");
    /// The MicroDVD frame rate (FramesAtSec), decimal comma.
    std::string framesAtSec = std::string(DefaultText("FramesAtSec"));
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
    /// Filled when the run writes its output (null: not kept).
    SyncPicture* picture = nullptr;
};

/// Reads the cues of a SubRip, SubStation or MicroDVD file (by its extension) in file order.
/// Writes nothing; the result is that of the reading frame.
RunResult ReadSubtitleCues(const std::string& input, const SyncParams& params, Host& host,
                           std::vector<Cue>& cues);

/// Syncs the input into the output, with the report input.sync. Refuses, writing nothing, when
/// the film has no speech or the subtitles do not match it well enough.
RunResult SyncSubtitles(const std::string& input, const std::string& output,
                        const SyncParams& params, Host& host);

extern const Operation kSyncOperation;

}  // namespace tessaline
