#include "ops/all_in_one.hpp"

#include <filesystem>
#include <optional>
#include <string>

#include "core/chars.hpp"
#include "core/paths.hpp"
#include "files/encoding.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
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
    if (args.output.empty() || std::filesystem::exists(args.output)) {
        if (args.interactive) host.ShowRefusal(kOutputFileExist, ExistingOutputWayOut(args.output));
        return RunResult::Refused;
    }
    // The encoding is decided once for the whole chain; a file of no text (an image subtitle
    // shares the extension) is refused here, not by each step.
    std::optional<EncodingPin> pin;
    if (IsRegularFile(args.input)) {
        const FileEncoding encoding = DecideFileEncoding(args.input);
        // A .sub of another format is refused once for the chain, not by every step.
        if (RefuseSubOfOtherFormat(args.input, encoding, host)) return RunResult::Refused;
        pin.emplace(args.input, encoding);
    }
    bool trashed = false;
    for (const int code : kAllInOneCodes) {
        const auto step = OperationOfCode(code);
        if (!step || step->operation->run == nullptr) continue;
        const int variant = step->variant == kAnyVariant ? 0 : step->variant;
        // A conversion error goes on to the handler. Nothing of the failed step stays (the frame
        // removes its unfinished output), so the file keeps the steps before it.
        step->operation->run(
            context,
            {.input = args.input, .output = args.output, .interactive = false, .variant = variant});
        if (!IsRegularFile(args.output)) continue;  // the step found nothing to change
        if (!trashed) {
            // The file as it was before the run goes to the trash once; the steps' own results
            // replace each other directly.
            if (!RenameOutFile(args.output, args.input, false, host)) return RunResult::Refused;
            trashed = true;
        } else {
            std::error_code error;
            std::filesystem::rename(args.output, args.input, error);
            if (error) {
                if (args.interactive) host.ShowMessage(std::string(kFileNotRenamed));
                return RunResult::Refused;
            }
        }
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
