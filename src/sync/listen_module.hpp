#pragma once
// The boundary between the program and tessaline-listen.so, the loadable module that holds
// everything that needs FFmpeg and WebRTC. Both sides are built together by the same compiler,
// so C++ types cross it; the version guards against a module left from another build.
#include <functional>
#include <memory>
#include <string>

#include "sync/film_speech.hpp"

namespace tessaline {

struct ListenModule {
    const char* version;  // TESSALINE_VERSION of the build the module comes from
    FilmSpeech (*listen)(const std::string& path, int track, SpeechDetector& detector,
                         const std::function<bool(double)>& progress);
    std::unique_ptr<SpeechDetector> (*makeDetector)();
};

/// The module's file name and its one exported function.
inline constexpr const char* kListenModuleFile = "tessaline-listen.so";
inline constexpr const char* kListenModuleEntry = "tessaline_listen_module";

/// Tests only: look for the module at `path` alone from now on (empty: where the program
/// normally looks). A module loaded before stays loaded but is no longer used.
void SetListenModulePathForTesting(const std::string& path);

}  // namespace tessaline

extern "C" const tessaline::ListenModule* tessaline_listen_module();
