#pragma once

// The few file-system services the operations need, with the platform's error reasons.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaline {

/// Anything exists at the path (file, folder or other).
[[nodiscard]] bool PathExists(const std::string& path);

/// A regular file (or a link to one) exists at the path.
[[nodiscard]] bool IsRegularFile(const std::string& path);

/// A folder (or a link to one) exists at the path.
[[nodiscard]] bool IsFolder(const std::string& path);

/// The size in bytes of the file at the path; 0 when it cannot be read.
[[nodiscard]] std::uint64_t FileSizeOf(const std::string& path);

/// The file's size and modification time, or zeros when it cannot be read: what tells that
/// another program (or a command) changed a file since it was read.
[[nodiscard]] std::pair<std::uint64_t, std::int64_t> FileStamp(const std::string& path);

/// Deletes a file; false when it could not be deleted.
[[nodiscard]] bool DeleteFile(const std::string& path);

/// Renames a file; false when it could not be renamed.
[[nodiscard]] bool RenameFile(const std::string& from, const std::string& to);

/// Renames `from` to `to` only when nothing exists at `to`; false otherwise. Never replaces an
/// existing file, even one that appeared meanwhile.
[[nodiscard]] bool RenameNoReplace(const std::string& from, const std::string& to);

/// `name` is the name of a temporary file that this program made for the target named `base`
/// (for any target when `base` is empty): ".film.srt.tessaline-part-" and ten letters and digits,
/// the last four of which a hash of the rest gives. Only such files are ever swept.
[[nodiscard]] bool IsTempName(std::string_view name, std::string_view base);

/// A file under construction beside its target, named as IsTempName tells, put in place only
/// when complete, so that a failed or killed run never leaves a half-written file under the real
/// name. While it lives the file is locked: another run tells it from the leftover of a run that
/// was killed, and removes such leftovers of the same target (made by the same user) before it
/// makes its own. The
/// destructor removes the file unless it was put in place; so does a signal that ends the
/// program (InstallSignalCleanup).
class TempFile {
  public:
    /// Creates the file; throws FileError when the folder is not writable.
    explicit TempFile(const std::string& target);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }

    /// Puts the file at the target only when nothing exists there; false otherwise. Never
    /// replaces a file, even one that appeared meanwhile.
    [[nodiscard]] bool PlaceNoReplace();

    /// Puts the file at another path (beside the target) only when nothing exists there.
    [[nodiscard]] bool PlaceNoReplaceAt(const std::string& path);

    /// Puts the file at the target in one step, replacing what is there. Throws FileError.
    void PlaceReplacing();

  private:
    friend class HeldFile;
    void Forget();

    std::string target_;
    std::string path_;
    int lockFd_ = -1;
    int slot_ = -1;
};

/// Lists the leftovers of killed runs in a folder once, for a run over many files there: where a
/// Use of it lives, TempFile looks for leftovers of its target in this list instead of reading
/// the folder again for every file. The list is not changed after it is made, so the threads of
/// a run may all use it.
class FolderTempListing {
  public:
    explicit FolderTempListing(const std::string& folder);
    FolderTempListing(const FolderTempListing&) = delete;
    FolderTempListing& operator=(const FolderTempListing&) = delete;

    /// Makes TempFile on the calling thread use the listing while it lives.
    class Use {
      public:
        explicit Use(const FolderTempListing& listing);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

      private:
        const FolderTempListing* previous_;
    };

  private:
    friend class TempFile;
    std::string folder_;
    std::vector<std::string> names_;  // the names that look like TempFile's
};

/// Makes the signals that end the program (hang-up, interrupt, quit, terminate, broken pipe,
/// abort) remove every TempFile first; the program then ends by the signal as it would have.
/// Signals that are ignored stay ignored.
void InstallSignalCleanup();

/// The wildcard mask matches the whole name ("*" any run, "?" one character); the extension
/// without regard to case, the rest of the name exactly.
[[nodiscard]] bool MatchesMask(std::string_view name, std::string_view mask);

/// Names (not paths) of the folder's entries that match the mask, in the file system's order.
/// An unreadable or missing folder gives no names.
[[nodiscard]] std::vector<std::string> ListMatching(const std::string& folder,
                                                    std::string_view mask);

/// The program folder (settings, logs, the replace list): TESSALINE_HOME when set. An installed
/// program (its shipped files in PREFIX/share/tessaline beside its bin folder) or one whose own
/// folder is not writable keeps them in the user's configuration folder,
/// $XDG_CONFIG_HOME/tessaline (~/.config/tessaline), created on first use with the shipped
/// defaults copied in. Otherwise: the folder of the running executable.
[[nodiscard]] std::string ProgramFolder();

/// Where the program's own environment points.
struct ProgramPlace {
    std::string executable;     // the running program's path
    std::string tessalineHome;  // TESSALINE_HOME
    std::string xdgConfigHome;  // XDG_CONFIG_HOME
    std::string home;           // HOME
};

/// ProgramFolder for a given place (the rules above, for tests).
[[nodiscard]] std::string ProgramFolderOf(const ProgramPlace& place);

}  // namespace tessaline
