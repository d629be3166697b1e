#include "files/directory.hpp"

#include <algorithm>

#include "core/paths.hpp"
#include "core/strings.hpp"
#include "files/fs.hpp"
#include "files/ordered_runner.hpp"

namespace tessaline {

std::string FolderOf(std::string_view pathText) {
    return std::string(TextBeforeLastChar(pathText, kPathSeparator));
}

std::string JoinInFolder(std::string_view folder, std::string_view name) {
    return folder.empty() ? std::string(name) : PathJoin(folder, name);
}

void RunDirectory(std::string_view pathText, std::string_view mask, Host& host,
                  const std::function<void(const DirectoryEntry&, Host& host)>& each,
                  unsigned jobs) {
    if (pathText.empty()) return;
    // "/subs//" and "/subs/" name the same folder: runs of separators count as one.
    std::string folder = CollapseRepeatedChar(FolderOf(pathText), kPathSeparator);
    if (pathText.front() == kPathSeparator && folder.empty()) folder = "/";
    host.ShowDirectoryProgress("Finding " + std::string(mask));
    std::vector<std::string> names = ListMatching(folder, mask);
    // Name order, so that a run over a folder is the same on every file system.
    std::sort(names.begin(), names.end());
    std::vector<DirectoryEntry> entries;
    entries.reserve(names.size());
    // bytesBefore[i]: the bytes of the files before file i, for the folder's progress.
    std::vector<std::uint64_t> bytesBefore{0};
    bytesBefore.reserve(names.size() + 1);
    for (std::string& name : names) {
        std::string path = JoinInFolder(folder, name);
        bytesBefore.push_back(bytesBefore.back() + FileSizeOf(path));
        entries.push_back(DirectoryEntry{folder, std::move(name), std::move(path)});
    }
    const std::uint64_t bytesTotal = bytesBefore.back();
    // The folder is searched for leftovers of killed runs once, not once per file; the list is
    // only read afterwards, by every thread of the run.
    const FolderTempListing leftovers(folder);
    RunInOrder(
        entries.size(), jobs, host,
        [&](std::size_t i, Host& fileHost) {
            const FolderTempListing::Use onThisThread(leftovers);
            each(entries[i], fileHost);
        },
        [&](std::size_t i) {
            host.ShowFolderProgress(i + 1, entries.size(), bytesBefore[i], bytesTotal);
            host.ShowDirectoryProgress(entries[i].name);
        });
    host.ShowFolderProgress(entries.size() + 1, entries.size(), bytesTotal, bytesTotal);
    host.ShowDirectoryProgress("");
}

}  // namespace tessaline
