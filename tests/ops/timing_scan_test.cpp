#include "ops/timing_scan.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/errors.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Stored;

// What a pass over a file leaves: its ends, or the error that stopped it, and what the host saw.
struct Outcome {
    std::optional<RunResult> result;
    std::string error;
    std::optional<ParsedTiming> first;
    std::optional<ParsedTiming> last;
    std::vector<std::string> summaries;
    long events = 0;
};

Outcome Pass(const std::string& path, bool pad, bool fast) {
    RecordingHost host;
    Outcome o;
    TimingEnds ends;
    const std::string none;
    const FrameRequest request{.input = path, .output = none, .steps = {.writesOutput = false}};
    try {
        o.result = RunInFrame(request, host, [&](FrameRun& run) {
            if (fast) return ReadTimingEnds(run, pad, ends);
            // Every line read and every line with an arrow parsed.
            std::string_view line;
            while (run.ReadLine(line)) {
                if (line.find("-->") == std::string_view::npos) continue;
                if (auto timing = ParseTimingLine(line, pad)) {
                    if (!ends.first) ends.first = timing;
                    ends.last = timing;
                }
            }
        });
    } catch (const ConversionError& e) {
        o.error = std::to_string(e.line()) + ": " + e.what();
    }
    o.first = ends.first;
    o.last = ends.last;
    o.summaries = host.summaries;
    o.events = host.eventCalls;
    return o;
}

void ExpectSame(const std::optional<ParsedTiming>& a, const std::optional<ParsedTiming>& b) {
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    EXPECT_EQ(a->on, b->on);
    EXPECT_EQ(a->off, b->off);
}

// Records of usual timings, about 60 bytes each, to fill the reader's blocks (1 MiB).
std::string Film(std::size_t bytes) {
    std::string film;
    for (int i = 0; film.size() < bytes; ++i) {
        const int s = i % 60;
        const int m = i / 60 % 60;
        char record[96];
        std::snprintf(record, sizeof record,
                      "%d\r\n00:%02d:%02d,100 --> 00:%02d:%02d,900\r\nText\r\n\r\n", i + 1, m, s, m,
                      s);
        film += record;
    }
    return film;
}

// `film` with `line` inserted to start `before` bytes before the end of the first 1 MiB.
std::string AcrossBlock(const std::string& film, std::size_t before, std::string_view line) {
    const std::size_t at = (1u << 20) - before;
    const std::size_t cut = film.rfind("\r\n", at - 4) + 2;
    return film.substr(0, cut) + std::string(at - 2 - cut, 'x') + "\r\n" + std::string(line) +
           "\r\n" + film.substr(cut);
}

TEST(ReadTimingEnds, ReadsAsEveryLineWithAnArrowParsed) {
    const std::string good = "00:30:01,000 --> 00:30:02,500";
    const std::string bad = "00:61:01,000 --> 00:62:02,000";
    const std::string dots = "00:30:01.000 --> 00:30:02.500";
    const std::string film = Film(1'200'000);
    struct Case {
        std::string what;
        std::string text;  // UTF-8
        Stored stored = Stored::Cp1251;
    };
    std::vector<Case> cases = {
        {"empty", ""},
        {"no timings", test::Crlf({"1", "text", "a -> b > c", ""})},
        {"usual", test::Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                              "00:00:03,000 --> 00:00:04,000", "b"})},
        {"a bad timing in the middle",
         test::Crlf({"00:00:01,000 --> 00:00:02,000", bad, "00:00:03,000 --> 00:00:04,000"})},
        {"a bad timing at the end", test::Crlf({"00:00:01,000 --> 00:00:02,000", "x", bad})},
        {"a bad timing without a line end", "00:00:01,000 --> 00:00:02,000\r\n" + bad},
        {"bad milliseconds", test::Crlf({"00:00:01,000 --> 00:00:02,00x"})},
        {"dot timings first and last", test::Crlf({dots, "00:00:03,000 --> 00:00:04,000", dots})},
        {"short milliseconds", test::Crlf({"00:00:01,5 --> 00:00:02,25", "0:0:3,7 --> 0:0:4,75"})},
        {"a tail", test::Crlf({"00:00:01,000 --> 00:00:02,000 X1:1 X2:2", good + " <b>"})},
        {"arrows in text", test::Crlf({good, "a --> b", "-->", "--> 00:00:09,000", "x" + good})},
        {"LF only", "00:00:01,000 --> 00:00:02,000\na\n" + good + "\n"},
        {"CR only", "00:00:01,000 --> 00:00:02,000\ra\r" + good + "\r"},
        {"two CRs", "00:00:01,000 --> 00:00:02,000\r\r\na\r\n" + good + "\r\r\n"},
        {"a last timing without a line end", test::Crlf({"00:00:01,000 --> 00:00:02,000"}) + good},
        {"a last timing ending in CR", test::Crlf({"00:00:01,000 --> 00:00:02,000"}) + good + "\r"},
        {"hours past 23",
         test::Crlf({"00:00:01,000 --> 00:00:02,000", "24:00:00,000 --> 24:00:01,000"})},
        {"an off-time past 23 hours",
         test::Crlf({"00:00:01,000 --> 00:00:02,000", "00:00:03,000 --> 24:00:01,000"})},
        {"byte-order mark", test::Crlf({"1", good, "ж"}), Stored::Utf8Bom},
        {"UTF-16", test::Crlf({"1", good, "ж", dots}), Stored::Utf16le},
        {"a large film", film},
        {"a large film in UTF-16", film, Stored::Utf16le},
    };
    for (const std::size_t before : {0, 1, 2, 14, 15, 16, 28, 29, 30, 31}) {
        const std::string at = " " + std::to_string(before) + " bytes before the block's end";
        cases.push_back({"a usual timing" + at, AcrossBlock(film, before, good)});
        cases.push_back({"a dot timing" + at, AcrossBlock(film, before, dots)});
        cases.push_back({"a bad timing" + at, AcrossBlock(film, before, bad)});
    }
    for (const Case& c : cases) {
        for (const bool pad : {true, false}) {
            SCOPED_TRACE(c.what + (pad ? "" : ", not padded"));
            test::TempDir dir;
            const std::string path = (dir / "film.srt").string();
            test::WriteFile(path, test::StoredBytes(c.text, c.stored));
            const Outcome full = Pass(path, pad, false);
            const Outcome fast = Pass(path, pad, true);
            EXPECT_EQ(fast.result, full.result);
            EXPECT_EQ(fast.error, full.error);
            ExpectSame(fast.first, full.first);
            ExpectSame(fast.last, full.last);
            EXPECT_EQ(fast.summaries, full.summaries);
            EXPECT_EQ(fast.events, full.events);
        }
    }
}

}  // namespace
}  // namespace tessaline
