#include "files/held_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/file_commands.hpp"
#include "files/trash.hpp"

namespace tessaline {
namespace {

std::atomic<BeforeReplaceHook> g_beforeReplace{nullptr};
std::atomic<bool> g_trashReplaced{true};

FileIdentity IdentityOf(const struct stat& st) {
    return {.device = static_cast<std::uint64_t>(st.st_dev),
            .inode = static_cast<std::uint64_t>(st.st_ino),
            .size = static_cast<std::uint64_t>(st.st_size),
            .modifiedNs =
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::string Reason() {
    return std::strerror(errno);
}

// The path with its links followed; the path itself when it does not lead to a file.
std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr) return path;
    return buffer;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Opens and locks the file at `path`, waiting for another holder; -1 when it does not exist.
// The lock counts only while the name still leads to the locked file: a run that replaced it
// meanwhile left the name to a new file, which is locked in turn. `check` sees the open file
// before it is locked (and may throw): a file this run holds already would wait for ever.
int OpenLocked(const std::string& path,
               const std::function<void(const struct stat&)>& check = nullptr) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) return -1;
            throw FileError(path, "cannot open " + path + ": " + Reason());
        }
        if (check) {
            struct stat opened {};
            try {
                if (::fstat(fd, &opened) != 0) throw FileError(path, "cannot read " + path);
                check(opened);
            } catch (...) {
                ::close(fd);
                throw;
            }
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            const std::string reason = Reason();
            ::close(fd);
            throw FileError(path, "cannot lock " + path + ": " + reason);
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            return fd;
        }
        ::close(fd);
    }
}

// Flushes a file, or a folder's entries, to the disk.
void Flush(int fd, const std::string& path) {
    if (::fsync(fd) != 0) throw FileError(path, "cannot write " + path + ": " + Reason());
}

void FlushFolder(const std::string& path) {
    const std::string folder = FolderOf(path);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the rename is done; a folder that cannot be opened is not flushed
    ::fsync(fd);
    ::close(fd);
}

// Gives the open replacement the owner, group and mode of the file it replaces. Root keeps the
// owner; a user keeps the group when they belong to it, otherwise nothing is replaced.
void KeepOwnerAndMode(int fd, const struct stat& was, const std::string& path) {
    const uid_t owner = ::geteuid() == 0 ? was.st_uid : static_cast<uid_t>(-1);
    if (::fchown(fd, owner, was.st_gid) != 0) {
        throw FileError(path, "the owner and group of " + path + " could not be kept (" + Reason() +
                                  "): nothing replaced");
    }
    // After the owner: a change of owner clears the set-user and set-group bits.
    if (::fchmod(fd, was.st_mode & 07777) != 0) {
        throw FileError(path, "the permissions of " + path + " could not be kept (" + Reason() +
                                  "): nothing replaced");
    }
}

void CheckReplaceable(const struct stat& st, const std::string& path) {
    const std::string name(FileNameOf(path));
    if (!S_ISREG(st.st_mode)) {
        throw FileError(path, name + " is not a regular file: nothing replaced");
    }
    if (st.st_nlink > 1) {
        throw FileError(path, name + " has " + std::to_string(st.st_nlink) +
                                  " hard links, which a replacement would part: nothing replaced");
    }
    // A file nobody may write is read-only even for root, who may write anything.
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
        throw FileError(path, name + " is read-only: nothing replaced");
    }
    if (::geteuid() != 0 && st.st_uid != ::geteuid()) {
        throw FileError(path, name +
                                  " belongs to another user, whose ownership a replacement "
                                  "could not keep: nothing replaced");
    }
}

}  // namespace

std::string ChangedMeanwhileMessage(std::string_view path) {
    return std::string(FileNameOf(path)) +
           " was changed by another program while it was being worked on: nothing replaced";
}

void SetBeforeReplaceHook(BeforeReplaceHook hook) {
    g_beforeReplace.store(hook);
}

void SetTrashReplacedFiles(bool on) {
    g_trashReplaced.store(on);
}

bool TrashReplacedFiles() {
    return g_trashReplaced.load();
}

HeldFile::HeldFile(const std::string& path, Purpose purpose) : given_(path), path_(Resolved(path)) {
    fd_ = OpenLocked(path_);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const std::string reason = Reason();
        ::close(fd_);
        throw FileError(path, "cannot read " + path + ": " + reason);
    }
    identity_ = IdentityOf(st);
    if (purpose == Purpose::Replace) {
        try {
            CheckReplaceable(st, given_);
        } catch (...) {
            ::close(fd_);
            throw;
        }
    }
}

HeldFile::~HeldFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool HeldFile::Unchanged() const {
    struct stat st {};
    return fd_ >= 0 && ::stat(path_.c_str(), &st) == 0 && IdentityOf(st) == identity_;
}

void HeldFile::CheckUnchanged(const std::function<void()>& keep) const {
    if (const BeforeReplaceHook hook = g_beforeReplace.load()) hook(path_);
    if (Unchanged()) return;
    keep();
    throw FileError(given_, ChangedMeanwhileMessage(given_));
}

void HeldFile::Adopt(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    struct stat st {};
    if (::fstat(fd_, &st) == 0) identity_ = IdentityOf(st);
}

void HeldFile::Replace(TempFile& temp, const std::string& keepAs) {
    if (fd_ < 0) {
        temp.PlaceReplacing();
        return;
    }
    CheckUnchanged([&] {
        if (!keepAs.empty()) (void)temp.PlaceNoReplaceAt(keepAs);
    });
    struct stat was {};
    if (::fstat(fd_, &was) != 0) throw FileError(given_, "cannot read " + given_ + ": " + Reason());
    KeepOwnerAndMode(temp.lockFd_, was, given_);
    Flush(temp.lockFd_, temp.path());
    if (::rename(temp.path_.c_str(), path_.c_str()) != 0) {
        throw FileError(given_, "cannot replace " + given_ + ": " + Reason());
    }
    // The replacement, still locked, is the held file now: nobody gets at it in between.
    const int fd = temp.lockFd_;
    temp.lockFd_ = -1;
    temp.Forget();
    Adopt(fd);
    FlushFolder(path_);
}

bool HeldFile::ReplaceWith(const std::string& source, bool trashReplaced) {
    trashReplaced = trashReplaced && TrashReplacedFiles();
    const std::string sourceName(FileNameOf(source));
    struct stat named {};
    if (::lstat(source.c_str(), &named) == 0 && S_ISLNK(named.st_mode)) {
        // The rename would move the link, not the output, into the file's place.
        throw FileError(given_, sourceName + " is a link: nothing renamed");
    }
    const int fd = OpenLocked(source, [&](const struct stat& opened) {
        if (fd_ >= 0 && static_cast<std::uint64_t>(opened.st_dev) == identity_.device &&
            static_cast<std::uint64_t>(opened.st_ino) == identity_.inode) {
            throw FileError(given_, sourceName + " is " + std::string(FileNameOf(given_)) +
                                        " itself under another name: nothing renamed");
        }
    });
    if (fd < 0) return false;
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (fd_ < 0) {
        if (!RenameNoReplace(source, path_)) {
            throw FileError(given_, "cannot rename " + sourceName + " to " +
                                        std::string(FileNameOf(given_)) + ": " + Reason());
        }
        FlushFolder(path_);
        return true;
    }
    CheckUnchanged([] {});  // the output stays where it is
    struct stat was {};
    if (::fstat(fd_, &was) != 0) throw FileError(given_, "cannot read " + given_ + ": " + Reason());
    KeepOwnerAndMode(fd, was, given_);
    Flush(fd, source);
    if (const auto refused = trashReplaced ? MoveToTrash(path_) : std::nullopt) {
        // Both files stay: the subtitles are never only gone.
        throw FileError(given_, std::string(kDestinationFileNotDeleted) + "\r\n" + *refused);
    }
    // Into the trash's gap without replacing anything; the command's own earlier result is
    // replaced in one step.
    if (trashReplaced ? !RenameNoReplace(source, path_)
                      : ::rename(source.c_str(), path_.c_str()) != 0) {
        throw FileError(given_, "cannot rename " + sourceName + " to " +
                                    std::string(FileNameOf(given_)) + ": " + Reason());
    }
    closer.fd = -1;
    Adopt(fd);
    FlushFolder(path_);
    return true;
}

}  // namespace tessaline
