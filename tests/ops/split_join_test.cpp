#include "ops/split_join.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "data_run.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::DataRun;
using test::ReadFile;
using test::W;
using Names = std::set<std::string>;
using Messages = std::vector<std::string>;

std::string Data(std::string_view name) {
    return ReadFile(test::DataDir() / "ops/timing" / name);
}

// Splits film.srt (made from `content`) in a fresh folder, then joins it back into film.out.
struct SplitAndJoin {
    explicit SplitAndJoin(std::string_view content) {
        test::WriteFile(dir / "film.srt", content);
        split = SplitTimeText(Path("film.srt"), Path("film.srttext"), {}, host);
    }
    RunResult Join() {
        return JoinTimeText(Path("film.srttext"), Path("film.srttime"), Path("film.out"), {}, host);
    }
    std::string Path(std::string_view name) const { return (dir / name).string(); }
    std::string Get(std::string_view name) const {
        return std::filesystem::exists(dir / name) ? ReadFile(dir / name) : "(none)";
    }
    Names Files() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    test::TempDir dir;
    RecordingHost host;
    RunResult split;
};

TEST(SplitTimeText, WritesTimeTextAndTrackAndJoinsBackToTheSameFile) {
    SplitAndJoin run(Data("split.srt"));
    EXPECT_EQ(run.split, RunResult::Done);
    EXPECT_EQ(run.Get("film.srttime"), Data("split.srttime"));
    EXPECT_EQ(run.Get("film.srttext"), Data("split.srttext"));
    EXPECT_EQ(run.Get("film.srttrk"), Data("split.srttrk"));
    EXPECT_EQ(run.host.messages, Messages{"Null LOG-length-file"});  // nothing to log

    // Text before the first subtitle, a subtitle without text, Cyrillic text and a text line of
    // digits all come back in their places.
    EXPECT_EQ(run.Join(), RunResult::Done);
    EXPECT_EQ(run.Get("film.out"), Data("split.srt"));
    EXPECT_EQ(run.Files(),
              (Names{"film.out", "film.srt", "film.srttext", "film.srttime", "film.srttrk"}));
}

TEST(SplitTimeText, AnEditedTextLineChangesOnlyThatLine) {
    const std::string film =
        Crlf({"1", "00:00:01,000 --> 00:00:02,000", "", "2", "00:00:03,000 --> 00:00:04,000",
              W("Привет"), "", "3", "00:00:05,000 --> 00:00:06,000", "a", "b", ""});
    SplitAndJoin run(film);
    EXPECT_EQ(run.Get("film.srttext"), Crlf({W("Привет"), "a", "b"}));
    test::WriteFile(run.dir / "film.srttext", Crlf({"Hello", "a", "b"}));
    run.Join();
    EXPECT_EQ(run.Get("film.out"),
              Crlf({"1", "00:00:01,000 --> 00:00:02,000", "", "2", "00:00:03,000 --> 00:00:04,000",
                    "Hello", "", "3", "00:00:05,000 --> 00:00:06,000", "a", "b", ""}));
}

TEST(SplitTimeText, RefusesWhenAnyOfItsFilesExists) {
    for (const char* taken : {"film.srttext", "film.srttime", "film.srttrk"}) {
        SCOPED_TRACE(taken);
        test::TempDir dir;
        test::WriteFile(dir / "film.srt", Data("split.srt"));
        test::WriteFile(dir / taken, "mine\r\n");
        RecordingHost host;
        EXPECT_EQ(SplitTimeText(dir / "film.srt", dir / "film.srttext", {}, host),
                  RunResult::Refused);
        EXPECT_EQ(host.messages, Messages{"Output File Exist!!!"});
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
        EXPECT_EQ(ReadFile(dir / taken), "mine\r\n");
    }
}

TEST(SplitAndJoin, LogWhatDoesNotFit) {
    const struct {
        const char* what;
        std::string film;
        std::string text;  // replaces film.srttext before the join ("" : kept)
        std::string splitLog, joinLog, joined;
    } cases[] = {
        // clang-format off
        {"the file ends after a number", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2"}), "",
         Crlf({"2 = END of IN-file ==================== !!!"}), "(none)",
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", ""})},
        {"text lines short", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "b", ""}), Crlf({"a"}),
         "(none)", Crlf({"1 = END of TEXT-file ==================== !!!"}),
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", ""})},
        {"text lines left", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", ""}), Crlf({"a", "b", "c"}),
         "(none)", Crlf({"2 = Text Lines Not Joined!!!"}),
         Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", ""})},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SplitAndJoin run(c.film);
        EXPECT_EQ(run.Get("film.log"), c.splitLog);
        std::filesystem::remove(run.dir / "film.log");
        if (!c.text.empty()) test::WriteFile(run.dir / "film.srttext", c.text);
        run.Join();
        EXPECT_EQ(run.Get("film.log"), c.joinLog);
        EXPECT_EQ(run.Get("film.out"), c.joined);
    }
}

TEST(SplitAndJoin, RefuseWhatTheyCannotReadWithoutWriting) {
    // A MicroDVD file, a join of a file that is no text file, a join without its track file.
    const struct {
        const char* name;
        bool join;
        Messages messages;
    } cases[] = {
        {"film.sub", false, {"Not Support File extension: sub"}},
        {"film.srt", true, {"Not Support File extension: srt"}},
        {"film.srttext", true, {"Track File Not Present!!!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        test::WriteFile(dir / c.name, Crlf({"a"}));
        if (c.join) {
            test::WriteFile(dir / "film.srttime", Crlf({"1", "00:00:01,000 --> 00:00:02,000", ""}));
        }
        const auto before = std::distance(std::filesystem::directory_iterator(dir.path()), {});
        RecordingHost host;
        const RunResult result =
            c.join ? JoinTimeText(dir / c.name, dir / "film.srttime", dir / "film.out", {}, host)
                   : SplitTimeText(dir / c.name, dir / "film.srttext", {}, host);
        EXPECT_EQ(result, RunResult::Refused);
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), before);
    }
}

}  // namespace
}  // namespace tessaline
