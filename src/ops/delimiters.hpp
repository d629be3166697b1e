#pragma once

// Delimiter spacing: the spaces around punctuation in subtitle text. "Fix Delimiters:" puts a
// space after a delimiter glued to the next character and removes the spaces before delimiters;
// "Del Space b4:" only removes. Each changed record is listed in a "fix" report.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNotSetDelimiters = "Not Set Delimiters!!!";
inline constexpr std::string_view kNullFixLengthFile = "Null Fix-length-file";

/// The two fixes: both sides of the delimiters, or only the spaces before them.
inline constexpr int kFixAroundDelimiters = 0;
inline constexpr int kDelSpaceBeforeDelimiters = 2;

struct DelimitersParams {
    std::string delimiters{DefaultText("DelimitersFix")};  // edDelimitersFix
    /// The careful space insertion, which leaves addresses, initials and decimals alone
    /// (cbUseExclude).
    bool useExclude = DefaultBool("UseExclude");
    std::string followers{DefaultText("ExcludeFix")};  // edExcludeFix
    int awareMode = DefaultInt("FixDelimitersMode");
    int mode = kFixAroundDelimiters;
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// The fix of one text line; false (and `fixed` untouched) when it changes nothing.
[[nodiscard]] bool FixDelimiterSpacing(std::string_view line, const DelimitersParams& params,
                                       std::string& fixed);

/// Writes the fixed copy of a SubRip or MicroDVD file and the "fix" report. Empty delimiters
/// are refused with "Not Set Delimiters!!!".
RunResult FixDelimiters(const std::string& input, const std::string& output,
                        const DelimitersParams& params, Host& host);

extern const Operation kFixDelimitersOperation;

}  // namespace tessaline
