#pragma once

// Buffered line input and output. Lines are split at LF with one CR before it dropped; every
// written line ends with CR LF. Bytes are carried as they are (NUL included). Files are read
// and written in large blocks: no system call per line. A line longer than a block costs one
// copy of itself in memory, whatever its length; the blocks are kept for the next file of a run.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/encoding.hpp"

namespace tessaline {

class Host;
class TextDecoder;
class TextEncoder;

/// A block of bytes, not zero-filled (a small file touches only the pages it uses), taken from
/// and given back to a per-thread spare so that a run over many files allocates none per file.
class IoBuffer {
  public:
    explicit IoBuffer(std::size_t size);
    ~IoBuffer();
    IoBuffer(const IoBuffer&) = delete;
    IoBuffer& operator=(const IoBuffer&) = delete;

    [[nodiscard]] char* data() { return data_.get(); }
    [[nodiscard]] const char* data() const { return data_.get(); }
    [[nodiscard]] std::size_t size() const { return size_; }
    /// Grows to `size`, keeping the first `keep` bytes.
    void Grow(std::size_t size, std::size_t keep);

  private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

/// Where a reader takes its bytes from, or a writer puts them, instead of a file: the in-memory
/// pipe between the steps of a chain of operations on one file.
class ByteChannel {
  public:
    virtual ~ByteChannel() = default;
    /// Up to `size` bytes into `data`, waiting until some come; 0 at the end.
    virtual std::size_t Read(char* data, std::size_t size) = 0;
    /// All of `bytes`, waiting while there is no room.
    virtual void Write(std::string_view bytes) = 0;
    /// A part of the channel's own memory that the writer may fill in place, instead of
    /// handing bytes over to be copied: waits until some is free; empty when the channel has
    /// none to give. What is filled counts once committed.
    virtual std::span<char> Room() { return {}; }
    /// The first `size` bytes of the last room hold the next bytes of the stream.
    virtual void Commit(std::size_t size) { (void)size; }
};

/// Reads a file line by line. A last line without an end is still a line; an empty file has no
/// lines. The lines are the file's text in its inner form: a byte-order mark is not part of the
/// first line, UTF-16 and the Cyrillic code pages other than Windows-1251 arrive as UTF-8.
class LineReader {
  public:
    /// Opens the file, whose bytes are read as they are; throws FileError when it cannot be
    /// opened or is no regular file (a named pipe would block the run, a folder has no lines).
    explicit LineReader(const std::string& path);
    /// Opens a file stored in `encoding`, whose lines arrive in the inner form `form` (a second
    /// file read beside another is read in that one's form).
    LineReader(const std::string& path, const FileEncoding& encoding, TextForm form);
    LineReader(const std::string& path, const FileEncoding& encoding)
        : LineReader(path, encoding, encoding.form()) {}
    /// Reads the bytes of a channel as a file stored in `encoding` but written without its
    /// byte-order mark. Offset and Seek are not for a channel.
    LineReader(ByteChannel& channel, const FileEncoding& encoding);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Lets the host process pending events once per line read (the window stays responsive).
    void SetHost(Host* host) { host_ = host; }

    /// The next line into `line` (without its end); false at the end of the file.
    /// Throws FileError when the file cannot be read.
    bool ReadLine(std::string& line);

    /// The next line as a view into the reader's buffer, valid until the next read.
    bool ReadLine(std::string_view& line) {
        // Most lines end within the 64 bytes whose line ends were found at once.
        if (newlines_ == 0) return ReadLineScanning(line);
        const std::size_t at = window_ + static_cast<std::size_t>(std::countr_zero(newlines_));
        newlines_ &= newlines_ - 1;
        TakeLine(at, line);
        return true;
    }

    /// The line after the one read last, without reading it, when the buffer holds it whole
    /// (with its line end): a view valid until the next read. False when it would take reading
    /// more of the file; the reader then stands where it stood.
    bool PeekLineInBuffer(std::string_view& line) const {
        const char* base = buffer_.data();
        const void* nl =
            newlines_ != 0
                ? base + window_ + static_cast<std::size_t>(std::countr_zero(newlines_))
                : std::memchr(base + pos_, '\n', end_ - pos_);
        if (nl == nullptr) return false;
        std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - base) - pos_;
        if (len > 0 && base[pos_ + len - 1] == '\r') --len;
        line = std::string_view(base + pos_, len);
        return true;
    }

    /// The next bytes as they are, without splitting them into lines: a view into the reader's
    /// buffer, valid until the next read; false at the end of the file. For the passes that
    /// must see every line-end character.
    bool ReadBlock(std::string_view& bytes);

    /// No line is left to read.
    [[nodiscard]] bool AtEnd();

    /// Lines read so far.
    [[nodiscard]] std::size_t LineNumber() const { return lineNumber_; }

    /// The byte offset in the file of the next line to be read.
    [[nodiscard]] std::uint64_t Offset() const;

    /// Goes on reading at a byte offset (the start of a line, as Offset gave it).
    /// Throws FileError when the file cannot be positioned.
    void Seek(std::uint64_t offset);

    /// How the file is stored.
    [[nodiscard]] const FileEncoding& encoding() const { return encoding_; }

    /// The whole lines the buffer holds from the next line on, each with its LF: a view valid
    /// until the next read; empty when not even the next line is whole in the buffer (ReadLine
    /// then reads on). For a pass that looks at many lines at once and reads only some of them.
    [[nodiscard]] std::string_view BufferedLines() const;

    /// Passes over the first `bytes` of BufferedLines, which are `lines` whole lines, as that
    /// many calls of ReadLine would (the line count, the host's events).
    void SkipBufferedLines(std::size_t bytes, std::size_t lines);

  private:
    // The line ending at the LF at `at`.
    void TakeLine(std::size_t at, std::string_view& line) {
        const char* base = buffer_.data();
        std::size_t len = at - pos_;
        if (len > 0 && base[at - 1] == '\r') --len;
        line = std::string_view(base + pos_, len);
        pos_ = at + 1;
        ++lineNumber_;
        if (host_ != nullptr) ProcessHostEvents();
    }
    bool ReadLineScanning(std::string_view& line);
    void ProcessHostEvents();
    // The buffer's bytes moved or were let go: the line ends found ahead no longer stand.
    void ForgetNewlines() {
        newlines_ = 0;
        windowed_ = false;
    }
    bool Fill();
    bool FillDecoded();
    // The length of the rest of the current line still in the file, up to its LF.
    std::size_t LengthToLineEnd();
    // Counts the file bytes of the decoded text read since the last count.
    void CountFileOffset() const;

    std::string path_;
    int fd_ = -1;
    ByteChannel* channel_ = nullptr;
    FileEncoding encoding_;
    std::unique_ptr<TextDecoder> decoder_;  // for UTF-16 and the other code pages
    std::string raw_;                       // the file's bytes before decoding
    std::string decoded_;                   // and after
    // The file offset of the decoded text at trackedTo_, counted only when needed.
    mutable std::uint64_t fileOffsetAtTracked_ = 0;
    mutable std::size_t trackedTo_ = 0;
    mutable bool offsetsAsked_ = false;
    IoBuffer buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    // The line ends of the 64 bytes from window_ (when windowed_) not yet read past, one bit
    // each: finding them for 64 bytes at once costs less than a search per short line.
    std::size_t window_ = 0;
    std::uint64_t newlines_ = 0;
    bool windowed_ = false;
    bool eof_ = false;
    std::size_t lineNumber_ = 0;
    Host* host_ = nullptr;
    std::uint64_t size_ = 0;       // the file's size when opened, for progress
    std::uint64_t bytesRead_ = 0;  // read so far
};

/// Writes lines, each followed by CR LF, to a file it creates or truncates.
class LineWriter {
  public:
    /// Creates the file, whose bytes are written as they come; throws FileError when it cannot be
    /// created.
    explicit LineWriter(const std::string& path);
    /// Creates a file stored in `encoding` (a byte-order mark first when it has one), for text in
    /// the inner form `from`. Writing a character the encoding lacks throws UnencodableError.
    LineWriter(const std::string& path, const FileEncoding& encoding, TextForm from);
    /// Writes into a channel as into a file stored in `encoding`, without a byte-order mark.
    /// Close flushes what is buffered; the channel stays open.
    LineWriter(ByteChannel& channel, const FileEncoding& encoding, TextForm from);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void WriteLine(std::string_view line) {
        // The file's bytes go straight into the buffer with the line end, lines on their way to
        // UTF-16 or a code page into the staged text (once the first one has made room for
        // them); a line longer than the room left goes out of line.
        if (!encoder_) {
            if (line.size() + 2 <= roomSize_ - used_) {
                PutLine(room_ + used_, line);
                used_ += line.size() + 2;
                return;
            }
        } else if (line.size() + 2 <= staged_.size() - stagedUsed_) {
            PutLine(staged_.data() + stagedUsed_, line);
            stagedUsed_ += line.size() + 2;
            return;
        }
        WriteLineSlowly(line);
    }

    /// For a file that will be flushed to the disk once written: its bytes start going to the
    /// disk every `bytes` as they are written, so that the flush at the end waits only for the
    /// last of them.
    void WriteBackEvery(std::size_t bytes) { writebackEvery_ = bytes; }

    /// Writes bytes as they are (for a line end of a different kind).
    void WriteRaw(std::string_view bytes);
    /// The same for bytes that are no text of the writer's (a whole stream's bytes passed on):
    /// a large piece goes out at once, without a copy into the buffer.
    void WriteThrough(std::string_view bytes);

    /// Flushes and closes; throws FileError when the data could not be written. Called by the
    /// destructor too, which swallows the error (a caller that cares calls Close itself).
    void Close();

  private:
    static void PutLine(char* at, std::string_view line) {
        if (!line.empty()) std::memcpy(at, line.data(), line.size());
        at[line.size()] = '\r';
        at[line.size() + 1] = '\n';
    }
    void Flush();
    void NextRoom();
    void WriteLineSlowly(std::string_view line);
    bool Stage(std::string_view text, bool withEnd);
    void EncodeStaged(bool last);
    void EncodeAlone(std::string_view text, bool line);
    void WriteDirect(std::string_view bytes);
    void WriteBytes(std::string_view bytes);

    std::string path_;
    int fd_ = -1;
    ByteChannel* channel_ = nullptr;
    IoBuffer buffer_;
    // Where lines go: the buffer, or the channel's own room when it gives one.
    char* room_ = nullptr;
    std::size_t roomSize_ = 0;
    bool inChannelRoom_ = false;
    std::size_t used_ = 0;
    std::unique_ptr<TextEncoder> encoder_;  // null when the text is the file's bytes
    TextEncoding encoding_ = TextEncoding::Windows1251;
    std::string encoded_;
    // UTF-8 lines with their ends, waiting to be encoded into UTF-16 or a code page as one
    // piece: a whole block goes through the encoder's loops at once, the ASCII of the timing
    // lines, numbers and line ends in long runs.
    std::string staged_;
    std::size_t stagedUsed_ = 0;
    std::size_t writebackEvery_ = 0;  // 0: the system writes back when it will
    std::uint64_t written_ = 0;       // bytes written to the file
    std::uint64_t writtenBack_ = 0;   // of which sent to the disk
};

/// Reads a whole small text file (settings, lists) as lines; an absent file gives no lines.
[[nodiscard]] std::vector<std::string> ReadLinesIfExists(const std::string& path);

/// Writes lines to a file with CR LF ends, replacing it through a temporary file so that a
/// failure leaves the old file whole. Throws FileError. With an encoding, the lines are text in
/// that encoding's inner form, written in the encoding.
void WriteLinesReplacing(const std::string& path, const std::vector<std::string>& lines,
                         const FileEncoding& encoding = {});

/// The LF characters of `bytes`: the lines they end.
[[nodiscard]] std::size_t CountLineEnds(std::string_view bytes);

}  // namespace tessaline
