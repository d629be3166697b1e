#include "ops/controls.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

#include "core/chars.hpp"
#include "core/paths.hpp"

namespace tessaline {

const ControlValueDef* LookupControlDef(std::string_view name) {
    for (const ControlValueDef& def : kControlTable) {
        if (def.name == name) return &def;
    }
    return nullptr;
}

ControlValues::ControlValues() : changed_(kControlTable.size(), false) {
    values_.reserve(kControlTable.size());
    for (const ControlValueDef& def : kControlTable)
        values_.emplace_back(def.initial);
}

std::size_t ControlValues::IndexOf(std::string_view name) const {
    const ControlValueDef* def = LookupControlDef(name);
    if (def == nullptr) throw std::invalid_argument("unknown control " + std::string(name));
    return static_cast<std::size_t>(def - kControlTable.data());
}

const std::string& ControlValues::Text(std::string_view name) const {
    return values_[IndexOf(name)];
}

bool ControlValues::Bool(std::string_view name) const {
    return Text(name) == "1";
}

std::int64_t ControlValues::Number(std::string_view name) const {
    const std::string& text = Text(name);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

int ControlValues::Int(std::string_view name) const {
    const std::int64_t value = Number(name);
    return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int>(value);
}

TimeMs ControlValues::Time(std::string_view clock, std::string_view ms) const {
    const std::int64_t millis = Number(ms);
    return ClockToMs(ClockFromText(Text(clock)),
                     static_cast<std::uint32_t>(millis < 0 || millis > 999 ? 0 : millis));
}

void ControlValues::Set(std::string_view name, std::string_view value) {
    const std::size_t i = IndexOf(name);
    values_[i] = value;
    changed_[i] = true;
}

void ControlValues::SetTime(std::string_view clock, std::string_view ms, TimeMs value) {
    const ClockTime whole = MsToClock(value);  // leaves the milliseconds in `value`
    Set(clock, ClockToText(whole));
    SetNumber(ms, value);
}

std::vector<std::string_view> ControlValues::TakeChanged() {
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < changed_.size(); ++i) {
        if (!changed_[i]) continue;
        names.push_back(kControlTable[i].name);
        changed_[i] = false;
    }
    return names;
}

bool IsSubtitleInput(std::string_view path) {
    const std::string ext = "*." + LowerFoldStr(FileExtOf(path));
    return std::find(kSubExtItems.begin(), kSubExtItems.end(), ext) != kSubExtItems.end();
}

}  // namespace tessaline
