// Every catalogued command, in each of its directions and modes, over every hostile file, in
// this process: in the sanitizer build any overflow, bad access or leak fails the run. The
// files are checked as CheckRun says.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "corpus.hpp"
#include "invocations.hpp"
#include "ops/catalogue.hpp"

namespace tessaline::test {
namespace {

class CorpusInProcess : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusInProcess, EveryCommandKeepsItsPromises) {
    const std::string name = GetParam();
    const std::string bytes = CorpusBytes(name);
    TempDir root;
    std::filesystem::create_directory(root / "work");
    std::filesystem::create_directory(root / "home");
    const InvocationRunner runner = InProcessRunner((root / "home").string());
    for (const std::string& broken :
         CheckEveryInvocation((root / "work").string(), name, bytes, runner)) {
        ADD_FAILURE() << broken;
    }
}

INSTANTIATE_TEST_SUITE_P(, CorpusInProcess, ::testing::ValuesIn(AllCorpusNames()),
                         [](const auto& info) { return CorpusTestName(info.param); });

// The corpus run covers what the catalogue offers: a command, an option or a directory mode that
// the invocations leave out would go untested by every hostile file.
TEST(CorpusPlan, CoversEveryCommandOptionAndMode) {
    EXPECT_EQ(InvocationProblems(), std::vector<std::string>{});
    std::set<std::string> covered;  // "command", "command option", "command (mask)"
    for (const Invocation& invocation : CatalogueInvocations()) {
        const std::string command(invocation.op->command);
        covered.insert(command);
        if (invocation.mask) covered.insert(command + " (mask)");
        for (const std::string& arg : invocation.args)
            covered.insert(command + " " + arg);
    }
    EXPECT_GE(AllCorpusNames().size(), 40u);
    std::printf("%zu files x %zu invocations of %zu commands\n", AllCorpusNames().size(),
                CatalogueInvocations().size(), Catalogue().size());
    for (const Operation* op : Catalogue()) {
        const std::string command(op->command);
        EXPECT_TRUE(covered.contains(command)) << command;
        if (op->TakesMask()) {
            EXPECT_TRUE(covered.contains(command + " (mask)")) << command;
        }
        for (const OptionDef& def : op->options) {
            if (!def.name.starts_with("-")) continue;  // values in order are in every run
            EXPECT_TRUE(covered.contains(command + " " + std::string(def.name)))
                << command << " " << def.name;
        }
    }
}

}  // namespace
}  // namespace tessaline::test
