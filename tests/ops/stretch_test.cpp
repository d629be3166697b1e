#include "ops/stretch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data_run.hpp"
#include "ops/offset.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::DataRun;
using test::ReadFile;
using test::WriteFile;
using Messages = std::vector<std::string>;
using Files = std::map<std::string, std::string>;  // name in the folder -> expected data file

constexpr std::optional<RunResult> kDone = RunResult::Done;
constexpr std::optional<RunResult> kRefused = RunResult::Refused;
constexpr std::optional<RunResult> kSkipped = RunResult::Skipped;

// The range stretch of the range boxes Begin, End (and Full), New End.
StretchParams RangeStretch(std::int64_t begin, std::int64_t end, std::int64_t newEnd,
                           RangeMode mode, std::int64_t full = -1) {
    return {.range = {.begin = begin, .end = end, .full = full < 0 ? end - begin : full},
            .newEnd = newEnd,
            .mode = mode};
}

StretchParams Rates(std::string source, std::string target) {
    return {.source = FactorSource::Difference,
            .sourceRate = std::move(source),
            .targetRate = std::move(target)};
}

StretchParams Coefficient(std::string factor) {
    return {.source = FactorSource::Coefficient, .coefficient = std::move(factor)};
}

StretchParams KeepFirst(StretchParams p) {
    p.keepFirst = true;
    return p;
}

struct StretchCase {
    const char* what;
    const char* data;  // under tests/data/ops/stretch
    StretchParams params;
    std::optional<RunResult> result;  // empty: a ConversionError ended the run
    Files files;                      // every file the run leaves beside the input
    Messages messages;
    std::optional<std::int64_t> newEnd;  // New End afterwards, when a pass was made
    std::optional<std::int64_t> offset;  // the Offset controls as the stretch left them
    std::optional<bool> minus;
};

void Check(const StretchCase& c, bool frames) {
    SCOPED_TRACE(c.what);
    const std::string ext = frames ? ".sub" : ".srt";
    DataRun run(std::string("stretch/") + c.data, "film" + ext);
    StretchOutcome outcome;
    run.Run([&](Host& host) {
        return frames ? StretchFrames(run.input(), run.output(), c.params, host, outcome)
                      : StretchTimes(run.input(), run.output(), c.params, host, outcome);
    });
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(run.host.messages, c.messages);
    EXPECT_FALSE(run.host.busy);
    std::set<std::string> names{run.name()};
    for (const auto& [name, expected] : c.files) {
        names.insert(name);
        if (std::filesystem::exists(run.path(name))) {
            EXPECT_EQ(ReadFile(run.path(name)), test::OpsData("stretch/" + expected)) << name;
        }
    }
    EXPECT_EQ(run.Files(), names);
    EXPECT_EQ(outcome.ran, c.newEnd.has_value());
    if (c.newEnd) {
        EXPECT_EQ(outcome.newEnd, *c.newEnd);
    }
    EXPECT_EQ(outcome.offset, c.offset);
    EXPECT_EQ(outcome.minus, c.minus);
}

TEST(StretchTimes, RangeModesAndTheSecondFile) {
    constexpr auto kEnd = RangeMode::End;
    const Messages kDivision{"Division by Zero!"};
    // range.srt: 00:00:01,001 --> 00:00:01,003, 00:00:10,000 --> 00:00:20,000 <pos>, a text line
    // with an arrow, 00:00:30:000 --> 00:00:40:000 (colons: rewritten in the standard form).
    // clang-format off
    const StretchCase cases[] = {
        // k = 1.5: 1501.5 and 1504.5 round to the even 1502 and 1504. The first subtitle moved
        // 501 ms later, so film.out2 is film.out 501 ms earlier.
        {"mode 0 from zero", "range.srt", RangeStretch(0, 40'000, 60'000, kEnd), kDone,
         {{"film.out", "k15.expected"}, {"film.out2", "k15.expected2"}}, {}, 59'499, 501, true},
        {"keep first: no second file", "range.srt", KeepFirst(RangeStretch(0, 40'000, 60'000, kEnd)), kDone,
         {{"film.out", "k15_keep_first.expected"}}, {}, 60'000, std::nullopt, std::nullopt},
        // k = (60000 + 1000 * 1.5 - 1000) / 40000 = 1.5125.
        {"mode 0 with a Begin", "range.srt", RangeStretch(1000, 40'000, 60'000, kEnd), kDone,
         {{"film.out", "mode0_begin.expected"}, {"film.out2", "mode0_begin.expected2"}}, {}, 59'987, 513, true},
        // The remembered full time 20000, New Full 30000: k = (30000 + 1000 * 1.5 - 1000) / 20000.
        {"mode 2", "range.srt", RangeStretch(1000, 40'000, 31'000, RangeMode::FullTimes, 20'000), kDone,
         {{"film.out", "mode2.expected"}, {"film.out2", "mode2.expected2"}}, {}, 61'000 - 526, 526, true},
        {"mode 2 without a full time", "range.srt", RangeStretch(0, 40'000, 60'000, RangeMode::FullTimes, 0), kRefused, {}, kDivision},
        // The bend: up to 45 % (55 %) of End by k * 99/98 (98/99), then towards New End, which
        // End reaches exactly.
        {"mode 3 longer", "range.srt", RangeStretch(0, 40'000, 60'000, RangeMode::Deflection), kDone,
         {{"film.out", "bend_longer.expected"}, {"film.out2", "bend_longer.expected2"}}, {}, 59'484, 516, true},
        {"mode 3 shorter", "range.srt", RangeStretch(0, 40'000, 30'000, RangeMode::Deflection), kDone,
         {{"film.out", "bend_shorter.expected"}, {"film.out2", "bend_shorter.expected2"}}, {}, 30'258, 258, false},
        // Begin 2000: the input goes 2 s earlier into film.srt0, k = 30000 / 20000 there, and
        // film.out2 puts the result back after Begin.
        {"mode 1", "mode1.srt", RangeStretch(2000, 22'000, 32'000, RangeMode::ShiftToBegin), kDone,
         {{"film.srt0", "mode1.expected0"}, {"film.out", "mode1.expected"}, {"film.out2", "mode1.expected2"}}, {}, 32'000, 2000, false},
        {"mode 0 with End zero", "range.srt", RangeStretch(0, 0, 5000, kEnd), kRefused, {}, kDivision},
        {"End and New End in one second", "range.srt", RangeStretch(0, 40'000, 40'999, kEnd), kSkipped, {}},
        {"New End under a second", "range.srt", RangeStretch(0, 40'000, 999, kEnd), kSkipped, {}},
        // 25 / 29,970 and back: every time is multiplied, nothing else is written.
        {"25 to 29,970", "range.srt", Rates("25", "29,970"), kDone, {{"film.out", "fps_25_to_29970.expected"}}, {}, 33'367},
        {"29,970 to 25", "range.srt", Rates("29,970", "25"), kDone, {{"film.out", "fps_29970_to_25.expected"}}, {}, 47'952},
        // A mode 3 setting does not bend a frame-rate conversion.
        {"rates ignore the bend", "range.srt", [] { auto p = Rates("25", "29,970"); p.mode = RangeMode::Deflection; return p; }(),
         kDone, {{"film.out", "fps_25_to_29970.expected"}}, {}, 33'367},
        {"equal rates", "range.srt", Rates("25", "25"), kSkipped, {}},
        {"target rate zero", "range.srt", Rates("25", "0"), kRefused, {}, kDivision},
        {"rate not a number", "range.srt", Rates("25", "fast"), std::nullopt, {}},
        {"coefficient", "range.srt", Coefficient("1,5"), kDone, {{"film.out", "k15.expected"}}, {}, 60'000},
        {"empty coefficient", "range.srt", Coefficient(" "), kSkipped, {}},
        {"coefficient not a number", "range.srt", Coefficient("1,5x"), std::nullopt, {}},
    };
    // clang-format on
    for (const StretchCase& c : cases)
        Check(c, false);
}

// A subtitle before Begin stops the shift into the zero file: a stretch of the cut file would
// lose every subtitle after it, and the cut file itself would pass for a zero file next time.
TEST(StretchTimes, ASubtitleBeforeBeginStopsTheShiftToZero) {
    DataRun run("stretch/mode1.srt", "film.srt");
    StretchOutcome outcome;
    const auto late = RangeStretch(2500, 22'000, 32'000, RangeMode::ShiftToBegin);
    run.Run([&](Host& h) { return StretchTimes(run.input(), run.output(), late, h, outcome); });
    EXPECT_EQ(run.result, RunResult::Stopped);
    EXPECT_EQ(run.host.Status(StatusField::OffsetTime), StatusState::Error);
    EXPECT_EQ(run.Files(), std::set<std::string>{"film.srt"});
    EXPECT_FALSE(outcome.ran);
}

// The second file is what Offset Time run over film.out makes, with the same messages, summaries
// and status, whether the stretch's own pass wrote it or Offset Time had to run: a shift below
// zero or past a day, tails, timing forms other than the standard one, other line ends and
// encodings.
TEST(StretchTimes, TheSecondFileIsOffsetTimeOverTheOutput) {
    const std::string plain = Crlf({"1", "00:00:07,000 --> 00:00:09,000", "один", "", "2",
                                    "00:01:00,000 --> 00:01:02,500", "два", ""});
    // The second subtitle lies before the first: moved back, it goes below zero.
    const std::string early = Crlf({"1", "00:10:00,000 --> 00:10:02,000", "a", "", "2",
                                    "00:00:01,000 --> 00:00:03,000", "b", "", "3",
                                    "00:20:00,000 --> 00:20:05,000", "c", ""});
    const std::string offEarly = Crlf({"00:10:00,000 --> 00:10:02,000", "a",
                                       "00:10:05,000 --> 00:00:03,000", "b",
                                       "00:20:00,000 --> 00:20:05,000", "c"});
    const std::string tails = Crlf({"1", "00:00:07,000 --> 00:00:09,000 X1:100 X2:200", "a", "",
                                    "2", "00:01:00,000 --> 00:01:02,000    blanks", "b --> c", "",
                                    "00:02:00,000 --> 00:02:03,000 5", "--> alone",
                                    "00:03:00,000-->00:03:02,000", "d"});
    const std::string forms = Crlf({"00:00:07.000 --> 00:00:09.000", "a", "00:01:00.5 --> 00:01:02.25",
                                    "b", "0:2:0,7 --> 0:2:3,75", "c", "00:03:00,1234 --> 00:03:01,99999"});
    const std::string ends = "00:00:07,000 --> 00:00:09,000\none\r\r\n\n00:01:00,000 --> 00:01:02,000\nend";
    const std::string nearDay = Crlf({"1", "00:00:09,000 --> 00:00:10,000", "a", "", "2",
                                      "23:59:40,000 --> 23:59:58,000", "b", ""});
    const std::string bom = "\xEF\xBB\xBF" + plain;
    // "Привет, мир" in KOI8-R: read and written through UTF-8.
    const std::string koi8 = Crlf({"00:00:07,000 --> 00:00:09,000", "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2",
                                   "00:01:00,000 --> 00:01:02,000", "\xF0\xD2\xC9\xD7\xC5\xD4"});
    struct Case {
        const char* what;
        std::string content;
        RangeMode mode;
        std::int64_t newEnd;
        std::optional<std::int64_t> begin;  // --begin instead of the first on-time
        bool pad;
    };
    constexpr auto kEnd = RangeMode::End;
    constexpr auto kShift = RangeMode::ShiftToBegin;
    // clang-format off
    const Case cases[] = {
        {"plain", plain, kEnd, 7'200'000, std::nullopt, true},
        {"plain, shorter", plain, kEnd, 30'500, std::nullopt, true},
        {"bend", plain, RangeMode::Deflection, 7'200'000, std::nullopt, true},
        {"below zero", early, kEnd, 7'200'000, std::nullopt, true},
        {"an off-time below zero", offEarly, RangeMode::FullTimes, 7'200'000, std::nullopt, true},
        {"tails", tails, kEnd, 7'200'000, std::nullopt, true},
        {"timing forms", forms, kEnd, 7'200'000, std::nullopt, true},
        {"timing forms unpadded", forms, kEnd, 7'200'000, std::nullopt, false},
        {"line ends", ends, kEnd, 7'200'000, std::nullopt, true},
        {"back after Begin", plain, kShift, 7'200'000, 5000, true},
        {"back after Begin past a day", nearDay, kShift, 86'399'000, 5000, true},
        {"byte-order mark", bom, kEnd, 7'200'000, std::nullopt, true},
        {"KOI8-R", koi8, kEnd, 7'200'000, std::nullopt, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string input = (dir / "film.srt").string();
        const std::string output = (dir / "film.out").string();
        WriteFile(input, c.content);
        RecordingHost host;
        Range range;
        ASSERT_EQ(GetTimeRange(input, {.timeCorrection = c.pad}, host, range), RunResult::Done);
        if (c.begin) range.begin = *c.begin;
        StretchParams params = RangeStretch(range.begin, range.end, c.newEnd, c.mode, range.full);
        params.timeCorrection = c.pad;
        const std::size_t before = host.summaries.size();
        StretchOutcome outcome;
        std::optional<RunResult> result;
        try {
            result = StretchTimes(input, output, params, host, outcome);
        } catch (const ConversionError&) {
        }
        ASSERT_TRUE(outcome.ran);
        ASSERT_TRUE(outcome.offset && outcome.minus);

        // Offset Time over a copy of film.out, in a folder of its own.
        test::TempDir other;
        WriteFile(other / "film.out", ReadFile(dir / "film.out"));
        RecordingHost shiftHost;
        std::optional<RunResult> shifted;
        try {
            shifted = OffsetTime((other / "film.out").string(), (other / "film.out2").string(),
                                 {.offset = static_cast<TimeMs>(*outcome.offset),
                                  .minus = *outcome.minus,
                                  .timeCorrection = c.pad},
                                 shiftHost);
        } catch (const ConversionError&) {
        }
        EXPECT_EQ(result.has_value(), shifted.has_value());
        if (result && shifted) {
            EXPECT_EQ(*result, *shifted == RunResult::Done ? RunResult::Done : RunResult::Refused);
        }
        const bool made = std::filesystem::exists(other / "film.out2");
        EXPECT_EQ(std::filesystem::exists(dir / "film.out2"), made);
        if (made) {
            EXPECT_EQ(ReadFile(dir / "film.out2"), ReadFile(other / "film.out2"));
        }
        std::set<std::string> names{"film.srt", "film.out"};
        if (made) names.insert("film.out2");
        if (c.mode == kShift) names.insert("film.srt0");
        std::set<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            left.insert(entry.path().filename().string());
        EXPECT_EQ(left, names);
        // The zero file's shift adds two summaries, the stretch's pass one; the rest is Offset
        // Time's, and so is the end of the status history.
        const std::size_t own = before + (c.mode == kShift ? 3 : 1);
        ASSERT_GE(host.summaries.size(), own);
        EXPECT_EQ(Messages(host.summaries.begin() + static_cast<std::ptrdiff_t>(own),
                           host.summaries.end()),
                  shiftHost.summaries);
        const auto& history = host.statusHistory;
        ASSERT_GE(history.size(), shiftHost.statusHistory.size());
        EXPECT_TRUE(std::equal(shiftHost.statusHistory.begin(), shiftHost.statusHistory.end(),
                               history.end() - static_cast<std::ptrdiff_t>(shiftHost.statusHistory.size())));
        EXPECT_EQ(host.messages, shiftHost.messages);
        EXPECT_EQ(host.Status(StatusField::OffsetTime), shiftHost.Status(StatusField::OffsetTime));
        EXPECT_EQ(host.statusReason, shiftHost.statusReason);
        EXPECT_FALSE(host.busy);
    }
}

// What a range stretch of a file leaves: its files, or the error that ended it, and the host's texts.
struct StretchRun {
    std::string error;
    std::optional<RunResult> result;
    std::string out;
    std::optional<std::string> out2;
    Messages messages;
    Messages summaries;
    long events = 0;
};

StretchRun StretchText(const std::string& content, RangeMode mode, std::int64_t begin,
                       bool keepFirst) {
    test::TempDir dir;
    const std::string input = (dir / "film.srt").string();
    WriteFile(input, content);
    RecordingHost host;
    StretchRun r;
    Range range;
    try {
        r.result = GetTimeRange(input, {}, host, range);
        StretchParams params = RangeStretch(begin, range.end, 7'200'000, mode, range.full);
        params.keepFirst = keepFirst;
        StretchOutcome outcome;
        r.result = StretchTimes(input, (dir / "film.out").string(), params, host, outcome);
    } catch (const ConversionError& e) {
        r.error = std::to_string(e.line()) + ": " + e.what();
    }
    if (std::filesystem::exists(dir / "film.out")) r.out = ReadFile(dir / "film.out");
    if (std::filesystem::exists(dir / "film.out2")) r.out2 = ReadFile(dir / "film.out2");
    r.messages = host.messages;
    r.summaries = host.summaries;
    r.events = host.eventCalls;
    return r;
}

TEST(StretchTimes, LinesEndingInCrLfStretchAsLinesEndingInLf) {
    // Lines ending in LF alone are read and written one by one; in CR LF they are taken a block
    // of the reader (1 MiB) at a time. Both ways write the same files and say the same.
    std::string film;
    for (int i = 0; film.size() < 1'200'000; ++i) {
        char record[96];
        std::snprintf(record, sizeof record, "%d\n00:%02d:%02d,100 --> 00:%02d:%02d,900\nText > -- <i>\n\n",
                      i + 1, i / 60 % 60, i % 60, i / 60 % 60, i % 60);
        film += record;
    }
    // `line` inserted where it starts `before` bytes before the end of the first block once the
    // lines end in CR LF.
    const auto across = [&film](std::size_t before, const std::string& line) {
        const std::size_t at = (1u << 20) - before;
        std::size_t cut = 0;     // the start of a line in `film`
        std::size_t crlfCut = 0;  // and where it stands in CR LF
        for (std::size_t i = 0; crlfCut + 2 * (i - cut) + 64 < at; ++i) {
            if (film[i] != '\n') continue;
            crlfCut += i + 1 - cut + 1;
            cut = i + 1;
        }
        return film.substr(0, cut) + std::string(at - crlfCut - 2, 'x') + "\n" + line + "\n" +
               film.substr(cut);
    };
    struct Case {
        std::string what;
        std::string text;  // lines ending in LF
        RangeMode mode = RangeMode::End;
        std::int64_t begin = 0;
        bool keepFirst = false;
    };
    std::vector<Case> cases = {
        {"a film", film},
        {"a film, first kept", film, RangeMode::End, 0, true},
        {"a film from Begin", film, RangeMode::ShiftToBegin, 5000},
        {"a film in range mode 3", film, RangeMode::Deflection},
        {"forms and tails", "1\n00:00:01,5 --> 00:00:02,25\na --> b\n\n2\n00:00:03.000 --> 00:00:04.000 X1:1\n"
                            "-->\n\n3\n00:00:05,000 --> 00:00:06,000 <b>\nend\n"},
        {"a last line without an end", "1\n00:00:01,000 --> 00:00:02,000\na\n\n00:00:03,000 --> 00:00:04,000"},
        {"a time past a day", "00:00:01,000 --> 00:00:02,000\n23:00:00,000 --> 23:30:00,000\n"
                              "x\n01:00:00,000 --> 01:00:01,000\n"},
        {"a film, a time past a day at its end", film + "23:00:00,000 --> 23:30:00,000\n"},
        {"a film, a bad timing at its end", film + "00:61:00,000 --> 00:62:00,000\n"},
        {"a film, a dot timing at its end", film + "01:00:00.000 --> 01:00:01.000\n"},
    };
    for (const std::size_t before : {0, 1, 15, 29, 30, 31}) {
        const std::string at = " " + std::to_string(before) + " bytes before the block's end";
        cases.push_back({"a usual timing" + at, across(before, "00:30:01,000 --> 00:30:02,500")});
        cases.push_back({"a dot timing" + at, across(before, "00:30:01.000 --> 00:30:02.500")});
        cases.push_back({"a bad timing" + at, across(before, "00:61:01,000 --> 00:30:02,500")});
        cases.push_back({"a time past a day" + at, across(before, "23:59:00,000 --> 23:59:30,000")});
    }
    // A line ending in LF alone among lines ending in CR LF (written '\x01'): the block it is in,
    // and the rest, are read line by line.
    cases.push_back({"an LF alone early", "1\n00:00:01,000 --> 00:00:02,000\na\x01\n" + film});
    cases.push_back({"an LF alone in a block", across(100'000, "a\x01b")});
    cases.push_back({"an LF alone at the end", film + "a\x01"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string crlf;
        std::string lfText = c.text;
        std::replace(lfText.begin(), lfText.end(), '\x01', '\n');
        for (const char ch : c.text) {
            if (ch == '\n') crlf += '\r';
            crlf += ch == '\x01' ? '\n' : ch;
        }
        const StretchRun lf = StretchText(lfText, c.mode, c.begin, c.keepFirst);
        const StretchRun blocks = StretchText(crlf, c.mode, c.begin, c.keepFirst);
        EXPECT_EQ(blocks.error, lf.error);
        EXPECT_EQ(blocks.result, lf.result);
        EXPECT_TRUE(blocks.out == lf.out);
        EXPECT_TRUE(blocks.out2 == lf.out2);
        EXPECT_EQ(blocks.messages, lf.messages);
        EXPECT_EQ(blocks.summaries, lf.summaries);
        EXPECT_EQ(blocks.events, lf.events);
    }
}

TEST(StretchFrames, RangeModesRatesAndTheSecondFile) {
    // range.sub: a header, {101}{150}Hello|World, {150}{200}{y:i}Italic.
    // clang-format off
    const StretchCase cases[] = {
        // k = 1.5; 151.5 rounds to 152. film.out2 is made from film.out, whose extension is
        // "out": the stretch says that it is a MicroDVD file.
        {"mode 0", "range.sub", RangeStretch(0, 200, 300, RangeMode::End), kDone,
         {{"film.out", "frames_k15.expected"}, {"film.out2", "frames_k15.expected2"}}, {}, 249, 51, true},
        // Begin 100, counted with both ends: k = (201 + 201 / 101 - 1) / 101.
        {"mode 1", "mode1.sub", RangeStretch(100, 200, 300, RangeMode::ShiftToBegin), kDone,
         {{"film.sub0", "mode1_sub.expected0"}, {"film.out", "mode1_sub.expected"}, {"film.out2", "mode1_sub.expected2"}}, {}, 300, 100, false},
        {"mode 3 with End zero does nothing", "range.sub", RangeStretch(0, 0, 300, RangeMode::Deflection, 300), kSkipped, {}},
        {"New End equal to End", "range.sub", RangeStretch(0, 200, 200, RangeMode::End), kSkipped, {}},
        {"no full frames", "range.sub", RangeStretch(0, 200, 300, RangeMode::End, 0), kSkipped, {}},
        {"25 to 29,970", "range.sub", Rates("25", "29,970"), kDone, {{"film.out", "fps_25_to_29970_sub.expected"}}, {}, 167},
        {"29,970 to 25", "range.sub", Rates("29,970", "25"), kDone, {{"film.out", "fps_29970_to_25_sub.expected"}}, {}, 240},
    };
    // clang-format on
    for (const StretchCase& c : cases)
        Check(c, true);
}

TEST(GetRange, ReadsTheFirstAndTheLastTiming) {
    const std::string srt = Crlf({"1", "00:00:01,5 --> 00:00:03,000", "a 1 --> 2", "", "2",
                                  "00:01:00:000 --> 00:01:02:250", "b", ""});
    const std::string one = Crlf({"1", "00:00:05,000 --> 00:00:07,500", "a", ""});
    const std::string sub = Crlf({"x", "{10}{20}a", "{30}{45}b", "{50}{40}c"});
    struct Case {
        const char* what;
        std::string content;
        bool frames;
        RangeParams params;
        Range range;
    };
    // clang-format off
    const Case cases[] = {
        {"times", srt, false, {}, {1500, 62'250, 60'750}},
        {"to the last start", srt, false, {.lastOnTime = true}, {1500, 60'000, 60'750}},
        {"one subtitle", one, false, {}, {5000, 7500, 2500}},
        {"no timing", Crlf({"text"}), false, {}, {0, 0, 0}},
        {"frames", sub, true, {}, {10, 40, 30}},
        {"frames to the last start", sub, true, {.lastOnTime = true}, {10, 50, 30}},
        {"frames ending before they begin", Crlf({"{50}{60}a", "{1}{2}b"}), true, {}, {50, 2, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string path = (dir / "film.txt").string();
        WriteFile(path, c.content);
        RecordingHost host;
        Range range{-1, -1, -1};
        const RunResult result = c.frames ? GetFrameRange(path, c.params, host, range)
                                          : GetTimeRange(path, c.params, host, range);
        EXPECT_EQ(result, RunResult::Done);
        EXPECT_EQ(range.begin, c.range.begin);
        EXPECT_EQ(range.end, c.range.end);
        EXPECT_EQ(range.full, c.range.full);
    }
}

TEST(CoefficientText, ShowsTheRatioOfTheRates) {
    EXPECT_EQ(CoefficientText("25", "29,970"), "0,834167500834168");
    EXPECT_EQ(CoefficientText("29,970", "25"), "1,1988");
    EXPECT_EQ(CoefficientText("25", "25"), "1");
    EXPECT_EQ(CoefficientText("25", "0"), "Division by Zero!");
    EXPECT_EQ(CoefficientText("25", "x"), "");
}

}  // namespace
}  // namespace tessaline
