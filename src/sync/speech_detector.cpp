// The WebRTC implementation of SpeechDetector, through the public C++ API of Debian's
// libwebrtc-audio-processing (the package does not ship the plain C VAD header).
#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "sync/film_speech.hpp"

namespace tessaline {
namespace {

constexpr int kSampleRate = 16000;
constexpr std::size_t kFrameSamples = kSampleRate * kSpeechFrameMs / 1000;

class WebRtcSpeechDetector final : public SpeechDetector {
  public:
    WebRtcSpeechDetector() : apm_(webrtc::AudioProcessing::Create()) {
        if (apm_ == nullptr) throw std::runtime_error("cannot start the voice activity detector");
        // Only the detector runs: every other stage of the processing is off by default.
        webrtc::VoiceDetection* vad = apm_->voice_detection();
        // The lowest likelihood is the most aggressive mode: fewest frames called speech, which
        // is what resists music and noise best.
        if (vad->Enable(true) != webrtc::AudioProcessing::kNoError ||
            vad->set_likelihood(webrtc::VoiceDetection::kVeryLowLikelihood) !=
                webrtc::AudioProcessing::kNoError ||
            vad->set_frame_size_ms(kSpeechFrameMs) != webrtc::AudioProcessing::kNoError)
            throw std::runtime_error("cannot start the voice activity detector");
        frame_.sample_rate_hz_ = kSampleRate;
        frame_.num_channels_ = 1;
        frame_.samples_per_channel_ = kFrameSamples;
    }

    bool IsSpeech(std::span<const std::int16_t> samples) override {
        // A short last frame is padded with silence; a longer one is cut to 10 ms.
        const std::size_t n = std::min(samples.size(), kFrameSamples);
        std::memcpy(frame_.data_, samples.data(), n * sizeof(std::int16_t));
        std::fill(frame_.data_ + n, frame_.data_ + kFrameSamples, std::int16_t{0});
        frame_.samples_per_channel_ = kFrameSamples;
        frame_.sample_rate_hz_ = kSampleRate;
        frame_.num_channels_ = 1;
        if (apm_->ProcessStream(&frame_) != webrtc::AudioProcessing::kNoError) return false;
        return apm_->voice_detection()->stream_has_voice();
    }

  private:
    std::unique_ptr<webrtc::AudioProcessing> apm_;
    webrtc::AudioFrame frame_;
};

}  // namespace

std::unique_ptr<SpeechDetector> MakeWebRtcSpeechDetector() {
    return std::make_unique<WebRtcSpeechDetector>();
}

}  // namespace tessaline
