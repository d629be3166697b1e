#pragma once

// The "Subtitles Lists" window without widgets: two subtitle files side by side as tables of
// subtitles, one row per subtitle, so that the user can compare them row by row, copy subtitles
// or timings from one side to the other, split and merge rows, renumber, and save either side
// over its file.
//
// Each side is a column of rows. In the one-table display (SubsListMode other than 1) row i shows
// the left side's i-th subtitle facing the right side's i-th; every command of a side leaves the
// other side's subtitles at their rows, and the table has as many rows as the longer side. In the
// two-table display (SubsListMode 1) each side is a table of its own.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/subtitle_file.hpp"

namespace tessaline {

class Session;

/// The cells of one subtitle: its number, its timing and its text lines joined by "|".
struct ListRow {
    std::string n;
    std::string timing;
    std::string text;

    [[nodiscard]] bool empty() const { return n.empty() && timing.empty() && text.empty(); }
    friend bool operator==(const ListRow&, const ListRow&) = default;
};

enum class ListSide { Left = 0, Right = 1 };
enum class ListField { N, Timing, Text };

/// The marks a command leaves in a row's text, so that the user sees what was done.
inline constexpr std::string_view kBreakMark = "|<-=BREAK=->";
inline constexpr std::string_view kInsertMark = "|<-=INSERT=->";
inline constexpr std::string_view kTimeMark = "|<-=TIME=->";

/// "Путь к файлу указан неверно!" (Windows-1251): a path that is empty or begins with a space.
inline constexpr std::string_view kWrongListPath =
    "\xCF\xF3\xF2\xFC \xEA \xF4\xE0\xE9\xEB\xF3 \xF3\xEA\xE0\xE7\xE0\xED \xED\xE5\xE2\xE5\xF0\xED"
    "\xEE!";

class SubtitleLists {
  public:
    /// The left side is the open file, the right side the add file; both are loaded.
    explicit SubtitleLists(Session& session);

    /// One table of six columns (SubsListMode other than 1), or two tables.
    [[nodiscard]] bool oneTable() const { return oneTable_; }
    /// The rows of a side's table (in the one table, of the whole table).
    [[nodiscard]] std::size_t RowCount(ListSide side) const;
    /// The cells of a side in a row; empty cells where the side has none.
    [[nodiscard]] const ListRow& Cells(ListSide side, std::size_t row) const;
    [[nodiscard]] const std::string& Path(ListSide side) const { return paths_[Index(side)]; }
    /// The form of a side's cells: the form of its file's encoding, which Save writes again.
    [[nodiscard]] TextForm Form(ListSide side) const { return encodings_[Index(side)].form(); }
    /// The file name framed by spaces, for the group above the side.
    [[nodiscard]] std::string Caption(ListSide side) const;
    /// The duration of a row's timing as a time (stDeltaTimeRange); a MicroDVD side turns its
    /// frames into a time at the frames per second of the main window.
    [[nodiscard]] std::string Duration(ListSide side, std::size_t row) const;

    /// Loads a file into a side (edOpenFile1, edOpenFile2); a path that is empty or begins with a
    /// space is refused (kWrongListPath). False when nothing was loaded.
    bool Load(ListSide side, const std::string& path);
    /// "Save": the side written over its file (through a temporary file and a rename).
    bool Save(ListSide side);
    /// "Del Line".
    void DeleteRow(ListSide side, std::size_t row);
    /// "ReCount": N of every row becomes its position (in the one table, up to the first row
    /// where the side has no N).
    void ReCount(ListSide side);
    /// "Break": the row's timing divided in two, the second half in a new row after it; both
    /// get kBreakMark. Only when a row follows.
    void Break(ListSide side, std::size_t row);
    /// "Join": the row merged with the row above (the above's N and on-time, this row's
    /// off-time, both texts).
    void Join(ListSide side, std::size_t row);
    /// "<< Ins" / "Ins >>": the other side's row copied into this side, with kInsertMark.
    void Insert(ListSide side, std::size_t row);
    /// "<Time>": kTimeMark added to the row's text.
    void MarkTime(ListSide side, std::size_t row);
    /// The user edited a cell.
    void SetCell(ListSide side, std::size_t row, ListField field, std::string_view text);
    /// A click on a column's header: the rows sorted by that cell's text, letter case aside
    /// (numbers sort as text). In the one table the rows move as a whole.
    void Sort(ListSide side, ListField field);

  private:
    static std::size_t Index(ListSide side) { return static_cast<std::size_t>(side); }
    std::vector<ListRow>& Column(ListSide side) { return rows_[Index(side)]; }
    /// The side's column reaches the row (empty cells are added).
    ListRow& At(ListSide side, std::size_t row);
    /// Empty cells at a column's end are no rows.
    void Trim(ListSide side);
    void Log(std::string_view command, ListSide side);
    [[nodiscard]] SubtitleFormat FormatOf(ListSide side) const;

    Session& session_;
    bool oneTable_ = true;
    std::array<std::string, 2> paths_;
    std::array<std::vector<ListRow>, 2> rows_;
    std::array<FileEncoding, 2> encodings_;
};

}  // namespace tessaline
