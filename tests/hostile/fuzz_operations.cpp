// Fuzz target: every catalogued command, in each of its directions and modes, on the input as a
// file. The first byte chooses the file's kind; each run must keep the promises CheckRun checks
// (exit status, input untouched, nothing left after a conversion error, no temporary file).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "invocations.hpp"

namespace {

using namespace tessaline::test;

std::string MakeFolder(const char* name) {
    const char* shm = "/dev/shm";
    std::string pattern =
        std::string(access(shm, W_OK) == 0 ? shm : "/tmp") + "/tess-" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dir = MakeFolder("ops");
    static const std::string home = MakeFolder("home");
    static const InvocationRunner runner = InProcessRunner(home);
    constexpr const char* kNames[] = {"film.srt", "film.sub", "film.ass", "film.ssa"};
    if (size == 0) return 0;
    const std::string name = kNames[data[0] % 4];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<Invocation> invocations = CatalogueInvocations();
    for (Invocation& editor : EditorInvocations(name, bytes))
        invocations.push_back(std::move(editor));
    for (const Invocation& invocation : invocations) {
        for (const std::string& broken :
             CheckRun(invocation, dir, name, bytes, data[0] & 4, runner)) {
            std::fprintf(stderr, "%s on %s: %s\n", invocation.label.c_str(), name.c_str(),
                         broken.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
