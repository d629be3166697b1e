#include "sync/aligner.hpp"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <type_traits>

namespace tessaline {
namespace {

// The rates are the ones the frame-rate lists write: the program's own stretch turns "23,976"
// into 23.976, so a file stretched by it comes back exactly.
constexpr double kRates[] = {23.976, 24, 25, 29.97};

constexpr auto MakePairs() {
    std::array<RatePair, 12> pairs{};
    std::size_t n = 0;
    for (double from : kRates) {
        for (double to : kRates) {
            if (from != to) pairs[n++] = {from, to};
        }
    }
    return pairs;
}
constexpr auto kRatePairs = MakePairs();

// A ratio other than 1 wins only when its agreement (from -1 to 1) beats that of 1 by this
// much: 24 / 23.976 and its like move a short film's subtitles by less than the detector's
// noise, and a false stretch is worse than a small drift.
constexpr double kRatioMargin = 0.02;

// The peak's own shoulder is left out of the scores it is compared with: a subtitle still
// overlaps its own speech at offsets up to its length, so offsets within 3 s of the peak are
// the peak seen again, not the rest. (Measured on a 170 s synthetic film: the right match
// stands 11 deviations above the rest with 3 s left out, 9 with 0.5 s; another film's
// subtitles 3 to 4 either way.)
constexpr std::int64_t kPeakShoulderFrames = 300;

struct KissFree {
    void operator()(kiss_fftr_cfg cfg) const { kiss_fftr_free(cfg); }
};
using KissPlan = std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, KissFree>;

// Half the window of the local mean taken off each mask before correlating: 0.5 s each way.
constexpr std::ptrdiff_t kLocalMeanFrames = 50;

// The ±1 values of a mask, each less the mean of the values within 0.5 s of it, in a
// zero-padded buffer of length n. The plain ±1 masks correlate at every offset through their
// long runs (a line and a pause last seconds), so on a film of a few minutes the true offset
// stands only 6 to 7 deviations above the rest; with the slow part taken off, what correlates is
// where speech starts and stops, and the true offset stands 20 or more above the rest while
// another film's subtitles stay at 3 to 4 (measured on 150 s test films, AAC, WebRTC's
// detector). The local mean also does what a global one would: the overlap's length alone no
// longer makes some offsets score higher.
std::vector<kiss_fft_scalar> HighPassed(const SpeechMask& mask, std::size_t n) {
    std::vector<kiss_fft_scalar> values(n, 0);
    const auto size = static_cast<std::ptrdiff_t>(mask.size());
    std::vector<std::int64_t> sums(mask.size() + 1, 0);
    for (std::size_t i = 0; i < mask.size(); ++i)
        sums[i + 1] = sums[i] + (mask[i] != 0 ? 1 : -1);
    for (std::ptrdiff_t i = 0; i < size; ++i) {
        const std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, i - kLocalMeanFrames);
        const std::ptrdiff_t to = std::min(size, i + kLocalMeanFrames + 1);
        const double mean = static_cast<double>(sums[static_cast<std::size_t>(to)] -
                                                sums[static_cast<std::size_t>(from)]) /
                            static_cast<double>(to - from);
        const double value = mask[static_cast<std::size_t>(i)] != 0 ? 1 : -1;
        values[static_cast<std::size_t>(i)] = static_cast<kiss_fft_scalar>(value - mean);
    }
    return values;
}

// Scores every offset d in [-m, m] of one subtitle mask against the film's: the sum over the
// subtitle frames i of film[i + d] * subtitles[i], through one forward and one inverse FFT.
class Correlator {
  public:
    Correlator(const SpeechMask& film, std::size_t longestSubtitles, std::int64_t maxFrames)
        : maxFrames_(maxFrames) {
        const std::size_t need =
            std::max(film.size(), longestSubtitles) + static_cast<std::size_t>(maxFrames) + 1;
        n_ = static_cast<std::size_t>(kiss_fftr_next_fast_size_real(static_cast<int>(need)));
        forward_.reset(kiss_fftr_alloc(static_cast<int>(n_), 0, nullptr, nullptr));
        inverse_.reset(kiss_fftr_alloc(static_cast<int>(n_), 1, nullptr, nullptr));
        filmSpectrum_.resize(n_ / 2 + 1);
        const std::vector<kiss_fft_scalar> values = HighPassed(film, n_);
        kiss_fftr(forward_.get(), values.data(), filmSpectrum_.data());
    }

    // scores[d + m] for d in [-m, m].
    std::vector<double> Scores(const SpeechMask& subtitles) const {
        const std::vector<kiss_fft_scalar> values = HighPassed(subtitles, n_);
        std::vector<kiss_fft_cpx> spectrum(n_ / 2 + 1);
        kiss_fftr(forward_.get(), values.data(), spectrum.data());
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            const kiss_fft_cpx f = filmSpectrum_[k];
            const kiss_fft_cpx s = spectrum[k];
            // f * conj(s)
            spectrum[k] = {f.r * s.r + f.i * s.i, f.i * s.r - f.r * s.i};
        }
        std::vector<kiss_fft_scalar> circular(n_);
        kiss_fftri(inverse_.get(), spectrum.data(), circular.data());
        const std::int64_t n = static_cast<std::int64_t>(n_);
        std::vector<double> scores(static_cast<std::size_t>(2 * maxFrames_ + 1));
        for (std::int64_t d = -maxFrames_; d <= maxFrames_; ++d) {
            const std::int64_t index = d < 0 ? d + n : d;
            scores[static_cast<std::size_t>(d + maxFrames_)] =
                circular[static_cast<std::size_t>(index)] / static_cast<double>(n);
        }
        return scores;
    }

  private:
    std::int64_t maxFrames_;
    std::size_t n_ = 0;
    KissPlan forward_;
    KissPlan inverse_;
    std::vector<kiss_fft_cpx> filmSpectrum_;
};

struct Peak {
    std::int64_t offsetFrames = 0;
    double score = 0;
    double confidence = 0;
};

// The best offset and how far it stands above the rest, in standard deviations.
Peak FindPeak(const std::vector<double>& scores, std::int64_t maxFrames) {
    Peak peak;
    std::size_t best = 0;
    for (std::size_t i = 1; i < scores.size(); ++i) {
        if (scores[i] > scores[best]) best = i;
    }
    peak.offsetFrames = static_cast<std::int64_t>(best) - maxFrames;
    peak.score = scores[best];
    double sum = 0;
    double squares = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        const auto distance = static_cast<std::int64_t>(i) - static_cast<std::int64_t>(best);
        if (std::abs(distance) <= kPeakShoulderFrames) continue;
        sum += scores[i];
        squares += scores[i] * scores[i];
        ++count;
    }
    if (count < 2) return peak;
    const double mean = sum / static_cast<double>(count);
    const double variance = squares / static_cast<double>(count) - mean * mean;
    if (variance > 0) peak.confidence = (peak.score - mean) / std::sqrt(variance);
    return peak;
}

// The film's ±1 values summed up to each frame; frames outside the film count 0.
class SpeechSums {
  public:
    explicit SpeechSums(const SpeechMask& speech) : sums_(speech.size() + 1, 0) {
        for (std::size_t i = 0; i < speech.size(); ++i)
            sums_[i + 1] = sums_[i] + (speech[i] != 0 ? 1 : -1);
    }
    // The sum over frames [from, to).
    [[nodiscard]] std::int64_t Range(std::int64_t from, std::int64_t to) const {
        return At(to) - At(from);
    }

  private:
    [[nodiscard]] std::int64_t At(std::int64_t frame) const {
        const auto last = static_cast<std::int64_t>(sums_.size()) - 1;
        return sums_[static_cast<std::size_t>(std::clamp<std::int64_t>(frame, 0, last))];
    }
    std::vector<std::int64_t> sums_;
};

// How well cues scaled by `ratio` agree with the speech near offset `around`: the best, over
// offsets within 0.5 s, of (frames over speech - frames over silence) / frames under cues.
double Agreement(std::span<const Cue> cues, const SpeechSums& sums, double ratio,
                 std::int64_t around) {
    constexpr std::int64_t kNear = 50;
    std::int64_t covered = 0;
    for (const Cue& cue : cues)
        covered += FrameOfMs(static_cast<double>(cue.end) * ratio) -
                   FrameOfMs(static_cast<double>(cue.start) * ratio);
    if (covered <= 0) return -1;
    std::int64_t best = std::numeric_limits<std::int64_t>::min();
    for (std::int64_t d = around - kNear; d <= around + kNear; ++d) {
        std::int64_t score = 0;
        for (const Cue& cue : cues) {
            score += sums.Range(FrameOfMs(static_cast<double>(cue.start) * ratio) + d,
                                FrameOfMs(static_cast<double>(cue.end) * ratio) + d);
        }
        best = std::max(best, score);
    }
    return static_cast<double>(best) / static_cast<double>(covered);
}

// Runs of cues with offsets of their own. Each cue scores, at each offset d, the agreement of
// its frames with the film's speech (+1 for a speech frame, -1 for another); a cue takes the
// offset of the cue before it for free, or any offset at the penalty. The best path through
// cues x offsets is found row by row: the best of the previous row is the only switch worth
// considering, so a row costs one pass over the offsets. One bit per cell says whether the cell
// switched, for the way back.
std::vector<AlignPart> SplitParts(std::span<const Cue> cues, const SpeechMask& speech, double ratio,
                                  std::int64_t maxFrames, double penaltySeconds) {
    const SpeechSums sums(speech);
    const auto width = static_cast<std::size_t>(2 * maxFrames + 1);
    const auto penalty =
        static_cast<std::int64_t>(std::llround(penaltySeconds * 1000.0 / kSpeechFrameMs));
    std::vector<std::int64_t> previous(width);
    std::vector<std::int64_t> current(width);
    std::vector<std::size_t> bestOfRow(cues.size());
    std::vector<std::uint64_t> switched((cues.size() * width + 63) / 64, 0);
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const std::int64_t from = FrameOfMs(static_cast<double>(cues[i].start) * ratio);
        const std::int64_t to = FrameOfMs(static_cast<double>(cues[i].end) * ratio);
        std::int64_t switchScore = 0;
        if (i > 0) switchScore = previous[bestOfRow[i - 1]] - penalty;
        std::size_t best = 0;
        for (std::size_t k = 0; k < width; ++k) {
            const std::int64_t d = static_cast<std::int64_t>(k) - maxFrames;
            std::int64_t value = sums.Range(from + d, to + d);
            if (i > 0) {
                if (switchScore > previous[k]) {
                    value += switchScore;
                    const std::size_t bit = i * width + k;
                    switched[bit / 64] |= std::uint64_t{1} << (bit % 64);
                } else {
                    value += previous[k];
                }
            }
            current[k] = value;
            if (value > current[best]) best = k;
        }
        bestOfRow[i] = best;
        std::swap(previous, current);
    }
    std::vector<AlignPart> parts;
    if (cues.empty()) return parts;
    std::size_t k = bestOfRow.back();
    for (std::size_t i = cues.size(); i-- > 0;) {
        const std::size_t bit = i * width + k;
        const bool isSwitch = i > 0 && (switched[bit / 64] >> (bit % 64) & 1) != 0;
        if (i == 0 || isSwitch) {
            parts.push_back({i, (static_cast<std::int64_t>(k) - maxFrames) * kSpeechFrameMs});
            if (isSwitch) k = bestOfRow[i - 1];
        }
    }
    std::reverse(parts.begin(), parts.end());
    return parts;
}

}  // namespace

std::span<const RatePair> SyncRatePairs() {
    return kRatePairs;
}

Alignment Align(std::span<const Cue> cues, const SpeechMask& speech, const AlignParams& params) {
    Alignment result;
    result.parts.push_back({0, 0});
    if (cues.empty() || speech.empty()) return result;
    const std::int64_t maxFrames = std::max<std::int64_t>(1, params.maxOffsetMs / kSpeechFrameMs);

    std::vector<RatePair> tried{{0, 0}};
    tried.insert(tried.end(), kRatePairs.begin(), kRatePairs.end());
    const auto ratioOf = [](const RatePair& pair) {
        return pair.from == 0 ? 1.0 : pair.from / pair.to;
    };
    // Frames of one mask further than the largest offset beyond the other's end never meet a
    // frame of it: they are left out, so that a subtitle time far beyond the film costs nothing.
    // No film is longer than 6 hours: times running to 24 hours (a damaged file) would otherwise
    // cost hundreds of megabytes of FFT buffers for nothing.
    constexpr std::size_t kLongestFrames = std::size_t{6} * 3600 * 1000 / kSpeechFrameMs;
    const auto maxFramesSize = static_cast<std::size_t>(maxFrames);
    double largest = 1;
    for (const RatePair& pair : tried)
        largest = std::max(largest, ratioOf(pair));
    const std::size_t longest =
        std::min({CueMask(cues, largest).size(), speech.size() + maxFramesSize, kLongestFrames});
    const std::size_t filmFrames =
        std::min({speech.size(), longest + maxFramesSize, kLongestFrames});
    const SpeechMask film(speech.begin(), speech.begin() + static_cast<std::ptrdiff_t>(filmFrames));
    const Correlator correlator(film, longest, maxFrames);

    // Each ratio's peak, and how well the cues then agree with the speech: the share of their
    // frames over speech less the share over silence, at the best offset within 0.5 s of the
    // peak. The ratios are compared by that agreement, not by the peaks: the peaks of the
    // high-passed masks count edges, which do not tell 24 from 23.976 on a short film, while
    // the frames under the subtitles do.
    const SpeechSums sums(speech);
    struct Candidate {
        RatePair pair;
        Peak peak;
        double agreement;
    };
    std::vector<Candidate> candidates;
    for (const RatePair& pair : tried) {
        const double ratio = ratioOf(pair);
        SpeechMask mask = CueMask(cues, ratio);
        mask.resize(std::min(mask.size(), longest));
        const Peak peak = FindPeak(correlator.Scores(mask), maxFrames);
        candidates.push_back({pair, peak, Agreement(cues, sums, ratio, peak.offsetFrames)});
    }
    const Candidate& unit = candidates.front();
    const Candidate* chosen = &unit;
    for (const Candidate& c : candidates) {
        if (c.agreement > chosen->agreement) chosen = &c;
    }
    if (chosen->agreement < unit.agreement + kRatioMargin) chosen = &unit;
    result.ratio = ratioOf(chosen->pair);
    result.fromRate = chosen->pair.from;
    result.toRate = chosen->pair.to;
    result.confidence = chosen->peak.confidence;
    result.parts = {{0, chosen->peak.offsetFrames * kSpeechFrameMs}};
    // The way back keeps one bit per subtitle and offset: 2^28 bits (32 MB) hold 22,000
    // subtitles at the default largest offset, more than any film has.
    constexpr double kMostCells = 268'435'456;
    const double cells = static_cast<double>(cues.size()) * static_cast<double>(2 * maxFrames + 1);
    if (params.splits && cells > kMostCells) {
        result.splitsSkipped = true;
    } else if (params.splits) {
        std::vector<AlignPart> parts =
            SplitParts(cues, film, result.ratio, maxFrames, params.splitPenalty);
        // One run: the correlation's offset, which weighs the gaps between subtitles too.
        if (parts.size() > 1) result.parts = std::move(parts);
    }
    return result;
}

void RefineOnReference(Alignment& alignment, std::span<const Cue> cues,
                       std::span<const Cue> reference) {
    // Starts further apart than this are different subtitles, not the same one a frame off.
    constexpr std::int64_t kSameCueMs = 100;
    std::vector<std::int64_t> starts;
    starts.reserve(reference.size());
    for (const Cue& cue : reference)
        starts.push_back(cue.start);
    std::sort(starts.begin(), starts.end());
    if (starts.empty()) return;
    for (std::size_t p = 0; p < alignment.parts.size(); ++p) {
        const std::size_t first = alignment.parts[p].firstCue;
        const std::size_t end =
            p + 1 < alignment.parts.size() ? alignment.parts[p + 1].firstCue : cues.size();
        std::vector<std::int64_t> distances;
        for (std::size_t i = first; i < end; ++i) {
            const std::int64_t mapped = MapTime(alignment, i, cues[i].start);
            const auto it = std::lower_bound(starts.begin(), starts.end(), mapped);
            std::int64_t nearest = std::numeric_limits<std::int64_t>::max();
            if (it != starts.end()) nearest = *it - mapped;
            if (it != starts.begin() && mapped - *(it - 1) < std::llabs(nearest)) {
                nearest = *(it - 1) - mapped;
            }
            if (std::llabs(nearest) <= kSameCueMs) distances.push_back(nearest);
        }
        // Half the part's subtitles must have a partner: otherwise the reference is cut
        // differently and the frame-exact offset is the better one.
        if (distances.empty() || distances.size() * 2 < end - first) continue;
        const auto middle = distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2);
        std::nth_element(distances.begin(), middle, distances.end());
        alignment.parts[p].offsetMs += *middle;
    }
}

std::size_t PartOf(const Alignment& alignment, std::size_t cue) {
    std::size_t part = 0;
    while (part + 1 < alignment.parts.size() && alignment.parts[part + 1].firstCue <= cue)
        ++part;
    return part;
}

std::int64_t MapTime(const Alignment& alignment, std::size_t cue, std::int64_t ms) {
    const std::int64_t offset = alignment.parts[PartOf(alignment, cue)].offsetMs;
    return std::llround(static_cast<double>(ms) * alignment.ratio) + offset;
}

}  // namespace tessaline
