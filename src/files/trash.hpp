#pragma once

// The desktop trash, through GLib's implementation of the freedesktop.org trash: a file moved
// there can be restored from any file manager. GLib's GIO library is loaded at the first use.

#include <optional>
#include <string>

namespace tessaline {

/// Moves a file into the trash of its user (the trash of its own disk when it lies on another
/// one). Nothing when it worked; otherwise the reason it did not (the file stays where it was).
[[nodiscard]] std::optional<std::string> MoveToTrash(const std::string& path);

}  // namespace tessaline
