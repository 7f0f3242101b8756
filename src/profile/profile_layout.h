// Where the browser's profile lies: the profile root and the paths below it that are
// seeded at start and cleaned at close.
#ifndef ZELK_PROFILE_PROFILE_LAYOUT_H_
#define ZELK_PROFILE_PROFILE_LAYOUT_H_

#include <string>
#include <string_view>

#include "config/config_source.h"

namespace zelk {

// The default profile folder below the profile root, without a leading backslash.
inline constexpr std::u16string_view kDefaultProfileSuffix = u"Chromium\\User Data\\Default";

// The paths of the profile, each the root followed by its literal suffix (a root ending in
// a backslash yields a doubled one, which the file system accepts). Pure.
struct ProfileLayout {
  std::u16string default_profile_folder;  // root + "\Chromium\User Data\Default"
  std::u16string preferences_file;        // ... + "\Preferences"
  std::u16string bookmarks_file;          // ... + "\Bookmarks"
};
ProfileLayout LayoutOfRoot(std::u16string_view root);

// ProfileFolder as configured, with its %NAME% references expanded into 260 characters;
// the text as written when the expansion fails or does not fit. Empty when not set. The
// browser, the seeding and the cleaning all use this one folder.
std::u16string ExpandedProfileFolder(const ConfigSource& source);

// The profile root: the expanded ProfileFolder, else the local application data folder.
// False when neither is known.
bool FindProfileRoot(const ConfigSource& source, std::u16string* root);

// The folder "Extensions" beside the host's executable `host_executable`: its drive and
// folder followed by the name. Pure.
std::u16string ExtensionsSourceFolder(std::u16string_view host_executable);

}  // namespace zelk

#endif  // ZELK_PROFILE_PROFILE_LAYOUT_H_
