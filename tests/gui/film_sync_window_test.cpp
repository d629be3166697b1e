// "Sync to Film..." driven as a user drives it: the button on the Time / Frame page, the file
// chosen in the open dialog, Cancel in the progress dialog, the speech on the Diag page.

#include <gtest/gtest.h>

#include <QImage>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/diagram_view.hpp"
#include "test_films.hpp"
#include "window_driver.hpp"

namespace tessaline::gui {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string SrtTime(long long ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

// Forty lines of irregular lengths and pauses, as a film's subtitles are, `shift` ms later.
std::string Lines(long long shift) {
    std::string text;
    long long t = 5000;
    for (int i = 0; i < 40; ++i) {
        const long long length = 900 + (i * 733) % 2600;
        text += std::to_string(i + 1) + "\r\n" + SrtTime(t + shift) + " --> " +
                SrtTime(t + length + shift) + "\r\nLine " + std::to_string(i + 1) + "\r\n\r\n";
        t += length + 400 + (i * 1171) % 3100;
    }
    return text;
}

// Opens film.srt, 2.3 s late, and chooses `chosen` in the dialog that Sync to Film opens.
void OpenAndChoose(Window& w, const TempDir& home, const fs::path& chosen) {
    WriteFile(home / "film.srt", Lines(2300));
    w.Open(home / "film.srt");
    w.window.openDialogHook = [chosen](const QString&) { return Path(chosen); };
}

// The number of pixels of a colour in a picture.
int Count(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return n;
}

// A correctly timed subtitle file as the reference: film.out holds its times, the status line
// names it, and the Diag page's "Speech" draws the reference's lines under the subtitles.
TEST(FilmSyncWindow, AReferenceSyncsTheOpenFileAndTheDiagPageShowsIt) {
    TempDir home;
    Window w(home);
    WriteFile(home / "ref.srt", Lines(0));
    OpenAndChoose(w, home, home / "ref.srt");
    w.Click("btnSyncToFilm");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Lines(0));
    EXPECT_TRUE(fs::exists(home / "film.sync"));
    EXPECT_EQ(w.StatusBar(), "film.out written: 40 subtitles synced");
    EXPECT_EQ(w.window.session().lastSync.described, "ref.srt");

    QRadioButton* speech = nullptr;
    for (auto* radio : w.Get<QWidget>("rgMode")->findChildren<QRadioButton*>()) {
        if (radio->text() == "Speech") speech = radio;
    }
    ASSERT_NE(speech, nullptr);
    w.ShowPageOf(speech);
    w.ClickAt(speech->mapTo(&w.window, speech->rect().center()));
    auto* view = w.Get<DiagramView>("PaintBox");
    ASSERT_TRUE(view->showsSpeech());
    const QImage image = view->grab().toImage();
    EXPECT_GT(Count(image, QColor(0, 150, 0)), 100);  // the reference's lines as speech
    EXPECT_GT(Count(image, QColor(0, 0, 160)), 100);  // the subtitles before and after
    EXPECT_FALSE(w.Get<QWidget>("edMasstab_x")->isEnabled());
}

// A reference with hardly any lines is refused in a message box; nothing is written.
TEST(FilmSyncWindow, ARefusalShowsItsMessageAndWritesNothing) {
    TempDir home;
    Window w(home);
    WriteFile(home / "sparse.srt",
              "1\r\n00:00:01,000 --> 00:00:01,500\r\nA\r\n\r\n2\r\n"
              "01:00:00,000 --> 01:00:00,500\r\nB\r\n\r\n");
    OpenAndChoose(w, home, home / "sparse.srt");
    w.Click("btnSyncToFilm");
    EXPECT_EQ(w.messages, QStringList{"no speech found in sparse.srt"});
    EXPECT_FALSE(fs::exists(home / "film.out"));
    EXPECT_FALSE(fs::exists(home / "film.sync"));
    EXPECT_EQ(w.StatusBar(), "Sync to Film stopped");
}

// While a film is listened to the progress dialog shows; its Cancel ends the run and nothing is
// written. Run again to the end, the sync writes film.out and keeps the film's speech.
TEST(FilmSyncWindow, CancelWhileListeningWritesNothingAndTheNextRunSyncs) {
    if (!testfilms::ToolsPresent()) GTEST_SKIP() << "needs python3, espeak-ng and ffmpeg";
    const fs::path folder = testfilms::Make("clean", "--seconds 90 --seed 1");
    TempDir home;
    Window w(home);
    fs::copy_file(folder / "film.srt", home / "film.srt");
    w.Open(home / "film.srt");
    w.window.openDialogHook = [folder](const QString&) { return Path(folder / "film.mp4"); };
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = w.window.findChild<QProgressDialog*>("SyncProgress");
        if (progress == nullptr || !progress->isVisible() || cancelled) return;
        auto* cancel = progress->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton, {}, cancel->rect().center());
        cancelled = true;
    });
    watch.start(5);
    w.Click("btnSyncToFilm");
    watch.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_FALSE(fs::exists(home / "film.out"));
    EXPECT_FALSE(fs::exists(home / "film.sync"));
    EXPECT_EQ(w.StatusBar(), "Sync to Film cancelled: nothing written");
    EXPECT_EQ(w.window.findChild<QProgressDialog*>("SyncProgress"), nullptr);

    w.Click("btnSyncToFilm");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_TRUE(fs::exists(home / "film.out"));
    EXPECT_TRUE(w.StatusBar().startsWith("film.out written: ") &&
                w.StatusBar().endsWith(" subtitles synced"))
        << w.StatusBar().toStdString();
    const SyncPicture& sync = w.window.session().lastSync;
    EXPECT_EQ(sync.described, "film.mp4, audio track 1");
    EXPECT_GT(SpeechPictureOf(sync, 100).onSpeechAfter, 0.8);
}

}  // namespace
}  // namespace tessaline::gui
