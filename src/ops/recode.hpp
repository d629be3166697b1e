#pragma once

// Code-page conversion of whole files: Windows-1251 to and from CP866, ISO-8859-5, KOI8-R, Mac
// Cyrillic and UTF-8, and from whatever code page a file turns out to be in. The conversion
// works line by line on text and does not look at subtitle structure.

#include <string>
#include <string_view>

#include "files/encoding.hpp"
#include "files/frame.hpp"
#include "ops/operation.hpp"

namespace tessaline {

/// Converts every line of the input by a conversion mode (1 to 22, core/codepages.hpp) into the
/// output. "Output File Exist!!!" is shown in every run, also over a folder.
RunResult ConvertFile(const std::string& input, const std::string& output, int mode, Host& host);

/// Detects the input's encoding and converts it to Windows-1251 (UTF-16 included). A file that
/// is already Windows-1251 or ASCII is left alone, and the status bar says so.
RunResult ConvertDetected(const std::string& input, const std::string& output, Host& host);

/// "PATH: ENC (reason)", the line detect-encoding prints.
[[nodiscard]] std::string DetectionLine(std::string_view path, const EncodingGuess& guess);

/// The ten conversions of "Convertation Text in File", and the detected one.
extern const Operation kRecodeOperation;
/// detect-encoding: prints the encoding of each file.
extern const Operation kDetectEncodingOperation;

}  // namespace tessaline
