// Cleaning of the browser's default profile folder at close: everything goes except the
// files named Bookmarks and Preferences, and the extensions folders when they are kept.
#ifndef ZELK_PROFILE_PROFILE_CLEANING_H_
#define ZELK_PROFILE_PROFILE_CLEANING_H_

#include <string_view>

#include "config/config_source.h"
#include "platform/platform.h"

namespace zelk {

// CleanProfile after its configuration lookup. Returns 1 when the cleaning ran (whatever
// it could delete), 0 when CleanProfileOnClose is off, when no profile root is known, or
// when the root or the default profile folder does not fit the path limit (then nothing
// is touched). The extensions folders stay while the extensions-cleaning flag of
// `source` is 0.
int CleanProfileFolder(const ConfigSource& source);

// What the cleaning does with one entry of a listing. Pure.
enum class CleanAction {
  kPassOver,     // "." or ".."
  kKeep,         // a file named Bookmarks or Preferences, or a kept extensions folder
  kDeleteFile,   // a file, or a link that stands for a file
  kRemoveLink,   // a link or junction that stands for a folder: removed, never entered
  kEmptyFolder,  // a folder: emptied, then removed when nothing stayed in it
};
CleanAction DecideCleanAction(const platform::DirectoryEntry& entry, bool keep_extensions);

// Empties `folder` by the rules of DecideCleanAction at every depth; `folder` itself
// stays. Never follows a link, and never touches a path that does not fit the path
// limit. Each delete's outcome is ignored: what cannot go stays.
void CleanFolder(std::u16string_view folder, bool keep_extensions);

}  // namespace zelk

#endif  // ZELK_PROFILE_PROFILE_CLEANING_H_
