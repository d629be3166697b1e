#include "files/records.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/errors.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::TempDir;
using test::WriteFile;

// Every call of ReadSubtitleRecord until the end, one text per call:
// "R number on-off [line|line|...]" for a record, "L line" for a plain line.
std::vector<std::string> Walk(LineReader& in, bool pad) {
    SubRipShaper shaper(in);
    std::string current;
    SubtitleRecord record;
    std::vector<std::string> calls;
    for (;;) {
        record.on = record.off = 0;
        const RecordRead read = ReadSubtitleRecord(shaper, current, pad, record);
        if (read == RecordRead::End) break;
        if (read == RecordRead::Line) {
            calls.push_back("L " + current);
            continue;
        }
        std::string text = "R " + std::to_string(record.number) + " " + std::to_string(record.on) +
                           "-" + std::to_string(record.off) + " [";
        for (std::size_t i = 0; i < record.lines.size(); ++i)
            text += (i == 0 ? "" : "|") + record.lines[i];
        calls.push_back(text + "]");
    }
    return calls;
}

std::vector<std::string> Walk(const std::string& bytes, bool pad) {
    TempDir dir;
    WriteFile(dir / "in.srt", bytes);
    LineReader in(dir / "in.srt");
    return Walk(in, pad);
}

// Hands its bytes over in pieces of one size: the reader's buffer then ends anywhere in a line.
class PieceChannel final : public ByteChannel {
  public:
    PieceChannel(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
    std::size_t Read(char* data, std::size_t size) override {
        const std::size_t n = std::min({size, piece_, bytes_.size() - at_});
        bytes_.copy(data, n, at_);
        at_ += n;
        return n;
    }
    void Write(std::string_view) override {}

  private:
    std::string bytes_;
    std::size_t piece_;
    std::size_t at_ = 0;
};

constexpr std::string_view kT1 = "00:00:01,000 --> 00:00:02,000";
constexpr std::string_view kT2 = "00:00:03,000 --> 00:00:04,000";

TEST(ReadSubtitleRecord, ReadsTheRecordShapes) {
    using V = std::vector<std::string>;
    const std::string t1(kT1), t2(kT2);
    const struct {
        std::string_view what;
        std::string bytes;
        V calls;
    } cases[] = {
        // clang-format off
        {"blank lines before the timing line are dropped", Crlf({"1", "", " ", kT1, "Hi", "", "2", kT2, "Yo", " "}),
         {"R 1 1000-2000 [1|" + t1 + "|Hi|]", "R 2 3000-4000 [2|" + t2 + "|Yo| ]"}},
        {"the last record ends at the end of the file", Crlf({"1", kT1, "Hi", "", "2", kT2, "Yo"}),
         {"R 1 1000-2000 [1|" + t1 + "|Hi|]", "R 2 3000-4000 [2|" + t2 + "|Yo]"}},
        {"a line of digits inside a record is text", Crlf({"1", kT1, "2012", "7", "", "8", kT2}),
         {"R 1 1000-2000 [1|" + t1 + "|2012|7|]", "R 8 3000-4000 [8|" + t2 + "]"}},
        {"a number without a timing line after it is text", Crlf({"5", "Hi", ""}), {"L 5", "L Hi", "L "}},
        {"lines before the first record", Crlf({"Title", "", "3", kT1, "x"}),
         {"L Title", "L ", "R 3 1000-2000 [3|" + t1 + "|x]"}},
        {"a number with only blank lines after it", Crlf({"4", "", ""}), {"L 4", "L ", "L "}},
        {"an empty file", "", {}},
        {"records without numbers get the next ones", Crlf({kT1, "Hi", "", kT2, "Yo", ""}),
         {"R 1 1000-2000 [1|" + t1 + "|Hi|]", "R 2 3000-4000 [2|" + t2 + "|Yo|]"}},
        {"no empty line before the next number", Crlf({"1", kT1, "A", "2", kT2, "B"}),
         {"R 1 1000-2000 [1|" + t1 + "|A|]", "R 2 3000-4000 [2|" + t2 + "|B]"}},
        {"a timing line right after text", Crlf({"1", kT1, "A", kT2, "B"}),
         {"R 1 1000-2000 [1|" + t1 + "|A|]", "R 2 3000-4000 [2|" + t2 + "|B]"}},
        {"a number out of sequence still starts a record", Crlf({"1", kT1, "A", "15", kT2, "B"}),
         {"R 1 1000-2000 [1|" + t1 + "|A|]", "R 15 3000-4000 [15|" + t2 + "|B]"}},
        {"dot timings", Crlf({"1", "00:00:01.000 --> 00:00:02.5", "x"}),
         {"R 1 1000-2500 [1|00:00:01.000 --> 00:00:02.5|x]"}},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.bytes, true), c.calls) << c.what;
}

TEST(SubRipShaper, ReadsTheSameWhereverTheReadersBufferEnds) {
    // A number line is known by the line after it, looked at in the reader's buffer when it is
    // there and read ahead when it is not: both must give the same records.
    std::string bytes;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(10 * i);
        bytes += Crlf({n, std::string(kT1), "A", "", n + "1", "", " ", std::string(kT2), "B",
                       std::string(kT1), "no number", n + "2", std::string(kT2), "after text",
                       "2012", "", n + "3", "Hi", ""});
    }
    const std::vector<std::string> whole = Walk(bytes, true);
    ASSERT_GT(whole.size(), 200U);
    for (const std::size_t piece : {1, 2, 3, 5, 8, 13, 31, 64, 1 << 20}) {
        PieceChannel channel(bytes, piece);
        LineReader in(channel, FileEncoding{});
        EXPECT_EQ(Walk(in, true), whole) << "pieces of " << piece << " bytes";
    }
}

TEST(SubRipShaper, NotesWhatItAddsWithTheRecordNumber) {
    TempDir dir;
    WriteFile(dir / "in.srt", Crlf({"7", std::string(kT1), "A", std::string(kT2), "B", "9",
                                    std::string(kT1), "C", "", "Text", "1984"}));
    LineReader in(dir / "in.srt");
    SubRipShaper shaper(in);
    std::vector<std::string> notes;
    shaper.SetNote([&](SubRipShaper::Added what, std::int64_t number) {
        notes.push_back((what == SubRipShaper::Added::Number ? "number " : "empty ") +
                        std::to_string(number));
    });
    std::vector<std::string> lines;
    std::string numbers;
    for (std::string line; shaper.ReadLine(line);) {
        lines.push_back(line);
        if (shaper.AtRecordNumber()) numbers += line + (shaper.AtAddedLine() ? "+ " : " ");
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{"7", std::string(kT1), "A", "", "8", std::string(kT2), "B",
                                        "", "9", std::string(kT1), "C", "", "Text", "1984"}));
    EXPECT_EQ(notes, (std::vector<std::string>{"empty 8", "number 8", "empty 9"}));
    EXPECT_EQ(numbers, "7 8+ 9 ");
    EXPECT_TRUE(shaper.AtEnd());
}

TEST(ReadSubtitleRecord, ParsesTheTimingWithTheTimeCorrectionSetting) {
    const std::string bytes = Crlf({"1", "00:00:01,5 --> 00:00:02,50", "x", ""});
    const std::string lines = " [1|00:00:01,5 --> 00:00:02,50|x|]";
    EXPECT_EQ(Walk(bytes, true), std::vector<std::string>{"R 1 1500-2500" + lines});
    EXPECT_EQ(Walk(bytes, false), std::vector<std::string>{"R 1 1005-2050" + lines});
}

TEST(ReadSubtitleRecord, ThrowsForATimingFieldThatDoesNotConvert) {
    EXPECT_THROW(Walk(Crlf({"1", "00:00:01,0x0 --> 00:00:02,000", "x", ""}), true),
                 ConversionError);
}

// Cleared lines keep their strings for later records, but neither a read nor a copy sees them.
TEST(RecordLines, ShowOnlyTheLinesAddedSinceTheLastClear) {
    RecordLines lines;
    for (const char* line : {"1", "00:00:01,000 --> 00:00:02,000", "long text line", ""})
        lines.push_back(line);
    lines.clear();
    lines.push_back("2");
    lines.push_back("x");
    EXPECT_EQ(LineList(lines.begin(), lines.end()), (LineList{"2", "x"}));
    EXPECT_EQ(lines.back(), "x");
    RecordLines copy;
    for (const char* line : {"a", "b", "c"})
        copy.push_back(line);
    copy = lines;
    EXPECT_EQ(LineList(copy.begin(), copy.end()), (LineList{"2", "x"}));
}

TEST(CopyLines, AnEmptySourceLeavesTheDestination) {
    LineList destination{"old", "lines"};
    CopyLines({}, destination);
    EXPECT_EQ(destination, (LineList{"old", "lines"}));
    CopyLines({"new"}, destination);
    EXPECT_EQ(destination, LineList{"new"});
}

}  // namespace
}  // namespace tessaline
