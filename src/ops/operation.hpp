#pragma once

// One declaration per operation. A descriptor says everything the front ends need to offer an
// operation: the buttons and menu items that start it, its directory-mode codes, its log text,
// its command-line name, options and help, the settings and controls it reads, and the function
// that fills its parameters and runs it on one file. The session, the command line and the window
// are loops over the catalogue of descriptors (ops/catalogue.hpp); none of them names an
// ordinary operation.
//
// A descriptor is plain data and function pointers, declared in the operation's own file.

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "files/host.hpp"
#include "files/line_io.hpp"

namespace tessaline {

class ControlValues;
class Settings;
struct SyncPicture;

/// What an operation reads when it starts, and the host it talks through.
struct OperationContext {
    const Settings& settings;
    /// The window-only values (offsets, pickers, check boxes); an operation may write back
    /// what the window should show (a range it found).
    ControlValues& controls;
    Host& host;
    /// The program folder: Replace.dat, temporary files.
    std::string_view programFolder;
    /// The dialogue separators (DiaBreak.dat).
    const LineList& diaBreaks;
    /// The second input (edOpenFileAdd).
    std::string_view addFile;
    /// Where a sync on the window's open file leaves the speech and the times it aligned, for
    /// the Diag page; null elsewhere (the command line, folder runs).
    SyncPicture* syncPicture = nullptr;
};

/// One run on one file.
struct RunArgs {
    const std::string& input;
    /// The output path; "" for an operation that writes none (a test that only reports).
    const std::string& output;
    /// Messages of the frame are shown (the user started it on the open file, or the
    /// directory-mode code says so).
    bool interactive;
    /// Which of the operation's buttons or modes (0 for most).
    int variant;
};

/// Fills the operation's parameters from the context and runs it.
using OperationRun = RunResult (*)(OperationContext& context, const RunArgs& args);

/// A button or menu item that starts the operation, and the variant it runs.
struct Trigger {
    std::string_view control;
    int variant = 0;  // kVariantFromControl: the value of the operation's variant control
    /// The log text of this button's variant, when it differs from the operation's.
    std::string_view logText = {};
};
inline constexpr int kVariantFromControl = -1;

/// A variant for which a directory-mode code stands: the code's row (ops/directory_codes.hpp)
/// gives the output extension of each file and the fixed interactive flag.
struct VariantCode {
    int variant;  // kAnyVariant: the code runs every variant, passing it on
    int code;
};
inline constexpr int kAnyVariant = -1;

enum class OptionKind {
    Flag,     // --minus: sets its control to 1, or chooses a variant
    Time,     // hh:mm:ss or hh:mm:ss,mmm into a clock control and its milliseconds control
    Integer,  // a whole number, which may be negative
    Text,     // a text, checked by the option's check function when it has one
};

/// A command-line option of an operation. Its value goes to a control, or to a setting for this
/// run, or (with neither) stays among the command's option values for its hooks.
struct OptionDef {
    /// "--minus"; a name without dashes ("OFFSET") is a value taken in order, always required.
    std::string_view name;
    OptionKind kind;
    /// The name of the value in the usage ("TIME"); a value in order is named by `name`.
    std::string_view valueName = {};
    /// The control that takes the value (a settings key when `setting`).
    std::string_view control = {};
    /// Time: the control of the milliseconds.
    std::string_view msControl = {};
    bool required = false;
    /// Flag: the variant it chooses (-1: none).
    int variant = -1;
    /// `control` names a setting, set for this run only.
    bool setting = false;
    /// Text: the values it takes, separated by "|" ("srt|sub"); empty: any.
    std::string_view choices = {};
    /// Text: checks the value and gives the text to store; returns a message for a usage error.
    std::optional<std::string> (*check)(std::string_view value, std::string& stored) = nullptr;
    /// One line for the command's help.
    std::string_view help = {};
    /// A control the option sets as well, and its value (--factor chooses "Coefficient").
    std::string_view alsoControl = {};
    std::string_view alsoValue = {};
};

/// "Keep first Sub" (cbFirstSubtitle) on the command line, for the operations that honour it.
inline constexpr OptionDef kKeepFirstOption{.name = "--keep-first",
                                            .kind = OptionKind::Flag,
                                            .control = "cbFirstSubtitle",
                                            .help = "leave the file's first subtitle as it is"};

/// The options given on a command line, by option name, with their values ("1" for a flag).
using OptionValues = std::map<std::string, std::string, std::less<>>;

/// The few commands whose handler is not the usual one.
enum class HandlerKind {
    Standard,       // check the kind, run on the open file or over the mask, refresh, log
    RenameOutFile,  // the open file is opened again afterwards
    DeleteFile,     // runs over the report kind of cbOutExt, logs with the kind
    AllInOne,       // a chain of operations; over a mask, the chain runs file by file
};

struct Operation {
    // --- The command line --------------------------------------------------------------------
    std::string_view command;  // "offset-time"
    std::string_view summary;  // one line for the program's help
    /// What the command does; the usage, the options' lines and the settings it reads are
    /// added from the rest of the descriptor.
    std::string_view help;
    std::span<const OptionDef> options = {};
    /// Checks the options together (two that exclude each other); returns a usage message.
    std::optional<std::string> (*checkOptions)(const OptionValues& values) = nullptr;
    /// Runs once per PATH before the operation: chooses what depends on the file (the direction
    /// of a conversion) into `variant`. False when the file's kind does not suit.
    bool (*preparePath)(const OptionValues& values, std::string_view path, int& variant) = nullptr;

    // --- The window and the session ----------------------------------------------------------
    std::span<const Trigger> triggers = {};
    /// The control whose value is the variant when a trigger does not fix it (cbSubToSub).
    std::string_view variantControl = {};
    std::string_view logText = {};  // "[Offset Time] Click"; empty: no log line
    int logKind = 1;                // 1: with the file or folder, 2: with the report kind
    /// The open file's kinds the handler accepts, in lower case, separated by "|" ("srt",
    /// "srt|sub"); any other kind does nothing. Empty: the operation decides.
    std::string_view extension = {};
    /// The extension of the output in single-file mode ("" for none); a directory-mode code
    /// of the variant with an output extension of its own (a conversion's target) takes
    /// precedence.
    std::string_view outputExt = "out";
    std::span<const VariantCode> codes = {};
    HandlerKind handler = HandlerKind::Standard;
    /// The command's purpose is to replace or delete existing files (Rename out-File puts the
    /// output over its input, Delete File removes a report): the one kind of command that may
    /// change a file that existed before it ran.
    bool replacesFiles = false;
    /// The control the window gives the focus to after a run ("" : it stays where it was).
    std::string_view focusAfter = {};

    // --- What it reads -----------------------------------------------------------------------
    std::span<const std::string_view> settings = {};
    std::span<const std::string_view> controls = {};
    OperationRun run = nullptr;
    /// When this says so the command does nothing at all, not even its log line (the replace
    /// list without pairs).
    bool (*idle)(OperationContext& context) = nullptr;
    /// The directory-mode code of a variant, or -1.
    [[nodiscard]] constexpr int CodeOf(int variant) const {
        for (const VariantCode& vc : codes) {
            if (vc.variant == variant || vc.variant == kAnyVariant) return vc.code;
        }
        return -1;
    }
    /// The log text of a variant: that of a trigger of the variant that has its own, else the
    /// operation's.
    [[nodiscard]] constexpr std::string_view LogTextOf(int variant) const {
        for (const Trigger& trigger : triggers) {
            if (trigger.variant == variant && !trigger.logText.empty()) return trigger.logText;
        }
        return logText;
    }
    /// The command runs over a mask (it has a directory-mode code).
    [[nodiscard]] constexpr bool TakesMask() const {
        return !codes.empty() || handler == HandlerKind::AllInOne;
    }
    /// The handler accepts an open file of this lower-case extension.
    [[nodiscard]] constexpr bool Accepts(std::string_view ext) const {
        if (extension.empty()) return true;
        for (std::size_t start = 0; start <= extension.size();) {
            const std::size_t bar = std::min(extension.find('|', start), extension.size());
            if (extension.substr(start, bar - start) == ext) return true;
            start = bar + 1;
        }
        return false;
    }
};

}  // namespace tessaline
