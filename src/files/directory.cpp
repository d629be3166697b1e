#include "files/directory.hpp"

#include <algorithm>

#include "core/paths.hpp"
#include "core/strings.hpp"
#include "files/fs.hpp"

namespace tessaline {

std::string FolderOf(std::string_view pathText) {
    return std::string(TextBeforeLastChar(pathText, kPathSeparator));
}

std::string JoinInFolder(std::string_view folder, std::string_view name) {
    return folder.empty() ? std::string(name) : PathJoin(folder, name);
}

void RunDirectory(std::string_view pathText, std::string_view mask, Host& host,
                  const std::function<void(const DirectoryEntry&)>& each) {
    if (pathText.empty()) return;
    // "/subs//" and "/subs/" name the same folder: runs of separators count as one.
    std::string folder = CollapseRepeatedChar(FolderOf(pathText), kPathSeparator);
    if (pathText.front() == kPathSeparator && folder.empty()) folder = "/";
    host.ShowDirectoryProgress("Finding " + std::string(mask));
    std::vector<std::string> names = ListMatching(folder, mask);
    // Name order, so that a run over a folder is the same on every file system.
    std::sort(names.begin(), names.end());
    // The folder is searched for leftovers of killed runs once, not once per file.
    const FolderTempListing leftovers(folder);
    for (const std::string& name : names) {
        host.ShowDirectoryProgress(name);
        each(DirectoryEntry{folder, name, JoinInFolder(folder, name)});
    }
    host.ShowDirectoryProgress("");
}

}  // namespace tessaline
