#include "files/file_commands.hpp"

#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "files/trash.hpp"

namespace tessaline {

bool TrashReplacedInput(const std::string& destination, bool interactive, Host& host) {
    if (!PathExists(destination)) return true;
    // A folder of that name is not an input that an output can replace.
    std::optional<std::string> reason;
    if (IsRegularFile(destination)) {
        reason = MoveToTrash(destination);
        if (!reason) return true;
    }
    if (interactive) {
        host.ShowMessage(std::string(kDestinationFileNotDeleted) +
                         (reason ? "\r\n" + *reason : ""));
    }
    return false;
}

bool RenameOutFile(const std::string& source, const std::string& destination, bool interactive,
                   Host& host) {
    if (source == destination) return false;
    const auto tell = [&](std::string_view text) {
        if (interactive) host.ShowMessage(text);
        return false;
    };
    if (!IsRegularFile(source)) return tell(kSourceFileNotPresent);
    if (!TrashReplacedInput(destination, interactive, host)) return false;
    if (PathExists(destination)) {
        if (!DeleteFile(destination)) return tell(kDestinationFileNotDeleted);
        if (PathExists(destination)) return tell(kDestinationFilePresent);
    }
    if (!RenameFile(source, destination)) return tell(kFileNotRenamed);
    return true;
}

bool DeleteOneFile(const std::string& path, bool interactive, Host& host) {
    const auto tell = [&](std::string_view text) {
        if (interactive) host.ShowMessage(text);
        return false;
    };
    if (!PathExists(path)) return tell(kSourceFileNotPresent);
    if (!DeleteFile(path)) return tell(kFileNotDeleted);
    return true;
}

bool LogAppend(std::string_view line, const std::string& logPath, int position) {
    std::vector<std::string> lines = ReadLinesIfExists(logPath);
    if (lines.size() > kLogMaxLines) {
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(kLogKeptLines));
    }
    if (position == 0) {
        lines.insert(lines.begin(), std::string(line));
    } else {
        lines.emplace_back(line);
    }
    WriteLinesReplacing(logPath, lines);
    return true;
}

}  // namespace tessaline
