#pragma once

// The operation codes of directory mode: one row per code with the name of the operation it
// runs, the extension of each file's output and the fixed last argument (the interactive flag).
// The operation of a code is the catalogued operation that declares the code
// (ops/catalogue.hpp); a code that no operation declares yet does nothing.

#include <string_view>

namespace tessaline {

struct DirectoryOperation {
    int code;
    std::string_view name;
    std::string_view outputExt;  // "" : no output path is passed
    bool interactive;            // the fixed last argument
};

/// The row of a code, or nullptr for a code outside 0 to 48.
[[nodiscard]] const DirectoryOperation* FindDirectoryOperation(int code);

}  // namespace tessaline
