#pragma once

// Line-end repair: SubRip and MicroDVD files written on other systems end their lines with a
// bare LF, or carry damaged ends such as CR CR LF. These passes read the input byte by byte (not
// line by line, which would hide the very characters they judge) and write every line with
// CR LF.

#include <string>
#include <string_view>

#include "files/frame.hpp"
#include "ops/operation.hpp"

namespace tessaline {

inline constexpr std::string_view kNotUnixFormatted = "This is Not Unix-formatted file!";
inline constexpr std::string_view kNotAnyFormatted = "This is Not Any-formatted file!";

/// LF line ends to CR LF. The pass fails, and leaves no output, on a CR that does not directly
/// follow an LF (a file that already has CR LF ends) and on text after the last LF.
RunResult UnixToDos(const std::string& input, const std::string& output, bool interactive,
                    Host& host);

/// Any mixture of CR and LF to CR LF: each CR LF, CR CR LF, lone LF or lone CR ends a line, and
/// a run of empty lines becomes one empty line. Fails, and leaves no output, on text after the
/// last line end.
RunResult AnyToDos(const std::string& input, const std::string& output, bool interactive,
                   Host& host);

extern const Operation kUnixToDosOperation;
extern const Operation kAnyToDosOperation;

}  // namespace tessaline
