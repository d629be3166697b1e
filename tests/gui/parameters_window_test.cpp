// The "Parameters" and "Parts & Tails" windows, driven as a user drives them: a click on the
// page's tab and where a control is shown, keys to the focused widget, "Close" or Esc.

#include "gui/parameters_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <memory>

#include "app/language.hpp"
#include "app/session.hpp"
#include "files/ini_file.hpp"
#include "gui/main_window.hpp"
#include "ops/settings.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The settings Tessaline.ini holds now.
Settings Stored(const TempDir& home) {
    Settings settings;
    settings.ReadFrom(IniFile::Load((home / "Tessaline.ini").string()));
    return settings;
}

// A user at a settings window: the page of a control comes to the front by a click on its tab,
// a click lands where the control is shown, keys go to the focused widget.
struct User {
    explicit User(SettingsWindow& window) : w(window) {
        w.show();
        // A modal window opened from the main window becomes the active one a moment later.
        EXPECT_TRUE(QTest::qWaitFor([this] {
            w.activateWindow();
            return QApplication::activeWindow() == &w;
        }));
    }
    QWidget* Get(std::string_view name) {
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name.data(), name.size()));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void ShowPageOf(QWidget* widget) {
        auto* tabs = w.findChild<QTabWidget*>("PageControl");
        if (tabs == nullptr) return;
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(widget) && tabs->currentIndex() != i) {
                QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                                  tabs->tabBar()->tabRect(i).center());
            }
        }
    }
    void ClickOn(QWidget* widget, QPoint at) {
        ShowPageOf(widget);
        const QPoint point = widget->mapTo(&w, at);
        QWidget* target = w.childAt(point);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&w, point));
    }
    // A check box or radio button is clicked on its box, a wide one's centre may lie past its
    // text; anything else at its centre.
    void Click(QWidget* widget) {
        const bool box = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
        ClickOn(widget, box ? QPoint(8, widget->height() / 2) : widget->rect().center());
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // Clicks into a box, selects what it holds and types over it.
    void Fill(QWidget* box, const QString& text) {
        Click(box);
        Press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    // Changes a control to another value, as a user does: returns false for a kind it does not
    // know.
    bool Change(std::string_view name) {
        QWidget* widget = Get(name);
        if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            Click(check);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            const int value =
                spin->value() == spin->minimum() + 1 ? spin->minimum() + 2 : spin->minimum() + 1;
            Fill(spin, QString::number(value));
        } else if (auto* time = qobject_cast<QTimeEdit*>(widget)) {
            // Into the seconds, one up.
            auto* edit = time->findChild<QLineEdit*>();
            const int x = edit->fontMetrics().horizontalAdvance("00:00:0") + 2;
            ClickOn(edit, QPoint(x, edit->height() / 2));
            Press(Qt::Key_Up);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            Fill(edit, edit->text() == "<" ? ">" : "<");
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            const QList<QAbstractButton*> buttons = group->findChild<QButtonGroup*>()->buttons();
            Click(buttons.constFirst()->isChecked() ? buttons.constLast() : buttons.constFirst());
        } else {
            return false;
        }
        return true;
    }
    void Close() { Click(Get("btnClose")); }

    SettingsWindow& w;
};

struct Program {
    explicit Program(const TempDir& home) : window(home.path().string()) {
        window.host().messageHook = [this](const QString& text) { messages << text; };
    }
    Session& session() { return window.session(); }
    MainWindow window;
    QStringList messages;
};

// Every control of both windows, changed and closed with "Close": each key in Tessaline.ini holds
// what its control showed, and no other key changed.
TEST(ParametersWindow, CloseWritesEveryChangedKeyToTheSettingsFile) {
    TempDir home;
    Program program(home);
    const Settings before = program.session().settings();
    const auto run = [&](SettingsWindow& w, std::span<const SettingControl> bindings) {
        User user(w);
        for (const SettingControl& b : bindings) {
            // The deflection is off until the formula mode allows it.
            if (b.name == "seDef1" || b.name == "seDef2") {
                auto* modes = user.Get("rgSprainRangeMode");
                user.Click(modes->findChild<QButtonGroup*>()->button(3));
            }
            EXPECT_TRUE(user.Change(b.name)) << b.name;
        }
        user.Close();
        EXPECT_FALSE(w.isVisible());
    };
    ParametersWindow parameters(program.session());
    run(parameters, ParameterBindings());
    PartsAndTailsWindow partsAndTails(program.session());
    run(partsAndTails, PartsAndTailsBindings());

    const Settings stored = Stored(home);
    std::set<std::string_view> bound;
    for (const auto bindings : {ParameterBindings(), PartsAndTailsBindings()}) {
        for (const SettingControl& b : bindings)
            bound.insert(b.key);
    }
    for (const SettingDef& def : kSettingTable) {
        if (def.key == "Top" || def.key == "Left") continue;  // the main window's place
        EXPECT_EQ(stored.Text(def.key), program.session().settings().Text(def.key)) << def.key;
        if (bound.contains(def.key)) {
            EXPECT_NE(stored.Text(def.key), before.Text(def.key)) << def.key;
        } else {
            EXPECT_EQ(stored.Text(def.key), before.Text(def.key)) << def.key;
        }
    }
    EXPECT_EQ(bound.size(), ParameterBindings().size() + PartsAndTailsBindings().size());
}

// Opening and closing without a change keeps every value, also one its control cannot show; Esc
// keeps the settings whatever the controls show.
TEST(ParametersWindow, UnchangedOrEscapedLeavesTheSettingsAsTheyWere) {
    TempDir home;
    WriteFile(home / "Tessaline.ini", "[Parameters]\r\nAddTimeFromLastTime=soon\r\n");
    Program program(home);
    program.session().Start();
    const std::string before = program.session().settings().ToIniText();
    {
        ParametersWindow window(program.session());
        User user(window);
        user.Close();
    }
    EXPECT_EQ(program.session().settings().ToIniText(), before);
    EXPECT_EQ(Stored(home).Text("AddTimeFromLastTime"), "soon");
    {
        ParametersWindow window(program.session());
        User user(window);
        user.Change("cbCorrectTAGs");
        user.Change("seDeltaNumCorrection");
        user.Press(Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(program.session().settings().ToIniText(), before);
}

// Tessaline.ini's values out of range are said once, in one message, and the controls show the
// defaults; a spin box takes its range from the settings table, so typed text beyond it is
// refused as --set refuses it.
TEST(ParametersWindow, ValuesOutOfRangeAreRefusedAtStartAndWhenTyped) {
    TempDir home;
    // Written after the window has started: its start would show the message before the test
    // can catch it.
    Program program(home);
    WriteFile(home / "Tessaline.ini",
              "[Settings]\r\nSubLineLength=0\r\nFramesAtSec=abc\r\n"
              "[Parameters]\r\nPixelTextWidthMax=1000\r\n");
    program.session().Start();
    ASSERT_EQ(program.messages.size(), 1) << program.messages.join("|").toStdString();
    for (const char* named : {"SubLineLength='0'", "FramesAtSec='abc'", "PixelTextWidthMax='1000'"})
        EXPECT_TRUE(program.messages[0].contains(named)) << named;
    EXPECT_EQ(program.session().settings().Int("SubLineLength"), 33);
    EXPECT_EQ(program.session().settings().Int("PixelTextWidthMax"), 195);

    struct Row {
        const char* control;
        const char* key;
        const char* typed;  // beyond the range
    };
    const Row rows[] = {
        {"sePixelTextWidthMax", "PixelTextWidthMax", "9999"},
        {"seBigTextCenterWidth", "BigTextCenterWidth", "3"},
    };
    ParametersWindow window(program.session());
    User user(window);
    for (const Row& row : rows) {
        auto* spin = qobject_cast<QSpinBox*>(user.Get(row.control));
        ASSERT_NE(spin, nullptr) << row.control;
        EXPECT_EQ(spin->minimum(), FindSettingDef(row.key).min) << row.control;
        EXPECT_EQ(spin->maximum(), FindSettingDef(row.key).max) << row.control;
        user.Fill(spin, row.typed);
        user.Press(Qt::Key_Tab);
        EXPECT_GE(spin->value(), FindSettingDef(row.key).min) << row.control;
        EXPECT_LE(spin->value(), FindSettingDef(row.key).max) << row.control;
    }
    user.Close();
    for (const Row& row : rows) {
        const int stored = Stored(home).Int(row.key);
        EXPECT_GE(stored, FindSettingDef(row.key).min) << row.key;
        EXPECT_LE(stored, FindSettingDef(row.key).max) << row.key;
    }
}

TEST(ParametersWindow, LengthExpressionAndDependentControls) {
    TempDir home;
    Program program(home);
    Settings& settings = program.session().settings();
    settings.SetInt("SubLineCount", 3);
    settings.SetInt("SubLineLength", 35);
    settings.SetInt("MaxSubLengthCorrection", 5);
    ParametersWindow window(program.session());
    User user(window);
    EXPECT_EQ(window.findChild<QTabWidget*>("PageControl")->currentIndex(), 0);
    auto* expression = window.Control<QLabel>("lmaxSubLengthExpression");
    auto* result = window.Control<QLabel>("lmaxSubLengthResult");
    EXPECT_EQ(expression->text(), "Subtitle length: 3 lines * 35 letters -");
    EXPECT_EQ(result->text(), "= 100");
    user.Fill(user.Get("seMaxSubLengthCorrection"), "12");
    EXPECT_EQ(result->text(), "= 93");

    auto* exclude = window.Control<QCheckBox>("cbDisbalanceExcludeDialog");
    EXPECT_FALSE(exclude->isEnabled());
    user.Click(user.Get("cbLineLengthDisbalance"));
    EXPECT_TRUE(exclude->isEnabled());

    auto* modes = window.Control<QGroupBox>("rgSprainRangeMode")->findChild<QButtonGroup*>();
    for (int mode : {3, 1, 3, 0}) {
        user.Click(modes->button(mode));
        for (const char* name : {"gbDeflection", "seDef1", "seDef2"})
            EXPECT_EQ(window.Control<QWidget>(name)->isEnabled(), mode == 3) << name << mode;
    }

    user.Fill(user.Get("edOpenBrackets"), "[");
    user.Fill(user.Get("edCloseBrackets"), "]");
    user.Click(user.Get("btnDefaultBrackets"));
    EXPECT_EQ(window.Control<QLineEdit>("edOpenBrackets")->text(), "{");
    EXPECT_EQ(window.Control<QLineEdit>("edCloseBrackets")->text(), "}");
}

// Through the menu: the main window's mirrored controls follow what "Close" kept.
TEST(ParametersWindow, TheMainWindowFollowsTheParameters) {
    TempDir home;
    Program program(home);
    program.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program.window));
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<ParametersWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        User user(*window);
        user.Click(user.Get("cbWriteLogOnSetLength"));
        user.Fill(user.Get("seMaxSubLengthCorrection"), "9");
        user.Fill(user.Get("sedSubtitleFullLength"), "150");
        user.Click(user.Get("cbBeginTimeFrameOfLastSubtitle"));
        user.Close();
        driven = true;
    });
    program.window.Control<QAction>("mnParameters")->trigger();
    EXPECT_TRUE(driven);
    EXPECT_TRUE(program.window.Control<QCheckBox>("cbWriteLogOnSetLength")->isChecked());
    EXPECT_EQ(program.window.Control<QSpinBox>("seMaxSubLengthCorrection")->value(), 9);
    EXPECT_EQ(program.window.Control<QLabel>("stSubtitleFullLength")->text(), "150");
    EXPECT_EQ(program.window.Control<QLabel>("stStatusTime")->text(),
              QString::fromStdString(program.session().TimeStatusCaption()));
    EXPECT_EQ(program.window.Control<QLabel>("lmaxSubLengthResult")->text(),
              QString::number(3 * 33 - 9));
    EXPECT_EQ(Stored(home).Int("SubtitleFullLength"), 150);
}

// --- Language files ------------------------------------------------------------------------------

// What a control of the main window shows as its caption.
QString CaptionOf(MainWindow& window, const CaptionTarget& target) {
    const QString name = QString::fromLatin1(target.control.data(), target.control.size());
    if (target.control == kMainWindowTarget) return window.windowTitle();
    QObject* object = window.findChild<QObject*>(name);
    if (object == nullptr) return "<missing>";
    if (name.startsWith("TabSheet")) {
        auto* tabs = window.findChild<QTabWidget*>("PageControl");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(qobject_cast<QWidget*>(object)))
                return tabs->tabText(i);
        }
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) return menu->title();
    if (auto* action = qobject_cast<QAction*>(object)) return action->text();
    if (auto* group = qobject_cast<QGroupBox*>(object)) {
        return target.item < 0 ? group->title()
                               : group->findChild<QButtonGroup*>()->button(target.item)->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text();
    return "<no caption>";
}

QString Shipped(const char* name) {
    return QString::fromStdString(std::string(TESSALINE_SOURCE_DIR) + "/data/defaults/languages/" +
                                  name);
}

// The Russian file captions every control it names; the English one gives back the built-in
// captions; a file of 30 lines changes nothing.
TEST(LanguageFile, CaptionsFollowTheFile) {
    TempDir home;
    Program program(home);
    MainWindow& window = program.window;
    std::vector<QString> builtIn;
    for (const CaptionTarget& target : LanguageTargets())
        builtIn.push_back(CaptionOf(window, target));

    ASSERT_TRUE(window.ApplyLanguage(Shipped("Russian.lng")));
    EXPECT_EQ(window.Control<QPushButton>("btnAllInOne")->text(), QString::fromUtf8("Всё сразу"));
    EXPECT_EQ(window.findChild<QMenu*>("mnFile")->title(), QString::fromUtf8("&Файл"));
    EXPECT_EQ(CaptionOf(window, {"TabSheetDiagram"}), QString::fromUtf8("Диаграмма"));
    EXPECT_EQ(CaptionOf(window, {"rgCoefficient", 1}), QString::fromUtf8("Множитель"));
    EXPECT_EQ(window.Control<QPushButton>("btnTimeTestDbl")->text(),
              window.Control<QPushButton>("btnTimeTest")->text());
    std::size_t changed = 0;
    const std::vector<CaptionTarget> targets = LanguageTargets();
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_NE(CaptionOf(window, targets[i]), "<missing>") << targets[i].control;
        if (CaptionOf(window, targets[i]) != builtIn[i]) ++changed;
    }
    EXPECT_GT(changed, targets.size() * 3 / 4);

    // A short file is ignored.
    const std::string shortFile = (home / "Short.lng").string();
    WriteFile(shortFile, std::string(30, '\n'));
    ASSERT_TRUE(window.ApplyLanguage(QString::fromStdString(shortFile)));
    EXPECT_EQ(window.Control<QPushButton>("btnAllInOne")->text(), QString::fromUtf8("Всё сразу"));
    EXPECT_FALSE(window.ApplyLanguage(QString::fromStdString((home / "None.lng").string())));

    // English gives back what the window had (the second control of a shared line takes the
    // first one's text).
    ASSERT_TRUE(window.ApplyLanguage(Shipped("English.lng")));
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const bool second = i > 0 && targets[i - 1].control != targets[i].control &&
                            CaptionOf(window, targets[i]) == CaptionOf(window, targets[i - 1]) &&
                            builtIn[i] != builtIn[i - 1];
        if (!second) {
            EXPECT_EQ(CaptionOf(window, targets[i]), builtIn[i]) << targets[i].control;
        }
    }
}

// Chosen with the Parameters window's button from anywhere, the language is kept (its file copied
// into the program folder's languages/) and applied at the next start; a start that no longer
// finds the file says so and keeps the built-in captions.
TEST(LanguageFile, ChosenInTheParametersAndAppliedAtStart) {
    TempDir home;
    {
        Program program(home);
        program.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&program.window));
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<ParametersWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            User user(*window);
            window->languageDialogHook = [](const QString&) { return Shipped("Russian.lng"); };
            user.Click(user.Get("btnLanguage"));
            EXPECT_EQ(window->Control<QPushButton>("btnLanguage")->text(), "Russian");
            user.Close();
        });
        program.window.Control<QAction>("mnParameters")->trigger();
        EXPECT_EQ(program.window.Control<QPushButton>("btnAllInOne")->text(),
                  QString::fromUtf8("Всё сразу"));
        EXPECT_EQ(Stored(home).Text("Language"), "Russian");
    }
    // The next start reads the file from the program folder's languages/.
    const std::filesystem::path kept = home / "languages" / "Russian.lng";
    EXPECT_EQ(ReadFile(kept), ReadFile(Shipped("Russian.lng").toStdString()));
    {
        Program again(home);
        EXPECT_EQ(again.window.Control<QPushButton>("btnAllInOne")->text(),
                  QString::fromUtf8("Всё сразу"));
        EXPECT_TRUE(again.messages.isEmpty());
        EXPECT_TRUE(again.window.statusBar()->currentMessage().isEmpty());
    }
    std::filesystem::remove(kept);
    Program without(home);
    EXPECT_EQ(without.window.Control<QPushButton>("btnAllInOne")->text(), "All in One");
    EXPECT_TRUE(without.messages.isEmpty());
    EXPECT_EQ(without.window.statusBar()->currentMessage(),
              "Language file not found: " + QString::fromStdString(kept.string()));
}

}  // namespace
}  // namespace tessaline::gui
