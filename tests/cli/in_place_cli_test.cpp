// The commands that replace, rename or delete the user's own file, through the tessaline
// program: links and read-only files refused alike, owner and mode kept, every failure of a
// folder run reported, and nothing deleted that the program did not make.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli_folder.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using Args = std::vector<std::string>;

const std::string kFilm = Crlf({"7", "00:00:01,000 --> 00:00:02,000", "Hi there ,you", "", "9",
                                "00:00:03,000 --> 00:00:04,000", "Bye", ""});

// Each command that replaces film.srt, with what it needs beside it.
struct InPlaceCommand {
    Args args;
    bool needsOut = false;  // rename-out puts film.out in the file's place
};
const InPlaceCommand kInPlace[] = {
    {{"change-case", "switch", "film.srt"}},
    {{"all-in-one", "film.srt"}},
    {{"rewrite-subtitle", "--number", "9", "--text", "Later", "film.srt"}},
    {{"delete-subtitle", "--number", "9", "film.srt"}},
    {{"rename-out", "film.srt"}, true},
};

// While it lives, a file stands where the trash folder should be: the trash cannot be used.
class TrashBlocked {
  public:
    TrashBlocked() {
        fs::remove_all(trash_);
        test::WriteFile(trash_, "not a folder");
    }
    ~TrashBlocked() { fs::remove(trash_); }
    TrashBlocked(const TrashBlocked&) = delete;
    TrashBlocked& operator=(const TrashBlocked&) = delete;

  private:
    fs::path trash_ = test::DataHome() / "Trash";
};

class InPlaceCli : public test::CliFolder {
  protected:
    /// A fresh working folder with kFilm at `film` and, when the command takes one, film.out.
    void Fresh(bool needsOut, const std::string& film = "film.srt") {
        fs::remove_all(work_);
        Put(film, kFilm);
        if (needsOut) Put("film.out", "out\r\n");
    }
    struct stat StatOf(const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat((work_ / name).c_str(), &st), 0) << name;
        return st;
    }
};

TEST_F(InPlaceCli, LinkedAndReadOnlyFilesAreRefusedByEveryCommandAlike) {
    const struct {
        const char* what;
        void (*make)(const fs::path& file);
        std::string message;
    } states[] = {
        {"hard link",
         [](const fs::path& f) { fs::create_hard_link(f, f.parent_path() / "other.srt"); },
         "film.srt: film.srt has 2 hard links, which a replacement would part: nothing replaced\n"},
        {"read-only",
         [](const fs::path& f) {
             fs::permissions(f, fs::perms::owner_read | fs::perms::group_read);
         },
         "film.srt: film.srt is read-only: nothing replaced\n"},
    };
    for (const auto& state : states) {
        for (const InPlaceCommand& command : kInPlace) {
            SCOPED_TRACE(std::string(state.what) + ": " + command.args.front());
            Fresh(command.needsOut);
            state.make(work_ / "film.srt");
            const auto r = Run(command.args);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, state.message);
            EXPECT_EQ(Get("film.srt"), kFilm);
            EXPECT_EQ(StatOf("film.srt").st_nlink,
                      state.what == std::string("hard link") ? 2u : 1u);
        }
    }
}

// A link is followed: the file it names takes the result, the link stays a link.
TEST_F(InPlaceCli, ALinkIsFollowedAndKept) {
    for (const InPlaceCommand& command : kInPlace) {
        SCOPED_TRACE(command.args.front());
        // Outputs are made beside the name given, as every command makes them.
        Fresh(command.needsOut, "real/film.srt");
        fs::create_symlink("real/film.srt", work_ / "film.srt");
        const auto r = Run(command.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(work_ / "film.srt"));
        EXPECT_NE(Get("real/film.srt"), kFilm);
        EXPECT_FALSE(fs::exists(work_ / "film.out"));
        EXPECT_FALSE(fs::exists(work_ / "real/film.out"));
    }
}

// Run by root on another user's file, every command leaves the file that user's, with its mode.
TEST_F(InPlaceCli, OwnerGroupAndModeAreKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner takes root";
    const struct {
        mode_t mode;
        uid_t owner;
        gid_t group;
    } files[] = {{0600, 12345, 12345}, {0640, 12345, 23456}, {0604, 0, 23456}};
    for (const auto& file : files) {
        for (const InPlaceCommand& command : kInPlace) {
            SCOPED_TRACE(std::to_string(file.mode) + " " + command.args.front());
            Fresh(command.needsOut);
            ASSERT_EQ(::chown((work_ / "film.srt").c_str(), file.owner, file.group), 0);
            ASSERT_EQ(::chmod((work_ / "film.srt").c_str(), file.mode), 0);
            const auto r = Run(command.args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_NE(Get("film.srt"), kFilm);
            const struct stat st = StatOf("film.srt");
            EXPECT_EQ(st.st_mode & 07777, file.mode);
            EXPECT_EQ(st.st_uid, file.owner);
            EXPECT_EQ(st.st_gid, file.group);
        }
    }
}

// Every file a folder run could not handle gets its line, and the exit status says so.
TEST_F(InPlaceCli, FolderRunFailuresAreEachReported) {
    Put("dir/a.srt", kFilm);
    Put("dir/b.srt", kFilm);
    Put("dir/a.out", "a\r\n");
    Put("dir/b.out", "b\r\n");
    std::optional<TrashBlocked> blocked(std::in_place);
    auto r = Run({"--quiet", "rename-out", "dir/*.srt"});
    blocked.reset();
    EXPECT_EQ(r.status, 1);
    for (const char* name : {"dir/a.srt: Destination File Not Deleted!!!\n",
                             "dir/b.srt: Destination File Not Deleted!!!\n"}) {
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
    }
    EXPECT_EQ(Get("dir/a.srt"), kFilm);
    EXPECT_EQ(Get("dir/b.out"), "b\r\n");

    // Outputs that cannot be deleted (folders of that name here).
    fs::remove(work_ / "dir/a.out");
    fs::remove(work_ / "dir/b.out");
    fs::create_directories(work_ / "dir/a.out/inner");
    fs::create_directories(work_ / "dir/b.out/inner");
    r = Run({"--quiet", "delete-file", "--kind", "out", "dir/*.srt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "dir/a.out: File Not Deleted!!!\nIs a directory\n"
              "dir/b.out: File Not Deleted!!!\nIs a directory\n");
}

// Without a usable trash the commands say why and leave no film.out (which would refuse every
// later run); --no-trash, asked for, replaces the file without a copy.
TEST_F(InPlaceCli, WithoutATrashNothingIsReplacedUnlessAskedFor) {
    const struct {
        Args args;
        bool needsOut;
        int status;
    } cases[] = {
        {{"all-in-one", "film.srt"}, false, 1},
        {{"rename-out", "film.srt"}, true, 1},
        {{"--no-trash", "all-in-one", "film.srt"}, false, 0},
        {{"--no-trash", "rename-out", "film.srt"}, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[1]);
        Fresh(c.needsOut);
        const TrashBlocked blocked;
        const auto r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(Get("film.out"), c.status == 0 || !c.needsOut ? "(none)" : "out\r\n");
        if (c.status == 0) {
            EXPECT_NE(Get("film.srt"), kFilm);
        } else {
            EXPECT_TRUE(r.err.starts_with("film.srt: Destination File Not Deleted!!!\n")) << r.err;
            EXPECT_EQ(Get("film.srt"), kFilm);
        }
    }
}

TEST_F(InPlaceCli, RenameOutTouchesOnlyWhatItShould) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // name, bytes ("->x": link)
        Args args;
        int status;
        std::vector<std::pair<std::string, std::string>> after;
    } cases[] = {
        {"film.out a link to its own input",
         {{"film.srt", "in\r\n"}, {"film.out", "->film.srt"}},
         {"rename-out", "film.srt"},
         1,
         {{"film.srt", "in\r\n"}}},
        {"a mask takes only subtitle inputs",
         {{"m/film.srt", "in\r\n"}, {"m/film.out", "out\r\n"}, {"m/film.corr", "corr\r\n"}},
         {"--quiet", "rename-out", "m/film.*"},
         0,
         {{"m/film.srt", "out\r\n"}, {"m/film.corr", "corr\r\n"}, {"m/film.out", "(none)"}}},
        {"two inputs would share film.out",
         {{"d/film.srt", "srt\r\n"}, {"d/film.sub", "sub\r\n"}, {"d/film.out", "out\r\n"}},
         {"rename-out", "d/*.s*"},
         1,
         {{"d/film.srt", "srt\r\n"}, {"d/film.sub", "sub\r\n"}, {"d/film.out", "out\r\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(work_);
        for (const auto& [name, bytes] : c.files) {
            if (bytes.starts_with("->")) {
                fs::create_symlink(bytes.substr(2), work_ / name);
            } else {
                Put(name, bytes);
            }
        }
        const auto r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        for (const auto& [name, bytes] : c.after)
            EXPECT_EQ(Get(name), bytes) << name;
    }
}

// Files of the user's that only look like the program's temporary ones survive every run.
TEST_F(InPlaceCli, TheUsersPartFilesSurvive) {
    const std::vector<std::string> users = {"film.srt.partSECOND", "film.out.part2of3ru",
                                            "film.srt.partAbC123", "film.out.partAbC123"};
    for (const Args& args : {Args{"change-case", "switch", "film.srt"},
                             Args{"all-in-one", "film.srt"}, Args{"recount", "film.srt"}}) {
        SCOPED_TRACE(args.front());
        Fresh(false);
        for (const std::string& name : users)
            Put(name, "mine");
        EXPECT_EQ(Run(args).status, 0);
        for (const std::string& name : users)
            EXPECT_EQ(Get(name), "mine") << name;
    }
}

}  // namespace
}  // namespace tessaline
