#pragma once

// "Test Length": checks a SubRip or MicroDVD file without changing it and writes the report
// "len": over-long lines, too many lines, over-long subtitles, wrong numbering, suspicious first
// and last characters, leftover tags, full lines with many wide letters, lines too wide in
// pixels, unbalanced line lengths. Each finding is an error, a warning or a plain note; the
// report ends with the numbers of wrong and warning subtitles.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNoLengthWarnings = "No Legth Warnings!";
inline constexpr std::string_view kWrongSubtitleNumber =
    "Wrong Subtitle Number!\r\nSubtitle file maybe Corrupt!!!";
/// The report's first line when the pixel check is asked for and the font cannot be read; the
/// reason follows it.
inline constexpr std::string_view kPixelCheckUnavailable = ">> Pixel Width Check Unavailable: ";

struct LengthTestParams {
    int lineLength = DefaultInt("SubLineLength");               // longest allowed line
    int lineCount = DefaultInt("SubLineCount");                 // most lines of a subtitle
    int subtitleFullLength = DefaultInt("SubtitleFullLength");  // longest allowed subtitle
    bool tagTest = DefaultBool("TAGtest");                      // note lines that hold tags
    bool onlyErrors = DefaultBool("OnlyError_to_Log");          // leave the notes out
    bool wideLetters = DefaultBool("LineAnalySym");             // full lines with many wide letters
    std::string wideSet = std::string(DefaultText("WideLetters"));
    bool checkFirstLastNumber = DefaultBool("CheckFirslLastNumberInSubLine");
    bool checkEndLetters = DefaultBool("CheckEndLettersInSubLine");
    bool checkPixelWidth = DefaultBool("CheckPixelTextWidthMax");
    int pixelWidthMax = DefaultInt("PixelTextWidthMax");
    bool checkDisbalance = DefaultBool("CheckLineLengthDisbalance");
    int disbalance = DefaultInt("LineLengthDisbalance");
    bool disbalanceExcludeDialog = DefaultBool("DisbalanceExcludeDialog");
    bool checkCountLines = DefaultBool("CheckSubCntLinesMoreThatTruncCntSymbols");
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    /// The font of the pixel widths; empty: DialogFontPath().
    std::string fontPath;
    bool interactive = true;
};

/// Writes the "len" report of a SubRip or MicroDVD file (replacing an older one) and no output.
RunResult LengthTest(const std::string& input, const LengthTestParams& params, Host& host);

extern const Operation kLengthTestOperation;

}  // namespace tessaline
