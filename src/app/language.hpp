#pragma once

// Language files: plain Windows-1251 text whose line n (counted from 0) is the caption of a fixed
// control of the main window. The first block (lines 2 to 31, the caption and the menus) is read
// only from a file of more than 30 lines, the second (lines 35 to 157, the pages) only from one of
// more than 56; other line numbers are never read. A shorter file changes nothing.

#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

/// The main window's own caption, as a target name.
inline constexpr std::string_view kMainWindowTarget = "TMainForm";

struct CaptionTarget {
    std::string_view control;  // the control's objectName
    int item = -1;             // for a radio group, the item whose caption it is
};

struct Caption {
    CaptionTarget target;
    std::string text;
};

/// The captions that the lines of a language file give, in line order.
[[nodiscard]] std::vector<Caption> LanguageCaptions(const std::vector<std::string>& lines);

/// Every control a language file can caption (tests check that the window has each).
[[nodiscard]] std::vector<CaptionTarget> LanguageTargets();

/// The language file of a language name in the program folder: FOLDER/languages/NAME.lng.
[[nodiscard]] std::string LanguageFilePath(const std::string& programFolder, std::string_view name);

/// Keeps a language file chosen anywhere for the next start, which looks for a language only by
/// its name in FOLDER/languages: a file from elsewhere is copied there (replacing a file of the
/// same name). Returns the language's name, the file's name without its extension. Throws
/// FileError, naming the path and the reason, when the copy cannot be made.
std::string KeepLanguageFile(const std::string& programFolder, const std::string& chosen);

}  // namespace tessaline
