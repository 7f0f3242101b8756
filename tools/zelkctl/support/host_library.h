// Loads the Zelk library by path at run time and finds its ten exports by their plain
// names, exactly as the browser host does.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_HOST_LIBRARY_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_HOST_LIBRARY_H_

#include <string>

#include "zelk/zelk.h"

namespace zelk::tools {

class HostLibrary {
 public:
  HostLibrary() = default;
  ~HostLibrary();
  HostLibrary(const HostLibrary&) = delete;
  HostLibrary& operator=(const HostLibrary&) = delete;

  // Loads the library at `path` (UTF-8) and resolves every export. On failure returns
  // false with a readable reason in `error`, and no export may be called.
  bool Load(const std::string& path, std::string* error);

  ZelkStartFn Start = nullptr;
  ZelkEndFn End = nullptr;
  ZelkGetSettingsFn GetSettings = nullptr;
  ZelkCheckCommandFn CheckCommand = nullptr;
  ZelkCheckURLFn CheckURL = nullptr;
  ZelkCleanProfileFn CleanProfile = nullptr;
  ZelkOverrideFn Override = nullptr;
  ZelkGetAboutStringFn GetAboutString = nullptr;
  ZelkGetProfilePathFn GetProfilePath = nullptr;
  ZelkGetBookmarkBarTextFn GetBookmarkBarText = nullptr;

  // The build id found in the loaded library's file; empty when it carries none.
  const std::string& build_id() const { return build_id_; }

  // True when the loaded library is built from the same sources as this program, whose
  // statically linked core then explains exactly what the library answers. Otherwise
  // false, with the reason in `error`.
  bool IsThisBuild(std::string* error) const;

 private:
  void* Symbol(const char* name) const;
  void* handle_ = nullptr;
  std::string path_;
  std::string build_id_;
};

// The file name of the library on this platform: zelk.dll or libzelk.so.
const char* DefaultLibraryFileName();

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_HOST_LIBRARY_H_
