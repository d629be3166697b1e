#include "ops/replace_table.hpp"

#include <utility>

#include "core/chars.hpp"
#include "core/typed_text.hpp"
#include "files/line_io.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

ReplacePair ReplaceTable::ParseLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {std::string(line), {}};
    return {std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))};
}

ReplaceTable ReplaceTable::Load(const std::string& path) {
    ReplaceTable table;
    std::vector<std::string> lines = ReadLinesIfExists(path);
    if (!lines.empty() && lines.front().starts_with(kUtf8Bom)) {
        lines.front().erase(0, kUtf8Bom.size());
        table.form_ = TextForm::Utf8;
    }
    for (const std::string& line : lines) {
        if (!line.empty()) table.pairs_.push_back(ParseLine(line));
    }
    return table;
}

void ReplaceTable::Save(const std::string& path) const {
    std::vector<std::string> lines;
    lines.reserve(pairs_.size());
    for (const ReplacePair& pair : pairs_)
        lines.push_back(pair.find + "=" + pair.replacement);
    WriteLinesReplacing(
        path, lines,
        form_ == TextForm::Utf8 ? FileEncoding{TextEncoding::Utf8, true} : FileEncoding{});
}

std::vector<ReplacePair> ReplaceTable::PairsInCurrentForm(
    std::vector<std::pair<std::size_t, char32_t>>* skipped) const {
    const TextForm to = CurrentTextForm();
    if (form_ == to) return pairs_;
    std::vector<ReplacePair> pairs;
    pairs.reserve(pairs_.size());
    for (std::size_t row = 0; row < pairs_.size(); ++row) {
        const ReplacePair& pair = pairs_[row];
        if (form_ == TextForm::Cp1251) {
            pairs.push_back({FromCp1251(pair.find), FromCp1251(pair.replacement)});
            continue;
        }
        TypedText find = TypedInForm(pair.find, TextForm::Cp1251);
        TypedText replacement = TypedInForm(pair.replacement, TextForm::Cp1251);
        if (const auto missing = find.missing ? find.missing : replacement.missing) {
            if (skipped != nullptr) skipped->emplace_back(row + 1, *missing);
            continue;
        }
        pairs.push_back({std::move(find.text), std::move(replacement.text)});
    }
    return pairs;
}

bool ReplaceTable::IsStorableFind(std::string_view find) {
    return find.find_first_of("=\r\n") == std::string_view::npos;
}

bool ReplaceTable::IsStorableReplacement(std::string_view replacement) {
    return replacement.find_first_of("\r\n") == std::string_view::npos;
}

bool ReplaceTable::Add(ReplacePair pair) {
    if (!IsStorableFind(pair.find) || !IsStorableReplacement(pair.replacement)) return false;
    pairs_.push_back(std::move(pair));
    return true;
}

bool ReplaceTable::SetFind(std::size_t row, std::string find) {
    if (row >= pairs_.size() || !IsStorableFind(find)) return false;
    pairs_[row].find = std::move(find);
    return true;
}

bool ReplaceTable::SetReplacement(std::size_t row, std::string replacement) {
    if (row >= pairs_.size() || !IsStorableReplacement(replacement)) return false;
    pairs_[row].replacement = std::move(replacement);
    return true;
}

void ReplaceTable::Remove(std::size_t row) {
    if (row < pairs_.size()) pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(row));
}

bool ReplaceTable::Move(std::size_t row, int direction) {
    if (row >= pairs_.size() || direction == 0) return false;
    if (direction < 0 && row == 0) return false;
    if (direction > 0 && row + 1 >= pairs_.size()) return false;
    const std::size_t other = direction < 0 ? row - 1 : row + 1;
    std::swap(pairs_[row], pairs_[other]);
    return true;
}

}  // namespace tessaline
