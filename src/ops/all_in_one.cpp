#include "ops/all_in_one.hpp"

#include <filesystem>
#include <string>

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
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
        if (args.interactive) host.ShowMessage(kOutputFileExist);
        return RunResult::Refused;
    }
    bool trashed = false;
    for (const int code : kAllInOneCodes) {
        const auto step = OperationOfCode(code);
        if (!step || step->operation->run == nullptr) continue;
        const int variant = step->variant == kAnyVariant ? 0 : step->variant;
        try {
            step->operation->run(context, {.input = args.input,
                                           .output = args.output,
                                           .interactive = false,
                                           .variant = variant});
        } catch (const ConversionError&) {
            // Nothing of the failed step stays: the file keeps the steps before it.
            (void)DeleteFile(args.output);
            throw;
        }
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

}  // namespace tessaline
