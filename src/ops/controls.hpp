#pragma once

// The main window's values that no setting stores: the offsets, time pickers, check boxes and
// lists that an operation reads when it starts (and a few it writes back, such as a range it
// found). They are kept by the session, not by widgets: the window copies each control's value
// here as the user changes it and shows what an operation changed; the command line's options
// write them; the operations' descriptors read them.
//
// One table lists every such control with its type and initial value, as the settings table does
// for the stored values.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/times.hpp"

namespace tessaline {

enum class ControlType {
    Bool,   // a check box: "0" or "1"
    Int,    // a spin edit, or the item index of a list or radio group
    Text,   // an edit box
    Clock,  // a time picker: "hh:mm:ss" (its milliseconds are a spin edit of their own)
    Path,   // an edit box holding a file's path, in the file system's encoding
};

struct ControlValueDef {
    std::string_view name;  // the control's established name (the widget's objectName)
    ControlType type;
    std::string_view initial;
};

/// The kinds of output and report files (cbOutExt), in list order.
// clang-format off
inline constexpr std::array<std::string_view, 23> kOutExtItems = {
    "*.BigBreak", "*.bottom", "*.conv",   "*.corr",   "*.DiaBreak", "*.DiaFix",
    "*.double",   "*.endA",   "*.extend", "*.fix",    "*.fixd",     "*.frame",
    "*.full",     "*.len",    "*.log",    "*.out",    "*.remove",   "*.replace",
    "*.sym",      "*.tag",    "*.tagfix", "*.time",   "*.wrong"};
// clang-format on

/// The masks of input files in directory mode (cbSubExt).
inline constexpr std::array<std::string_view, 4> kSubExtItems = {"*.srt", "*.sub", "*.ssa",
                                                                 "*.ass"};

/// The file is a subtitle input of the kinds kSubExtItems names (the extension without regard
/// to case).
[[nodiscard]] bool IsSubtitleInput(std::string_view path);

/// The conversions of "Sub --> Sub" (cbSubToSub), by item index.
inline constexpr std::array<std::string_view, 4> kSubToSubItems = {
    "sub --> srt", "srt --> sub", "SubTime --> srt", "ssa / ass --> srt"};

// clang-format off
inline constexpr auto kControlTable = std::array{
    // Offset Time
    ControlValueDef{"dtpOffsetTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seOffsetTimeMls", ControlType::Int, "0"},
    ControlValueDef{"cbOffsetTimeMinus", ControlType::Bool, "0"},
    // Offset Tail
    ControlValueDef{"dtpOffsetTimeTail", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seOffsetTimeMlsTail", ControlType::Int, "0"},
    ControlValueDef{"cbOffsetTimeMinusTail", ControlType::Bool, "0"},
    ControlValueDef{"dtpBeginTimeTail", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seBeginTimeMlsTail", ControlType::Int, "0"},
    ControlValueDef{"dtpEndTimeTail", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seEndTimeMlsTail", ControlType::Int, "0"},
    // Offset Count, Offset Frame
    ControlValueDef{"sedOffsetCount", ControlType::Int, "0"},
    ControlValueDef{"sedOffsetCntFrames", ControlType::Int, "0"},
    ControlValueDef{"cbOffsetFrameMinus", ControlType::Bool, "0"},
    // Sub --> Sub: the conversion chosen
    ControlValueDef{"cbSubToSub", ControlType::Int, "0"},
    // Above the pages: the mask of directory mode, the output kind "Delete File:" removes, the
    // report kind whose indicator shows, "Keep first Sub"
    ControlValueDef{"cbSubExt", ControlType::Text, "*.srt"},
    ControlValueDef{"cbOutExt", ControlType::Text, "*.out"},
    ControlValueDef{"cbLogExt", ControlType::Text, "*.fixd"},
    ControlValueDef{"cbFirstSubtitle", ControlType::Bool, "0"},
    // Remove TAG's: the tag's name
    ControlValueDef{"edSubTagToRemove", ControlType::Text, "font"},
    // The add file: the second input of the operations that take timings from another file
    ControlValueDef{"edOpenFileAdd", ControlType::Path, ""},
    // The subtitle line editor's text (Add Last Subtitle appends it as a new subtitle)
    ControlValueDef{"MemoSubLines", ControlType::Text, ""},
    // Range of Time: Begin and New End are the user's, the others are filled by Get Range Time
    // and the stretch
    ControlValueDef{"dtpBeginTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seBeginTimeMls", ControlType::Int, "0"},
    ControlValueDef{"dtpEndTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seEndTimeMls", ControlType::Int, "0"},
    ControlValueDef{"dtpFullTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seFullTimeMls", ControlType::Int, "0"},
    ControlValueDef{"dtpNewFullTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seNewFullTimeMls", ControlType::Int, "0"},
    ControlValueDef{"dtpNewEndTime", ControlType::Clock, "00:00:00"},
    ControlValueDef{"seNewEndTimeMls", ControlType::Int, "0"},
    // Range of Frames
    ControlValueDef{"sedBeginFrame", ControlType::Int, "0"},
    ControlValueDef{"sedEndFrame", ControlType::Int, "0"},
    ControlValueDef{"sedFullFrames", ControlType::Int, "0"},
    ControlValueDef{"sedNewFullFrames", ControlType::Int, "0"},
    ControlValueDef{"sedNewEndFrame", ControlType::Int, "0"},
    // The frame-rate conversion: its factor from the two rates (0, "Difference") or typed in
    // (1, "Coefficient")
    ControlValueDef{"rgCoefficient", ControlType::Int, "0"},
    ControlValueDef{"edFramesAtSecCoefficient", ControlType::Text, ""},
    // Frame Test: the fewest frames a subtitle may last
    ControlValueDef{"sedMinRFrame", ControlType::Int, "0"},
    // What the range operations keep between runs, shown by no widget: the full time Get Range
    // Time found (range mode 2 divides by it) and the New Full Time of the last time stretch, in
    // milliseconds
    ControlValueDef{"RememberedFullTime", ControlType::Int, "0"},
    ControlValueDef{"RememberedNewFullTime", ControlType::Int, "0"},
    // The command line's stretch (--begin, --new-end), which reads the range of the file first:
    // a time for a SubRip file, a frame number for a MicroDVD file; "" when not given
    ControlValueDef{"StretchBegin", ControlType::Text, ""},
    ControlValueDef{"StretchNewEnd", ControlType::Text, ""},
    // Sync: the film or the reference subtitle file, the audio track (0: the best one), the
    // largest offset in seconds, the breaks and their penalty in seconds of subtitles
    ControlValueDef{"SyncFilm", ControlType::Path, ""},
    ControlValueDef{"SyncReference", ControlType::Path, ""},
    ControlValueDef{"SyncTrack", ControlType::Int, "0"},
    ControlValueDef{"SyncMaxOffset", ControlType::Int, "60"},
    ControlValueDef{"SyncSplits", ControlType::Bool, "0"},
    ControlValueDef{"SyncSplitPenalty", ControlType::Text, "10"},
};
// clang-format on

/// The table's row of a control, or nullptr.
[[nodiscard]] const ControlValueDef* LookupControlDef(std::string_view name);

/// The values of the controls of kControlTable, as text, each starting at its initial value.
class ControlValues {
  public:
    ControlValues();

    /// The value of a control of the table (throws std::invalid_argument for another name).
    [[nodiscard]] const std::string& Text(std::string_view name) const;
    [[nodiscard]] bool Bool(std::string_view name) const;
    /// A whole number; 0 when the text is none.
    [[nodiscard]] std::int64_t Number(std::string_view name) const;
    [[nodiscard]] int Int(std::string_view name) const;
    /// A time picker and its milliseconds spin edit as one time value.
    [[nodiscard]] TimeMs Time(std::string_view clock, std::string_view ms) const;

    /// Sets a value; it is marked changed until TakeChanged.
    void Set(std::string_view name, std::string_view value);
    void SetBool(std::string_view name, bool value) { Set(name, value ? "1" : "0"); }
    void SetNumber(std::string_view name, std::int64_t value) { Set(name, std::to_string(value)); }
    /// Sets a time picker and its milliseconds spin edit from one time value.
    void SetTime(std::string_view clock, std::string_view ms, TimeMs value);

    /// The names of the controls set since the last call, in table order; clears the marks.
    [[nodiscard]] std::vector<std::string_view> TakeChanged();

  private:
    [[nodiscard]] std::size_t IndexOf(std::string_view name) const;

    std::vector<std::string> values_;
    std::vector<bool> changed_;
};

}  // namespace tessaline
