#include "files/records.hpp"

#include <gtest/gtest.h>

#include "core/errors.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::TempDir;
using test::WriteFile;

// Every call of ReadSubtitleRecord until the end, one text per call:
// "R number on-off [line|line|...] start" for a record, "L line" for a plain line.
std::vector<std::string> Walk(const std::string& bytes, bool pad, bool atRecordStart = true) {
    TempDir dir;
    WriteFile(dir / "in.srt", bytes);
    LineReader in(dir / "in.srt");
    std::string current;
    SubtitleRecord record;
    std::vector<std::string> calls;
    for (;;) {
        const RecordRead read = ReadSubtitleRecord(in, current, atRecordStart, pad, record);
        if (read == RecordRead::End) break;
        if (read == RecordRead::Line) {
            calls.push_back("L " + current);
            continue;
        }
        std::string text = "R " + std::to_string(record.number) + " " + std::to_string(record.on) +
                           "-" + std::to_string(record.off) + " [";
        for (std::size_t i = 0; i < record.lines.size(); ++i)
            text += (i == 0 ? "" : "|") + record.lines[i];
        calls.push_back(text + "] " + (atRecordStart ? "start" : "inside"));
    }
    return calls;
}

constexpr std::string_view kT1 = "00:00:01,000 --> 00:00:02,000";
constexpr std::string_view kT2 = "00:00:03,000 --> 00:00:04,000";

TEST(ReadSubtitleRecord, ReadsTheRecordShapes) {
    using V = std::vector<std::string>;
    const std::string t1(kT1), t2(kT2);
    const struct {
        std::string_view what;
        std::string bytes;
        bool atRecordStart;
        V calls;
    } cases[] = {
        // clang-format off
        {"blank lines before the timing line are dropped", Crlf({"1", "", " ", kT1, "Hi", "", "2", kT2, "Yo", " "}), true,
         {"R 1 1000-2000 [1|" + t1 + "|Hi|] start", "R 2 3000-4000 [2|" + t2 + "|Yo| ] start"}},
        {"the last record ends at the end of the file", Crlf({"1", kT1, "Hi", "", "2", kT2, "Yo"}), true,
         {"R 1 1000-2000 [1|" + t1 + "|Hi|] start", "R 2 3000-4000 [2|" + t2 + "|Yo] inside"}},
        {"a line of digits inside a record is text", Crlf({"1", kT1, "2012", "7", "", "8", kT2}), true,
         {"R 1 1000-2000 [1|" + t1 + "|2012|7|] start", "R 8 3000-4000 [8|" + t2 + "] inside"}},
        {"a number line needs the record start", Crlf({"5", "Hi", ""}), false, {"L 5", "L Hi", "L "}},
        {"lines before the first record", Crlf({"Title", "", "3", kT1, "x"}), true,
         {"L Title", "L ", "R 3 1000-2000 [3|" + t1 + "|x] inside"}},
        {"a number cut short by the end", Crlf({"4", "", ""}), true, {"R 4 0-0 [4] inside"}},
        {"an empty file", "", true, {}},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.bytes, true, c.atRecordStart), c.calls) << c.what;
}

TEST(ReadSubtitleRecord, ParsesTheTimingWithTheTimeCorrectionSetting) {
    const std::string bytes = Crlf({"1", "00:00:01,5 --> 00:00:02,50", "x", ""});
    const std::string lines = " [1|00:00:01,5 --> 00:00:02,50|x|] start";
    EXPECT_EQ(Walk(bytes, true), std::vector<std::string>{"R 1 1500-2500" + lines});
    EXPECT_EQ(Walk(bytes, false), std::vector<std::string>{"R 1 1005-2050" + lines});
}

TEST(ReadSubtitleRecord, ThrowsForATimingFieldThatDoesNotConvert) {
    EXPECT_THROW(Walk(Crlf({"1", "00:00:01,0x0 --> 00:00:02,000", "x", ""}), true),
                 ConversionError);
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
