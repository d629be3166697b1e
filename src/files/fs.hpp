#pragma once

// The few file-system services the operations need, with the platform's error reasons.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

/// Anything exists at the path (file, folder or other).
[[nodiscard]] bool PathExists(const std::string& path);

/// A regular file (or a link to one) exists at the path.
[[nodiscard]] bool IsRegularFile(const std::string& path);

/// A folder (or a link to one) exists at the path.
[[nodiscard]] bool IsFolder(const std::string& path);

/// The size in bytes of the file at the path; 0 when it cannot be read.
[[nodiscard]] std::uint64_t FileSizeOf(const std::string& path);

/// Deletes a file; false when it could not be deleted.
[[nodiscard]] bool DeleteFile(const std::string& path);

/// Renames a file; false when it could not be renamed.
[[nodiscard]] bool RenameFile(const std::string& from, const std::string& to);

/// Renames `from` to `to` only when nothing exists at `to`; false otherwise. Never replaces an
/// existing file, even one that appeared meanwhile.
[[nodiscard]] bool RenameNoReplace(const std::string& from, const std::string& to);

/// Creates a new empty file beside `path` with a unique name and returns that name.
/// Throws FileError when the folder is not writable.
[[nodiscard]] std::string CreateTempSibling(const std::string& path);

/// The wildcard mask matches the whole name ("*" any run, "?" one character); the extension
/// without regard to case, the rest of the name exactly.
[[nodiscard]] bool MatchesMask(std::string_view name, std::string_view mask);

/// Names (not paths) of the folder's entries that match the mask, in the file system's order.
/// An unreadable or missing folder gives no names.
[[nodiscard]] std::vector<std::string> ListMatching(const std::string& folder,
                                                    std::string_view mask);

/// The program folder (settings, logs, the replace list): TESSALINE_HOME when set. An installed
/// program (its shipped files in PREFIX/share/tessaline beside its bin folder) or one whose own
/// folder is not writable keeps them in the user's configuration folder,
/// $XDG_CONFIG_HOME/tessaline (~/.config/tessaline), created on first use with the shipped
/// defaults copied in. Otherwise: the folder of the running executable.
[[nodiscard]] std::string ProgramFolder();

/// Where the program's own environment points.
struct ProgramPlace {
    std::string executable;     // the running program's path
    std::string tessalineHome;  // TESSALINE_HOME
    std::string xdgConfigHome;  // XDG_CONFIG_HOME
    std::string home;           // HOME
};

/// ProgramFolder for a given place (the rules above, for tests).
[[nodiscard]] std::string ProgramFolderOf(const ProgramPlace& place);

}  // namespace tessaline
