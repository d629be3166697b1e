#include "test_support.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/cp1251.hpp"

namespace tessaline::test {

std::string W(std::string_view utf8) {
    return Utf8ToCp1251(utf8);
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

}  // namespace tessaline::test
