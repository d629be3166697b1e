// The report viewer and the subtitles lists without a window: the report lines of every
// operation lead to their subtitles, and the two sides of the lists keep their rows paired.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/report_viewer.hpp"
#include "app/session.hpp"
#include "app/subtitle_lists.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::W;
using test::WriteFile;
using Lines = std::vector<std::string>;

const std::string T1 = "00:00:01,000 --> 00:00:04,000";
const std::string T2 = "00:00:05,000 --> 00:00:09,000";
const std::string T3 = "00:00:10,000 --> 00:00:14,000";
const std::string T4 = "00:00:15,000 --> 00:00:19,000";

class ViewerTest : public ::testing::Test {
  protected:
    ViewerTest() {
        session.withEditor = true;
        session.Start();
    }
    void Open(std::string_view bytes, std::string_view name = "film.srt") {
        WriteFile(dir / name, bytes);
        ASSERT_EQ(session.OpenSubtitleFile((dir / name).string()), Outcome::Ok);
        host.messages.clear();
    }

    test::TempDir dir;
    RecordingHost host;
    Session session{host, dir.path().string()};
    SubtitleEditor& editor = session.editor;
    ReportViewer& viewer = session.viewer;
};

TEST(ReportLine, NamesTheSubtitleOfEveryFindingAndNothingElse) {
    const struct {
        std::string line;
        SubtitleFormat format;
        std::string reference;  // empty: no finding
        std::string message;
    } cases[] = {
        {"12 = >>> 1 line: 41 symbols contain <<< Error >>>", SubtitleFormat::SubRip, "12",
         ">>> 1 line: 41 symbols contain <<< Error >>>"},
        {"3 = One Letter in End of Line 1 <<< Warning >>>", SubtitleFormat::SubRip, "3",
         "One Letter in End of Line 1 <<< Warning >>>"},
        {"12-14 = Break Time on 3 tails", SubtitleFormat::SubRip, "12", "Break Time on 3 tails"},
        {"7 = ", SubtitleFormat::SubRip, "7", ""},
        {" = Remove 1 Null-Line(s)!", SubtitleFormat::SubRip, "", ""},  // before any number
        {"3 Subtitles Attached To Bottom", SubtitleFormat::SubRip, "", ""},
        {std::string(52, '-'), SubtitleFormat::SubRip, "", ""},
        {">> 4 Errors", SubtitleFormat::SubRip, "", ""},
        {"", SubtitleFormat::SubRip, "", ""},
        {"{100}{160} = Break Dialog on 2 tails: 19 and 10 symbols", SubtitleFormat::MicroDvd,
         "{100}{160}", "Break Dialog on 2 tails: 19 and 10 symbols"},
        {"{1}{2}{y:i} = tag", SubtitleFormat::MicroDvd, "", ""},
        {"12 = a number", SubtitleFormat::MicroDvd, "", ""},
        {"{1}{2} = a frame", SubtitleFormat::SubRip, "", ""},
        {"1 = any", SubtitleFormat::Other, "", ""},
    };
    for (const auto& c : cases) {
        const auto finding = ParseReportLine(c.line, c.format, '{', '}');
        EXPECT_EQ(finding.has_value(), !c.reference.empty()) << c.line;
        if (!finding) continue;
        EXPECT_EQ(finding->reference, c.reference) << c.line;
        EXPECT_EQ(finding->message, c.message) << c.line;
    }
}

// Each report the operations write beside a SubRip film leads the viewer to the subtitles it
// names; its separator and summary are shown whole with the editor emptied.
TEST_F(ViewerTest, EveryReportKindLeadsToItsSubtitles) {
    const std::string film = Crlf(
        {"1", T1, "- Where were you all night long, my dear friend?", "- At home , as always .", "",
         "2", T2, "It is 1 9 9 7 now and a", "", "3", T3, "Short  and  spaced", "", "4", T4,
         "This one is a very long text that goes on and on,",
         "and then on and on again until the line is far too long to read at all, really", ""});
    const struct {
        const char* button;
        const char* kind;
    } runs[] = {
        {"btnSubLineTest", "*.len"},         {"btnSubtitlesCorrection", "*.corr"},
        {"btnSubDelimitersFix", "*.fix"},    {"btnFixDigitsInText", "*.fixd"},
        {"btnCheckEndLetters", "*.endA"},    {"btnSubToOneLine", "*.full"},
        {"btnBreakSubDialog", "*.DiaBreak"},
    };
    for (const auto& run : runs) {
        Open(film);
        fs::remove(dir / "film.out");
        session.Click(run.button);
        session.controls.Set("cbLogExt", run.kind);
        viewer.Load();
        ASSERT_FALSE(viewer.lines().empty()) << run.kind;
        std::size_t findings = 0;
        for (std::size_t n = 1; n <= viewer.lines().size(); ++n) {
            viewer.Show(n);
            const std::string& line = viewer.lines()[n - 1];
            EXPECT_EQ(viewer.current(), n);
            if (editor.shown()) {
                ++findings;
                EXPECT_TRUE(line.starts_with(editor.subNumber + " = ") ||
                            line.starts_with(editor.subNumber + "-"))
                    << run.kind << ": " << line;
                EXPECT_EQ(line.substr(line.find(" = ") + 3), viewer.message());
            } else {
                // Not a finding: shown whole, the editor empty.
                EXPECT_EQ(viewer.message(), line) << run.kind;
                EXPECT_TRUE(editor.lines().empty()) << run.kind;
                EXPECT_EQ(editor.timeRange, "") << run.kind;
            }
        }
        EXPECT_GT(findings, 0u) << run.kind;
    }
}

TEST_F(ViewerTest, StepsStayInsideTheReportAndAMissingReportShowsNothing) {
    Open(Crlf({"1", T1, "One", "", "2", T2, "Two", ""}));
    WriteFile(dir / "film.len",
              Crlf({"2 = second", "1 = first", std::string(52, '-'), ">> 2 Errors"}));
    session.controls.Set("cbLogExt", "*.len");
    viewer.Load();
    EXPECT_EQ(viewer.current(), 1u);
    EXPECT_EQ(editor.lines(), Lines{"Two"});
    EXPECT_EQ(editor.timeRange, T2);
    EXPECT_EQ(viewer.message(), "second");
    viewer.Prev();
    EXPECT_EQ(viewer.current(), 1u);
    viewer.Next();
    EXPECT_EQ(editor.lines(), Lines{"One"});
    viewer.Next();
    viewer.Next();
    viewer.Next();
    EXPECT_EQ(viewer.current(), 4u);
    EXPECT_EQ(viewer.message(), ">> 2 Errors");
    EXPECT_TRUE(editor.lines().empty());

    // With AutoSave, an edited subtitle is written before the viewer steps on.
    session.settings().SetBool("AutoSave", true);
    viewer.Show(1);
    editor.SetText("Edited");
    viewer.Next();
    EXPECT_NE(ReadFile(dir / "film.srt").find("Edited"), std::string::npos);

    // The time test's report shows the timing rows; a report that is not there shows nothing.
    editor.showTime = false;
    WriteFile(dir / "film.time", Crlf({"1 = overlap"}));
    session.controls.Set("cbLogExt", "*.time");
    viewer.Load();
    EXPECT_TRUE(editor.showTime);
    session.controls.Set("cbLogExt", "*.endA");
    viewer.Load();
    EXPECT_EQ(viewer.current(), 0u);
    EXPECT_TRUE(viewer.lines().empty());
    EXPECT_FALSE(editor.shown());
}

TEST_F(ViewerTest, AMicroDvdReportNamesFramePrefixes) {
    Open(Crlf({"{10}{20}First", "{30}{40}Second|line"}), "film.sub");
    WriteFile(dir / "film.len", Crlf({"{30}{40} = >>> 2 lines <<< Error >>>", "{50}{60} = gone"}));
    session.controls.Set("cbLogExt", "*.len");
    viewer.Load();
    EXPECT_EQ(editor.lines(), (Lines{"Second", "line"}));
    EXPECT_EQ(editor.subNumber, "{30}{40}");
    viewer.Next();  // a finding whose subtitle is no longer in the file
    EXPECT_FALSE(editor.shown());
    EXPECT_EQ(editor.subNumber, "{50}{60}");
    EXPECT_EQ(viewer.message(), "gone");
}

// --- The subtitles lists ------------------------------------------------------------------------

class ListsTest : public ViewerTest {
  protected:
    // A side as text: each row "N|Timing|Text", rows joined with " / ".
    std::string SideOf(const SubtitleLists& lists, ListSide side) const {
        std::string text;
        for (std::size_t i = 0; i < lists.RowCount(side); ++i) {
            const ListRow& row = lists.Cells(side, i);
            if (i > 0) text += " / ";
            text += row.n + "#" + row.timing + "#" + row.text;
        }
        return text;
    }
    void OpenBoth(std::string_view left, std::string_view right) {
        WriteFile(dir / "add.srt", right);
        Open(left);
        session.controls.Set("edOpenFileAdd", (dir / "add.srt").string());
    }
};

const std::string kLeft =
    Crlf({"1", T1, "One", "two", "three", "", "2", T2, "Second", "", "3", T3, "Third", ""});
const std::string kRight =
    Crlf({"1", T1, "Uno", "", "2", T2, "Dos", "", "3", T3, "Tres", "", "4", T4, "Cuatro", ""});

TEST_F(ListsTest, TheSidesFaceEachOtherRowByRowAndKeepTheirRows) {
    OpenBoth(kLeft, kRight);
    SubtitleLists lists(session);
    ASSERT_TRUE(lists.oneTable());
    EXPECT_EQ(lists.RowCount(ListSide::Left), 4u);
    EXPECT_EQ(SideOf(lists, ListSide::Left),
              "1#" + T1 + "#One|two|three / 2#" + T2 + "#Second / 3#" + T3 + "#Third / ##");
    EXPECT_EQ(lists.Caption(ListSide::Right), " add.srt ");
    EXPECT_EQ(lists.Duration(ListSide::Left, 1), "00:00:04,000");

    const std::string right = SideOf(lists, ListSide::Right);
    lists.DeleteRow(ListSide::Left, 0);  // the right side keeps every subtitle at its row
    EXPECT_EQ(SideOf(lists, ListSide::Right), right);
    EXPECT_EQ(SideOf(lists, ListSide::Left), "2#" + T2 + "#Second / 3#" + T3 + "#Third / ## / ##");
    lists.Break(ListSide::Left, 0);
    EXPECT_EQ(SideOf(lists, ListSide::Right), right);
    EXPECT_EQ(SideOf(lists, ListSide::Left),
              "2#00:00:05,000 --> 00:00:07,000#Second|<-=BREAK=-> / 2#00:00:07,001 --> "
              "00:00:09,000#Second|<-=BREAK=-> / 3#" +
                  T3 + "#Third / ##");
    lists.Join(ListSide::Left, 1);
    EXPECT_EQ(SideOf(lists, ListSide::Left),
              "2#" + T2 + "#Second|<-=BREAK=-> / 3#" + T3 + "#Third / ## / ##");
    lists.Join(ListSide::Left, 0);    // nothing above the first row
    lists.Break(ListSide::Right, 3);  // nothing after the last row
    EXPECT_EQ(SideOf(lists, ListSide::Right), right);

    lists.Insert(ListSide::Left, 3);  // fills the first row without a left number
    EXPECT_EQ(lists.Cells(ListSide::Left, 2), (ListRow{"4", T4, "Cuatro|<-=INSERT=->"}));
    lists.MarkTime(ListSide::Right, 0);
    EXPECT_EQ(lists.Cells(ListSide::Right, 0).text, "Uno|<-=TIME=->");
    lists.ReCount(ListSide::Left);
    EXPECT_EQ(lists.Cells(ListSide::Left, 2).n, "3");
    lists.SetCell(ListSide::Left, 0, ListField::Text, W("Правка|две"));
    ASSERT_TRUE(lists.Save(ListSide::Left));
    EXPECT_EQ(ReadFile(dir / "film.srt"),
              Crlf({"1", T2, W("Правка"), W("две"), "", "2", T3, "Third", "", "3", T4, "Cuatro",
                    "<-=INSERT=->", ""}));
    EXPECT_FALSE(fs::exists(dir / "film.out1"));
}

TEST_F(ListsTest, TwoTablesSortAsTextAndPathsAreChecked) {
    session.settings().SetInt("SubsListMode", 1);
    std::string many;
    for (int i = 8; i <= 11; ++i)
        many += Crlf({std::to_string(i), T1, "x" + std::to_string(i), ""});
    OpenBoth(many, kRight);
    SubtitleLists lists(session);
    ASSERT_FALSE(lists.oneTable());
    EXPECT_EQ(lists.RowCount(ListSide::Left), 4u);
    lists.Sort(ListSide::Left, ListField::N);
    EXPECT_EQ(lists.Cells(ListSide::Left, 0).n, "10");
    EXPECT_EQ(lists.Cells(ListSide::Left, 3).n, "9");
    EXPECT_EQ(lists.Cells(ListSide::Right, 0).n, "1");  // the other table stays

    EXPECT_FALSE(lists.Load(ListSide::Right, " add.srt"));
    EXPECT_EQ(host.messages, Lines{std::string(kWrongListPath)});
    WriteFile(dir / "film.sub", Crlf({"{10}{20}A|B", "", "{30}{40}C"}));
    ASSERT_TRUE(lists.Load(ListSide::Right, (dir / "film.sub").string()));
    EXPECT_EQ(lists.Cells(ListSide::Right, 1), (ListRow{"2", "{30}{40}", "C"}));
    lists.Join(ListSide::Right, 1);  // frames merge as timings do
    EXPECT_EQ(lists.Cells(ListSide::Right, 0), (ListRow{"1", "{10}{40}", "A|B|C"}));
    ASSERT_TRUE(lists.Save(ListSide::Right));
    EXPECT_EQ(ReadFile(dir / "film.sub"), Crlf({"{10}{40}A|B|C"}));
}

}  // namespace
}  // namespace tessaline
