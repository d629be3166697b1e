#pragma once

// Two checks of subtitle text lines. Fix Digits in Text joins numbers that a stray space splits
// ("1 000 000", "10 :30") and warns about a number split across two lines of a subtitle ("fixd"
// report). Check End Letters writes no copy: it lists the lines that end in a word of one or two
// letters, which Russian typography does not leave alone at a line's end ("endA" report).

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

struct LineCheckParams {
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Writes the copy with joined numbers and the "fixd" report.
RunResult FixDigitsInText(const std::string& input, const std::string& output,
                          const LineCheckParams& params, Host& host);

/// Writes the "endA" report of the lines that end in a one- or two-letter word; no output.
RunResult CheckEndLetters(const std::string& input, const LineCheckParams& params, Host& host);

extern const Operation kFixDigitsOperation;
extern const Operation kCheckEndLettersOperation;

}  // namespace tessaline
