#include "app/language.hpp"

#include <array>
#include <filesystem>
#include <system_error>

#include "core/errors.hpp"

namespace tessaline {
namespace {

struct LineTarget {
    int line;
    CaptionTarget first;
    CaptionTarget second{};  // a second control that shows the same text
};

// Line 148 captions the label of the frame offset only: its button ("Offset Frame") is no label.
// clang-format off
constexpr auto kLines = std::to_array<LineTarget>({
    {2, {kMainWindowTarget}}, {3, {"mnFile"}}, {4, {"mnOpenFile"}}, {5, {"mnRenameFile"}},
    {6, {"mnSubtitlesLists"}}, {9, {"mnFocus"}}, {10, {"mnSubtitleLinesSetFocus"}},
    {11, {"mnTimeExtenderSetFocus"}}, {12, {"mnTimeTestSetFocus"}},
    {13, {"mnTimeCalculatorSetFocus"}}, {16, {"mnConvertation"}}, {17, {"mnTextToLowerCase"}},
    {18, {"mnTextToUpLoCase"}}, {19, {"mnTextToUpFirstLetterLoCase"}},
    {20, {"mnNormalizeTextString"}}, {21, {"mnTextToSwitchCase"}},
    {22, {"mnUpCaseTextInBrackets"}}, {25, {"mnSettings"}}, {26, {"mnParameters"}},
    {27, {"mnPartsAndTails"}}, {31, {"mnAbout"}},
    {35, {"gbOpenFiles"}}, {36, {"lOpenFile"}}, {37, {"lOpenFileAdd"}},
    {39, {"TabSheetSubtitle"}}, {40, {"TabSheetSubtitleOperations"}},
    {41, {"TabSheetTimeFrameOperations"}}, {42, {"TabSheetUtilities"}}, {43, {"TabSheetDiagram"}},
    {45, {"cbDirectoryMode"}}, {46, {"cbFirstSubtitle"}}, {47, {"btnAllInOne"}},
    {48, {"btnRenameFile"}}, {49, {"stOutFile"}}, {50, {"btnDeleteFile"}}, {52, {"gbLogData"}},
    {53, {"btnLoadLogFile"}}, {54, {"stLogFile"}}, {55, {"btnGotoLogLine"}, {"btnGotoSubLine"}},
    {56, {"btnPrevLogLine"}, {"btnPrevSubLine"}}, {57, {"btnNextLogLine"}, {"btnNextSubLine"}},
    {60, {"gbSubLines"}}, {61, {"btnReWriteSubtitle"}}, {62, {"btnFirstSubLine"}},
    {63, {"btnLastSubLine"}}, {64, {"lOf"}}, {65, {"cbBold"}}, {66, {"cbTime"}},
    {67, {"btnAddLastSub"}}, {68, {"btnBreakStr"}}, {69, {"btnBreakStrEqual"}},
    {70, {"btnSwitchCase"}}, {71, {"btnSwitchCaseSelected"}}, {72, {"btnBreakOneDialog"}},
    {73, {"btnBreakOneBigText"}}, {76, {"lOffsetCount"}}, {77, {"btnOffsetCount"}},
    {78, {"btnOffsetReCount"}}, {79, {"btnSubtitlesCorrection"}}, {80, {"lFramesAtSec"}},
    {81, {"lFramesAtSecTarget"}}, {82, {"btnSprainRangeTimeAtSec"}},
    {83, {"rgCoefficient", 0}}, {84, {"rgCoefficient", 1}}, {85, {"btnReplaceList"}},
    {86, {"lFindText"}}, {87, {"btnFindText"}}, {88, {"btnReplaceText"}},
    {89, {"btnRemoveLineBeginFromText"}}, {90, {"btnSubTagRemove"}},
    {91, {"btnSubTagFixToOneLine"}}, {92, {"btnSubTagFix"}}, {93, {"btnSubToBottom"}},
    {96, {"gbSubtitlesLength"}}, {97, {"cbLineAddSpaceAfterDelimiters"}},
    {98, {"cbSaveSubLength"}}, {99, {"cbLineAnalySym"}}, {100, {"cbLineCutEqual"}},
    {101, {"cbLineReCut"}}, {102, {"lSubLineCount"}}, {103, {"lSubLineLength"}},
    {104, {"cbFromSubEnd"}}, {105, {"btnSubToOneLine"}}, {106, {"btnSubLineCut"}},
    {107, {"btnSubLineTest"}}, {108, {"cbWriteLogOnSetLength"}}, {109, {"cbTAGtest"}},
    {110, {"cbOnlyError_to_Log"}}, {111, {"cbNoTimeRangeLog"}},
    {112, {"btnExtendDeltaSubTime"}, {"btnExtendDeltaSubTimeDbl"}},
    {113, {"btnTimeTest"}, {"btnTimeTestDbl"}}, {114, {"btnFrameTest"}, {"btnFrameTestDbl"}},
    {117, {"gbSubtitleFix"}}, {118, {"btnFixSubDialog"}}, {119, {"btnBreakBigText"}},
    {120, {"btnBreakSubDialog"}}, {121, {"btnSubDelSpaceBeforeDelimiters"}},
    {122, {"btnSubDelimitersFix"}}, {123, {"cbUseExclude"}}, {129, {"gbRangeTime"}},
    {130, {"lBeginTime"}}, {131, {"lEndTime"}}, {132, {"lFullTime"}}, {133, {"lNewEndTime"}},
    {134, {"lNewFullTime"}}, {135, {"btnGetRangeTime"}}, {136, {"btnSprainRangeTime"}},
    {137, {"lMinRTime"}, {"lMinDTime"}}, {138, {"lMinRTimeMls"}, {"lMinDTimeMls"}},
    {139, {"cbLogTimeArea"}}, {140, {"gbRangeFrames"}}, {141, {"lBeginFrame"}},
    {142, {"lEndFrame"}}, {143, {"lFullFrames"}}, {144, {"lNewEndFrame"}},
    {145, {"lNewFullFrames"}}, {146, {"btnGetRangeFrames"}}, {147, {"btnSprainRangeFrames"}},
    {148, {"lOffsetFrame"}}, {149, {"cbOffsetFrameMinus"}, {"cbOffsetTimeMinus"}},
    {150, {"gbOffsetTime"}, {"btnOffsetTimeMls"}}, {151, {"lOffsetTime"}},
    {152, {"lOffsetTimeMls"}}, {153, {"stStatusText"}}, {154, {"gbTimeExtender"}},
    {155, {"lDeltaTimeMlsOff"}}, {156, {"lDeltaTimeMlsOn"}}, {157, {"cbMaxExtend"}},
});
// clang-format on

// The first block is read from a file of more than 30 lines, the second from one of more than 56.
constexpr int kFirstBlockEnd = 31;
constexpr std::size_t kFirstBlockMinLines = 31;
constexpr std::size_t kSecondBlockMinLines = 57;

}  // namespace

std::vector<Caption> LanguageCaptions(const std::vector<std::string>& lines) {
    std::vector<Caption> captions;
    for (const LineTarget& t : kLines) {
        const std::size_t needed =
            t.line <= kFirstBlockEnd ? kFirstBlockMinLines : kSecondBlockMinLines;
        // A file long enough for the block may still end before the line: that line is left.
        if (lines.size() < needed || static_cast<std::size_t>(t.line) >= lines.size()) continue;
        const std::string& text = lines[static_cast<std::size_t>(t.line)];
        captions.push_back({t.first, text});
        if (!t.second.control.empty()) captions.push_back({t.second, text});
    }
    return captions;
}

std::vector<CaptionTarget> LanguageTargets() {
    std::vector<CaptionTarget> targets;
    for (const LineTarget& t : kLines) {
        targets.push_back(t.first);
        if (!t.second.control.empty()) targets.push_back(t.second);
    }
    return targets;
}

namespace {

// Splits an English pattern at its "%N" parts; false for a text without parts.
bool SplitPattern(std::string_view english, std::vector<std::string>& literals,
                  std::vector<int>& parts) {
    literals.assign(1, "");
    for (std::size_t i = 0; i < english.size(); ++i) {
        if (english[i] == '%' && i + 1 < english.size() && english[i + 1] >= '1' &&
            english[i + 1] <= '9') {
            parts.push_back(english[i + 1] - '0');
            literals.emplace_back();
            ++i;
        } else {
            literals.back() += english[i];
        }
    }
    return !parts.empty();
}

}  // namespace

TextTranslation::TextTranslation(const std::vector<std::string>& lines) {
    for (const TextLine& t : LanguageTextLines()) {
        const auto index = static_cast<std::size_t>(t.line);
        if (index >= lines.size() || lines[index].empty()) continue;
        Pattern pattern;
        if (SplitPattern(t.english, pattern.literals, pattern.parts)) {
            pattern.translated = lines[index];
            patterns_.push_back(std::move(pattern));
        } else {
            exact_.emplace(std::string(t.english), lines[index]);
        }
    }
}

bool TextTranslation::Match(const Pattern& pattern, std::string_view text,
                            std::string& result) const {
    const std::vector<std::string>& lit = pattern.literals;
    if (!text.starts_with(lit.front()) || text.size() < lit.front().size() + lit.back().size() ||
        !text.ends_with(lit.back())) {
        return false;
    }
    // Each part runs to the first place where the text after it follows; the last part runs to
    // the text that ends the pattern.
    std::vector<std::string_view> found(10);
    std::size_t at = lit.front().size();
    const std::size_t end = text.size() - lit.back().size();
    for (std::size_t i = 0; i < pattern.parts.size(); ++i) {
        std::size_t next = end;
        if (i + 1 < pattern.parts.size()) {
            next = text.find(lit[i + 1], at);
            if (next == std::string_view::npos || next > end) return false;
        }
        found[static_cast<std::size_t>(pattern.parts[i])] = text.substr(at, next - at);
        at = next + lit[i + 1].size();
    }
    result.clear();
    const std::string& target = pattern.translated;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 1 < target.size() && target[i + 1] >= '1' &&
            target[i + 1] <= '9') {
            result += Translate(found[static_cast<std::size_t>(target[i + 1] - '0')]);
            ++i;
        } else {
            result += target[i];
        }
    }
    return true;
}

std::string TextTranslation::Translate(std::string_view english) const {
    if (english.empty()) return {};
    if (const auto it = exact_.find(std::string(english)); it != exact_.end()) return it->second;
    if (const std::size_t newline = english.find('\n'); newline != std::string_view::npos) {
        return Translate(english.substr(0, newline)) + "\n" +
               Translate(english.substr(newline + 1));
    }
    std::string result;
    for (const Pattern& pattern : patterns_) {
        if (Match(pattern, english, result)) return result;
    }
    return std::string(english);
}

std::string LanguageFilePath(const std::string& programFolder, std::string_view name) {
    return programFolder + "/languages/" + std::string(name) + ".lng";
}

std::string KeepLanguageFile(const std::string& programFolder, const std::string& chosen) {
    namespace fs = std::filesystem;
    const fs::path source(chosen);
    const std::string name = source.stem().string();
    const fs::path kept(LanguageFilePath(programFolder, name));
    std::error_code error;
    // Chosen in the languages folder itself: nothing to copy.
    if (fs::equivalent(source, kept, error)) return name;
    error.clear();
    fs::create_directories(kept.parent_path(), error);
    if (!error) fs::copy_file(source, kept, fs::copy_options::overwrite_existing, error);
    if (error) {
        throw FileError(kept.string(), "cannot copy the language file to " + kept.string() + ": " +
                                           error.message());
    }
    return name;
}

}  // namespace tessaline
