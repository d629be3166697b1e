#include "ops/record_stream.hpp"

#include <limits>

#include "core/paths.hpp"
#include "files/frame.hpp"

namespace tessaline {
namespace {

// No time of day reads as this value: it marks a record whose timing line was not read.
constexpr TimeMs kNoTime = std::numeric_limits<TimeMs>::max();

}  // namespace

std::size_t StreamRecord::TextEnd() const {
    const RecordLines& lines = record.lines;
    const std::size_t end = !lines.empty() && IsBlankLine(lines.back()) && lines.size() > 1
                                ? lines.size() - 1
                                : lines.size();
    return end < TextBegin() ? TextBegin() : end;
}

std::string_view StreamRecord::TimingLine() const {
    return timed ? std::string_view(record.lines[1]) : std::string_view();
}

bool RecordStream::Next(StreamRecord& rec) {
    rec.before.clear();
    rec.record.lines.clear();
    rec.record.on = kNoTime;
    rec.record.off = kNoTime;
    for (;;) {
        switch (ReadSubtitleRecord(in_, current_, pad_, rec.record)) {
            case RecordRead::End:
                rec.timed = false;
                return false;
            case RecordRead::Line:
                rec.before.push_back(current_);
                continue;
            case RecordRead::Record:
                rec.timed = rec.record.on != kNoTime && rec.record.lines.size() > 1;
                return true;
        }
    }
}

void WriteRecordLines(FrameRun& run, const StreamRecord& rec, std::size_t from, std::size_t to,
                      std::optional<std::string_view> timing) {
    if (from == 0) {
        for (const std::string_view line : rec.before)
            run.WriteLine(line);
    }
    for (std::size_t i = from; i < to && i < rec.size(); ++i) {
        run.WriteLine(timing && i == 1 && rec.timed ? *timing : std::string_view(rec.lines()[i]));
    }
}

void WriteRecord(FrameRun& run, const StreamRecord& rec, std::optional<std::string_view> timing) {
    WriteRecordLines(run, rec, 0, rec.size(), timing);
}

bool IsFrameLine(std::string_view line, char open, char close) {
    const char pair[] = {close, open};
    return line.find(std::string_view(pair, 2)) != std::string_view::npos;
}

std::string FramePrefix(std::string_view line, char close) {
    std::string prefix(TextBeforeNthChar(line, close, 2));
    prefix += close;
    return prefix;
}

void AbandonUnsupportedKind(FrameRun& run) {
    run.Tell(std::string(kNotSupportFileExtension) + FileExtOf(run.inputPath()));
    run.Abandon();
}

RunResult RunByKind(const FrameRequest& request, Host& host,
                    const std::function<void(FrameRun&)>& srt,
                    const std::function<void(FrameRun&)>& sub) {
    const std::string ext = LowerExtOf(request.input);
    const auto& body = ext == "srt" ? srt : ext == "sub" ? sub : nullptr;
    return RunInFrame(request, host, [&](FrameRun& run) {
        if (body) {
            body(run);
        } else {
            AbandonUnsupportedKind(run);
        }
    });
}

std::string TimingLineWithTail(TimeMs on, TimeMs off, std::string_view line, bool pad) {
    std::string timing = MakeTimingLine(on, off);
    const auto parsed = ParseTimingLine(line, pad);
    if (parsed && !parsed->tail.empty()) {
        timing += ' ';
        timing += parsed->tail;
    }
    return timing;
}

}  // namespace tessaline
