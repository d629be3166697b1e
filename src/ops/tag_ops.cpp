#include "ops/tag_ops.hpp"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "core/tags.hpp"
#include "files/records.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"
#include "ops/text_walk.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kTagRemoved = " = remove <font> TAG";  // whatever the tag's name
constexpr std::string_view kExcessivePair = " = excessive TAGs pair is deleted";
constexpr std::string_view kTagAdded = " = TAG is added [fixed]";
constexpr std::string_view kTagFixed = " = TAG is fixed";

constexpr std::string_view kMicroDvdTags[] = {"{y:i}", "{y:b}"};

// Two runs of one style side by side, and what takes their place.
constexpr std::pair<std::string_view, std::string_view> kExcessivePairs[] = {
    {"</i> <i>", " "}, {"</i><i>", ""}, {"</b> <b>", " "}, {"</b><b>", ""}};
struct BalancedTag {
    std::string_view letter, open, close;
};
constexpr BalancedTag kBalancedTags[] = {{"i", "<i>", "</i>"}, {"b", "<b>", "</b>"}};

/// The text contains `tag` in any letter case.
bool ContainsNoCase(std::string_view text, std::string_view tag) {
    return PosNoCase(tag, text) != 0;
}

/// A line of an italic run: it holds "<" and "i>" ("<i>" or "</i>", in either case).
bool IsItalicLine(std::string_view line) {
    return line.find('<') != std::string_view::npos && ContainsNoCase(line, "i>");
}

/// The closing tag for a run opened by "<i>" or "<I>".
std::string_view ItalicCloseFor(std::string_view piece) {
    return piece.find("<i>") == std::string_view::npos ? "</I>" : "</i>";
}

/// Cuts a text after every "</i>" (which the cut removes); each piece trimmed of spaces, an
/// empty one dropped, and one that opens a run gets its closing tag back.
void CutAfterItalicEnds(std::string_view text, LineList& pieces) {
    LineList parts;
    SplitByStr(text, "</i>", parts, true);
    for (const std::string& part : parts) {
        std::string piece(TrimChar(part, ' '));
        if (piece.empty()) continue;
        if (ContainsNoCase(piece, "<i>")) piece += ItalicCloseFor(piece);
        pieces.push_back(std::move(piece));
    }
}

/// Runs of spaces collapsed, both ends trimmed.
std::string Tidy(std::string_view text) {
    return std::string(TrimChar(CollapseSpaces(text), ' '));
}

// --- Remove TAG's ------------------------------------------------------------------------------

class TagRemoval final : public TextRepair {
  public:
    explicit TagRemoval(std::string_view name) : cp1251Name_(name) {}

    void BeginRecord(std::string_view key) override { key_.assign(key); }

    void TextLine(std::string_view line, TextOut& out, LineList& report) override {
        if (!Remove(line)) {
            out.WriteLine(line);
            return;
        }
        out.WriteLine(fixed_);
        ReportLine(report, key_, kTagRemoved);
    }

    void EndRecord(TextOut&, LineList&) override {}

    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        if (IsBlankLine(text) || !Remove(text)) return false;
        text.swap(fixed_);
        ReportLine(report, key, kTagRemoved);
        return true;
    }

  private:
    bool Remove(std::string_view line) {
        // Both spans begin with "<".
        if (line.find('<') == std::string_view::npos) return false;
        // The name is typed in Windows-1251: it meets the file's text in the file's form, which
        // the frame has decided by the time the first line comes.
        if (!name_) name_ = FromCp1251(cp1251Name_);
        fixed_ = RemoveNamedTag(line, *name_);
        return fixed_.size() != line.size();
    }

    std::string_view cp1251Name_;
    std::optional<std::string> name_;
    std::string key_;
    std::string fixed_;
};

// --- TAG's Fix ---------------------------------------------------------------------------------

class TagFix final : public TextRepair {
  public:
    explicit TagFix(const TagParams& params) : params_(params) {}

    void BeginRecord(std::string_view key) override {
        key_.assign(key);
        lineNumber_ = 0;
    }

    // Every pattern and tag involved begins with "<": other lines stay as they are.
    void TextLine(std::string_view line, TextOut& out, LineList& report) override {
        ++lineNumber_;
        if (line.find('<') == std::string_view::npos) {
            out.WriteLine(line);
            return;
        }
        std::string s(line);
        bool pairDeleted = false;
        for (const auto& [pair, replacement] : kExcessivePairs) {
            if (!ContainsNoCase(s, pair)) continue;
            s = ReplaceAll(pair, replacement, s, true);
            pairDeleted = true;
        }
        if (pairDeleted) ReportLine(report, key_, kExcessivePair);
        // A line without either tag of a pair is left as it is by the balancing.
        const bool collapse = params_.correctInsideTags;
        for (const auto& [letter, open, close] : kBalancedTags) {
            if (!ContainsNoCase(s, open) && !ContainsNoCase(s, close)) continue;
            s = BalanceTagPair(s, letter, &report, collapse, false, lineNumber_, key_);
        }
        out.WriteLine(s);
    }

    void EndRecord(TextOut&, LineList&) override {}

    // A {y:i} or {y:b} holds for its own display line only: it is repeated on the lines after.
    // The display lines are walked one at a time, each tag's trace carried from line to line.
    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        if (!params_.tagToEveryLine || text.find('{') == std::string::npos) return false;
        bool added = false;
        const auto addTo = [&added](std::string& line, std::string_view tag) {
            if (IsBlankLine(line) || StartsWithNoCase(line, tag)) return;
            line.insert(0, tag);
            added = true;
        };
        std::string_view lead;  // as the text spells it
        for (std::string_view tag : kMicroDvdTags) {
            if (StartsWithNoCase(text, tag)) lead = std::string_view(text).substr(0, tag.size());
        }
        // Without a leading tag, a tag met inside the text holds for every display line after
        // the one it is on; the second tag is looked for in lines the first has already marked.
        std::string seen[std::size(kMicroDvdTags)];
        std::string result;
        std::string line;
        bool first = true;
        for (std::string_view piece : CharSplit(text, '|')) {
            line.assign(piece);
            if (!lead.empty()) {
                if (!first) addTo(line, lead);
            } else {
                for (std::size_t t = 0; t < std::size(kMicroDvdTags); ++t) {
                    if (!seen[t].empty()) {
                        addTo(line, seen[t]);
                    } else if (const std::size_t at = PosNoCase(kMicroDvdTags[t], line); at != 0) {
                        seen[t] = line.substr(at - 1, kMicroDvdTags[t].size());
                    }
                }
            }
            if (!first) result += '|';
            result += line;
            first = false;
        }
        if (!added) return false;
        text = std::move(result);
        ReportLine(report, key, kTagAdded);
        return true;
    }

  private:
    const TagParams& params_;
    std::string key_;
    int lineNumber_ = 0;
};

// --- Re-Format to 1 Line through TAG's ---------------------------------------------------------

/// Re-flows the text lines of a SubRip record into `result`; false when nothing changes.
bool ReflowRecord(std::span<const std::string> lines, LineList& result) {
    // Most records hold no italic line: nothing is reflowed, and no line is copied.
    if (std::none_of(lines.begin(), lines.end(),
                     [](const std::string& line) { return IsItalicLine(line); })) {
        return false;
    }
    result.clear();
    LineList joined;
    bool italicSeen = false;
    for (const std::string& line : lines) {
        const bool italic = IsItalicLine(line);
        if (italic && (!italicSeen || line.starts_with('-'))) {
            joined.push_back(line);  // a run, or a new speaker's run, begins
        } else if (italicSeen) {
            joined.back() += ' ';
            joined.back() += line;
        } else {
            result.push_back(line);  // before the first italic line: kept as it is
        }
        italicSeen = italicSeen || italic;
    }
    if (!italicSeen) return false;
    const std::size_t kept = result.size();
    for (const std::string& line : joined)
        CutAfterItalicEnds(Tidy(line), result);
    // A record whose runs held nothing but tags keeps its lines rather than lose its text.
    if (result.size() == kept) return false;
    return !std::equal(result.begin(), result.end(), lines.begin(), lines.end());
}

class TagReflow final : public TextRepair {
  public:
    void BeginRecord(std::string_view key) override {
        key_.assign(key);
        count_ = 0;
    }

    // The record is held until its end: its lines are joined and cut again as a whole. The
    // strings of the records before are reused.
    void TextLine(std::string_view line, TextOut&, LineList&) override {
        if (count_ == lines_.size()) {
            lines_.emplace_back(line);
        } else {
            lines_[count_].assign(line);
        }
        ++count_;
    }

    void EndRecord(TextOut& out, LineList& report) override {
        const std::span<const std::string> lines(lines_.data(), count_);
        const bool changed = ReflowRecord(lines, reflowed_);
        for (const std::string& line : changed ? std::span<const std::string>(reflowed_) : lines)
            out.WriteLine(line);
        if (changed) ReportLine(report, key_, kTagFixed);
    }

    bool FrameText(std::string_view key, std::string& text, LineList& report) override {
        if (!ReflowMicroDvdText(text)) return false;
        ReportLine(report, key, kTagFixed);
        return true;
    }

  private:
    std::string key_;
    LineList lines_;  // the record's text lines: the first count_
    std::size_t count_ = 0;
    LineList reflowed_;
};

/// The display lines of a MicroDVD text joined into one line per speaker: a bar stays only
/// before a line that begins with a dialogue hyphen (after a {y:b} or {y:i}, too).
std::string JoinSpeakerLines(std::string_view text) {
    if (text.find('-') == std::string_view::npos) return ReplaceChar(text, '|', ' ');
    std::string joined;
    bool first = true;
    for (std::string_view line : CharSplit(text, '|')) {
        if (!first) {
            const bool speaker = line.starts_with('-') || StartsWithNoCase(line, "{y:b}-") ||
                                 StartsWithNoCase(line, "{y:i}-");
            joined += speaker ? '|' : ' ';
        }
        joined += line;
        first = false;
    }
    return joined;
}

/// Display lines trimmed of spaces; empty ones dropped.
std::string WithoutEmptyDisplayLines(std::string_view text) {
    std::string kept;
    for (std::string_view line : CharSplit(text, '|')) {
        const std::string_view trimmed = TrimChar(line, ' ');
        if (trimmed.empty()) continue;
        if (!kept.empty()) kept += '|';
        kept += trimmed;
    }
    return kept;
}

// --- Running -----------------------------------------------------------------------------------

RunResult RunTagRepair(const std::string& input, const std::string& output, const TagParams& params,
                       std::string_view reportExt, std::string_view emptyMessage,
                       TextRepair& repair, Host& host,
                       std::function<bool(Host&)> parameterCheck = {}) {
    // Files other than SubRip and MicroDVD are refused only when the user started the run.
    return RunTextRepair(input, output,
                         {.interactive = params.interactive,
                          .reportExt = reportExt,
                          .emptyReportMessage = emptyMessage,
                          .alwaysRefuseKind = false,
                          .closeBracket = params.closeBracket,
                          .parameterCheck = std::move(parameterCheck)},
                         repair, host);
}

}  // namespace

std::string RemoveNamedTag(std::string_view line, std::string_view name) {
    std::string opening = "<";
    opening.append(name);
    // The closing tag is looked for with its "/": "u>" alone would also be found in
    // "<font color=blu>", and that tag would go instead.
    std::string closing = "/";
    closing.append(name).push_back('>');
    return RemoveTagSpan(RemoveTagSpan(line, opening, 0), closing, 1);
}

bool ReflowMicroDvdText(std::string& text) {
    if (!IsItalicLine(text) && !ContainsNoCase(text, "{y:b}") && !ContainsNoCase(text, "{y:i}")) {
        return false;
    }
    const std::string joined = JoinSpeakerLines(text);
    LineList pieces;
    std::string_view lead;
    for (std::string_view tag : kMicroDvdTags) {
        if (StartsWithNoCase(joined, tag)) lead = std::string_view(joined).substr(0, tag.size());
    }
    if (!lead.empty()) {
        // Each run of the tag becomes a display line that begins with it.
        LineList parts;
        SplitByStr(joined, lead, parts, true);
        for (const std::string& part : parts) {
            const std::string_view piece = TrimChar(part, ' ');
            if (!piece.empty()) pieces.push_back(std::string(lead).append(piece));
        }
    } else {
        CutAfterItalicEnds(joined, pieces);
    }
    std::string result = Tidy(WithoutEmptyDisplayLines(JoinStrings(pieces, "|")));
    // A text of nothing but tags keeps them rather than become empty.
    if (result.empty() || result == text) return false;
    text = std::move(result);
    return true;
}

RunResult RemoveTag(const std::string& input, const std::string& output, const TagParams& params,
                    Host& host) {
    TagRemoval repair(params.tag);
    // Refused in every run: the name is the user's, not the file's.
    return RunTagRepair(input, output, params, "tagfix", kNullTagFixLengthFile, repair, host,
                        [&params](Host& h) {
                            if (!params.tag.empty()) return true;
                            h.ShowMessage(kNotSetTag);
                            return false;
                        });
}

RunResult FixTags(const std::string& input, const std::string& output, const TagParams& params,
                  Host& host) {
    TagFix repair(params);
    return RunTagRepair(input, output, params, "tagfix", kNullTagFixLengthFile, repair, host);
}

RunResult ReflowTags(const std::string& input, const std::string& output, const TagParams& params,
                     Host& host) {
    TagReflow repair;
    return RunTagRepair(input, output, params, "tag", kNullTagLengthFile, repair, host);
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

TagParams ParamsOf(const OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    return {.tag = c.controls.Text("edSubTagToRemove"),
            .correctInsideTags = s.Bool("CorrectInsideTAGs"),
            .tagToEveryLine = s.Bool("TAGtoEveryLine"),
            .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
            .interactive = a.interactive};
}

RunResult RunRemoveTag(OperationContext& c, const RunArgs& a) {
    return RemoveTag(a.input, a.output, ParamsOf(c, a), c.host);
}

RunResult RunFixTags(OperationContext& c, const RunArgs& a) {
    return FixTags(a.input, a.output, ParamsOf(c, a), c.host);
}

RunResult RunReflowTags(OperationContext& c, const RunArgs& a) {
    return ReflowTags(a.input, a.output, ParamsOf(c, a), c.host);
}

std::optional<std::string> CheckTagName(std::string_view value, std::string& stored) {
    if (value.empty()) return std::string("--tag needs a tag name, such as font");
    stored = value;
    return std::nullopt;
}

constexpr OptionDef kRemoveTagOptions[] = {{.name = "--tag",
                                            .kind = OptionKind::Text,
                                            .valueName = "NAME",
                                            .control = "edSubTagToRemove",
                                            .check = CheckTagName,
                                            .help = "the tag to remove (font when not given)"}};
constexpr std::string_view kRemoveTagControls[] = {"edSubTagToRemove"};
constexpr std::string_view kCloseBracketsOnly[] = {"CloseBrackets"};
constexpr Trigger kRemoveTagTriggers[] = {{"btnSubTagRemove"}};
constexpr VariantCode kRemoveTagCodes[] = {{kAnyVariant, 29}};

constexpr std::string_view kFixTagsSettings[] = {"CorrectInsideTAGs", "TAGtoEveryLine",
                                                 "CloseBrackets"};
constexpr Trigger kFixTagsTriggers[] = {{"btnSubTagFix"}};
constexpr VariantCode kFixTagsCodes[] = {{kAnyVariant, 22}};

constexpr Trigger kReflowTagsTriggers[] = {{"btnSubTagFixToOneLine"}};
constexpr VariantCode kReflowTagsCodes[] = {{kAnyVariant, 18}};

}  // namespace

extern const Operation kRemoveTagOperation{
    .command = "remove-tag",
    .summary = "remove a tag such as <font ...> from every line",
    .help =
        "Removes the first opening tag NAME (with its attributes) and the first closing tag\n"
        "NAME from each text line: '<font color=red>Hello</font>' becomes 'Hello'. Writes\n"
        "film.out and lists each changed line in film.tagfix; a file that needs nothing gets\n"
        "no output.",
    .options = kRemoveTagOptions,
    .triggers = kRemoveTagTriggers,
    .logText = "[Remove TAG's:] Click",
    .codes = kRemoveTagCodes,
    .settings = kCloseBracketsOnly,
    .controls = kRemoveTagControls,
    .run = RunRemoveTag,
};

extern const Operation kFixTagsOperation{
    .command = "fix-tags",
    .summary = "close italic and bold tags line by line",
    .help =
        "SubRip: deletes excessive pairs ('<i>One</i> <i>two</i>' becomes '<i>One two</i>')\n"
        "and closes <i> and <b> on the line that opens them, opening them again on the next\n"
        "(with CorrectInsideTAGs=1 runs split by one space are joined). MicroDVD: repeats {y:i}\n"
        "and {y:b} on every display line after the one that has it (TAGtoEveryLine=1). Writes\n"
        "film.out and lists each change in film.tagfix; a file that needs nothing gets no output.",
    .triggers = kFixTagsTriggers,
    .logText = "[TAG's Fix] Click",
    .codes = kFixTagsCodes,
    .settings = kFixTagsSettings,
    .run = RunFixTags,
};

extern const Operation kReflowTagsOperation{
    .command = "reflow-tags",
    .summary = "re-flow italic text to one line per tagged run",
    .help =
        "Joins the lines of each subtitle that holds italic text ('<i>Hello' and 'world</i>'\n"
        "become '<i>Hello world</i>'), then cuts after every closing tag, so that each tagged\n"
        "run and each speaker has a line of its own; MicroDVD texts with {y:i} or {y:b} the\n"
        "same way. Writes film.out and lists each changed subtitle in film.tag; a file that\n"
        "needs nothing gets no output.",
    .triggers = kReflowTagsTriggers,
    .logText = "[Re-Format to 1 Line through TAG's] Click",
    .codes = kReflowTagsCodes,
    .settings = kCloseBracketsOnly,
    .run = RunReflowTags,
};

}  // namespace tessaline
