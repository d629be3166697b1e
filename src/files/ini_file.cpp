#include "files/ini_file.hpp"

#include "core/chars.hpp"
#include "core/strings.hpp"
#include "files/line_io.hpp"

namespace tessaline {
namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerFoldStr(a) == LowerFoldStr(b);
}

std::string_view Trimmed(std::string_view text) {
    return TrimCharSet(text, " \t");
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view t = Trimmed(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
    return Trimmed(t.substr(1, t.size() - 2));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trimmed(line.substr(0, eq));
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
    IniFile ini;
    ini.lines_ = ReadLinesIfExists(path);
    return ini;
}

std::optional<std::size_t> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i]);
        if (name && SameNoCase(*name, section)) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(std::size_t header, std::string_view key) const {
    for (std::size_t i = header + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
        const auto name = KeyOf(lines_[i]);
        if (name && SameNoCase(*name, key)) return i;
    }
    return std::nullopt;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    for (std::size_t i = header + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
        if (!Trimmed(lines_[i]).empty()) end = i + 1;
    }
    return end;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    const auto at = FindKey(*header, key);
    if (!at) return std::nullopt;
    return lines_[*at].substr(lines_[*at].find('=') + 1);
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + std::string(value);
    auto header = FindSection(section);
    if (!header) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::move(line));
        return;
    }
    if (const auto at = FindKey(*header, key)) {
        lines_[*at] = std::move(line);
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*header)),
                  std::move(line));
}

void IniFile::PrependLine(std::string_view line) {
    lines_.insert(lines_.begin(), std::string(line));
}

void IniFile::Save(const std::string& path) const {
    WriteLinesReplacing(path, lines_);
}

}  // namespace tessaline
