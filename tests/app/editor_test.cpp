// The subtitle line editor without a window: its index of irregular files, navigation,
// ReWrite and Del (the rest of the file byte for byte), the joined next timing, the refusals
// that leave the file as it was, the measurement, the keyboard aids, the case changes and the
// re-cutting and breaking of the edited text.

#include "app/editor.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "app/session.hpp"
#include "core/text_form.hpp"
#include "files/recording_host.hpp"
#include "ops/length_test.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::W;
using test::WriteFile;
using Lines = std::vector<std::string>;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string T2 = "00:00:03,000 --> 00:00:04,000";
const std::string T3 = "00:00:05,000 --> 00:00:06,000";
const std::string T4 = "00:00:07,000 --> 00:00:08,000";

// A stray header, a blank line between number and timing, a run of blank lines, a year inside a
// text, a text set apart from its timing by a blank line, the padding line of "To Bottom", two
// subtitles with one timing, and no line end after the last line.
const std::string kIrregular = Crlf({"Header line",
                                     "",
                                     "1",
                                     "",
                                     T1,
                                     "One",
                                     "",
                                     "",
                                     "2",
                                     T2,
                                     "Year",
                                     "2010",
                                     "",
                                     "3",
                                     T3,
                                     "",
                                     "Separated text",
                                     "",
                                     "4",
                                     T4,
                                     " ",
                                     "Padded",
                                     "",
                                     "5",
                                     T4}) +
                               "Twin";

const std::string kThree =
    Crlf({"1", T1, W("Первая"), "", "2", T2, "Second", "two", "", "3", T3, "Third", ""});

class EditorTest : public ::testing::Test {
  protected:
    EditorTest() {
        session.withEditor = true;
        session.Start();
    }
    std::string Path(std::string_view name = "film.srt") const { return (dir / name).string(); }
    void Open(std::string_view bytes, std::string_view name = "film.srt") {
        WriteFile(dir / name, bytes);
        ASSERT_EQ(session.OpenSubtitleFile(Path(name)), Outcome::Ok);
        host.messages.clear();
    }
    std::string File(std::string_view name = "film.srt") const { return ReadFile(dir / name); }
    // What the editor shows: position, number, timing and lines.
    std::string Shown() const {
        return std::to_string(editor.Position()) + " " + editor.subNumber + " " + editor.timeRange +
               " [" + JoinStrings(editor.lines(), "|") + "]";
    }

    test::TempDir dir;
    RecordingHost host;
    Session session{host, dir.path().string()};
    SubtitleEditor& editor = session.editor;
};

// --- The index and navigation -------------------------------------------------------------------

TEST_F(EditorTest, EveryRecordOfAnIrregularSubRipFileIsASubtitle) {
    Open(kIrregular);
    ASSERT_EQ(editor.Count(), 5u);
    const Lines shown = {"1 1 " + T1 + " [One]", "2 2 " + T2 + " [Year|2010]",
                         "3 3 " + T3 + " [Separated text]", "4 4 " + T4 + " [ |Padded]",
                         "5 5 " + T4 + " [Twin]"};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        editor.Show(i);
        EXPECT_EQ(Shown(), shown[i]);
    }
    EXPECT_EQ(FindByNumber(editor.index(), 2), (std::vector<std::size_t>{1}));
    EXPECT_EQ(FindByNumber(editor.index(), 2010), std::vector<std::size_t>{});
    EXPECT_EQ(FindByKey(editor.index(), T4, host), (std::vector<std::size_t>{3, 4}));
}

TEST_F(EditorTest, AMicroDvdFileIndexesItsFrameLinesOnly) {
    Open(Crlf({"Header", "", "{10}{20}" + W("Один|Два"), "{30}{40}Three", " ", "{50}{60}"}),
         "film.sub");
    ASSERT_EQ(editor.Count(), 3u);
    EXPECT_EQ(Shown(), "1 {10}{20} {10}{20} [" + W("Один|Два") + "]");
    editor.Last();
    EXPECT_EQ(Shown(), "3 {50}{60} {50}{60} []");
    editor.subNumber = "{30}";  // a line that begins with it
    EXPECT_TRUE(editor.GoTo());
    EXPECT_EQ(editor.Position(), 2u);
}

// A subtitle of more lines than the editor loads (a line of bars, a record with no end) shows
// no text and says why; ReWrite leaves it as it is, navigation moves past it, Del still works.
TEST_F(EditorTest, ASubtitleTooLongToLoadIsShownWithoutItsTextAndNeverRewritten) {
    const std::string fits = "{1}{2}" + std::string(kMaxEditedLines - 1, '|');  // 1000 lines
    const std::string over = "{3}{4}" + std::string(kMaxEditedLines, '|');
    const std::string frames = Crlf({over, fits, "{5}{6}End"});
    Open(frames, "film.sub");
    EXPECT_TRUE(editor.tooLong());
    EXPECT_TRUE(editor.lines().empty());
    editor.SetText("Typed over it");
    EXPECT_FALSE(editor.ReWrite());
    EXPECT_EQ(host.messages, Lines{std::string(kSubtitleTooLong)});
    EXPECT_EQ(File("film.sub"), frames);
    editor.Next();
    EXPECT_FALSE(editor.tooLong());
    EXPECT_EQ(editor.lines().size(), kMaxEditedLines);

    std::string record = Crlf({"1", T1});
    for (std::size_t i = 0; i <= kMaxEditedLines; ++i)
        record += "x\r\n";
    Open(record + Crlf({"", "2", T2, "Two", ""}));
    EXPECT_TRUE(editor.tooLong());
    editor.Next();
    EXPECT_EQ(Shown(), "2 2 " + T2 + " [Two]");
    editor.Prev();
    EXPECT_TRUE(editor.Delete());
    EXPECT_EQ(File(), Crlf({"2", T2, "Two", ""}));

    // One line of more text than the editor loads, and one just within it.
    Open(Crlf({"1", T1, std::string(kMaxEditedBytes + 1, 'x'), "", "2", T2,
               std::string(kMaxEditedBytes, 'y'), ""}));
    EXPECT_TRUE(editor.tooLong());
    editor.Next();
    EXPECT_FALSE(editor.tooLong());
}

// Next and Prev stop at the ends; two subtitles with one timing are both reached.
TEST_F(EditorTest, NavigationReachesEverySubtitleAndStopsAtTheEnds) {
    Open(kIrregular);
    std::vector<std::size_t> positions;
    for (int i = 0; i < 6; ++i) {
        positions.push_back(editor.Position());
        editor.Next();
    }
    EXPECT_EQ(positions, (std::vector<std::size_t>{1, 2, 3, 4, 5, 5}));
    editor.First();
    editor.Prev();
    EXPECT_EQ(editor.Position(), 1u);

    // "mode2" goes by the number typed; a number not to be used counts as 1.
    editor.goMode = 1;
    editor.subNumber = "3";
    editor.Next();
    EXPECT_EQ(editor.Position(), 4u);
    editor.subNumber = "-";
    editor.Next();
    EXPECT_EQ(editor.Position(), 2u);
    editor.subNumber = "9";
    editor.Prev();
    EXPECT_EQ(editor.Position(), 2u);

    editor.subNumber = T4;  // a timing line names the last subtitle of that timing
    EXPECT_TRUE(editor.GoTo());
    EXPECT_EQ(editor.Position(), 5u);
    editor.subNumber = "77";
    EXPECT_FALSE(editor.GoTo());
    EXPECT_EQ(editor.Position(), 5u);
}

TEST_F(EditorTest, NeighboursShowTheirTimingsGapsAndJoins) {
    // 2 starts 1 ms after 1 ends (joined, one tick apart), 3 starts 100 ms after 2 (close), 4
    // overlaps 3.
    Open(Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2", "00:00:02,001 --> 00:00:03,000",
               "b", "", "3", "00:00:03,100 --> 00:00:04,000", "c", "", "4",
               "00:00:03,900 --> 00:00:05,000", "d", ""}));
    editor.Show(1);
    EXPECT_EQ(editor.previous().timing, "00:00:01,000 --> 00:00:02,000");
    EXPECT_EQ(editor.duration(), "00:00:00,999");
    EXPECT_TRUE(editor.previousJoins());
    EXPECT_FALSE(editor.nextJoins());
    EXPECT_EQ(editor.previous().colour, GapColour::Close);
    EXPECT_EQ(editor.next().colour, GapColour::Close);
    editor.Show(3);
    EXPECT_EQ(editor.previous().colour, GapColour::Overlap);
    EXPECT_EQ(editor.next().timing, "0");
    editor.Show(0);
    EXPECT_EQ(editor.previous().timing, "0");
    EXPECT_EQ(editor.next().colour, GapColour::Close);
}

// A gap counts as close up to DeltaTimeBetweenTime (200 ms) itself, normal only beyond it.
TEST_F(EditorTest, TheGapColourTurnsNormalOnlyBeyondDeltaTimeBetweenTime) {
    const struct {
        const char* secondOn;  // the first subtitle ends at 00:00:02,000
        GapColour colour;
    } cases[] = {
        {"00:00:01,999", GapColour::Overlap}, {"00:00:02,000", GapColour::Close},
        {"00:00:02,199", GapColour::Close},   {"00:00:02,200", GapColour::Close},
        {"00:00:02,201", GapColour::Normal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.secondOn);
        Open(Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                   std::string(c.secondOn) + " --> 00:00:05,000", "b", ""}));
        ASSERT_EQ(session.settings().Int("DeltaTimeBetweenTime"), 200);
        editor.Show(0);
        EXPECT_EQ(editor.next().colour, c.colour);
        editor.Show(1);
        EXPECT_EQ(editor.previous().colour, c.colour);
    }
}

// --- ReWrite and Del -----------------------------------------------------------------------------

TEST_F(EditorTest, ReWriteChangesOneSubtitleAndLeavesTheRestByteForByte) {
    const struct {
        std::size_t position;
        std::string text;
        std::string expected;
    } cases[] = {
        {0, W(" Новая ") + "\nfirst\n\nthree ",
         Crlf({"1", T1, W("Новая"), "first", "three", "", "2", T2, "Second", "two", "", "3", T3,
               "Third", ""})},
        {1, "Only", Crlf({"1", T1, W("Первая"), "", "2", T2, "Only", "", "3", T3, "Third", ""})},
        {2, "Third\nand more",
         Crlf({"1", T1, W("Первая"), "", "2", T2, "Second", "two", "", "3", T3, "Third", "and more",
               ""})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        Open(kThree);
        editor.Show(c.position);
        editor.SetText(c.text);
        EXPECT_TRUE(editor.modified());
        EXPECT_TRUE(editor.ReWrite());
        EXPECT_EQ(File(), c.expected);
        EXPECT_FALSE(fs::exists(dir / "film.out"));
        EXPECT_FALSE(editor.modified());
        EXPECT_EQ(editor.Position(), c.position + 1);
        EXPECT_TRUE(host.messages.empty());
    }
    // Opened again, the file shows the new text.
    Open(File());
    editor.Last();
    EXPECT_EQ(Shown(), "3 3 " + T3 + " [Third|and more]");
}

TEST_F(EditorTest, ReWriteAndDelKeepEveryLineOutsideTheSubtitle) {
    Open(kIrregular);
    editor.Show(2);
    editor.SetText("New");
    editor.SetTimeRange("00:00:05,000 --> 00:00:06,500");
    ASSERT_TRUE(editor.ReWrite());
    // The text shown apart from its timing is replaced; the run of blank lines becomes one.
    EXPECT_EQ(
        File(),
        Crlf({"Header line", "", "1",    "",     T1,  "One",    "",
              "2",           T2, "Year", "2010", "",  "3",      "00:00:05,000 --> 00:00:06,500",
              "New",         "", "4",    T4,     " ", "Padded", "",
              "5",           T4, "Twin"}));
    EXPECT_EQ(Shown(), "3 3 00:00:05,000 --> 00:00:06,500 [New]");

    Open(kIrregular);
    editor.Show(2);
    ASSERT_TRUE(editor.Delete());
    EXPECT_EQ(File(),
              Crlf({"Header line",    "", "1", "", T1,  "One",    "", "2", T2, "Year", "2010", "",
                    "Separated text", "", "4", T4, " ", "Padded", "", "5", T4, "Twin"}));
    EXPECT_EQ(Shown(), "3 4 " + T4 + " [ |Padded]");  // the one that followed
    EXPECT_EQ(editor.Count(), 4u);

    // Of two subtitles with one timing, only the one shown goes.
    editor.Last();
    ASSERT_TRUE(editor.Delete());
    EXPECT_EQ(File(), Crlf({"Header line", "", "1", "", T1, "One", "", "2", T2, "Year", "2010", "",
                            "Separated text", "", "4", T4, " ", "Padded", ""}));
}

TEST_F(EditorTest, AJoinedNextSubtitleStartsAtTheNewEnd) {
    Open(Crlf({"1", T1, "a", "", "2", "00:00:02,001 --> 00:00:04,000 X1:10", "b", ""}));
    ASSERT_TRUE(editor.nextJoins());
    editor.SetTimeRange("00:00:01,000 --> 00:00:02,500");
    ASSERT_TRUE(editor.ReWrite());
    EXPECT_EQ(File(), Crlf({"1", "00:00:01,000 --> 00:00:02,500", "a", "", "2",
                            "00:00:02,501 --> 00:00:04,000 X1:10", "b", ""}));

    Open(Crlf({"{10}{20}a", "{20}{30}b"}), "film.sub");
    session.settings().SetBool("OneTickDifferenceNearTimeFrame", false);
    editor.Show(0);
    ASSERT_TRUE(editor.nextJoins());
    editor.SetTimeRange("{10}{25}");
    ASSERT_TRUE(editor.ReWrite());
    EXPECT_EQ(File("film.sub"), Crlf({"{10}{25}a", "{25}{30}b"}));
}

// Nothing is written, and the file stays byte for byte, when there is nothing to write, when an
// old output stands in the way, when the timing is no timing, or when the copy cannot be written.
TEST_F(EditorTest, AReWriteThatCannotBeDoneLeavesTheFileAsItWas) {
    Open(kThree);
    editor.SetText("\n  \n");
    EXPECT_FALSE(editor.ReWrite());

    WriteFile(dir / "film.out", "old");
    editor.SetText("x");
    EXPECT_FALSE(editor.ReWrite());
    EXPECT_EQ(host.messages, Lines{"Output File Exist!!!"});
    editor.goMode = 1;  // "mode2" refuses without a box
    host.messages.clear();
    EXPECT_FALSE(editor.ReWrite());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadFile(dir / "film.out"), "old");
    fs::remove(dir / "film.out");

    editor.SetTimeRange("00:00:01 -> 2");
    EXPECT_FALSE(editor.ReWrite());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].starts_with("Not a timing line")) << host.messages[0];
    EXPECT_EQ(File(), kThree);

    // A full disk: the copy fails halfway; the message says why.
    editor.SetTimeRange(T1);
    editor.SetText(std::string(4000, 'x'));
    host.messages.clear();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1000, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = editor.ReWrite();
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(written);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("cannot write"), std::string::npos) << host.messages[0];
    EXPECT_EQ(File(), kThree);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "film.srt");
}

TEST_F(EditorTest, AFileChangedByAnotherProgramIsReadAgainNotOverwritten) {
    Open(kThree);
    editor.Show(1);
    editor.SetText("mine");
    const std::string changed = Crlf({"1", T1, "inserted", ""}) + kThree;
    WriteFile(dir / "film.srt", changed);
    EXPECT_FALSE(editor.ReWrite());
    EXPECT_EQ(host.messages, Lines{std::string(kFileChangedMeanwhile)});
    EXPECT_EQ(File(), changed);
    EXPECT_FALSE(fs::exists(dir / "film.out"));
    EXPECT_EQ(editor.Count(), 4u);
}

TEST_F(EditorTest, AutoSaveWritesAModifiedSubtitleBeforeMoving) {
    Open(kThree);
    editor.SetText("changed");
    editor.Next();
    EXPECT_EQ(editor.Position(), 2u);
    EXPECT_NE(File().find("changed"), std::string::npos);

    session.settings().SetBool("AutoSave", false);
    editor.SetText("dropped");
    editor.Next();
    EXPECT_EQ(editor.Position(), 3u);
    EXPECT_EQ(File().find("dropped"), std::string::npos);
}

// --- Editing the text ---------------------------------------------------------------------------

// The lengths and widths beside the lines are those the length test reports.
TEST_F(EditorTest, TheLiveMeasureAgreesWithTheLengthTest) {
    const Lines lines = {"<i>abc</i>", W("Жжж шшш щщщ мммм"), "<B>bold</B> [br] and {y:i}x"};
    Open(kThree);
    editor.SetText(JoinStrings(lines, "\n"));
    const LineMeasure& measure = editor.measure();
    ASSERT_EQ(measure.lengths, (std::vector<int>{3, 16, 20}));
    ASSERT_EQ(measure.widths.size(), 3u) << measure.widthsUnavailable;
    EXPECT_EQ(measure.total, 39);

    // The length test reports every line that is longer or wider than its limit: with limits
    // one below the editor's figures it names all three, with the figures themselves none.
    LengthTestParams params{.lineLength = 2,
                            .lineCount = 9,
                            .onlyErrors = true,
                            .checkFirstLastNumber = false,
                            .checkEndLetters = false,
                            .checkPixelWidth = true,
                            .pixelWidthMax = 1000};
    std::string film = Crlf({"1", T1});
    for (const std::string& line : lines)
        film += line + "\r\n";
    WriteFile(dir / "measure.srt", film);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        params.lineLength = measure.lengths[i] - 1;
        params.pixelWidthMax = measure.widths[i] - 1;
        ASSERT_EQ(LengthTest(Path("measure.srt"), params, host), RunResult::Done);
        const std::string report = ReadFile(dir / "measure.len");
        const std::string k = std::to_string(i + 1);
        EXPECT_NE(report.find(k + " line: " + std::to_string(measure.lengths[i]) + " symbols"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find(k + " line: " + std::to_string(measure.widths[i]) + " pixels"),
                  std::string::npos)
            << report;
    }

    session.settings().SetInt("SubLineLength", 17);
    session.settings().SetInt("PixelTextWidthMax", 500);
    editor.Remeasure();
    EXPECT_TRUE(editor.measure().lineTooLong);  // 20 > 17
    EXPECT_FALSE(editor.measure().lineTooWide);
    EXPECT_FALSE(editor.measure().breakBig);      // 39 is not over 119
    EXPECT_FALSE(editor.measure().totalTooLong);  // nor over 3 x 17 - 5
    editor.SetText(std::string(120, 'x'));
    EXPECT_TRUE(editor.measure().breakBig);
    EXPECT_TRUE(editor.measure().totalTooLong);
}

TEST(KeyAids, MoveWordsBetweenLines) {
    const struct {
        KeyAid aid;
        Lines before;
        Lines after;
    } cases[] = {
        {KeyAid::JoinAll, {"a b", "c", "d e"}, {"a b c d e"}},
        {KeyAid::WordsUp, {"a", "b c", "d e"}, {"a b", "c d", "e"}},
        {KeyAid::FirstWordUp, {"a", "b c", "d"}, {"a b", "c", "d"}},
        {KeyAid::FirstWordUp, {"a"}, {"a"}},
        {KeyAid::WordsDown, {"a b c", "d"}, {"a b", "c d"}},
        {KeyAid::WordsDown, {"a b", "c", "d"}, {"a", "b", "c d"}},
        {KeyAid::LastWordDown, {"a b", "c", "d"}, {"a", "b c", "d"}},
        // A line without a space is one word: moving it leaves the line empty.
        {KeyAid::LastWordDown, {"ab", "c"}, {"", "ab c"}},
        {KeyAid::DropEmptyLines, {"", "a", "", "b"}, {"a", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplyKeyAid(c.before, c.aid), c.after) << JoinStrings(c.before, "|");
}

TEST_F(EditorTest, CaseChangesWorkOnTheSelectionOrTheWholeText) {
    Open(kThree);
    const struct {
        std::string text;
        CaseChange change;
        std::size_t from, to;
        bool upBrackets;
        std::string after;
    } cases[] = {
        {W("Привет\nthe END"), CaseChange::Switch, 0, 0, false, W("пРИВЕТ\nTHE end")},
        {"abc def", CaseChange::SwitchSelection, 4, 7, false, "abc DEF"},
        {"abc def", CaseChange::SwitchSelection, 2, 2, false, "abc def"},
        {"hello. how ARE you?", CaseChange::Normalize, 0, 0, false, "Hello. How are you?"},
        {"the end", CaseChange::Words, 0, 0, false, "The End"},
        {"<i>hello WORLD", CaseChange::FirstLetter, 0, 0, false, "<i>Hello world"},
        {W("ЁЛКА (Ёж)"), CaseChange::Lower, 0, 0, false, W("ёлка (Ёж)")},
        {W("ЁЛКА (Ёж)"), CaseChange::Lower, 0, 0, true, W("ёлка (ЁЖ)")},
        {"KEEP lower", CaseChange::Lower, 5, 10, false, "KEEP lower"},
        {"KEEP LOWER", CaseChange::Lower, 5, 10, false, "KEEP lower"},
    };
    for (const auto& c : cases) {
        session.settings().SetBool("UpCaseTextInBrackets", c.upBrackets);
        editor.SetText(c.text);
        editor.ChangeCase(c.change, c.from, c.to);
        EXPECT_EQ(editor.Text(), c.after) << c.text;
    }
    // In a UTF-8 file every letter with a case changes, and a selection edge inside a character
    // takes the whole character.
    Open(
        "\xEF\xBB\xBF"
        "1\r\n00:00:01,000 --> 00:00:02,000\r\nÉté\r\n");
    ASSERT_EQ(editor.form(), TextForm::Utf8);
    const struct {
        std::string text;
        CaseChange change;
        std::size_t from, to;
        std::string after;
    } utf8Cases[] = {
        {"Привет\nÉté Ωμέγα", CaseChange::Switch, 0, 0, "пРИВЕТ\néTÉ ωΜΈΓΑ"},
        {"ёж ЁЖ éé", CaseChange::SwitchSelection, 5, 9, "ёж ёж éé"},
        {"ёж ЁЖ éé", CaseChange::SwitchSelection, 8, 11, "ёж Ёж Éé"},  // inside Ж and é
        {"ÉCOLE ñu", CaseChange::Words, 0, 0, "École Ñu"},
        {"ЁЛКА (Ёж)", CaseChange::Lower, 0, 0, "ёлка (Ёж)"},
    };
    for (const auto& c : utf8Cases) {
        editor.SetText(c.text);
        editor.ChangeCase(c.change, c.from, c.to);
        EXPECT_EQ(editor.Text(), c.after) << c.text;
    }
}

TEST_F(EditorTest, BreakStrCutsTheTextAnewInsideItsTags) {
    Open(kThree);
    session.settings().SetInt("SubLineLength", 20);
    editor.SetText("<i>The quick brown fox\njumps over the\nlazy dog</i>");
    editor.BreakString(false);
    EXPECT_EQ(editor.lines(), (Lines{"<i>The quick brown fox", "jumps over the lazy", "dog</i>"}));
    editor.BreakString(true);
    EXPECT_EQ(editor.lines(), (Lines{"<i>The quick brown", "fox jumps over", "the lazy dog</i>"}));
    EXPECT_TRUE(editor.modified());
    // A tag inside the text goes whole with its word, and counts in the length.
    editor.SetText("Some words first <font color=#ff0000 size=9>reddish</font>\nand more");
    editor.BreakString(false);
    EXPECT_EQ(editor.lines(),
              (Lines{"Some words first", "<font color=#ff0000 size=9>reddish</font>", "and more"}));
}

TEST_F(EditorTest, BreakDlgAndBreakBigSplitTheSubtitleInTheFile) {
    Open(Crlf({"1", T1, "Before", "", "2", "00:00:10,000 --> 00:00:14,000",
               "- Where have you been all this time?", "- At the station, the train was late.", "",
               "3", T3, "After", ""}));
    editor.Show(1);
    session.settings().SetInt("BreakDialogCount", 2);
    ASSERT_TRUE(editor.Break(BreakOne::Dialog));
    EXPECT_EQ(File(), Crlf({"1", T1, "Before", "", "2", "00:00:10,000 --> 00:00:12,000",
                            "- Where have you been all this time?", "", "2",
                            "00:00:12,001 --> 00:00:14,000",
                            "- At the station, the train was late.", "", "3", T3, "After", ""}));
    EXPECT_EQ(editor.Count(), 4u);
    EXPECT_EQ(Shown(), "2 2 00:00:10,000 --> 00:00:12,000 [- Where have you been all this time?]");
    // The temporary files in the program folder are gone.
    for (const char* name : {"tempSUB.srt", "tempSUB.out", "tempSUB.DiaBreak"})
        EXPECT_FALSE(fs::exists(dir / name)) << name;

    // A text that the operation does not split stays as it is.
    editor.Show(0);
    EXPECT_FALSE(editor.Break(BreakOne::BigText));
    EXPECT_EQ(host.messages, Lines{"No Breaks of Subtitles!"});

    editor.SetText(
        "The train was late again, and nobody knew why. Nobody knew when it would come, and the "
        "night was long and cold");
    ASSERT_TRUE(editor.Break(BreakOne::BigText));
    EXPECT_EQ(editor.Count(), 5u);
    EXPECT_EQ(Shown(),
              "1 1 00:00:01,000 --> 00:00:01,500 [The train was late again, and nobody "
              "knew why.]");
    editor.Next();
    EXPECT_EQ(Shown(),
              "2 1 00:00:01,501 --> 00:00:02,000 [Nobody knew when it would come, and "
              "the night was long and cold]");
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// --- The partial index of the one-shot commands --------------------------------------------------

// Lines that try the record rules: a number with no timing after it (with and without blank lines
// between), a record ended by a line of one space before a number line, one whose line of one
// space is padding, a gap between number and timing, and no line end at the end.
const std::string kTricky =
    test::Crlf({"1",    T1,  "a",      " ", "7",  "",     "8",  "text", "",       "2", "",   " ",
                T2,     " ", "padded", "",  "11", "",     "12", T2,     "twelve", "",  "0",  T3,
                "zero", "",  "+4",     T3,  "",   "0004", T4,   "x",    "",       "9", "10", "",
                "3",    T3,  " ",      "4", T1,   "",     "",   "2",    T4}) +
    "end";

const std::string kFrames = test::Crlf({"Header", "{1}{2}a", "", "{5}{9}b|c", "{1}{2}d", "{7}{8}"});

// A partial index holds, of every subtitle it keeps, just what the whole index holds; it keeps
// the named ones, their neighbours and the first and last two; it finds what the whole one finds.
TEST(PartialIndex, KeepsWhatTheWholeIndexHoldsOfTheNamedSubtitlesAndTheirNeighbours) {
    const std::string irregular = kIrregular;
    const struct {
        std::string name;
        std::string bytes;
        SubtitleSelection selection;
    } cases[] = {
        {"a.srt", irregular, {.number = 3}},   {"a.srt", irregular, {.number = 2010}},
        {"a.srt", irregular, {.key = T4}},     {"a.srt", irregular, {.position = 2}},
        {"b.srt", kTricky, {.number = 2}},     {"b.srt", kTricky, {.number = 8}},
        {"b.srt", kTricky, {.key = T1}},       {"b.srt", kTricky, {.position = 4}},
        {"c.srt", "", {.number = 1}},          {"d.sub", kFrames, {.key = "{1}{2}"}},
        {"d.sub", kFrames, {.key = "{5}{9}"}}, {"d.sub", kFrames, {.position = 9}},
    };
    test::TempDir dir;
    RecordingHost host;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.selection.number.value_or(-1)) + " " +
                     c.selection.key.value_or("") + " " +
                     std::to_string(c.selection.position.value_or(99)));
        const std::string path = (dir.path() / c.name).string();
        test::WriteFile(path, c.bytes);
        const SubtitleIndex whole = BuildSubtitleIndex(path, '}', host);
        const SubtitleIndex partial = BuildSubtitleIndex(path, '}', host, c.selection);
        ASSERT_EQ(partial.size(), whole.size());
        for (std::size_t k = 0; k < partial.entries.size(); ++k) {
            EXPECT_EQ(partial.entries[k], whole.entries.at(partial.positions[k]));
        }
        const std::vector<std::size_t> named =
            c.selection.number ? FindByNumber(whole, *c.selection.number)
            : c.selection.key  ? FindByKey(whole, *c.selection.key, host)
                               : std::vector<std::size_t>{*c.selection.position};
        if (c.selection.number) {
            EXPECT_EQ(FindByNumber(partial, *c.selection.number), named);
        }
        if (c.selection.key) {
            EXPECT_EQ(FindByKey(partial, *c.selection.key, host), named);
        }
        const std::size_t n = whole.size();
        for (std::size_t position = 0; position < n; ++position) {
            const bool wanted =
                position < 2 || position + 2 >= n ||
                std::any_of(named.begin(), named.end(), [&](std::size_t at) {
                    return at == position || at + 1 == position || at == position + 1;
                });
            EXPECT_EQ(partial.At(position) != nullptr, wanted) << position;
        }
    }
}

// The lines before the first changed subtitle are copied without the record reader; what comes
// after it goes through it. Changing the first subtitle as well (its timing kept) sends every
// line through the record reader: the copy must not differ.
TEST(PartialIndex, TheCopyBeforeTheFirstChangeWritesWhatTheRecordReaderWrites) {
    const std::string bodies[] = {kTricky, test::Crlf({"1", T1, "x", ""}) + kIrregular,
                                  std::string(kTricky.begin(), kTricky.end() - 3) + "\n\n \n"};
    test::TempDir dir;
    RecordingHost host;
    for (std::size_t b = 0; b < std::size(bodies); ++b) {
        const std::string path = (dir.path() / "film.srt").string();
        const std::string output = (dir.path() / "film.out").string();
        test::WriteFile(path, bodies[b]);
        const SubtitleIndex index = BuildSubtitleIndex(path, '}', host);
        const SubtitleChange first{
            .position = 0, .entry = index.entries[0], .with = {{.timing = T1}}, .timingOnly = true};
        for (std::size_t position = 1; position < index.size(); ++position) {
            SCOPED_TRACE(std::to_string(b) + " " + std::to_string(position));
            for (const bool removed : {true, false}) {
                SubtitleChange change{.position = position, .entry = index.entries[position]};
                if (!removed) change.with = {{.number = "5", .timing = T2, .lines = {"new"}}};
                const std::vector<SubtitleChange> alone = {change};
                const std::vector<SubtitleChange> both = {first, change};
                ASSERT_EQ(WriteSubtitleChanges(index, output, both, false, host), RunResult::Done);
                const std::string expected = test::ReadFile(output);
                std::filesystem::remove(output);
                ASSERT_EQ(WriteSubtitleChanges(index, output, alone, false, host), RunResult::Done);
                EXPECT_EQ(test::ReadFile(output), expected);
                std::filesystem::remove(output);
            }
        }
    }
}

}  // namespace
}  // namespace tessaline
