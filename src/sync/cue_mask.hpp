#pragma once

// Subtitles seen as the film's speech mask sees speech: the 10 ms frames each subtitle covers.
// The aligner compares such a mask with the film's (or with a reference subtitle file's).

#include <cstdint>
#include <span>

#include "sync/film_speech.hpp"

namespace tessaline {

/// One subtitle's span in milliseconds, as its file gives it.
struct Cue {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

/// The frame that holds a time in milliseconds (times before 0 fall in frame 0).
[[nodiscard]] std::int64_t FrameOfMs(double ms);

/// The frames the cues cover once their times are multiplied by `ratio`: 1 under a subtitle, 0
/// elsewhere, from time 0 to the end of the latest cue.
[[nodiscard]] SpeechMask CueMask(std::span<const Cue> cues, double ratio = 1.0);

/// The share of frames marked 1, 0 for an empty mask.
[[nodiscard]] double SpeechShare(const SpeechMask& mask);

}  // namespace tessaline
