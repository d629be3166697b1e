#include "files/ordered_runner.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tessaline {

struct KeptHost::Event {
    enum class Kind {
        Message,
        LineMessage,
        CurrentFile,
        Status,
        StatusReason,
        Skipped,
        StatusBar,
        ReportKind,
        Result
    } kind;
    std::string text;
    StatusField field = StatusField::OffsetTime;
    StatusState state = StatusState::Idle;
    std::size_t line = 0;
};

KeptHost::KeptHost() = default;
KeptHost::~KeptHost() = default;

void KeptHost::ShowMessage(std::string_view text) {
    events_.push_back({Event::Kind::Message, std::string(text)});
}

void KeptHost::ShowLineMessage(std::size_t line, std::string_view text) {
    events_.push_back({.kind = Event::Kind::LineMessage, .text = std::string(text), .line = line});
}

void KeptHost::SetCurrentFile(std::string_view path) {
    events_.push_back({Event::Kind::CurrentFile, std::string(path)});
}

Answer KeptHost::Ask(std::string_view text) {
    ShowMessage(text);
    return Answer::Cancel;
}

void KeptHost::SetStatus(StatusField field, StatusState state) {
    events_.push_back({Event::Kind::Status, {}, field, state});
}

void KeptHost::ExplainStatus(StatusField field, std::string_view reason) {
    events_.push_back({Event::Kind::StatusReason, std::string(reason), field});
}

void KeptHost::ReportSkipped(std::string_view reason) {
    events_.push_back({Event::Kind::Skipped, std::string(reason)});
}

void KeptHost::SetStatusBar(std::string_view text) {
    events_.push_back({Event::Kind::StatusBar, std::string(text)});
}

void KeptHost::SelectReportKind(std::string_view mask) {
    events_.push_back({Event::Kind::ReportKind, std::string(mask)});
}

void KeptHost::PrintResult(std::string_view line) {
    events_.push_back({Event::Kind::Result, std::string(line)});
}

void KeptHost::GiveTo(Host& host) {
    for (const Event& event : events_) {
        switch (event.kind) {
            case Event::Kind::Message:
                host.ShowMessage(event.text);
                break;
            case Event::Kind::LineMessage:
                host.ShowLineMessage(event.line, event.text);
                break;
            case Event::Kind::CurrentFile:
                host.SetCurrentFile(event.text);
                break;
            case Event::Kind::Status:
                host.SetStatus(event.field, event.state);
                break;
            case Event::Kind::StatusReason:
                host.ExplainStatus(event.field, event.text);
                break;
            case Event::Kind::Skipped:
                host.ReportSkipped(event.text);
                break;
            case Event::Kind::StatusBar:
                host.SetStatusBar(event.text);
                break;
            case Event::Kind::ReportKind:
                host.SelectReportKind(event.text);
                break;
            case Event::Kind::Result:
                host.PrintResult(event.text);
                break;
        }
    }
    events_.clear();
}

namespace {

// What the threads share: the next item to take, and which items are finished.
struct Shared {
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<bool> done;
};

}  // namespace

void RunInOrder(std::size_t count, unsigned jobs, Host& host,
                const std::function<void(std::size_t, Host&)>& work,
                const std::function<void(std::size_t)>& before) {
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && host.StopRequested()) return;
            before(i);
            work(i, host);
        }
        return;
    }

    std::vector<KeptHost> hosts(count);
    std::vector<std::exception_ptr> errors(count);
    Shared shared;
    shared.done.assign(count, false);
    const auto worker = [&] {
        for (std::size_t i = shared.next++; i < count; i = shared.next++) {
            try {
                work(i, hosts[i]);
            } catch (...) {
                errors[i] = std::current_exception();
            }
            {
                const std::lock_guard lock(shared.mutex);
                shared.done[i] = true;
            }
            shared.finished.notify_one();
        }
    };
    std::vector<std::thread> threads;
    const unsigned threadCount = static_cast<unsigned>(std::min<std::size_t>(jobs, count));
    threads.reserve(threadCount);
    // The items are taken in order, so the first ones finish first and their events can be
    // given while the later ones run.
    const BusyCursor busy(host);
    for (unsigned t = 0; t < threadCount; ++t)
        threads.emplace_back(worker);

    std::exception_ptr error;
    // A Stop leaves the items not started yet alone; those already taken run to their end.
    std::size_t end = count;
    for (std::size_t i = 0; i < end && !error; ++i) {
        for (;;) {
            std::unique_lock lock(shared.mutex);
            if (shared.finished.wait_for(lock, std::chrono::milliseconds(20),
                                         [&] { return shared.done[i]; })) {
                break;
            }
            lock.unlock();
            host.KeepResponsive();
        }
        before(i);
        hosts[i].GiveTo(host);
        error = errors[i];
        if (end == count && host.StopRequested()) end = std::min(shared.next.exchange(count), count);
    }
    if (error) shared.next = count;  // the items not started yet are left alone
    for (std::thread& thread : threads)
        thread.join();
    if (error) std::rethrow_exception(error);
}

}  // namespace tessaline
