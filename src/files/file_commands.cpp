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
#include "files/line_io.hpp"
#include "files/trash.hpp"

namespace tessaline {
namespace {

// The second lines of the refusals in the window: what is missing and the way out.
constexpr std::string_view kNothingToDelete = " is not there: nothing to delete";
constexpr std::string_view kNothingToRename = " is not there: run a command that writes it first";

}  // namespace

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
    if (!IsRegularFile(source)) {
        if (interactive) {
            host.ShowRefusal(kSourceFileNotPresent,
                             std::string(FileNameOf(source)) + std::string(kNothingToRename));
        }
        return false;
    }
    // The output is held locked for the whole replacement: a second run over the same output
    // waits here and then finds it gone, instead of sending to the trash the input that the
    // first run has just put in place.
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return tell(kSourceFileNotPresent);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return tell(kFileNotRenamed);
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || ::stat(source.c_str(), &named) != 0 ||
        named.st_ino != held.st_ino || named.st_dev != held.st_dev) {
        return tell(kSourceFileNotPresent);  // another run put it in place meanwhile
    }
    if (!TrashReplacedInput(destination, interactive, host)) return false;
    // Then one rename puts the output in the input's place: at every moment the output's name
    // or the input's holds the processed subtitles. (Deleting what stood there and renaming
    // afterwards let a second run delete what the first had just put in place.)
    if (!RenameFile(source, destination)) {
        switch (errno) {
            case ENOENT:
                return tell(kSourceFileNotPresent);
            case EISDIR:
            case ENOTEMPTY:
            case EEXIST:
                return tell(kDestinationFileNotDeleted);
            default:
                return tell(kFileNotRenamed);
        }
    }
    return true;
}

bool DeleteOneFile(const std::string& path, bool interactive, Host& host) {
    if (!PathExists(path)) {
        if (interactive) {
            host.ShowRefusal(kSourceFileNotPresent,
                             std::string(FileNameOf(path)) + std::string(kNothingToDelete));
        }
        return false;
    }
    // Into the trash, never unlinked: a report deleted by mistake can be restored.
    const std::optional<std::string> reason =
        IsRegularFile(path) ? MoveToTrash(path) : std::optional<std::string>("not a file");
    if (!reason) return true;
    if (interactive) {
        host.ShowRefusal(kFileNotDeleted, std::string(FileNameOf(path)) + ": " + *reason);
    }
    return false;
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
