#pragma once

// SubRip records as the timing repairs walk them: each record with the stray lines that came
// before it (lines that start no record: text before the first subtitle, text after an empty line
// without a number), so that an operation holding a few records at a time still writes every line
// in its place.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/records.hpp"

namespace tessaline {

class FrameRun;
struct FrameRequest;
class Host;
enum class RunResult;

/// The report line of a file that ends where a subtitle's next line was due.
inline constexpr std::string_view kEndOfInFile = " = END of IN-file ==================== !!!";

/// Lines kept in one piece of text, each ended by '\n' (which no line read holds): a hostile
/// file's hundreds of thousands of empty lines between two records cost a byte or two a line,
/// not a string a line, so memory stays near the size of what is held.
class StrayLines {
  public:
    class iterator {
      public:
        explicit iterator(std::string_view rest) : rest_(rest) {}
        [[nodiscard]] std::string_view operator*() const {
            return rest_.substr(0, rest_.find('\n'));
        }
        iterator& operator++() {
            rest_.remove_prefix(rest_.find('\n') + 1);
            return *this;
        }
        [[nodiscard]] bool operator==(const iterator& other) const {
            return rest_.size() == other.rest_.size();
        }

      private:
        std::string_view rest_;
    };

    void push_back(std::string_view line) {
        text_.append(line);
        text_ += '\n';
    }
    void clear() { text_.clear(); }
    [[nodiscard]] bool empty() const { return text_.empty(); }
    [[nodiscard]] iterator begin() const { return iterator(text_); }
    [[nodiscard]] iterator end() const {
        return iterator(std::string_view(text_).substr(text_.size()));
    }

  private:
    std::string text_;
};

/// One record of a SubRip stream.
struct StreamRecord {
    /// The lines between the previous record and this one that start no record.
    StrayLines before;
    /// Number line, timing line, text lines, closing empty line; its number and, when `timed`,
    /// its times.
    SubtitleRecord record;
    /// The second line is a timing line whose times were read.
    bool timed = false;

    [[nodiscard]] const RecordLines& lines() const { return record.lines; }
    [[nodiscard]] std::size_t size() const { return record.lines.size(); }
    /// The index of the first text line: after the timing line, or after the number when the
    /// record has no timing line.
    [[nodiscard]] std::size_t TextBegin() const { return timed ? 2 : 1; }
    /// The index after the last text line: the closing empty line, or the end of a record cut
    /// short by the end of the file.
    [[nodiscard]] std::size_t TextEnd() const;
    /// The record has at least one text line.
    [[nodiscard]] bool HasText() const { return TextEnd() > TextBegin(); }
    /// The timing line (empty for a record without one).
    [[nodiscard]] std::string_view TimingLine() const;
};

/// Reads the records of a SubRip file one after another.
class RecordStream {
  public:
    /// `pad` is the TimeCorrection setting.
    RecordStream(LineReader& in, bool pad) : in_(in), pad_(pad) {}

    /// The next record into `rec`. False at the end of the file; the lines after the last record
    /// are then in `rec.before`. Throws ConversionError for a timing line that does not convert.
    bool Next(StreamRecord& rec);

  private:
    SubRipShaper in_;
    bool pad_;
    std::string current_;
};

/// Writes a record's stray lines and then its lines from `from` up to (not including) `to`, with
/// the timing line replaced by `timing` when one is given.
void WriteRecordLines(FrameRun& run, const StreamRecord& rec, std::size_t from, std::size_t to,
                      std::optional<std::string_view> timing = std::nullopt);

/// Writes a whole record (stray lines first), the timing line replaced by `timing` when given.
void WriteRecord(FrameRun& run, const StreamRecord& rec,
                 std::optional<std::string_view> timing = std::nullopt);

/// A MicroDVD frame line: "}{" (with the given brackets) between its two frame numbers.
[[nodiscard]] bool IsFrameLine(std::string_view line, char open, char close);

/// "{on}{off}": a frame line up to and including its second closing bracket.
[[nodiscard]] std::string FramePrefix(std::string_view line, char close);

/// Gives the run up for a file of a kind the operation cannot read: shows "Not Support File
/// extension: " + its extension when the run is interactive, and keeps no output (an empty one
/// would wipe the subtitles out if "Rename out-File" put it in the input's place).
void AbandonUnsupportedKind(FrameRun& run);

/// Runs `srt` or `sub` in the frame by the lower-case kind of the request's input; another kind,
/// or one without a body, is refused as AbandonUnsupportedKind does.
RunResult RunByKind(const FrameRequest& request, Host& host,
                    const std::function<void(FrameRun&)>& srt,
                    const std::function<void(FrameRun&)>& sub = {});

/// The timing line of new times with the tail ("<x1>") that `line` carried kept after them.
[[nodiscard]] std::string TimingLineWithTail(TimeMs on, TimeMs off, std::string_view line,
                                             bool pad);

}  // namespace tessaline
