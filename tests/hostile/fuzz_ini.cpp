// Fuzz target: Tessaline.ini as read at start. Any file loads; saving what was loaded and loading
// it again gives the same lines, and the settings read from it read the same after they are
// written back.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/ini_file.hpp"
#include "ops/settings.hpp"

namespace {

std::string ScratchFolder() {
    static const std::string folder = [] {
        const char* shm = "/dev/shm";
        std::string pattern =
            std::string(access(shm, W_OK) == 0 ? shm : "/tmp") + "/tess-ini-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    const std::string in = ScratchFolder() + "/in.ini";
    const std::string out = ScratchFolder() + "/out.ini";
    std::FILE* f = std::fopen(in.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const IniFile ini = IniFile::Load(in);
    ini.Save(out);
    if (IniFile::Load(out).lines() != ini.lines()) __builtin_trap();

    Settings settings;
    settings.ReadFrom(ini);
    IniFile written = ini;
    settings.WriteTo(written);
    Settings again;
    again.ReadFrom(written);
    if (again.ToIniText() != settings.ToIniText()) __builtin_trap();
    (void)ini.Get("Settings", "FramesAtSec");
    return 0;
}
