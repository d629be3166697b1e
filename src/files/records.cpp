#include "files/records.hpp"

namespace tessaline {

bool SubRipShaper::Pull(std::string& line) {
    if (aheadCount_ == 0) return in_.ReadLine(line);
    line.swap(ahead_[aheadStart_]);
    aheadStart_ = (aheadStart_ + 1) % ahead_.size();
    --aheadCount_;
    pulledTiming_ = timingAhead_ == 1;
    if (timingAhead_ > 0) --timingAhead_;
    return true;
}

bool SubRipShaper::Peek(std::size_t index) {
    while (aheadCount_ <= index) {
        if (!in_.ReadLine(ahead_[(aheadStart_ + aheadCount_) % ahead_.size()])) return false;
        ++aheadCount_;
    }
    return true;
}

bool SubRipShaper::NumberBeforeTiming() {
    for (std::size_t i = 0; i < kLookAhead && Peek(i); ++i) {
        const std::string& line = ahead_[(aheadStart_ + i) % ahead_.size()];
        if (IsBlankLine(line)) continue;
        if (!IsTimingLine(line)) return false;
        timingAhead_ = i + 1;
        return true;
    }
    return false;
}

void SubRipShaper::Add(std::string_view text, Added what, std::int64_t number) {
    added_[addedCount_++].assign(text);
    if (note_) note_(what, number);
}

bool SubRipShaper::GiveAdded(std::string& line) {
    if (addedNext_ < addedCount_) {
        line = added_[addedNext_++];
        atNumber_ = addedNumberLast_ && addedNext_ == addedCount_;
        atAdded_ = true;
        return true;
    }
    if (holding_) {
        holding_ = false;
        line.swap(held_);
        atNumber_ = heldIsNumber_;
        return true;
    }
    return false;
}

bool SubRipShaper::ReadLine(std::string& line) {
    std::string_view view;
    if (!ReadLine(view)) return false;
    line.assign(view);
    return true;
}

std::int64_t SubRipShaper::LastNumber() {
    if (!lastNumberRead_) {
        lastNumber_ = StrToIntSafe(lastNumberText_);
        lastNumberRead_ = true;
    }
    return lastNumber_;
}

bool SubRipShaper::ReadPending(std::string_view& line) {
    atNumber_ = false;
    atAdded_ = false;
    if (GiveAdded(current_)) {
        line = current_;
        return true;
    }
    // A line read ahead is given from the shaper's own string.
    Pull(current_);
    line = current_;
    const bool classified = Classify(line);
    pulledTiming_ = false;
    return classified;
}

bool SubRipShaper::ClassifyOther(std::string_view& line) {
    const bool afterRecordLine = last_ == Last::Text || last_ == Last::Timing;
    // No timing line is shorter than "0:0:0,0-->0:0:0,0"; a number line always is.
    if (line.size() >= 17 && (pulledTiming_ || timingSeen_ || IsTimingLine(line))) {
        if (last_ == Last::Number) {
            last_ = Last::Timing;
            return true;
        }
        // A record without its number: one above the last number, after an empty line when
        // the line before ends a record's text.
        held_.assign(line);
        holding_ = true;
        heldIsNumber_ = false;
        addedNext_ = addedCount_ = 0;
        lastNumber_ = LastNumber() + 1;
        if (afterRecordLine) Add("", Added::EmptyLine, lastNumber_);
        Add(std::to_string(lastNumber_), Added::Number, lastNumber_);
        addedNumberLast_ = true;
        last_ = Last::Timing;
        GiveAdded(current_);
        line = current_;
        return true;
    }
    if (IsNumberStr(line)) {
        // The usual record has its timing line right after the number, and the reader's buffer
        // already holds it: it is looked at there, and the number stays where it is. Otherwise
        // the lines after it are read ahead, which may move the reader's buffer under the view.
        std::string_view next;
        bool startsRecord = false;
        if (aheadCount_ == 0 && in_.PeekLineInBuffer(next) && !IsBlankLine(next)) {
            startsRecord = IsTimingLine(next);
            if (startsRecord) timingAt_ = next.data();
        } else {
            if (line.data() != current_.data()) {
                current_.assign(line);
                line = current_;
            }
            startsRecord = NumberBeforeTiming();
        }
        if (startsRecord) {
            // Its value is read only when a number is to be added after it.
            lastNumberText_.assign(line);
            lastNumberRead_ = false;
            last_ = Last::Number;
            if (!afterRecordLine) {
                atNumber_ = true;
                return true;
            }
            held_.assign(line);
            holding_ = true;
            heldIsNumber_ = true;
            addedNext_ = addedCount_ = 0;
            Add("", Added::EmptyLine, note_ ? LastNumber() : 0);
            addedNumberLast_ = false;
            GiveAdded(current_);
            line = current_;
            return true;
        }
    }
    last_ = Last::Text;
    return true;
}

bool SubRipShaper::AtEnd() {
    return addedNext_ == addedCount_ && !holding_ && aheadCount_ == 0 && in_.AtEnd();
}

RecordRead ReadSubtitleRecord(SubRipShaper& in, std::string& current, bool pad,
                              SubtitleRecord& record) {
    // Lines are read as views and copied once, into the record's own strings.
    std::string_view line;
    if (!in.ReadLine(line)) return RecordRead::End;
    // Only a number with a timing line after it starts a record; elsewhere a line of digits is
    // subtitle text.
    if (!in.AtRecordNumber()) {
        current.assign(line);
        return RecordRead::Line;
    }

    record.lines.clear();
    record.number = StrToIntSafe(line);
    record.lines.push_back(line);

    bool more = in.ReadLine(line);
    while (more && IsBlankLine(line))
        more = in.ReadLine(line);
    if (!more) return RecordRead::Record;

    record.lines.push_back(line);
    if (const auto timing = ParseTimingLine(line, pad)) {
        record.on = timing->on;
        record.off = timing->off;
    }
    while (in.ReadLine(line)) {
        record.lines.push_back(line);
        if (IsBlankLine(line)) break;
    }
    return RecordRead::Record;
}

void CopyLines(const LineList& source, LineList& destination) {
    if (!source.empty()) destination = source;
}

}  // namespace tessaline
