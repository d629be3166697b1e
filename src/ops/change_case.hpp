#pragma once

// Letter case of subtitle text with the Windows-1251 case rules: lower case, every word
// capitalised, the first letter capitalised, switched case, and sentence case. A text in
// parentheses can be kept out of the change and, optionally, be written in capitals.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"

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

/// CaseTransformText into `out`, which a caller keeps from one line to the next.
void CaseTransformText(std::string_view text, CaseMode mode, bool upBrackets, CaseFlags& flags,
                       std::string& out);

/// Changes the letter case of the file at `path` in place: the new text is written to a unique
/// temporary file beside it, which then takes its place in one rename, so the file is never
/// lost or half-written. The file keeps its permissions. No report, no message.
RunResult ConvertFileCase(const std::string& path, CaseMode mode, bool upBrackets, Host& host);

extern const Operation kChangeCaseOperation;

}  // namespace tessaline
