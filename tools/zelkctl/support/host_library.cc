#include "tools/zelkctl/support/host_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/text.h"
#include "host/build_id.h"

namespace zelk::tools {
namespace {

constexpr size_t kBuildIdLength = 64;

// The id after the build-id prefix in the file at `path`, or empty when there is none.
std::string ReadBuildId(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string prefix = ZELK_BUILD_ID_PREFIX;
  for (size_t at = bytes.find(prefix); at != std::string::npos; at = bytes.find(prefix, at + 1)) {
    const std::string id = bytes.substr(at + prefix.size(), kBuildIdLength);
    if (id.size() == kBuildIdLength &&
        id.find_first_not_of("0123456789abcdef") == std::string::npos) {
      return id;
    }
  }
  return "";
}

}  // namespace

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

namespace {

// The handle of the library loaded from `path`, or null with the reason in `error`.
void* OpenLibrary(const std::string& path, std::string* error) {
#ifdef _WIN32
  const std::u16string wide = FromUtf8(path);
  void* handle = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (handle == nullptr) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
  }
#else
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    *error = "cannot load " + path + ": " + dlerror();
  }
#endif
  return handle;
}

}  // namespace

void* HostLibrary::Symbol(const char* name) const {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

bool HostLibrary::Load(const std::string& path, std::string* error) {
  handle_ = OpenLibrary(path, error);
  if (handle_ == nullptr) {
    return false;
  }
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
  path_ = path;
  build_id_ = ReadBuildId(path);
  return true;
}

bool HostLibrary::IsThisBuild(std::string* error) const {
  if (build_id_ == ZELK_BUILD_ID) {
    return true;
  }
  *error = path_ + " is not the build this zelkctl was made with (library build " +
           (build_id_.empty() ? std::string("unknown") : build_id_.substr(0, 12)) +
           ", zelkctl build " + std::string(ZELK_BUILD_ID).substr(0, 12) +
           "); its answers cannot be explained here. Use the zelkctl built with that library.";
  return false;
}

}  // namespace zelk::tools
