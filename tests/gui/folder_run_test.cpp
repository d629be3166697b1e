// A folder run from the window goes over every core and says which file it is at.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimeEdit>

#include "gui/main_window.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(MainWindowFolderRun, RunsEveryFileOnEveryCoreAndCountsThem) {
    TempDir home;
    const std::string film = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", ""});
    for (int i = 1; i <= 6; ++i)
        WriteFile(home / ("film" + std::to_string(i) + ".srt"), film);
    MainWindow window(home.path().string());
    QStringList messages;
    window.host().messageHook = [&messages](const QString& text) { messages << text; };
    ASSERT_GT(window.session().jobs, 0);
    window.session().jobs = 3;  // several threads whatever the machine has
    window.OpenFile(QString::fromStdString((home / "film1.srt").string()));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    auto* directoryMode = window.Control<QCheckBox>("cbDirectoryMode");
    QTest::mouseClick(directoryMode, Qt::LeftButton, {}, QPoint(8, directoryMode->height() / 2));
    ASSERT_TRUE(window.session().directoryMode);
    window.Control<QTimeEdit>("dtpOffsetTime")->setTime(QTime(0, 0, 1));
    QSignalSpy shown(window.statusBar(), &QStatusBar::messageChanged);
    auto* button = window.Control<QPushButton>("btnOffsetTimeMls");
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());

    const std::string shifted = Crlf({"1", "00:00:02,000 --> 00:00:03,000", "Hello", ""});
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(ReadFile(home / ("film" + std::to_string(i) + ".out")), shifted) << i;
    QStringList texts;
    for (const QList<QVariant>& signal : shown)
        texts << signal.at(0).toString();
    EXPECT_TRUE(texts.contains("file 1 of 6")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("file 6 of 6")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace tessaline::gui
