// The module that listens to films is loaded on first use: a missing or broken module is a
// message for the user, and the build tree's copy beside the test is found without help.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "sync/film_speech.hpp"
#include "sync/listen_module.hpp"
#include "test_support.hpp"

namespace tessaline {
namespace {

using test::TempDir;
using test::WriteFile;

// Each of the two ways in, reduced to the message it throws.
std::string MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const FilmError& e) {
        return e.what();
    }
    return "(no error)";
}

class ListenModuleTest : public ::testing::Test {
  protected:
    void TearDown() override { SetListenModulePathForTesting(""); }

    static std::array<std::function<void()>, 2> Calls() {
        return {[] { (void)MakeWebRtcSpeechDetector(); },
                [] {
                    struct Never : SpeechDetector {
                        bool IsSpeech(std::span<const std::int16_t>) override { return false; }
                    } detector;
                    (void)ListenToFilm("/nonexistent/film.mkv", 0, detector);
                }};
    }
};

TEST_F(ListenModuleTest, AMissingModuleIsAMessageNamingWhereItWasLookedFor) {
    TempDir dir;
    const std::string path = (dir.path() / "tessaline-listen.so").string();
    SetListenModulePathForTesting(path);
    for (const auto& call : Calls())
        EXPECT_EQ(MessageOf(call), "cannot listen to films: " + path + " not found");
}

TEST_F(ListenModuleTest, AFileThatIsNoModuleIsAMessageFromTheLoader) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "tessaline-listen.so";
    WriteFile(path, "not a shared object\n");
    SetListenModulePathForTesting(path.string());
    for (const auto& call : Calls()) {
        const std::string message = MessageOf(call);
        EXPECT_TRUE(message.starts_with("cannot listen to films: " + path.string())) << message;
    }
}

TEST_F(ListenModuleTest, TheCopyBesideTheProgramIsFoundAndWorks) {
    SetListenModulePathForTesting("/nonexistent/tessaline-listen.so");
    EXPECT_NE(MessageOf(Calls()[0]), "(no error)");
    // Back to where the program looks: the module beside this test, loaded now.
    SetListenModulePathForTesting("");
    const auto detector = MakeWebRtcSpeechDetector();
    ASSERT_NE(detector, nullptr);
    const std::array<std::int16_t, 160> silence{};
    EXPECT_FALSE(detector->IsSpeech(silence));
    // The module's own errors still reach the caller as FilmError.
    EXPECT_EQ(MessageOf(Calls()[1]),
              "/nonexistent/film.mkv cannot be read: No such file or directory");
}

}  // namespace
}  // namespace tessaline
