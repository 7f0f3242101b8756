#include "profile/profile_layout.h"

#include "config/settings_table.h"
#include "platform/platform.h"
#include "profile/copy_name.h"

namespace zelk {

ProfileLayout LayoutOfRoot(std::u16string_view root) {
  ProfileLayout layout;
  layout.default_profile_folder = std::u16string(root) + u"\\";
  layout.default_profile_folder.append(kDefaultProfileSuffix);
  layout.preferences_file = layout.default_profile_folder + u"\\Preferences";
  layout.bookmarks_file = layout.default_profile_folder + u"\\Bookmarks";
  return layout;
}

std::u16string ExpandedProfileFolder(const ConfigSource& source) {
  std::u16string folder = ReadStringSetting(source, Setting::kProfileFolder);
  std::u16string expanded;
  if (!folder.empty() && platform::ExpandEnvironmentText(folder, platform::kMaxPath, &expanded)) {
    folder = std::move(expanded);
  }
  return folder;
}

bool FindProfileRoot(const ConfigSource& source, std::u16string* root) {
  std::u16string folder = ExpandedProfileFolder(source);
  if (folder.empty() && platform::GetLocalAppDataFolder(&folder) != platform::kErrorSuccess) {
    return false;
  }
  *root = std::move(folder);
  return true;
}

std::u16string ExtensionsSourceFolder(std::u16string_view host_executable) {
  const PathParts parts = SplitPath(host_executable);
  return parts.drive + parts.folder + u"Extensions";
}

}  // namespace zelk
