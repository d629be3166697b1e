#pragma once

// A Host that records what an operation showed, for tests and for callers that decide later
// what to show.

#include <map>
#include <string>
#include <vector>

#include "files/host.hpp"

namespace tessaline {

class RecordingHost : public Host {
  public:
    void ShowMessage(std::string_view text) override {
        messages.emplace_back(text);
        messageFiles.push_back(currentFile);
    }
    void SetCurrentFile(std::string_view path) override { currentFile = path; }
    Answer Ask(std::string_view text) override {
        questions.emplace_back(text);
        return answer;
    }
    void SetStatus(StatusField field, StatusState state) override {
        status[field] = state;
        statusHistory.push_back(state);
    }
    void ExplainStatus(StatusField field, std::string_view reason) override {
        statusReason[field] = reason;
    }
    void SetStatusBar(std::string_view text) override { statusBar = text; }
    void SummarizeRun(std::string_view summary) override { summaries.emplace_back(summary); }
    void ShowProgress(std::string_view text) override { progressText = text; }
    void SetBusy(bool on) override {
        busy = on;
        ++busyChanges;
    }
    void ProcessEvents() override { ++eventCalls; }
    void SelectReportKind(std::string_view mask) override { reportKind = mask; }
    void ShowDirectoryProgress(std::string_view text) override { progress.emplace_back(text); }
    void PrintResult(std::string_view line) override { results.emplace_back(line); }
    void ReportSkipped(std::string_view reason) override { skipped.emplace_back(reason); }

    /// The state of a status field; Idle when it was never set.
    [[nodiscard]] StatusState Status(StatusField field) const {
        const auto it = status.find(field);
        return it == status.end() ? StatusState::Idle : it->second;
    }

    std::vector<std::string> messages;
    std::vector<std::string> messageFiles;  // the current file of each message
    std::string currentFile;
    std::vector<std::string> questions;
    Answer answer = Answer::Cancel;  // what Ask returns
    std::map<StatusField, StatusState> status;
    std::vector<StatusState> statusHistory;
    std::map<StatusField, std::string> statusReason;  // the last explanation of a red field
    std::string statusBar;
    std::vector<std::string> summaries;  // SummarizeRun texts, in order
    std::string progressText;            // the last progress text
    bool busy = false;
    int busyChanges = 0;
    long eventCalls = 0;
    std::string reportKind;
    std::vector<std::string> progress;
    std::vector<std::string> results;  // PrintResult lines
    std::vector<std::string> skipped;  // ReportSkipped reasons
};

}  // namespace tessaline
