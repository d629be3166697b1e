// The tessaline command: runs an operation on files, or on every file of a folder that
// matches a mask, exactly as the desktop program's buttons do.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/session.hpp"
#include "cli/cli_host.hpp"
#include "cli/commands.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "ops/catalogue.hpp"

namespace {

using namespace tessaline;

constexpr int kUsageError = 2;

int Usage(std::string_view message) {
    std::fprintf(stderr, "tessaline: %.*s\nTry 'tessaline --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return kUsageError;
}

// The program after the signal handlers are in place.
int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> home;
    std::optional<std::string> ini;
    std::vector<std::string> sets;
    bool quiet = false;
    // A folder run uses every core unless told otherwise.
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            const std::string help = ProgramHelpText();
            std::fwrite(help.data(), 1, help.size(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tessaline %s\n", TESSALINE_VERSION);
            return 0;
        }
        if (arg == "--quiet" || arg == "-q") {
            quiet = true;
        } else if (arg == "--no-trash") {
            SetTrashReplacedFiles(false);
        } else if (arg == "--home" || arg == "--ini" || arg == "--set" || arg == "--jobs") {
            if (i + 1 >= args.size()) return Usage(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--home") home = value;
            if (arg == "--ini") ini = value;
            if (arg == "--set") sets.push_back(value);
            if (arg == "--jobs") {
                int n = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), n);
                if (error != std::errc() || end != value.data() + value.size() || n < 1 ||
                    n > 256) {
                    return Usage("--jobs takes a number of files at once from 1 to 256, not '" +
                                 value + "'");
                }
                jobs = n;
            }
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
            const std::string help = CommandHelpText(command);
            std::fwrite(help.data(), 1, help.size(), stdout);
            return 0;
        }
    }

    if (ini && !IsRegularFile(*ini)) return Usage("settings file '" + *ini + "' not found");
    CliHost host(quiet, CliHost::StderrIsTerminal());
    Session session(host, home ? *home : ProgramFolder());
    session.jobs = jobs;
    session.Start(ini ? *ini : "");
    for (const std::string& set : sets) {
        const std::size_t eq = set.find('=');
        if (eq == std::string::npos) return Usage("--set takes KEY=VALUE, not '" + set + "'");
        // A UTF-8 terminal's text becomes the settings' Windows-1251.
        std::string value = set.substr(eq + 1);
        if (const auto error = TypedForSetting(set.substr(0, eq), value)) {
            return Usage("--set " + *error);
        }
        if (const auto error = session.settings().Assign(set.substr(0, eq), value)) {
            return Usage(*error);
        }
    }
    const int status = RunCliCommand(command, rest, session);
    // An exit status of 1 always comes with a message: a path that stopped without saying why
    // still tells the user that nothing was finished.
    if (status == 1 && !host.SaidAnything()) {
        std::fprintf(stderr, "tessaline %s: stopped before it was done\n", command.c_str());
    }
    return status;
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
