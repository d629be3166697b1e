#pragma once

// The desktop program's Host: message boxes, the status fields' colours, the busy cursor, the
// report-kind lists and the directory runner's progress, with the window's event processing
// throttled so that the per-line call costs nanoseconds.

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "core/text_form.hpp"
#include "files/host.hpp"

class QLabel;
class QWidget;

namespace tessaline::gui {

class QtHost : public Host {
  public:
    /// The widgets the host writes to; any may be null.
    struct Widgets {
        QWidget* parent = nullptr;
        QLabel* statusText = nullptr;      // stStatusText
        QLabel* statusTextTail = nullptr;  // stStatusTextTail
        QLabel* statusInd = nullptr;       // stStatusInd
        QWidget* stop = nullptr;           // the Stop button of folder runs
        std::function<void(const QString&)> showStatusBar;
        std::function<void(const QString&)> selectReportKind;
    };

    explicit QtHost(Widgets widgets);

    /// Tests set this to record message boxes instead of showing them (a modal box would block).
    std::function<void(const QString&)> messageHook;
    /// Tests set this to answer questions without a box.
    std::function<Answer(const QString&)> askHook;

    /// The window's progress bar of a long step (listening to a film); unset: none shows.
    std::function<void(double)> workProgressHook;

    void ShowMessage(std::string_view text) override;
    /// The refusal and, on a second line, the file and the way out.
    void ShowRefusal(std::string_view text, std::string_view wayOut) override;
    /// The Stop button was pressed since the run began.
    bool StopRequested() override { return stopRequested_; }
    /// Stop pressed (the button, or Esc while it shows).
    void RequestStop() { stopRequested_ = true; }
    /// A new run begins: an earlier Stop does not count for it.
    void ClearStop() { stopRequested_ = false; }
    void SetCurrentFile(std::string_view path) override {
        currentFile_ =
            QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    }
    /// The title of a message box: the program, and the file it is about.
    [[nodiscard]] QString BoxTitle() const;
    Answer Ask(std::string_view text) override;
    void SetStatus(StatusField field, StatusState state) override;
    /// Shows the status fields again in the window's language: the state of their last run, or
    /// nothing before the first (a caption there would only be a placeholder).
    void RepaintStatusFields();
    /// The red field's tooltip.
    void ExplainStatus(StatusField field, std::string_view reason) override;
    void SetStatusBar(std::string_view text) override;
    void ShowProgress(std::string_view text) override;
    void SetBusy(bool on) override;
    void ProcessEvents() override;
    void SelectReportKind(std::string_view mask) override;
    void ShowDirectoryProgress(std::string_view text) override;
    void PrintResult(std::string_view line) override { SetStatusBar(line); }
    /// The window keeps painting and answering while a folder run's files go on other threads.
    void ShowWorkProgress(double done) override {
        if (workProgressHook) workProgressHook(done);
    }
    void KeepResponsive() override;
    /// "file k of n" on the status bar during a folder run.
    void ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                            std::uint64_t bytesTotal) override;

    /// Windows-1251 text of the system as a QString, and back.
    static QString FromText(std::string_view text);
    static std::string ToText(const QString& text);
    /// Text of a file in its form (UTF-8, or Windows-1251) as a QString.
    static QString FromText(std::string_view text, TextForm form);
    /// Typed text in a file's form. A character a Windows-1251 file cannot hold is refused: a
    /// message names it and the result is nothing, so that it is never written as "?".
    std::optional<std::string> ToText(const QString& text, TextForm form);
    /// The same without a message: `refusal` says why when the result is nothing.
    static std::optional<std::string> ToText(const QString& text, TextForm form, QString& refusal);
    /// Shows a message box with a text of the window's own (not the system's Windows-1251).
    void Tell(const QString& message);

  private:
    Widgets widgets_;
    QString currentFile_;
    QElapsedTimer sinceEvents_;
    std::string progress_;  // shown at the next event processing
    unsigned calls_ = 0;
    bool stopRequested_ = false;
    // The state each status field shows; none before its first run.
    std::optional<StatusState> offsetState_;
    std::optional<StatusState> tailState_;
};

}  // namespace tessaline::gui
