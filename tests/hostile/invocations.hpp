#pragma once

// Every way to run every catalogued command, derived from the descriptors: the hostile-input
// corpus run and the fuzz target of the operations cover each command, each of its directions
// and modes, as soon as it is catalogued.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/host.hpp"
#include "ops/operation.hpp"

namespace tessaline::test {

/// Stands in an invocation's arguments for the path of a second input file (an option whose
/// value is a FILE).
inline constexpr std::string_view kSecondFile = "{second-file}";

/// One way to run a catalogued command on a file.
struct Invocation {
    const Operation* op = nullptr;
    /// The command line without program options and PATH, for messages ("offset-time --minus").
    std::string label;
    /// The command's options and values, in order; kSecondFile for a second file's path.
    std::vector<std::string> args;
    /// Settings changed for the run (--set KEY=VALUE).
    std::vector<std::pair<std::string, std::string>> sets;
    /// Runs over the mask "*.EXT" of the file's folder (directory mode) instead of the file.
    bool mask = false;
    /// Takes a second file (kSecondFile stands in args).
    bool secondFile = false;
};

/// The invocations of every catalogued command: each command with its required values; then,
/// one change at a time, each flag on, each optional value given, each choice of a text option,
/// each on/off setting it reads switched; and, for a command with a directory mode, the command
/// over a mask.
[[nodiscard]] const std::vector<Invocation>& CatalogueInvocations();

/// What kept the generator from covering an option (a text option whose check accepted none of
/// the values tried); empty when everything is covered.
[[nodiscard]] const std::vector<std::string>& InvocationProblems();

/// The editor's commands (show-subtitle, rewrite-subtitle, delete-subtitle), which are not
/// catalogued operations: each run on the file `name` holding `bytes`, the subtitle named as
/// the file's kind names it (the first SubRip number 1, the first MicroDVD line's frames), so
/// that a rewrite and a delete reach the writing of the file.
[[nodiscard]] std::vector<Invocation> EditorInvocations(std::string_view name,
                                                        std::string_view bytes);

/// The program arguments of an invocation on `path` after the program options:
/// [--set KEY=VALUE]... COMMAND ARGS... -- PATH (or the mask of its folder).
[[nodiscard]] std::vector<std::string> CommandLine(const Invocation& invocation,
                                                   const std::string& path,
                                                   const std::string& secondFile);

/// Runs an invocation in this process as the tessaline command does, with a fresh session whose
/// program folder is `home`, its messages going to `host`. Returns the exit status.
int RunInvocation(const Invocation& invocation, const std::string& path,
                  const std::string& secondFile, const std::string& home, Host& host);

}  // namespace tessaline::test

namespace tessaline::test {

/// How one run of the program (or of the command in this process) ended.
struct RunOutcome {
    int status = -1;    // the exit status; -1 when it died of a signal or was killed
    std::string err;    // what it wrote on stderr, where that is known
    long maxRssKb = 0;  // its peak memory, where that is known
    bool timedOut = false;
};

/// Runs an invocation on `path` (with `secondFile` for kSecondFile).
using InvocationRunner = std::function<RunOutcome(const Invocation&, const std::string& path,
                                                  const std::string& secondFile)>;

/// What a run over a hostile file must keep to, whatever the file holds.
struct Promises {
    /// Peak memory allowed in kB (0: not checked).
    long maxRssKb = 0;
    /// Allowed besides, for a command that reads a second file (the same bytes again).
    long secondInputKb = 0;
    /// Allowed besides, for All in One: its seven steps run at once, each with buffers of its
    /// own, and the first holds a long line while the others hold theirs.
    long chainKb = 0;
    /// Peak memory allowed instead for a run that listens to a film (sync --to), which loads
    /// FFmpeg's and WebRTC's libraries (0: the same as the others).
    long listeningKb = 0;
};

/// Lays the file out in the empty folder `dir` as `name` (with a second input beside it, and,
/// with `outputsExist`, files in the places of the outputs), runs the invocation through
/// `runner`, and returns each promise the run broke: an exit status other than 0, 1 or 3 (2,
/// a usage error, means the invocation is wrong), a sanitizer report, a changed input, a
/// changed file that existed before (the commands that replace files apart), a file left after
/// a conversion error, a temporary file left at all, too much memory. The folder is emptied
/// again afterwards.
[[nodiscard]] std::vector<std::string> CheckRun(const Invocation& invocation,
                                                const std::string& dir, const std::string& name,
                                                std::string_view bytes, bool outputsExist,
                                                const InvocationRunner& runner,
                                                const Promises& promises = {});

/// Runs in this process (RunInvocation) with a recording host and a program folder `home`.
[[nodiscard]] InvocationRunner InProcessRunner(const std::string& home);

}  // namespace tessaline::test
