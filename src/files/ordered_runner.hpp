#pragma once

// Runs independent items (the files of a folder run) on several threads while the user sees
// exactly what a run one after another would show: each item talks to a host of its own whose
// events are kept, and the kept events are given to the real host in item order.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/host.hpp"

namespace tessaline {

/// A host that keeps what an item showed, to be given to another host later. Per-line and
/// per-block calls (events, progress, the busy cursor) are dropped: the thread that waits for
/// the items keeps the window alive and shows the folder's progress itself. A question is never
/// asked from a worker: it is kept as a message and answered Cancel, as the command line does.
class KeptHost : public Host {
  public:
    KeptHost();
    ~KeptHost() override;

    void ShowMessage(std::string_view text) override;
    void ShowLineMessage(std::size_t line, std::string_view text) override;
    void SetCurrentFile(std::string_view path) override;
    Answer Ask(std::string_view text) override;
    void SetStatus(StatusField field, StatusState state) override;
    void ExplainStatus(StatusField field, std::string_view reason) override;
    void ReportSkipped(std::string_view reason) override;
    void SetStatusBar(std::string_view text) override;
    void ShowProgress(std::string_view) override {}
    void SetBusy(bool) override {}
    void ProcessEvents() override {}
    void SelectReportKind(std::string_view mask) override;
    void ShowDirectoryProgress(std::string_view) override {}
    void PrintResult(std::string_view line) override;

    /// Gives every kept event to `host`, in the order they came, and forgets them.
    void GiveTo(Host& host);

  private:
    struct Event;
    std::vector<Event> events_;
};

/// Runs `work(i, host)` for every i below `count` on up to `jobs` threads. With one job (or one
/// item) everything runs on the calling thread, straight on `host`. Otherwise each item gets a
/// KeptHost whose events go to `host` in item order. `before(i)` runs on the calling thread just
/// before item i's events are given (before the item runs, with one job). While it waits, the
/// calling thread calls `host.KeepResponsive()`. An exception from an item comes out of this
/// call once the items before it are given. When `host.StopRequested()` says so between items,
/// the items not started yet are left out.
void RunInOrder(std::size_t count, unsigned jobs, Host& host,
                const std::function<void(std::size_t index, Host& host)>& work,
                const std::function<void(std::size_t index)>& before);

}  // namespace tessaline
