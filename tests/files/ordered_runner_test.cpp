#include "files/ordered_runner.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "files/recording_host.hpp"

namespace tessaline {
namespace {

// Each item says who it is, and the later items finish first: whatever the threads do, the
// host hears the items in their order, each item's events together.
void Work(std::size_t i, Host& host) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * (8 - static_cast<int>(i))));
    host.SetCurrentFile("file" + std::to_string(i));
    host.ShowMessage("message " + std::to_string(i));
    host.SelectReportKind("*.r" + std::to_string(i));
    host.SetStatus(StatusField::OffsetTime, i % 2 ? StatusState::Error : StatusState::Idle);
    host.SetStatusBar("bar " + std::to_string(i));
    host.PrintResult("result " + std::to_string(i));
    host.SetCurrentFile("");
}

TEST(RunInOrder, SeveralJobsShowWhatOneJobShows) {
    RecordingHost one;
    std::vector<std::size_t> beforeOne;
    RunInOrder(8, 1, one, Work, [&](std::size_t i) { beforeOne.push_back(i); });
    for (unsigned jobs : {2u, 4u, 16u}) {
        RecordingHost many;
        std::vector<std::size_t> before;
        RunInOrder(8, jobs, many, Work, [&](std::size_t i) { before.push_back(i); });
        EXPECT_EQ(many.messages, one.messages) << jobs;
        EXPECT_EQ(many.messageFiles, one.messageFiles) << jobs;
        EXPECT_EQ(many.results, one.results) << jobs;
        EXPECT_EQ(many.statusHistory, one.statusHistory) << jobs;
        EXPECT_EQ(many.statusBar, "bar 7") << jobs;
        EXPECT_EQ(many.reportKind, "*.r7") << jobs;
        EXPECT_EQ(before, beforeOne) << jobs;
        EXPECT_FALSE(many.busy) << jobs;
    }
    EXPECT_EQ(one.messages.front(), "message 0");
    EXPECT_EQ(one.messageFiles.back(), "file7");
}

TEST(RunInOrder, AnItemsExceptionComesOutAfterTheItemsBeforeIt) {
    for (unsigned jobs : {1u, 3u}) {
        RecordingHost host;
        const auto work = [](std::size_t i, Host& h) {
            if (i == 2) throw std::runtime_error("broken");
            h.ShowMessage(std::to_string(i));
        };
        EXPECT_THROW(RunInOrder(6, jobs, host, work, [](std::size_t) {}), std::runtime_error);
        EXPECT_EQ(host.messages, (std::vector<std::string>{"0", "1"})) << jobs;
    }
}

}  // namespace
}  // namespace tessaline
