#include "app/film_sync.hpp"

#include <algorithm>
#include <cmath>

#include "app/session.hpp"
#include "ops/controls.hpp"
#include "sync/cue_mask.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kNoSyncYet =
    "No film synced yet: Sync to Film... on the Time / Frame Operations page";

std::uint8_t At(const SpeechMask& mask, std::size_t frame) {
    return frame < mask.size() ? mask[frame] : 0;
}

// The share of the frames under subtitles that hold speech.
double OnSpeech(const SpeechMask& subtitles, const SpeechMask& speech) {
    std::size_t under = 0;
    std::size_t spoken = 0;
    for (std::size_t f = 0; f < subtitles.size(); ++f) {
        if (subtitles[f] == 0) continue;
        ++under;
        spoken += At(speech, f);
    }
    return under == 0 ? 0.0 : static_cast<double>(spoken) / static_cast<double>(under);
}

std::string Percent(double share) {
    return std::to_string(std::lround(share * 100)) + "%";
}

}  // namespace

Outcome SyncToFilm(Session& session, const std::string& chosen, bool splits) {
    const bool reference = IsSubtitleInput(chosen);
    session.controls.Set("SyncFilm", reference ? "" : chosen);
    session.controls.Set("SyncReference", reference ? chosen : "");
    session.controls.SetBool("SyncSplits", splits);
    return session.Run(kSyncOperation);
}

SpeechPicture SpeechPictureOf(const SyncPicture& sync, int columns) {
    SpeechPicture picture;
    if (sync.described.empty() || columns <= 0) return picture;
    const SpeechMask before = CueMask(sync.before);
    const SpeechMask after = CueMask(sync.after);
    const std::size_t frames = std::max({sync.speech.size(), before.size(), after.size()});
    picture.endMs = static_cast<std::int64_t>(frames) * kSpeechFrameMs;
    picture.onSpeechBefore = OnSpeech(before, sync.speech);
    picture.onSpeechAfter = OnSpeech(after, sync.speech);
    if (frames == 0) return picture;
    const auto count = static_cast<std::size_t>(columns);
    picture.columns.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        // Each column takes its own frames; with fewer frames than columns a frame fills several.
        const std::size_t first = std::min(c * frames / count, frames - 1);
        const std::size_t last = std::max(first + 1, (c + 1) * frames / count);
        std::size_t speech = 0, under = 0, moved = 0;
        for (std::size_t f = first; f < last; ++f) {
            speech += At(sync.speech, f);
            under += At(before, f);
            moved += At(after, f);
        }
        const auto share = [span = static_cast<float>(last - first)](std::size_t n) {
            return static_cast<float>(n) / span;
        };
        picture.columns[c] = {share(speech), share(under), share(moved)};
    }
    return picture;
}

std::string SpeechSummary(const SyncPicture& sync, const SpeechPicture& picture) {
    if (sync.described.empty()) return std::string(kNoSyncYet);
    return sync.described + ": " + Percent(picture.onSpeechBefore) +
           " of the subtitles' time on speech before the sync, " + Percent(picture.onSpeechAfter) +
           " after";
}

}  // namespace tessaline
