#include "files/line_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/errors.hpp"
#include "files/fs.hpp"
#include "files/host.hpp"
#include "files/transcode.hpp"

namespace tessaline {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;
// A buffer this large (grown for a long line) is freed, not kept for the next file.
constexpr std::size_t kLargestSpare = 4 * kBlockSize;
// The buffers of a channel's reader and writer: the steps of a chain run at once, each with a
// reader and a writer, and what they hold together is what the chain holds in flight. Kept small
// so that the chain's memory is the same for a short film as for a long one (a film shorter
// than the chain's buffers would never fill them all), and stays in the processor's caches.
constexpr std::size_t kChannelReadBlock = kBlockSize / 16;
constexpr std::size_t kChannelWriteBlock = kBlockSize / 4;
// Passed-on bytes at least this large are written as they are; smaller ones are gathered.
constexpr std::size_t kWriteThroughLeast = 64 * 1024;
// The UTF-8 text a writer gathers before encoding it into UTF-16 or a code page: its encoded
// form (twice as large at most) fits the buffer of a block.
constexpr std::size_t kStagedBytes = kBlockSize / 4;

std::string Reason() {
    return std::strerror(errno);
}

// The buffers given back by the files of this thread's run, for the next file.
struct Spares {
    std::unique_ptr<char[]> data[2];
    std::size_t size[2] = {0, 0};
};
thread_local Spares g_spares;

}  // namespace

IoBuffer::IoBuffer(std::size_t size) {
    for (int i = 0; i < 2; ++i) {
        if (g_spares.data[i] && g_spares.size[i] >= size) {
            data_ = std::move(g_spares.data[i]);
            size_ = g_spares.size[i];
            g_spares.size[i] = 0;
            return;
        }
    }
    data_.reset(new char[size]);
    size_ = size;
}

IoBuffer::~IoBuffer() {
    if (!data_ || size_ > kLargestSpare) return;
    // Kept in a free place, or in place of a smaller spare.
    const int i = !g_spares.data[0]                     ? 0
                  : !g_spares.data[1]                   ? 1
                  : g_spares.size[0] < g_spares.size[1] ? 0
                                                        : 1;
    if (g_spares.data[i] && g_spares.size[i] >= size_) return;
    g_spares.data[i] = std::move(data_);
    g_spares.size[i] = size_;
}

void IoBuffer::Grow(std::size_t size, std::size_t keep) {
    if (size <= size_) return;
    std::unique_ptr<char[]> grown(new char[size]);
    if (keep > 0) std::memcpy(grown.get(), data_.get(), keep);
    data_ = std::move(grown);
    size_ = size;
}

namespace {

// Opens a regular file for reading. O_NONBLOCK keeps the open of a named pipe from waiting for
// a writer; the file type is then checked on the opened file itself, not on a name that might
// have changed in between.
int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError(path, "cannot open " + path + ": " + Reason());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "cannot open " + path + ": not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::uint64_t FileSize(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// A small file gets a buffer of its size, a large one a block.
std::size_t ReadBufferSize(int fd) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(FileSize(fd) + 1, 4096, kBlockSize));
}

}  // namespace

LineReader::LineReader(const std::string& path)
    : path_(path), fd_(OpenRegularFile(path)), buffer_(ReadBufferSize(fd_)), size_(FileSize(fd_)) {}

namespace {

// The bytes of a file's byte-order mark.
std::uint64_t BomBytes(const FileEncoding& encoding) {
    if (!encoding.bom) return 0;
    return encoding.encoding == TextEncoding::Utf8 ? 3 : 2;
}

}  // namespace

LineReader::LineReader(const std::string& path, const FileEncoding& encoding, TextForm form)
    : LineReader(path) {
    encoding_ = encoding;
    if (!encoding.passthrough() || form != encoding.form()) {
        decoder_ = std::make_unique<TextDecoder>(encoding.encoding, form);
    }
    Seek(0);
}

LineReader::LineReader(ByteChannel& channel, const FileEncoding& encoding)
    : path_("(chain)"), channel_(&channel), encoding_(encoding), buffer_(kChannelReadBlock) {
    if (!encoding.passthrough()) {
        decoder_ = std::make_unique<TextDecoder>(encoding.encoding, encoding.form());
    }
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t LineReader::LengthToLineEnd() {
    const off_t from = ::lseek(fd_, 0, SEEK_CUR);
    if (from < 0) return 0;
    char block[64 * 1024];
    std::size_t length = 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, block, sizeof block, from + static_cast<off_t>(length));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return length;
        if (const void* nl = std::memchr(block, '\n', static_cast<std::size_t>(got))) {
            return length + static_cast<std::size_t>(static_cast<const char*>(nl) - block) + 1;
        }
        length += static_cast<std::size_t>(got);
    }
}

// Moves the unread rest to the front of the buffer and reads more after it. When one line
// fills the whole buffer, the buffer grows once to the line's full length (found by reading
// ahead), not by doubling: a line of 64 MB costs 64 MB, not 128 MB and a copy. False when
// nothing more could be read.
bool LineReader::Fill() {
    ForgetNewlines();
    if (decoder_) return FillDecoded();
    if (eof_) return false;
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buffer_.size()) {
        // A channel cannot be read ahead: its buffer doubles instead.
        const std::size_t rest = channel_ != nullptr ? end_ : LengthToLineEnd();
        buffer_.Grow(end_ + std::max<std::size_t>(rest, 1) + kBlockSize / 16, end_);
    }
    for (;;) {
        const ssize_t got =
            channel_ != nullptr
                ? static_cast<ssize_t>(channel_->Read(buffer_.data() + end_, buffer_.size() - end_))
                : ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
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

// A decoded file is read in raw blocks whose text is decoded after what the buffer holds. The
// buffer grows to whatever one line needs.
bool LineReader::FillDecoded() {
    constexpr std::size_t kRawBlock = 256 * 1024;
    constexpr std::size_t kLeastRaw = 4096;
    for (;;) {
        if (eof_) return false;
        if (pos_ > 0) {
            // The text before pos_ goes: its file bytes are counted now, once offsets are asked
            // for at all.
            if (offsetsAsked_) CountFileOffset();
            std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
            trackedTo_ = 0;
        }
        // As much of the file as the free room of the buffer can take decoded.
        if (buffer_.size() - end_ < TextDecoder::MostDecodedBytes(kLeastRaw)) {
            buffer_.Grow(
                std::max(2 * buffer_.size(), end_ + TextDecoder::MostDecodedBytes(kRawBlock)),
                end_);
        }
        const std::size_t room = buffer_.size() - end_;
        const std::size_t want = std::min(kRawBlock, (room - 8) / 3);
        raw_.resize(kRawBlock);
        const ssize_t got = channel_ != nullptr
                                ? static_cast<ssize_t>(channel_->Read(raw_.data(), want))
                                : ::read(fd_, raw_.data(), want);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(path_, "cannot read " + path_ + ": " + Reason());
        }
        const std::string_view raw(raw_.data(), static_cast<std::size_t>(got));
        decoded_.clear();
        if (got == 0) {
            eof_ = true;
            decoder_->Finish(decoded_);
        } else {
            bytesRead_ += static_cast<std::uint64_t>(got);
            if (host_ != nullptr) host_->ShowReadProgress(bytesRead_, std::max(size_, bytesRead_));
            if (decoder_->DecodesInto()) {
                char* at = buffer_.data() + end_;
                const std::size_t added =
                    static_cast<std::size_t>(decoder_->DecodeInto(raw, at) - at);
                end_ += added;
                if (added == 0) continue;
                return true;
            }
            decoder_->Decode(raw, decoded_);
        }
        if (decoded_.empty()) continue;
        if (end_ + decoded_.size() > buffer_.size()) {
            buffer_.Grow(std::max(end_ + decoded_.size(), 2 * buffer_.size()), end_);
        }
        std::memcpy(buffer_.data() + end_, decoded_.data(), decoded_.size());
        end_ += decoded_.size();
        return true;
    }
}

void LineReader::CountFileOffset() const {
    fileOffsetAtTracked_ +=
        decoder_->FileBytesOf(std::string_view(buffer_.data() + trackedTo_, pos_ - trackedTo_));
    trackedTo_ = pos_;
}

std::uint64_t LineReader::Offset() const {
    if (!decoder_) return bytesRead_ - (end_ - pos_);
    if (!offsetsAsked_) {
        // The first time (most runs never ask): back from what has been read, over the text
        // still buffered and the bytes of a character the decoder holds.
        offsetsAsked_ = true;
        fileOffsetAtTracked_ =
            bytesRead_ - decoder_->HeldFileBytes() -
            decoder_->FileBytesOf(std::string_view(buffer_.data() + pos_, end_ - pos_));
        trackedTo_ = pos_;
        return fileOffsetAtTracked_;
    }
    CountFileOffset();
    return fileOffsetAtTracked_;
}

namespace {

constexpr std::size_t kWindow = 64;

// One bit for every LF of the 64 bytes at `bytes`, the first byte's the lowest.
std::uint64_t NewlinesOf(const char* bytes) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i chunk =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
        mask |= static_cast<std::uint64_t>(bits) << (16 * part);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kWindow; ++i)
        mask |= static_cast<std::uint64_t>(bytes[i] == '\n') << i;
    return mask;
#endif
}

}  // namespace

void LineReader::ProcessHostEvents() {
    host_->ProcessEvents();
}

// The line ends of the window are all read: the next windows of 64 bytes, then what is left of
// the buffer, then more of the file.
bool LineReader::ReadLineScanning(std::string_view& line) {
    std::size_t from = windowed_ ? window_ + kWindow : pos_;
    for (;;) {
        const char* base = buffer_.data();
        while (end_ - from >= kWindow) {
            const std::uint64_t mask = NewlinesOf(base + from);
            if (mask != 0) {
                window_ = from;
                windowed_ = true;
                newlines_ = mask & (mask - 1);
                TakeLine(from + static_cast<std::size_t>(std::countr_zero(mask)), line);
                return true;
            }
            from += kWindow;
        }
        ForgetNewlines();
        if (const void* nl = std::memchr(base + from, '\n', end_ - from)) {
            TakeLine(static_cast<std::size_t>(static_cast<const char*>(nl) - base), line);
            return true;
        }
        const std::size_t scanned = end_ - pos_;
        if (!Fill()) {
            if (pos_ == end_) return false;
            // The last line has no end; a CR left from a lost LF is dropped as well.
            std::size_t len = end_ - pos_;
            if (buffer_.data()[end_ - 1] == '\r') --len;
            line = std::string_view(buffer_.data() + pos_, len);
            pos_ = end_;
            ++lineNumber_;
            if (host_ != nullptr) ProcessHostEvents();
            return true;
        }
        from = pos_ + scanned;
    }
}

bool LineReader::ReadLine(std::string& line) {
    std::string_view view;
    if (!ReadLine(view)) return false;
    line.assign(view);
    return true;
}

bool LineReader::ReadBlock(std::string_view& bytes) {
    ForgetNewlines();
    if (pos_ == end_ && !Fill()) return false;
    bytes = std::string_view(buffer_.data() + pos_, end_ - pos_);
    pos_ = end_;
    if (host_ != nullptr) host_->ProcessEvents();
    return true;
}

void LineReader::Seek(std::uint64_t offset) {
    // The byte-order mark is not part of the text: reading from the start begins after it.
    offset = std::max(offset, BomBytes(encoding_));
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw FileError(path_, "cannot read " + path_ + ": " + Reason());
    }
    pos_ = 0;
    end_ = 0;
    ForgetNewlines();
    eof_ = false;
    bytesRead_ = offset;
    fileOffsetAtTracked_ = offset;
    trackedTo_ = 0;
    if (decoder_) decoder_->Reset();
}

bool LineReader::AtEnd() {
    return pos_ == end_ && !Fill();
}

LineWriter::LineWriter(const std::string& path)
    : path_(path), buffer_(kBlockSize), room_(buffer_.data()), roomSize_(buffer_.size()) {
    // Emptied only when it holds something: on ext4 a truncation to nothing, even of a file
    // that was empty (as the temporary file of every output is, made just before), makes the
    // close start writing the whole file out there and then, allocating its blocks: some
    // 30 ms for 85 MB, longer while other files wait to be written.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw FileError(path, "cannot create " + path + ": " + Reason());
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        ::ftruncate(fd_, 0) != 0) {
        const std::string reason = Reason();
        ::close(fd_);
        throw FileError(path, "cannot create " + path + ": " + reason);
    }
}

LineWriter::LineWriter(const std::string& path, const FileEncoding& encoding, TextForm from)
    : LineWriter(path) {
    encoding_ = encoding.encoding;
    auto encoder = std::make_unique<TextEncoder>(encoding.encoding, from);
    if (!encoder->passthrough()) encoder_ = std::move(encoder);
    if (!encoding.bom) return;
    switch (encoding.encoding) {
        case TextEncoding::Utf8:
            WriteBytes("\xEF\xBB\xBF");
            break;
        case TextEncoding::Utf16le:
            WriteBytes("\xFF\xFE");
            break;
        case TextEncoding::Utf16be:
            WriteBytes("\xFE\xFF");
            break;
        default:
            break;
    }
}

LineWriter::LineWriter(ByteChannel& channel, const FileEncoding& encoding, TextForm from)
    : path_("(chain)"),
      channel_(&channel),
      buffer_(kChannelWriteBlock),
      room_(buffer_.data()),
      roomSize_(buffer_.size()),
      encoding_(encoding.encoding) {
    auto encoder = std::make_unique<TextEncoder>(encoding.encoding, from);
    if (!encoder->passthrough()) {
        encoder_ = std::move(encoder);
        // The staged text, encoded, must fit the buffer in one piece.
        buffer_.Grow(kBlockSize, 0);
        room_ = buffer_.data();
        roomSize_ = buffer_.size();
        return;
    }
    // The lines go straight into the channel's memory when it gives some: one copy fewer.
    NextRoom();
}

void LineWriter::NextRoom() {
    const std::span<char> room = channel_->Room();
    if (room.empty()) return;
    inChannelRoom_ = true;
    room_ = room.data();
    roomSize_ = room.size();
}

LineWriter::~LineWriter() {
    try {
        Close();
    } catch (const FileError&) {
        // Destructors must not throw; a caller that needs the outcome calls Close() itself.
    }
}

// Puts text (with its line end when `withEnd`) into the staged text; false when it is longer
// than the stage could ever hold.
bool LineWriter::Stage(std::string_view text, bool withEnd) {
    const std::size_t size = text.size() + (withEnd ? 2 : 0);
    if (stagedUsed_ + size > kStagedBytes) EncodeStaged(false);
    if (stagedUsed_ + size > kStagedBytes) return false;
    if (staged_.empty()) staged_.resize(kStagedBytes);
    char* p = staged_.data() + stagedUsed_;
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    if (withEnd) {
        p[text.size()] = '\r';
        p[text.size() + 1] = '\n';
    }
    stagedUsed_ += size;
    return true;
}

// Out of line, so that the plain copy above stays a few instructions.
[[gnu::noinline]] void LineWriter::WriteLineSlowly(std::string_view line) {
    if (encoder_ && encoder_->EncodesInto()) {
        if (!Stage(line, true)) EncodeAlone(line, true);
        return;
    }
    if (encoder_) {
        encoded_.clear();
        encoder_->Encode(line, encoded_);
        encoder_->Encode("\r\n", encoded_);
        WriteBytes(encoded_);
        return;
    }
    WriteBytes(line);
    WriteBytes("\r\n");
}

namespace {

// The bytes at the end of UTF-8 text that begin a character whose rest has not come yet.
std::size_t CutCharacterBytes(const char* text, std::size_t size) {
    for (std::size_t k = 1; k <= std::min<std::size_t>(3, size); ++k) {
        const auto byte = static_cast<unsigned char>(text[size - k]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > k ? k : 0;
    }
    return 0;
}

}  // namespace

// The staged text into the buffer, encoded in one piece. Lines end with their line ends, but raw
// pieces may part a character: unless this is the `last` of the text, a character's start at
// the end stays staged for its rest (at the end of the text it is no character, and stops the
// run).
void LineWriter::EncodeStaged(bool last) {
    if (stagedUsed_ == 0) return;
    const std::size_t cut = last ? 0 : CutCharacterBytes(staged_.data(), stagedUsed_);
    const std::size_t whole = stagedUsed_ - cut;
    const std::size_t most = TextEncoder::MostEncodedBytes(whole);
    if (most > roomSize_ - used_) Flush();
    char* at = room_ + used_;
    char* end = encoder_->EncodeInto(std::string_view(staged_.data(), whole), at);
    if (encoder_->waiting()) throw UnencodableError(0xFFFD, encoding_);
    used_ += static_cast<std::size_t>(end - at);
    std::memmove(staged_.data(), staged_.data() + whole, cut);
    stagedUsed_ = cut;
}

void LineWriter::WriteRaw(std::string_view bytes) {
    if (!encoder_) {
        WriteBytes(bytes);
        return;
    }
    // The pieces of a line (a frame line of MicroDVD, a number and its end) are gathered like
    // whole lines, not encoded one by one.
    if (encoder_->EncodesInto()) {
        if (!Stage(bytes, false)) EncodeAlone(bytes, false);
        return;
    }
    encoded_.clear();
    encoder_->Encode(bytes, encoded_);
    WriteBytes(encoded_);
}

void LineWriter::WriteThrough(std::string_view bytes) {
    if (encoder_ || bytes.size() < kWriteThroughLeast) {
        WriteRaw(bytes);
        return;
    }
    Flush();
    WriteDirect(bytes);
}

// Text longer than the stage, encoded on its own after what is staged (a character's start left
// there is completed by it). A line is whole: a character cut off at its end is no character.
void LineWriter::EncodeAlone(std::string_view text, bool line) {
    EncodeStaged(false);
    encoded_.clear();
    encoder_->Encode(std::string_view(staged_.data(), stagedUsed_), encoded_);
    stagedUsed_ = 0;
    encoder_->Encode(text, encoded_);
    if (line) {
        if (encoder_->waiting()) throw UnencodableError(0xFFFD, encoding_);
        encoder_->Encode("\r\n", encoded_);
    }
    WriteBytes(encoded_);
}

// Bytes go to the buffer; a piece larger than the buffer goes to the file directly after what
// the buffer holds, so that a long line is never copied.
void LineWriter::WriteBytes(std::string_view bytes) {
    if (bytes.size() > roomSize_ - used_) {
        Flush();
        if (bytes.size() > roomSize_) {
            WriteDirect(bytes);
            return;
        }
    }
    // An empty view may have no data at all: nothing to copy.
    if (bytes.empty()) return;
    std::memcpy(room_ + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void LineWriter::WriteDirect(std::string_view bytes) {
    if (channel_ != nullptr) {
        channel_->Write(bytes);
        // Nothing was in the room (it was committed first), but the channel has moved on past
        // it: the next room is further on.
        if (inChannelRoom_) NextRoom();
        return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileError(path_, "cannot write " + path_ + ": " + Reason());
        }
        done += static_cast<std::size_t>(put);
    }
    written_ += bytes.size();
    if (writebackEvery_ > 0 && written_ - writtenBack_ >= writebackEvery_) {
        ::sync_file_range(fd_, static_cast<off_t>(writtenBack_),
                          static_cast<off_t>(written_ - writtenBack_), SYNC_FILE_RANGE_WRITE);
        writtenBack_ = written_;
    }
}

void LineWriter::Flush() {
    if (inChannelRoom_) {
        channel_->Commit(used_);
        used_ = 0;
        NextRoom();
        return;
    }
    WriteDirect(std::string_view(buffer_.data(), used_));
    used_ = 0;
}

void LineWriter::Close() {
    if (channel_ != nullptr) {
        // Cleared on every way out: a failed write is not tried again by the destructor.
        try {
            EncodeStaged(true);
            if (inChannelRoom_) {
                channel_->Commit(used_);
                used_ = 0;
            } else {
                Flush();
            }
        } catch (...) {
            channel_ = nullptr;
            throw;
        }
        channel_ = nullptr;
        return;
    }
    if (fd_ < 0) return;
    try {
        EncodeStaged(true);
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

void WriteLinesReplacing(const std::string& path, const std::vector<std::string>& lines,
                         const FileEncoding& encoding) {
    TempFile temp(path);
    LineWriter writer(temp.path(), encoding, encoding.form());
    for (const std::string& line : lines)
        writer.WriteLine(line);
    writer.Close();
    temp.PlaceReplacing();
}

std::string_view LineReader::BufferedLines() const {
    const char* base = buffer_.data() + pos_;
    const std::size_t size = end_ - pos_;
    if (size == 0) return {};
    const void* nl = ::memrchr(base, '\n', size);
    if (nl == nullptr) return {};
    return std::string_view(base,
                            static_cast<std::size_t>(static_cast<const char*>(nl) - base) + 1);
}

void LineReader::SkipBufferedLines(std::size_t bytes, std::size_t lines) {
    ForgetNewlines();
    pos_ += bytes;
    lineNumber_ += lines;
    if (host_ == nullptr) return;
    for (std::size_t i = 0; i < lines; ++i)
        host_->ProcessEvents();
}

std::size_t CountLineEnds(std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    std::size_t count = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: each LF adds one to its byte of the sums (a compare gives -1 for
    // it), which are added up before any of them could pass 255.
    const __m128i lf = _mm_set1_epi8('\n');
    while (n >= 16) {
        const std::size_t rounds = std::min<std::size_t>(n / 16, 255);
        __m128i sums = _mm_setzero_si128();
        for (std::size_t r = 0; r < rounds; ++r, p += 16) {
            const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(bytes16, lf));
        }
        const __m128i total = _mm_sad_epu8(sums, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(total)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(total, total)));
        n -= rounds * 16;
    }
#endif
    for (; n > 0; --n, ++p)
        count += *p == '\n' ? 1 : 0;
    return count;
}

}  // namespace tessaline
