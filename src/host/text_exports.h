// The small exports that hand text to the host or show it.
#ifndef ZELK_HOST_TEXT_EXPORTS_H_
#define ZELK_HOST_TEXT_EXPORTS_H_

#include <string>
#include <string_view>

#include "config/config_source.h"
#include "host/version.h"
#include "zelk/zelk.h"

namespace zelk {

// The about text: a leading space, the version, and a notice of rights.
inline constexpr std::u16string_view kAboutText =
    u" Zelk version " ZELK_ABOUT_VERSION_WIDE u" Copyright (C) Velmora Labs. All rights reserved.";

// The host's wide pointer types as the library's.
const char16_t* HostText(const ZelkWideChar* text);
char16_t* HostBuffer(ZelkWideChar* buffer);

// Copies `text` and its terminator into a host buffer of `count` characters. A text that
// does not fit is not cut (a cut path would name another folder): the buffer gets an
// empty string instead, and the result is false. A null buffer or a count below 1 is left
// alone. Never writes past `count` characters.
bool CopyToHostBuffer(std::u16string_view text, char16_t* buffer, int count);

// Shows `text` (empty for null) in a plain box captioned "test"; returns 1 once closed.
int ShowOverride(const char16_t* text);

// BookmarkBarText as configured.
std::u16string BookmarkBarTextForHost(const ConfigSource& source);

}  // namespace zelk

#endif  // ZELK_HOST_TEXT_EXPORTS_H_
