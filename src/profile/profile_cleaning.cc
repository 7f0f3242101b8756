#include "profile/profile_cleaning.h"

#include <string>
#include <vector>

#include "common/text.h"
#include "config/settings_table.h"
#include "profile/copy_name.h"
#include "profile/profile_layout.h"

namespace zelk {

CleanAction DecideCleanAction(const platform::DirectoryEntry& entry, bool keep_extensions) {
  if (entry.name == u"." || entry.name == u"..") {
    return CleanAction::kPassOver;
  }
  const bool folder = (entry.attributes & platform::kAttributeDirectory) != 0;
  const bool link = (entry.attributes & platform::kAttributeReparsePoint) != 0;
  if (!folder) {
    const bool kept = EqualsIgnoringAsciiCase(entry.name, u"Bookmarks") ||
                      EqualsIgnoringAsciiCase(entry.name, u"Preferences");
    return kept ? CleanAction::kKeep : CleanAction::kDeleteFile;
  }
  if (keep_extensions && EqualsIgnoringAsciiCase(entry.name, u"extensions")) {
    return CleanAction::kKeep;
  }
  return link ? CleanAction::kRemoveLink : CleanAction::kEmptyFolder;
}

void CleanFolder(std::u16string_view folder, bool keep_extensions) {
  const std::u16string prefix = AddTrailingBackslash(folder);
  const std::u16string pattern = prefix + u"*.*";
  std::vector<platform::DirectoryEntry> entries;
  if (pattern.size() >= platform::kMaxPath ||
      platform::ListFolder(pattern, &entries) != platform::kErrorSuccess) {
    return;
  }
  for (const platform::DirectoryEntry& entry : entries) {
    const std::u16string path = prefix + entry.name;
    if (path.size() >= platform::kMaxPath) {
      continue;  // a cut path would name another entry
    }
    switch (DecideCleanAction(entry, keep_extensions)) {
      case CleanAction::kPassOver:
      case CleanAction::kKeep:
        break;
      case CleanAction::kDeleteFile:
        platform::RemoveFile(path);
        break;
      case CleanAction::kRemoveLink:
        platform::RemoveFolder(path);
        break;
      case CleanAction::kEmptyFolder:
        CleanFolder(path, keep_extensions);
        platform::RemoveFolder(path);
        break;
    }
  }
}

int CleanProfileFolder(const ConfigSource& source) {
  if (!ReadBoolSetting(source, Setting::kCleanProfileOnClose)) {
    return 0;
  }
  std::u16string folder;
  // An empty root would make the join a relative path naming some other folder.
  if (!FindProfileRoot(source, &folder) || folder.empty() || folder.size() >= platform::kMaxPath ||
      !platform::AppendPath(&folder, kDefaultProfileSuffix)) {
    return 0;
  }
  CleanFolder(folder, source.clean_profile_extensions == 0);
  return 1;
}

}  // namespace zelk
