#include "app/report_viewer.hpp"

#include <algorithm>

#include "app/session.hpp"
#include "core/paths.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "ops/layout.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kFindingSeparator = " = ";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<ReportFinding> ParseReportLine(std::string_view line, SubtitleFormat format,
                                             char openBracket, char closeBracket) {
    std::string_view reference;
    std::string_view rest;
    if (format == SubtitleFormat::SubRip) {
        const auto digitsEnd = [&](std::size_t from) {
            while (from < line.size() && IsDigit(line[from]))
                ++from;
            return from;
        };
        const std::size_t end = digitsEnd(0);
        if (end == 0) return std::nullopt;
        reference = line.substr(0, end);
        // A finding about a run of subtitles ("12-14 = Break Time on 3 tails") names its first.
        std::size_t after = end;
        if (after + 1 < line.size() && line[after] == '-' && IsDigit(line[after + 1])) {
            after = digitsEnd(after + 1);
        }
        rest = line.substr(after);
    } else if (format == SubtitleFormat::MicroDvd) {
        if (line.empty() || line.front() != openBracket) return std::nullopt;
        const auto parts = SplitFrameLine(line, closeBracket);
        if (!parts) return std::nullopt;
        reference = parts->frames;
        rest = parts->text;
    } else {
        return std::nullopt;
    }
    // A line that only starts with a number ("3 Subtitles Attached To Bottom") is no finding.
    if (!rest.starts_with(kFindingSeparator)) return std::nullopt;
    return ReportFinding{std::string(reference),
                         std::string(rest.substr(kFindingSeparator.size()))};
}

std::string ReportViewer::ReportPath() const {
    const std::string& kind = session_.logExt();
    if (kind.empty() || session_.openFile.empty()) return {};
    return ChangeFileExtMode(session_.openFile, kind, 3);
}

void ReportViewer::Load() {
    SubtitleEditor& editor = session_.editor;
    lines_.clear();
    current_ = 0;
    message_.clear();
    editor.Clear();
    const std::string path = ReportPath();
    encoding_ = {};
    if (path.empty() || !IsRegularFile(path)) return;
    try {
        // A report is written in its input's encoding. Its own bytes decide where they are sure
        // (a byte-order mark, UTF-16, UTF-8); a few lines of a single-byte code page are read
        // as the open file is, since the detector could take them for another code page.
        encoding_ = DecideFileEncoding(path);
        const bool sure = encoding_.bom || encoding_.encoding == TextEncoding::Utf8 ||
                          encoding_.encoding == TextEncoding::Utf16le ||
                          encoding_.encoding == TextEncoding::Utf16be;
        if (!sure && session_.openEncoding) encoding_ = *session_.openEncoding;
        LineReader reader(path, encoding_);
        for (std::string line; reader.ReadLine(line);)
            lines_.push_back(std::move(line));
    } catch (const FileError& e) {
        lines_.clear();
        encoding_ = {};
        const CurrentFile about(session_.host(), path);
        session_.host().ShowMessage(e.what());
        return;
    }
    if (lines_.empty()) return;
    Show(1);
    // The time test's findings are about timings: the timing rows are shown.
    if (session_.logExt() == "*.time") editor.showTime = true;
}

void ReportViewer::Show(std::size_t n) {
    if (n == 0 || n > lines_.size()) return;
    SubtitleEditor& editor = session_.editor;
    if (!editor.SaveIfModified()) return;
    current_ = n;
    const std::string& line = lines_[n - 1];
    const Settings& settings = session_.settings();
    const auto finding =
        ParseReportLine(line, FormatOfPath(session_.openFile),
                        FirstChar(settings.Text("OpenBrackets"), '{'),
                        FirstChar(settings.Text("CloseBrackets"), '}'));
    if (!finding) {
        message_ = line;
        editor.Clear();
        return;
    }
    message_ = finding->message;
    editor.subNumber = finding->reference;
    if (!editor.GoTo()) {
        // The subtitle is not in the file (any more): nothing is shown but its number.
        editor.Clear();
        editor.subNumber = finding->reference;
    }
}

void ReportViewer::Step(int by) {
    if (lines_.empty()) return;
    const auto n = static_cast<std::ptrdiff_t>(current_) + by;
    Show(static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(
        n, 1, static_cast<std::ptrdiff_t>(lines_.size()))));
}

void ReportViewer::Prev() {
    Step(-1);
}

void ReportViewer::Next() {
    Step(1);
}

}  // namespace tessaline
