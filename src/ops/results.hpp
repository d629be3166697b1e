#pragma once

// The commands that manage results: "Rename out-File" puts an output in the place of the file it
// was made from, "Delete File:" deletes the output or report files of a kind.

#include "ops/operation.hpp"

namespace tessaline {

extern const Operation kRenameOutFileOperation;
extern const Operation kDeleteFileOperation;

}  // namespace tessaline
