#pragma once

// An INI file held as its lines, so that an update keeps every line, key and section it does
// not touch: comments, sections and keys this program does not know stay as they were written.
// Text is Windows-1251 bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

class IniFile {
  public:
    /// Reads the file; an absent file gives an empty one.
    static IniFile Load(const std::string& path);

    /// The raw value of a key (everything after the first "="), or nothing. Sections and keys
    /// are matched without regard to case, as INI files are.
    [[nodiscard]] std::optional<std::string> Get(std::string_view section,
                                                 std::string_view key) const;

    /// Sets a key, in place when it exists, else at the end of its section; a missing section
    /// is added at the end of the file.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    /// Puts a line at the very top, before any section (the version line of a new file).
    void PrependLine(std::string_view line);

    [[nodiscard]] const std::vector<std::string>& lines() const { return lines_; }

    /// Writes every line with CR LF ends, replacing the file.
    void Save(const std::string& path) const;

  private:
    // Index of the section's header line, or nothing.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index of the key's line inside the section that starts at `header`, or nothing.
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    // One past the section's last key line (blank lines at its end excluded).
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<std::string> lines_;
};

}  // namespace tessaline
