#pragma once

// The values of every stored setting, read from and written to Tessaline.ini through the one
// table of keys.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/ini_file.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {

/// The version line that opens a new Tessaline.ini.
inline constexpr std::string_view kVersionLinePrefix = "Tessaline v.3.7.12.153 (";

class Settings {
  public:
    /// Every key at its default.
    Settings();

    [[nodiscard]] const std::string& Text(std::string_view key) const;
    [[nodiscard]] bool Bool(std::string_view key) const;
    /// The value of an integer key; 0 for an empty one (Top before a window has placed itself).
    [[nodiscard]] int Int(std::string_view key) const;

    void SetText(std::string_view key, std::string_view value);
    void SetBool(std::string_view key, bool value);
    void SetInt(std::string_view key, int value);

    /// Sets a key from its written form, checked against the key's type. Returns a message for
    /// an unknown key or a malformed value, and leaves the setting as it was.
    [[nodiscard]] std::optional<std::string> Assign(std::string_view key, std::string_view value);

    /// Reads every key in table order; a missing key keeps its default, and so does a malformed
    /// or out-of-range one, which adds a warning naming the key, the value and the default.
    /// LastOpenFileString and LastOpenAddFileString are read only when their Save flag is 1.
    std::vector<std::string> ReadFrom(const IniFile& ini);

    /// Writes every key (the two remembered paths only when their Save flag is 1). A file without
    /// lines first gets the version line and the four sections in their order.
    void WriteTo(IniFile& ini) const;

    /// The effective settings as INI text: each section once, its keys in table order.
    [[nodiscard]] std::string ToIniText() const;

    /// The version line of a new file, with the time as a day number (days since 1899-12-30).
    [[nodiscard]] static std::string VersionLine();

  private:
    [[nodiscard]] std::size_t IndexOf(std::string_view key) const;
    // The key is read from and written to the file in this state.
    [[nodiscard]] bool IsStored(const SettingDef& def) const;

    std::vector<std::string> values_;
};

/// The value as stored when `text` suits the key's type and range (integers without blanks or
/// a plus sign), else nullopt. `--set`, Tessaline.ini and the Parameters window share this check.
[[nodiscard]] std::optional<std::string> NormalSettingValue(const SettingDef& def,
                                                            std::string_view text);
/// What a key takes, for messages: "0 or 1", "an integer from 1 to 100", ...
[[nodiscard]] std::string SettingValueRule(const SettingDef& def);

/// Reads a written boolean: an integer, non-zero meaning on.
[[nodiscard]] std::optional<bool> ParseBoolSetting(std::string_view text);
/// Reads a written integer (decimal, optional sign).
[[nodiscard]] std::optional<int> ParseIntSetting(std::string_view text);

}  // namespace tessaline
