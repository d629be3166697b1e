#include "core/tags.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include "core/chars.hpp"

namespace tessaline {
namespace {

// Non-overlapping case-insensitive occurrences of `sub` in `text`, left to right.
int CountNoCase(std::string_view sub, std::string_view text) {
    int count = 0;
    for (std::size_t pos = PosNoCase(sub, text); pos != 0;
         pos = PosNoCaseFrom(sub, text, pos + sub.size())) {
        ++count;
    }
    return count;
}

// One left-to-right pass replacing every case-insensitive occurrence of `from` by `to`; the
// inserted text is not searched again.
std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t done = 0;  // 0-based: text before this index is already in `out`
    for (std::size_t pos = PosNoCase(from, text); pos != 0;
         pos = PosNoCaseFrom(from, text, done + 1)) {
        out.append(text.substr(done, pos - 1 - done));
        out.append(to);
        done = pos - 1 + from.size();
    }
    out.append(text.substr(done));
    return out;
}

// Replaces `from` by `to` until none is left (`to` must be shorter, so this ends).
void ReplaceUntilGone(std::string& text, std::string_view from, std::string_view to) {
    while (PosNoCase(from, text) != 0)
        text = ReplaceAllNoCase(text, from, to);
}

// prefix + letter + ">", built by appending (operator+ on a literal trips a false
// -Wrestrict in g++ 12).
std::string MakeTag(std::string_view prefix, std::string_view letter) {
    std::string tag(prefix);
    tag.append(letter);
    tag.push_back('>');
    return tag;
}

bool IsEdgeTag(std::string_view text) {
    return std::find(EdgeTagTable.begin(), EdgeTagTable.end(), text) != EdgeTagTable.end();
}

}  // namespace

int VisibleTextLength(std::string_view line, bool countBars) {
    // Characters, not bytes; the tags and bars are ASCII, one character a byte.
    int length = static_cast<int>(CharCount(line));
    if (countBars) length -= static_cast<int>(std::count(line.begin(), line.end(), '|'));
    // Every tag begins with "<" or "{": most lines hold neither and need no search.
    if (line.find('<') == std::string_view::npos && line.find('{') == std::string_view::npos) {
        return length;
    }
    // Opening and closing tags are counted separately; they cannot overlap one another.
    for (std::string_view tag : {"<i>", "</i>", "<b>", "</b>", "{y:b}", "{y:i}"}) {
        length -= CountNoCase(tag, line) * static_cast<int>(tag.size());
    }
    return std::max(length, 0);
}

bool IsWholeLineItalic(std::string_view line) {
    const std::string_view text = TrimCharSet(line, ",.!? -()[]");
    // Shorter than "<i></i>" cannot hold both tags; a lone "<i>" is not an italic line.
    if (text.size() < 7 || PosNoCase("<i>", text) != 1) return false;
    // The first close must be the one that ends the line, so none stands inside.
    if (PosNoCase("</i>", text) != text.size() - 3) return false;
    return PosNoCase("<i>", text.substr(3, text.size() - 7)) == 0;
}

std::string BalanceTagPair(std::string_view line, std::string_view tagLetter, LineList* report,
                           bool collapseSplitRuns, bool addMode, int lineNumber,
                           std::string_view label) {
    const std::string open = MakeTag("<", tagLetter);
    const std::string close = MakeTag("</", tagLetter);
    const std::string prefix = std::string(label) + " = to line " + std::to_string(lineNumber);
    const auto note = [&](const std::string& what) {
        if (report != nullptr) report->push_back(prefix + what);
    };

    std::string s(line);
    const std::size_t po = PosNoCase(open, s);
    const std::size_t pc = PosNoCase(close, s);
    const auto addClose = [&] {
        s += close;
        note(" add TAG " + close);
    };
    const auto addOpen = [&] {
        s.insert(0, open);
        note(" add TAG " + open);
    };

    if (addMode) {
        if (po != 0 && pc == 0) {
            addClose();
        } else if (po == 0 && pc != 0) {
            addOpen();
        } else if (po == 0 && pc == 0) {
            s = open + s + close;
            note(" add TAGs " + open + " and " + close);
        }
    } else if (po != 0 && pc != 0) {
        // "</i>a<i>": the line closes a run begun on an earlier line and opens one it never
        // closes, so it gets both tags.
        if (pc < po) {
            addClose();
            addOpen();
        }
    } else if (po != 0) {
        addClose();
    } else if (pc != 0) {
        addOpen();
    }

    ReplaceUntilGone(s, open + open, open);
    ReplaceUntilGone(s, close + close, close);
    if (collapseSplitRuns) ReplaceUntilGone(s, close + " " + open, " ");
    return s;
}

std::string RemoveTagSpan(std::string_view line, std::string_view tag, int side) {
    const std::size_t found = PosNoCase(tag, line);
    if (found == 0) return std::string(line);
    std::size_t first = 0;  // 0-based, both ends included
    std::size_t last = 0;
    if (side == 0) {
        // The opening tag ends at the first ">" after its name: a tag before it
        // ("<i><font ...>") must not hide it.
        first = found - 1;
        last = line.find('>', first);
    } else if (side == 1) {
        first = found < 2 ? std::string_view::npos : line.rfind('<', found - 2);
        last = found - 1 + tag.size() - 1;
    } else {
        return std::string(line);
    }
    if (first == std::string_view::npos || last == std::string_view::npos || first >= last) {
        return std::string(line);
    }
    std::string out(line);
    out.erase(first, last - first + 1);
    return out;
}

bool EndsWithSentenceMark(std::string_view line, std::string_view extraMarks) {
    if (line.empty()) return false;
    const auto isMark = [&](char c) {
        return c == '.' || extraMarks.find(c) != std::string_view::npos;
    };
    if (isMark(line.back())) return true;
    if (line.back() != '>') return false;
    const std::size_t lt = line.rfind('<');
    if (lt == std::string_view::npos || lt == 0) return false;
    return IsEdgeTag(line.substr(lt)) && isMark(line[lt - 1]);
}

std::string TrimCharInsideEdgeTags(std::string_view line, char c) {
    std::string_view rest = TrimChar(line, c);
    std::string_view leading;
    std::string_view trailing;
    if (!rest.empty() && rest.front() == '<') {
        const std::size_t gt = rest.find('>');
        if (gt != std::string_view::npos && IsEdgeTag(rest.substr(0, gt + 1))) {
            leading = rest.substr(0, gt + 1);
            rest.remove_prefix(gt + 1);
        }
    }
    if (!rest.empty() && rest.find('>') == rest.size() - 1) {
        const std::size_t lt = rest.rfind('<');
        if (lt != std::string_view::npos && IsEdgeTag(rest.substr(lt))) {
            trailing = rest.substr(lt);
            rest.remove_suffix(trailing.size());
        }
    }
    if (leading.empty() && trailing.empty()) return std::string(rest);
    std::string out(leading);
    out.append(TrimChar(rest, c));
    out.append(trailing);
    return out;
}

bool IsWrappedInTag(std::string_view line, std::string_view tagLetter) {
    const std::string open = MakeTag("<", tagLetter);
    const std::string close = MakeTag("</", tagLetter);
    if (PosNoCase(open, line) != 1) return false;
    const std::size_t pc = PosNoCase(close, line);
    return pc != 0 && pc - 1 + close.size() == line.size();
}

// --- Any markup tag --------------------------------------------------------------------------

std::size_t TagEndAt(std::string_view text, std::size_t i) {
    constexpr std::size_t npos = std::string_view::npos;
    if (i + 1 >= text.size()) return npos;
    const char open = text[i];
    char close = '\0';
    if (open == '<') {
        const char next = text[i + 1];
        const bool letter = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
        if (!letter && next != '/') return npos;
        close = '>';
    } else if (open == '{') {
        close = '}';
    } else {
        return npos;
    }
    const std::size_t end = text.find_first_of(std::string{open, close}, i + 1);
    if (end == npos || text[end] != close) return npos;
    return end + 1;
}

bool MayHoldTag(std::string_view text) {
    // Asked of every text line: 16 bytes at a time (a search for either byte, through the
    // library, costs a call per byte of the line).
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('<');
    const __m128i brace = _mm_set1_epi8('{');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, open), _mm_cmpeq_epi8(bytes, brace));
        if (_mm_movemask_epi8(hits) != 0) return true;
    }
#endif
    for (; i < text.size(); ++i) {
        if (text[i] == '<' || text[i] == '{') return true;
    }
    return false;
}

namespace {

/// Calls visit(from, to) for every stretch of the text outside tags, in order.
template <class Visit>
void EachStretchOutsideTags(std::string_view text, Visit visit) {
    std::size_t from = 0;
    std::size_t at = text.find_first_of("<{");
    while (at != std::string_view::npos) {
        const std::size_t end = TagEndAt(text, at);
        if (end == std::string_view::npos) {
            at = text.find_first_of("<{", at + 1);
            continue;
        }
        if (at > from) visit(from, at);
        from = end;
        at = text.find_first_of("<{", end);
    }
    if (from < text.size()) visit(from, text.size());
}

}  // namespace

std::size_t FindOutsideTags(std::string_view text, std::string_view set) {
    if (!MayHoldTag(text)) return text.find_first_of(set);
    std::size_t found = std::string_view::npos;
    EachStretchOutsideTags(text, [&](std::size_t from, std::size_t to) {
        if (found != std::string_view::npos) return;
        const std::size_t at = text.substr(from, to - from).find_first_of(set);
        if (at != std::string_view::npos) found = from + at;
    });
    return found;
}

std::size_t RFindOutsideTags(std::string_view text, std::string_view set) {
    if (!MayHoldTag(text)) return text.find_last_of(set);
    std::size_t found = std::string_view::npos;
    EachStretchOutsideTags(text, [&](std::size_t from, std::size_t to) {
        const std::size_t at = text.substr(from, to - from).find_last_of(set);
        if (at != std::string_view::npos) found = from + at;
    });
    return found;
}

}  // namespace tessaline
