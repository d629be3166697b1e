#pragma once

// The window's "Sync to Film...": the run on the open file, with the chosen file taken as a film
// to listen to or as a reference subtitle file; and the Diag page's picture of what the last sync
// aligned: the film's speech under the subtitles, before and after.

#include <cstdint>
#include <string>
#include <vector>

#include "app/folder_run.hpp"
#include "ops/sync.hpp"

namespace tessaline {

class Session;

/// Syncs the open file to `chosen` into film.out, as every command writes: a subtitle file (by
/// its kind) is read as the reference, anything else is listened to as a film. `splits` lets
/// runs of subtitles take offsets of their own (the window's default; the command line's is
/// off). The session keeps what a sync that wrote aligned (Session::lastSync).
Outcome SyncToFilm(Session& session, const std::string& chosen, bool splits);

/// One column of the picture: the shares of its 10 ms frames that hold speech, and that lie
/// under a subtitle before and after the sync, each from 0 to 1.
struct SpeechColumn {
    float speech = 0;
    float before = 0;
    float after = 0;
};

struct SpeechPicture {
    std::vector<SpeechColumn> columns;
    std::int64_t endMs = 0;  // the time at the right edge
    /// The share of the subtitles' frames that lie on speech, before and after the sync.
    double onSpeechBefore = 0;
    double onSpeechAfter = 0;
};

/// The sync's speech and subtitles over `columns` columns from time 0 to the latest frame of
/// any of them. Nothing for a picture without a sync.
[[nodiscard]] SpeechPicture SpeechPictureOf(const SyncPicture& sync, int columns);

/// The line over the picture: "film.mp4, audio track 1: 41% of the subtitles' time on speech
/// before the sync, 93% after"; without a sync, where to start one.
[[nodiscard]] std::string SpeechSummary(const SyncPicture& sync, const SpeechPicture& picture);

}  // namespace tessaline
