#include "ops/catalogue.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ops/controls.hpp"
#include "ops/directory_codes.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {
namespace {

// What the front ends rely on: each name once, and every name a descriptor gives is one the
// settings, the controls and the runner know.
TEST(Catalogue, EveryDescriptorNamesKnownSettingsControlsAndCodes) {
    std::set<std::string_view> commands;
    std::set<std::string_view> triggers;
    std::map<int, std::string_view> codes;
    for (const Operation* op : Catalogue()) {
        SCOPED_TRACE(op->command);
        EXPECT_TRUE(commands.insert(op->command).second) << "command twice";
        EXPECT_EQ(FindOperation(op->command), op);
        EXPECT_NE(op->run, nullptr);
        EXPECT_FALSE(op->summary.empty() || op->help.empty());
        // The log texts: "[Button] Click", or "menu [Item] Click"; empty: no log line (the
        // code-page conversions other than UTF-8's).
        const auto logTextIsWellFormed = [](std::string_view text) {
            return text.empty() || ((text.starts_with("[") || text.starts_with("menu [")) &&
                                    text.ends_with("] Click"));
        };
        EXPECT_TRUE(logTextIsWellFormed(op->logText)) << op->logText;
        for (const Trigger& trigger : op->triggers) {
            EXPECT_TRUE(triggers.insert(trigger.control).second) << trigger.control;
            EXPECT_TRUE(logTextIsWellFormed(trigger.logText)) << trigger.logText;
            const auto found = FindTrigger(trigger.control);
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(found->operation, op);
            if (trigger.variant == kVariantFromControl) {
                EXPECT_FALSE(op->variantControl.empty());
            }
        }
        for (const VariantCode& vc : op->codes) {
            EXPECT_NE(FindDirectoryOperation(vc.code), nullptr) << vc.code;
            EXPECT_TRUE(codes.emplace(vc.code, op->command).second) << "code twice: " << vc.code;
            EXPECT_EQ(OperationOfCode(vc.code)->operation, op);
        }
        for (std::string_view key : op->settings)
            EXPECT_NE(LookupSettingDef(key), nullptr) << key;
        for (std::string_view control : op->controls)
            EXPECT_NE(LookupControlDef(control), nullptr) << control;
        if (!op->variantControl.empty()) {
            EXPECT_NE(LookupControlDef(op->variantControl), nullptr);
        }
        std::set<std::string_view> options;
        for (const OptionDef& def : op->options) {
            EXPECT_TRUE(options.insert(def.name).second) << def.name;
            if (def.setting) {
                EXPECT_NE(LookupSettingDef(def.control), nullptr) << def.name;
            } else if (!def.control.empty()) {
                EXPECT_NE(LookupControlDef(def.control), nullptr) << def.name;
            }
            if (def.kind == OptionKind::Time) {
                EXPECT_NE(LookupControlDef(def.msControl), nullptr) << def.name;
            }
        }
    }
    // The file commands, the timing shifts, the conversions and the correction are offered.
    for (const char* command : {"offset-time",
                                "offset-tail",
                                "offset-count",
                                "recount",
                                "offset-frame",
                                "convert",
                                "correct",
                                "rename-out",
                                "delete-file",
                                "fix-delimiters",
                                "fix-digits",
                                "check-end-letters",
                                "fix-dialog",
                                "remove-tag",
                                "fix-tags",
                                "reflow-tags",
                                "replace-timings",
                                "compare-timings",
                                "fix-double-time",
                                "fix-wrong-time",
                                "split-time-text",
                                "join-time-text",
                                "add-last-subtitle",
                                "delete-last-subtitle",
                                "subtitle-time-correction",
                                "get-range",
                                "set-time",
                                "stretch",
                                "stretch-fps",
                                "time-test",
                                "frame-test",
                                "extend-time"}) {
        EXPECT_NE(FindOperation(command), nullptr) << command;
    }
    for (const char* command :
         {"find-text", "remove-lines", "replace-text", "replace-list", "recode", "detect-encoding",
          "unix-to-dos", "any-to-dos", "change-case"}) {
        EXPECT_NE(FindOperation(command), nullptr) << command;
    }
    EXPECT_EQ(FindOperation("settings"), nullptr);
}

TEST(Catalogue, ButtonsAndCodesLeadToTheirOperationAndVariant) {
    const struct {
        int code;
        const char* command;
        int variant;
    } codes[] = {{0, "rename-out", kAnyVariant},
                 {1, "recount", kAnyVariant},
                 {2, "convert", 0},
                 {3, "convert", 1},
                 {15, "convert", 2},
                 {16, "correct", kAnyVariant},
                 {24, "delete-file", kAnyVariant},
                 {26, "offset-time", kAnyVariant},
                 {27, "convert", 3},
                 {17, "fix-delimiters", kAnyVariant},
                 {18, "reflow-tags", kAnyVariant},
                 {22, "fix-tags", kAnyVariant},
                 {29, "remove-tag", kAnyVariant},
                 {32, "fix-dialog", kAnyVariant},
                 {46, "fix-digits", kAnyVariant},
                 {47, "check-end-letters", kAnyVariant},
                 {19, "fix-double-time", kAnyVariant},
                 {20, "fix-wrong-time", kAnyVariant},
                 {28, "add-last-subtitle", kAnyVariant},
                 {31, "delete-last-subtitle", kAnyVariant},
                 {33, "subtitle-time-correction", kAnyVariant},
                 {7, "time-test", kAnyVariant},
                 {8, "frame-test", kAnyVariant},
                 {9, "extend-time", kAnyVariant},
                 {10, "stretch-fps", 0},
                 {23, "stretch-fps", 1},
                 {11, "find-text", kAnyVariant},
                 {30, "replace-list", kAnyVariant},
                 {34, "recode", 0},
                 {42, "recode", 8},
                 {43, "recode", kAnyVariant},
                 {45, "any-to-dos", kAnyVariant}};
    for (const auto& c : codes) {
        const auto found = OperationOfCode(c.code);
        ASSERT_TRUE(found.has_value()) << c.code;
        EXPECT_EQ(found->operation->command, c.command) << c.code;
        EXPECT_EQ(found->variant, c.variant) << c.code;
    }
    EXPECT_FALSE(OperationOfCode(49).has_value());
    EXPECT_EQ(OperationOfCode(48)->operation->command, "sync");
    EXPECT_EQ(FindOperation("convert")->CodeOf(3), 27);
    EXPECT_EQ(FindOperation("offset-tail")->CodeOf(0), -1);
    EXPECT_EQ(FindTrigger("mnRenameFile")->operation->command, "rename-out");
    EXPECT_EQ(FindTrigger("btnSubToSub")->variant, kVariantFromControl);
    EXPECT_FALSE(FindTrigger("btnNoSuchButton").has_value());
    // The two delimiter buttons: one operation, each button its fix and its log text.
    const Operation& delimiters = *FindOperation("fix-delimiters");
    EXPECT_EQ(FindTrigger("btnSubDelimitersFix")->variant, 0);
    EXPECT_EQ(FindTrigger("btnSubDelSpaceBeforeDelimiters")->variant, 2);
    EXPECT_EQ(delimiters.LogTextOf(0), "[Fix Delimiters:] Click");
    EXPECT_EQ(delimiters.LogTextOf(2), "[Del Space b4:] Click");
    EXPECT_EQ(delimiters.CodeOf(2), 17);
    // The twins on the two pages run the same operation.
    EXPECT_EQ(FindTrigger("btnTimeTestDbl")->operation, FindTrigger("btnTimeTest")->operation);
    EXPECT_EQ(FindTrigger("btnGetRangeFrames")->variant, 1);
    const Operation* getRange = FindOperation("get-range");
    EXPECT_EQ(getRange->LogTextOf(1), "[Get Range Frames] Click");
    EXPECT_EQ(getRange->LogTextOf(0), "[Get Range Time] Click");
    EXPECT_EQ(FindOperation("stretch-fps")->LogTextOf(1),
              "[Sprain Range Time / Frames at Second] Click");
    // The detected conversion runs over a folder under the UTF-8 conversion's code.
    const Operation* recode = FindOperation("recode");
    EXPECT_EQ(recode->CodeOf(FindTrigger("mnUTF82Win")->variant), 43);
    EXPECT_EQ(recode->CodeOf(FindTrigger("mnAuto2Win")->variant), 43);
    EXPECT_EQ(recode->LogTextOf(FindTrigger("mnUTF82Win")->variant), "[UTF8 --> win1251] Click");
    EXPECT_EQ(recode->LogTextOf(FindTrigger("mnKOI8R2Win")->variant), "");
    EXPECT_EQ(FindOperation("change-case")->LogTextOf(FindTrigger("mnTextToSwitchCase")->variant),
              "menu [Text to sWITCH cASE] Click");
    const Operation twoKinds{.extension = "srt|sub"};
    for (const char* ext : {"srt", "sub"})
        EXPECT_TRUE(twoKinds.Accepts(ext)) << ext;
    for (const char* ext : {"ssa", "sr", "", "srt|sub"})
        EXPECT_FALSE(twoKinds.Accepts(ext)) << ext;
    EXPECT_TRUE(Operation{}.Accepts("txt"));
}

TEST(ControlValues, StartAtTheTableAndMarkWhatChanged) {
    ControlValues values;
    EXPECT_EQ(values.Text("cbOutExt"), "*.out");
    EXPECT_EQ(values.Time("dtpOffsetTime", "seOffsetTimeMls"), 0u);
    EXPECT_TRUE(values.TakeChanged().empty());

    values.SetTime("dtpOffsetTime", "seOffsetTimeMls", 3'723'045);  // 01:02:03,045
    values.SetNumber("sedOffsetCount", -9'000'000'000);
    EXPECT_EQ(values.Text("dtpOffsetTime"), "01:02:03");
    EXPECT_EQ(values.Int("seOffsetTimeMls"), 45);
    EXPECT_EQ(values.Time("dtpOffsetTime", "seOffsetTimeMls"), 3'723'045u);
    EXPECT_EQ(values.Number("sedOffsetCount"), -9'000'000'000);
    EXPECT_EQ(values.Int("sedOffsetCount"), 0);  // beyond an int
    EXPECT_EQ(values.TakeChanged(), (std::vector<std::string_view>{
                                        "dtpOffsetTime", "seOffsetTimeMls", "sedOffsetCount"}));
    EXPECT_TRUE(values.TakeChanged().empty());
    EXPECT_THROW((void)values.Text("noSuchControl"), std::invalid_argument);
}

}  // namespace
}  // namespace tessaline
