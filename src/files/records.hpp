#pragma once

// SubRip records as the operations meet them in a stream of lines: a number line, the timing
// line, text lines, and an empty line that ends the record.

#include <array>
#include <cstdint>
#include <functional>
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

/// Reads the lines of a SubRip file as the record algorithms expect them, whatever the file's
/// habits: a record starts at a timing line, and a whole-number line right before it (blank lines
/// between them allowed) is its number. Where a record starts without its number, a number line
/// is put before its timing line (one above the last number read); where a record starts right
/// after a text or timing line, an empty line is put before it. Every other line passes as it is.
/// So a file without numbers, or without the empty line before the next record, reads as a
/// well-formed one, and no algorithm can take a timing line for text or glue two records.
class SubRipShaper {
  public:
    /// What the shaper put into the lines: the number of the record it did it for.
    enum class Added { EmptyLine, Number };
    using Note = std::function<void(Added what, std::int64_t number)>;

    explicit SubRipShaper(LineReader& in) : in_(in) {}

    /// Called for each line the shaper adds (for the operation's report).
    void SetNote(Note note) { note_ = std::move(note); }

    /// The next line; false at the end of the file.
    bool ReadLine(std::string& line);
    /// The next line as a view, valid until the next read: a view into the reader's buffer
    /// where it can be, so that a long line is not copied on the way. Inline, as it runs for
    /// every line of a file and nearly every line only passes.
    bool ReadLine(std::string_view& line) {
        if (addedNext_ < addedCount_ || holding_ || aheadCount_ > 0) return ReadPending(line);
        atNumber_ = false;
        atAdded_ = false;
        return in_.ReadLine(line) && Classify(line);
    }
    /// No line is left.
    [[nodiscard]] bool AtEnd();
    /// The line last read is a record's number (one of the file's or one the shaper added).
    [[nodiscard]] bool AtRecordNumber() const { return atNumber_; }
    /// The line last read is one the shaper added.
    [[nodiscard]] bool AtAddedLine() const { return atAdded_; }

  private:
    enum class Last { Start, Blank, Number, Timing, Text };
    // Blank lines looked past to find the timing line after a number: more would make the
    // look-ahead grow with the file.
    static constexpr std::size_t kLookAhead = 16;

    bool ReadPending(std::string_view& line);
    // Notes what the line is and gives the added lines first where it needs them; true.
    bool Classify(std::string_view& line) {
        // The timing line a number line found in the buffer comes next, where it was found;
        // any other line forgets it.
        timingSeen_ = timingAt_ == line.data();
        timingAt_ = nullptr;
        if (IsBlankLine(line)) {
            // Blank lines between a number and its timing line leave the number in force.
            if (last_ != Last::Number) last_ = Last::Blank;
            return true;
        }
        // Nearly every text line begins with a letter or a mark: neither a timing line nor a
        // number does.
        const char first = line.front();
        if ((first < '0' || first > '9') && first != ' ' && first != '\t' && first != '+' &&
            first != '-') {
            last_ = Last::Text;
            return true;
        }
        return ClassifyOther(line);
    }
    bool ClassifyOther(std::string_view& line);
    bool Pull(std::string& line);
    bool Peek(std::size_t index);
    bool NumberBeforeTiming();
    void Add(std::string_view text, Added what, std::int64_t number);
    bool GiveAdded(std::string& line);

    LineReader& in_;
    Note note_;
    // Lines read ahead of the one being given out, oldest first.
    std::array<std::string, kLookAhead + 1> ahead_;
    std::size_t aheadStart_ = 0;
    std::size_t aheadCount_ = 0;
    // Lines still to pull before the one NumberBeforeTiming found to be a timing line (0: none
    // known), and whether the line pulled last is that one: it is not tested again.
    std::size_t timingAhead_ = 0;
    bool pulledTiming_ = false;
    // The timing line after a number line, found in the reader's buffer: where it starts, and
    // whether the line being classified is that one (it is not tested again).
    const char* timingAt_ = nullptr;
    bool timingSeen_ = false;
    // Lines the shaper added, given out before the line that made it add them.
    std::array<std::string, 2> added_;
    std::size_t addedNext_ = 0;
    std::size_t addedCount_ = 0;
    bool addedNumberLast_ = false;
    std::string held_;  // the line that follows the added ones
    bool holding_ = false;
    bool heldIsNumber_ = false;
    std::string current_;  // the line ReadLine(string_view&) hands out
    Last last_ = Last::Start;
    bool atNumber_ = false;
    bool atAdded_ = false;
    std::int64_t lastNumber_ = 0;  // the value of lastNumberText_ once it is read
    std::string lastNumberText_;
    bool lastNumberRead_ = true;
    std::int64_t LastNumber();
};

/// What ReadSubtitleRecord met.
enum class RecordRead {
    End,     // the input had no more lines
    Line,    // one line that does not start a record; it is in the current line
    Record,  // a whole record; its lines are in the record line list
};

/// The lines of a record. Clearing keeps the strings, and a line added later is assigned into
/// one of them: reading record after record then allocates only for a line longer than any
/// before it in that place.
class RecordLines {
  public:
    RecordLines() = default;
    RecordLines(const RecordLines& other) { *this = other; }
    RecordLines(RecordLines&&) noexcept = default;
    RecordLines& operator=(const RecordLines& other) {
        if (this == &other) return *this;
        clear();
        for (const std::string& line : other)
            push_back(line);
        return *this;
    }
    RecordLines& operator=(RecordLines&&) noexcept = default;
    ~RecordLines() = default;

    void push_back(std::string_view line) {
        if (count_ == lines_.size()) {
            lines_.emplace_back(line);
        } else {
            lines_[count_].assign(line);
        }
        ++count_;
    }
    void clear() { count_ = 0; }
    [[nodiscard]] std::size_t size() const { return count_; }
    [[nodiscard]] bool empty() const { return count_ == 0; }
    [[nodiscard]] const std::string& operator[](std::size_t i) const { return lines_[i]; }
    [[nodiscard]] const std::string& back() const { return lines_[count_ - 1]; }
    [[nodiscard]] LineList::const_iterator begin() const { return lines_.begin(); }
    [[nodiscard]] LineList::const_iterator end() const {
        return lines_.begin() + static_cast<std::ptrdiff_t>(count_);
    }

  private:
    LineList lines_;  // the first count_ hold the record, the rest are kept for their memory
    std::size_t count_ = 0;
};

/// One SubRip record as ReadSubtitleRecord leaves it.
struct SubtitleRecord {
    int number = 0;
    TimeMs on = 0;
    TimeMs off = 0;
    /// Number line, timing line, text lines and the empty line that ended the record (blank
    /// lines between number and timing line are dropped).
    RecordLines lines;
};

/// Reads one line. When it starts no record it goes into `current`; when it is a record's
/// number, the whole record goes into `record`: the blank lines before the timing line are skipped,
/// the timing line is parsed (with `pad`, the TimeCorrection setting), the text runs to an empty or
/// single-blank line. A record cut short by the end of the input ends there. Throws ConversionError
/// for a timing line whose fields do not convert.
RecordRead ReadSubtitleRecord(SubRipShaper& in, std::string& current, bool pad,
                              SubtitleRecord& record);

/// Copies a record line list: when `source` holds a line, `destination` becomes its copy; an
/// empty source leaves the destination as it is.
void CopyLines(const LineList& source, LineList& destination);

}  // namespace tessaline
