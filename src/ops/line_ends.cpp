#include "ops/line_ends.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

#include "core/paths.hpp"

namespace tessaline {
namespace {

// The length of the run of ordinary characters (neither CR nor LF) at the start of `bytes`.
// Eight bytes are tested at once: a byte equal to CR or LF becomes zero in one of the two masks,
// and the lowest flagged byte is the first such byte (a flag can be wrong only above a true
// one).
std::size_t OrdinaryRun(std::string_view bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const char* data = bytes.data();
    std::size_t n = 0;
    for (; n + 8 <= bytes.size(); n += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + n, 8);
        const std::uint64_t lf = word ^ (kOnes * '\n');
        const std::uint64_t cr = word ^ (kOnes * '\r');
        const std::uint64_t found = (((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighBits;
        if (found == 0) continue;
        if constexpr (std::endian::native == std::endian::little) {
            return n + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
        break;
    }
    while (n < bytes.size() && data[n] != '\n' && data[n] != '\r')
        ++n;
    return n;
}

// LF ends a line; a CR is allowed only directly after an LF (and dropped). True when the input
// ends with an LF.
bool UnixPass(FrameRun& run) {
    std::string line;
    bool lastWasFeed = false;
    std::string_view block;
    while (run.in().ReadBlock(block)) {
        while (!block.empty()) {
            const std::size_t n = OrdinaryRun(block);
            if (n > 0 && n < block.size() && block[n] == '\n' && line.empty()) {
                // The whole line and its end are in the block: written from there.
                run.WriteLine(block.substr(0, n));
                lastWasFeed = true;
                block.remove_prefix(n + 1);
                continue;
            }
            if (n > 0) {
                line.append(block.substr(0, n));
                lastWasFeed = false;
                block.remove_prefix(n);
                continue;
            }
            if (block.front() == '\n') {
                run.WriteLine(line);
                line.clear();
                lastWasFeed = true;
            } else if (!lastWasFeed) {
                return false;  // a CR that no LF went before: not a Unix file
            }
            block.remove_prefix(1);
        }
    }
    return lastWasFeed;
}

// Each CR LF, CR CR LF (a CR LF converted twice), LF CR (the pair written the wrong way round),
// lone LF or lone CR ends a line. A run of line ends after a text line ends that line, and a run
// of two or more ends writes one empty line: the record separators of an LF-only or CR-only file
// are kept, longer runs of empty lines shrink to one. True when the input ends with a line end.
bool AnyPass(FrameRun& run) {
    std::string line;
    bool inRun = false;
    int ends = 0;          // the line ends of the current run, once resolved
    int pendingCr = 0;     // CRs of the run whose end is not known yet
    bool afterLf = false;  // the last character was an LF: a CR now belongs to its line end
    bool wroteEmpty = false;
    const auto settle = [&] {
        if (ends >= 2 && !wroteEmpty) {
            run.WriteLine("");
            wroteEmpty = true;
        }
    };
    std::string_view block;
    while (run.in().ReadBlock(block)) {
        while (!block.empty()) {
            const std::size_t n = OrdinaryRun(block);
            if (n > 0) {
                if (inRun) {
                    // The CRs still open at the end of a run are lone CRs, an end each.
                    ends += pendingCr;
                    settle();
                    inRun = false;
                }
                if (n < block.size() && line.empty()) {
                    // The whole line is in the block, its end after it: written from there, and
                    // the run of line ends begins (with the usual CR LF taken at once).
                    run.WriteLine(block.substr(0, n));
                    inRun = true;
                    pendingCr = 0;
                    wroteEmpty = false;
                    if (block.size() - n >= 2 && block[n] == '\r' && block[n + 1] == '\n') {
                        ends = 1;
                        afterLf = true;
                        block.remove_prefix(n + 2);
                    } else {
                        ends = 0;
                        afterLf = false;
                        block.remove_prefix(n);
                    }
                    continue;
                }
                line.append(block.substr(0, n));
                block.remove_prefix(n);
                continue;
            }
            if (!inRun) {
                if (!line.empty()) run.WriteLine(line);
                line.clear();
                inRun = true;
                ends = 0;
                pendingCr = 0;
                afterLf = false;
                wroteEmpty = false;
            }
            if (block.front() == '\r') {
                // Counted as an end of its own, the CR of an LF CR pair would put an empty line
                // after every line of such a file, cutting each number from its timing.
                if (!afterLf) ++pendingCr;
                afterLf = false;
            } else {
                afterLf = true;
                // An LF takes up to two CRs before it (CR LF, CR CR LF); earlier ones are lone.
                ends += (pendingCr > 2 ? pendingCr - 2 : 0) + 1;
                pendingCr = 0;
                settle();
            }
            block.remove_prefix(1);
        }
    }
    if (!inRun) return false;
    ends += pendingCr;
    settle();
    return true;
}

RunResult RepairLineEnds(const std::string& input, const std::string& output, bool interactive,
                         Host& host, bool (*pass)(FrameRun&), std::string_view failure) {
    const FrameRequest request{
        .input = input, .output = output, .steps = {.interactive = interactive}};
    return RunInFrame(request, host, [&](FrameRun& run) {
        // Only subtitle files, in any letter case; the refusal is shown over a folder too.
        const std::string ext = LowerExtOf(input);
        if (ext != "srt" && ext != "sub") {
            host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(input));
            return run.Abandon();
        }
        if (pass(run)) return;
        run.Tell(failure);
        run.Abandon();
    });
}

}  // namespace

RunResult UnixToDos(const std::string& input, const std::string& output, bool interactive,
                    Host& host) {
    return RepairLineEnds(input, output, interactive, host, UnixPass, kNotUnixFormatted);
}

RunResult AnyToDos(const std::string& input, const std::string& output, bool interactive,
                   Host& host) {
    return RepairLineEnds(input, output, interactive, host, AnyPass, kNotAnyFormatted);
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

RunResult RunUnixToDos(OperationContext& c, const RunArgs& a) {
    return UnixToDos(a.input, a.output, a.interactive, c.host);
}

RunResult RunAnyToDos(OperationContext& c, const RunArgs& a) {
    return AnyToDos(a.input, a.output, a.interactive, c.host);
}

constexpr Trigger kUnixTriggers[] = {{"mnUnixToDOS"}};
constexpr Trigger kAnyTriggers[] = {{"mnAnyToDOS"}};
constexpr VariantCode kUnixCodes[] = {{kAnyVariant, 44}};
constexpr VariantCode kAnyCodes[] = {{kAnyVariant, 45}};

}  // namespace

extern const Operation kUnixToDosOperation{
    .command = "unix-to-dos",
    .summary = "LF line ends to CR LF",
    .help =
        "Writes PATH (a SubRip or MicroDVD file) with CR LF line ends into film.out. Refuses\n"
        "with \"This is Not Unix-formatted file!\" a file that has a CR anywhere but after an LF\n"
        "(one that already ends its lines with CR LF) or text after its last LF.",
    .triggers = kUnixTriggers,
    .logText = "[Unix to DOS] Click",
    .codes = kUnixCodes,
    .run = RunUnixToDos,
};

extern const Operation kAnyToDosOperation{
    .command = "any-to-dos",
    .summary = "any mixture of CR and LF line ends to CR LF",
    .help =
        "Writes PATH (a SubRip or MicroDVD file) with CR LF line ends into film.out: each CR LF,\n"
        "CR CR LF, LF or CR ends a line, and a run of empty lines becomes one empty line.\n"
        "Refuses with \"This is Not Any-formatted file!\" a file with text after its last line "
        "end.",
    .triggers = kAnyTriggers,
    .logText = "[Any to DOS] Click",
    .codes = kAnyCodes,
    .run = RunAnyToDos,
};

}  // namespace tessaline
