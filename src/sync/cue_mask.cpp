#include "sync/cue_mask.hpp"

#include <algorithm>
#include <cmath>

namespace tessaline {

std::int64_t FrameOfMs(double ms) {
    return std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(ms / kSpeechFrameMs)));
}

SpeechMask CueMask(std::span<const Cue> cues, double ratio) {
    std::int64_t frames = 0;
    for (const Cue& cue : cues)
        frames = std::max(frames, FrameOfMs(static_cast<double>(cue.end) * ratio));
    SpeechMask mask(static_cast<std::size_t>(frames), 0);
    for (const Cue& cue : cues) {
        const std::int64_t from = FrameOfMs(static_cast<double>(cue.start) * ratio);
        const std::int64_t to = FrameOfMs(static_cast<double>(cue.end) * ratio);
        for (std::int64_t f = from; f < to; ++f)
            mask[static_cast<std::size_t>(f)] = 1;
    }
    return mask;
}

double SpeechShare(const SpeechMask& mask) {
    if (mask.empty()) return 0;
    const auto marked =
        std::count_if(mask.begin(), mask.end(), [](std::uint8_t v) { return v != 0; });
    return static_cast<double>(marked) / static_cast<double>(mask.size());
}

}  // namespace tessaline
