#pragma once

// File names the way the operations build them: an operation's output is the input with the
// extension "out", its report the input with the operation's own extension.

#include <string>
#include <string_view>

namespace tessaline {

/// The platform's folder separator.
inline constexpr char kPathSeparator = '/';

/// The extension of a path: the text after the last "." of its file name; "(null)" when the
/// file name has no "." (or the path is empty); empty for a path of 1 to 4 characters.
[[nodiscard]] std::string FileExtOf(std::string_view path);

/// The path with its extension replaced (film.srt, "out" -> film.out). With a "." in the file
/// name: mode 0 "film" + "." + ext, 1 "film" + ext, 2 "film." + ext, 3 "film" + ext without its
/// first character (for a mask such as "*.out"). Without one, the same with the whole path in
/// place of "film" (mode 2 adds nothing but ext). A path of 4 characters or fewer gives "".
[[nodiscard]] std::string ChangeFileExtMode(std::string_view path, std::string_view ext, int mode);

/// The file name of a path: the text after its last separator (the whole path without one).
[[nodiscard]] std::string_view FileNameOf(std::string_view path);

/// folder + name, with one separator between them.
[[nodiscard]] std::string PathJoin(std::string_view folder, std::string_view name);

}  // namespace tessaline
