#include "ops/catalogue.hpp"

#include "ops/all_in_one.hpp"

#include "ops/break_subtitles.hpp"
#include "ops/change_case.hpp"
#include "ops/convert.hpp"
#include "ops/correction.hpp"
#include "ops/delimiters.hpp"
#include "ops/dialog_fix.hpp"
#include "ops/extend.hpp"
#include "ops/last_subtitle.hpp"
#include "ops/length_test.hpp"
#include "ops/line_checks.hpp"
#include "ops/line_cut.hpp"
#include "ops/line_ends.hpp"
#include "ops/offset.hpp"
#include "ops/recode.hpp"
#include "ops/renumber.hpp"
#include "ops/results.hpp"
#include "ops/search.hpp"
#include "ops/split_join.hpp"
#include "ops/stretch.hpp"
#include "ops/sync.hpp"
#include "ops/tag_ops.hpp"
#include "ops/timing_check.hpp"
#include "ops/timing_fixes.hpp"
#include "ops/timing_transfer.hpp"
#include "ops/to_bottom.hpp"
#include "ops/to_one_line.hpp"

namespace tessaline {
namespace {

// One row per operation, in the order of the program's help.
// clang-format off
constexpr const Operation* kCatalogue[] = {
    &kOffsetTimeOperation,          &kOffsetTailOperation,    &kOffsetCountOperation,
    &kOffsetReCountOperation,       &kOffsetFrameOperation,   &kConvertOperation,
    &kSubtitlesCorrectionOperation, &kRenameOutFileOperation, &kDeleteFileOperation,
    &kFixDelimitersOperation,       &kFixDigitsOperation,     &kCheckEndLettersOperation,
    &kFixDialogOperation,           &kRemoveTagOperation,     &kFixTagsOperation,
    &kReflowTagsOperation,
    &kToOneLineOperation, &kToBottomOperation, &kSetLengthOperation, &kLengthTestOperation,
    &kBreakSubDialogOperation, &kBreakBigTextOperation,
    &kReplaceTimingsOperation,
    &kCompareTimingsOperation,
    &kFixDoubleTimeOperation,
    &kFixWrongTimeOperation,
    &kSplitTimeTextOperation,
    &kJoinTimeTextOperation,
    &kAddLastSubtitleOperation,
    &kDelLastSubtitleOperation,
    &kSubtitleTimeCorrectionOperation,
    &kGetRangeOperation,            &kSetTimeOperation,       &kStretchOperation,
    &kStretchFpsOperation,          &kTimeTestOperation,      &kFrameTestOperation,
    &kExtendTimeOperation,          &kSyncOperation,
    &kFindTextOperation, &kRemoveLinesOperation, &kReplaceTextOperation, &kReplaceListOperation,
    &kRecodeOperation, &kDetectEncodingOperation, &kUnixToDosOperation, &kAnyToDosOperation,
    &kChangeCaseOperation,
    &kAllInOneOperation,
};
// clang-format on

}  // namespace

std::span<const Operation* const> Catalogue() {
    return kCatalogue;
}

const Operation* FindOperation(std::string_view command) {
    for (const Operation* op : kCatalogue) {
        if (op->command == command) return op;
    }
    return nullptr;
}

std::optional<OperationVariant> FindTrigger(std::string_view control) {
    for (const Operation* op : kCatalogue) {
        for (const Trigger& trigger : op->triggers) {
            if (trigger.control == control) return OperationVariant{op, trigger.variant};
        }
    }
    return std::nullopt;
}

std::optional<OperationVariant> OperationOfCode(int code) {
    for (const Operation* op : kCatalogue) {
        for (const VariantCode& vc : op->codes) {
            if (vc.code == code) return OperationVariant{op, vc.variant};
        }
    }
    return std::nullopt;
}

}  // namespace tessaline
