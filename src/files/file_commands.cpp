#include "files/file_commands.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/line_io.hpp"
#include "files/trash.hpp"

namespace tessaline {
namespace {

// The second lines of the refusals in the window: what is missing and the way out.
constexpr std::string_view kNothingToDelete = " is not there: nothing to delete";
constexpr std::string_view kNothingToRename = " is not there: run a command that writes it first";

}  // namespace

bool RenameOutFile(const std::string& source, const std::string& destination, bool interactive,
                   Host& host) {
    if (source == destination) return false;
    if (!IsRegularFile(source)) {
        if (interactive) {
            host.ShowRefusal(kSourceFileNotPresent,
                             std::string(FileNameOf(source)) + std::string(kNothingToRename));
        }
        return false;
    }
    HeldFile held(destination);
    return RenameOutFile(source, held, interactive, host);
}

bool RenameOutFile(const std::string& source, HeldFile& destination, bool interactive, Host& host,
                   bool trashReplaced) {
    // The output is locked for the replacement as well: a second run over the same output
    // waits and then finds it gone, instead of sending to the trash the input that the first
    // run has just put in place.
    if (destination.ReplaceWith(source, trashReplaced)) return true;
    if (interactive) host.ShowMessage(kSourceFileNotPresent);
    return false;
}

bool DeleteOneFile(const std::string& path, bool interactive, Host& host) {
    const auto notThere = [&] {
        if (interactive) {
            host.ShowRefusal(kSourceFileNotPresent,
                             std::string(FileNameOf(path)) + std::string(kNothingToDelete));
        }
        return false;
    };
    if (!PathExists(path)) return notThere();
    // A command that replaces the file finishes first.
    const HeldFile held(path, HeldFile::Purpose::Delete);
    if (!held.exists() && !PathExists(path)) return notThere();
    // Into the trash, never unlinked, so that a report deleted by mistake can be restored; only
    // --no-trash (a file system without a trash) deletes for good. A file that is there and
    // stays is a failure, over a folder as well.
    if (!TrashReplacedFiles()) {
        if (DeleteFile(path)) return true;
        throw FileError(path, std::string(kFileNotDeleted) + "\r\n" + std::strerror(errno));
    }
    const std::optional<std::string> reason =
        IsRegularFile(path) ? MoveToTrash(path)
                            : std::optional<std::string>(IsFolder(path) ? std::strerror(EISDIR)
                                                                        : "not a regular file");
    if (!reason) return true;
    throw FileError(path, std::string(kFileNotDeleted) + "\r\n" + *reason);
}

namespace {

// Past this size the log may hold more than kLogMaxLines lines and is read to count them. Below
// it an append never reads the log.
constexpr off_t kLogCountFromBytes = kLogMaxLines * 64;

// The log opened and locked (shared for an append, exclusive for a rewrite). A rewrite puts a
// new file in the log's place; a writer that opened the old one before finds that out once it
// holds the lock and opens the log again, so no line goes to a file that is gone.
class LockedLog {
  public:
    LockedLog(const std::string& path, int flags, int lock) {
        for (;;) {
            fd_ = ::open(path.c_str(), flags | O_CREAT | O_CLOEXEC, 0666);
            if (fd_ < 0) Fail(path, "cannot open ");
            if (::flock(fd_, lock) != 0) Fail(path, "cannot lock ");
            struct stat held {};
            struct stat named {};
            if (::fstat(fd_, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
                held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
                return;
            }
            ::close(fd_);
        }
    }
    ~LockedLog() { ::close(fd_); }
    LockedLog(const LockedLog&) = delete;
    LockedLog& operator=(const LockedLog&) = delete;

    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] off_t CurrentSize() const {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    }

  private:
    [[noreturn]] void Fail(const std::string& path, const char* what) {
        const std::string reason = std::strerror(errno);
        if (fd_ >= 0) ::close(fd_);
        throw FileError(path, what + path + ": " + reason);
    }

    int fd_ = -1;
};

// Rewrites the log under its exclusive lock: a log of more than kLogMaxLines lines is cut to its
// last kLogKeptLines, then `first` (when given) becomes its first line. After an append the log
// holds one line more, which the cut counts apart, as if it had been cut before the append.
void RewriteLog(const std::string& path, const std::string* first) {
    const LockedLog log(path, O_RDONLY, LOCK_EX);
    std::vector<std::string> lines = ReadLinesIfExists(path);
    const std::size_t appended = first == nullptr ? 1 : 0;
    const bool cut = lines.size() > kLogMaxLines + appended;
    if (!cut && first == nullptr) return;
    if (cut) {
        lines.erase(lines.begin(),
                    lines.end() - static_cast<std::ptrdiff_t>(kLogKeptLines + appended));
    }
    if (first != nullptr) lines.insert(lines.begin(), *first);
    WriteLinesReplacing(path, lines);
}

}  // namespace

bool LogAppend(std::string_view line, const std::string& logPath, int position) {
    if (position == 0) {
        const std::string first(line);
        RewriteLog(logPath, &first);
        return true;
    }
    const std::string text = std::string(line) + "\r\n";
    off_t size = 0;
    {
        // One write with O_APPEND: lines of concurrent runs never overwrite one another.
        const LockedLog log(logPath, O_WRONLY | O_APPEND, LOCK_SH);
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t put = ::write(log.fd(), text.data() + done, text.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0)
                throw FileError(logPath, "cannot write " + logPath + ": " + std::strerror(errno));
            done += static_cast<std::size_t>(put);
        }
        size = log.CurrentSize();
    }
    if (size > kLogCountFromBytes) RewriteLog(logPath, nullptr);
    return true;
}

}  // namespace tessaline
