#include "test_support.hpp"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/codepages.hpp"
#include "core/cp1251.hpp"

extern char** environ;

namespace tessaline::test {

std::string W(std::string_view utf8) {
    return Utf8ToCp1251(utf8);
}

std::string StoredBytes(std::string_view utf8, Stored stored) {
    switch (stored) {
        case Stored::Cp1251:
            return Utf8ToCp1251(utf8);
        case Stored::Utf8:
            return std::string(utf8);
        case Stored::Utf8Bom:
            return "\xEF\xBB\xBF" + std::string(utf8);
        case Stored::Utf16le:
            break;
    }
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Sequence sequence = DecodeUtf8(utf8, i);
        const char32_t ch = sequence.ch.value_or(0xFFFD);
        const auto unit = [&out](char32_t u) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        };
        if (ch >= 0x10000) {
            unit(0xD800 + ((ch - 0x10000) >> 10));
            unit(0xDC00 + ((ch - 0x10000) & 0x3FF));
        } else {
            unit(ch);
        }
        i += std::max<std::size_t>(sequence.length, 1);
    }
    return out;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

std::filesystem::path DataDir() {
    const char* dir = std::getenv("TESSALINE_TEST_DATA");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path(TESSALINE_TEST_DATA);
}

std::string DefaultSettingsFile(bool lf) {
    std::string text = ReadFile(DataDir() / "Tessaline.ini");
    if (lf) std::erase(text, '\r');
    return text;
}

ProgramResult RunProgram(const std::filesystem::path& program, std::vector<std::string> args,
                         const std::filesystem::path& cwd, const std::filesystem::path& scratch,
                         const std::optional<std::string>& homeEnv, const RunLimits& limits) {
    args.insert(args.begin(), program.string());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "TESSALINE_HOME=", 15) != 0) envText.emplace_back(*e);
    }
    if (homeEnv) envText.push_back("TESSALINE_HOME=" + *homeEnv);
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string outPath = (scratch / "stdout").string();
    const std::string errPath = (scratch / "stderr").string();

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(cwd.c_str()) != 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        if (limits.addressSpaceBytes > 0) {
            const rlimit limit{static_cast<rlim_t>(limits.addressSpaceBytes),
                               static_cast<rlim_t>(limits.addressSpaceBytes)};
            if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
        }
        if (limits.unprivileged && geteuid() == 0) {
            if (const passwd* nobody = getpwnam("nobody")) {
                if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                    setuid(nobody->pw_uid) != 0)
                    _exit(126);
            }
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    // A run that hangs is killed after a while so that the suite reports it and goes on.
    int wstatus = 0;
    rusage usage{};
    bool timedOut = true;
    // Short waits first: most runs end within a few milliseconds.
    for (int waited = 0, step = 200; waited < limits.timeoutMs * 1000; waited += step) {
        if (wait4(pid, &wstatus, WNOHANG, &usage) == pid) {
            timedOut = false;
            break;
        }
        usleep(static_cast<useconds_t>(step));
        step = std::min(step * 2, 10'000);
    }
    if (timedOut) {
        kill(pid, SIGKILL);
        wait4(pid, &wstatus, 0, &usage);
    }
    ProgramResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath) + (timedOut ? "(killed: no end in time)\n" : "");
    result.maxRssKb = usage.ru_maxrss;
    result.timedOut = timedOut;
    return result;
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tessaline-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

const std::filesystem::path& DataHome() {
    static const TempDir home;
    return home.path();
}

std::optional<std::string> TrashedFile(const std::filesystem::path& original) {
    // Each trashed file has an info file beside it that names where it came from.
    const std::filesystem::path trash = DataHome() / "Trash";
    std::optional<std::string> newest;
    std::filesystem::file_time_type newestTime;
    std::error_code ec;
    for (const auto& info : std::filesystem::directory_iterator(trash / "info", ec)) {
        const std::string text = ReadFile(info.path());
        if (text.find("\nPath=" + original.string() + "\n") == std::string::npos) continue;
        const std::filesystem::path file = trash / "files" / info.path().stem();
        const auto time = std::filesystem::last_write_time(info.path());
        if (!newest || time >= newestTime) {
            newest = ReadFile(file);
            newestTime = time;
        }
    }
    return newest;
}

namespace {

// Runs before main: GLib reads XDG_DATA_HOME and HOME once, at their first use. HOME too,
// because the trash of the user's data folder takes only files that lie on the disk of the home
// folder; the test files lie in the temporary folder.
[[maybe_unused]] const bool kDataHomeSet = setenv("XDG_DATA_HOME", DataHome().c_str(), 1) == 0 &&
                                           setenv("HOME", DataHome().c_str(), 1) == 0;

}  // namespace

RussianFilm Koi8Film() {
    RussianFilm film;
    film.win1251 =
        Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Где ты был всю ночь? Я звонила тебе."), "",
              "2", "00:00:04,000 --> 00:00:06,000", W("Прости, телефон сел, а зарядку"),
              W("я оставил у Серёжи."), ""});
    film.koi8Unix = ConvertLine(film.win1251, ModeOf(CodePage::Win1251, CodePage::Koi8r));
    std::erase(film.koi8Unix, '\r');
    return film;
}

}  // namespace tessaline::test
