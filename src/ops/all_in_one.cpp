#include "ops/all_in_one.hpp"

#include <cstdio>
#include <optional>
#include <string>

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/encoding.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/sub_kind.hpp"
#include "ops/catalogue.hpp"

namespace tessaline {

RunResult RunAllInOne(OperationContext& context, const RunArgs& args) {
    Host& host = context.host;
    const std::string ext = LowerFoldStr(FileExtOf(args.input));
    // Checked before any step: a step refused silently would leave the file as it is, but the
    // rename after it would put a stale output, or another step's empty one, over the file.
    if (ext != "srt" && ext != "sub") {
        if (args.interactive) {
            host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(args.input));
        }
        return RunResult::Refused;
    }
    // The file is held for the whole chain: another run on it waits until this one has put its
    // last result in place. A link is followed: the outputs and reports are made beside the
    // name given, as every command makes them, and the result replaces the file it names.
    HeldFile held(args.input);
    const std::string& input = args.input;
    const std::string& output = args.output;
    if (args.output.empty() || PathExists(output)) {
        if (args.interactive) host.ShowRefusal(kOutputFileExist, ExistingOutputWayOut(output));
        return RunResult::Refused;
    }
    // The encoding is decided once for the whole chain; a file of no text (an image subtitle
    // shares the extension) is refused here, not by each step.
    std::optional<EncodingPin> pin;
    if (held.exists()) {
        const FileEncoding encoding = DecideFileEncoding(input);
        // A .sub of another format is refused once for the chain, not by every step.
        if (RefuseSubOfOtherFormat(input, encoding, host)) return RunResult::Refused;
        pin.emplace(input, encoding);
    }
    bool trashed = false;
    for (const int code : kAllInOneCodes) {
        const auto step = OperationOfCode(code);
        if (!step || step->operation->run == nullptr) continue;
        const int variant = step->variant == kAnyVariant ? 0 : step->variant;
        // A conversion error goes on to the handler. Nothing of the failed step stays (the frame
        // removes its unfinished output), so the file keeps the steps before it.
        const RunResult result = step->operation->run(
            context, {.input = input, .output = output, .interactive = false, .variant = variant});
        if (!IsRegularFile(output)) continue;  // the step found nothing to change
        if (result != RunResult::Done && result != RunResult::Stopped) {
            // The step was refused for a film.out that someone else made meanwhile: it is not
            // this run's result, and stays as it is.
            host.ShowMessage(std::string(kOutputFileExist) + " (" +
                             std::string(FileNameOf(output)) + ")");
            return RunResult::Refused;
        }
        try {
            // The file as it was before the run goes to the trash once; the steps' own results
            // replace each other directly.
            if (!RenameOutFile(output, held, false, host, !trashed)) {
                host.ShowMessage(std::string(kSourceFileNotPresent));
                return RunResult::Refused;
            }
        } catch (const FileError&) {
            // The step's result stays as film.out only when another program changed the file
            // meanwhile; otherwise (the trash refused, no rename) it would block every later run.
            if (held.Unchanged()) std::remove(output.c_str());
            throw;
        }
        trashed = true;
    }
    return RunResult::Done;
}

namespace {
constexpr Trigger kAllInOneTriggers[] = {{"btnAllInOne"}};
}  // namespace

extern const Operation kAllInOneOperation{
    .command = "all-in-one",
    .summary = "run the whole cleaning chain; the file takes the result",
    .help =
        "Runs seven operations one after another, each on the result of the one before:\n"
        "any-to-dos, fix-delimiters, correct, recount, to-one-line, fix-digits and\n"
        "set-length. The file itself ends holding the result (the file as it was goes to\n"
        "the trash); each step's report stays beside it. Refused when film.out exists\n"
        "or the file is neither srt nor sub; a conversion error stops the chain with the\n"
        "steps before it done. With a mask, every matching file in turn.",
    .triggers = kAllInOneTriggers,
    .logText = "[All In One] Click",
    .outputExt = "out",
    .handler = HandlerKind::AllInOne,
    .replacesFiles = true,
    .run = RunAllInOne,
};

}  // namespace tessaline
