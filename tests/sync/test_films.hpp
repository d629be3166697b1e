#pragma once
// Test films made at test time by make_film.py (espeak-ng over a background, encoded by ffmpeg),
// with the speech times known exactly.
#include <filesystem>
#include <string>
#include <vector>

#include "sync/film_speech.hpp"

namespace tessaline::testfilms {

/// Whether python3, espeak-ng and ffmpeg are all on PATH; tests skip without them.
[[nodiscard]] bool ToolsPresent();

/// The folder of the film that make_film.py makes with `options`, made on first use and kept
/// under the build tree (`name` must differ between option sets). Throws std::runtime_error with
/// the script's message when it fails.
[[nodiscard]] std::filesystem::path Make(const std::string& name, const std::string& options);

/// The spoken lines' times from the folder's film.truth.
struct Line {
    int startMs = 0;
    int endMs = 0;
};
[[nodiscard]] std::vector<Line> ReadTruth(const std::filesystem::path& folder);

/// The mask `frames` long that the lines make, each 10 ms frame speech when its middle lies in a
/// line, the whole shifted `shiftFrames` later.
[[nodiscard]] SpeechMask TruthMask(const std::vector<Line>& lines, std::size_t frames,
                                   std::size_t shiftFrames = 0);

/// The share of frames on which two masks agree, over the longer one (a frame one lacks counts
/// as silence).
[[nodiscard]] double Agreement(const SpeechMask& a, const SpeechMask& b);

}  // namespace tessaline::testfilms
