#pragma once

// The main window: shows the session's state in widgets and calls the session's handlers.
// It holds no subtitle logic of its own.

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/session.hpp"
#include "gui/file_paths.hpp"
#include "gui/qt_host.hpp"

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QTabWidget;

namespace tessaline::gui {

struct ControlDef;
class EditorView;
class WindowTexts;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    /// Builds the window and starts the session in `programFolder` (settings, recent files).
    explicit MainWindow(const std::string& programFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return *session_; }
    QtHost& host() { return *host_; }

    /// Opens a subtitle file as Enter in the open-file box does.
    void OpenFile(const QString& path);

    /// Tests and scripts replace the open dialogs with this (it returns the chosen path or "").
    std::function<QString(const QString& folder)> openDialogHook;

    /// Applies the captions of a language file; false when it cannot be read.
    bool ApplyLanguage(const QString& path);

    /// The texts of the language applied last (English when none).
    WindowTexts& texts() { return *texts_; }

    /// Saves a picture of every page into `folder` (main.png and one file per page).
    bool SaveScreenshots(const QString& folder);
    /// Saves a picture of the window as it stands.
    bool SaveScreenshot(const QString& file);

    /// The widget or action of a control, by its established name.
    template <typename T>
    T* Control(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }

  protected:
    void closeEvent(class QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, class QEvent* event) override;

  private:
    void BuildMenus();
    void BuildPages();
    void BindSettings();
    void BindControls();
    void ShowControl(std::string_view name);
    void WireDependentControls();
    void WireCommands();
    void WireTextTools();
    void MarkNotAvailable();
    void ShowHints();
    void BindEnabledStates();

    void FormCreate();
    void FormDestroy();
    void Place();

    /// Runs a handler: refuses while another command runs, passes the controls' values to the
    /// session first and shows the session's state afterwards.
    void Run(const std::function<void()>& handler);
    void ShowState();
    void ShowLineSummary();
    void ShowTimeCaption();
    void ShowSettings();
    void ShowParameters();

    /// Asks about the editor's unwritten change before the open file is left; false: stay.
    bool LeaveEdits();
    QString ChooseFile(const QString& folder);
    void OpenFromDialog();
    void OpenAddFromDialog();
    void ShowAbout();
    void ShowSubtitlesLists();

    std::unique_ptr<QtHost> host_;
    std::unique_ptr<Session> session_;
    EditorView* editorView_ = nullptr;    // a child of the window
    std::unique_ptr<WindowTexts> texts_;  // the language's texts of every window
    QTabWidget* pages_ = nullptr;
    std::function<void()> drawDiagram_;  // draws the open file's diagram
    std::string drawnFile_;              // the file the diagram shows, with its size and time
    std::pair<std::uint64_t, std::int64_t> drawnStamp_;  // a command that changes it redraws it
    QString caption_;  // the window's caption before the open file's name
    bool running_ = false;
    bool closed_ = false;
};

/// The widget of a control of the window layout tables, with its objectName, caption, items,
/// range and initial value.
QWidget* MakeControl(const ControlDef& def, QWidget* parent);

}  // namespace tessaline::gui
