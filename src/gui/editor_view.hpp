#pragma once

// The "Subtitle" page's line editor and report viewer as widgets: they show the session's
// editor and viewer and call their commands. No subtitle logic lives here.

#include <QObject>
#include <QStringList>
#include <functional>

namespace tessaline {
class Session;
}

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace tessaline::gui {

class MainWindow;

class EditorView : public QObject {
    Q_OBJECT

  public:
    /// `run` runs a command as the window's buttons do (one at a time, the state shown after).
    EditorView(MainWindow& window, Session& session,
               std::function<void(const std::function<void()>&)> run);

    /// The controls of the page that work.
    static const QStringList& Controls();

    /// Shows the editor's and the viewer's state.
    void Show();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    template <typename T>
    T* Get(const char* name) const;
    void Wire();
    void ShowMeasure();
    void ShowTimeRows();
    /// The edit box's selection as positions in the editor's text.
    std::pair<std::size_t, std::size_t> Selection() const;
    /// A position of the edit box as a byte offset in the editor's text.
    std::size_t TextOffset(std::size_t position) const;
    void SetMemoText(const QString& text);
    /// The edit box shows the editor's text again (typing it refused).
    void RestoreMemo();
    /// Keys of the edit box: Page Up/Down step through the subtitles, with Ctrl through the
    /// report; Ctrl with a digit runs a keyboard aid. True when the key was taken.
    bool MemoKey(int key, Qt::KeyboardModifiers modifiers);

    MainWindow& window_;
    Session& session_;
    std::function<void(const std::function<void()>&)> run_;
    QPlainTextEdit* memo_ = nullptr;
    bool showing_ = false;  // the widgets are being filled: their signals are not the user's
};

}  // namespace tessaline::gui
