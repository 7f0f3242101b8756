// Symbolic links for tests of code that must never follow one. Never exported.
#ifndef ZELK_PLATFORM_LINKS_FOR_TESTING_H_
#define ZELK_PLATFORM_LINKS_FOR_TESTING_H_

#include <cstdint>
#include <string_view>

namespace zelk::platform {

// Makes `link` a symbolic link to `target`, a folder link when `folder` is set
// (CreateSymbolicLinkW; Windows refuses it, with 1314, to a user without the privilege
// outside developer mode). 0 when the link was made.
uint32_t CreateSymbolicLinkForTesting(std::u16string_view link,
                                      std::u16string_view target,
                                      bool folder);

}  // namespace zelk::platform

#endif  // ZELK_PLATFORM_LINKS_FOR_TESTING_H_
