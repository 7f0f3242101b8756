// The names and path texts of the file-operation engine. Pure code: no platform calls.
#ifndef ZELK_PROFILE_COPY_NAME_H_
#define ZELK_PROFILE_COPY_NAME_H_

#include <functional>
#include <string>
#include <string_view>

namespace zelk {

// A path split as the Windows C library splits one: the drive ("D:"), the folder up to
// and including its last separator (backslash or slash), the base name, and the extension
// from the last dot of the last component (with the dot; empty when there is none).
struct PathParts {
  std::u16string drive;
  std::u16string folder;
  std::u16string base;
  std::u16string extension;
};
PathParts SplitPath(std::u16string_view path);

// The next name to try for a copy whose target name `path` is taken, in the same folder:
// report.txt, Copy of report.txt, Copy (1) of report.txt, Copy (2) of report.txt, ...
// The number in "Copy (k) of" is read leniently (no digits read as 0, a value beyond the
// 32-bit range as its nearest bound), so any base name gives a defined next name; the
// result may be longer than the path limit.
std::u16string MakeCopyName(std::u16string_view path);

// The path with a backslash at its end: one is appended unless it ends in one already
// (an empty path gets one too).
std::u16string AddTrailingBackslash(std::u16string_view path);

// The own name of the folder a listing pattern lists: "ext" for "D:\data\ext\*.*", and
// empty when no folder name is left ("D:\*.*", or "ext\*.*" without a folder above).
std::u16string GetFolderName(std::u16string_view pattern);

// The last component of a path: its base name and extension.
std::u16string LastComponent(std::u16string_view path);

enum class FreeNameOutcome {
  kFound,        // `*free_name` is not taken
  kNameTooLong,  // the next name would not fit the path limit
  kNoFreeName,   // `max_attempts` names were taken, or the renaming rule gave no new name
};

// Tries `target`, then the names MakeCopyName makes from it one after the other, until
// `is_taken` says a name is free. Bounded: at most `max_attempts` names are tried, and a
// name longer than the path limit is never tried.
FreeNameOutcome FindFreeName(std::u16string_view target,
                             int max_attempts,
                             const std::function<bool(const std::u16string&)>& is_taken,
                             std::u16string* free_name);

}  // namespace zelk

#endif  // ZELK_PROFILE_COPY_NAME_H_
