#include "app/subtitle_lists.hpp"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "app/session.hpp"
#include "core/chars.hpp"
#include "core/cp1251.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "core/times.hpp"
#include "core/typed_text.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "files/records.hpp"

namespace tessaline {

// The status bar after Save names the file written.
constexpr std::string_view kListsSaved = "Lists saved: ";
namespace {

const ListRow kNoCells;

std::string& FieldOf(ListRow& row, ListField field) {
    switch (field) {
        case ListField::N:
            return row.n;
        case ListField::Timing:
            return row.timing;
        case ListField::Text:
            break;
    }
    return row.text;
}

const std::string& FieldOf(const ListRow& row, ListField field) {
    return FieldOf(const_cast<ListRow&>(row), field);
}

// Two texts joined by "|", one copy when they are equal.
std::string JoinedText(const std::string& above, const std::string& below) {
    return above == below ? above : above + "|" + below;
}

}  // namespace

SubtitleLists::SubtitleLists(Session& session)
    : session_(session), oneTable_(session.settings().Int("SubsListMode") != 1) {
    const std::array<std::string, 2> files = {session.openFile, session.openAddFile()};
    for (ListSide side : {ListSide::Left, ListSide::Right}) {
        const std::string& path = files[Index(side)];
        if (!path.empty() && IsRegularFile(path)) Load(side, path);
    }
}

std::size_t SubtitleLists::RowCount(ListSide side) const {
    if (!oneTable_) return rows_[Index(side)].size();
    return std::max(rows_[0].size(), rows_[1].size());
}

const ListRow& SubtitleLists::Cells(ListSide side, std::size_t row) const {
    const std::vector<ListRow>& column = rows_[Index(side)];
    return row < column.size() ? column[row] : kNoCells;
}

ListRow& SubtitleLists::At(ListSide side, std::size_t row) {
    std::vector<ListRow>& column = Column(side);
    if (column.size() <= row) column.resize(row + 1);
    return column[row];
}

void SubtitleLists::Trim(ListSide side) {
    std::vector<ListRow>& column = Column(side);
    while (!column.empty() && column.back().empty())
        column.pop_back();
}

std::string SubtitleLists::Caption(ListSide side) const {
    return " " + std::string(FileNameOf(Path(side))) + " ";
}

SubtitleFormat SubtitleLists::FormatOf(ListSide side) const {
    return FormatOfPath(Path(side));
}

void SubtitleLists::Log(std::string_view command, ListSide side) {
    std::string line = "[" + std::string(command) + "] Click, ";
    line += side == ListSide::Left ? "Left File:, " : "Right File:, ";
    session_.LogOperation(line + Path(side), 0);
}

std::string SubtitleLists::Duration(ListSide side, std::size_t row) const {
    const Settings& settings = session_.settings();
    const std::string& timing = Cells(side, row).timing;
    try {
        const std::string duration = SubtitleDuration(
            timing, FirstChar(settings.Text("OpenBrackets"), '{'),
            FirstChar(settings.Text("CloseBrackets"), '}'), settings.Bool("TimeCorrection"));
        if (FormatOf(side) != SubtitleFormat::MicroDvd || !IsNumberStr(duration)) return duration;
        const auto fps = ParseFramesPerSecond(settings.Text("FramesAtSec"));
        if (!fps || *fps <= 0) return duration;
        return MsToTimeText(CheckedTime(FrameToMs(StrToIntSafe(duration), *fps), duration));
    } catch (const ConversionError&) {
        return {};
    }
}

// --- Loading and saving -------------------------------------------------------------------------

bool SubtitleLists::Load(ListSide side, const std::string& path) {
    Host& host = session_.host();
    if (path.empty() || path.front() == ' ') {
        host.ShowMessage(kWrongListPath);
        return false;
    }
    paths_[Index(side)] = path;
    encodings_[Index(side)] = {};
    std::vector<ListRow>& column = Column(side);
    column.clear();
    const CurrentFile about(host, path);
    const SubtitleFormat format = FormatOfPath(path);
    if (format == SubtitleFormat::Other) {
        host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(path));
        return false;
    }
    const Settings& settings = session_.settings();
    try {
        std::size_t count = 0;
        encodings_[Index(side)] = ForEachSubtitle(
            path, format, FirstChar(settings.Text("CloseBrackets"), '}'), host,
            [&](Subtitle& subtitle) {
                ++count;
                column.push_back({format == SubtitleFormat::SubRip ? std::move(subtitle.number)
                                                                   : std::to_string(count),
                                  std::move(subtitle.timing), JoinStrings(subtitle.lines, "|")});
            });
    } catch (const FileError& e) {
        column.clear();
        encodings_[Index(side)] = {};
        host.ShowMessage(e.what());
        return false;
    }
    return true;
}

bool SubtitleLists::Save(ListSide side) {
    Host& host = session_.host();
    const std::string& path = Path(side);
    const SubtitleFormat format = FormatOf(side);
    const CurrentFile about(host, path);
    if (path.empty()) return false;
    if (format == SubtitleFormat::Other) {
        host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(path));
        return false;
    }
    LineList lines;
    for (std::size_t i = 0; i < RowCount(side); ++i) {
        const ListRow& row = Cells(side, i);
        if (format == SubtitleFormat::SubRip) {
            // In the one table a row without the side's number holds no subtitle of it.
            if (oneTable_ && row.n.empty()) continue;
            lines.push_back(row.n);
            lines.push_back(row.timing);
            LineList text;
            SplitByChar(row.text, '|', text);
            // An empty piece would end the subtitle early.
            for (std::string& piece : text) {
                if (!IsBlankLine(piece)) lines.push_back(std::move(piece));
            }
            lines.emplace_back();
        } else {
            if (oneTable_ && row.timing.empty() && row.text.empty()) continue;
            lines.push_back(row.timing + row.text);
        }
    }
    try {
        // Written whole under a temporary name, then put in the file's place in one rename, in
        // the encoding the file was read in (its byte-order mark too).
        WriteLinesReplacing(path, lines, encodings_[Index(side)]);
    } catch (const FileError& e) {
        host.ShowMessage(e.what());
        return false;
    }
    Log("Save", side);
    host.SetStatusBar(std::string(kListsSaved) + std::string(FileNameOf(path)));
    return true;
}

// --- Commands -----------------------------------------------------------------------------------

void SubtitleLists::DeleteRow(ListSide side, std::size_t row) {
    std::vector<ListRow>& column = Column(side);
    if (row >= RowCount(side)) return;
    if (row < column.size()) column.erase(column.begin() + static_cast<std::ptrdiff_t>(row));
    Trim(side);
    Log("Del Line", side);
}

void SubtitleLists::ReCount(ListSide side) {
    std::vector<ListRow>& column = Column(side);
    for (std::size_t i = 0; i < column.size(); ++i) {
        if (oneTable_ && column[i].n.empty()) break;
        column[i].n = std::to_string(i + 1);
    }
    Log("ReCount", side);
}

void SubtitleLists::Break(ListSide side, std::size_t row) {
    if (row + 1 >= RowCount(side)) return;
    const Settings& settings = session_.settings();
    ListRow& cells = At(side, row);
    const SplitTimings parts = SplitTiming(cells.timing, 2, settings.Bool("TimeCorrection"), true,
                                           FirstChar(settings.Text("OpenBrackets"), '{'),
                                           FirstChar(settings.Text("CloseBrackets"), '}'));
    ListRow second = cells;
    // A timing that does not divide stays whole on both rows.
    if (!parts.first.empty() && !parts.second.empty()) {
        cells.timing = parts.first;
        second.timing = parts.second;
    }
    cells.text += kBreakMark;
    second.text += kBreakMark;
    std::vector<ListRow>& column = Column(side);
    column.insert(column.begin() + static_cast<std::ptrdiff_t>(row) + 1, std::move(second));
    Trim(side);
    Log("Break", side);
}

void SubtitleLists::Join(ListSide side, std::size_t row) {
    if (row == 0 || row >= RowCount(side)) return;
    const char close = FirstChar(session_.settings().Text("CloseBrackets"), '}');
    At(side, row);
    std::vector<ListRow>& column = Column(side);
    const ListRow& above = column[row - 1];
    ListRow& cells = column[row];
    if (FormatOf(side) == SubtitleFormat::MicroDvd) {
        // Frames merge as times do: the first frame of the row above, the last of this row.
        const std::size_t aboveEnd = above.timing.find(close);
        const std::size_t ownEnd = cells.timing.find(close);
        if (aboveEnd != std::string::npos && ownEnd != std::string::npos) {
            cells.timing = above.timing.substr(0, aboveEnd + 1) + cells.timing.substr(ownEnd + 1);
        }
    } else {
        const std::size_t aboveArrow = above.timing.find("-->");
        const std::size_t ownArrow = cells.timing.find("-->");
        cells.timing =
            above.timing.substr(0, aboveArrow) +
            (ownArrow == std::string::npos ? std::string() : cells.timing.substr(ownArrow));
    }
    cells.n = above.n;
    cells.text = JoinedText(above.text, cells.text);
    column.erase(column.begin() + static_cast<std::ptrdiff_t>(row) - 1);
    Trim(side);
    Log("Join", side);
}

void SubtitleLists::Insert(ListSide side, std::size_t row) {
    const ListSide other = side == ListSide::Left ? ListSide::Right : ListSide::Left;
    if (row >= rows_[Index(other)].size()) return;
    ListRow copy = Cells(other, row);
    // The row goes into this side's form; a character this side's Windows-1251 lacks stops it.
    if (Form(side) != Form(other)) {
        for (std::string* cell : {&copy.n, &copy.timing, &copy.text}) {
            if (Form(side) == TextForm::Utf8) {
                *cell = Cp1251ToUtf8(*cell);
                continue;
            }
            TypedText typed = TypedInForm(*cell, TextForm::Cp1251);
            if (typed.missing) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*typed.missing));
                session_.host().ShowMessage(std::string("The character ") + code +
                                            " has no place in the Windows-1251 file " +
                                            std::string(FileNameOf(Path(side))) +
                                            ": the row is not inserted.");
                return;
            }
            *cell = std::move(typed.text);
        }
    }
    copy.text += kInsertMark;
    std::vector<ListRow>& column = Column(side);
    std::size_t at = std::min(row, column.size());
    // In the one table the copy fills the gap of rows without this side's number above the row.
    if (oneTable_) {
        at = row;
        while (at > 0 && Cells(side, at - 1).n.empty())
            --at;
        if (column.size() < at) column.resize(at);
    }
    column.insert(column.begin() + static_cast<std::ptrdiff_t>(at), std::move(copy));
    Trim(side);
    Log(side == ListSide::Left ? "<< Ins" : "Ins >>", side);
}

void SubtitleLists::MarkTime(ListSide side, std::size_t row) {
    if (row >= RowCount(side)) return;
    At(side, row).text += kTimeMark;
    Log("<Time>", side);
}

void SubtitleLists::SetCell(ListSide side, std::size_t row, ListField field,
                            std::string_view text) {
    if (FieldOf(Cells(side, row), field) == text) return;
    FieldOf(At(side, row), field) = text;
    Trim(side);
}

void SubtitleLists::Sort(ListSide side, ListField field) {
    const std::size_t count = RowCount(side);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<std::string> keys(count);
    // Letter case as the side's file has it (the one table sorts by the clicked side).
    const FileEncodingScope scope(encodings_[Index(side)]);
    for (std::size_t i = 0; i < count; ++i)
        keys[i] = LowerFoldStr(FieldOf(Cells(side, i), field));
    // Bytes compare unsigned, so that Cyrillic letters sort after the Latin ones.
    const auto less = [&keys](std::size_t a, std::size_t b) {
        return std::lexicographical_compare(
            keys[a].begin(), keys[a].end(), keys[b].begin(), keys[b].end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
    };
    std::stable_sort(order.begin(), order.end(), less);
    // In the one table a row moves as a whole: both sides follow the order.
    for (ListSide moved : {ListSide::Left, ListSide::Right}) {
        if (!oneTable_ && moved != side) continue;
        std::vector<ListRow> sorted;
        sorted.reserve(count);
        for (std::size_t i : order)
            sorted.push_back(Cells(moved, i));
        Column(moved) = std::move(sorted);
        Trim(moved);
    }
}

}  // namespace tessaline
