#include "ops/settings.hpp"

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "core/errors.hpp"
#include "core/strings.hpp"
#include "core/times.hpp"

namespace tessaline {
namespace {

constexpr std::string_view kSectionOrder[] = {"Settings", "Parameters", "SubsListWindow", "Window"};

// Hand-edited files may write "Key = 1": numbers are read without the blanks around them. Texts
// are taken exactly (ExcludeFix starts with a space that must survive a round trip).
std::string_view NumberText(std::string_view text) {
    return TrimCharSet(text, " \t");
}

}  // namespace

std::optional<bool> ParseBoolSetting(std::string_view text) {
    const auto value = ParseIntSetting(text);
    if (!value) return std::nullopt;
    return *value != 0;
}

std::optional<int> ParseIntSetting(std::string_view text) {
    text = NumberText(text);
    if (!IsNumberStr(text)) return std::nullopt;
    return StrToIntSafe(text);
}

std::optional<std::string> NormalSettingValue(const SettingDef& def, std::string_view text) {
    switch (def.type) {
        case SettingType::Bool:
            if (text != "0" && text != "1") return std::nullopt;
            return std::string(text);
        case SettingType::Int: {
            // An empty Top means "not placed yet"; no other key may be empty.
            if (def.key == "Top" && text.empty()) return std::string();
            const auto n = ParseIntSetting(text);
            if (!n || *n < def.min || *n > def.max) return std::nullopt;
            return std::to_string(*n);
        }
        case SettingType::Rate: {
            const auto fps = ParseFramesPerSecond(NumberText(text));
            if (!fps || *fps <= 0 || *fps > kMaxFramesPerSecond) return std::nullopt;
            return std::string(NumberText(text));
        }
        case SettingType::Text:
            return std::string(text);
    }
    return std::nullopt;
}

std::string SettingValueRule(const SettingDef& def) {
    switch (def.type) {
        case SettingType::Bool:
            return "0 or 1";
        case SettingType::Int:
            return "an integer from " + std::to_string(def.min) + " to " + std::to_string(def.max);
        case SettingType::Rate:
            return "a frame rate above 0 and up to " + std::to_string(kMaxFramesPerSecond) +
                   ", such as 25 or 23,976";
        case SettingType::Text:
            break;
    }
    return "a text";
}

Settings::Settings() {
    values_.reserve(kSettingTable.size());
    for (const SettingDef& def : kSettingTable)
        values_.emplace_back(def.defaultValue);
}

std::size_t Settings::IndexOf(std::string_view key) const {
    const SettingDef* def = LookupSettingDef(key);
    if (def == nullptr) throw std::invalid_argument("unknown setting " + std::string(key));
    return static_cast<std::size_t>(def - kSettingTable.data());
}

const std::string& Settings::Text(std::string_view key) const {
    return values_[IndexOf(key)];
}

bool Settings::Bool(std::string_view key) const {
    return Text(key) == "1";
}

int Settings::Int(std::string_view key) const {
    return StrToIntSafe(Text(key));
}

void Settings::SetText(std::string_view key, std::string_view value) {
    values_[IndexOf(key)] = value;
}

void Settings::SetBool(std::string_view key, bool value) {
    SetText(key, value ? "1" : "0");
}

void Settings::SetInt(std::string_view key, int value) {
    SetText(key, std::to_string(value));
}

std::optional<std::string> Settings::Assign(std::string_view key, std::string_view value) {
    const SettingDef* def = LookupSettingDef(key);
    if (def == nullptr) return "unknown setting " + QuotedText(key);
    const auto normal = NormalSettingValue(*def, value);
    if (!normal) {
        return "setting " + std::string(key) + " takes " + SettingValueRule(*def) + ", not " +
               QuotedText(value);
    }
    SetText(key, *normal);
    return std::nullopt;
}

bool Settings::IsStored(const SettingDef& def) const {
    if (def.key == "LastOpenFileString") return Bool("SaveLastOpenFileString");
    if (def.key == "LastOpenAddFileString") return Bool("SaveLastOpenAddFileString");
    return true;
}

std::vector<std::string> Settings::ReadFrom(const IniFile& ini) {
    std::vector<std::string> warnings;
    // Table order matters: a Save flag is read before the path it guards.
    for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
        const SettingDef& def = kSettingTable[i];
        if (!IsStored(def)) continue;
        const auto raw = ini.Get(def.section, def.key);
        // An empty number ("Left=") is taken as missing: the default, without a warning.
        if (!raw || (def.type != SettingType::Text && NumberText(*raw).empty())) continue;
        // A file may write any integer for a boolean (non-zero is on); the rest is checked as
        // --set checks it.
        std::optional<std::string> value;
        if (def.type == SettingType::Bool) {
            if (const auto b = ParseBoolSetting(*raw)) value = *b ? "1" : "0";
        } else {
            value = NormalSettingValue(def, *raw);
        }
        if (value) {
            values_[i] = *value;
        } else {
            warnings.push_back(std::string(def.key) + "=" + QuotedText(*raw) + " is not " +
                               SettingValueRule(def) + ": the default " +
                               QuotedText(def.defaultValue) + " is used");
        }
    }
    return warnings;
}

void Settings::WriteTo(IniFile& ini) const {
    if (ini.lines().empty()) {
        // A new file: the version line, then the sections in their fixed order.
        ini.PrependLine(VersionLine());
        for (std::string_view section : kSectionOrder) {
            for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
                const SettingDef& def = kSettingTable[i];
                if (def.section == section && IsStored(def)) ini.Set(section, def.key, values_[i]);
            }
        }
        return;
    }
    for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
        const SettingDef& def = kSettingTable[i];
        if (IsStored(def)) ini.Set(def.section, def.key, values_[i]);
    }
}

std::string Settings::ToIniText() const {
    // Each section once, its keys in table order: an INI reader takes only the first block of a
    // section, and the text must read back (through --ini) as the same settings.
    std::string text;
    for (std::string_view section : kSectionOrder) {
        text += "[" + std::string(section) + "]\n";
        for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
            if (kSettingTable[i].section == section) {
                text += std::string(kSettingTable[i].key) + "=" + values_[i] + "\n";
            }
        }
    }
    return text;
}

std::string Settings::VersionLine() {
    // The current date and time as a day number counted from 1899-12-30, the time of day as its
    // fraction: the form the version line carries.
    using namespace std::chrono;
    const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    char day[32];
    std::snprintf(day, sizeof day, "%.10g", seconds / 86400.0 + 25569.0);
    return std::string(kVersionLinePrefix) + day + ")";
}

}  // namespace tessaline
