#pragma once

// Telling a MicroDVD ".sub" from the other formats that share the extension (SubViewer 1 and 2,
// a SubRip file misnamed): every MicroDVD command would otherwise take their lines for text and
// write a "converted" copy of them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

class Host;
class LineReader;
struct FileEncoding;

/// What timing a line carries, by its shape alone.
enum class TimedLine {
    None,       // text, a header line, a blank line
    FramePair,  // "{25}{50}...": two bracketed frame numbers (any pair of bracket characters)
    Other,      // a clock time at its start ("00:02:17.40,00:02:20.40", "[00:00:01]"), the arrow
                // of SubRip
};

/// The timing a line carries. Blanks before it are passed over; the frame numbers may carry a
/// sign and blanks around them, as the frame readers accept.
[[nodiscard]] TimedLine ClassifyTimedLine(std::string_view line);

/// The line of a ".sub" file that shows it is no MicroDVD file.
struct ForeignLine {
    std::size_t number = 0;  // 1-based
    std::string text;
};

/// Reads `in` up to its first timed line and returns that line when it is not a frame pair. Lines
/// before it (a header without brackets) are passed over; a file without a timed line gives
/// nothing, as does one whose first timed line is a frame pair.
[[nodiscard]] std::optional<ForeignLine> FindForeignTimedLine(LineReader& in);

/// "not a MicroDVD file (LINE: text)", the text escaped and cut as conversion errors show it.
[[nodiscard]] std::string NotMicroDvdMessage(const ForeignLine& line, bool utf8);

/// For a ".sub" input (any letter case) read in `encoding`: true, after showing
/// NotMicroDvdMessage, when its first timed line is no frame line. Other inputs give false.
[[nodiscard]] bool RefuseSubOfOtherFormat(const std::string& input, const FileEncoding& encoding,
                                          Host& host);

}  // namespace tessaline
