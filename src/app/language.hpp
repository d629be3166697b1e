#pragma once

// Language files: plain Windows-1251 text whose line n (counted from 0) is the caption of a fixed
// control of the main window. The first block (lines 2 to 31, the caption and the menus) is read
// only from a file of more than 30 lines, the second (lines 35 to 157, the pages) only from one of
// more than 56; a shorter file changes none of them. The text lines from 160 on give every other
// caption, hint, menu item and message of every window, each replacing a built-in English text;
// lines in between are never read.

#include <string>
#include <string_view>
#include <unordered_map>
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

/// A line after the main window's controls: a caption, hint or message of any window, found by
/// its built-in English text. "%1", "%2", ... in the English text stand for a part that varies (a
/// file name, a count); the file's line places the same numbers where its language puts them.
struct TextLine {
    int line;
    std::string_view english;
};

/// Every text line, in line order (English.lng holds exactly these texts at these lines).
[[nodiscard]] const std::vector<TextLine>& LanguageTextLines();

/// The texts of a language file for the built-in English texts of the text lines.
class TextTranslation {
  public:
    /// Translates nothing: every text stays English.
    TextTranslation() = default;
    /// The file's lines (Windows-1251). A line that the file lacks or leaves empty keeps its
    /// English text, so an older file shows English rather than nothing.
    explicit TextTranslation(const std::vector<std::string>& lines);

    /// The file's text for an English text: its own line; else, for a text of several lines,
    /// each line on its own; else the line of the pattern it matches, with the varying parts
    /// translated in turn. A text the file does not give comes back unchanged.
    [[nodiscard]] std::string Translate(std::string_view english) const;

  private:
    struct Pattern {
        std::vector<std::string> literals;  // the texts around the parts, one more than parts
        std::vector<int> parts;             // the part numbers, in their English order
        std::string translated;
    };
    [[nodiscard]] bool Match(const Pattern& pattern, std::string_view text,
                             std::string& result) const;

    std::unordered_map<std::string, std::string> exact_;
    std::vector<Pattern> patterns_;
};

/// The language file of a language name in the program folder: FOLDER/languages/NAME.lng.
[[nodiscard]] std::string LanguageFilePath(const std::string& programFolder, std::string_view name);

/// Keeps a language file chosen anywhere for the next start, which looks for a language only by
/// its name in FOLDER/languages: a file from elsewhere is copied there (replacing a file of the
/// same name). Returns the language's name, the file's name without its extension. Throws
/// FileError, naming the path and the reason, when the copy cannot be made.
std::string KeepLanguageFile(const std::string& programFolder, const std::string& chosen);

}  // namespace tessaline
