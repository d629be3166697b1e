#include "app/editor.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/session.hpp"
#include "core/chars.hpp"
#include "core/cp1251.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "core/tags.hpp"
#include "core/times.hpp"
#include "files/directory.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/line_io.hpp"
#include "files/text_width.hpp"
#include "ops/break_subtitles.hpp"
#include "ops/length_test.hpp"
#include "ops/line_cut.hpp"

namespace tessaline {

// The status bar after ReWrite: "subtitle 12 rewritten".
constexpr std::string_view kSubtitleWord = "subtitle ";
constexpr std::string_view kRewritten = " rewritten";
namespace {

// The on- and off-time of a timing line in milliseconds, or the frames of a frame prefix; not
// valid for a timing that does not read.
struct Span {
    bool valid = false;
    std::int64_t on = 0;
    std::int64_t off = 0;
};

Span SpanOf(std::string_view timing, SubtitleFormat format, char open, char close, bool pad) {
    if (format == SubtitleFormat::MicroDvd) {
        const std::string_view on = TextBetweenChars(timing, open, close, 1, NthOf::Opening);
        const std::string_view off = TextBetweenChars(timing, open, close, 2, NthOf::Opening);
        if (!IsNumberStr(on) || !IsNumberStr(off)) return {};
        return {true, StrToIntSafe(on), StrToIntSafe(off)};
    }
    try {
        if (const auto parsed = ParseTimingLine(timing, pad)) {
            return {true, parsed->on, parsed->off};
        }
    } catch (const ConversionError&) {
    }
    return {};
}

// The words of the keyboard aids: a line's first word is the text before its first space, its
// last word the text after its last space; a line without a space is one word.
std::string TakeFirstWord(std::string& line) {
    const std::size_t space = line.find(' ');
    std::string word = line.substr(0, space);
    line = space == std::string::npos ? std::string() : line.substr(space + 1);
    return word;
}

std::string TakeLastWord(std::string& line) {
    const std::size_t space = line.rfind(' ');
    if (space == std::string::npos) return std::exchange(line, std::string());
    std::string word = line.substr(space + 1);
    line.resize(space);
    return word;
}

// Joins two pieces with one space; an empty piece takes none.
std::string Joined(std::string_view a, std::string_view b) {
    if (a.empty()) return std::string(b);
    if (b.empty()) return std::string(a);
    return std::string(a) + " " + std::string(b);
}

}  // namespace

LineList ApplyKeyAid(LineList lines, KeyAid aid) {
    const std::size_t n = lines.size();
    switch (aid) {
        case KeyAid::JoinAll:
            if (n > 1) lines = {JoinStrings(lines, " ")};
            break;
        case KeyAid::WordsUp:
            for (std::size_t i = n; i-- > 1;) {
                const std::string word = TakeFirstWord(lines[i]);
                lines[i - 1] = Joined(lines[i - 1], word);
            }
            break;
        case KeyAid::FirstWordUp:
            if (n >= 2) lines[0] = Joined(lines[0], TakeFirstWord(lines[1]));
            break;
        case KeyAid::WordsDown:
            // A word moved down can move on again with the next line.
            for (std::size_t i = 0; i + 1 < n; ++i) {
                const std::string word = TakeLastWord(lines[i]);
                lines[i + 1] = Joined(word, lines[i + 1]);
            }
            break;
        case KeyAid::LastWordDown:
            if (n >= 2) lines[1] = Joined(TakeLastWord(lines[0]), lines[1]);
            break;
        case KeyAid::DropEmptyLines:
            std::erase(lines, std::string());
            break;
    }
    return lines;
}

SubtitleEditor::SubtitleEditor(Session& session) : session_(session) {}

SubtitleEditor::~SubtitleEditor() = default;

// --- Showing ------------------------------------------------------------------------------------

void SubtitleEditor::Open(const SubtitleSelection* only) {
    index_ = {};
    Clear();
    const Session& s = session_;
    if (s.directoryMode || s.openFile.empty() || s.openFile.find('*') != std::string::npos ||
        !IsRegularFile(s.openFile)) {
        return;
    }
    // Split timing and text files and SubStation Alpha files have no subtitles to edit.
    for (std::string_view kind : {"ssa", "ass", "srttext", "subtext"}) {
        if (s.currentExt == kind) return;
    }
    if (FormatOfPath(s.openFile) == SubtitleFormat::Other) {
        session_.host().ShowMessage(std::string(kNotSupportFileExtension) + s.currentExt);
        return;
    }
    try {
        const char close = FirstChar(s.settings().Text("CloseBrackets"), '}');
        index_ = only != nullptr ? BuildSubtitleIndex(s.openFile, close, session_.host(), *only)
                                 : BuildSubtitleIndex(s.openFile, close, session_.host());
    } catch (const FileError& e) {
        // A file of no text (an image subtitle) or one that cannot be read has nothing to edit.
        index_ = {};
        const CurrentFile about(session_.host(), s.openFile);
        session_.host().ShowMessage(e.what());
        return;
    }
    if (!index_.empty()) Show(0);
}

void SubtitleEditor::Reload() {
    const std::size_t position = current_;
    const bool wasShown = shown_;
    const std::string path = index_.path;
    if (path.empty()) return;
    // A partial index stays partial: it holds the subtitle to show again and its neighbours.
    index_ = index_.partial ? BuildSubtitleIndex(path, index_.closeBracket, session_.host(),
                                                 {.position = position})
                            : BuildSubtitleIndex(path, index_.closeBracket, session_.host());
    if (index_.empty()) {
        Clear();
    } else if (wasShown) {
        Show(std::min(position, index_.size() - 1));
    }
}

void SubtitleEditor::ReturnFromLists(std::size_t position) {
    Reload();
    if (index_.format != SubtitleFormat::SubRip || index_.empty()) return;
    // The one before the subtitle that was shown: position - 2 counted from 0.
    const std::size_t before = position >= 2 ? position - 2 : 0;
    Show(std::min(before, index_.size() - 1));
}

void SubtitleEditor::Refresh() {
    // Unsaved edits stay: a later ReWrite finds the file changed and says so.
    if (index_.path.empty() || modified_ || !index_.Stale()) return;
    Reload();
}

void SubtitleEditor::Clear() {
    shown_ = false;
    subtitle_ = {};
    subNumber.clear();
    timeRange.clear();
    duration_.clear();
    previous_ = this_ = next_ = {};
    this_.timing.clear();
    previousJoins_ = nextJoins_ = false;
    lines_.clear();
    Remeasure();
    modified_ = false;
}

std::optional<Subtitle> SubtitleEditor::Read(std::size_t position) {
    if (position >= index_.size()) return std::nullopt;
    if (auto subtitle = ReadSubtitle(index_, position, session_.host())) return subtitle;
    // Another program changed the file: it is indexed again.
    session_.host().ShowMessage(kFileChangedMeanwhile);
    index_ = BuildSubtitleIndex(index_.path, index_.closeBracket, session_.host());
    return ReadSubtitle(index_, position, session_.host());
}

void SubtitleEditor::Show(std::size_t position) {
    const auto subtitle = Read(position);
    if (!subtitle) {
        if (index_.empty()) Clear();
        return;
    }
    // Said once for a subtitle too long to load, not again each time it is shown anew.
    const bool toldAlready = shown_ && current_ == position && subtitle_.tooLong;
    current_ = position;
    shown_ = true;
    subtitle_ = *subtitle;
    subNumber = subtitle_.number;
    timeRange = subtitle_.timing;
    lines_ = subtitle_.lines;
    ShowNeighbours();
    Remeasure();
    modified_ = false;
    if (subtitle_.tooLong && !toldAlready) session_.host().ShowMessage(kSubtitleTooLong);
}

void SubtitleEditor::ShowNeighbours() {
    const Settings& settings = session_.settings();
    const char open = FirstChar(settings.Text("OpenBrackets"), '{');
    const char close = index_.closeBracket;
    const bool pad = settings.Bool("TimeCorrection");
    const bool oneTick = settings.Bool("OneTickDifferenceNearTimeFrame");
    const auto label = [&](const Subtitle* subtitle) {
        TimingLabel shown;
        if (subtitle == nullptr) return shown;
        shown.timing = subtitle->timing;
        try {
            shown.duration = SubtitleDuration(subtitle->timing, open, close, pad);
        } catch (const ConversionError&) {
            shown.duration.clear();
        }
        return shown;
    };
    const std::optional<Subtitle> before = current_ > 0 ? Read(current_ - 1) : std::nullopt;
    const std::optional<Subtitle> after = Read(current_ + 1);
    previous_ = label(before ? &*before : nullptr);
    this_ = label(&subtitle_);
    next_ = label(after ? &*after : nullptr);
    duration_ = this_.duration;

    // Gaps are measured in milliseconds; frames are turned into them at the file's rate.
    const auto fps = ParseFramesPerSecond(settings.Text("FramesAtSec"));
    const auto ms = [&](std::int64_t value) {
        if (index_.format != SubtitleFormat::MicroDvd) return value;
        return fps && *fps > 0 ? FrameToMs(value, *fps) : value;
    };
    const std::int64_t allowed = settings.Int("DeltaTimeBetweenTime");
    const auto colour = [&](std::int64_t earlierOff, std::int64_t laterOn) {
        if (earlierOff > laterOn) return GapColour::Overlap;
        return ms(laterOn) - ms(earlierOff) > allowed ? GapColour::Normal : GapColour::Close;
    };
    const auto joins = [oneTick](std::int64_t earlierOff, std::int64_t laterOn) {
        return laterOn == earlierOff || (oneTick && laterOn == earlierOff + 1);
    };
    const auto format = index_.format;
    const Span span = SpanOf(subtitle_.timing, format, open, close, pad);
    const Span spanBefore = before ? SpanOf(before->timing, format, open, close, pad) : Span{};
    const Span spanAfter = after ? SpanOf(after->timing, format, open, close, pad) : Span{};
    previousJoins_ = span.valid && spanBefore.valid && joins(spanBefore.off, span.on);
    nextJoins_ = span.valid && spanAfter.valid && joins(span.off, spanAfter.on);
    if (span.valid && spanBefore.valid) previous_.colour = colour(spanBefore.off, span.on);
    if (span.valid && spanAfter.valid) next_.colour = colour(span.off, spanAfter.on);
}

void SubtitleEditor::SetText(std::string_view text) {
    LineList lines;
    SplitByChar(text, '\n', lines);
    SetLines(std::move(lines));
}

void SubtitleEditor::SetLines(LineList lines) {
    if (lines == lines_) return;
    lines_ = std::move(lines);
    modified_ = true;
    Remeasure();
}

void SubtitleEditor::SetTimeRange(std::string_view text) {
    if (text == timeRange) return;
    timeRange = text;
    modified_ = true;
}

void SubtitleEditor::Remeasure() {
    const FileEncodingScope scope(index_.encoding);
    const Settings& settings = session_.settings();
    if (!meter_) meter_ = std::make_unique<TextWidthMeter>();
    LineMeasure measure;
    const bool microDvd = index_.format == SubtitleFormat::MicroDvd;
    const int maxLength = settings.Int("SubLineLength");
    const int maxWidth = settings.Int("PixelTextWidthMax");
    for (const std::string& line : lines_) {
        // Measured exactly as the length test measures, so that both always agree.
        const std::string shown = MeasuredLine(line, microDvd);
        const int length = static_cast<int>(CharCount(shown));
        measure.lengths.push_back(length);
        measure.total += length;
        measure.lineTooLong = measure.lineTooLong || length > maxLength;
        if (meter_->available()) {
            const int width = meter_->Width(shown);
            measure.widths.push_back(width);
            measure.lineTooWide = measure.lineTooWide || width > maxWidth;
        }
    }
    if (!meter_->available()) measure.widthsUnavailable = meter_->error();
    measure.totalTooLong = measure.total > session_.MaxSubLengthResult();
    measure.breakBig = measure.total > settings.Int("SubtitleFullLength");
    measure_ = std::move(measure);
}

// --- Navigation ---------------------------------------------------------------------------------

void SubtitleEditor::First() {
    if (!index_.empty() && SaveIfModified()) Show(0);
}

void SubtitleEditor::Last() {
    if (!index_.empty() && SaveIfModified()) Show(index_.size() - 1);
}

void SubtitleEditor::Next() {
    Step(true);
}

void SubtitleEditor::Prev() {
    Step(false);
}

void SubtitleEditor::Step(bool forward) {
    if (index_.empty() || !SaveIfModified()) return;
    if (subNumber.empty() || subNumber.front() == ' ' || subNumber.front() == '-' ||
        subNumber == "0") {
        subNumber = "1";
    }
    // "mode1" steps through the index, "mode2" from the subtitle numbered in stSubNumber.
    std::optional<std::size_t> from;
    if (goMode != 0) {
        from = Named();
    } else if (shown_) {
        from = current_;
    } else if (forward) {
        Show(0);
        return;
    }
    if (!from) return;
    if (forward && *from + 1 < index_.size()) Show(*from + 1);
    if (!forward && *from > 0) Show(*from - 1);
}

std::optional<std::size_t> SubtitleEditor::Named() {
    const std::string key(TrimChar(subNumber, ' '));
    if (key.empty()) return std::nullopt;
    Host& host = session_.host();
    if (index_.format == SubtitleFormat::SubRip) {
        // A number names the last subtitle of that number; a timing line, the last of that timing.
        const std::vector<std::size_t> found = IsNumberStr(key)
                                                   ? FindByNumber(index_, StrToIntSafe(key))
                                                   : FindByKey(index_, key, host);
        if (found.empty()) return std::nullopt;
        return found.back();
    }
    if (key == "1" || key == "2") return 0;
    const std::vector<std::size_t> found = FindByKey(index_, key, host);
    if (!found.empty()) return found.front();
    return FindFrameLineStartingWith(index_, key, host);
}

bool SubtitleEditor::GoTo() {
    if (index_.empty() || !SaveIfModified()) return false;
    const auto at = Named();
    if (at) Show(*at);
    return at.has_value();
}

bool SubtitleEditor::SaveIfModified() {
    // A subtitle too long to load is never written: what was typed over it cannot be saved, and
    // the editor must still be able to move on.
    if (!modified_ || subtitle_.tooLong || !session_.settings().Bool("AutoSave")) return true;
    return ReWrite();
}

// --- Writing ------------------------------------------------------------------------------------

std::optional<std::string> SubtitleEditor::JoinedNextTiming(std::string_view timing) const {
    const Settings& settings = session_.settings();
    const char open = FirstChar(settings.Text("OpenBrackets"), '{');
    const char close = index_.closeBracket;
    const bool pad = settings.Bool("TimeCorrection");
    const Span span = SpanOf(timing, index_.format, open, close, pad);
    const Span following = SpanOf(next_.timing, index_.format, open, close, pad);
    if (!span.valid || !following.valid) return std::nullopt;
    const std::int64_t on = span.off + (settings.Bool("OneTickDifferenceNearTimeFrame") ? 1 : 0);
    // A next subtitle that would end before it starts keeps its timing.
    if (on > following.off) return std::nullopt;
    if (index_.format == SubtitleFormat::MicroDvd) {
        return std::string(1, open) + std::to_string(on) + close + open +
               std::to_string(following.off) + close;
    }
    // Only the on-time changes; the rest of the line stays as it is written.
    const std::string_view next = next_.timing;
    const std::size_t arrow = next.find("-->");
    const std::size_t onEnd = next.find_last_not_of(' ', arrow - 1) + 1;
    try {
        return MsToTimeText(CheckedTime(on, next)) + std::string(next.substr(onEnd));
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

bool SubtitleEditor::WriteChanges(std::vector<SubtitleChange> changes, bool interactive) {
    Host& host = session_.host();
    const CurrentFile about(host, index_.path);
    bool done = false;
    try {
        // Held from the copy's reading to its rename: another command on the file waits. A link
        // is followed: the copy is made beside its name and replaces the file it names.
        HeldFile held(index_.path);
        const std::string output = ChangeFileExtMode(index_.path, "out", 0);
        done =
            WriteSubtitleChanges(index_, output, changes, interactive, host) == RunResult::Done &&
            ReplaceWithCopy(output, held, interactive, host);
    } catch (const std::exception& e) {
        // The file stays as it was; the message says why.
        host.ShowMessage(e.what());
    }
    session_.RefreshIndicators();
    if (!done && index_.Stale()) Reload();
    return done;
}

bool SubtitleEditor::ReWrite() {
    if (index_.empty() || !shown_) return false;
    // Its text was never loaded: writing the box would replace it with what little it shows.
    if (subtitle_.tooLong) {
        session_.host().ShowMessage(kSubtitleTooLong);
        return false;
    }
    const LineList lines = LinesForWriting(lines_);
    if (lines.empty()) return false;
    if (const auto error = CheckEditedText(lines)) {
        session_.host().ShowMessage(*error);
        return false;
    }
    const Settings& settings = session_.settings();
    std::string timing(TrimChar(timeRange, ' '));
    if (timing.empty()) timing = subtitle_.timing;
    // The subtitle's own timing goes back as it was, whatever it is: only a typed one is checked.
    const std::optional<std::string> error =
        timing == subtitle_.timing
            ? std::nullopt
            : CheckTiming(index_.format, timing, FirstChar(settings.Text("OpenBrackets"), '{'),
                          index_.closeBracket);
    if (error) {
        session_.host().ShowMessage(*error);
        return false;
    }
    std::vector<SubtitleChange> changes = {
        {.position = current_,
         .entry = *index_.At(current_),
         .with = {{.number = subtitle_.number, .timing = timing, .lines = lines}}}};
    const SubtitleEntry* following = index_.At(current_ + 1);
    if (nextJoins_ && following != nullptr) {
        if (const auto nextTiming = JoinedNextTiming(timing)) {
            changes.push_back({.position = current_ + 1,
                               .entry = *following,
                               .with = {{.timing = *nextTiming}},
                               .timingOnly = true});
        }
    }
    // "mode2" names the subtitle by its number and asks nothing.
    if (!WriteChanges(std::move(changes), goMode == 0)) return false;
    const std::string written = subtitle_.number.empty() ? subNumber : subtitle_.number;
    // A one-shot command's partial index is not built again: the command ends with the write,
    // and the rewritten subtitle (lines none of which is blank, within the editor's limits)
    // would be shown without a word.
    if (!index_.partial) Reload();
    session_.host().SetStatusBar(std::string(kSubtitleWord) + written + std::string(kRewritten));
    return true;
}

bool SubtitleEditor::Delete() {
    if (index_.empty() || !shown_) return false;
    const std::size_t position = current_;
    return Delete(std::span(&position, 1), true);
}

bool SubtitleEditor::Delete(std::span<const std::size_t> positions, bool interactive) {
    std::vector<SubtitleChange> changes;
    for (std::size_t position : positions) {
        if (const SubtitleEntry* entry = index_.At(position)) {
            changes.push_back({.position = position, .entry = *entry});
        }
    }
    if (changes.empty() || !WriteChanges(std::move(changes), interactive)) return false;
    // A one-shot command ends here: what the editor would show next only matters when showing
    // it says something, and the written file is indexed again only when that may be.
    if (index_.partial && ShowsQuietlyAfterDelete(positions)) return true;
    // The subtitle that followed now stands at this position.
    current_ = positions.front();
    shown_ = true;
    Reload();
    return true;
}

bool SubtitleEditor::ShowsQuietlyAfterDelete(std::span<const std::size_t> positions) {
    // The one shown next: the first kept after the first removed, or else the new last one (the
    // one before the first removed). Either keeps its own lines, written as they were read.
    std::size_t shown = positions.front() + 1;
    for (std::size_t position : positions) {
        if (position == shown) ++shown;
    }
    if (shown >= index_.size()) {
        if (positions.front() == 0) return false;
        shown = positions.front() - 1;
    }
    bool apart = false;
    const auto subtitle = ReadSubtitle(index_, shown, session_.host(), &apart);
    // A text read from after a blank line may run on into what the removed ones left.
    return subtitle && !subtitle->tooLong && !apart;
}

// --- Editing ------------------------------------------------------------------------------------

void SubtitleEditor::BreakString(bool equal) {
    const FileEncodingScope scope(index_.encoding);
    const Settings& settings = session_.settings();
    std::string text = JoinStrings(LinesForWriting(lines_), " ");
    const bool italic = IsWrappedInTag(text, "i");
    const bool bold = IsWrappedInTag(text, "b");
    if (italic || bold) {
        const std::size_t start = text.find('>') + 1;
        text = text.substr(start, text.rfind('<') - start);
    }
    LineList cut;
    if (equal) {
        LineCutParams params = LineCutParamsOf(settings);
        params.reCut = false;
        EqualCut(text, params, cut);
    } else {
        GreedyCut(text, settings.Int("SubLineLength"), settings.Int("BreakMode") == 1,
                  settings.Bool("FromSubEnd"), cut);
    }
    if (cut.empty()) return;
    for (const auto& [wrapped, tag] : {std::pair{italic, "i"}, std::pair{bold, "b"}}) {
        if (!wrapped) continue;
        cut.front().insert(0, std::string("<") + tag + ">");
        cut.back() += std::string("</") + tag + ">";
    }
    SetLines(std::move(cut));
}

bool SubtitleEditor::Break(BreakOne kind) {
    const LineList lines = LinesForWriting(lines_);
    if (lines.empty() || !shown_) return false;
    Host& host = session_.host();
    if (index_.format == SubtitleFormat::Other) {
        host.ShowMessage("Processing for " + session_.currentExt + "-format is not yet written!");
        return false;
    }
    const bool subRip = index_.format == SubtitleFormat::SubRip;
    const std::string temp =
        JoinInFolder(session_.programFolder(), subRip ? "tempSUB.srt" : "tempSUB.sub");
    const std::string tempOut = ChangeFileExtMode(temp, "out", 0);
    const std::string report =
        ChangeFileExtMode(temp, kind == BreakOne::Dialog ? "DiaBreak" : "BigBreak", 0);
    // The temporary files are the editor's own: one left by a run that did not finish goes.
    const auto removeTemporary = [&] {
        for (const std::string& path : {temp, tempOut, report})
            std::remove(path.c_str());
    };
    removeTemporary();
    std::string timing(TrimChar(timeRange, ' '));
    if (timing.empty()) timing = subtitle_.timing;
    LineList written;
    if (subRip) {
        written = {subtitle_.number, timing};
        written.insert(written.end(), lines.begin(), lines.end());
        written.emplace_back();
    } else {
        written = {timing + JoinStrings(lines, "|")};
    }
    // The temporary file is UTF-8 with a byte-order mark whatever the open file is in: the mark
    // tells the operation how to read it, where the few letters of one subtitle in
    // Windows-1251 could be taken for another code page.
    const bool fromCp1251 = form() == TextForm::Cp1251;
    if (fromCp1251) {
        for (std::string& line : written)
            line = Cp1251ToUtf8(line);
    }
    std::vector<Subtitle> parts;
    try {
        WriteLinesReplacing(temp, written, {TextEncoding::Utf8, true});
        const BreakParams params = BreakParamsOf(session_.settings(), true);
        const RunResult result = kind == BreakOne::Dialog
                                     ? BreakSubDialog(temp, tempOut, params, host)
                                     : BreakBigText(temp, tempOut, params, host);
        if (result == RunResult::Done && IsRegularFile(tempOut)) {
            const SubtitleIndex split =
                BuildSubtitleIndex(tempOut, index_.format, index_.closeBracket, host);
            for (std::size_t i = 0; i < split.size(); ++i) {
                if (auto part = ReadSubtitle(split, i, host)) parts.push_back(std::move(*part));
            }
            // Back to the open file's form: every character came from it.
            for (Subtitle& part : parts) {
                if (!fromCp1251) break;
                part.number = Utf8ToCp1251(part.number);
                part.timing = Utf8ToCp1251(part.timing);
                for (std::string& line : part.lines)
                    line = Utf8ToCp1251(line);
            }
        }
    } catch (const std::exception& e) {
        host.ShowMessage(e.what());
        parts.clear();
    }
    removeTemporary();
    if (parts.empty()) return false;
    // The operation may leave the subtitle as it was ("No Breaks of Subtitles!").
    if (parts.size() == 1 && parts.front().timing == timing && parts.front().lines == lines) {
        return false;
    }
    if (!WriteChanges({{.position = current_, .entry = *index_.At(current_), .with = parts}},
                      goMode == 0)) {
        return false;
    }
    Reload();
    return true;
}

void SubtitleEditor::ChangeCase(CaseChange change, std::size_t from, std::size_t to) {
    const FileEncodingScope scope(index_.encoding);
    if (change == CaseChange::Switch) {
        LineList lines = lines_;
        for (std::string& line : lines)
            line = SwitchCaseStr(line);
        SetLines(std::move(lines));
        return;
    }
    std::string text = Text();
    to = std::min(to, text.size());
    from = std::min(from, to);
    // An edge inside a character (UTF-8) takes the whole character: a case change never
    // splits one.
    const std::string_view all(text);
    std::size_t start = 0;
    for (std::size_t next; start < from && (next = CharEnd(all, start)) <= from;)
        start = next;
    from = start;
    std::size_t end = from;
    while (end < to)
        end = CharEnd(all, end);
    to = end;
    if (from == to) {
        // Without a selection the pop-up menu changes the whole text; "Switch SelCs" nothing.
        if (change == CaseChange::SwitchSelection) return;
        from = 0;
        to = text.size();
    }
    const std::string_view part = std::string_view(text).substr(from, to - from);
    std::string changed;
    if (change == CaseChange::SwitchSelection) {
        changed = SwitchCaseStr(part);
    } else {
        CaseMode mode = CaseMode::Lower;
        switch (change) {
            case CaseChange::Words:
                mode = CaseMode::Words;
                break;
            case CaseChange::FirstLetter:
                mode = CaseMode::TextFirst;
                break;
            case CaseChange::SwitchText:
                mode = CaseMode::Switch;
                break;
            case CaseChange::Normalize:
                mode = CaseMode::Normalize;
                break;
            default:
                break;
        }
        CaseFlags flags;  // the text begins a sentence
        changed =
            CaseTransformText(part, mode, session_.settings().Bool("UpCaseTextInBrackets"), flags);
    }
    text.replace(from, to - from, changed);
    SetText(text);
}

void SubtitleEditor::Apply(KeyAid aid) {
    SetLines(ApplyKeyAid(lines_, aid));
}

}  // namespace tessaline
