#include "test_films.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tessaline::testfilms {

bool ToolsPresent() {
    static const bool present =
        std::system("command -v python3 espeak-ng ffmpeg >/dev/null 2>&1") == 0 &&
        std::system("espeak-ng --version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0;
    return present;
}

std::filesystem::path Make(const std::string& name, const std::string& options) {
    const std::filesystem::path folder = std::filesystem::path(TESSALINE_FILM_CACHE) / name;
    const std::string command = std::string("python3 '") + TESSALINE_MAKE_FILM + "' '" +
                                folder.string() + "' " + options + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pclose(pipe) != 0) throw std::runtime_error(command + " failed: " + output);
    return folder;
}

std::vector<Line> ReadTruth(const std::filesystem::path& folder) {
    std::ifstream in(folder / "film.truth");
    std::vector<Line> lines;
    Line line;
    while (in >> line.startMs >> line.endMs) lines.push_back(line);
    return lines;
}

SpeechMask TruthMask(const std::vector<Line>& lines, std::size_t frames, std::size_t shiftFrames) {
    SpeechMask mask(frames, 0);
    for (const Line& line : lines) {
        // Frames whose middle (5 ms in) falls inside the line.
        const auto first = static_cast<std::size_t>(std::max(0, line.startMs + 4) / kSpeechFrameMs);
        const auto end = static_cast<std::size_t>(std::max(0, line.endMs + 4) / kSpeechFrameMs);
        for (std::size_t i = first + shiftFrames; i < end + shiftFrames && i < frames; ++i)
            mask[i] = 1;
    }
    return mask;
}

double Agreement(const SpeechMask& a, const SpeechMask& b) {
    const std::size_t frames = std::max(a.size(), b.size());
    if (frames == 0) return 1;
    std::size_t same = 0;
    for (std::size_t i = 0; i < frames; ++i)
        same += (i < a.size() ? a[i] : 0) == (i < b.size() ? b[i] : 0);
    return static_cast<double>(same) / static_cast<double>(frames);
}

}  // namespace tessaline::testfilms
