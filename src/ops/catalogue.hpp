#pragma once

// The catalogue: every operation the program offers, each by its descriptor
// (ops/operation.hpp). The session runs them, the command line lists and parses them, the
// window connects their buttons; a new operation joins by its one row in catalogue.cpp.

#include <optional>
#include <span>
#include <string_view>

#include "ops/operation.hpp"

namespace tessaline {

/// Every catalogued operation, in the order of the program's help.
[[nodiscard]] std::span<const Operation* const> Catalogue();

/// The operation of a command name, or nullptr.
[[nodiscard]] const Operation* FindOperation(std::string_view command);

/// An operation with the variant that a button, a menu item or a code runs.
struct OperationVariant {
    const Operation* operation;
    int variant;
};

/// The operation that a button or menu item starts.
[[nodiscard]] std::optional<OperationVariant> FindTrigger(std::string_view control);

/// The operation that declares a directory-mode code (the variant kAnyVariant when the code
/// runs every variant).
[[nodiscard]] std::optional<OperationVariant> OperationOfCode(int code);

}  // namespace tessaline
