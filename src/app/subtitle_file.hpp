#pragma once

// The subtitle line editor's file routines: the index of the subtitles of a SubRip or MicroDVD
// file, reading one subtitle as the editor shows it, and writing the file again with subtitles
// replaced or removed. The command line's show-subtitle, rewrite-subtitle and delete-subtitle run
// the same routines.
//
// A subtitle is what the file operations take for one, so that every subtitle a report names can
// be reached: a SubRip record begins with a number line at the start of the file or after a blank
// line, when the next line that is not blank holds "-->"; a MicroDVD subtitle is a frame line
// {on}{off}text. The index keeps where each one starts in the file, so that reading one is a seek
// and not a walk from the start, also in a file of a million subtitles.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/strings.hpp"
#include "files/frame.hpp"
#include "files/host.hpp"

namespace tessaline {

class HeldFile;

/// Shown when the file no longer holds a subtitle where its index put it (another program
/// changed it); the index is built again.
inline constexpr std::string_view kFileChangedMeanwhile =
    "The file was changed by another program since it was read: it is read again.";

enum class SubtitleFormat { SubRip, MicroDvd, Other };

/// The format of a path by its extension, in any letter case ("srt", "sub").
[[nodiscard]] SubtitleFormat FormatOfPath(std::string_view path);

/// The most text lines of one subtitle the editor loads.
inline constexpr std::size_t kMaxEditedLines = 1000;
/// The most bytes of text of one subtitle the editor loads.
inline constexpr std::size_t kMaxEditedBytes = 64 * 1024;

/// Why a subtitle's text is not shown.
inline constexpr std::string_view kSubtitleTooLong =
    "This subtitle is too long to edit here (more than 1000 lines or 64 KB of text).";

/// One subtitle as the editor shows it.
struct Subtitle {
    std::string number;  // the SubRip number line; the frame prefix of a MicroDVD line
    std::string timing;  // the SubRip timing line as written; the MicroDVD frame prefix
    LineList lines;      // the text lines (a MicroDVD text split at "|")
    /// More than kMaxEditedLines text lines or kMaxEditedBytes of text: `lines` stays empty. Such a
    /// subtitle (a damaged file, a line of millions of "|") is not loaded, so that the editor stays
    /// quick and small.
    bool tooLong = false;

    friend bool operator==(const Subtitle&, const Subtitle&) = default;
};

/// Where one subtitle stands in its file.
struct SubtitleEntry {
    std::uint64_t offset = 0;  // the start of its number line (SubRip) or its frame line
    std::size_t keyHash = 0;   // the hash of its key: the timing line or the frame prefix
    std::int64_t number = 0;   // the value of its number line (SubRip)

    friend bool operator==(const SubtitleEntry&, const SubtitleEntry&) = default;
};

/// The hash of a key as the index keeps it.
[[nodiscard]] std::size_t KeyHash(std::string_view key);

/// The subtitles of one file, in file order.
struct SubtitleIndex {
    std::string path;
    SubtitleFormat format = SubtitleFormat::Other;
    /// How the file is stored, decided once when it is indexed: every reading and writing of it
    /// goes by this, and its text is in this encoding's form.
    FileEncoding encoding;
    char closeBracket = '}';
    std::vector<SubtitleEntry> entries;
    /// A partial index (a one-shot command's, see SubtitleSelection) holds only some subtitles:
    /// entries[k] is the subtitle at positions[k] (ascending), and `count` is how many the file
    /// holds. A whole index leaves both empty: entries[i] is the subtitle at i.
    bool partial = false;
    std::vector<std::size_t> positions;
    std::size_t count = 0;
    // The file as it was when indexed: another program's change shows in them.
    std::uint64_t fileSize = 0;
    std::int64_t fileTime = 0;

    /// The number of subtitles in the file.
    [[nodiscard]] std::size_t size() const { return partial ? count : entries.size(); }
    [[nodiscard]] bool empty() const { return size() == 0; }
    /// The entry of the subtitle at `position`; none when the index does not hold it.
    [[nodiscard]] const SubtitleEntry* At(std::size_t position) const;
    /// The file is no longer as it was when indexed (changed, replaced or gone).
    [[nodiscard]] bool Stale() const;
};

/// Indexes the subtitles of a SubRip or MicroDVD file; any other file gives an empty index of
/// format Other. A MicroDVD frame prefix ends at the second `closeBracket`. The file's encoding
/// is decided first. Throws FileError (NotTextFileError for a file of no text).
[[nodiscard]] SubtitleIndex BuildSubtitleIndex(const std::string& path, char closeBracket,
                                               Host& host);
/// The same for a file of a format its name does not show (a temporary output).
[[nodiscard]] SubtitleIndex BuildSubtitleIndex(const std::string& path, SubtitleFormat format,
                                               char closeBracket, Host& host);

/// The subtitles a one-shot command needs of a file: those it names (by number, by key or by
/// position), each with the subtitles just before and after it (the editor shows their timings),
/// the first two (shown on opening) and the last two (shown when the file got shorter). A file
/// of a million subtitles is then read without holding an entry for each.
struct SubtitleSelection {
    std::optional<std::int64_t> number;   // the SubRip subtitles of this number
    std::optional<std::string> key;       // the subtitles whose key hashes as this one
    std::optional<std::size_t> position;  // the subtitle at this position
};

/// A partial index of the subtitles the selection names, read in one pass.
[[nodiscard]] SubtitleIndex BuildSubtitleIndex(const std::string& path, char closeBracket,
                                               Host& host, const SubtitleSelection& selection);

/// The subtitle of entry `i` as the editor shows it. When a SubRip subtitle has no text line
/// right after its timing (a blank line stands between them), the lines that follow the blank
/// line are its text, up to the next line that begins with a time (a number line just before it
/// is not). Nothing when the file no longer holds that subtitle there. `apart` (when given) tells
/// whether the text was read from after such a blank line. Throws FileError.
[[nodiscard]] std::optional<Subtitle> ReadSubtitle(const SubtitleIndex& index, std::size_t i,
                                                   Host& host, bool* apart = nullptr);

/// Reads every subtitle of a file in order, each with the lines of its own record (a MicroDVD
/// line that is no frame line, when not blank, comes as a subtitle with an empty timing and the
/// whole line as its one text line), in the form of the file's encoding, which it returns.
/// Throws FileError (NotTextFileError for a file of no text).
FileEncoding ForEachSubtitle(const std::string& path, SubtitleFormat format, char closeBracket,
                             Host& host, const std::function<void(Subtitle&)>& each);

/// The positions of the subtitles whose number line has the value `number` (SubRip).
[[nodiscard]] std::vector<std::size_t> FindByNumber(const SubtitleIndex& index,
                                                    std::int64_t number);

/// The positions of the subtitles whose key (timing line or frame prefix) is `key`, letter for
/// letter. Throws FileError.
[[nodiscard]] std::vector<std::size_t> FindByKey(const SubtitleIndex& index, std::string_view key,
                                                 Host& host);

/// The position of the first MicroDVD line that begins with `prefix`. Throws FileError.
[[nodiscard]] std::optional<std::size_t> FindFrameLineStartingWith(const SubtitleIndex& index,
                                                                   std::string_view prefix,
                                                                   Host& host);

/// What happens to one subtitle of the file.
struct SubtitleChange {
    std::size_t position = 0;
    SubtitleEntry entry;  // where the index put it: the file must still hold it there
    /// What takes its place, each written with the subtitle's own number line; none: the
    /// subtitle is removed.
    std::vector<Subtitle> with;
    /// Only its timing line (its frame prefix) becomes that of `with`; its text stays.
    bool timingOnly = false;
};

/// Copies `input` to `output` with the changes (in ascending position) made, in the frame, read
/// and written in the index's encoding (its byte-order mark kept; the changes' text is in its
/// form, and a character the encoding lacks stops the run with a FileError): an
/// existing output is refused ("Output File Exist!!!" when interactive), and the output appears
/// only when it was written whole. Every other line is written as read, with CR LF, except that
/// a run of blank lines between subtitles becomes one empty line. A replaced SubRip subtitle
/// takes the place of the text the editor showed for it; a removed one leaves the lines around it
/// as they were. The run is refused with kFileChangedMeanwhile when the file no longer holds a
/// changed subtitle where its entry says.
RunResult WriteSubtitleChanges(const SubtitleIndex& index, const std::string& output,
                               std::span<const SubtitleChange> changes, bool interactive,
                               Host& host);

/// Puts the written copy in the place of the held file it was made from, in one rename (the file
/// is never missing or half-written) with the file's owner and mode (HeldFile::ReplaceWith,
/// without the trash). False, with "File Not Renamed!!!" (when interactive), when the copy is
/// gone; FileError when it cannot be put in place (the copy stays), also when another program
/// changed the file meanwhile.
bool ReplaceWithCopy(const std::string& copy, HeldFile& file, bool interactive, Host& host);

/// The text of an edit box split into lines for writing: at line feeds (a CR before one is
/// dropped), each line trimmed of spaces, empty lines dropped.
[[nodiscard]] LineList LinesForWriting(std::string_view text);
[[nodiscard]] LineList LinesForWriting(const LineList& lines);

/// The timing a subtitle of the format can be written with: a SubRip timing line whose times
/// convert, or a MicroDVD frame prefix {on}{off} of frame numbers within kMaxFrame; in either
/// the end is not before the start. A message when it is not.
/// Why lines of text (as LinesForWriting gives them) are more than the editor loads
/// (kMaxEditedLines, kMaxEditedBytes): written, such a subtitle could never be shown again.
/// Nothing when they fit.
[[nodiscard]] std::optional<std::string> CheckEditedText(const LineList& lines);

[[nodiscard]] std::optional<std::string> CheckTiming(SubtitleFormat format, std::string_view timing,
                                                     char openBracket, char closeBracket);

}  // namespace tessaline
