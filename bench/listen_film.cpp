// Listens to each film named as the sync does (best audio track, WebRTC's detector) and prints
// "PATH: SECONDS s, FRAMES frames, SHARE speech". Built by film_speech.py against the project's
// libraries.
#include <chrono>
#include <cstdio>
#include <exception>

#include "sync/film_speech.hpp"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        try {
            const auto start = std::chrono::steady_clock::now();
            auto detector = tessaline::MakeWebRtcSpeechDetector();
            const tessaline::FilmSpeech heard = tessaline::ListenToFilm(argv[i], 0, *detector);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            std::printf("%s: %.2f s, %zu frames, %.3f speech\n", argv[i], took.count(),
                        heard.mask.size(), heard.speechShare);
        } catch (const std::exception& e) {
            std::printf("%s: %s\n", argv[i], e.what());
            return 1;
        }
    }
    return 0;
}
