#include "app/subtitle_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "core/errors.hpp"
#include "core/times.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/line_io.hpp"
#include "files/records.hpp"
#include "ops/layout.hpp"

namespace tessaline {
namespace {

namespace fs = std::filesystem;

// Whether a line is a number line (IsNumberStr), and its value. A subtitle's number line, a few
// digits, is read here at once; any other line as IsNumberStr reads it.
bool IsNumberLine(std::string_view line, std::int64_t& value) {
    if (!line.empty() && line.size() <= 9) {
        std::int64_t digits = 0;
        bool all = true;
        for (const char c : line) {
            if (c < '0' || c > '9') {
                all = false;
                break;
            }
            digits = digits * 10 + (c - '0');
        }
        if (all) {
            value = digits;
            return true;
        }
    }
    value = StrToIntSafe(line);
    return value != 0 || IsNumberStr(line);
}

bool IsNumberLine(std::string_view line) {
    std::int64_t value = 0;
    return IsNumberLine(line, value);
}

// A reading of the file that writes nothing: the frame's line reading without its checks. The
// lines are in the form of the file's encoding, which is this thread's while it lives.
class FileReading {
  public:
    FileReading(const std::string& path, const FileEncoding& encoding, Host& host,
                std::uint64_t offset = 0)
        : scope_(encoding), reader_(path, encoding), run_(reader_, nullptr, host, steps_, path) {
        reader_.SetHost(&host);
        if (offset > 0) reader_.Seek(offset);
    }
    FrameRun& run() { return run_; }
    LineReader& reader() { return reader_; }

  private:
    FrameSteps steps_{.interactive = false, .writesOutput = false};
    FileEncodingScope scope_;
    LineReader reader_;
    FrameRun run_;
};

// The text the editor shows for a SubRip subtitle without a text line of its own: the lines
// after the blank line that follows its timing, up to the next line that begins with a time. A
// number line is held back until it is known whether that line follows it directly (then the
// number belongs to the next subtitle and is not taken).
class SeparatedText {
  public:
    explicit SeparatedText(LineList& taken) : taken_(taken) {}

    /// Takes a line outside records; false when the text ended before it: the line, and the
    /// number line held before it (Released), are not part of the text.
    bool Feed(std::string_view line) {
        if (IsTimingLine(line)) return false;
        if (IsBlankLine(line)) {
            TakeHeld();
            return true;
        }
        TakeHeld();
        if (IsNumberStr(line)) {
            held_ = std::string(line);
        } else {
            taken_.emplace_back(line);
        }
        return true;
    }
    /// The text ends at a record or at the end of the file: a held number was text.
    void End() { TakeHeld(); }
    /// The number line held back when Feed returned false.
    [[nodiscard]] const std::optional<std::string>& Released() const { return held_; }

  private:
    void TakeHeld() {
        if (held_) taken_.push_back(std::move(*held_));
        held_.reset();
    }

    LineList& taken_;
    std::optional<std::string> held_;
};

// Writes the changed file line by line: a run of blank lines between subtitles becomes one
// empty line, everything else is written as read.
class ChangeWriter {
  public:
    ChangeWriter(FrameRun& run, const SubtitleIndex& index, std::span<const SubtitleChange> changes)
        : run_(run), index_(index), changes_(changes) {}

    void WriteSubRip() {
        if (!changes_.empty()) CopyUpTo(changes_.front());
        if (failed_) return;
        LayoutReader reader(run_, LayoutReader::Records::AsWritten);
        LineList dropped;
        std::optional<SeparatedText> separated;
        for (auto item = reader.Next(); item != LayoutReader::Item::End && !failed_;
             item = reader.Next()) {
            if (item == LayoutReader::Item::Line) {
                const std::string& line = reader.line();
                if (separated && separated->Feed(line)) continue;
                if (separated) {
                    if (separated->Released()) Line(*separated->Released());
                    separated.reset();
                }
                IsBlankLine(line) ? Blank() : Line(line);
                continue;
            }
            if (separated) separated->End();
            separated.reset();
            const LayoutRecord& record = reader.record();
            const SubtitleChange* change = ChangeAt(record.offset, record.timing);
            if (change == nullptr) {
                Line(record.number);
                for (const std::string& blank : record.gap)
                    Line(blank);
                Line(record.timing);
                for (const std::string& text : reader.text())
                    Line(text);
                if (record.ended) Blank();
            } else if (change->timingOnly) {
                Line(record.number);
                Line(change->with.front().timing);
                for (const std::string& text : reader.text())
                    Line(text);
                if (record.ended) Blank();
            } else if (change->with.empty()) {
                // Removed with its empty line; the blank lines after it go with it.
                lastBlank_ = true;
            } else {
                for (std::size_t i = 0; i < change->with.size(); ++i) {
                    if (i > 0) Blank();
                    Line(record.number);
                    Line(change->with[i].timing);
                    for (const std::string& text : change->with[i].lines)
                        Line(text);
                }
                if (record.ended) Blank();
                // The text that stood apart from its timing was shown as this subtitle's text:
                // the new text takes its place.
                if (reader.text().empty()) {
                    dropped.clear();
                    separated.emplace(dropped);
                }
            }
            ++position_;
        }
        Finish();
    }

    void WriteMicroDvd() {
        std::string_view line;
        for (std::uint64_t offset = run_.in().Offset(); !failed_ && run_.ReadLine(line);
             offset = run_.in().Offset()) {
            const auto parts = SplitFrameLine(line, index_.closeBracket);
            if (!parts) {
                IsBlankLine(line) ? Blank() : Line(line);
                continue;
            }
            const SubtitleChange* change = ChangeAt(offset, parts->frames);
            ++position_;
            if (change == nullptr) {
                Line(line);
            } else if (change->timingOnly) {
                Line(change->with.front().timing + std::string(parts->text));
            } else {
                for (const Subtitle& subtitle : change->with)
                    Line(subtitle.timing + JoinStrings(subtitle.lines, "|"));
            }
        }
        Finish();
    }

    [[nodiscard]] bool failed() const { return failed_; }

  private:
    // Writes the lines before the first changed subtitle as the loop of WriteSubRip would, but
    // line by line without copying them (in a film of a million subtitles most lines come before
    // it): the records are found as LayoutReader finds them (see EachRecordStart), a blank line
    // outside a record or ending one is written as Blank, a blank line between a number and its
    // timing and a text line of one space as read. It stops where the changed subtitle's number
    // line starts, which must begin a record at its position; otherwise the file changed.
    void CopyUpTo(const SubtitleChange& change) {
        enum class State { Outside, AfterNumber, Text, TextAfterSpace };
        State state = State::Outside;
        bool atStart = true;
        std::string number;
        LineList gap;  // blank lines after a number line, until it is known whether they are a gap
        // The number line held was no record's: it and the blank lines after it are lines.
        const auto noRecord = [&] {
            Line(number);
            for (std::size_t i = 0; i < gap.size(); ++i)
                Blank();
            atStart = !gap.empty();
            state = State::Outside;
        };
        std::string_view line;
        for (;;) {
            // Only where a record may start is the offset asked for (a count in UTF-16).
            if ((state == State::Outside && atStart) || state == State::AfterNumber ||
                state == State::TextAfterSpace) {
                const std::uint64_t offset = run_.in().Offset();
                if (offset >= change.entry.offset) {
                    if (state == State::AfterNumber) noRecord();
                    if (state == State::TextAfterSpace) {
                        Blank();  // the line of one space ended its record: a number follows
                        state = State::Outside;
                        atStart = true;
                    }
                    failed_ = offset != change.entry.offset || state != State::Outside ||
                              !atStart || position_ != change.position;
                    return;
                }
            }
            if (!run_.ReadLine(line)) {
                failed_ = true;  // the changed subtitle is not in the file
                return;
            }
            for (bool again = true; again;) {
                again = false;
                switch (state) {
                    case State::Outside:
                        if (atStart && IsNumberLine(line)) {
                            number.assign(line);
                            gap.clear();
                            state = State::AfterNumber;
                        } else {
                            IsBlankLine(line) ? Blank() : Line(line);
                            atStart = IsBlankLine(line);
                        }
                        break;
                    case State::AfterNumber:
                        if (IsBlankLine(line)) {
                            gap.emplace_back(line);
                        } else if (line.find("-->") != std::string_view::npos) {
                            Line(number);
                            for (const std::string& blank : gap)
                                Line(blank);
                            Line(line);
                            ++position_;
                            state = State::Text;
                        } else {
                            noRecord();
                            again = true;
                        }
                        break;
                    case State::Text:
                        if (line.empty()) {
                            Blank();
                            state = State::Outside;
                            atStart = true;
                        } else if (line == " ") {
                            state = State::TextAfterSpace;
                        } else {
                            Line(line);
                        }
                        break;
                    case State::TextAfterSpace:
                        if (line.empty() || IsNumberLine(line)) {
                            Blank();
                            state = State::Outside;
                            atStart = true;
                        } else {
                            Line(" ");
                            state = State::Text;
                        }
                        again = true;
                        break;
                }
            }
        }
    }

    // The change of the subtitle at the current position, checked against the file.
    const SubtitleChange* ChangeAt(std::uint64_t offset, std::string_view key) {
        if (next_ >= changes_.size() || changes_[next_].position != position_) return nullptr;
        const SubtitleChange& change = changes_[next_++];
        if (change.entry.offset != offset || change.entry.keyHash != KeyHash(key)) {
            failed_ = true;
        }
        return &change;
    }

    // Every change must have met its subtitle.
    void Finish() {
        if (next_ < changes_.size()) failed_ = true;
    }

    void Line(std::string_view line) {
        run_.WriteLine(line);
        lastBlank_ = false;
    }
    void Blank() {
        if (!lastBlank_) run_.WriteLine("");
        lastBlank_ = true;
    }

    FrameRun& run_;
    const SubtitleIndex& index_;
    std::span<const SubtitleChange> changes_;
    std::size_t next_ = 0;      // the next change to meet
    std::size_t position_ = 0;  // of the subtitle being read
    bool lastBlank_ = false;
    bool failed_ = false;
};

bool IsWholeNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

SubtitleFormat FormatOfPath(std::string_view path) {
    const std::string ext = LowerExtOf(path);
    if (ext == "srt") return SubtitleFormat::SubRip;
    if (ext == "sub") return SubtitleFormat::MicroDvd;
    return SubtitleFormat::Other;
}

std::size_t KeyHash(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

bool SubtitleIndex::Stale() const {
    return FileStamp(path) != std::pair(fileSize, fileTime);
}

const SubtitleEntry* SubtitleIndex::At(std::size_t position) const {
    if (!partial) return position < entries.size() ? &entries[position] : nullptr;
    const auto at = std::lower_bound(positions.begin(), positions.end(), position);
    if (at == positions.end() || *at != position) return nullptr;
    return &entries[static_cast<std::size_t>(at - positions.begin())];
}

namespace {

// The records of a SubRip file exactly as LayoutReader finds them in the lines as written (a
// number line at the start of the file or after a blank line, when the next line that is not
// blank holds "-->"; its text runs to an empty line, or to a line of one space that an empty
// line, a number line or the end follows), found line by line without copying any text:
// `each(offset, timing, number, value)` for every one, with the value of its number line.
template <class Each>
void EachRecordStart(FileReading& reading, Each each) {
    enum class State { Outside, AfterNumber, Text, TextAfterSpace };
    State state = State::Outside;
    bool atStart = true;  // outside records: a number line here may begin one
    bool gap = false;     // blank lines stand between the number line and this line
    std::string number;
    std::int64_t value = 0;
    std::uint64_t numberOffset = 0;
    LineReader& in = reading.reader();
    std::string_view line;
    for (;;) {
        // Only a line where a record may start needs its offset (a count in UTF-16).
        const bool mayStart = (state == State::Outside && atStart) || state == State::AfterNumber ||
                              state == State::TextAfterSpace;
        const std::uint64_t offset = mayStart ? in.Offset() : 0;
        if (!reading.run().ReadLine(line)) break;
        // A line that ends what came before it is looked at again on its own.
        for (bool again = true; again;) {
            again = false;
            switch (state) {
                case State::Outside:
                    if (atStart && IsNumberLine(line, value)) {
                        number.assign(line);
                        numberOffset = offset;
                        gap = false;
                        state = State::AfterNumber;
                    } else {
                        atStart = IsBlankLine(line);
                    }
                    break;
                case State::AfterNumber:
                    if (IsBlankLine(line)) {
                        gap = true;
                    } else if (line.find("-->") != std::string_view::npos) {
                        each(numberOffset, line, std::string_view(number), value);
                        state = State::Text;
                    } else {
                        // No timing line follows: the number line was text.
                        state = State::Outside;
                        atStart = gap;
                        again = true;
                    }
                    break;
                case State::Text:
                    if (line.empty()) {
                        state = State::Outside;
                        atStart = true;
                    } else if (line == " ") {
                        state = State::TextAfterSpace;
                    }
                    break;
                case State::TextAfterSpace:
                    // The line of one space ended the record, or was a text line.
                    if (line.empty() || IsNumberLine(line)) {
                        state = State::Outside;
                        atStart = true;
                    } else {
                        state = State::Text;
                    }
                    again = true;
                    break;
            }
        }
    }
}

// Reads the subtitles of an indexed file in order: `each(offset, key, number, value)` for every
// one, with its key (the timing line or the frame prefix), its number line and that line's value
// (empty and 0 in MicroDVD).
// `quickly`: SubRip records are found by EachRecordStart rather than by LayoutReader, which
// copies every line.
template <class Each>
void EachIndexed(SubtitleIndex& index, Host& host, bool quickly, Each each) {
    std::tie(index.fileSize, index.fileTime) = FileStamp(index.path);
    index.encoding = DecideFileEncoding(index.path);
    const BusyCursor busy(host);
    FileReading reading(index.path, index.encoding, host);
    if (index.format == SubtitleFormat::SubRip && quickly) {
        EachRecordStart(reading, each);
        return;
    }
    if (index.format == SubtitleFormat::SubRip) {
        LayoutReader reader(reading.run(), LayoutReader::Records::AsWritten);
        reader.KeepAtMost(0);  // the index needs no text
        for (auto item = reader.Next(); item != LayoutReader::Item::End; item = reader.Next()) {
            if (item != LayoutReader::Item::Record) continue;
            const LayoutRecord& record = reader.record();
            each(record.offset, std::string_view(record.timing), std::string_view(record.number),
                 std::int64_t{StrToIntSafe(record.number)});
        }
        return;
    }
    std::string_view line;
    for (std::uint64_t offset = reading.reader().Offset(); reading.run().ReadLine(line);
         offset = reading.reader().Offset()) {
        if (const auto parts = SplitFrameLine(line, index.closeBracket)) {
            each(offset, parts->frames, std::string_view(), std::int64_t{0});
        }
    }
}

SubtitleIndex EmptyIndex(const std::string& path, SubtitleFormat format, char closeBracket) {
    SubtitleIndex index;
    index.path = path;
    index.format = format;
    index.closeBracket = closeBracket;
    return index;
}

// Builds a partial index: a subtitle is kept when the selection names it, when it stands just
// before or after one it names, or among the first two or the last two of the file. Of the one
// before (known to be wanted only when the next one is read) and of the last two only the
// offset is held while reading; their keys and numbers are read at the end, at those offsets.
class PartialIndexer {
  public:
    PartialIndexer(SubtitleIndex& index, const SubtitleSelection& selection)
        : index_(index), selection_(selection) {
        if (selection.key) keyHash_ = KeyHash(*selection.key);
        index_.partial = true;
    }

    void Add(std::uint64_t offset, std::string_view key, std::int64_t number) {
        const std::size_t position = index_.count++;
        const bool named = (selection_.number && index_.format == SubtitleFormat::SubRip &&
                            number == *selection_.number) ||
                           (keyHash_ && KeyHash(key) == *keyHash_) ||
                           selection_.position == position;
        if (named && position > 0) KeepLater(position - 1, lastOffset_);
        if (named || keepNext_ || position < 2) {
            Insert(position, {offset, KeyHash(key), number});
        }
        keepNext_ = named;
        beforeLastOffset_ = lastOffset_;
        lastOffset_ = offset;
    }

    void Finish(Host& host) {
        if (index_.count >= 2) KeepLater(index_.count - 2, beforeLastOffset_);
        if (index_.count >= 1) KeepLater(index_.count - 1, lastOffset_);
        for (const std::size_t position : later_) {
            const std::size_t k = static_cast<std::size_t>(
                std::lower_bound(index_.positions.begin(), index_.positions.end(), position) -
                index_.positions.begin());
            Fill(index_.entries[k], host);
        }
    }

  private:
    // Keeps an entry once, in position order; false when it was kept already.
    bool Insert(std::size_t position, const SubtitleEntry& entry) {
        auto& positions = index_.positions;
        const auto at = std::lower_bound(positions.begin(), positions.end(), position);
        if (at != positions.end() && *at == position) return false;
        index_.entries.insert(index_.entries.begin() + (at - positions.begin()), entry);
        positions.insert(at, position);
        return true;
    }
    void KeepLater(std::size_t position, std::uint64_t offset) {
        if (Insert(position, {.offset = offset})) later_.push_back(position);
    }
    // The key and number of the subtitle at its entry's offset, read as the index reads them.
    void Fill(SubtitleEntry& entry, Host& host) const {
        FileReading reading(index_.path, index_.encoding, host, entry.offset);
        std::string_view line;
        if (index_.format == SubtitleFormat::MicroDvd) {
            if (!reading.run().ReadLine(line)) return;
            if (const auto parts = SplitFrameLine(line, index_.closeBracket)) {
                entry.keyHash = KeyHash(parts->frames);
            }
            return;
        }
        if (!reading.run().ReadLine(line)) return;
        entry.number = StrToIntSafe(line);
        while (reading.run().ReadLine(line) && IsBlankLine(line)) {
        }
        entry.keyHash = KeyHash(line);
    }

    SubtitleIndex& index_;
    const SubtitleSelection& selection_;
    std::optional<std::size_t> keyHash_;
    std::uint64_t lastOffset_ = 0;
    std::uint64_t beforeLastOffset_ = 0;
    bool keepNext_ = false;
    std::vector<std::size_t> later_;  // the positions kept by their offsets only
};

}  // namespace

SubtitleIndex BuildSubtitleIndex(const std::string& path, char closeBracket, Host& host) {
    return BuildSubtitleIndex(path, FormatOfPath(path), closeBracket, host);
}

SubtitleIndex BuildSubtitleIndex(const std::string& path, SubtitleFormat format, char closeBracket,
                                 Host& host) {
    SubtitleIndex index = EmptyIndex(path, format, closeBracket);
    if (index.format == SubtitleFormat::Other) return index;
    const bool subRip = index.format == SubtitleFormat::SubRip;
    EachIndexed(
        index, host, false,
        [&](std::uint64_t offset, std::string_view key, std::string_view, std::int64_t number) {
            index.entries.push_back({offset, KeyHash(key), subRip ? number : 0});
        });
    return index;
}

SubtitleIndex BuildSubtitleIndex(const std::string& path, char closeBracket, Host& host,
                                 const SubtitleSelection& selection) {
    SubtitleIndex index = EmptyIndex(path, FormatOfPath(path), closeBracket);
    if (index.format == SubtitleFormat::Other) return index;
    PartialIndexer indexer(index, selection);
    EachIndexed(index, host, true,
                [&](std::uint64_t offset, std::string_view key, std::string_view,
                    std::int64_t number) { indexer.Add(offset, key, number); });
    indexer.Finish(host);
    return index;
}

std::optional<Subtitle> ReadSubtitle(const SubtitleIndex& index, std::size_t i, Host& host,
                                     bool* apart) {
    if (apart != nullptr) *apart = false;
    const SubtitleEntry* held = index.At(i);
    if (held == nullptr || !IsRegularFile(index.path)) return std::nullopt;
    const SubtitleEntry& entry = *held;
    FileReading reading(index.path, index.encoding, host, entry.offset);
    Subtitle subtitle;
    if (index.format == SubtitleFormat::MicroDvd) {
        std::string_view line;
        if (!reading.run().ReadLine(line)) return std::nullopt;
        const auto parts = SplitFrameLine(line, index.closeBracket);
        if (!parts || KeyHash(parts->frames) != entry.keyHash) return std::nullopt;
        subtitle.number = subtitle.timing = std::string(parts->frames);
        const auto bars =
            static_cast<std::size_t>(std::count(parts->text.begin(), parts->text.end(), '|'));
        if (bars >= kMaxEditedLines || parts->text.size() > kMaxEditedBytes) {
            subtitle.tooLong = true;
        } else {
            SplitByChar(parts->text, '|', subtitle.lines);
        }
        return subtitle;
    }
    LayoutReader reader(reading.run(), LayoutReader::Records::AsWritten);
    reader.KeepAtMost(kMaxEditedLines);
    if (reader.Next() != LayoutReader::Item::Record) return std::nullopt;
    const LayoutRecord& record = reader.record();
    if (KeyHash(record.timing) != entry.keyHash) return std::nullopt;
    subtitle.number = record.number;
    subtitle.timing = record.timing;
    std::size_t bytes = 0;
    for (const std::string& line : reader.text())
        bytes += line.size();
    if (reader.dropped() > 0 || bytes > kMaxEditedBytes) {
        subtitle.tooLong = true;
        return subtitle;
    }
    subtitle.lines.assign(reader.text().begin(), reader.text().end());
    if (subtitle.lines.empty() && record.ended) {
        if (apart != nullptr) *apart = true;
        SeparatedText separated(subtitle.lines);
        auto item = reader.Next();
        for (; item == LayoutReader::Item::Line; item = reader.Next()) {
            if (!separated.Feed(reader.line())) break;
        }
        if (item != LayoutReader::Item::Line) separated.End();
    }
    return subtitle;
}

FileEncoding ForEachSubtitle(const std::string& path, SubtitleFormat format, char closeBracket,
                             Host& host, const std::function<void(Subtitle&)>& each) {
    if (format == SubtitleFormat::Other) return {};
    const FileEncoding encoding = DecideFileEncoding(path);
    FileReading reading(path, encoding, host);
    Subtitle subtitle;
    if (format == SubtitleFormat::SubRip) {
        LayoutReader reader(reading.run(), LayoutReader::Records::AsWritten);
        for (auto item = reader.Next(); item != LayoutReader::Item::End; item = reader.Next()) {
            if (item != LayoutReader::Item::Record) continue;
            subtitle.number = reader.record().number;
            subtitle.timing = reader.record().timing;
            subtitle.lines.assign(reader.text().begin(), reader.text().end());
            each(subtitle);
        }
        return encoding;
    }
    std::string_view line;
    while (reading.run().ReadLine(line)) {
        if (IsBlankLine(line)) continue;
        subtitle.lines.clear();
        if (const auto parts = SplitFrameLine(line, closeBracket)) {
            subtitle.number = subtitle.timing = std::string(parts->frames);
            SplitByChar(parts->text, '|', subtitle.lines);
        } else {
            subtitle.number.clear();
            subtitle.timing.clear();
            subtitle.lines.emplace_back(line);
        }
        each(subtitle);
    }
    return encoding;
}

std::vector<std::size_t> FindByNumber(const SubtitleIndex& index, std::int64_t number) {
    std::vector<std::size_t> found;
    if (index.format != SubtitleFormat::SubRip) return found;
    for (std::size_t k = 0; k < index.entries.size(); ++k) {
        if (index.entries[k].number == number)
            found.push_back(index.partial ? index.positions[k] : k);
    }
    return found;
}

std::vector<std::size_t> FindByKey(const SubtitleIndex& index, std::string_view key, Host& host) {
    std::vector<std::size_t> found;
    const std::size_t hash = KeyHash(key);
    for (std::size_t k = 0; k < index.entries.size(); ++k) {
        if (index.entries[k].keyHash != hash) continue;
        const std::size_t i = index.partial ? index.positions[k] : k;
        // A hash that matches is confirmed in the file.
        if (const auto subtitle = ReadSubtitle(index, i, host);
            subtitle && subtitle->timing == key) {
            found.push_back(i);
        }
    }
    return found;
}

std::optional<std::size_t> FindFrameLineStartingWith(const SubtitleIndex& index,
                                                     std::string_view prefix, Host& host) {
    if (index.format != SubtitleFormat::MicroDvd || !IsRegularFile(index.path)) return std::nullopt;
    FileReading reading(index.path, index.encoding, host);
    std::string_view line;
    for (std::size_t position = 0; reading.run().ReadLine(line);) {
        if (!SplitFrameLine(line, index.closeBracket)) continue;
        if (line.starts_with(prefix)) return position;
        ++position;
    }
    return std::nullopt;
}

RunResult WriteSubtitleChanges(const SubtitleIndex& index, const std::string& output,
                               std::span<const SubtitleChange> changes, bool interactive,
                               Host& host) {
    // The encoding the index was built in, not a new decision: an edit that adds the first
    // letter above ASCII to a file must not change how the rest of it is read.
    const FrameRequest request{.input = index.path,
                               .output = output,
                               .steps = {.interactive = interactive},
                               .inputEncoding = index.encoding};
    return RunInFrame(request, host, [&](FrameRun& run) {
        ChangeWriter writer(run, index, changes);
        index.format == SubtitleFormat::SubRip ? writer.WriteSubRip() : writer.WriteMicroDvd();
        if (writer.failed()) {
            host.ShowMessage(kFileChangedMeanwhile);
            run.Abandon();
        }
    });
}

bool ReplaceWithCopy(const std::string& copy, HeldFile& file, bool interactive, Host& host) {
    if (file.ReplaceWith(copy, false)) return true;
    if (interactive) host.ShowMessage(kFileNotRenamed);
    return false;
}

LineList LinesForWriting(std::string_view text) {
    LineList lines;
    SplitByChar(text, '\n', lines);
    return LinesForWriting(lines);
}

LineList LinesForWriting(const LineList& lines) {
    LineList kept;
    for (std::string_view line : lines) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = TrimChar(line, ' ');
        if (!line.empty()) kept.emplace_back(line);
    }
    return kept;
}

std::optional<std::string> CheckEditedText(const LineList& lines) {
    // As a MicroDVD line keeps them: the lines joined by bars.
    std::size_t bytes = lines.empty() ? 0 : lines.size() - 1;
    for (const std::string& line : lines)
        bytes += line.size();
    if (lines.size() > kMaxEditedLines || bytes > kMaxEditedBytes) {
        return "the text (" + std::to_string(lines.size()) + " lines, " + std::to_string(bytes) +
               " bytes) is more than the editor takes: " + std::to_string(kMaxEditedLines) +
               " lines, " + std::to_string(kMaxEditedBytes) + " bytes";
    }
    return std::nullopt;
}

std::optional<std::string> CheckTiming(SubtitleFormat format, std::string_view timing,
                                       char openBracket, char closeBracket) {
    if (format == SubtitleFormat::MicroDvd) {
        const auto parts = SplitFrameLine(timing, closeBracket);
        const std::string_view first = TextBeforeChar(timing, closeBracket);
        const std::string_view second =
            parts ? TextBeforeChar(timing.substr(first.size() + 1), closeBracket) : "";
        const bool valid = parts && parts->text.empty() && first.size() > 1 && second.size() > 1 &&
                           first.front() == openBracket && second.front() == openBracket &&
                           IsWholeNumber(first.substr(1)) && IsWholeNumber(second.substr(1));
        if (!valid) return "Not a frame prefix {on}{off}: " + QuotedText(timing);
        try {
            const std::int64_t on = FrameNumber(first.substr(1));
            const std::int64_t off = FrameNumber(second.substr(1));
            if (off < on) {
                return "the end frame " + std::to_string(off) + " comes before the start frame " +
                       std::to_string(on) + ": " + QuotedText(timing);
            }
        } catch (const ConversionError&) {
            return "a frame number beyond " + std::to_string(kMaxFrame) + ": " + QuotedText(timing);
        }
        return std::nullopt;
    }
    std::optional<ParsedTiming> parsed;
    try {
        if (IsTimingLine(timing)) parsed = ParseTimingLine(timing, true);
    } catch (const std::exception&) {
        parsed.reset();
    }
    if (!parsed) {
        return "Not a timing line hh:mm:ss,mmm --> hh:mm:ss,mmm: " + QuotedText(timing);
    }
    if (parsed->off < parsed->on) return "the end comes before the start: " + QuotedText(timing);
    return std::nullopt;
}

}  // namespace tessaline
