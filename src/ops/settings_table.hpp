#pragma once

// Every stored setting of Tessaline.ini, in the order the file is read: section, key, type,
// default and the control it feeds (empty for a value the window keeps without a control).
//
// This table is the one source of the defaults. The operations' parameter structs take their
// defaults from it at compile time; reading and writing Tessaline.ini, `--set` and
// `tessaline settings` walk it; the desktop program binds each control named here.

#include <array>
#include <cstddef>
#include <string_view>

namespace tessaline {

// Rate: a frame rate kept as written, with a decimal comma ("23,976").
enum class SettingType { Bool, Int, Text, Rate };

// The largest window size or position kept: far beyond any screen, far below int overflow.
inline constexpr int kMaxWindowSize = 100000;
// The frame rates a rate setting accepts: above 0 and up to this.
inline constexpr int kMaxFramesPerSecond = 1000;

struct SettingDef {
    std::string_view section;
    std::string_view key;
    SettingType type;
    std::string_view defaultValue;  // as written in the file: booleans 0 and 1
    std::string_view feeds;         // the control that shows the value, if any
    int min = 0;                    // the range of an integer, both ends included; the
    int max = 0;                    // Parameters window's spin boxes take theirs from here
};

namespace setting_table_detail {
using enum SettingType;
inline constexpr std::string_view S = "Settings";
inline constexpr std::string_view P = "Parameters";
inline constexpr std::string_view L = "SubsListWindow";
inline constexpr std::string_view W = "Window";
}  // namespace setting_table_detail

// clang-format off
inline constexpr auto kSettingTable = [] {
    using namespace setting_table_detail;
    return std::array{
        SettingDef{S, "LastDir", Text, "", ""},
        SettingDef{S, "FindCharFlag", Bool, "0", "cbFindChar"},
        SettingDef{S, "TextToFind", Text, "<", "edFindText"},
        SettingDef{S, "TextToReplace", Text, ">", "edReplaceText"},
        SettingDef{S, "FramesAtSec", Rate, "25", "cbFramesAtSec"},
        SettingDef{S, "FramesAtSecTarget", Rate, "29,970", "cbFramesAtSecTarget"},
        SettingDef{S, "LineAddSpaceAfterDelimiters", Bool, "0", "cbLineAddSpaceAfterDelimiters"},
        SettingDef{S, "SaveSubLength", Bool, "0", "cbSaveSubLength"},
        SettingDef{S, "Delimiters", Text, ",!?)]", "edDelimiters"},
        SettingDef{S, "DelimitersFix", Text, ",!?)]", "edDelimitersFix"},
        SettingDef{S, "ExcludeFix", Text, " <,!?)]", "edExcludeFix"},
        SettingDef{S, "UseExclude", Bool, "1", "cbUseExclude"},
        SettingDef{S, "NoTimeRangeLog", Bool, "0", "cbNoTimeRangeLog"},
        SettingDef{S, "DeltaTime", Text, "00:00:01,200", "edDeltaTime"},
        SettingDef{S, "ReplaceNullSubText", Bool, "0", "cbReplaceNullSubText"},
        SettingDef{S, "RandomNum", Bool, "0", "cbRandomNum"},
        SettingDef{S, "RoundWord", Bool, "0", "cbRoundWord"},
        SettingDef{S, "InsTimings", Bool, "0", "cbInsTiming"},
        SettingDef{S, "ForceExtendTime", Bool, "0", "cbForceExtendTime"},
        SettingDef{S, "JoinSubtitlesText", Bool, "0", "cbJoinSubtitlesText"},
        SettingDef{S, "JoinDeltaTime", Text, "00:00:00,400", "edJoinDeltaTime"},
        SettingDef{S, "TimingsModeCompare", Int, "0", "rgTimingsModeCompare", 0, 2},
        SettingDef{S, "more12", Int, "12", "", 0, 255},
        SettingDef{S, "more24", Int, "24", "", 0, 255},
        SettingDef{S, "parts0", Int, "1", "", 0, 255},
        SettingDef{S, "tails0", Int, "1", "", 0, 255},
        SettingDef{S, "parts12", Int, "1", "", 0, 255},
        SettingDef{S, "tails12", Int, "2", "", 0, 255},
        SettingDef{S, "parts24", Int, "1", "", 0, 255},
        SettingDef{S, "tails24", Int, "2", "", 0, 255},
        SettingDef{P, "SaveLastOpenFileString", Bool, "0", ""},
        SettingDef{P, "LastOpenFileString", Text, "", "edOpenFile"},
        SettingDef{P, "SaveLastOpenAddFileString", Bool, "0", ""},
        SettingDef{P, "LastOpenAddFileString", Text, "", "edOpenFileAdd"},
        SettingDef{P, "OneTickDifferenceNearTimeFrame", Bool, "1", ""},
        SettingDef{P, "CorrectTAGs", Bool, "0", ""},
        SettingDef{P, "CorrectInsideTAGs", Bool, "0", ""},
        SettingDef{P, "TAGtoEveryLine", Bool, "1", ""},
        SettingDef{P, "WriteLogOnSetLength", Bool, "0", "cbWriteLogOnSetLength"},
        SettingDef{P, "WriteOperationsLog", Bool, "0", ""},
        SettingDef{P, "AutoSave", Bool, "1", ""},
        // "жЖмМфФшШщЩыЫюЮ": the Cyrillic letters drawn wider than average.
        SettingDef{P, "WideLetters", Text, "\xE6\xC6\xEC\xCC\xF4\xD4\xF8\xD8\xF9\xD9\xFB\xDB\xFE\xDE", ""},
        SettingDef{P, "OpenBrackets", Text, "{", ""},
        SettingDef{P, "CloseBrackets", Text, "}", ""},
        SettingDef{P, "CheckFirslLastNumberInSubLine", Bool, "1", ""},
        SettingDef{P, "CheckEndLettersInSubLine", Bool, "1", ""},
        SettingDef{P, "TimeCorrection", Bool, "1", ""},
        SettingDef{P, "CaseCorrection", Bool, "0", ""},
        SettingDef{P, "DeltaNumCorrection", Int, "5", "", 0, 100},
        SettingDef{P, "MaxSubLengthCorrection", Int, "5", "seMaxSubLengthCorrection", 0, 20},
        SettingDef{S, "UpCaseTextInBrackets", Bool, "0", "mnUpCaseTextInBrackets"},
        SettingDef{P, "CheckPixelTextWidthMax", Bool, "0", ""},
        SettingDef{P, "PixelTextWidthMax", Int, "195", "", 50, 500},
        SettingDef{P, "CheckLineLengthDisbalance", Bool, "0", ""},
        SettingDef{P, "LineLengthDisbalance", Int, "5", "", 0, 100},
        SettingDef{P, "DisbalanceExcludeDialog", Bool, "0", ""},
        SettingDef{P, "CheckSubCntLinesMoreThatTruncCntSymbols", Bool, "0", ""},
        SettingDef{P, "BreakBigText", Bool, "0", ""},
        SettingDef{P, "BigTextCenterWidth", Int, "20", "", 4, 50},
        SettingDef{P, "BeginTimeFrameOfLastSubtitle", Bool, "0", ""},
        SettingDef{P, "SprainRangeMode", Int, "0", "", 0, 3},
        SettingDef{P, "iDef1", Int, "98", "", 1, 100},
        SettingDef{P, "iDef2", Int, "99", "", 1, 100},
        SettingDef{P, "FixDelimitersMode", Int, "1", "", 0, 2},
        SettingDef{P, "SubsListMode", Int, "0", "", 0, 1},
        SettingDef{P, "DeltaTimeBetweenTime", Int, "200", "", 1, 999},
        SettingDef{P, "AddTimeFromLastTime", Text, "00:00:10", ""},
        SettingDef{P, "AddTimeDeltaTime", Text, "00:00:01", ""},
        SettingDef{S, "LineCutEqual", Bool, "0", "cbLineCutEqual"},
        SettingDef{S, "LineAnalySym", Bool, "0", "cbLineAnalySym"},
        SettingDef{S, "LineReCut", Bool, "0", "cbLineReCut"},
        SettingDef{S, "FromSubEnd", Bool, "0", "cbFromSubEnd"},
        SettingDef{S, "TAGtest", Bool, "0", "cbTAGtest"},
        SettingDef{S, "DeltaSym", Int, "5", "seDeltaSym", 0, 10},
        SettingDef{S, "SubLineCount", Int, "3", "sedSubLineCount", 1, 7},
        SettingDef{S, "SubLineLength", Int, "33", "sedSubLineLength", 1, 100},
        SettingDef{S, "SubtitleFullLength", Int, "119", "stSubtitleFullLength", 100, 300},
        SettingDef{S, "BreakMode", Int, "0", "", 0, 1},
        SettingDef{S, "BreakDialogCount", Int, "3", "sedBreakDialogCount", 1, 7},
        SettingDef{S, "ReplaceMode", Int, "0", "", 0, 2},
        SettingDef{S, "ReplaceListCaseSensitive", Bool, "0", ""},
        SettingDef{S, "minRangeTimeSec", Int, "1", "sedMinRTime", 0, 59},
        SettingDef{S, "minRangeTimeMls", Int, "100", "sedMinRTimeMls", 0, 999},
        SettingDef{S, "LogTimeArea", Bool, "0", "cbLogTimeArea"},
        SettingDef{S, "MaxExtend", Bool, "1", "cbMaxExtend"},
        SettingDef{S, "DeltaTimeMlsOn", Int, "200", "seDeltaTimeMlsOn", 0, 999},
        SettingDef{S, "DeltaTimeMlsOff", Int, "200", "seDeltaTimeMlsOff", 0, 999},
        SettingDef{S, "minDeltaTime", Int, "1", "sedMinDTime", 0, 59},
        SettingDef{S, "minDeltaTimeMls", Int, "400", "sedMinDTimeMls", 0, 999},
        SettingDef{S, "OnlyError_to_Log", Bool, "0", "cbOnlyError_to_Log"},
        SettingDef{S, "Bold", Bool, "0", "cbBold"},
        SettingDef{L, "Height", Int, "433", "", 0, kMaxWindowSize},
        SettingDef{L, "Width", Int, "800", "", 0, kMaxWindowSize},
        SettingDef{L, "HeightLW", Int, "306", "", 0, kMaxWindowSize},
        SettingDef{L, "col1", Int, "30", "", 0, kMaxWindowSize},
        SettingDef{L, "col2", Int, "160", "", 0, kMaxWindowSize},
        SettingDef{L, "col3", Int, "200", "", 0, kMaxWindowSize},
        SettingDef{L, "col4", Int, "200", "", 0, kMaxWindowSize},
        SettingDef{L, "col5", Int, "160", "", 0, kMaxWindowSize},
        SettingDef{L, "col6", Int, "30", "", 0, kMaxWindowSize},
        // An empty top means: the screen height less the window height (known only to a window).
        SettingDef{W, "Top", Int, "", "", -kMaxWindowSize, kMaxWindowSize},
        SettingDef{W, "Left", Int, "2", "", -kMaxWindowSize, kMaxWindowSize},
        // The language file (its name without ".lng") whose captions the window shows; chosen in
        // the Parameters window and applied at every start.
        SettingDef{P, "Language", Text, "", ""},
    };
}();
// clang-format on

/// The row of a key; a key that is not in the table does not compile where the lookup is a
/// constant expression.
constexpr const SettingDef& FindSettingDef(std::string_view key) {
    for (const SettingDef& def : kSettingTable) {
        if (def.key == key) return def;
    }
    throw "unknown setting key";
}

/// The table's row of a key, or nullptr.
constexpr const SettingDef* LookupSettingDef(std::string_view key) {
    for (const SettingDef& def : kSettingTable) {
        if (def.key == key) return &def;
    }
    return nullptr;
}

constexpr bool DefaultBool(std::string_view key) {
    return FindSettingDef(key).defaultValue == "1";
}

constexpr int DefaultInt(std::string_view key) {
    int value = 0;
    for (char c : FindSettingDef(key).defaultValue)
        value = value * 10 + (c - '0');
    return value;
}

/// Every integer default lies in its range and every range is a range.
constexpr bool DefaultsInRange() {
    for (const SettingDef& def : kSettingTable) {
        if (def.type != SettingType::Int) continue;
        if (def.min > def.max) return false;
        if (!def.defaultValue.empty() &&
            (DefaultInt(def.key) < def.min || DefaultInt(def.key) > def.max)) {
            return false;
        }
    }
    return true;
}
static_assert(DefaultsInRange());

constexpr std::string_view DefaultText(std::string_view key) {
    return FindSettingDef(key).defaultValue;
}

/// The first character of a text setting such as OpenBrackets, or `fallback` when it is empty.
constexpr char FirstChar(std::string_view text, char fallback) {
    return text.empty() ? fallback : text.front();
}

}  // namespace tessaline
