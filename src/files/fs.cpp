#include "files/fs.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/chars.hpp"
#include "core/errors.hpp"

namespace tessaline {

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing target as well.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

std::string CreateTempSibling(const std::string& path) {
    std::string name = path + ".partXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        throw FileError(path, "cannot create a file beside " + path + ": " + std::strerror(errno));
    }
    // mkstemp makes the file private (0600); the file renamed into place gets the permissions a
    // plainly created file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return name;
}

namespace {

// Iterative wildcard match with one backtrack point for the last "*"; case-sensitive.
bool WildcardMatch(std::string_view name, std::string_view mask) {
    std::size_t n = 0, m = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starAt = m++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            m = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (WildcardMatch(name, mask)) return true;
    // The extension is compared without regard to case, as the operations compare it: "*.srt"
    // also takes FILM.SRT. The rest of the name is matched exactly, as the file system names it.
    const std::size_t nameDot = name.rfind('.');
    const std::size_t maskDot = mask.rfind('.');
    if (nameDot == std::string_view::npos || maskDot == std::string_view::npos) return false;
    return WildcardMatch(name.substr(0, nameDot), mask.substr(0, maskDot)) &&
           WildcardMatch(LowerFoldStr(name.substr(nameDot + 1)),
                         LowerFoldStr(mask.substr(maskDot + 1)));
}

std::vector<std::string> ListMatching(const std::string& folder, std::string_view mask) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (MatchesMask(name, mask)) names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::string ProgramFolder() {
    if (const char* home = std::getenv("TESSALINE_HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path().string();
    return exe.parent_path().string();
}

}  // namespace tessaline
