#pragma once

// Inline style tags: <i> </i> <b> </b> in SubRip and editor text (either letter case), and
// {y:i} {y:b} at the start of MicroDVD lines. Other tags are only removed, by RemoveTagSpan,
// and stepped over whole by the routines that cut lines (TagEndAt and the ones after it).

#include <array>
#include <string>
#include <string_view>

#include "core/strings.hpp"

namespace tessaline {

/// The edge tags, compared exactly and searched in this order.
inline constexpr std::array<std::string_view, 8> EdgeTagTable = {"<i>", "</i>", "<I>", "</I>",
                                                                 "<b>", "</b>", "<B>", "</B>"};

/// Length of a line in characters (CharCount) without its <i> </i> <b> </b> {y:i} {y:b} tags (any case, balanced or
/// not); with countBars each "|" is not counted either.
[[nodiscard]] int VisibleTextLength(std::string_view line, bool countBars);

/// After trimming ",.!? -()[]" from both ends, the line is one italic run <i>...</i>.
[[nodiscard]] bool IsWholeLineItalic(std::string_view line);

/// Mends unbalanced <t> </t> tags (fix mode) or puts the pair on the line (add mode), then
/// collapses doubled tags and, with collapseSplitRuns, "</t> <t>" into a space. Each added tag
/// appends label + " = to line " + lineNumber + " add TAG ..." to `report` when it is given.
[[nodiscard]] std::string BalanceTagPair(std::string_view line, std::string_view tagLetter,
                                         LineList* report, bool collapseSplitRuns, bool addMode,
                                         int lineNumber, std::string_view label);

/// Removes one tag span: side 0 from `tag` (any case) to the first ">" after it, side 1 from
/// the last "<" before `tag` to the end of `tag`. Unchanged when the span is not found.
[[nodiscard]] std::string RemoveTagSpan(std::string_view line, std::string_view tag, int side);

/// The line ends with "." or one of `extraMarks`, looking through one closing edge tag.
[[nodiscard]] bool EndsWithSentenceMark(std::string_view line, std::string_view extraMarks);

/// Trims c from both ends of the line, also just inside a leading and a trailing edge tag:
/// " <i> word </i> " trimmed of spaces is "<i>word</i>".
[[nodiscard]] std::string TrimCharInsideEdgeTags(std::string_view line, char c);

/// The line starts with <t> and ends with </t> (any case).
[[nodiscard]] bool IsWrappedInTag(std::string_view line, std::string_view tagLetter);

// --- Any markup tag --------------------------------------------------------------------------
//
// A tag is "<" followed by a letter or "/" up to the first ">" (<i>, </font>, <font color=...>),
// or "{" up to the first "}" ({y:i}, {c:$0000ff}, {\an8}); a second "<" ("{") before the close
// means the first one opened nothing. A line is never cut inside a tag; its characters still
// count in the line's length like any others.

/// One past the ">" or "}" of the tag that starts at byte i; npos when no tag starts there.
[[nodiscard]] std::size_t TagEndAt(std::string_view text, std::size_t i);

/// The text holds a "<" or a "{" (cheap; a text without them has no tag).
[[nodiscard]] bool MayHoldTag(std::string_view text);

/// The first byte of `set` (ASCII bytes) that stands outside every tag; npos when none.
[[nodiscard]] std::size_t FindOutsideTags(std::string_view text, std::string_view set);

/// The last byte of `set` (ASCII bytes) that stands outside every tag; npos when none.
[[nodiscard]] std::size_t RFindOutsideTags(std::string_view text, std::string_view set);

}  // namespace tessaline
