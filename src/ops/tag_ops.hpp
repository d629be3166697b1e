#pragma once

// The operations on style tags: removing a named tag (a font tag left by a converter), closing
// and repeating italic and bold tags line by line, and re-flowing tagged text into one line per
// tagged run. Each lists the changed lines in its report ("tagfix", "tag").

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

inline constexpr std::string_view kNullTagFixLengthFile = "Null TAGfix-length-file";
inline constexpr std::string_view kNullTagLengthFile = "Null TAG-length-file";
/// An empty tag name would remove the first two tags of any kind from every line.
inline constexpr std::string_view kNotSetTag = "Not Set TAG to Remove!!!";

struct TagParams {
    std::string tag = "font";  // edSubTagToRemove: the tag that "Remove TAG's:" removes
    /// "</i> <i>" and "</b> <b>" become one space when the tags are balanced.
    bool correctInsideTags = DefaultBool("CorrectInsideTAGs");
    /// A MicroDVD {y:i} or {y:b} is repeated on every display line after it.
    bool tagToEveryLine = DefaultBool("TAGtoEveryLine");
    char closeBracket = FirstChar(DefaultText("CloseBrackets"), '}');
    bool interactive = true;
};

/// The first opening tag named `name` (with its attributes) and the first closing one
/// ("</name>") removed.
[[nodiscard]] std::string RemoveNamedTag(std::string_view line, std::string_view name);

/// Re-flows a MicroDVD text: one display line per speaker, then one per tagged run; never an
/// empty display line. False (and `text` unchanged) when nothing changes.
[[nodiscard]] bool ReflowMicroDvdText(std::string& text);

/// Writes the copy without the tag `params.tag` and the "tagfix" report.
RunResult RemoveTag(const std::string& input, const std::string& output, const TagParams& params,
                    Host& host);

/// Writes the copy with excessive tag pairs removed and unbalanced italic and bold tags closed
/// (SubRip), or {y:i} and {y:b} repeated on every display line (MicroDVD), and the "tagfix"
/// report.
RunResult FixTags(const std::string& input, const std::string& output, const TagParams& params,
                  Host& host);

/// Writes the copy re-flowed to one line per tagged run and the "tag" report.
RunResult ReflowTags(const std::string& input, const std::string& output, const TagParams& params,
                     Host& host);

extern const Operation kRemoveTagOperation;
extern const Operation kFixTagsOperation;
extern const Operation kReflowTagsOperation;

}  // namespace tessaline
