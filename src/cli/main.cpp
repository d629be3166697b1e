// The tessaline command: runs an operation on files, or on every file of a folder that
// matches a mask, exactly as the desktop program's buttons do.

#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.hpp"
#include "cli/cli_host.hpp"
#include "cli/commands.hpp"
#include "files/fs.hpp"
#include "ops/catalogue.hpp"

namespace {

using namespace tessaline;

constexpr int kUsageError = 2;

int Usage(std::string_view message) {
    std::fprintf(stderr, "tessaline: %.*s\nTry 'tessaline --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return kUsageError;
}

void PrintProgramHelp() {
    std::printf(
        "Tessaline %s: prepares and repairs subtitle files (SubRip, MicroDVD, SubStation Alpha).\n"
        "\n"
        "usage: tessaline [--home DIR] [--ini FILE] [--set KEY=VALUE]... [--quiet] COMMAND "
        "[OPTIONS] PATH...\n"
        "       tessaline --help | --version | COMMAND --help | settings\n"
        "\n"
        "Each command writes its result beside the input (film.srt gives film.out) and never\n"
        "overwrites an existing output. A PATH with * or ? runs the command over every matching\n"
        "file of that folder, as directory mode does.\n"
        "\n"
        "Commands:\n",
        TESSALINE_VERSION);
    const auto line = [](std::string_view name, std::string_view summary) {
        std::printf("  %-14.*s %.*s\n", static_cast<int>(name.size()), name.data(),
                    static_cast<int>(summary.size()), summary.data());
    };
    for (const Operation* op : Catalogue())
        line(op->command, op->summary);
    for (const ProgramCommand& command : ProgramCommands())
        line(command.name, command.summary);
    std::printf(
        "\n"
        "Options:\n"
        "  --home DIR       the program folder (Tessaline.ini, Operations.log); default: the\n"
        "                   folder of the program, or TESSALINE_HOME\n"
        "  --ini FILE       read the settings from FILE instead of DIR/Tessaline.ini\n"
        "  --set KEY=VALUE  override a setting for this run (see 'tessaline settings')\n"
        "  --quiet          print no status texts on stdout\n"
        "\n"
        "Exit status: 0 done (or nothing to do), 1 refused or stopped with a message,\n"
        "2 usage error, 3 a time or number in the file did not convert.\n");
}

// The program after the signal handlers are in place.
int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> home;
    std::optional<std::string> ini;
    std::vector<std::string> sets;
    bool quiet = false;

    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            PrintProgramHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("tessaline %s\n", TESSALINE_VERSION);
            return 0;
        }
        if (arg == "--quiet" || arg == "-q") {
            quiet = true;
        } else if (arg == "--home" || arg == "--ini" || arg == "--set") {
            if (i + 1 >= args.size()) return Usage(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--home") home = value;
            if (arg == "--ini") ini = value;
            if (arg == "--set") sets.push_back(value);
        } else if (arg.starts_with("-")) {
            return Usage("unknown option '" + arg + "'");
        } else {
            break;
        }
    }
    if (i >= args.size()) return Usage("no command given");

    const std::string& command = args[i];
    if (!IsCommand(command)) return Usage("unknown command '" + command + "'");
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    for (const std::string& arg : rest) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            PrintCommandHelp(command);
            return 0;
        }
    }

    if (ini && !IsRegularFile(*ini)) return Usage("settings file '" + *ini + "' not found");
    CliHost host(quiet);
    Session session(host, home ? *home : ProgramFolder());
    session.Start(ini ? *ini : "");
    for (const std::string& set : sets) {
        const std::size_t eq = set.find('=');
        if (eq == std::string::npos) return Usage("--set takes KEY=VALUE, not '" + set + "'");
        if (const auto error = session.settings().Assign(set.substr(0, eq), set.substr(eq + 1))) {
            return Usage(*error);
        }
    }
    return RunCliCommand(command, rest, session);
}

}  // namespace

int main(int argc, char** argv) {
    // An interrupted or terminated run removes its unfinished output before it ends.
    InstallSignalCleanup();
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tessaline: %.*s\n", static_cast<int>(kNotEnoughMemory.size()),
                     kNotEnoughMemory.data());
        return 1;
    }
}
