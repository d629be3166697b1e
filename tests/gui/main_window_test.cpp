#include "gui/main_window.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>

#include "gui/window_layout.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings_table.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::W;
using test::WriteFile;

// A window over a fresh program folder, its message boxes recorded instead of shown.
struct Window {
    explicit Window(const TempDir& home) : window(home.path().string()) {
        window.host().messageHook = [this](const QString& text) { messages << text; };
    }
    template <typename T>
    T* Get(const char* name) {
        T* widget = window.Control<T>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* name) { Get<QPushButton>(name)->click(); }
    // Writes film.srt into the folder and opens it as Enter in the open-file box does.
    void OpenFilm(const TempDir& home);

    MainWindow window;
    QStringList messages;
};

const std::string kFilm = Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Привет!"), "", "2",
                                "00:00:04,000 --> 00:00:05,000", "Hello", ""});

void Window::OpenFilm(const TempDir& home) {
    WriteFile(home / "film.srt", kFilm);
    window.OpenFile(QString::fromStdString((home / "film.srt").string()));
}

TEST(MainWindow, EveryControlOfTheLayoutExistsAndUnbuiltCommandsSaySo) {
    TempDir home;
    Window w(home);
    // The controls of built operations, which another control may switch off for a while.
    std::set<std::string_view> built{"cbSubExt"};  // off outside directory mode
    for (const Operation* op : Catalogue()) {
        built.insert(op->controls.begin(), op->controls.end());
        for (std::string_view key : op->settings)
            built.insert(LookupSettingDef(key)->feeds);
    }
    for (const GroupDef& group : Groups()) {
        for (const ControlDef& def : group.controls) {
            if (*def.name == '\0') continue;
            QWidget* widget = w.window.findChild<QWidget*>(def.name);
            ASSERT_NE(widget, nullptr) << def.name;
            if (!widget->isEnabled() && def.kind != Kind::Label && def.kind != Kind::Static &&
                !built.contains(def.name)) {
                EXPECT_TRUE(widget->toolTip().contains("Not available yet")) << def.name;
            }
        }
    }
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->isEnabled());
    EXPECT_FALSE(w.Get<QPushButton>("btnDraw")->isEnabled());
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel");
}

// Every catalogued operation is offered: its buttons and menu items, its controls and the
// controls of the settings it reads are in the window and enabled.
TEST(MainWindow, EveryCatalogueEntryHasItsLiveControls) {
    TempDir home;
    Window w(home);
    // A control may be off for a while because another one says so (the off-time step with Max
    // Extend); it is not shown as not available.
    const auto live = [&w](std::string_view name) {
        const QString objectName =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (auto* action = w.window.findChild<QAction*>(objectName)) return action->isEnabled();
        auto* widget = w.window.findChild<QWidget*>(objectName);
        return widget != nullptr && !widget->toolTip().contains("Not available yet");
    };
    for (const Operation* op : Catalogue()) {
        SCOPED_TRACE(op->command);
        for (const Trigger& trigger : op->triggers)
            EXPECT_TRUE(live(trigger.control)) << trigger.control;
        for (std::string_view control : op->controls) {
            // The mask list is live in directory mode only.
            if (control != "cbSubExt") {
                EXPECT_TRUE(live(control)) << control;
            }
        }
        for (std::string_view key : op->settings) {
            const SettingDef* def = LookupSettingDef(key);
            if (!def->feeds.empty()) {
                EXPECT_TRUE(live(def->feeds)) << def->feeds;
            }
        }
    }
}

TEST(MainWindow, OffsetTimeWritesTheOutputAndRefusesASecondRun) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    w.Get<QTimeEdit>("dtpOffsetTime")->setTime(QTime(0, 0, 2));
    w.Get<QSpinBox>("seOffsetTimeMls")->setValue(500);
    EXPECT_FALSE(w.Get<QLabel>("stOutFile")->isVisibleTo(&w.window));

    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(ReadFile(home / "film.out"),
              Crlf({"1", "00:00:03,500 --> 00:00:05,500", W("Привет!"), "", "2",
                    "00:00:06,500 --> 00:00:07,500", "Hello", ""}));
    EXPECT_TRUE(w.Get<QLabel>("stOutFile")->isVisibleTo(&w.window));
    EXPECT_TRUE(w.messages.isEmpty());

    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});
}

TEST(MainWindow, TheMinusRefusalTurnsTheStatusRedUntilTheNextRun) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    auto* status = w.Get<QLabel>("stStatusText");
    w.Get<QTimeEdit>("dtpOffsetTime")->setTime(QTime(0, 0, 2));
    w.Get<QCheckBox>("cbOffsetTimeMinus")->setChecked(true);
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(status->text(), "error");
    EXPECT_TRUE(status->styleSheet().contains("#FF0000"));
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1"}));

    w.Click("btnOffsetTimeMls");  // refused before it starts: the field stays red
    EXPECT_EQ(status->text(), "error");

    w.Click("btnDeleteFile");  // "*.out" is selected: film.out goes
    w.Get<QCheckBox>("cbOffsetTimeMinus")->setChecked(false);
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(status->text(), "status");
    EXPECT_TRUE(status->styleSheet().isEmpty());
}

TEST(MainWindow, DirectoryModeShowsTheMaskAndItalicCaptions) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    w.Get<QCheckBox>("cbDirectoryMode")->click();
    EXPECT_EQ(w.Get<QComboBox>("edOpenFile")->currentText().toStdString(),
              (home / "*.srt").string());
    EXPECT_TRUE(w.Get<QComboBox>("cbSubExt")->isEnabled());
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->font().italic());
    EXPECT_TRUE(w.Get<QCheckBox>("cbDirectoryMode")->font().italic());
    EXPECT_FALSE(w.Get<QPushButton>("btnOffsetCount")->font().italic());

    w.Get<QCheckBox>("cbDirectoryMode")->click();
    EXPECT_FALSE(w.Get<QPushButton>("btnOffsetTimeMls")->font().italic());
    EXPECT_FALSE(w.Get<QComboBox>("cbSubExt")->isEnabled());
}

TEST(MainWindow, ASettingChangedInTheWindowComesBackAtTheNextStart) {
    TempDir home;
    {
        Window w(home);
        w.Get<QSpinBox>("sedSubLineLength")->setValue(40);
        w.Get<QLineEdit>("edFindText")->setText(QString::fromUtf8("ёлка"));
        EXPECT_EQ(w.Get<QLabel>("lmaxSubLengthResult")->text(), "115");  // 3 x 40 - 5
        w.window.close();
    }
    const std::string ini = ReadFile(home / "Tessaline.ini");
    EXPECT_NE(ini.find("SubLineLength=40\r\n"), std::string::npos);
    EXPECT_NE(ini.find("TextToFind=" + W("ёлка") + "\r\n"), std::string::npos);

    Window again(home);
    EXPECT_EQ(again.Get<QSpinBox>("sedSubLineLength")->value(), 40);
    EXPECT_EQ(again.Get<QLineEdit>("edFindText")->text(), QString::fromUtf8("ёлка"));
}

TEST(MainWindow, TheRecentListKeepsTenFilesNewestFirst) {
    TempDir home;
    Window w(home);
    QString next;
    w.window.openDialogHook = [&next](const QString&) { return next; };
    for (int i = 1; i <= 11; ++i) {
        const auto path = home / ("film" + std::to_string(i) + ".srt");
        WriteFile(path, kFilm);
        next = QString::fromStdString(path.string());
        w.Get<QPushButton>("sbOpen")->click();
    }
    auto* box = w.Get<QComboBox>("edOpenFile");
    ASSERT_EQ(box->count(), 10);
    EXPECT_TRUE(box->itemText(0).endsWith("film11.srt"));
    EXPECT_TRUE(box->itemText(9).endsWith("film2.srt"));
    EXPECT_TRUE(box->currentText().endsWith("film11.srt"));
}

TEST(MainWindow, SubToSubAndCorrectionWorkOnTheOpenFile) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    EXPECT_EQ(w.Get<QComboBox>("cbSubToSub")->currentText(), "srt --> sub");
    w.Get<QComboBox>("cbFramesAtSec")->setCurrentText("10");
    w.Click("btnSubToSub");
    EXPECT_EQ(ReadFile(home / "film.sub"), Crlf({"{10}{30}" + W("Привет!"), "{40}{50}Hello"}));

    w.Click("btnSubtitlesCorrection");
    EXPECT_EQ(ReadFile(home / "film.corr"), Crlf({">> Checked with Time Correction!"}));
    EXPECT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.corr");
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.corr");
    EXPECT_TRUE(w.Get<QLabel>("stLogFile")->isVisibleTo(&w.window));
    EXPECT_TRUE(w.messages.isEmpty());
}

TEST(MainWindow, WrongPathsInTheOpenBoxKeepThePreviousFile) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    // Enter in the open-file box opens its text, once.
    auto* box = w.Get<QComboBox>("edOpenFile");
    box->setCurrentText(QString::fromStdString((home / "gone.srt").string()));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box->lineEdit(), &enter);
    w.window.OpenFile(" x.srt");
    EXPECT_EQ(w.messages, (QStringList{"File not Exists!", "Path to File is Wrong!"}));
    EXPECT_EQ(w.window.session().outputPath, (home / "film.out").string());
}

// Drives the window as a user does: the page's tab, a click into a box, keys typed into the
// widget that then has the focus, a click at a button's centre.
struct User {
    explicit User(Window& w) : w(w) {
        w.window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    }
    void OpenPage(int page) {
        QTabBar* tabs = w.Get<QTabWidget>("PageControl")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        EXPECT_EQ(tabs->currentIndex(), page);
    }
    // Clicks into the box, selects what it holds and types `text` over it ("" empties it).
    void TypeInto(const char* box, const QString& text) {
        QTest::mouseClick(w.Get<QWidget>(box), Qt::LeftButton);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_EQ(focused, w.Get<QWidget>(box));
        QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focused, Qt::Key_Backspace);
        QTest::keyClicks(focused, text);
    }
    void Click(const char* name) { QTest::mouseClick(w.Get<QWidget>(name), Qt::LeftButton); }

    Window& w;
};

TEST(MainWindow, RemoveTagsTakesTheTagTypedIntoItsBox) {
    TempDir home;
    Window w(home);
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    WriteFile(home / "film.srt", Crlf({"1", t, W("<b>Да</b> <font color=red>нет</font>"), ""}));
    w.window.OpenFile(QString::fromStdString((home / "film.srt").string()));
    User user(w);
    user.OpenPage(kOperationsPage);
    EXPECT_EQ(w.Get<QLineEdit>("edSubTagToRemove")->text(), "font");

    user.TypeInto("edSubTagToRemove", "b");
    user.Click("btnSubTagRemove");
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", t, W("Да <font color=red>нет</font>"), ""}));
    EXPECT_EQ(ReadFile(home / "film.tagfix"), Crlf({"1 = remove <font> TAG"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.tagfix");
    EXPECT_TRUE(w.messages.isEmpty());

    std::filesystem::remove(home / "film.out");
    user.TypeInto("edSubTagToRemove", "");
    user.Click("btnSubTagRemove");
    EXPECT_EQ(w.messages, QStringList{"Not Set TAG to Remove!!!"});
    EXPECT_FALSE(std::filesystem::exists(home / "film.out"));
}

TEST(MainWindow, TheDelimiterButtonsFixAsTheirBoxesSay) {
    TempDir home;
    Window w(home);
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    const auto film = [&t](const char* text) { return Crlf({"1", t, W(text), ""}); };
    WriteFile(home / "film.srt", film("Привет ,мир !<i>Как</i> дела?"));
    w.window.OpenFile(QString::fromStdString((home / "film.srt").string()));
    User user(w);
    user.OpenPage(kOperationsPage);

    user.Click("btnSubDelSpaceBeforeDelimiters");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет,мир!<i>Как</i> дела?"));
    EXPECT_EQ(ReadFile(home / "film.fix"), Crlf({"1 = Del Space Before Delimiters"}));
    user.Click("btnSubDelimitersFix");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});

    // The careful form leaves a delimiter before "<" alone.
    std::filesystem::remove(home / "film.out");
    user.Click("btnSubDelimitersFix");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет, мир!<i>Как</i> дела?"));
    EXPECT_EQ(ReadFile(home / "film.fix"), Crlf({"1 = Fix Space Around Delimiters"}));

    // Without it the followers' box means nothing and is disabled; only "!" is a delimiter now.
    std::filesystem::remove(home / "film.out");
    EXPECT_TRUE(w.Get<QLineEdit>("edExcludeFix")->isEnabled());
    user.Click("cbUseExclude");
    EXPECT_FALSE(w.Get<QLineEdit>("edExcludeFix")->isEnabled());
    user.TypeInto("edDelimitersFix", "!");
    user.Click("btnSubDelimitersFix");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет ,мир! <i>Как</i> дела?"));
    EXPECT_EQ(w.window.session().settings().Text("DelimitersFix"), "!");
    EXPECT_FALSE(w.window.session().settings().Bool("UseExclude"));
    EXPECT_EQ(w.messages.size(), 1);
}

// A user cuts a film's long lines to two lines of 33 characters in the "Subtitles Length" group
// and tests the result; the status texts follow the settings typed in.
TEST(MainWindow, SubtitlesLengthCutsToTwoLinesThatPassTheTest) {
    TempDir home;
    Window w(home);
    const std::string t1 = "00:00:01,000 --> 00:00:04,000";
    const std::string t2 = "00:00:05,000 --> 00:00:07,000";
    WriteFile(home / "film.srt",
              Crlf({"1", t1, "7 quick brown foxes jump over the lazy dog again and again", "", "2",
                    t2, "Nobody expected the night train to arrive before sunrise", ""}));
    w.window.OpenFile(QString::fromStdString((home / "film.srt").string()));
    User user(w);
    user.OpenPage(kOperationsPage);
    user.TypeInto("sedSubLineCount", "2");
    user.TypeInto("sedSubLineLength", "33");
    EXPECT_EQ(w.Get<QLabel>("lmaxSubLengthResult")->text(), "61");  // 2 x 33 - 5
    EXPECT_EQ(w.Get<QLabel>("stData")->text(), "lines: 2; len: 33; BR:0; Rplc:0");

    user.Click("cbWriteLogOnSetLength");
    EXPECT_TRUE(w.window.session().settings().Bool("WriteLogOnSetLength"));
    user.Click("btnSubLineCut");
    const std::string cut =
        Crlf({"1", t1, "7 quick brown foxes jump over the", "lazy dog again and again", "", "2", t2,
              "Nobody expected the night train", "to arrive before sunrise", ""});
    EXPECT_EQ(ReadFile(home / "film.out"), cut);
    EXPECT_EQ(w.messages, QStringList{"Null Log-file"});

    user.Click("btnRenameFile");
    EXPECT_EQ(ReadFile(home / "film.srt"), cut);
    user.Click("btnSubLineTest");
    // Only a note: no line too long, no warning, no error.
    EXPECT_EQ(ReadFile(home / "film.len"), Crlf({"1 = Number is a First Symbol of Subtitle!"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.len");
    EXPECT_EQ(w.messages, QStringList{"Null Log-file"});
}

// --- The Time / Frame Operations page and the frame rates --------------------------------------

void OpenAs(Window& w, const TempDir& home, const char* name, const std::string& content) {
    WriteFile(home / name, content);
    w.window.OpenFile(QString::fromStdString((home / name).string()));
}

// The time a picker and its milliseconds box show.
QString TimeOf(Window& w, const char* clock, const char* ms) {
    return w.Get<QTimeEdit>(clock)->time().toString("HH:mm:ss") + "," +
           QString::number(w.Get<QSpinBox>(ms)->value()).rightJustified(3, '0');
}

TEST(TimeFramePage, GetRangeThenStretchTheRangeOfTimes) {
    TempDir home;
    Window w(home);
    OpenAs(w, home, "film.srt",
           Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                 "00:00:30,000 --> 00:00:40,000", "B", ""}));
    User user(w);
    user.OpenPage(kTimeFramePage);
    user.Click("btnGetRangeTime");
    EXPECT_EQ(TimeOf(w, "dtpBeginTime", "seBeginTimeMls"), "00:00:02,000");
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:00:40,000");
    EXPECT_EQ(w.window.statusBar()->currentMessage(), "Full Time: 00:00:38,000");

    // New End one minute: k = (60000 + 2000 * 1.5 - 2000) / 40000 = 1.525; the first subtitle
    // moves 1050 ms later, which film.out2 takes back.
    user.TypeInto("dtpNewEndTime", "00:01:00");
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:01:00,000");
    user.Click("btnSprainRangeTime");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:03,050 --> 00:00:06,100", "A", "", "2",
                                                 "00:00:45,750 --> 00:01:01,000", "B", ""}));
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:00:59,950");  // film.out2's end
    EXPECT_EQ(TimeOf(w, "dtpOffsetTime", "seOffsetTimeMls"), "00:00:01,050");
    EXPECT_TRUE(w.Get<QCheckBox>("cbOffsetTimeMinus")->isChecked());
    EXPECT_TRUE(w.Get<QLabel>("stOutFile")->isVisible());

    // Set Time next to Begin: the output is there already.
    user.Click("btnSetBeginTime");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});
}

TEST(TimeFramePage, FramesAreStretchedAndTestedWithTheirOwnButtons) {
    TempDir home;
    Window w(home);
    OpenAs(w, home, "film.sub", Crlf({"{100}{150}A", "{150}{200}B|b", "{210}{205}C"}));
    User user(w);
    user.OpenPage(kTimeFramePage);
    user.Click("btnGetRangeFrames");
    EXPECT_EQ(w.Get<QSpinBox>("sedFullFrames")->value(), 105);
    EXPECT_TRUE(w.Get<QSpinBox>("sedFullFrames")->isReadOnly());
    user.TypeInto("sedNewEndFrame", "310");
    user.Click("btnSprainRangeFrames");
    EXPECT_EQ(ReadFile(home / "film.out2"), Crlf({"{100}{188}A", "{188}{276}B|b", "{294}{285}C"}));
    EXPECT_EQ(w.Get<QSpinBox>("sedNewEndFrame")->value(), 285);
    EXPECT_EQ(w.Get<QSpinBox>("sedOffsetCntFrames")->value(), 76);

    // The open file's negative period is a message.
    user.TypeInto("sedMinRFrame", "60");
    user.Click("btnFrameTest");
    EXPECT_EQ(w.messages, QStringList{"Wrong Frames Period! - Check Frames in Line {210}{205}"});
    EXPECT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.frame");
}

TEST(TimeFramePage, TheTimeExtenderAndItsMaxExtendSwitch) {
    TempDir home;
    Window w(home);
    OpenAs(
        w, home, "film.srt",
        Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2", "00:00:10,000 --> 00:00:10,600",
              "B", "", "3", "00:00:30,000 --> 00:00:40,000", "C", ""}));
    User user(w);
    user.OpenPage(kTimeFramePage);
    EXPECT_FALSE(w.Get<QSpinBox>("seDeltaTimeMlsOff")->isEnabled());
    EXPECT_TRUE(w.Get<QSpinBox>("sedMinDTime")->isEnabled());
    user.Click("cbMaxExtend");
    EXPECT_TRUE(w.Get<QSpinBox>("seDeltaTimeMlsOff")->isEnabled());
    EXPECT_FALSE(w.Get<QLabel>("lMinDTimeMls")->isEnabled());
    user.TypeInto("seDeltaTimeMlsOff", "300");
    user.Click("btnExtendDeltaSubTime");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                                                 "00:00:09,800 --> 00:00:10,900", "B", "", "3",
                                                 "00:00:30,000 --> 00:00:40,000", "C", ""}));
    EXPECT_EQ(ReadFile(home / "film.extend"),
              Crlf({"2 = Extended ON-Time to On-Delta-Time: 200",
                    "2 = Extended OFF-Time to Off-Delta-Time: 300"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.extend");
}

// As a new user would: a film made at 25 frames per second goes to 23,976 with the button of the
// Subtitle Operations page, takes the input's place, and the time test of the other page finds
// the subtitles that are too short now.
TEST(TimeFramePage, AFilmConvertedTo23976AndTestedForShortSubtitles) {
    TempDir home;
    Window w(home);
    OpenAs(w, home, "film.srt",
           Crlf({"1", "00:00:01,000 --> 00:00:01,900", "A", "", "2",
                 "00:00:03,000 --> 00:00:06,000", "B", "", "3", "00:00:10,000 --> 00:00:11,000",
                 "C", "", "4", "00:01:00,000 --> 00:01:01,100", "D", ""}));
    User user(w);
    user.OpenPage(kOperationsPage);
    EXPECT_EQ(w.Get<QLineEdit>("edFramesAtSecCoefficient")->text(), "0,834167500834168");
    user.TypeInto("cbFramesAtSecTarget", "23,976");
    EXPECT_EQ(w.Get<QLineEdit>("edFramesAtSecCoefficient")->text(), "1,04270937604271");
    user.Click("btnSprainRangeTimeAtSec");
    user.Click("btnRenameFile");
    // Every time times 25 / 23,976: the last off-time 61100 ms becomes 63709,54 ms.
    EXPECT_EQ(ReadFile(home / "film.srt"),
              Crlf({"1", "00:00:01,043 --> 00:00:01,981", "A", "", "2",
                    "00:00:03,128 --> 00:00:06,256", "B", "", "3", "00:00:10,427 --> 00:00:11,470",
                    "C", "", "4", "00:01:02,563 --> 00:01:03,710", "D", ""}));

    user.OpenPage(kTimeFramePage);
    user.Click("btnTimeTest");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(
        ReadFile(home / "film.time"),
        Crlf({"1 = This Range Time: 00:00:00,938 < 1,100",
              "3 = This Range Time: 00:00:01,043 < 1,100",
              "====================================================", ">> 2 Subtitles < 1,100 !"}));
    EXPECT_EQ(w.window.statusBar()->currentMessage(), ">> 2 Subtitles < 1,100 !");
    EXPECT_FALSE(w.Get<QLabel>("stLogFile")->isHidden());  // on the Subtitle page
}

TEST(TimeFramePage, ATypedCoefficientAndTheTwinButtons) {
    TempDir home;
    Window w(home);
    OpenAs(w, home, "film.srt", Crlf({"1", "00:00:02,000 --> 00:00:02,500", "A", ""}));
    User user(w);
    user.OpenPage(kOperationsPage);
    auto* coefficient = w.Get<QLineEdit>("edFramesAtSecCoefficient");
    EXPECT_FALSE(coefficient->isEnabled());
    auto* typed = w.Get<QGroupBox>("rgCoefficient")->findChildren<QRadioButton*>().at(1);
    QTest::mouseClick(typed, Qt::LeftButton);
    EXPECT_TRUE(coefficient->isEnabled());
    EXPECT_FALSE(w.Get<QComboBox>("cbFramesAtSec")->isEnabled());
    user.TypeInto("edFramesAtSecCoefficient", "1,5");
    user.Click("btnSprainRangeTimeAtSec");
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:03,000 --> 00:00:03,750", "A", ""}));

    // The Test Time and Extend Time twins of this page run the same operations.
    user.Click("btnTimeTestDbl");
    EXPECT_TRUE(std::filesystem::exists(home / "film.time"));
    user.Click("btnExtendDeltaSubTimeDbl");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});
}

}  // namespace
}  // namespace tessaline::gui
