#pragma once

// The manual page and the bash completion of the tessaline command, generated from the catalogue
// and the program's own options, so that neither can disagree with --help.

#include <string>

namespace tessaline {

/// tessaline.1 in roff (man) format.
[[nodiscard]] std::string ManPage();

/// A bash completion script for the tessaline command.
[[nodiscard]] std::string BashCompletion();

}  // namespace tessaline
