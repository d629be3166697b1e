#include "app/session.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/directory.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "ops/catalogue.hpp"
#include "ops/directory_codes.hpp"
#include "ops/recode.hpp"

namespace tessaline {
namespace {

constexpr std::size_t kRecentFilesMax = 10;

// What the window says after a run (the command line says nothing of these).
constexpr std::string_view kDeleteQuestion = "Delete %n %kind in %folder? They go to the trash.";
constexpr std::string_view kNothingDeleted = "Nothing deleted";
constexpr std::string_view kFilesWritten = "%files written";
constexpr std::string_view kFilesWrittenWith = "%files written: %summary";
constexpr std::string_view kFilesRemoved = "%files removed";
constexpr std::string_view kNothingWritten = "%command: done, no file written";
constexpr std::string_view kCommandStopped = "%command stopped";
constexpr std::string_view kWrongKind = "%command does not take .%ext files";

// A text with its %names replaced.
std::string Filled(std::string_view text,
                   std::initializer_list<std::pair<std::string_view, std::string>> values) {
    std::string result(text);
    for (const auto& [name, value] : values) {
        const std::size_t at = result.find(name);
        if (at != std::string::npos) result.replace(at, name.size(), value);
    }
    return result;
}
// At start the report list selects the kind at index 10 of the kinds ("*.fixd"); "*.out", which
// comes after it, is then left out of that list.
constexpr std::size_t kLogExtStartIndex = 10;

}  // namespace

const std::vector<std::string_view> kDirectoryCapableControls = {"cbDirectoryMode",
                                                                 "btnAllInOne",
                                                                 "btnOffsetReCount",
                                                                 "btnSubtitlesCorrection",
                                                                 "btnSubToSub",
                                                                 "btnSubTagFixToOneLine",
                                                                 "btnSubTagFix",
                                                                 "btnSubTagRemove",
                                                                 "btnFixDoubleTimingsSub",
                                                                 "btnFixWrongTimingsAndJoinText",
                                                                 "btnSubToOneLine",
                                                                 "btnSubToBottom",
                                                                 "btnBreakSubDialog",
                                                                 "btnBreakBigText",
                                                                 "btnSubDelSpaceBeforeDelimiters",
                                                                 "btnSubDelimitersFix",
                                                                 "btnSubLineCut",
                                                                 "btnSubLineTest",
                                                                 "btnTimeTest",
                                                                 "btnTimeTestDbl",
                                                                 "cbNoTimeRangeLog",
                                                                 "btnFrameTest",
                                                                 "btnFrameTestDbl",
                                                                 "btnExtendDeltaSubTime",
                                                                 "btnExtendDeltaSubTimeDbl",
                                                                 "btnSprainRangeTimeAtSec",
                                                                 "btnFindText",
                                                                 "btnRemoveLineBeginFromText",
                                                                 "btnReplaceText",
                                                                 "btnReplaceList",
                                                                 "btnRenameFile",
                                                                 "btnDeleteFile",
                                                                 "btnOffsetTimeMls",
                                                                 "btnAddLastSub",
                                                                 "btnDelLastSub",
                                                                 "btnSubtitleTimeCorrection",
                                                                 "btnFixSubDialog"};

Session::Session(Host& host, std::string programFolder)
    : host_(host), programFolder_(std::move(programFolder)) {}

std::string Session::ProgramFile(std::string_view name) const {
    return JoinInFolder(programFolder_, name);
}

void Session::OperationHost::SelectReportKind(std::string_view mask) {
    session_.controls.Set("cbOutExt", mask);
    session_.controls.Set("cbLogExt", mask);
    session_.host_.SelectReportKind(mask);
}

void Session::Start(const std::string& iniPath) {
    ReadSettingsFrom(iniPath.empty() ? ProgramFile("Tessaline.ini") : iniPath);
    controls.Set("cbSubToSub", "0");
    controls.Set("cbOutExt", "*.out");
    // The report list holds the output kinds without "*.out".
    controls.Set("cbLogExt", kOutExtItems[kLogExtStartIndex]);
    diaBreaks = ReadLinesIfExists(ProgramFile("DiaBreak.dat"));
    if (diaBreaks.empty()) diaBreaks.assign(kDefaultDiaBreaks.begin(), kDefaultDiaBreaks.end());
    PresetSubToSub();
    recentFiles = ReadLinesIfExists(ProgramFile("LastOpen.dat"));
    if (recentFiles.size() > kRecentFilesMax) recentFiles.resize(kRecentFilesMax);
    RefreshIndicators();
}

void Session::ReadSettingsFrom(const std::string& iniPath) {
    if (IsRegularFile(iniPath)) {
        // One message for all the refused values: one box in the window, one block on stderr.
        const LineList warnings = settings_.ReadFrom(IniFile::Load(iniPath));
        if (!warnings.empty()) {
            host_.ShowMessage(iniPath + ": " + JoinStrings(warnings, "\r\n" + iniPath + ": "));
        }
    }
    if (settings_.Bool("SaveLastOpenFileString")) {
        const std::string& last = settings_.Text("LastOpenFileString");
        if (!last.empty()) {
            openFile = last;
            folder = FolderOf(last);
            outputPath = ChangeFileExtMode(last, "out", 0);
            currentExt = FileExtOf(last);
        }
    }
    if (settings_.Bool("SaveLastOpenAddFileString")) {
        controls.Set("edOpenFileAdd", settings_.Text("LastOpenAddFileString"));
    }
}

void Session::Exit() {
    WriteLinesReplacing(ProgramFile("LastOpen.dat"), recentFiles);
    SaveSettings();
}

void Session::SaveSettings() {
    if (settings_.Bool("SaveLastOpenFileString")) settings_.SetText("LastOpenFileString", openFile);
    if (settings_.Bool("SaveLastOpenAddFileString")) {
        settings_.SetText("LastOpenAddFileString", openAddFile());
    }
    const std::string iniPath = ProgramFile("Tessaline.ini");
    IniFile ini = IniFile::Load(iniPath);
    settings_.WriteTo(ini);
    ini.Save(iniPath);
}

void Session::PresetSubToSub() {
    // Compared exactly: a file named in capitals keeps the previous choice.
    if (currentExt == "srt") {
        controls.SetNumber("cbSubToSub", 1);
    } else if (currentExt == "sub") {
        controls.SetNumber("cbSubToSub", 0);
    } else if (currentExt == "ssa" || currentExt == "ass") {
        controls.SetNumber("cbSubToSub", 3);
    }
}

Outcome Session::OpenSubtitleFile(const std::string& path, bool logged) {
    const CurrentFile about(host_, path);
    if (path.empty() || path.front() == ' ') {
        host_.ShowMessage(kPathToFileIsWrong);
        return Outcome::Refused;
    }
    if (!IsRegularFile(path)) {
        // A folder, a FIFO or a device is refused on its stat alone: opening a FIFO would wait
        // for a writer.
        std::error_code error;
        host_.ShowMessage(std::filesystem::exists(path, error) ? kNotRegularFile : kFileNotExists);
        return Outcome::Refused;
    }
    // The window decides the encoding once, for the editor and the title; a file of no text (an
    // image subtitle) is not opened at all, so the editor never loads it.
    std::optional<FileEncoding> encoding;
    if (withEditor) {
        try {
            encoding = DecideFileEncoding(path);
        } catch (const NotTextFileError&) {
            host_.ShowMessage(NotTextFileError::kNotTextFile);
            return Outcome::Refused;
        } catch (const FileError&) {
            // A file that cannot be read says so when an operation reads it.
        }
    }
    openEncoding = directoryMode ? std::nullopt : encoding;
    openFile = path;
    folder = FolderOf(path);
    settings_.SetText("LastDir", folder);
    currentExt = FileExtOf(path);
    if (directoryMode) {
        SetDirectoryMode(true);
    } else {
        outputPath = ChangeFileExtMode(path, "out", 0);
    }
    PresetSubToSub();
    if (withEditor) editor.Open();
    RefreshIndicators();
    if (logged) LogOperation("[Open File] Click", 1);
    return Outcome::Ok;
}

std::string Session::OpenEncodingCaption() const {
    return openEncoding ? EncodingCaption(*openEncoding) : std::string();
}

void Session::Remember(const std::string& path) {
    if (std::find(recentFiles.begin(), recentFiles.end(), path) == recentFiles.end()) {
        recentFiles.insert(recentFiles.begin(), path);
        if (recentFiles.size() > kRecentFilesMax) recentFiles.resize(kRecentFilesMax);
    }
}

bool Session::LeaveEdits() {
    if (!withEditor || !editor.modified() || editor.tooLong()) return true;
    switch (host_.Ask(kEditsNotSaved)) {
        case Answer::Yes:
            if (!editor.ReWrite()) return false;
            break;
        case Answer::No:
            editor.ForgetEdits();
            break;
        case Answer::Cancel:
            return false;
    }
    return true;
}

Outcome Session::OpenFromDialog(const std::string& path) {
    if (!LeaveEdits()) return Outcome::Ok;
    const Outcome outcome = OpenSubtitleFile(path);
    Remember(path);
    return outcome;
}

Outcome Session::OpenFromBox(const std::string& text) {
    if (!LeaveEdits()) return Outcome::Ok;
    if (directoryMode && text.find_first_of("*?") != std::string::npos) {
        // A typed mask names the folder that the next command runs over.
        const CurrentFile about(host_, text);
        const std::string maskFolder = FolderOf(text);
        if (!IsFolder(maskFolder.empty() ? "." : maskFolder)) {
            host_.ShowMessage(kFileNotExists);
            return Outcome::Refused;
        }
        OpenMask(text);
        if (withEditor) editor.Open();
        settings_.SetText("LastDir", folder);
        RefreshIndicators();
        LogOperation("[Open File] Click", 1);
        return Outcome::Ok;
    }
    const Outcome outcome = OpenSubtitleFile(text);
    if (outcome == Outcome::Ok) Remember(text);
    return outcome;
}

Outcome Session::OpenAddFile(const std::string& path) {
    if (path.empty() || path.front() == ' ') {
        host_.ShowMessage(kPathToFileIsWrong);
        return Outcome::Refused;
    }
    controls.Set("edOpenFileAdd", path);
    LogOperation("[Open Add File] Click", 1);
    return Outcome::Ok;
}

void Session::OpenMask(const std::string& pathText) {
    directoryMode = true;
    openEncoding.reset();
    openFile = pathText;
    folder = FolderOf(pathText);
    currentExt = FileExtOf(pathText);
    controls.Set("cbSubExt", TextAfterLastChar(pathText, kPathSeparator));
    outputPath = ChangeFileExtMode(pathText, "out", 0);
}

void Session::SetDirectoryMode(bool on) {
    if (on && !directoryMode && !LeaveEdits()) return;
    directoryMode = on;
    if (on) openEncoding.reset();
    if (!on) {
        controls.Set("cbOutExt", "*.out");
        return;
    }
    if (openFile.empty()) {
        controls.Set("cbSubExt", kSubExtItems[0]);
        return;
    }
    currentExt = FileExtOf(openFile);
    controls.Set("cbSubExt", "*." + currentExt);
    folder = FolderOf(openFile);
    openFile = JoinInFolder(folder, subExtMask());
    outputPath = ChangeFileExtMode(openFile, "out", 0);
    // The box holds a mask now: there is no one file to edit.
    if (withEditor) editor.Open();
}

void Session::RefreshIndicators() {
    outFileVisible = !outputPath.empty() && PathExists(outputPath);
    logFileVisible = false;
    if (!logExt().empty() && !outputPath.empty()) {
        const std::string report = ChangeFileExtMode(outputPath, logExt(), 3);
        logFileVisible = !report.empty() && PathExists(report);
    }
}

int Session::MaxSubLengthResult() const {
    return settings_.Int("SubLineCount") * settings_.Int("SubLineLength") -
           settings_.Int("MaxSubLengthCorrection");
}

std::string Session::LineSettingsSummary() const {
    return "lines: " + settings_.Text("SubLineCount") +
           "; len: " + settings_.Text("SubLineLength") + "; BR:" + settings_.Text("BreakMode") +
           "; Rplc:" + settings_.Text("ReplaceMode");
}

std::string Session::TimeStatusCaption() const {
    return settings_.Bool("BeginTimeFrameOfLastSubtitle") ? " time -->" : "--> time ";
}

void Session::LogOperation(std::string_view text, int kind) {
    if (!settings_.Bool("WriteOperationsLog")) return;
    std::string line(text);
    if (kind == 1) {
        line += directoryMode ? " | Type: " + subExtMask() + " | DirMode | Dir: " + folder
                              : " | File: " + openFile;
    } else if (kind == 2) {
        line += " | Mask: " + outExt();
        if (directoryMode) line += " | DirMode | Dir: " + folder;
    }
    try {
        LogAppend(line, ProgramFile("Operations.log"), 1);
    } catch (const FileError& e) {
        host_.ShowMessage(e.what());
    }
}

Outcome Session::Guarded(const std::function<RunResult()>& body) {
    return Guarded(host_, body);
}

Outcome Session::Guarded(Host& host, const std::function<RunResult()>& body) {
    try {
        switch (body()) {
            case RunResult::Done:
            case RunResult::Skipped:
                return Outcome::Ok;
            case RunResult::Refused:
            case RunResult::Stopped:
                return Outcome::Refused;
        }
    } catch (const ConversionError& e) {
        if (e.line() != 0) {
            host.ShowLineMessage(e.line(), e.what());
        } else {
            host.ShowMessage(e.what());
        }
        return Outcome::ConversionFailed;
    } catch (const FileError& e) {
        host.ShowMessage(e.what());
        return Outcome::Refused;
    } catch (const std::bad_alloc&) {
        // The frame's temporary output went with the unwinding: nothing is left behind.
        host.ShowMessage(kNotEnoughMemory);
        return Outcome::Refused;
    }
    return Outcome::Ok;
}

OperationContext Session::Context() {
    return {.settings = settings_,
            .controls = controls,
            .host = opHost_,
            .programFolder = programFolder_,
            .diaBreaks = diaBreaks,
            .addFile = openAddFile()};
}

Outcome Session::RunDirectoryCode(int code, std::string_view pathText, std::string_view mask,
                                  int variant) {
    const DirectoryOperation* row = FindDirectoryOperation(code);
    const auto op = OperationOfCode(code);
    // A code whose operation is not built yet does nothing.
    if (row == nullptr || !op || op->operation->run == nullptr) return Outcome::Ok;
    const int runVariant = op->variant == kAnyVariant ? variant : op->variant;
    // Files on other threads read copies of the settings and controls taken now: the window may
    // change the originals while they run.
    const bool parallel = jobs > 1;
    const Settings settings = parallel ? settings_ : Settings();
    // The second input of the two-file operations, the same for every file of the run.
    const std::string addFile = openAddFile();
    std::mutex outcomeMutex;
    Outcome outcome = Outcome::Ok;
    FolderRunReport report(opHost_, talksToWindow);
    const auto each = [&](const DirectoryEntry& entry, Host& host) {
        const std::string output =
            row->outputExt.empty()
                ? std::string()
                : JoinInFolder(entry.folder, ChangeFileExtMode(entry.name, row->outputExt, 0));
        // Each file stands on its own: a conversion error in one is shown and the run goes on
        // with the next.
        ControlValues fileControls = parallel ? controls : ControlValues();
        const CurrentFile about(host, entry.path);
        const Outcome fileOutcome = Guarded(host, [&] {
            OperationContext context{.settings = parallel ? settings : settings_,
                                     .controls = parallel ? fileControls : controls,
                                     .host = host,
                                     .programFolder = programFolder_,
                                     .diaBreaks = diaBreaks,
                                     .addFile = addFile};
            return op->operation->run(context, {.input = entry.path,
                                                .output = output,
                                                .interactive = row->interactive,
                                                .variant = runVariant});
        });
        report.Record(entry.path, fileOutcome);
        const std::lock_guard lock(outcomeMutex);
        outcome = Worse(outcome, fileOutcome);
    };
    RunDirectory(pathText, mask, report, each, static_cast<unsigned>(std::max(jobs, 1)));
    ShowFolderSummary(report);
    return outcome;
}

bool Session::SharedOutputRefused(std::string_view command, std::string_view mask) {
    // Two subtitle files of one name (film.srt and film.sub) would share film.out and the
    // reports: a run that writes or takes film.out starts on neither.
    std::map<std::string, std::string> byStem;
    for (const std::string& name : ListMatching(folder, mask)) {
        if (!IsSubtitleInput(name)) continue;
        const std::string stem = ChangeFileExtMode(name, "", 0);
        const auto [it, added] = byStem.emplace(stem, name);
        if (!added) {
            host_.ShowMessage(std::string(command) + ": " + it->second + " and " + name +
                              " would share " + ChangeFileExtMode(name, "out", 0));
            return true;
        }
    }
    return false;
}

Outcome Session::RunChainOverFolder(const Operation& op) {
    const std::string mask = subExtMask();
    if (SharedOutputRefused("All in One", mask)) return Outcome::Refused;
    Outcome outcome = Outcome::Ok;
    FolderRunReport report(opHost_, talksToWindow);
    RunDirectory(openFile, mask, report, [&](const DirectoryEntry& entry, Host& host) {
        const std::string output =
            JoinInFolder(entry.folder, ChangeFileExtMode(entry.name, op.outputExt, 0));
        const CurrentFile about(host, entry.path);
        const Outcome fileOutcome = Guarded(host, [&] {
            OperationContext context = Context();
            return op.run(
                context, {.input = entry.path, .output = output, .interactive = true, .variant = 0});
        });
        report.Record(entry.path, fileOutcome);
        outcome = Worse(outcome, fileOutcome);
    });
    ShowFolderSummary(report);
    return outcome;
}

void Session::ShowFolderSummary(const FolderRunReport& report) {
    if (!talksToWindow) return;
    opHost_.SetStatusBar(report.StatusLine());
    if (const std::string summary = report.Summary(); !summary.empty()) {
        host_.ShowMessage(summary);
    }
}

bool Session::ConfirmFolderDeletion(const std::string& kind) {
    if (!talksToWindow) return true;
    const std::size_t count = ListMatching(folder.empty() ? "." : folder, kind).size();
    if (count == 0) return true;  // the run says that nothing is there
    const std::string question =
        Filled(kDeleteQuestion,
               {{"%n", std::to_string(count) + (count == 1 ? " file" : " files")},
                {"%kind", kind},
                {"%folder", folder}});
    if (host_.Ask(question) == Answer::Yes) return true;
    opHost_.SetStatusBar(kNothingDeleted);
    return false;
}

std::string Session::RunFeedback(const Operation& op, int variant, Outcome outcome,
                                 const std::vector<std::string>& files,
                                 const std::vector<std::pair<std::uint64_t, std::int64_t>>& before,
                                 std::string_view summary) const {
    // "[Offset Time] Click" names the command as its button does.
    const std::string_view log = op.LogTextOf(variant);
    const std::size_t open = log.find('[');
    const std::size_t close = log.find(']');
    const std::string title = open != std::string_view::npos && close != std::string_view::npos
                                  ? std::string(log.substr(open + 1, close - open - 1))
                                  : std::string(op.command);
    switch (outcome) {
        case Outcome::WrongExtension:
            return Filled(kWrongKind, {{"%command", title}, {"%ext", currentExt}});
        case Outcome::Refused:
        case Outcome::ConversionFailed:
            return Filled(kCommandStopped, {{"%command", title}});
        case Outcome::Ok:
            break;
    }
    // A report of an earlier run that an empty one removed is named as well.
    std::string written;
    std::string removed;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].empty() || FileStamp(files[i]) == before[i]) continue;
        std::string& list = PathExists(files[i]) ? written : removed;
        list += (list.empty() ? "" : ", ") + std::string(FileNameOf(files[i]));
    }
    std::string feedback;
    if (!written.empty() && summary.empty()) {
        feedback = Filled(kFilesWritten, {{"%files", written}});
    } else if (!written.empty()) {
        feedback =
            Filled(kFilesWrittenWith, {{"%files", written}, {"%summary", std::string(summary)}});
    } else if (removed.empty()) {
        feedback = Filled(kNothingWritten, {{"%command", title}});
    }
    if (!removed.empty()) {
        feedback += (feedback.empty() ? "" : "; ") + Filled(kFilesRemoved, {{"%files", removed}});
    }
    return feedback;
}

std::string Session::OutputPathOf(const Operation& op, int variant) const {
    const DirectoryOperation* row = FindDirectoryOperation(op.CodeOf(variant));
    // A conversion's output is named after its target format: film.sub gives film.srt.
    const std::string_view ext =
        row != nullptr && !row->outputExt.empty() ? row->outputExt : op.outputExt;
    if (ext.empty()) return {};
    return ChangeFileExtMode(outputPath, ext, 0);
}

Outcome Session::RunOnOpenFile(const Operation& op, const std::string& input,
                               const std::string& output, int variant) {
    const CurrentFile about(host_, input);
    return Guarded([&] {
        OperationContext context = Context();
        context.syncPicture = &lastSync;
        return op.run(context,
                      {.input = input, .output = output, .interactive = true, .variant = variant});
    });
}

Outcome Session::Run(const Operation& op, int variant) {
    if (variant == kVariantFromControl) {
        variant = op.variantControl.empty() ? 0 : controls.Int(op.variantControl);
    }
    if (op.idle != nullptr) {
        OperationContext context = Context();
        if (op.idle(context)) return Outcome::Ok;
    }
    if (!op.Accepts(LowerFoldStr(currentExt))) {
        if (talksToWindow) {
            opHost_.SetStatusBar(RunFeedback(op, variant, Outcome::WrongExtension, {}, {}, {}));
        }
        return Outcome::WrongExtension;
    }
    Outcome outcome = Outcome::Ok;
    const int code = op.CodeOf(variant);
    // What a run on the open file may write, to say afterwards what it wrote.
    std::vector<std::string> files;
    std::vector<std::pair<std::uint64_t, std::int64_t>> stamps;
    if (talksToWindow && !directoryMode) {
        files = {OutputPathOf(op, variant), openFile};
        for (std::string_view kind : kOutExtItems) {
            std::string report = ChangeFileExtMode(outputPath, kind, 3);
            if (std::find(files.begin(), files.end(), report) == files.end()) {
                files.push_back(std::move(report));
            }
        }
        for (const std::string& file : files)
            stamps.push_back(file.empty() ? std::pair<std::uint64_t, std::int64_t>{} : FileStamp(file));
    }
    opHost_.said = false;
    opHost_.summary.clear();
    if (op.handler == HandlerKind::DeleteFile) {
        // The kind of cbOutExt: the files of that kind made from the open file, or in directory
        // mode every file of that kind in the folder.
        const std::string kind = outExt().empty() ? "*.out" : outExt();
        if (directoryMode && !ConfirmFolderDeletion(kind)) return Outcome::Ok;
        outcome = directoryMode
                      ? RunDirectoryCode(code, outputPath, kind, variant)
                      : RunOnOpenFile(op, ChangeFileExtMode(outputPath, kind, 3), "", variant);
    } else if (op.handler == HandlerKind::AllInOne && directoryMode) {
        outcome = RunChainOverFolder(op);
    } else if (directoryMode && code >= 0) {
        outcome = op.handler == HandlerKind::RenameOutFile &&
                          SharedOutputRefused("Rename out-File", subExtMask())
                      ? Outcome::Refused
                      : RunDirectoryCode(code, openFile, subExtMask(), variant);
    } else {
        // An operation without directory mode gets the mask itself, and its frame stops
        // silently.
        outcome = RunOnOpenFile(op, openFile, OutputPathOf(op, variant), variant);
    }
    // The renamed file holds the processed subtitles: open it again. (In directory mode the box
    // holds a mask, which is no file to open.)
    const bool replacesFile =
        op.handler == HandlerKind::RenameOutFile || op.handler == HandlerKind::AllInOne;
    if (replacesFile && !directoryMode && IsRegularFile(openFile)) {
        // The editor stays at the subtitle it showed.
        const std::string shown = editor.subNumber;
        OpenSubtitleFile(openFile, false);
        if (withEditor && !shown.empty()) {
            editor.subNumber = shown;
            if (!editor.GoTo()) editor.Show(0);
        }
    }
    RefreshIndicators();
    if (const std::string_view text = op.LogTextOf(variant); !text.empty()) {
        LogOperation(text, op.logKind);
    }
    // The kind chooser stays at the kind just deleted: moving on to "*.out" made a second click
    // delete the outputs.
    if (talksToWindow && !directoryMode && !opHost_.said) {
        // All in One's steps each count their own work: none of them speaks for the chain.
        const std::string summary =
            op.handler == HandlerKind::AllInOne ? std::string() : opHost_.summary;
        opHost_.SetStatusBar(RunFeedback(op, variant, outcome, files, stamps, summary));
    }
    return outcome;
}

Outcome Session::Run(std::string_view command, int variant) {
    const Operation* op = FindOperation(command);
    return op == nullptr ? Outcome::Ok : Run(*op, variant);
}

Outcome Session::Click(std::string_view control) {
    const auto trigger = FindTrigger(control);
    return trigger ? Run(*trigger->operation, trigger->variant) : Outcome::Ok;
}

}  // namespace tessaline
