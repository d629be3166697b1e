#include "cli/commands.hpp"

#include "cli/subtitle_commands.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/errors.hpp"
#include "core/times.hpp"
#include "core/typed_text.hpp"
#include "files/frame.hpp"
#include "ops/catalogue.hpp"
#include "ops/controls.hpp"

namespace tessaline {
namespace {

// --- Reading arguments -------------------------------------------------------------------------

// A negative number is a value, not an option: offset-count -5 film.srt.
bool IsOptionLike(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

bool IsValueInOrder(const OptionDef& def) {
    return !def.name.starts_with("-");
}

bool IsMask(std::string_view path) {
    return path.find_first_of("*?") != std::string_view::npos;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

// "srt|sub" as the words of a message: "srt or sub".
std::string ChoicesText(std::string_view choices) {
    std::vector<std::string_view> items;
    for (std::size_t start = 0; start <= choices.size();) {
        const std::size_t bar = std::min(choices.find('|', start), choices.size());
        items.push_back(choices.substr(start, bar - start));
        start = bar + 1;
    }
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " or " : ", ";
        text += items[i];
    }
    return text;
}

bool IsChoice(std::string_view choices, std::string_view value) {
    for (std::size_t start = 0; start <= choices.size();) {
        const std::size_t bar = std::min(choices.find('|', start), choices.size());
        if (choices.substr(start, bar - start) == value) return true;
        start = bar + 1;
    }
    return false;
}

// What a command line asked for: the options' values, the controls they set (applied anew for
// every PATH, since a handler may change them), and the variant chosen.
struct ParsedOptions {
    OptionValues values;
    std::vector<std::pair<std::string_view, std::string>> controls;
    int variant = kVariantFromControl;
};

}  // namespace

std::optional<std::string> TypedForSetting(std::string_view control, std::string& value) {
    // A value that goes to no setting or control is the command's own (a path, a name).
    if (control.empty() || control == "LastDir" || !IsMultibyteUtf8(value)) return std::nullopt;
    // A setting that feeds a control takes that control's type.
    std::string_view feeds = control;
    if (const SettingDef* setting = LookupSettingDef(control); setting && !setting->feeds.empty()) {
        feeds = setting->feeds;
    }
    if (const ControlValueDef* def = LookupControlDef(feeds);
        def && def->type == ControlType::Path) {
        return std::nullopt;
    }
    TypedText typed = TypedInForm(value, TextForm::Cp1251);
    if (typed.missing) {
        return std::string(control) + ": the character " + CharNameUtf8(*typed.missing) +
               " is not in Windows-1251, which the settings are kept in";
    }
    value = std::move(typed.text);
    return std::nullopt;
}

namespace {

// Stores the value of one option; returns a message for a usage error.
std::optional<std::string> StoreOption(const OptionDef& def, std::string_view text,
                                       ParsedOptions& parsed, Settings& settings) {
    const std::string name(def.name);
    const std::string quoted = "'" + std::string(text) + "'";
    if (!def.alsoControl.empty()) parsed.controls.emplace_back(def.alsoControl, def.alsoValue);
    switch (def.kind) {
        case OptionKind::Flag:
            parsed.values[name] = "1";
            if (!def.control.empty()) parsed.controls.emplace_back(def.control, "1");
            if (def.variant >= 0) parsed.variant = def.variant;
            return std::nullopt;
        case OptionKind::Time: {
            const auto value = ParseTimeValue(text);
            if (!value) return name + " must be hh:mm:ss or hh:mm:ss,mmm, not " + quoted;
            TimeMs ms = *value;
            const ClockTime clock = MsToClock(ms);
            parsed.controls.emplace_back(def.control, ClockToText(clock));
            parsed.controls.emplace_back(def.msControl, std::to_string(ms));
            parsed.values[name] = text;
            return std::nullopt;
        }
        case OptionKind::Integer: {
            const auto value = ParseInteger(text);
            if (!value) return name + " must be an integer, not " + quoted;
            if (!def.control.empty())
                parsed.controls.emplace_back(def.control, std::to_string(*value));
            parsed.values[name] = std::to_string(*value);
            return std::nullopt;
        }
        case OptionKind::Text: {
            if (!def.choices.empty() && !IsChoice(def.choices, text)) {
                return name + " takes " + ChoicesText(def.choices) + ", not " + quoted;
            }
            std::string stored(text);
            if (auto error = TypedForSetting(def.control, stored)) return name + " " + *error;
            if (def.check != nullptr) {
                if (auto error = def.check(text, stored)) return error;
            }
            if (def.setting) {
                if (auto error = settings.Assign(def.control, stored)) return error;
            } else if (!def.control.empty()) {
                parsed.controls.emplace_back(def.control, stored);
            }
            parsed.values[name] = stored;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Reads the options of `op` out of `args`, leaving the paths (and unknown options) behind.
std::optional<std::string> ParseOptions(const Operation& op, std::vector<std::string>& args,
                                        ParsedOptions& parsed, Settings& settings) {
    // Named options first, wherever they stand; then the values in order.
    for (const OptionDef& def : op.options) {
        if (IsValueInOrder(def)) continue;
        const auto it = std::find(args.begin(), args.end(), def.name);
        if (it == args.end()) {
            if (def.required) return std::string(def.name) + " is missing";
            continue;
        }
        if (def.kind == OptionKind::Flag) {
            args.erase(it);
            if (auto error = StoreOption(def, "", parsed, settings)) return error;
            continue;
        }
        if (it + 1 == args.end()) return std::string(def.name) + " needs a value";
        const std::string value = *(it + 1);
        args.erase(it, it + 2);
        if (auto error = StoreOption(def, value, parsed, settings)) return error;
    }
    for (const OptionDef& def : op.options) {
        if (!IsValueInOrder(def)) continue;
        const auto it = std::find_if(args.begin(), args.end(),
                                     [](const std::string& a) { return !IsOptionLike(a); });
        if (it == args.end()) return std::string(def.name) + " is missing";
        const std::string value = *it;
        args.erase(it);
        if (auto error = StoreOption(def, value, parsed, settings)) return error;
    }
    if (op.checkOptions != nullptr) return op.checkOptions(parsed.values);
    return std::nullopt;
}

// --- Help ------------------------------------------------------------------------------------

void PrintText(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// "A", "A and B", "A, B and C".
std::string ListText(std::span<const std::string_view> items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::string HelpOf(const Operation& op) {
    std::string text = "usage: tessaline " + std::string(op.command) + " " + UsageOf(op) + "\n\n" +
                       std::string(op.help) + "\n";
    bool first = true;
    for (const OptionDef& def : op.options) {
        if (def.help.empty()) continue;
        if (first) text += "\n";
        first = false;
        std::string left(def.name);
        if (!def.valueName.empty()) left += " " + std::string(def.valueName);
        char line[160];
        std::snprintf(line, sizeof line, "  %-18s %.*s\n", left.c_str(),
                      static_cast<int>(def.help.size()), def.help.data());
        text += line;
    }
    text += "\n";
    if (op.TakesMask()) {
        text += "A PATH with * or ? runs the command over every matching file of its folder.\n";
    }
    if (!op.settings.empty()) {
        text +=
            std::string(op.settings.size() == 1 ? "Reads the setting " : "Reads the settings ") +
            ListText(op.settings) + ".\nChange one for a run with --set KEY=VALUE.\n";
    }
    return text;
}

// --- The program's own commands -----------------------------------------------------------------

int RunSettings(std::string_view name, const std::vector<std::string>& args, Session& s) {
    for (const std::string& arg : args) {
        if (IsOptionLike(arg) && arg != "--") {
            return UsageError(name, "", "unknown option '" + arg + "'");
        }
    }
    if (!args.empty()) return UsageError(name, "", "takes no PATH");
    const std::string text = s.settings().ToIniText();
    PrintText(text);
    return 0;
}

const std::vector<ProgramCommand> kProgramCommands = {
    {"settings", "print the effective settings",
     "Prints every setting as INI text, after Tessaline.ini (or --ini) and --set.", RunSettings},
    kShowSubtitleCommand,
    kRewriteSubtitleCommand,
    kDeleteSubtitleCommand,
};

const ProgramCommand* FindProgramCommand(std::string_view name) {
    for (const ProgramCommand& command : kProgramCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

}  // namespace

int UsageError(std::string_view name, std::string_view usage, std::string_view message) {
    std::fprintf(stderr, "tessaline %.*s: %.*s\nusage: tessaline %.*s %.*s\n",
                 static_cast<int>(name.size()), name.data(), static_cast<int>(message.size()),
                 message.data(), static_cast<int>(name.size()), name.data(),
                 static_cast<int>(usage.size()), usage.data());
    return 2;
}

const std::vector<ProgramCommand>& ProgramCommands() {
    return kProgramCommands;
}

std::string UsageOf(const Operation& op) {
    std::string usage;
    for (const OptionDef& def : op.options) {
        std::string part(def.name);
        if (!IsValueInOrder(def) && def.kind != OptionKind::Flag) {
            part += " " + std::string(def.valueName.empty() ? "VALUE" : def.valueName);
        }
        if (!IsValueInOrder(def) && !def.required) part = "[" + part + "]";
        usage += part + " ";
    }
    return usage + (op.TakesMask() ? "PATH..." : "PATH");
}

bool IsCommand(std::string_view name) {
    return FindOperation(name) != nullptr || FindProgramCommand(name) != nullptr;
}

std::string CommandHelpText(std::string_view name) {
    if (const Operation* op = FindOperation(name)) return HelpOf(*op);
    if (const ProgramCommand* command = FindProgramCommand(name)) {
        std::string usage = "usage: tessaline " + std::string(command->name);
        if (!command->usage.empty()) usage += " " + std::string(command->usage);
        return usage + "\n\n" + std::string(command->help) + "\n";
    }
    return {};
}

const std::vector<ProgramOption>& ProgramOptions() {
    static const std::vector<ProgramOption> options = {
        {"--home", "DIR",
         "the program folder (Tessaline.ini, Operations.log); default:\n"
         "TESSALINE_HOME, else the program's folder when it is writable,\n"
         "else $XDG_CONFIG_HOME/tessaline"},
        {"--ini", "FILE", "read the settings from FILE instead of DIR/Tessaline.ini"},
        {"--set", "KEY=VALUE", "override a setting for this run (see 'tessaline settings')"},
        {"--quiet", "", "print no status texts on stdout and no progress on stderr"},
        {"--no-trash", "",
         "replace or delete a file without keeping a copy in the desktop trash\n"
         "(rename-out, all-in-one, delete-file), for a file system where no\n"
         "trash can be used"},
        {"--jobs", "N",
         "run the files of a mask N at once (default: one per core); the outputs,\n"
         "messages and log are the same as one after another"},
    };
    return options;
}

std::string ProgramHelpText() {
    std::string text =
        "Tessaline " TESSALINE_VERSION
        ": prepares and repairs subtitle files (SubRip, MicroDVD, SubStation Alpha).\n"
        "\n"
        "usage: tessaline [--home DIR] [--ini FILE] [--set KEY=VALUE]... [--quiet] [--jobs N]\n"
        "                 [--no-trash]\n"
        "                 COMMAND [OPTIONS] PATH...\n"
        "       tessaline --help | --version | COMMAND --help | settings\n"
        "\n"
        "Each command writes its result beside the input (film.srt gives film.out) and never\n"
        "overwrites an existing output. A PATH with * or ? runs the command over every matching\n"
        "file of that folder, as directory mode does.\n"
        "\n"
        "Commands:\n";
    const auto line = [&text](std::string_view left, std::string_view right, int width) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "  %-*.*s %.*s\n", width,
                      static_cast<int>(left.size()), left.data(), static_cast<int>(right.size()),
                      right.data());
        text += buffer;
    };
    // The summaries stand in one column after the longest command name.
    int width = 14;
    for (const Operation* op : Catalogue())
        width = std::max(width, static_cast<int>(op->command.size()));
    for (const Operation* op : Catalogue())
        line(op->command, op->summary, width);
    for (const ProgramCommand& command : ProgramCommands())
        line(command.name, command.summary, width);
    text += "\nOptions:\n";
    for (const ProgramOption& option : ProgramOptions()) {
        std::string left(option.name);
        if (!option.value.empty()) left += " " + std::string(option.value);
        // A help of several lines continues under its first.
        std::string help(option.help);
        for (std::size_t at = help.find('\n'); at != std::string::npos;
             at = help.find('\n', at + 1))
            help.insert(at + 1, std::string(19, ' '));
        line(left, help, 16);
    }
    text +=
        "\n"
        "Exit status: 0 done (or nothing to do), 1 refused or stopped with a message,\n"
        "2 usage error, 3 a time or number in the file did not convert.\n";
    return text;
}

int RunCliCommand(std::string_view name, std::vector<std::string> args, Session& session) {
    // Everything after "--" is a PATH, even a name that starts with "-".
    std::vector<std::string> pathsAfterDashes;
    if (const auto dashes = std::find(args.begin(), args.end(), "--"); dashes != args.end()) {
        pathsAfterDashes.assign(dashes + 1, args.end());
        args.erase(dashes, args.end());
    }

    if (const ProgramCommand* command = FindProgramCommand(name)) {
        if (!pathsAfterDashes.empty()) {
            args.emplace_back("--");
            args.insert(args.end(), pathsAfterDashes.begin(), pathsAfterDashes.end());
        }
        return command->run(name, args, session);
    }

    const Operation* op = FindOperation(name);
    if (op == nullptr) return UsageError(name, "", "unknown command");
    const std::string usage = UsageOf(*op);
    ParsedOptions parsed;
    if (const auto error = ParseOptions(*op, args, parsed, session.settings())) {
        return UsageError(name, usage, *error);
    }
    for (const std::string& arg : args) {
        if (IsOptionLike(arg)) return UsageError(name, usage, "unknown option '" + arg + "'");
    }
    args.insert(args.end(), pathsAfterDashes.begin(), pathsAfterDashes.end());
    if (args.empty()) return UsageError(name, usage, "PATH is missing");
    for (const std::string& path : args) {
        if (IsMask(path) && !op->TakesMask()) {
            return UsageError(name, usage, "works on one file at a time, not on a mask");
        }
    }

    Outcome worst = Outcome::Ok;
    for (const std::string& path : args) {
        if (IsMask(path)) {
            session.OpenMask(path);
        } else {
            session.directoryMode = false;
            // Opening is part of the command, not a click of its own: the log gets the command
            // only.
            const Outcome opened = session.OpenSubtitleFile(path, false);
            if (opened != Outcome::Ok) {
                worst = Worse(worst, opened);
                continue;
            }
        }
        for (const auto& [control, value] : parsed.controls)
            session.controls.Set(control, value);
        int variant = parsed.variant;
        Outcome outcome = Outcome::WrongExtension;
        if (op->preparePath == nullptr || op->preparePath(parsed.values, path, variant)) {
            outcome = session.Run(*op, variant);
        }
        if (outcome == Outcome::WrongExtension) {
            const CurrentFile about(session.host(), path);
            session.host().ShowMessage(std::string(kNotSupportFileExtension) + session.currentExt);
        }
        worst = Worse(worst, outcome);
    }
    return ExitCodeOf(worst);
}

}  // namespace tessaline
