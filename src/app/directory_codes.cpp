#include "app/directory_codes.hpp"

#include <array>

#include "app/session.hpp"
#include "core/paths.hpp"
#include "files/file_commands.hpp"
#include "ops/convert.hpp"
#include "ops/correction.hpp"

namespace tessaline {
namespace {

// Code 0: the file's ".out" takes the place of the file.
RunResult RunRenameOut(Session& session, const std::string& input, const std::string&,
                       bool interactive, int) {
    const bool done = RenameOutFile(ChangeFileExtMode(input, "out", 0), input, interactive,
                                    session.operationHost());
    return done ? RunResult::Done : RunResult::Skipped;
}

// Code 24: every file that matches the report kind is deleted.
RunResult RunDeleteFile(Session& session, const std::string& input, const std::string&,
                        bool interactive, int) {
    return DeleteOneFile(input, interactive, session.operationHost()) ? RunResult::Done
                                                                      : RunResult::Skipped;
}

// The parameters of the conversions and the correction, from the settings.
ConvertParams ConvertParamsOf(const Settings& settings, bool interactive) {
    return {.framesPerSecond = settings.Text("FramesAtSec"),
            .openBracket = FirstChar(settings.Text("OpenBrackets"), '{'),
            .closeBracket = FirstChar(settings.Text("CloseBrackets"), '}'),
            .timeCorrection = settings.Bool("TimeCorrection"),
            .subtitleFullLength = settings.Int("SubtitleFullLength"),
            .interactive = interactive};
}

CorrectionParams CorrectionParamsOf(const Settings& settings, bool interactive) {
    return {.timeCorrection = settings.Bool("TimeCorrection"),
            .caseCorrection = settings.Bool("CaseCorrection"),
            .deltaNumCorrection = settings.Int("DeltaNumCorrection"),
            .maxLines = settings.Int("SubLineCount"),
            .closeBracket = FirstChar(settings.Text("CloseBrackets"), '}'),
            .interactive = interactive};
}

// A conversion run from its cbSubToSub row, with the parameters from the settings.
template <RunResult (*Convert)(const std::string&, const std::string&, const ConvertParams&, Host&)>
RunResult RunConversion(Session& session, const std::string& input, const std::string& output,
                        bool interactive, int) {
    return Convert(input, output, ConvertParamsOf(session.settings(), interactive),
                   session.operationHost());
}

// clang-format off
constexpr std::array<DirectoryOperation, 48> kDirectoryOperations = {{
    {0, "Rename out-File", "", false, RunRenameOut},
    {1, "Offset ReCount", "out", true, RunOffsetReCount},
    {2, "sub --> srt", "srt", true, RunConversion<SubToSrt>},
    {3, "srt --> sub", "sub", true, RunConversion<SrtToSub>},
    {4, "Subtitles to one line", "out", false, nullptr},
    {5, "Line length cutting", "out", false, nullptr},
    {6, "Length test", "", false, nullptr},
    {7, "Time test", "", false, nullptr},
    {8, "Frame test", "", false, nullptr},
    {9, "Time extender", "out", false, nullptr},
    {10, "Range stretch in time", "out", true, nullptr},
    {11, "Find text", "", true, nullptr},
    {12, "Replace text", "out", false, nullptr},
    {13, "Dialog breaking", "out", false, nullptr},
    {14, "Subtitles to bottom", "out", true, nullptr},
    {15, "SubTime --> srt", "srt", true, RunConversion<SubTimeToSrt>},
    {16, "Subtitles Correction", "out", false, RunSubtitlesCorrection},
    {17, "Delimiters fix", "out", false, nullptr},
    {18, "Tags to one line", "out", false, nullptr},
    {19, "Fix double timings", "out", false, nullptr},
    {20, "Fix wrong timings and join text", "out", false, nullptr},
    {21, "Remove line beginnings", "out", true, nullptr},
    {22, "Tag fix", "out", false, nullptr},
    {23, "Range stretch in frames", "out", true, nullptr},
    {24, "Delete file", "", false, RunDeleteFile},
    {25, "Big-text breaking", "out", false, nullptr},
    {26, "Offset Time", "out", false, RunOffsetTime},
    {27, "ssa / ass --> srt", "srt", true, RunConversion<SsaToSrt>},
    {28, "Add last subtitle", "out", true, nullptr},
    {29, "Tag remove", "out", false, nullptr},
    {30, "Replace list", "out", false, nullptr},
    {31, "Delete last subtitle", "out", false, nullptr},
    {32, "Dialog fix", "out", false, nullptr},
    {33, "Subtitle time correction", "out", false, nullptr},
    {34, "Code page conversion 18", "out", false, nullptr},
    {35, "Code page conversion 17", "out", false, nullptr},
    {36, "Code page conversion 19", "out", false, nullptr},
    {37, "Code page conversion 20", "out", false, nullptr},
    {38, "Code page conversion 21", "out", false, nullptr},
    {39, "Code page conversion 8", "out", false, nullptr},
    {40, "Code page conversion 4", "out", false, nullptr},
    {41, "Code page conversion 12", "out", false, nullptr},
    {42, "Code page conversion 16", "out", false, nullptr},
    {43, "Code page conversion 22", "out", false, nullptr},
    {44, "Unix to DOS line ends", "out", false, nullptr},
    {45, "Any to DOS line ends", "out", false, nullptr},
    {46, "Fix digits in text", "out", false, nullptr},
    {47, "Check end letters", "", false, nullptr},
}};
// clang-format on

}  // namespace

const DirectoryOperation* FindDirectoryOperation(int code) {
    if (code < 0 || code >= static_cast<int>(kDirectoryOperations.size())) return nullptr;
    return &kDirectoryOperations[static_cast<std::size_t>(code)];
}

RunResult RunSubtitlesCorrection(Session& session, const std::string& input,
                                 const std::string& output, bool interactive, int) {
    return SubtitlesCorrection(input, output, CorrectionParamsOf(session.settings(), interactive),
                               session.operationHost());
}

// Offset Time has no interactive flag: it always shows its messages.
RunResult RunOffsetTime(Session& session, const std::string& input, const std::string& output, bool,
                        int) {
    OffsetTimeParams params = session.offsetTime;
    params.timeCorrection = session.settings().Bool("TimeCorrection");
    return OffsetTime(input, output, params, session.operationHost());
}

RunResult RunOffsetReCount(Session& session, const std::string& input, const std::string& output,
                           bool interactive, int) {
    return OffsetReCount(input, output, {.interactive = interactive}, session.operationHost());
}

}  // namespace tessaline
