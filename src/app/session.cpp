#include "app/session.hpp"

#include <algorithm>

#include "app/directory_codes.hpp"
#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/directory.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"

namespace tessaline {
namespace {

constexpr std::size_t kRecentFilesMax = 10;
// At start the report list selects its eleventh kind ("*.fixd"), as the window always has.
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

int ExitCodeOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return 0;
        case Outcome::Refused:
        case Outcome::WrongExtension:
            return 1;
        case Outcome::ConversionFailed:
            return 3;
    }
    return 1;
}

Outcome Worse(Outcome a, Outcome b) {
    return ExitCodeOf(b) > ExitCodeOf(a) ? b : a;
}

Session::Session(Host& host, std::string programFolder)
    : host_(host), programFolder_(std::move(programFolder)) {}

std::string Session::ProgramFile(std::string_view name) const {
    return JoinInFolder(programFolder_, name);
}

void Session::OperationHost::SelectReportKind(std::string_view mask) {
    session_.outExt = mask;
    session_.logExt = mask;
    session_.host_.SelectReportKind(mask);
}

void Session::Start(const std::string& iniPath) {
    ReadSettingsFrom(iniPath.empty() ? ProgramFile("Tessaline.ini") : iniPath);
    subToSubIndex = 0;
    outExt = "*.out";
    // The report list holds the output kinds without "*.out".
    logExt = std::string(kOutExtItems[kLogExtStartIndex]);
    diaBreaks = ReadLinesIfExists(ProgramFile("DiaBreak.dat"));
    if (diaBreaks.empty()) diaBreaks.assign(kDefaultDiaBreaks.begin(), kDefaultDiaBreaks.end());
    PresetSubToSub();
    recentFiles = ReadLinesIfExists(ProgramFile("LastOpen.dat"));
    if (recentFiles.size() > kRecentFilesMax) recentFiles.resize(kRecentFilesMax);
    RefreshIndicators();
}

void Session::ReadSettingsFrom(const std::string& iniPath) {
    if (IsRegularFile(iniPath)) settings_.ReadFrom(IniFile::Load(iniPath));
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
        openAddFile = settings_.Text("LastOpenAddFileString");
    }
}

void Session::Exit() {
    WriteLinesReplacing(ProgramFile("LastOpen.dat"), recentFiles);
    if (settings_.Bool("SaveLastOpenFileString")) settings_.SetText("LastOpenFileString", openFile);
    if (settings_.Bool("SaveLastOpenAddFileString")) {
        settings_.SetText("LastOpenAddFileString", openAddFile);
    }
    const std::string iniPath = ProgramFile("Tessaline.ini");
    IniFile ini = IniFile::Load(iniPath);
    settings_.WriteTo(ini);
    ini.Save(iniPath);
}

void Session::PresetSubToSub() {
    // Compared exactly: a file named in capitals keeps the previous choice.
    if (currentExt == "srt") {
        subToSubIndex = 1;
    } else if (currentExt == "sub") {
        subToSubIndex = 0;
    } else if (currentExt == "ssa" || currentExt == "ass") {
        subToSubIndex = 3;
    }
}

Outcome Session::OpenSubtitleFile(const std::string& path) {
    if (path.empty() || path.front() == ' ') {
        host_.ShowMessage(kPathToFileIsWrong);
        return Outcome::Refused;
    }
    if (!IsRegularFile(path)) {
        host_.ShowMessage(kFileNotExists);
        return Outcome::Refused;
    }
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
    RefreshIndicators();
    LogOperation("[Open File] Click", 1);
    return Outcome::Ok;
}

Outcome Session::OpenFromDialog(const std::string& path) {
    const Outcome outcome = OpenSubtitleFile(path);
    if (std::find(recentFiles.begin(), recentFiles.end(), path) == recentFiles.end()) {
        recentFiles.insert(recentFiles.begin(), path);
        if (recentFiles.size() > kRecentFilesMax) recentFiles.resize(kRecentFilesMax);
    }
    return outcome;
}

Outcome Session::OpenAddFile(const std::string& path) {
    if (path.empty() || path.front() == ' ') {
        host_.ShowMessage(kPathToFileIsWrong);
        return Outcome::Refused;
    }
    openAddFile = path;
    LogOperation("[Open Add File] Click", 1);
    return Outcome::Ok;
}

void Session::OpenMask(const std::string& pathText) {
    directoryMode = true;
    openFile = pathText;
    folder = FolderOf(pathText);
    currentExt = FileExtOf(pathText);
    subExtMask = std::string(TextAfterLastChar(pathText, kPathSeparator));
    outputPath = ChangeFileExtMode(pathText, "out", 0);
}

void Session::SetDirectoryMode(bool on) {
    directoryMode = on;
    if (!on) {
        outExt = "*.out";
        return;
    }
    if (openFile.empty()) {
        subExtMask = std::string(kSubExtItems[0]);
        return;
    }
    currentExt = FileExtOf(openFile);
    subExtMask = "*." + currentExt;
    folder = FolderOf(openFile);
    openFile = JoinInFolder(folder, subExtMask);
    outputPath = ChangeFileExtMode(openFile, "out", 0);
}

void Session::RefreshIndicators() {
    outFileVisible = !outputPath.empty() && PathExists(outputPath);
    logFileVisible = false;
    if (!logExt.empty() && !outputPath.empty()) {
        const std::string report = ChangeFileExtMode(outputPath, logExt, 3);
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
        line += directoryMode ? " | Type: " + subExtMask + " | DirMode | Dir: " + folder
                              : " | File: " + openFile;
    } else if (kind == 2) {
        line += " | Mask: " + outExt;
        if (directoryMode) line += " | DirMode | Dir: " + folder;
    }
    try {
        LogAppend(line, ProgramFile("Operations.log"), 1);
    } catch (const FileError& e) {
        host_.ShowMessage(e.what());
    }
}

Outcome Session::Guarded(const std::function<RunResult()>& body) {
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
        host_.ShowMessage(e.what());
        return Outcome::ConversionFailed;
    } catch (const FileError& e) {
        host_.ShowMessage(e.what());
        return Outcome::Refused;
    }
    return Outcome::Ok;
}

Outcome Session::RunDirectoryCode(int code, std::string_view pathText, std::string_view mask,
                                  int variant) {
    const DirectoryOperation* op = FindDirectoryOperation(code);
    if (op == nullptr || op->run == nullptr) return Outcome::Ok;
    Outcome outcome = Outcome::Ok;
    RunDirectory(pathText, mask, host_, [&](const DirectoryEntry& entry) {
        const std::string output =
            op->outputExt.empty()
                ? std::string()
                : JoinInFolder(entry.folder, ChangeFileExtMode(entry.name, op->outputExt, 0));
        // Each file stands on its own: a conversion error in one is shown and the run goes on
        // with the next.
        outcome = Worse(outcome, Guarded([&] {
                            return op->run(*this, entry.path, output, op->interactive, variant);
                        }));
    });
    return outcome;
}

Outcome Session::RunCommand(int code, std::string_view logText) {
    Outcome outcome;
    if (directoryMode) {
        outcome = RunDirectoryCode(code, openFile, subExtMask);
    } else {
        const DirectoryOperation* op = FindDirectoryOperation(code);
        outcome = Guarded([&] { return op->run(*this, openFile, outputPath, true, 0); });
    }
    RefreshIndicators();
    LogOperation(logText, 1);
    return outcome;
}

Outcome Session::OffsetTimeClick() {
    if (LowerFoldStr(currentExt) != "srt") return Outcome::WrongExtension;
    return RunCommand(kCodeOffsetTime, "[Offset Time] Click");
}

Outcome Session::OffsetTailClick() {
    // No directory mode: with a mask in the open-file box the frame stops silently.
    OffsetTailParams params = offsetTail;
    params.timeCorrection = settings_.Bool("TimeCorrection");
    const Outcome outcome =
        Guarded([&] { return OffsetTail(openFile, outputPath, params, opHost_); });
    RefreshIndicators();
    LogOperation("[Offset Tail] Click", 1);
    return outcome;
}

Outcome Session::OffsetCountClick() {
    const Outcome outcome =
        Guarded([&] { return OffsetCount(openFile, outputPath, offsetCount, opHost_); });
    RefreshIndicators();
    LogOperation("[Offset Count] Click", 1);
    return outcome;
}

Outcome Session::OffsetReCountClick() {
    return RunCommand(kCodeOffsetReCount, "[Offset ReCount] Click");
}

Outcome Session::OffsetFrameClick() {
    if (LowerFoldStr(currentExt) != "sub") return Outcome::WrongExtension;
    OffsetFrameParams params = offsetFrame;
    params.openBracket = FirstChar(settings_.Text("OpenBrackets"), '{');
    params.closeBracket = FirstChar(settings_.Text("CloseBrackets"), '}');
    const Outcome outcome =
        Guarded([&] { return OffsetFrame(openFile, outputPath, params, opHost_); });
    RefreshIndicators();
    LogOperation("[Offset Frame] Click", 1);
    return outcome;
}

Outcome Session::SubToSubClick() {
    Outcome outcome = Outcome::Ok;
    if (subToSubIndex >= 0 && subToSubIndex < static_cast<int>(std::size(kSubToSubCodes))) {
        const int code = kSubToSubCodes[subToSubIndex];
        if (directoryMode) {
            outcome = RunDirectoryCode(code, openFile, subExtMask);
        } else {
            // The converted file is named after the target format: film.sub gives film.srt.
            const DirectoryOperation* op = FindDirectoryOperation(code);
            const std::string output = ChangeFileExtMode(outputPath, op->outputExt, 0);
            outcome = Guarded([&] { return op->run(*this, openFile, output, true, 0); });
        }
    }
    LogOperation("[Sub --> Sub] Click", 1);
    return outcome;
}

Outcome Session::SubtitlesCorrectionClick() {
    return RunCommand(kCodeSubtitlesCorrection, "[Subtitles Correction] Click");
}

Outcome Session::RenameOutFileClick() {
    Outcome outcome = Outcome::Ok;
    if (directoryMode) {
        outcome = RunDirectoryCode(kCodeRenameOutFile, openFile, subExtMask);
    } else {
        if (!RenameOutFile(outputPath, openFile, true, host_)) outcome = Outcome::Refused;
        // The file now holds the processed subtitles: open it again. (In directory mode the box
        // holds a mask, which is no file to open.)
        if (IsRegularFile(openFile)) OpenSubtitleFile(openFile);
    }
    RefreshIndicators();
    LogOperation("[Rename out-File] Click", 1);
    return outcome;
}

Outcome Session::DeleteFileClick() {
    Outcome outcome = Outcome::Ok;
    const std::string kind = outExt.empty() ? "*.out" : outExt;
    if (directoryMode) {
        outcome = RunDirectoryCode(kCodeDeleteFile, outputPath, kind);
    } else if (!DeleteOneFile(ChangeFileExtMode(outputPath, kind, 3), true, host_)) {
        outcome = Outcome::Refused;
    }
    RefreshIndicators();
    LogOperation("[Delete] Click", 2);
    outExt = "*.out";
    return outcome;
}

}  // namespace tessaline
