#include "ops/settings.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "test_support.hpp"

namespace tessaline {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Writes `text` as an INI file and loads it.
IniFile LoadText(const TempDir& dir, std::string_view text) {
    WriteFile(dir / "t.ini", text);
    return IniFile::Load((dir / "t.ini").string());
}

// A value of the key's type that differs from its default.
std::string OtherValue(const SettingDef& def) {
    switch (def.type) {
        case SettingType::Bool:
            return def.defaultValue == "1" ? "0" : "1";
        case SettingType::Int:
            if (def.defaultValue.empty()) return "-321";
            return std::to_string(DefaultInt(def.key) == def.min ? def.max : def.min);
        case SettingType::Rate:
            return "23,976";
        case SettingType::Text:
            return " x=" + std::string(def.defaultValue) + test::W("ё");
    }
    return "";
}

TEST(Settings, EveryKeyRoundTripsThroughANewFile) {
    TempDir dir;
    Settings written;
    for (const SettingDef& def : kSettingTable)
        ASSERT_EQ(written.Assign(def.key, OtherValue(def)), std::nullopt) << def.key;
    IniFile ini;
    written.WriteTo(ini);
    ini.Save((dir / "t.ini").string());

    Settings read;
    read.ReadFrom(IniFile::Load((dir / "t.ini").string()));
    for (const SettingDef& def : kSettingTable)
        EXPECT_EQ(read.Text(def.key), OtherValue(def)) << def.key;
}

TEST(Settings, NewFileHasTheVersionLineAndTheFourSectionsInOrder) {
    TempDir dir;
    IniFile ini;
    Settings().WriteTo(ini);
    ini.Save((dir / "t.ini").string());
    const std::vector<std::string>& lines = ini.lines();
    std::string crlf;
    for (const std::string& line : lines)
        crlf += line + "\r\n";
    EXPECT_EQ(ReadFile(dir / "t.ini"), crlf);
    // After the version line: every key with its default, as the expected file lists them, but
    // for the two remembered paths, which are written only when their flags are on.
    std::string expected = test::DefaultSettingsFile();
    for (std::string_view line : {"LastOpenFileString=\r\n", "LastOpenAddFileString=\r\n"})
        expected.erase(expected.find(line), line.size());
    EXPECT_EQ(crlf.substr(crlf.find("\r\n") + 2), expected);

    const std::string& version = lines[0];
    ASSERT_EQ(version.rfind(kVersionLinePrefix, 0), 0u) << version;
    ASSERT_EQ(version.back(), ')');
    const double day = std::stod(version.substr(kVersionLinePrefix.size()));
    using std::chrono::system_clock;
    const double now = system_clock::to_time_t(system_clock::now()) / 86400.0 + 25569.0;
    EXPECT_NEAR(day, now, 0.01);

    // Sections in their fixed order, each key under its own section (UpCaseTextInBrackets
    // stands among the Parameters keys in the table but belongs to Settings).
    std::vector<std::string> sections;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].front() == '[') {
            sections.push_back(lines[i]);
            continue;
        }
        const std::string key = lines[i].substr(0, lines[i].find('='));
        const SettingDef* def = LookupSettingDef(key);
        ASSERT_TRUE(def != nullptr && !sections.empty()) << lines[i];
        EXPECT_EQ("[" + std::string(def->section) + "]", sections.back()) << key;
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[Settings]", "[Parameters]", "[SubsListWindow]",
                                                  "[Window]"}));
}

TEST(Settings, UpdateKeepsForeignLinesAndOrderAndWritesMissingKeys) {
    TempDir dir;
    IniFile ini = LoadText(dir, Crlf({"; mine", "[window]", "LEFT=50", "Custom=keep", "", "[Other]",
                                      "A=1", "[Settings]", "lastdir=/old"}));
    Settings settings;
    settings.ReadFrom(ini);
    EXPECT_EQ(settings.Int("Left"), 50);
    settings.SetText("LastDir", "/new");
    settings.WriteTo(ini);

    const std::vector<std::string>& lines = ini.lines();
    const std::vector<std::string> head(lines.begin(), lines.begin() + 10);
    EXPECT_EQ(head,
              (std::vector<std::string>{"; mine", "[window]", "Left=50", "Custom=keep", "Top=", "",
                                        "[Other]", "A=1", "[Settings]", "LastDir=/new"}));
    // Every other key is written with its default.
    EXPECT_EQ(ini.Get("Parameters", "TimeCorrection"), "1");
    EXPECT_EQ(ini.Get("SubsListWindow", "col6"), "30");
}

// A key is looked for in its own section only: the same key in a later section is another one,
// and setting the missing key adds it to its own section.
TEST(IniFile, AKeyBelongsToItsSection) {
    TempDir dir;
    const std::string text = Crlf({"[A]", "x=1", "", "[B]", "k=2", "X=3"});
    const IniFile ini = LoadText(dir, text);
    const struct {
        const char *section, *key;
        std::optional<std::string> value;
    } reads[] = {
        {"A", "k", std::nullopt}, {"B", "k", "2"},          {"a", "X", "1"},
        {"B", "x", "3"},          {"C", "k", std::nullopt}, {"A", "", std::nullopt},
    };
    for (const auto& r : reads) {
        EXPECT_EQ(ini.Get(r.section, r.key), r.value) << r.section << "/" << r.key;
    }
    const struct {
        const char *section, *key;
        std::vector<std::string> lines;
    } writes[] = {
        {"A", "k", {"[A]", "x=1", "k=9", "", "[B]", "k=2", "X=3"}},
        {"B", "k", {"[A]", "x=1", "", "[B]", "k=9", "X=3"}},
        {"C", "k", {"[A]", "x=1", "", "[B]", "k=2", "X=3", "[C]", "k=9"}},
    };
    for (const auto& w : writes) {
        IniFile changed = LoadText(dir, text);
        changed.Set(w.section, w.key, "9");
        EXPECT_EQ(changed.lines(), w.lines) << w.section << "/" << w.key;
        EXPECT_EQ(changed.Get(w.section, w.key), "9");
    }
}

TEST(Settings, ReadsKeysWithoutRegardToCaseAndNumbersLeniently) {
    struct Case {
        const char* line;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"deltasym=9", "DeltaSym", "9"},
        {"  DELTASYM  = 9 ", "DeltaSym", "9"},  // blanks around a number are dropped
        {"DeltaSym=abc", "DeltaSym", "5"},      // malformed: the default stays
        {"DeltaSym=5x", "DeltaSym", "5"},
        {"DeltaSym=", "DeltaSym", "5"},
        {"useEXCLUDE=0", "UseExclude", "0"},
        {"UseExclude=yes", "UseExclude", "1"},
        {"ExcludeFix= <,x", "ExcludeFix", " <,x"},  // a text is taken exactly
        {"TextToFind=a=b ", "TextToFind", "a=b "},
        {"Left=7", "Left", "2"},  // in the wrong section: not this key
    };
    for (const Case& c : cases) {
        TempDir dir;
        Settings settings;
        settings.ReadFrom(LoadText(dir, Crlf({"[SETTINGS]", c.line})));
        EXPECT_EQ(settings.Text(c.key), c.expected) << c.line;
    }
}

TEST(Settings, LastOpenFileStringIsStoredOnlyWhenItsSaveFlagIsOn) {
    for (const char* save : {"0", "1"}) {
        TempDir dir;
        Settings read;
        read.ReadFrom(
            LoadText(dir, Crlf({"[Parameters]", std::string("SaveLastOpenFileString=") + save,
                                "LastOpenFileString=/a/b.srt"})));
        EXPECT_EQ(read.Text("LastOpenFileString"), *save == '1' ? "/a/b.srt" : "") << save;

        Settings written;
        ASSERT_EQ(written.Assign("SaveLastOpenFileString", save), std::nullopt);
        written.SetText("LastOpenFileString", "/c.srt");
        IniFile ini;
        written.WriteTo(ini);
        EXPECT_EQ(ini.Get("Parameters", "LastOpenFileString"),
                  *save == '1' ? std::optional<std::string>("/c.srt") : std::nullopt);
    }
}

TEST(Settings, AssignRejectsUnknownKeysAndMalformedValues) {
    struct Case {
        const char* key;
        const char* value;
        bool accepted;
        const char* after;
    };
    const Case cases[] = {
        {"NoSuchKey", "1", false, nullptr}, {"UseExclude", "2", false, "1"},
        {"UseExclude", "on", false, "1"},   {"UseExclude", "", false, "1"},
        {"UseExclude", "0", true, "0"},     {"DeltaSym", "x", false, "5"},
        {"DeltaSym", "1.5", false, "5"},    {"DeltaSym", "", false, "5"},
        {"DeltaSym", "-1", false, "5"},     {"DeltaSym", "10", true, "10"},
        {"ExcludeFix", " ab", true, " ab"},
    };
    for (const Case& c : cases) {
        Settings settings;
        EXPECT_EQ(settings.Assign(c.key, c.value).has_value(), !c.accepted)
            << c.key << "=" << c.value;
        if (c.after != nullptr) {
            EXPECT_EQ(settings.Text(c.key), c.after) << c.key;
        }
    }
}

TEST(Settings, ToIniTextListsEachSectionOnceAndReadsBack) {
    EXPECT_EQ(Settings().ToIniText(), test::DefaultSettingsFile(true));
    Settings changed;
    ASSERT_FALSE(changed.Assign("UpCaseTextInBrackets", "1"));
    ASSERT_FALSE(changed.Assign("TimeCorrection", "0"));
    const std::string text = changed.ToIniText();
    EXPECT_EQ(text.rfind("[Settings]\nLastDir=\nFindCharFlag=0\nTextToFind=<\n", 0), 0u);
    for (std::string_view section :
         {"[Settings]", "[Parameters]", "[SubsListWindow]", "[Window]"}) {
        EXPECT_EQ(text.find(section), text.rfind(section)) << section;
    }
    EXPECT_TRUE(text.ends_with("col6=30\n[Window]\nTop=\nLeft=2\n"));

    TempDir dir;
    WriteFile(dir / "read.ini", text);
    Settings reread;
    reread.ReadFrom(IniFile::Load((dir / "read.ini").string()));
    for (const SettingDef& def : kSettingTable)
        EXPECT_EQ(reread.Text(def.key), changed.Text(def.key)) << def.key;
}

// Every integer key: its two ends are taken, one step beyond either end is refused by --set's
// Assign and by Tessaline.ini, which names the key and the value and keeps the default.
TEST(Settings, EveryIntegerKeyIsHeldToItsRange) {
    for (const SettingDef& def : kSettingTable) {
        if (def.type != SettingType::Int) continue;
        const std::string key(def.key);
        for (const int value : {def.min, def.max}) {
            Settings settings;
            EXPECT_EQ(settings.Assign(key, std::to_string(value)), std::nullopt) << key;
            EXPECT_EQ(settings.Int(key), value) << key;
        }
        for (const long long value : {def.min - 1LL, def.max + 1LL}) {
            const std::string text = std::to_string(value);
            Settings assigned;
            const auto error = assigned.Assign(key, text);
            ASSERT_TRUE(error.has_value()) << key << "=" << text;
            EXPECT_NE(error->find(key), std::string::npos) << *error;
            EXPECT_NE(error->find("'" + text + "'"), std::string::npos) << *error;
            EXPECT_NE(error->find(std::to_string(def.max)), std::string::npos) << *error;
            EXPECT_EQ(assigned.Text(key), def.defaultValue) << key;

            TempDir dir;
            Settings read;
            const auto warnings = read.ReadFrom(
                LoadText(dir, Crlf({"[" + std::string(def.section) + "]", key + "=" + text})));
            EXPECT_EQ(read.Text(key), def.defaultValue) << key;
            ASSERT_EQ(warnings.size(), 1u) << key;
            EXPECT_EQ(warnings[0].rfind(key + "='" + text + "'", 0), 0u) << warnings[0];
            EXPECT_NE(warnings[0].find("default '" + std::string(def.defaultValue) + "'"),
                      std::string::npos)
                << warnings[0];
        }
    }
}

// The values the table's types refuse, read from Tessaline.ini as --set reads them.
TEST(Settings, IniValuesAreCheckedAsSetChecksThem) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* after;  // the value read, or nullptr when it is refused
    };
    const Case cases[] = {
        {"Settings", "FramesAtSec", "abc", nullptr},
        {"Settings", "FramesAtSec", "0", nullptr},
        {"Settings", "FramesAtSec", "-25", nullptr},
        {"Settings", "FramesAtSec", "1001", nullptr},
        {"Settings", "FramesAtSec", "nan", nullptr},
        {"Settings", "FramesAtSec", "23,976", "23,976"},
        {"Settings", "FramesAtSecTarget", "1000", "1000"},
        {"Settings", "FramesAtSecTarget", "29.97", "29.97"},
        {"Settings", "SubLineLength", "0", nullptr},
        {"Settings", "SubLineLength", "-1", nullptr},
        {"Settings", "SubLineLength", "99999999999", nullptr},
        {"Settings", "SubLineLength", "100", "100"},
        {"Settings", "SubLineCount", "0", nullptr},
        {"Window", "Top", "", ""},  // not placed yet
        {"Window", "Top", "-40", "-40"},
    };
    for (const Case& c : cases) {
        const std::string line = std::string(c.key) + "=" + c.value;
        Settings assigned;
        const auto error = assigned.Assign(c.key, c.value);
        EXPECT_EQ(error.has_value(), c.after == nullptr) << line;

        TempDir dir;
        Settings read;
        const auto warnings =
            read.ReadFrom(LoadText(dir, Crlf({"[" + std::string(c.section) + "]", line})));
        EXPECT_EQ(read.Text(c.key), c.after ? c.after : FindSettingDef(c.key).defaultValue) << line;
        EXPECT_EQ(warnings.size(), c.after ? 0u : 1u) << line;
    }
}

}  // namespace
}  // namespace tessaline
