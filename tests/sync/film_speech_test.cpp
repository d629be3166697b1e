#include "sync/film_speech.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "test_films.hpp"

namespace tessaline {
namespace {

namespace tf = testfilms;

// Two films serve every test: 90 s of lines over silence in every container, and the same kind
// of film under pink noise 10 dB below the speech.
constexpr const char* kCleanOptions = "--seconds 90 --seed 1";
constexpr const char* kNoisyOptions = "--seconds 90 --seed 2 --background noise --snr 10 --formats mp4";

class FilmSpeechTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!tf::ToolsPresent()) GTEST_SKIP() << "needs python3, espeak-ng and ffmpeg";
    }
    static std::filesystem::path Clean() { return tf::Make("clean", kCleanOptions); }
    static std::filesystem::path Noisy() { return tf::Make("noisy", kNoisyOptions); }

    static FilmSpeech Listen(const std::filesystem::path& film, int track = 0) {
        auto detector = MakeWebRtcSpeechDetector();
        return ListenToFilm(film.string(), track, *detector);
    }
    static SpeechMask Truth(const std::filesystem::path& folder, std::size_t frames,
                            std::size_t shift = 0) {
        return tf::TruthMask(tf::ReadTruth(folder), frames, shift);
    }
};

TEST_F(FilmSpeechTest, FindsSpeechOnAlmostEveryFrameOfCleanSpeechAndMostUnderNoise) {
    struct Row {
        std::filesystem::path folder;
        double least;
    };
    for (const Row& row : {Row{Clean(), 0.95}, Row{Noisy(), 0.88}}) {
        const FilmSpeech heard = Listen(row.folder / "film.mp4");
        const SpeechMask truth = Truth(row.folder, heard.mask.size());
        const double agreement = tf::Agreement(heard.mask, truth);
        EXPECT_GE(agreement, row.least) << row.folder;
        std::printf("[ measured ] %s: %.4f of %zu frames agree\n", row.folder.filename().c_str(),
                    agreement, heard.mask.size());
        // The mask covers the film: 90 s are 9000 frames, give or take the encoder's padding.
        EXPECT_NEAR(static_cast<double>(heard.mask.size()), 9000, 5);
        EXPECT_EQ(heard.track, 1);
    }
}

TEST_F(FilmSpeechTest, EveryContainerGivesTheSameMaskAndALateStartShiftsIt) {
    const auto folder = Clean();
    const SpeechMask aac = Listen(folder / "film.mp4").mask;
    const SpeechMask opus = Listen(folder / "film.mka").mask;
    const SpeechMask late = Listen(folder / "film.late.mkv").mask;

    EXPECT_GE(tf::Agreement(aac, opus), 0.98);
    // The audio of film.late.mkv starts 1.5 s after its picture: 150 frames of silence first.
    ASSERT_GE(late.size(), 150u);
    EXPECT_TRUE(std::all_of(late.begin(), late.begin() + 150, [](auto f) { return f == 0; }));
    EXPECT_NEAR(static_cast<double>(late.size()), static_cast<double>(aac.size() + 150), 5);
    const SpeechMask lateFromItsStart(late.begin() + 150, late.end());
    EXPECT_GE(tf::Agreement(aac, lateFromItsStart), 0.98);
    EXPECT_GE(tf::Agreement(Truth(folder, late.size(), 150), late), 0.95);
}

TEST_F(FilmSpeechTest, FollowsTheSoundWhenItsFormatChangesHalfway) {
    // film.switch.ts: stereo at 48 kHz, then mono at 44.1 kHz.
    const auto folder = Clean();
    const FilmSpeech heard = Listen(folder / "film.switch.ts");
    EXPECT_NEAR(static_cast<double>(heard.mask.size()), 9000, 10);
    EXPECT_GE(tf::Agreement(heard.mask, Truth(folder, heard.mask.size())), 0.95);
}

TEST_F(FilmSpeechTest, ListensToTheTrackAskedFor) {
    // film.two.mkv: track 1 is the background alone (silence here), track 2 the film.
    const auto folder = Clean();
    const FilmSpeech silent = Listen(folder / "film.two.mkv", 1);
    EXPECT_EQ(silent.track, 1);
    EXPECT_LT(silent.speechShare, 0.005);
    const FilmSpeech spoken = Listen(folder / "film.two.mkv", 2);
    EXPECT_EQ(spoken.track, 2);
    EXPECT_GE(tf::Agreement(spoken.mask, Truth(folder, spoken.mask.size())), 0.95);
}

TEST_F(FilmSpeechTest, RefusesWhatItCannotListenTo) {
    const auto folder = Clean();
    const std::string garbage = (folder.parent_path() / "garbage.mkv").string();
    std::ofstream(garbage) << "not a film at all, just some text that no demuxer claims\n";
    struct Row {
        std::string path;
        int track;
        std::string message;
    };
    const std::string missing = (folder / "missing.mkv").string();
    const std::string noAudio = (folder / "film.noaudio.mkv").string();
    const std::string two = (folder / "film.two.mkv").string();
    const std::string subtitles = (folder / "film.srt").string();
    const Row rows[] = {
        {missing, 0, missing + " cannot be read: No such file or directory"},
        {noAudio, 0, noAudio + ": no audio track"},
        {noAudio, 1, noAudio + " has no audio track 1"},
        {two, 3, two + " has no audio track 3"},
        {subtitles, 0, subtitles + ": no audio track"},
        {garbage, 0, garbage + " cannot be read: Invalid data found when processing input"},
    };
    for (const Row& row : rows) {
        auto detector = MakeWebRtcSpeechDetector();
        try {
            (void)ListenToFilm(row.path, row.track, *detector);
            ADD_FAILURE() << row.path << " track " << row.track << " was listened to";
        } catch (const FilmError& e) {
            EXPECT_EQ(std::string(e.what()), row.message);
        }
    }
}

// A detector of our own: speech where the frame is loud. It checks the framing without WebRTC in
// the way, and that another detector can be put in.
class LoudnessDetector : public SpeechDetector {
  public:
    bool IsSpeech(std::span<const std::int16_t> frame) override {
        ++frames;
        sizesRight = sizesRight && frame.size() == 160;
        double energy = 0;
        for (const std::int16_t s : frame) energy += static_cast<double>(s) * s;
        return std::sqrt(energy / static_cast<double>(frame.size())) > 100;
    }
    std::size_t frames = 0;
    bool sizesRight = true;
};

TEST_F(FilmSpeechTest, HandsTheDetectorEveryTenMillisecondsOfSoundOnce) {
    const auto folder = Clean();
    LoudnessDetector detector;
    const FilmSpeech heard = ListenToFilm((folder / "film.late.mkv").string(), 0, detector);
    EXPECT_TRUE(detector.sizesRight);
    // The whole frames before the audio starts are silence without asking the detector. They
    // are 147, not 150: the AAC encoder's 1024 samples of priming (21 ms) are stored before
    // 1.5 s and decoded with the rest.
    EXPECT_EQ(detector.frames + 147, heard.mask.size());
    // Loudness finds clean speech but for the short pauses between words, and the frames sit
    // where they belong: 30 ms earlier or later agrees worse.
    const auto agreement = [&](std::size_t shift) {
        return tf::Agreement(heard.mask, Truth(folder, heard.mask.size(), shift));
    };
    EXPECT_GE(agreement(150), 0.95);
    EXPECT_GT(agreement(150), agreement(147));
    EXPECT_GT(agreement(150), agreement(153));
}

TEST_F(FilmSpeechTest, ReportsProgressAndStopsWhenToldTo) {
    const std::string film = (Clean() / "film.mp4").string();
    auto detector = MakeWebRtcSpeechDetector();
    std::vector<double> seen;
    (void)ListenToFilm(film, 0, *detector, [&](double done) {
        seen.push_back(done);
        return true;
    });
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.front(), 0.0);
    EXPECT_EQ(seen.back(), 1.0);

    int calls = 0;
    try {
        (void)ListenToFilm(film, 0, *detector, [&](double) { return ++calls < 1; });
        ADD_FAILURE() << "not cancelled";
    } catch (const FilmError& e) {
        EXPECT_EQ(std::string(e.what()), "cancelled");
        EXPECT_EQ(calls, 1);
    }
}

}  // namespace
}  // namespace tessaline
