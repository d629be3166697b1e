#pragma once

// The commands of the tessaline program: their options, help texts and runs.

#include <string>
#include <string_view>
#include <vector>

#include "app/session.hpp"

namespace tessaline {

/// Values of a command's options that are applied anew for every PATH.
struct CliValues {
    std::string deleteKind;  // delete-file: "*." + EXT (the handler resets its selection)
    int subToSub = -1;       // convert: the cbSubToSub item; -1 = by the file's extension
};

/// Reads a command's options and values from its arguments into the session; the remaining
/// arguments are the paths. Returns an error message for a usage error.
using CliParse = std::optional<std::string> (*)(std::vector<std::string>& args, Session& session,
                                                CliValues& values);

/// Runs the command's handler for the file (or mask) the session has open.
using CliRun = Outcome (*)(Session& session, const CliValues& values);

struct CliCommand {
    std::string_view name;
    std::string_view usage;    // the arguments after the name
    std::string_view summary;  // one line for the program's help
    std::string_view help;     // what the command does, its options
    bool takesMask;            // runs in directory mode over a mask
    bool needsPath;            // takes at least one PATH
    CliParse parse;
    CliRun run;
};

[[nodiscard]] const std::vector<CliCommand>& CliCommands();
[[nodiscard]] const CliCommand* FindCliCommand(std::string_view name);
void PrintCommandHelp(const CliCommand& command);

/// Parses the command's arguments and runs it over every PATH; returns the exit status.
int RunCliCommand(const CliCommand& command, std::vector<std::string> args, Session& session);

}  // namespace tessaline
