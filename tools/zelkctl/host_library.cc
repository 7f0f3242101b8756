#include "tools/zelkctl/host_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "common/text.h"

namespace zelk::tools {

const char* DefaultLibraryFileName() {
#ifdef _WIN32
  return "zelk.dll";
#else
  return "libzelk.so";
#endif
}

HostLibrary::~HostLibrary() {
  if (handle_ == nullptr) {
    return;
  }
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
}

void* HostLibrary::Symbol(const char* name) const {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

bool HostLibrary::Load(const std::string& path, std::string* error) {
#ifdef _WIN32
  const std::u16string wide = FromUtf8(path);
  handle_ = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (handle_ == nullptr) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
#else
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    *error = "cannot load " + path + ": " + dlerror();
    return false;
  }
#endif
  struct Export {
    const char* name;
    void** slot;
  };
  const Export exports[] = {
      {"Start", reinterpret_cast<void**>(&Start)},
      {"End", reinterpret_cast<void**>(&End)},
      {"GetSettings", reinterpret_cast<void**>(&GetSettings)},
      {"CheckCommand", reinterpret_cast<void**>(&CheckCommand)},
      {"CheckURL", reinterpret_cast<void**>(&CheckURL)},
      {"CleanProfile", reinterpret_cast<void**>(&CleanProfile)},
      {"Override", reinterpret_cast<void**>(&Override)},
      {"GetAboutString", reinterpret_cast<void**>(&GetAboutString)},
      {"GetProfilePath", reinterpret_cast<void**>(&GetProfilePath)},
      {"GetBookmarkBarText", reinterpret_cast<void**>(&GetBookmarkBarText)},
  };
  for (const Export& e : exports) {
    *e.slot = Symbol(e.name);
    if (*e.slot == nullptr) {
      *error = path + " does not export " + e.name;
      return false;
    }
  }
  return true;
}

}  // namespace zelk::tools
