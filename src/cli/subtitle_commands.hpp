#pragma once

// The line editor's file commands on the command line: show, rewrite or delete one subtitle of
// a SubRip or MicroDVD file, by its number or its key, through the editor's own routines.

#include "cli/commands.hpp"

namespace tessaline {

extern const ProgramCommand kShowSubtitleCommand;
extern const ProgramCommand kRewriteSubtitleCommand;
extern const ProgramCommand kDeleteSubtitleCommand;

}  // namespace tessaline
