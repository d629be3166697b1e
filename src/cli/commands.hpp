#pragma once

// The commands of the tessaline program: one per catalogued operation (its options, usage and
// help read from the descriptor), and the program's own commands such as `settings`.

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
    Outcome (*run)(Session& session);
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

/// Parses the command's arguments and runs it over every PATH; returns the exit status.
int RunCliCommand(std::string_view name, std::vector<std::string> args, Session& session);

}  // namespace tessaline
