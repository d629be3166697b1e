#pragma once

// Record numbers and frame numbers: Offset Count adds a constant to every number line, Offset
// ReCount numbers the records 1, 2, 3... afresh, Offset Frame shifts both frame numbers of every
// MicroDVD line.

#include <cstdint>
#include <string>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

struct OffsetCountParams {
    std::int64_t offset = 0;  // sedOffsetCount
};

struct OffsetReCountParams {
    bool interactive = true;
};

struct OffsetFrameParams {
    std::int64_t offset = 0;  // sedOffsetCntFrames
    bool minus = false;       // cbOffsetFrameMinus
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
};

/// Adds the offset to every subtitle number (in a SubRip file a line of digits in the text stays).
RunResult OffsetCount(const std::string& input, const std::string& output,
                      const OffsetCountParams& params, Host& host);

/// Numbers the records afresh from 1: a number line is a record number at the start of the file
/// and after a blank line; digits inside a subtitle's text stay as they are.
RunResult OffsetReCount(const std::string& input, const std::string& output,
                        const OffsetReCountParams& params, Host& host);

/// Adds (or with minus subtracts) the offset to both frame numbers of every line that holds the
/// opening bracket. The caller decides that the file is a MicroDVD file: the range stretch
/// shifts its film.out this way. Frame numbers may go below zero.
RunResult OffsetFrame(const std::string& input, const std::string& output,
                      const OffsetFrameParams& params, Host& host);

extern const Operation kOffsetCountOperation;
extern const Operation kOffsetReCountOperation;
extern const Operation kOffsetFrameOperation;

}  // namespace tessaline
