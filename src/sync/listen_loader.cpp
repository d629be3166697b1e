// Listening to a film needs FFmpeg and WebRTC, whose libraries (well over a hundred shared
// objects, tens of megabytes) would otherwise be mapped at every start of the programs. They are
// linked only by the module tessaline-listen.so, which is loaded here the first time a film is
// listened to and then stays loaded.
//
// The module is looked for by absolute path only: next to the running program (the build tree
// puts a copy there), then where an installation puts it, found from the program's own folder so
// that any install prefix works, then the configured install folder. Never the current folder
// and never the dynamic linker's search path.
#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "sync/film_speech.hpp"
#include "sync/listen_module.hpp"

namespace tessaline {
namespace {

std::mutex gMutex;
const ListenModule* gModule = nullptr;  // once loaded, for the life of the process
std::string gTestPath;

std::vector<std::filesystem::path> Candidates() {
    if (!gTestPath.empty()) return {gTestPath};
    std::vector<std::filesystem::path> found;
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && exe.is_absolute()) {
        const std::filesystem::path dir = exe.parent_path();
        found.push_back(dir / kListenModuleFile);
        found.push_back(
            (dir / TESSALINE_LISTEN_FROM_BINDIR / kListenModuleFile).lexically_normal());
    }
    const std::filesystem::path installed =
        std::filesystem::path(TESSALINE_LISTEN_DIR) / kListenModuleFile;
    if (std::find(found.begin(), found.end(), installed) == found.end()) found.push_back(installed);
    return found;
}

FilmError CannotListen(const std::string& why) {
    return FilmError("cannot listen to films: " + why);
}

std::string LoaderError() {
    const char* text = dlerror();
    return text != nullptr ? text : "the module cannot be loaded";
}

const ListenModule& Module() {
    std::lock_guard lock(gMutex);
    if (gModule != nullptr) return *gModule;
    const std::vector<std::filesystem::path> candidates = Candidates();
    for (const std::filesystem::path& path : candidates) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) throw CannotListen(LoaderError());
        using Entry = const ListenModule* (*)();
        auto entry = reinterpret_cast<Entry>(dlsym(handle, kListenModuleEntry));
        if (entry == nullptr) throw CannotListen(LoaderError());
        const ListenModule* module = entry();
        if (module == nullptr || std::string(module->version) != TESSALINE_VERSION)
            throw CannotListen(path.string() + " belongs to another version of tessaline");
        gModule = module;
        return *gModule;
    }
    // Named: where the module should be for the program as it was started (installed, or beside
    // it when run from the build tree and only one place is known).
    const std::filesystem::path& expected = candidates.size() > 1 ? candidates[1] : candidates[0];
    throw CannotListen(expected.string() + " not found");
}

}  // namespace

void SetListenModulePathForTesting(const std::string& path) {
    std::lock_guard lock(gMutex);
    gTestPath = path;
    gModule = nullptr;
}

std::unique_ptr<SpeechDetector> MakeWebRtcSpeechDetector() {
    return Module().makeDetector();
}

FilmSpeech ListenToFilm(const std::string& path, int track, SpeechDetector& detector,
                        const std::function<bool(double)>& progress) {
    return Module().listen(path, track, detector, progress);
}

}  // namespace tessaline
