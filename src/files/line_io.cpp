#include "files/line_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/errors.hpp"
#include "files/fs.hpp"
#include "files/host.hpp"

namespace tessaline {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

std::string Reason() {
    return std::strerror(errno);
}

}  // namespace

LineReader::LineReader(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw FileError(path, "cannot open " + path + ": " + Reason());
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
        size_ = static_cast<std::uint64_t>(st.st_size);
    buffer_.resize(kBlockSize);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

// Moves the unread rest to the front of the buffer and reads more after it; grows the buffer
// when one line is longer than the buffer. False when nothing more could be read.
bool LineReader::Fill() {
    if (eof_) return false;
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (got > 0) {
            end_ += static_cast<std::size_t>(got);
            bytesRead_ += static_cast<std::uint64_t>(got);
            if (host_ != nullptr) host_->ShowReadProgress(bytesRead_, std::max(size_, bytesRead_));
            return true;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) throw FileError(path_, "cannot read " + path_ + ": " + Reason());
    }
}

bool LineReader::ReadLine(std::string_view& line) {
    std::size_t scanFrom = pos_;
    for (;;) {
        const char* base = buffer_.data();
        const void* nl = std::memchr(base + scanFrom, '\n', end_ - scanFrom);
        if (nl != nullptr) {
            const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nl) - base);
            std::size_t len = at - pos_;
            if (len > 0 && base[at - 1] == '\r') --len;
            line = std::string_view(base + pos_, len);
            pos_ = at + 1;
            break;
        }
        const std::size_t scanned = end_ - pos_;
        if (!Fill()) {
            if (pos_ == end_) return false;
            // The last line has no end; a CR left from a lost LF is dropped as well.
            std::size_t len = end_ - pos_;
            if (buffer_[end_ - 1] == '\r') --len;
            line = std::string_view(buffer_.data() + pos_, len);
            pos_ = end_;
            break;
        }
        scanFrom = pos_ + scanned;
    }
    ++lineNumber_;
    if (host_ != nullptr) host_->ProcessEvents();
    return true;
}

bool LineReader::ReadLine(std::string& line) {
    std::string_view view;
    if (!ReadLine(view)) return false;
    line.assign(view);
    return true;
}

bool LineReader::ReadBlock(std::string_view& bytes) {
    if (pos_ == end_ && !Fill()) return false;
    bytes = std::string_view(buffer_.data() + pos_, end_ - pos_);
    pos_ = end_;
    if (host_ != nullptr) host_->ProcessEvents();
    return true;
}

void LineReader::Seek(std::uint64_t offset) {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw FileError(path_, "cannot read " + path_ + ": " + Reason());
    }
    pos_ = 0;
    end_ = 0;
    eof_ = false;
    bytesRead_ = offset;
}

bool LineReader::AtEnd() {
    return pos_ == end_ && !Fill();
}

LineWriter::LineWriter(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw FileError(path, "cannot create " + path + ": " + Reason());
    buffer_.resize(kBlockSize);
}

LineWriter::~LineWriter() {
    try {
        Close();
    } catch (const FileError&) {
        // Destructors must not throw; a caller that needs the outcome calls Close() itself.
    }
}

void LineWriter::WriteLine(std::string_view line) {
    if (line.size() + 2 > buffer_.size() - used_) {
        Flush();
        if (line.size() + 2 > buffer_.size()) buffer_.resize(line.size() + 2);
    }
    char* p = buffer_.data() + used_;
    std::memcpy(p, line.data(), line.size());
    p[line.size()] = '\r';
    p[line.size() + 1] = '\n';
    used_ += line.size() + 2;
}

void LineWriter::WriteRaw(std::string_view bytes) {
    if (bytes.size() > buffer_.size() - used_) {
        Flush();
        if (bytes.size() > buffer_.size()) buffer_.resize(bytes.size());
    }
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void LineWriter::Flush() {
    std::size_t done = 0;
    while (done < used_) {
        const ssize_t put = ::write(fd_, buffer_.data() + done, used_ - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileError(path_, "cannot write " + path_ + ": " + Reason());
        }
        done += static_cast<std::size_t>(put);
    }
    used_ = 0;
}

void LineWriter::Close() {
    if (fd_ < 0) return;
    try {
        Flush();
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        throw;
    }
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) throw FileError(path_, "cannot write " + path_ + ": " + Reason());
}

std::vector<std::string> ReadLinesIfExists(const std::string& path) {
    std::vector<std::string> lines;
    if (!IsRegularFile(path)) return lines;
    LineReader reader(path);
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    return lines;
}

void WriteLinesReplacing(const std::string& path, const std::vector<std::string>& lines) {
    const std::string temp = CreateTempSibling(path);
    try {
        LineWriter writer(temp);
        for (const std::string& line : lines)
            writer.WriteLine(line);
        writer.Close();
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = Reason();
        std::remove(temp.c_str());
        throw FileError(path, "cannot replace " + path + ": " + reason);
    }
}

}  // namespace tessaline
