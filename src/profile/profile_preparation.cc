#include "profile/profile_preparation.h"

#include <optional>

#include "common/text.h"
#include "config/settings_table.h"
#include "platform/platform.h"
#include "profile/file_operation.h"
#include "profile/profile_layout.h"

namespace zelk {
namespace {

// Copies one seed file; fails with 206 when a path does not fit the path limit, before the
// platform sees it.
uint32_t CopySeedFile(const std::u16string& source, const std::u16string& target, bool force) {
  if (source.size() >= platform::kMaxPath || target.size() >= platform::kMaxPath) {
    return platform::kErrorFilenameExcedRange;
  }
  return platform::CopyFileTo(source, target, /*fail_if_exists=*/!force);
}

[[noreturn]] void FailStart(uint32_t code) {
  platform::ShowMessageBox(u"Error", PreferencesCopyFailureText(code),
                           platform::MessageBoxIcon::kNone);
  platform::EndProcess(code);
}

// The Preferences step: its result, or no result when it was not configured. A file
// already there without ForceDefaults is kept, like the bookmarks; every other failure
// ends the process.
std::optional<int> CopyPreferences(const ConfigSource& source,
                                   const ProfileLayout& layout,
                                   bool force) {
  const std::u16string preferences = ReadStringSetting(source, Setting::kDefaultPreferences);
  if (preferences.empty()) {
    return std::nullopt;
  }
  const uint32_t error = CopySeedFile(preferences, layout.preferences_file, force);
  if (error == platform::kErrorSuccess) {
    return 1;
  }
  if (error == platform::kErrorFileExists && !force) {
    return 0;
  }
  FailStart(error);
}

std::optional<int> CopyBookmarks(const ConfigSource& source,
                                 const ProfileLayout& layout,
                                 bool force) {
  const std::u16string bookmarks = ReadStringSetting(source, Setting::kDefaultBookmarks);
  if (bookmarks.empty()) {
    return std::nullopt;
  }
  return CopySeedFile(bookmarks, layout.bookmarks_file, force) == platform::kErrorSuccess ? 1 : 0;
}

std::optional<int> CopyExtensions(const ConfigSource& source,
                                  const ProfileLayout& layout,
                                  bool force) {
  if (!ReadBoolSetting(source, Setting::kDefaultExtensions)) {
    return std::nullopt;
  }
  FileOperation operation;
  operation.overwrite = force ? 1 : 0;
  return operation.Copy(ExtensionsSourceFolder(platform::HostExecutablePath()),
                        layout.default_profile_folder);
}

}  // namespace

std::u16string PreferencesCopyFailureText(uint32_t code) {
  const std::u16string system_text = SystemErrorDescription(code);
  constexpr std::u16string_view kOperation = u"Start: CopyFile";
  std::u16string text = std::u16string(kOperation) + u" failed with error " +
                        FromUtf8(std::to_string(code)) + u": " + system_text;
  // The text is cut to a buffer sized for the system text, the operation and 40 more.
  const size_t capacity = system_text.size() + kOperation.size() + 40;
  if (text.size() > capacity - 1) {
    text.resize(capacity - 1);
  }
  return text;
}

int PrepareProfile(const ConfigSource& source) {
  const bool force = ReadBoolSetting(source, Setting::kForceDefaults) != 0;
  std::u16string root;  // stays empty when no root can be found
  FindProfileRoot(source, &root);
  const ProfileLayout layout = LayoutOfRoot(root);
  int result = 0;
  if (const std::optional<int> step = CopyPreferences(source, layout, force)) {
    result = *step;
  }
  if (const std::optional<int> step = CopyBookmarks(source, layout, force)) {
    result = *step;
  }
  if (const std::optional<int> step = CopyExtensions(source, layout, force)) {
    result = *step;
  }
  return result;
}

}  // namespace zelk
