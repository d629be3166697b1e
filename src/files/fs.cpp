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

std::uint64_t FileSizeOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || st.st_size < 0) return 0;
    return static_cast<std::uint64_t>(st.st_size);
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

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Copies every file of `from` that `to` does not have yet: the user's own edits are kept.
void CopyMissingFiles(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(from, ec)) {
        // A folder of shipped files (the language files) is copied with what it holds.
        if (entry.is_directory(ec)) {
            std::filesystem::create_directories(to / entry.path().filename(), ec);
            CopyMissingFiles(entry.path(), to / entry.path().filename());
            continue;
        }
        if (!entry.is_regular_file(ec)) continue;
        std::filesystem::copy_file(entry.path(), to / entry.path().filename(),
                                   std::filesystem::copy_options::skip_existing, ec);
    }
}

}  // namespace

std::string ProgramFolderOf(const ProgramPlace& place) {
    namespace fs = std::filesystem;
    if (!place.tessalineHome.empty()) return place.tessalineHome;
    if (place.executable.empty()) return fs::current_path().string();
    const fs::path bin = fs::path(place.executable).parent_path();
    const fs::path shipped = bin.parent_path() / "share" / "tessaline";
    std::error_code ec;
    const bool installed = fs::is_directory(shipped, ec);
    if (!installed && ::access(bin.c_str(), W_OK) == 0) return bin.string();

    // The install folder belongs to the system: the user's settings live in their own folder.
    fs::path config = place.xdgConfigHome;
    if (config.empty() || config.is_relative()) {
        if (place.home.empty()) return bin.string();
        config = fs::path(place.home) / ".config";
    }
    const fs::path folder = config / "tessaline";
    fs::create_directories(folder, ec);
    if (installed) CopyMissingFiles(shipped, folder);
    return folder.string();
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ProgramFolderOf({.executable = ec ? std::string() : exe.string(),
                            .tessalineHome = Env("TESSALINE_HOME"),
                            .xdgConfigHome = Env("XDG_CONFIG_HOME"),
                            .home = Env("HOME")});
}

}  // namespace tessaline
