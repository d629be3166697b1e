#include "files/records.hpp"

namespace tessaline {

RecordRead ReadSubtitleRecord(LineReader& in, std::string& current, bool& atRecordStart, bool pad,
                              SubtitleRecord& record) {
    if (!in.ReadLine(current)) return RecordRead::End;
    // A number line is a record number only at the start of the file or after a blank line;
    // elsewhere a line of digits is subtitle text.
    if (!atRecordStart || !IsNumberStr(current)) return RecordRead::Line;

    atRecordStart = false;
    record.lines.clear();
    record.number = StrToIntSafe(current);
    record.lines.push_back(current);

    bool more = in.ReadLine(current);
    while (more && IsBlankLine(current))
        more = in.ReadLine(current);
    if (!more) return RecordRead::Record;

    record.lines.push_back(current);
    if (current.find("-->") != std::string::npos) {
        if (const auto timing = ParseTimingLine(current, pad)) {
            record.on = timing->on;
            record.off = timing->off;
        }
    }
    while (in.ReadLine(current)) {
        record.lines.push_back(current);
        if (IsBlankLine(current)) {
            atRecordStart = true;
            break;
        }
    }
    return RecordRead::Record;
}

void CopyLines(const LineList& source, LineList& destination) {
    if (!source.empty()) destination = source;
}

}  // namespace tessaline
