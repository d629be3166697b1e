#pragma once

// The commands of the tessaline program: one per catalogued operation (its options, usage and
// help read from the descriptor), and the program's own commands such as `settings`.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.hpp"
#include "ops/operation.hpp"

namespace tessaline {

/// A command of the program's own, not an operation.
struct ProgramCommand {
    std::string_view name;
    std::string_view summary;
    std::string_view help;
    /// Runs the command with the arguments after its name; returns the exit status.
    int (*run)(std::string_view name, const std::vector<std::string>& args, Session& session);
    /// What follows the name in the usage line ("" for nothing).
    std::string_view usage = {};
    /// The options, separated by spaces, for the completion.
    std::string_view optionNames = {};
};

[[nodiscard]] const std::vector<ProgramCommand>& ProgramCommands();

/// An option of the program itself, before the command ("--home DIR").
struct ProgramOption {
    std::string_view name;
    std::string_view value;  // "" for a flag
    std::string_view help;
};

[[nodiscard]] const std::vector<ProgramOption>& ProgramOptions();

/// `tessaline --help`: the commands of the catalogue and the program's own, its options and
/// exit statuses.
[[nodiscard]] std::string ProgramHelpText();

/// `tessaline COMMAND --help` ("" for an unknown name).
[[nodiscard]] std::string CommandHelpText(std::string_view name);

/// The usage of a catalogued command: its options and PATH ("[--minus] OFFSET PATH...").
[[nodiscard]] std::string UsageOf(const Operation& op);

/// True when NAME is a command of the program (an operation or a program command).
[[nodiscard]] bool IsCommand(std::string_view name);

/// Says what is wrong with a command line on stderr, with the command's usage; returns 2.
int UsageError(std::string_view name, std::string_view usage, std::string_view message);

/// A value typed in a terminal for a setting or an edit box (`--set KEY=VALUE`, an option's
/// text), which keep Windows-1251: valid UTF-8 holding a character of more than one byte is
/// taken as UTF-8 and converted; other bytes are Windows-1251 already. A value for a path
/// (`control` a Path control, or the setting LastDir) stays as it is. A message naming the
/// character when Windows-1251 lacks one.
[[nodiscard]] std::optional<std::string> TypedForSetting(std::string_view control,
                                                         std::string& value);

/// Parses the command's arguments and runs it over every PATH; returns the exit status.
int RunCliCommand(std::string_view name, std::vector<std::string> args, Session& session);

}  // namespace tessaline
