#pragma once

// Directory mode: one operation over every file of a folder that matches a mask.

#include <functional>
#include <string>
#include <string_view>

#include "files/host.hpp"

namespace tessaline {

/// A file found by the directory runner.
struct DirectoryEntry {
    std::string folder;  // the folder of the path text ("" for the current folder)
    std::string name;    // the file's name
    std::string path;    // folder joined with name
};

/// The folder part of a path text: everything before its last separator ("" when it has none).
[[nodiscard]] std::string FolderOf(std::string_view pathText);

/// Joins a folder and a name; an empty folder gives the name itself (the current folder).
[[nodiscard]] std::string JoinInFolder(std::string_view folder, std::string_view name);

/// Calls `each` for every entry of the folder of `pathText` whose name matches `mask`, in name
/// order, showing the progress through the host ("Finding " + mask, then each name and its
/// place in the folder). Nothing happens for an empty path text. With several `jobs` the files
/// run on that many threads, each talking to a host of its own whose messages reach `host` in
/// name order (RunInOrder), so the user sees what one job would show.
void RunDirectory(std::string_view pathText, std::string_view mask, Host& host,
                  const std::function<void(const DirectoryEntry&, Host& host)>& each,
                  unsigned jobs = 1);

}  // namespace tessaline
