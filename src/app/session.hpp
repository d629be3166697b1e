#pragma once

// The main window's state and handlers, without widgets. The desktop program shows this state
// and calls these handlers; the command line drives the same handlers, so both run every
// operation the same way.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/editor.hpp"
#include "app/folder_run.hpp"
#include "app/report_viewer.hpp"
#include "core/strings.hpp"
#include "files/frame.hpp"
#include "files/host.hpp"
#include "ops/controls.hpp"
#include "ops/operation.hpp"
#include "ops/settings.hpp"
#include "ops/sync.hpp"

namespace tessaline {

inline constexpr std::string_view kPathToFileIsWrong = "Path to File is Wrong!";
inline constexpr std::string_view kFileNotExists = "File not Exists!";
/// Asked before the open file is left while the editor holds a change that is not written.
inline constexpr std::string_view kEditsNotSaved =
    "Current File has been changed, but Not Saved!\r\nSave Current File?";
/// Something other than a file (a folder, a FIFO, a device) at the path of a subtitle file.
inline constexpr std::string_view kNotRegularFile = "not a regular file";
/// Shown when a run could not get the memory it needed (a line of hundreds of megabytes under a
/// memory limit); the run is stopped and leaves nothing behind.
inline constexpr std::string_view kNotEnoughMemory = "Not enough memory to process the file";

/// The dialogue separators used when DiaBreak.dat is missing or empty.
inline constexpr std::array<std::string_view, 3> kDefaultDiaBreaks = {". -", "! -", "? -"};

/// The buttons (and the one check box) whose captions turn italic in directory mode.
extern const std::vector<std::string_view> kDirectoryCapableControls;

class Session {
  public:
    /// `programFolder` holds Tessaline.ini, LastOpen.dat, DiaBreak.dat and Operations.log.
    Session(Host& host, std::string programFolder);

    // --- Start and exit ------------------------------------------------------------------------

    /// Reads Tessaline.ini (when it exists; `iniPath` names another file instead), LastOpen.dat
    /// and DiaBreak.dat and sets the state that depends on them, as at program start.
    void Start(const std::string& iniPath = "");

    /// Writes LastOpen.dat and every setting back to Tessaline.ini, as at program exit.
    void Exit();

    /// Writes every setting to Tessaline.ini now (the settings windows' "Close" does, so that a
    /// later crash or kill does not lose what the user chose).
    void SaveSettings();

    // --- State ---------------------------------------------------------------------------------

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    Host& host() { return host_; }
    [[nodiscard]] const std::string& programFolder() const { return programFolder_; }

    /// The open file (edOpenFile): a subtitle file, or folder + mask in directory mode.
    std::string openFile;
    /// The recently opened files (the list of edOpenFile), newest first, at most 10.
    std::vector<std::string> recentFiles;
    /// The extension of the open file, as FileExtOf gives it.
    std::string currentExt;
    /// Where the operations write their output: the open file with the extension "out".
    std::string outputPath;
    /// The folder of the open file.
    std::string folder;

    bool directoryMode = false;  // cbDirectoryMode

    /// How the open file is stored, decided when the window opened it (the command line decides
    /// in each run instead); nothing in directory mode or when it could not be read.
    std::optional<FileEncoding> openEncoding;
    /// The caption of the open file's encoding ("UTF-8 with BOM"); empty when none is known.
    [[nodiscard]] std::string OpenEncodingCaption() const;

    bool outFileVisible = false;  // stOutFile
    bool logFileVisible = false;  // stLogFile

    /// The dialogue separators (DiaBreak.dat).
    LineList diaBreaks;

    /// The window's values that no setting stores: the operations' own controls and the lists
    /// above the pages.
    ControlValues controls;

    /// The desktop program edits the open file's subtitles: opening a file builds the index of
    /// the line editor. The command line has no editor and builds none.
    bool withEditor = false;
    /// The desktop program: a folder run gathers its messages into one summary at the end, a
    /// folder deletion is asked once, and every run ends with a status-bar line that says what it
    /// did. The command line keeps its one line per message and prints nothing more.
    bool talksToWindow = false;
    /// The subtitle line editor of the "Subtitle" page.
    SubtitleEditor editor{*this};
    /// The report viewer ("Log Data") beside it.
    ReportViewer viewer{*this};

    /// The mask of directory mode (cbSubExt).
    [[nodiscard]] const std::string& subExtMask() const { return controls.Text("cbSubExt"); }
    /// The output kind that "Delete File:" removes and the operations select (cbOutExt).
    [[nodiscard]] const std::string& outExt() const { return controls.Text("cbOutExt"); }
    /// The report kind whose indicator shows (cbLogExt; "" = no selection).
    [[nodiscard]] const std::string& logExt() const { return controls.Text("cbLogExt"); }
    /// The add-file box (edOpenFileAdd): the second input of the two-file operations.
    [[nodiscard]] const std::string& openAddFile() const { return controls.Text("edOpenFileAdd"); }

    // --- Handlers ------------------------------------------------------------------------------

    /// Before the open file is left (another file or folder, directory mode, the program's end):
    /// when the editor holds a change that is not written, asks kEditsNotSaved, with AutoSave on
    /// or off. Yes writes it as ReWrite does, No drops it. False on Cancel, or when the write
    /// failed: the caller then stays where it is.
    bool LeaveEdits();

    /// Opens a subtitle file: checks the path, records its extension, output path and folder,
    /// presets the conversion, refreshes the indicators.
    /// `logged`: the opening is written to the operations log (a file reopened after a run
    /// replaced it is not: the run logs itself).
    Outcome OpenSubtitleFile(const std::string& path, bool logged = true);

    /// The open dialog's end: opens the file and puts it first in the recent list.
    Outcome OpenFromDialog(const std::string& path);

    /// Enter in the open-file box: opens the typed path, or in directory mode a typed folder and
    /// mask ("other/*.srt"); what opened goes first in the recent list when it is not there yet,
    /// as from the open dialog. A path that does not open leaves the open file as it was.
    Outcome OpenFromBox(const std::string& text);

    /// The add-file box gets a path from its open dialog.
    Outcome OpenAddFile(const std::string& path);

    /// Opens a folder + mask ("subs/*.srt") in directory mode, as the command line does.
    void OpenMask(const std::string& pathText);

    /// Switches directory mode on or off.
    void SetDirectoryMode(bool on);

    /// Runs a catalogued operation as its button does: checks the open file's kind; in directory
    /// mode the runner goes over the mask with the code's fixed flag, otherwise the operation
    /// runs on the open file, interactive; then the indicators are refreshed and the operation's
    /// text is logged. kVariantFromControl takes the variant from the operation's control.
    Outcome Run(const Operation& op, int variant = kVariantFromControl);

    /// Runs the catalogued operation of a command name (for scripts and tests).
    Outcome Run(std::string_view command, int variant = kVariantFromControl);

    /// The handler of a catalogued button or menu item; nothing happens for another name.
    Outcome Click(std::string_view control);

    /// stOutFile and stLogFile after a command.
    void RefreshIndicators();

    /// The longest subtitle the line settings allow (lmaxSubLengthResult): lines x length less
    /// the length correction.
    [[nodiscard]] int MaxSubLengthResult() const;

    /// The line settings in one text (stData).
    [[nodiscard]] std::string LineSettingsSummary() const;

    /// The caption of the time status (stStatusTime) and whether it stands on the left.
    [[nodiscard]] std::string TimeStatusCaption() const;

    /// Adds a line to Operations.log (kind 1: with the file or folder, 2: with the report kind).
    /// Only when WriteOperationsLog is on.
    void LogOperation(std::string_view text, int kind);

    /// Runs the operation of `code` over every file of the folder of `pathText` that matches
    /// `mask`, each with its own output path and the interactive flag the code fixes.
    Outcome RunDirectoryCode(int code, std::string_view pathText, std::string_view mask,
                             int variant = 0);

    /// Runs a handler body: shows a conversion or file error as a message and maps the result.
    Outcome Guarded(const std::function<RunResult()>& body);
    Outcome Guarded(Host& host, const std::function<RunResult()>& body);

    /// How many files of a folder run go at once, each on a thread of its own (1: one after
    /// another). Whatever the number, the user sees the same outputs, messages and log.
    int jobs = 1;

    /// What the last sync of the open file aligned (the Diag page draws it); empty before one
    /// wrote its output.
    SyncPicture lastSync;

    /// The host that operations are given: it forwards to the window's host and keeps the report
    /// kind an operation selects.
    Host& operationHost() { return opHost_; }

    /// What an operation is given when it starts.
    [[nodiscard]] OperationContext Context();

  private:
    class OperationHost : public Host {
      public:
        explicit OperationHost(Session& session) : session_(session) {}
        void ShowMessage(std::string_view text) override { session_.host_.ShowMessage(text); }
        void ShowLineMessage(std::size_t line, std::string_view text) override {
            session_.host_.ShowLineMessage(line, text);
        }
        void SetCurrentFile(std::string_view path) override { session_.host_.SetCurrentFile(path); }
        Answer Ask(std::string_view text) override { return session_.host_.Ask(text); }
        void SetStatus(StatusField field, StatusState state) override {
            session_.host_.SetStatus(field, state);
        }
        void ExplainStatus(StatusField field, std::string_view reason) override {
            session_.host_.ExplainStatus(field, reason);
        }
        void SetStatusBar(std::string_view text) override {
            said = true;
            session_.host_.SetStatusBar(text);
        }
        // The first summary of the run is kept; any summary outweighs a status-bar text said
        // before it (the report's ">> 6 Fixed Strings" becomes "film.out written: 6 Fixed
        // Strings"), a text said after it outweighs the summary (a conversion's own line).
        void SummarizeRun(std::string_view text) override {
            if (summary.empty()) summary = text;
            said = false;
        }
        void ShowProgress(std::string_view text) override { session_.host_.ShowProgress(text); }
        void SetBusy(bool on) override { session_.host_.SetBusy(on); }
        void ProcessEvents() override { session_.host_.ProcessEvents(); }
        void SelectReportKind(std::string_view mask) override;
        void ShowDirectoryProgress(std::string_view text) override {
            session_.host_.ShowDirectoryProgress(text);
        }
        void PrintResult(std::string_view line) override {
            said = true;
            session_.host_.PrintResult(line);
        }
        void ReportSkipped(std::string_view reason) override {
            session_.host_.ReportSkipped(reason);
        }
        void ShowReadProgress(std::uint64_t read, std::uint64_t total) override {
            session_.host_.ShowReadProgress(read, total);
        }
        void ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t bytesDone,
                                std::uint64_t bytesTotal) override {
            session_.host_.ShowFolderProgress(index, count, bytesDone, bytesTotal);
        }
        void ShowWorkProgress(double done) override { session_.host_.ShowWorkProgress(done); }
        void KeepResponsive() override { session_.host_.KeepResponsive(); }
        bool StopRequested() override { return session_.host_.StopRequested(); }
        void ShowRefusal(std::string_view text, std::string_view wayOut) override {
            session_.host_.ShowRefusal(text, wayOut);
        }

        /// The run put a text of its own on the status bar.
        bool said = false;
        /// What the run did, in a count and its words ("812 timings 2000 ms later").
        std::string summary;

      private:
        Session& session_;
    };

    void PresetSubToSub();
    /// The status-bar line after a run on the open file that said nothing of its own: the files
    /// it wrote, or how it ended. `before` holds the stamps of `files` before the run.
    /// `summary` is what the run handed as its count ("" for none).
    [[nodiscard]] std::string RunFeedback(
        const Operation& op, int variant, Outcome outcome, const std::vector<std::string>& files,
        const std::vector<std::pair<std::uint64_t, std::int64_t>>& before,
        std::string_view summary) const;
    /// In the window, a folder deletion is asked once: false when the user did not say Yes.
    bool ConfirmFolderDeletion(const std::string& kind);
    /// Shows a folder run's summary in the window.
    void ShowFolderSummary(const FolderRunReport& report);
    /// Puts a path first in the recent list when the list does not hold it yet.
    void Remember(const std::string& path);
    /// The output of an operation's variant on the open file ("" when it writes none).
    [[nodiscard]] std::string OutputPathOf(const Operation& op, int variant) const;
    /// A chain (All in One) over the files of the open mask, file by file.
    Outcome RunChainOverFolder(const Operation& op);
    /// Two subtitle inputs of the mask in the folder would share one film.out: said, and true.
    bool SharedOutputRefused(std::string_view command, std::string_view mask);
    Outcome RunOnOpenFile(const Operation& op, const std::string& input, const std::string& output,
                          int variant);
    void ReadSettingsFrom(const std::string& iniPath);
    std::string ProgramFile(std::string_view name) const;

    Host& host_;
    OperationHost opHost_{*this};
    std::string programFolder_;
    Settings settings_;
};

}  // namespace tessaline
