#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaline {

/// The length of one frame of the speech mask.
inline constexpr int kSpeechFrameMs = 10;

/// One byte per 10 ms frame from the film's time 0: 1 where someone speaks, 0 elsewhere.
using SpeechMask = std::vector<std::uint8_t>;

/// Decides speech frame by frame: 160 samples of 16 kHz mono (10 ms).
class SpeechDetector {
  public:
    virtual ~SpeechDetector() = default;
    virtual bool IsSpeech(std::span<const std::int16_t> frame) = 0;
};
/// WebRTC's voice activity detector at its most aggressive setting.
/// This and ListenToFilm load the module tessaline-listen.so on first use; when it is missing or
/// cannot be loaded they throw FilmError ("cannot listen to films: ...").
std::unique_ptr<SpeechDetector> MakeWebRtcSpeechDetector();

/// A film that cannot be listened to: no such file, no audio stream, no track N, undecodable.
/// what() is the message for the user ("film.mkv has no audio track 3").
class FilmError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct FilmSpeech {
    SpeechMask mask;
    int track = 0;             // the audio track listened to, 1-based among the audio streams
    double speechShare = 0;    // the share of frames with speech, 0..1
};

/// Decodes audio track `track` (1-based among the film's audio streams; 0: the best one, as
/// ffmpeg would choose), resampled to 16 kHz mono, the stream's start delay honoured (frames
/// before the audio starts are silence), and runs `detector` over it frame by frame. Streams:
/// memory stays small however long the film. `progress` (may be empty) gets the fraction done
/// now and then and returns false to cancel (then FilmError("cancelled") is thrown).
FilmSpeech ListenToFilm(const std::string& path, int track, SpeechDetector& detector,
                        const std::function<bool(double)>& progress = {});

}  // namespace tessaline
