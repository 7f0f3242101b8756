// The ten exports: the library's whole interface to the browser host.
//
// Each export catches everything at its boundary and then gives the answer that refuses
// or does nothing, so no C++ exception ever reaches the host.
#include "zelk/zelk.h"

#include <string>

#include "commands/command_check.h"
#include "config/config_source.h"
#include "config/readers.h"
#include "config/settings_loader.h"
#include "host/build_id.h"
#include "host/restart.h"
#include "host/text_exports.h"
#include "profile/profile_cleaning.h"
#include "profile/profile_layout.h"
#include "profile/profile_preparation.h"
#include "urlfilter/url_check.h"

namespace {

// The build id, where zelkctl finds it in the library's file: the prefix and the digest of
// the sources. Kept though nothing refers to it; it is data, not an export.
#if defined(__GNUC__)
__attribute__((used))
#endif
constexpr char kBuildIdRecord[] = ZELK_BUILD_ID_PREFIX ZELK_BUILD_ID;

// The library's one state object: created empty when the library is loaded, destroyed
// when it is unloaded.
zelk::ConfigSource g_config_source;

template <typename Result, typename Body>
Result Guarded(Result on_failure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return on_failure;
  }
}

template <typename Body>
void GuardedVoid(Body body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace

extern "C" {

ZELK_API int ZELK_CALL Start(void) {
  return Guarded(0, [] {
    if (!zelk::LocateConfiguration(g_config_source)) {
      return 0;
    }
    return zelk::PrepareProfile(g_config_source);
  });
}

ZELK_API int ZELK_CALL End(void) {
  return Guarded(0, [] { return zelk::RestartBrowser(g_config_source); });
}

ZELK_API int ZELK_CALL GetSettings(HostSettingsBlock* block) {
  return Guarded(0, [block] {
    const int found = zelk::LocateConfiguration(g_config_source);
    if (block != nullptr) {
      zelk::LoadSettings(g_config_source, block);
    }
    return found;
  });
}

ZELK_API int ZELK_CALL CheckCommand(int command_id) {
  return Guarded(1, [command_id] { return zelk::CheckCommandId(g_config_source, command_id); });
}

ZELK_API int ZELK_CALL CheckURL(char* url, int capacity, const char* other) {
  return Guarded(0,
                 [url, capacity] { return zelk::CheckUrlBuffer(g_config_source, url, capacity); });
}

ZELK_API int ZELK_CALL CleanProfile(void) {
  return Guarded(0, [] {
    zelk::LocateConfiguration(g_config_source);
    return zelk::CleanProfileFolder(g_config_source);
  });
}

ZELK_API int ZELK_CALL Override(const ZelkWideChar* text) {
  return Guarded(1, [text] { return zelk::ShowOverride(zelk::HostText(text)); });
}

ZELK_API int ZELK_CALL GetAboutString(ZelkWideChar* buffer, int count) {
  return Guarded(1, [buffer, count] {
    return zelk::CopyToHostBuffer(zelk::kAboutText, zelk::HostBuffer(buffer), count) ? 0 : 1;
  });
}

ZELK_API void ZELK_CALL GetProfilePath(ZelkWideChar* buffer, int count) {
  GuardedVoid([buffer, count] {
    zelk::LocateConfiguration(g_config_source);
    zelk::CopyToHostBuffer(zelk::ExpandedProfileFolder(g_config_source), zelk::HostBuffer(buffer),
                           count);
  });
}

ZELK_API void ZELK_CALL GetBookmarkBarText(ZelkWideChar* buffer, int count) {
  GuardedVoid([buffer, count] {
    zelk::LocateConfiguration(g_config_source);
    zelk::CopyToHostBuffer(zelk::BookmarkBarTextForHost(g_config_source), zelk::HostBuffer(buffer),
                           count);
  });
}

}  // extern "C"
