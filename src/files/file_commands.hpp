#pragma once

// Managing results: an output replaces the file it was made from, an output or report kind is
// deleted, and a line is added to the operations log.

#include <string>
#include <string_view>

#include "files/held_file.hpp"
#include "files/host.hpp"

namespace tessaline {

inline constexpr std::string_view kSourceFileNotPresent = "Source File Not Present!!!";
inline constexpr std::string_view kDestinationFileNotDeleted = "Destination File Not Deleted!!!";
inline constexpr std::string_view kFileNotRenamed = "File Not Renamed!!!";
inline constexpr std::string_view kFileNotDeleted = "File Not Deleted!!!";

/// The log keeps its last this many lines once it grows past kLogMaxLines.
inline constexpr std::size_t kLogMaxLines = 2000;
inline constexpr std::size_t kLogKeptLines = 500;

/// Replaces `destination` by `source` (the processed output takes the place of its input), as
/// HeldFile::ReplaceWith does: the replaced input goes to the trash first, then one rename puts
/// the output in its place, with the input's owner and mode. Runs at the same time over the same
/// files take turns, and only the first finds the output. A missing source is said only when
/// interactive (nothing to do); every failure throws FileError with the reason. True when the
/// source now stands under the destination name.
bool RenameOutFile(const std::string& source, const std::string& destination, bool interactive,
                   Host& host);

/// The same for a destination the caller holds already (a command that replaces it in steps;
/// `trashReplaced` false when the destination is its own earlier result).
bool RenameOutFile(const std::string& source, HeldFile& destination, bool interactive, Host& host,
                   bool trashReplaced = true);

/// Deletes a file, once no command that replaces it holds it. A missing file is said only when
/// interactive; a file that cannot be deleted throws FileError ("File Not Deleted!!!" and the
/// reason). True when it was deleted.
bool DeleteOneFile(const std::string& path, bool interactive, Host& host);

/// Adds a line to a log file (position 0: as the first line, 1: as the last), creating the file
/// when needed. A line added last is appended in one write, without reading the log, so that
/// runs at the same time never lose a line; a log grown large is then read, and cut to its last
/// 500 lines when it holds more than 2000. Throws FileError.
bool LogAppend(std::string_view line, const std::string& logPath, int position);

}  // namespace tessaline
