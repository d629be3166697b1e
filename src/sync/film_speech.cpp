// Listening to a film: its audio track decoded with FFmpeg's libraries, resampled to 16 kHz mono
// and cut into 10 ms frames that the speech detector judges one by one. Nothing but the mask and
// a few packets is ever held, so a feature-length film costs well under a megabyte of mask.
#include "sync/film_speech.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessaline {
namespace {

constexpr int kRate = 16000;
constexpr std::size_t kFrameSamples = kRate * kSpeechFrameMs / 1000;
// Progress is reported once per this many mask frames (a minute of audio).
constexpr std::size_t kProgressEvery = 6000;

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ResamplerFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

FilmError Unreadable(const std::string& path, int code) {
    return FilmError(path + " cannot be read: " + AvError(code));
}

// Collects resampled samples and hands them to the detector 10 ms at a time; keeps only the
// remainder of one frame between calls.
class FrameFeeder {
  public:
    explicit FrameFeeder(SpeechDetector& detector) : detector_(detector) {
        pending_.reserve(kFrameSamples);
    }

    /// Frames in which the audio has not started yet: silence, without asking the detector.
    void AddSilentFrames(std::size_t count) { mask_.insert(mask_.end(), count, 0); }

    void AddSilentSamples(std::size_t count) {
        static constexpr std::int16_t kZeros[kFrameSamples] = {};
        while (count > 0) {
            const std::size_t n = std::min(count, kFrameSamples);
            Add({kZeros, n});
            count -= n;
        }
    }

    void Add(std::span<const std::int16_t> samples) {
        while (!samples.empty()) {
            if (pending_.empty() && samples.size() >= kFrameSamples) {
                Judge(samples.first(kFrameSamples));
                samples = samples.subspan(kFrameSamples);
                continue;
            }
            const std::size_t n = std::min(kFrameSamples - pending_.size(), samples.size());
            pending_.insert(pending_.end(), samples.begin(), samples.begin() + n);
            samples = samples.subspan(n);
            if (pending_.size() == kFrameSamples) {
                Judge(pending_);
                pending_.clear();
            }
        }
    }

    /// The last, partial frame is judged padded with silence, so the mask covers every sample.
    SpeechMask Finish() {
        if (!pending_.empty()) {
            pending_.resize(kFrameSamples, 0);
            Judge(pending_);
            pending_.clear();
        }
        return std::move(mask_);
    }

    std::size_t frames() const { return mask_.size(); }

  private:
    void Judge(std::span<const std::int16_t> frame) {
        mask_.push_back(detector_.IsSpeech(frame) ? 1 : 0);
    }

    SpeechDetector& detector_;
    std::vector<std::int16_t> pending_;
    SpeechMask mask_;
};

// The index among all streams of audio track `track` (1-based among the audio streams; 0 picks
// the one ffmpeg would play), and the track's 1-based number.
std::pair<int, int> ChooseStream(AVFormatContext* format, const std::string& path, int track) {
    std::vector<int> audio;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            audio.push_back(static_cast<int>(i));
    if (track <= 0) {
        if (audio.empty()) throw FilmError(path + ": no audio track");
        const int best = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (best < 0) throw FilmError(path + ": no audio track");
        const auto at = std::find(audio.begin(), audio.end(), best);
        return {best, static_cast<int>(at - audio.begin()) + 1};
    }
    if (static_cast<std::size_t>(track) > audio.size())
        throw FilmError(path + " has no audio track " + std::to_string(track));
    return {audio[static_cast<std::size_t>(track) - 1], track};
}

// How late the stream's first sample comes after the film's time 0, in seconds. Time 0 is where
// the container starts, as players count it; a container that starts before 0 (Opus and AAC
// encoder delay written as a negative time) starts at 0, since its decoder drops those samples.
// An audio frame that starts before time 0 counts as starting at 0.
double StartDelay(const AVFormatContext* format, const AVStream* stream, std::int64_t firstPts) {
    const std::int64_t start = firstPts != AV_NOPTS_VALUE ? firstPts : stream->start_time;
    if (start == AV_NOPTS_VALUE) return 0;
    double seconds = static_cast<double>(start) * av_q2d(stream->time_base);
    if (format->start_time != AV_NOPTS_VALUE && format->start_time > 0)
        seconds -= static_cast<double>(format->start_time) / AV_TIME_BASE;
    return std::max(0.0, seconds);
}

}  // namespace

FilmSpeech ListenToFilm(const std::string& path, int track, SpeechDetector& detector,
                        const std::function<bool(double)>& progress) {
    // FFmpeg's own warnings (a damaged packet, a guessed layout) would go to stderr, in the
    // middle of the program's output; the errors that matter come back as FilmError.
    av_log_set_level(AV_LOG_QUIET);

    AVFormatContext* opened = nullptr;
    if (const int rc = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); rc < 0)
        throw Unreadable(path, rc);
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (const int rc = avformat_find_stream_info(format.get(), nullptr); rc < 0)
        throw Unreadable(path, rc);

    const auto [streamIndex, trackNumber] = ChooseStream(format.get(), path, track);
    AVStream* stream = format->streams[streamIndex];
    // The demuxer drops every other stream's packets unread.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != streamIndex) format->streams[i]->discard = AVDISCARD_ALL;

    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) throw Unreadable(path, AVERROR_DECODER_NOT_FOUND);
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder) throw Unreadable(path, AVERROR(ENOMEM));
    if (const int rc = avcodec_parameters_to_context(decoder.get(), stream->codecpar); rc < 0)
        throw Unreadable(path, rc);
    decoder->pkt_timebase = stream->time_base;
    if (const int rc = avcodec_open2(decoder.get(), codec, nullptr); rc < 0)
        throw Unreadable(path, rc);

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    if (!packet || !frame) throw Unreadable(path, AVERROR(ENOMEM));
    std::unique_ptr<SwrContext, ResamplerFreer> resampler;
    std::vector<std::int16_t> resampled;

    const double duration =
        format->duration > 0 ? static_cast<double>(format->duration) / AV_TIME_BASE : 0;
    FrameFeeder feeder(detector);
    bool started = false;
    std::size_t nextProgress = kProgressEvery;

    auto resample = [&](const AVFrame* in) {
        const int inCount = in != nullptr ? in->nb_samples : 0;
        const int room = swr_get_out_samples(resampler.get(), inCount);
        if (room <= 0) return;
        resampled.resize(static_cast<std::size_t>(room));
        auto* out = reinterpret_cast<std::uint8_t*>(resampled.data());
        const int got = swr_convert(resampler.get(), &out, room,
                                    in != nullptr ? const_cast<const std::uint8_t**>(in->extended_data)
                                                  : nullptr,
                                    inCount);
        if (got < 0) throw Unreadable(path, got);
        feeder.Add({resampled.data(), static_cast<std::size_t>(got)});
    };

    // The resampler is set up from what the decoder really gives (the stream's header may leave
    // the layout or format open), and set up again when that changes in the middle of the film
    // (a broadcast switching between stereo and 5.1), after handing on what it still holds.
    int inFormat = -1;
    int inRate = 0;
    AVChannelLayout inLayout{};
    auto setUpResampler = [&](const AVFrame* in) {
        AVChannelLayout layout{};
        if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || in->ch_layout.nb_channels == 0)
            av_channel_layout_default(&layout, std::max(1, in->ch_layout.nb_channels));
        else
            av_channel_layout_copy(&layout, &in->ch_layout);
        if (resampler && in->format == inFormat && in->sample_rate == inRate &&
            av_channel_layout_compare(&layout, &inLayout) == 0) {
            av_channel_layout_uninit(&layout);
            return;
        }
        if (resampler) resample(nullptr);
        av_channel_layout_uninit(&inLayout);
        inLayout = layout;
        inFormat = in->format;
        inRate = in->sample_rate;

        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* made = nullptr;
        int rc = swr_alloc_set_opts2(&made, &mono, AV_SAMPLE_FMT_S16, kRate, &inLayout,
                                     static_cast<AVSampleFormat>(inFormat), inRate, 0, nullptr);
        resampler.reset(made);
        // Half the default filter length: resampling a film costs as much as decoding it, and
        // the detector, which looks at bands below 4 kHz, finds the same speech either way.
        if (rc >= 0) rc = av_opt_set_int(resampler.get(), "filter_size", 16, 0);
        if (rc >= 0) rc = swr_init(resampler.get());
        if (rc < 0) throw Unreadable(path, rc);
    };
    struct LayoutFreer {
        AVChannelLayout& layout;
        ~LayoutFreer() { av_channel_layout_uninit(&layout); }
    } freeLayout{inLayout};

    // The first decoded frame places the audio in time.
    auto start = [&](const AVFrame* first) {
        const double delay = StartDelay(format.get(), stream, first->best_effort_timestamp);
        const auto delaySamples = static_cast<std::size_t>(std::llround(delay * kRate));
        feeder.AddSilentFrames(delaySamples / kFrameSamples);
        feeder.AddSilentSamples(delaySamples % kFrameSamples);
        started = true;
    };

    auto drain = [&]() {
        for (;;) {
            const int rc = avcodec_receive_frame(decoder.get(), frame.get());
            if (rc < 0) return;  // EAGAIN: it wants the next packet; EOF: all is out
            if (!started) start(frame.get());
            setUpResampler(frame.get());
            resample(frame.get());
            av_frame_unref(frame.get());
        }
    };

    for (;;) {
        const int rc = av_read_frame(format.get(), packet.get());
        if (rc == AVERROR_EOF) break;
        if (rc < 0) {
            // A film cut short (a broken download) ends where its data ends, once some audio has
            // been heard; a read error before that is the film's fault.
            if (rc == AVERROR_INVALIDDATA && started) break;
            throw Unreadable(path, rc);
        }
        if (packet->stream_index == streamIndex) {
            int sent = avcodec_send_packet(decoder.get(), packet.get());
            if (sent == AVERROR(EAGAIN)) {
                drain();
                sent = avcodec_send_packet(decoder.get(), packet.get());
            }
            // A damaged packet is dropped; the decoder picks up at the next one.
            if (sent >= 0) drain();
        }
        av_packet_unref(packet.get());

        if (progress && feeder.frames() >= nextProgress) {
            nextProgress = feeder.frames() + kProgressEvery;
            const double done = static_cast<double>(feeder.frames()) * kSpeechFrameMs / 1000;
            if (!progress(duration > 0 ? std::min(1.0, done / duration) : 0.0))
                throw FilmError("cancelled");
        }
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    if (!started)
        throw FilmError(path + " cannot be read: no sound in audio track " +
                        std::to_string(trackNumber));
    resample(nullptr);

    FilmSpeech result;
    result.mask = feeder.Finish();
    result.track = trackNumber;
    const auto spoken = std::count(result.mask.begin(), result.mask.end(), std::uint8_t{1});
    result.speechShare =
        result.mask.empty() ? 0.0 : static_cast<double>(spoken) / static_cast<double>(result.mask.size());
    if (progress && !progress(1.0)) throw FilmError("cancelled");
    return result;
}

}  // namespace tessaline
