// The entry point of tessaline-listen.so: the table through which the program reaches the
// FFmpeg decoding and the WebRTC detector. Everything else in the module is hidden.
#include "sync/listen_module.hpp"

extern "C" __attribute__((visibility("default"))) const tessaline::ListenModule*
tessaline_listen_module() {
    static const tessaline::ListenModule module = {
        .version = TESSALINE_VERSION,
        .listen = &tessaline::ListenToFilm,
        .makeDetector = &tessaline::MakeWebRtcSpeechDetector,
    };
    return &module;
}
