#pragma once

// The only way an operation talks to the user. The desktop program implements it with widgets,
// the command line with its standard streams, the tests with RecordingHost.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaline {

/// The status fields that show an operation's state in caption and colour.
enum class StatusField {
    OffsetTime,  // stStatusText
    OffsetTail,  // stStatusTextTail
};

/// "status" on the button face, "normal" on lime green, "error" on red.
enum class StatusState { Idle, Running, Error };

enum class Answer { Yes, No, Cancel };

/// The caption a status field shows in a state.
[[nodiscard]] std::string_view StatusCaption(StatusState state);

class Host {
  public:
    virtual ~Host() = default;

    /// A message box with an OK button. CR LF inside the text breaks the line.
    virtual void ShowMessage(std::string_view text) = 0;

    /// A refusal's message box with a second line that names the file and the way out
    /// ("film.out is already there: use Rename out-File or Delete File first"). The window shows
    /// both lines; the command line, whose message lines scripts read, only the first.
    virtual void ShowRefusal(std::string_view text, std::string_view wayOut) {
        (void)wayOut;
        ShowMessage(text);
    }

    /// A message about line `line` (1-based) of the current file: the window shows
    /// "Line 13: " + text, the command line "PATH:13: " + text.
    virtual void ShowLineMessage(std::size_t line, std::string_view text);

    /// The file that the following messages are about ("" for none): a folder run shows the same
    /// message for many files, so each says which. The window puts the name in the box's title,
    /// the command line puts the path before the message.
    virtual void SetCurrentFile(std::string_view path) = 0;

    /// A question with the buttons Yes, No and Cancel.
    virtual Answer Ask(std::string_view text) = 0;

    virtual void SetStatus(StatusField field, StatusState state) = 0;

    /// Why a status field turned red: called right after SetStatus(field, Error). The window
    /// shows it as the field's tooltip.
    virtual void ExplainStatus(StatusField field, std::string_view reason) {
        (void)field;
        (void)reason;
    }

    /// The simple text of the status bar (a summary at the end of an operation).
    virtual void SetStatusBar(std::string_view text) = 0;

    /// What a run did, as a count and its words ("812 timings 2000 ms later", "6 notes"). The
    /// window ends the run's status-bar line with it, after the files it wrote; the command line,
    /// whose standard output scripts read, leaves it out. The first summary of a run is the one
    /// that counts: an operation's own comes before the frame's general one.
    virtual void SummarizeRun(std::string_view summary) { (void)summary; }

    /// The status bar's progress text while an operation runs ("Number of subtitle = 12").
    /// Called once per record: a window shows it when it next processes events, the command line
    /// leaves it out.
    virtual void ShowProgress(std::string_view text) = 0;

    /// The hourglass cursor on or off.
    virtual void SetBusy(bool on) = 0;

    /// Called once per line read: lets the window repaint. Must cost nanoseconds; a window
    /// throttles the real event processing by time.
    virtual void ProcessEvents() = 0;

    /// Selects a report kind such as "*.corr" in the kind lists (cbOutExt, cbLogExt).
    virtual void SelectReportKind(std::string_view mask) = 0;

    /// The directory runner's progress line (stStatusInd); an empty text hides it.
    virtual void ShowDirectoryProgress(std::string_view text) = 0;

    /// A file of a folder run was skipped without a message box, because the run's operation code
    /// shows none (an existing output): the command line says so on stderr, so that its exit
    /// status always comes with a reason; the window keeps quiet, as these codes always have.
    /// `reason` is the text the box would have shown.
    virtual void ReportSkipped(std::string_view reason) { (void)reason; }

    /// How far a long run is: `bytesRead` of the input's `bytesTotal`, called once per block
    /// read (not per line). Hosts that show no such progress ignore it.
    virtual void ShowReadProgress(std::uint64_t bytesRead, std::uint64_t bytesTotal) {
        (void)bytesRead;
        (void)bytesTotal;
    }

    /// How far a long step that reads no lines is (listening to a film's sound): `done` from 0
    /// to 1, now and then. Hosts that show no such progress ignore it.
    virtual void ShowWorkProgress(double done) { (void)done; }

    /// Called every few milliseconds while the program waits for worker threads: a window
    /// processes its pending events, so it stays responsive.
    virtual void KeepResponsive() {}

    /// The user asked a folder run to stop (the window's Stop button): the run ends after the
    /// files that are running. Asked between files, on the thread that started the run.
    virtual bool StopRequested() { return false; }

    /// A folder run is at file `index` (1-based) of `count` (index count + 1 when it ends), with
    /// `bytesDone` of the folder's `bytesTotal` bytes in the files before it.
    virtual void ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                                    std::uint64_t bytesTotal) {
        (void)index;
        (void)count;
        (void)bytesDone;
        (void)bytesTotal;
    }

    /// A line of a command's result that is its whole purpose (the range of a file, a detected
    /// code page): the command line prints it on stdout, also when quiet; the window, which shows
    /// such results in its own controls, puts it on the status bar.
    virtual void PrintResult(std::string_view line) = 0;
};

/// Names the file of the messages for its lifetime, and no file afterwards.
class CurrentFile {
  public:
    CurrentFile(Host& host, std::string_view path) : host_(host) { host_.SetCurrentFile(path); }
    ~CurrentFile() { host_.SetCurrentFile(""); }
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;

  private:
    Host& host_;
};

/// Switches the busy cursor on for its lifetime, off again on every exit path.
class BusyCursor {
  public:
    explicit BusyCursor(Host& host) : host_(host) { host_.SetBusy(true); }
    ~BusyCursor() { host_.SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    Host& host_;
};

}  // namespace tessaline
