#pragma once

// Finding how a subtitle file's times map onto a film: a frame-rate ratio, and an offset for each
// run of subtitles (one run, or several when the film has a cut or inserted material).
//
// The subtitles become a mask of the speech frames (sync/cue_mask.hpp). The global offset comes
// from the cross-correlation of the two masks, computed with an FFT so that every offset within
// the limit is scored at once, for each frame-rate ratio tried. With splits, a dynamic programme
// then lets runs of subtitles take offsets of their own at a penalty per break.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sync/cue_mask.hpp"
#include "sync/film_speech.hpp"

namespace tessaline {

/// Below this the match is refused: how many standard deviations the correlation peak stands
/// above the other offsets' scores. Another film's subtitles peak at 3 to 5.
inline constexpr double kMinConfidence = 8;
/// Below this share of speech frames the film (or the reference) has nothing to align to.
inline constexpr double kMinSpeechShare = 0.02;
/// Seconds of subtitle time that a break must bring into agreement with the speech to be made.
inline constexpr double kDefaultSplitPenalty = 10;
inline constexpr std::int64_t kDefaultMaxOffsetMs = 60'000;

struct AlignParams {
    /// Offsets from -maxOffsetMs to +maxOffsetMs are tried.
    std::int64_t maxOffsetMs = kDefaultMaxOffsetMs;
    bool splits = false;
    double splitPenalty = kDefaultSplitPenalty;
};

/// A run of subtitles that moves as one: from cue `firstCue` to the next part's first.
struct AlignPart {
    std::size_t firstCue = 0;
    std::int64_t offsetMs = 0;
};

struct Alignment {
    /// t' = t * ratio + offset of the cue's part.
    double ratio = 1;
    /// The two frame rates the ratio stands for (from / to); 0 when the ratio is 1.
    double fromRate = 0;
    double toRate = 0;
    std::vector<AlignPart> parts;  // in cue order, the first from cue 0
    double confidence = 0;
    /// Splits were asked for but not tried: too many subtitles times offsets.
    bool splitsSkipped = false;
};

/// The ratio tried besides 1: each ordered pair of the common frame rates.
struct RatePair {
    double from;
    double to;
};
[[nodiscard]] std::span<const RatePair> SyncRatePairs();

/// Aligns the cues (in file order) to the speech mask. Never refuses: the caller compares the
/// confidence with kMinConfidence.
[[nodiscard]] Alignment Align(std::span<const Cue> cues, const SpeechMask& speech,
                              const AlignParams& params);

/// For a reference subtitle file: moves each part's offset by the median distance between its
/// mapped starts and the nearest reference starts, so that the result is exact to the
/// millisecond rather than to the 10 ms frame.
void RefineOnReference(Alignment& alignment, std::span<const Cue> cues,
                       std::span<const Cue> reference);

/// The part a cue belongs to.
[[nodiscard]] std::size_t PartOf(const Alignment& alignment, std::size_t cue);

/// Where a time of cue `cue` lands (may be negative).
[[nodiscard]] std::int64_t MapTime(const Alignment& alignment, std::size_t cue, std::int64_t ms);

}  // namespace tessaline
