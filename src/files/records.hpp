#pragma once

// SubRip records as the operations meet them in a stream of lines: a number line, the timing
// line, text lines, and an empty line that ends the record.

#include <string>
#include <string_view>

#include "core/strings.hpp"
#include "core/times.hpp"
#include "files/line_io.hpp"

namespace tessaline {

/// An empty line or a line of exactly one space: both end a record.
[[nodiscard]] inline bool IsBlankLine(std::string_view line) {
    return line.empty() || line == " ";
}

/// What ReadSubtitleRecord met.
enum class RecordRead {
    End,     // the input had no more lines
    Line,    // one line that does not start a record; it is in the current line
    Record,  // a whole record; its lines are in the record line list
};

/// One SubRip record as ReadSubtitleRecord leaves it.
struct SubtitleRecord {
    int number = 0;
    TimeMs on = 0;
    TimeMs off = 0;
    /// Number line, timing line, text lines and the empty line that ended the record (blank
    /// lines between number and timing line are dropped).
    LineList lines;
};

/// Reads one line into `current`. When it is a number line and `atRecordStart` is set, reads the
/// whole record into `record`: the blank lines before the timing line are skipped, the timing
/// line is parsed (with `pad`, the TimeCorrection setting), the text runs to an empty or
/// single-blank line, which sets `atRecordStart` again. A record cut short by the end of the
/// input ends there with `atRecordStart` left false. Throws ConversionError for a timing line
/// whose fields do not convert.
RecordRead ReadSubtitleRecord(LineReader& in, std::string& current, bool& atRecordStart, bool pad,
                              SubtitleRecord& record);

/// Copies a record line list: when `source` holds a line, `destination` becomes its copy; an
/// empty source leaves the destination as it is.
void CopyLines(const LineList& source, LineList& destination);

}  // namespace tessaline
