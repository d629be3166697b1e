// The editor, the report viewer, the lists and the session on files stored in other encodings
// than Windows-1251: each file is read in its own encoding and written back in it, byte-order
// mark included, with the rest of the file byte for byte as it was.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/session.hpp"
#include "app/subtitle_lists.hpp"
#include "core/cp1251.hpp"
#include "files/recording_host.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::WriteFile;
using Lines = std::vector<std::string>;

const std::string T1 = "00:00:01,000 --> 00:00:02,000";
const std::string T2 = "00:00:03,000 --> 00:00:04,000";
const std::string T3 = "00:00:05,000 --> 00:00:06,000";

using test::Stored;

// A UTF-8 text as the bytes of a file stored that way.
std::string Bytes(std::string_view utf8, Stored stored) {
    return test::StoredBytes(utf8, stored);
}

// A UTF-8 text in the form the editor works on for a file stored that way.
std::string InForm(std::string_view utf8, Stored stored) {
    return stored == Stored::Cp1251 ? Utf8ToCp1251(utf8) : std::string(utf8);
}

class EncodingAppTest : public ::testing::Test {
  protected:
    EncodingAppTest() {
        session.withEditor = true;
        session.Start();
    }
    std::string Path(std::string_view name) const { return (dir / name).string(); }

    test::TempDir dir;
    RecordingHost host;
    Session session{host, dir.path().string()};
    SubtitleEditor& editor = session.editor;
};

const std::string kFilm =
    Crlf({"1", T1, "Первая строка", "", "2", T2, "Вторая", "", "3", T3, "Третья", ""});

// Shows subtitle 1 (a byte-order mark does not hide it), rewrites subtitle 2 and deletes
// subtitle 3; each time the whole file is its new text in the same encoding, and a ReWrite that
// changes nothing leaves every byte as it was.
TEST_F(EncodingAppTest, TheEditorReadsAndWritesEachFileInItsOwnEncoding) {
    const struct {
        Stored stored;
        const char* caption;
        TextForm form;
    } cases[] = {
        {Stored::Utf8Bom, "UTF-8 with BOM", TextForm::Utf8},
        {Stored::Utf16le, "UTF-16LE", TextForm::Utf8},
        {Stored::Utf8, "UTF-8", TextForm::Utf8},
        {Stored::Cp1251, "Windows-1251", TextForm::Cp1251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        const std::string film = Bytes(kFilm, c.stored);
        WriteFile(dir / "film.srt", film);
        ASSERT_EQ(session.OpenSubtitleFile(Path("film.srt")), Outcome::Ok);
        EXPECT_EQ(session.OpenEncodingCaption(), c.caption);
        EXPECT_EQ(editor.form(), c.form);
        ASSERT_EQ(editor.Count(), 3u);
        EXPECT_EQ(editor.subNumber, "1");
        EXPECT_EQ(editor.lines(), Lines{InForm("Первая строка", c.stored)});

        editor.SetText(InForm("Первая строка", c.stored));
        editor.SetTimeRange(T1 + " ");
        EXPECT_TRUE(editor.ReWrite());
        EXPECT_EQ(ReadFile(dir / "film.srt"), film);

        editor.Show(1);
        editor.SetText(InForm("Новая\nстрока", c.stored));
        EXPECT_TRUE(editor.ReWrite());
        EXPECT_EQ(ReadFile(dir / "film.srt"),
                  Bytes(Crlf({"1", T1, "Первая строка", "", "2", T2, "Новая", "строка", "", "3", T3,
                              "Третья", ""}),
                        c.stored));
        EXPECT_EQ(editor.lines(), (Lines{InForm("Новая", c.stored), InForm("строка", c.stored)}));

        editor.Show(2);
        EXPECT_TRUE(editor.Delete());
        EXPECT_EQ(
            ReadFile(dir / "film.srt"),
            Bytes(Crlf({"1", T1, "Первая строка", "", "2", T2, "Новая", "строка", ""}), c.stored));
        EXPECT_EQ(host.messages, Lines{});
        EXPECT_FALSE(fs::exists(dir / "film.out"));
    }
}

// Break Dlg goes through a temporary file: the parts come back in the open file's form.
TEST_F(EncodingAppTest, BreakingADialogueKeepsTheFilesLetters) {
    session.settings().SetInt("BreakDialogCount", 2);
    const std::string ask = "- Где ты был всё это время?";
    const std::string answer = "- На вокзале, поезд опоздал.";
    for (Stored stored : {Stored::Cp1251, Stored::Utf16le, Stored::Utf8Bom}) {
        WriteFile(dir / "film.srt",
                  Bytes(Crlf({"1", "00:00:10,000 --> 00:00:14,000", ask, answer, ""}), stored));
        ASSERT_EQ(session.OpenSubtitleFile(Path("film.srt")), Outcome::Ok);
        ASSERT_TRUE(editor.Break(BreakOne::Dialog));
        ASSERT_EQ(editor.Count(), 2u);
        EXPECT_EQ(editor.lines(), Lines{InForm(ask, stored)});
        editor.Next();
        EXPECT_EQ(editor.lines(), Lines{InForm(answer, stored)});
        const std::string file = ReadFile(dir / "film.srt");
        EXPECT_EQ(file.substr(0, 2), Bytes("1\r\n", stored).substr(0, 2));  // its mark kept
    }
}

TEST_F(EncodingAppTest, AFileOfNoTextIsNotOpened) {
    WriteFile(dir / "film.srt", kFilm);
    ASSERT_EQ(session.OpenSubtitleFile(Path("film.srt")), Outcome::Ok);
    // A VobSub .sub: an MPEG pack header.
    WriteFile(dir / "image.sub",
              std::string("\x00\x00\x01\xBA\x44\x00\x04\x00", 8) + std::string(600, '\0'));
    host.messages.clear();
    EXPECT_EQ(session.OpenSubtitleFile(Path("image.sub")), Outcome::Refused);
    EXPECT_EQ(host.messages, Lines{"not a text subtitle file"});
    EXPECT_EQ(session.openFile, Path("film.srt"));
    EXPECT_EQ(editor.index().path, Path("film.srt"));
}

// A report is written in its input's encoding and read in it again.
TEST_F(EncodingAppTest, TheViewerReadsAReportInItsOwnEncoding) {
    for (Stored stored : {Stored::Utf8Bom, Stored::Utf16le, Stored::Cp1251}) {
        WriteFile(dir / "film.srt", Bytes(kFilm, stored));
        WriteFile(dir / "film.sym", Bytes(Crlf({"2 = Заменено: Вторая", "Итог"}), stored));
        ASSERT_EQ(session.OpenSubtitleFile(Path("film.srt")), Outcome::Ok);
        session.controls.Set("cbLogExt", "*.sym");
        session.viewer.Load();
        ASSERT_EQ(session.viewer.lines().size(), 2u);
        EXPECT_EQ(session.viewer.form(), editor.form());
        EXPECT_EQ(session.viewer.message(), InForm("Заменено: Вторая", stored));
        EXPECT_EQ(editor.lines(), Lines{InForm("Вторая", stored)});
        session.viewer.Next();
        EXPECT_EQ(session.viewer.message(), InForm("Итог", stored));
    }
}

// Each side of the lists keeps its own encoding; a row crosses into the other side's form, and
// one with a character a Windows-1251 side lacks is refused.
TEST_F(EncodingAppTest, TheListsKeepEachSidesEncoding) {
    const std::string left = Crlf({"1", T1, "Ωмега", "", "2", T2, "Два", ""});
    const std::string right = Crlf({"1", T1, "Один", ""});
    WriteFile(dir / "add.srt", Bytes(right, Stored::Cp1251));
    WriteFile(dir / "film.srt", Bytes(left, Stored::Utf8Bom));
    ASSERT_EQ(session.OpenSubtitleFile(Path("film.srt")), Outcome::Ok);
    session.controls.Set("edOpenFileAdd", Path("add.srt"));
    host.messages.clear();

    SubtitleLists lists(session);
    EXPECT_EQ(lists.Form(ListSide::Left), TextForm::Utf8);
    EXPECT_EQ(lists.Form(ListSide::Right), TextForm::Cp1251);
    EXPECT_EQ(lists.Cells(ListSide::Left, 0).text, "Ωмега");
    EXPECT_EQ(lists.Cells(ListSide::Right, 0).text, Utf8ToCp1251("Один"));

    lists.Insert(ListSide::Right, 0);  // "Ω" has no place in Windows-1251
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("U+03A9"), std::string::npos);
    EXPECT_EQ(lists.Cells(ListSide::Right, 0).text, Utf8ToCp1251("Один"));
    lists.Insert(ListSide::Right, 1);
    EXPECT_EQ(lists.Cells(ListSide::Right, 1).text, Utf8ToCp1251("Два|<-=INSERT=->"));
    lists.Insert(ListSide::Left, 0);
    EXPECT_EQ(lists.Cells(ListSide::Left, 0).text, "Один|<-=INSERT=->");

    ASSERT_TRUE(lists.Save(ListSide::Left));
    ASSERT_TRUE(lists.Save(ListSide::Right));
    EXPECT_EQ(
        ReadFile(dir / "film.srt"),
        Bytes(Crlf({"1", T1, "Один", "<-=INSERT=->", "", "1", T1, "Ωмега", "", "2", T2, "Два", ""}),
              Stored::Utf8Bom));
    EXPECT_EQ(
        ReadFile(dir / "add.srt"),
        Bytes(Crlf({"1", T1, "Один", "", "2", T2, "Два", "<-=INSERT=->", ""}), Stored::Cp1251));
}

}  // namespace
}  // namespace tessaline
