#pragma once

// The subtitle line editor of the "Subtitle" page, without widgets: the index of the open file,
// the subtitle shown with its timing and its neighbours' timings, the lengths and pixel widths
// of its lines, the keyboard aids, the case changes, the re-cutting and breaking of the edited
// text, and ReWrite and Del, which change the open file itself. The window shows this state and
// calls these commands; the command line's subtitle commands run the same file routines.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/subtitle_file.hpp"
#include "core/strings.hpp"
#include "ops/change_case.hpp"

namespace tessaline {

class Session;
class TextWidthMeter;

/// How a neighbour's timing stands to the current one (the colour of its label).
enum class GapColour {
    Normal,   // more than DeltaTimeBetweenTime apart
    Close,    // at most DeltaTimeBetweenTime apart (magenta)
    Overlap,  // they overlap (red)
};

/// A timing shown beside the current one.
struct TimingLabel {
    std::string timing = "0";  // "0" where there is no neighbour
    std::string duration;
    GapColour colour = GapColour::Normal;
};

/// The lengths of the edited lines as the window shows them beside the lines.
struct LineMeasure {
    std::vector<int> lengths;       // characters, tags not counted
    std::vector<int> widths;        // pixels; empty when the font cannot be read
    int total = 0;                  // stMaxSubLength
    bool totalTooLong = false;      // over lines x length less the correction (shMaxSubLength)
    bool lineTooLong = false;       // a line over SubLineLength characters
    bool lineTooWide = false;       // a line over PixelTextWidthMax pixels
    bool breakBig = false;          // over SubtitleFullLength: "Break Big" can split it
    std::string widthsUnavailable;  // why there are no widths
};

/// The keyboard aids of the edit box (Ctrl with a digit).
enum class KeyAid {
    JoinAll = 1,         // Ctrl+1: one line
    WordsUp = 2,         // Ctrl+2: each line's first word to the line above, from the end
    FirstWordUp = 3,     // Ctrl+3: the second line's first word to the first line
    WordsDown = 4,       // Ctrl+4: each line's last word to the line below, from the start
    LastWordDown = 5,    // Ctrl+5: the first line's last word to the second line
    DropEmptyLines = 0,  // Ctrl+0
};

/// The file operations of the breaking family the editor applies to its subtitle.
enum class BreakOne { Dialog, BigText };

/// What the editor changes in a text when the case changes.
enum class CaseChange {
    Switch,           // "Switch Case": every line switched
    SwitchSelection,  // "Switch SelCs": the selection switched
    Lower,            // the pop-up menu's modes, on the selection (the whole text without one)
    Words,
    FirstLetter,
    SwitchText,
    Normalize,
};

class SubtitleEditor {
  public:
    explicit SubtitleEditor(Session& session);
    ~SubtitleEditor();
    SubtitleEditor(const SubtitleEditor&) = delete;
    SubtitleEditor& operator=(const SubtitleEditor&) = delete;

    // --- What the window shows and the user edits --------------------------------------------

    /// stSubNumber: the number of the subtitle shown (a MicroDVD frame prefix); the user types a
    /// number here for "Go to:".
    std::string subNumber = "0";
    /// edTimeRange: the timing written by ReWrite (empty: the subtitle's own).
    std::string timeRange;
    /// rgModeGoSub: 0 "mode1" (Next and Prev step through the index, ReWrite asks before it
    /// refuses), 1 "mode2" (they go by the number in stSubNumber, ReWrite refuses silently).
    int goMode = 0;
    /// cbTime: the timing rows are shown.
    bool showTime = true;

    /// The edited lines (MemoSubLines).
    [[nodiscard]] const LineList& lines() const { return lines_; }
    /// The edited text, lines joined with line feeds.
    [[nodiscard]] std::string Text() const { return JoinStrings(lines_, "\n"); }
    /// The user changed the text: measured at once; the subtitle counts as modified.
    void SetText(std::string_view text);
    /// The user changed the timing: the subtitle counts as modified.
    void SetTimeRange(std::string_view text);

    /// stCurrentSubtitle: the position of the subtitle shown, 1-based (0: none).
    [[nodiscard]] std::size_t Position() const { return shown_ ? current_ + 1 : 0; }
    /// stSubtitlesCount.
    [[nodiscard]] std::size_t Count() const { return index_.size(); }
    [[nodiscard]] const SubtitleIndex& index() const { return index_; }
    /// The form of the open file's text, which the lines, the timing and the text given to
    /// SetText are in: UTF-8, or Windows-1251 for a Windows-1251 or plain ASCII file (and when
    /// no file is open).
    [[nodiscard]] TextForm form() const { return index_.encoding.form(); }
    /// edDeltaTimeRange: the duration of the timing.
    [[nodiscard]] const std::string& duration() const { return duration_; }
    /// The neighbours' timings and the current one (stTimeRangePrev, ...This, ...Next).
    [[nodiscard]] const TimingLabel& previous() const { return previous_; }
    [[nodiscard]] const TimingLabel& current() const { return this_; }
    [[nodiscard]] const TimingLabel& next() const { return next_; }
    /// cbPrevEqualTime, cbNextEqualTime: the timings join (one tick apart with
    /// OneTickDifferenceNearTimeFrame).
    [[nodiscard]] bool previousJoins() const { return previousJoins_; }
    [[nodiscard]] bool nextJoins() const { return nextJoins_; }
    [[nodiscard]] const LineMeasure& measure() const { return measure_; }
    /// The text or timing was changed since the subtitle was shown or written.
    [[nodiscard]] bool modified() const { return modified_; }
    /// A subtitle is shown.
    [[nodiscard]] bool shown() const { return shown_; }
    /// The subtitle shown is too long to load (kMaxEditedLines, kMaxEditedBytes): its text is
    /// not shown.
    [[nodiscard]] bool tooLong() const { return subtitle_.tooLong; }

    // --- Commands ------------------------------------------------------------------------------

    /// With AutoSave, writes a modified subtitle before the editor moves on; false when that
    /// failed (the editor then stays, with the user's text).
    bool SaveIfModified();
    /// The user chose not to write the change: the subtitle counts as not modified.
    void ForgetEdits() { modified_ = false; }

    /// Builds the index of the open file and shows its first subtitle (any file but SubRip and
    /// MicroDVD leaves the index empty). With `only`, the index is partial: a one-shot command
    /// reaches just the subtitles it names and their neighbours.
    void Open(const SubtitleSelection* only = nullptr);
    /// Builds the index again when another program changed the file, keeping the position.
    void Refresh();
    /// Builds the index again and shows the subtitle at the same position (or the last).
    void Reload();
    /// After the subtitles lists window, which may have written the open file: the index is
    /// built again, and a SubRip file shows the subtitle before the one at `position` (1-based)
    /// when the window opened.
    void ReturnFromLists(std::size_t position);
    /// Empties the display: no subtitle, no text, no timing.
    void Clear();

    void First();
    void Last();
    /// The next subtitle ("mode1": in the index; "mode2": after the one numbered stSubNumber);
    /// nothing at the end. With AutoSave a modified subtitle is written first; when that fails
    /// the editor stays.
    void Next();
    void Prev();
    /// Shows the subtitle named by stSubNumber (SubRip: the last of that number; MicroDVD: the
    /// first line that begins with that frame prefix). False when there is none.
    bool GoTo();
    /// Shows the subtitle at a position (0-based).
    void Show(std::size_t position);

    /// Writes the edited subtitle into the open file (a copy to the output path, which then
    /// takes the file's place). With the next timing joined, the next subtitle starts at the new
    /// off-time. False when nothing was written.
    bool ReWrite();
    /// Removes the subtitle shown from the open file and shows the one that followed it.
    bool Delete();
    /// Removes the subtitles at the positions (ascending) from the open file, each with the
    /// empty line after it; the editor then shows the one that followed the first.
    bool Delete(std::span<const std::size_t> positions, bool interactive);

    /// "Break Str" (greedy) and "Break Str Eq" (equal): the edited text cut anew into lines.
    void BreakString(bool equal);
    /// "Break Dlg" and "Break Big": the subtitle split by the file operation into two subtitles,
    /// which take its place in the file.
    bool Break(BreakOne kind);

    /// A case change of the text or of the selection [from, to) of Text() (byte positions; an
    /// edge inside a UTF-8 character takes the whole character). The text keeps its length in
    /// Windows-1251, so the selection stays where it was; in UTF-8 a few letters change their
    /// byte length with their case (ß, ẞ).
    void ChangeCase(CaseChange change, std::size_t from = 0, std::size_t to = 0);
    /// A keyboard aid on the lines.
    void Apply(KeyAid aid);

    /// The settings or the font changed: the lines are measured again.
    void Remeasure();

  private:
    void Step(bool forward);
    void SetLines(LineList lines);
    void ShowNeighbours();
    /// The subtitle named by stSubNumber in "mode2" ("1" and "2" name the first line of a
    /// MicroDVD file).
    std::optional<std::size_t> Named();
    bool WriteChanges(std::vector<SubtitleChange> changes, bool interactive);
    /// The new timing of the subtitle after the current one when it joins the current one.
    std::optional<std::string> JoinedNextTiming(std::string_view timing) const;
    std::optional<Subtitle> Read(std::size_t position);
    /// After removing the subtitles at `positions` with a partial index: the subtitle the editor
    /// would show next is known from the file as it was not to be too long.
    bool ShowsQuietlyAfterDelete(std::span<const std::size_t> positions);

    Session& session_;
    SubtitleIndex index_;
    std::size_t current_ = 0;
    bool shown_ = false;
    Subtitle subtitle_;  // as read from the file
    LineList lines_;
    std::string duration_;
    TimingLabel previous_;
    TimingLabel this_;
    TimingLabel next_;
    bool previousJoins_ = false;
    bool nextJoins_ = false;
    LineMeasure measure_;
    bool modified_ = false;
    std::unique_ptr<TextWidthMeter> meter_;  // read when first needed
};

/// The lines after a keyboard aid.
[[nodiscard]] LineList ApplyKeyAid(LineList lines, KeyAid aid);

}  // namespace tessaline
