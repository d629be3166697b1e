#include "files/fs.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

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

std::pair<std::uint64_t, std::int64_t> FileStamp(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return {0, 0};
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) return {0, 0};
    return {static_cast<std::uint64_t>(size),
            static_cast<std::int64_t>(time.time_since_epoch().count())};
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

namespace {

// A temporary file of film.srt is ".film.srt.tessaline-part-" followed by six random letters
// and digits and four more that a hash of the name and those six gives: a name no user would
// choose, and one whose last four characters prove that this program made it. Only such names
// are ever swept; a user's "film.srt.partSECOND" is never taken for one.
constexpr std::string_view kTempInfix = ".tessaline-part-";
constexpr std::size_t kTempRandomLength = 6;
constexpr std::size_t kTempCheckLength = 4;
constexpr std::size_t kTempSuffixLength = kTempRandomLength + kTempCheckLength;
constexpr std::string_view kTempLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The folder and the name of a path ("" for the current folder).
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {"", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The four letters that end a temporary name of `base` with the random part `random`.
std::string TempCheck(std::string_view base, std::string_view random) {
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    for (const std::string_view part : {kTempInfix, base, std::string_view("/"), random}) {
        for (const char c : part) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ULL;
        }
    }
    std::string check;
    for (std::size_t i = 0; i < kTempCheckLength; ++i, hash /= kTempLetters.size())
        check += kTempLetters[hash % kTempLetters.size()];
    return check;
}

std::string TempNameOf(std::string_view base, std::string_view random) {
    return "." + std::string(base) + std::string(kTempInfix) + std::string(random) +
           TempCheck(base, random);
}

}  // namespace

bool IsTempName(std::string_view name, std::string_view base) {
    const std::size_t tail = kTempInfix.size() + kTempSuffixLength;
    if (name.size() <= tail + 1 || name.front() != '.') return false;
    const std::string_view named = name.substr(1, name.size() - tail - 1);
    if (!base.empty() && named != base) return false;
    const std::string_view random = name.substr(name.size() - kTempSuffixLength, kTempRandomLength);
    return name.substr(name.size() - tail).starts_with(kTempInfix) &&
           TempNameOf(named, random) == name;
}

namespace {

std::vector<std::string> TempNamesIn(const std::string& folder, std::string_view base) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsTempName(entry->d_name, base)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// Removes a TempFile left by a run that ended without cleaning up: nobody holds its lock. A live
// run's file is locked and stays.
void RemoveIfLeftOver(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
        ::unlink(path.c_str());
    }
    ::close(fd);
}

// The paths a signal handler removes: fixed slots, so that the handler neither allocates nor
// locks. A slot is free (0), being filled or emptied (1), or holds a path (2). Enough for a
// folder run's most threads (256), each with an output and a report under way.
constexpr int kSignalSlots = 512;
struct SignalSlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
SignalSlot g_signalSlots[kSignalSlots];

int RegisterForSignals(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;  // a later run removes it as a leftover
    for (int i = 0; i < kSignalSlots; ++i) {
        int expected = 0;
        if (!g_signalSlots[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_signalSlots[i].path, path.c_str(), path.size() + 1);
        g_signalSlots[i].state.store(2, std::memory_order_release);
        return i;
    }
    return -1;
}

void UnregisterForSignals(int slot) {
    if (slot < 0) return;
    g_signalSlots[slot].state.store(1);
    g_signalSlots[slot].state.store(0, std::memory_order_release);
}

// The signals whose handler removes the temporary files.
constexpr int kCleanupSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGABRT};

// Holds the cleanup signals back for its lifetime.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int sig : kCleanupSignals)
            sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

extern "C" void RemoveTempFilesAndDie(int sig) {
    const int savedErrno = errno;
    for (SignalSlot& slot : g_signalSlots) {
        if (slot.state.load(std::memory_order_acquire) == 2) ::unlink(slot.path);
    }
    errno = savedErrno;
    // The handler was installed with SA_RESETHAND: the signal, blocked while the handler runs,
    // ends the program by its default action once the handler returns.
    ::raise(sig);
}

// Creates a temporary name of the target (TempNameOf) that no file has yet, as any file is
// created (0666 less the umask; a replacement then takes the replaced file's owner and mode, and
// the umask is never changed, which other threads would see). Returns the open file and its
// name, or -1 with errno.
int CreateUniqueSibling(const std::string& target, std::string& name) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const auto [folder, base] = SplitPath(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string letters;
        std::uint64_t bits = random();
        for (std::size_t i = 0; i < kTempRandomLength; ++i, bits /= kTempLetters.size())
            letters += kTempLetters[bits % kTempLetters.size()];
        name = TempNameOf(base, letters);
        if (!folder.empty()) name = (folder == "/" ? "/" : folder + "/") + name;
        const int fd =
            ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The folder listing that TempFile uses on this thread (FolderTempListing::Use).
thread_local const FolderTempListing* g_folderListing = nullptr;

}  // namespace

FolderTempListing::FolderTempListing(const std::string& folder)
    : folder_(folder), names_(TempNamesIn(folder, "")) {}

FolderTempListing::Use::Use(const FolderTempListing& listing) : previous_(g_folderListing) {
    g_folderListing = &listing;
}

FolderTempListing::Use::~Use() {
    g_folderListing = previous_;
}

TempFile::TempFile(const std::string& target) : target_(target) {
    const auto [folder, base] = SplitPath(target);
    // Leftovers of killed runs over the same target, from the folder run's list when there is
    // one for this folder.
    const FolderTempListing* listing = g_folderListing;
    if (listing != nullptr && listing->folder_ == folder) {
        for (const std::string& name : listing->names_) {
            if (IsTempName(name, base))
                RemoveIfLeftOver(folder.empty() ? name : folder + "/" + name);
        }
    } else {
        for (const std::string& name : TempNamesIn(folder, base))
            RemoveIfLeftOver(folder.empty() ? name : folder + "/" + name);
    }
    // No signal may end the program between the file's creation and its registration for the
    // signal handlers: one that comes meanwhile is handled once the file is registered.
    const SignalsHeld held;
    for (int attempt = 0;; ++attempt) {
        std::string name;
        const int fd = CreateUniqueSibling(target, name);
        if (fd < 0) {
            throw FileError(target,
                            "cannot create a file beside " + target + ": " + std::strerror(errno));
        }
        // Locked before anything is written. Another run's search may have taken the fresh
        // file for a leftover in the instant before: then the name no longer leads to it, and
        // a new one is made.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(name.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev) {
            path_ = std::move(name);
            lockFd_ = fd;
            slot_ = RegisterForSignals(path_);
            return;
        }
        ::close(fd);
        if (attempt == 10) throw FileError(target, "cannot create a file beside " + target);
    }
}

TempFile::~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
    Forget();
}

void TempFile::Forget() {
    UnregisterForSignals(slot_);
    slot_ = -1;
    path_.clear();
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

bool TempFile::PlaceNoReplace() {
    return PlaceNoReplaceAt(target_);
}

bool TempFile::PlaceNoReplaceAt(const std::string& path) {
    if (!RenameNoReplace(path_, path)) return false;
    Forget();
    return true;
}

void TempFile::PlaceReplacing() {
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        throw FileError(target_, "cannot replace " + target_ + ": " + std::strerror(errno));
    }
    Forget();
}

void InstallSignalCleanup() {
    for (const int sig : kCleanupSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = RemoveTempFilesAndDie;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
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
        // The program's own temporary files are no input of any command.
        if (name == "." || name == ".." || IsTempName(name, "")) continue;
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
