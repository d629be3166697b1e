#pragma once

// Fix Subtitle Dialog: replies run together on one line ("Yes. -No.") are broken at the
// dialogue separators of DiaBreak.dat, so that each speaker's reply starts a line of its own.
// Each broken line is listed in a "DiaFix" report.

#include <string>
#include <string_view>

#include "core/strings.hpp"
#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNullDiaFixLengthFile = "Null DIAfix-length-file";

struct DialogFixParams {
    /// The separators: a sentence end, a space and a hyphen (". -"); the sentence end stays
    /// with the reply before, the hyphen starts the next.
    LineList separators;
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// Breaks a text at every separator, in list order, into `pieces` trimmed of spaces; false (and
/// `pieces` undefined) when no separator occurs.
[[nodiscard]] bool BreakDialogText(std::string_view text, const LineList& separators,
                                   LineList& pieces);

/// Writes the copy with broken dialogue lines and the "DiaFix" report.
RunResult FixSubtitleDialog(const std::string& input, const std::string& output,
                            const DialogFixParams& params, Host& host);

extern const Operation kFixDialogOperation;

}  // namespace tessaline
