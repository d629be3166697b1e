#include "app/film_sync.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/session.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string SrtTime(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000LL,
                  ms / 60000 % 60LL, ms / 1000 % 60LL, ms % 1000LL);
    return text;
}

// Forty lines of irregular lengths and pauses, as a film's subtitles are, `shift` ms later.
std::vector<Cue> Lines(std::int64_t shift) {
    std::vector<Cue> cues;
    std::int64_t t = 5000;
    for (int i = 0; i < 40; ++i) {
        const std::int64_t length = 900 + (i * 733) % 2600;
        cues.push_back({t + shift, t + length + shift});
        t += length + 400 + (i * 1171) % 3100;
    }
    return cues;
}

std::string Srt(const std::vector<Cue>& cues) {
    std::string text;
    for (std::size_t i = 0; i < cues.size(); ++i) {
        text += std::to_string(i + 1) + "\r\n" + SrtTime(cues[i].start) + " --> " +
                SrtTime(cues[i].end) + "\r\nLine " + std::to_string(i + 1) + "\r\n\r\n";
    }
    return text;
}

// The picture of a sync: who speaks where, and where the subtitles lay before and after.
TEST(SpeechPicture, ColumnsAndSharesOfSpeechUnderTheSubtitles) {
    SyncPicture sync;
    sync.described = "film.mp4, audio track 1";
    sync.speech.assign(400, 0);  // 4 s: speech from 1 s to 2 s
    std::fill(sync.speech.begin() + 100, sync.speech.begin() + 200, 1);
    sync.before = {{2000, 3000}};  // a second late: off the speech
    sync.after = {{1000, 1500}};   // on its first half

    const SpeechPicture picture = SpeechPictureOf(sync, 4);
    EXPECT_EQ(picture.endMs, 4000);
    EXPECT_DOUBLE_EQ(picture.onSpeechBefore, 0.0);
    EXPECT_DOUBLE_EQ(picture.onSpeechAfter, 1.0);
    ASSERT_EQ(picture.columns.size(), 4u);
    const float rows[4][3] = {{0, 0, 0}, {1, 0, 0.5f}, {0, 1, 0}, {0, 0, 0}};
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_FLOAT_EQ(picture.columns[c].speech, rows[c][0]);
        EXPECT_FLOAT_EQ(picture.columns[c].before, rows[c][1]);
        EXPECT_FLOAT_EQ(picture.columns[c].after, rows[c][2]);
    }
    EXPECT_EQ(SpeechSummary(sync, picture),
              "film.mp4, audio track 1: 0% of the subtitles' time on speech before the sync, "
              "100% after");

    // More columns than frames: each frame fills several columns, none is left out.
    const SpeechPicture wide = SpeechPictureOf(sync, 1000);
    ASSERT_EQ(wide.columns.size(), 1000u);
    EXPECT_FLOAT_EQ(wide.columns[300].speech, 1);  // frame 120
    EXPECT_FLOAT_EQ(wide.columns[999].speech, 0);

    // Before any sync there is nothing to draw, and the line says where to start one.
    const SyncPicture none;
    EXPECT_TRUE(SpeechPictureOf(none, 100).columns.empty());
    EXPECT_EQ(SpeechSummary(none, SpeechPictureOf(none, 100)),
              "No film synced yet: Sync to Film... on the Time / Frame Operations page");
}

class SyncToFilmTest : public ::testing::Test {
  protected:
    SyncToFilmTest() {
        WriteFile(dir / "film.srt", Srt(Lines(2300)));
        WriteFile(dir / "ref.srt", Srt(Lines(0)));
        session.Start();
        EXPECT_EQ(session.OpenSubtitleFile((dir / "film.srt").string()), Outcome::Ok);
    }
    TempDir dir;
    RecordingHost host;
    Session session{host, dir.path().string()};
};

// A subtitle file chosen is a reference: the open file is synced onto it into film.out, and the
// session keeps the picture of what moved where. The window's splits reach the run.
TEST_F(SyncToFilmTest, AReferenceSyncsTheOpenFileAndKeepsItsPicture) {
    ASSERT_EQ(SyncToFilm(session, (dir / "ref.srt").string(), true), Outcome::Ok);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadFile(dir / "film.out"), Srt(Lines(0)));
    EXPECT_TRUE(session.controls.Bool("SyncSplits"));
    EXPECT_EQ(session.controls.Text("SyncFilm"), "");
    EXPECT_EQ(session.lastSync.described, "ref.srt");
    ASSERT_EQ(session.lastSync.after.size(), 40u);
    EXPECT_EQ(session.lastSync.before[0].start, Lines(2300)[0].start);
    EXPECT_EQ(session.lastSync.after[0].start, Lines(0)[0].start);
    const SpeechPicture picture = SpeechPictureOf(session.lastSync, 200);
    EXPECT_LT(picture.onSpeechBefore, 0.7);
    EXPECT_DOUBLE_EQ(picture.onSpeechAfter, 1.0);
}

// Another file is a film: one that is not there is refused with its message, nothing is
// written and the picture of the last sync stays as it was.
TEST_F(SyncToFilmTest, AFilmThatCannotBeHeardIsRefusedAndWritesNothing) {
    ASSERT_EQ(SyncToFilm(session, (dir / "ref.srt").string(), false), Outcome::Ok);
    std::filesystem::remove(dir / "film.out");
    ASSERT_EQ(SyncToFilm(session, (dir / "missing.mkv").string(), false), Outcome::Refused);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("missing.mkv"), std::string::npos) << host.messages[0];
    EXPECT_FALSE(std::filesystem::exists(dir / "film.out"));
    EXPECT_EQ(session.controls.Text("SyncReference"), "");
    EXPECT_EQ(session.lastSync.described, "ref.srt");
}

}  // namespace
}  // namespace tessaline
