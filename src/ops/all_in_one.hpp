#pragma once

// All in One: the fixed chain of seven cleaning operations on one file, each step's output
// replacing the file before the next step reads it. At the end the file holds the chain's result,
// no output remains beside it, and each step's report stays.

#include <array>

#include "files/frame.hpp"
#include "ops/operation.hpp"

namespace tessaline {

/// The steps, as their directory-mode codes: any to DOS line ends, delimiters fix (mode 0),
/// subtitles correction, offset recount, to one line, fix digits, line length cutting.
inline constexpr std::array<int, 7> kAllInOneCodes = {45, 17, 16, 1, 4, 46, 5};

/// Runs the chain on `args.input` with `args.output` as each step's output. Every step runs
/// without messages; a step that leaves no output changes nothing. Refused before any step: a
/// file that is neither srt nor sub, an output that already exists. A conversion error ends the
/// chain (ConversionError propagates): the file keeps the result of the steps before it and
/// nothing of the failed step is left. The file replaced first goes to the trash, so that the
/// whole run can be undone.
///
/// The steps run at once, each on its own thread, each step's lines flowing into the next in
/// memory; the file is written once, through one temporary file and one rename. The result, the
/// reports and the messages are those of the steps run one after another.
RunResult RunAllInOne(OperationContext& context, const RunArgs& args);

/// The same chain run one step after another, each step's output replacing the file before the
/// next step reads it: what RunAllInOne's result is measured against.
RunResult RunAllInOneStepByStep(OperationContext& context, const RunArgs& args);

extern const Operation kAllInOneOperation;

}  // namespace tessaline
