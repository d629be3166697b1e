// The "Replace List" window and the text tools of the main window, driven as a user drives them:
// keys to the focused widget, clicks at the controls' centres, answers typed into input boxes.

#include "gui/replace_list_dialog.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "core/chars.hpp"
#include "gui/main_window.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::W;
using test::WriteFile;

void ClickAtCentre(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Types a text into a widget a key at a time; QTest's own typing knows ASCII only.
void TypeInto(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
    }
}

// Answers the input boxes that the next command opens, one after another: selects the offered
// text and types the answer into the focused field, then Enter.
void AnswerInputBoxes(QStringList answers, int tries = 200) {
    QTimer::singleShot(10, [answers, tries]() mutable {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            if (tries > 0) AnswerInputBoxes(answers, tries - 1);
            return;
        }
        QWidget* field = QApplication::focusWidget();
        if (field == nullptr || !box->isAncestorOf(field)) field = box->findChild<QLineEdit*>();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        TypeInto(field, answers.front());
        QTest::keyClick(field, Qt::Key_Return);
        answers.pop_front();
        if (!answers.isEmpty()) AnswerInputBoxes(answers);
    });
}

struct Dialog {
    explicit Dialog(const TempDir& home, std::string_view content = {})
        : path(home / "Replace.dat") {
        if (!content.empty()) WriteFile(path, content);
        dialog = std::make_unique<ReplaceListDialog>(path.string());
        dialog->messageHook = [this](const QString& text) { messages << text; };
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        // After an input box the window is active again, and its focus back, a moment later.
        if (QApplication::focusWidget() == nullptr) {
            EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }));
        }
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "no widget has the focus";
        QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
    }
    void Type(const QString& text) { TypeInto(QApplication::focusWidget(), text); }
    // What the list shows, "find=replacement" a row.
    QStringList Rows() const {
        auto* list = dialog->findChild<QTreeWidget*>("lvReplaceList");
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + "=" + list->topLevelItem(i)->text(1);
        return rows;
    }
    QLineEdit* Editor() const { return dialog->findChild<QLineEdit*>("edInPlace"); }
    void Close() { ClickAtCentre(dialog->findChild<QPushButton*>("btnClose")); }

    std::filesystem::path path;
    std::unique_ptr<ReplaceListDialog> dialog;
    QStringList messages;
};

TEST(ReplaceListDialog, EditsWithTheKeysOfTheList) {
    TempDir home;
    Dialog d(home, "a=b\r\nc=d\r\n" + W("ёж=еж") + "\r\n");
    EXPECT_EQ(d.Rows(), (QStringList{"a=b", "c=d", QString::fromUtf8("ёж=еж")}));
    EXPECT_EQ(d.dialog->findChild<QTreeWidget*>("lvReplaceList"), QApplication::focusWidget());

    d.Key(Qt::Key_Down);
    d.Key(Qt::Key_F4);  // the replacement, in place
    ASSERT_TRUE(d.Editor()->isVisible());
    EXPECT_EQ(d.Editor()->text(), "d");
    d.Type("D2");
    d.Key(Qt::Key_Return);
    EXPECT_FALSE(d.Editor()->isVisible());
    EXPECT_EQ(d.Rows()[1], "c=D2");

    d.Key(Qt::Key_F6);  // the find text; Esc drops the edit
    EXPECT_EQ(d.Editor()->text(), "c");
    d.Type("C");
    d.Key(Qt::Key_Escape);
    EXPECT_EQ(d.Rows()[1], "c=D2");
    EXPECT_TRUE(d.dialog->isVisible());

    d.Key(Qt::Key_F4, Qt::ControlModifier);  // a find text with "=" is refused
    d.Type("x=y");
    d.Key(Qt::Key_F2);
    EXPECT_EQ(d.Rows()[1], "c=D2");
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_TRUE(d.messages[0].contains("cannot hold \"=\""));

    d.Key(Qt::Key_Up, Qt::ControlModifier);  // the row moves up, and stays the current one
    EXPECT_EQ(d.Rows(), (QStringList{"c=D2", "a=b", QString::fromUtf8("ёж=еж")}));
    d.Key(Qt::Key_F8);
    EXPECT_EQ(d.Rows(), (QStringList{"a=b", QString::fromUtf8("ёж=еж")}));

    d.Key(Qt::Key_F5);  // a new row under the last, offered the last replacement
    EXPECT_EQ(d.Editor()->text(), QString::fromUtf8("еж"));
    d.Type("new");
    d.Key(Qt::Key_Enter);
    EXPECT_EQ(d.Rows().back(), "Name2=new");

    d.Close();
    EXPECT_FALSE(d.dialog->isVisible());
    EXPECT_EQ(ReadFile(d.path), "a=b\r\n" + W("ёж=еж") + "\r\nName2=new\r\n");
}

TEST(ReplaceListDialog, InsertAsksTwiceAndCloseWaitsForAnOpenEdit) {
    TempDir home;
    Dialog d(home);
    EXPECT_TRUE(d.Rows().isEmpty());
    AnswerInputBoxes({QString::fromUtf8("привет"), "hello"});
    d.Key(Qt::Key_Insert);
    EXPECT_EQ(d.Rows(), QStringList{QString::fromUtf8("привет=hello")});
    // An answer that begins with a space adds nothing.
    AnswerInputBoxes({" x", "y"});
    d.Key(Qt::Key_Insert);
    EXPECT_EQ(d.Rows().size(), 1);

    d.Key(Qt::Key_F4);
    d.Close();  // the edit is still open: the window stays
    EXPECT_TRUE(d.dialog->isVisible());
    EXPECT_FALSE(std::filesystem::exists(d.path));
    d.Key(Qt::Key_Escape);
    d.Close();
    EXPECT_FALSE(d.dialog->isVisible());
    EXPECT_EQ(ReadFile(d.path), W("привет=hello") + "\r\n");
}

// --- The main window's text tools ---------------------------------------------------------------

template <typename T>
T* Get(MainWindow& window, const char* name) {
    T* widget = window.Control<T>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(TextTools, CharacterModeTheBracketsOptionAndTheReplaceListWindow) {
    TempDir home;
    MainWindow window(home.path().string());
    window.show();
    // The page of "Find and Replace" first, by its tab; then "#".
    auto* check = Get<QCheckBox>(window, "cbFindChar");
    QTabBar* tabs = Get<QTabWidget>(window, "PageControl")->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        if (Get<QTabWidget>(window, "PageControl")->widget(i)->isAncestorOf(check)) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
        }
    }
    ClickAtCentre(check);
    EXPECT_EQ(Get<QLineEdit>(window, "edFindText")->text(), "133");
    EXPECT_EQ(window.session().settings().Text("TextToFind"), "133");
    EXPECT_TRUE(window.session().settings().Bool("FindCharFlag"));

    auto* brackets = Get<QAction>(window, "mnUpCaseTextInBrackets");
    brackets->trigger();
    EXPECT_EQ(brackets->text(), "Up &Case (TEXT IN BRACKETS)");
    EXPECT_TRUE(window.session().settings().Bool("UpCaseTextInBrackets"));
    brackets->trigger();
    EXPECT_EQ(brackets->text(), "Up &Case (Text In Brackets)");

    bool seen = false;
    QTimer::singleShot(50, [&seen] {
        auto* dialog = qobject_cast<ReplaceListDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        seen = dialog->windowTitle() == "Replace List";
        ClickAtCentre(dialog->findChild<QPushButton*>("btnClose"));
    });
    Get<QAction>(window, "mnReplaceList")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(ReadFile(home / "Replace.dat"), "");  // Close writes the (empty) list
}

TEST(TextTools, AKoi8rFileIsRecognisedConvertedAndReadable) {
    TempDir home;
    MainWindow window(home.path().string());
    QStringList messages;
    window.host().messageHook = [&messages](const QString& text) { messages << text; };
    const auto [win, koi8Unix] = test::Koi8Film();
    WriteFile(home / "film.srt", koi8Unix);
    const QString film = QString::fromStdString((home / "film.srt").string());
    window.OpenFile(film);
    // Worked on as it is stored: the title names the encoding, nothing advises a conversion.
    EXPECT_EQ(window.windowTitle(), "Tessaline by Orvendel - film.srt - KOI8-R");
    EXPECT_EQ(window.statusBar()->currentMessage(), "");

    Get<QAction>(window, "mnKOI8R2Win")->trigger();
    EXPECT_EQ(ReadFile(home / "film.out"), win);
    Get<QAction>(window, "mnRenameFile")->trigger();
    window.statusBar()->clearMessage();
    window.OpenFile(film);
    EXPECT_EQ(window.windowTitle(), "Tessaline by Orvendel - film.srt - Windows-1251");

    Get<QAction>(window, "mnTextToSwitchCase")->trigger();  // in place
    EXPECT_EQ(ReadFile(home / "film.srt"), SwitchCaseStr(win));
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace tessaline::gui
