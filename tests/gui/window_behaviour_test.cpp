// What the window asks and says around the commands: the question before an unwritten edit is
// lost, the one summary of a folder run and its Stop, the one question before a folder deletion,
// the status bar after every kind of command, and the room long values get.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <filesystem>

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QSet>
#include <QTableView>

#include "gui/diagram_view.hpp"
#include "gui/main_window.hpp"
#include "gui/subtitle_lists_window.hpp"
#include "test_support.hpp"
#include "window_driver.hpp"

namespace tessaline::gui {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kShort = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hello", ""});
const std::string kLate = Crlf({"1", "00:00:01,000 --> 00:61:00,000", "Late", ""});

// --- The unwritten edit ----------------------------------------------------------------------

enum class Way { Dialog, Enter, RecentList, DirectoryMode, CtrlQ, CloseButton };

TEST(WindowBehaviour, AnUnwrittenEditIsAskedAboutOnEveryWayOut) {
    const std::string edited = Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hellox", ""});
    const QString question = "Current File has been changed, but Not Saved!\nSave Current File?";
    const Answer answers[] = {Answer::Yes, Answer::No, Answer::Cancel};
    for (Way way : {Way::Dialog, Way::Enter, Way::RecentList, Way::DirectoryMode, Way::CtrlQ,
                    Way::CloseButton}) {
        for (Answer answer : answers) {
            const std::string row =
                std::to_string(static_cast<int>(way)) + "/" + std::to_string(static_cast<int>(answer));
            TempDir home;
            WriteFile(home / "other.srt", kShort);
            WriteFile(home / "film.srt", kShort);
            Window w(home);
            w.Open(home / "other.srt");
            w.Open(home / "film.srt");
            w.window.openDialogHook = [&home](const QString&) { return Path(home / "other.srt"); };
            w.Click("MemoSubLines");
            w.Press(Qt::Key_End, Qt::ControlModifier);
            w.Type("x");
            w.answer = answer;
            switch (way) {
                case Way::Dialog:
                    w.Press(Qt::Key_O, Qt::ControlModifier);
                    break;
                case Way::Enter:
                    w.Open(home / "other.srt");
                    break;
                case Way::RecentList:
                    w.Click("edOpenFile");
                    w.Press(Qt::Key_Down);  // the list holds film.srt, then other.srt
                    break;
                case Way::DirectoryMode:
                    w.Click("cbDirectoryMode");
                    break;
                case Way::CtrlQ:
                    w.Press(Qt::Key_Q, Qt::ControlModifier);
                    break;
                case Way::CloseButton:
                    w.window.close();
                    break;
            }
            EXPECT_EQ(w.questions, QStringList{question}) << row;
            EXPECT_EQ(ReadFile(home / "film.srt"), answer == Answer::Yes ? edited : kShort) << row;
            const bool left = way == Way::CtrlQ || way == Way::CloseButton
                                  ? !w.window.isVisible()
                              : way == Way::DirectoryMode
                                  ? w.Get<QCheckBox>("cbDirectoryMode")->isChecked()
                                  : w.window.windowTitle().contains("other.srt");
            EXPECT_EQ(left, answer != Answer::Cancel) << row;
            // Cancel keeps the typed text in the editor.
            if (answer == Answer::Cancel) {
                EXPECT_EQ(w.Get<QPlainTextEdit>("MemoSubLines")->toPlainText(), "Hellox") << row;
            }
        }
    }
}

// --- Folder runs ---------------------------------------------------------------------------------

TEST(WindowBehaviour, AFolderRunWithThreeBadFilesShowsOneSummary) {
    TempDir home;
    for (const char* name : {"a01.srt", "a03.srt", "a05.srt"})
        WriteFile(home / name, kShort);
    for (const char* name : {"a02.srt", "a04.srt", "a06.srt"})
        WriteFile(home / name, kLate);
    Window w(home);
    w.window.session().jobs = 2;
    w.Open(home / "a01.srt");
    w.TypeSeconds("dtpOffsetTime", "01");
    w.Click("cbDirectoryMode");
    w.Click("btnOffsetTimeMls");
    ASSERT_EQ(w.messages.size(), 1) << w.messages.join("|").toStdString();
    const QString& summary = w.messages[0];
    EXPECT_TRUE(summary.startsWith("6 files: 3 done, 3 stopped\n\nStopped:\n")) << summary.toStdString();
    for (const char* name : {"a02.srt", "a04.srt", "a06.srt"})
        EXPECT_TRUE(summary.contains(QString(name) + ", line 2: ")) << name;
    EXPECT_EQ(w.StatusBar(), "6 files: 3 done, 3 stopped");
    EXPECT_FALSE(w.Get<QPushButton>("btnStopRun")->isVisible());
}

TEST(WindowBehaviour, StopAndEscEndAFolderRunAfterTheCurrentFile) {
    for (bool byEsc : {false, true}) {
        TempDir home;
        for (int i = 1; i <= 6; ++i)
            WriteFile(home / ("f" + std::to_string(i) + ".srt"), kShort);
        Window w(home);
        w.window.session().jobs = 1;
        w.Open(home / "f1.srt");
        w.TypeSeconds("dtpOffsetTime", "01");
        w.Click("cbDirectoryMode");
        // Stop is pressed once, while the first run is at its second file.
        bool pressed = false;
        QObject::connect(w.window.statusBar(), &QStatusBar::messageChanged, &w.window,
                         [&w, byEsc, &pressed](const QString& text) {
                             if (text != "file 2 of 6" || pressed) return;
                             pressed = true;
                             auto* stop = w.Get<QPushButton>("btnStopRun");
                             ASSERT_TRUE(stop->isVisible());
                             if (byEsc) {
                                 w.Press(Qt::Key_Escape);
                             } else {
                                 QTest::mouseClick(stop, Qt::LeftButton);
                             }
                         });
        w.Click("btnOffsetTimeMls");
        int outputs = 0;
        for (int i = 1; i <= 6; ++i)
            outputs += fs::exists(home / ("f" + std::to_string(i) + ".out")) ? 1 : 0;
        EXPECT_EQ(outputs, 2) << byEsc;
        EXPECT_EQ(w.StatusBar(), "6 files: 2 done, 0 stopped, 4 not run") << byEsc;
        EXPECT_EQ(w.messages.size(), 1) << byEsc;
        // The next run is not stopped by the earlier Stop.
        w.Click("btnOffsetReCount");
        EXPECT_TRUE(fs::exists(home / "f6.out")) << byEsc;
    }
}

// --- Deleting --------------------------------------------------------------------------------

TEST(WindowBehaviour, AFolderDeletionIsAskedOnceAndGoesToTheTrash) {
    for (Answer answer : {Answer::Yes, Answer::No}) {
        TempDir home;
        for (const char* name : {"a.srt", "b.srt", "c.srt"}) {
            WriteFile(home / name, kShort);
            WriteFile(home / (std::string(name, 1) + ".corr"), name);
        }
        Window w(home);
        w.Open(home / "a.srt");
        w.Click("cbDirectoryMode");
        w.Get<QComboBox>("cbOutExt")->setFocus();
        w.Type("*.cor");
        ASSERT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.corr");
        w.answer = answer;
        w.Click("btnDeleteFile");
        EXPECT_EQ(w.questions, QStringList{"Delete 3 files *.corr in " + Path(home.path()) +
                                           "? They go to the trash."});
        for (const char* name : {"a.corr", "b.corr", "c.corr"}) {
            EXPECT_EQ(fs::exists(home / name), answer == Answer::No) << name;
            if (answer == Answer::Yes) {
                EXPECT_EQ(test::TrashedFile(home / name),
                          std::string(1, name[0]) + ".srt");
            }
        }
        // The chooser stays at the kind: a second click has nothing more to delete.
        EXPECT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.corr");
        EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    }
}

// --- What every command says -----------------------------------------------------------------

TEST(WindowBehaviour, TheStatusBarSaysWhatEachCommandDid) {
    const struct {
        const char* control;
        const char* status;
        const char* existing;  // a file there before the click ("": none)
    } cases[] = {
        {"btnOffsetTimeMls", "film.out written: 2 timings 1000 ms later", ""},
        {"btnOffsetTimeMls", "Offset Time stopped", "film.out"},
        {"btnSubLineTest", "film.len written: 1 wrong subtitle, 1 warning", ""},
        {"btnSubtitlesCorrection", "film.out, film.corr written: 1 note", ""},
        {"btnSubToOneLine", "film.out written: 8 lines", ""},
        {"btnReWriteSubtitle", "subtitle 1 rewritten", ""},
        {"btnDeleteFile", "film.out deleted", "film.out"},
    };
    for (const auto& c : cases) {
        TempDir home;
        WriteFile(home / "film.srt",
                  Crlf({"1", "00:00:01,000 --> 00:00:02,000", "12 apples", "", "2",
                        "00:00:03,000 --> 00:00:04,000",
                        "A line of many words, far longer than any line may be", ""}));
        if (*c.existing != '\0') WriteFile(home / c.existing, "x");
        Window w(home);
        w.Open(home / "film.srt");
        w.TypeSeconds("dtpOffsetTime", "01");
        w.Click(c.control);
        EXPECT_EQ(w.StatusBar().toStdString(), c.status) << c.control;
    }
}

// --- The file box ----------------------------------------------------------------------------

TEST(WindowBehaviour, TheFileBoxSelectsItsTextSoThatTypingReplacesIt) {
    TempDir home;
    WriteFile(home / "a.srt", kShort);
    WriteFile(home / "b.srt", kShort);
    WriteFile(home / "Tessaline.ini", Crlf({"[Parameters]", "SaveLastOpenFileString=1",
                                             "LastOpenFileString=" + (home / "a.srt").string()}));
    Window w(home);
    // At start, with the file of the last run.
    w.Type(Path(home / "b.srt"));
    w.Press(Qt::Key_Return);
    EXPECT_TRUE(w.window.windowTitle().contains("b.srt")) << w.window.windowTitle().toStdString();
    // Reached by the keyboard.
    w.Click("btnAllInOne");
    for (int i = 0; i < 40 && w.Focused() != w.Get<QComboBox>("edOpenFile"); ++i)
        w.Press(Qt::Key_Backtab);
    ASSERT_EQ(w.Focused(), w.Get<QComboBox>("edOpenFile"));
    QTest::qWait(1);
    w.Type(Path(home / "a.srt"));
    w.Press(Qt::Key_Return);
    EXPECT_TRUE(w.window.windowTitle().contains("a.srt")) << w.window.windowTitle().toStdString();
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
}

// --- Room for what the controls show --------------------------------------------------------------

TEST(WindowBehaviour, LongValuesGetTheRoomTheWindowHas) {
    TempDir home;
    WriteFile(home / "film.srt", kShort);
    Window w(home);
    w.Open(home / "film.srt");

    // The frame-rate factor with all its decimals (25 to 29,970 fps: 0,834167500834168).
    auto* coefficient = w.Get<QLineEdit>("edFramesAtSecCoefficient");
    w.Click("edFramesAtSecCoefficient");
    ASSERT_GE(coefficient->text().size(), 15) << coefficient->text().toStdString();
    EXPECT_GE(coefficient->contentsRect().width(),
              coefficient->fontMetrics().horizontalAdvance(coefficient->text()))
        << coefficient->text().toStdString();

    // The report viewer's message widens with the window.
    w.Click("edLogString");
    auto* message = w.Get<QLineEdit>("edLogString");
    const int narrow = message->width();
    w.window.resize(w.window.width() + 400, w.window.height());
    QApplication::processEvents();
    EXPECT_GT(message->width(), narrow + 100) << narrow << " " << message->width();

    // The lists window: whole timings, and the subtitles take the rest of the width.
    SubtitleListsWindow lists(w.window.session(), &w.window);
    lists.resize(900, 480);
    lists.show();
    QApplication::processEvents();
    for (auto* table : lists.findChildren<QTableView*>()) {
        int used = 0;
        for (int column = 0; column < table->model()->columnCount(); ++column) {
            used += table->columnWidth(column);
            if (table->model()->headerData(column, Qt::Horizontal).toString() == "Timing") {
                EXPECT_GE(table->columnWidth(column),
                          table->fontMetrics().horizontalAdvance("00:00:01,000 --> 00:00:02,000"));
            }
        }
        EXPECT_GE(used, table->viewport()->width() - 4) << table->objectName().toStdString();
    }
}

TEST(WindowBehaviour, TheDiagramFollowsItsModeAndTheMenusHaveAccelerators) {
    TempDir home;
    WriteFile(home / "film.srt", Crlf({"1", "00:00:01,000 --> 00:00:03,000", "a", "", "2",
                                       "00:00:02,500 --> 00:00:04,500", "b", ""}));
    Window w(home);
    w.Open(home / "film.srt");
    auto* timings = w.Get<QGroupBox>("rgMode")->findChildren<QRadioButton*>().at(2);
    w.Click("rgMode");
    QTest::mouseClick(timings, Qt::LeftButton, {}, QPoint(6, timings->height() / 2));
    ASSERT_TRUE(timings->isChecked());
    EXPECT_EQ(w.Get<DiagramView>("PaintBox")->timings().subtitles.size(), 2u);  // without Draw

    // Each item of the conversion menu has an accelerator of its own.
    QSet<QChar> keys;
    int items = 0;
    for (QAction* action : w.Get<QMenu>("mnConvertation")->actions()) {
        if (action->isSeparator()) continue;
        ++items;
        const qsizetype amp = action->text().indexOf('&');
        ASSERT_GE(amp, 0) << action->text().toStdString();
        keys.insert(action->text().at(amp + 1).toLower());
    }
    EXPECT_EQ(keys.size(), items);
}

}  // namespace
}  // namespace tessaline::gui
