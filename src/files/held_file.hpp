#pragma once

// A user's file held by a command that replaces, renames or deletes it: one such command at a
// time per file, a change by another program noticed before anything is replaced, and the
// replacement made as the file was (owner, group, mode, links).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "files/fs.hpp"

namespace tessaline {

/// What a file was when a run read it: a program that writes the file or puts another in its
/// place changes one of these.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// "film.srt was changed by another program while it was being worked on: nothing replaced".
[[nodiscard]] std::string ChangedMeanwhileMessage(std::string_view path);

/// Called, when set, just before a held file is compared with what it was and replaced: lets a
/// test change the file at that moment. Not for the program's own use.
using BeforeReplaceHook = void (*)(const std::string& path);
void SetBeforeReplaceHook(BeforeReplaceHook hook);

/// Whether a replaced file goes to the desktop trash first (the default). Off only when the user
/// asks for it (the command line's --no-trash, for a file system where no trash can be used):
/// the file is then replaced without a copy.
void SetTrashReplacedFiles(bool on);
[[nodiscard]] bool TrashReplacedFiles();

/// Holds a user's file for the whole of a command that replaces, renames or deletes it.
///
/// The lock is an exclusive flock on the file itself, taken again on each file that takes its
/// place: a replacement is locked before it is renamed in, and a run that waited on the
/// replaced file finds, once it has the lock, that the name leads elsewhere and locks the new
/// file. So a second run on the same file (a folder run, another terminal, a link to it) waits
/// until the first has put its last result in place, and no lock file is left beside the user's
/// files. Programs that do not take the lock are caught by the identity check before the rename.
///
/// A link is followed: the file it names is held and replaced, the link stays.
class HeldFile {
  public:
    enum class Purpose {
        Replace,  // refused with a FileError when it cannot be replaced as it is (see below)
        Delete,   // only held
    };

    /// Waits while another run holds the file. A missing file is held by nothing (exists() is
    /// false). For Replace, throws FileError for a file that is no regular file, has more than
    /// one hard link, is read-only (no write permission at all, or none for the user), or
    /// belongs to another user while the program does not run as root: its owner could not be
    /// kept.
    explicit HeldFile(const std::string& path, Purpose purpose = Purpose::Replace);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    /// The file itself, links followed (the path given when it does not exist).
    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] bool exists() const { return fd_ >= 0; }

    /// The file at path() is still the one held, as it was (device, inode, size, time).
    [[nodiscard]] bool Unchanged() const;

    /// Puts `temp` (made for path()) in the file's place: it takes the file's owner, group and
    /// mode, is flushed to the disk, renamed in, and the folder flushed; from then on it is the
    /// held file. When the file was changed by another program, nothing is replaced: `temp`
    /// goes to `keepAs` when that is free (not when empty) and FileError says so.
    void Replace(TempFile& temp, const std::string& keepAs);

    /// Puts the finished file `source` (film.out beside it) in the file's place the same way;
    /// the file as it was goes to the desktop trash first unless `trashReplaced` is false (it is
    /// the command's own earlier result) or TrashReplacedFiles() is off. False when `source` is
    /// gone (another run put it in place). Throws FileError when `source` is the file itself under
    /// another name, when the trash refuses the file (saying why, `source` stays), or when it
    /// cannot be renamed. A file that does not exist is not replaced: `source` takes its name only
    /// while nothing stands there.
    [[nodiscard]] bool ReplaceWith(const std::string& source, bool trashReplaced = true);

  private:
    void Adopt(int fd);
    void CheckUnchanged(const std::function<void()>& keep) const;

    std::string given_;
    std::string path_;
    int fd_ = -1;
    FileIdentity identity_;
};

}  // namespace tessaline
