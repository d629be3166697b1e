#include "files/line_io.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.hpp"
#include "files/fs.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::size_t kMiB = 1 << 20;

std::vector<std::string> ReadAll(const std::string& path, RecordingHost* host = nullptr) {
    LineReader in(path);
    in.SetHost(host);
    std::vector<std::string> lines;
    std::string line;
    while (in.ReadLine(line))
        lines.push_back(line);
    EXPECT_EQ(in.LineNumber(), lines.size());
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, std::string_view end) {
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append(end);
    return text;
}

TEST(LineReader, SplitsAtLfAndDropsOneCrBeforeIt) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb\nc", {"a", "b", "c"}},  // the last line has no end
        {"", {}},
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\0b\r\n\0\n"s, {"a\0b"s, "\0"s}},
        {"a\rb\r\n", {"a\rb"}},  // a lone CR is content
        {"a\r\r\n", {"a\r"}},
        {"a\nb\r", {"a", "b"}},  // a CR LF cut after its CR still ends the line
    };
    TempDir dir;
    for (const auto& c : cases) {
        WriteFile(dir / "in", c.bytes);
        RecordingHost host;
        EXPECT_EQ(ReadAll(dir / "in", &host), c.lines) << testing::PrintToString(c.bytes);
        EXPECT_EQ(host.eventCalls, static_cast<long>(c.lines.size()));
    }
}

TEST(LineReader, ReadsLinesLongerThanTheBufferAndAcrossBufferBoundaries) {
    // The reader fills 1 MiB at a time: a line longer than that, a CR LF split at the first
    // boundary, and enough short lines to cross the next boundaries at arbitrary places.
    const std::vector<std::string> straddle = [] {
        std::vector<std::string> lines{"first", std::string(kMiB - 8, 'x')};  // CR at kMiB - 1
        for (std::size_t i = 0; lines.size() < 2000; ++i)
            lines.push_back(std::string(1 + i * 7 % 1500, static_cast<char>('a' + i % 26)));
        return lines;
    }();
    const std::vector<std::string> longLines{std::string(kMiB + kMiB / 2, 'L'), "short",
                                             std::string(kMiB - 3, 'M'), "tail"};
    TempDir dir;
    for (const auto& lines : {straddle, longLines}) {
        std::string bytes = Joined(lines, "\r\n");
        bytes.resize(bytes.size() - 2);  // the last line without an end
        ASSERT_GT(bytes.size(), 2 * kMiB);
        WriteFile(dir / "big", bytes);
        EXPECT_TRUE(ReadAll(dir / "big") == lines);

        // The writer flushes in blocks as well: the same lines come out whole, all CR LF.
        {
            LineWriter out(dir / "copy");
            for (const std::string& line : lines)
                out.WriteLine(line);
            out.Close();
        }
        EXPECT_TRUE(ReadFile(dir / "copy") == Joined(lines, "\r\n"));
    }
}

// The lines of `bytes` split the plain way, one byte at a time.
std::vector<std::string> SplitPlainly(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : bytes) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::exchange(line, {}));
    }
    if (!bytes.empty() && bytes.back() != '\n') {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(LineReader, FindsLineEndsAheadWithoutLosingAnyWhateverIsAskedBetweenReads) {
    // Lines of every length from 0 to 200 bytes (CR LF, LF, CRs inside) over more than two
    // blocks, so that line ends fall at every place of the 64 bytes searched at once and at the
    // blocks' edges.
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < 2 * kMiB + kMiB / 3; ++i) {
        const std::size_t length = (i * 37) % 201;
        std::string line(length, static_cast<char>('a' + i % 26));
        if (length > 3 && i % 7 == 0) line[length / 2] = '\r';
        bytes += line;
        bytes += i % 3 == 0 ? "\n" : "\r\n";
    }
    bytes += "no end\r";
    const std::vector<std::string> expected = SplitPlainly(bytes);
    TempDir dir;
    WriteFile(dir / "in", bytes);

    enum class Between { Nothing, Peek, AtEnd, OffsetAndSeekBack };
    for (const Between between :
         {Between::Nothing, Between::Peek, Between::AtEnd, Between::OffsetAndSeekBack}) {
        LineReader in(dir / "in", FileEncoding{});
        std::vector<std::string> lines;
        std::string_view line;
        for (;;) {
            std::string_view peeked;
            bool peekedWhole = false;
            if (between == Between::Peek) peekedWhole = in.PeekLineInBuffer(peeked);
            if (between == Between::AtEnd) (void)in.AtEnd();
            if (between == Between::OffsetAndSeekBack && lines.size() % 1000 == 1) {
                const std::uint64_t at = in.Offset();
                std::string_view ahead;
                for (int k = 0; k < 5 && in.ReadLine(ahead); ++k) {
                }
                in.Seek(at);
            }
            if (!in.ReadLine(line)) break;
            if (peekedWhole) {
                ASSERT_EQ(peeked, line) << "line " << lines.size();
            }
            lines.emplace_back(line);
        }
        EXPECT_EQ(lines, expected) << static_cast<int>(between);
    }

    // A block taken whole in the middle: the lines go on from the byte after it.
    LineReader in(dir / "in");
    std::string_view line;
    std::size_t consumed = 0;
    for (int k = 0; k < 500; ++k) {
        ASSERT_TRUE(in.ReadLine(line));
        consumed = bytes.find('\n', consumed) + 1;
    }
    std::string_view block;
    ASSERT_TRUE(in.ReadBlock(block));
    consumed += block.size();
    std::vector<std::string> rest;
    while (in.ReadLine(line))
        rest.emplace_back(line);
    EXPECT_EQ(rest, SplitPlainly(std::string_view(bytes).substr(consumed)));
}

TEST(LineReader, AtEndIsTrueOnlyWhenNoLineIsLeft) {
    const struct {
        std::string_view bytes;
        std::vector<bool> atEndBeforeEachRead;  // and once more after the last line
    } cases[] = {
        {"", {true}},
        {"a\r\nb", {false, false, true}},
        {"a\r\n", {false, true}},
        {"\n", {false, true}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        WriteFile(dir / "in", c.bytes);
        LineReader in(dir / "in");
        std::string line;
        for (std::size_t i = 0; i < c.atEndBeforeEachRead.size(); ++i) {
            EXPECT_EQ(in.AtEnd(), c.atEndBeforeEachRead[i]) << c.bytes << " before read " << i;
            EXPECT_EQ(in.ReadLine(line), !c.atEndBeforeEachRead[i]) << c.bytes;
        }
    }
}

TEST(LineWriter, EndsEveryLineWithCrLfAndKeepsBytes) {
    using namespace std::string_literals;
    TempDir dir;
    {
        LineWriter out(dir / "out");
        out.WriteLine("a");
        out.WriteLine("");
        out.WriteLine("b\0\rc"s);
        out.WriteLine(std::string_view());  // no data pointer at all
        out.WriteRaw(std::string_view());
        out.WriteRaw("raw\n");
    }  // the destructor flushes
    EXPECT_EQ(ReadFile(dir / "out"), "a\r\n\r\nb\0\rc\r\n\r\nraw\n"s);
}

// Whatever the file held before is gone: a longer file keeps no tail, an empty one and a new one
// hold just the lines.
TEST(LineWriter, ReplacesWhatTheFileHeld) {
    const std::optional<std::string> before[] = {std::nullopt, "", "x",
                                                 "old text\r\nthat is longer\r\n"};
    for (const auto& held : before) {
        TempDir dir;
        if (held) WriteFile(dir / "out", *held);
        {
            LineWriter out(dir / "out");
            out.WriteLine("new");
        }
        EXPECT_EQ(ReadFile(dir / "out"), "new\r\n") << held.value_or("(no file)");
    }
}

// Gives its writer rooms of the sizes asked for in turn, each a fresh part of its own memory;
// whatever is handed over instead (a line longer than a room) leaves the room given before
// unusable, as a pipe that has moved on past it would.
class RoomChannel final : public ByteChannel {
  public:
    explicit RoomChannel(std::vector<std::size_t> sizes) : sizes_(std::move(sizes)) {}
    std::size_t Read(char*, std::size_t) override { return 0; }
    void Write(std::string_view bytes) override {
        stream.append(bytes);
        room_.clear();
    }
    std::span<char> Room() override {
        room_.assign(sizes_[next_++ % sizes_.size()], '#');
        return room_;
    }
    void Commit(std::size_t size) override {
        if (size == 0) return;
        EXPECT_LE(size, room_.size()) << "committed outside the room given";
        stream.append(room_, 0, size);
    }
    std::string stream;

  private:
    std::vector<std::size_t> sizes_;
    std::size_t next_ = 0;
    std::string room_;
};

TEST(LineWriter, FillsTheRoomsAChannelGivesAndHandsOverWhatDoesNotFit) {
    // Lines of every length from empty to longer than any room, with raw pieces between.
    std::string expected;
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < 700; n += 7)
        lines.push_back(std::string(n, static_cast<char>('a' + n % 26)));
    const std::vector<std::vector<std::size_t>> roomSizes = {
        {1}, {2, 3, 5}, {64, 1, 300}, {256 * 1024}, {40, 1, 700}};
    for (const auto& sizes : roomSizes) {
        RoomChannel channel(sizes);
        std::string want;
        {
            LineWriter out(channel, FileEncoding{}, TextForm::Cp1251);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                out.WriteLine(lines[i]);
                want += lines[i] + "\r\n";
                if (i % 9 == 0) {
                    out.WriteRaw("~~");
                    want += "~~";
                }
            }
            out.Close();
        }
        EXPECT_EQ(channel.stream, want) << "rooms of " << sizes.front() << " bytes first";
    }
}

TEST(LineReader, RefusesWhatIsNoRegularFileWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0666), 0);  // an open of it would wait for a writer
    std::filesystem::create_directory(dir / "folder");
    for (const char* name : {"pipe", "folder", "missing"}) {
        EXPECT_THROW(LineReader(dir / name), FileError) << name;
    }
}

TEST(WriteLinesReplacing, ReplacesTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string list = dir / "list";
    EXPECT_TRUE(ReadLinesIfExists(list).empty());
    WriteFile(list, "old\nlines\nmore\n");
    WriteLinesReplacing(list, {"new", ""});
    EXPECT_EQ(ReadFile(list), "new\r\n\r\n");
    EXPECT_EQ(ReadLinesIfExists(list), (std::vector<std::string>{"new", ""}));
    EXPECT_EQ(ListMatching(dir.path(), "*"), std::vector<std::string>{"list"});

    // A file put in place through a temporary one is as readable as a plainly created one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(list.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

}  // namespace
}  // namespace tessaline
