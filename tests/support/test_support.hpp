#pragma once

// Helpers shared by the test suites: Windows-1251 literals, temporary folders, whole files,
// runs of other programs.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline::test {

/// A Windows-1251 text written as a UTF-8 literal: W("Привет").
std::string W(std::string_view utf8);

/// The ways a test stores a file's text.
enum class Stored { Cp1251, Utf8, Utf8Bom, Utf16le };

/// A UTF-8 text as the bytes of a file stored that way (UTF-16LE with its byte-order mark).
std::string StoredBytes(std::string_view utf8, Stored stored);

/// Reads a whole file as bytes; throws when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

/// Writes bytes as a whole file, replacing it.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

/// Joins lines with CR LF after each: Crlf({"1", "x"}) == "1\r\nx\r\n".
std::string Crlf(std::initializer_list<std::string_view> lines);

/// The folder of hand-made test files (tests/data).
std::filesystem::path DataDir();

/// Every settings key with its default, in the sections and order of the settings file
/// (tests/data/Tessaline.ini, written out by hand from the table of keys). With `lf`, the lines
/// end in LF alone, as the settings text prints them.
std::string DefaultSettingsFile(bool lf = false);

/// What a program run left: its exit status (-1 when it died of a signal or was killed), its
/// standard output and its standard error.
struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
    long maxRssKb = 0;  // the program's peak memory
    bool timedOut = false;
};

/// Limits of a program run.
struct RunLimits {
    /// The run is killed after this long.
    int timeoutMs = 20'000;
    /// The address space the program may use (0: no limit): an allocation beyond it fails.
    long addressSpaceBytes = 0;
    /// Run as the unprivileged user "nobody" when the tests run as root, so that file permissions
    /// apply (root reads and writes anything).
    bool unprivileged = false;
};

/// Runs `program` with `args` as they are (no shell) in the folder `cwd`, stdout and stderr
/// captured in files under `scratch`. The environment is this process's without TESSALINE_HOME,
/// plus TESSALINE_HOME=`homeEnv` when given. A run that lasts over 20 s is killed.
ProgramResult RunProgram(const std::filesystem::path& program, std::vector<std::string> args,
                         const std::filesystem::path& cwd, const std::filesystem::path& scratch,
                         const std::optional<std::string>& homeEnv = std::nullopt,
                         const RunLimits& limits = {});

/// The temporary folder that XDG_DATA_HOME and HOME name in every test process (set before main,
/// so that GLib reads them): a file that a test moves to the trash lands in its "Trash", never in
/// the user's own trash. Child processes inherit them.
const std::filesystem::path& DataHome();

/// The bytes of the file that the trash of DataHome keeps for `original` (an absolute path
/// without characters that need escaping); nothing when the trash holds none. The newest when
/// it holds several.
std::optional<std::string> TrashedFile(const std::filesystem::path& original);

/// Two subtitles of Russian dialogue (66 Cyrillic letters) in Windows-1251, and the same file as
/// such files still arrive: KOI8-R with Unix line ends.
struct RussianFilm {
    std::string win1251;
    std::string koi8Unix;
};
RussianFilm Koi8Film();

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace tessaline::test
