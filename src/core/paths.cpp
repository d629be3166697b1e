#include "core/paths.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kNoExtension = "(null)";

// Paths this short are not file names the system names outputs after ("a.b", "x").
constexpr std::size_t kShortPath = 4;

/// 0-based index of the "." that starts the extension; npos when the file name has none. A dot
/// in a folder name ("/home/a.b/film") does not count.
std::size_t ExtensionDot(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return dot;
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash != std::string_view::npos && slash > dot ? std::string_view::npos : dot;
}

}  // namespace

std::string FileExtOf(std::string_view path) {
    if (path.empty()) return std::string(kNoExtension);
    if (path.size() <= kShortPath) return {};
    const std::size_t dot = ExtensionDot(path);
    return std::string(dot == std::string_view::npos ? kNoExtension : path.substr(dot + 1));
}

std::string ChangeFileExtMode(std::string_view path, std::string_view ext, int mode) {
    if (path.size() <= kShortPath) return {};
    const std::size_t dot = ExtensionDot(path);
    const bool hasDot = dot != std::string_view::npos;
    std::string out(hasDot ? path.substr(0, dot) : path);
    switch (mode) {
        case 1:
            return out.append(ext);
        case 2:
            // Keeps the dot of the old extension; a path without one gets ext alone.
            return (hasDot ? out.append(".") : out).append(ext);
        case 3:
            // ext is a mask such as "*.out": its first character goes.
            return out.append(ext.empty() ? ext : ext.substr(1));
        default:
            return out.append(".").append(ext);
    }
}

std::string PathJoin(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != kPathSeparator) out += kPathSeparator;
    return out.append(name);
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace tessaline
