// tessaline-gen-docs MAN_PAGE COMPLETION: writes the manual page and the bash completion of the
// tessaline command (a build step; not installed).

#include <cstdio>
#include <fstream>
#include <string>

#include "cli/docs.hpp"

namespace {

bool Write(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessaline-gen-docs MAN_PAGE COMPLETION\n");
        return 2;
    }
    if (!Write(argv[1], tessaline::ManPage()) || !Write(argv[2], tessaline::BashCompletion())) {
        std::fprintf(stderr, "tessaline-gen-docs: cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
