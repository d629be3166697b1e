// Fuzz target: the text of a SubStation Dialogue line as SubRip display lines. Without "<" in
// the input every tag in the output is one the conversion wrote: they must pair and nest. Where
// every "{" of the input opens an override block, no closed block may remain (a stray "{" may
// meet a "\}" that followed a removed block, as in "{{\}\}": that is text, not a block).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ops/convert.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    LineList lines;
    SsaTextToSubRip(text, lines);
    if (text.find('<') != std::string_view::npos) return 0;
    bool onlyBlocks = true;
    for (std::size_t at = text.find('{'); at != std::string_view::npos; at = text.find('{', at + 1))
        onlyBlocks = onlyBlocks && text.substr(at + 1, 1) == "\\";
    std::vector<std::string> open;  // the names of the tags open, innermost last
    for (const std::string& line : lines) {
        for (std::size_t at = line.find('<'); at != std::string::npos;
             at = line.find('<', at + 1)) {
            const bool closing = line.compare(at + 1, 1, "/") == 0;
            const std::size_t from = at + (closing ? 2 : 1);
            const std::size_t end = line.find_first_of(" >", from);
            if (end == std::string::npos) __builtin_trap();
            const std::string name = line.substr(from, end - from);
            if (closing) {
                if (open.empty() || open.back() != name) __builtin_trap();
                open.pop_back();
            } else {
                open.push_back(name);
            }
        }
        const std::size_t block = line.find("{\\");
        if (onlyBlocks && block != std::string::npos &&
            line.find('}', block) != std::string::npos) {
            __builtin_trap();
        }
    }
    if (!open.empty()) __builtin_trap();
    return 0;
}
