// Prints the encoding every entry point decides for each file named: "PATH: NAME", or
// "PATH: not text". Built by detect_accuracy.py --decision against the project's libraries.
#include <cstdio>
#include <exception>
#include <string>

#include "files/encoding.hpp"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        try {
            const tessaline::FileEncoding encoding = tessaline::DecideFileEncoding(argv[i]);
            std::printf("%s: %s\n", argv[i],
                        std::string(tessaline::EncodingName(encoding.encoding)).c_str());
        } catch (const std::exception&) {
            std::printf("%s: not text\n", argv[i]);
        }
    }
    return 0;
}
