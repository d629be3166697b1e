#include "gui/main_window.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
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
    for (const GroupDef& group : Groups()) {
        for (const ControlDef& def : group.controls) {
            if (*def.name == '\0') continue;
            QWidget* widget = w.window.findChild<QWidget*>(def.name);
            ASSERT_NE(widget, nullptr) << def.name;
            // cbSubExt is off only outside directory mode.
            if (!widget->isEnabled() && def.kind != Kind::Label && def.kind != Kind::Static &&
                std::string_view(def.name) != "cbSubExt") {
                EXPECT_TRUE(widget->toolTip().contains("Not available yet")) << def.name;
            }
        }
    }
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->isEnabled());
    EXPECT_FALSE(w.Get<QPushButton>("btnSubLineCut")->isEnabled());
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel");
}

// Every catalogued operation is offered: its buttons and menu items, its controls and the
// controls of the settings it reads are in the window and enabled.
TEST(MainWindow, EveryCatalogueEntryHasItsLiveControls) {
    TempDir home;
    Window w(home);
    const auto live = [&w](std::string_view name) {
        const QString objectName =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (auto* action = w.window.findChild<QAction*>(objectName)) return action->isEnabled();
        auto* widget = w.window.findChild<QWidget*>(objectName);
        return widget != nullptr && widget->isEnabled();
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

}  // namespace
}  // namespace tessaline::gui
