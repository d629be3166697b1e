// Every catalogued command over every hostile file, through the tessaline program: each run has
// a time limit and its peak memory is measured, besides the promises CheckRun checks. The limit,
// 20 s, leaves a busy shared machine room for a 5 MB line and still ends a run that is quadratic
// in its line (the SubStation conversion took 47 s on such a line).

#include <gtest/gtest.h>

#include "corpus.hpp"
#include "invocations.hpp"

namespace tessaline::test {
namespace {

// A run's peak memory may exceed the program's own by about two copies of its input (the line
// being read and the line being built) and the buffers.
long MemoryAllowedKb(std::size_t inputBytes) {
    return 24 * 1024 + static_cast<long>(2 * inputBytes / 1024);
}
// Listening to a film maps FFmpeg's and WebRTC's libraries (some 35 MB even for a file FFmpeg
// refuses at once), which the other commands never load.
constexpr long kListeningAllowedKb = 100 * 1024;

InvocationRunner ProgramRunner(const std::filesystem::path& home,
                               const std::filesystem::path& scratch) {
    return
        [=](const Invocation& invocation, const std::string& path, const std::string& secondFile) {
            std::vector<std::string> args = {"--home", home.string(), "--quiet"};
            for (std::string& arg : CommandLine(invocation, path, secondFile))
                args.push_back(std::move(arg));
            const ProgramResult r = RunProgram(TESSALINE_EXE, std::move(args),
                                               std::filesystem::path(path).parent_path(), scratch,
                                               std::nullopt, {.timeoutMs = 20'000});
            return RunOutcome{r.status, r.err, r.maxRssKb, r.timedOut};
        };
}

class CorpusProgram : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusProgram, EveryCommandKeepsItsPromisesInTimeAndMemory) {
    const std::string name = GetParam();
    const std::string bytes = CorpusBytes(name);
    TempDir root;
    for (const char* folder : {"work", "home", "scratch"})
        std::filesystem::create_directory(root / folder);
    const InvocationRunner runner = ProgramRunner(root / "home", root / "scratch");
    const Promises promises{.maxRssKb = MemoryAllowedKb(bytes.size()),
                            .secondInputKb = static_cast<long>(2 * bytes.size() / 1024),
                            .chainKb = 16 * 1024,
                            .listeningKb = kListeningAllowedKb};
    for (const std::string& broken :
         CheckEveryInvocation((root / "work").string(), name, bytes, runner, promises)) {
        ADD_FAILURE() << broken;
    }
}

INSTANTIATE_TEST_SUITE_P(, CorpusProgram, ::testing::ValuesIn(AllCorpusNames()),
                         [](const auto& info) { return CorpusTestName(info.param); });

}  // namespace
}  // namespace tessaline::test
