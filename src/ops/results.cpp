#include "ops/results.hpp"

#include <algorithm>

#include "core/paths.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "ops/controls.hpp"

namespace tessaline {
namespace {

// A command that did nothing is refused when the user started it on the open file; over a
// folder the files without a result are skipped in silence.
RunResult ResultOf(bool done, bool interactive) {
    if (done) return RunResult::Done;
    return interactive ? RunResult::Refused : RunResult::Skipped;
}

// The file's ".out" takes the place of the file; the status bar says what happened to both.
RunResult RunRenameOutFile(OperationContext& c, const RunArgs& a) {
    // Only a subtitle file is replaced by its film.out: a mask that also takes film.corr or the
    // film.out itself leaves those alone.
    if (!IsSubtitleInput(a.input)) {
        if (a.interactive) {
            c.host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(a.input));
        }
        return ResultOf(false, a.interactive);
    }
    const std::string source = ChangeFileExtMode(a.input, "out", 0);
    const bool replaces = PathExists(a.input);
    const bool done = RenameOutFile(source, a.input, a.interactive, c.host);
    if (done) {
        const std::string from(FileNameOf(source));
        const std::string to(FileNameOf(a.input));
        const std::string previous = TrashReplacedFiles()
                                         ? "; the previous " + to + " is in the trash"
                                         : "; no copy of the previous " + to + " was kept";
        c.host.SetStatusBar(replaces ? from + " replaced " + to + previous
                                     : from + " renamed to " + to);
    }
    return ResultOf(done, a.interactive);
}

constexpr Trigger kRenameTriggers[] = {{"btnRenameFile"}, {"mnRenameFile"}};
constexpr VariantCode kRenameCodes[] = {{kAnyVariant, 0}};

// The input is the file of the kind to delete.
RunResult RunDeleteFile(OperationContext& c, const RunArgs& a) {
    const bool done = DeleteOneFile(a.input, a.interactive, c.host);
    if (done) c.host.SetStatusBar(std::string(FileNameOf(a.input)) + " deleted");
    return ResultOf(done, a.interactive);
}

std::optional<std::string> CheckKind(std::string_view value, std::string& stored) {
    const std::string mask = "*." + std::string(value);
    if (std::find(kOutExtItems.begin(), kOutExtItems.end(), mask) == kOutExtItems.end()) {
        std::string kinds;
        for (std::string_view item : kOutExtItems)
            kinds += " " + std::string(item.substr(2));
        return "--kind must be one of the output kinds:" + kinds;
    }
    stored = mask;
    return std::nullopt;
}

constexpr OptionDef kDeleteOptions[] = {{.name = "--kind",
                                         .kind = OptionKind::Text,
                                         .valueName = "EXT",
                                         .control = "cbOutExt",
                                         .required = true,
                                         .check = CheckKind,
                                         .help = "the kind of file to delete"}};
constexpr std::string_view kDeleteControls[] = {"cbOutExt"};
constexpr Trigger kDeleteTriggers[] = {{"btnDeleteFile"}};
constexpr VariantCode kDeleteCodes[] = {{kAnyVariant, 24}};

}  // namespace

extern const Operation kRenameOutFileOperation{
    .command = "rename-out",
    .summary = "put the .out file in the place of its input",
    .help =
        "Replaces PATH by the output made from it (film.out takes the place of film.srt);\n"
        "the replaced PATH goes to the desktop trash, from where it can be restored.",
    .triggers = kRenameTriggers,
    .logText = "[Rename out-File] Click",
    .codes = kRenameCodes,
    .handler = HandlerKind::RenameOutFile,
    .replacesFiles = true,
    .run = RunRenameOutFile,
};

extern const Operation kDeleteFileOperation{
    .command = "delete-file",
    .summary = "delete the output or report of a kind",
    .help =
        "Deletes the file of kind EXT made from PATH (--kind fix deletes film.fix); with a mask,\n"
        "every file of that kind in the folder. EXT is one of the output and report kinds\n"
        "(out, corr, conv, ...); an unknown one is answered with the whole list.",
    .options = kDeleteOptions,
    .triggers = kDeleteTriggers,
    .logText = "[Delete] Click",
    .logKind = 2,
    .codes = kDeleteCodes,
    .handler = HandlerKind::DeleteFile,
    .replacesFiles = true,
    .controls = kDeleteControls,
    .run = RunDeleteFile,
};

}  // namespace tessaline
