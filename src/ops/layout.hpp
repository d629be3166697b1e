#pragma once

// What the line-layout operations share: the SubRip record as they read it, the MicroDVD frame
// line cut into its frames and its text, and the tests of a display line's start.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/strings.hpp"
#include "files/frame.hpp"
#include "files/records.hpp"

namespace tessaline {

/// The line begins, in any letter case, with "<i>-", "<b>-", "{y:i}-" or "{y:b}-".
[[nodiscard]] bool StartsWithTagThenDash(std::string_view line);

/// A dialogue line: it begins with "-", or, in any letter case, with "<i>-", "<b>-", "{y:i}-"
/// or "{y:b}-". Asked of every line: one that begins with no "-", "<" or "{" is answered
/// without a call.
[[nodiscard]] inline bool IsDialogLine(std::string_view line) {
    if (line.empty()) return false;
    const char first = line.front();
    return first == '-' || ((first == '<' || first == '{') && StartsWithTagThenDash(line));
}

/// The line begins with a space, or, in any letter case, with "<i> ", "<b> ", "{y:i} " or
/// "{y:b} ".
[[nodiscard]] bool StartsWithSpace(std::string_view line);

/// A line that ends in a one-letter word (a space before the last character, which is no
/// hyphen: a hyphen after a space is a dash) or a two-letter word (a space before the last two).
/// A line can end in both ("a b c": "c" and " c").
struct EndWords {
    bool oneLetter = false;
    bool twoLetters = false;
};
[[nodiscard]] EndWords ShortWordsAtEnd(std::string_view line);
/// ShortWordsAtEnd of a line whose characters are its code points (any Windows-1251 line, a
/// plain UTF-8 one, see IsPlainUtf8), without walking its characters.
[[nodiscard]] EndWords PlainShortWordsAtEnd(std::string_view line);

/// The most characters a UTF-8 text can have (CharCount never exceeds it), found without reading
/// them: its bytes less its two-byte code points. Exact for text of ASCII and two-byte letters
/// (Cyrillic).
[[nodiscard]] std::size_t Utf8CharsAtMost(std::string_view text);

/// The display lines a text line of `length` characters needs: 1 when it fits the line length,
/// else the length divided by the line length, rounded up.
[[nodiscard]] int NeededLines(std::size_t length, int lineLength);

/// Runs a layout operation in the frame: the body gets the run and whether the input is SubRip
/// ("srt"; else MicroDVD, "sub"). A file of any other kind is refused with its message (when the
/// run is interactive) and leaves no output: an empty one would wipe the file out if "Rename
/// out-File" put it in the input's place.
RunResult RunLayout(const FrameRequest& request, Host& host,
                    const std::function<void(FrameRun& run, bool subRip)>& body);

/// A MicroDVD frame line cut after its second closing bracket.
struct FrameLineParts {
    std::string_view frames;  // "{100}{150}": the label of the subtitle in reports
    std::string_view text;
};

/// The frames and the text of a frame line; nothing for a blank line or a line without two
/// closing brackets (not a frame line).
[[nodiscard]] std::optional<FrameLineParts> SplitFrameLine(std::string_view line, char close);

/// A SubRip subtitle as the layout operations read it.
struct LayoutRecord {
    std::string number;  // the number line: the subtitle's label in reports
    LineList gap;        // blank lines between the number and the timing line
    std::string timing;
    std::string end;           // the line that ended the record: "" or " "
    bool ended = false;        // false: the input ended inside the record
    std::uint64_t offset = 0;  // where the number line starts in the file
};

/// Reads a SubRip file record by record, handing on the lines outside records one by one.
///
/// A record starts at a number line at the start of the file or after a blank line, when the
/// next line that is not blank holds "-->" (the shaper sees that a record always does). Its text
/// runs to an empty line. A line of one space ends it too when an empty line, a number line or the
/// end of the input follows; otherwise it is a text line: the padding that "Subtitles To Bottom"
/// puts above a short subtitle.
class LayoutReader {
  public:
    /// How the records are found: `Shaped`, the run's lines come through a SubRipShaper (every
    /// record starts after an empty line with its number, added where the file lacks them);
    /// `AsWritten`, the lines as they stand in the file, for a reader that needs each line's
    /// place in the file (the editor's index).
    enum class Records { Shaped, AsWritten };

    explicit LayoutReader(FrameRun& run, Records records = Records::Shaped)
        : run_(run), offsets_(records == Records::AsWritten), readAside_(offsets_) {
        if (records == Records::Shaped) run.ShapeSubRipRecords();
    }

    /// Passed: a record of more than kMostRecordLines text lines, copied through as it was
    /// (EachRecord with copyOtherLines) or skipped, never held.
    enum class Item { End, Line, Record, Passed };

    /// No subtitle has this many text lines: a record that does (a text file under a timing
    /// line, a damaged file) is left as it is rather than held whole in memory.
    static constexpr std::size_t kMostRecordLines = 10'000;

    /// The next record, or the next line outside records.
    Item Next();

    /// Calls `onRecord` for every record (read it through record() and text()); the lines
    /// outside records, and the records too long to hold, are written as they are when
    /// `copyOtherLines`.
    template <class OnRecord>
    void EachRecord(bool copyOtherLines, OnRecord onRecord) {
        passAfter_ = kMostRecordLines;
        writePassed_ = copyOtherLines;
        for (Item item = Next(); item != Item::End; item = Next()) {
            if (item == Item::Record) {
                onRecord();
            } else if (item == Item::Line && copyOtherLines) {
                run_.WriteLine(line_);
            }
        }
    }

    /// The line of Item::Line.
    [[nodiscard]] const std::string& line() const { return line_; }
    /// The record of Item::Record, and its text lines.
    [[nodiscard]] const LayoutRecord& record() const { return record_; }
    [[nodiscard]] std::span<const std::string> text() const { return {text_.data(), count_}; }

    /// Keeps at most `lines` text lines of a record (the others are read and dropped), for a
    /// reader that must not hold a record of any length; dropped() tells how many were.
    void KeepAtMost(std::size_t lines) { keepAtMost_ = lines; }
    [[nodiscard]] std::size_t dropped() const { return dropped_; }

    /// Writes the record as it was read.
    void WriteRecord();
    /// Writes the record's number line, blank lines and timing line.
    void WriteHead();

  private:
    /// The next line as a view, valid until the next read, and where it starts in the file (0
    /// unless the records are read as written).
    bool Read(std::string_view& line, std::uint64_t& offset);
    /// Read when readAside_: a line to read again, or the line's offset asked for.
    bool ReadAside(std::string_view& line, std::uint64_t& offset);
    /// Puts a line read ahead in front of the lines to be read again.
    void ReadAgain(std::string_view line, std::uint64_t offset);
    void ReadText();

    struct Pending {
        std::string line;
        std::uint64_t offset = 0;
    };

    FrameRun& run_;
    // Only the lines as written have a place in the file: a shaped line may be one the shaper
    // added or holds back, and asking for the offset costs a count over every line (UTF-16).
    bool offsets_;
    std::deque<Pending> pending_;  // lines read ahead, to be read again
    std::string held_;             // the line of pending_ being read again
    bool readAside_;               // offsets_, or a line is pending: not a plain read
    bool atStart_ = true;
    std::string line_;
    LayoutRecord record_;
    std::vector<std::uint64_t> gapOffsets_;  // where the record's blank lines start
    LineList text_;  // the record's text lines: the first count_; the strings are reused
    std::size_t count_ = 0;
    std::size_t keepAtMost_ = SIZE_MAX;
    std::size_t dropped_ = 0;
    std::size_t passAfter_ = SIZE_MAX;  // a record of more text lines is passed through
    bool writePassed_ = false;
    bool passing_ = false;
};

}  // namespace tessaline
