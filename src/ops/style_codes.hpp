#pragma once

// Styles across the MicroDVD <-> SubRip conversions. MicroDVD styles a display line with control
// codes ("{y:i}" italics for the line it starts, "{Y:b,u}" bold and underline for the whole text,
// "{c:$BBGGRR}" a colour); SubRip with tag pairs ("<i>...</i>", "<font color="#RRGGBB">...
// </font>"). What one format cannot say is dropped and counted, so the conversion can report it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tessaline {

/// Turns the text of MicroDVD frame lines (after the frames) into SubRip display lines.
/// Each line is handed over as it is built, in a buffer kept from call to call: a text of a
/// million display lines takes no more memory than its longest line, and a film converts without
/// a heap allocation per line.
class MicroDvdStyles {
  public:
    /// Hands `write` the display lines of `text` ("|"-separated) with the style and colour codes
    /// as SubRip tags; other control codes ("{f:Arial}", "{s:12}", "{P:0}" ...) are dropped.
    /// Leading blanks of a display line go; a display line that is empty or blank stays as it
    /// is, and one that held nothing but codes is left out. Returns the number of codes dropped.
    std::size_t Convert(std::string_view text,
                        const std::function<void(std::string_view line)>& write);

  private:
    void OpenWanted(std::string& line);
    void Apply(std::string_view letterAndValue, bool& dropped);

    std::string line_;
    std::string wholeText_;  // the styles of the upper-case codes: "i", "b", "u", "c"
    std::string wholeColor_;
    std::string wanted_;  // styles of the current line, in the order they were asked for
    std::string color_;   // "#RRGGBB" of the current line
    std::string open_;    // tags open in the current line, innermost last
};

/// Turns SubRip text lines into the display lines of a MicroDVD frame line, one record at a
/// time: a style or colour that covers the whole visible text of a line (also when its tag was
/// opened on an earlier line of the record) becomes its MicroDVD code at the line's start; what
/// covers only part of a line, and tags MicroDVD has no code for (<s>, <font face=...>, a colour
/// by name), are dropped and counted.
class SubRipStyles {
  public:
    /// Forgets the tags left open by the previous record.
    void StartRecord();
    /// `line` as a MicroDVD display line, appended to `out`: its tags as codes at its start, its
    /// leading blanks gone. Nothing is appended for a line without visible text. Returns the
    /// number of tags dropped.
    std::size_t Convert(std::string_view line, std::string& out);

  private:
    bool open_[4] = {};  // i, b, u, colour
    std::string color_;  // "$BBGGRR" of the open colour
    std::string text_;
};

}  // namespace tessaline
