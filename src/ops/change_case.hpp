#pragma once

// Letter case of subtitle text with the Windows-1251 case rules: lower case, every word
// capitalised, the first letter capitalised, switched case, and sentence case. A text in
// parentheses can be kept out of the change and, optionally, be written in capitals.

#include <string>
#include <string_view>

namespace tessaline {

enum class CaseMode {
    Lower = 0,      // "text to lower case"
    Words = 1,      // every word begins with a capital
    TextFirst = 2,  // the text begins with a capital (the editor)
    LineFirst = 3,  // the line begins with a capital (the file)
    Switch = 4,     // "sWITCH cASE"
    Normalize = 5,  // a capital after a sentence end, small letters elsewhere
};

/// The state carried from one line to the next.
struct CaseFlags {
    bool afterDelimiter = true;  // a sentence ended: the next letter is a capital
    bool afterTime = false;      // the previous line was a timing line
};

/// One text (a file line, or the editor's whole text with its line breaks) in the mode's case.
/// With a bracket pair "(...)" the text inside stays as it is, or is written in capitals when
/// `upBrackets`; the parts before and after it are changed each on its own.
[[nodiscard]] std::string CaseTransformText(std::string_view text, CaseMode mode, bool upBrackets,
                                            CaseFlags& flags);

}  // namespace tessaline
