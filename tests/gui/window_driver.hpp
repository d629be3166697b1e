#pragma once

// The window driven as a user drives it: key presses go to the widget that has the keyboard
// focus, clicks land at the centre of a control where it is seen (on whatever is there at that
// moment). Message boxes are recorded instead of shown, questions answered and recorded.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <filesystem>
#include <functional>

#include "gui/main_window.hpp"
#include "test_support.hpp"

namespace tessaline::gui {

// Two subtitles, the first of Russian text in Windows-1251.
inline const std::string kFilm =
    test::Crlf({"1", "00:00:01,000 --> 00:00:03,000", test::W("Привет!"), "", "2",
                "00:00:04,000 --> 00:00:05,000", "Hello", ""});

inline QString Path(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A window over a program folder, shown and active.
struct Window {
    explicit Window(const test::TempDir& home) : window(home.path().string()) {
        window.host().messageHook = [this](const QString& text) {
            messages << text;
            if (onMessage) onMessage();
        };
        window.host().askHook = [this](const QString& text) {
            questions << text;
            return answer;
        };
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename T>
    T* Get(const char* name) {
        T* widget = window.Control<T>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QWidget* Focused() { return QApplication::focusWidget(); }
    QTabWidget* Pages() { return Get<QTabWidget>("PageControl"); }
    QString StatusBar() { return window.statusBar()->currentMessage(); }

    // The page that holds a control comes to the front by a click on its tab.
    void ShowPageOf(QWidget* widget) {
        for (int i = 0; i < Pages()->count(); ++i) {
            if (Pages()->widget(i)->isAncestorOf(widget) && Pages()->currentIndex() != i) {
                QTabBar* tabs = Pages()->tabBar();
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
            }
        }
    }
    // Where the centre of a control is seen, in the window's coordinates, after its page came to
    // the front and was scrolled to it, as a user scrolls to what lies below the screen's edge.
    QPoint CentreOf(const char* name) {
        auto* widget = Get<QWidget>(name);
        ShowPageOf(widget);
        if (auto* scroll = qobject_cast<QScrollArea*>(Pages()->currentWidget());
            scroll != nullptr && scroll->isAncestorOf(widget)) {
            scroll->ensureWidgetVisible(widget);
        }
        return widget->mapTo(&window, widget->rect().center());
    }
    // A click lands on whatever the window shows at that point now.
    void ClickAt(QPoint at) {
        QWidget* target = window.childAt(at);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&window, at));
    }
    void Click(const char* name) { ClickAt(CentreOf(name)); }
    void Type(const QString& text) { QTest::keyClicks(Focused(), text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(Focused(), key, modifiers);
    }
    // Clicks into a box, empties it and types `text`.
    void Fill(const char* name, const QString& text) {
        Click(name);
        Press(Qt::Key_A, Qt::ControlModifier);
        Press(Qt::Key_Backspace);
        Type(text);
    }
    // Types a path into the open-file box and presses Enter.
    void Open(const std::filesystem::path& path) {
        Fill("edOpenFile", Path(path));
        Press(Qt::Key_Return);
    }
    // Writes film.srt into the folder and opens it.
    void OpenFilm(const test::TempDir& home) {
        test::WriteFile(home / "film.srt", kFilm);
        Open(home / "film.srt");
    }
    // Clicks into the seconds of a time picker and types them.
    void TypeSeconds(const char* picker, const QString& seconds) {
        auto* time = Get<QTimeEdit>(picker);
        ShowPageOf(time);
        auto* edit = time->findChild<QLineEdit*>();
        const int x = edit->fontMetrics().horizontalAdvance("00:00:0") + 2;
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
        Type(seconds);
    }

    MainWindow window;
    QStringList messages;
    std::function<void()> onMessage;
    QStringList questions;            // the questions asked, each answered with `answer`
    Answer answer = Answer::Cancel;
};

}  // namespace tessaline::gui
