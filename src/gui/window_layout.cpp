#include "gui/window_layout.hpp"

#include "ops/settings_table.hpp"

namespace tessaline::gui {
namespace {

constexpr int kNoBound = 999999;
constexpr const char* kFrameRates = "10|15|20|23,976|23,978|24|25|29,970|30";
constexpr const char* kTargetRates = "15|20|23,976|23,978|24|25|29,970|30";
// A clock part and its milliseconds: the pair that every time parameter is made of.
ControlDef Clock(const char* name, int row, int column) {
    return {name, Kind::Time, "", row, column, 1, 1, "", 0, 0, 1, "00:00:00"};
}
ControlDef Millis(const char* name, int row, int column, int step = 100) {
    return {name, Kind::Spin, "", row, column, 1, 1, "", 0, 999, step, "0"};
}
ControlDef Spin(const char* name, int row, int column, int min, int max, const char* value,
                int step = 1) {
    return {name, Kind::Spin, "", row, column, 1, 1, "", min, max, step, value};
}
// A spin box that shows a setting: its range and first value are the settings table's.
ControlDef SettingSpin(const char* name, std::string_view key, int row, int column) {
    const SettingDef& def = FindSettingDef(key);
    // The table's defaults are string literals: data() ends with their NUL.
    return {name, Kind::Spin, "",      row,     column, 1,
            1,    "",         def.min, def.max, 1,      def.defaultValue.data()};
}
ControlDef Label(const char* name, const char* caption, int row, int column, int span = 1) {
    return {name, Kind::Label, caption, row, column, span};
}
ControlDef Button(const char* name, const char* caption, int row, int column, int span = 1) {
    return {name, Kind::Button, caption, row, column, span};
}
ControlDef Check(const char* name, const char* caption, int row, int column, int span = 1,
                 const char* value = "0") {
    return {name, Kind::Check, caption, row, column, span, 1, "", 0, 0, 1, value};
}
ControlDef Edit(const char* name, int row, int column, int span = 1, const char* value = "") {
    return {name, Kind::Edit, "", row, column, span, 1, "", 0, 0, 1, value};
}
ControlDef Static(const char* name, const char* caption, int row, int column, int span = 1) {
    return {name, Kind::Static, caption, row, column, span};
}
ControlDef Combo(const char* name, const char* items, int row, int column, int span = 1,
                 const char* value = "0") {
    return {name, Kind::Combo, "", row, column, span, 1, items, 0, 0, 1, value};
}
ControlDef Radio(const char* name, const char* title, const char* items, int row, int column,
                 int span = 1, const char* value = "0", int rowSpan = 1) {
    return {name, Kind::Radio, title, row, column, span, rowSpan, items, 0, 0, 1, value};
}

}  // namespace

const std::vector<PageDef>& Pages() {
    static const std::vector<PageDef> pages = {
        {"TabSheetSubtitle", "Subtitle"},
        {"TabSheetSubtitleOperations", "Subtitle Operations"},
        {"TabSheetTimeFrameOperations", "Time / Frame Operations"},
        {"TabSheetUtilities", "Time Utilities"},
        {"TabSheetDiagram", "Diag"},
    };
    return pages;
}

const std::vector<GroupDef>& Groups() {
    // clang-format off
    static const std::vector<GroupDef> groups = {
        // --- Above the pages: the open files and the results -----------------------------------
        {kAbovePages, "gbOpenFiles", "", 0, {
            Label("lOpenFile", "Subtitle File:", 0, 0),
            {"edOpenFile", Kind::EditCombo, "", 0, 1, 8},
            Button("sbOpen", "...", 0, 9),
            Label("lOpenFileAdd", "Add File:", 1, 0),
            Edit("edOpenFileAdd", 1, 1, 8),
            Button("sbOpenAdd", "...", 1, 9),
            Check("cbDirectoryMode", "Directory Mode", 2, 0),
            Combo("cbSubExt", "*.srt|*.sub|*.ssa|*.ass", 2, 1),
            Button("btnRenameFile", "Rename out-File", 2, 2),
            Static("stOutFile", "out-File", 2, 3),
            Button("btnDeleteFile", "Delete File:", 2, 4),
            // The output and report kinds are filled in from kOutExtItems.
            Combo("cbOutExt", "", 2, 5),
            Check("cbFirstSubtitle", "Keep first Sub", 2, 6),
            Button("btnAllInOne", "All in One", 2, 7),
            Static("stStatusInd", "", 2, 8, 2),
        }},

        // --- Subtitle: the line editor and the report viewer -----------------------------------
        {kSubtitlePage, "gbSubLines", "Subtitle", 0, {
            Button("btnFirstSubLine", "1st", 0, 1),
            Button("btnPrevSubLine", "Prev", 0, 2),
            Button("btnNextSubLine", "Next", 0, 3),
            Button("btnLastSubLine", "Last", 0, 4),
            Button("btnGotoSubLine", "Go to:", 0, 5),
            Edit("stSubNumber", 0, 6, 1, "0"),
            Static("stCurrentSubtitle", "0", 0, 7),
            Label("lOf", "of", 0, 8),
            Static("stSubtitlesCount", "0", 0, 9),
            Check("cbTime", "Time:", 1, 0, 1, "1"),
            Edit("edTimeRange", 1, 1, 4),
            Edit("edDeltaTimeRange", 1, 5, 2),
            Check("cbPrevEqualTime", "= Prev", 1, 7, 2),
            Check("cbNextEqualTime", "= Next", 1, 9),
            Static("stTimeRangePrev", "0", 2, 1, 4),
            Static("stDeltaTimeRangePrev", "", 2, 5, 2),
            Static("stTimeRangeThis", "", 3, 1, 4),
            Static("stDeltaTimeRangeThis", "", 3, 5, 2),
            Static("stTimeRangeNext", "0", 4, 1, 4),
            Static("stDeltaTimeRangeNext", "", 4, 5, 2),
            {"MemoSubLinesNum", Kind::Memo, "", 5, 0, 1, 4, "", 0, 0, 1, "1\n2\n3\n4\n5\n6\n7"},
            {"MemoSubLines", Kind::Memo, "", 5, 1, 7, 4},
            {"MemoSubLinesLength", Kind::Memo, "", 5, 8, 1, 4},
            {"MemoSubLinesLengthFont", Kind::Memo, "", 5, 9, 1, 4},
            {"shMaxSubLength", Kind::Shape, "", 9, 0},
            Static("stMaxSubLength", "0", 9, 1),
            Radio("rgModeGoSub", "", "mode1|mode2", 9, 2, 3),
            Check("cbBold", "Bold", 9, 5),
            {"shMemoSubLinesLengthIndicator", Kind::Shape, "", 9, 8},
            {"shMemoSubLinesLengthFontIndicator", Kind::Shape, "", 9, 9},
            Button("btnReWriteSubtitle", "ReWrite", 10, 1, 2),
            Button("btnDeleteSubtitle", "Del", 10, 3),
            Button("btnAddLastSub", "Add Last Sub", 10, 4, 2),
            Button("btnBreakStr", "Break Str", 10, 6, 2),
            Button("btnBreakStrEqual", "Break Str Eq", 10, 8, 2),
            Button("btnSwitchCase", "Switch Case", 11, 1, 2),
            Button("btnSwitchCaseSelected", "Switch SelCs", 11, 3, 2),
            Button("btnBreakOneDialog", "Break Dlg", 11, 6, 2),
            Button("btnBreakOneBigText", "Break Big", 11, 8, 2),
        }},
        {kSubtitlePage, "gbLogData", "Log Data", 1, {
            Button("btnLoadLogFile", "Load Log-file:", 0, 0),
            Combo("cbLogExt", "", 0, 1),
            Static("stLogFile", "log-File", 0, 2),
            Button("btnGotoLogLine", "Go to:", 1, 0),
            Spin("seLogLineNum", 1, 1, 0, 0, "0"),
            Static("stLogLineCount", "0", 1, 2),
            Button("btnPrevLogLine", "Prev", 2, 0),
            Button("btnNextLogLine", "Next", 2, 1),
            Edit("edLogString", 3, 0, 3),
        }},

        // --- Subtitle Operations --------------------------------------------------------------
        {kOperationsPage, "", "Numbering and Conversion", 0, {
            Label("lOffsetCount", "Offset:", 0, 0),
            Spin("sedOffsetCount", 0, 1, -kNoBound, kNoBound, "0"),
            Button("btnOffsetCount", "Offset Count", 0, 2),
            Button("btnOffsetReCount", "Offset ReCount", 1, 0, 3),
            Button("btnSubtitlesCorrection", "Subtitles Correction", 2, 0, 3),
            Combo("cbSubToSub", "sub --> srt|srt --> sub|SubTime --> srt|ssa / ass --> srt", 3, 0, 2),
            Button("btnSubToSub", "Sub --> Sub", 3, 2),
            Label("lFramesAtSec", "Frames at Second:", 4, 0),
            {"cbFramesAtSec", Kind::EditCombo, "", 4, 1, 2, 1, kFrameRates, 0, 0, 1, "25"},
            Button("btnFixDigitsInText", "Fix Digits in Text", 5, 0, 2),
            Button("btnCheckEndLetters", "Check End Letters", 5, 2),
        }},
        {kOperationsPage, "", "Frames at Second", 0, {
            Label("lFramesAtSecTarget", "Target Frames:", 0, 0),
            {"cbFramesAtSecTarget", Kind::EditCombo, "", 0, 1, 2, 1, kTargetRates, 0, 0, 1, "29,970"},
            Radio("rgCoefficient", "", "Difference|Coefficient", 1, 0),
            Edit("edFramesAtSecCoefficient", 1, 1, 2),
            Button("btnSprainRangeTimeAtSec", "Sprain Range Time / Frames at Second", 2, 0, 3),
        }},
        {kOperationsPage, "", "Find and Replace", 1, {
            Label("lFindText", "Find:", 0, 0),
            Edit("edFindText", 0, 1, 1, "<"),
            Check("cbFindChar", "#", 0, 2),
            Label("", "Replace:", 1, 0),
            Edit("edReplaceText", 1, 1, 2, ">"),
            Button("btnFindText", "Find Text", 2, 0),
            Button("btnReplaceText", "Replace To", 2, 1, 2),
            Button("btnRemoveLineBeginFromText", "Remove Line Begin from Text", 3, 0, 3),
            Button("btnReplaceList", "Replace List", 4, 0, 3),
        }},
        {kOperationsPage, "", "TAG's", 1, {
            Button("btnSubTagRemove", "Remove TAG's:", 0, 0),
            Edit("edSubTagToRemove", 0, 1, 1, "font"),
            Button("btnSubTagFixToOneLine", "Re-Format to 1 Line through TAG's", 1, 0, 2),
            Button("btnSubTagFix", "TAG's Fix", 2, 0),
            Button("btnSubToBottom", "Subtitles To Bottom", 2, 1),
        }},
        {kOperationsPage, "gbSubtitleFix", "Subtitle Fix", 1, {
            Button("btnFixSubDialog", "Fix Subtitle Dialog", 0, 0, 2),
            Button("btnBreakSubDialog", "Break Sub Dialog", 1, 0),
            SettingSpin("sedBreakDialogCount", "BreakDialogCount", 1, 1),
            Button("btnBreakBigText", "Break Big Text", 2, 0, 2),
            Button("btnSubDelSpaceBeforeDelimiters", "Del Space b4:", 3, 0),
            Button("btnSubDelimitersFix", "Fix Delimiters:", 4, 0),
            Edit("edDelimitersFix", 4, 1, 1, ",!?)]"),
            Check("cbUseExclude", "Use Exclude:", 5, 0, 1, "1"),
            Edit("edExcludeFix", 5, 1, 1, " <,!?)]"),
        }},
        {kOperationsPage, "gbSubtitlesLength", "Subtitles Length", 2, {
            Check("cbLineAddSpaceAfterDelimiters", "Add Space After Symbols (to1line):", 0, 0, 2),
            Edit("edDelimiters", 0, 2, 1, ",!?)]"),
            Check("cbSaveSubLength", "Save SubLength (to1line)", 1, 0, 3),
            Button("btnSubToOneLine", "Subtitles To One Line", 2, 0, 3),
            Label("lSubLineCount", "Lines:", 3, 0),
            SettingSpin("sedSubLineCount", "SubLineCount", 3, 1),
            Label("lSubLineLength", "Length:", 4, 0),
            SettingSpin("sedSubLineLength", "SubLineLength", 4, 1),
            Check("cbLineCutEqual", "Cut Equal for count lines:", 5, 0, 2),
            Check("cbLineReCut", "ReCut", 6, 0),
            SettingSpin("seDeltaSym", "DeltaSym", 6, 1),
            Check("cbLineAnalySym", "Analys Wide Letters", 7, 0, 2),
            Check("cbFromSubEnd", "Cut from End of Subtitle", 8, 0, 2),
            Button("btnSubLineCut", "Set Length", 9, 0),
            Button("btnSubLineTest", "Test Length", 9, 1),
            Check("cbWriteLogOnSetLength", "Write Log", 9, 2),
            Check("cbTAGtest", "TAG test", 10, 0),
            Check("cbOnlyError_to_Log", "Only Error", 10, 1),
            Label("", "Length Correction:", 11, 0),
            SettingSpin("seMaxSubLengthCorrection", "MaxSubLengthCorrection", 11, 1),
            Label("", "Max Length:", 12, 0),
            Label("lmaxSubLengthResult", "94", 12, 1),
            Label("", "Full Length:", 13, 0),
            Static("stSubtitleFullLength", "119", 13, 1),
            Static("stData", "lines: 3; len: 33; BR:0; Rplc:0", 14, 0, 3),
        }},
        {kOperationsPage, "", "Tests", 0, {
            Check("cbNoTimeRangeLog", "No Time Range to Log", 0, 0, 3),
            Button("btnTimeTestDbl", "Time Test", 1, 0),
            Button("btnFrameTestDbl", "Frame Test", 1, 1),
            Button("btnExtendDeltaSubTimeDbl", "Extend Time", 1, 2),
        }},

        // --- Time / Frame Operations ----------------------------------------------------------
        {kTimeFramePage, "gbOffsetTime", "Offset Time", 0, {
            Label("lOffsetTime", "Offset:", 0, 0),
            Clock("dtpOffsetTime", 0, 1),
            Label("lOffsetTimeMls", "ms:", 0, 2),
            Millis("seOffsetTimeMls", 0, 3),
            Check("cbOffsetTimeMinus", "minus", 0, 4),
            Button("btnOffsetTimeMls", "Offset Time", 1, 0, 2),
            Static("stStatusText", "", 1, 2, 3),
        }},
        {kTimeFramePage, "", "Offset Tail", 0, {
            Label("", "Offset:", 0, 0),
            Clock("dtpOffsetTimeTail", 0, 1),
            Label("", "ms:", 0, 2),
            Millis("seOffsetTimeMlsTail", 0, 3),
            Check("cbOffsetTimeMinusTail", "minus", 0, 4),
            Label("", "Begin from:", 1, 0),
            Clock("dtpBeginTimeTail", 1, 1),
            Label("", "ms:", 1, 2),
            Millis("seBeginTimeMlsTail", 1, 3, 1),
            Label("", "End at:", 2, 0),
            Clock("dtpEndTimeTail", 2, 1),
            Label("", "ms:", 2, 2),
            Millis("seEndTimeMlsTail", 2, 3, 1),
            Button("btnOffsetTimeMlsTail", "Offset Tail", 3, 0, 2),
            Static("stStatusTextTail", "", 3, 2, 3),
        }},
        {kTimeFramePage, "", "Offset Frame", 0, {
            Label("lOffsetFrame", "Frames:", 0, 0),
            Spin("sedOffsetCntFrames", 0, 1, -kNoBound, kNoBound, "0"),
            Check("cbOffsetFrameMinus", "minus", 0, 2),
            Button("btnOffsetFrame", "Offset Frame", 1, 0, 3),
        }},
        {kTimeFramePage, "gbSyncToFilm", " Sync to Film ", 0, {
            Button("btnSyncToFilm", "Sync to Film...", 0, 0, 2),
            Check("cbSyncSplits", "Splits", 0, 2, 1, "1"),
        }},
        {kTimeFramePage, "gbRangeTime", " Range of Time ", 1, {
            Label("lBeginTime", "Begin Time:", 0, 0),
            Clock("dtpBeginTime", 0, 1),
            Millis("seBeginTimeMls", 0, 2),
            Button("btnSetBeginTime", "Set Time", 0, 3),
            Label("lEndTime", "End Time:", 1, 0),
            Clock("dtpEndTime", 1, 1),
            Millis("seEndTimeMls", 1, 2),
            Label("lFullTime", "Full Time:", 2, 0),
            Clock("dtpFullTime", 2, 1),
            Millis("seFullTimeMls", 2, 2),
            Label("lNewFullTime", "New Full Time:", 3, 0),
            Clock("dtpNewFullTime", 3, 1),
            Millis("seNewFullTimeMls", 3, 2),
            Label("lNewEndTime", "New End Time:", 4, 0),
            Clock("dtpNewEndTime", 4, 1),
            Millis("seNewEndTimeMls", 4, 2),
            // Set Time next to New End: the last subtitle moves to New End Time.
            Button("btnSetEndTime", "Set Time", 4, 3),
            Button("btnGetRangeTime", "Get Range Time", 5, 0, 2),
            Button("btnSprainRangeTime", "Sprain Range Time", 5, 2, 2),
            Static("stStatusTime", "--> time ", 6, 0, 4),
            Button("btnTimeTest", "Time Test", 7, 0),
            Label("lMinRTime", "Min sec:", 7, 1),
            SettingSpin("sedMinRTime", "minRangeTimeSec", 7, 2),
            Label("lMinRTimeMls", "ms:", 8, 1),
            Millis("sedMinRTimeMls", 8, 2),
            Check("cbLogTimeArea", "Time Area", 8, 0),
        }},
        {kTimeFramePage, "gbRangeFrames", " Range of Frames ", 2, {
            Label("lBeginFrame", "Begin Frame:", 0, 0),
            Spin("sedBeginFrame", 0, 1, 0, kNoBound, "0"),
            Label("lEndFrame", "End Frame:", 1, 0),
            Spin("sedEndFrame", 1, 1, 0, kNoBound, "0"),
            Label("lFullFrames", "Full Frames:", 2, 0),
            Spin("sedFullFrames", 2, 1, 0, kNoBound, "0"),
            Label("lNewFullFrames", "New Full Frames:", 3, 0),
            Spin("sedNewFullFrames", 3, 1, 0, kNoBound, "0"),
            Label("lNewEndFrame", "New End Frame:", 4, 0),
            Spin("sedNewEndFrame", 4, 1, 0, kNoBound, "0"),
            Button("btnGetRangeFrames", "Get Range Frames", 5, 0),
            Button("btnSprainRangeFrames", "Sprain Range Frames", 5, 1),
            Button("btnFrameTest", "Frame Test", 6, 0),
            Spin("sedMinRFrame", 6, 1, 0, kNoBound, "0"),
        }},
        {kTimeFramePage, "gbTimeExtender", " Time Extender ", 2, {
            Label("lDeltaTimeMlsOn", "Delta Time On:", 0, 0),
            Millis("seDeltaTimeMlsOn", 0, 1),
            Label("lDeltaTimeMlsOff", "Delta Time Off:", 1, 0),
            Millis("seDeltaTimeMlsOff", 1, 1),
            Label("lMinDTime", "Min sec:", 2, 0),
            SettingSpin("sedMinDTime", "minDeltaTime", 2, 1),
            Label("lMinDTimeMls", "ms:", 3, 0),
            Millis("sedMinDTimeMls", 3, 1),
            Check("cbMaxExtend", "Max Extend", 4, 0, 1, "1"),
            Button("btnExtendDeltaSubTime", "Extend Time", 4, 1),
        }},

        // --- Time Utilities --------------------------------------------------------------------
        {kUtilitiesPage, "", " Timings ", 0, {
            Button("btnReplaceTimingsSub", "Replace Timings", 0, 0),
            Button("btnCompareTimingsSub", "Compare Timings", 0, 1),
            Radio("rgTimingsModeCompare", " Compare ", "Time|inText with addText|addText with inText", 1, 0, 2),
            Label("lDeltaTime", "DeltaTime :", 2, 0),
            Edit("edDeltaTime", 2, 1, 1, "00:00:01,200"),
            Check("cbRoundWord", "Round Word", 3, 0),
            Check("cbInsTiming", "Ins Time", 3, 1),
            Check("cbReplaceNullSubText", "Replace Null SubText", 4, 0),
            Check("cbRandomNum", "Random num", 4, 1),
            Button("btnFixDoubleTimingsSub", "Fix Double Time", 5, 0),
            Button("btnFixWrongTimingsAndJoinText", "Fix Wrong Time and Join Text", 5, 1),
            Check("cbForceExtendTime", "Force Ext", 6, 0),
            Check("cbJoinSubtitlesText", "Join Sub-Text", 6, 1),
            Label("", "Join Delta :", 7, 0),
            Edit("edJoinDeltaTime", 7, 1, 1, "00:00:00,400"),
        }},
        {kUtilitiesPage, "gbTimeCalculator", " Calculator ", 1, {
            Edit("edTimeRangeSource", 0, 0, 2),
            Edit("edDeltaTimeSource", 0, 2),
            Radio("rgBreakTimeOnTail", "", "2|3", 1, 0, 1, "0"),
            Button("btnBreak", "Break", 1, 1),
            Edit("edTimeRange1", 2, 0, 2),
            Edit("edDeltaTime1", 2, 2),
            Button("btnDeltaTime1Calc", "Calc Delta", 2, 3),
            Edit("edTimeRange2", 3, 0, 2),
            Edit("edDeltaTime2", 3, 2),
            Button("btnDeltaTime2Calc", "Calc Delta", 3, 3),
            Edit("edTimeRange3", 4, 0, 2),
            Edit("edDeltaTime3", 4, 2),
        }},
        {kUtilitiesPage, "", "Files and Closing Subtitle", 1, {
            Button("btnSplitSubText", "Split SubTime && SubText", 0, 0),
            Button("btnJoinSubText", "Join SubTime && SubText", 0, 1),
            Button("btnDelLastSub", "Del Last Sub", 1, 0),
            Button("btnSubtitleTimeCorrection", "Subtitle Time Correction", 1, 1),
        }},

        // --- Diag ------------------------------------------------------------------------------
        {kDiagPage, "", "", 0, {
            {"PaintBox", Kind::Paint, "", 0, 0, 6},
            Button("btnDraw", "Draw", 1, 0),
            Radio("rgMode", " mode ", "Formula|Sprain|Timings|Speech", 1, 1),
            Label("", "x:", 1, 2),
            Edit("edMasstab_x", 1, 3, 1, "0,01"),
            Label("", "y:", 1, 4),
            Edit("edMasstab_y", 1, 5, 1, "0,0001"),
            Check("cbAutoMasstab", "Auto", 2, 0, 1, "1"),
        }},
    };
    // clang-format on
    return groups;
}

const std::vector<HintDef>& Hints() {
    static const std::vector<HintDef> hints = {
        {"btnReplaceTimingsSub", "Replace Timings/Framings"},
        {"btnSyncToFilm",
         "Listens to a film (or reads a correctly timed subtitle file of it)\n"
         "and moves the subtitles onto its speech: film.out and the report film.sync"},
        {"cbSyncSplits", "Runs of subtitles may take offsets of their own (a cut in the film)"},
        {"btnSubTagFix",
         "<i> & </i> to close lines of subtitle\n{y:i} & {y:b} to every line of subtitle"},
        {"btnSubTagFixToOneLine",
         "Re-Format to One Line through TAG's <i> & </i> or {y:i} & {y:b}"},
    };
    return hints;
}

}  // namespace tessaline::gui
