#pragma once

// The operation codes of directory mode: one row per code with the operation it runs, the
// extension of each file's output and the fixed last argument (the interactive flag).

#include <string>
#include <string_view>

#include "files/frame.hpp"

namespace tessaline {

class Session;

/// Runs one operation on one file: input, output ("" when the code has no output), the
/// interactive flag and the variant byte of the runner.
using DirectoryRun = RunResult (*)(Session& session, const std::string& input,
                                   const std::string& output, bool interactive, int variant);

struct DirectoryOperation {
    int code;
    std::string_view name;
    std::string_view outputExt;  // "" : no output path is passed
    bool interactive;            // the fixed last argument
    DirectoryRun run;            // nullptr : not available yet, the code does nothing
};

inline constexpr int kCodeRenameOutFile = 0;
inline constexpr int kCodeOffsetReCount = 1;
inline constexpr int kCodeSubtitlesCorrection = 16;
inline constexpr int kCodeDeleteFile = 24;
inline constexpr int kCodeOffsetTime = 26;

/// The row of a code, or nullptr for a code above 47.
[[nodiscard]] const DirectoryOperation* FindDirectoryOperation(int code);

// The operations of the rows, each taking its parameters from the session.
RunResult RunOffsetTime(Session& session, const std::string& input, const std::string& output,
                        bool interactive, int variant);
RunResult RunOffsetReCount(Session& session, const std::string& input, const std::string& output,
                           bool interactive, int variant);
RunResult RunSubtitlesCorrection(Session& session, const std::string& input,
                                 const std::string& output, bool interactive, int variant);

/// The directory-mode code of each "Sub --> Sub" conversion, by cbSubToSub item.
inline constexpr int kSubToSubCodes[] = {2, 3, 15, 27};

}  // namespace tessaline
