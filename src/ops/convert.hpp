#pragma once

// Conversions between subtitle formats: MicroDVD frames to SubRip times and back through a
// frames-per-second rate, and the bracketed "SubTime" format and SubStation Alpha / Advanced
// SubStation to SubRip. The caller names the output (film.sub -> film.srt); the conversions
// write it like any other operation and never overwrite an existing file.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kCheckFramesAtSec = "Check the Frames at Second!!!";
inline constexpr std::string_view kNullConvLengthFile = "Null Conv-length-file";

struct ConvertParams {
    /// cbFramesAtSec: the rate of the two MicroDVD conversions, with a decimal comma ("23,976").
    std::string framesPerSecond = std::string(DefaultText("FramesAtSec"));
    /// OpenBrackets / CloseBrackets (their first characters): the frame brackets of MicroDVD.
    char openBracket = FirstChar(DefaultText("OpenBrackets"), '{');
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    /// TimeCorrection: short millisecond fields of SubRip timing lines are filled on the right.
    bool timeCorrection = DefaultBool("TimeCorrection");
    /// sedSubtitleFullLength: a longer converted subtitle text is reported.
    int subtitleFullLength = DefaultInt("SubtitleFullLength");
    bool interactive = true;
};

/// MicroDVD to SubRip: every line with the opening bracket becomes a numbered record whose
/// display lines are the text's "|"-separated parts, without their leading blanks; the style and
/// colour codes become tags and the other control codes are dropped, counted in the "conv"
/// report. Other lines are copied unchanged.
RunResult SubToSrt(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host);

/// SubRip to MicroDVD: every record becomes one frame line {on}{off}line|line, each text line
/// without its leading blanks and with the tags that style it whole as MicroDVD codes; tags
/// MicroDVD cannot say are dropped, counted in the "conv" report. Everything outside a record is
/// dropped.
RunResult SrtToSub(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host);

/// The bracketed format with "hh:mm:ss.cc,hh:mm:ss.cc" timings and "[br]" line breaks to
/// SubRip; subtitles longer than the full length go to the "conv" report.
RunResult SubTimeToSrt(const std::string& input, const std::string& output,
                       const ConvertParams& params, Host& host);

/// The "Dialogue:" lines of a SubStation Alpha / Advanced SubStation file to SubRip records,
/// with styles and line breaks carried over; a negative time becomes 00:00:00,000. Long
/// subtitles and negative times go to the "conv" report.
RunResult SsaToSrt(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host);

/// The text of a SubStation Dialogue line (what follows its ninth comma) as SubRip display lines:
/// a leading block of braces without overrides is dropped; bold, italics, underline and the
/// primary colour switched on and off in any override block ({\b1}, {\i0}, {\u1},
/// {\c&HBBGGRR&}, {\1c&H...&} ..., also inside blocks of several tags) become nested <b>, <i>,
/// <u>, <font color="#RRGGBB"> pairs, closed at the end when left open; other overrides are
/// dropped; "\n", "\N" and the invisible-text marker {\alpha&HFF&} break the line, and blank lines
/// between breaks are left out. Display lines lose their leading blanks. A text without a break
/// gives one line, even a blank one.
void SsaTextToSubRip(std::string_view text, LineList& lines);

/// "Sub --> Sub": the four conversions, by the item of cbSubToSub (the variant).
extern const Operation kConvertOperation;

}  // namespace tessaline
