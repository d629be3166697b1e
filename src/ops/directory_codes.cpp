#include "ops/directory_codes.hpp"

#include <array>

namespace tessaline {
namespace {

// clang-format off
constexpr std::array<DirectoryOperation, 49> kDirectoryOperations = {{
    {0, "Rename out-File", "", false},
    {1, "Offset ReCount", "out", true},
    {2, "sub --> srt", "srt", true},
    {3, "srt --> sub", "sub", true},
    {4, "Subtitles to one line", "out", false},
    {5, "Line length cutting", "out", false},
    {6, "Length test", "", false},
    {7, "Time test", "", false},
    {8, "Frame test", "", false},
    {9, "Time extender", "out", false},
    {10, "Range stretch in time", "out", true},
    {11, "Find text", "", true},
    {12, "Replace text", "out", false},
    {13, "Dialog breaking", "out", false},
    {14, "Subtitles to bottom", "out", true},
    {15, "SubTime --> srt", "srt", true},
    {16, "Subtitles Correction", "out", false},
    {17, "Delimiters fix", "out", false},
    {18, "Tags to one line", "out", false},
    {19, "Fix double timings", "out", false},
    {20, "Fix wrong timings and join text", "out", false},
    {21, "Remove line beginnings", "out", true},
    {22, "Tag fix", "out", false},
    {23, "Range stretch in frames", "out", true},
    {24, "Delete file", "", false},
    {25, "Big-text breaking", "out", false},
    {26, "Offset Time", "out", false},
    {27, "ssa / ass --> srt", "srt", true},
    {28, "Add last subtitle", "out", true},
    {29, "Tag remove", "out", false},
    {30, "Replace list", "out", false},
    {31, "Delete last subtitle", "out", false},
    {32, "Dialog fix", "out", false},
    {33, "Subtitle time correction", "out", false},
    {34, "Code page conversion 18", "out", false},
    {35, "Code page conversion 17", "out", false},
    {36, "Code page conversion 19", "out", false},
    {37, "Code page conversion 20", "out", false},
    {38, "Code page conversion 21", "out", false},
    {39, "Code page conversion 8", "out", false},
    {40, "Code page conversion 4", "out", false},
    {41, "Code page conversion 12", "out", false},
    {42, "Code page conversion 16", "out", false},
    {43, "Code page conversion 22", "out", false},
    {44, "Unix to DOS line ends", "out", false},
    {45, "Any to DOS line ends", "out", false},
    {46, "Fix digits in text", "out", false},
    {47, "Check end letters", "", false},
    {48, "Sync to film", "out", false},
}};
// clang-format on

}  // namespace

const DirectoryOperation* FindDirectoryOperation(int code) {
    if (code < 0 || code >= static_cast<int>(kDirectoryOperations.size())) return nullptr;
    return &kDirectoryOperations[static_cast<std::size_t>(code)];
}

}  // namespace tessaline
