#pragma once

// Finding, removing and replacing a text (or one character given by its code) in the text lines
// of a subtitle file, and replacing by the user's replace list. All four walk the file the same
// way: a number line that may start a record and the timing line after it are passed through
// unexamined, an empty line ends a record, and every other line is a text line, reported under
// the number of its subtitle (or, for a MicroDVD line, its frame part).

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/replace_table.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kSubStringNotPresent = "SubString Not Present!";
inline constexpr std::string_view kCheckSymbolCode = "Check Symbil Code!!!";
inline constexpr std::string_view kWrongSymbolCode = "Wrong Symbil Code!!!";

struct SearchParams {
    /// edFindText: the text, or in character mode the decimal code (0 to 255) of the character.
    std::string findText = std::string(DefaultText("TextToFind"));
    /// edReplaceText: what Replace puts in its place (may be empty).
    std::string replaceText = std::string(DefaultText("TextToReplace"));
    /// cbFindChar ("#"): character mode.
    bool charMode = DefaultBool("FindCharFlag");
    /// ReplaceMode: 1 replaces whole words only; any other value every occurrence.
    int replaceMode = DefaultInt("ReplaceMode");
    /// OpenBrackets / CloseBrackets: the frame brackets of MicroDVD lines.
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Lists every text line that holds the find text (or the character) in the "sym" report;
/// writes no other file.
RunResult FindText(const std::string& input, const SearchParams& params, Host& host);

/// Copies the file without the text lines that hold the find text (in character mode: that
/// begin with the character); the dropped lines go to the "remove" report.
RunResult RemoveLinesWithText(const std::string& input, const std::string& output,
                              const SearchParams& params, Host& host);

/// Copies the file with the find text (or the character) replaced in every text line; the
/// changed lines, as they were, go to the "sym" report.
RunResult ReplaceText(const std::string& input, const std::string& output,
                      const SearchParams& params, Host& host);

struct ReplaceListParams {
    /// ReplaceMode: 1 replaces whole words only.
    int replaceMode = DefaultInt("ReplaceMode");
    /// ReplaceListCaseSensitive: find texts match exactly; otherwise as PosNoCase compares.
    bool caseSensitive = DefaultBool("ReplaceListCaseSensitive");
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Applies every pair of the table, in order, to every text line; each pair works on what the
/// pairs before it left. A pair whose find text is empty or equal to its replacement is never
/// applied. The lines as they were before each change go to the "sym" report.
RunResult ReplaceByList(const std::string& input, const std::string& output,
                        const ReplaceTable& table, const ReplaceListParams& params, Host& host);

extern const Operation kFindTextOperation;
extern const Operation kRemoveLinesOperation;
extern const Operation kReplaceTextOperation;
extern const Operation kReplaceListOperation;

}  // namespace tessaline
